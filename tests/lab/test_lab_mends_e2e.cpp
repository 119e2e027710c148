// The real zelmor-lab with real X events: Quit! asks once when there is
// unsaved work, the help opens beside the plane (and the 3D view where the
// screen has room) and a click closes it, New leaves nothing selected for x
// to delete.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "lab/lab.h"
#include "tests/support/launch.h"
#include "tests/support/plane_pixels.h"
#include "tests/support/xdrive.h"

namespace {

class LabMends : public testing::Test {
 protected:
  // Starts zelmor-lab in a fresh directory and waits for its windows.
  void start() { ASSERT_TRUE(start_program(x_, ZELMOR_LAB_BINARY, &w_)); }
  // A panel button by its centre in panel pixels (y up in the 541 x 615
  // panel), which the lab moves down by the status band.
  void panel_click(int x, int y_up) {
    x_.click(top_.x + 1 + x, top_.y + 541 + LAB_STATUS_BAND + (615 - 1 - y_up), 1);
  }
  void quit() { panel_click(498, 559); }
  void new_points() { panel_click(427, 559); }
  void add(double x, double y) {
    x_.click(view_.x + pixel_of_plane_nearest(x), view_.y + mouse_row_of_plane_nearest(y), 3);
  }
  bool points_are(size_t n) {
    return x_.wait_file(".ZELMOR", [&](const std::string& s) { return xd_parse_points(s).size() == n; });
  }

  xdrive x_;
  program_windows w_;
  const xd_window &top_ = w_.top, &view_ = w_.view;
};

TEST_F(LabMends, QuitEndsAtOnceWithNothingToLose) {
  ASSERT_NO_FATAL_FAILURE(start());
  quit();
  EXPECT_EQ(0, x_.wait_exit(3000));
}

TEST_F(LabMends, QuitAsksOnceWhenThePointsAreNotSaved) {
  ASSERT_NO_FATAL_FAILURE(start());
  add(0.5, 0.5);
  ASSERT_TRUE(points_are(1));
  quit();
  EXPECT_EQ(-1, x_.wait_exit(800)) << "the first Quit! only asks";
  quit();
  EXPECT_EQ(0, x_.wait_exit(3000));
}

TEST_F(LabMends, QuitEndsAtOnceOnceTheWorkIsSaved) {
  ASSERT_NO_FATAL_FAILURE(start());
  add(0.5, 0.5);
  add(-1.0, 0.25);
  ASSERT_TRUE(points_are(2));
  x_.move(view_.x + 270, view_.y + 100);
  ASSERT_TRUE(x_.key("s"));
  ASSERT_TRUE(xdrive::wait_until(
      [&] {
        for (const auto& e : std::filesystem::directory_iterator(x_.workdir()))
          if (e.path().filename().string().rfind("zelmor-", 0) == 0) return true;
        return false;
      },
      3000));
  quit();
  EXPECT_EQ(0, x_.wait_exit(3000));
}

TEST_F(LabMends, TheHelpOpensBesideThePlaneAndAClickOrEscClosesIt) {
  ASSERT_NO_FATAL_FAILURE(start());
  x_.move(view_.x + 270, view_.y + 100);
  for (const char* close : {"click", "Escape"}) {
    SCOPED_TRACE(close);
    ASSERT_TRUE(x_.key("h"));
    ASSERT_TRUE(xdrive::wait_until([&] { return x_.top_window("About ZELMOR").mapped; }, 3000));
    const xd_window help = x_.top_window("About ZELMOR");
    auto clear_of = [&help](const xd_window& w) {
      return help.x >= w.x + w.width || w.x >= help.x + help.width || help.y >= w.y + w.height ||
             w.y >= help.y + help.height;
    };
    // The plane stays in sight; the 3D view too, unless the screen has no
    // room beside the work, when the help lies over the 3D view alone.
    EXPECT_TRUE(clear_of(x_.top_window("2D Points"))) << "the plane lies under the help";
    const xd_window lifted = x_.top_window("3D Projection");
    EXPECT_TRUE(clear_of(lifted) || (help.x == lifted.x && help.y == lifted.y))
        << "the help lies over the 3D view but not in its place: " << help.x << "," << help.y;
    if (std::string(close) == "click") {
      x_.click(help.x + help.width / 2, help.y + help.height / 2, 1);
      x_.move(view_.x + 270, view_.y + 100);  // keys go to the window under the pointer
    } else {
      x_.move(help.x + 20, help.y + 20);
      ASSERT_TRUE(x_.key("Escape"));
      x_.move(view_.x + 270, view_.y + 100);
    }
    EXPECT_TRUE(xdrive::wait_until([&] { return !x_.top_window("About ZELMOR").mapped; }, 3000));
  }
  EXPECT_TRUE(x_.running());
}

// The zoom buttons stop where the 3D view stops being of use: thirteen
// presses of " +" go no further than six, so six presses of " -" bring back
// the start-up picture.
TEST_F(LabMends, TheZoomButtonsComeBackAsFastAsTheyWent) {
  ASSERT_NO_FATAL_FAILURE(start());
  const xd_window& win3d = w_.win3d;
  x_.move(view_.x + 270, view_.y + 100);
  ASSERT_TRUE(x_.key("9"));
  ASSERT_TRUE(points_are(12));
  xdrive::sleep_ms(500);
  const xd_image before = x_.grab(win3d);
  for (int k = 0; k < 13; ++k) panel_click(512, 589);
  xdrive::sleep_ms(300);
  auto white = [](const xd_rgb& c) { return c.r > 250 && c.g > 250 && c.b > 250; };
  const xd_image closest = x_.grab(win3d);
  EXPECT_LT(closest.count_if(white, 0, 0, 539, 539), 540 * 540 * 9 / 10) << "nearly blank";
  for (int k = 0; k < 6; ++k) panel_click(487, 589);
  bool same = xdrive::wait_until(
      [&] {
        const xd_image after = x_.grab(win3d);
        int differ = 0;
        for (int y = 0; y < 540; y += 2)
          for (int x = 0; x < 540; x += 2) differ += !xd_near(after.at(x, y), before.at(x, y), 8);
        return differ < 50;
      },
      3000);
  EXPECT_TRUE(same) << "six presses of - did not bring the start-up picture back";
  EXPECT_TRUE(x_.running());
  x_.terminate();
}

TEST_F(LabMends, AfterNewXDeletesNothingTheUserDidNotPick) {
  ASSERT_NO_FATAL_FAILURE(start());
  add(-1, -1);
  add(1, -1);
  add(0, 1);
  ASSERT_TRUE(points_are(3));
  x_.click(view_.x + pixel_of_plane_nearest(1), view_.y + mouse_row_of_plane_nearest(-1),
           1);  // selects point 1
  new_points();
  ASSERT_TRUE(points_are(0));
  add(-2, 2);
  add(2, 2);
  add(0, -2);
  ASSERT_TRUE(points_are(3));
  x_.move(view_.x + 270, view_.y + 270);
  ASSERT_TRUE(x_.key("x"));
  xdrive::sleep_ms(400);
  EXPECT_TRUE(points_are(3)) << "x deleted a point of the new set";
  EXPECT_TRUE(x_.running());
  x_.terminate();
}

}  // namespace
