// The About box: the product, its maker's addresses, the lifetime statistics,
// the running time ticking each second and a radar turning every 1.2 s.
#include <windows.h>

#include <cstdio>

#include "core/recent_searches.h"
#include "core/settings.h"
#include "harvest/sites.h"
#include "ui/dialogs.h"
#include "ui/speech.h"
#include "ui/win32_frontend.h"
#include "ui/window_state.h"

namespace vemtrix::ui {
namespace {

constexpr int kIdPicture = 3019;
constexpr int kIdProduct = 3001;
constexpr int kIdCredits = 3003;
constexpr int kIdContact = 3004;
constexpr int kIdWeb = 3005;
constexpr int kIdRunning = 3016;
constexpr int kIdOk = 3009;
constexpr int kIdVisit = 3010;
constexpr int kIdRadar = 3011;
constexpr UINT_PTR kSecondTimer = 3017;
constexpr UINT_PTR kRadarTimer = 3018;
const char kContact[] = "mailto:support@quillfen.com";

HWND about = nullptr;
HFONT boldFont = nullptr;
HFONT linkFont = nullptr;
int radarFrame = 0;
HWND focusBeforeDeactivate = nullptr;

std::string VersionText() {
  char text[32];
  int code = VersionCodeShown();
  std::snprintf(text, sizeof text, "%d.%02d", code / 100, code % 100);
  return text;
}

std::string WebAddress() { return std::string("http://") + kMakerHost + "/"; }

const int kTextIds[] = {3001, 3002, 3003, 3004, 3005, 3006, 3007, 3012, 3013, 3014, 3015, 3016, 3009, 3010, 3011};

void ShowTexts(HWND dialog, bool texts) {
  for (int id : kTextIds) ShowWindow(GetDlgItem(dialog, id), texts ? SW_SHOW : SW_HIDE);
  ShowWindow(GetDlgItem(dialog, kIdPicture), texts ? SW_HIDE : SW_SHOW);
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
      boldFont = MakeFont(dialog, FW_BOLD, false);
      linkFont = MakeFont(dialog, FW_NORMAL, true);
      SendDlgItemMessageA(dialog, kIdProduct, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont), TRUE);
      SendDlgItemMessageA(dialog, kIdContact, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont), TRUE);
      SendDlgItemMessageA(dialog, kIdWeb, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont), TRUE);
      std::vector<std::string> lines = AboutStatisticsLines(AppSettings());
      for (std::size_t i = 0; i < lines.size() && i < 5; ++i)
        SetDlgItemTextA(dialog, 3012 + static_cast<int>(i), lines[i].c_str());
      radarFrame = 0;
      SetTimer(dialog, kSecondTimer, 1000, nullptr);
      SetTimer(dialog, kRadarTimer, 50, nullptr);
      ShowTexts(dialog, true);
      return TRUE;
    }
    case WM_TIMER:
      if (wParam == kSecondTimer) {
        SetDlgItemTextA(dialog, kIdRunning,
                        ("Time spent running: " + FormatDuration(ProgramTimeNow(AppSettings()))).c_str());
      } else if (wParam == kRadarTimer) {
        radarFrame = radarFrame % 24 + 1;
        HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr),
                                                   ("VEMTRIXRADAR" + std::to_string(radarFrame)).c_str(), IMAGE_ICON,
                                                   0, 0, LR_DEFAULTSIZE | LR_SHARED));
        SendDlgItemMessageA(dialog, kIdRadar, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
      }
      return TRUE;
    case WM_CTLCOLORSTATIC: {
      int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
      if (id == kIdContact || id == kIdWeb) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, RGB(0, 0, 255));
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
      }
      return FALSE;
    }
    case WM_SETCURSOR: {
      int id = GetDlgCtrlID(reinterpret_cast<HWND>(wParam));
      if (id == kIdContact || id == kIdWeb) {
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
      KillTimer(dialog, kSecondTimer);
      KillTimer(dialog, kRadarTimer);
      DeleteObject(boldFont);
      DeleteObject(linkFont);
      boldFont = linkFont = nullptr;
      about = nullptr;
      return FALSE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kIdPicture: ShowTexts(dialog, true); return TRUE;
        case kIdCredits: ShowTexts(dialog, false); return TRUE;
        case kIdWeb: OpenWithShell(WebAddress()); return TRUE;
        case kIdContact: OpenWithShell(kContact); return TRUE;
        case kIdVisit: OpenWithShell(MakerPageAddress()); return TRUE;
        case kIdOk:
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
      {kIdPicture, "STATIC", "ABOUTPICTURE", SS_BITMAP | SS_NOTIFY, 0, 0, 0, 0},
      {kIdProduct, "STATIC", "Classified Listing Harvester v" + VersionText(), SS_LEFT, 10, 10, 180, 10},
      {3002, "STATIC",
       "A tool for automatically downloading search results from Craigslist, Kijiji, Backpage, and other classified "
       "ad sites using multiple search configurations.",
       SS_LEFT, 10, 20, 180, 35},  // four lines under the dialog font: from under the title to the credits
      {kIdCredits, "STATIC", "Vemtrix is made by Quillfen. Click here for the picture.", SS_LEFT | SS_NOTIFY, 10, 55,
       215, 10},
      {kIdContact, "STATIC", "Write to us", SS_LEFT | SS_NOTIFY, 45, 65, 70, 10},
      {kIdWeb, "STATIC", WebAddress(), SS_LEFT | SS_NOTIFY, 45, 75, 95, 10},
      {3006, "STATIC", "Software homepage is at " + MakerPageAddress(), SS_LEFT,
       10, 90, 222, 10},  // to the dialog's edge, so the address stays on one line
      {3007, "STATIC",
       "Provided as is, without warranty. Not affiliated with the sites it searches. Use it at your own risk.",
       SS_LEFT, 10, 105, 215, 25},
      {3012, "STATIC", "", SS_LEFT, 10, 140, 215, 10},
      {3013, "STATIC", "", SS_LEFT, 10, 150, 215, 10},
      {3014, "STATIC", "", SS_LEFT, 10, 160, 215, 10},
      {3015, "STATIC", "", SS_LEFT, 10, 170, 215, 10},
      {kIdRunning, "STATIC", "", SS_LEFT, 10, 180, 215, 10},
      {kIdOk, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 45, 200, 65, 15},
      {kIdVisit, "BUTTON", "Visit Website", BS_PUSHBUTTON | WS_TABSTOP, 120, 200, 65, 15},
      {kIdRadar, "STATIC", "HARDLYTHERE", SS_ICON | SS_CENTERIMAGE, 190, 10, 22, 22},
  };
  RunModalDialog(Main().window, frame, table, &AboutProc);
}

void CloseSecondaryDialogs() {
  if (about != nullptr) EndDialog(about, 0);
}

bool IsSecondaryDialogMessage(MSG*) { return false; }

}  // namespace vemtrix::ui
