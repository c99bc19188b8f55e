// InstallVemtrix.exe run as the main program starts it, and driven from
// outside like a user: its boxes, the wait for the main program's mutex, the
// copy, the settings file, the dialog, the shortcuts and the first start.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cctype>

#include "win/test_files.h"
#include "win/ui_driver.h"

namespace vemtrix::uitest {
namespace {

const char kDialogCaption[] = "Vemtrix Installer";
const char kErrorCaption[] = "Install Error";
// What the installed program shows first: it has a settings file and no catalogs.
const char kStartedCaption[] = "Download Sections and Cities";

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

struct LinkContents {
  bool loaded = false;
  std::string target, arguments, workingFolder, description;
};

LinkContents ReadLink(const std::string& path) {
  LinkContents contents;
  CoInitialize(nullptr);
  IShellLinkA* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&link)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      std::wstring wide(path.begin(), path.end());
      if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ))) {
        char text[MAX_PATH * 2] = {};
        contents.loaded = true;
        link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH);
        contents.target = text;
        text[0] = '\0';
        link->GetArguments(text, sizeof text);
        contents.arguments = text;
        text[0] = '\0';
        link->GetWorkingDirectory(text, sizeof text);
        contents.workingFolder = text;
        text[0] = '\0';
        link->GetDescription(text, sizeof text);
        contents.description = text;
      }
      file->Release();
    }
    link->Release();
  }
  CoUninitialize();
  return contents;
}

class InstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = FreshTempFolder(std::string("installer_") +
                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    // Spaces in both folders: the path reaches the installer quoted or not.
    source_ = root_ + "old copy\\";
    ASSERT_TRUE(CreateDirectoryA(source_.c_str(), nullptr));
    ASSERT_TRUE(CopyFileA(HostPath(VEMTRIX_PROGRAM_EXE).c_str(), (source_ + "Vemtrix.exe").c_str(), FALSE));
    ASSERT_NO_FATAL_FAILURE(PlaceInstaller(root_ + "install here\\"));
    programsLink_ = SpecialFolder(CSIDL_PROGRAMS) + "\\Vemtrix.lnk";
    desktopLink_ = SpecialFolder(CSIDL_DESKTOP) + "\\Vemtrix.lnk";
    ASSERT_NE(programsLink_, "\\Vemtrix.lnk");
    ASSERT_NE(desktopLink_, "\\Vemtrix.lnk");
    DeleteFileA(programsLink_.c_str());
    DeleteFileA(desktopLink_.c_str());
  }

  void TearDown() override {
    installer_.Kill();
    // The installed copy the installer started (it would keep the test's
    // output pipe open).
    EndProcessesNamed("Vemtrix.exe");
    if (install_.rfind(root_, 0) != 0) RemoveTree(install_);
    DeleteFileA(programsLink_.c_str());
    DeleteFileA(desktopLink_.c_str());
    RemoveTree(root_);
  }

  // The installer written out into folder (ending in "\\"), as the main program does.
  void PlaceInstaller(const std::string& folder) {
    if (!install_.empty() && install_.rfind(root_, 0) != 0) RemoveTree(install_);
    install_ = folder;
    RemoveTree(install_);
    ASSERT_TRUE(CreateDirectoryA(install_.c_str(), nullptr)) << install_;
    ASSERT_TRUE(CopyFileA(HostPath(VEMTRIX_INSTALLER_EXE).c_str(), (install_ + "InstallVemtrix.exe").c_str(),
                          FALSE));
  }

  void StartInstaller(const std::string& arguments) {
    std::string line = "\"" + install_ + "InstallVemtrix.exe\"";
    if (!arguments.empty()) line += " " + arguments;
    ASSERT_TRUE(installer_.Start(line, root_));
  }

  std::string QuotedSource() const { return "\"" + source_ + "Vemtrix.exe\""; }

  // The installer's next box: must be an error box with this text; answered.
  void ExpectErrorBox(const std::string& text, int timeoutMs = kWindowWaitMs) {
    HWND box = WaitForMessageBox(kErrorCaption, installer_.Id(), timeoutMs);
    ASSERT_NE(box, nullptr) << "no \"" << kErrorCaption << "\" box";
    MessageBoxInfo info = ReadMessageBox(box);
    EXPECT_EQ(info.text, text);
    EXPECT_TRUE(info.hasIcon);
    EXPECT_TRUE(info.topmost);
    EXPECT_EQ(info.buttons, std::vector<std::string>{"OK"});
    AnswerMessageBox(box, IDOK);
    EXPECT_TRUE(installer_.WaitForExit(kWindowWaitMs)) << "the installer goes on after \"" << text << "\"";
  }

  HWND WaitForDialog() { return WaitForWindow(kDialogCaption, installer_.Id(), 20000); }

  // The copy and the settings file that every run reaching the dialog leaves.
  void ExpectProgramCopiedWithFreshSettings() {
    EXPECT_EQ(ReadBytes(install_ + "Vemtrix.exe"), ReadBytes(source_ + "Vemtrix.exe"));
    EXPECT_EQ(ReadBytes(install_ + "Vemtrix.ini"), "CurrentSearchName: default\r\n");
  }

  // The end of a run without "Run now": "Install complete", no links, and the
  // installed program not started.
  void ExpectInstallCompleteOnly() {
    HWND box = WaitForMessageBox("Install complete", installer_.Id());
    ASSERT_NE(box, nullptr);
    MessageBoxInfo info = ReadMessageBox(box);
    EXPECT_EQ(info.text,
              "Vemtrix has been successfully installed. I hope it performs to your expectations.");
    EXPECT_FALSE(info.hasIcon);
    EXPECT_EQ(info.buttons, std::vector<std::string>{"OK"});
    AnswerMessageBox(box, IDOK);
    EXPECT_TRUE(installer_.WaitForExit(kWindowWaitMs));
    EXPECT_FALSE(FileExists(programsLink_));
    EXPECT_FALSE(FileExists(desktopLink_));
    // A wrongly started program would show its first window within seconds.
    EXPECT_EQ(WaitForWindow(kStartedCaption, 0, 5000), nullptr) << "the installed program was started";
  }

  std::string root_, install_, source_, programsLink_, desktopLink_;
  ChildProcess installer_;
};

