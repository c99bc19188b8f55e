#include "setup/version_code.h"

#include <windows.h>

#include <vector>

#include "core/startup_rules.h"

namespace vemtrix::setup {

std::int32_t VersionCode = kUnknownVersionCode;

namespace {

// The most significant 32 bits of the file version; false when the block is
// missing or unreadable.
bool FileVersionOfRunningModule(std::uint32_t& mostSignificant) {
  char module[MAX_PATH * 4] = {};
  DWORD length = GetModuleFileNameA(nullptr, module, sizeof module);
  if (length == 0 || length >= sizeof module) return false;
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(module, &ignored);
  if (size == 0) return false;
  std::vector<char> block(size);
  if (!GetFileVersionInfoA(module, 0, size, block.data())) return false;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT infoLength = 0;
  if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &infoLength) || info == nullptr ||
      infoLength < sizeof(VS_FIXEDFILEINFO))
    return false;
  mostSignificant = info->dwFileVersionMS;
  return true;
}

}  // namespace

void ReadVersionCode() {
  std::uint32_t fileVersion = 0;
  if (FileVersionOfRunningModule(fileVersion)) {
    VersionCode = VersionCodeFromFileVersion(fileVersion);
    return;
  }
  MessageBoxA(nullptr, kVersionErrorText, "Error", MB_OK | MB_ICONSTOP | MB_SYSTEMMODAL);
  VersionCode = kUnknownVersionCode;
}

}  // namespace vemtrix::setup
