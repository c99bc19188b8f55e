#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "core/result_store.h"
#include "core/settings.h"
#include "support/recording_frontend.h"
#include "ui/logic/result_order.h"

using namespace vemtrix;
using vemtrix::testing::RecordingFrontend;

namespace {

class ResultSortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AppSettings() = DefaultSettings();
    store.CreateWithCapacity(5000);
  }
  void TearDown() override { AppSettings() = DefaultSettings(); }

  void Load(const std::string& date, const std::string& title, const std::string& city = "Toronto",
            const std::string& fullText = "") {
    SearchResult row;
    row.date = date;
    row.title = title;
    row.city = city;
    row.section = "apartments";
    row.link = "http://toronto.craigslist.ca/apa/" + std::to_string(store.Count() + 1) + ".html";
    row.fullText = fullText;
    ASSERT_TRUE(store.AppendLoaded(row));
  }

  std::vector<std::string> Column(int field) {
    std::vector<std::string> values;
    for (std::int32_t row = 1; row <= store.Count(); ++row) values.push_back(store.Field(row, field));
    return values;
  }

  RecordingFrontend ui;
  ResultStore store;
};

std::string Folded(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

}  // namespace

TEST_F(ResultSortTest, ColumnsSortInTheirOrderAndSelectionMovesWithItsRow) {
  Load("2026-11-03", "banana", "Ottawa");
  Load("2026-12-01", "Apple", "toronto");
  Load("2025-01-05", "cherry", "Barrie");
  Load("2026-11-03", "apple pie", "ottawa");
  Load("", "APPLE", "Toronto");
  store.SetSelected(3, 1);  // cherry

  auto clickColumn = [&](int column) {
    ColumnSort sort = SortForColumn(column);
    ASSERT_TRUE(sort.sorts);
    store.SortByColumn(sort.field, sort.descending, sort.ignoreCase);
  };
  // Title: ascending, letter case ignored, equal titles in their old order.
  clickColumn(1);
  EXPECT_EQ(Column(kFieldTitle), (std::vector<std::string>{"Apple", "APPLE", "apple pie", "banana", "cherry"}));
  EXPECT_EQ(store.selected(5), 1);
  EXPECT_EQ(store.selected(3), 0);
  EXPECT_EQ(ui.Rebuilds(), 1);

  // Date: newest first by text; the two rows of 2026-11-03 keep their order
  // (apple pie, then banana, as the title sort left them); no date is last.
  clickColumn(0);
  EXPECT_EQ(Column(kFieldDate),
            (std::vector<std::string>{"2026-12-01", "2026-11-03", "2026-11-03", "2025-01-05", ""}));
  EXPECT_EQ(Column(kFieldTitle), (std::vector<std::string>{"Apple", "apple pie", "banana", "cherry", "APPLE"}));
  EXPECT_EQ(store.selected(4), 1);

  // City ignoring case: equal names of different case stay in order.
  clickColumn(2);
  EXPECT_FALSE(SortForColumn(4).sorts);  // "Full Text"
  EXPECT_EQ(Column(kFieldCity), (std::vector<std::string>{"Barrie", "ottawa", "Ottawa", "toronto", "Toronto"}));

  // Without ignoring case, capitals come first.
  store.SortByColumn(kFieldTitle, false, false);
  EXPECT_EQ(Column(kFieldTitle), (std::vector<std::string>{"APPLE", "Apple", "apple pie", "banana", "cherry"}));
  // Every row kept all its fields.
  EXPECT_EQ(store.Field(1, kFieldCity), "Toronto");
  EXPECT_EQ(store.Field(1, kFieldDate), "");
}

TEST_F(ResultSortTest, LongSharedBeginningsSortLikeAPlainStableSort) {
  // Keys from a tiny alphabet, so many share 8, 16 or more bytes, end inside
  // a shared beginning, or differ only in letter case.
  std::mt19937 random(7);
  const std::string alphabet = "aAbB -";
  std::vector<std::string> titles;
  for (int i = 0; i < 3000; ++i) {
    std::string title = i % 3 == 0 ? "Same long beginning here " : "";
    int length = static_cast<int>(random() % 20);
    for (int k = 0; k < length; ++k) title += alphabet[random() % alphabet.size()];
    titles.push_back(title);
  }
  for (bool descending : {false, true}) {
    for (bool ignoreCase : {false, true}) {
      store.CreateWithCapacity(5000);
      for (const std::string& title : titles) Load("2026-11-03", title);
      store.SortByColumn(kFieldTitle, descending, ignoreCase);

      std::vector<std::string> expected = titles;
      std::stable_sort(expected.begin(), expected.end(), [&](const std::string& a, const std::string& b) {
        std::string x = ignoreCase ? Folded(a) : a;
        std::string y = ignoreCase ? Folded(b) : b;
        return descending ? y < x : x < y;
      });
      EXPECT_EQ(Column(kFieldTitle), expected) << "descending " << descending << " ignoreCase " << ignoreCase;
    }
  }
}

