// The "Diagnostics" page: the three counters, twelve search and twelve scan
// worker rows (text, site icon, light), the switch between the two blocks in
// compact mode; and the status bar with its drawn progress part.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <map>

#include "core/frontend.h"
#include "harvest/sites.h"
#include "ui/window_state.h"

namespace vemtrix::ui {
namespace {

constexpr int kSlots = 12;
constexpr int kCompactMaxHeight = 570;

const char* const kLightNames[] = {"ICONDULL", "ICONGREEN", "ICONRED"};

// Icons by resource name and pixel size, loaded once.
HICON IconOf(const std::string& name, int size) {
  static std::map<std::pair<std::string, int>, HICON> icons;
  auto key = std::make_pair(name, size);
  auto found = icons.find(key);
  if (found != icons.end()) return found->second;
  HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), name.c_str(), IMAGE_ICON, size, size, 0));
  icons[key] = icon;
  return icon;
}

void ShowIcon(int id, const std::string& name, int size) {
  if (HWND control = Control(id)) SendMessageA(control, STM_SETICON, reinterpret_cast<WPARAM>(IconOf(name, size)), 0);
}

// The site icons' resource names.
std::string SiteIconName(SiteId site) {
  switch (site) {
    case SiteId::Craigslist: return "CRAIGSLIST";
    case SiteId::Kijiji: return "KIJIJI";
    case SiteId::Backpage: return "BACKPAGE";
    case SiteId::Daype: return "DAYPE";
    default: return "HARDLYTHERE";
  }
}

// Places a control at a position in dialog units with a size in pixels.
void PlaceMixed(int id, int xDlu, int yDlu, int xPixels, int wPx, int hPx) {
  HWND control = Control(id);
  if (control == nullptr) return;
  RECT at = DluToPixels(Main().window, xDlu, yDlu, 0, 0);
  SetWindowPos(control, nullptr, at.left + xPixels, at.top, wPx, hPx, SWP_NOZORDER | SWP_NOACTIVATE);
}

void ShowBlock(bool scan, bool visible) {
  for (int i = 0; i < kSlots; ++i) {
    for (int id : {(scan ? 1140 : 1120) + i, (scan ? 1290 : 1160) + i, (scan ? 1200 : 1180) + i})
      if (HWND control = Control(id)) ShowWindow(control, visible ? SW_SHOWNA : SW_HIDE);
  }
}

}  // namespace

std::vector<ControlSpec> StatusPageTable() {
  const DWORD readOnly = ES_READONLY | ES_AUTOHSCROLL | WS_BORDER;
  std::vector<ControlSpec> table = {
      // Wider labels than the classic layout so every caption fits on one line.
      {1113, "STATIC", "Current # of search results:", SS_RIGHT, 2, 17, 110, 10},
      {kIdResultCount, "EDIT", "0", readOnly, 114, 15, 35, 15},
      {1115, "STATIC", "New resultss:", SS_RIGHT, 150, 17, 55, 10},
      {kIdNewCount, "EDIT", "0", readOnly, 207, 15, 35, 15},
      {1117, "STATIC", "Bytes downloaded:", SS_RIGHT, 243, 17, 73, 10},
      {kIdBytes, "EDIT", "0", readOnly, 318, 15, 50, 15},
  };
  char label[16];
  for (int i = 0; i < kSlots; ++i) {
    short y = static_cast<short>(40 + 15 * i);
    table.push_back({1120 + i, "EDIT", "", readOnly, 70, y, 300, 15});
    table.push_back({1140 + i, "EDIT", "", readOnly, 70, y, 300, 15});
    std::snprintf(label, sizeof label, "Search %02d:", i + 1);
    table.push_back({1160 + i, "STATIC", label, SS_LEFT, 25, static_cast<short>(y + 2), 40, 10});
    std::snprintf(label, sizeof label, "Scan %02d:", i + 1);
    table.push_back({1290 + i, "STATIC", label, SS_LEFT, 25, static_cast<short>(y + 2), 40, 10});
    table.push_back({1180 + i, "STATIC", "HARDLYTHERE", SS_ICON | SS_REALSIZECONTROL | SS_CENTERIMAGE, 10, static_cast<short>(y + 2), 10, 10});
    table.push_back({1200 + i, "STATIC", "HARDLYTHERE", SS_ICON | SS_REALSIZECONTROL | SS_CENTERIMAGE, 10, static_cast<short>(y + 2), 10, 10});
    table.push_back({1220 + i, "STATIC", "ICONDULL", SS_ICON | SS_REALSIZECONTROL | SS_CENTERIMAGE, 70, 230, 16, 16});
    table.push_back({1240 + i, "STATIC", "ICONDULL", SS_ICON | SS_REALSIZECONTROL | SS_CENTERIMAGE, 70, 250, 16, 16});
  }
  table.push_back({kIdViewSearchStatus, "BUTTON", "View Search Status", BS_PUSHBUTTON | WS_TABSTOP, 280, 230, 90, 15});
  table.push_back({kIdViewScanStatus, "BUTTON", "View Scan Status", BS_PUSHBUTTON | WS_TABSTOP, 280, 250, 90, 15});
  table.push_back({kIdAbort, "BUTTON", "Abort", BS_PUSHBUTTON | WS_TABSTOP | WS_DISABLED, 317, 195, 50, 15});
  return table;
}

