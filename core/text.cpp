#include "core/text.h"

#include <cmath>
#include <limits>

namespace vemtrix {

namespace {
constexpr std::size_t npos = std::string_view::npos;
}

std::string_view TextBetween(std::string_view text, std::string_view startMarker,
                             std::string_view endMarker) {
  const std::size_t start = text.find(startMarker);
  if (start == npos) return {};
  text.remove_prefix(start + startMarker.size());
  const std::size_t end = text.find(endMarker);
  return end == npos ? text : text.substr(0, end);
}

std::string_view CutAfter(std::string_view text, std::string_view marker) {
  const std::size_t at = text.find(marker);
  return at == npos ? std::string_view() : text.substr(at + marker.size());
}

std::string_view CutFrom(std::string_view text, std::string_view marker) {
  const std::size_t at = text.find(marker);
  return at == npos ? std::string_view() : text.substr(at);
}

std::string_view CutBefore(std::string_view text, std::string_view marker) {
  const std::size_t at = text.find(marker);
  return at == npos ? text : text.substr(0, at);
}

std::string_view KeepThroughFirstCharOf(std::string_view text, std::string_view marker) {
  const std::size_t at = text.find(marker);
  return at == npos ? text : text.substr(0, at + 1);
}

std::string_view CutAt(std::string_view text, std::size_t offset) {
  return offset >= text.size() ? std::string_view() : text.substr(offset);
}

std::size_t CountOccurrences(std::string_view text, std::string_view marker) {
  if (marker.empty()) return 0;
  std::size_t count = 0;
  for (std::size_t at = text.find(marker); at != npos; at = text.find(marker, at + marker.size())) {
    ++count;
  }
  return count;
}

bool Contains(std::string_view text, std::string_view marker) { return text.find(marker) != npos; }

std::string UrlEncodeTerm(std::string_view text) {
  static constexpr std::string_view kPlain =
      "qwertyuiopasdfghjklzxcvbnmQWERTYUIOPASDFGHJKLZXCVBNM1234567890.-";
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  encoded.reserve(text.size() * 3);
  for (const char c : text) {
    if (c == ' ') {
      encoded += '+';
    } else if (kPlain.find(c) != npos) {
      encoded += c;
    } else {
      const auto byte = static_cast<unsigned char>(c);
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 15];
    }
  }
  if (encoded.empty()) encoded.push_back('+');
  return encoded;
}

int MonthNumber(std::string_view text) {
  static constexpr std::string_view kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                                 "jul", "aug", "sep", "oct", "nov", "dec"};
  if (text.size() < 3) return 0;
  const std::string prefix = ToLower(text.substr(0, 3));
  for (int i = 0; i < 12; ++i) {
    if (prefix == kMonths[i]) return i + 1;
  }
  return 0;
}

std::string CollapseWhitespace(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0') c = ' ';
    if (c == ' ' && !out.empty() && out.back() == ' ') continue;
    out += c;
  }
  return out;
}

std::int64_t LeadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() &&
         (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) {
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  long double value = 0;
  bool anyDigit = false;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    anyDigit = true;
  }
  if (i < text.size() && text[i] == '.') {
    long double scale = 0.1L;
    for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
      value += (text[i] - '0') * scale;
      scale /= 10;
      anyDigit = true;
    }
  }
  if (!anyDigit) return 0;
  if (negative) value = -value;
  constexpr long double kMax = static_cast<long double>(std::numeric_limits<std::int64_t>::max());
  constexpr long double kMin = static_cast<long double>(std::numeric_limits<std::int64_t>::min());
  if (value >= kMax) return std::numeric_limits<std::int64_t>::max();
  if (value <= kMin) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(std::llroundl(value));
}

namespace {

bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool IsLower(char c) { return c >= 'a' && c <= 'z'; }
char Lowered(char c) { return IsUpper(c) ? static_cast<char>(c - 'A' + 'a') : c; }
char Uppered(char c) { return IsLower(c) ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

std::string ToLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = Lowered(c);
  return out;
}

std::string ToUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = Uppered(c);
  return out;
}

std::string ProperCase(std::string_view text, WordBreak breaks) {
  std::string out(text);
  bool inWord = false;
  for (char& c : out) {
    if (!IsUpper(c) && !IsLower(c)) {
      if (breaks == WordBreak::NonLetter || kBlanks.find(c) != npos) inWord = false;
      continue;
    }
    c = inWord ? Lowered(c) : Uppered(c);
    inWord = true;
  }
  return out;
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(text);
  std::string out;
  out.reserve(text.size());
  std::size_t done = 0;
  for (std::size_t at = text.find(from); at != npos; at = text.find(from, done)) {
    out.append(text.substr(done, at - done));
    out.append(to);
    done = at + from.size();
  }
  out.append(text.substr(done));
  return out;
}

std::string_view Trim(std::string_view text, std::string_view blanks) {
  const std::size_t first = text.find_first_not_of(blanks);
  if (first == npos) return {};
  const std::size_t last = text.find_last_not_of(blanks);
  return text.substr(first, last - first + 1);
}

std::string_view SplitPart(std::string_view text, char separator, int k) {
  if (k < 1) return {};
  for (int part = 1; part < k; ++part) {
    const std::size_t at = text.find(separator);
    if (at == npos) return {};
    text.remove_prefix(at + 1);
  }
  return text.substr(0, text.find(separator));
}

}  // namespace vemtrix
