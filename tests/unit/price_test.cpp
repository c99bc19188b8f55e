#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/character_references.h"
#include "core/price.h"
#include "core/result_store.h"
#include "harvest/query_site.h"
#include "support/recording_frontend.h"

#ifndef VEMTRIX_REALPAGES_DIR
#define VEMTRIX_REALPAGES_DIR ""
#endif

using namespace vemtrix;

namespace {

struct Case {
  const char* title;
  std::int32_t price;
};

void ExpectPrices(const std::vector<Case>& cases) {
  for (const Case& c : cases) EXPECT_EQ(ReadPrice(c.title), c.price) << c.title;
}

bool ReadRealPage(const std::string& name, std::string& page) {
  const std::string folder = VEMTRIX_REALPAGES_DIR;
  if (folder.empty()) return false;
  std::ifstream file(folder + "/" + name, std::ios::binary);
  if (!file) return false;
  std::ostringstream text;
  text << file.rdbuf();
  page = text.str();
  return true;
}

// The digits of text after marker, commas skipped, up to anything else (a
// fraction's point among it): the price a reader of the title sees.
std::int32_t DigitsAfter(const std::string& text, const std::string& marker) {
  std::size_t at = text.find(marker);
  if (at == std::string::npos) return kNoPrice;
  std::int32_t value = 0;
  for (at += marker.size(); at < text.size() && (std::isdigit(static_cast<unsigned char>(text[at])) || text[at] == ',');
       ++at) {
    if (text[at] != ',') value = value * 10 + (text[at] - '0');
  }
  return value;
}

}  // namespace

TEST(Price, DollarBefore) {
  ExpectPrices({
      {"Road bike $45", 45},
      {"Road bike $ 45 obo", 45},
      {"$89.99, Mitsubishi DLP TV Lamp", 89},
      {"Condo $1200.00/month", 1200},
      {"Sofa (C$300)", 300},
      {"Sofa CA$ 300", 300},
      {"Phone case US$5", 5},
      {"Lot of 3 $20", 20},  // a number before a "$" that a number follows is no amount
  });
}

TEST(Price, DollarAfterAsWrittenInFrenchCanada) {
  ExpectPrices({
      {"Divan 300$", 300},
      {"Divan 300 $ ou meilleure offre", 300},
      {"Divan 1,200 $", 1200},
      {"Divan 300,50 $", 300},
      {"Velo 45$/mois", 45},
  });
}

TEST(Price, ThousandsGroups) {
  ExpectPrices({
      {"$1,000, Selling Brand New 21.5\" iMac Computer", 1000},
      {"$100,000, used audio equipment", 100000},
      {"Truck $12,500 firm", 12500},
      {"$1,2345 typo", 1},      // a group is three digits
      {"$1,999,999,999", 1999999999},
      {"$2,000,000,000 castle", kNoPrice},  // too large to be a price
  });
}

TEST(Price, AfterCharacterReferences) {
  ExpectPrices({
      {"Victorian (oakland north) &#x0024;4300 3bd 1930ft<sup>2</sup>", 4300},
      {"Desk &#36;45", 45},
      {"Desk &#X24;45", 45},
      {"Desk &#36 45", kNoPrice},   // no ";": not a reference
      {"Tom &amp; Jerry DVD $7", 7},
      {"Desk &amp;#36;45", kNoPrice},  // decoded once: "&#36;45" is text
  });
}

TEST(Price, NoneOrTheFirstOfTwo) {
  ExpectPrices({
      {"Free couch", kNoPrice},
      {"2 bedroom 1,200 sq ft", kNoPrice},
      {"$$$ CASH FOR CARS $$$", kNoPrice},
      {"Save $.50", kNoPrice},
      {"", kNoPrice},
      {"New 1Bed 1Bath ($2095) Arbors &#x0024;2195 1bd", 2095},
      {"Was $500 now $350", 500},
      {"400$ or trade for $300 bike", 400},
      {"1999 Dodge Ram 1500 $5995", 5995},
  });
  // The title first, then the description.
  EXPECT_EQ(PriceOfAd("Guitar repair", "<!--RSS-->Set up (acoustic) $40! Restring $25"), 40);
  EXPECT_EQ(PriceOfAd("Guitar repair $60", "<!--RSS-->Set up $40"), 60);
  EXPECT_EQ(PriceOfAd("Guitar repair", "Pending"), kNoPrice);
}

TEST(Price, BoundsAsTypedInABox) {
  std::int32_t bound = 7;
  EXPECT_TRUE(ParsePriceBound("  ", bound));
  EXPECT_EQ(bound, kNoPrice);
  for (const char* text : {"1200", " $1,200 ", "1200$", "1200.99"}) {
    bound = 7;
    EXPECT_TRUE(ParsePriceBound(text, bound)) << text;
    EXPECT_EQ(bound, 1200) << text;
  }
  for (const char* text : {"abc", "-5", "12 ab", "99999999999"}) {
    bound = 7;
    EXPECT_FALSE(ParsePriceBound(text, bound)) << text;
    EXPECT_EQ(bound, 7) << text;
  }
  PriceRange range{100, 500};
  EXPECT_TRUE(range.Admits(100));
  EXPECT_TRUE(range.Admits(500));
  EXPECT_FALSE(range.Admits(501));
  EXPECT_FALSE(range.Admits(kNoPrice));
  EXPECT_TRUE(PriceRange{}.Admits(kNoPrice));
  EXPECT_FALSE((PriceRange{kNoPrice, 50}).Admits(kNoPrice));
}

