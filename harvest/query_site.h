// One search query: build the site's request path, download it and parse the
// feed or result page into titles, links, dates and descriptions.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings.h"
#include "harvest/http_get.h"

namespace vemtrix {

// The four parallel output lists. Entries are appended in order (entry i of
// the returned count is index i-1); no list ever grows beyond capacity,
// whatever count a page claims.
struct AdLists {
  explicit AdLists(std::size_t capacity = 0) : capacity(capacity) {}
  std::size_t capacity;
  std::size_t bytesStored = 0;
  static constexpr std::size_t kMaxFieldBytes = 64 * 1024;
  static constexpr std::size_t kMaxPageBytes = 64 * 1024 * 1024;
  std::vector<std::string> titles;
  std::vector<std::string> links;
  std::vector<std::string> dates;  // YYYY-MM-DD
  std::vector<std::string> descriptions;

  bool Full() const { return titles.size() >= capacity; }
  // Appends one entry; false (and nothing stored) when full.
  bool Add(std::string_view title, std::string_view link, std::string_view date,
           std::string_view description);
  std::size_t Count() const { return titles.size(); }
};

// The settings the parsers, request paths and downloads read, copied from
// the settings record when a run starts.
struct QueryOptions {
  int SearchTitles = 0;
  int HasPictures = 0;
  int DaypeRSS = 0;
  std::string UserAgent = kDefaultUserAgent;
  static QueryOptions From(const Settings& settings);
};

// The request path for term in sectionCode on the (normalised) host; empty
// when the host belongs to no known site.
std::string RequestPath(std::string_view term, std::string_view host,
                        std::string_view sectionCode, const QueryOptions& options);

// Runs the parser of host's site over a whole response (headers included).
// Returns the number of entries stored in out.
int ParseResponse(std::string_view response, std::string_view term, std::string_view host,
                  const QueryOptions& options, AdLists& out);

// Builds the path, downloads it (following a redirect, shown in the status
// bar) and parses it. Returns -1 when the download failed (nothing came, or
// HttpFailed judges it), else the count stored; outcome (when given) tells
// how the download went, so a caller can name an error page (4xx).
int QuerySite(const std::string& term, const std::string& host, const std::string& sectionCode,
              const QueryOptions& options, AdLists& out, HttpOutcome* outcome = nullptr);

// The individual parsers. today is YYYY-MM-DD of "now" in local time;
// currentYear/currentMonth drive the rule for dates without years.
struct ScanDate {
  int year;
  int month;
  int day;
};
ScanDate TodayForScanning();
std::string FormatScanDate(int year, int month, int day);
// A month and day without a year: this year, or last year when the month is
// later than the current month.
std::string DateWithoutYear(int month, int day, const ScanDate& today);

int ParseCraigslistRss(std::string_view page, AdLists& out);
int ParseKijijiRss(std::string_view page, std::string_view term, const QueryOptions& options,
                   AdLists& out);
int ParseKijijiHtml(std::string_view page, std::string_view term, const QueryOptions& options,
                    const ScanDate& today, AdLists& out);
int ParseBackpageHtml(std::string_view page, const ScanDate& today, AdLists& out);
int ParseDaypeHtml(std::string_view page, const ScanDate& today, AdLists& out);
int ParseDaypeRss(std::string_view page, const ScanDate& today, AdLists& out);

}  // namespace vemtrix
