#include <gtest/gtest.h>

#include "ui/logic/main_layout.h"

using namespace vemtrix;

namespace {

// Tree geometry worked out by hand for one client size.
struct TreeCase {
  int width, height;
  int sectionX;       // left edge of the section column
  int oneW, oneH;     // one site: the whole column
  int twoH, lowerY;   // two sites: stacked halves, the lower one's y
  int gridW;          // three or four sites: a quarter's width (height as twoH)
  int cityRightX;     // x of slots C and D in the city column
  int sectionRightX;  // x of slots C and D in the section column
};

// 388 x 342 is the default window (Width 398 - 10, Height 369 - 27); then the
// minimum size and a large, odd size.
const TreeCase kTreeCases[] = {
    {388, 342, 184, 174, 197, 96, 106, 82, 91, 273},
    {414, 390, 197, 187, 245, 120, 130, 88, 97, 292},
    {801, 601, 390, 380, 456, 225, 235, 185, 194, 582},
};

struct Expected {
  int id;
  DluRect rect;
};

void ExpectRect(const std::vector<LayoutSlot>& layout, int id, DluRect want, const std::string& where) {
  const DluRect* got = FindSlot(layout, id);
  ASSERT_NE(got, nullptr) << where << " id " << id;
  EXPECT_EQ(got->x, want.x) << where << " id " << id;
  EXPECT_EQ(got->y, want.y) << where << " id " << id;
  EXPECT_EQ(got->w, want.w) << where << " id " << id;
  EXPECT_EQ(got->h, want.h) << where << " id " << id;
  EXPECT_EQ(got->visible, want.visible) << where << " id " << id;
}

}  // namespace

TEST(MainLayoutTest, TreesFillTheirSlotsByNumberOfEnabledSites) {
  const int cl = 0, kj = 1, bp = 2, da = 3;
  for (const TreeCase& c : kTreeCases) {
    const std::string size = std::to_string(c.width) + "x" + std::to_string(c.height);
    struct Combo {
      std::array<bool, 4> enabled;
      // Per site: slot 'A'..'D', or 0 for hidden.
      std::array<char, 4> slot;
    };
    const Combo combos[] = {
        {{false, true, false, false}, {0, 'A', 0, 0}},
        {{true, false, false, true}, {'A', 0, 0, 'B'}},
        {{false, true, true, true}, {0, 'A', 'B', 'C'}},
        {{true, true, true, true}, {'A', 'B', 'C', 'D'}},
    };
    for (const Combo& combo : combos) {
      int sites = 0;
      for (bool on : combo.enabled) sites += on;
      const std::string where = size + " with " + std::to_string(sites) + " sites";
      std::vector<LayoutSlot> layout = MainWindowLayout(c.width, c.height, combo.enabled);
      int w = sites == 1 ? c.oneW : sites == 2 ? c.oneW : c.gridW;
      int h = sites == 1 ? c.oneH : c.twoH;
      for (int site : {cl, kj, bp, da}) {
        char slot = combo.slot[static_cast<std::size_t>(site)];
        const DluRect* city = FindSlot(layout, kCityTreeIds[static_cast<std::size_t>(site)]);
        const DluRect* section = FindSlot(layout, kSectionTreeIds[static_cast<std::size_t>(site)]);
        ASSERT_TRUE(city && section) << where;
        if (slot == 0) {
          EXPECT_FALSE(city->visible) << where << " site " << site;
          EXPECT_FALSE(section->visible) << where << " site " << site;
          continue;
        }
        bool right = slot == 'C' || slot == 'D';
        int y = (slot == 'B' || slot == 'D') ? c.lowerY : 5;
        ExpectRect(layout, kCityTreeIds[static_cast<std::size_t>(site)],
                   {right ? c.cityRightX : 2, y, w, h, true}, where);
        ExpectRect(layout, kSectionTreeIds[static_cast<std::size_t>(site)],
                   {right ? c.sectionRightX : c.sectionX, y, w, h, true}, where);
      }
      // Shown trees never overlap and end above the Select All row.
      const DluRect* selectRow = FindSlot(layout, kIdCitySelectAll);
      ASSERT_NE(selectRow, nullptr);
      std::vector<DluRect> shown;
      for (std::size_t site = 0; site < 4; ++site) {
        for (int id : {kCityTreeIds[site], kSectionTreeIds[site]}) {
          const DluRect* r = FindSlot(layout, id);
          if (!r->visible) continue;
          EXPECT_LE(r->y + r->h, selectRow->y) << where << " id " << id;
          for (const DluRect& other : shown) {
            bool apart = r->x + r->w <= other.x || other.x + other.w <= r->x || r->y + r->h <= other.y ||
                         other.y + other.h <= r->y;
            EXPECT_TRUE(apart) << where << " id " << id;
          }
          shown.push_back(*r);
        }
      }
    }
  }
}

