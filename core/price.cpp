#include "core/price.h"

#include "core/character_references.h"
#include "core/text.h"

namespace vemtrix {
namespace {

// Amounts from here on are not prices (and would not fit).
constexpr std::int64_t kPriceLimit = 2000000000;

bool IsDigit(std::string_view text, std::size_t i) { return i < text.size() && text[i] >= '0' && text[i] <= '9'; }

// The number at text[start] (a digit): its whole units (kPriceLimit or more
// when too large) and where it ends. commaFraction allows a fraction after a
// comma ("300,00 $").
std::int64_t ReadNumber(std::string_view text, std::size_t start, bool commaFraction, std::size_t& end) {
  std::int64_t value = 0;
  std::size_t i = start;
  for (; IsDigit(text, i); ++i) {
    if (value < kPriceLimit) value = value * 10 + (text[i] - '0');
  }
  // Groups of three after "," when the first group has at most three digits.
  if (i - start <= 3) {
    while (i < text.size() && text[i] == ',' && IsDigit(text, i + 1) && IsDigit(text, i + 2) &&
           IsDigit(text, i + 3) && !IsDigit(text, i + 4)) {
      if (value < kPriceLimit) {
        value = value * 1000 + (text[i + 1] - '0') * 100 + (text[i + 2] - '0') * 10 + (text[i + 3] - '0');
      }
      i += 4;
    }
  }
  if (i < text.size() && text[i] == '.' && IsDigit(text, i + 1)) {
    for (++i; IsDigit(text, i); ++i) {
    }
  } else if (commaFraction && i < text.size() && text[i] == ',' && IsDigit(text, i + 1) && IsDigit(text, i + 2) &&
             !IsDigit(text, i + 3)) {
    i += 3;
  }
  end = i;
  return value;
}

std::size_t SkipSpaces(std::string_view text, std::size_t i) {
  while (i < text.size() && text[i] == ' ') ++i;
  return i;
}

// The first amount of text (references already decoded), or kNoPrice.
std::int32_t FirstAmount(std::string_view text) {
  const std::size_t dollar = text.find('$');
  if (dollar == std::string_view::npos) return kNoPrice;
  // The first amount holds the first "$" or a later one; a number written
  // before its "$" starts a little earlier.
  std::size_t i = dollar;
  while (i > 0 && text[i - 1] == ' ') --i;
  while (i > 0 && (IsDigit(text, i - 1) || text[i - 1] == ',' || text[i - 1] == '.')) --i;
  for (; i < text.size(); ++i) {
    std::size_t end = 0;
    if (text[i] == '$') {
      std::size_t digit = SkipSpaces(text, i + 1);
      if (!IsDigit(text, digit)) continue;
      std::int64_t value = ReadNumber(text, digit, false, end);
      if (value < kPriceLimit) return static_cast<std::int32_t>(value);
      i = end - 1;
      continue;
    }
    if (!IsDigit(text, i)) continue;
    if (i > 0 && (IsDigit(text, i - 1) || text[i - 1] == ',' || text[i - 1] == '.')) continue;
    std::int64_t value = ReadNumber(text, i, true, end);
    std::size_t sign = SkipSpaces(text, end);
    if (sign < text.size() && text[sign] == '$' && !IsDigit(text, SkipSpaces(text, sign + 1)) &&
        value < kPriceLimit) {
      return static_cast<std::int32_t>(value);
    }
    // The next number starts after this one.
    i = end - 1;
  }
  return kNoPrice;
}

// Whether text holds "&#" (found by its "&", which memchr finds fast).
bool HoldsNumericReference(std::string_view text) {
  for (std::size_t amp = text.find('&'); amp != std::string_view::npos; amp = text.find('&', amp + 1)) {
    if (amp + 1 < text.size() && text[amp + 1] == '#') return true;
  }
  return false;
}

}  // namespace

std::int32_t ReadPrice(std::string_view text) {
  // Only a numeric reference can make a "$", a digit or a space, so a text
  // without one is read as it stands, and one without "$" either holds none.
  if (!HoldsNumericReference(text)) {
    return text.find('$') == std::string_view::npos ? kNoPrice : FirstAmount(text);
  }
  return FirstAmount(DecodeCharacterReferences(text));
}

std::int32_t PriceOfAd(std::string_view title, std::string_view fullText) {
  std::int32_t price = ReadPrice(title);
  return price != kNoPrice ? price : ReadPrice(fullText);
}

std::string PriceText(std::int32_t price) { return price == kNoPrice ? std::string() : std::to_string(price); }

bool ParsePriceBound(std::string_view text, std::int32_t& bound) {
  text = Trim(text, kBlanks);
  if (text.empty()) {
    bound = kNoPrice;
    return true;
  }
  if (text.front() == '$') text = Trim(text.substr(1), kBlanks);
  if (!text.empty() && text.back() == '$') text = Trim(text.substr(0, text.size() - 1), kBlanks);
  if (!IsDigit(text, 0)) return false;
  std::size_t end = 0;
  std::int64_t value = ReadNumber(text, 0, false, end);
  if (end != text.size() || value >= kPriceLimit) return false;
  bound = static_cast<std::int32_t>(value);
  return true;
}

}  // namespace vemtrix
