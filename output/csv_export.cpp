#include "output/csv_export.h"

#include "catalogs/catalog_files.h"
#include "catalogs/state_codes.h"
#include "core/csv_fields.h"
#include "core/frontend.h"
#include "core/text.h"
#include "harvest/sites.h"
#include "platform/platform.h"

namespace vemtrix {

namespace {

const char* const kCrLf = "\r\n";

// The host part of a link, in lower case: after "://" (when present) up to
// the first "/", "?" or "#".
std::string LowerHostOfLink(std::string_view link) {
  link = Trim(link);
  const std::size_t scheme = link.find("://");
  if (scheme != std::string_view::npos) link.remove_prefix(scheme + 3);
  const std::size_t end = link.find_first_of("/?#");
  if (end != std::string_view::npos) link = link.substr(0, end);
  return ToLower(link);
}

}  // namespace

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

std::string SiteNameForLink(std::string_view link) {
  const SiteId site = SiteOfHost(LowerHostOfLink(link));
  return site == SiteId::None ? std::string() : std::string(Site(site).name);
}

void ForEachRecordInScope(const OutputRecords& records,
                          const std::function<void(std::int32_t index, const SearchResult& row)>& take) {
  const ResultStore& store = Results();
  const OutputScope scope = records.scope;
  QuickFilterRule rule;
  if (scope == OutputScope::QuickFilter) rule = ParseQuickFilter(records.filter);
  const std::int32_t count = store.Count();
  for (std::int32_t i = 1; i <= count; ++i) {
    if (scope == OutputScope::Selected && store.selected(i) == 0) continue;
    const SearchResult row = store.Row(i);
    if (scope == OutputScope::NewOnly && row.newFlag.empty()) continue;
    if (scope == OutputScope::QuickFilter && !RuleMatchesLower(rule, ToLower(row.title + row.fullText))) continue;
    take(i, row);
  }
}

std::string CsvFileText(const OutputRecords& records, const Settings& settings, std::int64_t* recordsWritten) {
  const bool withState = settings.IncludeStateInCSV != 0;
  const bool withSite = settings.IncludeSiteInCSV != 0;

  std::string text = "\"Date\",\"Title\",\"City\",";
  if (withState) text += "\"StateCode\",";
  text += "\"Section\",\"URI\",";
  if (withSite) text += "\"SiteName\",";
  text += "\"FullText\"";
  text += kCrLf;

  std::int64_t written = 0;
  std::string stateCode;
  std::string siteName;
  ForEachRecordInScope(records, [&](std::int32_t, const SearchResult& row) {
    std::vector<CsvField> cells = {{row.date}, {row.title}, {row.city}};
    if (withState) {
      stateCode = StateCodeForLink(row.link);
      cells.push_back({stateCode});
    }
    cells.push_back({row.section});
    cells.push_back({row.link});
    if (withSite) {
      siteName = SiteNameForLink(row.link);
      cells.push_back({siteName});
    }
    cells.push_back({row.fullText});
    AppendCsvRow(text, cells);
    ++written;
  });
  if (recordsWritten != nullptr) *recordsWritten = written;
  return text;
}

void ReportOutputWriteFailure(const std::string& path) {
  UI().ShowMessage("Error",
                   "The output could not be written to \"" + path +
                       "\". The folder may be missing or read-only, the disk full, or the file in use. "
                       "Any old file of that name is unchanged.",
                   MessageIcon::Error, MessageButtons::Ok);
}

bool ExportCsv(const std::string& path, const OutputRecords& records, const Settings& settings) {
  std::int64_t written = 0;
  const std::string text = CsvFileText(records, settings, &written);
  if (!platform::WriteWholeFile(path, text)) {
    ReportOutputWriteFailure(path);
    return false;
  }
  UI().ShowMessage("Save complete",
                   "CSV file saved to '" + path + "' with " + FormatCount(written) + " record" +
                       (written > 1 ? "s" : "") + ".",
                   MessageIcon::None, MessageButtons::Ok);
  return true;
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
