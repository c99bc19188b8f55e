// The About box: the product, its maker's addresses, the lifetime statistics,
// the running time ticking each second and a radar turning every 1.2 s.
#include <windows.h>

#include <cstdio>

#include "core/recent_searches.h"
#include "core/settings.h"
#include "harvest/sites.h"
#include "ui/dialogs.h"
#include "ui/speech.h"
#include "ui/boxes_and_shell.h"
#include "ui/win32_frontend.h"
#include "ui/window_state.h"

namespace vemtrix::ui {
namespace {

const char kContact[] = "mailto:support@quillfen.com";

HWND about = nullptr;
HFONT boldFont = nullptr;
HFONT linkFont = nullptr;
HBITMAP picture = nullptr;  // the maker's picture, loaded for each showing of the box
int radarFrame = 0;
HWND focusBeforeDeactivate = nullptr;

std::string VersionText() {
  char text[32];
  int code = VersionCodeShown();
  std::snprintf(text, sizeof text, "%d.%02d", code / 100, code % 100);
  return text;
}

std::string WebAddress() { return std::string("http://") + kMakerHost + "/"; }

// Everything the picture replaces.
const int kTextIds[] = {kIdAboutProduct,    kIdAboutDescription, kIdAboutCredits,        kIdAboutContact,
                        kIdAboutWeb,        kIdAboutHomepage,    kIdAboutDisclaimer,     kIdAboutStatistics,
                        kIdAboutStatistics + 1, kIdAboutStatistics + 2, kIdAboutStatistics + 3, kIdAboutRunning,
                        kIdAboutOk,         kIdAboutVisit,       kIdAboutRadar};

void ShowTexts(HWND dialog, bool texts) {
  for (int id : kTextIds) ShowWindow(GetDlgItem(dialog, id), texts ? SW_SHOW : SW_HIDE);
  ShowWindow(GetDlgItem(dialog, kIdAboutPicture), texts ? SW_HIDE : SW_SHOW);
}

HFONT MakeFont(HWND dialog, int weight, bool underline) {
  HDC dc = GetDC(dialog);
  int height = -MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72);
  ReleaseDC(dialog, dc);
  return CreateFontA(height, 0, 0, 0, weight, FALSE, underline ? TRUE : FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                     "MS Sans Serif");
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      about = dialog;
      // The picture is set here rather than named in the template: a static
      // control does not free a bitmap it loads itself, so every showing of
      // the box would keep one more.
      picture = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), "ABOUTPICTURE", IMAGE_BITMAP, 0, 0, 0));
      SendDlgItemMessageA(dialog, kIdAboutPicture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture));
      boldFont = MakeFont(dialog, FW_BOLD, false);
      linkFont = MakeFont(dialog, FW_NORMAL, true);
      SendDlgItemMessageA(dialog, kIdAboutProduct, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont), TRUE);
      SendDlgItemMessageA(dialog, kIdAboutContact, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont), TRUE);
      SendDlgItemMessageA(dialog, kIdAboutWeb, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont), TRUE);
      std::vector<std::string> lines = AboutStatisticsLines(AppSettings());
      for (std::size_t i = 0; i < lines.size() && i < 5; ++i)
        SetDlgItemTextA(dialog, kIdAboutStatistics + static_cast<int>(i), lines[i].c_str());
      radarFrame = 0;
      SetTimer(dialog, kTimerAboutSecond, 1000, nullptr);
      SetTimer(dialog, kTimerAboutRadar, 50, nullptr);
      ShowTexts(dialog, true);
      return TRUE;
    }
    case WM_TIMER:
      if (wParam == kTimerAboutSecond) {
        SetDlgItemTextA(dialog, kIdAboutRunning,
                        ("Time spent running: " + FormatDuration(ProgramTimeNow(AppSettings()))).c_str());
      } else if (wParam == kTimerAboutRadar) {
        radarFrame = radarFrame % 24 + 1;
        HICON icon = ResourceIcon("VEMTRIXRADAR" + std::to_string(radarFrame), 0);
        SendDlgItemMessageA(dialog, kIdAboutRadar, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
      }
      return TRUE;
    case WM_CTLCOLORSTATIC: {
      int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
      if (id == kIdAboutContact || id == kIdAboutWeb) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, RGB(0, 0, 255));
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
      }
      return FALSE;
    }
    case WM_SETCURSOR: {
      int id = GetDlgCtrlID(reinterpret_cast<HWND>(wParam));
      if (id == kIdAboutContact || id == kIdAboutWeb) {
        SetCursor(LoadCursor(nullptr, IDC_HAND));
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
        return TRUE;
      }
      return FALSE;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        focusBeforeDeactivate = GetFocus();
      } else if (focusBeforeDeactivate != nullptr && IsWindow(focusBeforeDeactivate)) {
        SetFocus(focusBeforeDeactivate);
      }
      return FALSE;
    case WM_CLOSE:
      EndDialog(dialog, 0);
      return TRUE;
    case WM_DESTROY:
      KillTimer(dialog, kTimerAboutSecond);
      KillTimer(dialog, kTimerAboutRadar);
      DeleteObject(boldFont);
      DeleteObject(linkFont);
      boldFont = linkFont = nullptr;
      if (HGDIOBJ shown = reinterpret_cast<HGDIOBJ>(
              SendDlgItemMessageA(dialog, kIdAboutPicture, STM_SETIMAGE, IMAGE_BITMAP, 0));
          shown != nullptr && shown != picture)
        DeleteObject(shown);  // a copy the control made of it
      DeleteObject(picture);
      picture = nullptr;
      about = nullptr;
      return FALSE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kIdAboutPicture: ShowTexts(dialog, true); return TRUE;
        case kIdAboutCredits: ShowTexts(dialog, false); return TRUE;
        case kIdAboutWeb: OpenWithShell(WebAddress()); return TRUE;
        case kIdAboutContact: OpenWithShell(kContact); return TRUE;
        case kIdAboutVisit: OpenWithShell(MakerPageAddress()); return TRUE;
        case kIdAboutOk:
        case IDCANCEL:
        case IDOK:
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

