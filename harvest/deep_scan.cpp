#include "harvest/deep_scan.h"

#include <array>

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

void CountOut(std::atomic<std::int32_t>& running) {
  ScanEnd().Signal([&running] { running -= 1; });
}

// What happened to a taken row.
enum class Outcome { Stored, Failed, Aborted };

Outcome Download(int slot, const ResultStore::TakenRow& taken, const DeepScanSettings& settings) {
  std::string link = taken.link;
  if (link.compare(0, 7, "http://") == 0) link.erase(0, 7);
  std::size_t slash = link.find('/');
  std::string host = link.substr(0, slash);
  std::string path = slash == std::string::npos ? std::string() : link.substr(slash);
  const SiteId site = SiteOfHost(host);

  for (int attempts = 0;;) {
    UI().ShowWorkerRow(WorkerBlock::DeepScan, slot, "http://" + host + path, WorkerLight::Downloading, site);
    if (DeepScanAbort != 0) return Outcome::Aborted;
    std::string page = HttpGet(host, path, HttpRedirect::Follow, HttpDisplay::StatusBar, settings.userAgent);
    AdText ad = ExtractAdText(host, page);
    if (ad.text.size() >= 50) {
      Results().StoreDeepScanText(taken, link, ad.text, ad.date);
      return Outcome::Stored;
    }
    if (++attempts >= 5) {
      if (settings.audioPrompts) UI().Speak("Oh no! Deep scanning failed!");
      UI().ShowMessage("Error",
                       "I'm having trouble downloading " + path + " from the server " + host +
                           ". Aborting deep scan, sorry.",
                       MessageIcon::Error, MessageButtons::Ok);
      return Outcome::Failed;
    }
    if (!RetryCountdown(slot, true, host, site, DeepScanAbort)) return Outcome::Aborted;
  }
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
    Outcome outcome = Download(slot, taken, settings);
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

void Launcher(const DeepScanSettings& settings) {
  const int limit = WorkerSlotLimit(settings.maxThreads);
  for (int slot = 1; slot <= limit; ++slot) {
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
  CountOut(launchersRunning);
}

}  // namespace

DeepScanSettings DeepScanSettingsFrom(const Settings& s) {
  DeepScanSettings settings;
  settings.overrideRss = s.OverrideRSS != 0;
  settings.audioPrompts = s.AudioPrompts != 0;
  settings.maxThreads = s.MaxThreads2;
  settings.userAgent = s.UserAgent;
  return settings;
}

void StartDeepScanLauncher(const DeepScanSettings& settings) {
  launchersRunning += 1;
  if (!platform::StartDetachedThread([settings] { Launcher(settings); })) CountOut(launchersRunning);
}

void WaitForDeepScanEnd() {
  ScanEnd().WaitUntil([] { return launchersRunning == 0 && workersRunning == 0; });
  // A command whose launcher found every slot busy leaves the flag set with
  // no worker; nothing is running now.
  DeepScanActive = 0;
}

}  // namespace vemtrix
