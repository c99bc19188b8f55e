// What each operating system's implementation provides to the shared part
// (platform_common.cpp). Included only by platform_*.cpp.
#pragma once

#include <string>

#include "platform/platform.h"

namespace vemtrix::platform::detail {

LocalDateTime SystemLocalNow();
void SystemSleepMs(int milliseconds);
std::string SystemProgramDirectory();

}  // namespace vemtrix::platform::detail
