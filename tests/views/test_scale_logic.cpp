// The drawing scale's arithmetic: the clamp of the scale, layout lengths in
// device pixels and back, and the bitmap font that draws text at a scale.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "view2d/scale.h"
#include "view2d/view2d.h"

namespace {

class Scale : public ::testing::Test {
 protected:
  void TearDown() override { set_draw_scale(1.0f); }
};

TEST_F(Scale, IsClampedAndIgnoresWhatIsNoNumber) {
  struct clamp_case {
    const char* what;
    float given, kept;
  };
  const float inf = std::numeric_limits<float>::infinity();
  const clamp_case kCases[] = {
      {"a presentation step", 1.5f, 1.5f},       {"a device pixel ratio", 1.25f, 1.25f},
      {"below 1 draws at 1", 0.5f, 1.0f},        {"zero draws at 1", 0.0f, 1.0f},
      {"above the largest", 9.0f, DRAW_SCALE_MAX}, {"infinity is no number", inf, 1.25f},
      {"NaN is no number", std::nanf(""), 1.25f},
  };
  set_draw_scale(1.25f);
  for (const clamp_case& c : kCases) {
    SCOPED_TRACE(c.what);
    set_draw_scale(1.25f);
    set_draw_scale(c.given);
    EXPECT_EQ(c.kept, draw_scale());
  }
}

TEST_F(Scale, LayoutLengthsRoundToWholeDevicePixelsAndBack) {
  struct px_case {
    float scale;
    int layout, device;       // scaled_px(layout) == device
    int mouse, mouse_layout;  // layout_px(mouse) == mouse_layout
  };
  const px_case kCases[] = {
      {1.0f, 541, 541, 377, 377},  // scale 1: every number as it is
      {2.0f, 541, 1082, 1081, 540},  // both device pixels of a layout pixel map to it
      {1.5f, 541, 812, 3, 2},        // 811.5 rounds half away from zero; 3 / 1.5 = 2
      {1.5f, 1, 2, 2, 1},            // a 1-pixel rule stays visible
      {3.0f, 615, 1845, 1844, 614},
      {1.5f, -3, -5, -1, -1},        // left of the window: down, not toward zero
  };
  for (const px_case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "scale " << c.scale << ", " << c.layout);
    set_draw_scale(c.scale);
    EXPECT_EQ(c.device, scaled_px(c.layout));
    EXPECT_EQ(c.mouse_layout, layout_px(c.mouse));
  }
}

TEST_F(Scale, PickSquareIsEightLayoutPixels) {
  struct pick_case {
    float scale;
    int dx;
    int hit;
  };
  const pick_case kCases[] = {{1.0f, 8, 1}, {1.0f, 9, 0}, {2.0f, 16, 1}, {2.0f, 17, 0}, {1.5f, 12, 1},
                              {1.5f, 13, 0}};
  for (const pick_case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "scale " << c.scale << ", " << c.dx << " pixels off");
    set_draw_scale(c.scale);
    EXPECT_EQ(c.hit, pick_hit(100.0 + c.dx, 100.0 - c.dx, 100, 100));
  }
}

TEST(FontForScale, TheNearestGlutFontNeverSmallerThanTheBase) {
  struct font_case {
    bitmap_font base;
    float scale;
    bitmap_font drawn;
  };
  using f = bitmap_font;
  const font_case kCases[] = {
      {f::helvetica_12, 1.0f, f::helvetica_12},  // scale 1: the font itself
      {f::fixed_8x13, 1.0f, f::fixed_8x13},
      {f::helvetica_12, 1.5f, f::helvetica_18},  // 18 exactly
      {f::helvetica_12, 2.0f, f::times_24},      // 24 exactly
      {f::helvetica_12, 3.0f, f::times_24},      // nothing taller
      {f::fixed_8x13, 1.5f, f::helvetica_18},    // 19.5: 18 is nearer than 24
      {f::fixed_8x13, 2.0f, f::times_24},        // 26
      {f::times_10, 1.5f, f::fixed_9x15},        // 15 exactly
      {f::times_10, 2.0f, f::helvetica_18},      // 20: 18 is nearer than 24
      {f::fixed_9x15, 1.25f, f::helvetica_18},   // 18.75
      {f::helvetica_10, 1.05f, f::helvetica_10}, // 10.5: the base itself is nearest
      {f::helvetica_12, 1.25f, f::fixed_9x15},   // 15 exactly
      {f::times_24, 3.0f, f::times_24},
  };
  for (const font_case& c : kCases) {
    SCOPED_TRACE(testing::Message() << bitmap_font_height(c.base) << " at " << c.scale);
    const bitmap_font got = font_for_scale(c.base, c.scale);
    EXPECT_EQ(bitmap_font_height(c.drawn), bitmap_font_height(got));
    EXPECT_EQ(static_cast<int>(c.drawn), static_cast<int>(got));
    EXPECT_GE(bitmap_font_height(got), bitmap_font_height(c.base));
  }
}

}  // namespace
