// The pieces the catalog harvesting steps share (fetching with retries, the
// catalog text, writing, the marker scanning), the nine steps, and the page
// scanners they use, in namespace catalogs. The scanners are pure functions
// of a page's text so the tests can feed them pages directly.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "catalogs/catalog_files.h"
#include "harvest/http_get.h"

namespace vemtrix::catalogs {

using Row = std::vector<std::string>;

// What one scanned page gives: its rows and its progress lines.
struct PageScan {
  std::vector<Row> rows;
  std::string log;
};

// The harvest's button shows a step's title ("Grabbing CL Sections").
void ShowStepTitle(const std::string& title);

// ---------------------------------------------------------------- fetching

// The Kijiji steps' fatal line has no leading spaces.
enum class FatalLine { Indented, Plain };

inline constexpr int kFetchAttempts = 6;
inline constexpr int kFetchRetryWaitMs = 4000;
inline constexpr std::size_t kMinimumPageLength = 50;

// Fetches http://host + path (quietly) until the download does not fail
// (HttpFailed) and the page is at least 50 characters long and holds marker
// (an empty marker: any page), six attempts four seconds apart. False when
// every attempt failed.
bool FetchGoodPage(const std::string& host, const std::string& path, std::string_view marker, HttpRedirect redirect,
                   const std::string& userAgent, std::string& page);
// The log lines of a page that could not be downloaded; FirstRunResult -1.
void ReportFailedDownload(const std::string& host, const std::string& path, FatalLine fatal);
// FetchGoodPage, reporting the failure.
bool FetchOrReport(const std::string& host, const std::string& path, std::string_view marker, HttpRedirect redirect,
                   const std::string& userAgent, FatalLine fatal, std::string& page);

// ---------------------------------------------------------------- output

// One catalog's file text: its header line, then one row per Add.
class CatalogText {
 public:
  explicit CatalogText(CatalogId id);
  void Add(const Row& row);
  void Add(const std::vector<Row>& rows);
  const std::string& Text() const { return text_; }
  CatalogId Id() const { return id_; }

 private:
  CatalogId id_;
  std::string text_;
};

// One row of a catalog file: every value in double quotes, separated by
// commas, CR LF at the end. The format has no escape, so a double quote in a
// value is written as a single quote and a line break as a space: a stray
// character on a page cannot break the row apart.
std::string CsvRow(const Row& row);

// Writes the catalog's file in ProgramDirectory() whole. A file that cannot
// be written ends the run like a failed download (FirstRunResult -1).
bool WriteCatalog(const CatalogText& catalog, FatalLine fatal);
// The end of a Craigslist or Kijiji step: "Done" logged, the file written,
// then doneLine logged. False when the file could not be written.
bool FinishStep(const CatalogText& catalog, FatalLine fatal, std::string_view doneLine);

// ---------------------------------------------------------------- scanning

inline constexpr std::size_t npos = std::string_view::npos;

// The link that starts at offset (just after "href=" or "<a href="): an
// opening double quote is skipped, and the link runs to the next double
// quote (or the end of text).
std::string_view LinkAt(std::string_view text, std::size_t offset, std::size_t* end = nullptr);
// The label: the text after the next ">" from offset up to the next "<".
// gt receives the position of that ">"; false when there is none.
bool LabelAt(std::string_view text, std::size_t offset, std::string& label, std::size_t& gt);
// Calls visit(link, label) for each anchor that starts with marker ("<a
// href=" and the like): the link just after the marker and the label after
// the next ">". Stops when a label cannot be read or visit returns false.
template <typename Visit>
void ForEachAnchor(std::string_view text, std::string_view marker, Visit visit) {
  for (std::size_t at = text.find(marker); at != std::string_view::npos; at = text.find(marker, at)) {
    std::size_t linkEnd = 0;
    std::string link(LinkAt(text, at + marker.size(), &linkEnd));
    std::string label;
    std::size_t gt = 0;
    if (!LabelAt(text, linkEnd, label, gt)) return;
    at = gt;
    if (!visit(link, label)) return;
  }
}
// The smaller of two positions, npos counting as the largest.
std::size_t Nearer(std::size_t a, std::size_t b);

// ---------------------------------------------------------------- progress

void SetHarvestPhase(SiteId site);
void Log(std::string_view text);

// ---------------------------------------------------------------- steps

// Each returns false when the run must end (FirstRunResult is then -1).
// userAgent is the one the run took from the settings when it started.
bool BackpageCitiesStep(const std::string& userAgent);
bool BackpageSectionsStep(const std::string& userAgent);
bool DaypeCitiesStep(const std::string& userAgent);
bool DaypeSectionsStep(const std::string& userAgent);
bool CraigslistSectionsStep(const std::string& userAgent);
bool CraigslistStatesStep(const std::string& userAgent);
bool CraigslistCitiesStep(const std::string& userAgent);
bool KijijiSectionsStep(const std::string& userAgent);
bool KijijiCitiesStep(const std::string& userAgent);

// ---------------------------------------------------------------- scanners

// Backpage front page: rows Country, StateCode, StateName, CityName, CityURL
// and the "Found" line.
PageScan ScanBackpageCities(std::string_view page);
// Backpage's Los Angeles classifieds index: rows Section, SectionName,
// Category, CategoryName, DirectoryName and the "Found" line.
PageScan ScanBackpageSections(std::string_view page);
// Daype front page: rows Country, StateCode, StateName, CityName, CityURL.
PageScan ScanDaypeCities(std::string_view page);
// Daype's Los Angeles classifieds page: rows SectionName, Category,
// CategoryName, SectionURL.
PageScan ScanDaypeSections(std::string_view page);

// One group of Craigslist's section list (the text between the first two
// group markers): rows master code, section code, name.
PageScan ScanCraigslistSections(std::string_view group, std::string_view masterCode);

// A Craigslist geography answer.
struct GeographyPage {
  enum Kind { NotInUse, Redirect, List } kind = List;
  std::string location;                                // Redirect
  std::vector<std::pair<std::string, std::string>> links;  // List: link, proper-cased label
};
GeographyPage ReadGeographyPage(std::string_view response);

// Kijiji's US Los Angeles page: rows MasterSectionName, SectionID,
// SectionDir, SectionName. broken: a section title without a usable link
// (the page counts as not downloaded).
struct KijijiSectionScan : PageScan {
  bool broken = false;
};
KijijiSectionScan ScanKijijiSections(std::string_view page);
// Kijiji's Canadian front page: rows Country, State, City, URL (folded).
PageScan ScanKijijiCanada(std::string_view page);
// Kijiji's US front page: (state name, state page link), at most 100.
inline constexpr std::size_t kKijijiStateLimit = 100;
std::vector<std::pair<std::string, std::string>> ScanKijijiStates(std::string_view page);
// One Kijiji US state page: rows Country, State, City, URL.
PageScan ScanKijijiStateCities(std::string_view page, std::string_view stateName);

}  // namespace vemtrix::catalogs
