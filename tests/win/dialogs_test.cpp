// The secondary dialogs, the Diagnostics page, the progress part and context
// help, driven as a user would from a second thread while the main window
// runs in the test program.
#include "support/fake_sites.h"
#include "ui/dialogs.h"
#include "ui/window_state.h"
#include "win/window_fixture.h"

namespace vemtrix::uitest {
namespace {

class DialogsTest : public WindowTest {};

// Sizes the main window to a height in dialog units, keeping its width.
void SetHeightDlu(HWND window, int height) {
  RECT now{};
  GetWindowRect(window, &now);
  RECT want{0, 0, 4, height};
  MapDialogRect(window, &want);
  SetWindowPos(window, nullptr, 0, 0, now.right - now.left, want.bottom, SWP_NOZORDER);  // at the top: all on screen
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
}

bool Shown(HWND window, int id) { return IsWindowVisible(Find(window, id)) != FALSE; }

TEST_F(DialogsTest, NewSearchQuickFilterAndAboutBox) {
  bool emptyNameKeptDialog = false, reset = false;
  std::string nameAfterNew, termsAfterNew, matchesText, runningBefore, runningAfter, bytesLine;
  int page = -1;
  bool seattleStillTicked = false, radarTurned = false, filterClosedByEsc = false, filterWaited = false;
  bool pictureShown = false;
  DWORD gdiBefore = 0, gdiAfter = 0;
  HWND filterWindow = nullptr, viewQuestionOwner = nullptr;
  std::vector<std::string> cutOff;  // captions that do not fit, in any of the three
  auto noteCutOff = [&](HWND dialog) {
    for (const std::string& caption : CutOffCaptions(dialog)) cutOff.push_back(WindowText(dialog) + " " + caption);
  };
  Run([&](HWND window) {
    // Quick filter: every result at first; a phrase and a negative term narrow it.
    Click(window, kIdFilter);
    HWND filter = WaitForWindow("Search inside search results", GetCurrentProcessId());
    filterWindow = filter;
    if (filter != nullptr) {
      WaitUntil([&] { return TextOf(filter, kIdQuickMatchCount) == "3"; }, 5000);
      SetWindowTextA(Find(filter, kIdQuickFilterBox), "bike -cargo");
      WaitUntil([&] { return TextOf(filter, kIdQuickMatchCount) == "1"; }, 5000);
      matchesText = TextOf(filter, kIdQuickMatchCount);
      SaveWindowPng(filter, Artifact("dialog-quick-filter.png"));
      noteCutOff(filter);
      // Double-clicking a match asks first; the question belongs to the
      // filter window, which waits for the answer.
      AppSettings().ConfirmSpawn = 1;
      SendMessageA(Find(filter, kIdQuickMatches), LB_SETCURSEL, 0, 0);
      PostMessageA(filter, WM_COMMAND, MAKEWPARAM(kIdQuickMatches, LBN_DBLCLK), reinterpret_cast<LPARAM>(Find(filter, kIdQuickMatches)));
      if (HWND question = WaitForMessageBox("View it?", GetCurrentProcessId(), 5000)) {
        viewQuestionOwner = GetWindow(question, GW_OWNER);
        filterWaited = IsWindowEnabled(filter) == FALSE;
        AnswerMessageBox(question, IDNO);
        WaitForWindowGone(question, 5000);
      }
      PostMessageA(Find(filter, kIdQuickFilterBox), WM_KEYDOWN, VK_ESCAPE, 0);
      PostMessageA(filter, WM_COMMAND, IDCANCEL, 0);  // what Esc does in a dialog
      filterClosedByEsc = WaitForWindowGone(filter, 5000);
    }
    // About: the running time ticks and the radar turns.
    SelectTab(window, 2);
    Click(window, kIdAbout);
    HWND about = WaitForWindow("About Vemtrix", GetCurrentProcessId());
    if (about != nullptr) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1100));
      runningBefore = TextOf(about, kIdAboutRunning);
      HANDLE frame = reinterpret_cast<HANDLE>(SendMessageA(Find(about, kIdAboutRadar), STM_GETICON, 0, 0));
      std::this_thread::sleep_for(std::chrono::milliseconds(2100));
      runningAfter = TextOf(about, kIdAboutRunning);
      radarTurned = reinterpret_cast<HANDLE>(SendMessageA(Find(about, kIdAboutRadar), STM_GETICON, 0, 0)) != frame;
      bytesLine = TextOf(about, kIdAboutStatistics);
      SaveWindowPng(about, Artifact("dialog-about.png"));
      noteCutOff(about);
      Click(about, kIdAboutOk);
      WaitForWindowGone(about, 5000);
    }
    // Shown again and again, with its picture, the box keeps nothing.
    gdiBefore = GdiObjectsOf(GetCurrentProcess());
    for (int i = 0; i < 4; ++i) {
      Click(window, kIdAbout);
      about = WaitForWindow("About Vemtrix", GetCurrentProcessId());
      if (about == nullptr) break;
      auto clickLabel = [&](int id) {
        PostMessageA(about, WM_COMMAND, MAKEWPARAM(id, STN_CLICKED), reinterpret_cast<LPARAM>(Find(about, id)));
      };
      clickLabel(kIdAboutCredits);
      WaitUntil([&] { return IsWindowVisible(Find(about, kIdAboutPicture)) != FALSE; }, 3000);
      pictureShown = SendMessageA(Find(about, kIdAboutPicture), STM_GETIMAGE, IMAGE_BITMAP, 0) != 0;
      clickLabel(kIdAboutPicture);
      Click(about, kIdAboutOk);
      WaitForWindowGone(about, 5000);
    }
    gdiAfter = GdiObjectsOf(GetCurrentProcess());
    // New: an empty name does nothing; a name empties the list but keeps the
    // terms and the ticks, and shows the Search Settings page.
    Click(window, kIdNew);
    HWND dialog = WaitForWindow("New Search", GetCurrentProcessId());
    if (dialog != nullptr) {
      SaveWindowPng(dialog, Artifact("dialog-new-search.png"));
      noteCutOff(dialog);
      Click(dialog, kIdNewButton);
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
      emptyNameKeptDialog = IsWindow(dialog) && IsWindowVisible(dialog);
      SetWindowTextA(Find(dialog, kIdNewName), "fresh start");
      Click(dialog, kIdNewButton);
      WaitForWindowGone(dialog, 5000);
    }
    WaitUntil([&] { return ListCount(window) == 0; }, 3000);
    reset = ListCount(window) == 0 && Results().Count() == 0;
    nameAfterNew = TextOf(window, kIdName);
    termsAfterNew = TextOf(window, kIdTerms);
    page = static_cast<int>(SendMessageA(Find(window, kIdTab), TCM_GETCURSEL, 0, 0));
    seattleStillTicked = TreeChecked(window, kCityTreeIds[0], "Seattle");
  });
  EXPECT_EQ(matchesText, "1");
  EXPECT_TRUE(filterClosedByEsc);
  EXPECT_EQ(viewQuestionOwner, filterWindow);
  EXPECT_TRUE(filterWaited);
  EXPECT_NE(runningBefore, runningAfter);
  EXPECT_EQ(runningAfter.rfind("Time spent running: 0:0", 0), 0u) << runningAfter;  // minutes, on a busy machine
  EXPECT_TRUE(radarTurned);
  EXPECT_TRUE(pictureShown);
  EXPECT_GT(gdiBefore, 0u);
  EXPECT_LE(gdiAfter, gdiBefore + 1) << "GDI objects kept by four showings of the About box";
  EXPECT_EQ(cutOff, std::vector<std::string>{}) << "captions cut off";
  EXPECT_EQ(bytesLine.rfind("Total bytes downloaded: ", 0), 0u) << bytesLine;
  EXPECT_TRUE(emptyNameKeptDialog);
  EXPECT_TRUE(reset);
  EXPECT_EQ(nameAfterNew, "fresh start");
  EXPECT_EQ(termsAfterNew, "bike");
  EXPECT_EQ(page, 1);
  EXPECT_TRUE(seattleStillTicked);
}

