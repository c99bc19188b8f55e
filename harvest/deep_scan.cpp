#include "harvest/deep_scan.h"

#include <algorithm>
#include <array>
#include <mutex>
#include <utility>
#include <vector>

#include "core/frontend.h"
#include "core/result_store.h"
#include "core/settings.h"
#include "harvest/ad_text.h"
#include "harvest/http_get.h"
#include "harvest/sites.h"
#include "harvest/worker_runs.h"
#include "platform/platform.h"

namespace vemtrix {

std::atomic<std::int32_t> DeepScanActive{0};
std::atomic<std::int32_t> DeepScanAbort{0};
std::atomic<std::int32_t> DeepScanLaunchersStarted{0};

namespace {

std::array<std::atomic<std::int32_t>, kMaxWorkerSlots + 1> slotBusy{};
// Threads started and not yet finished; the last thing each does is count
// itself out, so a waiter that sees 0 knows nothing of the scan still runs.
std::atomic<std::int32_t> launchersRunning{0};
std::atomic<std::int32_t> workersRunning{0};

EndSignal& ScanEnd() {
  static EndSignal& end = *new EndSignal;
  return end;
}

bool AnySlotBusy() {
  for (int slot = 1; slot <= kMaxWorkerSlots; ++slot) {
    if (slotBusy[slot] != 0) return true;
  }
  return false;
}

// Abort DS, or the Abort of the search run that started this scan.
bool StopRequested(const DeepScanSettings& settings) {
  return DeepScanAbort != 0 || (settings.partOfSearchRun && AbortFlag != 0);
}

void CountOut(std::atomic<std::int32_t>& running) {
  ScanEnd().Signal([&running] { running -= 1; });
}

// The launchers running now, each with its settings and whether it was asked
// again meanwhile. A search adds ads by the hundred and asks for a launcher
// after each; one already running with the same settings takes the request
// (it goes over the slots again) instead of a new thread per ad.
struct LaunchRequest {
  DeepScanSettings settings;
  bool again = false;
};
struct Launches {
  std::mutex lock;
  std::vector<LaunchRequest*> running;
};
Launches& TheLaunches() {
  static Launches& launches = *new Launches;
  return launches;
}

// True (and the request taken) when the launcher was asked again.
bool TakeAgain(LaunchRequest& request) {
  Launches& launches = TheLaunches();
  std::lock_guard<std::mutex> guard(launches.lock);
  return std::exchange(request.again, false);
}

// Ends the launcher's part in the list unless it was asked again meanwhile
// and no stop holds now (then it goes over the slots once more): false when
// it goes on. The stop is read under the lock, so a Deep Scan command that
// clears an old stop and then asks is never lost.
bool LeaveUnlessAskedAgain(LaunchRequest& request) {
  Launches& launches = TheLaunches();
  std::lock_guard<std::mutex> guard(launches.lock);
  if (std::exchange(request.again, false) && !StopRequested(request.settings)) return false;
  launches.running.erase(std::find(launches.running.begin(), launches.running.end(), &request));
  return true;
}

void Worker(int slot, const DeepScanSettings& settings) {
  DeepScanActive = 1;
  StartSearchTimingIfIdle();
  UI().DeepScanStateChanged(true);
  const bool overrideRss = settings.overrideRss;
  std::int32_t needed = SearchRunning == 0 ? Results().CountRowsNeedingText(overrideRss) : 0;
  std::int32_t finished = 0;

  bool outOfWork = false;
  for (;;) {
    if (SearchRunning == 0) ShowProgressOf(finished, needed);
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
    std::string host;
    std::string path;
    SplitAdLink(taken.link, host, path);
    AdText ad;
    if (DownloadAdText(slot, host, path, settings, ad) != AdDownload::Done) {
      // The row goes back to what it held, so a later deep scan takes it
      // again (and a feed description is not lost).
      Results().ReturnTakenRow(taken);
      break;
    }
    Results().StoreDeepScanText(taken, host + path, ad.text, ad.date);
    if (SearchRunning == 0) ++finished;
  }

  if (outOfWork && SearchRunning == 0) {
    UI().ShowRequestLine("");
    ProgressPermille = 1000;
    UI().ShowProgress(1000);
    UI().ShowRunState(RunState::Inactive);
    if (settings.audioPrompts) UI().Speak("Deep scanning complete!");
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

void Launcher(LaunchRequest* request) {
  const DeepScanSettings& settings = request->settings;
  const int limit = WorkerSlotLimit(settings.maxThreads);
  do {
    for (int slot = 1; slot <= limit && !StopRequested(settings); ++slot) {
      // Asked again: from the first slot, as a launcher of its own would.
      if (TakeAgain(*request)) slot = 1;
      // Claiming the slot here, not in the worker, keeps two launchers from
      // starting two workers on one slot.
      std::int32_t idle = 0;
      if (!slotBusy[slot].compare_exchange_strong(idle, 1)) continue;
      workersRunning += 1;
      if (!platform::StartDetachedThread([slot, settings] { Worker(slot, settings); })) {
        slotBusy[slot] = 0;
        CountOut(workersRunning);
        continue;
      }
      platform::SleepMs(1000);
    }
  } while (!LeaveUnlessAskedAgain(*request));
  delete request;
  CountOut(launchersRunning);
}

}  // namespace

void SplitAdLink(const std::string& link, std::string& host, std::string& path) { SplitHttpLink(link, host, path); }

AdPageAttempt FetchAdPage(const std::string& host, const std::string& path, const std::string& userAgent) {
  AdPageAttempt attempt;
  HttpOutcome outcome;
  std::string page =
      HttpGet(host, path, HttpRedirect::Follow, HttpDisplay::StatusBar, userAgent, &outcome, kDeepScanMaxPageBytes);
  attempt.problem = HttpFailure(outcome);
  if (!attempt.problem.empty()) return attempt;
  attempt.ad = ExtractAdText(host, page);
  // An expired posting may come with any status (a site may answer 404 or
  // 410 for it): the expiry rule comes first.
  if (attempt.ad.text.find(kExpiredNotice) != std::string::npos) {
    attempt.ok = true;
    return attempt;
  }
  if (outcome.status != 200) {
    attempt.problem = outcome.status == 0 ? "no HTTP status" : "status " + std::to_string(outcome.status);
  } else if (attempt.ad.text.size() < 50) {
    attempt.problem = "less than 50 characters of text";
  } else {
    attempt.ok = true;
  }
  if (!attempt.ok) attempt.ad = AdText();
  return attempt;
}

AdDownload DownloadAdText(int slot, const std::string& host, const std::string& path,
                          const DeepScanSettings& settings, AdText& ad) {
  const SiteId site = SiteOfHost(host);
  for (int attempts = 0;;) {
    UI().ShowWorkerRow(WorkerBlock::DeepScan, slot, HttpAddress(host) + path, WorkerLight::Downloading, site);
    if (StopRequested(settings)) return AdDownload::Aborted;
    AdPageAttempt attempt = FetchAdPage(host, path, settings.userAgent);
    if (attempt.ok) {
      ad = std::move(attempt.ad);
      return AdDownload::Done;
    }
    // Stopped while the page downloaded: no retry and no give-up message.
    if (StopRequested(settings)) return AdDownload::Aborted;
    if (++attempts >= 5) {
      DeepScanAdsGivenUp += 1;
      if (settings.audioPrompts) UI().Speak("Oh no! Deep scanning failed!");
      UI().ShowMessage("Error",
                       "I'm having trouble downloading " + path + " from the server " + host +
                           ". Aborting deep scan, sorry.",
                       MessageIcon::Error, MessageButtons::Ok);
      return AdDownload::Failed;
    }
    if (!RetryCountdown(slot, true, host, site, [&settings] { return StopRequested(settings); })) {
      return AdDownload::Aborted;
    }
  }
}

DeepScanSettings DeepScanSettingsFrom(const Settings& s) {
  DeepScanSettings settings;
  settings.overrideRss = s.OverrideRSS != 0;
  settings.audioPrompts = s.AudioPrompts != 0;
  settings.maxThreads = s.MaxThreads2;
  settings.userAgent = s.UserAgent;
  return settings;
}

void StartDeepScanLauncher(const DeepScanSettings& settings) {
  Launches& launches = TheLaunches();
  auto* request = new LaunchRequest{settings};
  {
    std::lock_guard<std::mutex> guard(launches.lock);
    for (LaunchRequest* running : launches.running) {
      if (running->settings == settings) {
        running->again = true;
        delete request;
        return;
      }
    }
    launches.running.push_back(request);
    launchersRunning += 1;
  }
  DeepScanLaunchersStarted += 1;
  if (!platform::StartDetachedThread([request] { Launcher(request); })) {
    {
      std::lock_guard<std::mutex> guard(launches.lock);
      launches.running.erase(std::find(launches.running.begin(), launches.running.end(), request));
    }
    delete request;
    CountOut(launchersRunning);
  }
}

void WaitForDeepScanEnd() {
  ScanEnd().WaitUntil([] { return launchersRunning == 0 && workersRunning == 0; });
  // A command whose launcher found every slot busy leaves the flag set with
  // no worker; nothing is running now.
  DeepScanActive = 0;
}

}  // namespace vemtrix
