#include "harvest/sites.h"

#include "core/text.h"

namespace vemtrix {

namespace {

// Recognition order matters: a host is the first site whose label it holds.
const SiteInfo kSites[kSiteCount] = {
    {SiteId::Craigslist, "CL", "Craigslist", "craigslist", "craigslist.org"},
    {SiteId::Kijiji, "KJ", "Kijiji", "kijiji", "kijiji.ca"},
    {SiteId::Backpage, "BP", "Backpage", "backpage", "backpage.com"},
    {SiteId::Daype, "DA", "Daype", "daype", "daype.com"},
};

const SiteInfo kNoSite = {SiteId::None, "", "", "", ""};

}  // namespace

const SiteInfo* AllSites() { return kSites; }

const SiteInfo& Site(SiteId id) {
  for (const SiteInfo& site : kSites) {
    if (site.id == id) return site;
  }
  return kNoSite;
}

SiteId SiteOfCode(std::string_view text) {
  for (const SiteInfo& site : kSites) {
    if (text.substr(0, 2) == site.code) return site.id;
  }
  return SiteId::None;
}

std::string MakerPageAddress() { return std::string("http://") + kMakerHost + kMakerPagePath; }

std::string NormaliseHost(std::string_view host) {
  constexpr std::string_view kScheme = "http://";
  constexpr std::string_view kSecureScheme = "https://";
  std::string scheme;
  if (host.substr(0, kScheme.size()) == kScheme) {
    host.remove_prefix(kScheme.size());
  } else if (ToLower(host.substr(0, kSecureScheme.size())) == kSecureScheme) {
    host.remove_prefix(kSecureScheme.size());
    scheme = kSecureScheme;
  }
  // A city's address may go on to a page of its own ("/ville-de-quebec"):
  // the searches go to its host, as for the site's other cities.
  return scheme + std::string(host.substr(0, host.find('/')));
}

SiteId SiteOfHost(std::string_view host) {
  for (const SiteInfo& site : kSites) {
    if (host.find(site.domainLabel) != std::string_view::npos) return site.id;
  }
  return SiteId::None;
}

bool IsKijijiCanadaHost(std::string_view host) {
  return host.find(kKijijiCanadaLabel) != std::string_view::npos;
}

}  // namespace vemtrix
