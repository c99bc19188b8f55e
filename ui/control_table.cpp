#include "ui/control_table.h"

#include <map>
#include <utility>

namespace vemtrix::ui {
namespace {

void AppendWide(std::vector<WORD>& out, const std::string& text) {
  int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::vector<wchar_t> wide(static_cast<std::size_t>(length > 0 ? length : 1), L'\0');
  if (length > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), length);
  for (wchar_t c : wide) out.push_back(static_cast<WORD>(c));  // the terminator included
}

void AlignDword(std::vector<WORD>& out) {
  if (out.size() % 2 != 0) out.push_back(0);
}

void AppendDword(std::vector<WORD>& out, DWORD value) {
  out.push_back(LOWORD(value));
  out.push_back(HIWORD(value));
}

}  // namespace

std::vector<WORD> BuildDialogTemplate(const DialogSpec& dialog, const std::vector<ControlSpec>& controls) {
  std::vector<WORD> out;
  // DLGTEMPLATE
  AppendDword(out, dialog.style | DS_SETFONT);
  AppendDword(out, dialog.exStyle);
  out.push_back(static_cast<WORD>(controls.size()));
  out.push_back(static_cast<WORD>(dialog.x));
  out.push_back(static_cast<WORD>(dialog.y));
  out.push_back(static_cast<WORD>(dialog.w));
  out.push_back(static_cast<WORD>(dialog.h));
  out.push_back(0);  // no menu
  out.push_back(0);  // the standard dialog class
  AppendWide(out, dialog.caption);
  out.push_back(static_cast<WORD>(dialog.fontPoints));
  AppendWide(out, dialog.fontName);
  for (const ControlSpec& control : controls) {
    AlignDword(out);
    // DLGITEMTEMPLATE
    AppendDword(out, control.style | WS_CHILD | WS_VISIBLE);
    AppendDword(out, control.exStyle);
    out.push_back(static_cast<WORD>(control.x));
    out.push_back(static_cast<WORD>(control.y));
    out.push_back(static_cast<WORD>(control.w));
    out.push_back(static_cast<WORD>(control.h));
    out.push_back(static_cast<WORD>(control.id));
    AppendWide(out, control.windowClass);
    AppendWide(out, control.caption);
    out.push_back(0);  // no creation data
  }
  return out;
}

HWND CreatePage(HWND parent, const std::vector<ControlSpec>& controls, DLGPROC proc, LPARAM param) {
  DialogSpec page{"", DS_CONTROL | WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 10, 10, WS_EX_CONTROLPARENT};
  std::vector<WORD> bytes = BuildDialogTemplate(page, controls);
  return CreateDialogIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(bytes.data()),
                                    parent, proc, param);
}

INT_PTR RunModalDialog(HWND owner, const DialogSpec& dialog, const std::vector<ControlSpec>& controls, DLGPROC proc) {
  std::vector<WORD> bytes = BuildDialogTemplate(dialog, controls);
  return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(bytes.data()), owner,
                                 proc, 0);
}

RECT DluToPixels(HWND dialog, int x, int y, int w, int h) {
  RECT rect{x, y, x + w, y + h};
  MapDialogRect(dialog, &rect);
  return rect;
}

SIZE PixelsToDlu(HWND dialog, int widthPx, int heightPx) {
  RECT base{0, 0, 400, 800};
  MapDialogRect(dialog, &base);
  SIZE size{};
  size.cx = base.right > 0 ? MulDiv(widthPx, 400, base.right) : widthPx;
  size.cy = base.bottom > 0 ? MulDiv(heightPx, 800, base.bottom) : heightPx;
  return size;
}

void PlaceControl(HWND parent, HWND units, int id, int x, int y, int w, int h, bool visible) {
  HWND control = GetDlgItem(parent, id);
  if (control == nullptr) return;
  RECT rect = DluToPixels(units, x, y, w, h);
  SetWindowPos(control, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  // The control's own visibility, whether or not its page is showing.
  bool shown = (GetWindowLongPtrA(control, GWL_STYLE) & WS_VISIBLE) != 0;
  if (shown != visible) ShowWindow(control, visible ? SW_SHOWNA : SW_HIDE);
}

HICON ResourceIcon(const std::string& name, int size) {
  static std::map<std::pair<std::string, int>, HICON> icons;
  auto key = std::make_pair(name, size);
  auto found = icons.find(key);
  if (found != icons.end()) return found->second;
  HICON icon = static_cast<HICON>(
      LoadImageA(GetModuleHandleA(nullptr), name.c_str(), IMAGE_ICON, size, size, size == 0 ? LR_DEFAULTSIZE : 0));
  icons[key] = icon;
  return icon;
}

std::string GetText(HWND window) {
  int length = GetWindowTextLengthA(window);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  int got = GetWindowTextA(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return text;
}

std::string GetItemText(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  return control != nullptr ? GetText(control) : std::string();
}

}  // namespace vemtrix::ui
