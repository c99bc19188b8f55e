#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <set>
#include <thread>

#include "core/link_index.h"
#include "core/result_store.h"
#include "core/settings.h"
#include "support/recording_frontend.h"

using namespace vemtrix;
using vemtrix::testing::RecordingFrontend;

namespace {

class ResultStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AppSettings() = DefaultSettings();
    store.CreateWithCapacity(100);
    NewThisRun = 0;
    Dirty = 0;
  }
  void TearDown() override { AppSettings() = DefaultSettings(); }

  bool Add(const std::string& title, const std::string& link, const std::string& description = "",
           const std::string& date = "2026-11-03") {
    AppendOptions options{AppSettings().RSSdescription != 0, AppSettings().AudioPrompts != 0};
    return store.AddFromSearch(options, date, title, link, description, "Toronto", "apartments");
  }

  RecordingFrontend ui;
  ResultStore store;
};

std::string Link(int n) { return "http://toronto.craigslist.ca/apa/" + std::to_string(n) + ".html"; }

}  // namespace

TEST_F(ResultStoreTest, AppendFillsTheRowAndCounts) {
  AppSettings().SuperResults = 10;
  ASSERT_TRUE(Add("  Bright loft  ", "  " + Link(1) + " ", "A description of 26 chars.", " 2026-11-03 "));
  ASSERT_EQ(store.Count(), 1);
  SearchResult row = store.Row(1);
  EXPECT_EQ(row.date, "2026-11-03");
  EXPECT_EQ(row.title, "Bright loft");
  EXPECT_EQ(row.city, "Toronto");
  EXPECT_EQ(row.section, "apartments");
  EXPECT_EQ(row.link, Link(1));
  EXPECT_EQ(row.fullText, "<!--RSS-->A description of 26 chars.");
  EXPECT_EQ(row.newFlag, "Yes");
  EXPECT_EQ(store.Field(1, kFieldTitle), "Bright loft");
  EXPECT_EQ(store.Field(2, kFieldTitle), "");
  EXPECT_EQ(store.Field(1, 9), "");

  EXPECT_EQ(NewThisRun.load(), 1);
  EXPECT_EQ(AppSettings().SuperResults.load(), 11);
  EXPECT_EQ(Dirty.load(), 1);
  EXPECT_EQ(ui.RowsAdded(), std::vector<std::int32_t>{1});
  ASSERT_EQ(ui.Counters().size(), 1u);
  EXPECT_EQ(ui.Counters()[0], std::make_pair(1, 1));
}

TEST_F(ResultStoreTest, BlankTitlesAndLinksAreSkipped) {
  EXPECT_TRUE(Add("   ", Link(1)));
  EXPECT_TRUE(Add("title", "   "));
  EXPECT_TRUE(Add("", ""));
  EXPECT_EQ(store.Count(), 0);
  EXPECT_EQ(NewThisRun.load(), 0);
  EXPECT_EQ(Dirty.load(), 0);
}

TEST_F(ResultStoreTest, FeedDescriptionKeptOnlyWhenLongerThan25BeforeTrimming) {
  Add("a", Link(1), std::string(25, 'x'));
  Add("b", Link(2), std::string(26, 'x'));
  Add("c", Link(3), "   " + std::string(23, 'y'));  // 26 before trimming
  AppSettings().RSSdescription = 0;
  Add("d", Link(4), std::string(80, 'z'));
  EXPECT_EQ(store.Field(1, kFieldFullText), "");
  EXPECT_EQ(store.Field(2, kFieldFullText), "<!--RSS-->" + std::string(26, 'x'));
  EXPECT_EQ(store.Field(3, kFieldFullText), "<!--RSS-->" + std::string(23, 'y'));
  EXPECT_EQ(store.Field(4, kFieldFullText), "");
}

