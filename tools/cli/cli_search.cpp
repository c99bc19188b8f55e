// search and deep: a whole search run (and deep scan) headless, and the
// text of one ad page.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <thread>

#include "catalogs/catalog_files.h"
#include "catalogs/search_plan.h"
#include "commands/run_summary.h"
#include "commands/search_commands.h"
#include "core/current_search.h"
#include "core/frontend.h"
#include "core/result_store.h"
#include "core/settings.h"
#include "harvest/ad_text.h"
#include "harvest/deep_scan.h"
#include "harvest/http_get.h"
#include "harvest/search_run.h"
#include "platform/platform.h"
#include "tools/cli/cli.h"

namespace vemtrix::cli {

namespace {

// Ctrl-C during --repeat: the run under way is aborted (and then saved), and
// no further run starts.
std::atomic<int> interrupted{0};

extern "C" void OnInterrupt(int) {
  interrupted = 1;
  AbortFlag = 1;
  DeepScanAbort = 1;
}

// How long one minute of --repeat lasts: 60 seconds, or, for tests of the
// repeat that cannot wait minutes, the milliseconds VEMTRIX_CLI_MINUTE_MS names.
int MinuteMs() {
  const char* text = std::getenv("VEMTRIX_CLI_MINUTE_MS");
  int ms = text != nullptr ? std::atoi(text) : 0;
  return ms > 0 ? ms : 60000;
}

// Waits the minutes between two runs; false when Ctrl-C ended the wait.
bool WaitMinutes(int minutes) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::int64_t{minutes} * MinuteMs());
  while (interrupted == 0) {
    auto left = end - std::chrono::steady_clock::now();
    if (left <= std::chrono::steady_clock::duration::zero()) return true;
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(left, std::chrono::milliseconds(100)));
  }
  return false;
}

// A whole number from first to last in option name's value (0 when absent);
// -1 (usage printed into status) when it is something else.
int WholeOption(const Arguments& args, const std::string& name, int first, int last, int& status) {
  if (!args.options.count(name)) return 0;
  const std::string& text = args.options.at(name);
  int value = text.size() <= 5 && !text.empty() && text.find_first_not_of("0123456789") == std::string::npos
                  ? std::atoi(text.c_str())
                  : -1;
  if (value < first || value > last) {
    status = Usage("--" + name + " needs a whole number from " + std::to_string(first) + " to " +
                   std::to_string(last));
    return -1;
  }
  return value;
}

// Rows first..last of the store, one line each.
void PrintRows(std::int32_t first, std::int32_t last) {
  std::string out;
  for (std::int32_t row = first; row <= last; ++row) {
    SearchResult result = Results().Row(row);
    for (int field = 1; field <= kResultFieldCount; ++field) {
      out += Escape(result.Field(field));
      out += field == kResultFieldCount ? "\n" : "\t";
    }
  }
  Print(out);
  std::fflush(stdout);
}

}  // namespace

