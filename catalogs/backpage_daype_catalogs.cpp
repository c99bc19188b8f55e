// Steps 1 to 4 of the catalog download: Backpage's cities (front page) and
// sections (Los Angeles classifieds index), Daype's cities (front page) and
// sections (Los Angeles classifieds page).
#include <string>

#include "catalogs/catalog_harvest.h"
#include "catalogs/harvest_steps.h"
#include "catalogs/subdivisions.h"
#include "core/frontend.h"
#include "core/text.h"
#include "harvest/sites.h"

namespace vemtrix::catalogs {
namespace {

// Region labels of Backpage's front page that name no state the way the
// subdivision tables do.
struct BackpageCorrection {
  const char* label;  // lower-cased
  const char* city;
  const char* stateName;
  const char* stateCode;
  const char* country;
};
constexpr BackpageCorrection kBackpageCorrections[] = {
    {"east idaho", "Eastern", "Idaho", "ID", "United States"},
    {"halifax", "Halifax", "Nova Scotia", "NS", "Canada"},
    {"puerto rico", "Default", "Puerto Rico", "PR", "United States"},
    {"tijuana", "Tijuana", "Baja California", "BC", "Mexico"},
    {"washington dc", "Washington", "District Of Columbia", "DC", "United States"},
    {"winnipeg", "Winnipeg", "Manitoba", "MB", "Canada"},
};

// Backpage's city row (Country, StateCode, StateName, CityName) for a label.
Row BackpageCityOf(const std::string& label) {
  if (label.find(',') == std::string::npos) {
    const std::string lower = ToLower(label);
    for (const BackpageCorrection& fix : kBackpageCorrections) {
      if (lower == fix.label) return {fix.country, fix.stateCode, fix.stateName, fix.city};
    }
    const std::string stateName = ProperCase(label, WordBreak::Blank);
    const std::string code = SubdivisionConvert(stateName, false);
    return {SubdivisionConvert(code, true), code, stateName, "Default"};
  }
  const std::string city(Trim(ProperCase(SplitPart(label, ',', 1), WordBreak::Blank), kBlanks));
  const std::string code = ToUpper(Trim(SplitPart(label, ',', 2), kBlanks));
  return {SubdivisionConvert(code, true), code, SubdivisionConvert(code, false), city};
}

}  // namespace

PageScan ScanBackpageCities(std::string_view page) {
  PageScan scan;
  const std::string_view list = CutBefore(CutAfter(page, "<p class=\"cityLinkList\">"), "class=\"littleText\"");
  constexpr std::string_view kAnchor = "<a href=\"";
  int count = 0;
  ForEachAnchor(list, kAnchor, [&](std::string& link, std::string& label) {
    // The city's site root: the link up to ".com" and the "/" after it.
    std::size_t com = link.find(".com");
    if (com != std::string::npos) link = link.substr(0, com + 5);
    ++count;
    Row row = BackpageCityOf(label);
    row.push_back(link);
    scan.rows.push_back(std::move(row));
    return true;
  });
  scan.log = "  Found " + std::to_string(count) + " city-specific subsites.\r\n";
  return scan;
}

PageScan ScanBackpageSections(std::string_view page) {
  PageScan scan;
  const std::size_t buttons = page.find("indexSectionButtons");
  const std::string_view index = buttons == npos ? std::string_view() : CutBefore(CutAt(page, buttons + 11), "javascript");
  const std::string base = std::string("http://") + kBackpageLosAngelesHost;
  constexpr std::string_view kAnchor = "<a href=\"";

  std::string section = "0";
  std::string sectionName;
  int sections = 0;
  int subsections = 0;
  ForEachAnchor(index, kAnchor, [&](std::string& link, std::string& label) {
    if (!link.empty() && link[0] == '/') link = base + link;
    if (Contains(link, "workStatus=Part-time")) return true;
    label = ProperCase(ReplaceAll(ReplaceAll(ReplaceAll(label, "&nbsp;", " "), "&amp;", "&"), "/ ", "/"),
                       WordBreak::Blank);

    if (Contains(link, "section=")) {
      section = std::string(CutBefore(SplitPart(link, '=', 2), "&"));
      sectionName = label;
      ++sections;
    } else {
      if (Contains(ToLower(link), "womenseekwomen")) {
        section = "4383";
        sectionName = "Personals";
        ++sections;
        scan.rows.push_back({"4383", "Personals", "0", "", ""});
      }
      if (!Contains(link, "category=")) return true;
    }
    std::string category = "0";
    std::string categoryName;
    if (Contains(link, "category=")) {
      ++subsections;
      category = std::string(SplitPart(link, '=', 2));
      categoryName = ReplaceAll(ReplaceAll(label, "&Gt;", ">"), "&Lt;", "<");
    }
    scan.rows.push_back({section, sectionName, category, categoryName, std::string(SplitPart(link, '/', 4))});
    return true;
  });
  scan.log = "  Found " + std::to_string(sections) + " sections and " + std::to_string(subsections) +
             " subsections.\r\n";
  return scan;
}

namespace {

// A Daype page's list: from `back` characters before the first opening
// marker up to and including the first character of "bg_footer".
std::string_view DaypeList(std::string_view page, std::string_view opening, std::size_t back) {
  const std::size_t first = page.find(opening);
  const std::string_view list = first == npos ? std::string_view() : page.substr(first >= back ? first - back : 0);
  return KeepThroughFirstCharOf(list, "bg_footer");
}

// Walks a Daype list in order: a heading marker before the next "href=" is
// a heading, named by the text from one character after the marker up to
// the next "<"; otherwise an "href=" is a link, which onLink(position) reads,
// returning where the walk goes on (npos: it stops).
template <typename Heading, typename Link>
void WalkDaypeList(std::string_view list, std::string_view heading, Heading onHeading, Link onLink) {
  std::size_t pos = 0;
  while (pos < list.size()) {
    const std::size_t h = list.find(heading, pos);
    const std::size_t a = list.find("href=", pos);
    if (h != npos && a != npos && a > h) {
      const std::size_t nameStart = h + heading.size() + 1;
      std::size_t lt = nameStart < list.size() ? list.find('<', nameStart) : npos;
      if (lt == npos) lt = list.size();
      onHeading(nameStart < lt ? std::string(list.substr(nameStart, lt - nameStart)) : std::string());
      pos = lt;
    } else if (a != npos) {
      pos = onLink(a);
      if (pos == npos) return;
    } else {
      return;
    }
  }
}

}  // namespace

PageScan ScanDaypeCities(std::string_view page) {
  PageScan scan;
  const std::string_view list = DaypeList(page, "<span class='head1'>", 5);
  std::string state = "Error";
  int states = 0;
  int cities = 0;
  WalkDaypeList(
      list, "'head1'",
      [&](std::string name) {
        ++states;
        state = std::move(name);
      },
      [&](std::size_t a) -> std::size_t {
        ++cities;
        // The city's site root: up to the first "/" after "http://" (or
        // "https://"), as long as that "/" belongs to the link.
        const std::string_view rest = CutAt(list, a + 6);
        std::size_t linkEnd = rest.find_first_of("\"'> ");
        if (linkEnd == npos) linkEnd = rest.size();
        const std::size_t slash = rest.find('/', rest.substr(0, 8) == "https://" ? 8 : 7);
        const std::string_view link = slash < linkEnd ? rest.substr(0, slash + 1) : rest.substr(0, linkEnd);
        std::string city;
        std::size_t gt = 0;
        if (!LabelAt(list, a + 6 + linkEnd, city, gt)) return npos;
        if (ToLower(city) == "washington dc") {
          city = "Washington";
          state = "District of Columbia";
        }
        scan.rows.push_back({"United States", SubdivisionConvert(state, false), state, city, std::string(link)});
        return gt + 1;
      });
  scan.log = "  Found " + std::to_string(cities) + " cities in " + std::to_string(states) + " states.\r\n";
  return scan;
}

PageScan ScanDaypeSections(std::string_view page) {
  PageScan scan;
  const std::string_view list = DaypeList(page, "class=head1", 10);
  std::string super = "Error";
  int supers = 0;
  int sections = 0;
  WalkDaypeList(
      list, "head1",
      [&](std::string name) {
        ++supers;
        super = std::move(name);
      },
      [&](std::size_t a) -> std::size_t {
        ++sections;
        std::size_t linkEnd = 0;
        const std::string link(LinkAt(list, a + 5, &linkEnd));
        std::string label;
        std::size_t gt = 0;
        if (!LabelAt(list, linkEnd, label, gt)) return npos;
        scan.rows.push_back({super, std::string(SplitPart(link, '/', 6)), ReplaceAll(label, "&amp;", "&"),
                             std::string(SplitPart(link, '/', 5))});
        return gt + 1;
      });
  scan.log = "  Found " + std::to_string(sections) + " sections in " + std::to_string(supers) +
             " supersections.\r\n";
  return scan;
}

namespace {

// The shape every Backpage and Daype step shares: log, fetch, scan, write.
bool PageStep(const char* title, CatalogId id, const std::string& intro, const char* host, const char* path,
              std::string_view marker, PageScan (*scanner)(std::string_view), const char* written,
              const std::string& userAgent) {
  ShowStepTitle(title);
  CatalogText out(id);
  Log(intro + "\r\n");
  std::string page;
  if (!FetchOrReport(host, path, marker, HttpRedirect::Follow, userAgent, FatalLine::Indented, page)) return false;
  PageScan scan = scanner(page);
  out.Add(scan.rows);
  Log(scan.log);
  if (!WriteCatalog(out, FatalLine::Indented)) return false;
  Log(std::string(written) + " written to " + LayoutOf(id).fileName + "\r\n\r\n");
  return true;
}

std::string WebName(SiteId site) { return Site(site).webName; }

}  // namespace

bool BackpageCitiesStep(const std::string& userAgent) {
  return PageStep("Grabbing BP Cities", CatalogId::BpCities,
                  "Downloading " + WebName(SiteId::Backpage) + " front page for city list", kBackpageHomeHost, "/",
                  "cityLinkList", ScanBackpageCities, "City data",
                  userAgent);
}

bool BackpageSectionsStep(const std::string& userAgent) {
  return PageStep("Grabbing BP Sections", CatalogId::BpSections,
                  "Downloading Los Angeles " + WebName(SiteId::Backpage) + " front page for section list",
                  kBackpageLosAngelesHost, "/online/classifieds/index", "indexSectionButtons", ScanBackpageSections,
                  "Section data", userAgent);
}

bool DaypeCitiesStep(const std::string& userAgent) {
  return PageStep("Grabbing DA Cities", CatalogId::DaCities,
                  "Downloading " + WebName(SiteId::Daype) + " front page for city list", kDaypeHomeHost, "/",
                  "'head1'", ScanDaypeCities, "City data",
                  userAgent);
}

bool DaypeSectionsStep(const std::string& userAgent) {
  return PageStep("Grabbing DA Sections", CatalogId::DaSections,
                  "Downloading " + WebName(SiteId::Daype) + " Los Angeles page for section list",
                  kDaypeLosAngelesHost, "/classifieds.html", "class=head1", ScanDaypeSections, "Section data",
                  userAgent);
}

}  // namespace vemtrix::catalogs
