#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"

namespace vemtrix {

// A folder of the running test's own under the program folder's "test-tmp",
// ending with a separator. ctest runs each test as a process of its own and
// in parallel, so two tests must never write the same file.
inline std::string TestFolder(const std::string& tag) {
  std::string name = tag;
  if (const auto* info = ::testing::UnitTest::GetInstance()->current_test_info()) {
    name += std::string("-") + info->test_suite_name() + "." + info->name();
  }
  for (char& c : name) {
    if (c == '/' || c == '\\') c = '_';
  }
  std::string dir = platform::ProgramDirectory() + "test-tmp" + platform::PathSeparator() + name;
  platform::CreateFolder(dir);
  return dir + platform::PathSeparator();
}

}  // namespace vemtrix
