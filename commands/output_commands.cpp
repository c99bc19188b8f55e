#include "commands/output_commands.h"

#include <optional>

#include "core/character_references.h"
#include "core/current_search.h"
#include "core/text.h"
#include "output/html_output.h"
#include "platform/platform.h"

namespace vemtrix {
namespace {

bool ChosenNameIsEmpty(const std::optional<std::string>& chosen) {
  return !chosen || Trim(*chosen).empty();
}

void ShowSaveCancelled() {
  UI().ShowMessage("Aborted", "Save cancelled. CSV file has NOT been saved.", MessageIcon::Error,
                   MessageButtons::Ok);
}

}  // namespace

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

FileDialogRequest HtmlDialogRequest() { return OutputDialogRequest("Please select an HTML file", "HTML", "html"); }

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

bool ExportCsvCommand(const std::vector<std::int32_t>& selectedRows, const Settings& settings) {
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
  return ExportCsv(std::string(Trim(*chosen)), scope, settings);
}

bool QuickFilterCsvCommand(const std::string& fieldText, const PriceRange& prices, const Settings& settings) {
  const std::optional<std::string> chosen = UI().ChooseFile(CsvDialogRequest());
  if (ChosenNameIsEmpty(chosen)) return false;
  const std::string path(Trim(*chosen));
  if (!ExportCsv(path, {OutputScope::QuickFilter, fieldText, prices}, settings)) return false;
  UI().OpenInBrowser(path);
  return true;
}

bool QuickFilterCsvCommand(const std::string& fieldText, const Settings& settings) {
  return QuickFilterCsvCommand(fieldText, PriceRange(), settings);
}

PriceRange PriceRangeFromBoxes(std::string_view fromText, std::string_view toText) {
  PriceRange prices;
  if (!ParsePriceBound(fromText, prices.from)) prices.from = kNoPrice;
  if (!ParsePriceBound(toText, prices.to)) prices.to = kNoPrice;
  return prices;
}

namespace {

// The dialog, then the page, then the browser; a cancelled dialog does nothing.
bool WriteChosenHtmlAndOpen(const OutputRecords& records, const Settings& settings) {
  const std::optional<std::string> chosen = UI().ChooseFile(HtmlDialogRequest());
  if (!chosen) return false;
  const std::string path(Trim(*chosen));
  if (path.empty() || !WriteHtml(path, records, settings)) return false;
  UI().OpenInBrowser(path);
  return true;
}

}  // namespace

bool ViewHtmlCommand(const std::vector<std::int32_t>& selectedRows, const Settings& settings) {
  const OutputScope scope = ChooseOutputScope(selectedRows, "view", "the file");
  if (scope == OutputScope::Cancelled) return false;
  return WriteChosenHtmlAndOpen(scope, settings);
}

bool QuickFilterHtmlCommand(const std::string& fieldText, const PriceRange& prices, const Settings& settings) {
  return WriteChosenHtmlAndOpen({OutputScope::QuickFilter, fieldText, prices}, settings);
}

bool QuickFilterHtmlCommand(const std::string& fieldText, const Settings& settings) {
  return QuickFilterHtmlCommand(fieldText, PriceRange(), settings);
}

std::vector<QuickFilterListRow> RefillQuickFilterList(const std::string& filter, const PriceRange& prices,
                                                      const std::function<bool()>& stillWanted) {
  const QuickFilterRule rule = ParseQuickFilter(filter);
  std::vector<QuickFilterListRow> rows;
  bool wanted = true;
  std::string text;
  // The records are read in place, a batch at a time under the store's lock.
  Results().ForEachRow([&](std::int32_t row, const std::string_view* fields, std::int32_t price) {
    if (!wanted) return;
    if (stillWanted && row % 1024 == 0 && !stillWanted()) {
      wanted = false;
      return;
    }
    if (!prices.Admits(price)) return;
    text.assign(fields[kFieldTitle]);
    text.append(fields[kFieldFullText]);
    if (RuleMatchesLower(rule, ToLower(text))) rows.push_back({DecodeCharacterReferences(fields[kFieldTitle]), row});
  });
  return rows;
}

std::vector<QuickFilterListRow> RefillQuickFilterList(const std::string& filter,
                                                      const std::function<bool()>& stillWanted) {
  return RefillQuickFilterList(filter, PriceRange(), stillWanted);
}

bool OpenResultInBrowser(std::int32_t row, bool confirmSpawn) {
  const SearchResult result = Results().Row(row);
  if (Trim(result.link).empty()) return false;  // no such row: nothing to open
  if (confirmSpawn) {
    const MessageAnswer answer =
        UI().ShowMessage("View it?", "View this " + result.city + " ad in your browser?\r\n\r\n" + result.title,
                         MessageIcon::Question, MessageButtons::YesNo);
    if (answer != MessageAnswer::Yes) return false;
  }
  UI().OpenInBrowser(result.link);
  return true;
}

}  // namespace vemtrix
