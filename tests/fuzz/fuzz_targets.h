// Entry points that feed arbitrary bytes to the scanners and file readers.
// libFuzzer drives them in the fuzz build; the replay test runs the stored
// seeds and past crash inputs through them in every build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vemtrix::fuzz {

// Each takes any bytes and must neither crash nor hang.
void FuzzSearchScanners(const std::uint8_t* data, std::size_t size);
void FuzzFileReaders(const std::uint8_t* data, std::size_t size);
void FuzzCatalogScanners(const std::uint8_t* data, std::size_t size);

struct Target {
  const char* name;  // also the corpus folder's name
  void (*run)(const std::uint8_t*, std::size_t);
};
inline constexpr Target kTargets[] = {
    {"search_scanners", FuzzSearchScanners},
    {"file_readers", FuzzFileReaders},
    {"catalog_scanners", FuzzCatalogScanners},
};

}  // namespace vemtrix::fuzz
