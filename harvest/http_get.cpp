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
  int tlsPort = 0;
};

ConnectTo& Override() {
  static ConnectTo override;
  return override;
}

// Where a download goes: the name of the host (the Host header's text and,
// over TLS, the name sent for SNI and checked in the certificate) and the
// address and port the connection really goes to. Hosts under the reserved
// name ".invalid" are never overridden: they never resolve, so a test run
// through the override can still meet a host that is not found.
struct Target {
  bool secure = false;
  std::string hostHeader;  // name, or name:port as given
  std::string name;
  std::string address;
  int port = 80;
};

Target ResolveTarget(const std::string& host) {
  Target target;
  target.secure = IsSecureHost(host);
  if (!target.secure) {
    target.hostHeader = target.name = host;
  } else {
    target.hostHeader = host.substr(kHttpsScheme.size());
    target.name = target.hostHeader;
    target.port = 443;
    const std::size_t colon = target.name.rfind(':');
    if (colon != std::string::npos && colon + 1 < target.name.size() &&
        target.name.find_first_not_of("0123456789", colon + 1) == std::string::npos &&
        target.name.size() - colon <= 6) {
      target.port = std::stoi(target.name.substr(colon + 1));
      target.name.resize(colon);
    }
  }
  target.address = target.name;
  const std::string lowered = ToLower(target.name);
  const bool reserved = lowered.size() >= 8 && lowered.compare(lowered.size() - 8, 8, ".invalid") == 0;
  std::lock_guard<std::mutex> guard(Override().lock);
  if (!Override().address.empty() && !reserved) {
    target.address = Override().address;
    if (!target.secure) {
      target.port = Override().port;
    } else if (Override().tlsPort != 0) {
      target.port = Override().tlsPort;
    }
  }
  return target;
}

std::atomic<int> timeCapMs{0};

// The connection of one download: plain, or TLS over it.
struct Channel {
  platform::TcpConnection tcp;
  platform::TlsConnection tls;
  bool secure = false;

  bool Send(std::string_view data) { return secure ? tls.Send(data) : tcp.Send(data); }
  int Receive(char* buffer, int size) { return secure ? tls.Receive(buffer, size) : tcp.Receive(buffer, size); }
  void Close() {
    tls.Close();
    tcp.Close();
  }
};

