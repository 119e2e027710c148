// The real programs (zelmor and zelmor-lab, which share its windows) while
// another X client meddles with their windows:
//   - a window of the test's own, mapped over "3D Projection", or the 3D
//     window unmapped, keeps the window system from ever drawing the 3D
//     window; the 2D view must still show the triangulation of the points as
//     they are now;
//   - a foreign resize of a subwindow of "2D Points" or of "3D Projection"
//     (as a careless window manager or a script might send) must neither end
//     the program nor leave the plane or the panel at a size their pixels
//     and clicks do not fit.
// Driven with real XTest clicks; the 2D view's edges are checked against the
// exact oracle of the tests.
#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/delaunay_oracle.h"
#include "tests/support/launch.h"
#include "tests/support/plane_pixels.h"
#include "tests/support/screen_colours.h"
#include "tests/support/xdrive.h"

// Last: Xlib defines macros (None, Bool, Status) that GoogleTest uses as names.
#include <X11/Xlib.h>

namespace {

struct program {
  const char* name;
  const char* binary;
};
const program kPrograms[] = {{"zelmor", ZELMOR_BINARY}, {"zelmor_lab", ZELMOR_LAB_BINARY}};
void PrintTo(const program& p, std::ostream* os) { *os << p.name; }

// A window of the program that is gone (the program ended) must fail the
// check that asked about it, not end the test with Xlib's default handler.
int ignore_x_error(Display*, XErrorEvent*) { return 0; }

// One program started in a fresh directory, with the geometry of its windows
// as it was right after start-up.
class ProgramRun : public ::testing::Test {
 protected:
  void start(const char* binary) {
    XSetErrorHandler(ignore_x_error);
    program_windows w;
    ASSERT_TRUE(start_program(x, binary, &w));
    top = w.top;
    view3d = w.win3d;
    // Start-up is over when the 3D view has drawn its white frame too; the
    // lab has laid its windows out by then.
    ASSERT_TRUE(xdrive::wait_until(
        [&] {
          return x.pixel(view3d.x + 500, view3d.y + 40) == xd_rgb{255, 255, 255};
        },
        5000));
    ASSERT_TRUE(find_subwindows());
  }

  // The points view at (1, 1) and the panel, the tallest of the others, as
  // they are now; in the lab its status band between them too.
  bool find_subwindows() {
    top = x.describe(top.id);
    view = panel = band = xd_window{};
    for (const xd_window& c : top.children) {
      if (!c.mapped) continue;
      if (c.x - top.x == 1 && c.y - top.y == 1)
        view = c;
      else if (c.height > panel.height)
        panel = c;
    }
    for (const xd_window& c : top.children)
      if (c.mapped && c.id != view.id && c.id != panel.id) band = c;
    return view.id != 0 && panel.height > view.height;
  }

  // Window pixel (x, y from the top) of plane point (px, py) in the points
  // view, and the plane point a click on a window pixel adds.
  int px_of(double px) const { return pixel_of_plane_toward_zero(px, view.width); }
  int py_of(double py) const { return mouse_row_of_plane_toward_zero(py, view.height); }
  double plane_x(int x_px) const { return plane_of_pixel(x_px, view.width); }
  double plane_y(int y_top) const { return plane_of_mouse_row(y_top, view.height); }

  void add(double px, double py) { x.click(view.x + px_of(px), view.y + py_of(py), 3); }
  bool wait_lines(size_t n, int timeout_ms = 3000) {
    return x.wait_file(".ZELMOR", [n](const std::string& s) { return xd_line_count(s) == n; },
                       timeout_ms);
  }
  std::string file() {
    std::string s;
    EXPECT_TRUE(x.read_file(".ZELMOR", &s));
    return s;
  }

  // The points of the exchange file as the program rounds them.
  static std::vector<delaunay_oracle::ipoint> rounded(const std::string& text) {
    std::vector<delaunay_oracle::ipoint> ip;
    for (const xd_lifted& p : xd_parse_points(text)) ip.push_back({hundredths(p.x), hundredths(p.y)});
    return ip;
  }
  // Window pixel of a rounded point's plane position.
  int sx(long long h) const { return px_of(h / 100.0); }
  int sy(long long h) const { return py_of(h / 100.0); }

