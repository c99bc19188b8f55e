// A search run: one dispatcher thread hands each job of a search plan to one
// of up to MaxThreads workers; each worker queries its site, retries an
// unreachable one, and adds what it parsed to the result store. The plan
// itself comes from the catalogs (catalogs/search_plan.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/frontend.h"
#include "core/result_store.h"
#include "core/settings.h"
#include "harvest/deep_scan.h"
#include "harvest/query_site.h"
#include "harvest/worker_runs.h"

namespace vemtrix {

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

// What a search run reads from the settings, copied when it starts: the
// settings page may change the record while the run's threads work, and a
// change takes effect at the next run.
struct SearchRunSettings {
  QueryOptions query;
  std::int32_t maxResults = 25000;
  int maxThreads = 4;
  bool audioPrompts = false;
  bool autoDeepScan = false;
  AppendOptions append;
  DeepScanSettings deepScan;  // for deep scans the run's workers start
};
SearchRunSettings SearchRunSettingsFrom(const Settings& settings);

// Starts a run of plan: SearchRunning = 1, AbortFlag = 0, the start time,
// SuperSearches + 1, then the dispatcher. False when a run is active already
// or the thread could not start.
bool StartSearchPlan(SearchPlan plan, const SearchRunSettings& settings);

// Waits until SearchRunning is 0 (for tools and tests).
void WaitForSearchRunEnd();

// The summary of the last run that ended (the one Frontend::ShowRunSummary
// got); empty before the first.
RunSummary LastRunSummary();

}  // namespace vemtrix
