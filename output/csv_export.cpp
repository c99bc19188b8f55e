#include "output/csv_export.h"

#include <mutex>

#include "catalogs/catalog_files.h"
#include "catalogs/subdivisions.h"
#include "core/csv_fields.h"
#include "core/current_search.h"
#include "core/settings.h"
#include "harvest/sites.h"
#include "core/text.h"
#include "platform/platform.h"

namespace vemtrix {

namespace {

std::mutex quickFilterLock;
std::string quickFilterText;

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

// The code of the entry named exactly name; "--" when there is none.
std::string CodeOfSubdivision(const SubdivisionTable& table, const std::string& name) {
  for (int i = 1; i <= SubdivisionCount(table); ++i) {
    if (SubdivisionName(table, i) == name) return SubdivisionCode(table, i);
  }
  return "--";
}

bool ChosenNameIsEmpty(const std::optional<std::string>& chosen) {
  return !chosen || Trim(*chosen).empty();
}

void ShowSaveCancelled() {
  UI().ShowMessage("Aborted", "Save cancelled. CSV file has NOT been saved.", MessageIcon::Error,
                   MessageButtons::Ok);
}

}  // namespace

void SetQuickFilterText(std::string_view text) {
  std::lock_guard<std::mutex> guard(quickFilterLock);
  quickFilterText.assign(text);
}

std::string QuickFilterText() {
  std::lock_guard<std::mutex> guard(quickFilterLock);
  return quickFilterText;
}

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

std::string StateCodeForLink(std::string_view link) {
  const std::string lower = ToLower(link);
  if (Contains(lower, Site(SiteId::Craigslist).domainLabel)) {
    const CatalogTable& states = StateTable();
    for (int row = 1; row <= states.Count(); ++row) {
      // An empty key occurs in every link; such a row tells nothing.
      const std::string uri = ToLower(states.Field(row, ClStateColumn::CityURI));
      if (!uri.empty() && Contains(lower, uri)) return states.Field(row, ClStateColumn::StateCode);
    }
    return "--";
  }
  const CatalogTable& cities = CityCatalog(SiteId::Kijiji);
  for (int row = 1; row <= cities.Count(); ++row) {
    const std::string& url = cities.Field(row, KjCityColumn::URL);
    if (url.empty() || !Contains(lower, url)) continue;
    const std::string& country = cities.Field(row, KjCityColumn::Country);
    const std::string& state = cities.Field(row, KjCityColumn::State);
    if (country == "United States") return CodeOfSubdivision(kUsStateTable, state);
    if (country == "Canada") return CodeOfSubdivision(kCanadianProvinceTable, state);
    return "--";
  }
  return "--";
}

std::string SiteNameForLink(std::string_view link) {
  const SiteId site = SiteOfHost(LowerHostOfLink(link));
  return site == SiteId::None ? std::string() : std::string(Site(site).name);
}

void ForEachRecordInScope(OutputScope scope,
                          const std::function<void(std::int32_t index, const SearchResult& row)>& take) {
  const ResultStore& store = Results();
  QuickFilterRule rule;
  if (scope == OutputScope::QuickFilter) rule = ParseQuickFilter(QuickFilterText());
  const std::int32_t count = store.count();
  for (std::int32_t i = 1; i <= count; ++i) {
    if (scope == OutputScope::Selected && store.selected(i) == 0) continue;
    const SearchResult row = store.Row(i);
    if (scope == OutputScope::NewOnly && row.newFlag.empty()) continue;
    if (scope == OutputScope::QuickFilter && !RuleMatchesLower(rule, ToLower(row.title + row.fullText))) continue;
    take(i, row);
  }
}

std::string CsvFileText(OutputScope scope, std::int64_t* recordsWritten) {
  const Settings& settings = AppSettings();
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
  ForEachRecordInScope(scope, [&](std::int32_t, const SearchResult& row) {
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

bool ExportCsv(const std::string& path, OutputScope scope) {
  std::int64_t written = 0;
  const std::string text = CsvFileText(scope, &written);
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
  const std::int32_t count = store.count();
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

FileDialogRequest OutputDialogRequest(const std::string& title, const std::string& kind,
                                      const std::string& extension) {
  FileDialogRequest request;
  request.save = true;
  request.title = title;
  request.filterName = "All " + kind + " files (*." + extension + ")";
  request.pattern = "*." + extension;
  request.initialFolder = platform::ProgramDirectory();
  request.proposedName = CurrentSearch().name + "." + extension;
  request.defaultExtension = extension;
  return request;
}

FileDialogRequest CsvDialogRequest() { return OutputDialogRequest("Please select a CSV file", "CSV", "csv"); }

OutputScope ChooseOutputScope(const std::vector<std::int32_t>& selectedRows, const std::string& verb,
                              const std::string& includedIn) {
  if (selectedRows.size() > 1) {
    SelectRowsForOutput(selectedRows);
    return OutputScope::Selected;
  }
  const auto [fresh, old] = CountNewAndOld();
  if (fresh == 0 && old == 0) {
    UI().ShowMessage("Aborted",
                     "There are no records to " + verb + ". I can not count your chickens before they've hatched.",
                     MessageIcon::Error, MessageButtons::Ok);
    return OutputScope::Cancelled;
  }
  if (fresh == 0 || old == 0) return OutputScope::All;
  const MessageAnswer answer = UI().ShowMessage(
      "Select Scope",
      "Would you like to " + (verb == "save" ? std::string("output") : verb) + " only the " + FormatCount(fresh) +
          " new record" + (fresh > 1 ? "s" : "") + "? (If not, everything will be included in " + includedIn + ").",
      MessageIcon::Question, MessageButtons::YesNoCancel);
  if (answer == MessageAnswer::Yes) return OutputScope::NewOnly;
  if (answer == MessageAnswer::No) return OutputScope::All;
  return OutputScope::Cancelled;
}

bool ExportCsvCommand(const std::vector<std::int32_t>& selectedRows) {
  const OutputScope scope = ChooseOutputScope(selectedRows, "save", "the CSV file");
  if (scope == OutputScope::Cancelled) {
    // A cancelled question says so; having no records was already said.
    const NewAndOldCounts counts = CountNewAndOld();
    if (counts.fresh + counts.old > 0) ShowSaveCancelled();
    return false;
  }

  const std::optional<std::string> chosen = UI().ChooseFile(CsvDialogRequest());
  if (ChosenNameIsEmpty(chosen)) {
    ShowSaveCancelled();
    return false;
  }
  return ExportCsv(std::string(Trim(*chosen)), scope);
}

bool QuickFilterCsvCommand(const std::string& fieldText) {
  SetQuickFilterText(fieldText);
  const std::optional<std::string> chosen = UI().ChooseFile(CsvDialogRequest());
  if (ChosenNameIsEmpty(chosen)) return false;
  const std::string path(Trim(*chosen));
  if (!ExportCsv(path, OutputScope::QuickFilter)) return false;
  UI().OpenInBrowser(path);
  return true;
}

}  // namespace vemtrix
