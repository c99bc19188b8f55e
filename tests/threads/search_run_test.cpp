// Search runs against in-process sites. Sleeping and the random source are
// replaced, so retry countdowns take no real time.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "catalogs/catalog_files.h"
#include "catalogs/search_plan.h"
#include "commands/run_summary.h"
#include "commands/search_commands.h"
#include "core/result_store.h"
#include "core/settings.h"
#include "harvest/search_run.h"
#include "platform/platform.h"
#include "support/fake_sites.h"
#include "support/recording_frontend.h"

using namespace vemtrix;
using vemtrix::testing::FakeSites;
using vemtrix::testing::RecordingFrontend;

namespace {

void LoadTestCatalogs() {
  for (int id = 0; id < kCatalogCount; ++id) ClearCatalog(Catalog(static_cast<CatalogId>(id)));
  AppendCatalogRow(CityCatalog(SiteId::Craigslist), {"US", "US", "United States", "Seattle", "seattle.craigslist.org"});
  AppendCatalogRow(CityCatalog(SiteId::Craigslist), {"US", "US", "United States", "Default", "boston.craigslist.org"});
  AppendCatalogRow(CityCatalog(SiteId::Craigslist), {"US", "US", "United States", "Nowhere", "down.craigslist.org"});
  AppendCatalogRow(CityCatalog(SiteId::Craigslist), {"US", "US", "United States", "Nowhere 2", "down2.craigslist.org"});
  AppendCatalogRow(CityCatalog(SiteId::Craigslist), {"US", "US", "United States", "Broken", "error.craigslist.org"});
  AppendCatalogRow(CityCatalog(SiteId::Craigslist), {"US", "US", "United States", "Gone", "missing.craigslist.org"});
  AppendCatalogRow(CityCatalog(SiteId::Craigslist), {"US", "US", "United States", "Half", "cut.craigslist.org"});
  AppendCatalogRow(CityCatalog(SiteId::Craigslist), {"US", "US", "United States", "Nearly", "onebyte.craigslist.org"});
  for (const char* n : {"1", "2", "3"})
    AppendCatalogRow(CityCatalog(SiteId::Craigslist),
                     {"US", "US", "United States", std::string("Gone ") + n, std::string("missing") + n + ".craigslist.org"});
  AppendCatalogRow(CityCatalog(SiteId::Craigslist), {"US", "US", "United States", "Slow", "slow.craigslist.org"});
  AppendCatalogRow(SectionCatalog(SiteId::Craigslist), {"sss", "bik", "bicycles"});
  AppendCatalogRow(SectionCatalog(SiteId::Craigslist), {"sss", "fuo", "furniture"});
  AppendCatalogRow(CityCatalog(SiteId::Kijiji), {"Canada", "Ontario", "Toronto", "toronto.kijiji.ca"});
  // A city whose address goes on to a page of its own.
  AppendCatalogRow(CityCatalog(SiteId::Kijiji), {"Canada", "Quebec", "Ville de Quebec",
                                                 "http://quebec.kijiji.ca/ville-de-qu\xc3\xa9" "bec"});
  AppendCatalogRow(SectionCatalog(SiteId::Kijiji), {"Buy and sell", "27", "b-furniture", "furniture"});
  AppendCatalogRow(CityCatalog(SiteId::Backpage), {"USA", "Arizona", "Phoenix", "phoenix.backpage.com"});
  AppendCatalogRow(SectionCatalog(SiteId::Backpage), {"4374", "For Sale", "0", "", "forsale"});
  AppendCatalogRow(SectionCatalog(SiteId::Backpage), {"4374", "For Sale", "5172", "Electronics", "electronics"});
  AppendCatalogRow(CityCatalog(SiteId::Daype), {"California", "Los Angeles", "la.daype.com"});
  AppendCatalogRow(CityCatalog(SiteId::Daype), {"California", "San Diego", "sd.daype.com"});
  for (const char* code : {"furniture", "cars", "jobs"}) {
    AppendCatalogRow(SectionCatalog(SiteId::Daype), {"For sale", code, std::string("Daype ") + code, "fs"});
  }
}

class SearchRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AppSettings() = DefaultSettings();
    AppSettings().SearchBackpage = 1;
    AppSettings().SearchDaype = 1;
    LoadTestCatalogs();
    Results().CreateWithCapacity(1000);
    NewThisRun = 0;
    platform::SetRandomForTesting([](int low, int) { return low; });
    platform::SetSleepForTesting([this](int ms) {
      sleeps += 1;
      sleptMs += ms;
      lastSleepMs = ms;
      if (AbortFlag != 0) sleepsAfterAbort += 1;
      if (onSleep) onSleep();
    });
  }
  void TearDown() override {
    AbortFlag = 1;
    WaitForSearchRunEnd();
    platform::SetSleepForTesting(nullptr);
    platform::SetRandomForTesting(nullptr);
    AppSettings() = DefaultSettings();
    AbortFlag = 0;
  }

  void Run(const std::string& cities, const std::string& sections, const std::string& terms) {
    ASSERT_TRUE(StartSearchRun({cities, sections, terms}, AppSettings()));
    WaitForSearchRunEnd();
  }

  std::vector<std::string> RequestLines() {
    std::vector<std::string> lines;
    for (const std::string& r : sites.Server().Requests()) {
      lines.push_back(vemtrix::testing::HeaderValue(r, "Host") + " " + vemtrix::testing::RequestPath(r));
    }
    return lines;
  }

  RecordingFrontend ui;
  FakeSites sites;
  std::atomic<int> sleeps{0};
  std::atomic<int> sleptMs{0};
  std::atomic<int> lastSleepMs{0};
  std::atomic<int> sleepsAfterAbort{0};
  std::function<void()> onSleep;
};

}  // namespace

