// HttpGet against an in-process loopback server (natively and under Wine).
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "core/settings.h"
#include "harvest/http_get.h"
#include "support/loopback_server.h"
#include "support/recording_frontend.h"

using namespace vemtrix;
using vemtrix::testing::LoopbackServer;
using vemtrix::testing::RecordingFrontend;

namespace {

const std::string kAgent = kDefaultUserAgent;

class HttpGetTest : public ::testing::Test {
 protected:
  void TearDown() override { SetHttpConnectTo("", 0); }
  void Route(LoopbackServer& server) {
    ASSERT_TRUE(server.Listening());
    SetHttpConnectTo("127.0.0.1", server.Port());
  }
};

std::string PageOf(std::size_t size) {
  std::string page = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n";
  for (std::size_t i = 0; page.size() < size; ++i) page += static_cast<char>('a' + i % 26);
  return page;
}

// Answers by request path: the first line's second word.
std::string PathOf(const std::string& request) {
  std::size_t start = request.find(' ') + 1;
  return request.substr(start, request.find(' ', start) - start);
}

}  // namespace

TEST_F(HttpGetTest, SendsTheFiveLinesAndReadsUntilClose) {
  const std::string page = PageOf(100000);  // many 4096-byte reads
  LoopbackServer server(LoopbackServer::Answer(page));
  Route(server);
  RecordingFrontend frontend;
  std::uint32_t before = BytesThisRun;
  std::int64_t superBefore = AppSettings().SuperBytes;

  std::string response = HttpGet("sfbay.craigslist.org", "/search/sss?query=a+b&format=rss",
                                 HttpRedirect::Follow, HttpDisplay::StatusBar, "TestAgent/1.0");

  EXPECT_EQ(response, page);
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0],
            "GET /search/sss?query=a+b&format=rss HTTP/1.0\r\n"
            "Host: sfbay.craigslist.org\r\n"
            "User-Agent: TestAgent/1.0\r\n"
            "Accept-Language: en-us\r\n"
            "\r\n");
  EXPECT_EQ(frontend.RequestLines(),
            std::vector<std::string>{"Get: http://sfbay.craigslist.org/search/sss?query=a+b&format=rss"});
  EXPECT_EQ(BytesThisRun - before, page.size());
  ASSERT_EQ(frontend.BytesShown().size(), 1u);
  EXPECT_EQ(frontend.BytesShown()[0], BytesThisRun.load());
  EXPECT_EQ(AppSettings().SuperBytes - superBefore, static_cast<std::int64_t>(page.size()));
}

TEST_F(HttpGetTest, WithoutStatusOnlyTheLifetimeCounterGrows) {
  LoopbackServer server(LoopbackServer::Answer("HTTP/1.0 200 OK\r\n\r\nversion 2.11"));
  Route(server);
  RecordingFrontend frontend;
  std::uint32_t before = BytesThisRun;
  std::int64_t superBefore = AppSettings().SuperBytes;

  std::string response = HttpGet("www.vemtrix.com", "/version", HttpRedirect::Follow, HttpDisplay::Quiet, kAgent);

  EXPECT_EQ(response, "HTTP/1.0 200 OK\r\n\r\nversion 2.11");
  EXPECT_EQ(BytesThisRun.load(), before);
  EXPECT_TRUE(frontend.RequestLines().empty());
  EXPECT_TRUE(frontend.BytesShown().empty());
  EXPECT_EQ(AppSettings().SuperBytes - superBefore, static_cast<std::int64_t>(response.size()));
}

TEST_F(HttpGetTest, ASilentServerEndsTheReadWithWhatArrived) {
  LoopbackServer server([](platform::TcpConnection& client, const std::string&) {
    client.Send("HTTP/1.0 200 OK\r\n\r\npartial");
    char buffer[16];
    client.Receive(buffer, sizeof buffer);  // until the client gives up
  });
  Route(server);
  auto start = std::chrono::steady_clock::now();
  HttpOutcome outcome;
  std::string response =
      HttpGet("toronto.kijiji.ca", "/", HttpRedirect::Follow, HttpDisplay::Quiet, kAgent, &outcome);
  auto spent = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(response, "HTTP/1.0 200 OK\r\n\r\npartial");
  // Without a Content-Length nothing says the page is incomplete.
  EXPECT_EQ(outcome.end, HttpReadEnd::Silence);
  EXPECT_FALSE(HttpFailed(outcome));
  EXPECT_GE(spent, std::chrono::milliseconds(5000));
  EXPECT_LT(spent, std::chrono::milliseconds(9000));
}

