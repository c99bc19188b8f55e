#include "setup/install_offer.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shellapi.h>

#include <string>

#include "core/startup_rules.h"
#include "platform/platform.h"
#include "setup/extract_installer.h"

namespace vemtrix::setup {

namespace {

void ErrorBox(const char* text) { MessageBoxA(nullptr, text, "Error", MB_OK | MB_ICONSTOP | MB_SYSTEMMODAL); }

// The shell's folder browser; empty when the user cancels.
std::string BrowseForInstallFolder() {
  // The newer dialog style hosts components of its own.
  HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  char chosen[MAX_PATH] = {};
  BROWSEINFOA browse{};
  browse.hwndOwner = nullptr;
  browse.pszDisplayName = chosen;
  browse.lpszTitle = kInstallFolderBrowserTitle;
  browse.ulFlags = BIF_NEWDIALOGSTYLE | BIF_UAHINT;
  std::string folder;
  if (PIDLIST_ABSOLUTE item = SHBrowseForFolderA(&browse)) {
    char path[MAX_PATH] = {};
    if (SHGetPathFromIDListA(item, path)) folder = path;
    CoTaskMemFree(item);
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return folder;
}

bool FolderExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The folder to install into, ending in "\"; empty when cancelled (the box
// saying so has been shown).
std::string ChooseInstallFolder() {
  if (MessageBoxA(nullptr, kInstallPathText, kInstallPathCaption, MB_YESNO | MB_ICONQUESTION) == IDYES) {
    if (!FolderExists(kDefaultInstallFolder)) CreateDirectoryA(kDefaultInstallFolder, nullptr);
    return kDefaultInstallFolder;
  }
  std::string folder = InstallFolderFromChoice(BrowseForInstallFolder());
  if (folder.empty()) ErrorBox(kInstallCancelledText);
  return folder;
}

}  // namespace

InstallOfferOutcome OfferInstallation() {
  int answer = MessageBoxA(nullptr, kWelcomeText, kWelcomeCaption, MB_YESNOCANCEL | MB_ICONQUESTION);
  if (answer == IDNO) return InstallOfferOutcome::RunHere;
  if (answer != IDYES) return InstallOfferOutcome::End;

  std::string folder = ChooseInstallFolder();
  if (folder.empty()) return InstallOfferOutcome::End;
  std::string installer = folder + kInstallerFileName;
  if (ExtractInstaller(installer) != 1) {
    ErrorBox(kInstallFailedText);
    return InstallOfferOutcome::End;
  }
  // The installer waits for this copy to release its mutex, so this copy
  // ends right after starting it; what the shell answers changes nothing.
  std::string parameters = InstallerParameters(platform::ProgramDirectory());
  ShellExecuteA(GetDesktopWindow(), "open", installer.c_str(), parameters.c_str(), nullptr, SW_SHOWDEFAULT);
  return InstallOfferOutcome::End;
}

}  // namespace vemtrix::setup
