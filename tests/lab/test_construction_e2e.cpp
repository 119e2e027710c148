// The real zelmor-lab under Xvfb, watched growing with real X keys: g into
// the mode, the arrows, Home and End, the space bar playing to the end on
// the program's own timer, i for the flips, g out again.  Checked by the
// screen's pixels: the points still to come in grey, the triangles whose
// circle holds the new point in gold, the new ones in green.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/launch.h"
#include "tests/support/xdrive.h"

namespace {

bool gold(const xd_rgb& c) { return c.r > 230 && c.g > 180 && c.g < 225 && c.b < 40; }
bool green(const xd_rgb& c) { return c.r < 90 && c.g > 180 && c.b > 50 && c.b < 110; }
bool grey(const xd_rgb& c) { return c.r == c.g && c.g == c.b && c.r > 175 && c.r < 195; }

TEST(LabProgramGrow, KeysStepAndPlayTheConstruction) {
  xdrive x;
  program_windows w;
  ASSERT_TRUE(start_program(x, ZELMOR_LAB_BINARY, &w));
  const xd_window &view = w.view, &win3d = w.win3d;
  auto count = [&](const xd_window& w, bool (*pred)(const xd_rgb&)) { return x.grab(w).count_if(pred, 0, 0, 539, 539); };

  x.move(view.x + 400, view.y + 100);  // keys go to the window under the pointer
  ASSERT_TRUE(x.key("9"));
  ASSERT_TRUE(x.wait_file(".ZELMOR", [](const std::string& s) { return xd_line_count(s) == 12; }));
  // Into the mode: one point in, eleven to come (grey), nothing lit yet.
  ASSERT_TRUE(x.key("g"));
  ASSERT_TRUE(xdrive::wait_until([&] { return count(view, grey) > 11 * 20; }, 3000)) << "the points to come";
  EXPECT_EQ(0, count(view, gold));
  EXPECT_EQ(0, count(view, green));
  // Right: the second point, the third, then the first triangle (green).
  for (const char* k : {"Right", "Right", "Right"}) ASSERT_TRUE(x.key(k));
  ASSERT_TRUE(xdrive::wait_until([&] { return count(view, green) > 1000; }, 3000)) << "the first triangle";
  // On to an insertion inside: the triangles whose circle holds it, gold in
  // the plane and on the lifted faces.
  bool lit = false;
  for (int i = 0; i < 12 && !lit; ++i) {
    ASSERT_TRUE(x.key("Right"));
    lit = xdrive::wait_until([&] { return count(view, gold) > 1000 && count(win3d, gold) > 100; }, 1000);
  }
  EXPECT_TRUE(lit) << "no hole lit in both views";
  // End: every point in, the last fan green; Home: back to one point.
  ASSERT_TRUE(x.key("End"));
  ASSERT_TRUE(xdrive::wait_until([&] { return count(view, grey) == 0 && count(view, green) > 500; }, 3000));
  ASSERT_TRUE(x.key("Home"));
  ASSERT_TRUE(xdrive::wait_until([&] { return count(view, grey) > 11 * 20 && count(view, green) == 0; }, 3000));
  // Fastest play: the timer steps to the end by itself, no key pressed.
  for (const char* k : {"bracketright", "bracketright", "bracketright", "space"}) ASSERT_TRUE(x.key(k));
  EXPECT_TRUE(xdrive::wait_until([&] { return count(view, grey) == 0 && count(view, green) > 500; }, 60000))
      << "play did not reach the last point";
  // The flips way, from the start: a split (green) comes after a few steps.
  for (const char* k : {"i", "Home", "Right", "Right", "Right", "Right", "Right"}) ASSERT_TRUE(x.key(k));
  EXPECT_TRUE(xdrive::wait_until([&] { return count(view, green) > 500; }, 3000));
  // Out of the mode: the lab's own picture, nothing of the mode's colours.
  ASSERT_TRUE(x.key("g"));
  EXPECT_TRUE(xdrive::wait_until(
      [&] { return count(view, gold) == 0 && count(view, green) == 0 && count(view, grey) == 0; }, 3000));
  EXPECT_TRUE(x.running());
  EXPECT_EQ("", x.program_stderr());
}

}  // namespace
