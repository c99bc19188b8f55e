// The context-help texts: what the pop-up says about each control of the
// main window when the user asks for help on it.
#pragma once

#include <string>

namespace vemtrix {

// The help text for a control of the main window (any page); empty for a
// control that has none, such as a plain label. Texts that name Backpage or
// Daype use the site's web name.
std::string HelpTextFor(int controlId);

}  // namespace vemtrix
