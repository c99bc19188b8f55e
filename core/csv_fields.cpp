#include "core/csv_fields.h"

#include <cstring>

namespace vemtrix {

std::vector<std::string> ReadCsvFields(std::string_view line, int count) {
  std::vector<std::string> fields(count > 0 ? static_cast<std::size_t>(count) : 0);
  std::size_t pos = 0;
  for (int i = 0; i < count; ++i) {
    while (pos < line.size() && line[pos] == ' ') ++pos;
    std::size_t comma;
    if (pos < line.size() && line[pos] == '"') {
      const std::size_t close = line.find('"', pos + 1);
      if (close == std::string_view::npos) {
        fields[i] = line.substr(pos + 1);
        break;
      }
      fields[i] = line.substr(pos + 1, close - pos - 1);
      comma = line.find(',', close + 1);
    } else {
      comma = line.find(',', pos);
      std::string_view field = line.substr(pos, comma == std::string_view::npos ? comma : comma - pos);
      while (!field.empty() && field.back() == ' ') field.remove_suffix(1);
      fields[i] = field;
    }
    if (comma == std::string_view::npos) break;
    pos = comma + 1;
  }
  return fields;
}

void EscapeCsvTextTo(std::string& out, std::string_view text) {
  std::size_t plain = 0;  // start of the run of characters that need nothing
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c != '\\' && c != '"' && c != '\r' && c != '\n' && c != '\f') continue;
    out.append(text.data() + plain, i - plain);
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\r':
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;  // CR LF is one line break
        out += "\\n";
        break;
      default: out += "\\n";
    }
    plain = i + 1;
  }
  out.append(text.data() + plain, text.size() - plain);
}

std::string EscapeCsvText(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 16);
  EscapeCsvTextTo(out, text);
  return out;
}

void ReadEscapedFieldsInto(std::string_view line, std::array<std::string, 6>& fields) {
  for (std::string& field : fields) field.clear();
  const char* p = line.data();
  const char* const end = p + line.size();
  for (std::string& field : fields) {
    const char* open = static_cast<const char*>(std::memchr(p, '"', static_cast<std::size_t>(end - p)));
    if (open == nullptr) return;
    p = open + 1;
    // Plain runs are copied whole; memchr finds the next quote and backslash.
    for (;;) {
      std::size_t left = static_cast<std::size_t>(end - p);
      const char* quote = static_cast<const char*>(std::memchr(p, '"', left));
      const char* slash = static_cast<const char*>(std::memchr(p, '\\', quote ? static_cast<std::size_t>(quote - p) : left));
      if (slash == nullptr) {
        const char* stop = quote ? quote : end;
        field.append(p, static_cast<std::size_t>(stop - p));
        p = quote ? quote + 1 : end;
        break;
      }
      field.append(p, static_cast<std::size_t>(slash - p));
      if (slash + 1 >= end) {  // a backslash that ends the line stays
        field += '\\';
        p = end;
        break;
      }
      char next = slash[1];
      if (next == '\\') field += '\\';
      else if (next == '"') field += '"';
      else if (next == 'n') field += "\r\n";
      else {
        field += '\\';
        field += next;
      }
      p = slash + 2;
    }
  }
}

std::array<std::string, 6> ReadEscapedFields(std::string_view line) {
  std::array<std::string, 6> fields;
  ReadEscapedFieldsInto(line, fields);
  return fields;
}

std::string ReadEscapedField(std::string_view line, int n) {
  if (n < 1 || n > 6) return std::string();
  return ReadEscapedFields(line)[static_cast<std::size_t>(n - 1)];
}

namespace {

void AppendFlattened(std::string& out, std::string_view text) {
  for (char c : text) {
    if (c == '"') {
      out += '\'';
    } else if (c == '\r' || c == '\n') {
      out += ' ';
    } else {
      out += c;
    }
  }
}

void AppendDoubled(std::string& out, std::string_view text) {
  for (std::size_t quote = text.find('"'); quote != std::string_view::npos; quote = text.find('"')) {
    out.append(text.substr(0, quote + 1));
    out += '"';
    text.remove_prefix(quote + 1);
  }
  out.append(text);
}

void AppendRow(std::string& out, const CsvField* fields, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) out += ',';
    out += '"';
    switch (fields[i].text) {
      case CsvText::AsIs: out += fields[i].value; break;
      case CsvText::Escaped: EscapeCsvTextTo(out, fields[i].value); break;
      case CsvText::Flattened: AppendFlattened(out, fields[i].value); break;
      case CsvText::Doubled: AppendDoubled(out, fields[i].value); break;
    }
    out += '"';
  }
  out += "\r\n";
}

}  // namespace

void AppendCsvRow(std::string& out, std::initializer_list<CsvField> fields) {
  AppendRow(out, fields.begin(), fields.size());
}

void AppendCsvRow(std::string& out, const std::vector<CsvField>& fields) {
  AppendRow(out, fields.data(), fields.size());
}

}  // namespace vemtrix