  // The edges in every Delaunay triangulation of the file's points that are
  // not drawn in Delaunay blue at their midpoints: "" when all of them are.
  std::string missing_edges(const std::string& text) {
    const std::vector<delaunay_oracle::ipoint> ip = rounded(text);
    const delaunay_oracle::oracle o(ip);
    const auto strong = o.strong_edges();
    if (strong.empty()) return "the oracle finds no Delaunay edge";
    const xd_image img = x.grab(view);
    std::string missing;
    for (auto [i, j] : strong) {
      const int cx = (sx(ip[i].x) + sx(ip[j].x)) / 2, cy = (sy(ip[i].y) + sy(ip[j].y)) / 2;
      if (img.count_if(delaunay_blue, cx - 2, cy - 2, cx + 2, cy + 2) == 0)
        missing += " " + std::to_string(i) + "-" + std::to_string(j);
    }
    return missing;
  }

  xdrive x;
  xd_window top, view3d, view, panel, band;
};

// Distance in pixels from (px, py) to the segment a-b.
double segment_distance(double px, double py, double ax, double ay, double bx, double by) {
  const double dx = bx - ax, dy = by - ay;
  double t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy);
  t = t < 0 ? 0 : t > 1 ? 1 : t;
  return std::hypot(px - ax - t * dx, py - ay - t * dy);
}

// How the 3D window is kept from being drawn: a window of the test's own
// over it, or unmapped by the test (as a window manager iconifies it).
enum class hiding { covered, unmapped };
void PrintTo(hiding h, std::ostream* os) { *os << (h == hiding::covered ? "covered" : "unmapped"); }

class Hidden3D : public ProgramRun,
                 public ::testing::WithParamInterface<std::tuple<program, hiding>> {
 protected:
  void SetUp() override { start(std::get<0>(GetParam()).binary); }
};

TEST_P(Hidden3D, PlaneFollowsEditsWhileThe3DWindowIsNotDrawn) {
  const hiding how = std::get<1>(GetParam());
  // Five points in general position: a quadrilateral round a centre point.
  const double first[5][2] = {{-2.0, -1.8}, {2.0, -1.6}, {2.1, 1.9}, {-1.8, 2.0}, {0.3, 0.2}};
  for (const auto& p : first) add(p[0], p[1]);
  ASSERT_TRUE(wait_lines(5)) << x.program_stdout();
  const std::string before = file();
  std::string missing;
  xdrive::wait_until([&] { return (missing = missing_edges(before)).empty(); }, 4000);
  ASSERT_EQ("", missing) << "the five points' edges are not drawn";

  // A plain window of the test's own, raised over the whole 3D window, or
  // the 3D window unmapped.  Either way the window system sends the program
  // no expose for it and its display does not run.
  Display* d = XOpenDisplay(nullptr);
  ASSERT_NE(nullptr, d);
  const int screen = DefaultScreen(d);
  const unsigned long grey = 0x404040;
  Window cover = 0;
  if (how == hiding::covered) {
    cover = XCreateSimpleWindow(d, RootWindow(d, screen), view3d.x - 5, view3d.y, view3d.width + 10,
                                view3d.height + 10, 0, grey, grey);
    XMapRaised(d, cover);
  } else {
    XUnmapWindow(d, view3d.id);
  }
  XSync(d, False);
  ASSERT_TRUE(xdrive::wait_until(
      [&] {
        const xd_image img = x.grab(view3d);
        const xd_rgb expected = how == hiding::covered ? xd_rgb{0x40, 0x40, 0x40} : xd_rgb{0, 0, 0};
        return img.count(expected, 0, 0, img.width - 1, img.height - 1, 0) == img.width * img.height;
      },
      3000))
      << "the 3D window is still on the screen";

  // Two more points: one edge of the five is no longer Delaunay.
  add(-1.0, 1.0);
  add(1.2, -0.4);
  ASSERT_TRUE(wait_lines(7)) << x.program_stdout();
  const std::string after = file();
  xdrive::wait_until([&] { return (missing = missing_edges(after)).empty(); }, 4000);
  EXPECT_EQ("", missing) << "Delaunay edges of the seven points not drawn";

  // The edges of the five that the two new points broke are gone, where
  // their midpoints lie clear of every edge and point of the seven.
  const std::vector<delaunay_oracle::ipoint> ip = rounded(after);
  const delaunay_oracle::oracle now(ip);
  const delaunay_oracle::oracle then(rounded(before));
  const auto strong_now = now.strong_edges();
  const xd_image img = x.grab(view);
  int checked = 0;
  for (auto [i, j] : then.strong_edges()) {
    if (now.delaunay_edge(i, j)) continue;
    const double cx = (sx(ip[i].x) + sx(ip[j].x)) / 2.0, cy = (sy(ip[i].y) + sy(ip[j].y)) / 2.0;
    double clear = 1e9;
    for (auto [a, b] : strong_now)
      clear = std::min(clear, segment_distance(cx, cy, sx(ip[a].x), sy(ip[a].y), sx(ip[b].x), sy(ip[b].y)));
    for (const auto& p : ip) clear = std::min(clear, std::hypot(cx - sx(p.x), cy - sy(p.y)));
    if (clear < 8) continue;
    SCOPED_TRACE("edge " + std::to_string(i) + "-" + std::to_string(j));
    EXPECT_EQ(0, img.count_if(delaunay_blue, int(cx) - 2, int(cy) - 2, int(cx) + 2, int(cy) + 2))
        << "an edge of the older point set is still drawn";
    ++checked;
  }
  EXPECT_GT(checked, 0) << "no broken edge to look for: choose other points";

  // Shown again, the 3D window draws the hull of the seven points.
  if (how == hiding::covered)
    XDestroyWindow(d, cover);
  else
    XMapWindow(d, view3d.id);
  XCloseDisplay(d);
  EXPECT_TRUE(xdrive::wait_until(
      [&] { return x.grab(view3d).count_if(cyan_face, 0, 0, 539, 539) > 500; }, 4000));
  EXPECT_TRUE(x.running()) << x.program_stderr();
  x.terminate();
}

