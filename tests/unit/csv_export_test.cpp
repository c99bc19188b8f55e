#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogs/state_codes.h"
#include "commands/output_commands.h"
#include "output/csv_export.h"
#include "output/html_output.h"
#include "support/output_fixture.h"

using namespace vemtrix;

namespace {

class CsvExport : public vemtrix::testing::OutputTest {};
class CsvStateCode : public vemtrix::testing::OutputTest {};
class CsvCommand : public vemtrix::testing::OutputTest {};

const char* const kPlainHeader = "\"Date\",\"Title\",\"City\",\"Section\",\"URI\",\"FullText\"\r\n";

// The titles (second cell) of the written records, in file order.
std::vector<std::string> TitlesIn(const std::string& csv) {
  std::vector<std::string> titles;
  std::size_t at = csv.find("\r\n") + 2;
  while (at < csv.size()) {
    std::size_t start = csv.find("\",\"", at) + 3;
    titles.push_back(csv.substr(start, csv.find('"', start) - start));
    at = csv.find("\r\n", at) + 2;
  }
  return titles;
}

}  // namespace

TEST_F(CsvExport, HeaderNamesTheOptionalColumnsInTheirPlaces) {
  EXPECT_EQ(CsvFileText(OutputScope::All, settings), kPlainHeader);
  settings.IncludeStateInCSV = 1;
  EXPECT_EQ(CsvFileText(OutputScope::All, settings),
            "\"Date\",\"Title\",\"City\",\"StateCode\",\"Section\",\"URI\",\"FullText\"\r\n");
  settings.IncludeSiteInCSV = 1;
  EXPECT_EQ(CsvFileText(OutputScope::All, settings),
            "\"Date\",\"Title\",\"City\",\"StateCode\",\"Section\",\"URI\",\"SiteName\",\"FullText\"\r\n");
}

TEST_F(CsvExport, RecordLineEscapesTextAndCarriesStateAndSite) {
  AppendCatalogRow(StateTable(), {"http://toronto.craigslist.ca", "Ontario", "ON"});
  AddRow("Say \"hi\" C:\\bikes\r\nline\nend", "http://toronto.craigslist.ca/bik/1.html", true,
         "<!--RSS-->fast, \"light\" C:\\x\r\nand\nmore");
  settings.IncludeStateInCSV = 1;
  settings.IncludeSiteInCSV = 1;
  std::string csv = CsvFileText(OutputScope::All, settings);
  EXPECT_EQ(csv.substr(csv.find("\r\n") + 2),
            "\"2026-03-01\",\"Say \\\"hi\\\" C:\\\\bikes\\nline\\nend\",\"Toronto\",\"ON\",\"bikes\","
            "\"http://toronto.craigslist.ca/bik/1.html\",\"Craigslist\","
            "\"<!--RSS-->fast, \\\"light\\\" C:\\\\x\\nand\\nmore\"\r\n");  // the full text as the title
}

TEST_F(CsvExport, SiteNameFollowsTheHostOfTheLink) {
  EXPECT_EQ(SiteNameForLink("http://toronto.craigslist.ca/bik/1.html"), "Craigslist");
  EXPECT_EQ(SiteNameForLink("http://toronto.kijiji.ca/c-craigslist-style-ad"), "Kijiji");
  EXPECT_EQ(SiteNameForLink("http://Dallas.BackPage.com/x"), "Backpage");
  EXPECT_EQ(SiteNameForLink("http://losangeles.daype.com/ad/9"), "Daype");
  EXPECT_EQ(SiteNameForLink("Error"), "");
  EXPECT_EQ(SiteNameForLink("http://example.org/craigslist"), "");
}

TEST_F(CsvExport, ScopesChooseTheRecords) {
  AddRow("red bike", "http://a.craigslist.org/1", false, "mini van seats");
  AddRow("blue bike", "http://a.craigslist.org/2", true, "minivan");
  AddRow("red car", "http://a.craigslist.org/3", true, "");
  AddRow("green van", "http://a.craigslist.org/4", false, "RED mini van");
  using Titles = std::vector<std::string>;
  EXPECT_EQ(TitlesIn(CsvFileText(OutputScope::All, settings)),
            (Titles{"red bike", "blue bike", "red car", "green van"}));
  EXPECT_EQ(TitlesIn(CsvFileText(OutputScope::NewOnly, settings)), (Titles{"blue bike", "red car"}));
  SelectRowsForOutput({4, 1});
  EXPECT_EQ(TitlesIn(CsvFileText(OutputScope::Selected, settings)), (Titles{"red bike", "green van"}));
  // The filter reads the title followed directly by the full text.
  EXPECT_EQ(TitlesIn(CsvFileText({OutputScope::QuickFilter, "Red \"mini van\""}, settings)),
            (Titles{"red bike", "green van"}));
  EXPECT_EQ(TitlesIn(CsvFileText({OutputScope::QuickFilter, "bike -seats"}, settings)), (Titles{"blue bike"}));
  EXPECT_EQ(TitlesIn(CsvFileText({OutputScope::QuickFilter, "\"bikemini van\""}, settings)), (Titles{"red bike"}));
}

