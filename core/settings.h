// Program-wide options, window size, recent searches, HTML template and
// lifetime statistics, kept in "vemtrix.ini" beside the program.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "core/site_id.h"

namespace vemtrix {

// The bounds of the MaxResults setting (the results list's capacity).
inline constexpr std::int32_t kMinMaxResults = 5000;
inline constexpr std::int32_t kMaxMaxResults = 1000000;
// The bounds of RepeatMinutes (the wait between repeated runs).
inline constexpr std::int32_t kMinRepeatMinutes = 1;
inline constexpr std::int32_t kMaxRepeatMinutes = 1440;

// A std::atomic that can be copied (by value), so the settings record stays
// a plain record while worker threads add to its counters.
template <typename T>
class Counter {
 public:
  Counter(T value = 0) : value_(value) {}  // NOLINT: implicit by design
  Counter(const Counter& other) : value_(other.load()) {}
  Counter& operator=(const Counter& other) {
    value_.store(other.load());
    return *this;
  }
  Counter& operator=(T value) {
    value_.store(value);
    return *this;
  }
  operator T() const { return load(); }  // NOLINT
  T load() const { return value_.load(std::memory_order_relaxed); }
  T operator+=(T delta) { return value_.fetch_add(delta, std::memory_order_relaxed) + delta; }

 private:
  std::atomic<T> value_;
};

inline constexpr const char* kDefaultUserAgent = "Mozilla/4.0 (compatible; MSIE 5.5; Windows NT)";

struct Settings {
  std::string CurrentSearchName = "default";
  std::int32_t SearchCraigslist = 1;
  std::int32_t SearchKijiji = 1;
  std::int32_t SearchBackpage = 0;
  std::int32_t SearchDaype = 0;
  std::int32_t AutoDeepScan = 0;
  std::int32_t RSSdescription = 1;
  std::int32_t AudioPrompts = 0;
  std::int32_t DaypeRSS = 0;
  std::int32_t OverrideRSS = 1;
  std::int32_t IncludeSiteInCSV = 0;
  std::int32_t IncludeStateInCSV = 0;
  std::int32_t AllowMultipleInstances = 1;
  std::int32_t ConfirmSpawn = 0;
  std::int32_t CheckForUpdates = 1;
  std::int32_t DiscardSearches = 1;
  std::int32_t MaxResults = 25000;  // kMinMaxResults to kMaxMaxResults
  std::int32_t MaxThreads = 4;
  std::int32_t MaxThreads2 = 4;
  std::int32_t Width = 398;
  std::int32_t Height = 369;
  std::string UserAgent = kDefaultUserAgent;
  std::string StartMenu = "later";
  std::int32_t SearchTitles = 0;
  std::int32_t HasPictures = 0;
  std::int32_t AutoSync = 1;
  std::string RecentSearches = "default";
  Counter<std::int64_t> SuperBytes = 0;
  Counter<std::int32_t> SuperResults = 0;
  Counter<std::int32_t> SuperSearches = 0;
  Counter<std::int64_t> SuperSearchTime = 0;
  Counter<std::int64_t> SuperProgramTime = 0;
  std::string HTMLheader;  // defaults filled by DefaultSettings()
  std::string HTMLitem;
  // Watching a search: repeat it RepeatMinutes after each run's end, and
  // announce new ads. Written to the file only when not at their defaults.
  std::int32_t RepeatSearch = 0;
  std::int32_t RepeatMinutes = 30;  // kMinRepeatMinutes to kMaxRepeatMinutes
  std::int32_t NotifyNewAds = 1;
  // Spreadsheet-ready CSV (RFC 4180 quoting) and a last "Price" column.
  // Written to the file only when on.
  std::int32_t CsvForSpreadsheets = 0;
  std::int32_t IncludePriceInCSV = 0;
  // The results list's columns as the user arranged them: each column's
  // sub-item and width in pixels, in the order shown ("0:66,1:200,...");
  // empty for the list as it comes.
  std::string ResultColumns;

  // Not stored in the file: set once at start-up.
  std::int64_t ProgramStartTime = 0;  // seconds since local midnight
  std::int64_t ProgramStartDay = 0;   // Julian Day Number
};

// Whether a site is searched (SearchCraigslist, SearchKijiji, ...).
bool SiteSearched(const Settings& settings, SiteId site);

// The process-wide settings record.
Settings& AppSettings();

// A record holding every default, templates included.
Settings DefaultSettings();

// Reads settings text (the file's contents) over the defaults, applying the
// clamps and the at-least-one-site rule.
Settings ParseSettingsText(const std::string& text);

// The window's size at save time: dialog units and pixels, and the screen's
// size in pixels. A window within 150 pixels of the screen in both directions
// is stored smaller, so the next start does not open it over the taskbar.
struct WindowSizeAtSave {
  std::int32_t widthDlu = 398;
  std::int32_t heightDlu = 365;
  std::int32_t widthPx = 0;
  std::int32_t heightPx = 0;
  std::int32_t screenWidthPx = 100000;
  std::int32_t screenHeightPx = 100000;
};

// The file text SaveSettings writes: all 34 keys, CR LF, templates escaped,
// then each of RepeatSearch, RepeatMinutes, NotifyNewAds, CsvForSpreadsheets
// and IncludePriceInCSV that differs from its default (at their defaults the
// file is as it always was). programTimeTotal is the SuperProgramTime value
// to write.
std::string FormatSettingsText(const Settings& settings, const WindowSizeAtSave& window,
                               std::int64_t programTimeTotal);

// True when key (any letter case) is one of the settings keys.
bool IsSettingsKey(const std::string& key);

// The settings file's path: ProgramDirectory() + "vemtrix.ini".
std::string SettingsFilePath();

// Sets AppSettings() to the defaults, then reads the file when it exists.
void LoadSettings();

// Writes AppSettings() to the settings file (stored Width/Height updated from
// window). False when the file could not be written; the old file is then
// untouched.
bool SaveSettings(const WindowSizeAtSave& window);

// Seconds since start (a time of day in seconds, 0 = unset), across midnight.
std::int64_t ElapsedSince(std::int64_t start);
// Julian Day Number of a Gregorian date (1 January 2000 gives 2451545).
std::int64_t JulianDayNumber(int year, int month, int day);
// "H:MM:SS", hours without leading zeros.
std::string FormatDuration(std::int64_t seconds);
// The lifetime running time up to now: the stored total plus the time since
// start-up, with whole days added when the program ran over several midnights.
std::int64_t ProgramTimeNow(const Settings& settings);

// The time of day (whole seconds since midnight) at which the current search
// run or deep scan began; 0 when nothing is being timed.
extern std::atomic<std::int64_t> SearchStartTime;
// Search run start: the start time is now.
void StartSearchTiming();
// Deep-scan worker start: the start time is now unless a run is timing already.
void StartSearchTimingIfIdle();
// End of a run or scan: the time since the start goes to SuperSearchTime and
// the start is cleared, so a second end for the same work adds nothing.
void EndSearchTiming();

}  // namespace vemtrix
