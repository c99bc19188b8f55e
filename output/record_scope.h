// Which records an output takes (the output scopes shared by the CSV export
// and the HTML output) and the quick filter's rule: its terms and its price
// range. The commands that ask for a scope are in commands/output_commands.h.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/price.h"
#include "core/result_store.h"

namespace vemtrix {

// Which results an output takes. Cancelled never reaches a writer.
enum class OutputScope : int { Cancelled = 0, All = 1, NewOnly = 2, Selected = 3, QuickFilter = 4 };

// The records of an output: a scope and, for QuickFilter, the filter text
// (the raw text of the quick-filter window's field); prices (the quick
// filter's price boxes) narrows any scope.
struct OutputRecords {
  OutputRecords(OutputScope scope = OutputScope::All, std::string filter = {},  // NOLINT: a scope is enough
                PriceRange prices = {})
      : scope(scope), filter(std::move(filter)), prices(prices) {}
  OutputScope scope;
  std::string filter;
  PriceRange prices;
};

// The filter as a comma-separated term list: outside double quotes a space
// separates terms, inside it is kept; the quotes themselves are dropped.
std::string QuickFilterTerms(std::string_view filter);
// True when text (any letter case) holds every term of filter and none of its
// "-" terms. An empty filter matches everything.
bool QuickFilterMatches(std::string_view text, std::string_view filter);

// A filter taken apart once, for matching many records.
struct QuickFilterRule {
  std::vector<std::string> required;  // lower case
  std::vector<std::string> excluded;  // lower case, without the "-"
};
QuickFilterRule ParseQuickFilter(std::string_view filter);
// text must already be in lower case.
bool RuleMatchesLower(const QuickFilterRule& rule, std::string_view lowerText);

// Calls take(index, row, price) for every store record of the scope whose
// price the records' range admits, in store order: NewOnly takes rows with a
// new flag, Selected rows whose selected entry is set, QuickFilter rows whose
// title followed by full text matches the filter; All takes every row.
void ForEachRecordInScope(
    const OutputRecords& records,
    const std::function<void(std::int32_t index, const SearchResult& row, std::int32_t price)>& take);

// Records with a new flag (fresh) and without (old).
struct NewAndOldCounts {
  std::int64_t fresh = 0;
  std::int64_t old = 0;
};
NewAndOldCounts CountNewAndOld();

// Marks exactly the given store rows as selected (the results list's
// selection, as record indices) for a Selected output.
void SelectRowsForOutput(const std::vector<std::int32_t>& rows);

}  // namespace vemtrix
