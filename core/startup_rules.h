// The decisions of the program's start that need no window: the version
// code, whether a second copy may run, which of the three roads a start
// takes, and the installation offer's paths. The Windows start-up code asks
// these and shows the boxes whose texts are here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vemtrix {

// ---------------------------------------------------------------- names
inline constexpr const char* kInstanceMutexName = "Vemtrix";
inline constexpr const char* kInstallerFileName = "InstallVemtrix.exe";
inline constexpr const char* kProgramFileName = "Vemtrix.exe";
inline constexpr const char* kDefaultInstallFolder = "C:\\Vemtrix\\";

// ---------------------------------------------------------------- version
// The version code when the program's version block cannot be read.
inline constexpr std::int32_t kUnknownVersionCode = 666;

// major x 100 + minor from the most significant 32 bits of the file version
// (major in the high 16 bits, minor in the low 16): 2.10 gives 210.
std::int32_t VersionCodeFromFileVersion(std::uint32_t fileVersionMostSignificant);

// ---------------------------------------------------------------- one copy
// True when this copy must show "Already Running" and end: another copy runs,
// no search file was found on the command line, and multiple copies are not
// allowed. Decided only on the first pass of the start-up loop.
bool MustRefuseSecondCopy(bool anotherCopyRunning, std::size_t foundSearchFiles,
                          std::int32_t allowMultipleInstances);

// ---------------------------------------------------------------- roads
enum class StartRoad {
  MainWindow,       // every catalog holds rows
  InstallOffer,     // first run: no settings file beside the program
  CatalogDownload,  // settings present, some catalog empty
};
StartRoad ChooseStartRoad(bool allCatalogsHaveRows, bool settingsFileExists);

// ---------------------------------------------------------------- installation
// The folder the user picked in the folder browser, with a trailing "\"
// added when missing; empty (cancelled) stays empty.
std::string InstallFolderFromChoice(const std::string& chosen);

// The installer's one parameter: the quoted path of the main program under
// its fixed name, programDirectory (ending in "\") + "Vemtrix.exe".
std::string InstallerParameters(const std::string& programDirectory);

// ---------------------------------------------------------------- boxes
inline constexpr const char* kVersionErrorText =
    "Could not retrieve program version code. Application may be damaged, and I won't be able to check for "
    "updates.";
inline constexpr const char* kAlreadyRunningCaption = "Already Running";
inline constexpr const char* kAlreadyRunningText =
    "Another copy of Vemtrix was already running. If you want to allow multiple copies to run at once, please "
    "edit the settings to reflect your wishes.";
inline constexpr const char* kWelcomeCaption = "Welcome to Vemtrix";
inline constexpr const char* kWelcomeText =
    "This seems to be the first time you've run this program. Would you like to install it properly? Select "
    "'Yes' for a true install (recommended), or 'no' to run it from the current location. You can also select "
    "cancel to quite for now and make this decision another time.";
inline constexpr const char* kInstallPathCaption = "Installing Vemtrix";
inline constexpr const char* kInstallPathText =
    "Recommended install path is C:\\Vemtrix\\\r\nIs this acceptable to you?";
inline constexpr const char* kInstallFolderBrowserTitle = "Select directory to install Vemtrix in";
inline constexpr const char* kInstallCancelledText = "Installation has been cancelled at your request.";
inline constexpr const char* kInstallFailedText =
    "A problem has occurred and the installation has been cancelled. Try again another time if you'd like.";

}  // namespace vemtrix
