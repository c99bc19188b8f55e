#include "setup/extract_installer.h"

#include <windows.h>

namespace vemtrix::setup {

namespace {

void ErrorBox(const char* text) {
  MessageBoxA(nullptr, text, "Error", MB_OK | MB_ICONSTOP | MB_SYSTEMMODAL);
}

bool FileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Writes all of bytes to path, replacing any file there. A short write is a
// failure too, and its partial file is removed, so a truncated installer is
// never started.
bool WriteBytes(const std::string& path, const void* bytes, DWORD size) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool complete = WriteFile(file, bytes, size, &written, nullptr) && written == size;
  complete = CloseHandle(file) && complete;
  if (!complete) DeleteFileA(path.c_str());
  return complete;
}

}  // namespace

int ExtractInstaller(const std::string& targetPath) {
  HRSRC found = FindResourceA(nullptr, "VEMTRIXEXEINSTALLER", MAKEINTRESOURCEA(10));
  if (!found) {
    ErrorBox("Could not find and create installer. Application may be damaged.");
    return 0;
  }
  HGLOBAL loaded = LoadResource(nullptr, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) {
    ErrorBox("Could not load and create installer. Application may be damaged.");
    return 0;
  }
  bool written = WriteBytes(targetPath, bytes, SizeofResource(nullptr, found));
  if (!written || !FileExists(targetPath)) {
    ErrorBox("Could not create installer. Directory may be damaged or invalid.");
    return 0;
  }
  return 1;
}

}  // namespace vemtrix::setup
