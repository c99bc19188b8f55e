// The program's own version, read from its version block at start-up.
#pragma once

#include <cstdint>

namespace vemtrix::setup {

// major x 100 + minor of the running program's file version (2.10 gives 210);
// 666 when the version block can't be read. Set by ReadVersionCode.
extern std::int32_t VersionCode;

// Reads the file version of the running executable into VersionCode. When
// the version block can't be read it shows the error box saying so
// ("Error", stop icon, system-modal) and sets 666.
void ReadVersionCode();

}  // namespace vemtrix::setup
