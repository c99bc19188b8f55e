// Runs ExtractInstaller on the path given as the whole command line; the exit
// code is its result. Built with the main program's resources and without.
#include <windows.h>

#include "setup/extract_installer.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  return vemtrix::setup::ExtractInstaller(commandLine);
}
