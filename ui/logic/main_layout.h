// Where the main window's controls go when the window is resized: plain
// arithmetic on the client size in dialog units, kept apart from the window
// code so it can be checked without a window system.
//
// Controls on the five pages are given in page coordinates (relative to the
// page inside the tab control), controls on the window in window client
// coordinates. Controls the resize leaves alone (the search-name row, the
// page-3 check boxes and fields, the template's first label, the Diagnostics
// page) are not listed.
#pragma once

#include <array>
#include <vector>

#include "ui/logic/control_ids.h"

namespace vemtrix {

// A control's placement in dialog units.
struct DluRect {
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;
  bool visible = true;
};

struct LayoutSlot {
  int id = 0;
  DluRect rect;
};

// The smallest client size the window may have, in dialog units.
inline constexpr int kMinWindowWidth = 414;
inline constexpr int kMinWindowHeight = 390;

struct DluSize {
  int width = 0;
  int height = 0;
};

// The size the window must have: each dimension raised to its minimum.
DluSize ClampToMinimumSize(int width, int height);
// True when the window must be enlarged (either dimension below its minimum).
bool BelowMinimumSize(int width, int height);

// The placement of every control the resize moves, for a client area of
// width x height dialog units, with sitesEnabled in the order Craigslist,
// Kijiji, Backpage, Daype. The trees of disabled sites come back with
// visible = false. Sizes that would go negative are 0. The size is taken as
// given: callers enlarge a small window first (ClampToMinimumSize).
std::vector<LayoutSlot> MainWindowLayout(int width, int height, const std::array<bool, 4>& sitesEnabled);

// The placement of one control in a layout; nullptr when it is not listed.
const DluRect* FindSlot(const std::vector<LayoutSlot>& layout, int id);

// Width of the results list's "Title" column in dialog units.
int ResultsTitleColumnWidth(int width);
// The "Price" column's width in dialog units; the title gives it its room.
inline constexpr int kPriceColumnWidth = 35;

// The status bar's three part widths (7/16, 2/16, 7/16) for a bar of
// pixelWidth pixels; the last part takes what the divisions leave over so
// the parts fill the bar. A run-state text wider than its part
// (runStatePx, its width in pixels) widens it at the cost of the first part,
// so "Next search at HH:MM" is never cut off.
std::array<int, 3> StatusBarPartWidths(int pixelWidth, int runStatePx = 0);
// The same as right edges, the form the status bar takes.
std::array<int, 3> StatusBarPartEdges(int pixelWidth, int runStatePx = 0);

// True when the window, in pixels, is within 150 pixels of the desktop in
// both dimensions (absolute difference below 150), so it is maximised.
bool ShouldMaximise(int windowWidthPx, int windowHeightPx, int desktopWidthPx, int desktopHeightPx);

}  // namespace vemtrix
