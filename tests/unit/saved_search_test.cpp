#include <gtest/gtest.h>

#include <random>
#include <utility>

#include "catalogs/catalog_files.h"
#include "commands/search_commands.h"
#include "core/csv_fields.h"
#include "core/current_search.h"
#include "core/recent_searches.h"
#include "core/result_store.h"
#include "core/settings.h"
#include "output/saved_search.h"
#include "platform/platform.h"
#include "support/recording_frontend.h"
#include "support/test_folder.h"

using namespace vemtrix;
using vemtrix::testing::RecordingFrontend;

namespace {

struct FixedDate {
  FixedDate(int y, int m, int d) {
    platform::SetClockForTesting([=] { return platform::LocalDateTime{y, m, d, 12, 0, 0, 0}; });
  }
  ~FixedDate() { platform::SetClockForTesting(nullptr); }
};

class SavedSearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AppSettings() = DefaultSettings();
    dir = TestFolder("searches");
    dir.pop_back();  // without its separator
    platform::SetProgramDirectory(dir);
    for (int id = 0; id < kCatalogCount; ++id) ClearCatalog(Catalog(static_cast<CatalogId>(id)));
    AppendCatalogRow(CityCatalog(SiteId::Craigslist), {"NA", "US", "United States", "Seattle", "http://seattle.craigslist.org/"});
    AppendCatalogRow(CityCatalog(SiteId::Craigslist), {"NA", "US", "United States", "Boston", "http://boston.craigslist.org/"});
    AppendCatalogRow(SectionCatalog(SiteId::Craigslist), {"sss", "bik", "bicycles"});
    AppendCatalogRow(CityCatalog(SiteId::Kijiji), {"Canada", "Ontario", "Toronto", "http://toronto.kijiji.ca/"});
    AppendCatalogRow(SectionCatalog(SiteId::Kijiji), {"Buy", "27", "b-furniture", "Furniture"});
    AppendCatalogRow(SectionCatalog(SiteId::Backpage), {"4374", "For Sale", "5172", "Electronics", "electronics"});
    AppendCatalogRow(SectionCatalog(SiteId::Daype), {"For sale", "furniture", "Furniture", "fs"});
    Results().CreateWithCapacity(AppSettings().MaxResults);
    Dirty = 0;
  }
  void TearDown() override {
    platform::SetProgramDirectory("");
    AppSettings() = DefaultSettings();
  }

  void Add(const std::string& date, const std::string& title, const std::string& link, const std::string& full) {
    SearchResult row{date, title, "Seattle", "bicycles", link, full, "Yes"};
    Results().AppendLoaded(row);
  }
  std::string Written(const std::string& name) {
    std::string text;
    platform::ReadWholeFile(dir + platform::PathSeparator() + name + ".vem", text);
    return text;
  }
  void Write(const std::string& name, const std::string& text) {
    ASSERT_TRUE(platform::WriteWholeFile(dir + platform::PathSeparator() + name + ".vem", text));
  }

  RecordingFrontend ui;
  std::string dir;
};

}  // namespace

TEST(EscapedFields, RoundTripsEveryAwkwardText) {
  const std::string texts[] = {
      "quote \" backslash \\ line\r\nbreak",
      "ends in a backslash\\",
      "a backslash then n: \\n stays",
      "lone\rCR, lone\nLF, form\ffeed",
      "",
      "\\\"",
  };
  for (const std::string& text : texts) {
    std::string line = "\"2026-11-01\",\"" + EscapeCsvText(text) + "\",\"c\",\"s\",\"l\",\"" + EscapeCsvText(text) + "\"";
    std::string back = ReadEscapedField(line, 2);
    std::string expected = text;
    // Lone CRs, LFs and form feeds come back as line breaks.
    if (text.rfind("lone", 0) == 0) expected = "lone\r\nCR, lone\r\nLF, form\r\nfeed";
    EXPECT_EQ(back, expected) << text;
    EXPECT_EQ(ReadEscapedField(line, 6), expected);
    EXPECT_EQ(ReadEscapedField(line, 5), "l");
  }
  EXPECT_EQ(EscapeCsvText("a\\b\"c\r\nd"), "a\\\\b\\\"c\\nd");
  EXPECT_EQ(ReadEscapedField("\"only one\"", 2), "");
  EXPECT_EQ(ReadEscapedField("\"x\\q\"", 1), "x\\q");  // an unknown escape keeps both characters
  EXPECT_EQ(ReadEscapedField("\"x\"", 7), "");
}

