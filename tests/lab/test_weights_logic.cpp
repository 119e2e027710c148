// The lab's weights without a display: a step of the selected point's
// weight relifts it, rewrites the exchange file and recomputes to the
// regular triangulation (checked by the exact regular oracle); bounds; New
// clearing the weights; the status message with the hidden count; a weight
// change is one step of the edit history.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "lab/edit.h"
#include "lab/lab.h"
#include "lab/weights.h"
#include "tests/lab/weights_fixture.h"
#include "tests/pipeline/pipeline_test_util.h"

namespace {

class LabWeights : public lab_weights_fixture {
 protected:
  // A 5 x 5 grid of spacing 1, the history started there.
  void grid() {
    std::vector<lab_point> pts;
    for (int i = 0; i < 25; ++i) pts.push_back({i % 5 - 2.0, i / 5 - 2.0, 0.0});
    lab_replace_points(pts, "grid");
    lab_history_reset();
  }
};

TEST_F(LabWeights, StepsReliftAndTheRecomputationIsTheRegularTriangulation) {
  grid();
  for (int k = 0; k < 50; ++k) ASSERT_EQ(1, lab_change_weight(12, 1));
  EXPECT_EQ(5.0, lab_point_weight[12]);  // whole steps, no drift
  EXPECT_DOUBLE_EQ(lifted_height(0, 0) - 5.0, point_table[12].z);
  EXPECT_EQ(1, need_recompute);
  // The exchange file carries the sunken height.
  std::ifstream f(".ZELMOR");
  std::string line;
  for (int i = 0; i <= 12; ++i) std::getline(f, line);
  double x = 1, y = 1, z = 0;
  std::istringstream(line) >> x >> y >> z;
  EXPECT_EQ(0.0, x);
  EXPECT_NEAR(lifted_height(0, 0) - 5.0, z, 1e-12);
  recompute();
  EXPECT_EQ("", pipeline_test::mismatch_with_regular_oracle(lab_point_weight));
  // The 8 neighbours of the middle of the grid, named.
  EXPECT_EQ("point 12: weight 5.00 (circle radius 2.24); points 6, 7, 8, 11, 13, 16 and 2 more hidden",
            lab_weight_message(12));
}

TEST(LabHiddenNames, NameTheHiddenPointsUpToABound) {
  struct Case {
    const char* what;
    std::vector<int> hidden;
    const char* want;
  };
  const Case cases[] = {
      {"none", {}, "no point hidden"},
      {"one", {4}, "point 4 hidden"},
      {"two", {0, 17}, "points 0, 17 hidden"},
      {"as many as are named", {1, 2, 3, 4, 5, 6}, "points 1, 2, 3, 4, 5, 6 hidden"},
      {"more", {1, 2, 3, 4, 5, 6, 7, 199}, "points 1, 2, 3, 4, 5, 6 and 2 more hidden"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    unsigned char hidden[MAX_POINTS] = {};
    for (int i : c.hidden) hidden[i] = 1;
    EXPECT_EQ(c.want, lab_hidden_names(hidden, MAX_POINTS));
  }
}

TEST_F(LabWeights, WeightsStayWithinTheirBoundsAndANonPointChangesNothing) {
  grid();
  EXPECT_EQ(0, lab_change_weight(3, -1));
  EXPECT_EQ(0.0, lab_point_weight[3]);
  EXPECT_STREQ("point 3: weight 0.00 already at least 0", lab_status_text());
  for (int k = 0; k < 100; ++k) lab_change_weight(3, 1);
  EXPECT_EQ(LAB_WEIGHT_MAX, lab_point_weight[3]);
  EXPECT_STREQ("point 3: weight 9.00 already at most 9", lab_status_text());
  EXPECT_EQ(0, lab_change_weight(-1, 1));
  EXPECT_EQ(0, lab_change_weight(25, 1));
  EXPECT_EQ(0.0, lab_point_weight[25]);
}

TEST_F(LabWeights, AWeightChangeIsOneStepOfTheHistory) {
  grid();
  lab_change_weight(7, 3);
  ASSERT_EQ(1, lab_history_note(nullptr));
  lab_change_weight(7, -1);
  ASSERT_EQ(1, lab_history_note(nullptr));
  EXPECT_NEAR(0.2, lab_point_weight[7], 1e-15);
  lab_undo();
  EXPECT_NEAR(0.3, lab_point_weight[7], 1e-15);
  EXPECT_DOUBLE_EQ(lifted_height(0, -1) - 0.3, point_table[7].z);  // the undo relifts with the weight
  lab_undo();
  EXPECT_EQ(0.0, lab_point_weight[7]);
  EXPECT_EQ(lifted_height(0, -1), point_table[7].z);
  lab_redo();
  EXPECT_NEAR(0.3, lab_point_weight[7], 1e-15);
}

TEST_F(LabWeights, ClearingGivesEveryPointWeightZero) {
  grid();
  lab_change_weight(0, 4);
  lab_change_weight(24, 2);
  lab_clear_weights();
  for (double w : lab_point_weight) EXPECT_EQ(0.0, w);
}

}  // namespace
