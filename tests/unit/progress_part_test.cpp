#include <gtest/gtest.h>

#include "ui/logic/progress_part.h"

using namespace vemtrix;

namespace {

void ExpectRect(const PixelRect& got, PixelRect want, int permille) {
  EXPECT_EQ(got.left, want.left) << permille;
  EXPECT_EQ(got.top, want.top) << permille;
  EXPECT_EQ(got.right, want.right) << permille;
  EXPECT_EQ(got.bottom, want.bottom) << permille;
}

}  // namespace

TEST(ProgressPartTest, BarHighlightAndText) {
  // A part 200 pixels wide: 5 permille make one pixel.
  const PixelRect part{100, 2, 300, 20};
  struct Case {
    int permille;
    int barRight;
    bool highlight;
    const char* text;
  };
  const Case cases[] = {
      {0, 100, false, "0.0%"},     // no bar at all
      {50, 110, false, "5.0%"},    // exactly 10 pixels: no strip
      {55, 111, true, "5.5%"},     // 11 pixels: a strip of 10
      {555, 211, true, "55.5%"},   // 200 * 555 / 1000 = 111 pixels
      {1000, 300, true, "100.0%"}, // the whole part
      {1500, 300, true, "100.0%"}, // held to the part
      {-7, 100, false, "0.0%"},
  };
  for (const Case& c : cases) {
    ProgressPartDrawing d = LayoutProgressPart(part, c.permille);
    ExpectRect(d.bar, {100, 2, c.barRight, 20}, c.permille);
    EXPECT_EQ(d.hasHighlight, c.highlight) << c.permille;
    if (c.highlight) ExpectRect(d.highlight, {c.barRight - 10, 2, c.barRight, 20}, c.permille);
    EXPECT_EQ(d.text, c.text) << c.permille;
  }
  // The text stands alone too, with one decimal from whole permille.
  EXPECT_EQ(ProgressText(1), "0.1%");
  EXPECT_EQ(ProgressText(999), "99.9%");
}
