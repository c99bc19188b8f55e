#include "ui/boxes_and_shell.h"

#include <objbase.h>
#include <shellapi.h>

#include <atomic>

namespace vemtrix::ui {
namespace {

std::atomic<int> boxesWaiting{0};

UINT IconFlags(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Error: return MB_ICONERROR;
    case MessageIcon::Warning: return MB_ICONWARNING;
    case MessageIcon::Information: return MB_ICONINFORMATION;
    case MessageIcon::Question: return MB_ICONQUESTION;
    case MessageIcon::None: break;
  }
  return 0;
}

UINT ButtonFlags(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::YesNo: return MB_YESNO;
    case MessageButtons::YesNoDefaultNo: return MB_YESNO | MB_DEFBUTTON2;
    case MessageButtons::YesNoCancel: return MB_YESNOCANCEL;
    case MessageButtons::Ok: break;
  }
  return MB_OK;
}

MessageAnswer AnswerOf(int pressed) {
  switch (pressed) {
    case IDYES: return MessageAnswer::Yes;
    case IDNO: return MessageAnswer::No;
    case IDCANCEL: return MessageAnswer::Cancel;
    default: return MessageAnswer::Ok;
  }
}

}  // namespace

MessageAnswer ShowMessageBox(HWND owner, const std::string& caption, const std::string& text, MessageIcon icon,
                             MessageButtons buttons, MessageModality modality) {
  UINT flags = IconFlags(icon) | ButtonFlags(buttons);
  if (modality == MessageModality::System) flags |= MB_SYSTEMMODAL;
  ++boxesWaiting;
  const int pressed = MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
  --boxesWaiting;
  return AnswerOf(pressed);
}

int BoxesWaiting() { return boxesWaiting.load(); }

HWND BoxOwner(HWND window) {
  HWND popup = GetLastActivePopup(window);
  return popup != nullptr ? popup : window;
}

void OpenWithShell(const std::string& target) {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  ShellExecuteA(GetDesktopWindow(), "open", target.c_str(), nullptr, nullptr, SW_SHOWDEFAULT);
  if (SUCCEEDED(com)) CoUninitialize();
}

}  // namespace vemtrix::ui