TEST_F(CsvExport, QuickFilterTermsAndMatching) {
  EXPECT_EQ(QuickFilterTerms("red \"mini van\" -\"old car\""), "red,mini van,-old car");
  EXPECT_TRUE(QuickFilterMatches("Anything", ""));
  EXPECT_TRUE(QuickFilterMatches("A RED Mini Van", "red \"mini van\""));
  EXPECT_FALSE(QuickFilterMatches("a red van, mini", "red \"mini van\""));
  EXPECT_FALSE(QuickFilterMatches("wanted: bike", "-Wanted"));
  EXPECT_TRUE(QuickFilterMatches("bike for sale", "-wanted"));
  EXPECT_FALSE(QuickFilterMatches("old car for sale", "car -\"old car\""));
  // Extra spaces make empty terms, which are ignored; so is a lone "-".
  EXPECT_TRUE(QuickFilterMatches("bike", "  bike   - "));
}

TEST_F(CsvStateCode, CraigslistLinksUseTheStateTable) {
  // A row without a host must not claim every link.
  AppendCatalogRow(StateTable(), {"", "Nowhere", "XX"});
  AppendCatalogRow(StateTable(), {"http://newyork.craigslist.org", "New York", "NY"});
  AppendCatalogRow(StateTable(), {"http://toronto.craigslist.ca", "Ontario", "ON"});
  EXPECT_EQ(StateCodeForLink("http://Toronto.Craigslist.ca/bik/1.html"), "ON");
  EXPECT_EQ(StateCodeForLink("http://newyork.craigslist.org/mnh/2.html"), "NY");
  EXPECT_EQ(StateCodeForLink("http://paris.craigslist.fr/3.html"), "--");
}

TEST_F(CsvStateCode, KijijiLinksUseTheCityCatalogAndSubdivisionTables) {
  CatalogTable& cities = CityCatalog(SiteId::Kijiji);
  AppendCatalogRow(cities, {"Canada", "Ontario", "Nowhere", ""});
  AppendCatalogRow(cities, {"Canada", "Ontario", "Toronto", "http://toronto.kijiji.ca"});
  AppendCatalogRow(cities, {"United States", "New York", "Manhattan", "http://newyork.kijiji.com"});
  AppendCatalogRow(cities, {"United States", "texas", "Dallas", "http://dallas.kijiji.com"});
  AppendCatalogRow(cities, {"Mexico", "Jalisco", "Guadalajara", "http://guadalajara.kijiji.com"});
  EXPECT_EQ(StateCodeForLink("http://Toronto.kijiji.ca/c-bikes-W0QQAdIdZ1"), "ON");
  EXPECT_EQ(StateCodeForLink("http://newyork.kijiji.com/c-bikes"), "NY");
  EXPECT_EQ(StateCodeForLink("http://dallas.kijiji.com/c-bikes"), "--");       // name spelled otherwise
  EXPECT_EQ(StateCodeForLink("http://guadalajara.kijiji.com/c-x"), "--");      // no table for the country
  EXPECT_EQ(StateCodeForLink("http://montreal.kijiji.ca/c-x"), "--");          // no catalog row
  EXPECT_EQ(StateCodeForLink("http://dallas.backpage.com/BicyclesForSale/1"), "--");
}

