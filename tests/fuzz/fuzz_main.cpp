// libFuzzer entry: FUZZ_TARGET (a name from kTargets) picks the target.
#include <cstdlib>
#include <cstring>

#include "fuzz/fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const vemtrix::fuzz::Target* target = [] {
    const char* name = std::getenv("FUZZ_TARGET");
    for (const auto& t : vemtrix::fuzz::kTargets) {
      if (name != nullptr && std::strcmp(name, t.name) == 0) return &t;
    }
    return &vemtrix::fuzz::kTargets[0];
  }();
  target->run(data, size);
  return 0;
}
