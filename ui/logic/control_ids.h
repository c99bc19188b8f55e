// Every control id of the main window, its five pages and the program's
// dialogs, and the commands and timers that have no control of their own.
// The one place these numbers are written: page tables, layouts, the help
// table, the handlers and the tests all use the names. Portable, so the
// window's logic and its native tests can include it.
#pragma once

#include <array>

namespace vemtrix {

enum ControlId : int {
  // The window itself: the search-name row, the help icon, the tabs, the status bar.
  kIdTab = 1001,
  kIdNameLabel = 1003,
  kIdName = 1004,
  kIdLoad = 1005,
  kIdSave = 1006,
  kIdHelpIcon = 1279,
  kIdStatusBar = 1280,
  kIdNew = 1281,

  // "Search Results".
  kIdList = 1008,
  kIdClear = 1010,
  kIdOutputCsv = 1011,
  kIdViewHtml = 1012,
  kIdGo = 1013,
  kIdDeepScan = 1014,
  kIdFilter = 1262,

  // "Search Settings" (the trees are in kCityTreeIds and kSectionTreeIds).
  kIdCitySelectAll = 1017,
  kIdCityClearAll = 1018,
  kIdSectionSelectAll = 1021,
  kIdSectionClearAll = 1022,
  kIdTermsLabel = 1023,
  kIdTerms = 1024,
  kIdGo2 = 1112,
  kIdCityTreeName = 1276,
  kIdSectionTreeName = 1277,

  // "Vemtrix Settings": check boxes, number and text fields, buttons.
  kIdSearchCraigslist = 1025,
  kIdSearchKijiji = 1026,
  kIdAutoDeepScan = 1027,
  kIdCheckForUpdates = 1028,
  kIdApply = 1029,
  kIdSettingsCancel = 1030,
  kIdAbout = 1031,
  kIdDiscardSearches = 1032,
  kIdMaxResultsLabel = 1033,
  kIdMaxResults = 1034,
  kIdMaxThreadsLabel = 1035,
  kIdMaxThreads = 1036,
  kIdMaxThreads2Label = 1037,
  kIdMaxThreads2 = 1038,
  kIdUserAgentLabel = 1039,
  kIdUserAgent = 1040,
  kIdSearchTitles = 1100,
  kIdHasPictures = 1101,
  kIdAutoSync = 1102,
  kIdRssDescription = 1263,
  kIdOverrideRss = 1264,
  kIdIncludeSiteInCsv = 1265,
  kIdIncludeStateInCsv = 1266,
  kIdAllowMultipleInstances = 1267,
  kIdConfirmSpawn = 1268,
  kIdSearchBackpage = 1269,
  kIdSearchDaype = 1270,
  kIdAudioPrompts = 1275,
  kIdDaypeRss = 1278,
  kIdRepeatSearch = 1300,
  kIdRepeatMinutes = 1301,
  kIdRepeatMinutesLabel = 1302,
  kIdNotifyNewAds = 1303,
  kIdIncludePriceInCsv = 1304,
  kIdCsvForSpreadsheets = 1305,

  // "Diagnostics": the counters, the worker rows (slot i of a block is its
  // base + i), the block switches and Abort.
  kIdResultCountLabel = 1113,
  kIdResultCount = 1114,
  kIdNewCountLabel = 1115,
  kIdNewCount = 1116,
  kIdBytesLabel = 1117,
  kIdBytes = 1118,
  kIdSearchWorkerBox = 1120,
  kIdScanWorkerBox = 1140,
  kIdSearchWorkerLabel = 1160,
  kIdSearchWorkerIcon = 1180,
  kIdScanWorkerIcon = 1200,
  kIdSearchWorkerLight = 1220,
  kIdScanWorkerLight = 1240,
  kIdScanWorkerLabel = 1290,
  kIdViewSearchStatus = 1260,
  kIdViewScanStatus = 1261,
  kIdAbort = 1282,

  // "HTML Template".
  kIdTemplateSave = 1105,
  kIdTemplateCancel = 1106,
  kIdTemplateReset = 1107,
  kIdHeaderBox = 1108,
  kIdItemBox = 1109,
  kIdItemLabel = 1110,
  kIdHeaderLabel = 1111,

  // "Download Sections and Cities" (the first run's catalog download).
  kIdHarvestLog = 2001,
  kIdBeginDownload = 2002,
  kIdHarvestCancel = 2003,
  kIdHarvestPicture = 2004,

  // "About Vemtrix" (the statistics lines are kIdAboutStatistics + 0..3).
  kIdAboutProduct = 3001,
  kIdAboutDescription = 3002,
  kIdAboutCredits = 3003,
  kIdAboutContact = 3004,
  kIdAboutWeb = 3005,
  kIdAboutHomepage = 3006,
  kIdAboutDisclaimer = 3007,
  kIdAboutOk = 3009,
  kIdAboutVisit = 3010,
  kIdAboutRadar = 3011,
  kIdAboutStatistics = 3012,
  kIdAboutRunning = 3016,
  kIdAboutPicture = 3019,

  // "Search inside search results" (the quick filter).
  kIdQuickMatches = 5001,
  kIdQuickCsv = 5002,
  kIdQuickHtml = 5003,
  kIdQuickClose = 5004,
  kIdQuickFilterBox = 5005,
  kIdQuickMatchCount = 5006,
  kIdQuickFilterLabel = 5007,
  kIdQuickResultsLabel = 5008,
  kIdQuickPriceFromLabel = 5009,
  kIdQuickPriceFrom = 5010,
  kIdQuickPriceToLabel = 5011,
  kIdQuickPriceTo = 5012,

  // "New Search".
  kIdNewPrompt = 7001,
  kIdNewName = 7002,
  kIdNewButton = 7003,
  kIdNewCancel = 7004,
};

inline constexpr int kAboutStatisticsLines = 4;

// The city trees of Craigslist, Kijiji, Backpage, Daype, then their section trees.
inline constexpr std::array<int, 4> kCityTreeIds = {1016, 1103, 1071, 1073};
inline constexpr std::array<int, 4> kSectionTreeIds = {1020, 1104, 1072, 1074};

// Commands without a control of their own: keyboard shortcuts and the
// Load button's menu of recent searches.
inline constexpr int kCmdRecentFirst = 6001;
inline constexpr int kCmdRecentLast = 6008;
inline constexpr int kCmdShowDiagnostics = 7100;
inline constexpr int kCmdClose = 7101;

// Timers of the dialogs.
inline constexpr unsigned kTimerAboutSecond = 3017;
inline constexpr unsigned kTimerAboutRadar = 3018;
inline constexpr unsigned kTimerQuickRefill = 5100;
// The main window's timer that repeats a watched search.
inline constexpr unsigned kTimerRepeat = 7200;

// The notification-area icon that announces new ads.
inline constexpr unsigned kTrayIconId = 7300;

}  // namespace vemtrix
