// The current search as the window shows and edits it: its name (the name
// box) and its terms (the terms box). Its chosen cities and sections are the
// catalogs' selection marks; its results are the result store.
#pragma once

#include <cstdint>
#include <string>

namespace vemtrix {

// A load that stopped because the results list was full: which file's
// results the store holds only in part, how many of how many, and the
// store's generation (ResultStore::Generation) that holds them.
struct PartialLoad {
  std::string name;  // the cleaned name of the search loaded
  std::int32_t loaded = 0;
  std::int64_t inFile = 0;
  std::uint64_t storeGeneration = 0;
};

struct SearchDefinition {
  std::string name = "default";
  std::string terms;
  PartialLoad partial;  // inFile 0: the last load was whole
};

// The current search, shown and edited by the window (window thread only).
SearchDefinition& CurrentSearch();

}  // namespace vemtrix
