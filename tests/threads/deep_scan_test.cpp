// Deep scans against in-process sites, and the per-site text extraction.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <sstream>
#include <thread>

#include "catalogs/catalog_files.h"
#include "commands/search_commands.h"
#include "core/result_store.h"
#include "core/settings.h"
#include "harvest/ad_text.h"
#include "harvest/deep_scan.h"
#include "harvest/search_run.h"
#include "platform/platform.h"
#include "support/fake_sites.h"
#include "support/recording_frontend.h"

using namespace vemtrix;
using vemtrix::testing::FakeSites;
using vemtrix::testing::RecordingFrontend;

namespace {

const std::string kHeaders = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n";

std::string ReadRealPage(const std::string& name) {
  std::ifstream in(std::string(VEMTRIX_REALPAGES_DIR) + "/" + name, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

TEST(AdText, CraigslistContactAndBody) {
  std::string page = kHeaders + "<h2>Loft</h2><a href=\"mailto:x@y.org\">x@y.org</a> <div id=\"userbody\">Body text</div>";
  EXPECT_EQ(ExtractAdText("toronto.craigslist.ca", page).text,
            "<a href=\"mailto:x@y.org\">x@y.org</a><br /><br />\r\nBody text");
  page = kHeaders + "<div id=\"userbody\">No mail here";
  EXPECT_EQ(ExtractAdText("toronto.craigslist.ca", page).text,
            "Could not find a valid email address.<br /><br />\r\nNo mail here");
  page = kHeaders + "<section id=\"postingbody\">new layout</section>";
  EXPECT_EQ(ExtractAdText("sfbay.craigslist.org", page).text, page);  // no marker: the whole page
}

TEST(AdText, KijijiBothDomains) {
  std::string page = kHeaders + "<h1 id=\"preview-local-title\">Sofa</h1> <img title='Zoom'>http://i/1.jpg\" /> x "
                                "<span id=\"preview-local-desc\">Comfy.</span>";
  EXPECT_EQ(ExtractAdText("toronto.kijiji.ca", page).text,
            "<h1 id=\"preview-local-title\">Sofa</h1><span id=\"preview-local-desc\">Comfy.</span><br />\r\n"
            "http://i/1.jpg\" />");
  page = kHeaders + "<h1 id=\"ad-title\">Desk</h1><div class=\"imageStack\"><img src=\"d.jpg\" /></div>"
                    "<span class=\"h3\">Description</span><p>Solid oak.</p>";
  EXPECT_EQ(ExtractAdText("losangeles.kijiji.com", page).text,
            "<h1 id=\"ad-title\">Desk</h1>Solid oak.<br />\r\n<img src=\"d.jpg\" />");
  page = kHeaders + "<h1 id=\"ad-title\">Bare</h1>";
  EXPECT_EQ(ExtractAdText("losangeles.kijiji.com", page).text, "<h1 id=\"ad-title\">Bare</h1><br />\r\n");
}

TEST(AdText, BackpageAndDaype) {
  EXPECT_EQ(ExtractAdText("phoenix.backpage.com", kHeaders + "a<div class=\"adPost\">TV<!-- end adPost -->b").text,
            "<div class=\"adPost\">TV");
  EXPECT_EQ(ExtractAdText("phoenix.backpage.com", kHeaders + "<div class=\"adPost\">TV, no end!").text,
            "<div class=\"adPost\">TV, no end");
  EXPECT_EQ(ExtractAdText("phoenix.backpage.com", kHeaders + "<div>no marker</div>").text, "");

  AdText ad = ExtractAdText("la.daype.com", kHeaders + "<!DOCTYPE HTML>\n<p>Date: 2026-10-31 12:00</p>");
  EXPECT_EQ(ad.text, "<!DOCTYPE HTML>\n<p>Date: 2026-10-31 12:00</p>");
  EXPECT_EQ(ad.date, "2026-10-31");
  EXPECT_EQ(ExtractAdText("la.daype.com", kHeaders + "<html>").text, "");
  EXPECT_EQ(ExtractAdText("www.example.org", "anything").text, "anything");
}

TEST(AdText, RealCraigslistPages) {
  std::string page = ReadRealPage("craigslist_ad_toronto-apa_2012_userbody.html");
  if (page.empty()) GTEST_SKIP() << "real pages not available";
  std::string text = ExtractAdText("toronto.en.craigslist.ca", page).text;
  EXPECT_GE(text.size(), 50u);
  EXPECT_EQ(text.find("<html"), std::string::npos);  // cut to the body, not the whole page
  EXPECT_NE(text.find("<br /><br />\r\n"), std::string::npos);

  page = ReadRealPage("craigslist_ad_toronto-apa_2012_deleted.html");
  if (!page.empty()) {
    EXPECT_EQ(ExtractAdText("toronto.en.craigslist.ca", page).text, page);
  }
}

namespace {

class DeepScanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AppSettings() = DefaultSettings();
    Results().CreateWithCapacity(1000);
    DeepScanAbort = 0;
    platform::SetRandomForTesting([](int low, int) { return low; });
    platform::SetSleepForTesting([this](int) {
      sleeps += 1;
      if (DeepScanAbort != 0) sleepsAfterAbort += 1;
      if (abortOnSleep) DeepScanAbort = 1;
    });
  }
  void TearDown() override {
    DeepScanAbort = 1;
    WaitForDeepScanEnd();
    platform::SetSleepForTesting(nullptr);
    platform::SetRandomForTesting(nullptr);
    AppSettings() = DefaultSettings();
  }

  void AddAd(const std::string& link, const std::string& description = "") {
    Results().AddFromSearch(AppendOptions(), "2026-11-01", "Ad " + link, link, description, "Toronto", "apartments");
  }
  void Scan() {
    StartDeepScan(AppSettings());
    WaitForDeepScanEnd();
  }
  std::vector<std::string> Paths() {
    std::vector<std::string> paths;
    for (const std::string& r : sites.Server().Requests()) paths.push_back(vemtrix::testing::RequestPath(r));
    return paths;
  }

  RecordingFrontend ui;
  FakeSites sites;
  std::atomic<int> sleeps{0};
  std::atomic<int> sleepsAfterAbort{0};
  std::atomic<bool> abortOnSleep{false};
};

}  // namespace

TEST_F(DeepScanTest, NothingToDoSaysSo) {
  Scan();
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "No worries");
  EXPECT_EQ(ui.Messages()[0].text, "Everything has already been downloaded, so there's no need to do a deep scan.");
  EXPECT_EQ(DeepScanActive.load(), 0);
}

