// The built-in HTML output template.
#pragma once

#include <string>

namespace vemtrix {

// Part 1 is the page header, part 2 the item text; anything else "error".
std::string DefaultTemplate(int part);

}  // namespace vemtrix
