#include "catalogs/catalog_harvest.h"

#include <mutex>
#include <string>

#include "catalogs/harvest_steps.h"
#include "core/csv_fields.h"
#include "core/frontend.h"
#include "core/text.h"
#include "harvest/http_get.h"
#include "platform/platform.h"

namespace vemtrix {

std::atomic<std::int32_t> FirstRunResult{0};
std::atomic<SiteId> HarvestPhase{SiteId::None};

namespace {

// The view of the harvest under way; nullptr outside HarvestCatalogs.
std::atomic<HarvestView*> currentView{nullptr};

std::mutex logLock;
std::string& LogText() {
  static std::string text;
  return text;
}

}  // namespace

void AppendHarvestLog(std::string_view text) {
  {
    std::lock_guard<std::mutex> guard(logLock);
    LogText().append(text);
  }
  // The view is told outside the lock: it may read the whole log back.
  if (HarvestView* view = currentView.load()) view->LogAppended(std::string(text));
}

std::string HarvestLogText() {
  std::lock_guard<std::mutex> guard(logLock);
  return LogText();
}

void ResetHarvestLog(std::string_view initial) {
  std::lock_guard<std::mutex> guard(logLock);
  LogText().assign(initial);
}

void HarvestCatalogs(const std::string& userAgent, HarvestView& view) {
  using namespace catalogs;
  currentView = &view;
  view.ButtonsEnabled(false, false);
  // Craigslist starts the picture animation; the run itself begins with Backpage.
  SetHarvestPhase(SiteId::Craigslist);
  SetHarvestPhase(SiteId::Backpage);

  bool done = BackpageCitiesStep(userAgent) && BackpageSectionsStep(userAgent);
  if (done) {
    SetHarvestPhase(SiteId::Daype);
    done = DaypeCitiesStep(userAgent) && DaypeSectionsStep(userAgent);
  }
  if (done) {
    SetHarvestPhase(SiteId::Craigslist);
    done = CraigslistSectionsStep(userAgent) && CraigslistStatesStep(userAgent) && CraigslistCitiesStep(userAgent);
  }
  if (done) {
    SetHarvestPhase(SiteId::Kijiji);
    done = KijijiSectionsStep(userAgent) && KijijiCitiesStep(userAgent);
  }
  if (done) {
    Log("\r\n\r\nDownloads complete (scroll up to see them all)! You should be able to start the program "
        "normally now.\r\n\r\n");
    FirstRunResult = 1;
  } else {
    FirstRunResult = -1;
  }
  // The picture stops after a failure too: nothing is being harvested any more.
  SetHarvestPhase(SiteId::None);

  view.ButtonsEnabled(true, false);
  view.ButtonCaption(FirstRunResult == 1 ? "Start" : "Exit (Try Later)");
  currentView = nullptr;
}

namespace catalogs {

void SetHarvestPhase(SiteId site) {
  HarvestPhase = site;
  if (HarvestView* view = currentView.load()) view->SiteChanged(site);
}

void ShowStepTitle(const std::string& title) {
  if (HarvestView* view = currentView.load()) view->ButtonCaption(title);
}

void Log(std::string_view text) { AppendHarvestLog(text); }

bool FetchGoodPage(const std::string& host, const std::string& path, std::string_view marker, HttpRedirect redirect,
                   const std::string& userAgent, std::string& page) {
  for (int attempt = 1; attempt <= kFetchAttempts; ++attempt) {
    HttpOutcome outcome;
    page = HttpGet(host, path, redirect, HttpDisplay::Quiet, userAgent, &outcome);
    // A server error or a cut-off page would give a catalog with rows missing.
    if (!HttpFailed(outcome) && page.size() >= kMinimumPageLength && (marker.empty() || Contains(page, marker))) {
      return true;
    }
    if (attempt < kFetchAttempts) platform::SleepMs(kFetchRetryWaitMs);
  }
  page.clear();
  return false;
}

namespace {
const char* FatalText(FatalLine fatal) {
  return fatal == FatalLine::Plain ? "Fatal Error: Internet connection problems -- aborting."
                                   : "  Fatal Error: Internet connection problems -- aborting.";
}
}  // namespace

void ReportFailedDownload(const std::string& host, const std::string& path, FatalLine fatal) {
  Log("\r\n  Could not download " + HttpAddress(host) + path + "\r\n" + FatalText(fatal) + "\r\n\r\n");
  FirstRunResult = -1;
}

bool FetchOrReport(const std::string& host, const std::string& path, std::string_view marker, HttpRedirect redirect,
                   const std::string& userAgent, FatalLine fatal, std::string& page) {
  if (FetchGoodPage(host, path, marker, redirect, userAgent, page)) return true;
  ReportFailedDownload(host, path, fatal);
  return false;
}

CatalogText::CatalogText(CatalogId id) : id_(id), text_(std::string(LayoutOf(id).header) + "\r\n") {}

void CatalogText::Add(const Row& row) { text_ += CsvRow(row); }

void CatalogText::Add(const std::vector<Row>& rows) {
  for (const Row& row : rows) Add(row);
}

std::string CsvRow(const Row& row) {
  std::vector<CsvField> fields;
  fields.reserve(row.size());
  for (const std::string& value : row) fields.push_back({value, CsvText::Flattened});
  std::string line;
  AppendCsvRow(line, fields);
  return line;
}

bool WriteCatalog(const CatalogText& catalog, FatalLine fatal) {
  const std::string path = CatalogFilePath(catalog.Id());
  if (platform::WriteWholeFile(path, catalog.Text())) return true;
  Log("\r\n  Could not write " + path + "\r\n" + (fatal == FatalLine::Plain ? "" : "  ") +
      "Fatal Error: the catalog file could not be saved -- aborting.\r\n\r\n");
  FirstRunResult = -1;
  return false;
}

bool FinishStep(const CatalogText& catalog, FatalLine fatal, std::string_view doneLine) {
  Log("\r\nDone\r\n");
  if (!WriteCatalog(catalog, fatal)) return false;
  Log(doneLine);
  return true;
}

std::string_view LinkAt(std::string_view text, std::size_t offset, std::size_t* end) {
  if (offset >= text.size()) {
    if (end) *end = text.size();
    return {};
  }
  if (text[offset] == '"') ++offset;
  std::size_t close = text.find('"', offset);
  if (close == npos) close = text.size();
  if (end) *end = close;
  return text.substr(offset, close - offset);
}

bool LabelAt(std::string_view text, std::size_t offset, std::string& label, std::size_t& gt) {
  gt = text.find('>', offset);
  if (gt == npos) {
    label.clear();
    return false;
  }
  std::size_t lt = text.find('<', gt + 1);
  if (lt == npos) lt = text.size();
  label.assign(text.substr(gt + 1, lt - gt - 1));
  return true;
}

std::size_t Nearer(std::size_t a, std::size_t b) { return a < b ? a : b; }

}  // namespace catalogs
}  // namespace vemtrix
