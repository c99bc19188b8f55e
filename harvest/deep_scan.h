// The deep scan: downloads the page of every ad without a full text and
// stores the text cut from it, on up to MaxThreads2 workers started one
// second apart by a launcher. The Deep Scan command that starts one is
// StartDeepScan (commands/search_commands.h).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/settings.h"
#include "harvest/ad_text.h"

namespace vemtrix {

// 1 from the start of the first worker until the last one ends.
extern std::atomic<std::int32_t> DeepScanActive;
// Asks the workers to stop.
extern std::atomic<std::int32_t> DeepScanAbort;

// What a deep scan reads from the settings, copied when it starts.
struct DeepScanSettings {
  bool overrideRss = true;
  bool audioPrompts = false;
  int maxThreads = 4;
  std::string userAgent = kDefaultUserAgent;
  // Started by a search run's workers: the run's Abort (AbortFlag) stops it
  // too, as Abort DS does.
  bool partOfSearchRun = false;

  bool operator==(const DeepScanSettings&) const = default;
};
DeepScanSettings DeepScanSettingsFrom(const Settings& settings);

// The largest ad page the deep scan reads (real ones are tens of
// kilobytes): a larger page counts as a failed attempt, so no padding or
// stray download is ever kept as an ad's text.
inline constexpr std::size_t kDeepScanMaxPageBytes = 1024 * 1024;

// Host and path of an ad's link (a leading "http://" dropped, "https://"
// kept on the host: see SplitHttpLink).
void SplitAdLink(const std::string& link, std::string& host, std::string& path);

// One download of an ad's page, judged: the expiry notice is taken whatever
// the status; otherwise a failed download (HttpFailed), a status other than
// 200 or a text under 50 characters is a failed attempt.
struct AdPageAttempt {
  bool ok = false;
  AdText ad;
  std::string problem;  // why the attempt failed
};
AdPageAttempt FetchAdPage(const std::string& host, const std::string& path, const std::string& userAgent);

// An ad's text with the deep scan's retries: up to five attempts with the
// 25 to 35 second countdowns on deep-scan row slot, then the give-up message
// (counted in DeepScanAdsGivenUp). DeepScanAbort (and, for a scan that is
// part of a search run, AbortFlag) ends it early, without a message.
enum class AdDownload { Done, Failed, Aborted };
AdDownload DownloadAdText(int slot, const std::string& host, const std::string& path,
                          const DeepScanSettings& settings, AdText& ad);

// Starts a launcher thread: it starts a worker for every free slot, one
// second apart. The Deep Scan command and search workers call it (the
// latter after each ad they add). While a launcher with the same settings
// runs, that one goes over the slots again instead, so a search adding
// hundreds of ads does not start hundreds of threads.
void StartDeepScanLauncher(const DeepScanSettings& settings);
// Launcher threads started since the program started (for tests).
extern std::atomic<std::int32_t> DeepScanLaunchersStarted;

// Waits until no launcher and no worker is running (for tools and tests).
void WaitForDeepScanEnd();

}  // namespace vemtrix