TEST_F(CsvExport, WritesTheFileAndCountsTheRecords) {
  std::string path = FreshPath("three.csv");
  for (int i = 1; i <= 3; ++i) AddRow("bike " + std::to_string(i), "http://a.craigslist.org/" + std::to_string(i));
  ASSERT_TRUE(ExportCsv(path, OutputScope::All, settings));
  EXPECT_EQ(ReadFile(path), CsvFileText(OutputScope::All, settings));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "Save complete");
  EXPECT_EQ(ui.Messages()[0].text, "CSV file saved to '" + path + "' with 3 records.");

  SelectRowsForOutput({2});
  ASSERT_TRUE(ExportCsv(path, OutputScope::Selected, settings));
  EXPECT_EQ(ui.Messages().back().text, "CSV file saved to '" + path + "' with 1 record.");
  // A scope that takes nothing still writes the header.
  ASSERT_TRUE(ExportCsv(path, OutputScope::NewOnly, settings));
  EXPECT_EQ(ui.Messages().back().text, "CSV file saved to '" + path + "' with 0 record.");
  EXPECT_EQ(ReadFile(path), kPlainHeader);

  for (int i = 4; i <= 1234; ++i) AddRow("bike", "http://a.craigslist.org/" + std::to_string(i));
  ASSERT_TRUE(ExportCsv(path, OutputScope::All, settings));
  EXPECT_EQ(ui.Messages().back().text, "CSV file saved to '" + path + "' with 1,234 records.");
}

TEST_F(CsvExport, UnwritableFileIsReportedAsAnErrorNamingThePath) {
  AddRow("bike", "http://a.craigslist.org/1");
  std::string path = folder + "no-such-folder" + platform::PathSeparator() + "out.csv";
  EXPECT_FALSE(ExportCsv(path, OutputScope::All, settings));
  // A folder standing where the file should go cannot be replaced either.
  platform::CreateFolder(folder + "a-folder.csv");
  EXPECT_FALSE(ExportCsv(folder + "a-folder.csv", OutputScope::All, settings));
  auto messages = ui.Messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].caption, "Error");
  EXPECT_EQ(messages[0].icon, MessageIcon::Error);
  EXPECT_NE(messages[0].text.find("\"" + path + "\""), std::string::npos) << messages[0].text;
  EXPECT_EQ(messages[1].caption, "Error");
}

TEST_F(CsvCommand, NoRecordsAbortsBeforeAnyDialog) {
  EXPECT_FALSE(ExportCsvCommand({}, settings));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "Aborted");
  EXPECT_EQ(ui.Messages()[0].text,
            "There are no records to save. I can not count your chickens before they've hatched.");
  EXPECT_TRUE(ui.Dialogs().empty());
}

TEST_F(CsvCommand, ScopeQuestionAndDialog) {
  AddRow("old", "http://a.craigslist.org/1");
  AddRow("new", "http://a.craigslist.org/2", true);
  std::string path = FreshPath("cars.csv");
  ui.AnswerQuestionsWith(MessageAnswer::Yes);
  ui.AnswerNextFileDialogWith("  " + path + " ");
  ASSERT_TRUE(ExportCsvCommand({}, settings));
  auto messages = ui.Messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].caption, "Select Scope");
  EXPECT_EQ(messages[0].buttons, MessageButtons::YesNoCancel);
  EXPECT_EQ(messages[0].text,
            "Would you like to output only the 1 new record? (If not, everything will be included in the CSV file).");
  EXPECT_EQ(messages[1].caption, "Save complete");
  EXPECT_EQ(TitlesIn(ReadFile(path)), std::vector<std::string>{"new"});
  FileDialogRequest dialog = ui.Dialogs().at(0);
  EXPECT_EQ(dialog.title, "Please select a CSV file");
  EXPECT_EQ(dialog.filterName, "All CSV files (*.csv)");
  EXPECT_EQ(dialog.pattern, "*.csv");
  EXPECT_EQ(dialog.proposedName, "cars.csv");
  EXPECT_EQ(dialog.defaultExtension, "csv");
  EXPECT_EQ(dialog.initialFolder, platform::ProgramDirectory());

  // Plural count; No takes everything.
  AddRow("newer", "http://a.craigslist.org/3", true);
  ui.AnswerQuestionsWith(MessageAnswer::No);
  ui.AnswerNextFileDialogWith(path);
  ASSERT_TRUE(ExportCsvCommand({}, settings));
  EXPECT_NE(ui.Messages()[2].text.find("only the 2 new records?"), std::string::npos);
  EXPECT_EQ(TitlesIn(ReadFile(path)).size(), 3u);
}

TEST_F(CsvCommand, OnlyNewRecordsAreWrittenWithoutAQuestion) {
  AddRow("new", "http://a.craigslist.org/1", true);
  AddRow("newer", "http://a.craigslist.org/2", true);
  std::string path = FreshPath("all-new.csv");
  ui.AnswerNextFileDialogWith(path);
  ASSERT_TRUE(ExportCsvCommand({}, settings));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "Save complete");
  EXPECT_EQ(TitlesIn(ReadFile(path)), (std::vector<std::string>{"new", "newer"}));
}

