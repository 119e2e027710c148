// The presentation key's steps: 1, 1.5, 2, 3 and round again; a scale
// between the steps (the page's device pixel ratio) goes on to the next.
#include <gtest/gtest.h>

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
    EXPECT_EQ(c.next, lab_next_presentation_scale(c.now));
  }
}

}  // namespace
