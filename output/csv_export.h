// CSV export of the results, the output scopes shared with the HTML output,
// the state code of a result, and the quick-filter rule. Nothing here needs a
// window: questions, dialogs and messages go through Frontend.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/frontend.h"
#include "core/result_store.h"

namespace vemtrix {

// Which results an output takes. Cancelled never reaches a writer.
enum class OutputScope : int { Cancelled = 0, All = 1, NewOnly = 2, Selected = 3, QuickFilter = 4 };

// The program-wide quick-filter text: the raw text of the quick-filter
// window's field when its CSV or HTML button was pressed (scope QuickFilter).
void SetQuickFilterText(std::string_view text);
std::string QuickFilterText();

// The filter as a comma-separated term list: outside double quotes a space
// separates terms, inside it is kept; the quotes themselves are dropped.
std::string QuickFilterTerms(std::string_view filter);
// True when text (any letter case) holds every term of filter and none of its
// "-" terms. An empty filter matches everything.
bool QuickFilterMatches(std::string_view text, std::string_view filter);

// The two-letter state or province code of a result from its link; "--"
// when no catalog row tells it.
std::string StateCodeForLink(std::string_view link);

// The site name of a link by the domain label in its host ("Craigslist",
// "Kijiji", "Backpage", "Daype"); empty for a host of none of them.
std::string SiteNameForLink(std::string_view link);

// A filter taken apart once, for matching many records.
struct QuickFilterRule {
  std::vector<std::string> required;  // lower case
  std::vector<std::string> excluded;  // lower case, without the "-"
};
QuickFilterRule ParseQuickFilter(std::string_view filter);
// text must already be in lower case.
bool RuleMatchesLower(const QuickFilterRule& rule, std::string_view lowerText);

// Calls take(index, row) for every store record of the scope, in store
// order: NewOnly takes rows with a new flag, Selected rows whose selected
// entry is set, QuickFilter rows whose title followed by full text matches
// the quick-filter text; All takes every row.
void ForEachRecordInScope(OutputScope scope,
                          const std::function<void(std::int32_t index, const SearchResult& row)>& take);

// The whole CSV file text for a scope (header line included, CR LF line
// ends); recordsWritten (when given) receives the number of records.
std::string CsvFileText(OutputScope scope, std::int64_t* recordsWritten = nullptr);

// Writes the CSV file for a scope to path (replacing it whole) and reports:
// "Save complete" with the record count, or an error box naming the path
// when the file could not be written (the old file is then untouched).
// Returns true when the file was written.
bool ExportCsv(const std::string& path, OutputScope scope);

// Records with a new flag (fresh) and without (old).
struct NewAndOldCounts {
  std::int64_t fresh = 0;
  std::int64_t old = 0;
};
NewAndOldCounts CountNewAndOld();

// Marks exactly the given store rows as selected (the results list's
// selection, as record indices) for a Selected output.
void SelectRowsForOutput(const std::vector<std::int32_t>& rows);

// The scope of an output command: the selected rows when more than one is
// selected, else (when both new and old records exist) the user's answer to
// "only the new records?"; Cancelled after "no records" or Cancel. verb is
// "save" or "view"; includedIn names where everything would go.
OutputScope ChooseOutputScope(const std::vector<std::int32_t>& selectedRows, const std::string& verb,
                              const std::string& includedIn);

// The main window's CSV command. selectedRows are the record indices of the
// results list's selected rows: with more than one, they are the output and
// no scope question is asked. Returns true when a file was written.
bool ExportCsvCommand(const std::vector<std::int32_t>& selectedRows = {});

// The quick-filter window's CSV button: fieldText becomes the quick-filter
// text; the chosen file gets the matching records and is opened afterwards.
// A cancelled dialog does nothing. Returns true when a file was written.
bool QuickFilterCsvCommand(const std::string& fieldText);

// A save dialog for an output file: the title, "All <kind> files (*.<ext>)",
// the program's folder, and the search name with the extension proposed.
FileDialogRequest OutputDialogRequest(const std::string& title, const std::string& kind,
                                      const std::string& extension);

// The CSV save dialog's request (title, filter, proposed name).
FileDialogRequest CsvDialogRequest();

// The error box for an output file that could not be written.
void ReportOutputWriteFailure(const std::string& path);

}  // namespace vemtrix