TEST_F(CsvCommand, CancelledQuestionOrDialogSavesNothing) {
  AddRow("old", "http://a.craigslist.org/1");
  AddRow("new", "http://a.craigslist.org/2", true);
  ui.AnswerQuestionsWith(MessageAnswer::Cancel);
  EXPECT_FALSE(ExportCsvCommand({}, settings));
  EXPECT_TRUE(ui.Dialogs().empty());
  ui.AnswerQuestionsWith(MessageAnswer::No);
  ui.AnswerNextFileDialogWith("   ");
  EXPECT_FALSE(ExportCsvCommand({}, settings));
  EXPECT_FALSE(ExportCsvCommand({}, settings));  // dialog closed without a name
  auto messages = ui.Messages();
  ASSERT_EQ(messages.size(), 6u);
  for (int i : {1, 3, 5}) {
    EXPECT_EQ(messages[i].caption, "Aborted");
    EXPECT_EQ(messages[i].text, "Save cancelled. CSV file has NOT been saved.");
  }
}

TEST_F(CsvCommand, SeveralSelectedRowsAreWrittenWithoutAQuestion) {
  for (int i = 1; i <= 4; ++i) AddRow("bike " + std::to_string(i), "http://a.craigslist.org/" + std::to_string(i), i == 2);
  Results().SetSelected(1, 1);  // left over from an earlier output
  std::string path = FreshPath("selected.csv");
  ui.AnswerNextFileDialogWith(path);
  ASSERT_TRUE(ExportCsvCommand({4, 2}, settings));
  EXPECT_EQ(TitlesIn(ReadFile(path)), (std::vector<std::string>{"bike 2", "bike 4"}));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "Save complete");
}

// One highlighted row is no choice of rows: the scope question decides, as
// with none, for the CSV file and the HTML page alike.
TEST_F(CsvCommand, OneSelectedRowAsksTheScopeQuestionForCsvAndHtml) {
  AddRow("old", "http://a.craigslist.org/1");
  AddRow("new", "http://a.craigslist.org/2", true);
  AddRow("older", "http://a.craigslist.org/3");
  std::string csv = FreshPath("one.csv");
  ui.AnswerQuestionsWith(MessageAnswer::No);
  ui.AnswerNextFileDialogWith(csv);
  ASSERT_TRUE(ExportCsvCommand({3}, settings));
  EXPECT_EQ(ui.Messages().at(0).caption, "Select Scope");
  EXPECT_EQ(TitlesIn(ReadFile(csv)), (std::vector<std::string>{"old", "new", "older"}));

  std::string html = FreshPath("one.html");
  ui.AnswerQuestionsWith(MessageAnswer::Yes);
  ui.AnswerNextFileDialogWith(html);
  ASSERT_TRUE(ViewHtmlCommand({3}, settings));
  EXPECT_EQ(ui.Messages().at(2).caption, "Select Scope");
  const std::string page = ReadFile(html);
  EXPECT_NE(page.find("new"), std::string::npos);
  EXPECT_EQ(page.find("older"), std::string::npos) << "only the new record, never the highlighted row alone";
}

TEST_F(CsvCommand, QuickFilterButtonWritesMatchesAndOpensTheFile) {
  AddRow("red bike", "http://a.craigslist.org/1");
  AddRow("blue bike", "http://a.craigslist.org/2");
  std::string path = FreshPath("filtered.csv");
  ui.AnswerNextFileDialogWith(path);
  ASSERT_TRUE(QuickFilterCsvCommand("RED", settings));
  EXPECT_EQ(TitlesIn(ReadFile(path)), std::vector<std::string>{"red bike"});
  EXPECT_EQ(ui.Opened(), std::vector<std::string>{path});
  // A cancelled dialog does nothing at all.
  EXPECT_FALSE(QuickFilterCsvCommand("blue", settings));
  EXPECT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Opened().size(), 1u);
}