int RunSearch(const Arguments& args) {
  int status = 0;
  const bool saved = args.options.count("vem") != 0;
  if (!CheckOptions(args,
                    {"terms", "cities", "sections", "catalogs", "set", "connect-to", "deep", "vem", "no-retry-wait",
                     "time-cap", "new-only", "repeat", "runs"},
                    saved ? std::vector<std::string>{} : std::vector<std::string>{"terms", "cities", "sections"},
                    status) ||
      !ApplyConnectTo(args, status) || !ApplyTestLimits(args, status)) {
    return status;
  }
  if (saved && (args.options.count("terms") || args.options.count("cities") || args.options.count("sections"))) {
    return Usage("--vem takes the terms, cities and sections from the saved search");
  }
  if (args.options.count("runs") && !args.options.count("repeat")) return Usage("--runs goes with --repeat");
  const int repeatMinutes = WholeOption(args, "repeat", kMinRepeatMinutes, kMaxRepeatMinutes, status);
  const int runs = WholeOption(args, "runs", 1, 99999, status);
  if (repeatMinutes < 0 || runs < 0) return status;
  const bool repeating = repeatMinutes > 0;
  // Repeated runs print what each run found new, as it comes.
  const bool newOnly = HasFlag(args, "new-only") || repeating;

  ApplySets(args);
  LoadCatalogsFrom(Option(args, "catalogs", platform::ProgramDirectory()));
  // The whole file and a run's worth of new results: a run of a saved search
  // must not drop what the file holds.
  if (saved) SizeStoreForSavedSearch(Option(args, "vem"), AppSettings().MaxResults);
  Results().Create();

  ConsoleFrontend console;
  SetFrontend(&console);
  SearchInputs inputs{Option(args, "cities"), Option(args, "sections"), Option(args, "terms")};
  if (saved && !OpenSavedSearch(Option(args, "vem"))) {
    SetFrontend(nullptr);
    return kExitFileProblem;
  }
  if (saved && CurrentSearchPartlyLoaded()) {
    SetFrontend(nullptr);
    std::cerr << "vemtrix-cli: the saved search holds more results than the results list can "
                 "(at most " << FormatCount(kMaxMaxResults) << "); it is left as it was\n";
    return kExitFileProblem;
  }
  if (saved) inputs = SelectionsFromCatalogs(CurrentSearch().terms, AppSettings());
  if (repeating) std::signal(SIGINT, OnInterrupt);

  for (int run = 1;; ++run) {
    const std::int32_t rowsBefore = Results().Count();
    const std::int32_t overflowsBefore = OverflowsReported;
    const std::int32_t givenUpBefore = SearchJobsGivenUp + DeepScanAdsGivenUp;
    bool started = StartSearchRun(inputs, AppSettings());
    if (started) WaitForSearchRunEnd();
    if (started && HasFlag(args, "deep") && interrupted == 0) {
      StartDeepScan(AppSettings());
      WaitForDeepScanEnd();
    }
    // Saved back with the new results, as Go! and then Save would.
    bool savedBack = !saved || !started || SaveSearch(AppSettings());
    if (!started) {
      std::cerr << "vemtrix-cli: the search run could not start\n";
      status = kExitFileProblem;
      break;
    }
    if (!savedBack && !repeating) {
      status = kExitFileProblem;
      break;
    }
    const std::int32_t count = Results().Count();
    PrintRows(newOnly ? rowsBefore + 1 : 1, count);
    if (!newOnly) Print(std::to_string(count) + " results\n");
    // The status of the run just done: with --repeat, the last run's is given.
    status = !savedBack                              ? kExitFileProblem
             : OverflowsReported != overflowsBefore ? kExitOverflow
             : SearchJobsGivenUp + DeepScanAdsGivenUp != givenUpBefore ? kExitGaveUp
                                                                         : kExitDone;
    if (!repeating || interrupted != 0 || (runs > 0 && run >= runs)) break;
    if (!WaitMinutes(repeatMinutes)) break;
  }
  SetFrontend(nullptr);
  return status;
}

int RunDeep(const Arguments& args) {
  int status = 0;
  if (!CheckOptions(args, {"link", "connect-to", "no-retry-wait", "time-cap"}, {"link"}, status) ||
      !ApplyConnectTo(args, status) || !ApplyTestLimits(args, status)) {
    return status;
  }
  std::string host;
  std::string path;
  SplitAdLink(Option(args, "link"), host, path);

  // The deep scan's own download of one ad: its judgement, its retries and
  // its give-up message.
  ConsoleFrontend console;
  SetFrontend(&console);
  DeepScanAbort = 0;
  AdText ad;
  AdDownload outcome = DownloadAdText(1, host, path, DeepScanSettingsFrom(AppSettings()), ad);
  SetFrontend(nullptr);
  if (outcome != AdDownload::Done) {
    std::cerr << "vemtrix-cli: the ad's page could not be downloaded\n";
    return kExitGaveUp;
  }
  Print(Escape(ad.text) + "\n" + (ad.date.empty() ? std::string() : ad.date + "\n"));
  return kExitDone;
}

}  // namespace vemtrix::cli
