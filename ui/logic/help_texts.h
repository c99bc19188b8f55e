// The context-help texts: what the pop-up says about each control of the
// main window when the user asks for help on it.
#pragma once

#include <string>

namespace vemtrix {

// The help text for a control of the main window (any page); empty for a
// control that has none, such as a plain label. Texts that name Backpage or
// Daype use the site's web name.
std::string HelpTextFor(int controlId);

struct ScreenPoint {
  int x = 0, y = 0;
  bool operator==(const ScreenPoint&) const = default;
};
struct ScreenArea {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// The top left corner of a help pop-up of the given size asked for at a
// point: there, or moved left and up just enough to stay inside the work
// area (never past its top left corner), as the system's pop-ups keep on
// the screen.
ScreenPoint PlaceHelpPopup(ScreenPoint at, int width, int height, ScreenArea work);

}  // namespace vemtrix
