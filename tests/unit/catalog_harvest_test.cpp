// Whole catalog harvests against a small in-process world of catalog pages.
#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "catalogs/catalog_files.h"
#include "catalogs/catalog_harvest.h"
#include "core/settings.h"
#include "harvest/http_get.h"
#include "platform/platform.h"
#include "support/fake_sites.h"
#include "support/loopback_server.h"
#include "support/recording_frontend.h"
#include "support/test_folder.h"

using namespace vemtrix;
using namespace vemtrix::testing;

namespace {

std::string Ok(const std::string& body) { return "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + body; }
const std::string kNotFound = "HTTP/1.0 404 Not Found\r\n\r\n<html><body><h1>Not Found</h1></body></html>\n";

// host + path -> response of the small world.
std::map<std::string, std::string> WorldPages() {
  return {
      {"www.backpage.com/",
       Ok("<p class=\"cityLinkList\"><a href=\"http://toronto.backpage.com/x\">Toronto, ON</a></p>")},
      {"losangeles.backpage.com/online/classifieds/index",
       Ok("<div id=\"indexSectionButtons\"><a href=\"/BuySell/?section=4378\">buy sell</a></div>")},
      {"www.daype.com/", Ok("<span class='head1'>Ohio</span><a href=\"http://cleveland.daype.com/x\">Cleveland</a>"
                            " <div class=bg_footer>")},
      {"losangeles.daype.com/classifieds.html",
       Ok("<td class=head1>For Sale</td><a href=\"http://la.daype.com/classifieds/bikes/13/\">bikes</a> bg_footer")},
      {"geo.craigslist.org/iso/us/de",
       "HTTP/1.0 302 Found\r\nLocation: http://delaware.craigslist.org/\r\n\r\n<html>moved</html>"},
      {"geo.craigslist.org/iso/ca/on", Ok("<div id=\"list\"><a href=\"http://toronto.craigslist.ca/\">toronto</a>")},
      {"geo.craigslist.org/iso/us",
       Ok("<div id=\"list\"><a href=\"http://delaware.craigslist.org/\">delaware</a> <br>"
          "<a href=\"http://guam.craigslist.org/\">guam</a>")},
      {"losangeles.kijiji.com/",
       Ok("<h2 class=\"title\"><a href=\"http://losangeles.kijiji.com/buy/?catId=10\">buy</a></h2>")},
      {"www.kijiji.ca/", Ok("<div class=\"catlist\"><h2 class=\"homeMetaCatName\">Qu\xC3\xA9" "bec</h2>"
                            "<li><a href=\"http://montreal.kijiji.ca\">Montr\xC3\xA9" "al</a></li></div>")},
      {"www.kijiji.com/", Ok("please click on your state below <a href=\"http://www.kijiji.com/state/ohio\">Ohio</a>")},
      {"www.kijiji.com/state/ohio",
       Ok("Please select a city below <a href=\"http://cleveland.kijiji.com/\">Cleveland</a></div>")},
  };
}

const char* const kFiles[] = {"BPcitylist.csv", "BPsectlist.csv", "DAcitylist.csv", "DAsectlist.csv", "CLsectlist.csv",
                              "CLstatelist.csv", "CLcitylist.csv", "KJsectlist.csv", "KJcitylist.csv"};

const std::vector<std::string> kStepTitles = {
    "Grabbing BP Cities", "Grabbing BP Sections", "Grabbing DA Cities", "Grabbing DA Sections", "Grabbing CL Sections",
    "Grabbing CL States", "Grabbing CL Cities",   "Grabbing KJ Sections", "Grabbing KJ Cities"};

// Records what the harvest reports: the log as appended, the "Begin
// Download" captions, the button states (begin, cancel) and the sites.
class RecordingHarvestView : public HarvestView {
 public:
  void LogAppended(const std::string& text) override {
    std::lock_guard<std::mutex> guard(lock_);
    log_ += text;
  }
  void ButtonCaption(const std::string& caption) override {
    std::lock_guard<std::mutex> guard(lock_);
    captions_.push_back(caption);
  }
  void ButtonsEnabled(bool beginDownload, bool cancel) override {
    std::lock_guard<std::mutex> guard(lock_);
    buttons_.emplace_back(beginDownload, cancel);
  }
  void SiteChanged(SiteId site) override {
    std::lock_guard<std::mutex> guard(lock_);
    sites_.push_back(site);
  }
  std::string HarvestLog() {
    std::lock_guard<std::mutex> guard(lock_);
    return log_;
  }
  std::vector<std::string> HarvestCaptions() {
    std::lock_guard<std::mutex> guard(lock_);
    return captions_;
  }
  std::vector<std::pair<bool, bool>> HarvestButtons() {
    std::lock_guard<std::mutex> guard(lock_);
    return buttons_;
  }
  std::vector<SiteId> HarvestSites() {
    std::lock_guard<std::mutex> guard(lock_);
    return sites_;
  }

 private:
  std::mutex lock_;
  std::string log_;
  std::vector<std::string> captions_;
  std::vector<std::pair<bool, bool>> buttons_;
  std::vector<SiteId> sites_;
};

class CatalogHarvest : public ::testing::Test {
 protected:
  CatalogHarvest()
      : server_([this](platform::TcpConnection& client, const std::string& request) {
          const std::string key = HeaderValue(request, "Host") + RequestPath(request);
          std::string answer;
          {
            std::lock_guard<std::mutex> guard(lock_);
            ++requests_[key];
            auto special = overrides_.find(key);
            auto page = pages_.find(key);
            if (special != overrides_.end()) {
              answer = special->second;
            } else if (page != pages_.end()) {
              answer = page->second;
            } else if (key.rfind("toronto.craigslist.ca/", 0) == 0) {
              answer = Ok("<option disabled value=\"\">--group\n<option value=\"abc\">some thing\n"
                          "<option disabled value=\"\">--next\n<option value=\"zzz\">not this\n");
            } else {
              answer = kNotFound;
            }
          }
          client.Send(answer);  // an empty answer: the connection closes without a word
        }) {}

  void SetUp() override {
    folder_ = TestFolder("harvest");
    for (const char* name : kFiles) platform::DeleteFileAt(folder_ + name);
    platform::SetProgramDirectory(folder_);
    platform::SetSleepForTesting([this](int ms) {
      std::lock_guard<std::mutex> guard(lock_);
      sleeps_.push_back(ms);
    });
    SetHttpConnectTo("127.0.0.1", server_.Port());
    ClearCatalog(CityCatalog(SiteId::Kijiji));
    ResetHarvestLog();
    FirstRunResult = 0;
  }

  void TearDown() override {
    SetHttpConnectTo("", 0);
    platform::SetSleepForTesting(nullptr);
    platform::SetProgramDirectory("");
  }

  void Override(const std::string& key, const std::string& answer) {
    std::lock_guard<std::mutex> guard(lock_);
    overrides_[key] = answer;
  }
  void RemoveOverride(const std::string& key) {
    std::lock_guard<std::mutex> guard(lock_);
    overrides_.erase(key);
  }
  int Requests(const std::string& key) {
    std::lock_guard<std::mutex> guard(lock_);
    return requests_[key];
  }
  std::vector<int> Sleeps() {
    std::lock_guard<std::mutex> guard(lock_);
    return sleeps_;
  }
  std::string File(const char* name) {
    std::string text;
    return platform::ReadWholeFile(folder_ + name, text) ? text : "(missing)";
  }
  static bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
  }

  RecordingFrontend frontend_;
  RecordingHarvestView ui_;
  std::string folder_;

 private:
  std::mutex lock_;
  std::map<std::string, std::string> pages_ = WorldPages();
  std::map<std::string, std::string> overrides_;
  std::map<std::string, int> requests_;
  std::vector<int> sleeps_;
  LoopbackServer server_;
};

TEST_F(CatalogHarvest, WholeRunWritesTheNineFilesAndReports) {
  HarvestCatalogs(AppSettings().UserAgent, ui_);
  ASSERT_EQ(FirstRunResult.load(), 1) << HarvestLogText();

  // A redirecting state gives exactly its target; "Not Found" ones give nothing.
  EXPECT_EQ(File("CLstatelist.csv"),
            "\"CityURI\",\"StateName\",\"StateCode\"\r\n"
            "\"http://delaware.craigslist.org/\",\"Delaware\",\"DE\"\r\n"
            "\"http://toronto.craigslist.ca/\",\"Ontario\",\"ON\"\r\n");
  // The city step looks the states up in the table the state step filled, then empties it.
  EXPECT_EQ(File("CLcitylist.csv"),
            "\"Region\",\"CountryCode\",\"CountryName\",\"StateCode\",\"CityName\",\"CityURL\"\r\n"
            "\"North America\",\"US\",\"United States\",\"DE\",\"Delaware\",\"http://delaware.craigslist.org/\"\r\n"
            "\"North America\",\"US\",\"United States\",\"--\",\"Guam\",\"http://guam.craigslist.org/\"\r\n");
  EXPECT_EQ(StateTable().Count(), 0);
  const std::string sections =
      "\"MasterSectionCode\",\"SectionCode\",\"SectionName\"\r\n\"ccc\",\"ccc\",\"Community (All)\"\r\n"
      "\"ccc\",\"abc\",\"Some Thing\"\r\n\"eee\",\"eee\"";
  EXPECT_EQ(File("CLsectlist.csv").substr(0, sections.size()), sections);
  EXPECT_EQ(File("BPcitylist.csv"), "\"Country\",\"StateCode\",\"StateName\",\"CityName\",\"CityURL\"\r\n"
                                    "\"Canada\",\"ON\",\"Ontario\",\"Toronto\",\"http://toronto.backpage.com/\"\r\n");
  EXPECT_EQ(File("KJcitylist.csv"), "\"Country\",\"State\",\"City\",\"URL\"\r\n"
                                    "\"Canada\",\"Quebec\",\"Montreal\",\"http://montreal.kijiji.ca\"\r\n"
                                    "\"United States\",\"Ohio\",\"Cleveland\",\"http://cleveland.kijiji.com/\"\r\n");
  // Every table loads with rows, as the start-up check wants.
  LoadCatalogsFrom(folder_);
  EXPECT_TRUE(AllCatalogsHaveRows());

  std::vector<std::string> captions = kStepTitles;
  captions.push_back("Start");
  EXPECT_EQ(ui_.HarvestCaptions(), captions);
  EXPECT_EQ(ui_.HarvestSites(), (std::vector<SiteId>{SiteId::Craigslist, SiteId::Backpage, SiteId::Daype,
                                                     SiteId::Craigslist, SiteId::Kijiji, SiteId::None}));
  EXPECT_EQ(ui_.HarvestButtons(), (std::vector<std::pair<bool, bool>>{{false, false}, {true, false}}));
  EXPECT_EQ(HarvestPhase.load(), SiteId::None);
  EXPECT_TRUE(Sleeps().empty());

  const std::string log = HarvestLogText();
  EXPECT_EQ(ui_.HarvestLog(), log);
  EXPECT_NE(log.find("    8/51 Delaware...\r\n      Default city redirects to http://delaware.craigslist.org/\r\n"),
            std::string::npos);
  EXPECT_NE(log.find("    2/51 Alaska...\r\n      Alaska is not in use on Craigslist.\r\n"), std::string::npos);
  EXPECT_NE(log.find("Output written to CLcitylist.csv\r\nBuy (10/buy)\r\n\r\nDone\r\n"), std::string::npos);
  EXPECT_NE(log.find("United States (Found 1 states)\r\n  Ohio\r\n"), std::string::npos);
  EXPECT_TRUE(EndsWith(log, "Output written to KJcitylist.csv\r\n\r\n\r\n\r\nDownloads complete (scroll up to see "
                            "them all)! You should be able to start the program normally now.\r\n\r\n"));
}

TEST_F(CatalogHarvest, SixFailuresOfOnePageEndTheRunAndKeepEarlierFiles) {
  // Failures of different kinds: too short, no answer at all, no marker, a
  // server error and a cut-off page (both holding the marker).
  struct Case {
    std::string key;
    std::string answer;
    int filesWritten;  // steps finished before the failing one
  };
  const Case cases[] = {
      {"toronto.craigslist.ca/ccc/", "HTTP/1.0 200 OK\r\n\r\n<option disabled value=\"\">--", 4},
      {"geo.craigslist.org/iso/au/nsw", "", 5},
      {"www.backpage.com/", Ok("<p>nothing of the city list here, but long enough</p>"), 0},
      {"www.backpage.com/", "HTTP/1.0 503 Service Unavailable\r\n\r\n<p class=\"cityLinkList\">busy, try later</p>", 0},
      {"www.daype.com/", "HTTP/1.0 200 OK\r\nContent-Length: 900\r\n\r\n<span class='head1'>Ohio</span> cut here", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    for (const char* name : kFiles) platform::DeleteFileAt(folder_ + name);
    ASSERT_TRUE(platform::WriteWholeFile(folder_ + "KJcitylist.csv", "old file"));
    ResetHarvestLog();
    FirstRunResult = 0;
    const int before = Requests(c.key);
    const std::size_t sleepsBefore = Sleeps().size();
    Override(c.key, c.answer);

    HarvestCatalogs(AppSettings().UserAgent, ui_);

    EXPECT_EQ(FirstRunResult.load(), -1);
    EXPECT_EQ(Requests(c.key) - before, 6);
    const std::vector<int> sleeps = Sleeps();
    EXPECT_EQ(std::vector<int>(sleeps.begin() + sleepsBefore, sleeps.end()), std::vector<int>(5, 4000));
    EXPECT_TRUE(EndsWith(HarvestLogText(), "\r\n  Could not download http://" + c.key +
                                               "\r\n  Fatal Error: Internet connection problems -- aborting.\r\n\r\n"))
        << HarvestLogText().substr(HarvestLogText().size() - 200);
    for (int i = 0; i < 8; ++i) {
      EXPECT_EQ(File(kFiles[i]) != "(missing)", i < c.filesWritten) << kFiles[i];
    }
    EXPECT_EQ(File("KJcitylist.csv"), "old file");
    EXPECT_EQ(ui_.HarvestCaptions().back(), "Exit (Try Later)");
    EXPECT_EQ(ui_.HarvestButtons().back(), (std::pair<bool, bool>{true, false}));
    EXPECT_EQ(HarvestPhase.load(), SiteId::None);
    RemoveOverride(c.key);
  }
}

TEST_F(CatalogHarvest, KijijiFailuresHaveTheFatalLineWithoutSpaces) {
  const std::string fatal = "Fatal Error: Internet connection problems -- aborting.\r\n\r\n";
  // The US front page without its marker: the "United States" line is ended first.
  Override("www.kijiji.com/", Ok("a page that does not list the states anywhere at all"));
  HarvestCatalogs(AppSettings().UserAgent, ui_);
  EXPECT_EQ(FirstRunResult.load(), -1);
  EXPECT_TRUE(EndsWith(HarvestLogText(), "United States\r\n\r\n  Could not download http://www.kijiji.com/\r\n" + fatal));
  EXPECT_NE(File("KJsectlist.csv"), "(missing)");
  EXPECT_EQ(File("KJcitylist.csv"), "(missing)");

  // A section title without a link counts as a failed download of the page, at once.
  ResetHarvestLog();
  FirstRunResult = 0;
  platform::DeleteFileAt(folder_ + "KJsectlist.csv");
  Override("losangeles.kijiji.com/", Ok("<h2 class=\"title\">Buy and sell, no link</h2> and some more text"));
  const std::size_t sleeps = Sleeps().size();
  HarvestCatalogs(AppSettings().UserAgent, ui_);
  EXPECT_EQ(FirstRunResult.load(), -1);
  EXPECT_EQ(Sleeps().size(), sleeps);
  EXPECT_TRUE(EndsWith(HarvestLogText(), "\r\n  Could not download http://losangeles.kijiji.com/\r\n" + fatal));
  EXPECT_EQ(File("KJsectlist.csv"), "(missing)");
}

TEST_F(CatalogHarvest, AFileThatCannotBeWrittenEndsTheRun) {
  // The program folder is a file: nothing can be written into it.
  ASSERT_TRUE(platform::WriteWholeFile(folder_ + "not-a-folder", "x"));
  platform::SetProgramDirectory(folder_ + "not-a-folder" + platform::PathSeparator());
  HarvestCatalogs(AppSettings().UserAgent, ui_);
  EXPECT_EQ(FirstRunResult.load(), -1);
  EXPECT_NE(HarvestLogText().find("  Could not write "), std::string::npos);
  EXPECT_EQ(HarvestLogText().find("City data written"), std::string::npos);
  EXPECT_EQ(ui_.HarvestCaptions(), (std::vector<std::string>{"Grabbing BP Cities", "Exit (Try Later)"}));
}

}  // namespace
