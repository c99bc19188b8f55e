// Entry of Vemtrix.exe.
#include <windows.h>

#include "setup/program_main.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  vemtrix::setup::ProgramMain();
  // Ends every thread first: a catalog download left running by a closed
  // dialog must not see the process-wide tables destroyed under it.
  ExitProcess(0);
}
