// The built-in tables of first-level subdivisions (US states, Canadian
// provinces and territories, Australian states) with their postal codes.
// The catalog harvesting walks them in table order; the CSV export and the
// harvesting convert between names and codes with SubdivisionConvert.
#pragma once

#include <string>
#include <string_view>

namespace vemtrix {

struct Subdivision {
  const char* name;
  const char* code;
};

// An ordered, read-only list of (name, code) pairs, indexed from 1.
struct SubdivisionTable {
  const char* country;  // "United States", "Canada", "Australia"
  const Subdivision* entries;
  int count;
};

extern const SubdivisionTable kUsStateTable;          // 51 entries
extern const SubdivisionTable kCanadianProvinceTable;  // 13 entries
extern const SubdivisionTable kAustralianStateTable;   // 8 entries
// The three tables in the order the harvesting visits them.
inline constexpr int kSubdivisionTableCount = 3;
extern const SubdivisionTable* const kSubdivisionTables[kSubdivisionTableCount];

int SubdivisionCount(const SubdivisionTable& table);
// Name or code of entry i (1-based); empty when i is out of range.
std::string SubdivisionName(const SubdivisionTable& table, int i);
std::string SubdivisionCode(const SubdivisionTable& table, int i);

// Converts between a name and a code across the US and Canadian tables (US
// first, first match wins). Exactly two characters are a code, matched in
// upper case; anything else is a name, matched in lower case. Gives the
// other form of the entry, or with wantCountry its country ("United States"
// or "Canada"); "Error" when nothing matches.
std::string SubdivisionConvert(std::string_view subdivision, bool wantCountry);

}  // namespace vemtrix