TEST_F(SearchRunTest, ExpansionOrderSkippedPairsAndDisplayNames) {
  SearchPlan plan = PlanSearch({"seattle.craigslist.org,toronto.kijiji.ca,boston.craigslist.org,unknown.host",
                                "CL:bik,KJ:27\\b-furniture", "red,blue"}, AppSettings());
  EXPECT_EQ(plan.total, 4 * 2 * 2);
  std::vector<std::string> got;
  for (const PlannedJob& p : plan.jobs) {
    got.push_back(std::to_string(p.number) + " " + p.job.host + " " + p.job.sectionCode + " " + p.job.term + " " +
                  p.job.cityName + "/" + p.job.sectionName);
  }
  EXPECT_EQ(got, (std::vector<std::string>{
                     "0 seattle.craigslist.org bik red Seattle/bicycles",
                     "1 seattle.craigslist.org bik blue Seattle/bicycles",
                     // Seattle x Kijiji section: skipped but counted (2, 3).
                     "6 toronto.kijiji.ca 27\\b-furniture red Toronto/furniture",
                     "7 toronto.kijiji.ca 27\\b-furniture blue Toronto/furniture",
                     "8 boston.craigslist.org bik red United States/bicycles",  // "Default" city
                     "9 boston.craigslist.org bik blue United States/bicycles",
                 }));

  // A site that is switched off yields nothing for its cities.
  AppSettings().SearchKijiji = 0;
  EXPECT_EQ(PlanSearch({"toronto.kijiji.ca", "KJ:27\\b-furniture", "x"}, AppSettings()).jobs.size(), 0u);

  // Backpage codes gain the section's folder; the name depends on the category.
  plan = PlanSearch({"phoenix.backpage.com", "BP:4374\\0,BP:4374\\5172", "tv"}, AppSettings());
  ASSERT_EQ(plan.jobs.size(), 2u);
  EXPECT_EQ(plan.jobs[0].job.sectionCode, "4374\\0\\forsale");
  EXPECT_EQ(plan.jobs[0].job.sectionName, "For Sale");
  EXPECT_EQ(plan.jobs[1].job.sectionCode, "4374\\5172\\electronics");
  EXPECT_EQ(plan.jobs[1].job.sectionName, "Electronics");
}

