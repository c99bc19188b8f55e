// The installer's steps, in order, from the command line to the optional
// start of the installed program.
#include "installer.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>

#include "installer_ids.h"

namespace vemtrix::installer {

int CreateProgramsLink = 0;
int CreateDesktopLink = 0;
int RunNow = 0;

namespace {

constexpr char kErrorCaption[] = "Install Error";
constexpr char kMutexName[] = "Vemtrix";
constexpr char kProgramName[] = "Vemtrix.exe";
constexpr char kSettingsName[] = "Vemtrix.ini";
constexpr char kSettingsText[] = "CurrentSearchName: default\r\n";
constexpr char kLinkName[] = "Vemtrix.lnk";
constexpr char kLinkDescription[] = "Run the Quillfen Classified Listing Harvester";
constexpr int kWaitAttempts = 60;  // one a second

void ErrorBox(const std::string& text) {
  MessageBoxA(nullptr, text.c_str(), kErrorCaption, MB_OK | MB_ICONSTOP | MB_SYSTEMMODAL);
}

bool FileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The same start as the main program's: the extended initialiser when the
// library has it, with every class the program uses; the old one otherwise.
void InitialiseCommonControls() {
  HMODULE library = LoadLibraryA("COMCTL32.DLL");
  if (!library) return;
  using InitialiseEx = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  auto initialiseEx = reinterpret_cast<InitialiseEx>(
      reinterpret_cast<void*>(GetProcAddress(library, "InitCommonControlsEx")));
  if (initialiseEx) {
    INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), 0x9FF};
    initialiseEx(&classes);
  } else {
    InitCommonControls();
  }
  FreeLibrary(library);
}

// Folder of the running installer, ending in "\".
std::string InstallerFolder() {
  std::string path(32768, '\0');
  DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(length);
  return path.substr(0, path.find_last_of('\\') + 1);
}

// The link's working folder: the installer folder without its "\" (a drive's
// root keeps it).
std::string WorkingFolder(const std::string& folder) {
  if (folder.size() > 3 && folder.back() == '\\') return folder.substr(0, folder.size() - 1);
  return folder;
}

// Waits, one second per attempt, until the main program's mutex is gone.
bool WaitForMainProgramToClose() {
  for (int attempts = 0;;) {
    Sleep(1000);
    HANDLE mutex = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, kMutexName);
    if (!mutex) return true;
    CloseHandle(mutex);
    if (++attempts >= kWaitAttempts) return false;
  }
}

bool WriteSettingsFile(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  bool written = std::fputs(kSettingsText, file) >= 0;
  return std::fclose(file) == 0 && written;
}

}  // namespace

void InstallerMain(const char* commandLine) {
  InitialiseCommonControls();

  std::string source = commandLine ? commandLine : "";
  if (!source.empty() && source.front() == '"') source.erase(0, 1);
  if (!source.empty() && source.back() == '"') source.pop_back();
  if (source.empty()) {
    ErrorBox("Installer can't run because it hasn't been told what to do. If you're trying to run it "
             "manually, don't.");
    return;
  }
  if (!FileExists(source)) {
    ErrorBox("Could not find main executable at \"" + source +
             "\", so I can't do the install. This is worrying.");
    return;
  }

  if (!WaitForMainProgramToClose()) {
    ErrorBox("Waiting for executable to close, but it's not closing. It may have crashed, but either "
             "way, the file is locked and I can't install.");
    return;
  }

  const std::string folder = InstallerFolder();
  const std::string target = folder + kProgramName;
  CopyFileA(source.c_str(), target.c_str(), FALSE);
  if (!FileExists(target)) {
    ErrorBox("Could not copy the main executable to \"" + folder + kProgramName +
             "\", so I can't do the install. Perhaps the directory is invalid?");
    return;
  }
  // A failure here shows later, when the main program finds no settings.
  WriteSettingsFile(folder + kSettingsName);

  DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_INSTALLER), nullptr,
                  InstallerDialogProc, reinterpret_cast<LPARAM>(&target));

  if (CreateProgramsLink)
    CreateShortcut(CSIDL_PROGRAMS, kLinkName, target, WorkingFolder(folder), kLinkDescription);
  if (CreateDesktopLink)
    CreateShortcut(CSIDL_DESKTOP, kLinkName, target, WorkingFolder(folder), kLinkDescription);

  if (RunNow) {
    ShellExecuteA(GetDesktopWindow(), "open", target.c_str(), nullptr, folder.c_str(), SW_SHOWDEFAULT);
    return;
  }
  MessageBoxA(nullptr,
              "Vemtrix has been successfully installed. I hope it performs to your expectations.",
              "Install complete", MB_OK);
}

}  // namespace vemtrix::installer

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  vemtrix::installer::InstallerMain(commandLine);
  return 0;
}
