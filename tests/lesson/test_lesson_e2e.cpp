// A whole lesson on the real zelmor program, with real X pointer events, in
// a fresh working directory: twelve points (four on one circle, three on one
// line along the outer boundary), a drag across another point and against
// the border, a selection, every layer off and on, the weight slider to both
// ends, the opacity slider, zooming, turning, New, six more points, Quit!.
// After every step the point-exchange file and the pixels of the windows
// concerned are checked; the Delaunay edges drawn are checked against the
// exact oracle of the tests.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/delaunay_oracle.h"
#include "tests/support/launch.h"
#include "tests/support/plane_pixels.h"
#include "tests/support/screen_colours.h"
#include "tests/support/xdrive.h"

namespace {

// Lit faces: the lower (Delaunay) faces cyan (cyan_face), the upper faces
// green; the translucent surface pale yellow over the white background.
bool green_face(const xd_rgb& c) { return c.r < 130 && c.g > c.r + 25 && c.b < 80; }
bool yellowish(const xd_rgb& c) { return c.r > 230 && c.g > 230 && c.b < 230; }
bool not_white(const xd_rgb& c) { return !(c.r == 255 && c.g == 255 && c.b == 255); }

class Lesson : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(start_program(x, ZELMOR_BINARY, &w));
    // The panel's visible strip lies under the points view.
    panel_left = top.x + 1;
    panel_top = top.y + 541;
  }

  // Screen position of panel pixel (x, y counted up from the panel's bottom
  // row, as the widgets count); the panel is 615 rows tall.
  int panel_sx(int px) const { return panel_left + px; }
  int panel_sy(int y_up) const { return panel_top + (614 - y_up); }

  void click_panel(int px, int y_up) { x.click(panel_sx(px), panel_sy(y_up), 1); }

  void add(double px, double py) {
    x.click(view.x + pixel_of_plane_toward_zero(px), view.y + mouse_row_of_plane_toward_zero(py), 3);
  }

  std::string file() {
    std::string s;
    EXPECT_TRUE(x.read_file(".ZELMOR", &s));
    return s;
  }
  bool wait_lines(size_t n) {
    return x.wait_file(".ZELMOR", [n](const std::string& s) { return xd_line_count(s) == n; });
  }

  xd_image view2d_image() { return x.grab(view); }
  xd_image view3d_image() { return x.grab(view3d); }
  int count2d(bool (*pred)(const xd_rgb&)) { return view2d_image().count_if(pred, 0, 0, 539, 540); }
  int count3d(bool (*pred)(const xd_rgb&)) { return view3d_image().count_if(pred, 0, 0, 539, 539); }
  // Polls until the 2D or 3D view satisfies cond.
  bool wait2d(const std::function<bool(const xd_image&)>& cond) {
    return xdrive::wait_until([&] { return cond(view2d_image()); }, 4000);
  }
  bool wait3d(const std::function<bool(const xd_image&)>& cond) {
    return xdrive::wait_until([&] { return cond(view3d_image()); }, 4000);
  }

  // The edges that are in every Delaunay triangulation of the file's points
  // (as the program rounds them) that are not drawn in Delaunay blue at their
  // midpoints: "" when every one of them is.
  std::string missing_oracle_edges(const std::string& text) {
    std::vector<delaunay_oracle::ipoint> ip;
    for (const xd_lifted& p : xd_parse_points(text)) ip.push_back({hundredths(p.x), hundredths(p.y)});
    const delaunay_oracle::oracle o(ip);
    const auto strong = o.strong_edges();
    if (strong.empty()) return "the oracle finds no Delaunay edge";
    const xd_image img = view2d_image();
    std::string missing;
    for (auto [i, j] : strong) {
      const double mx = (ip[i].x + ip[j].x) / 200.0, my = (ip[i].y + ip[j].y) / 200.0;
      const int cx = pixel_of_plane_toward_zero(mx), cy = mouse_row_of_plane_toward_zero(my);
      if (img.count_if(delaunay_blue, cx - 2, cy - 2, cx + 2, cy + 2) == 0) {
        missing += " " + std::to_string(i) + "-" + std::to_string(j);
      }
    }
    return missing;
  }
  // Waits for the 2D view to show every such edge (the frames of the edits
  // before may still be on the screen).
  void expect_oracle_edges_drawn(const std::string& text) {
    std::string missing;
    xdrive::wait_until([&] { return (missing = missing_oracle_edges(text)).empty(); }, 4000);
    EXPECT_EQ("", missing) << "Delaunay edges not drawn";
  }

  xdrive x;
  program_windows w;
  const xd_window &top = w.top, &view3d = w.win3d, &view = w.view;
  int panel_left = 0, panel_top = 0;
};