TEST_F(ResultSortTest, DuplicatesAndDeepScanRowsAreStillFoundAfterASort) {
  auto add = [&](const std::string& title, const std::string& link) {
    bool added = false;
    store.AddFromSearch(AppendOptions{}, "2026-11-03", title, link, "", "Toronto", "apartments", &added);
    return added;
  };
  std::vector<std::string> links;
  for (int i = 0; i < 40; ++i) {
    links.push_back("http://toronto.craigslist.ca/apa/" + std::to_string(5000000 + i * 7) + ".html");
    ASSERT_TRUE(add("title " + std::to_string((i * 17) % 40), links.back()));
  }
  ResultOrder order;
  for (std::int32_t row : ui.RowsAdded()) order.PushTop(row);
  EXPECT_EQ(order.RowAt(0), 40);

  store.SortByColumn(kFieldTitle, true, true);
  order.ResetToStoreOrder(store.Count());
  EXPECT_EQ(store.Field(order.RowAt(0), kFieldTitle), "title 9");
  EXPECT_EQ(store.Field(order.RowAt(39), kFieldTitle), "title 0");

  // The same link, and a part of a stored link, are duplicates still.
  EXPECT_FALSE(add("again", links[17]));
  EXPECT_FALSE(add("part", links[23].substr(0, links[23].size() - 5)));
  EXPECT_TRUE(add("new", "http://toronto.craigslist.ca/apa/9999999.html"));
  EXPECT_EQ(store.Count(), 41);
  EXPECT_EQ(store.Field(41, kFieldTitle), "new");

  // A deep scan that has passed rows finds an empty row sorted before them.
  store.CreateWithCapacity(10);
  Load("2026-11-03", "b");
  Load("2026-11-03", "c", "Toronto", "already scanned text");
  ResultStore::TakenRow taken = store.TakeRowForDeepScan(false);
  ASSERT_EQ(taken.row, 1);
  store.StoreDeepScanText(taken, taken.link, "scanned now", "");
  ASSERT_TRUE(add("a", "http://toronto.craigslist.ca/apa/777.html"));
  store.SortByColumn(kFieldTitle, false, true);
  ASSERT_EQ(store.Field(1, kFieldTitle), "a");
  EXPECT_EQ(store.TakeRowForDeepScan(false).row, 1);
}

TEST_F(ResultSortTest, ClickingAColumnAgainReversesItAndTheArrowSaysWhichWay) {
  Load("2026-11-03", "Sofa $300");
  Load("2026-12-01", "Free couch");
  Load("2025-01-05", "Chair 45 $", "Toronto", "");
  Load("2026-11-03", "Table", "Toronto", "<!--RSS-->Solid oak, asking $1,200.");
  Load("2026-10-10", "Lamp &#36;45");
  store.SetSelected(2, 1);  // the free couch

  ListSort shown;
  auto click = [&](int column) {
    shown = ListSortAfterClick(shown, column);
    SortResults(store, SortForListSort(shown));
  };
  auto prices = [&] {
    std::vector<std::int32_t> values;
    for (std::int32_t row = 1; row <= store.Count(); ++row) values.push_back(store.Price(row));
    return values;
  };

  // Price: lowest first, equal prices in their old order, none last...
  click(kColumnPrice);
  EXPECT_EQ(prices(), (std::vector<std::int32_t>{45, 45, 300, 1200, kNoPrice}));
  EXPECT_EQ(Column(kFieldTitle)[0], "Chair 45 $");
  EXPECT_EQ(ArrowForColumn(shown, kColumnPrice), HeaderArrow::Up);
  EXPECT_EQ(ArrowForColumn(shown, kColumnTitle), HeaderArrow::None);
  EXPECT_EQ(store.selected(5), 1);  // the selection moved with its row
  // ... and highest first, still none last; the two at 45 keep their order.
  click(kColumnPrice);
  EXPECT_EQ(prices(), (std::vector<std::int32_t>{1200, 300, 45, 45, kNoPrice}));
  EXPECT_EQ(Column(kFieldTitle)[2], "Chair 45 $");
  EXPECT_EQ(ArrowForColumn(shown, kColumnPrice), HeaderArrow::Down);
  EXPECT_EQ(ui.Rebuilds(), 2);

  // Date: newest first, then oldest first; a third click goes back.
  click(kColumnDate);
  EXPECT_EQ(Column(kFieldDate)[0], "2026-12-01");
  EXPECT_EQ(ArrowForColumn(shown, kColumnDate), HeaderArrow::Down);
  click(kColumnDate);
  EXPECT_EQ(Column(kFieldDate),
            (std::vector<std::string>{"2025-01-05", "2026-10-10", "2026-11-03", "2026-11-03", "2026-12-01"}));
  EXPECT_EQ(ArrowForColumn(shown, kColumnDate), HeaderArrow::Up);
  click(kColumnDate);
  EXPECT_EQ(Column(kFieldDate)[0], "2026-12-01");

  // Title: A to Z, then Z to A; a click on "Full Text" changes nothing.
  click(kColumnTitle);
  EXPECT_EQ(Column(kFieldTitle)[0], "Chair 45 $");
  click(kColumnTitle);
  EXPECT_EQ(Column(kFieldTitle)[0], "Table");
  EXPECT_EQ(ArrowForColumn(shown, kColumnTitle), HeaderArrow::Down);
  click(kColumnFullText);
  EXPECT_EQ(shown.column, kColumnTitle);
  EXPECT_EQ(Column(kFieldTitle)[0], "Table");
  // Another column starts in its own first order.
  click(kColumnCity);
  EXPECT_EQ(ArrowForColumn(shown, kColumnCity), HeaderArrow::Up);

  // The list shows the price and the decoded title.
  std::int32_t lamp = 0;
  for (std::int32_t row = 1; row <= store.Count(); ++row) {
    if (store.Field(row, kFieldTitle) == "Lamp &#36;45") lamp = row;
  }
  EXPECT_EQ(ResultCellText(store, lamp, kColumnTitle), "Lamp $45");
  EXPECT_EQ(ResultCellText(store, lamp, kColumnPrice), "45");
  EXPECT_EQ(PriceColumnText(1200), "1,200");
  EXPECT_EQ(PriceColumnText(kNoPrice), "");
}
