// Writes the installer program that Vemtrix.exe carries as its raw-data
// resource "VEMTRIXEXEINSTALLER" out to a file, for the first-run install.
#pragma once

#include <string>

namespace vemtrix::setup {

// Writes the installer's bytes to targetPath. Returns 1 on success; on a
// failure shows its error box ("Error", stop icon, system-modal) and returns 0.
int ExtractInstaller(const std::string& targetPath);

}  // namespace vemtrix::setup