std::string Download(const std::string& host, const std::string& path, const std::string& userAgent,
                     std::size_t maxBytes, HttpOutcome& outcome) {
  HttpReadEnd& end = outcome.end;
  end = HttpReadEnd::NoAnswer;
  outcome.tls = platform::TlsCheck::Ok;
  const Target target = ResolveTarget(host);
  // A request to an empty host (no site matched) reaches nobody.
  if (target.name.empty()) return std::string();

  Channel connection;
  if (!connection.tcp.Connect(target.address, target.port, kHttpReceiveTimeoutMs)) {
    if (connection.tcp.HostNotFound()) end = HttpReadEnd::HostNotFound;
    return std::string();
  }
  if (target.secure) {
    connection.secure = true;
    outcome.tls = connection.tls.Start(std::move(connection.tcp), target.name);
    if (outcome.tls != platform::TlsCheck::Ok) return std::string();
  }

  const std::string lines[] = {
      "GET " + path + " HTTP/1.0\r\n",
      "Host: " + target.hostHeader + "\r\n",
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

void SetHttpConnectTo(const std::string& address, int port, int tlsPort) {
  std::lock_guard<std::mutex> guard(Override().lock);
  Override().address = address;
  Override().port = port;
  Override().tlsPort = tlsPort;
}

bool IsSecureHost(std::string_view host) { return host.substr(0, kHttpsScheme.size()) == kHttpsScheme; }

std::string HttpAddress(const std::string& host) { return IsSecureHost(host) ? host : "http://" + host; }

void SplitHttpLink(std::string_view link, std::string& host, std::string& path) {
  constexpr std::string_view kHttp = "http://";
  std::string prefix;
  if (link.substr(0, kHttp.size()) == kHttp) {
    link.remove_prefix(kHttp.size());
  } else if (ToLower(link.substr(0, kHttpsScheme.size())) == kHttpsScheme) {
    link.remove_prefix(kHttpsScheme.size());
    prefix = kHttpsScheme;
  }
  const std::size_t slash = link.find('/');
  host = prefix + std::string(link.substr(0, slash));
  path = slash == std::string_view::npos ? std::string() : std::string(link.substr(slash));
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
  switch (outcome.tls) {
    case platform::TlsCheck::NotTrusted: return "certificate not trusted";
    case platform::TlsCheck::Expired: return "certificate expired";
    case platform::TlsCheck::OtherHost: return "certificate for another host";
    case platform::TlsCheck::HandshakeFailed: return "no secure connection";
    case platform::TlsCheck::Ok: break;
  }
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
  if (showStatus) UI().ShowRequestLine("Get: " + HttpAddress(host) + path);

  std::string response = Download(host, path, userAgent, maxBytes, outcome);

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

bool IsRedirectStatus(int status) { return status >= 300 && status <= 399; }

// The Location header of a redirect when it points to "https://" (its scheme
// in lower case), else empty.
std::string SecureLocation(const std::string& response) {
  if (!IsRedirectStatus(HttpStatusOf(response))) return std::string();
  const std::size_t headEnd = response.find("\r\n\r\n");
  const std::string head = response.substr(0, headEnd == std::string::npos ? response.size() : headEnd + 2);
  const std::size_t at = ToLower(head).find("\r\nlocation:");
  if (at == std::string::npos) return std::string();
  const std::size_t valueAt = at + 11;
  const std::string_view value = Trim(std::string_view(head).substr(valueAt, head.find("\r\n", valueAt) - valueAt), " \t");
  if (ToLower(value.substr(0, kHttpsScheme.size())) != kHttpsScheme) return std::string();
  return std::string(kHttpsScheme) + std::string(value.substr(kHttpsScheme.size()));
}

// One request, sent again over TLS when a plain one is answered by a redirect
// to the same host and path on https.
std::string FetchUpgrading(const std::string& host, const std::string& path, HttpDisplay display,
                           const std::string& userAgent, std::size_t maxBytes, HttpOutcome& outcome) {
  std::string response = Fetch(host, path, display, userAgent, maxBytes, outcome);
  if (host.empty() || IsSecureHost(host)) return response;
  const std::string location = SecureLocation(response);
  if (location.empty()) return response;
  std::string newHost;
  std::string newPath;
  SplitHttpLink(location, newHost, newPath);
  if (newPath.empty()) newPath = "/";
  if (ToLower(newHost) != std::string(kHttpsScheme) + ToLower(host) || newPath != path) return response;
  return Fetch(newHost, newPath, display, userAgent, maxBytes, outcome);
}

// Where the one followed redirect goes: a "302 Found" anywhere with the text
// after "Location: http://" (as it always was), or a redirect to "https://".
bool RedirectTarget(const std::string& response, std::string& host, std::string& path) {
  const std::string secure = SecureLocation(response);
  if (Contains(response, "302 Found") && (secure.empty() || Contains(response, "Location: http://"))) {
    std::string_view location = TextBetween(response, "Location: http://", "\r\n");
    std::size_t slash = location.find('/');
    host = std::string(location.substr(0, slash));
    path = std::string(slash == std::string_view::npos ? std::string_view() : location.substr(slash));
    return true;
  }
  if (secure.empty()) return false;
  SplitHttpLink(secure, host, path);
  if (path.empty()) path = "/";
  return true;
}

}  // namespace

std::string HttpGet(const std::string& host, const std::string& path, HttpRedirect redirect,
                    HttpDisplay display, const std::string& userAgent, HttpOutcome* outcome, std::size_t maxBytes) {
  HttpOutcome local;
  HttpOutcome& result = outcome != nullptr ? *outcome : local;
  std::string response = FetchUpgrading(host, path, display, userAgent, maxBytes, result);
  if (redirect != HttpRedirect::Follow) return response;

  std::string newHost;
  std::string newPath;
  if (RedirectTarget(response, newHost, newPath)) {
    // A second redirect is not followed: it comes back as it is.
    response = FetchUpgrading(newHost, newPath, display, userAgent, maxBytes, result);
  }
  result.redirectLeft = IsRedirectStatus(result.status);
  return response;
}

}  // namespace vemtrix
