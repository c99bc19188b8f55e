#include "ui/logic/main_layout.h"

#include <algorithm>
#include <cstdlib>

namespace vemtrix {

namespace {

// The tab control keeps its place below the search-name row.
constexpr int kTabX = 5;
constexpr int kTabY = 30;
constexpr int kButtonHeight = 15;

// Gap between a template box and the label of the box below it, and the
// label's height: the template page's own spacing.
constexpr int kTemplateLabelGap = 12;
constexpr int kTemplateLabelHeight = 10;
constexpr int kTemplateTop = 15;

DluRect Rect(int x, int y, int w, int h) { return DluRect{x, y, std::max(w, 0), std::max(h, 0), true}; }

}  // namespace

DluSize ClampToMinimumSize(int width, int height) {
  return DluSize{std::max(width, kMinWindowWidth), std::max(height, kMinWindowHeight)};
}

bool BelowMinimumSize(int width, int height) { return width < kMinWindowWidth || height < kMinWindowHeight; }

int ResultsTitleColumnWidth(int width) { return std::max(width - 253 - kPriceColumnWidth, 0); }

std::array<int, 3> StatusBarPartWidths(int pixelWidth, int runStatePx) {
  int first = pixelWidth * 7 / 16;
  int second = pixelWidth * 2 / 16;
  const int third = pixelWidth - first - second;
  if (runStatePx > second) {
    const int borrowed = std::min(runStatePx - second, first);
    first -= borrowed;
    second += borrowed;
  }
  return {first, second, third};
}

std::array<int, 3> StatusBarPartEdges(int pixelWidth, int runStatePx) {
  std::array<int, 3> widths = StatusBarPartWidths(pixelWidth, runStatePx);
  return {widths[0], widths[0] + widths[1], pixelWidth};
}

bool ShouldMaximise(int windowWidthPx, int windowHeightPx, int desktopWidthPx, int desktopHeightPx) {
  return std::abs(windowWidthPx - desktopWidthPx) < 150 && std::abs(windowHeightPx - desktopHeightPx) < 150;
}

const DluRect* FindSlot(const std::vector<LayoutSlot>& layout, int id) {
  for (const LayoutSlot& slot : layout) {
    if (slot.id == id) return &slot.rect;
  }
  return nullptr;
}

std::vector<LayoutSlot> MainWindowLayout(int W, int H, const std::array<bool, 4>& sitesEnabled) {
  std::vector<LayoutSlot> out;
  out.reserve(48);
  auto place = [&out](int id, DluRect rect) { out.push_back(LayoutSlot{id, rect}); };

  const int buttonRow = H - 115;

  // ---- the window
  place(kIdHelpIcon, Rect(W - 40, 1, 24, 24));
  place(kIdTab, Rect(kTabX, kTabY, W - 23, H - 80));

  // ---- "Search Results"
  place(kIdList, Rect(2, 5, W - 33, H - 125));
  place(kIdClear, Rect(2, buttonRow, 40, kButtonHeight));
  place(kIdFilter, Rect(47, buttonRow, 40, kButtonHeight));
  place(kIdOutputCsv, Rect(107, buttonRow, 50, kButtonHeight));
  place(kIdViewHtml, Rect(162, buttonRow, 50, kButtonHeight));
  place(kIdDeepScan, Rect(W - 157, buttonRow, 70, kButtonHeight));
  place(kIdGo, Rect(W - 82, buttonRow, 50, kButtonHeight));

  // ---- "Search Settings": the enabled sites fill slots A, B, C, D in site
  // order; one site takes the whole column, two are stacked, three or four
  // share a 2 x 2 grid.
  const int columnWidth = (W - 20) / 2;
  const int sectionColumnX = columnWidth;
  int enabled = 0;
  for (bool on : sitesEnabled) enabled += on ? 1 : 0;
  int treeW = columnWidth - 10;
  int treeH = H - 145;
  if (enabled == 2) {
    treeH = (H - 130) / 2 - 10;
  } else if (enabled >= 3) {
    treeW = (columnWidth - 10) / 2 - 5;
    treeH = (H - 130) / 2 - 10;
  }
  const int lowerY = (H - 130) / 2;
  // Offset from the column's left edge and y of each slot.
  struct SlotPlace {
    int dx;
    int y;
  };
  std::array<SlotPlace, 4> slots = {SlotPlace{0, 5}, SlotPlace{0, lowerY}, SlotPlace{treeW + 7, 5},
                                    SlotPlace{treeW + 7, lowerY}};
  int slot = 0;
  for (std::size_t site = 0; site < sitesEnabled.size(); ++site) {
    // A hidden tree keeps slot A's place so it never lies over a shown one.
    SlotPlace at = sitesEnabled[site] ? slots[static_cast<std::size_t>(slot++)] : slots[0];
    DluRect city = Rect(2 + at.dx, at.y, treeW, treeH);
    DluRect section = Rect(sectionColumnX + at.dx, at.y, treeW, treeH);
    city.visible = section.visible = sitesEnabled[site];
    place(kCityTreeIds[site], city);
    place(kSectionTreeIds[site], section);
  }
  const int treeButtonRow = H - 135;
  place(kIdCitySelectAll, Rect(2, treeButtonRow, 50, kButtonHeight));
  place(kIdCityClearAll, Rect(57, treeButtonRow, 50, kButtonHeight));
  place(kIdSectionSelectAll, Rect(sectionColumnX, treeButtonRow, 50, kButtonHeight));
  place(kIdSectionClearAll, Rect(sectionColumnX + 55, treeButtonRow, 50, kButtonHeight));
  // The tree-name labels sit right of their column's buttons and end before
  // the next column (or the page's edge), so they never cover a button.
  const int cityNameX = 110;
  const int sectionNameX = sectionColumnX + 108;
  place(kIdCityTreeName, Rect(cityNameX, H - 132, std::min(100, sectionColumnX - cityNameX - 3), 10));
  place(kIdSectionTreeName, Rect(sectionNameX, H - 132, std::min(100, W - 27 - sectionNameX), 10));
  place(kIdTermsLabel, Rect(2, H - 113, 50, 15));
  place(kIdTerms, Rect(55, buttonRow, W - 145, kButtonHeight));
  place(kIdGo2, Rect(W - 82, buttonRow, 50, kButtonHeight));

  // ---- "Vemtrix Settings"
  place(kIdSettingsCancel, Rect(2, buttonRow, 50, kButtonHeight));
  place(kIdApply, Rect(57, buttonRow, 50, kButtonHeight));
  place(kIdAbout, Rect(W - 92, buttonRow, 60, kButtonHeight));

  // ---- "HTML Template": the two boxes split the height between the first
  // box's top and 5 units above the buttons; the second box's label moves
  // with it, keeping its width.
  const int boxesBottom = buttonRow - 5;
  const int headerH = (boxesBottom - kTemplateTop - kTemplateLabelGap - kTemplateLabelHeight) / 2;
  const int itemLabelY = kTemplateTop + std::max(headerH, 0) + kTemplateLabelGap;
  const int itemY = itemLabelY + kTemplateLabelHeight;
  place(kIdHeaderBox, Rect(5, kTemplateTop, W - 40, headerH));
  place(kIdItemLabel, Rect(5, itemLabelY, 290, kTemplateLabelHeight));
  place(kIdItemBox, Rect(5, itemY, W - 40, boxesBottom - itemY));
  place(kIdTemplateSave, Rect(5, buttonRow, 50, kButtonHeight));
  place(kIdTemplateCancel, Rect(60, buttonRow, 50, kButtonHeight));
  place(kIdTemplateReset, Rect(115, buttonRow, 50, kButtonHeight));

  return out;
}

}  // namespace vemtrix
