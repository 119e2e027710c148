// The widget kit's arithmetic, without a display.
#include <gtest/gtest.h>

#include <cmath>

#include <cstdio>
#include <string>
#include <vector>

#include "view2d/view2d.h"

namespace {

constexpr int LEFT = WIDGET_LEFT_BUTTON;
constexpr int RIGHT = 2;  // GLUT_RIGHT_BUTTON
constexpr int DOWN = WIDGET_DOWN;
constexpr int UP = WIDGET_UP;

// Both sliders of the panel are 180 wide: track length T = 130.
slider_rec make_slider(float min, float max, float value) {
  slider_rec s{};
  s.x0 = 40;
  s.y0 = 580;
  s.x1 = 220;
  s.y1 = 596;
  s.min = min;
  s.max = max;
  s.step = 0.1f;
  s.value = value;
  s.format = "%5.2f";
  place_knob(s);
  return s;
}

button_rec make_button(int x0, int y0, int x1, int y1) {
  button_rec b{};
  b.x0 = x0;
  b.y0 = y0;
  b.x1 = x1;
  b.y1 = y1;
  return b;
}

struct BaselineCase {
  int height;
  int offset;  // baseline - y0
};
const BaselineCase kBaseline[] = {
    {22, 7},  // New, Quit!, the check boxes
    {15, 4},  // the zoom buttons
    {16, 4},  // Dismiss
    {13, 3}, {10, 3}, {1, 3},
    {23, 8},
};

TEST(LabelBaseline, CentresTallLabelsAndSitsShortOnesThreeAbove) {
  for (const BaselineCase& c : kBaseline) {
    SCOPED_TRACE(c.height);
    EXPECT_EQ(548 + c.offset, label_baseline(make_button(396, 548, 459, 548 + c.height)));
  }
}

struct HitCase {
  int x, y;
  int hit;
};
const HitCase kHit[] = {
    {396, 548, 1}, {459, 570, 1}, {396, 570, 1}, {459, 548, 1}, {420, 560, 1},
    {395, 560, 0}, {460, 560, 0}, {420, 547, 0}, {420, 571, 0}, {395, 547, 0},
};

TEST(HitRect, CountsEdgesAsInside) {
  const button_rec b = make_button(396, 548, 459, 570);
  for (const HitCase& c : kHit) {
    SCOPED_TRACE(testing::Message() << "(" << c.x << ", " << c.y << ")");
    EXPECT_EQ(c.hit, hit_rect(b, c.x, c.y));
  }
}

struct KnobCase {
  float min, max, value;
  int knob_x;
};
const KnobCase kKnob[] = {
    {-3.0f, 10.0f, -3.0f, 65},  // min: x0 + 25
    {-3.0f, 10.0f, 10.0f, 195},  // max: x1 - 25
    {0.0f, 1.0f, 0.5f, 130},    // half way: 65 pixels along
    {0.0f, 1.0f, 0.25f, 97},    // 32.5 pixels along, cut toward zero
    {-3.0f, 10.0f, 3.5f, 130},
};

TEST(KnobPosition, MapsTheValueOntoTheTrackCuttingTowardZero) {
  for (const KnobCase& c : kKnob) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(c.knob_x, make_slider(c.min, c.max, c.value).knob_x);
  }
}

struct GrabCase {
  const char* what;
  float value;  // where the knob is parked
  int dx;       // press x relative to the knob's centre
  int dy;       // press y relative to y0
  int button;
  bool grabs;
};
const GrabCase kGrab[] = {
    {"knob at min, x0 + 22", -3.0f, -3, 5, LEFT, true},
    {"knob at min, x0 + 21", -3.0f, -4, 5, LEFT, false},
    {"centre", 3.5f, 0, 5, LEFT, true},
    {"8 right", 3.5f, 8, 5, LEFT, true},
    {"9 right", 3.5f, 9, 5, LEFT, false},
    {"8 left", 3.5f, -8, 5, LEFT, true},
    {"9 left", 3.5f, -9, 5, LEFT, false},
    {"band bottom y0 - 2", 3.5f, 0, -2, LEFT, true},
    {"below the band", 3.5f, 0, -3, LEFT, false},
    {"band top y0 + 14", 3.5f, 0, 14, LEFT, true},
    {"above the band", 3.5f, 0, 15, LEFT, false},
    {"knob at max, x1 - 22", 10.0f, 3, 5, LEFT, true},
    {"knob at max, x1 - 21", 10.0f, 4, 5, LEFT, false},
    {"right button", 3.5f, 0, 5, RIGHT, false},
};