enum class resized { points_view, panel, view3d, status_band };
struct resize_case {
  const char* name;
  resized which;
  int width, height;
};
void PrintTo(const resize_case& c, std::ostream* os) {
  *os << c.name << " " << c.width << " x " << c.height;
}
const resize_case kResizes[] = {
    {"PointsViewToTheLargestSize", resized::points_view, 32767, 32767},
    {"PanelToTheLargestSize", resized::panel, 32767, 32767},
    {"PointsViewSmaller", resized::points_view, 300, 200},
    // Large, but within what the renderer draws: a frame at that size comes
    // before the one at the view's own size.
    {"PointsViewTo16000", resized::points_view, 16000, 16000},
    {"PanelToItsVisibleStrip", resized::panel, 541, 75},
    // The 3D window snaps back too; it must survive the largest size while
    // another window is current (here the points view, clicked last).
    {"View3dToTheLargestSize", resized::view3d, 32767, 32767},
};
// The lab's status band, which lies over the panel's first rows when it
// grows.
const resize_case kLabResizes[] = {
    {"StatusBandOverThePanel", resized::status_band, 541, 200},
    {"StatusBandWiderAndTaller", resized::status_band, 900, 400},
};

class ForeignResize : public ProgramRun,
                      public ::testing::WithParamInterface<std::tuple<program, resize_case>> {
 protected:
  void SetUp() override { start(std::get<0>(GetParam()).binary); }
};

