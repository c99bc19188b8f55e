// "New Search": a fresh, empty search under a new name. The terms and the
// trees' check marks are kept.
#include "commands/search_commands.h"
#include "ui/dialogs.h"
#include "ui/window_state.h"

namespace vemtrix::ui {
namespace {


INT_PTR CALLBACK NewSearchProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      SetFocus(GetDlgItem(dialog, kIdNewName));
      return FALSE;
    case WM_CLOSE:
      EndDialog(dialog, 0);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kIdNewButton:
        case IDOK: {
          std::string name = GetItemText(dialog, kIdNewName);
          if (name.empty()) return TRUE;  // nothing to start under
          SetControlText(kIdName, name);
          StartNewSearch(name);
          SelectPage(kPageSearch);
          EndDialog(dialog, 1);
          return TRUE;
        }
        case kIdNewCancel:
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

void ShowNewSearchDialog() {
  DialogSpec frame{"New Search", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER | DS_MODALFRAME, 0, 0, 256, 53};
  std::vector<ControlSpec> table = {
      {kIdNewPrompt, "STATIC", "Please enter the name of your search:", SS_RIGHT, 2, 10, 145, 10},
      {kIdNewName, "EDIT", "", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 150, 8, 95, 15},
      {kIdNewButton, "BUTTON", "New", BS_DEFPUSHBUTTON | WS_TABSTOP, 150, 30, 40, 15},
      {kIdNewCancel, "BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 200, 30, 45, 15},
  };
  RunModalDialog(Main().window, frame, table, &NewSearchProc);
}

}  // namespace vemtrix::ui
