// In-process stand-ins for the sites, for engine tests: a loopback server
// that answers Craigslist and Canadian Kijiji searches with a small feed, ad
// pages with a text the deep scan accepts (or, for paths with "short", a text
// it refuses), and nothing at all for hosts named "down...". Hosts named
// "slow..." answer late (slowHostMs), "error..." 500, "missing..." 404,
// "redirect..." a redirect to the same page, "huge..." more than a response
// may hold, "cut..." half their Content-Length and "onebyte..." all but its
// last byte; ad paths holding "gone" get a 404 page, "gone-expired" a 404
// that says the posting expired, "huge" 2 MiB.
#pragma once

#include <atomic>
#include <chrono>
#include <thread>
#include <string>

#include "harvest/http_get.h"
#include "platform/platform.h"
#include "support/loopback_server.h"

namespace vemtrix::testing {

inline std::string HeaderValue(const std::string& request, const std::string& name) {
  std::size_t at = request.find("\r\n" + name + ": ");
  if (at == std::string::npos) return "";
  at += name.size() + 4;
  return request.substr(at, request.find("\r\n", at) - at);
}

inline std::string RequestPath(const std::string& request) {
  std::size_t start = request.find(' ') + 1;
  return request.substr(start, request.find(' ', start) - start);
}

// A feed of `ads` items for a search; links are unique per host, section and
// term unless the term starts with "same", which gives the same ads.
inline std::string CraigslistFeed(const std::string& host, const std::string& path, int ads) {
  std::size_t query = path.find("query=");
  std::string term = path.substr(query + 6, path.find('&', query) - query - 6);
  std::string section = path.substr(8, path.find('?') - 8);
  std::string key = term.rfind("same", 0) == 0 ? "same" : section + "-" + term;
  std::string feed = "HTTP/1.0 200 OK\r\n\r\n<rdf:RDF><channel><title>feed</title></channel>\n";
  for (int i = 1; i <= ads; ++i) {
    std::string id = key + "-" + std::to_string(i);
    feed += "<item><title><![CDATA[Ad " + id + "]]></title><link>http://" + host + "/ad/" + id +
            ".html</link><description><![CDATA[A description that is long enough for " + id +
            "]]></description><dc:date>2026-11-0" + std::to_string(i % 9 + 1) + "T10:00:00-05:00</dc:date></item>\n";
  }
  return feed + "</rdf:RDF>\n";
}

// A Canadian Kijiji feed of `ads` items, links unique per host.
inline std::string KijijiCanadaFeed(const std::string& host, int ads) {
  std::string feed = "HTTP/1.0 200 OK\r\n\r\n<rss><channel><image><title>Kijiji</title></image>\n";
  for (int i = 1; i <= ads; ++i) {
    std::string id = std::to_string(i);
    feed += "<item><title>Kijiji ad " + id + "</title><link>http://" + host + "/c-ad-W0QQAdIdZ" + id +
            "</link><description>A description that is long enough for ad " + id +
            "</description><pubDate>Tue, 0" + id + " Nov 2026 10:00:00 EST</pubDate></item>\n";
  }
  return feed + "</channel></rss>\n";
}

// An answer of exactly 50 characters, status line included, without any
// site's markers: the deep scan keeps such a page whole, and 50 characters is
// the shortest text it keeps.
inline std::string FiftyCharacterAd() { return "HTTP/1.0 200 OK\r\n\r\nAn ad page of fifty characters."; }

inline std::string NotFoundPage(const std::string& text) {
  return "HTTP/1.0 404 Not Found\r\nContent-Type: text/html\r\n\r\n<html><h1>Not Found</h1>"
         "<div id=\"userbody\">The page you asked for is not here. " + text + "</div></html>";
}

class FakeSites {
 public:
  FakeSites()
      : server_([this](platform::TcpConnection& client, const std::string& request) {
          std::string host = HeaderValue(request, "Host");
          std::string path = RequestPath(request);
          if (int delay = delayMs.load(); delay > 0) std::this_thread::sleep_for(std::chrono::milliseconds(delay));
          if (host.rfind("slow", 0) == 0) std::this_thread::sleep_for(std::chrono::milliseconds(slowHostMs.load()));
          if (host.rfind("down", 0) == 0) return;  // close without a word
          if (host.rfind("error", 0) == 0) {
            client.Send("HTTP/1.0 500 Internal Server Error\r\n\r\n<html><h1>Internal Server Error</h1>"
                        "<p>The server could not answer this request.</p></html>");
          } else if (host.rfind("missing", 0) == 0) {
            client.Send(NotFoundPage(""));
          } else if (host.rfind("redirect", 0) == 0) {
            client.Send("HTTP/1.0 302 Found\r\nLocation: http://" + host + path + "\r\n\r\n");
          } else if (host.rfind("huge", 0) == 0) {
            static const std::string huge = "HTTP/1.0 200 OK\r\n\r\n" + std::string(kHttpMaxResponseBytes, 'x');
            client.Send(huge);
          } else if (host.rfind("cut", 0) == 0) {
            std::string feed = CraigslistFeed(host, path, adsPerFeed.load());
            std::size_t body = feed.find("\r\n\r\n") + 4;
            client.Send("HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(feed.size() - body) + "\r\n\r\n" +
                        feed.substr(body, (feed.size() - body) / 2));
          } else if (host.rfind("onebyte", 0) == 0) {
            std::string feed = CraigslistFeed(host, path, adsPerFeed.load());
            std::size_t body = feed.find("\r\n\r\n") + 4;
            client.Send("HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(feed.size() - body) + "\r\n\r\n" +
                        feed.substr(body, feed.size() - body - 1));
          } else if (path.find("gone-expired") != std::string::npos) {
            client.Send(NotFoundPage("This posting has expired."));
          } else if (path.find("gone") != std::string::npos) {
            client.Send(NotFoundPage(""));
          } else if (path.find("huge") != std::string::npos) {
            client.Send("HTTP/1.0 200 OK\r\n\r\n<div id=\"userbody\">" + std::string(2 << 20, 'x') + "</div>");
          } else if (path.rfind("/search/", 0) == 0) {
            client.Send(CraigslistFeed(host, path, adsPerFeed.load()));
          } else if (path.rfind("/f-SearchAdRss", 0) == 0) {
            client.Send(KijijiCanadaFeed(host, adsPerFeed.load()));
          } else if (path.find("expired") != std::string::npos) {
            client.Send("HTTP/1.0 200 OK\r\n\r\n<html><div id=\"userbody\">This posting has expired.</div></html>");
          } else if (path.find("short") != std::string::npos) {
            client.Send("HTTP/1.0 200 OK\r\n\r\ntoo short");
          } else if (path.find("fifty") != std::string::npos) {
            client.Send(FiftyCharacterAd());
          } else {
            client.Send("HTTP/1.0 200 OK\r\n\r\n<html><a href=\"mailto:me@example.org\">me@example.org</a>"
                        "<div id=\"userbody\">The full text of the ad at " + path +
                        ", long enough to count.</div></html>");
          }
        }) {
    SetHttpConnectTo("127.0.0.1", server_.Port());
  }
  ~FakeSites() {
    SetHttpConnectTo("", 0);
    server_.Stop();
  }

  LoopbackServer& Server() { return server_; }
  std::atomic<int> adsPerFeed{3};
  // A pause before each answer, for watching a run while it is under way.
  std::atomic<int> delayMs{0};
  // A pause before the answers of hosts named "slow...", which then answer
  // as any other host.
  std::atomic<int> slowHostMs{300};

 private:
  LoopbackServer server_;
};

}  // namespace vemtrix::testing