TEST(SearchNames, CleaningReplacesForbiddenCharactersAndDropsPairsOfSpaces) {
  EXPECT_EQ(CleanSearchName("cars.toronto"), "cars toronto");
  EXPECT_EQ(CleanSearchName("a/b\\c*d?e\"f"), "a b c d e f");
  EXPECT_EQ(CleanSearchName("a..b"), "ab");     // two spaces disappear
  EXPECT_EQ(CleanSearchName("a...b"), "a b");   // three leave one
  EXPECT_EQ(CleanSearchName("cars:toronto<1>|x"), "cars toronto 1x");  // ">|" made a pair
  EXPECT_EQ(CleanSearchName(std::string("tab\there")), "tab here");
}

TEST_F(SavedSearchTest, SavesByteForByteAndSkipsBlankAndExpiredRows) {
  CityCatalog(SiteId::Craigslist).SetMark(2, true);
  SectionCatalog(SiteId::Craigslist).SetMark(1, true);
  CityCatalog(SiteId::Kijiji).SetMark(1, true);
  SectionCatalog(SiteId::Kijiji).SetMark(1, true);
  SectionCatalog(SiteId::Backpage).SetMark(1, true);
  SectionCatalog(SiteId::Daype).SetMark(1, true);
  Add("2026-11-01", "Road \"bike\"\\", "http://seattle.craigslist.org/bik/1.html", "<!--RSS-->Line one\r\nline two");
  Add("2026-11-02", "   ", "http://seattle.craigslist.org/bik/2.html", "");
  Add("0000-00-00", "Expired", "http://seattle.craigslist.org/bik/3.html", "gone");
  CurrentSearch().name = "bikes.in/town";
  CurrentSearch().terms = "road bike, \"fixie\"";
  Dirty = 1;

  ASSERT_TRUE(SaveSearch(AppSettings()));
  EXPECT_EQ(Dirty.load(), 0);
  EXPECT_EQ(CurrentSearch().name, "bikes in town");
  EXPECT_EQ(AppSettings().CurrentSearchName, "bikes in town");
  EXPECT_EQ(Written("bikes in town"),
            "Vemtrix Saved Search\r\n"
            "CurrentSearchname: bikes in town\r\n"
            "SearchTerms: road bike, \"fixie\"\r\n"
            "CLcityList: http://boston.craigslist.org/\r\n"
            "KJcityList: http://toronto.kijiji.ca/\r\n"
            "BPcityList: \r\n"
            "DAcityList: \r\n"
            "CLsectionList: bik\r\n"
            "KJsectionList: 27\\b-furniture\r\n"
            "BPsectionList: 4374\\5172\r\n"
            "DAsectionList: furniture\r\n"
            "Result: \"2026-11-01\",\"Road \\\"bike\\\"\\\\\",\"Seattle\",\"bicycles\","
            "\"http://seattle.craigslist.org/bik/1.html\",\"<!--RSS-->Line one\\nline two\"\r\n");
}

TEST_F(SavedSearchTest, LoadsBackWhatWasSavedWithMarksAndNothingNew) {
  FixedDate today(2026, 11, 20);
  CityCatalog(SiteId::Craigslist).SetMark(1, true);
  SectionCatalog(SiteId::Kijiji).SetMark(1, true);
  Add("2026-11-01", "Title with \\n and \"quotes\"", "http://a/1", "Full text\r\nof two lines\\");
  Add("2026-10-30", "Second", "http://a/2", "");
  CurrentSearch().name = "round trip";
  CurrentSearch().terms = "x,y";
  ASSERT_TRUE(SaveSearch(AppSettings()));

  ClearAllMarks();
  Results().CreateWithCapacity(100);
  CurrentSearch().terms = "";
  NewThisRun = 7;
  Dirty = 1;
  ASSERT_TRUE(LoadSearch(false, AppSettings()));
  EXPECT_EQ(Results().Count(), 2);
  SearchResult first = Results().Row(1);
  EXPECT_EQ(first.title, "Title with \\n and \"quotes\"");
  EXPECT_EQ(first.fullText, "Full text\r\nof two lines\\");
  EXPECT_EQ(first.newFlag, "");
  EXPECT_EQ(NewThisRun.load(), 0);
  EXPECT_EQ(Dirty.load(), 1);  // loading leaves it as it was
  EXPECT_EQ(CurrentSearch().terms, "x,y");
  EXPECT_EQ(ui.CurrentSearchChanges(), 2);  // the save's cleaned name, then the load
  EXPECT_EQ(ui.CatalogMarkChanges(), 1);
  EXPECT_TRUE(CityCatalog(SiteId::Craigslist).Mark(1));
  EXPECT_FALSE(CityCatalog(SiteId::Craigslist).Mark(2));
  EXPECT_TRUE(SectionCatalog(SiteId::Kijiji).Mark(1));
  EXPECT_FALSE(SectionCatalog(SiteId::Craigslist).Mark(1));
  EXPECT_EQ(ui.Counters().back(), std::make_pair(0, 2));
}

