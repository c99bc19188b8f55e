// The dialog "Vemtrix Installer": shows where the program went and asks for
// the shortcuts and the first start.
#include "installer.h"
#include "installer_ids.h"

namespace vemtrix::installer {

namespace {

HWND FocusedControl = nullptr;  // remembered while the dialog is inactive
HICON BigIcon = nullptr;
HICON SmallIcon = nullptr;

HICON LoadProgramIcon(int widthMetric, int heightMetric) {
  return static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), "0L", IMAGE_ICON,
                                       GetSystemMetrics(widthMetric), GetSystemMetrics(heightMetric), 0));
}

}  // namespace

INT_PTR CALLBACK InstallerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      BigIcon = LoadProgramIcon(SM_CXICON, SM_CYICON);
      SmallIcon = LoadProgramIcon(SM_CXSMICON, SM_CYSMICON);
      SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(BigIcon));
      SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(SmallIcon));
      const auto* installedPath = reinterpret_cast<const std::string*>(lParam);
      SetDlgItemTextA(dialog, IDC_INSTALLED_PATH, installedPath->c_str());
      CheckDlgButton(dialog, IDC_PROGRAMS_LINK, BST_CHECKED);
      CheckDlgButton(dialog, IDC_DESKTOP_LINK, BST_CHECKED);
      CheckDlgButton(dialog, IDC_RUN_NOW, BST_CHECKED);
      SetFocus(GetDlgItem(dialog, IDC_FINISH));
      return FALSE;  // focus set here
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        FocusedControl = GetFocus();
      } else if (FocusedControl && IsChild(dialog, FocusedControl)) {
        SetFocus(FocusedControl);
        return TRUE;
      }
      return FALSE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_FINISH && HIWORD(wParam) == BN_CLICKED) {
        CreateProgramsLink = IsDlgButtonChecked(dialog, IDC_PROGRAMS_LINK) == BST_CHECKED;
        CreateDesktopLink = IsDlgButtonChecked(dialog, IDC_DESKTOP_LINK) == BST_CHECKED;
        RunNow = IsDlgButtonChecked(dialog, IDC_RUN_NOW) == BST_CHECKED;
        EndDialog(dialog, 1);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {  // Esc: the same as the close box
        EndDialog(dialog, 0);
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:  // the close box ends the dialog without reading the boxes
      EndDialog(dialog, 0);
      return TRUE;
    case WM_DESTROY:
      FocusedControl = nullptr;
      if (BigIcon) DestroyIcon(BigIcon);
      if (SmallIcon) DestroyIcon(SmallIcon);
      BigIcon = SmallIcon = nullptr;
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace vemtrix::installer