TEST_F(DialogsTest, DiagnosticsRowsDuringARunCompactModeAndHelp) {
  testing::FakeSites sites;
  sites.delayMs = 1500;
  AppSettings().MaxThreads = 1;
  std::string rowDuring, rowAfter, progressPart;
  bool compactShowsScan = true, tallShowsScan = false, popupForButton = false, popupForLabel = true;
  bool popupClosedByEsc = false, windowKeptByEsc = false;
  std::vector<std::string> cutOffDuring, cutOffTall;
  Run([&](HWND window) {
    Click(window, kIdGo);
    WaitUntil([&] { return !TextOf(window, kIdSearchWorkerBox).empty(); }, 10000);
    SelectTab(window, 3);
    rowDuring = TextOf(window, kIdSearchWorkerBox);
    cutOffDuring = CutOffCaptions(window);  // the worker rows filled
    SaveWindowPng(window, Artifact("page-diagnostics-during-run.png"));
    char text[64] = {};
    SendMessageA(Find(window, kIdStatusBar), SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(text));
    progressPart = text;
    SelectTab(window, 0);
    SaveWindowPng(window, Artifact("status-bar-mid-run.png"));
    WaitUntil([&] { return TextOf(window, kIdGo) == "Go!"; }, 60000);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    rowAfter = TextOf(window, kIdSearchWorkerBox);
    // Compact at 570 units: one block; at 571 both.
    SelectTab(window, 3);
    SetHeightDlu(window, 570);
    compactShowsScan = Shown(window, kIdScanWorkerBox);

    SetHeightDlu(window, 571);
    tallShowsScan = Shown(window, kIdScanWorkerBox) && Shown(window, kIdSearchWorkerBox);
    SaveWindowPng(window, Artifact("page-diagnostics-tall.png"));
    cutOffTall = CutOffCaptions(window);
    SetHeightDlu(window, 400);
    // Help: the icon, then a click on a button shows its text; a label
    // without an entry shows nothing.
    auto askHelpOn = [&](int id) {
      SendMessageA(window, WM_COMMAND, kIdHelpIcon, 0);
      RECT rect{};
      GetWindowRect(Find(window, id), &rect);
      SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
      PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, 0);
      std::this_thread::sleep_for(std::chrono::milliseconds(700));
    };
    askHelpOn(kIdViewScanStatus);
    popupForButton = ui::HelpPopupWindow() != nullptr;
    SaveWindowPng(window, Artifact("help-popup.png"));
    // Esc as the user presses it: to the control with the focus, through the
    // window's own loop. It closes the pop-up, not the window.
    GUITHREADINFO focus{};
    focus.cbSize = sizeof focus;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &focus);
    PostMessageA(focus.hwndFocus != nullptr ? focus.hwndFocus : window, WM_KEYDOWN, VK_ESCAPE, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    popupClosedByEsc = ui::HelpPopupWindow() == nullptr;
    windowKeptByEsc = IsWindowVisible(window) && FindAnyMessageBox(GetCurrentProcessId()) == nullptr;
    askHelpOn(kIdSearchWorkerLabel);  // a slot label: no entry
    popupForLabel = ui::HelpPopupWindow() != nullptr;
  });
  EXPECT_NE(rowDuring.find("bike"), std::string::npos) << rowDuring;
  EXPECT_EQ(cutOffDuring, std::vector<std::string>{}) << "captions cut off during the run";
  EXPECT_EQ(cutOffTall, std::vector<std::string>{}) << "captions cut off in the tall layout";
  EXPECT_EQ(rowAfter, "");
  EXPECT_EQ(progressPart, "Searching");
  EXPECT_FALSE(compactShowsScan);
  EXPECT_TRUE(tallShowsScan);
  EXPECT_TRUE(popupForButton);
  EXPECT_TRUE(popupClosedByEsc);
  EXPECT_TRUE(windowKeptByEsc);
  EXPECT_FALSE(popupForLabel);
}