TEST_F(InstallerTest, RefusesToRunWithoutAPath) {
  for (const std::string arguments : {"", "\"\""}) {
    SCOPED_TRACE("arguments: " + arguments);
    StartInstaller(arguments);
    ExpectErrorBox("Installer can't run because it hasn't been told what to do. If you're trying to run it "
                   "manually, don't.");
  }
  EXPECT_FALSE(FileExists(install_ + "Vemtrix.exe"));
  EXPECT_FALSE(FileExists(install_ + "Vemtrix.ini"));
}

TEST_F(InstallerTest, NamesAMissingMainProgramInQuotes) {
  const std::string missing = root_ + "nowhere\\Vemtrix.exe";
  StartInstaller("\"" + missing + "\"");
  ExpectErrorBox("Could not find main executable at \"" + missing +
                 "\", so I can't do the install. This is worrying.");
  EXPECT_FALSE(FileExists(install_ + "Vemtrix.exe"));
}

TEST_F(InstallerTest, WaitsForTheMainProgramThenInstallsLinksAndStartsIt) {
  ASSERT_NO_FATAL_FAILURE(PlaceInstaller("C:\\Vemtrix\\"));  // the recommended folder
  HANDLE running = CreateMutexA(nullptr, TRUE, "Vemtrix");  // the main program, still open
  ASSERT_NE(running, nullptr);
  StartInstaller(QuotedSource());
  Sleep(3000);
  EXPECT_TRUE(installer_.Running());
  EXPECT_FALSE(FileExists(install_ + "Vemtrix.exe")) << "copied while the main program runs";
  EXPECT_EQ(WaitForWindow(kDialogCaption, installer_.Id(), 0), nullptr);
  ReleaseMutex(running);
  CloseHandle(running);

  HWND dialog = WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  ExpectProgramCopiedWithFreshSettings();
  EXPECT_EQ(ControlText(dialog, 1001), "Vemtrix has been successfully installed at:");
  EXPECT_EQ(ControlText(dialog, 1002), install_ + "Vemtrix.exe");
  EXPECT_EQ(ControlText(dialog, 1003), "Create a link in the Windows programs menu");
  EXPECT_EQ(ControlText(dialog, 1004), "Create a shortcut on the desktop");
  EXPECT_EQ(ControlText(dialog, 1005), "Run Vemtrix now (and generate the city and section links)");
  EXPECT_EQ(ControlText(dialog, 1006), "Finish");
  for (int box : {1003, 1004, 1005}) EXPECT_EQ(CheckState(dialog, box), BST_CHECKED) << box;

  Sleep(500);  // let it finish painting
  CreateDirectoryA(HostPath(VEMTRIX_ARTIFACTS_DIR).c_str(), nullptr);
  EXPECT_TRUE(SaveWindowPng(dialog, HostPath(VEMTRIX_ARTIFACTS_DIR "/installer.png")));

  ASSERT_TRUE(PressButton(dialog, 1006));
  // "Run now" ends the installer without a further box (a box would keep it running).
  EXPECT_TRUE(installer_.WaitForExit(15000));

  const std::string installed = install_ + "Vemtrix.exe";
  for (const std::string& path : {programsLink_, desktopLink_}) {
    SCOPED_TRACE(path);
    LinkContents link = ReadLink(path);
    ASSERT_TRUE(link.loaded);
    EXPECT_EQ(Lower(link.target), Lower(installed));
    EXPECT_EQ(link.arguments, "");
    EXPECT_EQ(Lower(link.workingFolder), Lower(install_.substr(0, install_.size() - 1)));
    EXPECT_EQ(link.description, "Run the Quillfen Classified Listing Harvester");
  }

  // The installed copy was started: it shows its first window.
  HWND started = WaitForWindow(kStartedCaption, 0, 20000);
  ASSERT_NE(started, nullptr) << "the installed program was not started";
  DWORD program = ProcessOfWindow(started);
  EXPECT_EQ(Lower(ProcessImagePath(program)), Lower(installed));
  CloseWithCloseBox(started);
  EXPECT_TRUE(WaitForWindowGone(started));
  EndProcess(program);
}

