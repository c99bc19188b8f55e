// The deep scan: downloads the page of every ad without a full text and
// stores the text cut from it, on up to MaxThreads2 workers started one
// second apart by a launcher. The Deep Scan command that starts one is
// StartDeepScan (commands/search_commands.h).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "core/settings.h"

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
};
DeepScanSettings DeepScanSettingsFrom(const Settings& settings);

// Starts a launcher thread: it starts a worker for every free slot, one
// second apart. The Deep Scan command and search workers call it (the
// latter after each ad they add).
void StartDeepScanLauncher(const DeepScanSettings& settings);

// Waits until no launcher and no worker is running (for tools and tests).
void WaitForDeepScanEnd();

}  // namespace vemtrix
