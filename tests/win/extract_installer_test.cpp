// ExtractInstaller, run in small programs that carry the main program's
// resources (or none), with their message boxes answered from outside.
#include <gtest/gtest.h>

#include "win/test_files.h"
#include "win/ui_driver.h"

namespace vemtrix::uitest {
namespace {

class ExtractInstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = FreshTempFolder(std::string("extract_") +
                              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    target_ = folder_ + "InstallVemtrix.exe";
  }
  void TearDown() override { RemoveTree(folder_); }

  // Runs the probe on the target path; returns the boxes it showed, each
  // answered with OK. The probe's exit code is ExtractInstaller's result.
  std::vector<MessageBoxInfo> Extract(const char* probe, const std::string& target) {
    ChildProcess process;
    if (!process.Start("\"" + HostPath(probe) + "\" " + target)) {
      ADD_FAILURE() << "the probe did not start (error " << process.LastError() << ")";
      return {};
    }
    std::vector<MessageBoxInfo> boxes = AnswerBoxesUntilExit(process, IDOK, 30000);
    EXPECT_TRUE(process.WaitForExit(1000));
    result_ = static_cast<int>(process.ExitCode());
    return boxes;
  }

  std::string folder_, target_;
  int result_ = -1;
};

TEST_F(ExtractInstallerTest, WritesTheInstallerByteForByteOverAnOlderFile) {
  const std::string installer = ReadBytes(HostPath(VEMTRIX_INSTALLER_EXE));
  ASSERT_GT(installer.size(), 10000u);
  // A longer file already there must not leave its tail behind.
  ASSERT_TRUE(WriteBytes(target_, std::string(installer.size() * 2, 'x')));
  EXPECT_TRUE(Extract(VEMTRIX_EXTRACT_PROBE_EXE, target_).empty());
  EXPECT_EQ(result_, 1);
  EXPECT_TRUE(ReadBytes(target_) == installer) << "the written installer differs from the built one";
}

TEST_F(ExtractInstallerTest, ReportsATargetThatCannotBeWritten) {
  const std::string target = folder_ + "no such folder\\InstallVemtrix.exe";
  std::vector<MessageBoxInfo> boxes = Extract(VEMTRIX_EXTRACT_PROBE_EXE, target);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "Error");
  EXPECT_EQ(boxes[0].text, "Could not create installer. Directory may be damaged or invalid.");
  EXPECT_TRUE(boxes[0].hasIcon);
  EXPECT_TRUE(boxes[0].topmost);
  EXPECT_EQ(result_, 0);
  EXPECT_FALSE(FileExists(target));
}

TEST_F(ExtractInstallerTest, MissingResourceGivesExactlyOneBox) {
  std::vector<MessageBoxInfo> boxes = Extract(VEMTRIX_EXTRACT_PROBE_BARE_EXE, target_);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "Error");
  EXPECT_EQ(boxes[0].text, "Could not find and create installer. Application may be damaged.");
  EXPECT_TRUE(boxes[0].hasIcon);
  EXPECT_TRUE(boxes[0].topmost);
  EXPECT_EQ(result_, 0);
  EXPECT_FALSE(FileExists(target_));
}

}  // namespace
}  // namespace vemtrix::uitest
