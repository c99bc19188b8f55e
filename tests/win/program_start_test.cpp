// Vemtrix.exe started as a user starts it, and watched from outside: the
// one-copy rule, the command line's boxes, the road a start takes (main
// window, download dialog, installation offer) and the install hand-over.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cctype>
#include <memory>

#include "resources/version.h"
#include "win/sample_catalogs.h"
#include "win/test_files.h"
#include "win/ui_driver.h"

namespace vemtrix::uitest {
namespace {

const std::string kMainTitle = std::string("Vemtrix v") + VEMTRIX_VERSION_TEXT;
const char kDownloadCaption[] = "Download Sections and Cities";

const char kWelcomeText[] =
    "This seems to be the first time you've run this program. Would you like to install it properly? Select "
    "'Yes' for a true install (recommended), or 'no' to run it from the current location. You can also select "
    "cancel to quite for now and make this decision another time.";

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// A visible window of the process that is not a message box (a folder
// browser, say); nullptr when there is none.
HWND WindowThatIsNotABox(DWORD processId) {
  std::pair<DWORD, HWND> query{processId, nullptr};
  EnumWindows(
      [](HWND window, LPARAM parameter) -> BOOL {
        auto* q = reinterpret_cast<std::pair<DWORD, HWND>*>(parameter);
        if (!IsWindowVisible(window) || ProcessOfWindow(window) != q->first) return TRUE;
        if (GetDlgItem(window, 0xFFFF) != nullptr) return TRUE;
        q->second = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&query));
  return query.second;
}

bool IsEnabled(HWND window, int id) {
  HWND control = FindControl(window, id);
  return control != nullptr && IsWindowEnabled(control);
}

class ProgramStartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = FreshTempFolder(std::string("start_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    folder_ = root_ + "program\\";
    ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr));
    ASSERT_TRUE(CopyFileA(HostPath(VEMTRIX_PROGRAM_EXE).c_str(), (folder_ + "Vemtrix.exe").c_str(), FALSE));
  }

  void TearDown() override {
    copies_.clear();  // kills what is still running
    RemoveTree(root_);
  }

  // A settings file that never reaches for the network.
  void WriteSettings(const std::string& more = "") {
    ASSERT_TRUE(WriteBytes(folder_ + "vemtrix.ini", "CurrentSearchName: default\r\nCheckForUpdates: 0\r\n" + more));
  }

  void WriteCatalogs(const std::string& leftEmpty = "") {
    ASSERT_TRUE(WriteSampleCatalogs(folder_, leftEmpty));
  }

  // Starts a copy from another folder, so that a search file named on its
  // command line is found only in the program's folder.
  ChildProcess& StartCopy(const std::string& arguments = "") {
    copies_.push_back(std::make_unique<ChildProcess>());
    std::string line = "\"" + folder_ + "Vemtrix.exe\"" + (arguments.empty() ? "" : " " + arguments);
    EXPECT_TRUE(copies_.back()->Start(line, root_));
    return *copies_.back();
  }

  HWND WaitForMainWindow(ChildProcess& copy) { return WaitForWindow(kMainTitle, copy.Id(), 30000); }

  // Closes the main window; the copy must end.
  void CloseMainWindow(ChildProcess& copy, HWND window) {
    ASSERT_TRUE(CloseWithCloseBox(window));
    EXPECT_TRUE(copy.WaitForExit(15000));
  }

  // The copy's next box must have this caption and text; it is answered.
  MessageBoxInfo ExpectBox(ChildProcess& copy, const std::string& caption, const std::string& text, int answer) {
    HWND box = WaitForMessageBox(caption, copy.Id());
    EXPECT_NE(box, nullptr) << "no \"" << caption << "\" box";
    if (box == nullptr) return {};
    MessageBoxInfo info = ReadMessageBox(box);
    EXPECT_EQ(info.text, text);
    EXPECT_TRUE(info.hasIcon);
    AnswerMessageBox(box, answer);
    WaitForWindowGone(box);
    return info;
  }

  std::string root_, folder_;
  std::vector<std::unique_ptr<ChildProcess>> copies_;
};

