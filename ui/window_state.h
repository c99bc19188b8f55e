// What the main window's files share: its handles, its pages, the list's
// display order, and the helpers every page uses. Window thread only.
#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "commands/command_checks.h"
#include "commands/repeat_schedule.h"
#include "core/settings.h"
#include "core/site_id.h"
#include "ui/control_table.h"
#include "ui/logic/control_ids.h"
#include "ui/logic/result_order.h"
#include "ui/logic/window_text.h"

namespace vemtrix::ui {

enum Page : int { kPageResults = 0, kPageSearch = 1, kPageSettings = 2, kPageStatus = 3, kPageTemplate = 4 };
inline constexpr int kPageCount = 5;

struct MainWindowState {
  HWND window = nullptr;
  HWND tab = nullptr;
  HWND status = nullptr;
  HWND list = nullptr;
  std::array<HWND, kPageCount> pages{};
  HFONT boldFont = nullptr;
  HACCEL accelerators = nullptr;
  int currentPage = kPageResults;
  bool closing = false;
  bool closeRequested = false;  // the close command has begun (it may wait for workers)
  HWND focusBeforeDeactivate = nullptr;
  HWND hoveredCityTree = nullptr;
  HWND hoveredSectionTree = nullptr;
  bool compactStatus = true;     // the status page shows one worker block at a time
  bool statusShowsScan = false;  // which block compact mode shows
  ResultOrder order;             // the results list's rows, top first
  int progressPermille = 0;
  bool progressShown = false;
  std::string runStateText;      // the run-state part's text, which may widen it
  RepeatSchedule repeat;         // when a watched search runs next
  std::int32_t seenRows = 0;     // store rows the user has seen; later rows are drawn bold
  bool resultsInFront = false;   // the results page is shown in the active window
  bool trayIconShown = false;
  HFONT listBoldFont = nullptr;
  Balloon lastBalloon;           // what the notification last announced
  ListSort sortShown;            // the column the list is sorted by, and which way
};

MainWindowState& Main();

// Window-level flags the engine threads never touch.
extern bool SettingsEdited;
extern bool SettingsLoading;

// The control with this id, on the window or any page; nullptr when none.
HWND Control(int id);
std::string ControlText(int id);
void SetControlText(int id, const std::string& text);
bool IsChecked(int id);
void SetCheck(int id, bool checked);
void EnableControl(int id, bool enabled);

// Selects a page as a click on its tab would.
void SelectPage(int page);

// Modal boxes of the window thread (owner: the main window).
int AskUser(const std::string& caption, const std::string& text, UINT flags);
void ErrorBox(const std::string& text, bool systemModal = true);
// A command's check said no: its "Error" box is shown (and the page it
// names); true when there was one.
bool Refused(const std::optional<CommandMessage>& refusal);
// A command's question: true when there is none or the user says Yes.
bool Agreed(const std::optional<CommandMessage>& question);

// The window's size in dialog units, as the layout and the settings see it.
SIZE WindowSizeDlu();
void LayoutWindow();
// The version shown in the title (666 when it could not be read).
int VersionCodeShown();

// ---- page tables and handlers (one file each)
std::vector<ControlSpec> ResultsPageTable();
std::vector<ControlSpec> SearchPageTable();
std::vector<ControlSpec> SettingsPageTable();
std::vector<ControlSpec> StatusPageTable();
std::vector<ControlSpec> TemplatePageTable();

// Results page
void InitResultsList();
// The columns' order and widths go to the settings (ResultColumns).
void RememberResultColumns();
void RebuildResultsList();
void ApplyAddedRows(const std::vector<std::int32_t>& rows);
void RefreshResultRow(std::int32_t row);
bool HandleResultsNotify(NMHDR* header, LRESULT* result);
std::vector<std::int32_t> SelectedStoreRows();
void OpenSelectedResult();
void GoCommand();
// Starts a run of the search as the window shows it, after Go!'s checks.
void StartRunFromWindow();
void ClearCommand();
void RestoreAfterSearchRun();
void SetDeepScanButton(bool running);

// Search Settings page
void BuildTrees();
void DestroyTrees();
void ApplySiteVisibility();
void ShowMarksInTrees();
void MarksFromTrees(bool enabledSitesOnly);
void CheckAllTrees(bool cities, bool checked);
void TreeChanged(int treeId);
bool IsTreeId(int id);
void EnableTrees(bool enabled);
void NameTreeUnderPointer(HWND tree);
bool HandleTreeNotify(NMHDR* header);

// Vemtrix Settings page
// A check box of the page: its id, caption, the setting it shows, its place
// (y and width in dialog units; x is the page's left column unless given)
// and whether a search run disables it.
struct SettingsCheck {
  int id;
  std::string caption;
  std::int32_t Settings::*setting;
  short y;
  short width;
  bool disabledDuringRun;
  short x = 2;
};
const std::vector<SettingsCheck>& SettingsChecks();
void ShowSettingsInControls();
void ApplySettingsCommand();
void CancelSettingsCommand();
void SettingsControlChanged(int id, int code);
void LeavingSettingsPage();

// Diagnostics page
void InitStatusPage();
void LayoutStatusPage(int width, int height);
void ShowWorkerBlock(bool scan);
void SetWorkerRow(bool scan, int slot, const std::string& text, int light, SiteId site);
void ShowCounters(std::int32_t newThisRun, std::int32_t total);
void ShowBytes(std::uint32_t bytes);

// HTML Template page
void ShowTemplateInControls();
void TemplateSaveCommand();
void TemplateCancelCommand();
void TemplateResetCommand();

// Watching a search: the repeat timer, each run's summary, the rows new
// since the user last looked, the notification of new ads.
void StartWatching();
void StopWatching();
void RunSummaryArrived(const RunSummary& summary);
void RepeatTimerTick();
void ShowFailedSearches();
// The results page came in front (true) or left it (false).
void ResultsPageInFront(bool inFront);
// The window is in front again: the notification icon goes.
void WindowInFront();
// The list was rebuilt (load, sort, delete, clear): no row is new any more.
void ForgetNewRows();
bool RowIsNew(std::int32_t storeRow);
void TrayIconClicked(LPARAM event);

// Status bar: the request line, the run state, the progress (owner-drawn).
inline constexpr int kStatusRequestPart = 0;
inline constexpr int kStatusRunStatePart = 1;
inline constexpr int kStatusProgressPart = 2;
void InitStatusBar();
void PlaceStatusParts();
void ShowStatusText(int part, const std::string& text);
void DrawProgressPart(const DRAWITEMSTRUCT* item);
// The progress part's drawing: the bar, its highlight strip and the percentage.
void DrawProgressInto(HDC dc, RECT part, int permille);
void SetProgress(int permille);

}  // namespace vemtrix::ui