TEST_F(CsvExport, SpreadsheetQuotingAndThePriceColumn) {
  AddRow("Say \"hi\" C:\\bikes, $45\r\nline", "http://toronto.craigslist.ca/bik/1.html", true, "<!--RSS-->fast");
  AddRow("Free bike", "http://toronto.craigslist.ca/bik/2.html");
  const std::string atDefaults = CsvFileText(OutputScope::All, settings);

  // Every cell in quotes, a quote doubled, the rest as it stands.
  settings.CsvForSpreadsheets = 1;
  settings.IncludePriceInCSV = 1;
  EXPECT_EQ(CsvFileText(OutputScope::All, settings),
            "\"Date\",\"Title\",\"City\",\"Section\",\"URI\",\"FullText\",\"Price\"\r\n"
            "\"2026-03-01\",\"Say \"\"hi\"\" C:\\bikes, $45\r\nline\",\"Toronto\",\"bikes\","
            "\"http://toronto.craigslist.ca/bik/1.html\",\"<!--RSS-->fast\",\"45\"\r\n"
            "\"2026-03-01\",\"Free bike\",\"Toronto\",\"bikes\",\"http://toronto.craigslist.ca/bik/2.html\",\"\",\"\"\r\n");

  // The price alone keeps the backslash escapes; the last cell is the price.
  settings.CsvForSpreadsheets = 0;
  std::string csv = CsvFileText(OutputScope::All, settings);
  EXPECT_NE(csv.find("\"Say \\\"hi\\\" C:\\\\bikes, $45\\nline\""), std::string::npos);
  EXPECT_NE(csv.find("\"<!--RSS-->fast\",\"45\"\r\n"), std::string::npos);
  settings.IncludePriceInCSV = 0;
  EXPECT_EQ(CsvFileText(OutputScope::All, settings), atDefaults);
}

TEST_F(CsvExport, PriceRangeNarrowsTheQuickFilterItsCountAndItsOutputs) {
  AddRow("Road bike $450", "http://a.craigslist.org/1");
  AddRow("Kids bike", "http://a.craigslist.org/2", false, "<!--RSS-->Small frame, 80 $ firm");
  AddRow("Bike rack", "http://a.craigslist.org/3");
  AddRow("Tandem bike &#x0024;1,200", "http://a.craigslist.org/4");
  AddRow("Sofa $100", "http://a.craigslist.org/5");
  using Titles = std::vector<std::string>;
  auto listed = [](const std::string& filter, const PriceRange& prices) {
    Titles titles;
    for (const QuickFilterListRow& row : RefillQuickFilterList(filter, prices)) titles.push_back(row.title);
    return titles;
  };

  // The list shows decoded titles; a bound leaves out ads without a price.
  EXPECT_EQ(listed("bike", PriceRangeFromBoxes("", "")),
            (Titles{"Road bike $450", "Kids bike", "Bike rack", "Tandem bike $1,200"}));
  EXPECT_EQ(listed("bike", PriceRangeFromBoxes("80", "450")), (Titles{"Road bike $450", "Kids bike"}));
  EXPECT_EQ(listed("bike", PriceRangeFromBoxes("81", "")), (Titles{"Road bike $450", "Tandem bike $1,200"}));
  EXPECT_EQ(listed("", PriceRangeFromBoxes("", "100")), (Titles{"Kids bike", "Sofa $100"}));
  EXPECT_EQ(listed("bike", PriceRangeFromBoxes("500", "100")), Titles{});
  // A box without a number is no bound.
  EXPECT_EQ(listed("rack", PriceRangeFromBoxes("abc", "")), Titles{"Bike rack"});

  // The outputs take the same records; the CSV keeps the title as stored.
  settings.IncludePriceInCSV = 1;
  const PriceRange range = PriceRangeFromBoxes("100", "");
  EXPECT_EQ(TitlesIn(CsvFileText({OutputScope::QuickFilter, "bike", range}, settings)),
            (Titles{"Road bike $450", "Tandem bike &#x0024;1,200"}));
  settings.HTMLheader = "**ITEM**";
  settings.HTMLitem = "**COUNTER**:**ITEMPRICE**;";
  EXPECT_EQ(HtmlPageText({OutputScope::QuickFilter, "", range}, settings), "1:450;4:1200;5:100;");
  EXPECT_EQ(HtmlPageText(OutputScope::All, settings), "1:450;2:80;3:;4:1200;5:100;");

  std::string path = FreshPath("range.csv");
  ui.AnswerNextFileDialogWith(path);
  ASSERT_TRUE(QuickFilterCsvCommand("BIKE", range, settings));
  EXPECT_EQ(ui.Messages().back().text, "CSV file saved to '" + path + "' with 2 records.");
}
