#include "harvest/query_site.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <limits>

#include "core/text.h"
#include "harvest/http_get.h"
#include "harvest/sites.h"
#include "platform/platform.h"

namespace vemtrix {

namespace {

constexpr std::size_t npos = std::string_view::npos;

// Page-level marker search that remembers, per marker, where its next
// occurrence lies. Parsers only move forward through a page, so a marker
// that is far away (or missing) is searched for once, not once per item:
// the cost of a parse stays linear in the page's size whatever its shape.
class MarkerFinder {
 public:
  explicit MarkerFinder(std::string_view page) : page_(page) {}

  std::string_view Page() const { return page_; }
  std::size_t Size() const { return page_.size(); }

  // First occurrence of marker at or after from; npos when none.
  std::size_t Find(std::string_view marker, std::size_t from) {
    if (from > page_.size()) return npos;
    Memo* memo = nullptr;
    for (int i = 0; i < used_; ++i) {
      if (memos_[i].marker == marker) {
        memo = &memos_[i];
        break;
      }
    }
    // The remembered answer holds for every start between where that search
    // began and what it found (npos: nothing anywhere after its start).
    if (memo != nullptr && from >= memo->from && from <= memo->found) return memo->found;
    const std::size_t found = page_.find(marker, from);
    if (memo == nullptr && used_ < kMemos) memo = &memos_[used_++];
    if (memo != nullptr) *memo = {marker, from, found};
    return found;
  }

  // TextBetween on the page from position from on, with the same rules:
  // empty when start is absent, the whole rest when end is absent.
  std::string_view Between(std::size_t from, std::string_view start, std::string_view end) {
    std::size_t begin = Find(start, from);
    if (begin == npos) return {};
    begin += start.size();
    std::size_t stop = Find(end, begin);
    if (stop == npos) stop = page_.size();
    return page_.substr(begin, stop - begin);
  }

  // The page from position from up to the next occurrence of end (the whole
  // rest when end is absent).
  std::string_view UpTo(std::size_t from, std::string_view end) {
    if (from >= page_.size()) return {};
    std::size_t stop = Find(end, from);
    if (stop == npos) stop = page_.size();
    return page_.substr(from, stop - from);
  }

 private:
  struct Memo {
    std::string_view marker;
    std::size_t from = 0;
    std::size_t found = npos;
  };
  static constexpr int kMemos = 16;
  std::string_view page_;
  Memo memos_[kMemos];
  int used_ = 0;
};

int ClampToInt(std::int64_t value) {
  return static_cast<int>(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(),
                                                   std::numeric_limits<int>::max()));
}

// A field that begins with "<![CDATA[" is replaced by the text inside it.
std::string_view UnwrapCdata(std::string_view field) {
  constexpr std::string_view kOpen = "<![CDATA[";
  if (field.substr(0, kOpen.size()) != kOpen) return field;
  return TextBetween(field, kOpen, "]]>");
}

// The title match key: the term lower-cased without double quotes.
std::string MatchKey(std::string_view term) {
  std::string key = ToLower(term);
  std::erase(key, '"');
  return key;
}

bool TitleMatches(std::string_view title, const std::string& key) {
  return Contains(ToLower(title), key);
}

// Position just after the next "</item>" from from on; the page's end when
// there is none (the rest of the page is then empty).
std::size_t AfterItem(MarkerFinder& finder, std::size_t from) {
  constexpr std::string_view kItemEnd = "</item>";
  const std::size_t end = finder.Find(kItemEnd, from);
  return end == npos ? finder.Size() : end + kItemEnd.size();
}

// The start of the RSS items (the position of startMarker) and the number of
// "<title>" occurrences from there on; 0 items when the marker is absent.
std::size_t RssItemCount(std::string_view page, std::string_view startMarker, std::size_t& start) {
  start = page.find(startMarker);
  if (start == npos) return 0;
  return CountOccurrences(page.substr(start), "<title>");
}

// Calls item(finder, start) for each RSS item of the page (as many as there
// are "<title>"s from startMarker on), start being where the item's text
// begins, then moves to just after the item's "</item>". Stops early when
// item returns false or the page ends.
template <typename Item>
void ForEachRssItem(std::string_view page, std::string_view startMarker, Item item) {
  std::size_t rest = 0;
  const std::size_t count = RssItemCount(page, startMarker, rest);
  MarkerFinder finder(page);
  for (std::size_t i = 0; i < count && rest < page.size(); ++i) {
    if (!item(finder, rest)) return;
    rest = AfterItem(finder, rest);
  }
}

}  // namespace