TEST_F(DeepScanTest, EmptyRowsAreFilledAndFeedTextFollowsOnlyWithOverride) {
  AppSettings().OverrideRSS = 0;
  AppSettings().MaxThreads2 = 1;  // one worker: the order of downloads is the order of rows
  AppSettings().AudioPrompts = 1;
  AddAd("http://toronto.craigslist.ca/apa/1.html");
  AddAd("http://toronto.craigslist.ca/apa/2.html", "A feed description longer than twenty-five characters");
  AddAd("http://toronto.craigslist.ca/apa/3.html");
  Scan();
  EXPECT_EQ(Results().Field(1, kFieldFullText),
            "<a href=\"mailto:me@example.org\">me@example.org</a><br /><br />\r\n"
            "The full text of the ad at /apa/1.html, long enough to count.");
  EXPECT_NE(Results().Field(3, kFieldFullText).find("/apa/3.html"), std::string::npos);
  EXPECT_EQ(Results().Field(2, kFieldFullText).rfind("<!--RSS-->", 0), 0u);
  EXPECT_EQ(Paths().size(), 2u);
  EXPECT_EQ(DeepScanActive.load(), 0);
  EXPECT_EQ(ui.DeepScanStates().front(), true);
  EXPECT_EQ(ui.DeepScanStates().back(), false);
  EXPECT_FALSE(ui.Spoken().empty());
  EXPECT_EQ(ui.Spoken().back(), "Deep scanning complete!");
  EXPECT_EQ(ui.DeepScanRowsShown(), 1);
  EXPECT_EQ(Dirty.load(), 1);

  // With the override the feed row is downloaded, after every empty row.
  AppSettings().OverrideRSS = 1;
  AddAd("http://toronto.craigslist.ca/apa/4.html");
  Scan();
  EXPECT_EQ(Paths(), (std::vector<std::string>{"/apa/1.html", "/apa/3.html", "/apa/4.html", "/apa/2.html"}));
  EXPECT_NE(Results().Field(2, kFieldFullText).find("/apa/2.html, long enough"), std::string::npos);
}

TEST_F(DeepScanTest, AnExpiredPostingIsMarked) {
  AddAd("http://toronto.craigslist.ca/apa/expired-9.html");
  Scan();
  EXPECT_EQ(Results().Field(1, kFieldFullText), "This posting has expired and will be removed shortly.");
  EXPECT_EQ(Results().Field(1, kFieldDate), "0000-00-00");
}