TEST_F(ProgramStartTest, ASecondCopyIsRefusedUnlessItNamesASearchFile) {
  WriteSettings("AllowMultipleInstances: 0\r\n");
  WriteCatalogs();
  ASSERT_TRUE(WriteBytes(folder_ + "other.vem", "Vemtrix Saved Search\r\nCurrentSearchname: other\r\n"));
  ChildProcess& first = StartCopy();
  HWND window = WaitForMainWindow(first);
  ASSERT_NE(window, nullptr);

  ChildProcess& second = StartCopy();
  MessageBoxInfo refused = ExpectBox(second, "Already Running",
                                     "Another copy of Vemtrix was already running. If you want to allow multiple "
                                     "copies to run at once, please edit the settings to reflect your wishes.",
                                     IDOK);
  EXPECT_EQ(refused.buttons, std::vector<std::string>{"OK"});
  EXPECT_FALSE(refused.topmost);
  EXPECT_TRUE(second.WaitForExit(10000)) << "the refused copy goes on";

  // A search file found in the program folder lets a copy run beside the first.
  ChildProcess& third = StartCopy("other.vem");
  HWND thirdWindow = WaitForMainWindow(third);
  ASSERT_NE(thirdWindow, nullptr);
  EXPECT_EQ(FindAnyMessageBox(third.Id()), nullptr);
  CloseMainWindow(third, thirdWindow);

  // The first copy still holds the mutex after the third one ended, and a
  // copy that may run beside it says nothing.
  ChildProcess& refusedAgain = StartCopy();
  ExpectBox(refusedAgain, "Already Running",
            "Another copy of Vemtrix was already running. If you want to allow multiple copies to run at once, "
            "please edit the settings to reflect your wishes.",
            IDOK);
  EXPECT_TRUE(refusedAgain.WaitForExit(10000));
  CloseMainWindow(first, window);
}

TEST_F(ProgramStartTest, MultipleCopiesAllowedByTheSettings) {
  WriteSettings("AllowMultipleInstances: 1\r\n");
  WriteCatalogs();
  ChildProcess& first = StartCopy();
  HWND window = WaitForMainWindow(first);
  ASSERT_NE(window, nullptr);
  ChildProcess& second = StartCopy();
  HWND secondWindow = WaitForMainWindow(second);
  ASSERT_NE(secondWindow, nullptr);
  EXPECT_EQ(FindAnyMessageBox(second.Id()), nullptr);
  CloseMainWindow(second, secondWindow);
  CloseMainWindow(first, window);
}

TEST_F(ProgramStartTest, CommandLineBoxesThenTheWindowOpensAnyway) {
  WriteSettings();
  WriteCatalogs();
  {
    SCOPED_TRACE("a lone character is ignored");
    ChildProcess& copy = StartCopy("x");
    HWND window = WaitForMainWindow(copy);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(FindAnyMessageBox(copy.Id()), nullptr);
    CloseMainWindow(copy, window);
  }
  {
    SCOPED_TRACE("options are skipped, each missing file gets its box");
    const std::string longName(10000, 'n');
    ChildProcess& copy = StartCopy("-CSV -whatever missing.vem \"a<b.vem\" " + longName + " \"left open");
    for (const std::string& name : {std::string("missing.vem"), std::string("a<b.vem"), longName,
                                     std::string("left open")}) {
      MessageBoxInfo box = ExpectBox(copy, "Error",
                                     "Error: I could not load the search titled '" + name +
                                         "' because it does not seem to exist.",
                                     IDOK);
      EXPECT_TRUE(box.topmost) << "system-modal";
    }
    HWND window = WaitForMainWindow(copy);
    ASSERT_NE(window, nullptr);
    CloseMainWindow(copy, window);
  }
}

TEST_F(ProgramStartTest, AnEmptyCatalogOpensTheDownloadDialogWhichCancelEnds) {
  WriteSettings();
  WriteCatalogs("DAsectlist.csv");
  ASSERT_TRUE(WriteBytes(folder_ + "InstallVemtrix.exe", "left over"));
  ChildProcess& copy = StartCopy();
  HWND dialog = WaitForWindow(kDownloadCaption, copy.Id(), 30000);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(FindAnyMessageBox(copy.Id()), nullptr) << "no installation offer with a settings file present";
  EXPECT_FALSE(FileExists(folder_ + "InstallVemtrix.exe")) << "a left-over installer is deleted at start";

  EXPECT_EQ(ControlText(dialog, kIdHarvestLog),
            "Warning:\r\nI couldn't find a current list of cities and sections for searching. Please click the "
            "button below to attempt to download them from Craigslist, Kijiji, and other sites now. You will only "
            "need to do this once and the files will be saved in the same directory as the program is running "
            "from.");
  EXPECT_EQ(ControlText(dialog, kIdBeginDownload), "Begin Download");
  EXPECT_EQ(ControlText(dialog, kIdHarvestCancel), "Cancel");
  EXPECT_TRUE(IsEnabled(dialog, kIdBeginDownload));
  EXPECT_TRUE(IsEnabled(dialog, kIdHarvestCancel));
  EXPECT_NE(SendMessageA(FindControl(dialog, kIdHarvestPicture), STM_GETICON, 0, 0), 0) << "the idle picture";

  ASSERT_TRUE(PressButton(dialog, kIdHarvestCancel));
  EXPECT_TRUE(copy.WaitForExit(5000)) << "Cancel ends the program at once";
  EXPECT_EQ(WaitForWindow(kMainTitle, copy.Id(), 0), nullptr);

  // The close box ends it the same way.
  ChildProcess& again = StartCopy();
  dialog = WaitForWindow(kDownloadCaption, again.Id(), 30000);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(CloseWithCloseBox(dialog));
  EXPECT_TRUE(again.WaitForExit(5000));
}

