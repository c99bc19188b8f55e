// The catalog harvest's page scanners and text helpers, fed pages directly.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogs/catalog_harvest.h"
#include "catalogs/harvest_steps.h"
#include "core/text.h"
#include "platform/platform.h"

using namespace vemtrix;
using catalogs::Row;

namespace {

using Rows = std::vector<Row>;

}  // namespace

TEST(HarvestText, ProperCaseFoldAccentsAndRows) {
  // The first letter of each word, even behind punctuation; words split at blanks.
  EXPECT_EQ(ProperCase("LOCAL news &amp; views (all)\tsf-BAY", WordBreak::Blank), "Local News &Amp; Views (All)\tSf-bay");

  EXPECT_EQ(FoldAccents("Qu\xC3\xA9" "bec"), "Quebec");
  const std::string all =
      "\xC3\x80\xC3\xA0\xC3\x82\xC3\xA2\xC3\x87\xC3\xA7\xC3\x89\xC3\xA9\xC3\x88\xC3\xA8\xC3\x8A\xC3\xAA"
      "\xC3\x8B\xC3\xAB\xC3\x8E\xC3\xAE\xC3\x8F\xC3\xAF\xC3\x94\xC3\xB4\xC5\x92\xC5\x93\xC3\x99\xC3\xB9"
      "\xC3\x9B\xC3\xBB\xC3\x9C\xC3\xBC\xC5\xB8\xC3\xBF";
  EXPECT_EQ(FoldAccents(all), "AaAaCcEeEeEeEeIiIiOoOEoeUuUuUuYy");
  // Latin-1 letters, other UTF-8 letters and a cut-off sequence stay as they are.
  EXPECT_EQ(FoldAccents("Caf\xE9 \xC3\xB1 \xC3"), "Caf\xE9 \xC3\xB1 \xC3");

  // A stray quote or line break on a page cannot break a catalog row apart.
  EXPECT_EQ(catalogs::CsvRow({"a\"b", "c\r\nd", ""}), "\"a'b\",\"c  d\",\"\"\r\n");
}

TEST(HarvestText, SplitKijijiSectionUrl) {
  std::string dir = "old";
  std::string id = "old";
  EXPECT_TRUE(SplitKijijiSectionUrl("http://losangeles.kijiji.com/furniture/?catId=27", dir, id));
  EXPECT_EQ(dir, "furniture");
  EXPECT_EQ(id, "27");
  EXPECT_FALSE(SplitKijijiSectionUrl("http://losangeles.kijiji.com/furniture/", dir, id));
  EXPECT_EQ(dir, "");
  EXPECT_EQ(id, "");
  EXPECT_FALSE(SplitKijijiSectionUrl("http://toronto.kijiji.ca/furniture/?catId=27", dir, id));
}

TEST(HarvestText, CountryCodeListIsIsoAlpha2Of2009InCodeOrder) {
  EXPECT_EQ(std::string(CountryCodeList[0]), "AD Andorra");
  EXPECT_EQ(std::string(CountryCodeList[kCountryCodeCount - 1]), "ZW Zimbabwe");
  bool antilles = false;
  for (int i = 0; i < kCountryCodeCount; ++i) {
    const std::string entry = CountryCodeList[i];
    ASSERT_GE(entry.size(), 4u) << i;
    EXPECT_TRUE(entry[0] >= 'A' && entry[0] <= 'Z' && entry[1] >= 'A' && entry[1] <= 'Z' && entry[2] == ' ')
        << entry;
    if (i > 0) {
      EXPECT_LT(std::string(CountryCodeList[i - 1]).substr(0, 2), entry.substr(0, 2)) << entry;
    }
    if (entry == "AN Netherlands Antilles") antilles = true;
    // Codes that came after 2009 are not in the list.
    for (const char* later : {"SS ", "CW ", "SX ", "BQ "}) {
      EXPECT_NE(entry.substr(0, 3), later);
    }
  }
  EXPECT_TRUE(antilles);
}

