// What each operating system's implementation provides to the shared part
// (platform_common.cpp). Included only by platform_*.cpp.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace vemtrix::platform::detail {

LocalDateTime SystemLocalNow();
void SystemSleepMs(int milliseconds);
std::string SystemProgramDirectory();
// Writes contents to temporary (created or emptied), flushes it to disk and
// moves it over path; on failure temporary is removed. False when another
// process is writing temporary, or on any error.
bool SystemReplaceFile(const std::string& path, const std::string& temporary, std::string_view contents);

}  // namespace vemtrix::platform::detail
