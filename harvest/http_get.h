// The program's minimal HTTP/1.0 client: every download goes through HttpGet.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace vemtrix {

// Bytes downloaded by status-showing requests since the program started.
extern std::atomic<std::uint32_t> BytesThisRun;

// Downloads http://host/path and returns the raw response (status line and
// headers included), or an empty text when nothing could be received.
// followRedirect 1 follows one "302 Found"; showStatus non-zero shows the
// request in the status bar and counts it in BytesThisRun. Every response
// counts in the lifetime SuperBytes.
std::string HttpGet(const std::string& host, const std::string& path, int followRedirect,
                    int showStatus);

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
