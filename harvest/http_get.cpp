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
void ResolveTarget(const std::string& host, std::string& address, int& port) {
  std::lock_guard<std::mutex> guard(Override().lock);
  if (Override().address.empty()) {
    address = host;
    port = 80;
  } else {
    address = Override().address;
    port = Override().port;
  }
}

std::string Download(const std::string& host, const std::string& path, const std::string& userAgent) {
  std::string address;
  int port = 80;
  ResolveTarget(host, address, port);
  // A request to an empty host (no site matched) reaches nobody.
  if (host.empty()) return std::string();

  platform::TcpConnection connection;
  if (!connection.Connect(address, port, kHttpReceiveTimeoutMs)) return std::string();

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

  std::string response;
  char buffer[4096];
  auto started = std::chrono::steady_clock::now();
  for (;;) {
    int got = connection.Receive(buffer, sizeof buffer);
    if (got <= 0) break;
    response.append(buffer, static_cast<std::size_t>(got));
    // Bounds against hostile or broken servers: keep what has arrived.
    if (response.size() >= kHttpMaxResponseBytes) break;
    auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    if (spent.count() >= kHttpMaxTotalMs) break;
  }
  connection.Close();
  return response;
}

}  // namespace

void SetHttpConnectTo(const std::string& address, int port) {
  std::lock_guard<std::mutex> guard(Override().lock);
  Override().address = address;
  Override().port = port;
}

std::string HttpGet(const std::string& host, const std::string& path, HttpRedirect redirect,
                    HttpDisplay display, const std::string& userAgent) {
  const bool showStatus = display == HttpDisplay::StatusBar;
  if (showStatus) UI().ShowStatusPart(kStatusPartRequest, "Get: http://" + host + path);

  std::string response = Download(host, path, userAgent);

  if (showStatus) {
    std::uint32_t total = BytesThisRun.fetch_add(static_cast<std::uint32_t>(response.size())) +
                          static_cast<std::uint32_t>(response.size());
    UI().ShowBytesDownloaded(total);
  }
  AppSettings().SuperBytes += static_cast<std::int64_t>(response.size());

  if (redirect == HttpRedirect::Follow && Contains(response, "302 Found")) {
    std::string_view location = TextBetween(response, "Location: http://", "\r\n");
    std::size_t slash = location.find('/');
    std::string newHost(location.substr(0, slash));
    std::string newPath(slash == std::string_view::npos ? std::string_view() : location.substr(slash));
    return HttpGet(newHost, newPath, HttpRedirect::Return, display, userAgent);
  }
  return response;
}

}  // namespace vemtrix