TEST_F(ResultStoreTest, DuplicatesAreLinksFoundInsideStoredLinks) {
  ASSERT_TRUE(Add("first", "http://toronto.craigslist.ca/apa/123456.html?ref=rss"));
  Add("same", "http://toronto.craigslist.ca/apa/123456.html?ref=rss");
  Add("shorter, inside the stored one", "http://toronto.craigslist.ca/apa/123456.html");
  Add("padded", "  http://toronto.craigslist.ca/apa/123456.html?ref=rss  ");
  Add("short piece", "123456");
  EXPECT_EQ(store.Count(), 1);

  // Case matters, and a stored link inside the new one is no duplicate.
  Add("upper case", "HTTP://toronto.craigslist.ca/apa/123456.html");
  Add("longer", "http://toronto.craigslist.ca/apa/123456.html?ref=rss&x=1");
  EXPECT_EQ(store.Count(), 3);
  EXPECT_EQ(NewThisRun.load(), 3);
}

TEST_F(ResultStoreTest, OverflowIsReportedAndNothingIsOverwritten) {
  store.CreateWithCapacity(3);
  for (int i = 1; i <= 3; ++i) ASSERT_TRUE(Add("t" + std::to_string(i), Link(i)));
  EXPECT_FALSE(Add("t4", Link(4)));
  EXPECT_EQ(store.Count(), 3);
  EXPECT_EQ(store.Field(3, kFieldTitle), "t3");
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "Error");
  EXPECT_EQ(ui.Messages()[0].icon, MessageIcon::Error);
  EXPECT_EQ(ui.Messages()[0].text,
            "The results list has overflowed (3 elements). Please increase max results in the settings.");
  EXPECT_TRUE(ui.Spoken().empty());
  // A duplicate at the limit is still just a duplicate.
  EXPECT_TRUE(Add("again", Link(2)));

  AppSettings().AudioPrompts = 1;
  SearchResult loaded;
  loaded.date = "2026-01-01";
  loaded.link = Link(9);
  EXPECT_FALSE(store.AppendLoaded(loaded));
  EXPECT_EQ(ui.Spoken(), std::vector<std::string>{"Oh no! The results list has over-flowed!"});
  EXPECT_EQ(ui.Messages().size(), 2u);

  store.CreateWithCapacity(5000);
  for (int i = 0; i < 5000; ++i) ASSERT_TRUE(store.AppendLoaded(loaded));  // no duplicate check
  EXPECT_FALSE(Add("one too many", Link(1)));
  EXPECT_NE(ui.Messages().back().text.find("(5,000 elements)"), std::string::npos);
}

TEST_F(ResultStoreTest, DeletionCompactsInOrderAndDropsUndatedRows) {
  for (int i = 1; i <= 6; ++i) Add("t" + std::to_string(i), Link(i), "", i == 5 ? "" : "2026-11-0" + std::to_string(i));
  ASSERT_EQ(store.Count(), 6);
  store.SetSelected(6, 1);
  store.DeleteRows({2, 4, 99});
  ASSERT_EQ(store.Count(), 3);
  EXPECT_EQ(store.Field(1, kFieldTitle), "t1");
  EXPECT_EQ(store.Field(2, kFieldTitle), "t3");
  EXPECT_EQ(store.Field(3, kFieldTitle), "t6");  // t5 had no date
  EXPECT_EQ(store.selected(3), 1);               // the flag moved with its row
  EXPECT_EQ(ui.Rebuilds(), 1);

  // The duplicate check follows the compacted table, from the first add on.
  Add("t6 again", Link(6));
  Add("t2 again", Link(2));
  EXPECT_EQ(store.Count(), 4);
  EXPECT_EQ(store.Field(4, kFieldTitle), "t2 again");
}

TEST_F(ResultStoreTest, CapacityFollowsMaxResultsOnlyWhenCreated) {
  AppSettings().MaxResults = 5000;
  store.Create();
  EXPECT_EQ(store.Capacity(), 5000);
  AppSettings().MaxResults = 20000;
  EXPECT_EQ(store.Capacity(), 5000);
  Add("x", Link(1));
  store.Clear();
  EXPECT_EQ(store.Capacity(), 20000);
  EXPECT_EQ(store.Count(), 0);
  EXPECT_EQ(ui.Rebuilds(), 1);
  Add("x", Link(1));  // the cleared link is no longer known
  EXPECT_EQ(store.Count(), 1);
}

