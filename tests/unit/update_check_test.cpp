// The update check against an in-process maker's page.
#include "harvest/update_check.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>

#include "core/settings.h"
#include "harvest/http_get.h"
#include "harvest/sites.h"
#include "support/fake_sites.h"
#include "support/loopback_server.h"
#include "support/recording_frontend.h"

using namespace vemtrix;
using vemtrix::testing::HeaderValue;
using vemtrix::testing::LoopbackServer;
using vemtrix::testing::RecordingFrontend;
using vemtrix::testing::RequestPath;

namespace {

// The maker's page with the answer set by the test: the whole response.
class MakerPage {
 public:
  MakerPage()
      : server_([this](platform::TcpConnection& client, const std::string&) {
          std::lock_guard<std::mutex> guard(lock_);
          client.Send(response_);
        }) {
    SetHttpConnectTo("127.0.0.1", server_.Port());
  }
  ~MakerPage() {
    SetHttpConnectTo("", 0);
    server_.Stop();
  }
  void Publish(const std::string& version) {
    Answer("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<html><p>Latest: " +
           std::string(kVersionStartMarker) + version + std::string(kVersionEndMarker) + "</p></html>");
  }
  void Answer(const std::string& response) {
    std::lock_guard<std::mutex> guard(lock_);
    response_ = response;
  }
  LoopbackServer& Server() { return server_; }

 private:
  std::mutex lock_;
  std::string response_;
  LoopbackServer server_;
};

class UpdateCheckTest : public ::testing::Test {
 protected:
  void TearDown() override { AppSettings().CheckForUpdates = DefaultSettings().CheckForUpdates; }
  MakerPage page;
  RecordingFrontend frontend;
};

}  // namespace

TEST(UpdateCheckText, ReadsThePublishedVersionAsHundredths) {
  auto page = [](const std::string& between) {
    return "HTTP/1.0 200 OK\r\n\r\n<!--vemclver-->" + between + "<!--endvemclver-->";
  };
  EXPECT_EQ(PublishedVersionCode(page("2.10")), 210);
  EXPECT_EQ(PublishedVersionCode(page("2.11")), 211);
  EXPECT_EQ(PublishedVersionCode(page("2.1")), 210);  // not 2.01
  EXPECT_EQ(PublishedVersionCode(page("2.01")), 201);
  EXPECT_EQ(PublishedVersionCode(page("3")), 300);
  EXPECT_EQ(PublishedVersionCode(page("\r\n  2.11 (beta)")), 211);
  EXPECT_EQ(PublishedVersionCode(page("2.105")), 211);  // rounded to the nearest
  EXPECT_EQ(PublishedVersionCode(page("2.104")), 210);
  EXPECT_EQ(PublishedVersionCode(page("-1.5")), -150);
  EXPECT_EQ(PublishedVersionCode(page("99999999999999999999.99")), 2147483647);
  // Nothing usable: no number, empty, no start marker.
  EXPECT_EQ(PublishedVersionCode(page("soon")), 0);
  EXPECT_EQ(PublishedVersionCode(page("")), 0);
  EXPECT_EQ(PublishedVersionCode("HTTP/1.0 200 OK\r\n\r\n2.50<!--endvemclver-->"), 0);
  EXPECT_EQ(PublishedVersionCode(""), 0);
  // Without the end marker the rest of the page is read; its leading number counts.
  EXPECT_EQ(PublishedVersionCode("<p><!--vemclver-->2.12</p></html>"), 212);
  // Markers are searched in the whole response, headers included.
  EXPECT_EQ(PublishedVersionCode("HTTP/1.0 200 OK\r\nX-V: <!--vemclver-->4.2<!--endvemclver-->\r\n\r\n"), 420);

  EXPECT_EQ(FormatVersion(211), "2.11");
  EXPECT_EQ(FormatVersion(210), "2.10");
  EXPECT_EQ(FormatVersion(5), "0.05");
  EXPECT_EQ(FormatVersion(1200), "12.00");
  EXPECT_EQ(FormatVersion(-150), "-1.50");
}