TEST_F(SearchRunTest, DaypeFeedIsQueriedOncePerCityAndTerm) {
  std::string sections = "DA:fs\\furniture,DA:fs\\cars,DA:fs\\jobs";
  EXPECT_EQ(PlanSearch({"la.daype.com,sd.daype.com", sections, "a,b"}, AppSettings()).jobs.size(), 12u);
  AppSettings().DaypeRSS = 1;
  SearchPlan plan = PlanSearch({"la.daype.com,sd.daype.com", sections, "a,b"}, AppSettings());
  ASSERT_EQ(plan.jobs.size(), 4u);
  EXPECT_EQ(plan.total, 12);
  for (const PlannedJob& p : plan.jobs) EXPECT_EQ(p.job.sectionName, "Daype furniture");
  EXPECT_EQ(plan.jobs[2].number, 6);  // San Diego starts after all of Los Angeles
}

TEST_F(SearchRunTest, OneWorkerRunsTheJobsInOrderAndFillsTheStore) {
  AppSettings().MaxThreads = 1;
  AppSettings().AudioPrompts = 1;
  std::int32_t searchesBefore = AppSettings().SuperSearches;
  Run("seattle.craigslist.org,boston.craigslist.org", "CL:bik", "red,blue");

  EXPECT_EQ(RequestLines(), (std::vector<std::string>{
                                "seattle.craigslist.org /search/bik?query=red&format=rss",
                                "seattle.craigslist.org /search/bik?query=blue&format=rss",
                                "boston.craigslist.org /search/bik?query=red&format=rss",
                                "boston.craigslist.org /search/bik?query=blue&format=rss",
                            }));
  EXPECT_EQ(Results().Count(), 12);
  EXPECT_EQ(NewThisRun.load(), 12);
  EXPECT_EQ(Results().Field(1, kFieldCity), "Seattle");
  EXPECT_EQ(Results().Field(1, kFieldSection), "bicycles");
  EXPECT_EQ(Results().Field(12, kFieldCity), "United States");
  EXPECT_EQ(SearchRunning.load(), 0);
  EXPECT_EQ(AppSettings().SuperSearches - searchesBefore, 1);
  EXPECT_EQ(ui.RunsEnded(), 1);
  EXPECT_EQ(ui.Spoken(), std::vector<std::string>{"Search complete!"});

  // Progress went 0, 25, 50, 75, 100 %, then the run state "Inactive".
  EXPECT_EQ(ui.Progress(), (std::vector<int>{0, 250, 500, 750, 1000, 1000}));
  EXPECT_EQ(ui.RunStates(), std::vector<RunState>{RunState::Inactive});
  EXPECT_EQ(ProgressPermille.load(), 1000);

  // Every row ended dull and with no site.
  auto rows = ui.WorkerRows();
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows.front().text, "red in bicycles in Seattle");
  EXPECT_EQ(rows.front().light, WorkerLight::Downloading);
  EXPECT_EQ(rows.front().site, SiteId::Craigslist);
  EXPECT_EQ(rows.back().light, WorkerLight::Idle);
  EXPECT_EQ(rows.back().site, SiteId::None);
}

// A city whose address goes on to a page of its own is searched on its host,
// like the site's other cities.
TEST_F(SearchRunTest, ACityAddressWithAPathIsSearchedOnItsHost) {
  const std::string city = "http://quebec.kijiji.ca/ville-de-qu\xc3\xa9" "bec";
  Run(city, "KJ:27\\b-furniture", "sofa");
  EXPECT_EQ(RequestLines(), std::vector<std::string>{"quebec.kijiji.ca /f-SearchAdRss?catId=27&Keyword=sofa"});
  EXPECT_TRUE(ui.Messages().empty());
  ASSERT_EQ(Results().Count(), 3);
  EXPECT_EQ(Results().Field(1, kFieldCity), "Ville de Quebec");
  EXPECT_EQ(Results().Field(1, kFieldLink).rfind("http://quebec.kijiji.ca/c-ad-", 0), 0u);
  EXPECT_EQ(ui.WorkerRows().front().site, SiteId::Kijiji);
}

