#include "output/record_scope.h"

#include "core/text.h"

namespace vemtrix {

std::string QuickFilterTerms(std::string_view filter) {
  std::string terms;
  terms.reserve(filter.size());
  bool quoted = false;
  for (char c : filter) {
    if (c == '"') {
      quoted = !quoted;
    } else if (c == ' ') {
      terms += quoted ? ' ' : ',';
    } else {
      terms += c;
    }
  }
  return terms;
}

QuickFilterRule ParseQuickFilter(std::string_view filter) {
  QuickFilterRule rule;
  const std::string terms = QuickFilterTerms(ToLower(filter));
  std::string_view rest = terms;
  while (true) {
    const std::size_t comma = rest.find(',');
    std::string_view term = Trim(rest.substr(0, comma));
    if (!term.empty() && term.front() == '-') {
      // A lone "-" (say, while a negative term is being typed) names nothing
      // to leave out; it must not hide every record.
      term.remove_prefix(1);
      if (!term.empty()) rule.excluded.emplace_back(term);
    } else if (!term.empty()) {
      rule.required.emplace_back(term);
    }
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  return rule;
}

bool RuleMatchesLower(const QuickFilterRule& rule, std::string_view lowerText) {
  for (const std::string& term : rule.excluded) {
    if (Contains(lowerText, term)) return false;
  }
  for (const std::string& term : rule.required) {
    if (!Contains(lowerText, term)) return false;
  }
  return true;
}

bool QuickFilterMatches(std::string_view text, std::string_view filter) {
  return RuleMatchesLower(ParseQuickFilter(filter), ToLower(text));
}

void ForEachRecordInScope(
    const OutputRecords& records,
    const std::function<void(std::int32_t index, const SearchResult& row, std::int32_t price)>& take) {
  const ResultStore& store = Results();
  const OutputScope scope = records.scope;
  QuickFilterRule rule;
  if (scope == OutputScope::QuickFilter) rule = ParseQuickFilter(records.filter);
  const std::int32_t count = store.Count();
  for (std::int32_t i = 1; i <= count; ++i) {
    if (scope == OutputScope::Selected && store.selected(i) == 0) continue;
    const std::int32_t price = store.Price(i);
    if (!records.prices.Admits(price)) continue;
    const SearchResult row = store.Row(i);
    if (scope == OutputScope::NewOnly && row.newFlag.empty()) continue;
    if (scope == OutputScope::QuickFilter && !RuleMatchesLower(rule, ToLower(row.title + row.fullText))) continue;
    take(i, row, price);
  }
}

NewAndOldCounts CountNewAndOld() {
  NewAndOldCounts counts;
  const ResultStore& store = Results();
  const std::int32_t count = store.Count();
  for (std::int32_t i = 1; i <= count; ++i) {
    if (store.Field(i, kFieldNewFlag).empty()) {
      ++counts.old;
    } else {
      ++counts.fresh;
    }
  }
  return counts;
}

void SelectRowsForOutput(const std::vector<std::int32_t>& rows) {
  ResultStore& store = Results();
  store.ClearSelection();
  for (std::int32_t row : rows) store.SetSelected(row, 1);
}

}  // namespace vemtrix
