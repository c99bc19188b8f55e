#include "ui/logic/progress_part.h"

#include <algorithm>

namespace vemtrix {

namespace {

constexpr int kHighlightPx = 10;

int ClampPermille(int permille) { return std::clamp(permille, 0, 1000); }

}  // namespace

ProgressPartDrawing LayoutProgressPart(const PixelRect& part, int permille) {
  permille = ClampPermille(permille);
  ProgressPartDrawing drawing;
  const long long width = part.right - part.left;
  drawing.bar = part;
  drawing.bar.right = part.left + static_cast<int>(width * permille / 1000);
  if (drawing.bar.right - drawing.bar.left > kHighlightPx) {
    drawing.hasHighlight = true;
    drawing.highlight = drawing.bar;
    drawing.highlight.left = drawing.bar.right - kHighlightPx;
  }
  drawing.text = ProgressText(permille);
  return drawing;
}

std::string ProgressText(int permille) {
  permille = ClampPermille(permille);
  return std::to_string(permille / 10) + "." + std::to_string(permille % 10) + "%";
}

}  // namespace vemtrix
