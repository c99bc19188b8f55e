#include "setup/program_main.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <string_view>

#include "catalogs/catalog_files.h"
#include "catalogs/catalog_harvest.h"
#include "commands/start_up.h"
#include "core/command_line.h"
#include "core/result_store.h"
#include "core/settings.h"
#include "core/startup_rules.h"
#include "platform/platform.h"
#include "setup/harvest_dialog.h"
#include "setup/install_offer.h"
#include "setup/version_code.h"
#include "ui/main_window.h"

namespace vemtrix::setup {

namespace {

// Common controls 6 with every class the program uses; the older
// initialiser when the extended one is missing.
void InitialiseCommonControls() {
  HMODULE library = LoadLibraryA("COMCTL32.DLL");
  if (library == nullptr) return;
  using InitEx = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  auto initEx = reinterpret_cast<InitEx>(reinterpret_cast<void*>(GetProcAddress(library, "InitCommonControlsEx")));
  if (initEx != nullptr) {
    INITCOMMONCONTROLSEX classes{sizeof classes, 0x9FF};
    initEx(&classes);
  } else {
    InitCommonControls();
  }
  FreeLibrary(library);
}

void RecordStartTime() {
  Settings& settings = AppSettings();
  platform::LocalDateTime now = platform::LocalNow();
  settings.ProgramStartTime = now.hour * 3600 + now.minute * 60 + now.second;
  settings.ProgramStartDay = JulianDayNumber(now.year, now.month, now.day);
}

// The command line without the program's own name (quoted or not).
std::string CommandLineArguments() {
  std::string_view line = GetCommandLineA();
  std::size_t at = 0;
  if (!line.empty() && line[0] == '"') {
    std::size_t close = line.find('"', 1);
    at = close == std::string_view::npos ? line.size() : close + 1;
  } else {
    while (at < line.size() && line[at] != ' ' && line[at] != '\t') ++at;
  }
  return std::string(line.substr(at));
}

// Validates the command line: one box per search file found nowhere. The
// number of files found is what counts.
std::size_t FoundSearchFiles() {
  CommandLineResult result = ParseCommandLine(CommandLineArguments(), platform::ProgramDirectory(),
                                              [](const std::string& path) { return platform::FileExists(path); });
  for (const std::string& missing : result.missingNames) {
    MessageBoxA(nullptr, MissingSearchFileMessage(missing).c_str(), "Error", MB_OK | MB_ICONSTOP | MB_SYSTEMMODAL);
  }
  return result.foundFiles.size();
}

void DeleteLeftOverInstaller() {
  std::string installer = platform::ProgramDirectory() + kInstallerFileName;
  if (platform::FileExists(installer)) platform::DeleteFileAt(installer);
}

}  // namespace

void ProgramMain() {
  // The result store's lock and the search run's per-worker tables are
  // process-wide objects of their modules: there is nothing to create here.
  InitialiseCommonControls();
  RecordStartTime();
  ReadVersionCode();
  ui::SetVersionCode(VersionCode);

  HANDLE instanceMutex = nullptr;
  bool firstPass = true;
  for (;;) {
    LoadSettingsAndCatalogs();
    if (firstPass) {
      firstPass = false;
      HANDLE probe = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, kInstanceMutexName);
      bool anotherCopyRunning = probe != nullptr;
      if (probe != nullptr) CloseHandle(probe);
      instanceMutex = CreateMutexA(nullptr, TRUE, kInstanceMutexName);
      std::size_t found = FoundSearchFiles();
      if (MustRefuseSecondCopy(anotherCopyRunning, found, AppSettings().AllowMultipleInstances)) {
        MessageBoxA(nullptr, kAlreadyRunningText, kAlreadyRunningCaption, MB_OK | MB_ICONINFORMATION);
        break;
      }
    }
    DeleteLeftOverInstaller();

    StartRoad road = ChooseStartRoad(AllCatalogsHaveRows(), platform::FileExists(SettingsFilePath()));
    if (road == StartRoad::MainWindow) {
      Results().Create();
      ui::ShowMainWindow();
      break;
    }
    if (road == StartRoad::InstallOffer && OfferInstallation() == InstallOfferOutcome::End) break;
    FirstRunResult = 0;
    ShowHarvestDialog();
    if (FirstRunResult.load() != 1) break;
  }

  if (instanceMutex != nullptr) {
    ReleaseMutex(instanceMutex);
    CloseHandle(instanceMutex);
  }
}

}  // namespace vemtrix::setup
