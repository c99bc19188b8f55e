#include "ui/logic/help_texts.h"

#include "harvest/sites.h"
#include "ui/logic/control_ids.h"

namespace vemtrix {

namespace {

// One row of the help table: the controls first..last share one text. A text
// that names a site is head + the site's web name + tail.
struct HelpEntry {
  int first;
  int last;
  const char* head;
  SiteId site = SiteId::None;
  const char* tail = "";
};

// Both "Go!" buttons (results page and search settings page).
constexpr const char kGoHelp[] =
    "Click this button to begin a new search, or if a search is already running, click it to abort "
    "the current search. Keyboard shortcut is Ctrl+G (or Ctrl+Enter).";

// The texts are shown to the user as they stand, slips included.
const HelpEntry kHelpTable[] = {
    {kIdResultCountLabel, kIdResultCount,
     "This tells you how many search results are in your currently loaded list."},
    {kIdNewCountLabel, kIdNewCount,
     "This tells you how many new results have been retrieved in this session."},
    {kIdBytesLabel, kIdBytes,
     "This tells you how many bytes of data in search feeds and ads have been downloaded in this "
     "session."},
    {kIdSearchWorkerBox, kIdSearchWorkerBox + 11,
     "This tells you the details (city, term, and section) of the search currently being performed."},
    {kIdScanWorkerBox, kIdScanWorkerBox + 11,
     "This tells you the URL of the current ad being downloaded by the deep scan."},
    {kIdSearchWorkerIcon, kIdSearchWorkerIcon + 11,
     "This is blank if nothing is happening, or shows either a Kijiji, Craigslist, Backpage, or Daype "
     "icon depending on which site is being searched."},
    {kIdScanWorkerIcon, kIdScanWorkerIcon + 11,
     "This is blank if nothing is happening, or shows either a Kijiji, Craigslist, Backpage, or Daype "
     "icon depending on which site is being downloaded from."},
    {kIdSearchWorkerLight, kIdSearchWorkerLight + 11,
     "These lights indicate the status of the current search: dark for inactive, green for "
     "downloading, or red if it's experiencing a problem."},
    {kIdScanWorkerLight, kIdScanWorkerLight + 11,
     "These lights indicate the status of the current deep scan download: dark for inactive, green "
     "for downloading, or red if it's experiencing a problem."},
    {kIdViewSearchStatus, kIdViewSearchStatus,
     "This button hides the deep scan details and views information about the current searches."},
    {kIdViewScanStatus, kIdViewScanStatus,
     "This button hides the search details and views information about the current deep scan ad "
     "downloads."},
    {kIdTemplateSave, kIdTemplateSave,
     "Click this to save your current HTML template. It will not be used for output until you save it."},
    {kIdTemplateCancel, kIdTemplateCancel,
     "Click this to abort any chages you've made to your HTML template and revert to the most "
     "recently saved version."},
    {kIdTemplateReset, kIdTemplateReset,
     "Click this to discard your HTML template and replace it with the software's default template."},
    {kIdHelpIcon, kIdHelpIcon,
     "Clicking this gets you context sensitive help, as you may have already figured out -- click it, "
     "then anything else, for advice. Keyboard shortcut is Ctrl+H."},
    {kIdHeaderBox, kIdHeaderBox,
     "Enter the HTML header and container for the HTML output. You can use the macros **ITEM** for "
     "the location of the repeated items, **TIMESTAMP** for the time and date of the search, and "
     "**NAME** for the name of the search."},
    {kIdItemBox, kIdItemBox,
     "Enter the HTML for the repeated items. In the item, you can use the macros **COUNTER** for the "
     "numeric item counter (useful for Javascripts), **ITEMTITLE** for the title of the item, "
     "**ITEMDATE** for the item's date (when it was posted), **ITEMCITY** for the city the item was "
     "found in, **ITEMSECTION** for the section the item was found in, **DESCRIPTION** for the text "
     "of the item (assuming a deep scan has been done), **NEW** for the word 'New' if the item is "
     "new, and **ITEMLINK** for a linkback to the item on Craigslist or Kijiji."},
    {kIdAbort, kIdAbort,
     "Click this button to cancel an active search or an active deep scan."},
    {kIdGo, kIdGo, kGoHelp},
    {kIdGo2, kIdGo2, kGoHelp},
    {kIdLoad, kIdLoad,
     "Click this to load the results and settings of an older search. You can also right click for a "
     "pop-up list of recent searches. Keyboard shortcut is Ctrl+L."},
    {kIdSave, kIdSave,
     "Click this to save the results and settings of this search so you can work on it more later. "
     "Keyboard shortcut is Ctrl+S."},
    {kIdNew, kIdNew,
     "Click this to start a new search with a clear list and a new name. Keyboard shortcut is Ctrl+N."},
    {kIdStatusBar, kIdStatusBar,
     "This tells you the progress of the current search and other information about what Vemtrix is "
     "doing."},
    {kIdFilter, kIdFilter,
     "This allows you to easily search inside your downloaded search results to fine tune your query "
     "very quickly."},
    {kIdClear, kIdClear,
     "This deletes all current search results."},
    {kIdOutputCsv, kIdOutputCsv,
     "This outputs a CSV (comma separated volume) file of the current search results (either all, "
     "new, or selected items) for easy loading into spreadsheets, databases, and other programs."},
    {kIdViewHtml, kIdViewHtml,
     "This loads the results of your search into your browser (either all, new, or selected items)."},
    {kIdDeepScan, kIdDeepScan,
     "This goes through all your search results and downloads the result pages so you can view or "
     "search them offline."},
    {kIdList, kIdList,
     "This is the list of current results. You can double click an individual result to view it in "
     "your browser. You can also select multiple items to output or view specific records with the "
     "buttons below. Clicking on the column headers sorts the list."},
    {kCityTreeIds[0], kCityTreeIds[0],
     "This lets you select which Craigslist cities or regions you'd like to search."},
    {kCityTreeIds[1], kCityTreeIds[1],
     "This lets you select which Kijiji cities or regions you'd like to search."},
    {kCityTreeIds[3], kCityTreeIds[3],
     "This lets you select which ",
     SiteId::Daype,
     " cities you'd like to search."},
    {kCityTreeIds[2], kCityTreeIds[2],
     "This lets you select which ",
     SiteId::Backpage,
     " cities you'd like to search."},
    {kIdCitySelectAll, kIdCitySelectAll,
     "Click this button to select all cities for searching."},
    {kIdCityClearAll, kIdCityClearAll,
     "Click this button to deselect all cities from searching."},
    {kSectionTreeIds[0], kSectionTreeIds[0],
     "This lets you select which Craigslist sections will be searched. Selecting a parent section "
     "automatically  searches all sections within it."},
    {kSectionTreeIds[1], kSectionTreeIds[1],
     "This lets you select which Kijiji sections will be searched. Selecting a parent section "
     "automatically  searches all sections within it."},
    {kSectionTreeIds[3], kSectionTreeIds[3],
     "This lets you select which ",
     SiteId::Daype,
     " sections will be searched. Selecting a parent section automatically  searches all sections "
     "within it."},
    {kSectionTreeIds[2], kSectionTreeIds[2],
     "This lets you select which ",
     SiteId::Backpage,
     " sections will be searched. Selecting a parent section automatically  searches all sections "
     "within it."},
    {kIdSectionSelectAll, kIdSectionSelectAll,
     "Click this button to select all sections for searching."},
    {kIdSectionClearAll, kIdSectionClearAll,
     "Click this button to deselect all sections from searching."},
    {kIdTerms, kIdTerms,
     "Enter the terms you'd like to search for in this box, separating multiple terms with commas."},
    {kIdName, kIdName,
     "Enter a name for your search in this box."},
    {kIdSearchCraigslist, kIdSearchCraigslist,
     "Check this box if you'd like to include Craigslist in your searching."},
    {kIdSearchKijiji, kIdSearchKijiji,
     "Check this box if you'd like to include Kijiji in your searching."},
    {kIdSearchBackpage, kIdSearchBackpage,
     "Check this box if you'd like to include ",
     SiteId::Backpage,
     " in your searching."},
    {kIdSearchDaype, kIdSearchDaype,
     "Check this box if you'd like to include ",
     SiteId::Daype,
     " in your searching."},
    {kIdRssDescription, kIdRssDescription,
     "Check this to attempt to get the full text of entries from the RSS feed (which should mean you "
     "won't need to do deep scans)."},
    {kIdAudioPrompts, kIdAudioPrompts,
     "Check this to have the software use audio prompts (ie. sound) when searches complete or fail."},
    {kIdDaypeRss, kIdDaypeRss,
     "Check this to search all of Daype via RSS. This can find more results (pro), but it means that "
     "you can't isolate specific sections (con)."},
    {kIdIncludeStateInCsv, kIdIncludeStateInCsv,
     "Check this box to include a two-letter state column in the CSV files being outputted."},
    {kIdAllowMultipleInstances, kIdAllowMultipleInstances,
     "If this box is checked you will be permitted to run multiple copies of the program at once. "
     "Otherwise only a single copy can run at once, although it automatically try to add batch "
     "commands from the command line to the first instance if a second is executed if unchecked."},
    {kIdConfirmSpawn, kIdConfirmSpawn,
     "Check this to display a warning and information box before loading an ad in your web browser."},
    {kIdIncludeSiteInCsv, kIdIncludeSiteInCsv,
     "Check this box to include a column indicating the search site (ie. 'Kijiji', 'Craigslist', "
     "etc.) source in CSV files being outputted."},
    {kIdOverrideRss, kIdOverrideRss,
     "Check this to have deep scans download entries even if they have already been preloaded from "
     "the RSS feed. These downloads will be done at a lower priority, happening after completely "
     "blank slots."},
    {kIdAutoDeepScan, kIdAutoDeepScan,
     "Check this box to automatically download the entries for each item as well as just the search "
     "results."},
    {kIdCheckForUpdates, kIdCheckForUpdates,
     "Check this box if you'd like to have the software check for updates and tell you when they are "
     "available. Note that no updates will be automatically performed."},
    {kIdDiscardSearches, kIdDiscardSearches,
     "Check this box to automatically discard search results that are more than two months old."},
    {kIdSearchTitles, kIdSearchTitles,
     "Check this box to only search the titles of ads (otherwise the text of the ad is searched as "
     "well)."},
    {kIdHasPictures, kIdHasPictures,
     "Check this box to only search for ads that have pictures."},
    {kIdAutoSync, kIdAutoSync,
     "Check this box to have the software automatically attempt to synchronize your city and search "
     "sections between all the sites being searched. It's not perfect, but it will save you time and "
     "is recommended."},
    {kIdMaxResults, kIdMaxResults,
     "Set the maximum number of results to allow (the more you allow, the more memory the software "
     "will allocate). Recommended default is 25000. If you run out of space, just save your search, "
     "increase the number and restart."},
    {kIdMaxThreads, kIdMaxThreads,
     "Set the maximum number of simultaneous internet connects to open per search. The more you use "
     "the faster it should go, although there is a maximum at which no gains are found."},
    {kIdMaxThreads2, kIdMaxThreads2,
     "Set the maximum number of simultaneous internet connects to open per deep scan session. The "
     "more you use the faster it should go, although there is a maximum at which no gains are found."},
    {kIdUserAgent, kIdUserAgent,
     "This sets the browser user agent string that it will pretend to be."},
    {kIdSettingsCancel, kIdSettingsCancel,
     "Click this to abort any changes you've made to the settings."},
    {kIdApply, kIdApply,
     "Click this to apply/save the changes you've made to the settings (if you don't click this, the "
     "changes will be discarded)."},
    {kIdRepeatSearch, kIdRepeatMinutes,
     "Check this box to run the search again by itself, the given number of minutes after each search "
     "ends, until you press Abort or clear the box."},
    {kIdNotifyNewAds, kIdNotifyNewAds,
     "Check this box to be told in the notification area when a search finds new ads while the window "
     "is minimised or behind another."},
    {kIdIncludePriceInCsv, kIdIncludePriceInCsv,
     "Check this box to add a column with each ad's price (taken from its title or text) to the CSV "
     "output."},
    {kIdCsvForSpreadsheets, kIdCsvForSpreadsheets,
     "Check this box to write CSV files the way spreadsheets read them: a double quote inside a cell "
     "is written twice, and line breaks and backslashes are kept as they are."},
};

}  // namespace

std::string HelpTextFor(int controlId) {
  for (const HelpEntry& entry : kHelpTable) {
    if (controlId < entry.first || controlId > entry.last) continue;
    std::string text = entry.head;
    if (entry.site != SiteId::None) text += Site(entry.site).webName;
    return text + entry.tail;
  }
  return "";
}

ScreenPoint PlaceHelpPopup(ScreenPoint at, int width, int height, ScreenArea work) {
  ScreenPoint place = at;
  if (place.x + width > work.right) place.x = work.right - width;
  if (place.y + height > work.bottom) place.y = work.bottom - height;
  if (place.x < work.left) place.x = work.left;
  if (place.y < work.top) place.y = work.top;
  return place;
}

}  // namespace vemtrix
