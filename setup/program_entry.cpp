// Entry of Vemtrix.exe: loads the settings and the catalogs, sizes the
// result store, runs the main window and saves the settings when it closes.
//
// When the environment names a file in VEMTRIX_TEST_START_MARKER, a started
// copy first appends to it one line: its own path, a "|", and its current
// folder. The installer's tests use it to see which copy was started and where.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "catalogs/catalog_files.h"
#include "commands/start_up.h"
#include "core/result_store.h"
#include "core/settings.h"
#include "platform/platform.h"
#include "ui/main_window.h"

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

// The program's file version as major * 100 + minor; 666 when the version
// block can't be read.
int ReadVersionCode() {
  char module[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, module, sizeof module);
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(module, &ignored);
  if (size == 0) return 666;
  std::vector<char> block(size);
  if (!GetFileVersionInfoA(module, 0, size, block.data())) return 666;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &length) || info == nullptr) return 666;
  return static_cast<int>(HIWORD(info->dwFileVersionMS) * 100 + LOWORD(info->dwFileVersionMS));
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RecordStartForTests();
  INITCOMMONCONTROLSEX controls{sizeof controls, 0x9FF};
  InitCommonControlsEx(&controls);
  vemtrix::ui::SetVersionCode(ReadVersionCode());

  vemtrix::LoadSettingsAndCatalogs();
  // The running time counts from here.
  vemtrix::platform::LocalDateTime now = vemtrix::platform::LocalNow();
  vemtrix::AppSettings().ProgramStartTime = static_cast<std::int64_t>(vemtrix::platform::SecondsSinceMidnight());
  vemtrix::AppSettings().ProgramStartDay = vemtrix::JulianDayNumber(now.year, now.month, now.day);
  if (!vemtrix::AllCatalogsHaveRows()) {
    MessageBoxA(nullptr,
                "The lists of cities and sections are missing or empty. Vemtrix needs all nine catalog files "
                "beside the program to start.",
                "Error", MB_OK | MB_ICONERROR);
    return 1;
  }
  vemtrix::Results().Create();
  vemtrix::ui::ShowMainWindow();
  return 0;
}