TEST_F(HttpGetTest, FollowsOneRedirectButNotASecond) {
  LoopbackServer server([](platform::TcpConnection& client, const std::string& request) {
    std::string path = PathOf(request);
    if (path == "/first") client.Send("HTTP/1.0 302 Found\r\nLocation: http://other.host/second\r\n\r\n");
    else if (path == "/second") client.Send("HTTP/1.0 302 Found\r\nLocation: http://third.host/third\r\n\r\n");
    else client.Send("HTTP/1.0 200 OK\r\n\r\nthe end");
  });
  Route(server);
  std::int64_t superBefore = AppSettings().SuperBytes;

  std::string response = HttpGet("first.host", "/first", HttpRedirect::Follow, HttpDisplay::Quiet, kAgent);

  EXPECT_EQ(response, "HTTP/1.0 302 Found\r\nLocation: http://third.host/third\r\n\r\n");
  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_NE(requests[1].find("GET /second HTTP/1.0\r\nHost: other.host\r\n"), std::string::npos);
  // Both responses are counted.
  EXPECT_EQ(AppSettings().SuperBytes - superBefore,
            static_cast<std::int64_t>(response.size() + std::string("HTTP/1.0 302 Found\r\nLocation: http://other.host/second\r\n\r\n").size()));

  // Without following, the redirect itself comes back.
  response = HttpGet("first.host", "/first", HttpRedirect::Return, HttpDisplay::Quiet, kAgent);
  EXPECT_EQ(response, "HTTP/1.0 302 Found\r\nLocation: http://other.host/second\r\n\r\n");
}

TEST_F(HttpGetTest, ABodyMentioning302FoundIsTakenAsARedirect) {
  LoopbackServer server([](platform::TcpConnection& client, const std::string& request) {
    if (PathOf(request) == "/article") {
      client.Send("HTTP/1.0 200 OK\r\n\r\n<p>Error 302 Found means moved.</p>\r\nLocation: http://x.host/moved\r\n");
    } else {
      client.Send("HTTP/1.0 200 OK\r\n\r\nmoved page");
    }
  });
  Route(server);
  EXPECT_EQ(HttpGet("a.host", "/article",
                    HttpRedirect::Follow, HttpDisplay::Quiet, kAgent), "HTTP/1.0 200 OK\r\n\r\nmoved page");
}

TEST_F(HttpGetTest, UnreachableServersGiveAnEmptyResponse) {
  int closedPort = 0;
  {
    platform::TcpListener listener;
    ASSERT_TRUE(listener.Listen(0));
    closedPort = listener.Port();
  }
  SetHttpConnectTo("127.0.0.1", closedPort);
  EXPECT_EQ(HttpGet("refused.host", "/", HttpRedirect::Follow, HttpDisplay::StatusBar, kAgent), "");

  SetHttpConnectTo("", 0);
  EXPECT_EQ(HttpGet("no-such-host.invalid", "/", HttpRedirect::Follow, HttpDisplay::Quiet, kAgent), "");
  EXPECT_EQ(HttpGet("", "/", HttpRedirect::Follow, HttpDisplay::Quiet, kAgent), "");

  // A server that closes without answering.
  LoopbackServer server([](platform::TcpConnection&, const std::string&) {});
  Route(server);
  EXPECT_EQ(HttpGet("quiet.host", "/", HttpRedirect::Follow, HttpDisplay::Quiet, kAgent), "");
}

TEST_F(HttpGetTest, AHugeAnswerIsCutAtTheLimit) {
  LoopbackServer server([](platform::TcpConnection& client, const std::string&) {
    std::string block(1 << 20, 'x');
    for (int i = 0; i < 40; ++i) {
      if (!client.Send(block)) break;
    }
  });
  Route(server);
  HttpOutcome outcome;
  std::string response = HttpGet("huge.host", "/", HttpRedirect::Follow, HttpDisplay::Quiet, kAgent, &outcome);
  EXPECT_EQ(response.size(), kHttpMaxResponseBytes);
  EXPECT_EQ(outcome.end, HttpReadEnd::SizeCap);
  EXPECT_EQ(HttpFailure(outcome), "too large");

  // A caller's own limit, and a page of exactly that size.
  response = HttpGet("huge.host", "/", HttpRedirect::Follow, HttpDisplay::Quiet, kAgent, &outcome, 5000);
  EXPECT_EQ(response.size(), 5000u);
  EXPECT_EQ(outcome.end, HttpReadEnd::SizeCap);
  LoopbackServer exact(LoopbackServer::Answer(PageOf(5000)));
  Route(exact);
  response = HttpGet("exact.host", "/", HttpRedirect::Follow, HttpDisplay::Quiet, kAgent, &outcome, 5000);
  EXPECT_EQ(response.size(), 5000u);
  EXPECT_FALSE(HttpFailed(outcome));
}