bool AdLists::Add(std::string_view title, std::string_view link, std::string_view date,
                  std::string_view description) {
  if (Full()) return false;
  // A field whose end marker is missing runs to the end of the page; on a
  // hostile page every item would then copy the rest of it. Fields are cut to
  // a size no real ad comes near, and one page's entries share a budget.
  auto cut = [](std::string_view field) { return field.substr(0, kMaxFieldBytes); };
  std::size_t size = cut(title).size() + cut(link).size() + cut(date).size() + cut(description).size();
  if (bytesStored + size > kMaxPageBytes) {
    capacity = titles.size();  // full from now on
    return false;
  }
  bytesStored += size;
  titles.emplace_back(cut(title));
  links.emplace_back(cut(link));
  dates.emplace_back(cut(date));
  descriptions.emplace_back(cut(description));
  return true;
}

QueryOptions QueryOptions::From(const Settings& settings) {
  QueryOptions options;
  options.SearchTitles = settings.SearchTitles;
  options.HasPictures = settings.HasPictures;
  options.DaypeRSS = settings.DaypeRSS;
  options.UserAgent = settings.UserAgent;
  return options;
}

ScanDate TodayForScanning() {
  const platform::LocalDateTime now = platform::LocalNow();
  return {now.year, now.month, now.day};
}

std::string FormatScanDate(int year, int month, int day) {
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
  return text;
}

std::string DateWithoutYear(int month, int day, const ScanDate& today) {
  const int year = today.month < month ? today.year - 1 : today.year;
  return FormatScanDate(year, month, day);
}

std::string RequestPath(std::string_view term, std::string_view host, std::string_view sectionCode,
                        const QueryOptions& options) {
  const auto part = [&](int k) { return std::string(SplitPart(sectionCode, '\\', k)); };
  std::string path;
  switch (SiteOfHost(host)) {
    case SiteId::Craigslist:
      path =
          "/search/" + std::string(sectionCode) + "?query=" + UrlEncodeTerm(term) + "&format=rss";
      if (options.SearchTitles != 0) path += "&srchType=T";
      if (options.HasPictures != 0) path += "&hasPic=1";
      break;
    case SiteId::Kijiji:
      if (IsKijijiCanadaHost(host)) {
        path = "/f-SearchAdRss?catId=" + part(1) + "&Keyword=" + UrlEncodeTerm(term);
      } else {
        path = "/" + part(2) + "/?q=" + UrlEncodeTerm(term) + "&catId=" + part(1);
      }
      break;
    case SiteId::Backpage:
      path = "/" + part(3) + "/classifieds/Results?section=" + part(1) +
             "&keyword=" + UrlEncodeTerm(term);
      if (part(2) != "0") path += "&category=" + part(2);
      if (options.HasPictures != 0) path += "&hasImage=yes";
      break;
    case SiteId::Daype:
      if (options.DaypeRSS != 0) {
        path = "/feed/" + UrlEncodeTerm(ToLower(term));
      } else {
        path = "/classifiedsads/null/" + part(2) + "/" + UrlEncodeTerm(ToLower(term)) +
               "/all/null/null/1";
      }
      break;
    case SiteId::None:
      break;
  }
  return path;
}

int ParseCraigslistRss(std::string_view page, AdLists& out) {
  const std::size_t before = out.Count();
  ForEachRssItem(page, "</channel>", [&out](MarkerFinder& finder, std::size_t rest) {
    const std::string_view title = UnwrapCdata(finder.Between(rest, "<title>", "</title>"));
    const std::string_view date = finder.Between(rest, "<dc:date>", "</dc:date>").substr(0, 10);
    const std::string description = ReplaceAll(
        UnwrapCdata(finder.Between(rest, "<description>", "</description>")), "&amp;", "&");
    const std::string_view link = finder.Between(rest, "<link>", "</link>");
    return out.Add(title, link, date, description);
  });
  return static_cast<int>(out.Count() - before);
}

