// The saved-search file: a whole search in one text file beside the program,
// with its name, terms, the chosen cities and sections of every site (the
// catalogs' marks) and its results (the result store). Loading and saving
// the current search are the commands LoadSearch and SaveSearch
// (commands/search_commands.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vemtrix {

// The name as it may stand in a file name: characters a file name cannot
// hold become spaces, then pairs of spaces are removed.
std::string CleanSearchName(std::string_view name);

// The file of a search: ProgramDirectory() + name + ".vem".
std::string SearchFilePath(const std::string& cleanName);

// The file text for a search of that name and terms: the marked rows of the
// catalogs and the stored results (blank and expired rows left out).
std::string FormatSavedSearch(const std::string& cleanName, const std::string& terms);

// The cut-off date for loading: today moved back two months.
std::string DiscardCutoffDate();

struct SavedSearchHeader {
  std::string name;
  std::string terms;
  std::int32_t loaded = 0;   // results the store took
  std::int64_t inFile = 0;   // results the file holds (loaded < inFile: the store was full)
  std::int64_t leftOutAsOld = 0;  // results dated before DiscardCutoffDate(), with discardOld
};

// The longest search name: a name is a file name with ".vem" after it, and a
// file name holds at most 255 characters.
inline constexpr std::size_t kMaxSearchNameLength = 251;

// Whether the file can be a saved search at all. Text never holds a NUL
// byte, and the first line is the header or (in the older layouts) the
// search's name; a file that breaks either rule is something else and is not
// read. A file that cannot be read is not judged here (true).
bool LooksLikeSavedSearch(const std::string& path);

// Reads the file at path (the keyed layout or either older one): its results
// are appended to the result store as they are read (with discardOld, those
// dated before DiscardCutoffDate() are left out), and every catalog row is
// marked exactly when the file lists it. The name is fallbackName unless the
// file names itself. When the store fills up, the rest of the file is only
// counted; nothing is reported (the caller does).
SavedSearchHeader ReadSavedSearch(const std::string& path, const std::string& fallbackName, bool discardOld);

// The number of results a load of the file would take (blank titles and,
// with discardOld, old results left out); -1 when it cannot be read.
std::int64_t CountSavedResults(const std::string& path, bool discardOld);

}  // namespace vemtrix
