// The output commands of the main window and the quick-filter window: the
// scope question, the save dialog, the file and the browser. They take what
// they need as arguments (the results list's selection, the quick-filter
// field, the settings record); the proposed file name is the current
// search's name. Window thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/frontend.h"
#include "core/price.h"
#include "core/settings.h"
#include "output/csv_export.h"

namespace vemtrix {

// The scope of an output command: the selected rows when more than one is
// selected, else (when both new and old records exist) the user's answer to
// "only the new records?"; Cancelled after "no records" or Cancel. verb is
// "save" or "view"; includedIn names where everything would go.
OutputScope ChooseOutputScope(const std::vector<std::int32_t>& selectedRows, const std::string& verb,
                              const std::string& includedIn);

// Output CSV. selectedRows are the record indices of the results list's
// selected rows: with more than one, they are the output and no scope
// question is asked. Returns true when a file was written.
bool ExportCsvCommand(const std::vector<std::int32_t>& selectedRows, const Settings& settings);

// View HTML: as ExportCsvCommand, and the written page is opened in the
// browser. Returns true when a page was written.
bool ViewHtmlCommand(const std::vector<std::int32_t>& selectedRows, const Settings& settings);

// The quick-filter window's CSV button: the chosen file gets the records
// matching fieldText whose price is in prices (the price boxes) and is
// opened afterwards. A cancelled dialog does nothing. Returns true when a
// file was written.
bool QuickFilterCsvCommand(const std::string& fieldText, const PriceRange& prices, const Settings& settings);
bool QuickFilterCsvCommand(const std::string& fieldText, const Settings& settings);

// The quick-filter window's HTML button: the same for the HTML page.
bool QuickFilterHtmlCommand(const std::string& fieldText, const PriceRange& prices, const Settings& settings);
bool QuickFilterHtmlCommand(const std::string& fieldText, const Settings& settings);

// The quick filter's price range from its two boxes' texts (ParsePriceBound):
// a blank box, or one that holds no whole number, is no bound.
PriceRange PriceRangeFromBoxes(std::string_view fromText, std::string_view toText);

// One row of the quick-filter window's list: a title as shown (character
// references decoded) and its record index.
struct QuickFilterListRow {
  std::string title;
  std::int32_t row = 0;
};

// The quick-filter window's list for filter and prices: every record whose
// title followed by its full text matches and whose price is in the range,
// in store order; the count shown is its size. stillWanted (when given) is
// asked every 1,024 records; once it says no the walk stops and what was
// found so far comes back, for the caller to drop (a newer keystroke made
// the list out of date).
std::vector<QuickFilterListRow> RefillQuickFilterList(const std::string& filter, const PriceRange& prices,
                                                      const std::function<bool()>& stillWanted = {});
std::vector<QuickFilterListRow> RefillQuickFilterList(const std::string& filter,
                                                      const std::function<bool()>& stillWanted = {});

// A double-click on a quick-filter row: with confirmSpawn (the ConfirmSpawn
// setting), asks "View it?" first; opens the record's link in the browser
// unless the answer is No. Returns true when the link was opened.
bool OpenResultInBrowser(std::int32_t row, bool confirmSpawn);

// A save dialog for an output file: the title, "All <kind> files (*.<ext>)",
// the program's folder, and the current search's name with the extension.
FileDialogRequest OutputDialogRequest(const std::string& title, const std::string& kind,
                                      const std::string& extension);
FileDialogRequest CsvDialogRequest();
FileDialogRequest HtmlDialogRequest();

}  // namespace vemtrix
