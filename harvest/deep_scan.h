// The deep scan: downloads the page of every ad without a full text and
// stores the text cut from it, on up to MaxThreads2 workers started one
// second apart by a launcher.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace vemtrix {

// 1 from the start of the first worker until the last one ends.
extern std::atomic<std::int32_t> DeepScanActive;
// Asks the workers to stop.
extern std::atomic<std::int32_t> DeepScanAbort;

// The Deep Scan command: starts a deep scan when none is active (or tells the
// user there is nothing to do), and asks an active one to stop.
void StartDeepScan();

// Starts a launcher thread: it starts a worker for every free slot, one
// second apart. Search workers call it after each ad they add.
void StartDeepScanLauncher();

// Waits until no launcher and no worker is running (for tools and tests).
void WaitForDeepScanEnd();

}  // namespace vemtrix