TEST_F(SavedSearchTest, AListChoosesRowsByTheirWholeIdentity) {
  // Daype's categories are numbers: "2" must not be chosen by a listed "12".
  AppendCatalogRow(SectionCatalog(SiteId::Daype), {"For sale", "2", "Bikes", "bikes"});
  AppendCatalogRow(SectionCatalog(SiteId::Daype), {"For sale", "12", "Furniture & decor", "furniture"});
  Write("numbered", "Vemtrix Saved Search\r\nDAsectionList: 12\r\n");
  CurrentSearch().name = "numbered";
  ASSERT_TRUE(LoadSearch(true, AppSettings()));
  EXPECT_FALSE(SectionCatalog(SiteId::Daype).Mark(1));
  EXPECT_FALSE(SectionCatalog(SiteId::Daype).Mark(2));
  EXPECT_TRUE(SectionCatalog(SiteId::Daype).Mark(3));
}

TEST_F(SavedSearchTest, RerunningALoadedSearchAddsOnlyAdsNotAlreadyThere) {
  const std::string seen = "http://seattle.craigslist.org/bik/5550001.html";
  Write("rerun", "Vemtrix Saved Search\r\n"
                 "Result: \"2026-11-01\",\"seen\",\"c\",\"s\",\"" + seen + "\",\"\"\r\n");
  CurrentSearch().name = "rerun";
  AppSettings().DiscardSearches = 0;
  ASSERT_TRUE(LoadSearch(true, AppSettings()));
  ASSERT_EQ(Results().Count(), 1);

  // The next run finds the loaded ad again, and one it has not seen.
  Results().AddFromSearch(AppendOptions(), "2026-11-01", "seen again", seen, "", "Seattle", "bicycles");
  Results().AddFromSearch(AppendOptions(), "2026-11-02", "fresh", "http://seattle.craigslist.org/bik/5550002.html", "",
                          "Seattle", "bicycles");
  ASSERT_EQ(Results().Count(), 2);
  EXPECT_EQ(Results().Field(2, kFieldTitle), "fresh");
  EXPECT_EQ(NewThisRun.load(), 1);
}

TEST_F(SavedSearchTest, OldResultsAreDiscardedTwoMonthsBack) {
  Write("dated", "Vemtrix Saved Search\r\nResult: \"2009-01-14\",\"old\",\"c\",\"s\",\"http://a/1\",\"\"\r\n"
                 "Result: \"2009-01-15\",\"kept\",\"c\",\"s\",\"http://a/2\",\"\"\r\n"
                 "Result: \"\",\"undated\",\"c\",\"s\",\"http://a/3\",\"\"\r\n");
  CurrentSearch().name = "dated";
  {
    FixedDate today(2009, 3, 15);
    ASSERT_TRUE(LoadSearch(true, AppSettings()));
  }
  ASSERT_EQ(Results().Count(), 1);
  EXPECT_EQ(Results().Field(1, kFieldTitle), "kept");
  // The load says what the rule left out (an empty date counts as old).
  EXPECT_EQ(ui.RequestLines(), std::vector<std::string>{"Loaded 1 results; 2 older than two months were left out."});

  AppSettings().DiscardSearches = 0;
  ASSERT_TRUE(LoadSearch(true, AppSettings()));
  EXPECT_EQ(Results().Count(), 3);
  EXPECT_EQ(ui.RequestLines().size(), 1u);  // nothing left out, nothing said

  FixedDate january(2009, 1, 10);
  EXPECT_EQ(DiscardCutoffDate(), "2008-11-10");
}

