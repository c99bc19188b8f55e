// The first-run download dialog run in this process (the test program
// carries the drawn icons), driven from a second thread the way the
// harvesting thread drives it: the site picture's frames, how fast it stops,
// the button's captions, the log kept at its end.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "catalogs/catalog_harvest.h"
#include "core/frontend.h"
#include "setup/harvest_dialog.h"
#include "win/ui_driver.h"

namespace vemtrix::uitest {
namespace {

using Clock = std::chrono::steady_clock;

HICON SharedIcon(const std::string& name) {
  return static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), name.c_str(), IMAGE_ICON, 32, 32, LR_SHARED));
}

HICON Picture(HWND dialog) {
  return reinterpret_cast<HICON>(SendDlgItemMessageA(dialog, setup::kIdHarvestPicture, STM_GETICON, 0, 0));
}

HWND OwnDialog() {
  HWND dialog = WaitForWindow("Download Sections and Cities", GetCurrentProcessId());
  return dialog;
}

// Runs the dialog on this thread while drive runs on another; the dialog
// must have closed when drive returns.
void RunDialogDrivenBy(const std::function<void(HWND)>& drive) {
  std::atomic<bool> closed{false};
  std::thread driver([&] {
    HWND dialog = OwnDialog();
    if (dialog == nullptr) {
      ADD_FAILURE() << "the dialog did not open";
      return;
    }
    drive(dialog);
    if (!closed) PostMessageA(dialog, WM_CLOSE, 0, 0);
  });
  setup::ShowHarvestDialog();
  closed = true;
  driver.join();
}

TEST(HarvestDialog, PictureShowsTheSitesFramesAndStopsWithinFiftyMilliseconds) {
  std::map<HICON, int> kijijiFrames;
  for (int frame = 0; frame < 12; ++frame) {
    char name[32];
    wsprintfA(name, "ICONKIJIJIMAG%02d", frame);
    kijijiFrames[SharedIcon(name)] = frame;
  }
  const HICON idle = SharedIcon("HARDLYTHERE");
  ASSERT_NE(idle, nullptr);
  ASSERT_EQ(kijijiFrames.size(), 12u);

  std::vector<int> shown;  // frame numbers in the order they appeared
  bool onlyKijiji = true;
  HICON before = nullptr;
  long long stopMs = -1;
  RunDialogDrivenBy([&](HWND dialog) {
    before = Picture(dialog);
    HarvestPhase = SiteId::Kijiji;
    UI().HarvestSiteChanged(SiteId::Kijiji);  // as the harvesting thread does
    for (auto end = Clock::now() + std::chrono::milliseconds(1400); Clock::now() < end;) {
      HICON now = Picture(dialog);
      auto found = kijijiFrames.find(now);
      if (found == kijijiFrames.end()) {
        if (!shown.empty()) onlyKijiji = false;
      } else if (shown.empty() || shown.back() != found->second) {
        shown.push_back(found->second);
      }
      Sleep(5);
    }
    HarvestPhase = SiteId::None;
    auto stopped = Clock::now();
    while (Picture(dialog) != idle && Clock::now() - stopped < std::chrono::seconds(2)) Sleep(2);
    stopMs = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - stopped).count();
  });

  EXPECT_EQ(before, idle) << "the idle picture first";
  EXPECT_TRUE(onlyKijiji);
  // 250 ms a frame: five or six frames in 1.4 s, counting up from 1.
  ASSERT_GE(shown.size(), 4u);
  EXPECT_LE(shown.size(), 7u);
  EXPECT_EQ(shown.front(), 1);
  for (std::size_t i = 1; i < shown.size(); ++i) EXPECT_EQ(shown[i], (shown[i - 1] + 1) % 12);
  // The thread notices within 50 ms; the picture reaches the dialog through its queue.
  EXPECT_GE(stopMs, 0);
  EXPECT_LE(stopMs, 120);
}

TEST(HarvestDialog, RunUpdatesReachTheButtonsAndTheLogStaysAtItsEnd) {
  FirstRunResult = 0;
  std::string caption, logText;
  bool beginEnabled = true, cancelEnabled = true;
  int firstVisible = 0, lines = 0;
  RunDialogDrivenBy([&](HWND dialog) {
    // What HarvestCatalogs says, from another thread.
    UI().EnableHarvestButtons(false, false);
    UI().SetHarvestButtonCaption("Grabbing CL Cities");
    for (int i = 1; i <= 300; ++i) AppendHarvestLog("line " + std::to_string(i) + "\r\n");
    Sleep(500);
    caption = ControlText(dialog, setup::kIdBeginDownload);
    beginEnabled = IsWindowEnabled(GetDlgItem(dialog, setup::kIdBeginDownload));
    cancelEnabled = IsWindowEnabled(GetDlgItem(dialog, setup::kIdHarvestCancel));
    logText = ControlText(dialog, setup::kIdHarvestLog);
    lines = static_cast<int>(SendDlgItemMessageA(dialog, setup::kIdHarvestLog, EM_GETLINECOUNT, 0, 0));
    firstVisible = static_cast<int>(SendDlgItemMessageA(dialog, setup::kIdHarvestLog, EM_GETFIRSTVISIBLELINE, 0, 0));

    // The end of a failed run: only the one button, which closes the dialog.
    FirstRunResult = -1;
    UI().EnableHarvestButtons(true, false);
    UI().SetHarvestButtonCaption("Exit (Try Later)");
    Sleep(300);
    PressButton(dialog, setup::kIdBeginDownload);
    WaitForWindowGone(dialog, 5000);
  });
  FirstRunResult = 0;

  EXPECT_EQ(caption, "Grabbing CL Cities");
  EXPECT_FALSE(beginEnabled);
  EXPECT_FALSE(cancelEnabled);
  EXPECT_EQ(logText, std::string(setup::kHarvestOpeningText) + [] {
    std::string appended;
    for (int i = 1; i <= 300; ++i) appended += "line " + std::to_string(i) + "\r\n";
    return appended;
  }());
  EXPECT_GT(lines, 300);
  EXPECT_GE(firstVisible, lines - 40) << "the log is not scrolled to its end";
}

}  // namespace
}  // namespace vemtrix::uitest
