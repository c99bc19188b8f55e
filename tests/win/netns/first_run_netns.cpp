// Vemtrix.exe meeting the simulated sites by their real host names: run by
// tests/e2e/wine_first_run.py inside a private network namespace whose
// /etc/hosts points those names at the site simulator on port 80 (and 443
// when the sites have moved to https; control requests stay plain). The script
// names the program, a work folder and the artifacts folder in the
// environment; without them every test here is skipped.
//
// The first run: a fresh folder, the offer declined, the download dialog,
// the nine catalogs (the script compares them with the simulator's own
// account), then the main window with its trees filled. A download the
// simulator makes fail, and the update check against the maker's page.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <functional>
#include <set>
#include <string>

#include "harvest/http_get.h"
#include "resources/version.h"
#include "win/sample_catalogs.h"
#include "win/test_files.h"
#include "win/ui_driver.h"

namespace vemtrix::uitest {
namespace {

const std::string kMainTitle = std::string("Vemtrix v") + VEMTRIX_VERSION_TEXT;
const char kDownloadCaption[] = "Download Sections and Cities";
constexpr int kIdLog = 2001, kIdBegin = 2002, kIdCancel = 2003, kIdPicture = 2004;
constexpr int kClCityTree = 1016, kKjCityTree = 1103, kClSectionTree = 1020, kKjSectionTree = 1104;

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// A control request to the simulator (any host reaches it).
std::string Simulator(const std::string& path) {
  std::string response = HttpGet("www.quillfen.com", path, HttpRedirect::Return, HttpDisplay::Quiet, "vemtrix-test");
  std::size_t body = response.find("\r\n\r\n");
  return body == std::string::npos ? "" : response.substr(body + 4);
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
  for (int waited = 0; waited < timeoutMs; waited += 100) {
    if (done()) return true;
    Sleep(100);
  }
  return done();
}

bool IsEnabled(HWND window, int id) {
  HWND control = FindControl(window, id);
  return control != nullptr && IsWindowEnabled(control);
}

LRESULT Ask(HWND window, int id, UINT message, WPARAM wParam = 0) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(FindControl(window, id), message, wParam, 0, SMTO_ABORTIFHUNG, 5000, &result);
  return static_cast<LRESULT>(result);
}

HICON Picture(HWND dialog) { return reinterpret_cast<HICON>(Ask(dialog, kIdPicture, STM_GETICON)); }

// The distinct pictures the dialog shows during periodMs.
std::set<HICON> PicturesDuring(HWND dialog, int periodMs) {
  std::set<HICON> seen;
  for (int waited = 0; waited < periodMs; waited += 50) {
    seen.insert(Picture(dialog));
    Sleep(50);
  }
  return seen;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class SimulatedSitesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    program_ = Environment("VEMTRIX_E2E_PROGRAM");
    work_ = Environment("VEMTRIX_E2E_WORK");
    artifacts_ = Environment("VEMTRIX_E2E_ARTIFACTS");
    if (program_.empty() || work_.empty()) GTEST_SKIP() << "runs inside the network namespace only";
    Simulator("/__sim/reset");
  }

  void TearDown() override {
    copy_.Kill();
    Simulator("/__sim/reset");
  }

  // A program folder under the work folder holding only the program.
  std::string FreshProgramFolder(const std::string& name) {
    std::string folder = work_ + "\\" + name + "\\";
    RemoveTree(folder);
    EXPECT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    EXPECT_TRUE(CopyFileA(program_.c_str(), (folder + "Vemtrix.exe").c_str(), FALSE));
    return folder;
  }

  void Start(const std::string& folder) { ASSERT_TRUE(copy_.Start("\"" + folder + "Vemtrix.exe\"", folder)); }

  void CloseMainWindow(HWND window) {
    ASSERT_TRUE(CloseWithCloseBox(window));
    EXPECT_TRUE(copy_.WaitForExit(15000));
  }

  std::string program_, work_, artifacts_;
  ChildProcess copy_;
};

