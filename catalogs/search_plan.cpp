#include "catalogs/search_plan.h"

#include "catalogs/catalog_files.h"
#include "harvest/sites.h"

namespace vemtrix {
namespace {

std::vector<std::string> SplitList(const std::string& list) {
  std::vector<std::string> items;
  std::size_t start = 0;
  for (;;) {
    std::size_t comma = list.find(',', start);
    items.push_back(list.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return items;
}

struct City {
  SiteId site = SiteId::None;
  std::string name;
};

// The first searched site whose city catalog holds the entry as a key.
City FindCity(const std::string& entry, const Settings& settings) {
  for (const SiteInfo* site = AllSites(); site != AllSites() + kSiteCount; ++site) {
    if (!SiteSearched(settings, site->id)) continue;
    const SiteCatalogs& columns = *CatalogsOfSite(site->id);
    const CatalogTable& table = CityCatalog(site->id);
    for (int row = 1; row <= table.Count(); ++row) {
      if (table.Field(row, columns.cityKey) != entry) continue;
      City city{site->id, table.Field(row, columns.cityName)};
      // A country's one Craigslist city is named after the country.
      if (site->id == SiteId::Craigslist && city.name == "Default") {
        city.name = table.Field(row, ClCityColumn::CountryName);
      }
      return city;
    }
  }
  return City();
}

struct Section {
  SiteId site = SiteId::None;
  std::string code;  // as sent to the worker
  std::string name;
};

Section FindSection(const std::string& entry) {
  Section section;
  section.site = SiteOfCode(entry);
  section.code = entry.size() > 3 ? entry.substr(3) : std::string();
  if (section.site == SiteId::None) return section;
  const SiteCatalogs& columns = *CatalogsOfSite(section.site);
  const CatalogTable& table = SectionCatalog(section.site);
  for (int row = 1; row <= table.Count(); ++row) {
    if (JoinedColumns(table, row, columns.sectionEntry) != section.code) continue;
    auto f = [&](int column) -> const std::string& { return table.Field(row, column); };
    switch (section.site) {
      case SiteId::Craigslist: section.name = f(ClSectionColumn::SectionName); break;
      case SiteId::Kijiji: section.name = f(KjSectionColumn::SectionName); break;
      case SiteId::Backpage:
        // A whole section (category "0") goes by the section's name; its
        // query also needs the section's folder.
        section.name = f(BpSectionColumn::Category) == "0" ? f(BpSectionColumn::SectionName)
                                                           : f(BpSectionColumn::CategoryName);
        section.code += "\\" + f(BpSectionColumn::DirectoryName);
        break;
      default: section.name = f(DaSectionColumn::CategoryName); break;
    }
    return section;
  }
  return section;
}

}  // namespace

SearchInputs SelectionsFromCatalogs(const std::string& terms, const Settings& settings) {
  SearchInputs inputs;
  inputs.Terms = terms;
  auto append = [](std::string& list, const std::string& entry) {
    if (!list.empty()) list += ',';
    list += entry;
  };
  for (const SiteInfo* site = AllSites(); site != AllSites() + kSiteCount; ++site) {
    if (!SiteSearched(settings, site->id)) continue;
    const SiteCatalogs& columns = *CatalogsOfSite(site->id);
    const CatalogTable& cities = CityCatalog(site->id);
    for (int row = 1; row <= cities.Count(); ++row) {
      if (cities.Mark(row)) append(inputs.SelectedCities, cities.Field(row, columns.cityKey));
    }
    const CatalogTable& sections = SectionCatalog(site->id);
    for (int row = 1; row <= sections.Count(); ++row) {
      if (sections.Mark(row)) {
        append(inputs.SelectedSections,
               std::string(site->code) + ":" + JoinedColumns(sections, row, columns.sectionEntry));
      }
    }
  }
  return inputs;
}

SearchPlan PlanSearch(const SearchInputs& inputs, const Settings& settings) {
  SearchPlan plan;
  std::vector<std::string> cities = SplitList(inputs.SelectedCities);
  std::vector<std::string> sections = SplitList(inputs.SelectedSections);
  std::vector<std::string> terms = SplitList(inputs.Terms);
  plan.total = static_cast<std::int64_t>(cities.size()) * static_cast<std::int64_t>(sections.size()) *
               static_cast<std::int64_t>(terms.size());
  std::vector<Section> found;
  found.reserve(sections.size());
  for (const std::string& entry : sections) found.push_back(FindSection(entry));

  std::int64_t number = 0;
  for (const std::string& entry : cities) {
    City city = FindCity(entry, settings);
    bool daypeDone = false;
    for (const Section& section : found) {
      bool skip = city.site == SiteId::None || section.site != city.site;
      // The Daype feed covers a whole city: one section per city is enough.
      if (!skip && section.site == SiteId::Daype && settings.DaypeRSS != 0) {
        skip = daypeDone;
        daypeDone = true;
      }
      for (const std::string& term : terms) {
        if (!skip) plan.jobs.push_back({SearchJob{term, entry, section.code, city.name, section.name}, number});
        ++number;
      }
    }
  }
  return plan;
}

}  // namespace vemtrix