TEST_F(SavedSearchTest, AFebruaryLoadKeepsDecembersResults) {
  Write("winter", "Vemtrix Saved Search\r\nResult: \"2008-12-19\",\"old\",\"c\",\"s\",\"http://a/1\",\"\"\r\n"
                  "Result: \"2008-12-20\",\"december\",\"c\",\"s\",\"http://a/2\",\"\"\r\n"
                  "Result: \"2009-01-05\",\"january\",\"c\",\"s\",\"http://a/3\",\"\"\r\n");
  CurrentSearch().name = "winter";
  FixedDate today(2009, 2, 20);
  ASSERT_TRUE(LoadSearch(true, AppSettings()));
  ASSERT_EQ(Results().Count(), 2);
  EXPECT_EQ(Results().Field(1, kFieldTitle), "december");
  EXPECT_EQ(Results().Field(2, kFieldTitle), "january");
}

TEST_F(SavedSearchTest, ReadsBothOlderLayouts) {
  AppSettings().DiscardSearches = 0;
  Write("old1", "old one\r\n\"no lists\"\r\nbik\r\nterms here\r\n\"2009-01-01\",\"A\",\"c\",\"s\",\"http://a/1\",\"\"\r\n");
  CurrentSearch().name = "old1";
  CityCatalog(SiteId::Craigslist).SetMark(1, true);
  ASSERT_TRUE(LoadSearch(true, AppSettings()));
  EXPECT_EQ(CurrentSearch().name, "old one");
  EXPECT_EQ(CurrentSearch().terms, "terms here");
  EXPECT_FALSE(CityCatalog(SiteId::Craigslist).Mark(1));
  ASSERT_EQ(Results().Count(), 1);
  EXPECT_EQ(Results().Field(1, kFieldTitle), "A");

  Write("old2", "old two\r\nhttp://seattle.craigslist.org/,http://gone.craigslist.org/\r\nbik\r\nt\r\n"
                "http://toronto.kijiji.ca/\r\n27\\b-furniture\r\n\"2009-01-01\",\"B\",\"c\",\"s\",\"http://a/2\",\"\"\r\n");
  CurrentSearch().name = "old2";
  ASSERT_TRUE(LoadSearch(true, AppSettings()));
  EXPECT_TRUE(CityCatalog(SiteId::Craigslist).Mark(1));
  EXPECT_TRUE(SectionCatalog(SiteId::Craigslist).Mark(1));
  EXPECT_TRUE(CityCatalog(SiteId::Kijiji).Mark(1));
  EXPECT_TRUE(SectionCatalog(SiteId::Kijiji).Mark(1));
  ASSERT_EQ(Results().Count(), 1);
  EXPECT_EQ(Results().Field(1, kFieldTitle), "B");

  // A keyed file without list lines chooses nothing anywhere.
  Write("bare", "  VEMTRIX saved SEARCH \r\nSearchTerms: q\r\n");
  CurrentSearch().name = "bare";
  ASSERT_TRUE(LoadSearch(true, AppSettings()));
  EXPECT_FALSE(CityCatalog(SiteId::Craigslist).Mark(1));
  EXPECT_EQ(Results().Count(), 0);
}

