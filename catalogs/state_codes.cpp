#include "catalogs/state_codes.h"

#include "catalogs/catalog_files.h"
#include "catalogs/subdivisions.h"
#include "core/text.h"
#include "harvest/sites.h"

namespace vemtrix {
namespace {

// The code of the entry named exactly name; "--" when there is none.
std::string CodeOfSubdivision(const SubdivisionTable& table, const std::string& name) {
  for (int i = 1; i <= SubdivisionCount(table); ++i) {
    if (SubdivisionName(table, i) == name) return SubdivisionCode(table, i);
  }
  return "--";
}

}  // namespace

std::string StateCodeForLink(std::string_view link) {
  const std::string lower = ToLower(link);
  if (Contains(lower, Site(SiteId::Craigslist).domainLabel)) {
    const CatalogTable& states = StateTable();
    for (int row = 1; row <= states.Count(); ++row) {
      // An empty key occurs in every link; such a row tells nothing.
      const std::string uri = ToLower(states.Field(row, ClStateColumn::CityURI));
      if (!uri.empty() && Contains(lower, uri)) return states.Field(row, ClStateColumn::StateCode);
    }
    return "--";
  }
  const CatalogTable& cities = CityCatalog(SiteId::Kijiji);
  for (int row = 1; row <= cities.Count(); ++row) {
    const std::string& url = cities.Field(row, KjCityColumn::URL);
    if (url.empty() || !Contains(lower, url)) continue;
    const std::string& country = cities.Field(row, KjCityColumn::Country);
    const std::string& state = cities.Field(row, KjCityColumn::State);
    if (country == "United States") return CodeOfSubdivision(kUsStateTable, state);
    if (country == "Canada") return CodeOfSubdivision(kCanadianProvinceTable, state);
    return "--";
  }
  return "--";
}

}  // namespace vemtrix