void ShowAboutBox() {
  if (AppSettings().AudioPrompts == 1) {
    std::string version = VersionText();
    ui::Speak("Vem Trix Version " + version.substr(0, version.find('.')) + " point " +
              version.substr(version.find('.') + 1) + ". Made by Quillfen.");
  }
  DialogSpec frame{"About Vemtrix", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER | DS_MODALFRAME, 0, 0, 232, 227};
  std::vector<ControlSpec> table = {
      {kIdAboutPicture, "STATIC", "", SS_BITMAP | SS_NOTIFY, 0, 0, 0, 0},
      {kIdAboutProduct, "STATIC", "Classified Listing Harvester v" + VersionText(), SS_LEFT, 10, 10, 180, 10},
      {kIdAboutDescription, "STATIC",
       "A tool for automatically downloading search results from Craigslist, Kijiji, Backpage, and other classified "
       "ad sites using multiple search configurations.",
       SS_LEFT, 10, 20, 180, 35},  // four lines under the dialog font: from under the title to the credits
      {kIdAboutCredits, "STATIC", "Vemtrix is made by Quillfen. Click here for the picture.", SS_LEFT | SS_NOTIFY, 10, 55,
       215, 10},
      {kIdAboutContact, "STATIC", "Write to us", SS_LEFT | SS_NOTIFY, 45, 65, 70, 10},
      {kIdAboutWeb, "STATIC", WebAddress(), SS_LEFT | SS_NOTIFY, 45, 75, 95, 10},
      {kIdAboutHomepage, "STATIC", "Software homepage is at " + MakerPageAddress(), SS_LEFT,
       10, 90, 222, 10},  // to the dialog's edge, so the address stays on one line
      {kIdAboutDisclaimer, "STATIC",
       "Provided as is, without warranty. Not affiliated with the sites it searches. Use it at your own risk.",
       SS_LEFT, 10, 105, 215, 25},
      {kIdAboutStatistics, "STATIC", "", SS_LEFT, 10, 140, 215, 10},
      {kIdAboutStatistics + 1, "STATIC", "", SS_LEFT, 10, 150, 215, 10},
      {kIdAboutStatistics + 2, "STATIC", "", SS_LEFT, 10, 160, 215, 10},
      {kIdAboutStatistics + 3, "STATIC", "", SS_LEFT, 10, 170, 215, 10},
      {kIdAboutRunning, "STATIC", "", SS_LEFT, 10, 180, 215, 10},
      {kIdAboutOk, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 45, 200, 65, 15},
      {kIdAboutVisit, "BUTTON", "Visit Website", BS_PUSHBUTTON | WS_TABSTOP, 120, 200, 65, 15},
      {kIdAboutRadar, "STATIC", "HARDLYTHERE", SS_ICON | SS_CENTERIMAGE, 190, 10, 22, 22},
  };
  RunModalDialog(Main().window, frame, table, &AboutProc);
}

void CloseSecondaryDialogs() {
  if (about != nullptr) EndDialog(about, 0);
}


}  // namespace vemtrix::ui
