// The recently saved searches (a pop-up menu beside the name box) and the
// lifetime statistics the About box shows.
#pragma once

#include <string>
#include <vector>

#include "core/settings.h"

namespace vemtrix {

inline constexpr int kRecentMenuTitle = 6000;
inline constexpr int kMaxRecentSearches = 8;

// The functions take the RecentSearches setting: a comma-separated list of
// lower-case names, newest first.

// Puts a just-saved name in front of the list (lower case, no name twice, at
// most eight).
void AddRecentSearch(std::string& recentSearches, const std::string& name);

struct MenuItem {
  std::string text;  // "-" for a separator
  int command = 0;
  bool enabled = true;
};

// "Recent Searches" (6000, disabled), a separator, then one item per name
// (6001 upward), each word's first letter in upper case.
std::vector<MenuItem> BuildRecentMenu(const std::string& recentSearches);

// The name behind menu command 6000 + i (as stored); empty when none.
std::string RecentSearchName(const std::string& recentSearches, int command);

// The About box's five statistics lines.
std::vector<std::string> AboutStatisticsLines(const Settings& settings);

}  // namespace vemtrix
