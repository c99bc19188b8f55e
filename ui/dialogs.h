// The main window's secondary dialogs, context help and the update check.
#pragma once

#include <windows.h>

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
bool IsSecondaryDialogMessage(MSG* msg);

// Context help: the icon's click, and a help request for a clicked control.
void StartContextHelp();
void ShowContextHelp(const HELPINFO* info);

}  // namespace vemtrix::ui