TEST_F(SimulatedSitesTest, FirstRunDeclinesTheOfferDownloadsTheCatalogsAndOpensTheWindow) {
  std::string folder = FreshProgramFolder("firstrun");
  Start(folder);
  HWND offer = WaitForMessageBox("Welcome to Vemtrix", copy_.Id(), 30000);
  ASSERT_NE(offer, nullptr);
  AnswerMessageBox(offer, IDNO);

  HWND dialog = WaitForWindow(kDownloadCaption, copy_.Id(), 30000);
  ASSERT_NE(dialog, nullptr);
  HICON idle = Picture(dialog);
  EXPECT_NE(idle, nullptr);
  // Slow answers while the dialog is watched mid-run: the whole run takes
  // only seconds otherwise.
  Simulator("/__sim/latency?ms=60");
  ASSERT_TRUE(PressButton(dialog, kIdBegin));

  // Running: both buttons off, the step's title on the button, the picture moving.
  ASSERT_TRUE(WaitUntil([&] { return ControlText(dialog, kIdBegin).rfind("Grabbing ", 0) == 0; }, 20000))
      << ControlText(dialog, kIdBegin);
  EXPECT_FALSE(IsEnabled(dialog, kIdBegin));
  EXPECT_FALSE(IsEnabled(dialog, kIdCancel));
  Sleep(500);  // the picture's first frame may follow the first caption
  std::set<HICON> running = PicturesDuring(dialog, 1200);
  EXPECT_GE(running.size(), 3u) << "the magnifier does not move";
  EXPECT_EQ(running.count(idle), 0u);
  if (!artifacts_.empty()) {
    CreateDirectoryA(artifacts_.c_str(), nullptr);
    EXPECT_TRUE(SaveWindowPng(dialog, artifacts_ + "\\download-dialog.png"));
  }
  Simulator("/__sim/latency?ms=0");

  ASSERT_TRUE(WaitUntil([&] { return ControlText(dialog, kIdBegin) == "Start"; }, 240000))
      << ControlText(dialog, kIdBegin) << "\n" << ControlText(dialog, kIdLog);
  EXPECT_TRUE(IsEnabled(dialog, kIdBegin));
  EXPECT_FALSE(IsEnabled(dialog, kIdCancel));
  std::string log = ControlText(dialog, kIdLog);
  EXPECT_EQ(log.rfind("Warning:\r\nI couldn't find a current list of cities and sections", 0), 0u);
  EXPECT_TRUE(EndsWith(log,
                       "\r\n\r\nDownloads complete (scroll up to see them all)! You should be able to start the "
                       "program normally now.\r\n\r\n"));
  // Kept scrolled to its end.
  LRESULT lines = Ask(dialog, kIdLog, EM_GETLINECOUNT);
  LRESULT firstVisible = Ask(dialog, kIdLog, EM_GETFIRSTVISIBLELINE);
  EXPECT_GT(lines, 100);
  EXPECT_GE(firstVisible, lines - 40);
  // The picture is idle again and stays so.
  Sleep(300);
  std::set<HICON> after = PicturesDuring(dialog, 700);
  EXPECT_EQ(after, std::set<HICON>{idle});

  ASSERT_TRUE(PressButton(dialog, kIdBegin));
  HWND window = WaitForWindow(kMainTitle, copy_.Id(), 30000);
  ASSERT_NE(window, nullptr) << "no main window after Start";
  for (int tree : {kClCityTree, kKjCityTree, kClSectionTree, kKjSectionTree})
    EXPECT_GT(Ask(window, tree, TVM_GETCOUNT), 0) << "tree " << tree;
  CloseMainWindow(window);
  EXPECT_TRUE(FileExists(folder + "vemtrix.ini")) << "the window saves the settings at exit";
}

TEST_F(SimulatedSitesTest, AFailedDownloadEndsWithExitTryLater) {
  std::string folder = FreshProgramFolder("failing");
  ASSERT_TRUE(WriteBytes(folder + "vemtrix.ini", "CurrentSearchName: default\r\nCheckForUpdates: 0\r\n"));
  Simulator("/__sim/fault?mode=500&match=www.backpage.com");
  Start(folder);
  HWND dialog = WaitForWindow(kDownloadCaption, copy_.Id(), 30000);
  ASSERT_NE(dialog, nullptr) << "a settings file leads straight to the download";
  ASSERT_TRUE(PressButton(dialog, kIdBegin));
  // Six attempts four seconds apart.
  ASSERT_TRUE(WaitUntil([&] { return ControlText(dialog, kIdBegin) == "Exit (Try Later)"; }, 90000))
      << ControlText(dialog, kIdLog);
  EXPECT_TRUE(IsEnabled(dialog, kIdBegin));
  EXPECT_FALSE(IsEnabled(dialog, kIdCancel));
  EXPECT_TRUE(EndsWith(ControlText(dialog, kIdLog),
                       "\r\n  Could not download http://www.backpage.com/\r\n  Fatal Error: Internet connection "
                       "problems -- aborting.\r\n\r\n"))
      << ControlText(dialog, kIdLog);
  ASSERT_TRUE(PressButton(dialog, kIdBegin));
  EXPECT_TRUE(copy_.WaitForExit(10000)) << "the program goes on after Exit (Try Later)";
  EXPECT_EQ(WaitForWindow(kMainTitle, copy_.Id(), 0), nullptr);
}

