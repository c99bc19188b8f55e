// Request paths per site and mode, host handling, and QuerySite end to end
// against an in-process server.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/text.h"
#include "harvest/http_get.h"
#include "harvest/query_site.h"
#include "harvest/sites.h"
#include "support/loopback_server.h"
#include "support/recording_frontend.h"

namespace vemtrix {
namespace {

QueryOptions Options(int searchTitles, int hasPictures, int daypeRss) {
  QueryOptions options;
  options.SearchTitles = searchTitles;
  options.HasPictures = hasPictures;
  options.DaypeRSS = daypeRss;
  return options;
}

TEST(UrlEncodeTerm, EncodesAllButLettersDigitsDotAndHyphen) {
  EXPECT_EQ(UrlEncodeTerm(""), "+");
  EXPECT_EQ(UrlEncodeTerm(" "), "+");
  EXPECT_EQ(UrlEncodeTerm("R2-D2 v1.0 Zz"), "R2-D2+v1.0+Zz");
  EXPECT_EQ(UrlEncodeTerm("it's"), "it%27s");
  EXPECT_EQ(UrlEncodeTerm("a&b=c?"), "a%26b%3Dc%3F");
  EXPECT_EQ(UrlEncodeTerm("\"x\"_~/%"), "%22x%22%5F%7E%2F%25");
  EXPECT_EQ(UrlEncodeTerm("caf\xE9\x01"), "caf%E9%01");
}

TEST(Sites, TableAndHostRecognition) {
  ASSERT_EQ(kSiteCount, 4);
  const SiteInfo* sites = AllSites();
  EXPECT_STREQ(sites[0].code, "CL");
  EXPECT_STREQ(sites[1].code, "KJ");
  EXPECT_STREQ(sites[2].code, "BP");
  EXPECT_STREQ(sites[3].code, "DA");
  EXPECT_EQ(Site(SiteId::Backpage).id, SiteId::Backpage);
  EXPECT_STREQ(Site(SiteId::Daype).webName, "daype.com");
  EXPECT_EQ(Site(SiteId::None).id, SiteId::None);

  EXPECT_EQ(SiteOfHost("sfbay.craigslist.org"), SiteId::Craigslist);
  EXPECT_EQ(SiteOfHost("toronto.kijiji.ca"), SiteId::Kijiji);
  EXPECT_EQ(SiteOfHost("losangeles.kijiji.com"), SiteId::Kijiji);
  EXPECT_EQ(SiteOfHost("phoenix.backpage.com"), SiteId::Backpage);
  EXPECT_EQ(SiteOfHost("losangeles.daype.com"), SiteId::Daype);
  EXPECT_EQ(SiteOfHost("www.example.com"), SiteId::None);
  EXPECT_EQ(SiteOfHost(""), SiteId::None);
  // Recognition is case-sensitive and takes the first site in table order.
  EXPECT_EQ(SiteOfHost("sfbay.Craigslist.org"), SiteId::None);
  EXPECT_EQ(SiteOfHost("daype.backpage.kijiji.craigslist.org"), SiteId::Craigslist);
  EXPECT_EQ(SiteOfHost("backpage.kijiji.com"), SiteId::Kijiji);

  EXPECT_TRUE(IsKijijiCanadaHost("toronto.kijiji.ca"));
  EXPECT_FALSE(IsKijijiCanadaHost("losangeles.kijiji.com"));
}

TEST(Sites, NormaliseHostKeepsTheHostAlone) {
  EXPECT_EQ(NormaliseHost("http://sfbay.craigslist.org/"), "sfbay.craigslist.org");
  EXPECT_EQ(NormaliseHost("sfbay.craigslist.org"), "sfbay.craigslist.org");
  EXPECT_EQ(NormaliseHost("sfbay.craigslist.org//"), "sfbay.craigslist.org");
  // A city whose address goes on to a page of its own.
  EXPECT_EQ(NormaliseHost("http://quebec.kijiji.ca/ville-de-qu\xc3\xa9" "bec"), "quebec.kijiji.ca");
  EXPECT_EQ(NormaliseHost("http://quebec.kijiji.ca/ville-de-quebec/"), "quebec.kijiji.ca");
  EXPECT_EQ(NormaliseHost("http:///"), "");
  EXPECT_EQ(NormaliseHost(""), "");
}

TEST(RequestPath, Craigslist) {
  const std::string host = "sfbay.craigslist.org";
  EXPECT_EQ(RequestPath("red sofa", host, "fua", Options(0, 0, 0)),
            "/search/fua?query=red+sofa&format=rss");
  EXPECT_EQ(RequestPath("red sofa", host, "fua", Options(1, 0, 0)),
            "/search/fua?query=red+sofa&format=rss&srchType=T");
  EXPECT_EQ(RequestPath("red sofa", host, "fua", Options(0, 1, 0)),
            "/search/fua?query=red+sofa&format=rss&hasPic=1");
  EXPECT_EQ(RequestPath("it's", host, "fua", Options(1, 1, 1)),
            "/search/fua?query=it%27s&format=rss&srchType=T&hasPic=1");
  EXPECT_EQ(RequestPath("", host, "sss", Options(0, 0, 0)), "/search/sss?query=+&format=rss");
}

TEST(RequestPath, KijijiCanadianAndOtherHosts) {
  // The Canadian feed ignores both picture and title options.
  EXPECT_EQ(RequestPath("Bachelor Apt", "toronto.kijiji.ca", "211\\c211l1700272", Options(1, 1, 0)),
            "/f-SearchAdRss?catId=211&Keyword=Bachelor+Apt");
  EXPECT_EQ(
      RequestPath("sofa", "losangeles.kijiji.com", "9\\f-furniture-W0QQCatIdZ9", Options(1, 1, 0)),
      "/f-furniture-W0QQCatIdZ9/?q=sofa&catId=9");
}

TEST(RequestPath, Backpage) {
  const std::string host = "phoenix.backpage.com";
  EXPECT_EQ(RequestPath("tv", host, "4378\\4424\\ElectronicsForSale", Options(0, 0, 0)),
            "/ElectronicsForSale/classifieds/Results?section=4378&keyword=tv&category=4424");
  EXPECT_EQ(RequestPath("tv", host, "4378\\0\\ElectronicsForSale", Options(1, 0, 0)),
            "/ElectronicsForSale/classifieds/Results?section=4378&keyword=tv");
  EXPECT_EQ(RequestPath("tv", host, "4378\\0\\ElectronicsForSale", Options(0, 1, 0)),
            "/ElectronicsForSale/classifieds/Results?section=4378&keyword=tv&hasImage=yes");
  EXPECT_EQ(RequestPath("tv", host, "4378\\4424\\ElectronicsForSale", Options(0, 1, 0)),
            "/ElectronicsForSale/classifieds/Results?section=4378&keyword=tv&category=4424"
            "&hasImage=yes");
}

TEST(RequestPath, DaypeRssAndHtmlLowerTheTerm) {
  const std::string host = "losangeles.daype.com";
  EXPECT_EQ(RequestPath("Red Bike", host, "Vehicles\\bikes", Options(1, 1, 1)), "/feed/red+bike");
  EXPECT_EQ(RequestPath("Red Bike", host, "Vehicles\\bikes", Options(1, 1, 0)),
            "/classifiedsads/null/bikes/red+bike/all/null/null/1");
}

TEST(RequestPath, UnknownHostGivesNoPath) {
  EXPECT_EQ(RequestPath("x", "www.example.com", "sss", Options(0, 0, 0)), "");
}

class QuerySiteTest : public ::testing::Test {
 protected:
  void TearDown() override { SetHttpConnectTo("", 0); }
};

TEST_F(QuerySiteTest, RequestsTheNormalisedHostAndParsesTheFeed) {
  const std::string feed =
      "HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\n\r\n"
      "<rdf:RDF><channel><title>feed</title></channel>"
      "<item><title>Red sofa</title><link>http://sfbay.craigslist.org/fua/1.html</link>"
      "<description>d</description><dc:date>2015-12-19T06:01:00-08:00</dc:date></item>"
      "</rdf:RDF>";
  testing::LoopbackServer server(testing::LoopbackServer::Answer(feed));
  ASSERT_TRUE(server.Listening());
  SetHttpConnectTo("127.0.0.1", server.Port());
  testing::RecordingFrontend frontend;

  AdLists out(10);
  EXPECT_EQ(QuerySite("red sofa", "http://sfbay.craigslist.org/", "fua", Options(0, 1, 0), out), 1);

  const std::vector<std::string> requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  const std::string& request = requests[0];
  EXPECT_EQ(request.substr(0, request.find("\r\n")),
            "GET /search/fua?query=red+sofa&format=rss&hasPic=1 HTTP/1.0");
  EXPECT_NE(request.find("\r\nHost: sfbay.craigslist.org\r\n"), std::string::npos);
  ASSERT_EQ(out.Count(), 1u);
  EXPECT_EQ(out.titles[0], "Red sofa");
  EXPECT_EQ(out.dates[0], "2015-12-19");
}

TEST_F(QuerySiteTest, EmptyDownloadAndUnknownSiteGiveMinusOne) {
  // The server closes without a byte.
  testing::LoopbackServer server(testing::LoopbackServer::Answer(""));
  ASSERT_TRUE(server.Listening());
  SetHttpConnectTo("127.0.0.1", server.Port());
  testing::RecordingFrontend frontend;

  AdLists out(10);
  EXPECT_EQ(
      QuerySite("tv", "phoenix.backpage.com", "4378\\0\\ElectronicsForSale", Options(0, 0, 0), out),
      -1);
  // No site: nothing is sent anywhere.
  EXPECT_EQ(QuerySite("tv", "http://www.example.com/", "sss", Options(0, 0, 0), out), -1);
  EXPECT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(out.Count(), 0u);
}

TEST_F(QuerySiteTest, PageWithoutAdsGivesZero) {
  testing::LoopbackServer server(
      testing::LoopbackServer::Answer("HTTP/1.0 200 OK\r\n\r\n<html>nothing here</html>"));
  ASSERT_TRUE(server.Listening());
  SetHttpConnectTo("127.0.0.1", server.Port());
  testing::RecordingFrontend frontend;

  AdLists out(10);
  EXPECT_EQ(
      QuerySite("tv", "phoenix.backpage.com", "4378\\0\\ElectronicsForSale", Options(0, 0, 0), out),
      0);

  // An error page is a page without ads even when it looks like a feed.
  testing::LoopbackServer gone(testing::LoopbackServer::Answer(
      "HTTP/1.0 410 Gone\r\n\r\n<rdf:RDF><channel><title>feed</title></channel><item><title>Old sofa</title>"
      "<link>http://sfbay.craigslist.org/fua/1.html</link><dc:date>2015-12-19</dc:date></item></rdf:RDF>"));
  SetHttpConnectTo("127.0.0.1", gone.Port());
  HttpOutcome outcome;
  EXPECT_EQ(QuerySite("sofa", "sfbay.craigslist.org", "fua", Options(0, 0, 0), out, &outcome), 0);
  EXPECT_EQ(outcome.status, 410);
  EXPECT_EQ(out.Count(), 0u);
}

}  // namespace
}  // namespace vemtrix
