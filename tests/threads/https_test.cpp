// Downloads over TLS against the site simulator, whose certificates come from
// a CA this test makes and trusts for itself only (SSL_CERT_FILE).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "core/settings.h"
#include "harvest/http_get.h"
#include "harvest/query_site.h"
#include "support/loopback_server.h"
#include "support/simulator_process.h"
#include "support/test_folder.h"

using namespace vemtrix;
using vemtrix::testing::LoopbackServer;
using vemtrix::testing::SimulatorProcess;

namespace {

const std::string kAgent = kDefaultUserAgent;
const std::string kPath = "/search/bik?query=bike&format=rss";

class HttpsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new std::string(platform::ProgramDirectory() + "test-tmp/https-ca-" + std::to_string(getpid()) + "/");
    platform::CreateFolder(*folder_);
    made_ = vemtrix::testing::MakeTestCertificates(*folder_, "*.craigslist.org,www.quillfen.com");
    setenv("SSL_CERT_FILE", (*folder_ + "ca.pem").c_str(), 1);
  }
  static void TearDownTestSuite() {
    unsetenv("SSL_CERT_FILE");
    delete folder_;
  }
  void SetUp() override { ASSERT_TRUE(made_) << "openssl could not make the test certificates"; }
  void TearDown() override { SetHttpConnectTo("", 0); }

  // Starts the simulator with the certificate of kind and routes every
  // download to it.
  void Serve(SimulatorProcess& sim, const std::string& kind, std::vector<std::string> extra = {}) {
    ASSERT_TRUE(sim.Start(std::move(extra), *folder_ + kind + ".pem", *folder_ + kind + ".key"));
    SetHttpConnectTo("127.0.0.1", sim.Port(), sim.TlsPort());
  }

  static std::string* folder_;
  static bool made_;
};

std::string* HttpsTest::folder_ = nullptr;
bool HttpsTest::made_ = false;

std::string Body(const std::string& response) {
  const std::size_t at = response.find("\r\n\r\n");
  return at == std::string::npos ? std::string() : response.substr(at + 4);
}

}  // namespace

// The same request, byte for byte, inside TLS; the same page back; the host
// name sent for SNI.
TEST_F(HttpsTest, AGoodCertificateGivesThePageThePlainRequestGives) {
  SimulatorProcess sim;
  Serve(sim, "good");
  HttpOutcome plainOutcome, secureOutcome;
  const std::string plain = HttpGet("sfbay.craigslist.org", kPath, HttpRedirect::Follow, HttpDisplay::Quiet, kAgent,
                                    &plainOutcome);
  const std::string secure = HttpGet("https://sfbay.craigslist.org", kPath, HttpRedirect::Follow, HttpDisplay::Quiet,
                                     kAgent, &secureOutcome);
  EXPECT_EQ(HttpFailure(secureOutcome), "");
  EXPECT_EQ(secureOutcome.status, 200);
  EXPECT_EQ(secureOutcome.end, HttpReadEnd::Closed);
  ASSERT_FALSE(Body(plain).empty());
  EXPECT_EQ(Body(secure), Body(plain));

  const std::string log = sim.Control("/__sim/log");
  const std::string request = "GET " + kPath + " HTTP/1.0\\r\\nHost: sfbay.craigslist.org\\r\\nUser-Agent: " + kAgent +
                              "\\r\\nAccept-Language: en-us\\r\\n\\r\\n";
  const std::size_t first = log.find(request);
  ASSERT_NE(first, std::string::npos) << log;
  EXPECT_NE(log.find(request, first + 1), std::string::npos) << log;
  EXPECT_NE(log.find("\"tls\": true, \"server_name\": \"sfbay.craigslist.org\""), std::string::npos) << log;

  // A port in the address is the port connected to (here the simulator's
  // own TLS port, no override) and part of the Host header.
  SetHttpConnectTo("", 0);
  HttpOutcome withPort;
  const std::string own = "https://localhost:" + std::to_string(sim.TlsPort());
  HttpGet(own, "/", HttpRedirect::Return, HttpDisplay::Quiet, kAgent, &withPort);
  EXPECT_EQ(withPort.tls, platform::TlsCheck::OtherHost);  // the certificate names no "localhost"
}