// A file that cannot be a saved search is refused as it is, and the search
// on screen stays: its name, terms, ticks and results.
TEST_F(SavedSearchTest, AFileThatIsNoSavedSearchIsRefusedAndChangesNothing) {
  AppSettings().DiscardSearches = 0;
  Write("good", "Vemtrix Saved Search\r\nCurrentSearchname: good\r\nSearchTerms: lamp\r\n"
                "CLcityList: http://seattle.craigslist.org/\r\n"
                "Result: \"2026-11-01\",\"A lamp\",\"c\",\"s\",\"http://a/1\",\"\"\r\n");
  CurrentSearch().name = "good";
  ASSERT_TRUE(LoadSearch(false, AppSettings()));

  std::mt19937 random(21);
  std::string noise(4096, ' ');
  for (char& c : noise) c = static_cast<char>(random() & 0xFF);
  std::string printable(300, 'x');  // no NUL, but a first line no name is as long as
  for (char& c : printable) c = static_cast<char>('!' + random() % 90);
  const std::string withNul = "Vemtrix Saved Search\r\nSearchTerms: q\r\n"
                              "Result: \"2026-11-01\",\"t\",\"c\",\"s\",\"http://a/2\",\"x" +
                              std::string(1, '\0') + "y\"\r\n";
  const std::pair<std::string, std::string> files[] = {{"noise", noise}, {"printable", printable}, {"nul", withNul}};
  for (const auto& [name, text] : files) {
    Write(name, text);
    for (bool quiet : {false, true}) {
      const std::size_t before = ui.Messages().size();
      CurrentSearch().name = name;
      EXPECT_FALSE(LoadSearch(quiet, AppSettings())) << name;
      ASSERT_EQ(ui.Messages().size(), before + 1) << name;
      EXPECT_EQ(ui.Messages().back().caption, "Error");
      EXPECT_EQ(ui.Messages().back().text, "\"" + name + "\" is not a saved search.");
      EXPECT_EQ(ui.Messages().back().icon, MessageIcon::Error);
      EXPECT_EQ(CurrentSearch().name, "good") << name;
      EXPECT_EQ(AppSettings().CurrentSearchName, "good");
      EXPECT_EQ(CurrentSearch().terms, "lamp");
      EXPECT_TRUE(CityCatalog(SiteId::Craigslist).Mark(1));
      ASSERT_EQ(Results().Count(), 1);
      EXPECT_EQ(Results().Field(1, kFieldTitle), "A lamp");
    }
  }

  // After New Search the name shown is the new one, not yet in the settings:
  // a refused load keeps it.
  StartNewSearch("fresh");
  CurrentSearch().name = "noise";
  EXPECT_FALSE(LoadSearch(false, AppSettings(), "fresh"));
  EXPECT_EQ(CurrentSearch().name, "fresh");
  EXPECT_EQ(AppSettings().CurrentSearchName, "good");

  // An older layout begins with the name, which may be as long as any.
  const std::string longest(kMaxSearchNameLength, 'n');
  Write("long", longest + "\r\n\"no lists\"\r\nbik\r\nterms\r\n"
                          "\"2009-01-01\",\"B\",\"c\",\"s\",\"http://a/3\",\"\"\r\n");
  CurrentSearch().name = "long";
  ASSERT_TRUE(LoadSearch(false, AppSettings()));
  EXPECT_EQ(CurrentSearch().name, longest);
  EXPECT_EQ(Results().Count(), 1);

  // A NUL in a page the deep scan read is saved as a space, so the program
  // never writes a file it would refuse.
  Add("2026-11-02", "nul", "http://a/4", std::string("before") + '\0' + "after");
  CurrentSearch().name = "saved";
  ASSERT_TRUE(SaveSearch(AppSettings()));
  ASSERT_TRUE(LoadSearch(false, AppSettings()));
  ASSERT_EQ(Results().Count(), 2);
  EXPECT_EQ(Results().Field(2, kFieldFullText), "before after");
}

TEST_F(SavedSearchTest, AMissingFileIsReportedUnlessQuiet) {
  CurrentSearch().name = "no such search";
  EXPECT_FALSE(LoadSearch(true, AppSettings()));
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_FALSE(LoadSearch(false, AppSettings()));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "Warning");
  EXPECT_EQ(ui.Messages()[0].text, "\"no such search\" can't be found. Perhaps it is a new search?");
  EXPECT_EQ(ui.Messages()[0].icon, MessageIcon::Warning);
}

namespace {

std::string ResultsFile(int count) {
  std::string text = "Vemtrix Saved Search\r\nCurrentSearchname: big\r\n";
  text.reserve(static_cast<std::size_t>(count) * 60 + 64);
  for (int i = 0; i < count; ++i) {
    const std::string n = std::to_string(i);
    text += "Result: \"2026-01-01\",\"t" + n + "\",\"c\",\"s\",\"http://a/" + n + "\",\"\"\r\n";
  }
  return text;
}

}  // namespace

