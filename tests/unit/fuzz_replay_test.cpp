// Every stored fuzz input (seeds, and inputs that once crashed) runs through
// its target in the ordinary build, so a crash found once stays fixed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "fuzz/fuzz_targets.h"

TEST(FuzzReplay, StoredInputsRunCleanly) {
  namespace fs = std::filesystem;
  const fs::path corpus = fs::path(VEMTRIX_SOURCE_DIR) / "tests" / "fuzz" / "corpus";
  int inputs = 0;
  for (const auto& target : vemtrix::fuzz::kTargets) {
    const fs::path folder = corpus / target.name;
    if (!fs::is_directory(folder)) continue;
    for (const auto& entry : fs::directory_iterator(folder)) {
      std::ifstream in(entry.path(), std::ios::binary);
      std::stringstream bytes;
      bytes << in.rdbuf();
      const std::string data = bytes.str();
      target.run(reinterpret_cast<const std::uint8_t*>(data.data()), data.size());
      ++inputs;
    }
  }
  EXPECT_GT(inputs, 0);
}
