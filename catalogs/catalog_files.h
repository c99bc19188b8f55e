// The nine catalog files (cities and sections of the four sites, and the
// Craigslist host-to-state table): their layouts, what the search and the
// saved searches read from each site's tables, and the process-wide tables
// the files load into. The tables are changed by the window's thread
// (loading, selection marks) and, during the first-run download only (before
// the window exists), by the harvesting thread.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/site_id.h"

namespace vemtrix {

// The nine tables, in the order LoadCatalogs reads them.
enum class CatalogId {
  BpCities,
  BpSections,
  DaCities,
  DaSections,
  ClCities,
  ClSections,
  ClStates,
  KjCities,
  KjSections,
};
inline constexpr int kCatalogCount = 9;
inline constexpr int kMaxCatalogColumns = 6;

// In-memory column numbers (1-based) of each table.
namespace ClCityColumn {
enum : int { Region = 1, CountryCode = 2, CountryName = 3, CityName = 4, CityURL = 5 };
}
namespace ClSectionColumn {
enum : int { MasterSectionCode = 1, SectionCode = 2, SectionName = 3 };
}
namespace ClStateColumn {
enum : int { CityURI = 1, StateName = 2, StateCode = 3 };
}
namespace KjCityColumn {
enum : int { Country = 1, State = 2, City = 3, URL = 4 };
}
namespace KjSectionColumn {
enum : int { MasterSectionName = 1, SectionID = 2, SectionDir = 3, SectionName = 4 };
}
namespace BpCityColumn {
enum : int { Country = 1, StateName = 2, CityName = 3, CityURL = 4 };
}
namespace BpSectionColumn {
enum : int { Section = 1, SectionName = 2, Category = 3, CategoryName = 4, DirectoryName = 5 };
}
namespace DaCityColumn {
enum : int { StateName = 1, CityName = 2, CityURL = 3 };
}
namespace DaSectionColumn {
enum : int { SectionName = 1, Category = 2, CategoryName = 3, SectionURL = 4 };
}

// What is fixed about one catalog file and its table.
struct CatalogLayout {
  CatalogId id;
  SiteId site;
  const char* fileName;  // "CLcitylist.csv", ...
  const char* header;    // the header line the harvesters write (no line end)
  int columnCount;       // in-memory columns, the mark not counted
  std::array<const char*, kMaxCatalogColumns> columnNames;
  std::array<int, kMaxCatalogColumns> fileFields;  // file field of each column
  int capacity;          // rows the table holds
  bool hasMark;          // false for the state table
  bool skipBlankLines;   // blank lines are skipped rather than loaded as empty rows
};

// Layout of a table; all nine in load order.
const CatalogLayout& LayoutOf(CatalogId id);
const CatalogLayout* AllCatalogLayouts();

// One row: its text columns (1-based through Field) and its selection mark.
struct CatalogRow {
  std::array<std::string, kMaxCatalogColumns> columns;
  bool mark = false;
};

// A catalog table. Rows 1 to Count() are in use, in file order, no gaps;
// the table never holds more than its layout's capacity.
struct CatalogTable {
  const CatalogLayout* layout = nullptr;
  std::vector<CatalogRow> rows;

  int Count() const { return static_cast<int>(rows.size()); }
  // Column of row (both 1-based); empty when either is out of range.
  const std::string& Field(int row, int column) const;
  // The selection mark of row; false when out of range.
  bool Mark(int row) const;
  // Sets or clears the mark of row; ignored out of range and for the state table.
  void SetMark(int row, bool chosen);
};

// What the search and the saved searches read from a site's two tables.
struct SiteCatalogs {
  SiteId site;
  CatalogId cities;
  CatalogId sections;
  int cityKey;   // column of a city's key (its host): search entries, saved searches
  int cityName;  // column of the name its results show
  // A section's entry as a search takes it ("CL:" and so on before it): the
  // first column, then, unless the second is 0, a backslash and the second.
  std::array<int, 2> sectionEntry;
  // A chosen section's identity in a saved search, built the same way.
  std::array<int, 2> savedSection;
};
// The tables of a site; nullptr for SiteId::None.
const SiteCatalogs* CatalogsOfSite(SiteId site);
// The columns of row joined as SiteCatalogs describes.
std::string JoinedColumns(const CatalogTable& table, int row, const std::array<int, 2>& columns);

// The process-wide tables.
CatalogTable& Catalog(CatalogId id);
// The city or section catalog of a site (SiteId::None: an empty table).
CatalogTable& CityCatalog(SiteId site);
CatalogTable& SectionCatalog(SiteId site);
// The Craigslist host-to-state table.
CatalogTable& StateTable();

// Empties a table: no rows, marks gone.
void ClearCatalog(CatalogTable& table);
// Appends a row from its in-memory columns (missing ones empty, extra ones
// ignored), with the mark clear. The state table stores CityURI in lower
// case and StateCode in upper case. False, and nothing stored, when the
// table is full.
bool AppendCatalogRow(CatalogTable& table, const std::vector<std::string>& columns);
// Clears every row's mark in every table.
void ClearAllMarks();

// Loads one table from the text of its file (header line included).
void LoadCatalogText(CatalogTable& table, std::string_view text);
// Loads one table from its file in folder (ending in the path separator or
// not); a missing file leaves the table empty. True when the file existed.
bool LoadCatalogFile(CatalogTable& table, const std::string& folder);
// Loads all nine tables from folder, in load order.
void LoadCatalogsFrom(const std::string& folder);
// Loads all nine tables from ProgramDirectory().
void LoadCatalogs();
// True when all nine tables hold at least one row (the start-up check).
bool AllCatalogsHaveRows();

// ProgramDirectory() + the table's file name.
std::string CatalogFilePath(CatalogId id);

// The continent-level region of a two-letter country code (any letter case);
// "Other" for a code in no group.
std::string RegionOfCountry(std::string_view countryCode);

}  // namespace vemtrix
