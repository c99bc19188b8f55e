#include "catalogs/catalog_files.h"

#include <algorithm>

#include "core/csv_fields.h"
#include "core/text.h"
#include "platform/platform.h"

namespace vemtrix {
namespace {

constexpr CatalogLayout kLayouts[kCatalogCount] = {
    {CatalogId::BpCities, SiteId::Backpage, "BPcitylist.csv",
     "\"Country\",\"StateCode\",\"StateName\",\"CityName\",\"CityURL\"", 4,
     {"Country", "StateName", "CityName", "CityURL"}, {1, 3, 4, 5}, 1000, true, false},
    {CatalogId::BpSections, SiteId::Backpage, "BPsectlist.csv",
     "\"Section\",\"SectionName\",\"Category\",\"CategoryName\",\"DirectoryName\"", 5,
     {"Section", "SectionName", "Category", "CategoryName", "DirectoryName"}, {1, 2, 3, 4, 5}, 500, true,
     false},
    {CatalogId::DaCities, SiteId::Daype, "DAcitylist.csv",
     "\"Country\",\"StateCode\",\"StateName\",\"CityName\",\"CityURL\"", 3,
     {"StateName", "CityName", "CityURL"}, {3, 4, 5}, 1000, true, false},
    {CatalogId::DaSections, SiteId::Daype, "DAsectlist.csv",
     "\"SectionName\",\"Category\",\"CategoryName\",\"SectionURL\"", 4,
     {"SectionName", "Category", "CategoryName", "SectionURL"}, {1, 2, 3, 4}, 1000, true, false},
    {CatalogId::ClCities, SiteId::Craigslist, "CLcitylist.csv",
     "\"Region\",\"CountryCode\",\"CountryName\",\"StateCode\",\"CityName\",\"CityURL\"", 5,
     {"Region", "CountryCode", "CountryName", "CityName", "CityURL"}, {1, 2, 3, 5, 6}, 1000, true, false},
    {CatalogId::ClSections, SiteId::Craigslist, "CLsectlist.csv",
     "\"MasterSectionCode\",\"SectionCode\",\"SectionName\"", 3,
     {"MasterSectionCode", "SectionCode", "SectionName"}, {1, 2, 3}, 500, true, false},
    {CatalogId::ClStates, SiteId::Craigslist, "CLstatelist.csv", "\"CityURI\",\"StateName\",\"StateCode\"", 3,
     {"CityURI", "StateName", "StateCode"}, {1, 2, 3}, 1200, false, true},
    {CatalogId::KjCities, SiteId::Kijiji, "KJcitylist.csv", "\"Country\",\"State\",\"City\",\"URL\"", 4,
     {"Country", "State", "City", "URL"}, {1, 2, 3, 4}, 1000, true, true},
    {CatalogId::KjSections, SiteId::Kijiji, "KJsectlist.csv",
     "\"MasterSectionName\",\"SectionID\",\"SectionDir\",\"SectionName\"", 4,
     {"MasterSectionName", "SectionID", "SectionDir", "SectionName"}, {1, 2, 3, 4}, 500, true, false},
};

// The Craigslist city file written before the StateCode column existed.
constexpr std::array<int, kMaxCatalogColumns> kOldClCityFields = {1, 2, 3, 4, 5};
constexpr std::string_view kClCityStateCodeHeader = ",\"StateCode\"";

std::string JoinFolder(const std::string& folder, const char* fileName) {
  std::string path = folder;
  if (!path.empty() && path.back() != platform::PathSeparator() && path.back() != '/') {
    path += platform::PathSeparator();
  }
  return path + fileName;
}

std::array<CatalogTable, kCatalogCount>& Tables() {
  static std::array<CatalogTable, kCatalogCount> tables = [] {
    std::array<CatalogTable, kCatalogCount> t;
    for (int i = 0; i < kCatalogCount; ++i) t[i].layout = &kLayouts[i];
    return t;
  }();
  return tables;
}

// Cuts the next line (without its LF or CR LF) off the front of text.
std::string_view NextLine(std::string_view& text) {
  std::size_t end = text.find('\n');
  std::string_view line = text.substr(0, end);
  text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

}  // namespace

const CatalogLayout& LayoutOf(CatalogId id) { return kLayouts[static_cast<int>(id)]; }
const CatalogLayout* AllCatalogLayouts() { return kLayouts; }

const std::string& CatalogTable::Field(int row, int column) const {
  static const std::string kEmpty;
  if (row < 1 || row > Count() || column < 1 || column > kMaxCatalogColumns) return kEmpty;
  return rows[row - 1].columns[column - 1];
}

bool CatalogTable::Mark(int row) const { return row >= 1 && row <= Count() && rows[row - 1].mark; }

void CatalogTable::SetMark(int row, bool chosen) {
  if (row < 1 || row > Count() || layout == nullptr || !layout->hasMark) return;
  rows[row - 1].mark = chosen;
}

CatalogTable& Catalog(CatalogId id) { return Tables()[static_cast<int>(id)]; }

namespace {

// In site order. Daype saves a chosen section by its category alone.
constexpr SiteCatalogs kSiteCatalogs[] = {
    {SiteId::Craigslist, CatalogId::ClCities, CatalogId::ClSections, ClCityColumn::CityURL, ClCityColumn::CityName,
     {ClSectionColumn::SectionCode, 0}, {ClSectionColumn::SectionCode, 0}},
    {SiteId::Kijiji, CatalogId::KjCities, CatalogId::KjSections, KjCityColumn::URL, KjCityColumn::City,
     {KjSectionColumn::SectionID, KjSectionColumn::SectionDir},
     {KjSectionColumn::SectionID, KjSectionColumn::SectionDir}},
    {SiteId::Backpage, CatalogId::BpCities, CatalogId::BpSections, BpCityColumn::CityURL, BpCityColumn::CityName,
     {BpSectionColumn::Section, BpSectionColumn::Category}, {BpSectionColumn::Section, BpSectionColumn::Category}},
    {SiteId::Daype, CatalogId::DaCities, CatalogId::DaSections, DaCityColumn::CityURL, DaCityColumn::CityName,
     {DaSectionColumn::SectionURL, DaSectionColumn::Category}, {DaSectionColumn::Category, 0}},
};

CatalogTable& NoTable() {
  // Stands in for a site that has no tables; it has no layout, so it stays empty.
  static CatalogTable none;
  none.rows.clear();
  return none;
}

}  // namespace

const SiteCatalogs* CatalogsOfSite(SiteId site) {
  for (const SiteCatalogs& tables : kSiteCatalogs) {
    if (tables.site == site) return &tables;
  }
  return nullptr;
}

std::string JoinedColumns(const CatalogTable& table, int row, const std::array<int, 2>& columns) {
  std::string joined = table.Field(row, columns[0]);
  if (columns[1] != 0) joined += "\\" + table.Field(row, columns[1]);
  return joined;
}

CatalogTable& CityCatalog(SiteId site) {
  const SiteCatalogs* tables = CatalogsOfSite(site);
  return tables != nullptr ? Catalog(tables->cities) : NoTable();
}

CatalogTable& SectionCatalog(SiteId site) {
  const SiteCatalogs* tables = CatalogsOfSite(site);
  return tables != nullptr ? Catalog(tables->sections) : NoTable();
}

CatalogTable& StateTable() { return Catalog(CatalogId::ClStates); }

void ClearCatalog(CatalogTable& table) {
  table.rows.clear();
}

bool AppendCatalogRow(CatalogTable& table, const std::vector<std::string>& columns) {
  if (table.layout == nullptr || table.Count() >= table.layout->capacity) return false;
  CatalogRow row;
  const int n = std::min<int>(table.layout->columnCount, static_cast<int>(columns.size()));
  for (int i = 0; i < n; ++i) row.columns[i] = columns[i];
  if (table.layout->id == CatalogId::ClStates) {
    row.columns[ClStateColumn::CityURI - 1] = ToLower(row.columns[ClStateColumn::CityURI - 1]);
    row.columns[ClStateColumn::StateCode - 1] = ToUpper(row.columns[ClStateColumn::StateCode - 1]);
  }
  table.rows.push_back(std::move(row));
  return true;
}

void ClearAllMarks() {
  for (CatalogTable& table : Tables()) {
    for (CatalogRow& row : table.rows) row.mark = false;
  }
}

void LoadCatalogText(CatalogTable& table, std::string_view text) {
  ClearCatalog(table);
  if (table.layout == nullptr) return;
  const CatalogLayout& layout = *table.layout;
  const std::string_view header = NextLine(text);

  std::array<int, kMaxCatalogColumns> fileFields = layout.fileFields;
  if (layout.id == CatalogId::ClCities && header.find(kClCityStateCodeHeader) == std::string_view::npos) {
    fileFields = kOldClCityFields;
  }
  int fieldsToRead = 0;
  for (int c = 0; c < layout.columnCount; ++c) fieldsToRead = std::max(fieldsToRead, fileFields[c]);

  std::vector<std::string> columns(static_cast<std::size_t>(layout.columnCount));
  // Rows past the capacity are dropped, so reading stops once the table is full.
  while (!text.empty() && table.Count() < layout.capacity) {
    const std::string_view line = NextLine(text);
    if (layout.skipBlankLines && Trim(line).empty()) continue;
    std::vector<std::string> fields = ReadCsvFields(line, fieldsToRead);
    for (int c = 0; c < layout.columnCount; ++c) columns[c] = std::move(fields[fileFields[c] - 1]);
    AppendCatalogRow(table, columns);
  }
}

bool LoadCatalogFile(CatalogTable& table, const std::string& folder) {
  ClearCatalog(table);
  if (table.layout == nullptr) return false;
  const std::string path = JoinFolder(folder, table.layout->fileName);
  std::string text;
  if (!platform::FileExists(path) || !platform::ReadWholeFile(path, text)) return false;
  LoadCatalogText(table, text);
  return true;
}

void LoadCatalogsFrom(const std::string& folder) {
  for (CatalogTable& table : Tables()) LoadCatalogFile(table, folder);
}

void LoadCatalogs() { LoadCatalogsFrom(platform::ProgramDirectory()); }

bool AllCatalogsHaveRows() {
  for (const CatalogTable& table : Tables()) {
    if (table.Count() == 0) return false;
  }
  return true;
}

std::string CatalogFilePath(CatalogId id) { return platform::ProgramDirectory() + LayoutOf(id).fileName; }

std::string RegionOfCountry(std::string_view countryCode) {
  struct Region {
    const char* name;
    std::string_view codes;  // two-letter codes separated by single spaces
  };
  static constexpr Region kRegions[] = {
      {"North America", "CA PM PR US"},
      {"Central America", "CR GT MX NI PA SV"},
      {"South America", "AR BO BR CL CO EC FK FM GF GS GY PE PY SR UY VE"},
      {"Europe",
       "AD AL AT BA BE BG BY CH CY CZ DE DK EE ES FI FO FR GB UK GG GI GR HR HU IE IM IS IT JE LI LT LU LV MC "
       "MD ME MK MT NL NO PL PT RO RS SE SI SJ SK SM UA VA"},
      {"Africa",
       "AO BF BI BJ BW CD CF CG CI CM CV DJ DZ EG EH ER ET GA GH GM GN GQ GW HM KE KM LR LS LY MA MG ML MR MW "
       "NE NG RE RW SD SL SN SO ST SZ TD TN TZ UG YT ZA ZM ZW"},
      {"Oceania", "AU CC CK CX FJ KI MP NC NF NR NU NZ PF PG PW SB TG TK TO TV VU WF"},
      {"Asia",
       "AE AF AM AZ BD BH BN BT CN GE HK ID IL IN IO IQ IR JO JP KG KH KP KR KW KZ LA LB LK MM MN MO MY MZ NA "
       "NP OM PH PK PS QA RU SA SG SY TH TJ TL TM TR TW UZ VN YE"},
  };
  const std::string code = ToUpper(countryCode);
  if (code.size() == 2) {
    for (const Region& region : kRegions) {
      // Codes sit at every third position, so only whole codes can match.
      for (std::size_t at = 0; at + 2 <= region.codes.size(); at += 3) {
        if (region.codes.substr(at, 2) == code) return region.name;
      }
    }
  }
  return "Other";
}

}  // namespace vemtrix
