// The views' GL-free arithmetic: the rotation step of a 3D drag, the pick
// square and the bounded drag step of the 2D view.
#include <gtest/gtest.h>

#include <string>

#include "app/app.h"
#include "view2d/view2d.h"
#include "view3d/view3d.h"

namespace {

struct StepCase {
  const char* what;
  int delta, size, degrees;
};
const StepCase kSteps[] = {
    {"10 pixels at 540 turn 20 degrees", 10, 540, 20},
    {"one pixel turns 2 degrees", 1, 540, 2},
    {"leftward or downward is negative", -10, 540, -20},
    {"no motion, no turn", 0, 540, 0},
    {"a whole turn is no turn", 180, 540, 0},
    {"past a whole turn the remainder is left", 200, 540, 40},
    {"the remainder keeps the sign of the drag", -200, 540, -40},
    {"other sizes truncate toward zero", 7, 600, 12},      // 7560 / 600 = 12.6
    {"and toward zero for negative drags", -7, 600, -12},  // not -13
};

TEST(RotationStep, TwoDegreesPerPixelAtTheFixedSize) {
  for (const StepCase& c : kSteps) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.degrees, rotation_step(c.delta, c.size));
  }
}

struct PickCase {
  const char* what;
  double wx, wy;
  int x, y;
  bool hit;
};
// The point (0, 0) of a 541 x 541 view projects to (270.5, 270.5).
const PickCase kPicks[] = {
    {"centre", 270.5, 270.5, 270, 270, true},
    {"8 right and 8 up", 270.5, 270.5, 278, 278, true},
    {"8 left and 8 down", 270.5, 270.5, 262, 262, true},
    {"9 right", 270.5, 270.5, 279, 270, false},
    {"9 left", 270.5, 270.5, 261, 270, false},
    {"9 up", 270.5, 270.5, 270, 279, false},
    {"9 down", 270.5, 270.5, 270, 261, false},
    {"the half pixel is cut, not rounded", 270.9, 270.9, 262, 262, true},
    // Cutting toward zero, not flooring: -0.5 becomes 0, so 8 is in reach.
    {"negative projections cut toward zero", -0.5, -0.5, 8, 8, true},
};

TEST(PickHit, SeventeenPixelSquare) {
  for (const PickCase& c : kPicks) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.hit, pick_hit(c.wx, c.wy, c.x, c.y) != 0);
  }
}

struct MoveCase {
  const char* what;
  point_rec start;
  double dx, dy, dz;
  point_rec end;
};
const MoveCase kMoves[] = {
    {"inside", {1, 1, 0, 1}, 0.5, -0.25, 0, {1.5, 0.75, 0, 1}},
    {"onto the border is inside", {2.5, -2.5, 0, 1}, 0.5, -0.5, 0, {3, -3, 0, 1}},
    {"leaving on x drops the step", {2.9, 0, 0, 1}, 0.2, 0.1, 0, {2.9, 0, 0, 1}},
    {"leaving on y drops x too", {0, -2.9, 0, 1}, 0.1, -0.2, 0, {0, -2.9, 0, 1}},
    {"leaving on z drops x and y too", {0, 0, 2.9, 1}, 0.1, 0.1, 0.2, {0, 0, 2.9, 1}},
    {"outside stays outside: dropped", {0, 3.00555, 0, 1}, 0, 0.001, 0, {0, 3.00555, 0, 1}},
    {"a step back inside is taken", {0, 3.00555, 0, 1}, 0, -0.01, 0, {0, 2.99555, 0, 1}},
};

TEST(MovePoint, StepIsTakenWholeOrDropped) {
  for (const MoveCase& c : kMoves) {
    SCOPED_TRACE(c.what);
    point_rec table[3] = {{9, 9, 9, 9}, c.start, {9, 9, 9, 9}};
    move_point(table, 1, c.dx, c.dy, c.dz);
    EXPECT_DOUBLE_EQ(c.end.x, table[1].x);
    EXPECT_DOUBLE_EQ(c.end.y, table[1].y);
    EXPECT_DOUBLE_EQ(c.end.z, table[1].z);
    EXPECT_EQ(1.0, table[1].w);
    // Only the named entry moves.
    EXPECT_EQ(9.0, table[0].x);
    EXPECT_EQ(9.0, table[2].y);
  }
}

// A finger beside a control smaller than a fingertip acts on the control;
// on a control, far from every control, or beside one already finger-sized,
// it acts where it is.  Between two small controls the nearer one takes it.
TEST(FingerTarget, SmallControlsTakeTapsBesideThem) {
  const finger_box kBoxes[] = {
      {100, 100, 119, 109},  // 20 x 10: reaches 12 to each side, 17 up and down
      {130, 100, 149, 109},  // its neighbour, 10 pixels to the right
      {300, 300, 359, 359},  // 60 x 60: already finger-sized
  };
  struct finger_case {
    int x, y;
    int box, tx, ty;
  };
  const finger_case kCases[] = {
      {110, 105, -1, 110, 105},  // on the first: as it is
      {110, 120, 0, 110, 108},   // above it: its top row but one
      {110, 126, 0, 110, 108},   // the last row it reaches (109 + 17)
      {110, 127, -1, 110, 127},  // one beyond
      {90, 95, 0, 101, 101},     // below left: its inner corner
      {88, 105, 0, 101, 105},    // 12 to the left: still
      {87, 105, -1, 87, 105},    // 13: no
      {123, 105, 0, 118, 105},   // between the two, nearer the first
      {127, 105, 1, 131, 105},   // nearer the second
      {295, 330, -1, 295, 330},  // beside the large one: nothing moves
  };
  for (const finger_case& c : kCases) {
    SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
    int tx = -7, ty = -7;
    EXPECT_EQ(c.box, finger_target(kBoxes, 3, 44, c.x, c.y, &tx, &ty));
    EXPECT_EQ(c.tx, tx);
    EXPECT_EQ(c.ty, ty);
  }
}

}  // namespace
