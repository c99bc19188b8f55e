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

namespace vemtrix::ui {
namespace {

struct CheckBinding {
  int id;
  std::int32_t Settings::*setting;
};

const CheckBinding kChecks[] = {
    {1025, &Settings::SearchCraigslist},  {1026, &Settings::SearchKijiji},
    {1269, &Settings::SearchBackpage},    {1270, &Settings::SearchDaype},
    {1027, &Settings::AutoDeepScan},      {1028, &Settings::CheckForUpdates},
    {1032, &Settings::DiscardSearches},   {1100, &Settings::SearchTitles},
    {1101, &Settings::HasPictures},       {1102, &Settings::AutoSync},
    {1263, &Settings::RSSdescription},    {1264, &Settings::OverrideRSS},
    {1265, &Settings::IncludeSiteInCSV},  {1266, &Settings::IncludeStateInCSV},
    {1267, &Settings::AllowMultipleInstances}, {1268, &Settings::ConfirmSpawn},
    {1275, &Settings::AudioPrompts},      {1278, &Settings::DaypeRSS},
};

bool IsSettingsCheck(int id) {
  return std::any_of(std::begin(kChecks), std::end(kChecks), [id](const CheckBinding& b) { return b.id == id; });
}

// Writes a number box's clamped value back when it differs from what was typed.
std::int32_t ShowClamped(int id, std::int32_t value) {
  if (std::to_string(value) != ControlText(id)) SetControlText(id, std::to_string(value));
  return value;
}

void ShowStoredSettings() {
  SettingsLoading = true;
  const Settings& settings = AppSettings();
  for (const CheckBinding& binding : kChecks) SetCheck(binding.id, settings.*binding.setting != 0);
  SetControlText(kIdMaxResults, std::to_string(settings.MaxResults));
  SetControlText(kIdMaxThreads, std::to_string(settings.MaxThreads));
  SetControlText(kIdMaxThreads2, std::to_string(settings.MaxThreads2));
  SetControlText(kIdUserAgent, settings.UserAgent);
  SettingsLoading = false;
}

}  // namespace

std::vector<ControlSpec> SettingsPageTable() {
  auto searchCaption = [](SiteId site) { return "Search " + std::string(Site(site).webName); };
  const DWORD check = BS_AUTOCHECKBOX | WS_TABSTOP;
  std::vector<ControlSpec> table = {
      {1025, "BUTTON", searchCaption(SiteId::Craigslist), check, 2, 5, 255, 10},
      {1026, "BUTTON", searchCaption(SiteId::Kijiji), check, 2, 15, 255, 10},
      {1269, "BUTTON", searchCaption(SiteId::Backpage), check, 2, 25, 255, 10},
      {1270, "BUTTON", searchCaption(SiteId::Daype), check, 2, 35, 255, 10},
      {1027, "BUTTON", "Automatically do a deep scan", check, 2, 45, 255, 10},
      {1028, "BUTTON", "Check quillfen server for updates", check, 2, 55, 255, 10},
      {1032, "BUTTON", "Automatically discard old results after two months", check, 2, 65, 255, 10},
      {1033, "STATIC", "Maximum number of search results:", SS_RIGHT, 2, 87, 135, 10},
      {kIdMaxResults, "EDIT", "", ES_AUTOHSCROLL | ES_NUMBER | WS_BORDER | WS_TABSTOP, 140, 85, 50, 12},
      {1035, "STATIC", "Maximum # of search threads:", SS_RIGHT, 2, 102, 135, 10},
      {kIdMaxThreads, "EDIT", "", ES_AUTOHSCROLL | ES_NUMBER | WS_BORDER | WS_TABSTOP, 140, 100, 50, 12},
      {1037, "STATIC", "Maximum # of deep scan threads:", SS_RIGHT, 2, 117, 135, 10},
      {kIdMaxThreads2, "EDIT", "", ES_AUTOHSCROLL | ES_NUMBER | WS_BORDER | WS_TABSTOP, 140, 115, 50, 12},
      {1039, "STATIC", "Fake browser user agent:", SS_RIGHT, 2, 132, 135, 10},
      {kIdUserAgent, "EDIT", "", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 140, 130, 200, 12},
      {1100, "BUTTON", "Only search in the titles of ads", check, 2, 150, 255, 10},
      {1101, "BUTTON", "Only include ads with images in the search results", check, 2, 160, 255, 10},
      {1102, "BUTTON", "Attempt to automatically synchronize sites being searched", check, 2, 170, 255, 10},
      {1263, "BUTTON", "Attempt to harvest full text from RSS feeds", check, 2, 180, 255, 10},
      {1264, "BUTTON", "Re-download RSS pre-loaded descriptions when deep scanning", check, 2, 190, 255, 10},
      {1265, "BUTTON", "Include site in CSV output", check, 2, 200, 255, 10},
      {1266, "BUTTON", "Include state code in CSV output", check, 2, 210, 255, 10},
      {1267, "BUTTON", "Allow multiple instances of the software to run at once", check, 2, 220, 255, 10},
      {1268, "BUTTON", "Confirm before viewing ad in web browser", check, 2, 230, 255, 10},
      {1275, "BUTTON", "Use audio prompts when searches finish or fail", check, 2, 240, 255, 10},
      {1278, "BUTTON",
       "Search " + std::string(Site(SiteId::Daype).webName) +
           " sitewise using their RSS feed (better search, but can't specify sections)",
       check, 2, 250, 340, 10},  // wide enough for the caption under the dialog font
      {kIdSettingsCancel, "BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 2, 195, 50, 15},
      {kIdApply, "BUTTON", "Apply", BS_PUSHBUTTON | WS_TABSTOP, 57, 195, 50, 15},
      {kIdAbout, "BUTTON", "About...", BS_PUSHBUTTON | WS_TABSTOP, 307, 195, 60, 15},
  };
  return table;
}

void ShowSettingsInControls() { ShowStoredSettings(); }

void SettingsControlChanged(int id, int code) {
  if (SettingsLoading) return;
  bool box = (id == kIdMaxResults || id == kIdMaxThreads || id == kIdMaxThreads2 || id == kIdUserAgent) &&
             code == EN_CHANGE;
  bool click = IsSettingsCheck(id) && code == BN_CLICKED;
  if (box || click) SettingsEdited = true;
}

void ApplySettingsCommand() {
  Settings& settings = AppSettings();
  SettingsEdited = false;
  for (const CheckBinding& binding : kChecks) settings.*binding.setting = IsChecked(binding.id) ? 1 : 0;
  if (settings.SearchCraigslist == 0 && settings.SearchKijiji == 0 && settings.SearchBackpage == 0 &&
      settings.SearchDaype == 0) {
    settings.SearchCraigslist = 1;
    SettingsLoading = true;
    SetCheck(1025, true);
    SettingsLoading = false;
  }
  settings.CurrentSearchName = ControlText(kIdName);
  SettingsLoading = true;
  settings.MaxResults = ShowClamped(kIdMaxResults, MaxResultsFromBox(ControlText(kIdMaxResults), settings.MaxResults));
  settings.MaxThreads = ShowClamped(kIdMaxThreads, ThreadCountFromBox(ControlText(kIdMaxThreads), settings.MaxThreads));
  settings.MaxThreads2 =
      ShowClamped(kIdMaxThreads2, ThreadCountFromBox(ControlText(kIdMaxThreads2), settings.MaxThreads2));
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
  // Told from a thread of its own, so the window keeps running meanwhile.
  platform::StartDetachedThread([] {
    MessageBoxA(nullptr,
                "Changes to the settings have been canceled (if you wanted to keep them, you should have clicked the "
                "'apply' button to save).",
                "Vemtrix Settings", MB_OK | MB_ICONINFORMATION);
  });
  ShowStoredSettings();
}

}  // namespace vemtrix::ui