TEST_F(UpdateCheckTest, AsksOnlyWhenThePageAnnouncesANewerVersion) {
  page.Publish("2.10");
  CheckForUpdate(210, AppSettings().UserAgent);
  page.Publish("2.1");
  CheckForUpdate(210, AppSettings().UserAgent);
  page.Publish("2.09");
  CheckForUpdate(210, AppSettings().UserAgent);
  EXPECT_TRUE(frontend.Messages().empty());

  auto requests = page.Server().Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(RequestPath(requests[0]), "/blog/vemtrix/");
  EXPECT_EQ(HeaderValue(requests[0], "Host"), "www.quillfen.com");

  page.Publish("2.11");
  CheckForUpdate(210, AppSettings().UserAgent);
  auto messages = frontend.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].caption, "Update Available");
  EXPECT_EQ(messages[0].text, "A new version exists (2.11). Would you like to visit the software's homepage?");
  EXPECT_EQ(messages[0].icon, MessageIcon::Question);
  EXPECT_EQ(messages[0].buttons, MessageButtons::YesNo);
  // No: nothing is opened. The check never shows its request in the status bar.
  EXPECT_TRUE(frontend.Opened().empty());
  EXPECT_TRUE(frontend.RequestLines().empty());

  // Without a readable version block the program compares against 6.66.
  page.Publish("6.66");
  CheckForUpdate(666, AppSettings().UserAgent);
  EXPECT_EQ(frontend.Messages().size(), 1u);
  page.Publish("6.7");
  CheckForUpdate(666, AppSettings().UserAgent);
  ASSERT_EQ(frontend.Messages().size(), 2u);
  EXPECT_EQ(frontend.Messages()[1].text,
            "A new version exists (6.70). Would you like to visit the software's homepage?");
}

TEST_F(UpdateCheckTest, YesOpensTheProductPage) {
  page.Publish("3.0");
  frontend.AnswerQuestionsWith(MessageAnswer::Yes);
  CheckForUpdate(210, AppSettings().UserAgent);
  ASSERT_EQ(frontend.Messages().size(), 1u);
  EXPECT_EQ(frontend.Opened(), std::vector<std::string>{"http://www.quillfen.com/blog/vemtrix/"});
  EXPECT_EQ(MakerPageAddress(), "http://www.quillfen.com/blog/vemtrix/");
}

TEST_F(UpdateCheckTest, FollowsOneRedirectToThePage) {
  LoopbackServer moved([](platform::TcpConnection& client, const std::string& request) {
    if (RequestPath(request) == "/blog/vemtrix/") {
      client.Send("HTTP/1.0 302 Found\r\nLocation: http://www.quillfen.com/blog/vemtrix-2/\r\n\r\n");
    } else {
      client.Send("HTTP/1.0 200 OK\r\n\r\n<!--vemclver-->2.20<!--endvemclver-->");
    }
  });
  SetHttpConnectTo("127.0.0.1", moved.Port());
  CheckForUpdate(210, AppSettings().UserAgent);
  ASSERT_EQ(moved.Requests().size(), 2u);
  ASSERT_EQ(frontend.Messages().size(), 1u);
  EXPECT_NE(frontend.Messages()[0].text.find("(2.20)"), std::string::npos);
}

TEST_F(UpdateCheckTest, FailuresAndPagesWithoutAVersionAskNothing) {
  const char* answers[] = {
      "HTTP/1.0 200 OK\r\n\r\n<html>A new version 9.99 is out</html>",  // no markers
      "HTTP/1.0 404 Not Found\r\n\r\n<html>Not here</html>",
      "HTTP/1.0 200 OK\r\n\r\n<!--vemclver--><!--endvemclver-->",         // empty between them
      "HTTP/1.0 200 OK\r\n\r\n<!--vemclver-->coming soon<!--endvemclver-->",
      "",                                                                   // closed without a word
  };
  for (const char* answer : answers) {
    page.Answer(answer);
    CheckForUpdate(210, AppSettings().UserAgent);
  }
  EXPECT_EQ(page.Server().Requests().size(), std::size(answers));
  // Nobody listening at all.
  platform::TcpListener closed;
  ASSERT_TRUE(closed.Listen(0));
  int port = closed.Port();
  closed.Close();
  SetHttpConnectTo("127.0.0.1", port);
  CheckForUpdate(210, AppSettings().UserAgent);
  EXPECT_TRUE(frontend.Messages().empty());
}

TEST_F(UpdateCheckTest, RunsOnItsOwnThreadOnlyWhenSwitchedOn) {
  page.Publish("2.11");
  AppSettings().CheckForUpdates = 0;
  platform::Thread none = StartUpdateCheck(210);
  EXPECT_FALSE(none.Joinable());
  platform::SleepMs(100);
  EXPECT_TRUE(page.Server().Requests().empty());

  AppSettings().CheckForUpdates = 1;
  platform::Thread check = StartUpdateCheck(210);
  ASSERT_TRUE(check.Joinable());
  check.Join();
  EXPECT_EQ(page.Server().Requests().size(), 1u);
  ASSERT_EQ(frontend.Messages().size(), 1u);
  EXPECT_NE(frontend.Messages()[0].text.find("(2.11)"), std::string::npos);
}
