#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogs/catalog_files.h"
#include "commands/start_up.h"
#include "core/csv_fields.h"
#include "core/settings.h"
#include "platform/platform.h"
#include "support/test_folder.h"

using namespace vemtrix;

namespace {

using Fields = std::vector<std::string>;

// A string literal with its NUL bytes.
template <std::size_t N>
std::string Bytes(const char (&text)[N]) {
  return std::string(text, N - 1);
}

std::string TempFolder(const std::string& name) { return TestFolder("catalogs-" + name); }

// A folder holding exactly the given catalog files (others removed).
std::string CatalogFolder(const std::string& name, const std::vector<std::pair<CatalogId, std::string>>& files) {
  std::string dir = TempFolder(name);
  for (int i = 0; i < kCatalogCount; ++i) platform::DeleteFileAt(dir + AllCatalogLayouts()[i].fileName);
  for (const auto& [id, text] : files) EXPECT_TRUE(platform::WriteWholeFile(dir + LayoutOf(id).fileName, text));
  return dir;
}

// All in-memory columns of one row.
Fields Row(const CatalogTable& table, int row) {
  Fields out;
  for (int c = 1; c <= table.layout->columnCount; ++c) out.push_back(table.Field(row, c));
  return out;
}

// Loads one table from its file text through a real file.
const CatalogTable& LoadOne(CatalogId id, const std::string& text) {
  std::string dir = CatalogFolder("one", {{id, text}});
  EXPECT_TRUE(LoadCatalogFile(Catalog(id), dir));
  return Catalog(id);
}

}  // namespace

TEST(CatalogDialect, ReadsQuotedAndPlainFields) {
  // As the harvesters write: every field quoted, commas inside quotes kept.
  EXPECT_EQ(ReadCsvFields("\"Canada\",\"Ontario\",\"Toronto, East\",\"http://t/\"", 4),
            (Fields{"Canada", "Ontario", "Toronto, East", "http://t/"}));
  // Spaces before a field are skipped; plain fields lose trailing spaces only.
  EXPECT_EQ(ReadCsvFields("  a b  ,   \"c\" , d", 3), (Fields{"a b", "c", "d"}));
  // Text between a closing quote and the next comma is ignored.
  EXPECT_EQ(ReadCsvFields("\"x\"junk,\"y\"  ", 2), (Fields{"x", "y"}));
  // A quote that does not begin a field is ordinary text.
  EXPECT_EQ(ReadCsvFields("ab\"c\",d", 2), (Fields{"ab\"c\"", "d"}));
  // Missing fields read as empty; empty fields between commas stay empty.
  EXPECT_EQ(ReadCsvFields("a,,\"\"", 5), (Fields{"a", "", "", "", ""}));
  EXPECT_EQ(ReadCsvFields("", 2), (Fields{"", ""}));
  EXPECT_EQ(ReadCsvFields("a,", 3), (Fields{"a", "", ""}));
  // An unclosed quote runs to the end of the line and ends the row.
  EXPECT_EQ(ReadCsvFields("\"open, still,open", 3), (Fields{"open, still,open", "", ""}));
  EXPECT_EQ(ReadCsvFields("a,\"", 3), (Fields{"a", "", ""}));
  // Other bytes, NUL included, pass through.
  EXPECT_EQ(ReadCsvFields(Bytes("\"a\0b\",\tc"), 2), (Fields{Bytes("a\0b"), "\tc"}));
}

