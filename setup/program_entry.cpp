// Entry of Vemtrix.exe. The start-up sequence and the main window are not
// built yet, so the program ends at once without showing anything.
//
// When the environment names a file in VEMTRIX_TEST_START_MARKER, a started
// copy first appends to it one line: its own path, a "|", and its current
// folder. The installer's tests use it to see which copy was started and where.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

void RecordStartForTests() {
  char marker[MAX_PATH] = {};
  DWORD length = GetEnvironmentVariableA("VEMTRIX_TEST_START_MARKER", marker, sizeof marker);
  if (length == 0 || length >= sizeof marker) return;
  char module[MAX_PATH] = {};
  char folder[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, module, sizeof module);
  GetCurrentDirectoryA(sizeof folder, folder);
  if (std::FILE* file = std::fopen(marker, "ab")) {
    std::string line = std::string(module) + "|" + folder + "\r\n";
    std::fwrite(line.data(), 1, line.size(), file);
    std::fclose(file);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RecordStartForTests();
  return 0;
}