TEST_F(InstallerTest, UnquotedPathAndUntickedBoxesEndWithInstallComplete) {
  StartInstaller(source_ + "Vemtrix.exe");
  HWND dialog = WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  ExpectProgramCopiedWithFreshSettings();
  EXPECT_EQ(ControlText(dialog, 1002), install_ + "Vemtrix.exe");
  for (int box : {1003, 1004, 1005}) ASSERT_TRUE(SetChecked(dialog, box, false)) << box;
  ASSERT_TRUE(PressButton(dialog, 1006));
  ExpectInstallCompleteOnly();
}

TEST_F(InstallerTest, CloseBoxIgnoresTheTickedBoxes) {
  StartInstaller(QuotedSource());
  HWND dialog = WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  ExpectProgramCopiedWithFreshSettings();
  ASSERT_TRUE(CloseWithCloseBox(dialog));
  ExpectInstallCompleteOnly();
}

// Takes a minute: the installer gives up after sixty one-second waits.
TEST_F(InstallerTest, GivesUpWhenTheMainProgramNeverCloses) {
  HANDLE running = CreateMutexA(nullptr, TRUE, "Vemtrix");
  ASSERT_NE(running, nullptr);
  ULONGLONG started = GetTickCount64();
  StartInstaller(QuotedSource());
  HWND box = WaitForMessageBox(kErrorCaption, installer_.Id(), 90000);
  ULONGLONG waited = GetTickCount64() - started;
  ASSERT_NE(box, nullptr);
  EXPECT_GE(waited, 59500u);
  EXPECT_LE(waited, 80000u);
  ExpectErrorBox("Waiting for executable to close, but it's not closing. It may have crashed, but either "
                 "way, the file is locked and I can't install.");
  EXPECT_FALSE(FileExists(install_ + "Vemtrix.exe"));
  EXPECT_FALSE(FileExists(install_ + "Vemtrix.ini"));
  ReleaseMutex(running);
  CloseHandle(running);
}

}  // namespace
}  // namespace vemtrix::uitest
