#include "harvest/search_run.h"

#include <array>
#include <condition_variable>
#include <mutex>

#include "core/frontend.h"
#include "harvest/sites.h"
#include "platform/platform.h"

namespace vemtrix {
namespace {

// Worker slots. The dispatcher fills a free slot and starts its worker; the
// worker empties it at its end. The lock guards the fields; the condition
// wakes a dispatcher waiting for a free slot as soon as one frees.
struct Slots {
  std::mutex lock;
  std::condition_variable freed;
  std::array<SearchJob, kMaxWorkerSlots + 1> jobs;  // 1-based; free when term is empty
  std::array<bool, kMaxWorkerSlots + 1> busy{};
};

// Never destroyed: detached workers may still be finishing at process exit.
Slots& TheSlots() {
  static Slots& slots = *new Slots;
  return slots;
}

EndSignal& RunEnd() {
  static EndSignal& end = *new EndSignal;
  return end;
}

// Error pages (4xx) the run's jobs got: they count as pages without ads, and
// the last one stays in the status bar when the run ends, so the user sees
// that a search did not really run.
struct ErrorPages {
  std::mutex lock;
  int count = 0;
  std::string last;
};

ErrorPages& RunErrorPages() {
  static ErrorPages& pages = *new ErrorPages;
  return pages;
}

void NoteErrorPage(const SearchJob& job, const QueryOptions& options, int status) {
  const std::string host = NormaliseHost(job.host);
  std::string text = "Error " + std::to_string(status) + " for " + HttpAddress(host) +
                     RequestPath(job.term, host, job.sectionCode, options);
  UI().ShowRequestLine(text);
  ErrorPages& pages = RunErrorPages();
  std::lock_guard<std::mutex> guard(pages.lock);
  pages.count += 1;
  pages.last = std::move(text);
}

// What the run's summary collects while the workers run (the rows added and
// the jobs given up, with their reasons), and the last run's summary.
struct RunRecord {
  std::mutex lock;
  std::int32_t added = 0;
  std::vector<FailedSearch> failed;
  RunSummary last;
};

RunRecord& TheRunRecord() {
  static RunRecord& record = *new RunRecord;
  return record;
}

void NoteGivenUp(const SearchJob& job, const HttpOutcome& outcome) {
  FailedSearch failed{job.term, job.cityName, job.sectionName, job.host, HttpFailure(outcome)};
  // A failed attempt with nothing to say about it still failed.
  if (failed.reason.empty()) failed.reason = "no answer";
  RunRecord& record = TheRunRecord();
  std::lock_guard<std::mutex> guard(record.lock);
  record.failed.push_back(std::move(failed));
}

void NoteAdded() {
  RunRecord& record = TheRunRecord();
  std::lock_guard<std::mutex> guard(record.lock);
  record.added += 1;
}

// The request part at the end of a run: empty, or the error pages met.
std::string ErrorPagesSummary() {
  ErrorPages& pages = RunErrorPages();
  std::lock_guard<std::mutex> guard(pages.lock);
  if (pages.count == 0) return std::string();
  if (pages.count == 1) return pages.last;
  return FormatCount(pages.count) + " error pages, the last: " + pages.last;
}

void FreeSlot(int slot) {
  Slots& slots = TheSlots();
  std::lock_guard<std::mutex> guard(slots.lock);
  slots.jobs[slot].host.clear();
  slots.jobs[slot].sectionCode.clear();
  slots.jobs[slot].term.clear();
  slots.busy[slot] = false;
  slots.freed.notify_all();
}

void Worker(int slot, const SearchJob& job, const SearchRunSettings& settings) {
  const SiteId site = SiteOfHost(NormaliseHost(job.host));
  AdLists ads;
  int failures = 0;
  for (;;) {
    UI().ShowWorkerRow(WorkerBlock::Search, slot, job.term + " in " + job.sectionName + " in " + job.cityName,
                       WorkerLight::Downloading, site);
    if (AbortFlag != 0) break;
    ads = AdLists(static_cast<std::size_t>(settings.maxResults));
    HttpOutcome outcome;
    int count = QuerySite(job.term, job.host, job.sectionCode, settings.query, ads, &outcome);
    // After Abort a failed download ends the job quietly: no countdown, and
    // no give-up message for a job the user stopped.
    if (count == -1 && AbortFlag != 0) break;
    if (count == -1) {
      if (++failures >= 5) {
        SearchJobsGivenUp += 1;
        NoteGivenUp(job, outcome);
        // Only one give-up message at a time; the others give up quietly.
        if (ErrorBoxShown.exchange(1) == 0) {
          if (settings.audioPrompts) UI().Speak("Oh no! Search failed!");
          UI().ShowMessage("Error",
                           "I'm having trouble connecting to the search for " + job.term + " on the server " +
                               job.host + " in the section " + job.sectionCode + ". Aborting search, sorry.",
                           MessageIcon::Error, MessageButtons::Ok);
          ErrorBoxShown = 0;
        }
        break;
      }
      if (!RetryCountdown(slot, false, job.cityName, site, [] { return AbortFlag != 0; })) break;
      continue;
    }
    if (outcome.status >= 400 && outcome.status <= 499) NoteErrorPage(job, settings.query, outcome.status);
    for (std::size_t i = 0; i < ads.Count(); ++i) {
      bool added = false;
      if (!Results().AddFromSearch(settings.append, ads.dates[i], ads.titles[i], ads.links[i], ads.descriptions[i],
                                   job.cityName, job.sectionName, &added)) {
        break;  // the list is full: this job ends
      }
      if (added) NoteAdded();
      if (added && (settings.autoDeepScan || DeepScanActive != 0)) StartDeepScanLauncher(settings.deepScan);
    }
    break;
  }
  UI().ShowWorkerRow(WorkerBlock::Search, slot, "", WorkerLight::Idle, SiteId::None);
  FreeSlot(slot);
}

// Waits (polling every 150 ms, woken early when a worker frees one) for a
// free slot among the first limit and claims it with job.
int ClaimSlot(const SearchJob& job, int limit) {
  Slots& slots = TheSlots();
  std::unique_lock<std::mutex> guard(slots.lock);
  for (;;) {
    for (int slot = 1; slot <= limit; ++slot) {
      if (!slots.busy[slot]) {
        slots.busy[slot] = true;
        slots.jobs[slot] = job;
        return slot;
      }
    }
    slots.freed.wait_for(guard, std::chrono::milliseconds(150));
  }
}

void WaitForAllSlotsFree() {
  Slots& slots = TheSlots();
  std::unique_lock<std::mutex> guard(slots.lock);
  for (;;) {
    bool anyBusy = false;
    for (int slot = 1; slot <= kMaxWorkerSlots; ++slot) anyBusy = anyBusy || slots.busy[slot];
    if (!anyBusy) return;
    slots.freed.wait_for(guard, std::chrono::milliseconds(150));
  }
}

void Dispatcher(const SearchPlan& plan, const SearchRunSettings& settings) {
  const int limit = WorkerSlotLimit(settings.maxThreads);
  bool aborted = false;
  for (const PlannedJob& planned : plan.jobs) {
    if (AbortFlag != 0) {
      aborted = true;
      break;
    }
    ShowProgressOf(planned.number, plan.total);
    int slot = ClaimSlot(planned.job, limit);
    if (!platform::StartDetachedThread([slot, job = planned.job, settings] { Worker(slot, job, settings); })) {
      FreeSlot(slot);
    }
  }
  if (!aborted && AbortFlag == 0) {
    ProgressPermille = 1000;
    UI().ShowProgress(1000);
    if (settings.audioPrompts) UI().Speak("Search complete!");
  }
  WaitForAllSlotsFree();
  EndSearchTiming();
  UI().SearchRunEnded();
  UI().ShowProgress(ProgressPermille.load());
  UI().ShowRunState(RunState::Inactive);
  UI().ShowRequestLine(ErrorPagesSummary());
  RunSummary summary;
  summary.results = Results().Count();
  summary.jobs = static_cast<std::int32_t>(plan.jobs.size());
  summary.aborted = aborted || AbortFlag != 0;
  {
    RunRecord& record = TheRunRecord();
    std::lock_guard<std::mutex> guard(record.lock);
    summary.added = record.added;
    summary.failed = record.failed;
    record.last = summary;
  }
  UI().ShowRunSummary(summary);
  RunEnd().Signal([] { SearchRunning = 0; });
}

}  // namespace

SearchRunSettings SearchRunSettingsFrom(const Settings& s) {
  SearchRunSettings settings;
  settings.query = QueryOptions::From(s);
  settings.maxResults = s.MaxResults;
  settings.maxThreads = s.MaxThreads;
  settings.audioPrompts = s.AudioPrompts != 0;
  settings.autoDeepScan = s.AutoDeepScan != 0;
  settings.append.keepFeedText = s.RSSdescription != 0;
  settings.append.audioPrompts = s.AudioPrompts != 0;
  settings.deepScan = DeepScanSettingsFrom(s);
  settings.deepScan.partOfSearchRun = true;
  return settings;
}

bool StartSearchPlan(SearchPlan plan, const SearchRunSettings& settings) {
  std::int32_t idle = 0;
  if (!SearchRunning.compare_exchange_strong(idle, 1)) return false;
  AbortFlag = 0;
  {
    ErrorPages& pages = RunErrorPages();
    std::lock_guard<std::mutex> guard(pages.lock);
    pages.count = 0;
    pages.last.clear();
  }
  {
    RunRecord& record = TheRunRecord();
    std::lock_guard<std::mutex> guard(record.lock);
    record.added = 0;
    record.failed.clear();
  }
  StartSearchTiming();
  AppSettings().SuperSearches += 1;
  if (!platform::StartDetachedThread(
          [plan = std::move(plan), settings] { Dispatcher(plan, settings); })) {
    SearchRunning = 0;
    return false;
  }
  return true;
}

RunSummary LastRunSummary() {
  RunRecord& record = TheRunRecord();
  std::lock_guard<std::mutex> guard(record.lock);
  return record.last;
}

void WaitForSearchRunEnd() {
  RunEnd().WaitUntil([] { return SearchRunning == 0; });
}

}  // namespace vemtrix
