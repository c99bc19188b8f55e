// Comma-separated values as the program reads and writes them: the one
// reading dialect of every comma-separated input, the one field writer of
// every comma-separated output (catalogs, saved searches, CSV export), and
// the backslash escaping of free text in saved searches and CSV files.
#pragma once

#include <array>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace vemtrix {

// The reading dialect: fields 1 to count of one line (no line end). Spaces
// before a field are skipped; a field that begins with a double quote runs
// to the next double quote (commas included, anything up to the following
// comma ignored; an unclosed quote runs to the line's end); any other field
// runs to the next comma, trailing spaces dropped. Fields beyond the line's
// last read as empty.
std::vector<std::string> ReadCsvFields(std::string_view line, int count);

// Backslash, double quote and line breaks escaped for a quoted field
// (CR LF, a lone CR, LF or form feed each become backslash and "n").
std::string EscapeCsvText(std::string_view text);
void EscapeCsvTextTo(std::string& out, std::string_view text);

// The six double-quoted fields of a saved result line, escapes undone
// (backslash and "n" gives CR LF; an unknown escape keeps both characters).
std::array<std::string, 6> ReadEscapedFields(std::string_view line);
// The same into existing strings, so a loop over many lines reuses them.
void ReadEscapedFieldsInto(std::string_view line, std::array<std::string, 6>& fields);
// Field n (1..6) of a result line, escapes undone; empty when missing.
std::string ReadEscapedField(std::string_view line, int n);

// How a value goes between its double quotes.
enum class CsvText {
  AsIs,      // unchanged
  Escaped,   // EscapeCsvText
  Flattened,  // a double quote becomes a single quote, a line break a space
  Doubled     // a double quote doubled, everything else as it is (RFC 4180)
};
struct CsvField {
  std::string_view value;
  CsvText text = CsvText::Escaped;
};

// Appends one row: every value in double quotes, commas between, CR LF at
// the end.
void AppendCsvRow(std::string& out, std::initializer_list<CsvField> fields);
void AppendCsvRow(std::string& out, const std::vector<CsvField>& fields);

}  // namespace vemtrix
