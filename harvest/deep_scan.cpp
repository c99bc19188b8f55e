#include "harvest/deep_scan.h"

#include <array>
#include <condition_variable>
#include <mutex>

#include "core/frontend.h"
#include "core/result_store.h"
#include "core/settings.h"
#include "harvest/ad_text.h"
#include "harvest/http_get.h"
#include "harvest/search_run.h"
#include "harvest/sites.h"
#include "platform/platform.h"

namespace vemtrix {

std::atomic<std::int32_t> DeepScanActive{0};
std::atomic<std::int32_t> DeepScanAbort{0};

namespace {

constexpr int kMaxSlots = 12;
std::array<std::atomic<std::int32_t>, kMaxSlots + 1> slotBusy{};
// Threads started and not yet finished; the last thing each does is count
// itself out, so a waiter that sees 0 knows nothing of the scan still runs.
std::atomic<std::int32_t> launchersRunning{0};
std::atomic<std::int32_t> workersRunning{0};
// Never destroyed: detached workers may still be finishing at process exit.
struct ScanEnd {
  std::mutex lock;
  std::condition_variable ended;
};

ScanEnd& TheScanEnd() {
  static ScanEnd& end = *new ScanEnd;
  return end;
}

bool AnySlotBusy() {
  for (int slot = 1; slot <= kMaxSlots; ++slot) {
    if (slotBusy[slot] != 0) return true;
  }
  return false;
}

void CountOut(std::atomic<std::int32_t>& running) {
  std::lock_guard<std::mutex> guard(TheScanEnd().lock);
  running -= 1;
  TheScanEnd().ended.notify_all();
}

void ShowWorkerProgress(std::int32_t finished, std::int32_t needed) {
  std::int32_t permille = needed > 0 ? static_cast<std::int32_t>(1000LL * finished / needed) : 0;
  ProgressPermille = permille;
  UI().ShowProgress(permille, std::to_string(permille / 10));
}

// What happened to a taken row.
enum class Outcome { Stored, Failed, Aborted };

Outcome Download(int slot, const ResultStore::TakenRow& taken) {
  std::string link = taken.link;
  if (link.compare(0, 7, "http://") == 0) link.erase(0, 7);
  std::size_t slash = link.find('/');
  std::string host = link.substr(0, slash);
  std::string path = slash == std::string::npos ? std::string() : link.substr(slash);
  const SiteId site = SiteOfHost(host);

  for (int attempts = 0;;) {
    UI().ShowWorkerRow(WorkerBlock::DeepScan, slot, "http://" + host + path, WorkerLight::Downloading, site);
    if (DeepScanAbort != 0) return Outcome::Aborted;
    std::string page = HttpGet(host, path, 1, 1);
    AdText ad = ExtractAdText(host, page);
    if (ad.text.size() >= 50) {
      Results().StoreDeepScanText(taken, link, ad.text, ad.date);
      return Outcome::Stored;
    }
    if (++attempts >= 5) {
      if (AppSettings().AudioPrompts != 0) UI().Speak("Oh no! Deep scanning failed!");
      UI().ShowMessage("Error",
                       "I'm having trouble downloading " + path + " from the server " + host +
                           ". Aborting deep scan, sorry.",
                       MessageIcon::Error, MessageButtons::Ok);
      return Outcome::Failed;
    }
    if (!RetryCountdown(slot, true, host, site, DeepScanAbort)) return Outcome::Aborted;
  }
}

void Worker(int slot) {
  DeepScanActive = 1;
  StartSearchTimingIfIdle();
  UI().DeepScanStateChanged(true);
  const bool overrideRss = AppSettings().OverrideRSS != 0;
  std::int32_t needed = SearchRunning == 0 ? Results().CountRowsNeedingText(overrideRss) : 0;
  std::int32_t finished = 0;

  bool outOfWork = false;
  for (;;) {
    if (SearchRunning == 0) ShowWorkerProgress(finished, needed);
    ResultStore::TakenRow taken = Results().TakeRowForDeepScan(overrideRss);
    if (taken.row == 0) {
      outOfWork = true;
      break;
    }
    if (taken.link.empty()) {
      Results().MarkRowError(taken.row);
      outOfWork = true;
      break;
    }
    Outcome outcome = Download(slot, taken);
    if (outcome != Outcome::Stored) {
      // The row goes back to what it held, so a later deep scan takes it
      // again (and a feed description is not lost).
      Results().ReturnTakenRow(taken);
      break;
    }
    if (SearchRunning == 0) ++finished;
  }

  if (outOfWork && SearchRunning == 0) {
    UI().ShowStatusPart(kStatusPartRequest, "");
    ProgressPermille = 1000;
    UI().ShowProgress(1000, "Inactive");
    if (AppSettings().AudioPrompts != 0) UI().Speak("Deep scanning complete!");
  }

  UI().ShowWorkerRow(WorkerBlock::DeepScan, slot, "", WorkerLight::Idle, SiteId::None);
  slotBusy[slot] = 0;
  if (!AnySlotBusy()) {
    if (SearchRunning == 0) EndSearchTiming();
    UI().DeepScanStateChanged(false);
    DeepScanActive = 0;
  }
  CountOut(workersRunning);
}

void Launcher() {
  int limit = std::min(std::max(AppSettings().MaxThreads2, 1), kMaxSlots);
  for (int slot = 1; slot <= limit; ++slot) {
    // Claiming the slot here, not in the worker, keeps two launchers from
    // starting two workers on one slot.
    std::int32_t idle = 0;
    if (!slotBusy[slot].compare_exchange_strong(idle, 1)) continue;
    workersRunning += 1;
    if (!platform::StartDetachedThread([slot] { Worker(slot); })) {
      slotBusy[slot] = 0;
      CountOut(workersRunning);
      continue;
    }
    platform::SleepMs(1000);
  }
  CountOut(launchersRunning);
}

}  // namespace

void StartDeepScanLauncher() {
  launchersRunning += 1;
  if (!platform::StartDetachedThread(Launcher)) CountOut(launchersRunning);
}

void StartDeepScan() {
  if (DeepScanActive != 0) {
    DeepScanAbort = 1;
    return;
  }
  if (Results().CountRowsForDeepScan(AppSettings().OverrideRSS != 0) == 0) {
    UI().ShowMessage("No worries", "Everything has already been downloaded, so there's no need to do a deep scan.",
                     MessageIcon::Information, MessageButtons::Ok);
    return;
  }
  DeepScanAbort = 0;
  UI().ShowDeepScanRows();
  UI().ShowProgress(ProgressPermille.load(), "Scanning");
  DeepScanActive = 1;
  StartDeepScanLauncher();
}

void WaitForDeepScanEnd() {
  std::unique_lock<std::mutex> guard(TheScanEnd().lock);
  while (launchersRunning != 0 || workersRunning != 0) {
    TheScanEnd().ended.wait_for(guard, std::chrono::milliseconds(150));
  }
  // A command whose launcher found every slot busy leaves the flag set with
  // no worker; nothing is running now.
  DeepScanActive = 0;
}

}  // namespace vemtrix
