// The presentation key's steps: 1, 1.5, 2, 3 and round again; a scale
// between the steps (the page's device pixel ratio) goes on to the next; a
// step whose windows the screen cannot hold is skipped.
#include <gtest/gtest.h>

#include <string>

#include "lab/lab.h"

namespace {

TEST(PresentationScale, CyclesThroughTheStepsFromAnyScale) {
  struct step_case {
    float now, next;
  };
  const step_case kCases[] = {{1.0f, 1.5f}, {1.5f, 2.0f}, {2.0f, 3.0f}, {3.0f, 1.0f},
                              {1.25f, 1.5f}, {2.625f, 3.0f}, {4.0f, 1.0f}};
  for (const step_case& c : kCases) {
    SCOPED_TRACE(c.now);
    EXPECT_EQ(c.next, lab_next_presentation_scale(c.now, 0, 0)) << "unknown screen";
    EXPECT_EQ(c.next, lab_next_presentation_scale(c.now, 3840, 2160)) << "a 4K screen holds every step";
  }
}

TEST(PresentationScale, SkipsTheStepsTheScreenCannotHold) {
  // "3D Projection" at 553 layout pixels keeps 200 of them on the screen:
  // 753 x scale columns; "2D Points" 300 x scale rows.
  struct screen_case {
    int screen_w, screen_h;
    float now, next;
  };
  const screen_case kCases[] = {
      {1920, 1080, 1.5f, 2.0f},  // 1506 columns at 2
      {1920, 1080, 2.0f, 1.0f},  // 2259 at 3: back to 1
      {2259, 1080, 2.0f, 3.0f},  // exactly on the edge: fits
      {2258, 1080, 2.0f, 1.0f},  // one column short
      {1280, 1024, 1.0f, 1.5f},  // 1130 at 1.5
      {1280, 1024, 1.5f, 1.0f},  // 1506 at 2 and beyond
      {3840, 899, 2.0f, 1.0f},   // 900 rows at 3: one row short
      {3840, 900, 2.0f, 3.0f},
      {700, 500, 1.0f, 1.0f},    // nothing above 1 on a tiny screen
  };
  for (const screen_case& c : kCases) {
    SCOPED_TRACE(std::to_string(c.screen_w) + " x " + std::to_string(c.screen_h) + " at " + std::to_string(c.now));
    EXPECT_EQ(c.next, lab_next_presentation_scale(c.now, c.screen_w, c.screen_h));
  }
}

}  // namespace
