#include "commands/search_commands.h"

#include "catalogs/search_plan.h"
#include "core/current_search.h"
#include "core/frontend.h"
#include "core/result_store.h"
#include "core/text.h"
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
  UI().ShowProgress(ProgressPermille.load());
  UI().ShowRunState(RunState::Scanning);
  DeepScanActive = 1;
  StartDeepScanLauncher(scan);
}

void StartNewSearch(const std::string& name) {
  CurrentSearch().name = name;
  NewThisRun.store(0);
  Results().Clear();
}

bool CurrentSearchPartlyLoaded() {
  const PartialLoad& partial = CurrentSearch().partial;
  return partial.inFile > partial.loaded && partial.storeGeneration == Results().Generation();
}

namespace {

// Whether cleanName names the file a partial load came from (file names
// differ only in letter case on Windows).
bool SameSearchFile(const std::string& cleanName, const PartialLoad& partial) {
  return ToLower(cleanName) == ToLower(partial.name);
}

}  // namespace

bool SaveSearch(Settings& settings) {
  SearchDefinition& search = CurrentSearch();
  search.name = CleanSearchName(search.name);
  settings.CurrentSearchName = search.name;
  UI().CurrentSearchChanged();
  // Saving a partial load over its own file would delete every result that
  // did not fit: only when the user says so.
  if (CurrentSearchPartlyLoaded() && SameSearchFile(search.name, search.partial)) {
    MessageAnswer answer =
        UI().ShowMessage("Warning",
                         "Only " + FormatCount(search.partial.loaded) + " of this search's " +
                             FormatCount(search.partial.inFile) +
                             " results could be loaded, because the results list is full. Saving now would "
                             "remove the others from the file. Save anyway?",
                         MessageIcon::Warning, MessageButtons::YesNoDefaultNo);
    if (answer != MessageAnswer::Yes) return false;
  }
  std::string path = SearchFilePath(search.name);
  if (!platform::WriteWholeFile(path, FormatSavedSearch(search.name, search.terms))) {
    UI().ShowMessage("Error",
                     "The search could not be saved to \"" + path +
                         "\". The folder may be read-only, the disk full, or the file in use. "
                         "Your results are still here.",
                     MessageIcon::Error, MessageButtons::Ok);
    return false;
  }
  // The file now holds what the store holds.
  if (SameSearchFile(search.name, search.partial)) search.partial = PartialLoad();
  Dirty = 0;
  return true;
}

bool LoadSearch(bool quiet, Settings& settings) { return LoadSearch(quiet, settings, settings.CurrentSearchName); }

bool LoadSearch(bool quiet, Settings& settings, const std::string& keepName) {
  SearchDefinition& search = CurrentSearch();
  search.name = CleanSearchName(search.name);
  std::string path = SearchFilePath(search.name);
  if (platform::FileExists(path) && !LooksLikeSavedSearch(path)) {
    // Nothing of the file is taken: the current search keeps its name,
    // terms, marks and results.
    const std::string refused = search.name;
    search.name = keepName;
    UI().CurrentSearchChanged();
    UI().ShowMessage("Error", "\"" + refused + "\" is not a saved search.", MessageIcon::Error, MessageButtons::Ok);
    return false;
  }
  settings.CurrentSearchName = search.name;
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
  const std::string fileName = search.name;
  SavedSearchHeader header = ReadSavedSearch(path, search.name, settings.DiscardSearches != 0);

  search.name = header.name;
  search.terms = header.terms;
  search.partial = PartialLoad();
  settings.CurrentSearchName = header.name;
  UI().ResultListRebuilt();
  UI().ShowResultCounters(0, Results().Count());
  UI().CurrentSearchChanged();
  UI().CatalogMarksChanged();
  if (header.leftOutAsOld > 0) {
    UI().ShowRequestLine("Loaded " + FormatCount(header.loaded) + " results; " + FormatCount(header.leftOutAsOld) +
                         " older than two months were left out.");
  }
  if (header.inFile > header.loaded) {
    // Remembered under the name of the file read (a file may name itself
    // otherwise): a save to that file must ask first.
    search.partial = {fileName, header.loaded, header.inFile, Results().Generation()};
    ResultStore::ReportOverflow(header.loaded, settings.AudioPrompts != 0,
                                "Only " + FormatCount(header.loaded) + " of this search's " +
                                    FormatCount(header.inFile) +
                                    " results could be loaded. Saving the search now would remove the others "
                                    "from its file.");
  }
  return true;
}

}  // namespace vemtrix