int ParseKijijiRss(std::string_view page, std::string_view term, const QueryOptions& options,
                   AdLists& out) {
  const std::string key = MatchKey(term);
  const std::size_t before = out.Count();
  ForEachRssItem(page, "</image>", [&](MarkerFinder& finder, std::size_t rest) {
    if (out.Full()) return false;
    const std::string_view title = UnwrapCdata(finder.Between(rest, "<title>", "</title>"));
    if (options.SearchTitles != 0 && !TitleMatches(title, key)) return true;
    // "Sat, 03 Mar 2012 10:15:00 EST": day, month name and year are words 2 to 4.
    const std::string_view published = finder.Between(rest, "<pubDate>", "</pubDate>");
    const std::string date =
        FormatScanDate(ClampToInt(LeadingNumber(SplitPart(published, ' ', 4))),
                       MonthNumber(SplitPart(published, ' ', 3)),
                       ClampToInt(LeadingNumber(SplitPart(published, ' ', 2))));
    const std::string_view description =
        UnwrapCdata(finder.Between(rest, "<description>", "</description>"));
    const std::string_view link = finder.Between(rest, "<link>", "</link>");
    return out.Add(title, link, date, description);
  });
  return static_cast<int>(out.Count() - before);
}

int ParseKijijiHtml(std::string_view page, std::string_view term, const QueryOptions& options,
                    const ScanDate& today, AdLists& out) {
  if (Contains(page, "Sorry, but no ads matched your search")) return 0;
  // The count of items on the page: "Showing 1-25 of 300" gives 25 (two
  // characters, so at most 99).
  const std::string_view countArea = CutFrom(page, "<div id=\"ui-search-result-count\">");
  const std::int64_t claimed = LeadingNumber(CutAfter(countArea, "Showing 1-").substr(0, 2));
  if (claimed <= 0) return 0;

  const std::string key = MatchKey(term);
  std::string_view rest = CutFrom(page, "<ol class=\"search-results\">");
  const std::size_t before = out.Count();
  for (std::int64_t i = 0; i < claimed && !out.Full(); ++i) {
    const std::size_t open = rest.find("<li>");
    if (open == npos) break;  // the page holds no further items
    rest.remove_prefix(open + 4);
    std::string_view item = rest.substr(0, rest.find("</li>"));

    // Only ads with a picture are kept when pictures are asked for.
    if (options.HasPictures != 0 && !Contains(item, ".jpg") && !Contains(item, ".jpeg")) continue;

    item = CutAfter(item, "</span>");
    const std::string_view link = TextBetween(item, "href=\"", "\"");
    const std::string_view title = TextBetween(item, "\">", "</a>");
    if (options.SearchTitles != 0 && !TitleMatches(title, key)) continue;

    std::string_view description;
    if (const std::size_t dollar = item.find('$'); dollar != npos) {
      description = item.substr(dollar);
      description = description.substr(0, description.find(' '));
    }
    const int month = MonthNumber(TextBetween(item, "</em> - ", " "));
    const int day =
        ClampToInt(LeadingNumber(item.substr(item.size() - std::min<std::size_t>(2, item.size()))));
    if (!out.Add(title, link, DateWithoutYear(month, day, today), description)) break;
  }
  return static_cast<int>(out.Count() - before);
}

int ParseBackpageHtml(std::string_view page, const ScanDate& today, AdLists& out) {
  constexpr std::string_view kCat = "<div class=\"cat\">";    // 17 characters
  constexpr std::string_view kDate = "<div class=\"date\">";  // 18 characters
  const std::size_t count = CountOccurrences(page, kCat);
  if (count == 0) return 0;

  MarkerFinder finder(page);
  int year = today.year;
  int month = today.month;
  int day = today.day;
  std::size_t rest = 0;
  const std::size_t before = out.Count();
  for (std::size_t i = 0; i < count; ++i) {
    std::size_t cat = finder.Find(kCat, rest);
    if (cat == npos) break;
    // A date header between here and the item sets the running date.
    if (const std::size_t header = finder.Find(kDate, rest); header != npos && header < cat) {
      rest = header + kDate.size();
      const std::string text = ReplaceAll(finder.UpTo(rest, "<"), "  ", " ");
      month = MonthNumber(SplitPart(text, ' ', 2));
      day = ClampToInt(LeadingNumber(SplitPart(text, ' ', 3)));
      year = today.month < month ? today.year - 1 : today.year;
      cat = finder.Find(kCat, rest);
      if (cat == npos) break;
    }
    rest = cat + kCat.size();

    // The link starts after "href=" and its opening quote.
    std::string_view link;
    if (const std::size_t href = finder.Find("href=", rest); href != npos) {
      link = finder.UpTo(href + 6, "\"");
    }
    std::string_view title;
    if (const std::size_t close = finder.Find(">", rest); close != npos) {
      title = finder.UpTo(close + 1, "<");
    }
    if (!out.Add(title, link, FormatScanDate(year, month, day), "")) break;
  }
  return static_cast<int>(out.Count() - before);
}