TEST_F(SimulatedSitesTest, ClosingTheDialogDuringTheRunEndsTheProgram) {
  std::string folder = FreshProgramFolder("closed");
  ASSERT_TRUE(WriteBytes(folder + "vemtrix.ini", "CurrentSearchName: default\r\nCheckForUpdates: 0\r\n"));
  Simulator("/__sim/latency?ms=100");
  Start(folder);
  HWND dialog = WaitForWindow(kDownloadCaption, copy_.Id(), 30000);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(PressButton(dialog, kIdBegin));
  ASSERT_TRUE(WaitUntil([&] { return ControlText(dialog, kIdBegin).rfind("Grabbing ", 0) == 0; }, 20000));
  ASSERT_TRUE(CloseWithCloseBox(dialog));
  EXPECT_TRUE(copy_.WaitForExit(5000)) << "the program goes on after its dialog closed";
  EXPECT_EQ(copy_.ExitCode(), 0u) << "the run left behind must not crash the program's end";
  EXPECT_EQ(WaitForWindow(kMainTitle, copy_.Id(), 0), nullptr);
}

// The update check against the maker's page: a question only for a version
// above the program's own; no request at all when switched off.
TEST_F(SimulatedSitesTest, TheUpdateCheckAsksOnlyAboutANewerVersion) {
  std::string folder = FreshProgramFolder("update");
  ASSERT_TRUE(WriteSampleCatalogs(folder));
  struct Case {
    const char* published;
    const char* question;  // nullptr: no question
  };
  for (const Case& c : {Case{"2.10", nullptr}, Case{"2.11", "2.11"}, Case{"2.1", nullptr}}) {
    SCOPED_TRACE(std::string("published ") + c.published);
    ASSERT_TRUE(WriteBytes(folder + "vemtrix.ini", "CurrentSearchName: default\r\nCheckForUpdates: 1\r\n"));
    Simulator("/__sim/reset");
    Simulator(std::string("/__sim/maker?version=") + c.published);
    Start(folder);
    HWND window = WaitForWindow(kMainTitle, copy_.Id(), 30000);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil([] { return Simulator("/__sim/log?format=raw").find("GET /blog/vemtrix/ ") !=
                                      std::string::npos; },
                          20000))
        << "the maker's page was not asked";
    EXPECT_NE(Simulator("/__sim/log?format=raw").find("Host: www.quillfen.com"), std::string::npos);
    HWND box = WaitForMessageBox("Update Available", copy_.Id(), c.question ? 15000 : 4000);
    if (c.question == nullptr) {
      EXPECT_EQ(box, nullptr) << ReadMessageBox(box).text;
    } else {
      ASSERT_NE(box, nullptr);
      MessageBoxInfo info = ReadMessageBox(box);
      EXPECT_EQ(info.text, std::string("A new version exists (") + c.question +
                               "). Would you like to visit the software's homepage?");
      EXPECT_TRUE(info.hasIcon);
      EXPECT_EQ(info.buttons, (std::vector<std::string>{"Yes", "No"}));
      AnswerMessageBox(box, IDNO);
      WaitForWindowGone(box);
    }
    if (box != nullptr && c.question == nullptr) AnswerMessageBox(box, IDNO);
    CloseMainWindow(window);
  }

  SCOPED_TRACE("switched off");
  ASSERT_TRUE(WriteBytes(folder + "vemtrix.ini", "CurrentSearchName: default\r\nCheckForUpdates: 0\r\n"));
  Simulator("/__sim/reset");
  Simulator("/__sim/maker?version=9.99");
  Start(folder);
  HWND window = WaitForWindow(kMainTitle, copy_.Id(), 30000);
  ASSERT_NE(window, nullptr);
  Sleep(5000);
  EXPECT_EQ(Simulator("/__sim/log?format=raw").find("/blog/vemtrix/"), std::string::npos);
  EXPECT_EQ(FindAnyMessageBox(copy_.Id()), nullptr);
  CloseMainWindow(window);
}

}  // namespace
}  // namespace vemtrix::uitest