// The progress part drawn into a memory bitmap: no bar at 0, a full bar at
// 1000, and a bar of at most 10 pixels without the highlight strip.
TEST(ProgressPartTest, DrawsTheBarItsStripAndNothingAtZero) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 200, 20);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT part{0, 0, 200, 20};
  auto draw = [&](int permille) {
    HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    FillRect(dc, &part, white);
    ui::DrawProgressInto(dc, part, permille);
  };
  const COLORREF face = GetSysColor(COLOR_3DLIGHT) & 0xFFFFFF;
  const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT) & 0xFFFFFF;
  draw(0);
  EXPECT_EQ(GetPixel(dc, 1, 1), RGB(255, 255, 255));
  draw(1000);
  EXPECT_EQ(GetPixel(dc, 1, 1), face);
  EXPECT_EQ(GetPixel(dc, 195, 1), highlight);
  draw(50);  // a 10-pixel bar
  EXPECT_EQ(GetPixel(dc, 5, 1), face);
  EXPECT_EQ(GetPixel(dc, 12, 1), RGB(255, 255, 255));
  draw(100);  // 20 pixels: the last ten are the strip
  EXPECT_EQ(GetPixel(dc, 5, 1), face);
  EXPECT_EQ(GetPixel(dc, 15, 1), highlight);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

}  // namespace
}  // namespace vemtrix::uitest
