// The one place that knows the four sites: codes, names, the labels that tell
// them apart in a host name, their web names and the hosts of the pages the
// program reads besides search results (catalog pages, the maker's page).
#pragma once

#include <string>
#include <string_view>

#include "core/site_id.h"

namespace vemtrix {

struct SiteInfo {
  SiteId id;
  const char* code;         // "CL", "KJ", "BP", "DA": prefix of files, keys and section entries
  const char* name;         // "Craigslist", ...
  const char* domainLabel;  // occurs in every host of the site
  const char* webName;      // address-style name used in captions and logs
};

// The four sites in recognition order (Craigslist, Kijiji, Backpage, Daype).
const SiteInfo* AllSites();
inline constexpr int kSiteCount = 4;
const SiteInfo& Site(SiteId id);
// The site whose code ("CL", ...) begins text; SiteId::None otherwise.
SiteId SiteOfCode(std::string_view text);

// Kijiji's Canadian domain label and Daype's top-level label (with its dot).
inline constexpr std::string_view kKijijiCanadaLabel = "kijiji.ca";
inline constexpr std::string_view kDaypeTopLevelLabel = ".com";

// Catalog and geography hosts.
inline constexpr const char* kCraigslistHomeHost = "www.craigslist.org";
inline constexpr const char* kCraigslistGeoHost = "geo.craigslist.org";
inline constexpr const char* kCraigslistTorontoHost = "toronto.craigslist.ca";
inline constexpr const char* kKijijiCanadaHost = "www.kijiji.ca";
inline constexpr const char* kKijijiUsHost = "www.kijiji.com";
inline constexpr const char* kKijijiLosAngelesHost = "losangeles.kijiji.com";
inline constexpr const char* kBackpageHomeHost = "www.backpage.com";
inline constexpr const char* kBackpageLosAngelesHost = "losangeles.backpage.com";
inline constexpr const char* kDaypeHomeHost = "www.daype.com";
inline constexpr const char* kDaypeLosAngelesHost = "losangeles.daype.com";
// The maker's host and its product page (update check, About box).
inline constexpr const char* kMakerHost = "www.quillfen.com";
inline constexpr const char* kMakerPagePath = "/blog/vemtrix/";

// "http://" + the maker's host + the product page's path: the address the
// update check and the About box open in the browser.
std::string MakerPageAddress();

// Host normalisation: drops a leading "http://" and keeps the text up to
// the first "/" after it (a trailing "/" or a city page's path goes).
// A leading "https://" stays (in lower case), so that the download goes over
// TLS (HttpGet); the site is still told by its domain label.
std::string NormaliseHost(std::string_view host);

// The first site whose domain label occurs in host; SiteId::None otherwise.
SiteId SiteOfHost(std::string_view host);

// True when host is on Kijiji's Canadian domain.
bool IsKijijiCanadaHost(std::string_view host);

}  // namespace vemtrix
