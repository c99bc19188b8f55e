// Context help: the help icon's glow, the platform's help mode, and the text
// pop-up for the clicked control. The pop-up comes from the HTML help library
// when it is there and gives a window; otherwise from a small window of our
// own that looks and closes the same way.
#include <windows.h>

#include <atomic>
#include <string>

#include "platform/platform.h"
#include "ui/dialogs.h"
#include "ui/logic/help_texts.h"
#include "ui/window_state.h"
#include "ui/window_thread.h"

namespace vemtrix::ui {
namespace {

constexpr COLORREF kPopupBackground = RGB(255, 255, 224);
constexpr int kPopupOffset = 25;
constexpr int kPopupMargin = 6;
constexpr int kPopupMaxWidth = 320;
const char kPopupClass[] = "VemtrixHelpPopup";

// The HTML help library's text pop-up, as its header gives it.
struct HelpPopup {
  UINT cbStruct;
  HINSTANCE hinst;
  UINT idString;
  LPCSTR pszText;
  POINT pt;
  COLORREF clrForeground;
  COLORREF clrBackground;
  RECT rcMargins;
  LPCSTR pszFont;
};
constexpr UINT kDisplayTextPopup = 0x000E;
using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

std::atomic<bool> glowing{false};
HWND ownPopup = nullptr;
std::string ownPopupText;

HtmlHelpFunction HtmlHelpEntry() {
  static HtmlHelpFunction entry = [] {
    HMODULE library = LoadLibraryA("hhctrl.ocx");
    if (library == nullptr) return HtmlHelpFunction{};
    // Through void* so the compiler accepts the change of function type.
    return reinterpret_cast<HtmlHelpFunction>(reinterpret_cast<void*>(GetProcAddress(library, "HtmlHelpA")));
  }();
  return entry;
}

LRESULT CALLBACK PopupProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      RECT area;
      GetClientRect(window, &area);
      HBRUSH background = CreateSolidBrush(kPopupBackground);
      FillRect(dc, &area, background);
      DeleteObject(background);
      FrameRect(dc, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      InflateRect(&area, -kPopupMargin, -kPopupMargin);
      HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, RGB(0, 0, 0));
      DrawTextA(dc, ownPopupText.c_str(), -1, &area, DT_WORDBREAK | DT_NOPREFIX);
      SelectObject(dc, oldFont);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_KEYDOWN:
    case WM_CAPTURECHANGED:
    case WM_ACTIVATEAPP:
      if (message != WM_CAPTURECHANGED || reinterpret_cast<HWND>(lParam) != window) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      if (ownPopup == window) ownPopup = nullptr;
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

// Our own pop-up: black text on light yellow at the given point, closed by
// the next click or key anywhere.
void ShowOwnPopup(const std::string& text, POINT at) {
  static bool registered = [] {
    WNDCLASSA windowClass{};
    windowClass.style = CS_SAVEBITS | CS_DROPSHADOW;
    windowClass.lpfnWndProc = PopupProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kPopupClass;
    return RegisterClassA(&windowClass) != 0;
  }();
  if (!registered) return;
  if (ownPopup != nullptr) DestroyWindow(ownPopup);
  ownPopupText = text;
  HDC dc = GetDC(nullptr);
  HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  RECT size{0, 0, kPopupMaxWidth, 0};
  DrawTextA(dc, text.c_str(), -1, &size, DT_WORDBREAK | DT_CALCRECT | DT_NOPREFIX);
  SelectObject(dc, oldFont);
  ReleaseDC(nullptr, dc);
  int width = size.right + 2 * kPopupMargin;
  int height = size.bottom + 2 * kPopupMargin;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (GetMonitorInfoA(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &monitor)) {
    const RECT& work = monitor.rcWork;
    ScreenPoint place =
        PlaceHelpPopup({at.x, at.y}, width, height, {work.left, work.top, work.right, work.bottom});
    at = POINT{place.x, place.y};
  }
  ownPopup = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kPopupClass, "", WS_POPUP, at.x, at.y, width, height,
                             Main().window, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (ownPopup == nullptr) return;
  ShowWindow(ownPopup, SW_SHOWNA);
  SetCapture(ownPopup);
}

}  // namespace

void ShowHelpPopup(const std::string& text) {
  POINT at{};
  GetCursorPos(&at);
  at.x += kPopupOffset;
  at.y += kPopupOffset;
  if (HtmlHelpFunction htmlHelp = HtmlHelpEntry()) {
    HelpPopup popup{};
    popup.cbStruct = sizeof popup;
    popup.hinst = GetModuleHandleA(nullptr);
    popup.pszText = text.c_str();
    popup.pt = at;
    popup.clrForeground = RGB(0, 0, 0);
    popup.clrBackground = kPopupBackground;
    popup.rcMargins = RECT{-1, -1, -1, -1};
    HWND under = WindowFromPoint(at);
    if (htmlHelp(under != nullptr ? under : Main().window, nullptr, kDisplayTextPopup,
                 reinterpret_cast<DWORD_PTR>(&popup)) != nullptr)
      return;
  }
  ShowOwnPopup(text, at);
}

HWND HelpPopupWindow() { return ownPopup; }

namespace {

bool helpMode = false;

// The deepest visible control under a screen point.
HWND ControlAt(POINT screen) {
  HWND window = WindowFromPoint(screen);
  if (window == nullptr) return nullptr;
  for (;;) {
    POINT client = screen;
    ScreenToClient(window, &client);
    HWND child = ChildWindowFromPointEx(window, client, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
    if (child == nullptr || child == window) return window;
    window = child;
  }
}

}  // namespace

bool InHelpMode() { return helpMode; }

void EndHelpMode() {
  if (!helpMode) return;
  helpMode = false;
  if (GetCapture() == Main().window) ReleaseCapture();
}

// The click that ends help mode asks for help on the control under it.
void HelpModeClick() {
  POINT at{};
  GetCursorPos(&at);
  EndHelpMode();
  HWND control = ControlAt(at);
  if (control == nullptr) return;
  HELPINFO info{};
  info.cbSize = sizeof info;
  info.iContextType = HELPINFO_WINDOW;
  info.iCtrlId = GetDlgCtrlID(control);
  info.hItemHandle = control;
  info.MousePos = at;
  ShowContextHelp(&info);
}

// GlowHelpIcon: the icon's seven glow frames, 50 ms each, then the icon at
// rest; one pass per start, on a thread of its own.
void StartContextHelp() {
  HWND window = Main().window;
  if (Control(kIdHelpIcon) != nullptr && !glowing.exchange(true)) {
    platform::StartDetachedThread([window] {
      auto show = [window](const std::string& name) {
        PostTask(window, [name] {
          if (HWND icon = Control(kIdHelpIcon))
            SendMessageA(icon, STM_SETICON, reinterpret_cast<WPARAM>(ResourceIcon(name, 0)), 0);
        });
      };
      for (int frame = 1; frame <= 7; ++frame) {
        show("CONTEXTHELPGLOW" + std::to_string(frame));
        Sleep(50);
      }
      show("CONTEXTHELP");
      glowing = false;
    });
  }
  // Help mode: the next click anywhere in the window asks for help on the
  // control under it (the mouse is captured and shows the help cursor until
  // then); Esc or the right button leave it.
  helpMode = true;
  SetCapture(Main().window);
  SetCursor(LoadCursor(nullptr, IDC_HELP));
}

void ShowContextHelp(const HELPINFO* info) {
  if (info == nullptr || info->iContextType != HELPINFO_WINDOW) return;
  std::string text = HelpTextFor(info->iCtrlId);
  if (!text.empty()) ShowHelpPopup(text);
}

}  // namespace vemtrix::ui
