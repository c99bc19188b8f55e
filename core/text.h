// The text helpers every module uses: plain, case-sensitive marker scanning
// for the page and feed readers, trimming, letter case and number reading.
// Scanning functions take and return views into the page, so scanning never
// copies the rest of a page and its cost grows linearly with the page's size.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vemtrix {

// The text after the first startMarker up to the next endMarker after it;
// empty when startMarker is absent, the whole rest when endMarker is absent.
std::string_view TextBetween(std::string_view text, std::string_view startMarker,
                             std::string_view endMarker);

// text from just after the first occurrence of marker; empty when absent.
std::string_view CutAfter(std::string_view text, std::string_view marker);
// text from the first occurrence of marker on; empty when absent.
std::string_view CutFrom(std::string_view text, std::string_view marker);
// text before the first marker (all of it when marker is absent).
std::string_view CutBefore(std::string_view text, std::string_view marker);
// text up to and including the first character of marker (all of it when
// marker is absent).
std::string_view KeepThroughFirstCharOf(std::string_view text, std::string_view marker);
// text from offset on (empty when offset is past the end).
std::string_view CutAt(std::string_view text, std::size_t offset);
// Number of (non-overlapping) occurrences of marker in text.
std::size_t CountOccurrences(std::string_view text, std::string_view marker);
bool Contains(std::string_view text, std::string_view marker);

// Space -> "+", letters, digits, "." and "-" unchanged, other bytes "%XX";
// an empty result becomes "+".
std::string UrlEncodeTerm(std::string_view text);
// 1..12 for a month name (first three letters, any case), otherwise 0.
int MonthNumber(std::string_view text);
// Line breaks, tabs, form feeds and NULs become spaces; runs of spaces
// collapse to one.
std::string CollapseWhitespace(std::string_view text);
// The leading decimal number of text (optional sign, digits, optional
// fraction, leading blanks skipped), rounded to the nearest integer; 0 when
// text does not begin with a number.
std::int64_t LeadingNumber(std::string_view text);
// ASCII letters only; other bytes unchanged.
std::string ToLower(std::string_view text);
std::string ToUpper(std::string_view text);
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// Spaces, tabs and line breaks.
inline constexpr std::string_view kBlanks = " \t\r\n";
// Removes the characters of `blanks` at both ends; by default only spaces.
std::string_view Trim(std::string_view text, std::string_view blanks = " ");

// What ends a word for ProperCase: any byte that is not a letter, or only
// spaces, tabs and line breaks.
enum class WordBreak { NonLetter, Blank };
// In each word the first letter upper-case and the other letters lower-case
// (ASCII letters only; other bytes unchanged). With WordBreak::Blank a
// word's first letter need not be its first character: "&amp;" becomes
// "&Amp;" and "(all)" "(All)".
std::string ProperCase(std::string_view text, WordBreak breaks = WordBreak::NonLetter);
// The k-th (1-based) part of text split at separator; empty when missing.
std::string_view SplitPart(std::string_view text, char separator, int k);

}  // namespace vemtrix
