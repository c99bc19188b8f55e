// CSV export of the results, the output scopes shared with the HTML output,
// the site name of a result, and the quick-filter rule. The commands that ask
// for a scope and a file are in commands/output_commands.h.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/result_store.h"
#include "core/settings.h"

namespace vemtrix {

// Which results an output takes. Cancelled never reaches a writer.
enum class OutputScope : int { Cancelled = 0, All = 1, NewOnly = 2, Selected = 3, QuickFilter = 4 };

// The records of an output: a scope and, for QuickFilter, the filter text
// (the raw text of the quick-filter window's field).
struct OutputRecords {
  OutputRecords(OutputScope scope = OutputScope::All, std::string filter = {})  // NOLINT: a scope is enough
      : scope(scope), filter(std::move(filter)) {}
  OutputScope scope;
  std::string filter;
};

// The filter as a comma-separated term list: outside double quotes a space
// separates terms, inside it is kept; the quotes themselves are dropped.
std::string QuickFilterTerms(std::string_view filter);
// True when text (any letter case) holds every term of filter and none of its
// "-" terms. An empty filter matches everything.
bool QuickFilterMatches(std::string_view text, std::string_view filter);

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
// the filter; All takes every row.
void ForEachRecordInScope(const OutputRecords& records,
                          const std::function<void(std::int32_t index, const SearchResult& row)>& take);

// The whole CSV file text (header line included, CR LF line ends), with the
// state and site columns when the settings ask for them; recordsWritten
// (when given) receives the number of records.
std::string CsvFileText(const OutputRecords& records, const Settings& settings,
                        std::int64_t* recordsWritten = nullptr);

// Writes the CSV file to path (replacing it whole) and reports: "Save
// complete" with the record count, or an error box naming the path when the
// file could not be written (the old file is then untouched). Returns true
// when the file was written.
bool ExportCsv(const std::string& path, const OutputRecords& records, const Settings& settings);

// Records with a new flag (fresh) and without (old).
struct NewAndOldCounts {
  std::int64_t fresh = 0;
  std::int64_t old = 0;
};
NewAndOldCounts CountNewAndOld();

// Marks exactly the given store rows as selected (the results list's
// selection, as record indices) for a Selected output.
void SelectRowsForOutput(const std::vector<std::int32_t>& rows);

// The error box for an output file that could not be written.
void ReportOutputWriteFailure(const std::string& path);

}  // namespace vemtrix
