// An ad's price, read from its text: the first money amount of its title, or,
// when the title has none, of its description. Worked out when a row is
// added or loaded and kept beside it in memory; never stored in a file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vemtrix {

// The price of an ad without one.
inline constexpr std::int32_t kNoPrice = -1;

// The whole currency units (cents dropped, no conversion) of the first money
// amount in text, after character references are decoded; kNoPrice when it
// holds none. An amount is a dollar sign, maybe after a country's letters
// ("$45", "$ 45", "C$300", "CA$ 300", "US$5"), followed by a number, or a
// number followed by a dollar sign that no number follows ("300$", "300 $").
// A number is digits, with "," between groups of three ("1,200") and an
// optional fraction (".00"; after the number "300,00 $" too). Amounts of two
// thousand million and more are not read as prices.
std::int32_t ReadPrice(std::string_view text);

// The price of an ad: ReadPrice of its title, else of its full text (the
// feed's description or the ad page's text).
std::int32_t PriceOfAd(std::string_view title, std::string_view fullText);

// A price as plain decimal digits, empty for kNoPrice (the CSV cell and the
// HTML template's **ITEMPRICE**).
std::string PriceText(std::int32_t price);

// The quick filter's price range: each bound is kNoPrice (none) or a price;
// both bounds belong to the range. With a bound set, an ad without a price
// is outside it.
struct PriceRange {
  std::int32_t from = kNoPrice;
  std::int32_t to = kNoPrice;

  bool Bounded() const { return from != kNoPrice || to != kNoPrice; }
  bool Admits(std::int32_t price) const {
    if (!Bounded()) return true;
    if (price == kNoPrice) return false;
    return (from == kNoPrice || price >= from) && (to == kNoPrice || price <= to);
  }
};

// A bound as typed in a box: blank gives kNoPrice; a whole number (blanks
// around it, an optional "$" before or after it, "," between thousands and a
// fraction allowed) gives that number. False, and bound untouched, for
// anything else.
bool ParsePriceBound(std::string_view text, std::int32_t& bound);

}  // namespace vemtrix
