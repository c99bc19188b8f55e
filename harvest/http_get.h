// The program's minimal HTTP/1.0 client: every download goes through HttpGet.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace vemtrix {

// Bytes downloaded by status-showing requests since the program started.
extern std::atomic<std::uint32_t> BytesThisRun;

// Whether a "302 Found" answer is followed (once) or returned as it is.
enum class HttpRedirect { Return, Follow };
// Whether the request is shown in the status bar and counted in BytesThisRun.
enum class HttpDisplay { Quiet, StatusBar };

// Limits that keep a hostile server from exhausting memory or holding a
// worker forever; real pages never come near them.
inline constexpr std::size_t kHttpMaxResponseBytes = 32u * 1024u * 1024u;
inline constexpr int kHttpMaxTotalMs = 120000;
inline constexpr int kHttpReceiveTimeoutMs = 5500;

// How the read of the returned response ended.
enum class HttpReadEnd {
  NoAnswer,      // nothing arrived: no connection, or closed or silent at once
  HostNotFound,  // the host's name did not resolve: nothing was sent
  Closed,    // the server closed the connection
  Silence,   // kHttpReceiveTimeoutMs passed without data
  SizeCap,   // more than the caller's size limit arrived
  TimeCap,   // the read took longer than the time limit
};

// What HttpGet tells its caller beside the response text.
struct HttpOutcome {
  HttpReadEnd end = HttpReadEnd::NoAnswer;
  int status = 0;             // of the status line; 0 when there is none
  bool redirectLeft = false;  // following was asked and the answer still redirects
  bool cutShort = false;      // the head never ended, or the body is shorter than its Content-Length
  // How the secure channel of an "https://" download began: anything but Ok
  // means nothing was sent (end is NoAnswer).
  platform::TlsCheck tls = platform::TlsCheck::Ok;
};

// Why a download counts as a failed attempt, in the words the user reads in
// a run's list of failed searches: "host not found", "no answer",
// "server error 503", "redirect left over", "page cut short", "too large",
// "took too long", and over TLS "certificate not trusted", "certificate
// expired", "certificate for another host" or "no secure connection". Empty
// when the response may be read. Every judgement of a download goes through
// here, so a new kind of failure is one more case.
std::string HttpFailure(const HttpOutcome& outcome);
inline bool HttpFailed(const HttpOutcome& outcome) { return !HttpFailure(outcome).empty(); }

// The status code of a raw response ("HTTP/x.y NNN ..."), 0 without one;
// whether it is cut short (see HttpOutcome::cutShort).
int HttpStatusOf(const std::string& response);
bool HttpCutShort(const std::string& response);

// Downloads http://host/path, sending userAgent, and returns the raw response
// (status line and headers included), or an empty text when nothing could be
// received; outcome (when given) says how the read ended and what came back.
// A host that begins with "https://" (then "name" or "name:port") is fetched
// over TLS, port 443 unless given, with the same request inside; its
// certificate is always checked. The read stops once more than maxBytes have
// arrived. Every response counts in the lifetime SuperBytes. The caller passes
// the user agent it took from the settings when its work began, so no worker
// reads the settings record while the window may change it.
//
// Redirects: a plain request answered by a redirect (3xx) to the same host and
// path on "https://" is sent again there, whatever redirect says: that is how
// a site that moved to https answers every plain request. With Follow, one
// redirect more is followed: a "302 Found" to "http://", or a redirect to
// "https://" of the same or another host.
std::string HttpGet(const std::string& host, const std::string& path, HttpRedirect redirect,
                    HttpDisplay display, const std::string& userAgent, HttpOutcome* outcome = nullptr,
                    std::size_t maxBytes = kHttpMaxResponseBytes);

inline constexpr std::string_view kHttpsScheme = "https://";

// Whether host (as HttpGet takes it) is fetched over TLS.
bool IsSecureHost(std::string_view host);
// The address of host for people to read: "http://" + host, or host itself
// when it already begins with "https://".
std::string HttpAddress(const std::string& host);
// Host and path of an absolute link: a leading "http://" dropped, a leading
// "https://" kept on the host (in lower case); the path is empty when the
// link has none.
void SplitHttpLink(std::string_view link, std::string& host, std::string& path);

// Process-wide "connect to" override: every connection goes to address:port
// (an "https://" one to address:tlsPort; tlsPort 0 keeps its own port) while
// the request (Host header, path, the name the certificate is checked
// against) stays the same; hosts under the reserved name ".invalid" keep
// their own (unresolvable) name. Empty address turns it off. The program
// never sets it; tests and vemtrix-cli do.
void SetHttpConnectTo(const std::string& address, int port, int tlsPort = 0);

// Process-wide time cap of one read in milliseconds (0: kHttpMaxTotalMs).
// The program never sets it; tests and vemtrix-cli do, to reach the cap fast.
void SetHttpTimeCap(int milliseconds);

}  // namespace vemtrix
