// Message boxes and the shell's "open" verb, as the window and its front end
// use them.
#pragma once

#include <windows.h>

#include <string>

#include "core/frontend.h"

namespace vemtrix::ui {

// A message box with the engine's icon, buttons and modality; the answer as
// the engine names it.
MessageAnswer ShowMessageBox(HWND owner, const std::string& caption, const std::string& text, MessageIcon icon,
                             MessageButtons buttons, MessageModality modality);

// What a box or file dialog opened on the window's thread belongs to: the
// dialog open over the window (the quick filter, the About box) when there
// is one, so that it too waits for the answer; else the window.
HWND BoxOwner(HWND window);

// How many boxes ShowMessageBox has open on any thread now.
int BoxesWaiting();

// Hands a file name or web address to the system's "open" verb. Any thread:
// the shell may use COM, so a thread without it sets it up for the call.
void OpenWithShell(const std::string& target);

}  // namespace vemtrix::ui