// The window's Save after a load that did not fit: the 200,000 results of the
// file stay in it unless the user says Yes.
TEST_F(SavedSearchTest, APartialLoadIsNotSavedOverItsFileUnasked) {
  AppSettings().DiscardSearches = 0;
  const std::string file = ResultsFile(200000);
  Write("big", file);
  CurrentSearch().name = "big";
  Results().CreateWithCapacity(AppSettings().MaxResults);
  ASSERT_TRUE(LoadSearch(true, AppSettings()));
  EXPECT_EQ(Results().Count(), 25000);
  EXPECT_TRUE(CurrentSearchPartlyLoaded());
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text,
            "The results list has overflowed (25,000 elements). Please increase max results in the settings. "
            "Only 25,000 of this search's 200,000 results could be loaded. Saving the search now would remove "
            "the others from its file.");

  Dirty = 1;
  EXPECT_FALSE(SaveSearch(AppSettings()));  // the recording front end answers No
  ASSERT_EQ(ui.Messages().size(), 2u);
  const vemtrix::testing::RecordedMessage question = ui.Messages()[1];
  EXPECT_EQ(question.caption, "Warning");
  EXPECT_EQ(question.text,
            "Only 25,000 of this search's 200,000 results could be loaded, because the results list is full. "
            "Saving now would remove the others from the file. Save anyway?");
  EXPECT_EQ(question.buttons, MessageButtons::YesNoDefaultNo);
  EXPECT_EQ(Written("big"), file);
  EXPECT_EQ(Dirty.load(), 1);
}

TEST_F(SavedSearchTest, APartialLoadAsksOnlyForItsOwnFileUntilClearedOrSaved) {
  AppSettings().DiscardSearches = 0;
  AppSettings().AudioPrompts = 1;
  AppSettings().MaxResults = 5000;
  Write("big", ResultsFile(5002));
  CurrentSearch().name = "big";
  ASSERT_TRUE(LoadSearch(true, AppSettings()));
  EXPECT_EQ(Results().Count(), 5000);
  EXPECT_EQ(Results().Field(5000, kFieldTitle), "t4999");
  EXPECT_EQ(ui.Spoken().size(), 1u);
  ASSERT_EQ(ui.Messages().size(), 1u);

  // Another name: written at once. Letter case does not make another file.
  CurrentSearch().name = "big copy";
  ASSERT_TRUE(SaveSearch(AppSettings()));
  EXPECT_EQ(ui.Messages().size(), 1u);
  CurrentSearch().name = "BIG";
  EXPECT_FALSE(SaveSearch(AppSettings()));
  EXPECT_EQ(ui.Messages().size(), 2u);

  // Yes: saved as it stands, and from then on the file is what the list holds.
  ui.AnswerQuestionsWith(MessageAnswer::Yes);
  CurrentSearch().name = "big";
  ASSERT_TRUE(SaveSearch(AppSettings()));
  EXPECT_EQ(ui.Messages().size(), 3u);
  EXPECT_EQ(CountSavedResults(dir + platform::PathSeparator() + "big.vem", false), 5000);
  EXPECT_FALSE(CurrentSearchPartlyLoaded());
  ASSERT_TRUE(SaveSearch(AppSettings()));
  EXPECT_EQ(ui.Messages().size(), 3u);

  // A cleared list (New Search, Clear) holds nothing of the file any more.
  Write("big", ResultsFile(5002));
  ASSERT_TRUE(LoadSearch(true, AppSettings()));
  EXPECT_TRUE(CurrentSearchPartlyLoaded());
  Results().Clear();
  EXPECT_FALSE(CurrentSearchPartlyLoaded());

  // Exactly full is whole: nothing is reported, nothing asked.
  Write("full", ResultsFile(5000));
  CurrentSearch().name = "full";
  const std::size_t before = ui.Messages().size();
  ASSERT_TRUE(LoadSearch(true, AppSettings()));
  EXPECT_FALSE(CurrentSearchPartlyLoaded());
  EXPECT_EQ(ui.Messages().size(), before);
}

// A file whose saved name is not its file name: the part of it that was
// loaded belongs to that file, so saving back over the file asks, and saving
// under the search's own name (another file) does not.
TEST_F(SavedSearchTest, APartialLoadOfAFileSavedUnderAnotherNameAsksOnlyForThatFile) {
  AppSettings().DiscardSearches = 0;
  AppSettings().MaxResults = 5000;
  std::string file = ResultsFile(5002);
  file.replace(file.find("CurrentSearchname: big"), 22, "CurrentSearchname: weekly bikes");
  Write("big", file);
  CurrentSearch().name = "big";
  ASSERT_TRUE(LoadSearch(true, AppSettings()));
  EXPECT_EQ(CurrentSearch().name, "weekly bikes");
  ASSERT_EQ(ui.Messages().size(), 1u);

  ASSERT_TRUE(SaveSearch(AppSettings()));  // "weekly bikes.vem": no question
  EXPECT_EQ(ui.Messages().size(), 1u);
  CurrentSearch().name = "big";
  EXPECT_FALSE(SaveSearch(AppSettings()));  // over big.vem: asked, and No keeps it
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_EQ(ui.Messages()[1].caption, "Warning");
  EXPECT_EQ(Written("big"), file);
}

