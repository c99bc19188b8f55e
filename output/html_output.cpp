#include "output/html_output.h"

#include <cstdio>

#include "core/current_search.h"
#include "core/settings.h"
#include "core/text.h"

namespace vemtrix {
namespace {

// The mark the deep scan gives an expired posting.
constexpr std::string_view kExpiredDate = "0000-00-00";

}  // namespace

std::string HtmlTimestamp(const platform::LocalDateTime& now) {
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d %02d-%02d-%04d", now.hour, now.minute, now.second, now.month,
                now.day, now.year);
  return text;
}

std::string HtmlPageText(OutputScope scope) {
  const Settings& settings = AppSettings();
  std::string page = ReplaceAll(settings.HTMLheader, "**TIMESTAMP**", HtmlTimestamp(platform::LocalNow()));
  page = ReplaceAll(page, "**NAME**", Trim(CurrentSearch().name));

  // Each substitution runs on the text the earlier ones produced, so a value
  // holding a later macro is expanded and one holding an earlier macro is not.
  const std::string& itemTemplate = settings.HTMLitem;
  std::string items;
  ForEachRecordInScope(scope, [&](std::int32_t index, const SearchResult& row) {
    if (row.date == kExpiredDate) return;
    std::string item = ReplaceAll(itemTemplate, "**ITEMLINK**", row.link);
    item = ReplaceAll(item, "**ITEMTITLE**", row.title);
    item = ReplaceAll(item, "**COUNTER**", std::to_string(index));
    item = ReplaceAll(item, "**NEW**", row.newFlag.empty() ? "" : "NEW");
    item = ReplaceAll(item, "**ITEMDATE**", row.date);
    item = ReplaceAll(item, "**ITEMCITY**", row.city);
    item = ReplaceAll(item, "**ITEMSECTION**", row.section);
    item = ReplaceAll(item, "**DESCRIPTION**", row.fullText);
    items += item;
  });
  // Last, so macro texts inside the items are left as they are.
  return ReplaceAll(page, "**ITEM**", items);
}

bool WriteHtml(const std::string& path, OutputScope scope) {
  if (!platform::WriteWholeFile(path, HtmlPageText(scope))) {
    ReportOutputWriteFailure(path);
    return false;
  }
  return true;
}

FileDialogRequest HtmlDialogRequest() { return OutputDialogRequest("Please select an HTML file", "HTML", "html"); }

namespace {

// The dialog, then the page, then the browser; a cancelled dialog does nothing.
bool WriteChosenHtmlAndOpen(OutputScope scope) {
  const std::optional<std::string> chosen = UI().ChooseFile(HtmlDialogRequest());
  if (!chosen) return false;
  const std::string path(Trim(*chosen));
  if (path.empty() || !WriteHtml(path, scope)) return false;
  UI().OpenInBrowser(path);
  return true;
}

}  // namespace

bool ViewHtmlCommand(const std::vector<std::int32_t>& selectedRows) {
  const OutputScope scope = ChooseOutputScope(selectedRows, "view", "the file");
  if (scope == OutputScope::Cancelled) return false;
  return WriteChosenHtmlAndOpen(scope);
}

bool QuickFilterHtmlCommand(const std::string& fieldText) {
  SetQuickFilterText(fieldText);
  return WriteChosenHtmlAndOpen(OutputScope::QuickFilter);
}

std::vector<QuickFilterListRow> RefillQuickFilterList(const std::string& filter) {
  const QuickFilterRule rule = ParseQuickFilter(filter);
  std::vector<QuickFilterListRow> rows;
  const ResultStore& store = Results();
  const std::int32_t count = store.count();
  for (std::int32_t i = 1; i <= count; ++i) {
    SearchResult row = store.Row(i);
    if (RuleMatchesLower(rule, ToLower(row.title + row.fullText))) rows.push_back({std::move(row.title), i});
  }
  return rows;
}

bool OpenResultInBrowser(std::int32_t row) {
  const SearchResult result = Results().Row(row);
  if (Trim(result.link).empty()) return false;  // no such row: nothing to open
  if (AppSettings().ConfirmSpawn != 0) {
    const MessageAnswer answer =
        UI().ShowMessage("View it?", "View this " + result.city + " ad in your browser?\r\n\r\n" + result.title,
                         MessageIcon::Question, MessageButtons::YesNo);
    if (answer != MessageAnswer::Yes) return false;
  }
  UI().OpenInBrowser(result.link);
  return true;
}

}  // namespace vemtrix
