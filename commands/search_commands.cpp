#include "commands/search_commands.h"

#include "catalogs/search_plan.h"
#include "core/current_search.h"
#include "core/frontend.h"
#include "core/result_store.h"
#include "harvest/deep_scan.h"
#include "output/saved_search.h"
#include "platform/platform.h"

namespace vemtrix {

bool StartSearchRun(const SearchInputs& inputs, const Settings& settings) {
  if (SearchRunning != 0) return false;
  return StartSearchPlan(PlanSearch(inputs, settings), SearchRunSettingsFrom(settings));
}

void StartDeepScan(const Settings& settings) {
  if (DeepScanActive != 0) {
    DeepScanAbort = 1;
    return;
  }
  const DeepScanSettings scan = DeepScanSettingsFrom(settings);
  if (Results().CountRowsForDeepScan(scan.overrideRss) == 0) {
    UI().ShowMessage("No worries", "Everything has already been downloaded, so there's no need to do a deep scan.",
                     MessageIcon::Information, MessageButtons::Ok);
    return;
  }
  DeepScanAbort = 0;
  UI().ShowDeepScanRows();
  UI().ShowProgress(ProgressPermille.load(), "Scanning");
  DeepScanActive = 1;
  StartDeepScanLauncher(scan);
}

bool SaveSearch(Settings& settings) {
  SearchDefinition& search = CurrentSearch();
  search.name = CleanSearchName(search.name);
  settings.CurrentSearchName = search.name;
  UI().CurrentSearchChanged();
  std::string path = SearchFilePath(search.name);
  if (!platform::WriteWholeFile(path, FormatSavedSearch(search.name, search.terms))) {
    UI().ShowMessage("Error",
                     "The search could not be saved to \"" + path +
                         "\". The folder may be read-only, the disk full, or the file in use. "
                         "Your results are still here.",
                     MessageIcon::Error, MessageButtons::Ok);
    return false;
  }
  Dirty = 0;
  return true;
}

bool LoadSearch(bool quiet, Settings& settings) {
  SearchDefinition& search = CurrentSearch();
  search.name = CleanSearchName(search.name);
  settings.CurrentSearchName = search.name;
  std::string path = SearchFilePath(search.name);
  if (!platform::FileExists(path)) {
    UI().CurrentSearchChanged();
    if (!quiet) {
      UI().ShowMessage("Warning", "\"" + search.name + "\" can't be found. Perhaps it is a new search?",
                       MessageIcon::Warning, MessageButtons::Ok);
    }
    return false;
  }
  Results().Clear();
  NewThisRun = 0;
  SavedSearchHeader header = ReadSavedSearch(path, search.name, settings.DiscardSearches != 0);

  search.name = header.name;
  search.terms = header.terms;
  settings.CurrentSearchName = header.name;
  UI().ResultListRebuilt();
  UI().ShowResultCounters(0, Results().Count());
  UI().CurrentSearchChanged();
  UI().CatalogMarksChanged();
  return true;
}

}  // namespace vemtrix
