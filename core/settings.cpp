#include "core/settings.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "core/html_template.h"
#include "core/text.h"
#include "platform/platform.h"

namespace vemtrix {
namespace {

std::int32_t ToInt32(std::int64_t value) {
  if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

std::int32_t Clamp(std::int64_t value, std::int32_t low, std::int32_t high) {
  if (value < low) return low;
  if (value > high) return high;
  return static_cast<std::int32_t>(value);
}

// Applies one key (already lower-cased) and its non-empty value.
void ApplySetting(Settings& s, const std::string& key, const std::string& value) {
  struct IntKey {
    const char* key;
    std::int32_t Settings::*field;
  };
  static const IntKey kFlags[] = {
      {"searchcraigslist", &Settings::SearchCraigslist},
      {"searchkijiji", &Settings::SearchKijiji},
      {"searchbackpage", &Settings::SearchBackpage},
      {"searchdaype", &Settings::SearchDaype},
      {"autodeepscan", &Settings::AutoDeepScan},
      {"rssdescription", &Settings::RSSdescription},
      {"audioprompts", &Settings::AudioPrompts},
      {"dayperss", &Settings::DaypeRSS},
      {"overriderss", &Settings::OverrideRSS},
      {"includesiteincsv", &Settings::IncludeSiteInCSV},
      {"includestateincsv", &Settings::IncludeStateInCSV},
      {"allowmultipleinstances", &Settings::AllowMultipleInstances},
      {"confirmspawn", &Settings::ConfirmSpawn},
      {"checkforupdates", &Settings::CheckForUpdates},
      {"discardsearches", &Settings::DiscardSearches},
      {"width", &Settings::Width},
      {"height", &Settings::Height},
      {"searchtitles", &Settings::SearchTitles},
      {"haspictures", &Settings::HasPictures},
      {"autosync", &Settings::AutoSync},
      {"csvforspreadsheets", &Settings::CsvForSpreadsheets},
      {"includepriceincsv", &Settings::IncludePriceInCSV},
  };
  for (const IntKey& k : kFlags) {
    if (key == k.key) {
      s.*k.field = ToInt32(LeadingNumber(value));
      return;
    }
  }
  if (key == "currentsearchname") s.CurrentSearchName = value;
  else if (key == "useragent") s.UserAgent = value;
  else if (key == "startmenu") s.StartMenu = ToLower(value);
  else if (key == "recentsearches") s.RecentSearches = value;
  else if (key == "htmlheader") s.HTMLheader = ReplaceAll(value, "\\n", "\r\n");
  else if (key == "htmlitem") s.HTMLitem = ReplaceAll(value, "\\n", "\r\n");
  else if (key == "maxresults") s.MaxResults = Clamp(LeadingNumber(value), kMinMaxResults, kMaxMaxResults);
  else if (key == "maxthreads") s.MaxThreads = Clamp(LeadingNumber(value), 1, 12);
  else if (key == "maxthreads2") s.MaxThreads2 = Clamp(LeadingNumber(value), 1, 12);
  else if (key == "superbytes") s.SuperBytes = LeadingNumber(value);
  else if (key == "superresults") s.SuperResults = ToInt32(LeadingNumber(value));
  else if (key == "supersearches") s.SuperSearches = ToInt32(LeadingNumber(value));
  else if (key == "supersearchtime") s.SuperSearchTime = LeadingNumber(value);
  else if (key == "superprogramtime") s.SuperProgramTime = LeadingNumber(value);
  else if (key == "repeatsearch") s.RepeatSearch = LeadingNumber(value) != 0 ? 1 : 0;
  else if (key == "repeatminutes") s.RepeatMinutes = Clamp(LeadingNumber(value), kMinRepeatMinutes, kMaxRepeatMinutes);
  else if (key == "notifynewads") s.NotifyNewAds = LeadingNumber(value) != 0 ? 1 : 0;
  else if (key == "resultcolumns") s.ResultColumns = value;
}

}  // namespace

bool SiteSearched(const Settings& s, SiteId site) {
  switch (site) {
    case SiteId::Craigslist: return s.SearchCraigslist != 0;
    case SiteId::Kijiji: return s.SearchKijiji != 0;
    case SiteId::Backpage: return s.SearchBackpage != 0;
    case SiteId::Daype: return s.SearchDaype != 0;
    case SiteId::None: break;
  }
  return false;
}

Settings& AppSettings() {
  static Settings settings = DefaultSettings();
  return settings;
}

Settings DefaultSettings() {
  Settings s;
  s.HTMLheader = DefaultTemplate(1);
  s.HTMLitem = DefaultTemplate(2);
  return s;
}

Settings ParseSettingsText(const std::string& text) {
  Settings s = DefaultSettings();
  std::string_view rest = text;
  while (!rest.empty()) {
    std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

    std::size_t colon = line.find(':');
    std::string_view keyText = colon == std::string_view::npos ? line : line.substr(0, colon);
    std::string_view valueText = colon == std::string_view::npos ? line : line.substr(colon + 1);
    std::string value(Trim(valueText));
    if (value.empty()) continue;
    ApplySetting(s, ToLower(Trim(keyText)), value);
  }
  if (s.SearchCraigslist == 0 && s.SearchKijiji == 0 && s.SearchBackpage == 0 && s.SearchDaype == 0) {
    s.SearchCraigslist = 1;
  }
  return s;
}

std::string FormatSettingsText(const Settings& s, const WindowSizeAtSave& window,
                               std::int64_t programTimeTotal) {
  std::int32_t width = window.widthDlu;
  std::int32_t height = window.heightDlu;
  if (std::abs(window.widthPx - window.screenWidthPx) < 150 &&
      std::abs(window.heightPx - window.screenHeightPx) < 150) {
    width -= 250;
    height -= 150;
  }
  std::string out;
  out.reserve(4096 + s.HTMLheader.size() + s.HTMLitem.size());
  auto line = [&out](const char* key, const std::string& value) {
    out += key;
    out += ": ";
    out += value;
    out += "\r\n";
  };
  auto number = [&line](const char* key, std::int64_t value) { line(key, std::to_string(value)); };
  line("CurrentSearchName", s.CurrentSearchName);
  number("SearchCraigslist", s.SearchCraigslist);
  number("SearchKijiji", s.SearchKijiji);
  number("SearchBackpage", s.SearchBackpage);
  number("SearchDaype", s.SearchDaype);
  number("AutoDeepScan", s.AutoDeepScan);
  number("RSSdescription", s.RSSdescription);
  number("AudioPrompts", s.AudioPrompts);
  number("DaypeRSS", s.DaypeRSS);
  number("OverrideRSS", s.OverrideRSS);
  number("IncludeSiteInCSV", s.IncludeSiteInCSV);
  number("IncludeStateInCSV", s.IncludeStateInCSV);
  number("AllowMultipleInstances", s.AllowMultipleInstances);
  number("ConfirmSpawn", s.ConfirmSpawn);
  number("CheckForUpdates", s.CheckForUpdates);
  number("DiscardSearches", s.DiscardSearches);
  number("MaxResults", s.MaxResults);
  number("MaxThreads", s.MaxThreads);
  number("MaxThreads2", s.MaxThreads2);
  number("Width", width);
  number("Height", static_cast<std::int64_t>(height) + 4);
  line("UserAgent", s.UserAgent);
  line("StartMenu", s.StartMenu);
  number("SearchTitles", s.SearchTitles);
  number("HasPictures", s.HasPictures);
  number("AutoSync", s.AutoSync);
  line("RecentSearches", s.RecentSearches);
  number("SuperBytes", s.SuperBytes);
  number("SuperResults", s.SuperResults);
  number("SuperSearches", s.SuperSearches);
  number("SuperSearchTime", s.SuperSearchTime);
  number("SuperProgramTime", programTimeTotal);
  line("HTMLheader", ReplaceAll(s.HTMLheader, "\r\n", "\\n"));
  line("HTMLitem", ReplaceAll(s.HTMLitem, "\r\n", "\\n"));
  // Keys beyond the original 34 come last and only when set, so a file of
  // someone who never used them stays byte for byte as it was.
  const Settings defaults;
  if (s.RepeatSearch != defaults.RepeatSearch) number("RepeatSearch", s.RepeatSearch);
  if (s.RepeatMinutes != defaults.RepeatMinutes) number("RepeatMinutes", s.RepeatMinutes);
  if (s.NotifyNewAds != defaults.NotifyNewAds) number("NotifyNewAds", s.NotifyNewAds);
  if (s.CsvForSpreadsheets != defaults.CsvForSpreadsheets) number("CsvForSpreadsheets", s.CsvForSpreadsheets);
  if (s.IncludePriceInCSV != defaults.IncludePriceInCSV) number("IncludePriceInCSV", s.IncludePriceInCSV);
  if (!s.ResultColumns.empty()) line("ResultColumns", s.ResultColumns);
  return out;
}

bool IsSettingsKey(const std::string& key) {
  // Every key appears, as "Key: ", in the file of a record whose optional
  // keys are all away from their defaults.
  static const std::string known = [] {
    Settings all = DefaultSettings();
    all.RepeatSearch = 1;
    all.RepeatMinutes = kMaxRepeatMinutes;
    all.NotifyNewAds = 0;
    all.CsvForSpreadsheets = 1;
    all.IncludePriceInCSV = 1;
    all.ResultColumns = "0:1";
    std::string text = "\n" + ToLower(FormatSettingsText(all, WindowSizeAtSave(), 0));
    return ReplaceAll(text, "\r\n", "\n");
  }();
  std::string lowered = ToLower(key);
  return !lowered.empty() && lowered.find_first_of(":\r\n") == std::string::npos &&
         known.find("\n" + lowered + ": ") != std::string::npos;
}

std::string SettingsFilePath() { return platform::ProgramDirectory() + "vemtrix.ini"; }

void LoadSettings() {
  Settings& s = AppSettings();
  std::int64_t startTime = s.ProgramStartTime;
  std::int64_t startDay = s.ProgramStartDay;
  std::string text;
  if (platform::FileExists(SettingsFilePath()) && platform::ReadWholeFile(SettingsFilePath(), text)) {
    s = ParseSettingsText(text);
  } else {
    s = DefaultSettings();
  }
  s.ProgramStartTime = startTime;
  s.ProgramStartDay = startDay;
}

bool SaveSettings(const WindowSizeAtSave& window) {
  Settings& s = AppSettings();
  std::string text = FormatSettingsText(s, window, ProgramTimeNow(s));
  if (!platform::WriteWholeFile(SettingsFilePath(), text)) return false;
  // The record keeps the size as stored (before the +4 of the file).
  bool nearlyFullScreen = std::abs(window.widthPx - window.screenWidthPx) < 150 &&
                          std::abs(window.heightPx - window.screenHeightPx) < 150;
  s.Width = window.widthDlu - (nearlyFullScreen ? 250 : 0);
  s.Height = window.heightDlu - (nearlyFullScreen ? 150 : 0);
  return true;
}

std::int64_t ElapsedSince(std::int64_t start) {
  if (start == 0) return 0;
  double now = platform::SecondsSinceMidnight();
  double elapsed = now >= static_cast<double>(start) ? now - static_cast<double>(start)
                                                     : (86400.0 - static_cast<double>(start)) + now;
  return std::llround(elapsed);
}

std::int64_t JulianDayNumber(int year, int month, int day) {
  std::int64_t a = (14 - month) / 12;
  std::int64_t y = static_cast<std::int64_t>(year) + 4800 - a;
  std::int64_t m = month + 12 * a - 3;
  return day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 - 32045;
}

std::string FormatDuration(std::int64_t seconds) {
  if (seconds < 0) seconds = 0;
  std::int64_t hours = seconds / 3600;
  int minutes = static_cast<int>((seconds / 60) % 60);
  int secs = static_cast<int>(seconds % 60);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%lld:%02d:%02d", static_cast<long long>(hours), minutes, secs);
  return buffer;
}

std::atomic<std::int64_t> SearchStartTime{0};

namespace {

std::int64_t WholeSecondsNow() {
  platform::LocalDateTime now = platform::LocalNow();
  return now.hour * 3600 + now.minute * 60 + now.second;
}

}  // namespace

void StartSearchTiming() { SearchStartTime = WholeSecondsNow(); }

void StartSearchTimingIfIdle() {
  std::int64_t idle = 0;
  SearchStartTime.compare_exchange_strong(idle, WholeSecondsNow());
}

void EndSearchTiming() {
  std::int64_t start = SearchStartTime.exchange(0);
  AppSettings().SuperSearchTime += ElapsedSince(start);
}

std::int64_t ProgramTimeNow(const Settings& s) {
  std::int64_t sinceStart = ElapsedSince(s.ProgramStartTime);
  platform::LocalDateTime today = platform::LocalNow();
  std::int64_t days = JulianDayNumber(today.year, today.month, today.day) - s.ProgramStartDay;
  if (s.ProgramStartDay != 0 && days > 1) sinceStart += 86400 * (days - 1);
  return s.SuperProgramTime + sinceStart;
}

}  // namespace vemtrix
