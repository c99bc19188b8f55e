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

std::string SiteNameForLink(std::string_view link) {
  const SiteId site = SiteOfHost(LowerHostOfLink(link));
  return site == SiteId::None ? std::string() : std::string(Site(site).name);
}

std::string CsvFileText(const OutputRecords& records, const Settings& settings, std::int64_t* recordsWritten) {
  const bool withState = settings.IncludeStateInCSV != 0;
  const bool withSite = settings.IncludeSiteInCSV != 0;
  const bool withPrice = settings.IncludePriceInCSV != 0;
  const CsvText cellText = settings.CsvForSpreadsheets != 0 ? CsvText::Doubled : CsvText::Escaped;

  std::string text = "\"Date\",\"Title\",\"City\",";
  if (withState) text += "\"StateCode\",";
  text += "\"Section\",\"URI\",";
  if (withSite) text += "\"SiteName\",";
  text += "\"FullText\"";
  if (withPrice) text += ",\"Price\"";
  text += kCrLf;

  std::int64_t written = 0;
  std::string stateCode;
  std::string siteName;
  std::string priceText;
  std::vector<CsvField> cells;
  ForEachRecordInScope(records, [&](std::int32_t, const SearchResult& row, std::int32_t price) {
    cells = {{row.date, cellText}, {row.title, cellText}, {row.city, cellText}};
    if (withState) {
      stateCode = StateCodeForLink(row.link);
      cells.push_back({stateCode, cellText});
    }
    cells.push_back({row.section, cellText});
    cells.push_back({row.link, cellText});
    if (withSite) {
      siteName = SiteNameForLink(row.link);
      cells.push_back({siteName, cellText});
    }
    cells.push_back({row.fullText, cellText});
    if (withPrice) {
      priceText = PriceText(price);
      cells.push_back({priceText, cellText});
    }
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

}  // namespace vemtrix
