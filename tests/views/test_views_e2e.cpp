// The real zelmor program, driven with real X pointer events: right clicks
// add points, a left drag moves one, a left drag in the 3D window turns the
// scene.  Checked through the point-exchange file and the screen's pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/launch.h"
#include "tests/support/plane_pixels.h"
#include "tests/support/screen_colours.h"
#include "tests/support/xdrive.h"

namespace {

const xd_rgb kWhite{255, 255, 255};

// Where the 3D window draws the scene point p at the default zoom 1.5 after
// the scene was turned by turn_deg about the screen's vertical axis: window
// pixel (x, y from the top).  From the view's numbers: the centre (270, 270)
// shows (0, 0, 5), 40.5 pixels per unit, the tilt Rx(-70) then Ry(30).
void window_of(const xd_lifted& p, double turn_deg, double* wx, double* wy_top) {
  const double deg = std::numbers::pi / 180;
  const double x = p.x, y = p.y, z = p.z - 5.0;
  const double y1 = std::cos(-70 * deg) * y - std::sin(-70 * deg) * z;
  const double z1 = std::sin(-70 * deg) * y + std::cos(-70 * deg) * z;
  const double x2 = std::cos(30 * deg) * x + std::sin(30 * deg) * z1;
  const double z2 = -std::sin(30 * deg) * x + std::cos(30 * deg) * z1;
  const double x3 = std::cos(turn_deg * deg) * x2 + std::sin(turn_deg * deg) * z2;
  *wx = 270 + 40.5 * x3;
  *wy_top = 540 - (270 + 40.5 * y1);
}


TEST(ZelmorProgram, ClicksAddDragMovesAndTheSceneTurns) {
  xdrive x;
  program_windows w;
  ASSERT_TRUE(start_program(x, ZELMOR_BINARY, &w));
  const xd_window &view = w.view, &view3d = w.win3d;
  // Start-up is over when the 3D view has drawn its white frame too.
  ASSERT_TRUE(xdrive::wait_until([&] { return x.pixel(view3d.x + 500, view3d.y + 40) == kWhite; }, 5000));

  // Right clicks: a square around a centre, and one more point.
  const int clicks[6][2] = {{135, 405}, {405, 405}, {405, 135}, {135, 135}, {270, 271}, {330, 200}};
  for (const auto& c : clicks) x.click(view.x + c[0], view.y + c[1], 3);
  ASSERT_TRUE(x.wait_file(".ZELMOR", [](const std::string& s) { return xd_line_count(s) == 6; }))
      << x.program_stdout();
  std::string text;
  ASSERT_TRUE(x.read_file(".ZELMOR", &text));
  std::vector<xd_lifted> pts = xd_parse_points(text);
  ASSERT_EQ(6u, pts.size());
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    const double px = plane_of_pixel(clicks[i][0]), py = plane_of_mouse_row(clicks[i][1]);
    EXPECT_NEAR(px, pts[i].x, 1e-14);
    EXPECT_NEAR(py, pts[i].y, 1e-14);
    EXPECT_NEAR(px * px + py * py + 1.0, pts[i].z, 1e-14);
  }

  // A left drag of point 0 in two steps: 20 right, then 20 right and 10 up.
  x.move(view.x + 135, view.y + 405);
  x.press(1);
  x.move(view.x + 155, view.y + 405);
  x.move(view.x + 175, view.y + 395);
  x.release(1);
  const double dragged_x = plane_of_pixel(175), dragged_y = plane_of_mouse_row(395);
  ASSERT_TRUE(x.wait_file(".ZELMOR", [&](const std::string& s) {
    const std::vector<xd_lifted> p = xd_parse_points(s);
    return p.size() == 6 && std::abs(p[0].x - dragged_x) < 1e-14 &&
           std::abs(p[0].y - dragged_y) < 1e-14;
  }));
  ASSERT_TRUE(x.read_file(".ZELMOR", &text));
  pts = xd_parse_points(text);
  EXPECT_NEAR(dragged_x * dragged_x + dragged_y * dragged_y + 1.0, pts[0].z, 1e-14);
  for (int i = 1; i < 6; ++i) EXPECT_NEAR(plane_of_pixel(clicks[i][0]), pts[i].x, 1e-14);

  // The 2D view: the dragged point highlighted at the pointer, the Delaunay
  // and Voronoi edges of the six points.
  ASSERT_TRUE(xdrive::wait_until(
      [&] { return x.grab(view.x + 170, view.y + 390, 11, 11).count_if(magenta, 0, 0, 10, 10) > 20; },
      3000));
  const xd_image v = x.grab(view);
  EXPECT_GT(v.count_if(delaunay_blue, 0, 0, 540, 540), 500);
  EXPECT_GT(v.count_if(voronoi_red, 0, 0, 540, 540), 300);

  // The 3D window shows the highlighted sphere where the view puts point 0.
  double wx, wy;
  window_of(pts[0], 0, &wx, &wy);
  const auto sphere_near = [&](double cx, double cy) {
    return x.grab(view3d.x + int(cx) - 5, view3d.y + int(cy) - 5, 11, 11)
        .count_if(magenta, 0, 0, 10, 10);
  };
  ASSERT_TRUE(xdrive::wait_until([&] { return sphere_near(wx, wy) > 10; }, 3000));

  // A left drag of 10 pixels to the right turns the scene by 20 degrees about
  // the screen's vertical axis.  The display applies the step of the last
  // motion before it and the release clears the step: release only once the
  // turned frame is on the screen.
  double tx, ty;
  window_of(pts[0], 20, &tx, &ty);
  ASSERT_GT(std::abs(tx - wx), 15);  // far enough apart to tell
  x.move(view3d.x + 100, view3d.y + 480);
  x.press(1);
  x.move(view3d.x + 110, view3d.y + 480);
  EXPECT_TRUE(xdrive::wait_until([&] { return sphere_near(tx, ty) > 10; }, 3000));
  x.release(1);
  xdrive::sleep_ms(100);
  EXPECT_GT(sphere_near(tx, ty), 10);
  EXPECT_EQ(0, sphere_near(wx, wy));
  // Turning the view edits nothing.
  std::string after;
  ASSERT_TRUE(x.read_file(".ZELMOR", &after));
  EXPECT_EQ(text, after);

  EXPECT_TRUE(x.running()) << x.program_stderr();
  x.terminate();
}

}  // namespace
