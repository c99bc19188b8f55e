// A search's cities and sections as the catalogs tell them: the lists the
// Go! command collects from the marked rows, and their expansion into the
// jobs of a search run.
#pragma once

#include <string>

#include "core/settings.h"
#include "harvest/search_run.h"

namespace vemtrix {

// The inputs the Go! command collects: the marked cities and sections of the
// searched sites, in the order Craigslist, Kijiji, Backpage, Daype and in
// catalog order, with the given terms.
SearchInputs SelectionsFromCatalogs(const std::string& terms, const Settings& settings);

// Expands the inputs with the catalogs: cities x sections x terms, pairs of
// different sites skipped (but counted), one Daype section per city when
// the Daype feed is used. Cities of sites not searched yield nothing.
SearchPlan PlanSearch(const SearchInputs& inputs, const Settings& settings);

}  // namespace vemtrix
