// What the main window's files share: its handles, its pages, the list's
// display order, and the helpers every page uses. Window thread only.
#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <string>
#include <vector>

#include "core/site_id.h"
#include "ui/control_table.h"
#include "ui/logic/result_order.h"

namespace vemtrix::ui {

enum Page : int { kPageResults = 0, kPageSearch = 1, kPageSettings = 2, kPageStatus = 3, kPageTemplate = 4 };
inline constexpr int kPageCount = 5;

// Control ids the files share.
enum ControlId : int {
  kIdNameLabel = 1003, kIdName = 1004, kIdLoad = 1005, kIdSave = 1006, kIdNew = 1281,
  kIdHelpIcon = 1279, kIdTab = 1001, kIdStatusBar = 1280,
  kIdList = 1008, kIdClear = 1010, kIdFilter = 1262, kIdOutputCsv = 1011, kIdViewHtml = 1012,
  kIdDeepScan = 1014, kIdGo = 1013,
  kIdCitySelectAll = 1017, kIdCityClearAll = 1018, kIdSectionSelectAll = 1021, kIdSectionClearAll = 1022,
  kIdCityTreeName = 1276, kIdSectionTreeName = 1277, kIdTermsLabel = 1023, kIdTerms = 1024, kIdGo2 = 1112,
  kIdSettingsCancel = 1030, kIdApply = 1029, kIdAbout = 1031,
  kIdMaxResults = 1034, kIdMaxThreads = 1036, kIdMaxThreads2 = 1038, kIdUserAgent = 1040,
  kIdViewSearchStatus = 1260, kIdViewScanStatus = 1261, kIdAbort = 1282,
  kIdResultCount = 1114, kIdNewCount = 1116, kIdBytes = 1118,
  kIdHeaderBox = 1108, kIdItemBox = 1109, kIdTemplateSave = 1105, kIdTemplateCancel = 1106,
  kIdTemplateReset = 1107,
};

// The city trees of Craigslist, Kijiji, Backpage, Daype, then their section trees.
inline constexpr std::array<int, 4> kCityTreeIds = {1016, 1103, 1071, 1073};
inline constexpr std::array<int, 4> kSectionTreeIds = {1020, 1104, 1072, 1074};

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
void RebuildResultsList();
void ApplyAddedRows(const std::vector<std::int32_t>& rows);
void RefreshResultRow(std::int32_t row);
bool HandleResultsNotify(NMHDR* header, LRESULT* result);
std::vector<std::int32_t> SelectedStoreRows();
void OpenSelectedResult();
void GoCommand();
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

// Status bar: the request line, the run state, the progress (owner-drawn).
inline constexpr int kStatusRequestPart = 0;
inline constexpr int kStatusRunStatePart = 1;
inline constexpr int kStatusProgressPart = 2;
void InitStatusBar();
void ShowStatusText(int part, const std::string& text);
void DrawProgressPart(const DRAWITEMSTRUCT* item);
// The progress part's drawing: the bar, its highlight strip and the percentage.
void DrawProgressInto(HDC dc, RECT part, int permille);
void SetProgress(int permille);

}  // namespace vemtrix::ui