// Each bad certificate fails the download with its reason, before anything
// is sent; every one is a failed attempt to its callers.
TEST_F(HttpsTest, BadCertificatesFailWithTheirReasonAndNothingIsSent) {
  const struct {
    const char* kind;
    const char* reason;
  } cases[] = {{"self-signed", "certificate not trusted"},
               {"expired", "certificate expired"},
               {"other-host", "certificate for another host"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    SimulatorProcess sim;
    Serve(sim, c.kind);
    HttpOutcome outcome;
    const std::string response = HttpGet("https://sfbay.craigslist.org", kPath, HttpRedirect::Follow,
                                         HttpDisplay::Quiet, kAgent, &outcome);
    EXPECT_EQ(response, "");
    EXPECT_EQ(HttpFailure(outcome), c.reason);
    // The search reads it as a failed download (-1), to be retried.
    AdLists ads(100);
    QueryOptions options;
    options.UserAgent = kAgent;
    EXPECT_EQ(QuerySite("bike", "https://sfbay.craigslist.org/", "bik", options, ads, &outcome), -1);
    EXPECT_EQ(sim.Control("/__sim/log"), "[]\n");
  }
  // A good certificate is still refused when the client does not trust its CA.
  SimulatorProcess sim;
  Serve(sim, "good");
  setenv("SSL_CERT_FILE", "/nonexistent/bundle.pem", 1);
  HttpOutcome outcome;
  HttpGet("https://sfbay.craigslist.org", kPath, HttpRedirect::Follow, HttpDisplay::Quiet, kAgent, &outcome);
  setenv("SSL_CERT_FILE", (*folder_ + "ca.pem").c_str(), 1);
  EXPECT_EQ(HttpFailure(outcome), "certificate not trusted");
}

// A server that takes the client's hello and then leaves, or answers it with
// a piece of a handshake and goes: a failed attempt, at once.
TEST_F(HttpsTest, AServerThatStopsMidHandshakeIsAFailedAttempt) {
  platform::TcpListener listener;
  ASSERT_TRUE(listener.Listen(0));
  platform::Thread server;
  server.Start([&listener] {
    for (int i = 0; i < 2; ++i) {
      platform::TcpConnection client;
      if (!listener.Accept(client, 5000)) return;
      char hello[4096];
      client.Receive(hello, sizeof hello);
      if (i == 1) client.Send(std::string("\x16\x03\x03\x00\x40\x02\x00\x00\x3c\x03\x03", 11));
    }
  });
  SetHttpConnectTo("127.0.0.1", 1, listener.Port());
  for (int i = 0; i < 2; ++i) {
    const auto started = std::chrono::steady_clock::now();
    HttpOutcome outcome;
    EXPECT_EQ(HttpGet("https://sfbay.craigslist.org", "/", HttpRedirect::Follow, HttpDisplay::Quiet, kAgent, &outcome),
              "");
    EXPECT_EQ(HttpFailure(outcome), "no secure connection");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(4));
  }
  server.Join();
}

// A site that moved to https answers plain requests with a 301 to https: the
// download follows it, also where redirects are not followed, and a 302 the
// page itself sends is still followed once, as over plain http.
TEST_F(HttpsTest, AnHttpsOnlySiteIsReachedFromPlainAddresses) {
  SimulatorProcess sim;
  Serve(sim, "good", {"--https-only"});
  HttpOutcome outcome;
  std::string response =
      HttpGet("sfbay.craigslist.org", kPath, HttpRedirect::Return, HttpDisplay::Quiet, kAgent, &outcome);
  EXPECT_EQ(outcome.status, 200);
  EXPECT_EQ(HttpFailure(outcome), "");

  // The page's own redirect (302 to http://, itself moved to https).
  sim.Control("/__sim/fault?mode=redirect1&count=1");
  response = HttpGet("sfbay.craigslist.org", kPath, HttpRedirect::Follow, HttpDisplay::Quiet, kAgent, &outcome);
  EXPECT_EQ(outcome.status, 200);
  EXPECT_EQ(HttpFailure(outcome), "");
  // Two of its own redirects are one too many, as over plain http.
  sim.Control("/__sim/fault?mode=redirect2&count=1");
  HttpGet("sfbay.craigslist.org", kPath, HttpRedirect::Follow, HttpDisplay::Quiet, kAgent, &outcome);
  EXPECT_EQ(HttpFailure(outcome), "redirect left over");

  // The search gives what it gives over plain http.
  AdLists secureAds(1000), plainAds(1000);
  QueryOptions options;
  options.UserAgent = kAgent;
  EXPECT_GT(QuerySite("bike", "http://sfbay.craigslist.org/", "bik", options, secureAds, &outcome), 0);
  SimulatorProcess plainSim;
  ASSERT_TRUE(plainSim.Start({}));
  SetHttpConnectTo("127.0.0.1", plainSim.Port());
  EXPECT_EQ(QuerySite("bike", "sfbay.craigslist.org", "bik", options, plainAds, &outcome),
            static_cast<int>(secureAds.Count()));
  EXPECT_EQ(plainAds.links, secureAds.links);
}

// A redirect to https of another host is the one redirect followed, and
// only where redirects are followed.
TEST_F(HttpsTest, ARedirectToHttpsOfAnotherHostIsTheOneFollowed) {
  SimulatorProcess sim;
  Serve(sim, "good");
  const std::string moved = "HTTP/1.0 301 Moved Permanently\r\nlocation:  https://www.quillfen.com/blog/vemtrix/\r\n\r\n";
  LoopbackServer old(LoopbackServer::Answer(moved));
  ASSERT_TRUE(old.Listening());
  SetHttpConnectTo("127.0.0.1", old.Port(), sim.TlsPort());
  HttpOutcome outcome;
  std::string response = HttpGet("old.example", "/vemtrix", HttpRedirect::Follow, HttpDisplay::Quiet, kAgent, &outcome);
  EXPECT_EQ(outcome.status, 200);
  EXPECT_NE(response.find("Newest version"), std::string::npos) << response;
  EXPECT_EQ(HttpGet("old.example", "/vemtrix", HttpRedirect::Return, HttpDisplay::Quiet, kAgent), moved);
}