TEST(CatalogFiles, EachTableLoadsItsColumnsFromTheirFileFields) {
  std::string dir = CatalogFolder(
      "all",
      {{CatalogId::BpCities, "h\r\n\"United States\",\"CA\",\"California\",\"Los Angeles\",\"http://la.bp/\"\r\n"},
       {CatalogId::BpSections, "h\r\n\"1\",\"Buy, Sell\",\"0\",\"All\",\"buy\"\r\n"},
       {CatalogId::DaCities, "h\r\n\"United States\",\"NY\",\"New York\",\"Albany\",\"http://al.da/\"\r\n"},
       {CatalogId::DaSections, "h\r\n\"Jobs\",\"3\",\"Nurses\",\"http://da/n/\"\r\n"},
       {CatalogId::ClCities,
        "\"Region\",\"CountryCode\",\"CountryName\",\"StateCode\",\"CityName\",\"CityURL\"\r\n"
        "\"Europe\",\"GB\",\"United Kingdom\",\"--\",\"London\",\"http://london.cl/\"\r\n"},
       {CatalogId::ClSections, "h\r\n\"sss\",\"sss\",\"For Sale (All)\"\r\n\"sss\",\"bik\",\"bikes\"\r\n"},
       {CatalogId::ClStates, "h\r\n\"boston.cl\",\"Massachusetts\",\"MA\"\r\n"},
       {CatalogId::KjCities, "h\r\n\"Canada\",\"Ontario\",\"Toronto\",\"http://toronto.kj/\"\r\n"},
       {CatalogId::KjSections, "h\r\n\"Cars\",\"174\",\"cars\",\"Used\"\r\n"}});
  LoadCatalogsFrom(dir);
  ASSERT_TRUE(AllCatalogsHaveRows());

  EXPECT_EQ(Row(CityCatalog(SiteId::Backpage), 1),
            (Fields{"United States", "California", "Los Angeles", "http://la.bp/"}));
  EXPECT_EQ(Row(SectionCatalog(SiteId::Backpage), 1), (Fields{"1", "Buy, Sell", "0", "All", "buy"}));
  EXPECT_EQ(Row(CityCatalog(SiteId::Daype), 1), (Fields{"New York", "Albany", "http://al.da/"}));
  EXPECT_EQ(Row(SectionCatalog(SiteId::Daype), 1), (Fields{"Jobs", "3", "Nurses", "http://da/n/"}));
  EXPECT_EQ(Row(CityCatalog(SiteId::Craigslist), 1),
            (Fields{"Europe", "GB", "United Kingdom", "London", "http://london.cl/"}));
  EXPECT_EQ(SectionCatalog(SiteId::Craigslist).Count(), 2);
  EXPECT_EQ(SectionCatalog(SiteId::Craigslist).Field(2, ClSectionColumn::SectionCode), "bik");
  EXPECT_EQ(Row(StateTable(), 1), (Fields{"boston.cl", "Massachusetts", "MA"}));
  EXPECT_EQ(Row(CityCatalog(SiteId::Kijiji), 1), (Fields{"Canada", "Ontario", "Toronto", "http://toronto.kj/"}));
  EXPECT_EQ(Row(SectionCatalog(SiteId::Kijiji), 1), (Fields{"Cars", "174", "cars", "Used"}));

  // A table whose file is removed is empty after the next load; the others reload.
  platform::DeleteFileAt(dir + "KJsectlist.csv");
  LoadCatalogsFrom(dir);
  EXPECT_EQ(SectionCatalog(SiteId::Kijiji).Count(), 0);
  EXPECT_EQ(CityCatalog(SiteId::Kijiji).Count(), 1);
  EXPECT_FALSE(AllCatalogsHaveRows());
}

TEST(CatalogFiles, CraigslistCityFileHasTwoLayouts) {
  const CatalogTable& older = LoadOne(CatalogId::ClCities,
                                      "\"Region\",\"CountryCode\",\"CountryName\",\"CityName\",\"CityURL\"\r\n"
                                      "\"North America\",\"US\",\"United States\",\"Boston\",\"http://boston/\"\r\n");
  EXPECT_EQ(Row(older, 1), (Fields{"North America", "US", "United States", "Boston", "http://boston/"}));

  const CatalogTable& newer =
      LoadOne(CatalogId::ClCities,
              "\"Region\",\"CountryCode\",\"CountryName\",\"StateCode\",\"CityName\",\"CityURL\"\r\n"
              "\"North America\",\"US\",\"United States\",\"MA\",\"Boston\",\"http://boston/\"\r\n");
  EXPECT_EQ(Row(newer, 1), (Fields{"North America", "US", "United States", "Boston", "http://boston/"}));
}

TEST(CatalogFiles, BlankLinesAreSkippedOnlyInTheStateAndKijijiCityFiles) {
  const std::string text = "h\r\n\"a\",\"b\",\"c\",\"d\"\r\n\r\n   \r\n\"e\",\"f\",\"g\",\"h\"\r\n";
  EXPECT_EQ(LoadOne(CatalogId::KjCities, text).Count(), 2);
  EXPECT_EQ(LoadOne(CatalogId::ClStates, text).Count(), 2);

  const CatalogTable& sections = LoadOne(CatalogId::KjSections, text);
  ASSERT_EQ(sections.Count(), 4);
  EXPECT_EQ(Row(sections, 2), (Fields{"", "", "", ""}));
  EXPECT_EQ(Row(sections, 3), (Fields{"", "", "", ""}));
  EXPECT_EQ(Row(sections, 4), (Fields{"e", "f", "g", "h"}));

  // The line end after the last row starts no further row; LF alone ends a line too.
  EXPECT_EQ(LoadOne(CatalogId::KjSections, "h\n\"a\"\n\"b\"").Count(), 2);
}

