// The real zelmor-lab under Xvfb, driven with real X key and pointer events:
// a preset loaded by its key, the empty circle under the pointer, the view
// from below laid over the 2D triangles, the help window.  Checked through
// the exchange file and the screen's pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "lab/lab.h"
#include "tests/support/launch.h"
#include "tests/support/plane_pixels.h"
#include "tests/support/xdrive.h"

namespace {

const xd_rgb kOrange{255, 128, 0};

bool orange_near(const xd_image& img, int x, int y) {
  return img.count(kOrange, x - 2, y - 2, x + 2, y + 2, 12) > 0;
}

TEST(LabProgramLessons, KeysAndPointerShowTheLessons) {
  xdrive x;
  program_windows w;
  ASSERT_TRUE(start_program(x, ZELMOR_LAB_BINARY, &w));
  const xd_window &top = w.top, &view = w.view, &win3d = w.win3d;

  // Keys go to the window under the pointer.
  x.move(view.x + 400, view.y + 100);
  ASSERT_TRUE(x.key("1"));
  const double square[][2] = {{-1.5, -1.5}, {1.5, -1.5}, {1.5, 1.5}, {-1.5, 1.5}, {0, 0}};
  ASSERT_TRUE(x.wait_file(".ZELMOR", [&](const std::string& s) {
    const auto pts = xd_parse_points(s);
    if (pts.size() != 5) return false;
    for (int i = 0; i < 5; ++i)
      if (pts[i].x != square[i][0] || pts[i].y != square[i][1]) return false;
    return true;
  })) << x.program_stderr();

  // The empty circle of the lower triangle (-1.5, -1.5), (1.5, -1.5), (0, 0):
  // centre (0, -1.5), radius 1.5.
  ASSERT_TRUE(x.key("c"));
  x.move(view.x + pixel_of_plane_floor(0.0), view.y + image_row_of_plane_floor(-0.9, 541));
  const double angles[] = {30, 60, 120, 150};
  ASSERT_TRUE(xdrive::wait_until(
      [&] {
        const xd_image img = x.grab(view);
        for (double a : angles) {
          const double r = a * M_PI / 180;
          if (!orange_near(img, pixel_of_plane_floor(1.5 * std::cos(r)),
                           image_row_of_plane_floor(-1.5 + 1.5 * std::sin(r), 541)))
            return false;
        }
        return true;
      },
      3000))
      << "no circle through the triangle's corners";
  // Not the circle of a neighbouring triangle: nothing orange at the top.
  EXPECT_EQ(0, x.grab(view).count(kOrange, 0, 0, 540, image_row_of_plane_floor(0.3, 541), 12));

  // From below: the lower faces lie over the 2D triangles, the one under the
  // pointer lit orange, its neighbour to the right cyan.
  ASSERT_TRUE(x.key("b"));
  ASSERT_TRUE(xdrive::wait_until(
      [&] {
        const xd_image img = x.grab(win3d);
        const xd_rgb right = img.at(pixel_of_plane_floor(0.9), image_row_of_plane_floor(0.0, 540));
        return orange_near(img, pixel_of_plane_floor(0.0), image_row_of_plane_floor(-1.0, 540)) &&
               right.g > right.r + 30 && right.b > right.r + 30;
      },
      3000))
      << "the view from below";

  // A real left drag across the 3D window turns the scene half a turn about
  // the screen's vertical axis through the middle of the points: the view
  // from below becomes one from above, so the upper faces (green) show.  The
  // drag leaves the view from below for the start-up view's scale (the 2D
  // view's would be a close-up), the middle of the points at the centre:
  // the square (3 units wide) spans about 120 pixels there.  (Two degrees a
  // pixel, as in zelmor, would make three whole turns: still from below.)
  auto hue = [&](double plane_x) {
    return x.grab(win3d).at(pixel_of_plane_floor(plane_x), image_row_of_plane_floor(0.0, 540));
  };
  ASSERT_TRUE(x.key("c"));  // the circle off: its plane tints the whole view
  // "Show Hyperboloid" off in the panel (its box is at (230..280, 588..610)
  // of the 541 x 615 panel, counted from the bottom, the panel moved down
  // by the status band): the surface would tint the faces seen from below.
  x.click(top.x + 1 + 255, top.y + 541 + LAB_STATUS_BAND + (615 - 1 - 599), 1);
  ASSERT_TRUE(xdrive::wait_until(
      [&] { return x.grab(win3d).count(kOrange, 0, 0, 539, 539, 12) == 0; }, 3000));
  // The circle's tint goes with the key; the surface's with the click, which
  // may reach the window a frame later: wait for both.
  xd_rgb before{};
  auto cyan = [](const xd_rgb& c) { return c.b > c.r + 30 && c.g > c.r + 30; };
  EXPECT_TRUE(xdrive::wait_until([&] { return cyan(before = hue(-0.9)); }, 3000))
      << "cyan from below: " << before.r << " " << before.g << " " << before.b;
  x.move(win3d.x + 0, win3d.y + 100);
  x.press(1);
  for (int k = 1; k <= 12; ++k) x.move(win3d.x + 45 * k, win3d.y + 100);
  x.release(1);
  auto green = [](const xd_rgb& c) { return c.g > c.r + 30 && c.g > c.b + 30; };
  ASSERT_TRUE(xdrive::wait_until(
      [&] { return x.grab(win3d).count_if(green, 240, 240, 300, 300) > 2500; }, 3000))
      << "after the drag: " << x.grab(win3d).count_if(green, 240, 240, 300, 300);
  // No close-up: nothing of the faces near the window's edges.
  const xd_image after = x.grab(win3d);
  EXPECT_EQ(0, after.count_if(green, 0, 0, 150, 539) + after.count_if(green, 390, 0, 539, 539));

  // The help: the About window comes up.
  x.move(view.x + 400, view.y + 100);
  ASSERT_TRUE(x.key("h"));
  EXPECT_TRUE(xdrive::wait_until([&] { return x.top_window("About ZELMOR").mapped; }, 3000));

  EXPECT_TRUE(x.running());
  EXPECT_EQ("", x.program_stderr());
}

}  // namespace