TEST(BackpageScan, CityLabelsGiveCountryStateAndCity) {
  const std::string page =
      "<a href=\"http://before.backpage.com/\">Before, ON</a>"
      "<p class=\"cityLinkList\"><a href=\"http://toronto.backpage.com/online/classifieds\">Toronto, ON</a> | "
      "<a href=\"http://alabama.backpage.com/\">Alabama</a> | "
      "<a href=\"http://x.backpage.com/\">Springfield, zz</a> | "
      "<a href=\"http://dc.backpage.com/\">WASHINGTON DC</a> | "
      "<a href=\"http://sj.backpage.com/\">saint john , nb </a></p>"
      "<div class=\"littleText\"><a href=\"http://after.backpage.com/\">After, ON</a></div>";
  catalogs::PageScan scan = catalogs::ScanBackpageCities(page);
  EXPECT_EQ(scan.rows, (Rows{{"Canada", "ON", "Ontario", "Toronto", "http://toronto.backpage.com/"},
                             {"United States", "AL", "Alabama", "Default", "http://alabama.backpage.com/"},
                             {"Error", "ZZ", "Error", "Springfield", "http://x.backpage.com/"},
                             {"United States", "DC", "District Of Columbia", "Washington", "http://dc.backpage.com/"},
                             {"Canada", "NB", "New Brunswick", "Saint John", "http://sj.backpage.com/"}}));
  EXPECT_EQ(scan.log, "  Found 5 city-specific subsites.\r\n");
  // A region the tables do not know: no code, no country.
  scan = catalogs::ScanBackpageCities("<p class=\"cityLinkList\"><a href=\"http://a.backpage.com/\">atlantis</a>");
  EXPECT_EQ(scan.rows, (Rows{{"Error", "Error", "Atlantis", "Default", "http://a.backpage.com/"}}));
}

TEST(BackpageScan, SectionsCategoriesAndThePersonalsRule) {
  const std::string page =
      "<a href=\"/Before/?section=1\">before</a><div class=\"indexSectionButtons\">"
      "<a href=\"/BuySell/?section=4378&amp;x=1\">buy, sell&amp;trade</a>\n"
      "<a href=\"/Furniture/?category=4380\">home&nbsp;/ garden</a>\n"
      "<a href=\"/PT/?category=1&workStatus=Part-time\">part time</a>\n"
      "<a href=\"/WomenSeekWomen/\">w4w</a>\n"
      "<a href=\"http://other.backpage.com/MenSeekWomen/?category=4385\">cars &gt; trucks</a>\n"
      "<a href=\"/Blog/\">blog</a>\n"
      "<script>javascript:<a href=\"/After/?section=9\">after</a>";
  catalogs::PageScan scan = catalogs::ScanBackpageSections(page);
  EXPECT_EQ(scan.rows, (Rows{{"4378", "Buy, Sell&trade", "0", "", "BuySell"},
                             {"4378", "Buy, Sell&trade", "4380", "Home /Garden", "Furniture"},
                             {"4383", "Personals", "0", "", ""},
                             {"4383", "Personals", "4385", "Cars > Trucks", "MenSeekWomen"}}));
  EXPECT_EQ(scan.log, "  Found 2 sections and 2 subsections.\r\n");
}

TEST(DaypeScan, StatesCitiesAndWashingtonDc) {
  const std::string page =
      "<link href=\"http://www.daype.com/s.css\"><td><span class='head1'>Maryland</span><br>"
      "<a href=\"http://baltimore.daype.com/classifieds.html\">Baltimore</a>"
      "<a href='http://dc.daype.com/x'>Washington DC</a>"
      "<a href=\"http://bethesda.daype.com/\">Bethesda</a>"
      "<span class='head1'>Virginia</span><a href=\"http://norfolk.daype.com\">Norfolk</a>"
      "<div class=\"bg_footer\"><a href=\"http://z.daype.com/\">Z</a></div>";
  catalogs::PageScan scan = catalogs::ScanDaypeCities(page);
  // The DC city keeps its state for the cities after it, up to the next heading.
  EXPECT_EQ(scan.rows,
            (Rows{{"United States", "MD", "Maryland", "Baltimore", "http://baltimore.daype.com/"},
                  {"United States", "DC", "District of Columbia", "Washington", "http://dc.daype.com/"},
                  {"United States", "DC", "District of Columbia", "Bethesda", "http://bethesda.daype.com/"},
                  {"United States", "VA", "Virginia", "Norfolk", "http://norfolk.daype.com"}}));
  EXPECT_EQ(scan.log, "  Found 4 cities in 2 states.\r\n");

  scan = catalogs::ScanDaypeSections(
      "<link href=\"x\"><table><tr><td class=head1>For Sale</td></tr>"
      "<tr><td><a href=\"http://la.daype.com/classifieds/furniture/12/\">home &amp; garden</a></td></tr>"
      "<tr><td class=head1>Jobs</td></tr><a href=\"http://la.daype.com/classifieds/jobs/31/\">jobs</a>"
      "<div class=bg_footer><a href=\"http://la.daype.com/a/b/c/\">x</a>");
  EXPECT_EQ(scan.rows, (Rows{{"For Sale", "12", "home & garden", "furniture"}, {"Jobs", "31", "jobs", "jobs"}}));
  EXPECT_EQ(scan.log, "  Found 2 sections in 2 supersections.\r\n");
}