TEST_F(ResultStoreTest, FullTextAndSelection) {
  Add("a", Link(1));
  Add("b", Link(2));
  EXPECT_TRUE(store.SetFullText(2, "Pending"));
  EXPECT_FALSE(store.SetFullText(3, "x"));
  EXPECT_EQ(store.Field(2, kFieldFullText), "Pending");
  EXPECT_EQ(store.Field(2, kFieldLink), Link(2));
  EXPECT_EQ(ui.RowsChanged(), std::vector<std::int32_t>{2});
  store.SetSelected(1, 1);
  EXPECT_EQ(store.selected(1), 1);
  EXPECT_EQ(store.selected(2), 0);
  store.ClearSelection();
  EXPECT_EQ(store.selected(1), 0);
}

TEST_F(ResultStoreTest, TwelveWorkersAppendingTheSameAdsAddEachOnce) {
  store.CreateWithCapacity(100000);
  const int kWorkers = 12;
  const int kAds = 600;
  std::vector<std::thread> workers;
  std::atomic<int> refused{0};
  for (int w = 0; w < kWorkers; ++w) {
    workers.emplace_back([&, w] {
      for (int i = 0; i < kAds; ++i) {
        int n = (i * 7 + w * 13) % kAds;  // every worker sees every ad, in its own order
        if (!store.AddFromSearch(AppendOptions(), "2026-11-03", "ad " + std::to_string(n), Link(100000 + n), "", "c",
                                 "s")) {
          ++refused;
        }
        if (i % 50 == 0) (void)store.Field(1, kFieldLink);
      }
    });
  }
  for (auto& t : workers) t.join();
  EXPECT_EQ(refused.load(), 0);
  EXPECT_EQ(store.Count(), kAds);
  EXPECT_EQ(NewThisRun.load(), kAds);
  std::set<std::string> links;
  for (int row = 1; row <= store.Count(); ++row) links.insert(store.Field(row, kFieldLink));
  EXPECT_EQ(links.size(), static_cast<std::size_t>(kAds));
  EXPECT_EQ(ui.RowsAdded().size(), static_cast<std::size_t>(kAds));
}

TEST(LinkIndex, AgreesWithAPlainScan) {
  std::mt19937 random(20261208);
  std::vector<std::string> links;
  LinkIndex index([&](std::uint32_t row) { return std::string_view(links[row]); });
  auto text = [&](int length) {
    // A small alphabet makes accidental matches and repeated grams common.
    std::string s;
    for (int i = 0; i < length; ++i) s += "ab/.1"[random() % 5];
    return s;
  };
  auto plainScan = [&](const std::string& q) {
    for (const std::string& link : links) {
      if (link.find(q) != std::string::npos) return true;
    }
    return false;
  };
  int found = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string link = random() % 3 == 0 ? "http://h.example/" + text(random() % 40) : text(random() % 60);
    // Some new links are pieces of earlier ones.
    if (!links.empty() && random() % 4 == 0) {
      const std::string& old = links[random() % links.size()];
      std::size_t start = random() % (old.size() + 1);
      link = old.substr(start, random() % (old.size() - start + 1));
    }
    for (int q = 0; q < 3; ++q) {
      std::string query = q == 0 ? link : text(1 + random() % 30);
      if (q == 2 && !links.empty()) {
        const std::string& old = links[random() % links.size()];
        std::size_t start = random() % (old.size() + 1);
        query = old.substr(start, random() % (old.size() - start + 1));
      }
      bool expected = plainScan(query);
      ASSERT_EQ(index.ContainsSubstring(query, static_cast<std::uint32_t>(links.size())), expected)
          << "query '" << query << "' after " << links.size() << " links";
      found += expected;
    }
    links.push_back(link);
    index.Add(static_cast<std::uint32_t>(links.size() - 1), links.back());
  }
  EXPECT_GT(found, 1000);  // the test exercised both answers
  EXPECT_LT(found, 8000);
}
