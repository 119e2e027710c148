// The real zelmor-lab with real mouse-wheel events (X buttons 4 and 5, which
// GLUT reports as buttons 3 and 4) and real keys: a 5 x 5 grid whose centre
// is weighted up notch by notch until its 8 neighbours are hidden, checked in
// the point-exchange file (the centre's lift sinks) and on screen (the
// weight circle, hollow hidden points); the wheel back down, + and undo, and
// a save to FILE with the weight column.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/launch.h"
#include "tests/support/plane_pixels.h"
#include "tests/support/xdrive.h"

namespace {

const xd_rgb kWhite{255, 255, 255};
const xd_rgb kCircle{217, 115, 0};  // the weight circles' colour (0.85, 0.45, 0)


class LabWeightsProgram : public testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/zelmor-lab-weights-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // The height of point i in ".ZELMOR" reaches want (within 1e-9).
  bool height_is(int i, double want) {
    return x_.wait_file(".ZELMOR", [&](const std::string& s) {
      const std::vector<xd_lifted> p = xd_parse_points(s);
      return static_cast<int>(p.size()) > i && std::fabs(p[i].z - want) < 1e-9;
    });
  }
  // White pixels in the 3 x 3 square at the centre of the marker of (x, y).
  int white_centre(double x, double y) {
    const xd_image im =
        x_.grab(view_.x + pixel_of_plane_nearest(x) - 1, view_.y + mouse_row_of_plane_nearest(y) - 1, 3, 3);
    return im.count(kWhite, 0, 0, 2, 2);
  }
  // Circle-coloured pixels in a small square around a view pixel.
  int circle_pixels(int px, int py) {
    const xd_image im = x_.grab(view_.x + px - 3, view_.y + py - 3, 7, 7);
    return im.count(kCircle, 0, 0, 6, 6, 20);
  }
  // Pixels of the 3D window in the stems' orange (lit or blended a little).
  int orange_3d() {
    const xd_image im = x_.grab(x_.describe(w_.win3d.id));
    return im.count_if([](const xd_rgb& c) { return c.r > 150 && c.g > 60 && c.g < 150 && c.b < 60; }, 0, 0,
                       im.width - 1, im.height - 1);
  }
  void wheel(int button, int notches) {
    for (int k = 0; k < notches; ++k) {
      x_.press(button);
      x_.release(button);
    }
    x_.sync();
  }

  xdrive x_;
  std::string dir_;
  program_windows w_;
  const xd_window& view_ = w_.view;
};

TEST_F(LabWeightsProgram, TheWheelWeightsAPointAndHidesItsNeighbours) {
  std::string grid = "% a 5 x 5 grid\n";
  for (int i = 0; i < 25; ++i) grid += std::to_string(i % 5 - 2) + " " + std::to_string(i / 5 - 2) + "\n";
  const std::string file = dir_ + "/grid.txt";
  std::ofstream(file) << grid;

  ASSERT_TRUE(start_program(x_, ZELMOR_LAB_BINARY, {file}, &w_));
  // The lift with the slider's weight 1: the centre at height 1.
  ASSERT_TRUE(height_is(12, 1.0)) << x_.program_stderr();
  ASSERT_TRUE(xdrive::wait_until([&] { return white_centre(1, 0) == 0; }, 5000));
  const int orange_before = orange_3d();

  // 45 notches up over the centre: weight 4.5, the lift 1 - 4.5.  The
  // gesture is one step: z takes it all back, y brings it again.
  x_.move(view_.x + pixel_of_plane_nearest(0), view_.y + mouse_row_of_plane_nearest(0));
  wheel(4, 45);
  EXPECT_TRUE(height_is(12, 1.0 - 4.5)) << x_.program_stderr();
  ASSERT_TRUE(x_.key("z"));
  EXPECT_TRUE(height_is(12, 1.0));
  ASSERT_TRUE(x_.key("y"));
  EXPECT_TRUE(height_is(12, 1.0 - 4.5));
  // The 8 neighbours drawn hollow, the outer ring and the centre solid.
  EXPECT_TRUE(xdrive::wait_until(
      [&] {
        for (int i = 0; i < 25; ++i) {
          const int dx = i % 5 - 2, dy = i / 5 - 2;
          const bool ring = std::abs(dx) <= 1 && std::abs(dy) <= 1 && i != 12;
          if ((white_centre(dx, dy) >= 8) != ring) return false;
        }
        return true;
      },
      5000));
  // The circle of radius sqrt(4.5) = 2.12 around the centre.
  const int r = static_cast<int>(std::lround(pixels_of_plane_length(std::sqrt(4.5))));
  EXPECT_GT(circle_pixels(pixel_of_plane_nearest(0) + r, mouse_row_of_plane_nearest(0)), 0);
  EXPECT_GT(circle_pixels(pixel_of_plane_nearest(0), mouse_row_of_plane_nearest(0) - r), 0);
  // In 3D the centre hangs 4.5 below the bowl on an orange stem.
  EXPECT_TRUE(xdrive::wait_until([&] { return orange_3d() > orange_before + 20; }, 5000))
      << orange_before << " " << orange_3d();

  // All the way down again (one notch more than needed): no hidden point,
  // no circle.
  wheel(5, 46);
  EXPECT_TRUE(height_is(12, 1.0));
  EXPECT_TRUE(xdrive::wait_until([&] { return white_centre(1, 0) == 0 && white_centre(1, 1) == 0; }, 5000));
  EXPECT_EQ(0, circle_pixels(pixel_of_plane_nearest(0) + r, mouse_row_of_plane_nearest(0)));
  EXPECT_TRUE(xdrive::wait_until([&] { return orange_3d() <= orange_before; }, 5000));

  // The wheel selected the centre: = weights it by a step, and a run of
  // presses is one step that z takes back whole; + (Shift with =) steps by 1.
  ASSERT_TRUE(x_.key("equal"));
  EXPECT_TRUE(height_is(12, 0.9));
  ASSERT_TRUE(x_.key("equal"));
  EXPECT_TRUE(height_is(12, 0.8));
  ASSERT_TRUE(x_.key("z"));
  EXPECT_TRUE(height_is(12, 1.0));
  ASSERT_TRUE(x_.key("plus"));
  EXPECT_TRUE(height_is(12, 0.0));
  for (int k = 0; k < 9; ++k) ASSERT_TRUE(x_.key("minus"));
  EXPECT_TRUE(height_is(12, 0.9));
  // Saved to FILE: the header and the weight as a third column.
  ASSERT_TRUE(x_.key("S"));
  ASSERT_TRUE(xdrive::wait_until(
      [&] {
        std::ifstream in(file);
        std::stringstream s;
        s << in.rdbuf();
        return s.str().find("% columns: x y weight\n") != std::string::npos &&
               s.str().find("\n0 0 0.1") != std::string::npos;
      },
      3000))
      << x_.program_stderr();
  EXPECT_TRUE(x_.running());
}

}  // namespace
