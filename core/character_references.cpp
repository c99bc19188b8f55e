#include "core/character_references.h"

#include <cstdint>

namespace vemtrix {
namespace {

// Windows-1252's characters above 255, by their byte (0x80..0x9F).
struct Cp1252Entry {
  std::uint32_t codePoint;
  unsigned char byte;
};
constexpr Cp1252Entry kCp1252[] = {
    {0x20AC, 0x80}, {0x201A, 0x82}, {0x0192, 0x83}, {0x201E, 0x84}, {0x2026, 0x85}, {0x2020, 0x86},
    {0x2021, 0x87}, {0x02C6, 0x88}, {0x2030, 0x89}, {0x0160, 0x8A}, {0x2039, 0x8B}, {0x0152, 0x8C},
    {0x017D, 0x8E}, {0x2018, 0x91}, {0x2019, 0x92}, {0x201C, 0x93}, {0x201D, 0x94}, {0x2022, 0x95},
    {0x2013, 0x96}, {0x2014, 0x97}, {0x02DC, 0x98}, {0x2122, 0x99}, {0x0161, 0x9A}, {0x203A, 0x9B},
    {0x0153, 0x9C}, {0x017E, 0x9E}, {0x0178, 0x9F},
};

// The byte a code point is shown as; 0 when the reference stays as written.
unsigned char ByteForCodePoint(std::uint32_t codePoint) {
  if (codePoint == '\t' || codePoint == '\n' || codePoint == '\r') return static_cast<unsigned char>(codePoint);
  if (codePoint < 0x20 || codePoint > 0x10FFFF) return 0;
  if (codePoint <= 0xFF) return static_cast<unsigned char>(codePoint);
  for (const Cp1252Entry& entry : kCp1252) {
    if (entry.codePoint == codePoint) return entry.byte;
  }
  return '?';
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The reference starting with the "&" at text[0]: its byte and its length,
// or false when it is none this decoder replaces.
bool ReadReference(std::string_view text, unsigned char& byte, std::size_t& length) {
  struct Named {
    std::string_view name;
    char byte;
  };
  static constexpr Named kNamed[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
  if (text.size() < 4) return false;
  if (text[1] != '#') {
    for (const Named& named : kNamed) {
      if (text.substr(0, named.name.size()) == named.name) {
        byte = static_cast<unsigned char>(named.byte);
        length = named.name.size();
        return true;
      }
    }
    return false;
  }
  const bool hex = text[2] == 'x' || text[2] == 'X';
  std::size_t i = hex ? 3 : 2;
  const std::size_t digitsStart = i;
  std::uint32_t value = 0;
  for (; i < text.size() && i - digitsStart < 8; ++i) {
    int digit = hex ? HexValue(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
    if (digit < 0) break;
    value = value * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
  }
  if (i == digitsStart || i >= text.size() || text[i] != ';') return false;
  byte = ByteForCodePoint(value);
  if (byte == 0) return false;
  length = i + 1;
  return true;
}

}  // namespace

void DecodeCharacterReferencesTo(std::string& out, std::string_view text) {
  std::size_t done = 0;
  for (std::size_t amp = text.find('&'); amp != std::string_view::npos; amp = text.find('&', amp + 1)) {
    unsigned char byte = 0;
    std::size_t length = 0;
    if (amp < done || !ReadReference(text.substr(amp), byte, length)) continue;
    out.append(text.substr(done, amp - done));
    out += static_cast<char>(byte);
    done = amp + length;
    amp = done - 1;
  }
  out.append(text.substr(done));
}

std::string DecodeCharacterReferences(std::string_view text) {
  std::string out;
  if (text.find('&') == std::string_view::npos) return std::string(text);
  out.reserve(text.size());
  DecodeCharacterReferencesTo(out, text);
  return out;
}

}  // namespace vemtrix