TEST_F(Lesson, AWholeLessonWithRealPointerEvents) {
  // 1. Twelve points: the corners of a square (one circle through all four,
  // empty of other points), three on the bottom row of the outer boundary,
  // five more around them.
  const double pts[12][2] = {{-1, -1}, {1, -1},     {1, 1},   {-1, 1},    {-1.5, -2.5}, {0, -2.5},
                             {1.5, -2.5}, {-2.5, 0.5}, {2.5, 0.3}, {0, 2.4}, {1.8, 2.0},   {-1.9, 2.1}};
  for (const auto& p : pts) add(p[0], p[1]);
  ASSERT_TRUE(wait_lines(12)) << x.program_stdout();
  std::string text = file();
  std::vector<xd_lifted> got = xd_parse_points(text);
  ASSERT_EQ(12u, got.size());
  for (int i = 0; i < 12; ++i) {
    SCOPED_TRACE(i);
    const double ex = plane_of_pixel(pixel_of_plane_toward_zero(pts[i][0])),
                 ey = plane_of_mouse_row(mouse_row_of_plane_toward_zero(pts[i][1]));
    EXPECT_NEAR(ex, got[i].x, 1e-14);
    EXPECT_NEAR(ey, got[i].y, 1e-14);
    EXPECT_NEAR(ex * ex + ey * ey + 1.0, got[i].z, 1e-13);
  }
  // The four corners are exactly cocircular and the bottom three exactly
  // collinear once rounded, as the engine sees them.
  EXPECT_EQ(hundredths(got[0].x), -hundredths(got[1].x));
  EXPECT_EQ(hundredths(got[4].y), hundredths(got[6].y));
  ASSERT_TRUE(wait2d([](const xd_image& v) { return v.count_if(voronoi_red, 0, 0, 539, 540) > 300; }));
  expect_oracle_edges_drawn(text);
  EXPECT_GT(count3d(cyan_face), 500);
  EXPECT_GT(count3d(green_face), 100);
  EXPECT_GT(count3d(yellowish), 1000);

  // 2. Drag point 9 (0, 2.4) across point 10 (1.8, 2.0) and on against the
  // right border: it stops inside the square.
  int sx = view.x + pixel_of_plane_toward_zero(0), sy = view.y + mouse_row_of_plane_toward_zero(2.4);
  x.move(sx, sy);
  x.press(1);
  const int tx = view.x + pixel_of_plane_toward_zero(1.8), ty = view.y + mouse_row_of_plane_toward_zero(2.0);
  for (int k = 1; k <= 6; ++k) x.move(sx + (tx - sx) * k / 6, sy + (ty - sy) * k / 6);
  for (int k = 1; k <= 6; ++k) x.move(tx + 30 * k, ty);  // past x = 3 on screen
  x.release(1);
  ASSERT_TRUE(x.wait_file(".ZELMOR", [](const std::string& s) {
    const auto p = xd_parse_points(s);
    return p.size() == 12 && p[9].x > 2.6;
  }));
  xdrive::sleep_ms(200);
  text = file();
  got = xd_parse_points(text);
  // Each 30-pixel step moves it by 0.33; the step that would take it past
  // x = 3 is dropped whole, and so are the ones after it.
  EXPECT_LE(got[9].x, 3.0);
  EXPECT_GT(got[9].x, 2.6);
  for (int i = 0; i < 12; ++i) {
    if (i != 9) {
      EXPECT_NEAR(plane_of_pixel(pixel_of_plane_toward_zero(pts[i][0])), got[i].x, 1e-14) << i;
    }
  }
  // Highlighted where it stopped, and the edges follow it.
  ASSERT_TRUE(wait2d([&](const xd_image& v) {
    const int cx = pixel_of_plane_toward_zero(got[9].x), cy = mouse_row_of_plane_toward_zero(got[9].y);
    return v.count_if(magenta, cx - 5, cy - 5, cx + 5, cy + 5) > 20;
  }));
  xdrive::sleep_ms(200);
  expect_oracle_edges_drawn(text);

  // 3. The middle button selects point 5 without moving anything.
  x.click(view.x + pixel_of_plane_toward_zero(0), view.y + mouse_row_of_plane_toward_zero(-2.5), 2);
  ASSERT_TRUE(wait2d([&](const xd_image& v) {
    const int cx = pixel_of_plane_toward_zero(0), cy = mouse_row_of_plane_toward_zero(-2.5);
    return v.count_if(magenta, cx - 5, cy - 5, cx + 5, cy + 5) > 20;
  }));
  EXPECT_EQ(text, file());

  // 4. Each layer off and on again.  Check boxes: (230, y0) with y0 588,
  // 565 and 542; the grid box at (390, 588); press inside the 11-pixel box.
  struct layer {
    const char* what;
    int px, y_up;
    bool in3d;
    bool (*pred)(const xd_rgb&);
  };
  const layer layers[] = {
      {"Show Hyperboloid", 235, 598, true, yellowish},
      {"Show Delaunay Edges", 235, 575, false, delaunay_blue},
      {"Show Voronoi Regions", 235, 552, false, voronoi_red},
  };
  for (const layer& l : layers) {
    SCOPED_TRACE(l.what);
    auto count = [&] { return l.in3d ? count3d(l.pred) : count2d(l.pred); };
    const int on = count();
    ASSERT_GT(on, 300);
    click_panel(l.px, l.y_up);
    EXPECT_TRUE(xdrive::wait_until([&] { return count() < on / 20; }, 4000)) << count();
    click_panel(l.px, l.y_up);
    EXPECT_TRUE(xdrive::wait_until([&] { return count() > on * 9 / 10; }, 4000)) << count();
  }
  // The grid is off at start: on shows grid lines in the 2D view, off again hides them.
  const int grid_before = count2d(grid_grey);
  click_panel(395, 598);
  EXPECT_TRUE(xdrive::wait_until([&] { return count2d(grid_grey) > grid_before + 2000; }, 4000));
  click_panel(395, 598);
  EXPECT_TRUE(xdrive::wait_until([&] { return count2d(grid_grey) < grid_before + 200; }, 4000));
  EXPECT_EQ(text, file());  // no layer is an edit

  // 5. The weight slider to its right end and its left end, then the opacity
  // slider: the surface and the spheres move, the file stays.
  const xd_image before_weight = view3d_image();
  auto drag_knob = [&](int knob_x, int y0, int to_x) {
    x.move(panel_sx(knob_x), panel_sy(y0 + 6));
    x.press(1);
    for (int k = 1; k <= 5; ++k) x.move(panel_sx(knob_x + (to_x - knob_x) * k / 5), panel_sy(y0 + 6));
    x.release(1);
  };
  drag_knob(105, 580, 400);  // weight 1.0 sits at x0 + 25 + 4/13 * 130 = 105
  ASSERT_TRUE(wait3d([&](const xd_image& v) {
    return v.count_if(yellowish, 0, 0, 539, 539) != before_weight.count_if(yellowish, 0, 0, 539, 539);
  }));
  drag_knob(195, 580, -100);  // from its right end (x1 - 25) to beyond the left
  xdrive::sleep_ms(300);
  drag_knob(40 + 25 + 52, 550, 210);  // opacity 0.4 sits at x0 + 25 + 0.4 * 130
  xdrive::sleep_ms(300);
  EXPECT_EQ(text, file());  // the weight alone writes nothing

  // 6. Zoom in three times and out once: the scene grows on the screen.
  const int drawn_before = count3d(not_white);
  for (int k = 0; k < 3; ++k) click_panel(512, 590);
  click_panel(487, 590);
  ASSERT_TRUE(wait3d([&](const xd_image& v) { return v.count_if(not_white, 0, 0, 539, 539) != drawn_before; }));

  // 7. Turn the 3D view: the picture changes, the file does not.
  const xd_image before_turn = view3d_image();
  x.move(view3d.x + 270, view3d.y + 270);
  x.press(1);
  for (int k = 1; k <= 3; ++k) {
    x.move(view3d.x + 270 + 10 * k, view3d.y + 270 + 3 * k);
    xdrive::sleep_ms(100);
  }
  x.release(1);
  xdrive::sleep_ms(200);
  const xd_image after_turn = view3d_image();
  int changed = 0;
  for (size_t i = 0; i < after_turn.pixels.size(); ++i) changed += !(after_turn.pixels[i] == before_turn.pixels[i]);
  EXPECT_GT(changed, 2000);
  EXPECT_EQ(text, file());

  // 8. New: the file is emptied and the 2D view shows nothing at all.
  click_panel(427, 559);
  ASSERT_TRUE(x.wait_file(".ZELMOR", [](const std::string& s) { return s.empty(); }));
  ASSERT_TRUE(wait2d([](const xd_image& v) { return v.count_if(not_white, 0, 0, 539, 540) == 0; }));

  // 9. Six points again, lifted with the weight now at its lower end, -3.
  const double again[6][2] = {{-2, -2}, {2, -2}, {2, 2}, {-2, 2}, {0.3, 0.1}, {-0.4, 1.2}};
  for (const auto& p : again) add(p[0], p[1]);
  ASSERT_TRUE(wait_lines(6));
  text = file();
  got = xd_parse_points(text);
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    EXPECT_NEAR(got[i].x * got[i].x + got[i].y * got[i].y - 3.0, got[i].z, 1e-13);
  }
  ASSERT_TRUE(wait2d([](const xd_image& v) { return v.count_if(voronoi_red, 0, 0, 539, 540) > 300; }));
  xdrive::sleep_ms(200);
  expect_oracle_edges_drawn(text);

  // 10. Quit!: the program ends with status 0.
  EXPECT_TRUE(x.running()) << x.program_stderr();
  click_panel(498, 559);
  EXPECT_EQ(0, x.wait_exit(5000)) << x.program_stderr();
}

}  // namespace
