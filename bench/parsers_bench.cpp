// Each feed and result-page parser on synthetic pages of 1 and 4 MB, built
// from repeated items of the parser's own shape.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <functional>
#include <string>

#include "harvest/query_site.h"

namespace vemtrix {
namespace {

constexpr std::size_t kCapacity = 1000000;
const ScanDate kToday{2014, 6, 15};

// head + repeated items (numbered) + tail, grown to at least megabytes MB.
std::string BuildPage(const std::string& head, const std::function<std::string(int)>& item,
                      const std::string& tail, int megabytes) {
  const std::size_t target = static_cast<std::size_t>(megabytes) * 1024 * 1024;
  std::string page = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + head;
  page.reserve(target + 4096);
  for (int i = 0; page.size() < target; ++i) page += item(i);
  return page + tail;
}

std::string CraigslistPage(int megabytes) {
  return BuildPage(
      "<rdf:RDF>\n<channel>\n<title>craigslist | search</title>\n</channel>\n",
      [](int i) {
        const std::string link =
            "http://sfbay.craigslist.org/eby/fua/" + std::to_string(i) + ".html";
        return "<item rdf:about=\"" + link + "\">\n<title><![CDATA[Red sofa number " +
               std::to_string(i) + "]]></title>\n<link>" + link +
               "</link>\n<description><![CDATA[A fine sofa &amp; two chairs, barely used, "
               "pick up only. [...]]]></description>\n<dc:date>2015-12-19T06:01:00-08:00"
               "</dc:date>\n<dc:language>en-us</dc:language>\n</item>\n";
      },
      "</rdf:RDF>\n", megabytes);
}

std::string KijijiFeedPage(int megabytes) {
  return BuildPage(
      "<rss><channel><title>Kijiji</title><image><title>Kijiji</title></image>\n",
      [](int i) {
        return "<item>\n<title><![CDATA[Bachelor apartment " + std::to_string(i) +
               "]]></title>\n<link>http://toronto.kijiji.ca/c-ad-" + std::to_string(i) +
               "</link>\n<description><![CDATA[Bright bachelor near the subway, all "
               "inclusive.]]></description>\n<pubDate>Sat, 03 Mar 2012 10:15:00 EST</pubDate>\n"
               "</item>\n";
      },
      "</channel></rss>", megabytes);
}

// Result pages show at most 99 items, however long the page.
std::string KijijiResultPage(int megabytes) {
  return BuildPage(
      "<div id=\"ui-search-result-count\">Showing 1-99 of 5000</div>\n"
      "<ol class=\"search-results\">\n",
      [](int i) {
        return "<li><span class=\"thumb\"><img src=\"/p/" + std::to_string(i) +
               ".jpg\"></span><a href=\"http://losangeles.kijiji.com/ad" + std::to_string(i) +
               "\">Sofa for sale</a> $450 nice <em>Los Angeles</em> - Mar 12</li>\n";
      },
      "</ol>", megabytes);
}

std::string BackpagePage(int megabytes) {
  return BuildPage(
      "<html>\n",
      [](int i) {
        std::string item;
        if (i % 50 == 0) item = "<div class=\"date\">Fri. Oct. 31</div>\n";
        return item + "<div class=\"cat\">\n  <a href=\"http://phoenix.backpage.com/Electronics/" +
               std::to_string(i) +
               "\">$100, wii system with a ton of games</a>\n"
               "  <span class=\"resultsRegionLabel\">(peoria)</span>\n</div>\n";
      },
      "</html>", megabytes);
}

std::string DaypeResultPage(int megabytes) {
  return BuildPage(
      "<table>\n",
      [](int i) {
        const std::string link =
            "http://losangeles.daype.com/classifieds/details/" + std::to_string(i);
        return "<tr><td><a href=\"" + link + "\"><img src=\"http://img.daype.net/" +
               std::to_string(i) + ".jpg\"></a></td><td><a href=\"" + link +
               "\">  Red\r\n bike </a><br />  Nice bike,\n cheap <br /></td></tr>\n";
      },
      "</table>", megabytes);
}

std::string DaypeFeedPage(int megabytes) {
  return BuildPage(
      "<rss><channel><title>Daype</title>\n",
      [](int i) {
        return "<item>\n<title>Red bike " + std::to_string(i) +
               "</title>\n<link>http://losangeles.daype.com/classifieds/details/" +
               std::to_string(i) +
               "</link>\n<description>&lt;b&gt;Nice bike &amp; helmet&lt;/b&gt;</description>\n"
               "</item>\n";
      },
      "</channel></rss>", megabytes);
}

template <typename Parse>
void RunParser(benchmark::State& state, std::string (*build)(int), Parse parse) {
  const std::string page = build(static_cast<int>(state.range(0)));
  std::size_t stored = 0;
  for (auto _ : state) {
    AdLists out(kCapacity);
    benchmark::DoNotOptimize(parse(page, out));
    stored = out.Count();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(page.size()));
  state.counters["items"] = static_cast<double>(stored);
}

void BM_CraigslistRss(benchmark::State& state) {
  RunParser(state, CraigslistPage,
            [](const std::string& page, AdLists& out) { return ParseCraigslistRss(page, out); });
}

void BM_KijijiRss(benchmark::State& state) {
  QueryOptions options;
  options.SearchTitles = 1;
  RunParser(state, KijijiFeedPage, [&](const std::string& page, AdLists& out) {
    return ParseKijijiRss(page, "bachelor", options, out);
  });
}

void BM_KijijiHtml(benchmark::State& state) {
  QueryOptions options;
  options.HasPictures = 1;
  RunParser(state, KijijiResultPage, [&](const std::string& page, AdLists& out) {
    return ParseKijijiHtml(page, "sofa", options, kToday, out);
  });
}

void BM_BackpageHtml(benchmark::State& state) {
  RunParser(state, BackpagePage, [](const std::string& page, AdLists& out) {
    return ParseBackpageHtml(page, kToday, out);
  });
}

void BM_DaypeHtml(benchmark::State& state) {
  RunParser(state, DaypeResultPage, [](const std::string& page, AdLists& out) {
    return ParseDaypeHtml(page, kToday, out);
  });
}

void BM_DaypeRss(benchmark::State& state) {
  RunParser(state, DaypeFeedPage,
            [](const std::string& page, AdLists& out) { return ParseDaypeRss(page, kToday, out); });
}

BENCHMARK(BM_CraigslistRss)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KijijiRss)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KijijiHtml)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BackpageHtml)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DaypeHtml)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DaypeRss)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vemtrix

BENCHMARK_MAIN();