TEST(SliderMouse, GrabsOnlyTheKnob) {
  for (const GrabCase& c : kGrab) {
    SCOPED_TRACE(c.what);
    slider_rec s = make_slider(-3.0f, 10.0f, c.value);
    const int knob = s.knob_x;
    slider_mouse(s, c.button, DOWN, knob + c.dx, s.y0 + c.dy);
    EXPECT_EQ(c.grabs, s.dragging == 1);
    if (c.grabs) {
      EXPECT_EQ(knob + c.dx, s.drag_x);
      EXPECT_EQ(s.y0 + c.dy, s.drag_y);
    }
    EXPECT_EQ(knob, s.knob_x);
    EXPECT_EQ(c.value, s.value);
  }
}

TEST(SliderMouse, PressOnTheTrackAwayFromTheKnobNeitherJumpsNorPages) {
  slider_rec s = make_slider(-3.0f, 10.0f, 1.0f);
  const slider_rec before = s;
  for (int x : {s.x0, s.x0 + 30, s.knob_x + 20, s.x1 - 30}) {
    slider_mouse(s, LEFT, DOWN, x, s.y0 + 7);
    slider_motion(s, x + 40, s.y0 + 7);
    slider_mouse(s, LEFT, UP, x + 40, s.y0 + 7);
    EXPECT_EQ(before.value, s.value);
    EXPECT_EQ(before.knob_x, s.knob_x);
    EXPECT_EQ(0, s.dragging);
  }
}

TEST(SliderMotion, FarPastEitherEndStopsAtTheBound) {
  slider_rec s = make_slider(-3.0f, 10.0f, 1.0f);
  slider_mouse(s, LEFT, DOWN, s.knob_x, s.y0 + 7);
  slider_motion(s, s.knob_x + 5000, 9999);
  EXPECT_EQ(s.x1 - 25, s.knob_x);
  EXPECT_FLOAT_EQ(10.0f, s.value);
  // The pointer is now far right of the knob: coming back by 5000 - 10
  // pixels moves the knob back by that much from where the pointer was.
  slider_motion(s, s.drag_x - 100000, 0);
  EXPECT_EQ(s.x0 + 25, s.knob_x);
  EXPECT_FLOAT_EQ(-3.0f, s.value);
}

TEST(SliderMotion, WeightRangeMovesOneStepPerPixel) {
  for (int k = 0; k <= 130; ++k) {
    SCOPED_TRACE(k);
    slider_rec s = make_slider(-3.0f, 10.0f, -3.0f);
    const int start = s.knob_x;
    slider_mouse(s, LEFT, DOWN, start, s.y0 + 7);
    // One pixel at a time, as a real drag delivers it.
    for (int i = 1; i <= k; ++i) slider_motion(s, start + i, s.y0 + 7);
    EXPECT_EQ(start + k, s.knob_x);
    EXPECT_EQ(start + k, s.drag_x);
    EXPECT_NEAR(-3.0 + k / 10.0, s.value, 1e-4);
  }
}

TEST(SliderMotion, OpacityRangeMovesOneStepAboutEveryThirteenPixels) {
  int changes = 0;
  float last = 0.0f;
  slider_rec s = make_slider(0.0f, 1.0f, 0.0f);
  const int start = s.knob_x;
  slider_mouse(s, LEFT, DOWN, start, s.y0 + 7);
  for (int k = 1; k <= 130; ++k) {
    SCOPED_TRACE(k);
    slider_motion(s, start + k, s.y0 + 7);
    EXPECT_EQ(start + k, s.knob_x);  // the knob follows every pixel
    // k / 13 steps, rounded to the nearest (13 is odd: never a tie).
    const int steps = (2 * k + 13) / 26;
    EXPECT_NEAR(steps / 10.0, s.value, 1e-5);
    if (s.value != last) ++changes;
    last = s.value;
  }
  EXPECT_EQ(10, changes);
}

