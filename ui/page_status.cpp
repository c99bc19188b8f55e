// The "Diagnostics" page: the three counters, twelve search and twelve scan
// worker rows (text, site icon, light), the switch between the two blocks in
// compact mode; and the status bar with its drawn progress part.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>

#include "core/frontend.h"
#include "ui/logic/progress_part.h"
#include "ui/logic/status_layout.h"
#include "ui/logic/window_text.h"
#include "ui/window_state.h"

namespace vemtrix::ui {
namespace {

const char* const kLightNames[] = {"ICONDULL", "ICONGREEN", "ICONRED"};

void ShowIcon(int id, const std::string& name, int size) {
  if (HWND control = Control(id)) SendMessageA(control, STM_SETICON, reinterpret_cast<WPARAM>(ResourceIcon(name, size)), 0);
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

// Places a control at a position in dialog units plus pixels, sized in pixels.
void PlaceInPixels(int id, int xDlu, int yDlu, int xPixels, int sizePx) {
  HWND control = Control(id);
  if (control == nullptr) return;
  RECT at = DluToPixels(Main().window, xDlu, yDlu, 0, 0);
  SetWindowPos(control, nullptr, at.left + xPixels, at.top, sizePx, sizePx, SWP_NOZORDER | SWP_NOACTIVATE);
}

WorkerBlock ShownBlock() { return Main().statusShowsScan ? WorkerBlock::DeepScan : WorkerBlock::Search; }

}  // namespace

std::vector<ControlSpec> StatusPageTable() {
  const DWORD readOnly = ES_READONLY | ES_AUTOHSCROLL | WS_BORDER;
  const DWORD icon = SS_ICON | SS_REALSIZECONTROL | SS_CENTERIMAGE;
  std::vector<ControlSpec> table = {
      // Wider labels than the classic layout so every caption fits on one line.
      {kIdResultCountLabel, "STATIC", "Current # of search results:", SS_RIGHT, 2, 17, 110, 10},
      {kIdResultCount, "EDIT", "0", readOnly, 114, 15, 35, 15},
      {kIdNewCountLabel, "STATIC", "New resultss:", SS_RIGHT, 150, 17, 55, 10},
      {kIdNewCount, "EDIT", "0", readOnly, 207, 15, 35, 15},
      {kIdBytesLabel, "STATIC", "Bytes downloaded:", SS_RIGHT, 243, 17, 73, 10},
      {kIdBytes, "EDIT", "0", readOnly, 318, 15, 50, 15},
  };
  // The page's layout places the worker rows, their lights and the buttons.
  for (int i = 0; i < kWorkerSlots; ++i) {
    for (WorkerBlock block : {WorkerBlock::Search, WorkerBlock::DeepScan}) {
      table.push_back({WorkerBoxId(block, i), "EDIT", "", readOnly, 0, 0, 0, 0});
      table.push_back({WorkerLabelId(block, i), "STATIC", SlotLabel(block == WorkerBlock::DeepScan, i), SS_LEFT, 0, 0,
                       0, 0});
      table.push_back({WorkerIconId(block, i), "STATIC", "HARDLYTHERE", icon, 0, 0, 0, 0});
      table.push_back({WorkerLightId(block, i), "STATIC", "ICONDULL", icon, 0, 0, 0, 0});
    }
  }
  table.push_back({kIdViewSearchStatus, "BUTTON", "View Search Status", BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 0, 0});
  table.push_back({kIdViewScanStatus, "BUTTON", "View Scan Status", BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 0, 0});
  table.push_back({kIdAbort, "BUTTON", "Abort", BS_PUSHBUTTON | WS_TABSTOP | WS_DISABLED, 0, 0, 0, 0});
  return table;
}

void InitStatusPage() {
  for (int i = 0; i < kWorkerSlots; ++i) {
    for (WorkerBlock block : {WorkerBlock::Search, WorkerBlock::DeepScan}) {
      ShowIcon(WorkerIconId(block, i), "HARDLYTHERE", kWorkerIconPx);
      ShowIcon(WorkerLightId(block, i), "ICONDULL", kWorkerLightPx);
    }
  }
}

void LayoutStatusPage(int width, int height) {
  MainWindowState& state = Main();
  state.compactStatus = DiagnosticsCompact(height);
  HWND page = state.pages[kPageStatus];
  RECT pageRect{};
  GetClientRect(page, &pageRect);
  const int pageHeightDlu = PixelsToDlu(state.window, 0, pageRect.bottom).cy;
  for (const LayoutSlot& slot : DiagnosticsLayout(width, height, ShownBlock(), pageHeightDlu)) {
    if (slot.rect.w == 0 && slot.rect.h == 0) {
      // A site icon keeps its pixel size.
      PlaceInPixels(slot.id, slot.rect.x, slot.rect.y, 0, kWorkerIconPx);
      if (HWND control = Control(slot.id)) ShowWindow(control, slot.rect.visible ? SW_SHOWNA : SW_HIDE);
    } else {
      PlaceControl(page, state.window, slot.id, slot.rect.x, slot.rect.y, slot.rect.w, slot.rect.h, slot.rect.visible);
    }
  }
  for (WorkerBlock block : {WorkerBlock::Search, WorkerBlock::DeepScan}) {
    DluPoint origin = WorkerLightOrigin(block);
    for (int i = 0; i < kWorkerSlots; ++i)
      PlaceInPixels(WorkerLightId(block, i), origin.x, origin.y, i * kWorkerLightStepPx, kWorkerLightPx);
  }
}

void ShowWorkerBlock(bool scan) {
  MainWindowState& state = Main();
  WorkerBlock shown = SwitchWorkerBlock(ShownBlock(), scan ? WorkerBlock::DeepScan : WorkerBlock::Search,
                                        state.compactStatus);
  if ((shown == WorkerBlock::DeepScan) == state.statusShowsScan) return;
  state.statusShowsScan = shown == WorkerBlock::DeepScan;
  SIZE size = WindowSizeDlu();
  LayoutStatusPage(size.cx, size.cy);
}

void SetWorkerRow(bool scan, int slot, const std::string& text, int light, SiteId site) {
  if (slot < 0 || slot >= kWorkerSlots) return;
  WorkerBlock block = scan ? WorkerBlock::DeepScan : WorkerBlock::Search;
  SetControlText(WorkerBoxId(block, slot), text);
  ShowIcon(WorkerIconId(block, slot), SiteIconName(site), kWorkerIconPx);
  ShowIcon(WorkerLightId(block, slot), kLightNames[light >= 0 && light < 3 ? light : 0], kWorkerLightPx);
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
  ShowStatusText(kStatusRequestPart, "Welcome to Vemtrix");
  ShowStatusText(kStatusRunStatePart, RunStateText(RunState::Inactive));
  SendMessageA(status, SB_SETTEXTA, kStatusProgressPart | SBT_OWNERDRAW, 0);
}

void ShowStatusText(int part, const std::string& text) {
  MainWindowState& state = Main();
  if (part == kStatusRunStatePart && text != state.runStateText) {
    state.runStateText = text;
    PlaceStatusParts();  // a longer state ("Next search at HH:MM") may need a wider part
  }
  SendMessageA(state.status, SB_SETTEXTA, part, reinterpret_cast<LPARAM>(text.c_str()));
}

void SetProgress(int permille) {
  MainWindowState& state = Main();
  if (permille == state.progressPermille && state.progressShown) return;
  state.progressPermille = permille;
  state.progressShown = true;
  SendMessageA(state.status, SB_SETTEXTA, kStatusProgressPart | SBT_OWNERDRAW, 0);
  InvalidateRect(state.status, nullptr, FALSE);
}

void DrawProgressPart(const DRAWITEMSTRUCT* item) {
  // Nothing until a search or deep scan reports progress.
  if (!Main().progressShown) return;
  DrawProgressInto(item->hDC, item->rcItem, Main().progressPermille);
}

void DrawProgressInto(HDC dc, RECT part, int permille) {
  ProgressPartDrawing drawing =
      LayoutProgressPart(PixelRect{part.left, part.top, part.right, part.bottom}, permille);
  RECT bar{drawing.bar.left, drawing.bar.top, drawing.bar.right, drawing.bar.bottom};
  if (bar.right > bar.left) FillRect(dc, &bar, GetSysColorBrush(COLOR_3DLIGHT));
  if (drawing.hasHighlight) {
    RECT strip{drawing.highlight.left, drawing.highlight.top, drawing.highlight.right, drawing.highlight.bottom};
    FillRect(dc, &strip, GetSysColorBrush(COLOR_HIGHLIGHT));
  }
  int oldMode = SetBkMode(dc, TRANSPARENT);
  DrawTextA(dc, drawing.text.c_str(), -1, &part, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SetBkMode(dc, oldMode);
}

}  // namespace vemtrix::ui
