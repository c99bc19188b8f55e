// "Search inside search results": the quick filter. The matches are found on
// a thread of their own a moment after the user stops typing, and the list
// box holds no copy of them (it draws each visible title from the matches),
// so typing stays smooth on a million results.
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <memory>

#include "commands/output_commands.h"
#include "core/settings.h"
#include "platform/platform.h"
#include "ui/dialogs.h"
#include "ui/window_state.h"
#include "ui/window_thread.h"

namespace vemtrix::ui {
namespace {

constexpr UINT kRefillDelayMs = 150;

HWND quickFilter = nullptr;  // kept while the window is open
std::vector<QuickFilterListRow> shown;
std::atomic<unsigned> generation{0};  // the latest refill asked for

void ShowMatches(HWND dialog, std::vector<QuickFilterListRow> matches);

// The price range the "Price from" and "to" boxes give (a blank box: no bound).
PriceRange PricesOf(HWND dialog) {
  return PriceRangeFromBoxes(GetItemText(dialog, kIdQuickPriceFrom), GetItemText(dialog, kIdQuickPriceTo));
}

// Finds the matches of the field's text away from the window's thread; a
// result that a newer refill has overtaken is dropped.
void StartRefill(HWND dialog) {
  unsigned mine = ++generation;
  std::string filter = GetItemText(dialog, kIdQuickFilterBox);
  PriceRange prices = PricesOf(dialog);
  platform::StartDetachedThread([dialog, mine, filter, prices] {
    auto matches = std::make_shared<std::vector<QuickFilterListRow>>(
        RefillQuickFilterList(filter, prices, [mine] { return mine == generation.load(); }));
    if (mine != generation.load()) return;
    PostTask(dialog, [dialog, mine, matches] {
      if (mine == generation.load()) ShowMatches(dialog, std::move(*matches));
    });
  });
}

void ShowMatches(HWND dialog, std::vector<QuickFilterListRow> matches) {
  shown = std::move(matches);
  HWND list = GetDlgItem(dialog, kIdQuickMatches);
  SendMessageA(list, LB_SETCOUNT, shown.size(), 0);
  InvalidateRect(list, nullptr, TRUE);
  SetDlgItemTextA(dialog, kIdQuickMatchCount, std::to_string(shown.size()).c_str());
}

void DrawMatch(const DRAWITEMSTRUCT* item) {
  if (item->itemID == static_cast<UINT>(-1)) return;
  bool selected = (item->itemState & ODS_SELECTED) != 0;
  FillRect(item->hDC, &item->rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  if (item->itemID < shown.size()) {
    SetBkMode(item->hDC, TRANSPARENT);
    SetTextColor(item->hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT text = item->rcItem;
    text.left += 2;
    DrawTextA(item->hDC, shown[item->itemID].title.c_str(), -1, &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
  if (item->itemState & ODS_FOCUS) DrawFocusRect(item->hDC, &item->rcItem);
}

INT_PTR CALLBACK QuickFilterProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      quickFilter = dialog;
      StartRefill(dialog);
      return TRUE;
    case WM_MEASUREITEM: {
      auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      HDC dc = GetDC(dialog);
      HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)));
      TEXTMETRICA metrics{};
      GetTextMetricsA(dc, &metrics);
      SelectObject(dc, old);
      ReleaseDC(dialog, dc);
      measure->itemHeight = static_cast<UINT>(metrics.tmHeight + 2);
      return TRUE;
    }
    case WM_DRAWITEM:
      DrawMatch(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_TIMER:
      if (wParam == kTimerQuickRefill) {
        KillTimer(dialog, kTimerQuickRefill);
        StartRefill(dialog);
      }
      return TRUE;
    case kMsgRunTask:
      RunPostedTask(lParam);
      return TRUE;
    case WM_CLOSE:
      EndDialog(dialog, 0);
      return TRUE;
    case WM_DESTROY: {
      ++generation;  // a refill still running is dropped
      DropPostedTasks(dialog);  // matches posted but not yet taken
      quickFilter = nullptr;
      shown.clear();
      shown.shrink_to_fit();
      return FALSE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kIdQuickFilterBox:
        case kIdQuickPriceFrom:
        case kIdQuickPriceTo:
          if (HIWORD(wParam) == EN_CHANGE) SetTimer(dialog, kTimerQuickRefill, kRefillDelayMs, nullptr);
          return TRUE;
        case kIdQuickMatches:
          if (HIWORD(wParam) == LBN_DBLCLK) {
            LRESULT index = SendDlgItemMessageA(dialog, kIdQuickMatches, LB_GETCURSEL, 0, 0);
            if (index >= 0 && static_cast<std::size_t>(index) < shown.size())
              OpenResultInBrowser(shown[static_cast<std::size_t>(index)].row, AppSettings().ConfirmSpawn == 1);
          }
          return TRUE;
        case kIdQuickCsv:
          QuickFilterCsvCommand(GetItemText(dialog, kIdQuickFilterBox), PricesOf(dialog), AppSettings());
          return TRUE;
        case kIdQuickHtml:
          QuickFilterHtmlCommand(GetItemText(dialog, kIdQuickFilterBox), PricesOf(dialog), AppSettings());
          return TRUE;
        case kIdQuickClose:
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

}  // namespace

void ShowQuickFilter() {
  DialogSpec frame{"Search inside search results", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER | DS_MODALFRAME, 0,
                  0, 441, 237};
  std::vector<ControlSpec> table = {
      {kIdQuickFilterLabel, "STATIC", "Quick filter:", SS_RIGHT, 2, 8, 50, 10},
      {kIdQuickFilterBox, "EDIT", "", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 55, 5, 170, 15},
      {kIdQuickPriceFromLabel, "STATIC", "Price from", SS_RIGHT, 228, 8, 40, 10},
      {kIdQuickPriceFrom, "EDIT", "", ES_AUTOHSCROLL | ES_NUMBER | WS_BORDER | WS_TABSTOP, 271, 5, 32, 15},
      {kIdQuickPriceToLabel, "STATIC", "to", SS_CENTER, 303, 8, 10, 10},
      {kIdQuickPriceTo, "EDIT", "", ES_AUTOHSCROLL | ES_NUMBER | WS_BORDER | WS_TABSTOP, 313, 5, 32, 15},
      {kIdQuickMatchCount, "EDIT", "0", ES_READONLY | ES_RIGHT, 355, 5, 45, 15, WS_EX_CLIENTEDGE},
      {kIdQuickResultsLabel, "STATIC", "results.", SS_LEFT, 405, 7, 25, 8},
      {kIdQuickMatches, "LISTBOX", "",
       LBS_NOTIFY | LBS_NODATA | LBS_OWNERDRAWFIXED | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 5,
       25, 430, 180},
      {kIdQuickCsv, "BUTTON", "Output CSV", BS_PUSHBUTTON | WS_TABSTOP, 5, 215, 55, 15},
      {kIdQuickHtml, "BUTTON", "View HTML", BS_PUSHBUTTON | WS_TABSTOP, 70, 215, 55, 15},
      {kIdQuickClose, "BUTTON", "Close", BS_PUSHBUTTON | WS_TABSTOP, 375, 215, 55, 15},
  };
  RunModalDialog(Main().window, frame, table, &QuickFilterProc);
}

HWND QuickFilterWindow() { return quickFilter; }

}  // namespace vemtrix::ui