TEST_F(SavedSearchTest, AFailedSaveKeepsDirtyAndTheOldFile) {
  CurrentSearch().name = "keep";
  Add("2026-11-01", "first", "http://a/1", "");
  ASSERT_TRUE(SaveSearch(AppSettings()));
  std::string before = Written("keep");
  Add("2026-11-02", "second", "http://a/2", "");
  Dirty = 1;
  platform::SetProgramDirectory(dir + platform::PathSeparator() + "missing-folder");
  EXPECT_FALSE(SaveSearch(AppSettings()));
  platform::SetProgramDirectory(dir);
  EXPECT_EQ(Dirty.load(), 1);
  EXPECT_EQ(Written("keep"), before);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "Error");
  EXPECT_NE(ui.Messages()[0].text.find("missing-folder"), std::string::npos);
}

TEST(RecentSearches, NineNewNamesKeepTheNewestEight) {
  AppSettings() = DefaultSettings();
  for (int i = 1; i <= 7; ++i) AddRecentSearch(AppSettings().RecentSearches, "Search" + std::to_string(i));
  EXPECT_EQ(AppSettings().RecentSearches, "search7,search6,search5,search4,search3,search2,search1,default");
  AddRecentSearch(AppSettings().RecentSearches, "search8");
  EXPECT_EQ(AppSettings().RecentSearches, "search8,search7,search6,search5,search4,search3,search2,search1");
  AddRecentSearch(AppSettings().RecentSearches, "SEARCH9");
  EXPECT_EQ(AppSettings().RecentSearches, "search9,search8,search7,search6,search5,search4,search3,search2");
  AddRecentSearch(AppSettings().RecentSearches, "Search5");  // already there: no move to the front
  EXPECT_EQ(AppSettings().RecentSearches.substr(0, 8), "search9,");

  AppSettings().RecentSearches = "";
  AddRecentSearch(AppSettings().RecentSearches, "first");
  EXPECT_EQ(AppSettings().RecentSearches, "first");
  AppSettings() = DefaultSettings();
}

TEST(RecentSearches, MenuShowsNamesInProperCase) {
  AppSettings() = DefaultSettings();
  AppSettings().RecentSearches = "cars,old bikes-for SALE";
  std::vector<MenuItem> menu = BuildRecentMenu(AppSettings().RecentSearches);
  ASSERT_EQ(menu.size(), 4u);
  EXPECT_EQ(menu[0].text, "Recent Searches");
  EXPECT_EQ(menu[0].command, 6000);
  EXPECT_FALSE(menu[0].enabled);
  EXPECT_EQ(menu[1].text, "-");
  EXPECT_EQ(menu[2].text, "Cars");
  EXPECT_EQ(menu[2].command, 6001);
  EXPECT_EQ(menu[3].text, "Old Bikes-For Sale");
  EXPECT_EQ(RecentSearchName(AppSettings().RecentSearches, 6002), "old bikes-for SALE");
  EXPECT_EQ(RecentSearchName(AppSettings().RecentSearches, 6003), "");
  AppSettings() = DefaultSettings();
}

TEST(Statistics, AboutBoxLines) {
  AppSettings() = DefaultSettings();
  AppSettings().SuperBytes = 1234567890123LL;
  AppSettings().SuperResults = 4321;
  AppSettings().SuperSearches = 12;
  AppSettings().SuperSearchTime = 90061;
  AppSettings().SuperProgramTime = 3599;
  EXPECT_EQ(AboutStatisticsLines(AppSettings()), (std::vector<std::string>{
                                        "Total bytes downloaded: 1,234,567,890,123",
                                        "Total search results found: 4,321",
                                        "Total searches performed: 12",
                                        "Time spent searching: 25:01:01",
                                        "Time spent running: 0:59:59",
                                    }));
  AppSettings() = DefaultSettings();
}
