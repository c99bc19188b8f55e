#include "harvest/worker_runs.h"

#include <algorithm>

#include "core/frontend.h"
#include "platform/platform.h"

namespace vemtrix {

std::atomic<std::int32_t> SearchRunning{0};
std::atomic<std::int32_t> AbortFlag{0};
std::atomic<std::int32_t> ErrorBoxShown{0};
std::atomic<std::int32_t> ProgressPermille{0};
std::atomic<std::int32_t> SearchJobsGivenUp{0};
std::atomic<std::int32_t> DeepScanAdsGivenUp{0};

int WorkerSlotLimit(int maxThreads) { return std::min(std::max(maxThreads, 1), kMaxWorkerSlots); }

void ShowProgressOf(std::int64_t done, std::int64_t total) {
  std::int32_t permille = total > 0 ? static_cast<std::int32_t>(1000 * done / total) : 0;
  ProgressPermille = permille;
  UI().ShowProgress(permille);
}

bool RetryCountdown(int slot, bool deepScan, const std::string& place, SiteId site,
                    const std::function<bool()>& stopRequested) {
  int seconds = platform::RandomBetween(25, 35);
  for (int s = seconds; s >= 1; --s) {
    UI().ShowWorkerRow(deepScan ? WorkerBlock::DeepScan : WorkerBlock::Search, slot,
                       "Connect problem (" + place + ")... Restarting in " + std::to_string(s), WorkerLight::Problem,
                       site);
    for (int i = 0; i < 10; ++i) {
      if (stopRequested()) return false;
      platform::SleepMs(100);
    }
  }
  return true;
}

}  // namespace vemtrix