TEST_F(ProgramStartTest, TheInstallationOfferCanBeDeclinedOrCancelled) {
  const std::string welcome = kWelcomeText;
  {
    SCOPED_TRACE("Cancel ends the program");
    ChildProcess& copy = StartCopy();
    MessageBoxInfo offer = ExpectBox(copy, "Welcome to Vemtrix", welcome, IDCANCEL);
    EXPECT_EQ(offer.buttons, (std::vector<std::string>{"Yes", "No", "Cancel"}));
    EXPECT_TRUE(copy.WaitForExit(10000));
  }
  {
    SCOPED_TRACE("a folder browser closed without a choice cancels the installation");
    ChildProcess& copy = StartCopy();
    ExpectBox(copy, "Welcome to Vemtrix", welcome, IDYES);
    MessageBoxInfo path = ExpectBox(copy, "Installing Vemtrix",
                                    "Recommended install path is C:\\Vemtrix\\\r\nIs this acceptable to you?", IDNO);
    EXPECT_EQ(path.buttons, (std::vector<std::string>{"Yes", "No"}));
    HWND browser = nullptr;
    for (int waited = 0; browser == nullptr && waited < kWindowWaitMs; waited += 100) {
      Sleep(100);
      browser = WindowThatIsNotABox(copy.Id());
    }
    ASSERT_NE(browser, nullptr) << "no folder browser";
    PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);
    MessageBoxInfo cancelled =
        ExpectBox(copy, "Error", "Installation has been cancelled at your request.", IDOK);
    EXPECT_TRUE(cancelled.topmost);
    EXPECT_TRUE(copy.WaitForExit(10000));
  }
  EXPECT_FALSE(FileExists(folder_ + "vemtrix.ini"));
}

// Yes, Yes: the installer is written to C:\Vemtrix\ and started with the
// quoted path of this copy; it copies the program there, and the installed
// copy, started from the installer, deletes the installer and asks to
// download the catalogs.
TEST_F(ProgramStartTest, TheInstallRoadHandsOverToTheInstaller) {
  const std::string install = "C:\\Vemtrix\\";
  RemoveTree(install);
  const std::string programsLink = SpecialFolder(CSIDL_PROGRAMS) + "\\Vemtrix.lnk";
  const std::string desktopLink = SpecialFolder(CSIDL_DESKTOP) + "\\Vemtrix.lnk";

  ChildProcess& copy = StartCopy();
  ExpectBox(copy, "Welcome to Vemtrix", kWelcomeText, IDYES);
  ExpectBox(copy, "Installing Vemtrix", "Recommended install path is C:\\Vemtrix\\\r\nIs this acceptable to you?",
            IDYES);
  EXPECT_TRUE(copy.WaitForExit(10000)) << "the copy ends once the installer is started";

  HWND installer = WaitForWindow("Vemtrix Installer", 0, 30000);
  ASSERT_NE(installer, nullptr);
  DWORD installerProcess = ProcessOfWindow(installer);
  EXPECT_EQ(Lower(ProcessImagePath(installerProcess)), Lower(install + "InstallVemtrix.exe"));
  EXPECT_EQ(ReadBytes(install + "Vemtrix.exe"), ReadBytes(folder_ + "Vemtrix.exe"));
  ASSERT_TRUE(SetChecked(installer, 1003, false));
  ASSERT_TRUE(SetChecked(installer, 1004, false));
  ASSERT_TRUE(PressButton(installer, 1006));  // "Run Vemtrix now" stays ticked

  HWND dialog = WaitForWindow(kDownloadCaption, 0, 30000);
  ASSERT_NE(dialog, nullptr) << "the installed copy did not start";
  DWORD installed = ProcessOfWindow(dialog);
  EXPECT_EQ(Lower(ProcessImagePath(installed)), Lower(install + "Vemtrix.exe"));
  EXPECT_FALSE(FileExists(install + "InstallVemtrix.exe")) << "the installed copy deletes the installer";
  EXPECT_EQ(ReadBytes(install + "Vemtrix.ini"), "CurrentSearchName: default\r\n");
  EXPECT_FALSE(FileExists(programsLink));
  EXPECT_FALSE(FileExists(desktopLink));
  CloseWithCloseBox(dialog);
  EXPECT_TRUE(WaitForWindowGone(dialog));
  EndProcess(installed);
  EndProcess(installerProcess);
  RemoveTree(install);
}

}  // namespace
}  // namespace vemtrix::uitest
