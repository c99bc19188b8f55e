#include "core/startup_rules.h"

namespace vemtrix {

std::int32_t VersionCodeFromFileVersion(std::uint32_t fileVersionMostSignificant) {
  std::int32_t major = static_cast<std::int32_t>(fileVersionMostSignificant >> 16);
  std::int32_t minor = static_cast<std::int32_t>(fileVersionMostSignificant & 0xFFFFu);
  return major * 100 + minor;
}

bool MustRefuseSecondCopy(bool anotherCopyRunning, std::size_t foundSearchFiles,
                          std::int32_t allowMultipleInstances) {
  return anotherCopyRunning && foundSearchFiles == 0 && allowMultipleInstances == 0;
}

StartRoad ChooseStartRoad(bool allCatalogsHaveRows, bool settingsFileExists) {
  if (allCatalogsHaveRows) return StartRoad::MainWindow;
  return settingsFileExists ? StartRoad::CatalogDownload : StartRoad::InstallOffer;
}

std::string InstallFolderFromChoice(const std::string& chosen) {
  if (chosen.empty() || chosen.back() == '\\') return chosen;
  return chosen + "\\";
}

std::string InstallerParameters(const std::string& programDirectory) {
  return "\"" + programDirectory + kProgramFileName + "\"";
}

}  // namespace vemtrix
