// Plain, case-sensitive marker scanning shared by every page and feed reader.
// Functions take and return views into the page, so scanning never copies the
// rest of a page and its cost grows linearly with the page's size.
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
std::string ToLower(std::string_view text);
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);
// Removes leading and trailing spaces (only the space character).
std::string_view TrimSpaces(std::string_view text);
// The k-th (1-based) part of text split at separator; empty when missing.
std::string_view SplitPart(std::string_view text, char separator, int k);

}  // namespace vemtrix
