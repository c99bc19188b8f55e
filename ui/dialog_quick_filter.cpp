// "Search inside search results": the quick filter. The list is refilled a
// moment after the user stops typing, so typing stays smooth on a long list.
#include <windows.h>
#include <commctrl.h>

#include "commands/output_commands.h"
#include "core/settings.h"
#include "core/frontend.h"
#include "ui/dialogs.h"
#include "ui/window_state.h"

namespace vemtrix::ui {
namespace {

constexpr int kIdFilterBox = 5005;
constexpr int kIdMatchCount = 5006;
constexpr int kIdMatches = 5001;
constexpr int kIdCsv = 5002;
constexpr int kIdHtml = 5003;
constexpr int kIdClose = 5004;
constexpr UINT_PTR kRefillTimer = 5100;
constexpr UINT kRefillDelayMs = 150;

HWND quickFilter = nullptr;  // kept while the window is open
std::vector<QuickFilterListRow> shown;

void Refill(HWND dialog) {
  HWND list = GetDlgItem(dialog, kIdMatches);
  shown = RefillQuickFilterList(GetItemText(dialog, kIdFilterBox));
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  SendMessageA(list, LB_INITSTORAGE, shown.size(), shown.size() * 32);
  for (const QuickFilterListRow& row : shown)
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.title.c_str()));
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  SetDlgItemTextA(dialog, kIdMatchCount, std::to_string(shown.size()).c_str());
}

INT_PTR CALLBACK QuickFilterProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      quickFilter = dialog;
      Refill(dialog);
      return TRUE;
    case WM_TIMER:
      if (wParam == kRefillTimer) {
        KillTimer(dialog, kRefillTimer);
        Refill(dialog);
      }
      return TRUE;
    case WM_CLOSE:
      EndDialog(dialog, 0);
      return TRUE;
    case WM_DESTROY:
      quickFilter = nullptr;
      shown.clear();
      return FALSE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kIdFilterBox:
          if (HIWORD(wParam) == EN_CHANGE) SetTimer(dialog, kRefillTimer, kRefillDelayMs, nullptr);
          return TRUE;
        case kIdMatches:
          if (HIWORD(wParam) == LBN_DBLCLK) {
            LRESULT index = SendDlgItemMessageA(dialog, kIdMatches, LB_GETCURSEL, 0, 0);
            if (index >= 0 && static_cast<std::size_t>(index) < shown.size())
              OpenResultInBrowser(shown[static_cast<std::size_t>(index)].row, AppSettings().ConfirmSpawn == 1);
          }
          return TRUE;
        case kIdCsv:
          QuickFilterCsvCommand(GetItemText(dialog, kIdFilterBox), AppSettings());
          return TRUE;
        case kIdHtml:
          QuickFilterHtmlCommand(GetItemText(dialog, kIdFilterBox), AppSettings());
          return TRUE;
        case kIdClose:
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
  DialogSpec spec{"Search inside search results", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER | DS_MODALFRAME, 0,
                  0, 441, 237};
  std::vector<ControlSpec> table = {
      {5007, "STATIC", "Quick filter:", SS_RIGHT, 10, 8, 40, 12},
      {kIdFilterBox, "EDIT", "", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 55, 5, 290, 15},
      {kIdMatchCount, "EDIT", "0", ES_READONLY | ES_RIGHT, 355, 5, 45, 15, WS_EX_CLIENTEDGE},
      {5008, "STATIC", "results.", SS_LEFT, 405, 7, 25, 8},
      {kIdMatches, "LISTBOX", "", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 5, 25,
       430, 180},
      {kIdCsv, "BUTTON", "Output CSV", BS_PUSHBUTTON | WS_TABSTOP, 5, 215, 55, 15},
      {kIdHtml, "BUTTON", "View HTML", BS_PUSHBUTTON | WS_TABSTOP, 70, 215, 55, 15},
      {kIdClose, "BUTTON", "Close", BS_PUSHBUTTON | WS_TABSTOP, 375, 215, 55, 15},
  };
  std::vector<WORD> bytes = BuildDialogTemplate(spec, table);
  DialogBoxIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(bytes.data()), Main().window,
                          &QuickFilterProc, 0);
}

HWND QuickFilterWindow() { return quickFilter; }

}  // namespace vemtrix::ui