int ParseDaypeHtml(std::string_view page, const ScanDate& today, AdLists& out) {
  const std::string details = std::string(kDaypeTopLevelLabel) + "/classifieds/details/";
  const std::string date = FormatScanDate(today.year, today.month, today.day);
  MarkerFinder finder(page);
  std::size_t rest = 0;
  const std::size_t before = out.Count();
  while (!out.Full()) {
    const std::size_t occurrence = finder.Find(details, rest);
    if (occurrence == npos) break;
    // The link's "http://" lies shortly before the details address.
    const std::size_t back = occurrence >= rest + 35 ? occurrence - 35 : rest;
    const std::size_t http = finder.Find("http://", back);
    if (http == npos) break;
    const std::string_view link = finder.UpTo(http, "\"");
    const std::size_t tagEnd = finder.Find(">", http);
    if (tagEnd == npos) break;
    rest = tagEnd + 1;
    const std::string_view anchor = finder.UpTo(rest, "</a>");
    // A thumbnail link comes before the text link of the same ad: pass it over.
    if (Contains(anchor, ".jpg\"") || Contains(anchor, ".gif\"")) continue;

    const std::size_t lineBreak = finder.Find("<br />", rest);
    if (lineBreak == npos) break;
    rest = lineBreak + 6;
    const std::string description = CollapseWhitespace(finder.UpTo(rest, "<br />"));
    std::string title(Trim(CollapseWhitespace(anchor)));
    std::erase(title, '\r');
    std::erase(title, '\n');
    if (!out.Add(title, link, date, description)) break;
  }
  return static_cast<int>(out.Count() - before);
}

int ParseDaypeRss(std::string_view page, const ScanDate& today, AdLists& out) {
  const std::string date = FormatScanDate(today.year, today.month, today.day);
  const std::size_t before = out.Count();
  ForEachRssItem(page, "<item>", [&](MarkerFinder& finder, std::size_t rest) {
    const std::string_view title = UnwrapCdata(finder.Between(rest, "<title>", "</title>"));
    std::string description(UnwrapCdata(finder.Between(rest, "<description>", "</description>")));
    description = ReplaceAll(description, "&amp;", "&");
    description = ReplaceAll(description, "&lt;", "<");
    description = ReplaceAll(description, "&gt;", ">");
    const std::string_view link = finder.Between(rest, "<link>", "</link>");
    return out.Add(title, link, date, description);
  });
  return static_cast<int>(out.Count() - before);
}

int ParseResponse(std::string_view response, std::string_view term, std::string_view host,
                  const QueryOptions& options, AdLists& out) {
  switch (SiteOfHost(host)) {
    case SiteId::Craigslist:
      return ParseCraigslistRss(response, out);
    case SiteId::Kijiji:
      if (IsKijijiCanadaHost(host)) return ParseKijijiRss(response, term, options, out);
      return ParseKijijiHtml(response, term, options, TodayForScanning(), out);
    case SiteId::Backpage:
      return ParseBackpageHtml(response, TodayForScanning(), out);
    case SiteId::Daype:
      if (options.DaypeRSS != 0) return ParseDaypeRss(response, TodayForScanning(), out);
      return ParseDaypeHtml(response, TodayForScanning(), out);
    case SiteId::None:
      break;
  }
  return 0;
}

int QuerySite(const std::string& term, const std::string& host, const std::string& sectionCode,
              const QueryOptions& options, AdLists& out, HttpOutcome* outcome) {
  HttpOutcome local;
  HttpOutcome& result = outcome != nullptr ? *outcome : local;
  const std::string cleanHost = NormaliseHost(host);
  const std::string path = RequestPath(term, cleanHost, sectionCode, options);
  // No site, no request: the download goes to an empty host and gets nothing.
  const std::string response =
      HttpGet(path.empty() ? std::string() : cleanHost, path, HttpRedirect::Follow, HttpDisplay::StatusBar,
              options.UserAgent, &result);
  // A server error, a stray redirect or a cut-off page is no page at all:
  // scanning it would report too few ads as if the search had worked.
  if (response.empty() || HttpFailed(result)) return -1;
  // An error page (404 and the like) is a page without ads, whatever it holds.
  if (result.status >= 400 && result.status <= 499) return 0;
  return ParseResponse(response, term, cleanHost, options, out);
}

}  // namespace vemtrix
