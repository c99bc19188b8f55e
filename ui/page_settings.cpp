// The "Vemtrix Settings" page: a check box per option, the number and text
// fields, and Apply/Cancel. Edits count only when the user made them; leaving
// the page with unapplied edits puts the stored settings back.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "core/settings.h"
#include "harvest/sites.h"
#include "platform/platform.h"
#include "ui/logic/window_text.h"
#include "ui/main_window.h"
#include "ui/window_state.h"
#include "ui/window_thread.h"

namespace vemtrix::ui {
namespace {

// Where the number and text fields start, in dialog units.
constexpr short kFieldsTop = 85;

bool IsSettingsCheck(int id) {
  const std::vector<SettingsCheck>& checks = SettingsChecks();
  return std::any_of(checks.begin(), checks.end(), [id](const SettingsCheck& c) { return c.id == id; });
}

// Writes a number box's clamped value back when it differs from what was typed.
std::int32_t ShowClamped(int id, std::int32_t value) {
  if (std::to_string(value) != ControlText(id)) SetControlText(id, std::to_string(value));
  return value;
}

void ShowStoredSettings() {
  SettingsLoading = true;
  const Settings& settings = AppSettings();
  for (const SettingsCheck& check : SettingsChecks()) SetCheck(check.id, settings.*check.setting != 0);
  SetControlText(kIdMaxResults, std::to_string(settings.MaxResults));
  SetControlText(kIdMaxThreads, std::to_string(settings.MaxThreads));
  SetControlText(kIdMaxThreads2, std::to_string(settings.MaxThreads2));
  SetControlText(kIdUserAgent, settings.UserAgent);
  SetControlText(kIdRepeatMinutes, std::to_string(settings.RepeatMinutes));
  SettingsLoading = false;
}

}  // namespace

const std::vector<SettingsCheck>& SettingsChecks() {
  static const std::vector<SettingsCheck> checks = [] {
    auto search = [](SiteId site) { return "Search " + std::string(Site(site).webName); };
    return std::vector<SettingsCheck>{
        {kIdSearchCraigslist, search(SiteId::Craigslist), &Settings::SearchCraigslist, 5, 255, true},
        {kIdSearchKijiji, search(SiteId::Kijiji), &Settings::SearchKijiji, 15, 255, true},
        {kIdSearchBackpage, search(SiteId::Backpage), &Settings::SearchBackpage, 25, 255, true},
        {kIdSearchDaype, search(SiteId::Daype), &Settings::SearchDaype, 35, 255, true},
        {kIdAutoDeepScan, "Automatically do a deep scan", &Settings::AutoDeepScan, 45, 255, true},
        {kIdCheckForUpdates, "Check quillfen server for updates", &Settings::CheckForUpdates, 55, 255, false},
        {kIdDiscardSearches, "Automatically discard old results after two months", &Settings::DiscardSearches, 65,
         255, false},
        {kIdSearchTitles, "Only search in the titles of ads", &Settings::SearchTitles, 150, 255, false},
        {kIdHasPictures, "Only include ads with images in the search results", &Settings::HasPictures, 160, 255,
         false},
        {kIdAutoSync, "Attempt to automatically synchronize sites being searched", &Settings::AutoSync, 170, 255,
         false},
        {kIdRssDescription, "Attempt to harvest full text from RSS feeds", &Settings::RSSdescription, 180, 255, true},
        {kIdOverrideRss, "Re-download RSS pre-loaded descriptions when deep scanning", &Settings::OverrideRSS, 190,
         255, true},
        {kIdIncludeSiteInCsv, "Include site in CSV output", &Settings::IncludeSiteInCSV, 200, 150, false},
        {kIdIncludeStateInCsv, "Include state code in CSV output", &Settings::IncludeStateInCSV, 210, 150, false},
        {kIdAllowMultipleInstances, "Allow multiple instances of the software to run at once",
         &Settings::AllowMultipleInstances, 220, 255, false},
        {kIdConfirmSpawn, "Confirm before viewing ad in web browser", &Settings::ConfirmSpawn, 230, 255, false},
        {kIdAudioPrompts, "Use audio prompts when searches finish or fail", &Settings::AudioPrompts, 240, 255, false},
        // Wide enough for the caption under the dialog font.
        {kIdDaypeRss,
         "Search " + std::string(Site(SiteId::Daype).webName) +
             " sitewise using their RSS feed (better search, but can't specify sections)",
         &Settings::DaypeRSS, 250, 340, true},
        // Watching a search, right of the number fields.
        {kIdRepeatSearch, "Repeat the search every", &Settings::RepeatSearch, 85, 102, false, 200},
        {kIdNotifyNewAds, "Announce new ads when out of sight", &Settings::NotifyNewAds, 100, 150, false, 200},
        // Beside the other CSV check boxes.
        {kIdIncludePriceInCsv, "Include price in CSV output", &Settings::IncludePriceInCSV, 200, 150, false, 160},
        {kIdCsvForSpreadsheets, "Write CSV for spreadsheets (standard quoting)", &Settings::CsvForSpreadsheets, 210,
         190, false, 160},
    };
  }();
  return checks;
}

std::vector<ControlSpec> SettingsPageTable() {
  const DWORD check = BS_AUTOCHECKBOX | WS_TABSTOP;
  // Top to bottom, which is also the keyboard's order: the check boxes above
  // the fields, the fields, the check boxes below them, the buttons.
  std::vector<ControlSpec> table;
  auto addChecks = [&](bool above) {
    for (const SettingsCheck& c : SettingsChecks())
      if ((c.y < kFieldsTop) == above) table.push_back({c.id, "BUTTON", c.caption, check, c.x, c.y, c.width, 10});
  };
  addChecks(true);
  std::vector<ControlSpec> fields = {
      {kIdMaxResultsLabel, "STATIC", "Maximum number of search results:", SS_RIGHT, 2, 87, 135, 10},
      {kIdMaxResults, "EDIT", "", ES_AUTOHSCROLL | ES_NUMBER | WS_BORDER | WS_TABSTOP, 140, 85, 50, 12},
      {kIdMaxThreadsLabel, "STATIC", "Maximum # of search threads:", SS_RIGHT, 2, 102, 135, 10},
      {kIdMaxThreads, "EDIT", "", ES_AUTOHSCROLL | ES_NUMBER | WS_BORDER | WS_TABSTOP, 140, 100, 50, 12},
      {kIdMaxThreads2Label, "STATIC", "Maximum # of deep scan threads:", SS_RIGHT, 2, 117, 135, 10},
      {kIdMaxThreads2, "EDIT", "", ES_AUTOHSCROLL | ES_NUMBER | WS_BORDER | WS_TABSTOP, 140, 115, 50, 12},
      {kIdUserAgentLabel, "STATIC", "Fake browser user agent:", SS_RIGHT, 2, 132, 135, 10},
      {kIdUserAgent, "EDIT", "", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 140, 130, 200, 12},
      {kIdRepeatMinutes, "EDIT", "", ES_AUTOHSCROLL | ES_NUMBER | WS_BORDER | WS_TABSTOP, 304, 84, 30, 12},
      {kIdRepeatMinutesLabel, "STATIC", "minutes", SS_LEFT, 337, 86, 35, 10},
  };
  table.insert(table.end(), fields.begin(), fields.end());
  addChecks(false);
  // The resize layout places the buttons.
  std::vector<ControlSpec> buttons = {
      {kIdSettingsCancel, "BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 0, 0},
      {kIdApply, "BUTTON", "Apply", BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 0, 0},
      {kIdAbout, "BUTTON", "About...", BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 0, 0},
  };
  table.insert(table.end(), buttons.begin(), buttons.end());
  return table;
}

void ShowSettingsInControls() { ShowStoredSettings(); }

void SettingsControlChanged(int id, int code) {
  if (SettingsLoading) return;
  bool box = (id == kIdMaxResults || id == kIdMaxThreads || id == kIdMaxThreads2 || id == kIdUserAgent ||
              id == kIdRepeatMinutes) &&
             code == EN_CHANGE;
  bool click = IsSettingsCheck(id) && code == BN_CLICKED;
  if (box || click) SettingsEdited = true;
}

void ApplySettingsCommand() {
  Settings& settings = AppSettings();
  SettingsEdited = false;
  for (const SettingsCheck& check : SettingsChecks()) settings.*check.setting = IsChecked(check.id) ? 1 : 0;
  if (settings.SearchCraigslist == 0 && settings.SearchKijiji == 0 && settings.SearchBackpage == 0 &&
      settings.SearchDaype == 0) {
    settings.SearchCraigslist = 1;
    SettingsLoading = true;
    SetCheck(kIdSearchCraigslist, true);
    SettingsLoading = false;
  }
  settings.CurrentSearchName = ControlText(kIdName);
  SettingsLoading = true;
  settings.MaxResults = ShowClamped(kIdMaxResults, MaxResultsFromBox(ControlText(kIdMaxResults), settings.MaxResults));
  settings.MaxThreads = ShowClamped(kIdMaxThreads, ThreadCountFromBox(ControlText(kIdMaxThreads), settings.MaxThreads));
  settings.MaxThreads2 =
      ShowClamped(kIdMaxThreads2, ThreadCountFromBox(ControlText(kIdMaxThreads2), settings.MaxThreads2));
  settings.RepeatMinutes =
      ShowClamped(kIdRepeatMinutes, RepeatMinutesFromBox(ControlText(kIdRepeatMinutes), settings.RepeatMinutes));
  SettingsLoading = false;
  settings.UserAgent = ControlText(kIdUserAgent);
  SaveWindowSettings();
  ApplySiteVisibility();  // shows or hides the trees and lays the window out again
}

void CancelSettingsCommand() {
  SettingsEdited = false;
  ShowStoredSettings();
}

void LeavingSettingsPage() {
  if (!SettingsEdited) return;
  SettingsEdited = false;
  ShowStoredSettings();
  // Told once the page switch under way has finished.
  PostTask(Main().window, [] {
    AskUser("Vemtrix Settings",
            "Changes to the settings have been canceled (if you wanted to keep them, you should have clicked the "
            "'apply' button to save).",
            MB_OK | MB_ICONINFORMATION);
  });
}

}  // namespace vemtrix::ui
