// A search run: one dispatcher thread expands the chosen cities, sections
// and terms into jobs and hands each to one of up to MaxThreads workers; each
// worker queries its site, retries an unreachable one, and adds what it
// parsed to the result store.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "core/site_id.h"

namespace vemtrix {

// Run-wide flags. SearchRunning is 1 from the start of a run until its end;
// AbortFlag asks the run to stop; ErrorBoxShown is 1 while a give-up message
// is on screen; ProgressPermille runs from 0 to 1000.
extern std::atomic<std::int32_t> SearchRunning;
extern std::atomic<std::int32_t> AbortFlag;
extern std::atomic<std::int32_t> ErrorBoxShown;
extern std::atomic<std::int32_t> ProgressPermille;

// What the user chose, as comma-separated lists: city keys, sections as
// "CL:code", "KJ:code", ... and the terms as typed.
struct SearchInputs {
  std::string SelectedCities;
  std::string SelectedSections;
  std::string Terms;
};

struct SearchJob {
  std::string term;
  std::string host;         // the city entry
  std::string sectionCode;  // as the site's query takes it
  std::string cityName;
  std::string sectionName;
};

// One combination of the expansion, in dispatch order. number counts every
// (city, section, term) combination from 0, skipped pairs included.
struct PlannedJob {
  SearchJob job;
  std::int64_t number = 0;
};

struct SearchPlan {
  std::int64_t total = 0;  // cities x sections x terms
  std::vector<PlannedJob> jobs;
};

// The inputs the Go! command collects: the marked cities and sections of the
// enabled sites, in the order Craigslist, Kijiji, Backpage, Daype and in
// catalog order, with the given terms.
SearchInputs SelectionsFromCatalogs(const std::string& terms);

// Expands the inputs with the catalogs and settings in force.
SearchPlan PlanSearch(const SearchInputs& inputs);

// Starts a run as the Go! command does: SearchRunning = 1, AbortFlag = 0,
// the start time, SuperSearches + 1, then the dispatcher. False when a run is
// active already or the thread could not start.
bool StartSearchRun(const SearchInputs& inputs);

// Waits until SearchRunning is 0 (for tools and tests).
void WaitForSearchRunEnd();

// A countdown of 25 to 35 seconds before a retry, shown on a worker row;
// false when stop became set (checked before every 100 ms sleep).
bool RetryCountdown(int slot, bool deepScan, const std::string& place, SiteId site,
                    const std::atomic<std::int32_t>& stop);

}  // namespace vemtrix
