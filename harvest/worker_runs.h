// What the search run and the deep scan share: the run-wide flags, the
// number of worker slots, the progress display, the retry countdown and the
// signal a waiter for the end of a run sleeps on.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "core/site_id.h"

namespace vemtrix {

// SearchRunning is 1 from the start of a run until its end; AbortFlag asks
// the run to stop; ErrorBoxShown is 1 while a give-up message is on screen;
// ProgressPermille runs from 0 to 1000.
extern std::atomic<std::int32_t> SearchRunning;
extern std::atomic<std::int32_t> AbortFlag;
extern std::atomic<std::int32_t> ErrorBoxShown;
extern std::atomic<std::int32_t> ProgressPermille;

// Downloads given up since the program started, so a tool can tell a run
// that lost work from one that did not: search jobs after their fifth
// failed attempt, ads whose page the deep scan could not get.
extern std::atomic<std::int32_t> SearchJobsGivenUp;
extern std::atomic<std::int32_t> DeepScanAdsGivenUp;

// Worker slots 1 to 12 of either kind (MaxThreads and MaxThreads2 are
// clamped to this).
inline constexpr int kMaxWorkerSlots = 12;
int WorkerSlotLimit(int maxThreads);

// ProgressPermille = done / total in permille, shown with its percentage.
void ShowProgressOf(std::int64_t done, std::int64_t total);

// A countdown of 25 to 35 seconds before a retry, shown on a worker row;
// false when stopRequested() became true (asked before every 100 ms sleep).
bool RetryCountdown(int slot, bool deepScan, const std::string& place, SiteId site,
                    const std::function<bool()>& stopRequested);

// The end of a run's threads: a change made under the lock wakes every
// waiter, and a waiter checks its condition at least every 150 ms. Never
// destroyed: detached workers may still be finishing at process exit.
struct EndSignal {
  template <typename Change>
  void Signal(Change change) {
    std::lock_guard<std::mutex> guard(lock);
    change();
    changed.notify_all();
  }
  template <typename Done>
  void WaitUntil(Done done) {
    std::unique_lock<std::mutex> guard(lock);
    while (!done()) changed.wait_for(guard, std::chrono::milliseconds(150));
  }

  std::mutex lock;
  std::condition_variable changed;
};

}  // namespace vemtrix
