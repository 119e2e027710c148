// The real zelmor-lab under Xvfb with real keys and pointer: a circle held by
// a click stays in both views while the 3D view is turned by a real drag and
// after the pointer has left the plane; C lets go of it; k flips the
// Delaunay edge under the pointer and k again flips it back.  By pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <string>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include "lab/lab.h"
#include "tests/support/launch.h"
#include "tests/support/plane_pixels.h"
#include "tests/support/xdrive.h"

namespace {

const xd_rgb kHeld{0, 153, 153};         // the first held circle's colour
const xd_rgb kCounter{204, 0, 128};      // the triangle that is not Delaunay
const xd_rgb kDelaunayBlue{0, 77, 255};  // the lab's and zelmor's edges

bool near_colour(const xd_image& img, const xd_rgb& c, int x, int y, int tol = 12) {
  return img.count(c, x - 2, y - 2, x + 2, y + 2, tol) > 0;
}

struct lab_run : program_windows {
  xdrive x;
  ::testing::AssertionResult start() { return start_program(x, ZELMOR_LAB_BINARY, this); }
  void point_at(double px, double py) {
    x.move(view.x + pixel_of_plane_floor(px), view.y + image_row_of_plane_floor(py, 541));
  }
  bool wait_points(size_t n) {
    return x.wait_file(".ZELMOR",
                       [&](const std::string& s) { return xd_parse_points(s).size() == n; });
  }
  // Started, with the README's twelve points (preset 9) in place.
  ::testing::AssertionResult start_with_twelve() {
    ::testing::AssertionResult started = start();
    if (!started) return started << x.program_stderr();
    point_at(2.5, 2.5);
    if (!x.key("9") || !wait_points(12)) return ::testing::AssertionFailure() << "no twelve points";
    return ::testing::AssertionSuccess();
  }
};

// The circle of weighted points (x, y, w) whose power to each is zero, by
// the test's own solve: centre c with |c - p|^2 - w equal for the three.
void orthogonal_circle(const double p[3][3], double centre[2], double* r2) {
  const double a11 = 2 * (p[1][0] - p[0][0]), a12 = 2 * (p[1][1] - p[0][1]);
  const double a21 = 2 * (p[2][0] - p[0][0]), a22 = 2 * (p[2][1] - p[0][1]);
  auto lift = [&](int i) { return p[i][0] * p[i][0] + p[i][1] * p[i][1] - p[i][2]; };
  const double b1 = lift(1) - lift(0), b2 = lift(2) - lift(0), d = a11 * a22 - a12 * a21;
  centre[0] = (b1 * a22 - a12 * b2) / d;
  centre[1] = (a11 * b2 - a21 * b1) / d;
  *r2 = std::pow(centre[0] - p[0][0], 2) + std::pow(centre[1] - p[0][1], 2) - p[0][2];
}

bool on_circle(const xd_image& img, const xd_rgb& c, const double centre[2], double r,
               std::initializer_list<double> degrees) {
  for (double a : degrees) {
    const double t = a * M_PI / 180;
    if (!near_colour(img, c, pixel_of_plane_floor(centre[0] + r * std::cos(t)),
                     image_row_of_plane_floor(centre[1] + r * std::sin(t), 541)))
      return false;
  }
  return true;
}

// The held circle of the lower triangle of the square preset: centre
// (0, -1.5), radius 1.5, seen at these angles in the 2D view.
bool held_circle_in_2d(const xd_image& img) {
  const double centre[2] = {0.0, -1.5};
  return on_circle(img, kHeld, centre, 1.5, {20, 60, 120, 160});
}

TEST(LabCirclesProgram, AHeldCircleSurvivesTurningThe3DViewAndCLetsItGo) {
  lab_run r;
  ASSERT_TRUE(r.start()) << r.x.program_stderr();
  r.point_at(1.0, 2.0);
  ASSERT_TRUE(r.x.key("1"));
  ASSERT_TRUE(r.wait_points(5));
  ASSERT_TRUE(r.x.key("c"));
  // A left click inside the lower triangle, away from every point.
  r.x.click(r.view.x + pixel_of_plane_floor(0.0), r.view.y + image_row_of_plane_floor(-0.9, 541), 1);
  r.point_at(1.0, 2.0);
  ASSERT_TRUE(r.x.key("c"));  // the empty circle under the pointer off: only the held one
  ASSERT_TRUE(xdrive::wait_until([&] { return held_circle_in_2d(r.x.grab(r.view)); }, 3000))
      << "no held circle through the lower triangle's corners";
  // From below the 3D view lies over the 2D view: the circle in the plane
  // and the lifted one (straight above it) at the same pixels.
  ASSERT_TRUE(r.x.key("b"));
  ASSERT_TRUE(xdrive::wait_until(
      [&] {
        const xd_image img = r.x.grab(r.win3d);
        return near_colour(img, kHeld, pixel_of_plane_floor(1.5 * std::cos(0.5)),
                           image_row_of_plane_floor(-1.5 + 1.5 * std::sin(0.5), 540)) &&
               near_colour(img, kHeld, pixel_of_plane_floor(-1.5 * std::cos(0.5)),
                           image_row_of_plane_floor(-1.5 + 1.5 * std::sin(0.5), 540));
      },
      3000))
      << "the held circle from below";
  const int before = r.x.grab(r.win3d).count(kHeld, 0, 0, 539, 539, 12);
  // A real drag turns the view; the pointer is long gone from the plane.
  r.x.move(r.win3d.x + 100, r.win3d.y + 300);
  r.x.press(1);
  for (int k = 1; k <= 8; ++k) {
    r.x.move(r.win3d.x + 100 + 20 * k, r.win3d.y + 300 - 8 * k);
    xdrive::sleep_ms(30);
  }
  r.x.release(1);
  xdrive::sleep_ms(300);
  ASSERT_TRUE(xdrive::wait_until(
      [&] { return r.x.grab(r.win3d).count(kHeld, 0, 0, 539, 539, 12) > 100; }, 3000))
      << "the held circle gone from the turned 3D view (" << before << " pixels before)";
  // It was turned: the circle does not lie where it did from below.
  const xd_image turned = r.x.grab(r.win3d);
  EXPECT_FALSE(near_colour(turned, kHeld, pixel_of_plane_floor(1.5 * std::cos(0.5)),
                           image_row_of_plane_floor(-1.5 + 1.5 * std::sin(0.5), 540)) &&
               near_colour(turned, kHeld, pixel_of_plane_floor(-1.5 * std::cos(0.5)),
                           image_row_of_plane_floor(-1.5 + 1.5 * std::sin(0.5), 540)));
  EXPECT_TRUE(held_circle_in_2d(r.x.grab(r.view)));
  // C lets go: gone from both views.
  r.point_at(1.0, 2.0);
  ASSERT_TRUE(r.x.key("C"));
  ASSERT_TRUE(xdrive::wait_until(
      [&] {
        return r.x.grab(r.win3d).count(kHeld, 0, 0, 539, 539, 12) == 0 &&
               r.x.grab(r.view).count(kHeld, 0, 0, 540, 540, 12) == 0;
      },
      3000));
}

TEST(LabCirclesProgram, KFlipsTheEdgeUnderThePointerAndKAgainFlipsItBack) {
  lab_run r;
  ASSERT_TRUE(r.start_with_twelve());
  // 6 = (-0.6, -0.4) and 7 = (0.9, -0.5) share a Delaunay edge between
  // triangles with 5 = (0.1, 0.2) above and 11 = (-0.2, -2.3) below; the
  // flip puts 5-11 in its place.
  const double old_mid[2] = {0.15, -0.45};
  const double new_third[2] = {0.1 + (-0.3) / 3, 0.2 + (-2.5) / 3};  // a third of the way 5 -> 11
  auto at = [&](const xd_image& img, const double p[2], const xd_rgb& c) {
    return near_colour(img, c, pixel_of_plane_floor(p[0]), image_row_of_plane_floor(p[1], 541), 30);
  };
  ASSERT_TRUE(xdrive::wait_until([&] { return at(r.x.grab(r.view), old_mid, kDelaunayBlue); }, 3000));
  EXPECT_FALSE(at(r.x.grab(r.view), new_third, kCounter));
  r.point_at(0.15, -0.40);
  ASSERT_TRUE(r.x.key("k"));
  ASSERT_TRUE(xdrive::wait_until(
      [&] {
        const xd_image img = r.x.grab(r.view);
        return at(img, new_third, kCounter) && !at(img, old_mid, kDelaunayBlue);
      },
      3000))
      << "no flipped edge 5-11";
  // The lifted triangle, its plane and the fourth point's lift in 3D.
  EXPECT_TRUE(xdrive::wait_until(
      [&] { return r.x.grab(r.win3d).count(kCounter, 0, 0, 539, 539, 12) > 200; }, 3000));
  ASSERT_TRUE(r.x.key("k"));
  ASSERT_TRUE(xdrive::wait_until(
      [&] {
        const xd_image img = r.x.grab(r.view);
        return !at(img, new_third, kCounter) && at(img, old_mid, kDelaunayBlue);
      },
      3000))
      << "not flipped back";
  EXPECT_TRUE(xdrive::wait_until(
      [&] { return r.x.grab(r.win3d).count(kCounter, 0, 0, 539, 539, 12) == 0; }, 3000));
}

// Shift held down through real X key events (xdrive's key() presses and
// releases at once).
class shift_held {
 public:
  shift_held() : d_(XOpenDisplay(nullptr)) { send(True); }
  ~shift_held() { send(False); if (d_ != nullptr) XCloseDisplay(d_); }
  void send(Bool down) {
    if (d_ == nullptr) return;
    XTestFakeKeyEvent(d_, XKeysymToKeycode(d_, XK_Shift_L), down, CurrentTime);
    XSync(d_, False);
  }
 private:
  Display* d_;
};

double lifted_z(const xdrive& x, int i) {
  std::string text;
  if (!x.read_file(".ZELMOR", &text)) return -1e9;
  const auto pts = xd_parse_points(text);
  return static_cast<int>(pts.size()) > i ? pts[static_cast<size_t>(i)].z : -1e9;
}

TEST(LabCirclesProgram, AShiftDragSetsTheWeightThroughThePointerAndOneUndoTakesItBack) {
  lab_run r;
  ASSERT_TRUE(r.start()) << r.x.program_stderr();
  r.point_at(2.5, 2.5);
  ASSERT_TRUE(r.x.key("1"));  // the square and its centre: point 4 at (0, 0)
  ASSERT_TRUE(r.wait_points(5));
  ASSERT_DOUBLE_EQ(1.0, lifted_z(r.x, 4));
  // The plane position the lab reads at the pixel of plane x = 1.
  const double reach = plane_of_pixel(pixel_of_plane_floor(1.0));
  {
    shift_held shift;
    r.point_at(0.0, 0.0);
    r.x.press(1);
    for (int k = 1; k <= 4; ++k) {
      r.x.move(r.view.x + pixel_of_plane_floor(0.25 * k), r.view.y + image_row_of_plane_floor(0.0, 541));
      xdrive::sleep_ms(40);
    }
    // Live: the lift has sunk before the button goes up.
    EXPECT_TRUE(r.x.wait_file(".ZELMOR", [&](const std::string&) {
      return std::fabs(lifted_z(r.x, 4) - (1.0 - reach * reach)) < 2e-4;
    })) << lifted_z(r.x, 4);
    r.x.release(1);
  }
  // The weight circle (orange) through the pointer, radius about 1.
  ASSERT_TRUE(xdrive::wait_until(
      [&] {
        const xd_image img = r.x.grab(r.view);
        return near_colour(img, {217, 115, 0}, pixel_of_plane_floor(0.0),
                           image_row_of_plane_floor(reach, 541), 20) &&
               near_colour(img, {217, 115, 0}, pixel_of_plane_floor(-reach),
                           image_row_of_plane_floor(0.0, 541), 20);
      },
      3000))
      << "no weight circle of radius 1";
  // No other point moved: the corners keep their lifts.
  EXPECT_DOUBLE_EQ(1.5 * 1.5 * 2 + 1.0, lifted_z(r.x, 0));
  // One undo takes the whole drag back; one redo brings it again.
  ASSERT_TRUE(r.x.key("z"));
  EXPECT_TRUE(r.x.wait_file(".ZELMOR", [&](const std::string&) { return lifted_z(r.x, 4) == 1.0; }))
      << lifted_z(r.x, 4);
  ASSERT_TRUE(r.x.key("y"));
  EXPECT_TRUE(r.x.wait_file(".ZELMOR", [&](const std::string&) {
    return std::fabs(lifted_z(r.x, 4) - (1.0 - reach * reach)) < 2e-4;
  }));
  // A second undo goes past the drag to before the preset: no steps in between.
  ASSERT_TRUE(r.x.key("z"));
  ASSERT_TRUE(r.x.key("z"));
  EXPECT_TRUE(r.x.wait_file(".ZELMOR", [&](const std::string& s) { return xd_parse_points(s).empty(); }));
}

TEST(LabCirclesProgram, TheSnapAddsAndDragsOnItsGridInWholeHundredths) {
  lab_run r;
  ASSERT_TRUE(r.start()) << r.x.program_stderr();
  auto point = [&](int i, double* x, double* y) {
    std::string text;
    if (!r.x.read_file(".ZELMOR", &text)) return false;
    const auto pts = xd_parse_points(text);
    if (static_cast<int>(pts.size()) <= i) return false;
    *x = pts[static_cast<size_t>(i)].x;
    *y = pts[static_cast<size_t>(i)].y;
    return true;
  };
  r.point_at(2.5, 2.5);
  ASSERT_TRUE(r.x.key("p"));  // 0.25
  r.x.click(r.view.x + pixel_of_plane_floor(0.13), r.view.y + image_row_of_plane_floor(-0.45, 541), 3);
  ASSERT_TRUE(r.wait_points(1));
  double x = 0, y = 0;
  ASSERT_TRUE(point(0, &x, &y));
  EXPECT_EQ(0.25, x);
  EXPECT_EQ(-0.5, y);
  // A left drag carries it from grid point to grid point.
  r.x.move(r.view.x + pixel_of_plane_floor(0.25), r.view.y + image_row_of_plane_floor(-0.5, 541));
  r.x.press(1);
  for (int k = 1; k <= 6; ++k) {
    r.x.move(r.view.x + pixel_of_plane_floor(0.25 + 0.14 * k),
             r.view.y + image_row_of_plane_floor(-0.5 + 0.18 * k, 541));
    xdrive::sleep_ms(30);
  }
  r.x.release(1);
  EXPECT_TRUE(r.x.wait_file(".ZELMOR", [&](const std::string&) {
    return point(0, &x, &y) && x == 1.0 && y == 0.5;
  })) << x << " " << y;
  // Two presses on: 0.01.  The added point lies on whole hundredths, one
  // hundredth from its neighbour's grid.
  r.point_at(2.5, 2.5);
  ASSERT_TRUE(r.x.key("p"));
  ASSERT_TRUE(r.x.key("p"));
  r.x.click(r.view.x + pixel_of_plane_floor(-1.234), r.view.y + image_row_of_plane_floor(0.777, 541), 3);
  ASSERT_TRUE(r.wait_points(2));
  ASSERT_TRUE(point(1, &x, &y));
  EXPECT_EQ(std::round(x * 100) / 100, x);
  EXPECT_EQ(std::round(y * 100) / 100, y);
  EXPECT_NEAR(-1.234, x, 0.02);
  EXPECT_NEAR(0.777, y, 0.02);
  // On a point nothing is added: it is selected.
  r.x.click(r.view.x + pixel_of_plane_floor(x), r.view.y + image_row_of_plane_floor(y, 541), 3);
  xdrive::sleep_ms(300);
  std::string text;
  ASSERT_TRUE(r.x.read_file(".ZELMOR", &text));
  EXPECT_EQ(2u, xd_parse_points(text).size());
}

// Ctrl held down, as shift_held does Shift.
class ctrl_held {
 public:
  ctrl_held() : d_(XOpenDisplay(nullptr)) { send(True); }
  ~ctrl_held() { send(False); if (d_ != nullptr) XCloseDisplay(d_); }
  void send(Bool down) {
    if (d_ == nullptr) return;
    XTestFakeKeyEvent(d_, XKeysymToKeycode(d_, XK_Control_L), down, CurrentTime);
    XSync(d_, False);
  }
 private:
  Display* d_;
};

TEST(LabCirclesProgram, ZoomedInAddsAndDragsLandOnWholeHundredthsWhereThePointerIs) {
  lab_run r;
  ASSERT_TRUE(r.start()) << r.x.program_stderr();
  r.point_at(2.5, 2.5);
  ASSERT_TRUE(r.x.key("5"));  // the cluster within 0.1 around (1, 0.54)
  ASSERT_TRUE(r.wait_points(8));
  // Ctrl and eight wheel notches up over the cluster: 1.25^8, about 6x.
  r.point_at(1.0, 0.54);
  {
    ctrl_held ctrl;
    for (int k = 0; k < 8; ++k) {
      r.x.press(4);
      r.x.release(4);
    }
  }
  const xd_rgb kMarker{36, 36, 143};
  // Where plane (px, py) is drawn now: the plane position under the
  // pointer's pixel stays there, everything else 1.25^8 times as far off.
  const double scale = std::pow(1.25, 8);
  const int mx = pixel_of_plane_floor(1.0),
            my = image_row_of_plane_floor(0.54, 541);  // the pointer, from the view's corner
  const double at_x = plane_of_pixel(mx), at_y = plane_of_mouse_row(my);
  auto zx = [&](double p) {
    return static_cast<int>(std::lround(mx + pixels_of_plane_length(p - at_x) * scale));
  };
  auto zy = [&](double p) {
    return static_cast<int>(std::lround(my - pixels_of_plane_length(p - at_y) * scale));
  };
  // The markers of points 0 (1, 0.54) and 1 (1.04, 0.52) where the zoom puts them.
  ASSERT_TRUE(xdrive::wait_until(
      [&] {
        const xd_image img = r.x.grab(r.view);
        return near_colour(img, kMarker, zx(1.0), zy(0.54), 20) &&
               near_colour(img, kMarker, zx(1.04), zy(0.52), 20);
      },
      3000))
      << "not zoomed about the pointer";
  // Markers keep their 8 pixels: no blob.
  EXPECT_LT(r.x.grab(r.view).count(kMarker, 0, 0, 540, 540, 20), 8 * 120);
  // A right click a few pixels from point 0 adds a point in whole
  // hundredths at the plane position under the pointer (a pixel is less than
  // a hundredth now).
  const int dx = 40, dy = -25;  // pixels: right and up
  r.x.click(r.view.x + mx + dx, r.view.y + my + dy, 3);
  ASSERT_TRUE(r.wait_points(9));
  std::string text;
  ASSERT_TRUE(r.x.read_file(".ZELMOR", &text));
  const xd_lifted added = xd_parse_points(text)[8];
  EXPECT_EQ(std::round(added.x * 100) / 100, added.x);
  EXPECT_EQ(std::round(added.y * 100) / 100, added.y);
  EXPECT_NEAR(at_x + plane_length_of_pixels(dx) / scale, added.x, 0.006);
  EXPECT_NEAR(at_y - plane_length_of_pixels(dy) / scale, added.y, 0.006);
  // Its marker is drawn where it was clicked.
  EXPECT_TRUE(xdrive::wait_until(
      [&] { return near_colour(r.x.grab(r.view), kMarker, zx(added.x), zy(added.y), 20); }, 3000));
  // A left drag of it, zoomed: it follows the pointer in whole hundredths
  // (zelmor's own drag would move it 6 times as far).
  r.x.move(r.view.x + zx(added.x), r.view.y + zy(added.y));
  r.x.press(1);
  for (int k = 1; k <= 5; ++k) {
    r.x.move(r.view.x + zx(added.x) + 6 * k, r.view.y + zy(added.y) + 4 * k);
    xdrive::sleep_ms(30);
  }
  r.x.release(1);
  const double want_x = added.x + plane_length_of_pixels(30) / scale,
               want_y = added.y - plane_length_of_pixels(20) / scale;
  EXPECT_TRUE(r.x.wait_file(".ZELMOR", [&](const std::string& t) {
    const auto pts = xd_parse_points(t);
    return pts.size() == 9 && std::fabs(pts[8].x - want_x) < 0.012 &&
           std::fabs(pts[8].y - want_y) < 0.012 && std::round(pts[8].x * 100) / 100 == pts[8].x &&
           std::round(pts[8].y * 100) / 100 == pts[8].y;
  })) << want_x << " " << want_y;
  // Z: the whole square again, the cluster one blob the size of 0.1.
  r.point_at(0.0, 0.0);
  ASSERT_TRUE(r.x.key("Z"));
  EXPECT_TRUE(xdrive::wait_until(
      [&] {
        const xd_image img = r.x.grab(r.view);
        return near_colour(img, kMarker, pixel_of_plane_floor(1.0), image_row_of_plane_floor(0.54, 541),
                           20) &&
               img.count(kMarker, 0, 0, 540, 540, 20) < 8 * 12 * 8;
      },
      3000));
}

TEST(LabCirclesProgram, KPicksThreePointsAndWeightsTurnTheCirclesOrthogonal) {
  lab_run r;
  ASSERT_TRUE(r.start_with_twelve());
  // K, then 6 (-0.6, -0.4), 7 (0.9, -0.5) and 11 (-0.2, -2.3) clicked: a
  // Delaunay triangle, its circle drawn and holding no point.
  auto click = [&](double x, double y) {
    r.x.click(r.view.x + pixel_of_plane_floor(x), r.view.y + image_row_of_plane_floor(y, 541), 1);
    xdrive::sleep_ms(100);
  };
  const double corners[3][3] = {{-0.6, -0.4, 0}, {0.9, -0.5, 0}, {-0.2, -2.3, 0}};
  ASSERT_TRUE(r.x.key("K"));
  for (const auto& c : corners) click(c[0], c[1]);
  double centre[2], r2;
  orthogonal_circle(corners, centre, &r2);
  // The ring round point 5 (0.1, 0.2), 0.09 to its left, when it is held.
  const double ring[2] = {0.1 - 0.09, 0.2};
  auto ringed = [&](const xd_image& img) {
    return near_colour(img, kCounter, pixel_of_plane_floor(ring[0]), image_row_of_plane_floor(ring[1], 541), 30);
  };
  r.point_at(2.5, 2.5);
  ASSERT_TRUE(xdrive::wait_until(
      [&] { return on_circle(r.x.grab(r.view), kCounter, centre, std::sqrt(r2), {160, 215, 300, 340}); }, 3000))
      << "no circle through 6, 7, 11";
  EXPECT_FALSE(ringed(r.x.grab(r.view)));
  // Point 5 selected (a left click now selects again) and weighted 2: its
  // power to that circle is |5 - c|^2 - 2 - r^2 < 0, so it is ringed, and
  // the triangle is no longer one of the regular triangulation.
  click(0.1, 0.2);
  ASSERT_TRUE(r.x.key("plus"));
  ASSERT_TRUE(r.x.key("plus"));
  ASSERT_TRUE(r.x.wait_file(".ZELMOR", [](const std::string& s) {
    const auto pts = xd_parse_points(s);
    return pts.size() == 12 && pts[5].z < 0.1 * 0.1 + 0.2 * 0.2 + 1 - 2 + 1e-6;
  }));
  r.point_at(2.5, 2.5);
  ASSERT_TRUE(xdrive::wait_until([&] { return ringed(r.x.grab(r.view)); }, 3000)) << "point 5 not ringed";
  EXPECT_TRUE(on_circle(r.x.grab(r.view), kCounter, centre, std::sqrt(r2), {160, 215, 300, 340}));
  EXPECT_GT(r.x.grab(r.win3d).count(kCounter, 0, 0, 539, 539, 12), 200);
  // K takes the picked triangle away; c and a click in the triangle 5, 7,
  // 10 hold its circle: the orthogonal one (zero power to 5's weight circle),
  // not the circle through the three points.
  ASSERT_TRUE(r.x.key("K"));
  ASSERT_TRUE(r.x.key("c"));
  const double weighted[3][3] = {{0.1, 0.2, 2.0}, {0.9, -0.5, 0}, {2.5, 0.6, 0}};
  click((0.1 + 0.9 + 2.5) / 3, (0.2 - 0.5 + 0.6) / 3);
  r.point_at(2.5, 2.5);
  ASSERT_TRUE(r.x.key("c"));  // the empty circle under the pointer off: only the held one
  const double plain[3][3] = {{0.1, 0.2, 0}, {0.9, -0.5, 0}, {2.5, 0.6, 0}};
  double orth_centre[2], orth_r2, plain_centre[2], plain_r2;
  orthogonal_circle(weighted, orth_centre, &orth_r2);
  orthogonal_circle(plain, plain_centre, &plain_r2);
  ASSERT_TRUE(xdrive::wait_until(
      [&] {
        const xd_image img = r.x.grab(r.view);
        return on_circle(img, kHeld, orth_centre, std::sqrt(orth_r2), {60, 100, 250, 300}) &&
               r.x.grab(r.view).count(kCounter, 0, 0, 540, 540, 12) == 0;
      },
      3000))
      << "no orthogonal circle held";
  EXPECT_FALSE(on_circle(r.x.grab(r.view), kHeld, plain_centre, std::sqrt(plain_r2), {100, 150, 180}));
}

}  // namespace
