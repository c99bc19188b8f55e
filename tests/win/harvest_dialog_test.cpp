// The first-run download dialog run in this process (the test program
// carries the drawn icons), driven from a second thread the way the
// harvesting thread drives it: the site picture's frames and how fast it
// stops. The whole dialog meets the simulated sites in netns/.
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
  return reinterpret_cast<HICON>(SendDlgItemMessageA(dialog, kIdHarvestPicture, STM_GETICON, 0, 0));
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
    setup::HarvestDialogView().SiteChanged(SiteId::Kijiji);  // as the harvesting thread does
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

}  // namespace
}  // namespace vemtrix::uitest