TEST_F(SearchRunTest, ManyWorkersAddEveryAdOnce) {
  AppSettings().MaxThreads = 12;
  Run("seattle.craigslist.org,boston.craigslist.org", "CL:bik,CL:fuo", "same1,same2,same3,red");
  // "same" terms give the same ads in every query of a city.
  EXPECT_EQ(Results().Count(), 2 * (3 + 3 + 3));
  EXPECT_EQ(sites.Server().Requests().size(), 16u);
}

TEST_F(SearchRunTest, FiveFailuresGiveUpWithOneMessageAndFreeTheSlot) {
  AppSettings().MaxThreads = 1;
  Run("down.craigslist.org,seattle.craigslist.org", "CL:bik", "x");
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "Error");
  EXPECT_EQ(ui.Messages()[0].text,
            "I'm having trouble connecting to the search for x on the server down.craigslist.org in the section "
            "bik. Aborting search, sorry.");
  EXPECT_EQ(sites.Server().Requests().size(), 6u);  // five attempts, then the next job
  EXPECT_EQ(Results().Count(), 3);
  // Four countdowns of 25 seconds in 100 ms steps.
  EXPECT_EQ(sleptMs.load(), 4 * 25 * 1000);
  bool countdownShown = false;
  bool slotReused = false;
  for (const auto& row : ui.WorkerRows()) {
    countdownShown = countdownShown || (row.text == "Connect problem (Nowhere)... Restarting in 25" &&
                                        row.light == WorkerLight::Problem);
    slotReused = slotReused || (row.slot == 1 && row.text == "x in bicycles in Seattle");
  }
  EXPECT_TRUE(countdownShown);
  EXPECT_TRUE(slotReused);
  EXPECT_EQ(ErrorBoxShown.load(), 0);
}

// A server error or a cut-off feed is a failed attempt, retried and given
// up like no answer at all; an error page (4xx) is a page without ads whose
// request stays named in the status bar after the run.
TEST_F(SearchRunTest, ServerErrorsAndCutPagesAreRetriedAndErrorPagesNamed) {
  AppSettings().MaxThreads = 1;
  ui.WhileMessageShown([] {});
  const std::int32_t givenUpBefore = SearchJobsGivenUp;
  Run("error.craigslist.org,cut.craigslist.org,missing.craigslist.org,seattle.craigslist.org", "CL:bik", "x");

  std::vector<std::string> requested = RequestLines();
  EXPECT_EQ(std::count(requested.begin(), requested.end(), "error.craigslist.org /search/bik?query=x&format=rss"), 5);
  EXPECT_EQ(std::count(requested.begin(), requested.end(), "cut.craigslist.org /search/bik?query=x&format=rss"), 5);
  EXPECT_EQ(std::count(requested.begin(), requested.end(), "missing.craigslist.org /search/bik?query=x&format=rss"),
            1);
  EXPECT_EQ(SearchJobsGivenUp - givenUpBefore, 2);
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_NE(ui.Messages()[0].text.find("on the server error.craigslist.org"), std::string::npos);
  EXPECT_NE(ui.Messages()[1].text.find("on the server cut.craigslist.org"), std::string::npos);
  EXPECT_EQ(Results().Count(), 3);  // Seattle's, and none from half a feed
  for (std::int32_t row = 1; row <= 3; ++row) EXPECT_EQ(Results().Field(row, kFieldCity), "Seattle");

  std::vector<std::string> lines = ui.RequestLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "Error 404 for http://missing.craigslist.org/search/bik?query=x&format=rss");

  // The next run starts with a clean slate.
  Run("seattle.craigslist.org", "CL:fuo", "x");
  EXPECT_EQ(ui.RequestLines().back(), "");
}

