// InstallVemtrix.exe: finishes an installation the main program handed over.
// It waits for the main program to close, copies it into the installer's own
// folder, writes a fresh settings file, asks which shortcuts to create and
// optionally starts the installed copy. It shares no code with Vemtrix.exe.
#pragma once

#include <windows.h>

#include <string>

namespace vemtrix::installer {

// The user's choices, all 0 until "Finish" is pressed in the dialog.
extern int CreateProgramsLink;
extern int CreateDesktopLink;
extern int RunNow;

// The whole installation; commandLine is the text after the program's name.
void InstallerMain(const char* commandLine);

// The dialog "Vemtrix Installer". lParam of WM_INITDIALOG points to the
// std::string shown as the installed program's path.
INT_PTR CALLBACK InstallerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Saves a shell link named linkName in the special folder folderKind (a CSIDL
// value: 2 programs menu, 0 desktop). Returns false on any failure.
bool CreateShortcut(int folderKind, const std::string& linkName, const std::string& targetPath,
                    const std::string& workingFolder, const std::string& description);

}  // namespace vemtrix::installer