TEST_P(ForeignResize, WindowReturnsToItsSizeAndClicksStillLand) {
  const resize_case& c = std::get<1>(GetParam());
  add(-1.0, 1.0);  // point 0, to be picked after the resize
  ASSERT_TRUE(wait_lines(1)) << x.program_stdout();
  const xd_window& target = c.which == resized::panel         ? panel
                            : c.which == resized::view3d      ? view3d
                            : c.which == resized::status_band ? band
                                                              : view;
  ASSERT_NE(0u, target.id) << "no such window";
  const int rel_x = target.x - top.x, rel_y = target.y - top.y;

  x.resize(target.id, c.width, c.height);
  // The window comes back to its own size.
  EXPECT_TRUE(xdrive::wait_until(
      [&] {
        const xd_window now = x.describe(target.id);
        return now.width == target.width && now.height == target.height;
      },
      10000))
      << "the window keeps the foreign size";
  xdrive::sleep_ms(300);  // a further reshape would have shown by now
  ASSERT_TRUE(x.running()) << "the program ended: " << x.program_stderr();
  const xd_window now = x.describe(top.id);
  if (c.which != resized::view3d) {
    EXPECT_NE(0u, now.child_at(rel_x, rel_y, target.width, target.height).id);
  }
  EXPECT_NE(0u, now.child_at(1, 1, view.width, view.height).id);
  // The 3D window is whole on the screen: its white background and the
  // surface, the axes and point 0 over it.
  EXPECT_TRUE(xdrive::wait_until(
      [&] {
        const xd_image img = x.grab(view3d);
        return img.at(500, 40) == xd_rgb{255, 255, 255} &&
               img.count_if([](const xd_rgb& p) { return !(p == xd_rgb{255, 255, 255}); }, 0, 0, 539,
                            539) > 2000;
      },
      10000))
      << "the 3D window shows no frame";

  // A right click adds exactly the plane point under the pointer (the
  // bounds are generous: a frame at a large foreign size may come first) ...
  const int cx = 400, cy = 150;
  x.click(view.x + cx, view.y + cy, 3);
  ASSERT_TRUE(wait_lines(2, 15000)) << x.program_stdout();
  const std::vector<xd_lifted> pts = xd_parse_points(file());
  ASSERT_EQ(2u, pts.size());
  EXPECT_NEAR(plane_x(cx), pts[1].x, 1e-14);
  EXPECT_NEAR(plane_y(cy), pts[1].y, 1e-14);
  // ... a left click on point 0 selects it ...
  const int p0x = px_of(pts[0].x), p0y = py_of(pts[0].y);
  x.click(view.x + p0x, view.y + p0y, 1);
  EXPECT_TRUE(xdrive::wait_until(
      [&] {
        return x.grab(view.x + p0x - 5, view.y + p0y - 5, 11, 11).count_if(magenta, 0, 0, 10, 10) > 20;
      },
      10000))
      << "point 0 is not selected";
  // ... and a click on the panel's "Show Grid" box shows or hides the grid
  // (the lab starts with it shown): the panel's controls are where it draws
  // them.
  const int grid_before = x.grab(view).count_if(grid_grey, 0, 0, 539, 540);
  x.click(panel.x + 395, panel.y + (panel.height - 1 - 598), 1);
  EXPECT_TRUE(xdrive::wait_until(
      [&] { return std::abs(x.grab(view).count_if(grid_grey, 0, 0, 539, 540) - grid_before) > 2000; },
      10000))
      << "the grid did not change";
  EXPECT_TRUE(x.running()) << x.program_stderr();
  x.terminate();
}

INSTANTIATE_TEST_SUITE_P(
    Programs, Hidden3D,
    ::testing::Combine(::testing::ValuesIn(kPrograms), ::testing::Values(hiding::covered, hiding::unmapped)),
    [](const ::testing::TestParamInfo<std::tuple<program, hiding>>& i) {
      return std::string(std::get<0>(i.param).name) +
             (std::get<1>(i.param) == hiding::covered ? "_Covered" : "_Unmapped");
    });
INSTANTIATE_TEST_SUITE_P(
    Programs, ForeignResize, ::testing::Combine(::testing::ValuesIn(kPrograms), ::testing::ValuesIn(kResizes)),
    [](const ::testing::TestParamInfo<std::tuple<program, resize_case>>& i) {
      return std::string(std::get<0>(i.param).name) + "_" + std::get<1>(i.param).name;
    });
INSTANTIATE_TEST_SUITE_P(
    Lab, ForeignResize, ::testing::Combine(::testing::Values(kPrograms[1]), ::testing::ValuesIn(kLabResizes)),
    [](const ::testing::TestParamInfo<std::tuple<program, resize_case>>& i) {
      return std::string(std::get<0>(i.param).name) + "_" + std::get<1>(i.param).name;
    });

}  // namespace
