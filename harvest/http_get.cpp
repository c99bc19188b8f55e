#include "harvest/http_get.h"

#include <chrono>
#include <mutex>

#include "core/frontend.h"
#include "core/settings.h"
#include "core/text.h"
#include "platform/platform.h"

namespace vemtrix {

std::atomic<std::uint32_t> BytesThisRun{0};

namespace {

struct ConnectTo {
  std::mutex lock;
  std::string address;
  int port = 0;
};

ConnectTo& Override() {
  static ConnectTo override;
  return override;
}

// Where the connection for host really goes (host:80 unless overridden).
// Hosts under the reserved name ".invalid" are never overridden: they never
// resolve, so a test run through the override can still meet a host that is
// not found.
void ResolveTarget(const std::string& host, std::string& address, int& port) {
  std::lock_guard<std::mutex> guard(Override().lock);
  const std::string lowered = ToLower(host);
  const bool reserved = lowered.size() >= 8 && lowered.compare(lowered.size() - 8, 8, ".invalid") == 0;
  if (Override().address.empty() || reserved) {
    address = host;
    port = 80;
  } else {
    address = Override().address;
    port = Override().port;
  }
}

std::atomic<int> timeCapMs{0};

std::string Download(const std::string& host, const std::string& path, const std::string& userAgent,
                     std::size_t maxBytes, HttpReadEnd& end) {
  end = HttpReadEnd::NoAnswer;
  std::string address;
  int port = 80;
  ResolveTarget(host, address, port);
  // A request to an empty host (no site matched) reaches nobody.
  if (host.empty()) return std::string();

  platform::TcpConnection connection;
  if (!connection.Connect(address, port, kHttpReceiveTimeoutMs)) {
    if (connection.HostNotFound()) end = HttpReadEnd::HostNotFound;
    return std::string();
  }

  const std::string lines[] = {
      "GET " + path + " HTTP/1.0\r\n",
      "Host: " + host + "\r\n",
      "User-Agent: " + userAgent + "\r\n",
      "Accept-Language: en-us\r\n",
      "\r\n",
  };
  for (const std::string& line : lines) {
    if (!connection.Send(line)) return std::string();
  }

  const int capMs = timeCapMs.load() > 0 ? timeCapMs.load() : kHttpMaxTotalMs;
  std::string response;
  char buffer[4096];
  auto started = std::chrono::steady_clock::now();
  for (;;) {
    auto waitStarted = std::chrono::steady_clock::now();
    int got = connection.Receive(buffer, sizeof buffer);
    if (got <= 0) {
      // Receive gives 0 both for a close and for a wait that ran out; how
      // long the wait took tells them apart.
      auto waited = std::chrono::steady_clock::now() - waitStarted;
      end = got == 0 && waited >= std::chrono::milliseconds(kHttpReceiveTimeoutMs - 500) ? HttpReadEnd::Silence
                                                                                         : HttpReadEnd::Closed;
      break;
    }
    response.append(buffer, static_cast<std::size_t>(got));
    // Bounds against hostile or broken servers: keep what has arrived.
    if (response.size() > maxBytes) {
      response.resize(maxBytes);
      end = HttpReadEnd::SizeCap;
      break;
    }
    auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    if (spent.count() >= capMs) {
      end = HttpReadEnd::TimeCap;
      break;
    }
  }
  connection.Close();
  if (response.empty()) end = HttpReadEnd::NoAnswer;
  return response;
}

}  // namespace

void SetHttpConnectTo(const std::string& address, int port) {
  std::lock_guard<std::mutex> guard(Override().lock);
  Override().address = address;
  Override().port = port;
}

void SetHttpTimeCap(int milliseconds) { timeCapMs = milliseconds > 0 ? milliseconds : 0; }

int HttpStatusOf(const std::string& response) {
  // "HTTP/1.0 404 Not Found": the three digits after the first space.
  if (response.compare(0, 5, "HTTP/") != 0) return 0;
  std::size_t space = response.find(' ');
  if (space == std::string::npos || space > 12 || response.size() < space + 4) return 0;
  int status = 0;
  for (std::size_t i = space + 1; i < space + 4; ++i) {
    if (response[i] < '0' || response[i] > '9') return 0;
    status = status * 10 + (response[i] - '0');
  }
  return status;
}

bool HttpCutShort(const std::string& response) {
  if (HttpStatusOf(response) == 0) return false;  // no HTTP head to hold it to
  std::size_t headEnd = response.find("\r\n\r\n");
  if (headEnd == std::string::npos) return true;
  const std::string head = ToLower(std::string_view(response).substr(0, headEnd + 2));
  std::size_t at = head.find("\r\ncontent-length:");
  if (at == std::string::npos) return false;
  std::string_view value = Trim(TextBetween(std::string_view(head).substr(at), ":", "\r\n"));
  if (value.empty() || value.find_first_not_of("0123456789") != std::string_view::npos || value.size() > 15) {
    return false;
  }
  std::uint64_t length = std::stoull(std::string(value));
  return response.size() - (headEnd + 4) < length;
}

std::string HttpFailure(const HttpOutcome& outcome) {
  switch (outcome.end) {
    case HttpReadEnd::NoAnswer: return "no answer";
    case HttpReadEnd::HostNotFound: return "host not found";
    case HttpReadEnd::SizeCap: return "too large";
    case HttpReadEnd::TimeCap: return "took too long";
    case HttpReadEnd::Closed:
    case HttpReadEnd::Silence: break;
  }
  if (outcome.status >= 500 && outcome.status <= 599) return "server error " + std::to_string(outcome.status);
  if (outcome.redirectLeft) return "redirect left over";
  if (outcome.cutShort) return "page cut short";
  return std::string();
}

namespace {

std::string Fetch(const std::string& host, const std::string& path, HttpDisplay display, const std::string& userAgent,
                  std::size_t maxBytes, HttpOutcome& outcome) {
  const bool showStatus = display == HttpDisplay::StatusBar;
  if (showStatus) UI().ShowRequestLine("Get: http://" + host + path);

  std::string response = Download(host, path, userAgent, maxBytes, outcome.end);

  if (showStatus) {
    std::uint32_t total = BytesThisRun.fetch_add(static_cast<std::uint32_t>(response.size())) +
                          static_cast<std::uint32_t>(response.size());
    UI().ShowBytesDownloaded(total);
  }
  AppSettings().SuperBytes += static_cast<std::int64_t>(response.size());
  outcome.status = HttpStatusOf(response);
  outcome.cutShort = HttpCutShort(response);
  outcome.redirectLeft = false;
  return response;
}

}  // namespace

std::string HttpGet(const std::string& host, const std::string& path, HttpRedirect redirect,
                    HttpDisplay display, const std::string& userAgent, HttpOutcome* outcome, std::size_t maxBytes) {
  HttpOutcome local;
  HttpOutcome& result = outcome != nullptr ? *outcome : local;
  std::string response = Fetch(host, path, display, userAgent, maxBytes, result);
  if (redirect != HttpRedirect::Follow) return response;

  if (Contains(response, "302 Found")) {
    std::string_view location = TextBetween(response, "Location: http://", "\r\n");
    std::size_t slash = location.find('/');
    std::string newHost(location.substr(0, slash));
    std::string newPath(slash == std::string_view::npos ? std::string_view() : location.substr(slash));
    // A second redirect is not followed: it comes back as it is.
    response = Fetch(newHost, newPath, display, userAgent, maxBytes, result);
  }
  result.redirectLeft = result.status >= 300 && result.status <= 399;
  return response;
}

}  // namespace vemtrix
