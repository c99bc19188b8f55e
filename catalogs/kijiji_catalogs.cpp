// Steps 8 and 9 of the catalog download: Kijiji's sections (from the US Los
// Angeles page) and cities (from the Canadian front page, and from the US
// front page and the state pages it links to).
#include <string>

#include "catalogs/catalog_harvest.h"
#include "catalogs/harvest_steps.h"
#include "core/frontend.h"
#include "core/text.h"
#include "harvest/http_get.h"
#include "harvest/sites.h"

namespace vemtrix {

std::string FoldAccents(std::string_view text) {
  // Two-byte UTF-8 sequences (lead byte 0xC3 or 0xC5) and their ASCII forms.
  struct Fold {
    unsigned char lead;
    unsigned char trail;
    const char* ascii;
  };
  static constexpr Fold kFolds[] = {
      {0xC3, 0x80, "A"}, {0xC3, 0xA0, "a"}, {0xC3, 0x82, "A"}, {0xC3, 0xA2, "a"},  {0xC3, 0x87, "C"},
      {0xC3, 0xA7, "c"}, {0xC3, 0x89, "E"}, {0xC3, 0xA9, "e"}, {0xC3, 0x88, "E"},  {0xC3, 0xA8, "e"},
      {0xC3, 0x8A, "E"}, {0xC3, 0xAA, "e"}, {0xC3, 0x8B, "E"}, {0xC3, 0xAB, "e"},  {0xC3, 0x8E, "I"},
      {0xC3, 0xAE, "i"}, {0xC3, 0x8F, "I"}, {0xC3, 0xAF, "i"}, {0xC3, 0x94, "O"},  {0xC3, 0xB4, "o"},
      {0xC5, 0x92, "OE"}, {0xC5, 0x93, "oe"}, {0xC3, 0x99, "U"}, {0xC3, 0xB9, "u"}, {0xC3, 0x9B, "U"},
      {0xC3, 0xBB, "u"}, {0xC3, 0x9C, "U"}, {0xC3, 0xBC, "u"}, {0xC5, 0xB8, "Y"},  {0xC3, 0xBF, "y"},
  };
  // A lead byte is never a trail byte, so one left-to-right pass replaces
  // exactly what replacing each sequence in turn would.
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const char* ascii = nullptr;
    if ((lead == 0xC3 || lead == 0xC5) && i + 1 < text.size()) {
      const auto trail = static_cast<unsigned char>(text[i + 1]);
      for (const Fold& fold : kFolds) {
        if (fold.lead == lead && fold.trail == trail) ascii = fold.ascii;
      }
    }
    if (ascii != nullptr) {
      out += ascii;
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

bool SplitKijijiSectionUrl(std::string_view url, std::string& dir, std::string& id) {
  dir.clear();
  id.clear();
  constexpr std::string_view kCom = ".com/";
  constexpr std::string_view kCatId = "?catId=";
  const std::size_t com = url.find(kCom);
  if (com == std::string_view::npos) return false;
  const std::string_view rest = url.substr(com + kCom.size());
  const std::size_t catId = rest.find(kCatId);
  if (catId == std::string_view::npos) return false;
  dir = std::string(rest.substr(0, rest.find('/')));
  id = std::string(rest.substr(catId + kCatId.size()));
  return true;
}

namespace catalogs {
namespace {

constexpr std::string_view kSectionTitle = "<h2 class=\"title\">";
constexpr std::string_view kSubsection = "<li><a href=\"";
constexpr std::string_view kProvince = "<h2 class=\"homeMetaCatName\">";
constexpr std::string_view kStatesMarker = "please click on your state below";
constexpr std::string_view kCitiesMarker = "Please select a city below";

}  // namespace

KijijiSectionScan ScanKijijiSections(std::string_view page) {
  KijijiSectionScan scan;
  std::size_t title = page.find(kSectionTitle);
  while (title != npos) {
    const std::size_t href = page.find("href=", title);
    if (href == npos) {
      scan.broken = true;
      return scan;
    }
    std::size_t linkEnd = 0;
    const std::string link(LinkAt(page, href + 5, &linkEnd));
    std::string name;
    std::size_t cursor = 0;
    LabelAt(page, linkEnd, name, cursor);
    name = ProperCase(name, WordBreak::Blank);
    if (link.empty() || name.empty()) {
      scan.broken = true;
      return scan;
    }
    std::string dir;
    std::string id;
    if (!SplitKijijiSectionUrl(link, dir, id)) return scan;  // the step ends with what it has
    scan.rows.push_back({name, id, dir, name});
    scan.log += name + " (" + id + "/" + dir + ")\r\n";

    const std::size_t nextTitle = page.find(kSectionTitle, cursor);
    for (std::size_t item = page.find(kSubsection, cursor); item != npos && item < nextTitle;
         item = page.find(kSubsection, cursor)) {
      std::size_t itemEnd = 0;
      const std::string itemLink(LinkAt(page, item + kSubsection.size(), &itemEnd));
      std::string label;
      if (!LabelAt(page, itemEnd, label, cursor)) break;
      label = ProperCase(label, WordBreak::Blank);
      std::string itemDir;
      std::string itemId;
      if (itemLink.empty() || label.empty() || !SplitKijijiSectionUrl(itemLink, itemDir, itemId)) break;
      scan.rows.push_back({name, itemId, itemDir, label});
      scan.log += "  " + label + " (" + itemId + "/" + itemDir + ")\r\n";
    }
    title = nextTitle;
  }
  return scan;
}

PageScan ScanKijijiCanada(std::string_view page) {
  PageScan scan;
  const std::string_view list = KeepThroughFirstCharOf(CutFrom(page, "<div class=\"catlist\">"), "</div>");
  std::size_t heading = list.find(kProvince);
  while (heading != npos) {
    std::string province;
    std::size_t cursor = 0;
    if (!LabelAt(list, heading, province, cursor)) break;
    province = FoldAccents(province);
    scan.log += "  " + province + "\r\n";
    const std::size_t nextHeading = list.find(kProvince, cursor);
    while (true) {
      const std::size_t item = Nearer(list.find("<li><a href=", cursor), list.find("<li><b><a href=", cursor));
      if (item == npos || item > nextHeading) break;
      const std::size_t open = list.find('"', item);
      const std::size_t close = open == npos ? npos : list.find('"', open + 1);
      if (close == npos) break;
      std::string city;
      if (!LabelAt(list, close, city, cursor)) break;
      const std::string link = FoldAccents(list.substr(open + 1, close - open - 1));
      city = FoldAccents(city);
      scan.rows.push_back({"Canada", province, city, link});
      scan.log += "    " + city + " (" + link + ")\r\n";
    }
    heading = nextHeading;
  }
  return scan;
}

std::vector<std::pair<std::string, std::string>> ScanKijijiStates(std::string_view page) {
  std::vector<std::pair<std::string, std::string>> states;
  const std::string_view list = CutFrom(page, kStatesMarker);
  constexpr std::string_view kAnchor = "<a href=";
  ForEachAnchor(list, kAnchor, [&](std::string& link, std::string& label) {
    // The list holds 100 states; further ones are left out.
    if (Contains(link, "/state/") && states.size() < kKijijiStateLimit) states.emplace_back(label, link);
    return true;
  });
  return states;
}

PageScan ScanKijijiStateCities(std::string_view page, std::string_view stateName) {
  PageScan scan;
  const std::string_view list = KeepThroughFirstCharOf(CutFrom(page, kCitiesMarker), "</div>");
  constexpr std::string_view kAnchor = "<a href=";
  ForEachAnchor(list, kAnchor, [&](std::string& link, std::string& label) {
    scan.rows.push_back({"United States", std::string(stateName), label, link});
    scan.log += "    " + label + " (" + link + ")\r\n";
    return true;
  });
  return scan;
}

bool KijijiSectionsStep(const std::string& userAgent) {
  ShowStepTitle("Grabbing KJ Sections");
  CatalogText out(CatalogId::KjSections);
  std::string page;
  if (!FetchOrReport(kKijijiLosAngelesHost, "/", "<h2 class=\"title\"", HttpRedirect::Follow, userAgent,
                     FatalLine::Plain, page)) {
    return false;
  }
  KijijiSectionScan scan = ScanKijijiSections(page);
  out.Add(scan.rows);
  Log(scan.log);
  if (scan.broken) {
    ReportFailedDownload(kKijijiLosAngelesHost, "/", FatalLine::Plain);
    return false;
  }
  return FinishStep(out, FatalLine::Plain, "Output written to KJsectlist.csv\r\n\r\n");
}

namespace {

// A state page's link: host and path after "http://" (an "https://" stays
// on the host). A link on the site itself ("/state/...") is taken on the US
// host.
void SplitStateLink(const std::string& link, std::string& host, std::string& path) {
  if (!link.empty() && link[0] == '/') {
    host = kKijijiUsHost;
    path = link;
    return;
  }
  SplitHttpLink(link, host, path);
  if (path.empty()) path = "/";
}

}  // namespace

bool KijijiCitiesStep(const std::string& userAgent) {
  ShowStepTitle("Grabbing KJ Cities");
  CatalogText out(CatalogId::KjCities);
  Log("Processing Kijiji City Data\r\n");

  Log("Canada\r\n");
  std::string page;
  if (!FetchOrReport(kKijijiCanadaHost, "/", "<div class=\"catlist\">", HttpRedirect::Follow, userAgent,
                     FatalLine::Plain, page)) {
    return false;
  }
  PageScan canada = ScanKijijiCanada(page);
  out.Add(canada.rows);
  Log(canada.log);

  Log("United States");
  if (!FetchGoodPage(kKijijiUsHost, "/", kStatesMarker, HttpRedirect::Follow, userAgent, page)) {
    Log("\r\n");
    ReportFailedDownload(kKijijiUsHost, "/", FatalLine::Plain);
    return false;
  }
  const auto states = ScanKijijiStates(page);
  Log(" (Found " + std::to_string(states.size()) + " states)\r\n");
  for (const auto& [stateName, link] : states) {
    Log("  " + stateName + "\r\n");
    std::string host;
    std::string path;
    SplitStateLink(link, host, path);
    if (!FetchOrReport(host, path, kCitiesMarker, HttpRedirect::Follow, userAgent, FatalLine::Plain, page)) {
      return false;
    }
    PageScan cities = ScanKijijiStateCities(page, stateName);
    out.Add(cities.rows);
    Log(cities.log);
  }

  return FinishStep(out, FatalLine::Plain, "Output written to KJcitylist.csv\r\n\r\n");
}

}  // namespace catalogs
}  // namespace vemtrix
