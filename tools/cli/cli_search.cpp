// search and deep: a whole search run (and deep scan) headless, and the
// text of one ad page.
#include <iostream>

#include "catalogs/catalog_files.h"
#include "catalogs/search_plan.h"
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

int RunSearch(const Arguments& args) {
  int status = 0;
  const bool saved = args.options.count("vem") != 0;
  if (!CheckOptions(args,
                    {"terms", "cities", "sections", "catalogs", "set", "connect-to", "deep", "vem", "no-retry-wait",
                     "time-cap"},
                    saved ? std::vector<std::string>{} : std::vector<std::string>{"terms", "cities", "sections"},
                    status) ||
      !ApplyConnectTo(args, status) || !ApplyTestLimits(args, status)) {
    return status;
  }
  if (saved && (args.options.count("terms") || args.options.count("cities") || args.options.count("sections"))) {
    return Usage("--vem takes the terms, cities and sections from the saved search");
  }
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
  bool started = StartSearchRun(inputs, AppSettings());
  if (started) WaitForSearchRunEnd();
  if (started && HasFlag(args, "deep")) {
    StartDeepScan(AppSettings());
    WaitForDeepScanEnd();
  }
  // Saved back with the new results, as Go! and then Save would.
  bool savedBack = !saved || !started || SaveSearch(AppSettings());
  SetFrontend(nullptr);
  if (!started) {
    std::cerr << "vemtrix-cli: the search run could not start\n";
    return kExitFileProblem;
  }
  if (!savedBack) return kExitFileProblem;

  std::string out;
  std::int32_t count = Results().Count();
  for (std::int32_t row = 1; row <= count; ++row) {
    SearchResult result = Results().Row(row);
    for (int field = 1; field <= kResultFieldCount; ++field) {
      out += Escape(result.Field(field));
      out += field == kResultFieldCount ? "\n" : "\t";
    }
  }
  out += std::to_string(count) + " results\n";
  Print(out);
  if (OverflowsReported != 0) return kExitOverflow;
  if (SearchJobsGivenUp != 0 || DeepScanAdsGivenUp != 0) return kExitGaveUp;
  return kExitDone;
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
