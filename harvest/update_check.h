// The once-per-start check for a newer version: reads the version the maker's
// product page publishes between two comment markers and, when it is newer
// than the running program, offers to open that page in the browser.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace vemtrix {

inline constexpr std::string_view kVersionStartMarker = "<!--vemclver-->";
inline constexpr std::string_view kVersionEndMarker = "<!--endvemclver-->";

// The leading decimal number of text (blanks before it skipped, optional
// sign) times 100, rounded to the nearest integer: "2.11" gives 211, "2.1"
// gives 210, "3" gives 300. 0 when text does not begin with a number;
// clamped to the 32-bit range.
std::int32_t VersionCodeFromText(std::string_view text);

// The version code a page publishes between the two markers (0 when it
// publishes none). The whole response, headers included, is searched.
std::int32_t PublishedVersionCode(std::string_view page);

// code / 100 in the format "0.00": 211 gives "2.11", 5 gives "0.05".
std::string FormatVersion(std::int32_t code);

// The text of the "Update Available" question for a published version code.
std::string UpdateQuestion(std::int32_t newCode);

// Fetches the maker's page, and when it publishes a version above
// versionCode asks "Update Available" (Yes/No, no owner window) and on Yes
// opens the product page through UI().OpenInBrowser. Ends silently on any
// failure. Runs on the thread that calls it.
void CheckForUpdate(std::int32_t versionCode, const std::string& userAgent);

// Starts CheckForUpdate on a thread of its own (1 MB stack) when the setting
// CheckForUpdates is 1. The returned thread is not joinable when nothing was
// started; dropping it leaves the check running on its own.
// The user agent is taken from the settings now, on the calling thread.
platform::Thread StartUpdateCheck(std::int32_t versionCode);

}  // namespace vemtrix