TEST(CharacterReferences, DecodedForDisplayIn8BitText) {
  EXPECT_EQ(DecodeCharacterReferences("Tom &amp; Jerry &lt;DVD&gt; &quot;new&quot; it&apos;s"),
            "Tom & Jerry <DVD> \"new\" it's");
  EXPECT_EQ(DecodeCharacterReferences("&#x0024;45 &#36;5 &#233;t&#xE9;"), "$45 $5 \xE9t\xE9");
  // Above 255: the Windows-1252 byte where there is one, else "?".
  EXPECT_EQ(DecodeCharacterReferences("&#8364;5 &#8217;s &#x2014; &#x4E2D;"), "\x80" "5 \x92s \x97 ?");
  // Left as written: unknown names, no ";", NUL and other controls, too large.
  EXPECT_EQ(DecodeCharacterReferences("&nbsp; &#36 &#0; &#1; &#x110000; &#; & &amp"),
            "&nbsp; &#36 &#0; &#1; &#x110000; &#; & &amp");
  EXPECT_EQ(DecodeCharacterReferences("a&#10;b"), "a\nb");
  EXPECT_EQ(DecodeCharacterReferences("&amp;amp;"), "&amp;");
}

// Real pages: every title that shows a price is read as it shows it.
TEST(Price, RealFeedAndListingTitles) {
  std::string page;
  if (!ReadRealPage("craigslist_rss_sfbay-apa_2017.rss", page)) GTEST_SKIP() << "real pages not available";
  AdLists feed(1000);
  ASSERT_EQ(ParseCraigslistRss(page, feed), 25);
  for (const std::string& title : feed.titles) {
    // Each title ends its place with the rent as "&#x0024;NNNN".
    EXPECT_EQ(ReadPrice(title), DigitsAfter(title, "&#x0024;")) << title;
  }

  ASSERT_TRUE(ReadRealPage("backpage_list_phoenix-electronics_2014.html", page));
  AdLists listing(1000);
  ASSERT_EQ(ParseBackpageHtml(page, ScanDate{2014, 10, 31}, listing), 100);
  int priced = 0;
  for (const std::string& title : listing.titles) {
    // The listing puts the price first ("$1,000, Selling ..."); a few ads
    // name it later ("black $200", "from $39.95 - ...") or not at all.
    std::int32_t expected = DigitsAfter(title, "$");
    EXPECT_EQ(ReadPrice(title), expected) << title;
    priced += expected != kNoPrice;
  }
  EXPECT_EQ(priced, 92);

  ASSERT_TRUE(ReadRealPage("craigslist_rss_seattle-act_2015.rss", page));
  AdLists noPrices(1000);
  ASSERT_EQ(ParseCraigslistRss(page, noPrices), 25);
  for (const std::string& title : noPrices.titles) EXPECT_EQ(ReadPrice(title), kNoPrice) << title;

  // A title without a price, a description with one.
  ASSERT_TRUE(ReadRealPage("craigslist_rss_sfbay-ccc_2011_trimmed.xml", page));
  AdLists community(1000);
  ASSERT_EQ(ParseCraigslistRss(page, community), 2);
  EXPECT_EQ(PriceOfAd(community.titles[0], community.descriptions[0]), 40);
}

// The store keeps each row's price beside it, from the text it holds.
TEST(Price, FollowsTheRowThroughTheStore) {
  vemtrix::testing::RecordingFrontend ui;
  ResultStore store;
  store.CreateWithCapacity(10);
  AppendOptions options;
  const std::string description = "Solid oak table, six chairs, asking $450 cash";
  store.AddFromSearch(options, "2026-11-03", "Dining set", "http://a/1", description, "Toronto", "furniture");
  store.AddFromSearch(options, "2026-11-03", "Bike &#36;80", "http://a/2", "Barely ridden, new tyres, $95 new",
                      "Toronto", "bikes");
  SearchResult loaded{"2026-11-01", "Desk", "Ottawa", "furniture", "http://a/3", "", ""};
  store.AppendLoaded(loaded);
  EXPECT_EQ(store.Price(1), 450);
  EXPECT_EQ(store.Price(2), 80);
  EXPECT_EQ(store.Price(3), kNoPrice);
  EXPECT_EQ(store.Price(4), kNoPrice);

  // A deep scan: the price stays while the row waits, then comes from the
  // downloaded text.
  ResultStore::TakenRow taken = store.TakeRowForDeepScan(true);
  ASSERT_EQ(taken.row, 3);
  store.StoreDeepScanText(taken, taken.link, "Oak desk, 300 $ firm, pick up only", "");
  EXPECT_EQ(store.Price(3), 300);
  taken = store.TakeRowForDeepScan(true);
  ASSERT_EQ(taken.row, 1);
  EXPECT_EQ(store.Field(1, kFieldFullText), "Pending");
  EXPECT_EQ(store.Price(1), 450);
  store.ReturnTakenRow(taken);
  EXPECT_EQ(store.Price(1), 450);

  // Deleting moves the prices up with their rows; they are never in a row's
  // fields.
  store.DeleteRows({1});
  EXPECT_EQ(store.Price(1), 80);
  EXPECT_EQ(store.Price(2), 300);
  EXPECT_EQ(store.Row(1).title, "Bike &#36;80");
}