TEST_F(DeepScanTest, FiveShortPagesGiveUpAndTheRowKeepsWhatItHad) {
  AppSettings().MaxThreads2 = 1;
  AppSettings().OverrideRSS = 1;
  AddAd("http://toronto.craigslist.ca/apa/short-1.html", "The feed description of this ad, kept safe");
  Scan();
  EXPECT_EQ(Paths().size(), 5u);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text,
            "I'm having trouble downloading /apa/short-1.html from the server toronto.craigslist.ca. "
            "Aborting deep scan, sorry.");
  EXPECT_EQ(Results().Field(1, kFieldFullText), "<!--RSS-->The feed description of this ad, kept safe");
  EXPECT_EQ(sleeps.load(), 1 + 4 * 25 * 10);  // the launcher's pause, then four countdowns

  AddAd("http://toronto.craigslist.ca/apa/short-2.html");
  Scan();
  EXPECT_EQ(Results().Field(2, kFieldFullText), "");  // empty again, for a later deep scan
}

TEST_F(DeepScanTest, AFiftyCharacterTextIsKeptAtTheFirstDownload) {
  AddAd("http://toronto.craigslist.ca/apa/fifty-1.html");
  Scan();
  EXPECT_EQ(Results().Field(1, kFieldFullText), vemtrix::testing::FiftyCharacterAd());
  EXPECT_EQ(Paths().size(), 1u);
  EXPECT_TRUE(ui.Messages().empty());
}

// No error page, server error or padding is kept as an ad's text: each is a
// failed attempt. An error page that says the posting expired still marks it.
TEST_F(DeepScanTest, ErrorAndOversizedPagesFailButAnExpiryNoticeCounts) {
  AppSettings().MaxThreads2 = 1;
  struct Case {
    std::string link;
    std::size_t requests;
    std::string text;
  };
  const Case cases[] = {
      {"http://toronto.craigslist.ca/apa/gone-expired-1.html", 1,
       "This posting has expired and will be removed shortly."},
      {"http://toronto.craigslist.ca/apa/gone-2.html", 5, ""},
      {"http://error.craigslist.ca/apa/3.html", 5, ""},
      {"http://toronto.craigslist.ca/apa/huge-4.html", 5, ""},
  };
  for (const Case& c : cases) {
    Results().CreateWithCapacity(10);
    std::size_t before = sites.Server().Requests().size();
    std::int32_t givenUpBefore = DeepScanAdsGivenUp;
    AddAd(c.link);
    Scan();
    EXPECT_EQ(sites.Server().Requests().size() - before, c.requests) << c.link;
    EXPECT_EQ(Results().Field(1, kFieldFullText), c.text) << c.link;
    EXPECT_EQ(DeepScanAdsGivenUp - givenUpBefore, c.requests == 5 ? 1 : 0) << c.link;
  }
  EXPECT_EQ(ui.Messages().size(), 3u);

  // An ad's page on its own, as vemtrix-cli deep reads it.
  AdPageAttempt attempt = FetchAdPage("toronto.craigslist.ca", "/apa/gone-2.html", kDefaultUserAgent);
  EXPECT_FALSE(attempt.ok);
  EXPECT_EQ(attempt.problem, "status 404");
  EXPECT_EQ(attempt.ad.text, "");
  EXPECT_EQ(FetchAdPage("toronto.craigslist.ca", "/apa/huge-4.html", kDefaultUserAgent).problem,
            "too large");
  attempt = FetchAdPage("toronto.craigslist.ca", "/apa/5.html", kDefaultUserAgent);
  EXPECT_TRUE(attempt.ok);
  EXPECT_NE(attempt.ad.text.find("/apa/5.html, long enough"), std::string::npos);
}

TEST_F(DeepScanTest, AbortDuringACountdownLeavesNoRowPending) {
  AppSettings().MaxThreads2 = 1;
  AddAd("http://toronto.craigslist.ca/apa/short-1.html");
  AddAd("http://toronto.craigslist.ca/apa/2.html");
  abortOnSleep = true;
  Scan();
  EXPECT_EQ(sleepsAfterAbort.load(), 0);  // the abort ended the countdown at its next step
  EXPECT_EQ(Results().Field(1, kFieldFullText), "");
  EXPECT_EQ(Results().Field(2, kFieldFullText), "");
  EXPECT_EQ(DeepScanActive.load(), 0);

  // A later deep scan runs normally and takes the returned row again.
  abortOnSleep = false;
  std::size_t before = Paths().size();
  Scan();
  ASSERT_EQ(Paths().size(), before + 5);
  EXPECT_EQ(Paths().back(), "/apa/short-1.html");
  EXPECT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(DeepScanActive.load(), 0);
}

TEST_F(DeepScanTest, TheCommandAbortsAnActiveScan) {
  DeepScanActive = 1;
  StartDeepScan(AppSettings());
  EXPECT_EQ(DeepScanAbort.load(), 1);
  DeepScanActive = 0;
}

