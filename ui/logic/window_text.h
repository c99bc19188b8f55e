// Small texts and numbers of the main window: the title, the bare search name
// taken from a chosen file, the worker slot labels and the number boxes that
// Apply reads.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/frontend.h"
#include "core/settings.h"

namespace vemtrix {

// The search name in a path: blanks trimmed, every ".vem" removed, and only
// what follows the last "\". "C:\Other\My search.vem" gives "My search".
std::string SearchNameFromPath(std::string_view path);

// "Vemtrix v" + major + "." + two-digit minor: 210 gives "Vemtrix v2.10",
// 205 gives "Vemtrix v2.05".
std::string WindowTitle(int versionCode);

// A worker slot's label on the Diagnostics page for slot i (0..11):
// "Search 01:" ... "Search 12:", or "Scan 01:" ... with scan.
std::string SlotLabel(bool scan, int i);

// The ranges Apply holds its number boxes to.
inline constexpr std::int32_t kMinThreads = 1;
inline constexpr std::int32_t kMaxThreads = 12;

std::int32_t ClampMaxResults(std::int64_t value);
std::int32_t ClampThreadCount(std::int64_t value);

// The whole number in a box: blanks and thousands separators (",") are
// ignored, an optional sign is allowed; nothing for anything else (empty,
// letters, a fraction).
std::optional<std::int64_t> ParseWholeNumber(std::string_view text);

// What Apply stores from a number box: the box's number clamped to its range;
// a box that holds no whole number keeps the current setting (clamped too).
// Apply writes the result back into the box, so the user sees what holds.
std::int32_t MaxResultsFromBox(std::string_view text, std::int32_t current);
std::int32_t ThreadCountFromBox(std::string_view text, std::int32_t current);
std::int32_t RepeatMinutesFromBox(std::string_view text, std::int32_t current);

}  // namespace vemtrix

namespace vemtrix {

// The notification balloon for a run that added ads while the window was
// out of sight: "N new ads for SEARCHNAME" (one: "1 new ad for ...") and up
// to three of their titles, one a line, each shortened to fit the balloon.
struct Balloon {
  std::string title;
  std::string text;
};
Balloon NewAdsBalloon(std::int64_t added, const std::string& searchName, const std::vector<std::string>& titles);

// The status bar's run-state part: "Inactive", "Searching" or "Scanning".
const char* RunStateText(RunState state);

// The results list's "Full Text" column for a row's full text: "RSS" for a
// text taken from the feed, "Yes" for a downloaded text, empty otherwise
// (nothing yet, "Pending", or too short to count).
std::string FullTextColumn(std::string_view fullText);

}  // namespace vemtrix
