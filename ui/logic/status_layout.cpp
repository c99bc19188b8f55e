#include "ui/logic/status_layout.h"

#include <algorithm>

namespace vemtrix {

namespace {

constexpr int kRowStep = 15;
constexpr int kSearchBlockTop = 40;
constexpr int kScanBlockTop = 280;  // below the search block, outside compact mode
// Labels and site icons sit this much lower than their row's text box.
constexpr int kRowLabelDrop = 2;

DluRect Rect(int x, int y, int w, int h, bool visible) {
  return DluRect{x, y, std::max(w, 0), std::max(h, 0), visible};
}

}  // namespace

int WorkerBoxId(WorkerBlock block, int slot) {
  return (block == WorkerBlock::Search ? kIdSearchWorkerBox : kIdScanWorkerBox) + slot;
}
int WorkerLabelId(WorkerBlock block, int slot) {
  return (block == WorkerBlock::Search ? kIdSearchWorkerLabel : kIdScanWorkerLabel) + slot;
}
int WorkerIconId(WorkerBlock block, int slot) {
  return (block == WorkerBlock::Search ? kIdSearchWorkerIcon : kIdScanWorkerIcon) + slot;
}
int WorkerLightId(WorkerBlock block, int slot) {
  return (block == WorkerBlock::Search ? kIdSearchWorkerLight : kIdScanWorkerLight) + slot;
}

bool DiagnosticsCompact(int heightDlu) { return heightDlu <= kCompactMaxHeight; }

bool WorkerBlockVisible(WorkerBlock block, bool compact, WorkerBlock compactShows) {
  return !compact || block == compactShows;
}

WorkerBlock SwitchWorkerBlock(WorkerBlock compactShows, WorkerBlock requested, bool compact) {
  return compact ? requested : compactShows;
}

std::vector<LayoutSlot> DiagnosticsLayout(int width, int height, WorkerBlock compactShows, int pageHeight) {
  const bool compact = DiagnosticsCompact(height);
  std::vector<LayoutSlot> layout;
  layout.reserve(2 * 3 * kWorkerSlots + 3);
  for (WorkerBlock block : {WorkerBlock::Search, WorkerBlock::DeepScan}) {
    const bool visible = WorkerBlockVisible(block, compact, compactShows);
    const int top = (block == WorkerBlock::DeepScan && !compact) ? kScanBlockTop : kSearchBlockTop;
    for (int i = 0; i < kWorkerSlots; ++i) {
      const int y = top + kRowStep * i;
      layout.push_back({WorkerBoxId(block, i), Rect(70, y, width - 110, 15, visible)});
      layout.push_back({WorkerLabelId(block, i), Rect(25, y + kRowLabelDrop, 40, 10, visible)});
      layout.push_back({WorkerIconId(block, i), Rect(10, y + kRowLabelDrop, 0, 0, visible)});
    }
  }
  layout.push_back({kIdViewSearchStatus, Rect(width - 130, 230, 90, 15, true)});
  layout.push_back({kIdViewScanStatus, Rect(width - 130, 250, 90, 15, true)});
  // Just above the smallest tall window the page's edge would cut Abort
  // off: it moves up to stay whole, 3 units above the edge.
  int abortY = compact ? 270 : 465;
  if (pageHeight > 0) abortY = std::min(abortY, pageHeight - 15 - 3);
  layout.push_back({kIdAbort, Rect(width - 90, abortY, 50, 15, true)});
  return layout;
}

DluPoint WorkerLightOrigin(WorkerBlock block) { return {70, block == WorkerBlock::Search ? 230 : 250}; }

}  // namespace vemtrix