TEST_F(DeepScanTest, SearchWorkersLaunchItWhenAutomaticOrAlreadyActive) {
  for (int id = 0; id < kCatalogCount; ++id) ClearCatalog(Catalog(static_cast<CatalogId>(id)));
  AppendCatalogRow(CityCatalog(SiteId::Craigslist), {"US", "US", "United States", "Seattle", "seattle.craigslist.org"});
  AppendCatalogRow(SectionCatalog(SiteId::Craigslist), {"sss", "bik", "bicycles"});
  AppSettings().AutoDeepScan = 1;
  ASSERT_TRUE(StartSearchRun({"seattle.craigslist.org", "CL:bik", "red"}, AppSettings()));
  WaitForSearchRunEnd();
  WaitForDeepScanEnd();
  ASSERT_EQ(Results().Count(), 3);
  for (int row = 1; row <= 3; ++row) {
    EXPECT_NE(Results().Field(row, kFieldFullText).find("long enough to count"), std::string::npos) << row;
  }
  EXPECT_EQ(DeepScanActive.load(), 0);

  // Not automatic, but a deep scan the user started is still active: the
  // ads the search adds are taken in too.
  AppSettings().AutoDeepScan = 0;
  DeepScanActive = 1;
  ASSERT_TRUE(StartSearchRun({"seattle.craigslist.org", "CL:bik", "blue"}, AppSettings()));
  WaitForSearchRunEnd();
  WaitForDeepScanEnd();
  ASSERT_EQ(Results().Count(), 6);
  for (int row = 4; row <= 6; ++row) {
    EXPECT_NE(Results().Field(row, kFieldFullText).find("long enough to count"), std::string::npos) << row;
  }
}

// A search that adds ads by the hundred asks for the deep scan after each;
// the launcher already running takes the requests instead of a thread per
// ad, and every ad still gets its text.
TEST_F(DeepScanTest, HundredsOfAddedAdsShareOneLauncher) {
  for (int id = 0; id < kCatalogCount; ++id) ClearCatalog(Catalog(static_cast<CatalogId>(id)));
  AppendCatalogRow(CityCatalog(SiteId::Craigslist), {"US", "US", "United States", "Seattle", "seattle.craigslist.org"});
  AppendCatalogRow(SectionCatalog(SiteId::Craigslist), {"sss", "bik", "bicycles"});
  // The launcher's pauses between workers take real time, so it is still
  // running while the worker adds the rest of the feed.
  platform::SetSleepForTesting([](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms / 20)); });
  sites.adsPerFeed = 300;
  AppSettings().AutoDeepScan = 1;
  AppSettings().MaxThreads2 = 3;
  const std::int32_t before = DeepScanLaunchersStarted;
  ASSERT_TRUE(StartSearchRun({"seattle.craigslist.org", "CL:bik", "many"}, AppSettings()));
  WaitForSearchRunEnd();
  WaitForDeepScanEnd();
  ASSERT_EQ(Results().Count(), 300);
  EXPECT_LE(DeepScanLaunchersStarted - before, 5);  // one per ad before: 300 threads at once
  for (int row = 1; row <= 300; ++row) {
    ASSERT_NE(Results().Field(row, kFieldFullText).find("long enough to count"), std::string::npos) << row;
  }
  EXPECT_EQ(DeepScanActive.load(), 0);
}

TEST_F(DeepScanTest, SettingsChangedDuringAScanWaitForTheNextScan) {
  AppSettings().MaxThreads2 = 2;
  AppSettings().OverrideRSS = 0;
  AppSettings().UserAgent = "Agent at the start";
  for (int i = 1; i <= 6; ++i) AddAd("http://toronto.craigslist.ca/apa/" + std::to_string(i) + ".html");
  AddAd("http://toronto.craigslist.ca/apa/7.html", "A feed description longer than twenty-five characters");
  StartDeepScan(AppSettings());
  for (int i = 0; DeepScanActive != 0; ++i) {
    Settings& s = AppSettings();
    s.UserAgent = "Agent " + std::to_string(i);
    s.OverrideRSS = 1;
    s.MaxThreads2 = 1 + i % 12;
    s.AudioPrompts = i % 2;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  WaitForDeepScanEnd();

  EXPECT_EQ(Paths().size(), 6u);  // the feed row stays: no override at the start
  for (const std::string& request : sites.Server().Requests()) {
    EXPECT_EQ(vemtrix::testing::HeaderValue(request, "User-Agent"), "Agent at the start");
  }
  EXPECT_EQ(Results().Field(7, kFieldFullText).rfind("<!--RSS-->", 0), 0u);
  EXPECT_TRUE(ui.Spoken().empty());
}
