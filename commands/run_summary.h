// What the user reads about a search run that ended: the status bar's line
// and the lines of the searches it gave up.
#pragma once

#include <string>

#include "core/frontend.h"

namespace vemtrix {

// "Search complete: N results, M new", with "; K of J searches failed" when
// searches were given up; "Search aborted: N results, M new" for a run that
// Abort stopped. Counts with thousands separators.
std::string RunSummaryText(const RunSummary& summary);

// One given-up search as the list of failed searches shows it:
// "TERM in SECTION in CITY: REASON".
std::string FailedSearchLine(const FailedSearch& failed);

}  // namespace vemtrix
