// Shell links for the programs menu and the desktop.
#include "installer.h"

#include <shlobj.h>

namespace vemtrix::installer {

namespace {

std::wstring Wide(const std::string& text) {
  int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(length > 0 ? length : 1, L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), length);
  wide.resize(wide.size() - 1);
  return wide;
}

bool SaveLink(const std::string& linkPath, const std::string& targetPath,
              const std::string& workingFolder, const std::string& description) {
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link))))
    return false;
  link->SetPath(targetPath.c_str());
  link->SetArguments("");
  link->SetWorkingDirectory(workingFolder.c_str());
  link->SetShowCmd(SW_SHOWNORMAL);
  link->SetDescription(description.c_str());
  IPersistFile* file = nullptr;
  bool saved = false;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    saved = SUCCEEDED(file->Save(Wide(linkPath).c_str(), TRUE));
    file->Release();
  }
  link->Release();
  return saved;
}

}  // namespace

bool CreateShortcut(int folderKind, const std::string& linkName, const std::string& targetPath,
                    const std::string& workingFolder, const std::string& description) {
  HRESULT initialised = CoInitialize(nullptr);
  bool saved = false;
  char folder[MAX_PATH] = {};
  if (SHGetSpecialFolderPathA(nullptr, folder, folderKind, FALSE))
    saved = SaveLink(std::string(folder) + "\\" + linkName, targetPath, workingFolder, description);
  if (SUCCEEDED(initialised)) CoUninitialize();
  return saved;
}

}  // namespace vemtrix::installer
