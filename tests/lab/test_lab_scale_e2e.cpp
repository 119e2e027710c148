// The real zelmor-lab under Xvfb on a 1920 x 1080 projector: the
// presentation key P cycles the drawing scale 1, 1.5, 2 and back (3 would put
// the 3D view off this screen), and the windows take their sizes for it; "2D Points" and "3D Projection" resized as a user would
// (XResizeWindow) keep the plane the largest square of its window with the
// band and the panel under it, and the 3D view fills its window.  After
// every change a right click adds exactly the plane point under the pointer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "tests/support/launch.h"
#include "tests/support/plane_pixels.h"
#include "tests/support/xdrive.h"

namespace {

const xd_rgb kWhite{255, 255, 255};
const xd_rgb kMarker{36, 36, 143};  // a point not selected

class LabScale : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(start_program(x, ZELMOR_LAB_BINARY, &w)); }
  void TearDown() override { x.terminate(); }

  // The subwindow of "2D Points" at (rel_x, rel_y) of size side x side, once
  // the window system shows it there.
  bool plane_at(int rel_x, int rel_y, int side, xd_window* view) {
    return xdrive::wait_until(
        [&] {
          *view = x.describe(w.top.id).child_at(rel_x, rel_y, side, side);
          if (view->id == 0) return false;
          *view = x.describe(view->id);
          return true;
        },
        10000);
  }

  // A right click at the pixel of plane point (px, py) in view adds the
  // plane point that pixel stands for in a view of that size, the k-th point.
  void click_adds_exactly(const xd_window& view, double px, double py, size_t k) {
    const int cx = pixel_of_plane_toward_zero(px, view.width);
    const int cy = mouse_row_of_plane_toward_zero(py, view.height);
    x.click(view.x + cx, view.y + cy, 3);
    std::string text;
    ASSERT_TRUE(x.wait_file(".ZELMOR", [&](const std::string& s) { return xd_line_count(s) == k; }, 5000))
        << x.program_stderr();
    ASSERT_TRUE(x.read_file(".ZELMOR", &text));
    const std::vector<xd_lifted> pts = xd_parse_points(text);
    ASSERT_EQ(k, pts.size());
    // (The file holds 15 decimals.)
    EXPECT_NEAR(plane_of_pixel(cx, view.width), pts[k - 1].x, 1e-12);
    EXPECT_NEAR(plane_of_mouse_row(cy, view.height), pts[k - 1].y, 1e-12);
    // Within a pixel of where it was aimed, and drawn there: the frame is
    // the one of the new size.
    EXPECT_NEAR(px, pts[k - 1].x, 6.0 / view.width);
    EXPECT_TRUE(xdrive::wait_until(
        [&] { return x.grab(view.x + cx - 6, view.y + cy - 6, 13, 13).count(kMarker, 0, 0, 12, 12, 12) > 10; },
        5000))
        << "no marker under the click";
  }

  xdrive x;
  program_windows w;
};

struct scale_step {
  const char* scale;
  int top_w, top_h;           // "2D Points"
  int plane_x, plane_y, plane;  // its plane's place in it and side
  int view3d_x, view3d;       // "3D Projection"'s place and side
};
// Each length is the layout length times the scale, rounded: "2D Points"
// 541 wide, the plane 541, the band 50, the panel's strip 615 - 540,
// "3D Projection" 540 at x 553.  On this 1920 x 1080 screen the windows keep
// to it: "2D Points" at most as tall as the screen (the plane the smaller,
// centred across), "3D Projection" square in what is left beside it.
const scale_step kSteps[] = {
    {"1.5", 812, 812 + 75 + 113, 2, 2, 812, 830, 810},
    {"2", 1082, 1080, 2 + (1082 - 830) / 2, 2, 1080 - 100 - 150, 1106, 1920 - 1106},
    {"1", 541, 541 + 50 + 75, 1, 1, 541, 553, 540},
};

TEST_F(LabScale, PresentationKeyCyclesTheScaleAndTheWindowsFollow) {
  // The lab makes "2D Points" taller by its band once it has started.
  ASSERT_TRUE(xdrive::wait_until([&] { return x.describe(w.top.id).height == 541 + 50 + 75; }, 10000));
  size_t points = 0;
  click_adds_exactly(w.view, 1.0, -0.5, ++points);
  for (const scale_step& s : kSteps) {
    SCOPED_TRACE(std::string("scale ") + s.scale);
    x.move(w.win3d.x + 20, w.win3d.y + 20);  // keys go to the window under the pointer
    ASSERT_TRUE(x.key("P"));
    EXPECT_TRUE(xdrive::wait_until(
        [&] {
          const xd_window top = x.describe(w.top.id), v3 = x.describe(w.win3d.id);
          return top.width == s.top_w && top.height == s.top_h && v3.width == s.view3d &&
                 v3.height == s.view3d && v3.x == s.view3d_x;
        },
        10000))
        << "the windows are not at their sizes for the scale: " << x.describe(w.top.id).width << " x "
        << x.describe(w.top.id).height << ", 3D " << x.describe(w.win3d.id).width << " x "
        << x.describe(w.win3d.id).height << " at " << x.describe(w.win3d.id).x;
    xd_window view;
    ASSERT_TRUE(plane_at(s.plane_x, s.plane_y, s.plane, &view)) << "no plane of " << s.plane;
    click_adds_exactly(view, -1.2 + 0.3 * points, 0.4, ++points);
    w.win3d = x.describe(w.win3d.id);
  }
  EXPECT_TRUE(x.running()) << x.program_stderr();
}

TEST_F(LabScale, ResizedWindowsKeepThePlaneSquareAndTheViewsFollow) {
  // Wider than tall: the plane is the largest square above the band and
  // the panel's strip, centred across; the panel centred under the band.
  x.resize(w.top.id, 900, 800);
  const int side = 800 - 50 - 75, left = 1 + (900 - side) / 2;
  xd_window view;
  ASSERT_TRUE(plane_at(left, 1, side, &view)) << "the plane is no " << side << " square";
  EXPECT_NE(0u, x.describe(w.top.id).child_at(1 + (900 - 541) / 2, side + 50, 541, 615).id)
      << "the panel is not under the band";
  click_adds_exactly(view, -2.0, 2.0, 1);
  click_adds_exactly(view, 2.5, -2.5, 2);

  // Taller than wide: the plane takes the whole width.
  x.resize(w.top.id, 600, 900);
  ASSERT_TRUE(plane_at(1, 1, 600, &view));
  click_adds_exactly(view, 0.7, -1.9, 3);

  // "3D Projection" takes the size it is given, and draws the scene across
  // it (on the screen, 1920 wide, where its pixels can be read).
  x.resize(w.win3d.id, 700, 600);
  EXPECT_TRUE(xdrive::wait_until(
      [&] {
        const xd_window v3 = x.describe(w.win3d.id);
        if (v3.width != 700 || v3.height != 600) return false;
        const xd_image img = x.grab(v3);
        // The scene reaches beyond the 540 columns it had, at both sides of
        // its new centre.
        const auto ink = [](const xd_rgb& p) { return !(p == kWhite); };
        return img.count_if(ink, 560, 0, 699, 599) > 500 && img.count_if(ink, 0, 0, 139, 599) > 500;
      },
      10000))
      << "the 3D view does not fill its window";
  xdrive::sleep_ms(300);  // a snap back would have come by now
  const xd_window v3 = x.describe(w.win3d.id);
  EXPECT_EQ(700, v3.width);
  EXPECT_EQ(600, v3.height);
  EXPECT_TRUE(x.running()) << x.program_stderr();
}

}  // namespace