TEST(CatalogFiles, StateTableStoresHostsInLowerAndCodesInUpperCase) {
  const CatalogTable& states = LoadOne(CatalogId::ClStates, "h\r\n\"HTTP://Boston.CL.org\",\"Mass Achusetts\",\"ma\"\r\n");
  EXPECT_EQ(Row(states, 1), (Fields{"http://boston.cl.org", "Mass Achusetts", "MA"}));

  // The harvesters' rows get the same casing; other tables store text as given.
  ClearCatalog(StateTable());
  ASSERT_TRUE(AppendCatalogRow(StateTable(), {"Toronto.CL", "Ontario", "on"}));
  EXPECT_EQ(Row(StateTable(), 1), (Fields{"toronto.cl", "Ontario", "ON"}));
  const CatalogTable& kijiji = LoadOne(CatalogId::KjCities, "h\r\nCanada,Ontario,Toronto,HTTP://X.CA/\r\n");
  EXPECT_EQ(kijiji.Field(1, KjCityColumn::URL), "HTTP://X.CA/");
}

TEST(CatalogFiles, ShortRowsLeaveColumnsEmptyAndExtraFieldsAreIgnored) {
  const CatalogTable& sections = LoadOne(CatalogId::BpSections,
                                         "h\r\n\"1\",\"Jobs\"\r\n"
                                         "1, Jobs ,0,All  ,jobs,extra,more\r\n");
  ASSERT_EQ(sections.Count(), 2);
  EXPECT_EQ(Row(sections, 1), (Fields{"1", "Jobs", "", "", ""}));
  EXPECT_EQ(Row(sections, 2), (Fields{"1", "Jobs", "0", "All", "jobs"}));
  // Out-of-range access gives empty text rather than failing.
  EXPECT_EQ(sections.Field(3, 1), "");
  EXPECT_EQ(sections.Field(1, 0), "");
  EXPECT_EQ(sections.Field(0, 1), "");
}

TEST(CatalogFiles, RowsBeyondCapacityAreDropped) {
  std::string text = "h\r\n";
  for (int i = 1; i <= 1300; ++i) {
    text += "\"host" + std::to_string(i) + "\",\"State\",\"ST\"\r\n";
    if (i % 100 == 0) text += "\r\n";  // skipped blank lines do not take a row
  }
  const CatalogTable& states = LoadOne(CatalogId::ClStates, text);
  ASSERT_EQ(states.Count(), 1200);
  EXPECT_EQ(states.Field(1200, ClStateColumn::CityURI), "host1200");
  EXPECT_FALSE(AppendCatalogRow(StateTable(), {"one", "more", "XX"}));
  EXPECT_EQ(StateTable().Count(), 1200);

  // Blank lines count as rows where they are not skipped.
  std::string sectionText = "h\r\n";
  for (int i = 1; i <= 600; ++i) sectionText += (i % 2 ? "\"s" + std::to_string(i) + "\"\r\n" : "\r\n");
  const CatalogTable& sections = LoadOne(CatalogId::ClSections, sectionText);
  ASSERT_EQ(sections.Count(), 500);
  EXPECT_EQ(sections.Field(499, 1), "s499");
  EXPECT_EQ(sections.Field(500, 1), "");

  EXPECT_EQ(LoadOne(CatalogId::DaSections, text).Count(), 1000);
}

TEST(CatalogFiles, MissingEmptyAndHeaderOnlyFilesGiveEmptyTables) {
  std::string dir = CatalogFolder("missing", {});
  LoadOne(CatalogId::BpCities, "h\r\n\"a\",\"b\",\"c\",\"d\",\"e\"\r\n");
  EXPECT_FALSE(LoadCatalogFile(Catalog(CatalogId::BpCities), dir));
  EXPECT_EQ(Catalog(CatalogId::BpCities).Count(), 0);

  EXPECT_EQ(LoadOne(CatalogId::BpCities, "").Count(), 0);
  EXPECT_EQ(LoadOne(CatalogId::BpCities, "\"Country\",\"StateCode\",\"StateName\",\"CityName\",\"CityURL\"\r\n")
                .Count(),
            0);
}

TEST(CatalogFiles, MarksStartClearAndBelongToTheirRows) {
  const std::string text = "h\r\n\"a\",\"b\",\"c\",\"d\"\r\n\"e\",\"f\",\"g\",\"h\"\r\n";
  CatalogTable& cities = Catalog(CatalogId::KjCities);
  LoadOne(CatalogId::KjCities, text);
  EXPECT_FALSE(cities.Mark(1));
  cities.SetMark(2, true);
  cities.SetMark(3, true);  // no such row: ignored
  cities.SetMark(0, true);
  EXPECT_FALSE(cities.Mark(1));
  EXPECT_TRUE(cities.Mark(2));
  EXPECT_FALSE(cities.Mark(3));

  // Reloading clears the marks.
  LoadOne(CatalogId::KjCities, text);
  EXPECT_FALSE(cities.Mark(2));

  cities.SetMark(1, true);
  SectionCatalog(SiteId::Craigslist).rows.clear();
  AppendCatalogRow(SectionCatalog(SiteId::Craigslist), {"sss", "sss", "For Sale (All)"});
  SectionCatalog(SiteId::Craigslist).SetMark(1, true);
  ClearAllMarks();
  EXPECT_FALSE(cities.Mark(1));
  EXPECT_FALSE(SectionCatalog(SiteId::Craigslist).Mark(1));

  // The state table has no mark.
  LoadOne(CatalogId::ClStates, "h\r\n\"x\",\"y\",\"z\"\r\n");
  StateTable().SetMark(1, true);
  EXPECT_FALSE(StateTable().Mark(1));
}

