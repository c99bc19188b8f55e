// HTML output: the results of a scope rendered through the user's two-part
// template (page header and item text) into one page, the View HTML command
// and the quick-filter window's list and buttons. Nothing here needs a
// window: questions, dialogs and the browser go through Frontend.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/frontend.h"
#include "output/csv_export.h"
#include "platform/platform.h"

namespace vemtrix {

// The page's time stamp at the time given: "HH:MM:SS MM-DD-YYYY".
std::string HtmlTimestamp(const platform::LocalDateTime& now);

// The whole page for a scope, built from the HTMLheader and HTMLitem
// settings. Records dated "0000-00-00" (expired postings) are never part of it.
std::string HtmlPageText(OutputScope scope);

// Writes the page for a scope to path (replacing it whole). Shows nothing
// when it succeeds; when the file could not be written it shows an error box
// naming the path (the old file is then untouched) and returns false.
bool WriteHtml(const std::string& path, OutputScope scope);

// The HTML save dialog's request (title, filter, proposed name).
FileDialogRequest HtmlDialogRequest();

// The main window's View HTML command. selectedRows are the record indices
// of the results list's selected rows: with more than one, they are the
// output and no scope question is asked. The written page is opened in the
// browser. Returns true when a page was written.
bool ViewHtmlCommand(const std::vector<std::int32_t>& selectedRows = {});

// The quick-filter window's HTML button: fieldText becomes the quick-filter
// text; the chosen file gets the matching records and is opened. A cancelled
// dialog does nothing. Returns true when a page was written.
bool QuickFilterHtmlCommand(const std::string& fieldText);

// One row of the quick-filter window's list: a title and its record index.
struct QuickFilterListRow {
  std::string title;
  std::int32_t row = 0;
};

// The quick-filter window's list for filter: every record whose title
// followed by its full text matches, in store order.
std::vector<QuickFilterListRow> RefillQuickFilterList(const std::string& filter);

// A double-click on a quick-filter row: with ConfirmSpawn set, asks "View
// it?" first; opens the record's link in the browser unless the answer is No.
// Returns true when the link was opened.
bool OpenResultInBrowser(std::int32_t row);

}  // namespace vemtrix