TEST(CraigslistScan, SectionGroupNamesAreTrimmedAndProperCased) {
  catalogs::PageScan scan = catalogs::ScanCraigslistSections(
      "community:\r\n<option value=\"act\">  activities  \r\n<option value=\"vnn\">LOCAL NEWS &amp; VIEWS\n", "ccc");
  EXPECT_EQ(scan.rows, (Rows{{"ccc", "act", "Activities"}, {"ccc", "vnn", "Local News & Views"}}));
  EXPECT_EQ(scan.log, "  Activities\r\n  Local News & Views\r\n");
}

TEST(CraigslistScan, GeographyAnswers) {
  using catalogs::GeographyPage;
  GeographyPage geo = catalogs::ReadGeographyPage("HTTP/1.0 404 Not Found\r\n\r\n<h1>Not Found</h1>");
  EXPECT_EQ(geo.kind, GeographyPage::NotInUse);

  geo = catalogs::ReadGeographyPage("HTTP/1.0 302 Found\r\nLocation:   http://delaware.craigslist.org/  \r\nX: y\r\n\r\n");
  EXPECT_EQ(geo.kind, GeographyPage::Redirect);
  EXPECT_EQ(geo.location, "http://delaware.craigslist.org/");

  geo = catalogs::ReadGeographyPage(
      "HTTP/1.0 200 OK\r\n\r\n<a href=\"http://www.craigslist.org/\">home</a><div id=\"list\">"
      "<a href=\"http://a.craigslist.org/\"><b>ALBANY</b></a> <br>\n<a href=\"http://b.craigslist.org/\">bay area</a>");
  EXPECT_EQ(geo.kind, GeographyPage::List);
  EXPECT_EQ(geo.links, (std::vector<std::pair<std::string, std::string>>{
                           {"http://a.craigslist.org/", "Albany"}, {"http://b.craigslist.org/", "Bay Area"}}));
}

TEST(CraigslistScan, RealPennsylvaniaPageOf2008) {
  std::string page;
  if (!platform::ReadWholeFile(std::string(VEMTRIX_REALPAGES_DIR) + "/craigslist_geo_us-pa_2008.html", page)) {
    GTEST_SKIP() << "real pages not present";
  }
  const catalogs::GeographyPage geo = catalogs::ReadGeographyPage("HTTP/1.0 200 OK\r\n\r\n" + page);
  ASSERT_EQ(geo.kind, catalogs::GeographyPage::List);
  ASSERT_EQ(geo.links.size(), 13u);
  EXPECT_EQ(geo.links[0], (std::pair<std::string, std::string>{"http://altoona.craigslist.org/", "Altoona-johnstown"}));
  // Bold city names lose their tags.
  EXPECT_EQ(geo.links[5], (std::pair<std::string, std::string>{"http://philadelphia.craigslist.org/", "Philadelphia"}));
  EXPECT_EQ(geo.links[9].second, "Scranton / Wilkes-barre");
  EXPECT_EQ(geo.links[12].first, "http://york.craigslist.org/");
}

