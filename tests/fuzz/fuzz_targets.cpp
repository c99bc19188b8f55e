#include "fuzz/fuzz_targets.h"

#include <string_view>

#include "catalogs/catalog_files.h"
#include "catalogs/catalog_harvest.h"
#include "catalogs/harvest_steps.h"
#include "core/character_references.h"
#include "core/csv_fields.h"
#include "core/price.h"
#include "core/settings.h"
#include "harvest/ad_text.h"
#include "harvest/query_site.h"
#include "output/saved_search.h"

namespace vemtrix::fuzz {
namespace {

// The first byte picks options; the rest is the page.
std::string_view Page(const std::uint8_t* data, std::size_t size) {
  return size > 1 ? std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1) : std::string_view();
}

}  // namespace

void FuzzSearchScanners(const std::uint8_t* data, std::size_t size) {
  const std::uint8_t choice = size > 0 ? data[0] : 0;
  const std::string_view page = Page(data, size);
  QueryOptions options;
  options.SearchTitles = choice & 1;
  options.HasPictures = (choice >> 1) & 1;
  options.DaypeRSS = (choice >> 2) & 1;
  const ScanDate today{2026, static_cast<int>(choice % 12) + 1, 15};
  const std::string_view term = (choice & 8) ? "Sofa" : "";
  AdLists out(64);
  switch ((choice >> 4) % 7) {
    case 0: ParseCraigslistRss(page, out); break;
    case 1: ParseKijijiRss(page, term, options, out); break;
    case 2: ParseKijijiHtml(page, term, options, today, out); break;
    case 3: ParseBackpageHtml(page, today, out); break;
    case 4: ParseDaypeHtml(page, today, out); break;
    case 5: ParseDaypeRss(page, today, out); break;
    default: break;
  }
  static const char* const kHosts[] = {"a.craigslist.org", "t.kijiji.ca", "la.kijiji.com", "p.backpage.com",
                                       "la.daype.com", "www.example.org"};
  ExtractAdText(kHosts[choice % 6], page);
  // What the store and the list make of an ad's text.
  for (std::size_t i = 0; i < out.Count(); ++i) (void)PriceOfAd(out.titles[i], out.descriptions[i]);
  (void)ReadPrice(page);
  (void)DecodeCharacterReferences(page);
}

void FuzzFileReaders(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  Settings settings = ParseSettingsText(text);
  (void)FormatSettingsText(settings, WindowSizeAtSave(), 0);
  (void)ReadEscapedFields(text);
  (void)EscapeCsvText(text);
  (void)CleanSearchName(text);
  CatalogTable table;
  table.layout = &LayoutOf(static_cast<CatalogId>(size % kCatalogCount));
  LoadCatalogText(table, text);
}

void FuzzCatalogScanners(const std::uint8_t* data, std::size_t size) {
  const std::uint8_t choice = size > 0 ? data[0] : 0;
  const std::string_view page = Page(data, size);
  switch (choice % 10) {
    case 0: catalogs::ScanBackpageCities(page); break;
    case 1: catalogs::ScanBackpageSections(page); break;
    case 2: catalogs::ScanDaypeCities(page); break;
    case 3: catalogs::ScanDaypeSections(page); break;
    case 4: catalogs::ScanCraigslistSections(page, "sss"); break;
    case 5: catalogs::ReadGeographyPage(page); break;
    case 6: catalogs::ScanKijijiSections(page); break;
    case 7: catalogs::ScanKijijiCanada(page); break;
    case 8: catalogs::ScanKijijiStates(page); break;
    default: catalogs::ScanKijijiStateCities(page, "Ohio"); break;
  }
  (void)FoldAccents(page);
  std::string dir, id;
  SplitKijijiSectionUrl(page, dir, id);
}

}  // namespace vemtrix::fuzz
