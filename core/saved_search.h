// A whole search in one text file beside the program: its name, terms, the
// chosen cities and sections of every site, and its results.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace vemtrix {

// The name as it may stand in a file name: characters a file name cannot
// hold become spaces, then pairs of spaces are removed.
std::string CleanSearchName(std::string_view name);

// The file of a search: ProgramDirectory() + name + ".vem".
std::string SearchFilePath(const std::string& cleanName);

// Writes the current search (name box, terms box, catalog marks, results).
// On success Dirty is cleared; when the file cannot be written the user is
// told, Dirty stays set and any old file is untouched. Returns success.
bool SaveSearch();

// Replaces the current search with the one named in the name box. A missing
// file is reported unless quiet. Returns whether a file was read.
bool LoadSearch(bool quiet);

// The file text SaveSearch writes, and the cut-off date for loading
// (today moved back two months), exposed for tests and benchmarks.
std::string FormatSavedSearch(const std::string& cleanName, const std::string& terms);
std::string DiscardCutoffDate();

}  // namespace vemtrix