TEST(SliderMotion, DoesNothingUnlessDragging) {
  slider_rec s = make_slider(-3.0f, 10.0f, 1.0f);
  const slider_rec before = s;
  slider_motion(s, s.knob_x + 30, s.y0 + 7);
  EXPECT_EQ(before.knob_x, s.knob_x);
  EXPECT_EQ(before.value, s.value);
  EXPECT_EQ(before.drag_x, s.drag_x);
}

TEST(SliderMouse, ReleaseEndsTheDragAndTheKnobSettlesOnTheSnappedValue) {
  slider_rec s = make_slider(0.0f, 1.0f, 0.0f);
  const int start = s.knob_x;
  slider_mouse(s, LEFT, DOWN, start, s.y0 + 7);
  slider_motion(s, start + 8, s.y0 + 7);  // 8 pixels: one step, knob off its spot
  EXPECT_EQ(start + 8, s.knob_x);
  slider_mouse(s, LEFT, UP, -300, -300);
  EXPECT_EQ(0, s.dragging);
  place_knob(s);  // what the next draw does
  EXPECT_EQ(start + 13, s.knob_x);
}

struct ArrowCase {
  const char* what;
  float value;
  int dy;  // press y relative to y0
  float after;
  int up_pressed, down_pressed;
};
const ArrowCase kArrow[] = {
    {"up", 1.0f, 12, 1.1f, 1, 0},
    {"up box top row", 1.0f, 16, 1.1f, 1, 0},
    {"up box bottom row", 1.0f, 9, 1.1f, 1, 0},
    {"down", 1.0f, 3, 0.9f, 0, 1},
    {"down box top row", 1.0f, 7, 0.9f, 0, 1},
    {"down box bottom row", 1.0f, 0, 0.9f, 0, 1},
    {"dead row between the boxes", 1.0f, 8, 1.0f, 0, 0},
    {"up at max", 10.0f, 12, 10.0f, 1, 0},
    {"down at min", -3.0f, 3, -3.0f, 0, 1},
    {"up near max clamps", 9.95f, 12, 10.0f, 1, 0},
    {"down near min clamps", -2.95f, 3, -3.0f, 0, 1},
};

TEST(SliderMouse, ArrowStepsClampAndHoldTheBoxUntilTheReleaseAnywhere) {
  for (const ArrowCase& c : kArrow) {
    SCOPED_TRACE(c.what);
    slider_rec s = make_slider(-3.0f, 10.0f, c.value);
    slider_mouse(s, LEFT, DOWN, s.x1 - 15, s.y0 + c.dy);
    EXPECT_FLOAT_EQ(c.after, s.value);
    EXPECT_EQ(knob_position(s), s.knob_x);  // the knob moved with the value
    EXPECT_EQ(c.up_pressed, s.up_pressed);
    EXPECT_EQ(c.down_pressed, s.down_pressed);
    EXPECT_EQ(0, s.dragging);
    // Nothing but the left release lets go of the box.
    slider_mouse(s, RIGHT, UP, s.x1 - 15, s.y0 + c.dy);
    EXPECT_EQ(c.up_pressed, s.up_pressed);
    slider_mouse(s, LEFT, UP, 5000, -5000);
    EXPECT_EQ(0, s.up_pressed);
    EXPECT_EQ(0, s.down_pressed);
    EXPECT_FLOAT_EQ(c.after, s.value);
  }
}

TEST(SliderMouse, ArrowColumnEdges) {
  struct {
    int dx;  // relative to x1
    bool steps;
  } cases[] = {{-20, true}, {-10, true}, {-21, false}, {-9, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dx);
    slider_rec s = make_slider(-3.0f, 10.0f, 1.0f);
    slider_mouse(s, LEFT, DOWN, s.x1 + c.dx, s.y0 + 12);
    EXPECT_EQ(c.steps, s.value != 1.0f);
  }
}

