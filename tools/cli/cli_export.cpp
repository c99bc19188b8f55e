// export: a saved search written out as CSV or HTML, as the program would.
#include <iostream>

#include "catalogs/catalog_files.h"
#include "core/price.h"
#include "core/result_store.h"
#include "core/settings.h"
#include "output/csv_export.h"
#include "output/html_output.h"
#include "platform/platform.h"
#include "tools/cli/cli.h"

namespace vemtrix::cli {

int RunExport(const Arguments& args) {
  int status = 0;
  if (!CheckOptions(args, {"vem", "csv", "html", "scope", "price-from", "price-to", "set", "catalogs"}, {"vem"}, status)) return status;
  const bool csv = args.options.count("csv") != 0;
  if (csv == (args.options.count("html") != 0)) return Usage("export needs one of --csv OUT and --html OUT");

  std::string scopeText = Option(args, "scope", "all");
  OutputRecords records;
  if (scopeText == "new") {
    records.scope = OutputScope::NewOnly;
  } else if (scopeText.rfind("filter:", 0) == 0) {
    records = {OutputScope::QuickFilter, scopeText.substr(7)};
  } else if (scopeText != "all") {
    return Usage("--scope is all, new or filter:TEXT");
  }
  // The quick filter's price boxes: a bound narrows any scope, and ads
  // without a price are then left out.
  if (!ParsePriceBound(Option(args, "price-from", ""), records.prices.from) ||
      !ParsePriceBound(Option(args, "price-to", ""), records.prices.to)) {
    return Usage("--price-from and --price-to take a whole number");
  }

  // The settings (the template among them) come from the file beside the
  // tool, with --set values over them.
  std::string settingsText;
  platform::ReadWholeFile(SettingsFilePath(), settingsText);
  settingsText += "\r\n";
  for (const std::string& line : args.sets) settingsText += line + "\r\n";
  AppSettings() = ParseSettingsText(settingsText);
  LoadCatalogsFrom(Option(args, "catalogs", platform::ProgramDirectory()));
  // An export takes every result of the file (up to the list's upper bound).
  SizeStoreForSavedSearch(Option(args, "vem"), 0);
  Results().CreateWithCapacity(AppSettings().MaxResults);

  ConsoleFrontend console;
  SetFrontend(&console);
  bool written = OpenSavedSearch(Option(args, "vem"));
  if (written) {
    written = csv ? ExportCsv(Option(args, "csv"), records, AppSettings())
                  : WriteHtml(Option(args, "html"), records, AppSettings());
  }
  SetFrontend(nullptr);
  if (!written) return kExitFileProblem;
  // Written, but without the results the list could not hold.
  return OverflowsReported != 0 ? kExitOverflow : kExitDone;
}

}  // namespace vemtrix::cli
