// Weights by hand without a display: the weight whose circle passes through
// the pointer, in square hundredths, held at the lab's bounds, and the lift
// the engine reads.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "lab/lab.h"
#include "lab/weights.h"

namespace {

TEST(LabWeightThrough, TheCirclePassesThroughThePointerInSquareHundredths) {
  lab_weights_attach();
  lab_clear_weights();
  point_count = 0;
  add_point(point_rec{0.5, -0.25, 0.0, 1.0});
  add_point(point_rec{-1.0, 1.0, 0.0, 1.0});
  struct Case {
    double x, y;
    double weight;  // expected, whole 10^-4
    bool held;
  };
  const Case cases[] = {
      {1.5, -0.25, 1.0, false},      // one unit to the right: radius 1
      {0.5, 0.35, 0.36, false},      // 0.6 up
      {0.8, 0.15, 0.25, false},      // 0.3, 0.4: radius 0.5
      {0.5123, -0.25, 0.0002, false},  // 0.0123^2 = 0.00015129: to whole 10^-4
      {0.5, -0.25, 0.0, false},      // on the point: no weight
      {3.0, 3.0, 9.0, true},         // beyond radius 3: held at 9
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.x) + ", " + std::to_string(c.y));
    lab_weight_through(0, c.x, c.y);
    EXPECT_DOUBLE_EQ(c.weight, lab_point_weight[0]);
    EXPECT_EQ(static_cast<long long>(std::llround(c.weight * 1e4)), weight_units(0));
    // The lift the engine reads: x^2 + y^2 + the slider's weight - w.
    EXPECT_NEAR(0.5 * 0.5 + 0.25 * 0.25 + weight - c.weight, point_table[0].z, 1e-12);
    EXPECT_EQ(c.held, std::string(lab_status_text()).find("held at the largest") != std::string::npos);
    EXPECT_EQ(0.0, lab_point_weight[1]);
  }
  // The same position again changes nothing; no such point changes nothing.
  EXPECT_EQ(0, lab_weight_through(0, 3.0, 3.0));
  EXPECT_EQ(0, lab_weight_through(2, 0.0, 0.0));
  EXPECT_EQ(1, lab_weight_through(1, -1.0, 0.0));
  EXPECT_DOUBLE_EQ(1.0, lab_point_weight[1]);
  lab_clear_weights();
}

}  // namespace