TEST_F(SearchRunTest, AFeedOneByteShortIsRetriedAndEachRunNamesOnlyItsOwnErrorPages) {
  AppSettings().MaxThreads = 1;
  ui.WhileMessageShown([] {});
  const std::int32_t givenUpBefore = SearchJobsGivenUp;
  Run("onebyte.craigslist.org,missing1.craigslist.org,missing2.craigslist.org", "CL:bik", "x");
  std::vector<std::string> requested = RequestLines();
  EXPECT_EQ(std::count(requested.begin(), requested.end(), "onebyte.craigslist.org /search/bik?query=x&format=rss"),
            5);
  EXPECT_EQ(SearchJobsGivenUp - givenUpBefore, 1);
  EXPECT_EQ(ui.RequestLines().back(),
            "2 error pages, the last: Error 404 for http://missing2.craigslist.org/search/bik?query=x&format=rss");

  // The next run names its own one error page only, and a run without any names none.
  Run("missing3.craigslist.org,seattle.craigslist.org", "CL:bik", "x");
  EXPECT_EQ(ui.RequestLines().back(), "Error 404 for http://missing3.craigslist.org/search/bik?query=x&format=rss");
  Run("seattle.craigslist.org", "CL:bik", "y");
  EXPECT_EQ(ui.RequestLines().back(), "");
  EXPECT_EQ(Results().Count(), 6);  // Seattle's three for each term; nothing from the short feed
}

// The end of a run tells how it went: the searches given up and why, the
// rows it added, and whether Abort stopped it.
TEST_F(SearchRunTest, TheRunsSummaryNamesEachGivenUpSearchAndItsReason) {
  AppSettings().MaxThreads = 1;
  ui.WhileMessageShown([] {});
  AppendCatalogRow(CityCatalog(SiteId::Craigslist), {"US", "US", "United States", "Looping", "redirect.craigslist.org"});
  AppendCatalogRow(CityCatalog(SiteId::Craigslist), {"US", "US", "United States", "Bloated", "huge.craigslist.org"});
  AppendCatalogRow(CityCatalog(SiteId::Craigslist), {"US", "US", "United States", "Unknown", "gone.craigslist.invalid"});
  const std::string cities =
      "seattle.craigslist.org,down.craigslist.org,error.craigslist.org,cut.craigslist.org,"
      "redirect.craigslist.org,huge.craigslist.org,gone.craigslist.invalid,missing.craigslist.org";
  Run(cities, "CL:bik", "x");

  ASSERT_EQ(ui.Summaries().size(), 1u);
  RunSummary summary = ui.Summaries()[0];
  std::vector<std::string> lines;
  for (const FailedSearch& failed : summary.failed) lines.push_back(FailedSearchLine(failed));
  ASSERT_EQ(lines, (std::vector<std::string>{
                       "x in bicycles in Nowhere: no answer",
                       "x in bicycles in Broken: server error 500",
                       "x in bicycles in Half: page cut short",
                       "x in bicycles in Looping: redirect left over",
                       "x in bicycles in Bloated: too large",
                       "x in bicycles in Unknown: host not found",
                   }));
  EXPECT_EQ(summary.failed[5].host, "gone.craigslist.invalid");
  EXPECT_EQ(RunSummaryText(summary), "Search complete: 3 results, 3 new; 6 of 8 searches failed");
  EXPECT_EQ(LastRunSummary().failed.size(), 6u);
  // The unknown host was never asked through the override.
  for (const std::string& line : RequestLines()) EXPECT_EQ(line.find(".invalid"), std::string::npos);

  // The same search again finds nothing new; an aborted run says so.
  Run("seattle.craigslist.org", "CL:bik", "x");
  EXPECT_EQ(RunSummaryText(ui.Summaries().back()), "Search complete: 3 results, 0 new");
  onSleep = [] { AbortFlag = 1; };  // Abort during the first retry countdown
  Run("down.craigslist.org,seattle.craigslist.org", "CL:fuo", "x");
  EXPECT_EQ(RunSummaryText(ui.Summaries().back()), "Search aborted: 3 results, 0 new");
  EXPECT_TRUE(ui.Summaries().back().failed.empty());
}

