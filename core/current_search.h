// The current search as the window shows and edits it: its name (the name
// box) and its terms (the terms box). Its chosen cities and sections are the
// catalogs' selection marks; its results are the result store.
#pragma once

#include <string>

namespace vemtrix {

struct SearchDefinition {
  std::string name = "default";
  std::string terms;
};

// The current search, shown and edited by the window (window thread only).
SearchDefinition& CurrentSearch();

}  // namespace vemtrix
