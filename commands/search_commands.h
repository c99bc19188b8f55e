// The search commands of the main window: Go! (starting a run), Deep Scan,
// Load and Save. Each takes the settings record it reads; the name and
// terms are the current search's (CurrentSearch()). Window thread only.
#pragma once

#include <string>

#include "core/settings.h"
#include "harvest/search_run.h"

namespace vemtrix {

// Starts a search run as Go! does once its checks have passed: the inputs
// are expanded with the catalogs, and what the run reads from settings is
// copied now, so later changes to the record wait for the next run. False
// when a run is active already or its thread could not start.
bool StartSearchRun(const SearchInputs& inputs, const Settings& settings);

// The Deep Scan command: asks an active deep scan to stop; otherwise starts
// one (with what it reads from settings copied now), or tells the user that
// there is nothing to do.
void StartDeepScan(const Settings& settings);

// Writes the current search (name cleaned for a file name, terms, catalog
// marks, results) and makes its name settings.CurrentSearchName. When the
// store holds only part of that very file (CurrentSearchPartlyLoaded), the
// user is asked first ("Only N of this search's M results could be
// loaded...", Yes/No, No by default); without a Yes nothing is written. On
// success Dirty is cleared; when the file cannot be written the user is
// told, Dirty stays set and any old file is untouched. Returns success.
bool SaveSearch(Settings& settings);

// Replaces the current search with the saved search named by the current
// search's name (cleaned), which also becomes settings.CurrentSearchName; the
// DiscardSearches setting leaves out old results. A missing file is reported
// unless quiet. When the results list fills up, the rest of the file is
// counted, the overflow is reported with what a save would lose, and the
// search remembers it (CurrentSearch().partial). Results left out as older
// than two months are counted on the status bar's request line. A file that
// is no saved search (LooksLikeSavedSearch) is refused with a message, quiet
// or not, and changes nothing: the search takes back keepName, the name it
// had before the file was chosen (without it, the name
// settings.CurrentSearchName holds). Returns whether a file was read.
bool LoadSearch(bool quiet, Settings& settings, const std::string& keepName);
bool LoadSearch(bool quiet, Settings& settings);

// New Search under name: the results list starts empty and the new-results
// counter at 0; the terms and the catalogs' marks are kept.
void StartNewSearch(const std::string& name);

// True while the store holds a load of the current search's file that
// stopped because the results list was full: until the store is created
// afresh (Clear, New Search, another load) or the search is saved.
bool CurrentSearchPartlyLoaded();

}  // namespace vemtrix
