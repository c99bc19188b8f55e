// What the status bar's progress part shows while a search or deep scan
// reports progress: a bar as long as the progress, a highlight strip at its
// end, and the percentage with one decimal. Only the geometry and the text;
// the window code fills and draws them.
#pragma once

#include <string>

namespace vemtrix {

// A rectangle in pixels, right and bottom exclusive.
struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

struct ProgressPartDrawing {
  PixelRect bar;            // filled with the light 3D face colour; empty at 0
  bool hasHighlight = false;
  PixelRect highlight;      // the bar's last 10 pixels, in the highlight colour
  std::string text;         // drawn centred over the whole part
};

// The bar's right edge is left + width * permille / 1000; the highlight strip
// exists only when the bar is wider than 10 pixels. permille outside 0..1000
// is held to that range.
ProgressPartDrawing LayoutProgressPart(const PixelRect& part, int permille);

// permille / 10 with one decimal and "%": 0 gives "0.0%", 555 "55.5%",
// 1000 "100.0%" (held to 0..1000 like the bar).
std::string ProgressText(int permille);

}  // namespace vemtrix
