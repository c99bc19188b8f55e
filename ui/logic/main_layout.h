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

namespace vemtrix {

// Control ids of the main window that the layout places.
namespace ids {
inline constexpr int kHelpIcon = 1279;
inline constexpr int kTabs = 1001;
// Page 1 "Search Results".
inline constexpr int kResultList = 1008;
inline constexpr int kClear = 1010;
inline constexpr int kFilter = 1262;
inline constexpr int kOutputCsv = 1011;
inline constexpr int kViewHtml = 1012;
inline constexpr int kDeepScan = 1014;
inline constexpr int kGoResults = 1013;
// Page 2 "Search Settings": city and section trees per site (Craigslist,
// Kijiji, Backpage, Daype).
inline constexpr std::array<int, 4> kCityTrees = {1016, 1103, 1071, 1073};
inline constexpr std::array<int, 4> kSectionTrees = {1020, 1104, 1072, 1074};
inline constexpr int kCitiesSelectAll = 1017;
inline constexpr int kCitiesClearAll = 1018;
inline constexpr int kSectionsSelectAll = 1021;
inline constexpr int kSectionsClearAll = 1022;
inline constexpr int kCityTreeName = 1276;
inline constexpr int kSectionTreeName = 1277;
inline constexpr int kTermsLabel = 1023;
inline constexpr int kTerms = 1024;
inline constexpr int kGoSettings = 1112;
// Page 3 "Vemtrix Settings".
inline constexpr int kSettingsCancel = 1030;
inline constexpr int kSettingsApply = 1029;
inline constexpr int kAbout = 1031;
// Page 5 "HTML Template".
inline constexpr int kHeaderLabel = 1111;
inline constexpr int kHeaderBox = 1108;
inline constexpr int kItemLabel = 1110;
inline constexpr int kItemBox = 1109;
inline constexpr int kTemplateSave = 1105;
inline constexpr int kTemplateCancel = 1106;
inline constexpr int kTemplateReset = 1107;
}  // namespace ids

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

// The status bar's three part widths (7/16, 2/16, 7/16) for a bar of
// pixelWidth pixels; the last part takes what the divisions leave over so
// the parts fill the bar.
std::array<int, 3> StatusBarPartWidths(int pixelWidth);
// The same as right edges, the form the status bar takes.
std::array<int, 3> StatusBarPartEdges(int pixelWidth);

// True when the window, in pixels, is within 150 pixels of the desktop in
// both dimensions (absolute difference below 150), so it is maximised.
bool ShouldMaximise(int windowWidthPx, int windowHeightPx, int desktopWidthPx, int desktopHeightPx);

}  // namespace vemtrix