TEST(KijijiScan, SectionLinksWithoutCategoryIdEndTheListOrTheStep) {
  const std::string page =
      "<li><a href=\"http://la.kijiji.com/nav/?catId=1\">nav</a></li>"
      "<h2 class=\"title\"><a href=\"http://la.kijiji.com/buy-sell/?catId=10\">buy and sell</a></h2>"
      "<li><a href=\"http://la.kijiji.com/furniture/?catId=27\">FURNITURE</a></li>"
      "<li><a href=\"http://la.kijiji.com/parts/\">parts</a></li>"
      "<li><a href=\"http://la.kijiji.com/boats/?catId=29\">boats</a></li>"
      "<h2 class=\"title\"><a href=\"http://la.kijiji.com/housing/?catId=34\">housing</a></h2>"
      "<li><a href=\"http://la.kijiji.com/rooms/?catId=36\">rooms</a></li>"
      "<h2 class=\"title\"><a href=\"http://la.kijiji.com/services/\">services</a></h2>"
      "<li><a href=\"http://la.kijiji.com/lessons/?catId=86\">lessons</a></li>"
      "<h2 class=\"title\"><a href=\"http://la.kijiji.com/jobs/?catId=45\">jobs</a></h2>";
  catalogs::KijijiSectionScan scan = catalogs::ScanKijijiSections(page);
  EXPECT_FALSE(scan.broken);
  // "parts" ends only its master's list; "services" ends the step.
  EXPECT_EQ(scan.rows, (Rows{{"Buy And Sell", "10", "buy-sell", "Buy And Sell"},
                             {"Buy And Sell", "27", "furniture", "Furniture"},
                             {"Housing", "34", "housing", "Housing"},
                             {"Housing", "36", "rooms", "Rooms"}}));
  EXPECT_EQ(scan.log, "Buy And Sell (10/buy-sell)\r\n  Furniture (27/furniture)\r\nHousing (34/housing)\r\n"
                      "  Rooms (36/rooms)\r\n");

  // A title without a link, or with an empty one, is a broken page.
  EXPECT_TRUE(catalogs::ScanKijijiSections("<h2 class=\"title\">no link at all</h2>").broken);
  EXPECT_TRUE(catalogs::ScanKijijiSections("<h2 class=\"title\"><a href=\"\">empty</a></h2>").broken);
}

TEST(KijijiScan, CanadianProvincesAreFolded) {
  const std::string page =
      "<h2 class=\"homeMetaCatName\">Outside</h2><li><a href=\"http://out.kijiji.ca\">Out</a></li>"
      "<div class=\"catlist\"><h2 class=\"homeMetaCatName\">Qu\xC3\xA9" "bec</h2><ul>"
      "<li><b><a href=\"http://qc.kijiji.ca/l\xC3\xA9vis\">L\xC3\xA9vis</a></b></li>"
      "<li><a href=\"http://montreal.kijiji.ca\">Montr\xC3\xA9" "al</a></li></ul>"
      "<h2 class=\"homeMetaCatName\">Ontario</h2><ul><li><a href=\"http://toronto.kijiji.ca\">Toronto</a></li></ul>"
      "</div><li><a href=\"http://after.kijiji.ca\">After</a></li>";
  catalogs::PageScan scan = catalogs::ScanKijijiCanada(page);
  EXPECT_EQ(scan.rows, (Rows{{"Canada", "Quebec", "Levis", "http://qc.kijiji.ca/levis"},
                             {"Canada", "Quebec", "Montreal", "http://montreal.kijiji.ca"},
                             {"Canada", "Ontario", "Toronto", "http://toronto.kijiji.ca"}}));
  EXPECT_EQ(scan.log, "  Quebec\r\n    Levis (http://qc.kijiji.ca/levis)\r\n    Montreal (http://montreal.kijiji.ca)\r\n"
                      "  Ontario\r\n    Toronto (http://toronto.kijiji.ca)\r\n");
}

TEST(KijijiScan, UsStatesAndTheirCities) {
  std::string page = "<a href=\"http://www.kijiji.com/state/early\">Early</a> please click on your state below ";
  page += "<a href=\"http://www.kijiji.com/help\">Help</a>";
  for (int i = 1; i <= 105; ++i) {
    page += "<a href=\"http://www.kijiji.com/state/s" + std::to_string(i) + "\">State " + std::to_string(i) + "</a>";
  }
  const auto states = catalogs::ScanKijijiStates(page);
  // The list holds 100 states; the rest are left out.
  ASSERT_EQ(states.size(), catalogs::kKijijiStateLimit);
  EXPECT_EQ(states.front(), (std::pair<std::string, std::string>{"State 1", "http://www.kijiji.com/state/s1"}));
  EXPECT_EQ(states.back().first, "State 100");

  catalogs::PageScan scan = catalogs::ScanKijijiStateCities(
      "<a href=\"http://www.kijiji.com/\">Home</a>Please select a city below<br><a href=\"http://a.kijiji.com/\">Akron</a>"
      "</div><a href=\"http://b.kijiji.com/\">Beyond</a>",
      "Ohio");
  EXPECT_EQ(scan.rows, (Rows{{"United States", "Ohio", "Akron", "http://a.kijiji.com/"}}));
  EXPECT_EQ(scan.log, "    Akron (http://a.kijiji.com/)\r\n");
}
