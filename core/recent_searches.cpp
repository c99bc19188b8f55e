#include "core/recent_searches.h"

#include "core/csv_fields.h"
#include "core/frontend.h"
#include "core/settings.h"
#include "core/text.h"

namespace vemtrix {
namespace {

std::vector<std::string> RecentNames(const std::string& list) {
  if (list.empty()) return {};
  int count = 1;
  for (char c : list) count += c == ',';
  std::vector<std::string> names = ReadCsvFields(list, count);
  if (names.size() > static_cast<std::size_t>(kMaxRecentSearches)) names.resize(kMaxRecentSearches);
  return names;
}

}  // namespace

void AddRecentSearch(std::string& list, const std::string& name) {
  std::string lowered = ToLower(name);
  if (("," + list + ",").find("," + lowered + ",") != std::string::npos) return;
  if (list.empty() || list[0] == ',') list = lowered + list;
  else list = lowered + "," + list;
  int names = 1;
  for (char c : list) names += c == ',';
  if (names > kMaxRecentSearches) list.erase(list.rfind(','));
}

std::vector<MenuItem> BuildRecentMenu(const std::string& recentSearches) {
  std::vector<MenuItem> items = {{"Recent Searches", kRecentMenuTitle, false}, {"-", 0, true}};
  std::vector<std::string> names = RecentNames(recentSearches);
  for (std::size_t i = 0; i < names.size(); ++i) {
    items.push_back({ProperCase(names[i]), kRecentMenuTitle + 1 + static_cast<int>(i), true});
  }
  return items;
}

std::string RecentSearchName(const std::string& recentSearches, int command) {
  std::vector<std::string> names = RecentNames(recentSearches);
  int i = command - kRecentMenuTitle;
  if (i < 1 || i > static_cast<int>(names.size())) return std::string();
  return names[static_cast<std::size_t>(i - 1)];
}

std::vector<std::string> AboutStatisticsLines(const Settings& s) {
  return {
      "Total bytes downloaded: " + FormatCount(s.SuperBytes),
      "Total search results found: " + FormatCount(s.SuperResults),
      "Total searches performed: " + FormatCount(s.SuperSearches),
      "Time spent searching: " + FormatDuration(s.SuperSearchTime),
      "Time spent running: " + FormatDuration(ProgramTimeNow(s)),
  };
}

}  // namespace vemtrix