TEST_F(SearchRunTest, OnlyOneGiveUpMessageAtATime) {
  AppSettings().MaxThreads = 2;
  AppSettings().AudioPrompts = 1;
  // The first message stays up until the other worker has given up too.
  ui.WhileMessageShown([] { std::this_thread::sleep_for(std::chrono::milliseconds(500)); });
  Run("down.craigslist.org,down2.craigslist.org", "CL:bik", "x");
  EXPECT_EQ(ui.Messages().size(), 1u);
  // Which is said first depends on whether the last job is handed out
  // before a worker gives up; each is said once.
  std::vector<std::string> spoken = ui.Spoken();
  std::sort(spoken.begin(), spoken.end());
  EXPECT_EQ(spoken, (std::vector<std::string>{"Oh no! Search failed!", "Search complete!"}));
}

TEST_F(SearchRunTest, AbortDuringACountdownEndsTheWorkerAtOnce) {
  AppSettings().MaxThreads = 1;
  onSleep = [] { AbortFlag = 1; };  // the user presses Abort during the first countdown
  Run("down.craigslist.org,seattle.craigslist.org", "CL:bik", "x,y");
  EXPECT_EQ(sleeps.load(), 1);             // the 100 ms step during which Abort came
  EXPECT_EQ(sleepsAfterAbort.load(), 0);  // and no further step after it
  EXPECT_EQ(sites.Server().Requests().size(), 1u);  // nothing more was dispatched
  EXPECT_EQ(SearchRunning.load(), 0);
  EXPECT_EQ(ui.RunsEnded(), 1);
  EXPECT_TRUE(ui.Spoken().empty());
  EXPECT_EQ(ui.RunStates().back(), RunState::Inactive);
}

// Abort means quiet: a job whose last attempt was under way, and the deep
// scan the run started, end without a give-up message or another countdown.
TEST_F(SearchRunTest, AfterAbortNoGiveUpMessageFromTheRunOrItsDeepScan) {
  AppSettings().MaxThreads = 1;
  AppSettings().AudioPrompts = 1;
  const std::int32_t givenUpBefore = SearchJobsGivenUp;
  sites.delayMs = 200;
  // The user presses Abort while the fifth attempt is downloading.
  std::thread user([this] {
    while (sites.Server().Requests().size() < 5) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    AbortFlag = 1;
  });
  Run("down.craigslist.org,seattle.craigslist.org", "CL:bik", "x");
  user.join();
  EXPECT_EQ(sites.Server().Requests().size(), 5u);
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_TRUE(ui.Spoken().empty());
  EXPECT_EQ(SearchJobsGivenUp, givenUpBefore);

  // The run's automatic deep scan meets ad pages it cannot use; Abort comes
  // during its first countdown, while a slow job keeps the run going.
  sites.delayMs = 0;
  sites.slowHostMs = 1000;
  AppSettings().AudioPrompts = 0;
  AppSettings().MaxThreads = 2;
  AppSettings().MaxThreads2 = 1;
  AppSettings().AutoDeepScan = 1;
  DeepScanAbort = 0;
  onSleep = [this] {
    if (lastSleepMs == 100) AbortFlag = 1;  // a countdown's step; the launcher pauses 1000 ms
  };
  const std::size_t before = sites.Server().Requests().size();
  Run("seattle.craigslist.org,slow.craigslist.org", "CL:bik", "short");
  WaitForDeepScanEnd();
  std::vector<std::string> requested = RequestLines();
  requested.erase(requested.begin(), requested.begin() + static_cast<std::ptrdiff_t>(before));
  EXPECT_EQ(std::count_if(requested.begin(), requested.end(),
                          [](const std::string& r) { return r.find("/ad/") != std::string::npos; }),
            1);  // one ad page, not retried, and no scan started after the Abort
  EXPECT_EQ(Results().Count(), 6);  // the slow job still adds what it got
  EXPECT_EQ(sleepsAfterAbort.load(), 0);
  EXPECT_TRUE(ui.Messages().empty());
  for (std::int32_t row = 1; row <= Results().Count(); ++row) {
    EXPECT_EQ(Results().Field(row, kFieldFullText).find("too short"), std::string::npos);
    EXPECT_NE(Results().Field(row, kFieldFullText), "Pending");
  }
  EXPECT_EQ(DeepScanActive.load(), 0);
}