void InitStatusPage() {
  for (int i = 0; i < kSlots; ++i) {
    ShowIcon(1180 + i, "HARDLYTHERE", 16);
    ShowIcon(1200 + i, "HARDLYTHERE", 16);
    ShowIcon(1220 + i, "ICONDULL", 24);
    ShowIcon(1240 + i, "ICONDULL", 24);
  }
  ShowBlock(true, false);
}

// Rows, icons and buttons for a window of width × height dialog units.
void LayoutStatusPage(int width, int height) {
  MainWindowState& state = Main();
  bool compact = height <= kCompactMaxHeight;
  state.compactStatus = compact;
  for (int i = 0; i < kSlots; ++i) {
    int searchY = 40 + 15 * i;
    int scanY = compact ? searchY : 280 + 15 * i;
    PlaceControl(state.pages[kPageStatus], state.window, 1120 + i, 70, searchY, width - 110, 15);
    PlaceControl(state.pages[kPageStatus], state.window, 1140 + i, 70, scanY, width - 110, 15);
    PlaceControl(state.pages[kPageStatus], state.window, 1160 + i, 25, searchY + 2, 40, 10);
    PlaceControl(state.pages[kPageStatus], state.window, 1290 + i, 25, scanY + 2, 40, 10);
    PlaceMixed(1180 + i, 10, searchY + 2, 0, 16, 16);
    PlaceMixed(1200 + i, 10, scanY + 2, 0, 16, 16);
    PlaceMixed(1220 + i, 70, 230, 24 * i, 24, 24);
    PlaceMixed(1240 + i, 70, 250, 24 * i, 24, 24);
  }
  PlaceControl(state.pages[kPageStatus], state.window, kIdViewSearchStatus, width - 130, 230, 90, 15);
  PlaceControl(state.pages[kPageStatus], state.window, kIdViewScanStatus, width - 130, 250, 90, 15);
  PlaceControl(state.pages[kPageStatus], state.window, kIdAbort, width - 90, compact ? 270 : 465, 50, 15);
  if (compact) {
    ShowBlock(!state.statusShowsScan, false);
    ShowBlock(state.statusShowsScan, true);
  } else {
    ShowBlock(false, true);
    ShowBlock(true, true);
  }
}

void ShowWorkerBlock(bool scan) {
  MainWindowState& state = Main();
  if (!state.compactStatus) return;
  state.statusShowsScan = scan;
  ShowBlock(!scan, false);
  ShowBlock(scan, true);
}

void SetWorkerRow(bool scan, int slot, const std::string& text, int light, SiteId site) {
  if (slot < 0 || slot >= kSlots) return;
  SetControlText((scan ? 1140 : 1120) + slot, text);
  ShowIcon((scan ? 1200 : 1180) + slot, SiteIconName(site), 16);
  ShowIcon((scan ? 1240 : 1220) + slot, kLightNames[light >= 0 && light < 3 ? light : 0], 24);
}

void ShowCounters(std::int32_t newThisRun, std::int32_t total) {
  SetControlText(kIdNewCount, FormatCount(newThisRun));
  SetControlText(kIdResultCount, FormatCount(total));
}

void ShowBytes(std::uint32_t bytes) { SetControlText(kIdBytes, FormatCount(bytes)); }

void InitStatusBar() {
  HWND status = Main().status;
  std::array<int, 3> rights = {100, 150, -1};
  SendMessageA(status, SB_SETPARTS, rights.size(), reinterpret_cast<LPARAM>(rights.data()));
  SendMessageA(status, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>("Welcome to Vemtrix"));
  SendMessageA(status, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>("Inactive"));
  SendMessageA(status, SB_SETTEXTA, 2 | SBT_OWNERDRAW, 0);
}

void SetProgress(int permille) {
  MainWindowState& state = Main();
  if (permille == state.progressPermille && state.progressShown) return;
  state.progressPermille = permille;
  state.progressShown = true;
  SendMessageA(state.status, SB_SETTEXTA, 2 | SBT_OWNERDRAW, 0);
  InvalidateRect(state.status, nullptr, FALSE);
}

void DrawProgressPart(const DRAWITEMSTRUCT* item) {
  // Nothing until a search or deep scan reports progress.
  if (!Main().progressShown) return;
  DrawProgressInto(item->hDC, item->rcItem, Main().progressPermille);
}

void DrawProgressInto(HDC dc, RECT part, int permille) {
  RECT bar = part;
  bar.right = part.left + static_cast<LONG>((static_cast<long long>(part.right - part.left) * permille) / 1000);
  if (bar.right > bar.left) FillRect(dc, &bar, GetSysColorBrush(COLOR_3DLIGHT));
  if (bar.right - bar.left > 10) {
    RECT strip = bar;
    strip.left = bar.right - 10;
    FillRect(dc, &strip, GetSysColorBrush(COLOR_HIGHLIGHT));
  }
  char text[16];
  std::snprintf(text, sizeof text, "%d.%d%%", permille / 10, permille % 10);
  int oldMode = SetBkMode(dc, TRANSPARENT);
  DrawTextA(dc, text, -1, &part, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SetBkMode(dc, oldMode);
}

}  // namespace vemtrix::ui