TEST(MainLayoutTest, ButtonRowsListAndTemplateFollowTheWindow) {
  const std::array<bool, 4> all = {true, true, true, true};
  struct SizeCase {
    int width, height;
    std::vector<Expected> expected;
    int titleColumn;
  };
  const SizeCase cases[] = {
      {388,
       342,
       {{kIdHelpIcon, {348, 1, 24, 24}},
        {kIdTab, {5, 30, 365, 262}},
        {kIdList, {2, 5, 355, 217}},
        {kIdClear, {2, 227, 40, 15}},
        {kIdDeepScan, {231, 227, 70, 15}},
        {kIdGo, {306, 227, 50, 15}},
        {kIdSectionClearAll, {239, 207, 50, 15}},
        {kIdSectionTreeName, {292, 210, 69, 10}},
        {kIdTermsLabel, {2, 229, 50, 15}},
        {kIdTerms, {55, 227, 243, 15}},
        {kIdGo2, {306, 227, 50, 15}},
        {kIdAbout, {296, 227, 60, 15}},
        {kIdHeaderBox, {5, 15, 348, 92}},
        {kIdItemLabel, {5, 119, 290, 10}},
        {kIdItemBox, {5, 129, 348, 93}},
        {kIdTemplateReset, {115, 227, 50, 15}}},
       100},
      {414,
       390,
       {{kIdHelpIcon, {374, 1, 24, 24}},
        {kIdTab, {5, 30, 391, 310}},
        {kIdList, {2, 5, 381, 265}},
        {kIdDeepScan, {257, 275, 70, 15}},
        {kIdCityClearAll, {57, 255, 50, 15}},
        {kIdSectionSelectAll, {197, 255, 50, 15}},
        {kIdCityTreeName, {110, 258, 84, 10}},
        {kIdTerms, {55, 275, 269, 15}},
        {kIdApply, {57, 275, 50, 15}},
        {kIdHeaderBox, {5, 15, 374, 116}},
        {kIdItemBox, {5, 153, 374, 117}}},
       126},
      {801,
       601,
       {{kIdTab, {5, 30, 778, 521}},
        {kIdList, {2, 5, 768, 476}},
        {kIdOutputCsv, {107, 486, 50, 15}},
        {kIdGo, {719, 486, 50, 15}},
        {kIdSectionTreeName, {498, 469, 100, 10}},
        {kIdAbout, {709, 486, 60, 15}},
        {kIdHeaderBox, {5, 15, 761, 222}},
        {kIdItemLabel, {5, 249, 290, 10}},
        {kIdItemBox, {5, 259, 761, 222}}},
       513},
  };
  for (const SizeCase& c : cases) {
    const std::string where = std::to_string(c.width) + "x" + std::to_string(c.height);
    std::vector<LayoutSlot> layout = MainWindowLayout(c.width, c.height, all);
    for (const Expected& e : c.expected) ExpectRect(layout, e.id, e.rect, where);
    EXPECT_EQ(ResultsTitleColumnWidth(c.width), c.titleColumn) << where;
    // Every id is placed once.
    for (const LayoutSlot& slot : layout) {
      int seen = 0;
      for (const LayoutSlot& other : layout) seen += other.id == slot.id;
      EXPECT_EQ(seen, 1) << where << " id " << slot.id;
    }
  }
}

TEST(MainLayoutTest, MinimumSizeStatusPartsAndMaximise) {
  DluSize grown = ClampToMinimumSize(388, 342);
  EXPECT_EQ(grown.width, 414);
  EXPECT_EQ(grown.height, 390);
  grown = ClampToMinimumSize(500, 300);
  EXPECT_EQ(grown.width, 500);
  EXPECT_EQ(grown.height, 390);
  EXPECT_TRUE(BelowMinimumSize(388, 342));
  EXPECT_TRUE(BelowMinimumSize(413, 600));
  EXPECT_FALSE(BelowMinimumSize(414, 390));

  EXPECT_EQ(StatusBarPartWidths(800), (std::array<int, 3>{350, 100, 350}));
  EXPECT_EQ(StatusBarPartWidths(1000), (std::array<int, 3>{437, 125, 438}));
  EXPECT_EQ(StatusBarPartEdges(1000), (std::array<int, 3>{437, 562, 1000}));
  // A run state wider than its part takes the room from the request line.
  EXPECT_EQ(StatusBarPartWidths(800, 100), (std::array<int, 3>{350, 100, 350}));
  EXPECT_EQ(StatusBarPartWidths(800, 140), (std::array<int, 3>{310, 140, 350}));

  EXPECT_TRUE(ShouldMaximise(1800, 1000, 1920, 1080));
  EXPECT_TRUE(ShouldMaximise(1930, 1090, 1920, 1080));  // a maximised window overhangs the desktop
  EXPECT_FALSE(ShouldMaximise(1770, 1000, 1920, 1080));  // 150 is not within
  EXPECT_FALSE(ShouldMaximise(1900, 900, 1920, 1080));
}
