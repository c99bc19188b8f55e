// search and deep: a whole search run (and deep scan) headless, and the
// text of one ad page.
#include <iostream>

#include "catalogs/catalog_files.h"
#include "catalogs/search_plan.h"
#include "commands/search_commands.h"
#include "core/current_search.h"
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
  if (!CheckOptions(args, {"terms", "cities", "sections", "catalogs", "set", "connect-to", "deep", "vem"},
                    saved ? std::vector<std::string>{} : std::vector<std::string>{"terms", "cities", "sections"},
                    status) ||
      !ApplyConnectTo(args, status)) {
    return status;
  }
  if (saved && (args.options.count("terms") || args.options.count("cities") || args.options.count("sections"))) {
    return Usage("--vem takes the terms, cities and sections from the saved search");
  }
  ApplySets(args);
  LoadCatalogsFrom(Option(args, "catalogs", platform::ProgramDirectory()));
  Results().Create();

  ConsoleFrontend console;
  SetFrontend(&console);
  SearchInputs inputs{Option(args, "cities"), Option(args, "sections"), Option(args, "terms")};
  if (saved && !OpenSavedSearch(Option(args, "vem"))) {
    SetFrontend(nullptr);
    return 1;
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
    return 1;
  }
  if (!savedBack) return 1;

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
  return 0;
}

int RunDeep(const Arguments& args) {
  int status = 0;
  if (!CheckOptions(args, {"link", "connect-to"}, {"link"}, status) || !ApplyConnectTo(args, status)) {
    return status;
  }
  std::string link = Option(args, "link");
  if (link.compare(0, 7, "http://") == 0) link.erase(0, 7);
  std::size_t slash = link.find('/');
  std::string host = link.substr(0, slash);
  std::string path = slash == std::string::npos ? std::string() : link.substr(slash);

  ConsoleFrontend console;
  SetFrontend(&console);
  std::string page = HttpGet(host, path, HttpRedirect::Follow, HttpDisplay::StatusBar, AppSettings().UserAgent);
  SetFrontend(nullptr);
  AdText ad = ExtractAdText(host, page);
  if (ad.text.size() < 50) std::cerr << "vemtrix-cli: less than 50 characters of text: the download failed\n";
  Print(Escape(ad.text) + "\n" + (ad.date.empty() ? std::string() : ad.date + "\n"));
  return 0;
}

}  // namespace vemtrix::cli