TEST(SliderMouse, RepeatedStepsCarryFloatErrorThatTheReadoutHides) {
  slider_rec s = make_slider(-3.0f, 10.0f, 1.0f);
  for (int n = 1; n <= 200; ++n) {
    slider_mouse(s, LEFT, DOWN, s.x1 - 15, s.y0 + 12);
    slider_mouse(s, LEFT, UP, s.x1 - 15, s.y0 + 12);
    // Expected read-out from whole tenths: 1.0 + n / 10, capped at 10.
    const int tenths = n < 90 ? 10 + n : 100;
    char want[16], got[16];
    std::snprintf(want, sizeof want, "%2d.%d0", tenths / 10, tenths % 10);
    std::snprintf(got, sizeof got, s.format, static_cast<double>(s.value));
    ASSERT_STREQ(want, got) << n << " steps";
  }
  EXPECT_EQ(10.0f, s.value);
  EXPECT_EQ(s.x1 - 25, s.knob_x);
}

struct FlipCase {
  int height, y, flipped;
};
const FlipCase kFlip[] = {
    {615, 0, 614},  // the panel's top row
    {615, 74, 540}, // its last visible row
    {615, 614, 0},
    {660, 0, 659},
};

TEST(FlipYIn, CountsFromTheBottomRow) {
  for (const FlipCase& c : kFlip) EXPECT_EQ(c.flipped, flip_y_in(c.height, c.y));
}

struct LinesCase {
  const char* what;
  const char* text;
  std::vector<std::string> lines;
};
const LinesCase kLines[] = {
    {"one line", "Weight:", {"Weight:"}},
    {"two lines", "ab\ncd", {"ab", "cd"}},
    {"trailing newline draws no extra line", "ab\ncd\n", {"ab", "cd"}},
    {"doubled newline leaves an empty line", "ab\n\ncd\n", {"ab", "", "cd"}},
    {"lone newline", "\n", {""}},
    {"empty", "", {}},
};

TEST(ForEachTextLine, SplitsAtNewlinesInOrder) {
  for (const LinesCase& c : kLines) {
    SCOPED_TRACE(c.what);
    struct seen_t {
      std::vector<std::string> lines;
      bool in_order = true;
    } seen;
    for_each_text_line(
        c.text,
        [](void* ctx, int k, const char* begin, int length) {
          auto* s = static_cast<seen_t*>(ctx);
          if (k != static_cast<int>(s->lines.size())) s->in_order = false;
          s->lines.emplace_back(begin, length);
        },
        &seen);
    EXPECT_TRUE(seen.in_order);
    EXPECT_EQ(c.lines, seen.lines);
  }
}

// The zoom keeps every value of the usual presses, and however long either
// button is pressed the zoom stays finite and nonzero, so that as many
// presses on the other button bring it back to where it started.
TEST(ZoomSteps, KeepTheUsualValuesAndNeverRunOffTheRange) {
  float z = 1.5f, plain = 1.5f;
  for (int i = 0; i < 40; ++i) {
    z = zoom_in_step(z);
    plain *= 1.5f;
    ASSERT_EQ(plain, z) << "press " << i + 1;
  }
  z = plain = 1.5f;
  for (int i = 0; i < 40; ++i) {
    z = zoom_out_step(z);
    plain /= 1.5f;
    ASSERT_EQ(plain, z) << "press " << i + 1;
  }
  for (const bool in_first : {true, false}) {
    SCOPED_TRACE(in_first ? "+ then -" : "- then +");
    z = 1.5f;
    int moved = 0;
    for (int i = 0; i < 1000; ++i) {
      const float next = in_first ? zoom_in_step(z) : zoom_out_step(z);
      ASSERT_TRUE(std::isfinite(next) && next > 0.0f) << "press " << i + 1;
      if (next != z) ++moved;
      z = next;
    }
    EXPECT_GT(moved, 50);
    EXPECT_LT(moved, 1000);
    EXPECT_TRUE(z >= ZOOM_MIN && z <= ZOOM_MAX);
    for (int i = 0; i < moved; ++i) z = in_first ? zoom_out_step(z) : zoom_in_step(z);
    EXPECT_NEAR(1.5f, z, 1.5f * 1e-4f);
  }
}

}  // namespace
