// The main window's secondary dialogs, context help and the update check.
#pragma once

#include <windows.h>

#include <string>

namespace vemtrix::ui {

// "New Search": a fresh, empty search under a new name.
void ShowNewSearchDialog();
// "Search inside search results".
void ShowQuickFilter();
// The About box.
void ShowAboutBox();
// Ends any secondary dialog still open (the main window is closing).
void CloseSecondaryDialogs();
// Offers msg to an open modeless secondary dialog; true when it took it.

// Context help: the icon's click, and a help request for a clicked control.
void StartContextHelp();
void ShowContextHelp(const HELPINFO* info);
// Help mode: on from the icon's click until the next click or Esc.
bool InHelpMode();
void EndHelpMode();
void HelpModeClick();
// The help text pop-up at the mouse position, and our own pop-up window while
// it is open (nullptr otherwise).
void ShowHelpPopup(const std::string& text);
HWND HelpPopupWindow();
// The quick filter's window while it is open.
HWND QuickFilterWindow();

}  // namespace vemtrix::ui