// What comes back beside the response, and which downloads count as failed
// attempts: server errors, a redirect after the one followed, a body shorter
// than its Content-Length; error pages (4xx) are pages.
TEST_F(HttpGetTest, TellsHowEachDownloadWent) {
  LoopbackServer server([](platform::TcpConnection& client, const std::string& request) {
    std::string path = PathOf(request);
    if (path == "/ok") client.Send("HTTP/1.0 200 OK\r\nContent-length:  5\r\n\r\nhello");
    else if (path == "/500") client.Send("HTTP/1.1 500 Internal Server Error\r\n\r\n<h1>Sorry</h1>");
    else if (path == "/404") client.Send("HTTP/1.0 404 Not Found\r\nContent-Length: 9\r\n\r\nNot Found");
    else if (path == "/short") client.Send("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nonly ten..");
    else if (path == "/onebyte") client.Send("HTTP/1.0 200 OK\r\nContent-Length: 6\r\n\r\nhello");
    else if (path == "/head") client.Send("HTTP/1.0 200 OK\r\nContent-Ty");
    else if (path == "/bare") client.Send("no status line at all");
    else if (path == "/once") client.Send("HTTP/1.0 302 Found\r\nLocation: http://b.host/ok\r\n\r\n");
    else if (path == "/twice") client.Send("HTTP/1.0 302 Found\r\nLocation: http://b.host/once\r\n\r\n");
    else if (path == "/moved") client.Send("HTTP/1.0 301 Moved Permanently\r\nLocation: http://b.host/ok\r\n\r\n");
  });
  Route(server);
  auto get = [](const std::string& path, HttpRedirect redirect = HttpRedirect::Follow) {
    HttpOutcome outcome;
    outcome.status = -1;
    HttpGet("a.host", path, redirect, HttpDisplay::Quiet, kAgent, &outcome);
    return outcome;
  };

  HttpOutcome outcome = get("/ok");
  EXPECT_EQ(outcome.end, HttpReadEnd::Closed);
  EXPECT_EQ(outcome.status, 200);
  EXPECT_EQ(HttpFailure(outcome), "");
  EXPECT_EQ(HttpFailure(get("/500")), "server error 500");
  outcome = get("/404");
  EXPECT_EQ(outcome.status, 404);
  EXPECT_FALSE(HttpFailed(outcome));
  EXPECT_EQ(HttpFailure(get("/short")), "page cut short");
  EXPECT_TRUE(HttpFailed(get("/onebyte")));  // one byte short is short; "/ok" is exactly as long
  EXPECT_EQ(HttpFailure(get("/head")), "page cut short");
  outcome = get("/bare");  // not HTTP: nothing to hold it to
  EXPECT_EQ(outcome.status, 0);
  EXPECT_FALSE(HttpFailed(outcome));
  EXPECT_EQ(HttpFailure(get("/nothing")), "no answer");

  // One redirect is followed; one left after it fails the download, but a
  // redirect asked for (not followed) is what the caller wanted.
  outcome = get("/once");
  EXPECT_EQ(outcome.status, 200);
  EXPECT_FALSE(HttpFailed(outcome));
  EXPECT_EQ(HttpFailure(get("/twice")), "redirect left over");
  EXPECT_EQ(HttpFailure(get("/moved")), "redirect left over");
  outcome = get("/twice", HttpRedirect::Return);
  EXPECT_EQ(outcome.status, 302);
  EXPECT_FALSE(HttpFailed(outcome));
}

TEST_F(HttpGetTest, ASlowPageEndsAtTheTimeCap) {
  LoopbackServer server([](platform::TcpConnection& client, const std::string&) {
    client.Send("HTTP/1.0 200 OK\r\n\r\n");
    for (int i = 0; i < 30 && client.Send("drip "); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  });
  Route(server);
  SetHttpTimeCap(1000);
  auto start = std::chrono::steady_clock::now();
  HttpOutcome outcome;
  std::string response = HttpGet("slow.host", "/", HttpRedirect::Follow, HttpDisplay::Quiet, kAgent, &outcome);
  auto spent = std::chrono::steady_clock::now() - start;
  SetHttpTimeCap(0);
  EXPECT_EQ(outcome.end, HttpReadEnd::TimeCap);
  EXPECT_EQ(HttpFailure(outcome), "took too long");
  EXPECT_EQ(response.compare(0, 19, "HTTP/1.0 200 OK\r\n\r\n"), 0);
  EXPECT_LT(spent, std::chrono::milliseconds(2500));
}
