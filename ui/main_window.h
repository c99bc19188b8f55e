// The program's main window: five pages under a tab control, a status bar
// and the search-name row, run modally until the user closes it.
#pragma once

#include <windows.h>

namespace vemtrix::ui {

// The program's version as major * 100 + minor, shown in the title.
void SetVersionCode(int code);

// Builds the window, reopens the current search quietly, and runs the window
// until it closes. The settings and catalogs must be loaded and the result
// store sized.
void ShowMainWindow();

// The one message handler of the window and its pages.
INT_PTR CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Saves the settings with the window's present size.
void SaveWindowSettings();

}  // namespace vemtrix::ui
