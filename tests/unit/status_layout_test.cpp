#include <gtest/gtest.h>

#include <set>

#include "ui/logic/status_layout.h"

using namespace vemtrix;

namespace {

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

TEST(StatusLayoutTest, WorkerBlocksButtonsAndAbortByWindowSize) {
  struct Case {
    int width, height;
    WorkerBlock compactShows;
    bool compact;
    bool searchVisible, scanVisible;
    int scanTop;  // y of the first scan row
    int abortY;
    int pageHeight = 0;  // 0: not known
  };
  const Case cases[] = {
      // At 570 units the page is compact: one block, both in the same place.
      {414, 570, WorkerBlock::Search, true, true, false, 40, 270},
      {414, 570, WorkerBlock::DeepScan, true, false, true, 40, 270},
      // One unit more shows both, the scan block lower down.
      {414, 571, WorkerBlock::DeepScan, false, true, true, 280, 465},
      {1200, 900, WorkerBlock::Search, false, true, true, 280, 465},
      // A page too short for Abort's place keeps it whole, 3 units above its edge.
      {414, 571, WorkerBlock::Search, false, true, true, 280, 452, 470},
      {414, 571, WorkerBlock::Search, false, true, true, 280, 465, 490},
  };
  for (const Case& c : cases) {
    const std::string where = std::to_string(c.width) + "x" + std::to_string(c.height) +
                              (c.compactShows == WorkerBlock::DeepScan ? " showing scan" : " showing search");
    EXPECT_EQ(DiagnosticsCompact(c.height), c.compact) << where;
    std::vector<LayoutSlot> layout = DiagnosticsLayout(c.width, c.height, c.compactShows, c.pageHeight);

    std::set<int> distinct;
    for (const LayoutSlot& slot : layout) distinct.insert(slot.id);
    EXPECT_EQ(distinct.size(), layout.size()) << where;
    EXPECT_EQ(layout.size(), 2u * 3u * kWorkerSlots + 3u) << where;

    for (int i : {0, 5, 11}) {
      const int searchY = 40 + 15 * i;
      const int scanY = c.scanTop + 15 * i;
      ExpectRect(layout, kIdSearchWorkerBox + i, {70, searchY, c.width - 110, 15, c.searchVisible}, where);
      ExpectRect(layout, kIdSearchWorkerLabel + i, {25, searchY + 2, 40, 10, c.searchVisible}, where);
      ExpectRect(layout, kIdSearchWorkerIcon + i, {10, searchY + 2, 0, 0, c.searchVisible}, where);
      ExpectRect(layout, kIdScanWorkerBox + i, {70, scanY, c.width - 110, 15, c.scanVisible}, where);
      ExpectRect(layout, kIdScanWorkerLabel + i, {25, scanY + 2, 40, 10, c.scanVisible}, where);
      ExpectRect(layout, kIdScanWorkerIcon + i, {10, scanY + 2, 0, 0, c.scanVisible}, where);
    }
    ExpectRect(layout, kIdViewSearchStatus, {c.width - 130, 230, 90, 15, true}, where);
    ExpectRect(layout, kIdViewScanStatus, {c.width - 130, 250, 90, 15, true}, where);
    ExpectRect(layout, kIdAbort, {c.width - 90, c.abortY, 50, 15, true}, where);
    // Lights are not laid out with the rest.
    EXPECT_EQ(FindSlot(layout, kIdSearchWorkerLight), nullptr) << where;
  }
}

TEST(StatusLayoutTest, BlockSwitchOnlyInCompactModeAndFixedLightRows) {
  EXPECT_EQ(SwitchWorkerBlock(WorkerBlock::Search, WorkerBlock::DeepScan, true), WorkerBlock::DeepScan);
  EXPECT_EQ(SwitchWorkerBlock(WorkerBlock::Search, WorkerBlock::DeepScan, false), WorkerBlock::Search);
  EXPECT_EQ(WorkerLightOrigin(WorkerBlock::Search).y, 230);
  EXPECT_EQ(WorkerLightOrigin(WorkerBlock::DeepScan).y, 250);
  EXPECT_EQ(WorkerLightOrigin(WorkerBlock::DeepScan).x, 70);
}
