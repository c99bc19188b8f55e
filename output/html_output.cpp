#include "output/html_output.h"

#include <cstdio>

#include "core/current_search.h"
#include "core/text.h"

namespace vemtrix {
namespace {

// The mark the deep scan gives an expired posting.
constexpr std::string_view kExpiredDate = "0000-00-00";
// The item macro of the ad's price (digits, empty for none).
constexpr std::string_view kPriceMacro = "**ITEMPRICE**";

}  // namespace

std::string HtmlTimestamp(const platform::LocalDateTime& now) {
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d %02d-%02d-%04d", now.hour, now.minute, now.second, now.month,
                now.day, now.year);
  return text;
}

std::string HtmlPageText(const OutputRecords& records, const Settings& settings) {
  std::string page = ReplaceAll(settings.HTMLheader, "**TIMESTAMP**", HtmlTimestamp(platform::LocalNow()));
  page = ReplaceAll(page, "**NAME**", Trim(CurrentSearch().name));

  // Each substitution runs on the text the earlier ones produced, so a value
  // holding a later macro is expanded and one holding an earlier macro is not.
  const std::string& itemTemplate = settings.HTMLitem;
  std::string items;
  // The price goes into the template first, so a record value holding its
  // macro text stays as it is (as it did before the price existed).
  const bool withPrice = Contains(itemTemplate, kPriceMacro);
  ForEachRecordInScope(records, [&](std::int32_t index, const SearchResult& row, std::int32_t price) {
    if (row.date == kExpiredDate) return;
    std::string item = withPrice ? ReplaceAll(itemTemplate, kPriceMacro, PriceText(price)) : itemTemplate;
    item = ReplaceAll(item, "**ITEMLINK**", row.link);
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

bool WriteHtml(const std::string& path, const OutputRecords& records, const Settings& settings) {
  if (!platform::WriteWholeFile(path, HtmlPageText(records, settings))) {
    ReportOutputWriteFailure(path);
    return false;
  }
  return true;
}

}  // namespace vemtrix
