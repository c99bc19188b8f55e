// The resources both programs carry, read from the built files as the system
// reads them: icons and picture by name, the embedded installer, the version
// block and the common-controls manifest.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win/test_files.h"

namespace vemtrix::uitest {
namespace {

// A built program loaded for its resources only.
class ResourceFile {
 public:
  explicit ResourceFile(const std::string& path)
      : module_(LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
  ~ResourceFile() {
    if (module_) FreeLibrary(module_);
  }
  HMODULE module() const { return module_; }

  std::string Bytes(const char* name, LPCSTR type) const {
    HRSRC found = FindResourceA(module_, name, type);
    if (!found) return "<missing>";
    HGLOBAL loaded = LoadResource(module_, found);
    const char* bytes = static_cast<const char*>(LockResource(loaded));
    return bytes ? std::string(bytes, SizeofResource(module_, found)) : "<unreadable>";
  }

  // Loads the icon at one size; false when it is missing or broken.
  bool IconLoads(const std::string& name, int size) const {
    HANDLE icon = LoadImageA(module_, name.c_str(), IMAGE_ICON, size, size, 0);
    if (icon) DestroyIcon(static_cast<HICON>(icon));
    return icon != nullptr;
  }

 private:
  HMODULE module_;
};

std::string FileVersion(const std::string& path) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return "<none>";
  std::string block(size, '\0');
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data()) ||
      !VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || !fixed)
    return "<unreadable>";
  return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionMS)) +
         "." + std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionLS));
}

void ExpectCommonControlsManifest(const ResourceFile& file) {
  std::string manifest = file.Bytes(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos) << manifest;
  EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos) << manifest;
}

std::vector<std::string> MainProgramIconNames() {
  std::vector<std::string> names = {"0L",         "ICONDULL", "ICONGREEN", "ICONRED", "HARDLYTHERE",
                                    "CRAIGSLIST", "KIJIJI",   "BACKPAGE",  "DAYPE",   "CONTEXTHELP"};
  for (int i = 1; i <= 7; ++i) names.push_back("CONTEXTHELPGLOW" + std::to_string(i));
  for (const char* site : {"ICONCRAIGSMAG", "ICONKIJIJIMAG", "ICONBACKPAGEMAG", "ICONDAYPEMAG"})
    for (int i = 0; i < 12; ++i) names.push_back(site + std::string(i < 10 ? "0" : "") + std::to_string(i));
  for (int i = 1; i <= 24; ++i) names.push_back("VEMTRIXRADAR" + std::to_string(i));
  return names;
}

TEST(ProgramResources, MainProgramCarriesInstallerIconsPictureVersionAndManifest) {
  const std::string path = HostPath(VEMTRIX_PROGRAM_EXE);
  ResourceFile program(path);
  ASSERT_NE(program.module(), nullptr);

  EXPECT_TRUE(program.Bytes("VEMTRIXEXEINSTALLER", MAKEINTRESOURCEA(10)) ==
              ReadBytes(HostPath(VEMTRIX_INSTALLER_EXE)))
      << "the carried installer is not the built one";
  for (const std::string& name : MainProgramIconNames()) {
    EXPECT_TRUE(program.IconLoads(name, 16)) << name;
    EXPECT_TRUE(program.IconLoads(name, 32)) << name;
  }
  HANDLE picture = LoadImageA(program.module(), "ABOUTPICTURE", IMAGE_BITMAP, 0, 0, 0);
  ASSERT_NE(picture, nullptr);
  BITMAP size{};
  GetObjectA(picture, sizeof size, &size);
  DeleteObject(picture);
  // The About box is 232 x 227 dialog units: about 348 x 368 pixels.
  EXPECT_NEAR(size.bmWidth, 348, 10);
  EXPECT_NEAR(size.bmHeight, 368, 10);

  EXPECT_EQ(FileVersion(path), "2.10.0.0");
  ExpectCommonControlsManifest(program);
}

TEST(ProgramResources, InstallerCarriesItsIconDialogVersionAndManifest) {
  const std::string path = HostPath(VEMTRIX_INSTALLER_EXE);
  ResourceFile installer(path);
  ASSERT_NE(installer.module(), nullptr);
  EXPECT_TRUE(installer.IconLoads("0L", 16));
  EXPECT_TRUE(installer.IconLoads("0L", 32));
  EXPECT_EQ(FileVersion(path), "2.10.0.0");
  ExpectCommonControlsManifest(installer);
}

}  // namespace
}  // namespace vemtrix::uitest
