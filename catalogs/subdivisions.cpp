#include "catalogs/subdivisions.h"

#include "core/text.h"

namespace vemtrix {
namespace {

constexpr Subdivision kUsStates[] = {
    {"Alabama", "AL"}, {"Alaska", "AK"}, {"Arizona", "AZ"}, {"Arkansas", "AR"}, {"California", "CA"},
    {"Colorado", "CO"}, {"Connecticut", "CT"}, {"Delaware", "DE"}, {"District of Columbia", "DC"},
    {"Florida", "FL"}, {"Georgia", "GA"}, {"Hawaii", "HI"}, {"Idaho", "ID"}, {"Illinois", "IL"},
    {"Indiana", "IN"}, {"Iowa", "IA"}, {"Kansas", "KS"}, {"Kentucky", "KY"}, {"Louisiana", "LA"},
    {"Maine", "ME"}, {"Maryland", "MD"}, {"Massachusetts", "MA"}, {"Michigan", "MI"}, {"Minnesota", "MN"},
    {"Mississippi", "MS"}, {"Missouri", "MO"}, {"Montana", "MT"}, {"Nebraska", "NE"}, {"Nevada", "NV"},
    {"New Hampshire", "NH"}, {"New Jersey", "NJ"}, {"New Mexico", "NM"}, {"New York", "NY"},
    {"North Carolina", "NC"}, {"North Dakota", "ND"}, {"Ohio", "OH"}, {"Oklahoma", "OK"}, {"Oregon", "OR"},
    {"Pennsylvania", "PA"}, {"Rhode Island", "RI"}, {"South Carolina", "SC"}, {"South Dakota", "SD"},
    {"Tennessee", "TN"}, {"Texas", "TX"}, {"Utah", "UT"}, {"Vermont", "VT"}, {"Virginia", "VA"},
    {"Washington", "WA"}, {"West Virginia", "WV"}, {"Wisconsin", "WI"}, {"Wyoming", "WY"},
};

constexpr Subdivision kCanadianProvinces[] = {
    {"Ontario", "ON"}, {"Quebec", "QC"}, {"Nova Scotia", "NS"}, {"New Brunswick", "NB"}, {"Manitoba", "MB"},
    {"British Columbia", "BC"}, {"Prince Edward Island", "PE"}, {"Saskatchewan", "SK"}, {"Alberta", "AB"},
    {"Newfoundland and Labrador", "NL"}, {"Yukon Territory", "YT"}, {"Nunavut", "NU"},
    {"Northwest Territories", "NT"},
};

constexpr Subdivision kAustralianStates[] = {
    {"New South Wales", "NSW"}, {"Queensland", "QLD"}, {"South Australia", "SA"}, {"Tasmania", "TAS"},
    {"Victoria", "VIC"}, {"Western Australia", "WA"}, {"Australian Capital Territory", "ACT"},
    {"Northern Territory", "NT"},
};

template <int N>
constexpr int CountOf(const Subdivision (&)[N]) {
  return N;
}

const Subdivision* EntryAt(const SubdivisionTable& table, int i) {
  if (i < 1 || i > table.count) return nullptr;
  return &table.entries[i - 1];
}

}  // namespace

const SubdivisionTable kUsStateTable = {"United States", kUsStates, CountOf(kUsStates)};
const SubdivisionTable kCanadianProvinceTable = {"Canada", kCanadianProvinces, CountOf(kCanadianProvinces)};
const SubdivisionTable kAustralianStateTable = {"Australia", kAustralianStates, CountOf(kAustralianStates)};
const SubdivisionTable* const kSubdivisionTables[kSubdivisionTableCount] = {
    &kUsStateTable, &kCanadianProvinceTable, &kAustralianStateTable};

int SubdivisionCount(const SubdivisionTable& table) { return table.count; }

std::string SubdivisionName(const SubdivisionTable& table, int i) {
  const Subdivision* entry = EntryAt(table, i);
  return entry ? entry->name : "";
}

std::string SubdivisionCode(const SubdivisionTable& table, int i) {
  const Subdivision* entry = EntryAt(table, i);
  return entry ? entry->code : "";
}

std::string SubdivisionConvert(std::string_view subdivision, bool wantCountry) {
  const bool isCode = subdivision.size() == 2;
  const std::string key = isCode ? ToUpper(subdivision) : ToLower(subdivision);
  // The Australian table is not consulted: its codes would clash ("WA", "NT").
  for (const SubdivisionTable* table : {&kUsStateTable, &kCanadianProvinceTable}) {
    for (int i = 1; i <= table->count; ++i) {
      const Subdivision& entry = table->entries[i - 1];
      if (isCode ? key == entry.code : key == ToLower(entry.name)) {
        if (wantCountry) return table->country;
        return isCode ? entry.name : entry.code;
      }
    }
  }
  return "Error";
}

}  // namespace vemtrix
