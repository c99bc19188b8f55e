// Watching a search in the real window: the run's summary on the status bar,
// the repeat a minute after the run's end (on a clock the test moves), the
// new ad of the second run drawn in bold and announced while the window is
// minimised, and the click on the announcement bringing the window back.
#include "support/fake_sites.h"
#include "ui/app_messages.h"
#include "ui/window_state.h"
#include "win/window_fixture.h"

namespace vemtrix::uitest {
namespace {

using ui::kStatusRequestPart;
using ui::kStatusRunStatePart;
using ui::Main;
using ui::RowIsNew;

class WatchingTest : public WindowTest {
 protected:
  void TearDown() override { platform::SetClockForTesting(nullptr); }
};

std::string StatusPart(HWND window, int part) {
  char text[256] = {};
  SendMessageA(Find(window, kIdStatusBar), SB_GETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
  return text;
}

TEST_F(WatchingTest, ARepeatFindsTheNewAdDrawsItBoldAndAnnouncesIt) {
  testing::FakeSites sites;
  AppSettings().MaxThreads = 1;
  AppSettings().RepeatSearch = 1;
  AppSettings().RepeatMinutes = 1;
  std::atomic<int> minute{0};
  platform::SetClockForTesting([&minute] {
    platform::LocalDateTime now{2026, 12, 9, 14, 0, 30, 0, 0};
    now.minute += minute.load();
    return now;
  });
  std::string firstSummary, waiting, secondSummary, stateAfterOff, failedBox;
  Balloon balloon;
  bool topBold = false, nextBold = true, restored = false, iconGone = false;
  Run([&](HWND window) {
    Click(window, kIdGo);
    WaitUntil([&] { return StatusPart(window, kStatusRunStatePart).rfind("Next search at", 0) == 0; }, 30000);
    firstSummary = StatusPart(window, kStatusRequestPart);
    waiting = StatusPart(window, kStatusRunStatePart);
    SaveWindowPng(window, Artifact("status-bar-next-search.png"));
    // A click on the summary lists the failed searches (none here).
    HWND status = Find(window, kIdStatusBar);
    ClickAt(status, 20, 8);
    failedBox = Answer("Failed searches", IDOK);

    // Out of sight, a new ad appears on the site and the minute passes.
    PostMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    WaitUntil([&] { return IsIconic(window) != FALSE; }, 5000);
    sites.adsPerFeed = 4;
    minute = 1;
    WaitUntil([&] { return StatusPart(window, kStatusRequestPart) != firstSummary; }, 30000);
    WaitUntil([&] { return StatusPart(window, kStatusRunStatePart).rfind("Next search at", 0) == 0; }, 30000);
    secondSummary = StatusPart(window, kStatusRequestPart);
    balloon = Main().lastBalloon;
    topBold = RowIsNew(Main().order.RowAt(0));
    nextBold = RowIsNew(Main().order.RowAt(1));

    // Clicking the announcement brings the window up on the results.
    SendMessageA(window, ui::kMsgTrayIcon, kTrayIconId, NIN_BALLOONUSERCLICK);
    WaitUntil([&] { return IsIconic(window) == FALSE; }, 5000);
    restored = IsIconic(window) == FALSE && SendMessageA(Find(window, kIdTab), TCM_GETCURSEL, 0, 0) == 0;
    iconGone = !Main().trayIconShown;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    SaveWindowPng(window, Artifact("page-results-new-row-bold.png"));

    // Turning the setting off ends the watching.
    AppSettings().RepeatSearch = 0;
    WaitUntil([&] { return StatusPart(window, kStatusRunStatePart) == "Inactive"; }, 5000);
    stateAfterOff = StatusPart(window, kStatusRunStatePart);
  });
  EXPECT_EQ(firstSummary, "Search complete: 6 results, 3 new");
  EXPECT_EQ(waiting, "Next search at 14:01");
  EXPECT_EQ(failedBox, "No search failed in the last run.");
  EXPECT_EQ(secondSummary, "Search complete: 7 results, 1 new");
  EXPECT_EQ(balloon.title, "1 new ad for bikes");
  EXPECT_EQ(balloon.text.rfind("Ad ", 0), 0u) << balloon.text;
  EXPECT_TRUE(topBold) << "the new ad is drawn in bold";
  EXPECT_FALSE(nextBold) << "rows seen before are not";
  EXPECT_TRUE(restored);
  EXPECT_TRUE(iconGone);
  EXPECT_EQ(stateAfterOff, "Inactive");
}

}  // namespace
}  // namespace vemtrix::uitest
