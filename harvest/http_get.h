// The program's minimal HTTP/1.0 client: every download goes through HttpGet.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace vemtrix {

// Bytes downloaded by status-showing requests since the program started.
extern std::atomic<std::uint32_t> BytesThisRun;

// Whether a "302 Found" answer is followed (once) or returned as it is.
enum class HttpRedirect { Return, Follow };
// Whether the request is shown in the status bar and counted in BytesThisRun.
enum class HttpDisplay { Quiet, StatusBar };

// Downloads http://host/path, sending userAgent, and returns the raw response
// (status line and headers included), or an empty text when nothing could be
// received. Every response counts in the lifetime SuperBytes. The caller
// passes the user agent it took from the settings when its work began, so
// no worker reads the settings record while the window may change it.
std::string HttpGet(const std::string& host, const std::string& path, HttpRedirect redirect,
                    HttpDisplay display, const std::string& userAgent);

// Limits that keep a hostile server from exhausting memory or holding a
// worker forever; real pages never come near them.
inline constexpr std::size_t kHttpMaxResponseBytes = 32u * 1024u * 1024u;
inline constexpr int kHttpMaxTotalMs = 120000;
inline constexpr int kHttpReceiveTimeoutMs = 5500;

// Process-wide "connect to" override: every connection goes to address:port
// while the request (Host header, path) stays the same. Empty address turns it
// off. The program never sets it; tests and vemtrix-cli do.
void SetHttpConnectTo(const std::string& address, int port);

}  // namespace vemtrix
