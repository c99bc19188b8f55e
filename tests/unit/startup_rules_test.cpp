// The start-up decisions that need no window.
#include "core/startup_rules.h"

#include <gtest/gtest.h>

using namespace vemtrix;

TEST(StartupRules, VersionCodeFromTheFileVersion) {
  EXPECT_EQ(VersionCodeFromFileVersion(0x0002000Au), 210);
  EXPECT_EQ(VersionCodeFromFileVersion(0x00020005u), 205);
  EXPECT_EQ(VersionCodeFromFileVersion(0x00060042u), 666);
  EXPECT_EQ(VersionCodeFromFileVersion(0xFFFFFFFFu), 65535 * 100 + 65535);
}

TEST(StartupRules, ASecondCopyIsRefusedOnlyWithoutSearchFilesOrPermission) {
  EXPECT_TRUE(MustRefuseSecondCopy(true, 0, 0));
  EXPECT_FALSE(MustRefuseSecondCopy(true, 1, 0));   // a found search file lets it start
  EXPECT_FALSE(MustRefuseSecondCopy(true, 0, 1));   // AllowMultipleInstances
  EXPECT_FALSE(MustRefuseSecondCopy(false, 0, 0));  // the only copy
  EXPECT_FALSE(MustRefuseSecondCopy(true, 0, 2));   // any value but 0 allows it
}

TEST(StartupRules, TheRoadAndTheInstallationPaths) {
  EXPECT_EQ(ChooseStartRoad(true, true), StartRoad::MainWindow);
  EXPECT_EQ(ChooseStartRoad(true, false), StartRoad::MainWindow);
  EXPECT_EQ(ChooseStartRoad(false, false), StartRoad::InstallOffer);
  EXPECT_EQ(ChooseStartRoad(false, true), StartRoad::CatalogDownload);

  EXPECT_EQ(InstallFolderFromChoice("D:\\Programs\\Vemtrix"), "D:\\Programs\\Vemtrix\\");
  EXPECT_EQ(InstallFolderFromChoice("D:\\"), "D:\\");
  EXPECT_EQ(InstallFolderFromChoice(""), "");
  EXPECT_EQ(InstallFolderFromChoice(kDefaultInstallFolder) + kInstallerFileName, "C:\\Vemtrix\\InstallVemtrix.exe");
  EXPECT_EQ(InstallerParameters("E:\\Downloads\\"), "\"E:\\Downloads\\Vemtrix.exe\"");
}