TEST(CatalogFiles, MalformedFilesLoadWithoutFailing) {
  // An unclosed quote takes the rest of its line only.
  const CatalogTable& open = LoadOne(CatalogId::KjSections, "h\r\n\"a,\"b\r\n\"c\",\"d\r\n\"e\"\r\n");
  ASSERT_EQ(open.Count(), 3);
  EXPECT_EQ(Row(open, 1), (Fields{"a,", "", "", ""}));
  EXPECT_EQ(Row(open, 2), (Fields{"c", "d", "", ""}));
  EXPECT_EQ(Row(open, 3), (Fields{"e", "", "", ""}));

  // NUL bytes are kept as text.
  const CatalogTable& nul = LoadOne(CatalogId::KjSections, Bytes("h\r\n\"a\0b\",\0\r\n"));
  ASSERT_EQ(nul.Count(), 1);
  EXPECT_EQ(nul.Field(1, 1), Bytes("a\0b"));
  EXPECT_EQ(nul.Field(1, 2), Bytes("\0"));

  // A very long line is one row; only the fields the table needs are kept.
  std::string huge(1024 * 1024, 'x');
  const CatalogTable& big = LoadOne(CatalogId::ClSections, "h\r\n\"" + huge + "\"," + huge + ",c," + huge + "\r\n");
  ASSERT_EQ(big.Count(), 1);
  EXPECT_EQ(big.Field(1, 1).size(), huge.size());
  EXPECT_EQ(big.Field(1, 3), "c");

  // Line ends of CR alone are not line ends: such a file is one header line.
  EXPECT_EQ(LoadOne(CatalogId::KjSections, "h\r\"a\"\r\"b\"\r").Count(), 0);
}

TEST(CatalogFiles, LoadSettingsAndCatalogsReadsTheProgramFolder) {
  std::string dir = CatalogFolder("program", {{CatalogId::DaCities, "h\r\n\"US\",\"NY\",\"New York\",\"Albany\",\"u\"\r\n"}});
  ASSERT_TRUE(platform::WriteWholeFile(dir + "vemtrix.ini", "MaxThreads: 7\r\n"));
  platform::SetProgramDirectory(dir);
  AppSettings().MaxThreads = 1;
  LoadSettingsAndCatalogs();
  EXPECT_EQ(CatalogFilePath(CatalogId::DaCities), dir + "DAcitylist.csv");
  platform::SetProgramDirectory("");

  EXPECT_EQ(CityCatalog(SiteId::Daype).Field(1, DaCityColumn::CityName), "Albany");
  EXPECT_EQ(CityCatalog(SiteId::Craigslist).Count(), 0);
  EXPECT_EQ(AppSettings().MaxThreads, 7);
}

TEST(CatalogRegions, RegionOfCountryFollowsTheGroups) {
  EXPECT_EQ(RegionOfCountry("gb"), "Europe");
  EXPECT_EQ(RegionOfCountry("UK"), "Europe");
  EXPECT_EQ(RegionOfCountry("Us"), "North America");
  EXPECT_EQ(RegionOfCountry("MX"), "Central America");
  // The listed oddities stay where they are listed.
  EXPECT_EQ(RegionOfCountry("MZ"), "Asia");
  EXPECT_EQ(RegionOfCountry("NA"), "Asia");
  EXPECT_EQ(RegionOfCountry("TG"), "Oceania");
  EXPECT_EQ(RegionOfCountry("FM"), "South America");
  EXPECT_EQ(RegionOfCountry("GS"), "South America");
  EXPECT_EQ(RegionOfCountry("HM"), "Africa");
  EXPECT_EQ(RegionOfCountry("YE"), "Asia");
  EXPECT_EQ(RegionOfCountry("ZW"), "Africa");
  // Unknown codes, and texts that are not one whole code, are "Other".
  EXPECT_EQ(RegionOfCountry("XX"), "Other");
  EXPECT_EQ(RegionOfCountry(""), "Other");
  EXPECT_EQ(RegionOfCountry("GBR"), "Other");
  EXPECT_EQ(RegionOfCountry("B "), "Other");
  EXPECT_EQ(RegionOfCountry(" G"), "Other");
}