TEST_F(SearchRunTest, OverflowEndsTheJobButNotTheRun) {
  AppSettings().MaxThreads = 1;
  Results().CreateWithCapacity(5);
  sites.adsPerFeed = 4;
  Run("seattle.craigslist.org", "CL:bik,CL:fuo", "red,blue");
  EXPECT_EQ(Results().Count(), 5);
  EXPECT_EQ(sites.Server().Requests().size(), 4u);  // every job still ran
  ASSERT_GE(ui.Messages().size(), 1u);
  EXPECT_NE(ui.Messages()[0].text.find("overflowed (5 elements)"), std::string::npos);
  EXPECT_EQ(SearchRunning.load(), 0);
}

TEST_F(SearchRunTest, ASecondRunCannotStartWhileOneIsActive) {
  AppSettings().MaxThreads = 1;
  onSleep = [] { std::this_thread::sleep_for(std::chrono::milliseconds(5)); };
  ASSERT_TRUE(StartSearchRun({"down.craigslist.org", "CL:bik", "x"}, AppSettings()));
  EXPECT_FALSE(StartSearchRun({"seattle.craigslist.org", "CL:bik", "x"}, AppSettings()));
  AbortFlag = 1;
  WaitForSearchRunEnd();
  EXPECT_EQ(SearchRunning.load(), 0);
}

TEST_F(SearchRunTest, SettingsChangedDuringARunWaitForTheNextRun) {
  AppSettings().MaxThreads = 3;
  AppSettings().UserAgent = "Agent at the start";
  ASSERT_TRUE(StartSearchRun({"seattle.craigslist.org,boston.craigslist.org", "CL:bik,CL:fuo", "red,blue,green"},
                             AppSettings()));
  // The settings page changes the record while the workers run.
  for (int i = 0; SearchRunning != 0; ++i) {
    Settings& s = AppSettings();
    s.UserAgent = "Agent " + std::to_string(i);
    s.MaxThreads = 1 + i % 12;
    s.MaxResults = 5000 + i;
    s.RSSdescription = i % 2;
    s.AudioPrompts = i % 2;
    s.AutoDeepScan = i % 2;
    s.SearchTitles = i % 2;
    s.HasPictures = i % 2;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  WaitForSearchRunEnd();

  const std::vector<std::string> requests = sites.Server().Requests();
  ASSERT_EQ(requests.size(), 12u);
  for (const std::string& request : requests) {
    EXPECT_EQ(vemtrix::testing::HeaderValue(request, "User-Agent"), "Agent at the start");
    EXPECT_EQ(vemtrix::testing::RequestPath(request).find("&hasPic"), std::string::npos);
  }
  ASSERT_EQ(Results().Count(), 36);
  for (std::int32_t row = 1; row <= Results().Count(); ++row) {
    EXPECT_EQ(Results().Field(row, kFieldFullText).rfind("<!--RSS-->", 0), 0u) << row;
  }
  EXPECT_TRUE(ui.Spoken().empty());
  EXPECT_EQ(DeepScanActive.load(), 0);
}
