// zelmor-lab in-process: its start-up, its keys through the keyboard callback
// every window has, the pointer through the 2D view's passive motion
// callback, and the frames read back.  Geometry comes from the exact oracle.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cmath>
#include <string>
#include <vector>

#include "app/windows.h"
#include "lab/edit.h"
#include "lab/lab.h"
#include "lab/lessons.h"
#include "tests/lab/flat_check.h"
#include "tests/lab/help_check.h"
#include "tests/support/delaunay_oracle.h"
#include "tests/support/views_gui_support.h"
#include "view2d/view2d.h"
#include "view3d/view3d.h"

int lab_main(int argc, char** argv);

namespace {

using delaunay_oracle::ipoint;
using delaunay_oracle::oracle;

const rgb kOrange{255, 128, 0};
const rgb kRed{255, 0, 0};

void start() { gui_start_program(lab_main, "zelmor-lab"); }

void key(unsigned char k) {
  glutSetWindow(points_win);
  lab_keyboard(k, 10, 10);
  gui_settle();
}

// The pointer over plane (x, y) of the 2D view.
void point_at(double x, double y) {
  glutSetWindow(points_win);
  lab_points_passive(pixel_of_plane_toward_zero(x), top_y(pixel_of_plane_toward_zero(y)));
  gui_settle();
}

void load(const std::vector<ipoint>& pts) {
  std::vector<lab_point> xy;
  for (const ipoint& p : pts) xy.push_back({p.x / 100.0, p.y / 100.0, 0.0});
  lab_replace_points(xy, "test set");
  redisplay_windows("23S");
  gui_settle();
  gui_settle();  // the 3D display recomputes, then the 2D view redraws
}

std::vector<ipoint> preset_points(char key_char) {
  for (int i = 0; i < lab_preset_count(); ++i) {
    if (lab_preset_at(i).key != key_char) continue;
    std::vector<ipoint> out;
    for (const auto& p : lab_preset_points(i))
      out.push_back({std::llround(p[0] * 100), std::llround(p[1] * 100)});
    return out;
  }
  return {};
}

double px(long long hundredths) { return pixel_of_plane(hundredths / 100.0); }

// Pixels of colour c within r of (x, y) in the last frame of win.
bool has_near(int win, rgb c, double x, double y, int r, int tol = 12) {
  return count_pixels(win, c, int(x) - r, int(y) - r, int(x) + r, int(y) + r, tol) > 0;
}

TEST(LabGui, EmptyCircleRunsThroughTheCornersOfTheTriangleUnderThePointer) {
  start();
  key('9');
  key('c');
  const std::vector<ipoint> pts = preset_points('9');
  const oracle o(pts);
  int checked = 0;
  for (const auto& t : brute_triangles(pts, -1)) {
    const auto cc = o.circumcentre(t[0], t[1], t[2]);
    const double r = std::hypot(pts[t[0]].x / 100.0 - cc[0], pts[t[0]].y / 100.0 - cc[1]);
    // Only circles wholly in view above the status band.
    if (std::fabs(cc[0]) + r > 2.9 || cc[1] + r > 2.9 || cc[1] - r < -2.5) continue;
    SCOPED_TRACE("triangle " + std::to_string(t[0]) + " " + std::to_string(t[1]) + " " +
                 std::to_string(t[2]));
    const double gx = (pts[t[0]].x + pts[t[1]].x + pts[t[2]].x) / 300.0;
    const double gy = (pts[t[0]].y + pts[t[1]].y + pts[t[2]].y) / 300.0;
    point_at(gx, gy);
    const double cx = pixel_of_plane(cc[0]), cy = pixel_of_plane(cc[1]), rp = pixels_of_plane_length(r);
    for (int deg = 0; deg < 360; deg += 6) {
      const double a = deg * M_PI / 180;
      EXPECT_TRUE(has_near(points_win, kOrange, cx + rp * std::cos(a), cy + rp * std::sin(a), 2))
          << "no circle at " << deg << " degrees";
    }
    // Every orange pixel is on that circle or is its centre.
    int stray = 0;
    for (int y = 40; y < 541; ++y)
      for (int x = 0; x < 541; ++x) {
        if (!near(frame_pixel(points_win, x, y), kOrange, 3)) continue;
        const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
        if (std::fabs(d - rp) > 3.0 && d > 6.0) ++stray;
      }
    EXPECT_EQ(0, stray);
    // From below, the lifted face lies over the triangle, highlighted.
    key('b');
    EXPECT_TRUE(has_near(view3d_win, kOrange, px(llround(gx * 100)), px(llround(gy * 100)), 1, 20));
    key('r');
    ++checked;
  }
  EXPECT_GE(checked, 3);
  // The pointer leaves the view: no circle.
  glutSetWindow(points_win);
  lab_points_passive(-1, -1);
  gui_settle();
  EXPECT_EQ(0, count_pixels(points_win, kOrange, 0, 40, 540, 540, 3));
}

// Lit faces, however steep: cyan (lower) or green (upper) in hue.
bool lower_face(const rgb& c) {
  return c.g > c.r + 30 && c.b > c.r + 30 && std::abs(c.g - c.b) < 20;
}
bool upper_face(const rgb& c) { return c.g > c.r + 30 && c.g > c.b + 30; }
// A blue outline, lit, or dark where the outline of a face turned away from
// the light (the other side of the boundary) lies on it.
bool outline(const rgb& c) { return (c.b > c.r + 50 && c.b > c.g + 50) || c.r + c.g + c.b < 150; }

TEST(LabGui, FromBelowTheLowerFacesLieOverThe2DTrianglesAndFromAboveTheUpperOnes) {
  start();
  key('9');
  show_hyperboloid = 0;
  const std::vector<ipoint> pts = preset_points('9');
  struct View {
    unsigned char key;
    int sign;
    bool (*face)(const rgb&);
  };
  for (const View& v : {View{'b', -1, lower_face}, View{'t', +1, upper_face}}) {
    SCOPED_TRACE(std::string("key ") + char(v.key));
    key(v.key);
    redisplay_windows("S");
    gui_settle();
    const auto tris = brute_triangles(pts, v.sign);
    ASSERT_GE(tris.size(), 3u);
    for (const auto& t : tris) {
      const double x = (px(pts[t[0]].x) + px(pts[t[1]].x) + px(pts[t[2]].x)) / 3;
      const double y = (px(pts[t[0]].y) + px(pts[t[1]].y) + px(pts[t[2]].y)) / 3;
      EXPECT_GT(count_where(view3d_win, v.face, int(x), int(y), 2), 20)
          << "triangle " << t[0] << " " << t[1] << " " << t[2] << " at " << x << ", " << y << ": "
          << frame_pixel(view3d_win, int(x), int(y));
    }
    // Their outlines run exactly where the 2D view would draw their edges
    // (a mirrored or shifted view would put faces there, not outlines); the
    // 2D view draws the Delaunay ones.
    for (const auto& t : tris)
      for (int e = 0; e < 3; ++e) {
        const ipoint& a = pts[t[e]];
        const ipoint& b = pts[t[(e + 1) % 3]];
        for (double f : {0.3, 0.5, 0.7}) {
          const double mx = px(a.x) + f * (px(b.x) - px(a.x)),
                       my = px(a.y) + f * (px(b.y) - px(a.y));
          EXPECT_GT(count_where(view3d_win, outline, int(mx), int(my), 1), 0) << mx << ", " << my;
          if (v.sign < 0) {
            EXPECT_GT(count_where(points_win, is_blue, int(mx), int(my), 1), 0);
          }
        }
      }
  }
  show_hyperboloid = 1;
}

// --- flat sets -------------------------------------------------------------------

// The distance from (x, y) to the segment s (pixels).
double to_segment(double x, double y, const double s[4]) {
  const double dx = s[2] - s[0], dy = s[3] - s[1];
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((x - s[0]) * dx + (y - s[1]) * dy) / len2 : 0;
  t = std::max(0.0, std::min(1.0, t));
  return std::hypot(x - (s[0] + t * dx), y - (s[1] + t * dy));
}

TEST(LabGui, FlatSetsShowTheExactDiagramOfTheOracle) {
  start();
  struct Case {
    const char* what;
    std::vector<ipoint> pts;
  };
  const Case cases[] = {
      {"two points", {{-100, -50}, {120, 80}}},
      {"a slanted row of four", {{-200, -100}, {-60, -30}, {100, 50}, {220, 110}}},
      {"three points", {{-150, -100}, {170, -80}, {10, 200}}},
      {"a square", {{-150, -150}, {150, -150}, {150, 150}, {-150, 150}}},
      {"twelve on one circle", preset_points('0')},
      {"four in general position", {{-200, -150}, {180, -120}, {40, 220}, {-60, 30}}},
      {"six in a row (the engine gives nothing)",
       {{-250, 0}, {-150, 0}, {-50, 0}, {50, 0}, {150, 0}, {250, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    load(c.pts);
    const oracle o(c.pts);
    std::vector<std::array<double, 4>> pieces;  // expected Voronoi pieces, pixels
    for (const auto& [i, j] : strong_pairs(o)) {
      const ipoint& a = c.pts[i];
      const ipoint& b = c.pts[j];
      // The Delaunay edge, blue at its quarter points.
      for (double t : {0.25, 0.75}) {
        const double ex = px(a.x) + t * (px(b.x) - px(a.x)), ey = px(a.y) + t * (px(b.y) - px(a.y));
        EXPECT_GT(count_where(points_win, is_blue, int(ex), int(ey), 1), 0) << i << "-" << j;
      }
      double seg[4];
      if (!drawn_piece(o, i, j, seg)) continue;
      pieces.push_back(
          {pixel_of_plane(seg[0]), pixel_of_plane(seg[1]), pixel_of_plane(seg[2]), pixel_of_plane(seg[3])});
    }
    ASSERT_FALSE(pieces.empty());
    // Every piece is drawn red along its length (away from the points and
    // the status band), and nothing red lies off the pieces.
    for (const auto& s : pieces) {
      int hits = 0, tries = 0;
      for (double t = 0.1; t < 0.95; t += 0.1) {
        const double x = s[0] + t * (s[2] - s[0]), y = s[1] + t * (s[3] - s[1]);
        if (y < 40 || x < 2 || x > 538 || y > 538) continue;
        ++tries;
        if (has_near(points_win, kRed, x, y, 1, 3)) ++hits;
      }
      EXPECT_GE(hits, tries - 1) << s[0] << " " << s[1] << " " << s[2] << " " << s[3];
    }
    int stray = 0;
    for (int y = 40; y < 541; ++y)
      for (int x = 0; x < 541; ++x) {
        if (!near(frame_pixel(points_win, x, y), kRed, 3)) continue;
        double best = 1e9;
        for (const auto& s : pieces) best = std::min(best, to_segment(x + 0.5, y + 0.5, s.data()));
        if (best > 3.0) ++stray;
      }
    // The circle's centre is marked with a dot of a few pixels.
    EXPECT_LE(stray, 40);
  }
}

// --- labels, status, help ----------------------------------------------------------

TEST(LabGui, LabelsStayInsideTheViewAndCanBeHidden) {
  start();
  load({{299, 299}, {-299, 150}, {0, 0}});
  const rgb label = from_gl(0.0f, 0.5f, 1.0f);
  // The label of the point in the top right corner is drawn, inside.
  EXPECT_GT(count_pixels(points_win, label, 500, 500, 540, 540), 5);
  EXPECT_GT(count_pixels(view3d_win, label, 0, 0, 539, 539), 10);
  key('n');
  EXPECT_EQ(0, count_pixels(points_win, label, 0, 0, 540, 540));
  EXPECT_EQ(0, count_pixels(view3d_win, label, 0, 0, 539, 539));
  key('n');
  EXPECT_GT(count_pixels(points_win, label, 500, 500, 540, 540), 5);
}

TEST(LabGui, TheStatusLineSaysWhatHappensAndWhereThePointerIs) {
  start();
  char top[400], bottom[400];
  key('1');
  lab_status_rows(top, bottom, sizeof top);
  EXPECT_STREQ("preset 1: a square and its centre", top);
  EXPECT_STREQ("5 / 200 points", bottom);
  point_at(1.5, -1.5);
  lab_status_rows(top, bottom, sizeof top);
  EXPECT_STREQ("5 / 200 points   pointer (1.50, -1.50)", bottom);
  // The rows are drawn: black text in the band below the 2D view.
  ASSERT_TRUE(gui_pump_until([] { return frame_count(lab_status_win) > 0; }));
  EXPECT_GT(count_pixels(lab_status_win, rgb{0, 0, 0}, 0, 0, 540, LAB_STATUS_BAND - 1, 60), 100);
  load({{0, 0}, {100, 0}, {250, 0}});
  lab_status("%s", "");
  lab_status_rows(top, bottom, sizeof top);
  EXPECT_STREQ("all points on one line: no triangles; the Voronoi regions are strips", top);
  key('F');
  lab_status_rows(top, bottom, sizeof top);
  EXPECT_EQ(0, std::string(top).find("furthest-site: triangles orange, Voronoi purple"));
}

// The About window lies beside both working windows (the test's screen is
// 1280 x 1024, room enough), lists every key with its whole name, and goes
// away with h, ? or Esc.
TEST(LabGui, HelpShowsEveryKeyWholeBesideThePlaneAndItsKeysCloseIt) {
  start();
  EXPECT_FALSE(x_top_window("About ZELMOR").mapped);
  EXPECT_EQ("", help_check::mismatch(about_shown_text));
  for (unsigned char close : {'h', '?', '\033'}) {
    SCOPED_TRACE(std::string("closed by ") + lab_key_name(close, 0));
    const int before = frame_count(about_win);
    key('h');
    ASSERT_TRUE(gui_pump_until([before] { return frame_count(about_win) > before; }));
    ASSERT_TRUE(gui_pump_until([] { return x_top_window("About ZELMOR").mapped; }));
    EXPECT_EQ(1, lab_help_shown());
    const xd_window help = x_top_window("About ZELMOR");
    auto apart = [&help](const xd_window& w) {
      return help.x >= w.x + w.width || w.x >= help.x + help.width || help.y >= w.y + w.height ||
             w.y >= help.y + help.height;
    };
    // The plane where points are edited always stays in sight; the 3D view
    // too where the screen has room beside it, to the right or below.
    const xd_window plane = x_top_window("2D Points"), lifted = x_top_window("3D Projection");
    EXPECT_TRUE(apart(plane)) << "the help covers the plane: " << help.x << "," << help.y;
    const int sw = glutGet(GLUT_SCREEN_WIDTH), sh = glutGet(GLUT_SCREEN_HEIGHT);
    const bool room = lifted.x + lifted.width + 8 + help.width <= sw ||
                      lifted.y + lifted.height + 8 + help.height <= sh;
    EXPECT_EQ(room, apart(lifted)) << help.x << "," << help.y << " " << help.width << "x" << help.height;
    // Every line of the text within the window, and its last line above Dismiss.
    int lines = 0;
    for (const char* c = about_shown_text; *c != '\0'; ++c) lines += *c == '\n';
    EXPECT_GE(help.height, 20 * lines + 26);
    EXPECT_GE(help.width, 10 + 9 * 2 * LAB_HELP_COLUMN);
    // The text reaches the last line: black glyphs there.
    const int last_row_top = help.height - (20 * lines) - 11;
    EXPECT_GT(count_pixels(about_win, rgb{0, 0, 0}, 0, last_row_top - 3, 600, last_row_top + 12, 60), 20);
    key(close);
    EXPECT_TRUE(gui_pump_until([] { return !x_top_window("About ZELMOR").mapped; }));
    EXPECT_EQ(0, lab_help_shown());
  }
}

// The status band lies below the plane: a point at the plane's lowest rows
// shows there in the 2D view, nothing of the band is drawn in it, and the
// band's own window holds the text.
TEST(LabGui, TheStatusBandCoversNoPartOfThePlane) {
  start();
  load({{0, -297}, {-297, -297}, {297, -297}});
  const rgb band = from_gl(1.0f, 1.0f, 0.9f);
  EXPECT_EQ(0, count_pixels(points_win, band, 0, 0, 540, 540, 1));
  for (int x : {0, -297, 297}) {
    SCOPED_TRACE(x);
    EXPECT_GT(count_where(points_win, [](const rgb& c) { return c.r + c.g + c.b < 300; },
                          int(px(x)), int(px(-297)), 3), 3);
  }
  const xd_window top = x_top_window("2D Points");
  EXPECT_EQ(616 + LAB_STATUS_BAND, top.height);
  // The band right below the plane (rows 542 on), the panel below the band.
  glutSetWindow(lab_status_win);
  EXPECT_EQ(542, glutGet(GLUT_WINDOW_Y) - top.y);
  glutSetWindow(panel_win);
  EXPECT_EQ(541 + LAB_STATUS_BAND, glutGet(GLUT_WINDOW_Y) - top.y);
  // A long message wraps onto the second row instead of running off.
  lab_status("%s", std::string("a long message of many words, ").append(60, 'x').append(
                       " and more words after it that need a second row of the band").c_str());
  redisplay_windows("2");
  gui_settle();
  gui_settle();
  auto ink = [](int y0, int y1, int x0, int x1) {
    return count_pixels(lab_status_win, rgb{0, 0, 0}, x0, y0, x1, y1, 60);
  };
  // Rows from the bottom of the band: the facts at 2..14, the message's
  // second row at 17..29, its first at 32..44.
  EXPECT_GT(ink(32, 46, 0, 540), 50);
  EXPECT_GT(ink(17, 31, 0, 540), 50);
  EXPECT_EQ(0, ink(0, LAB_STATUS_BAND - 1, 537, 540));  // nothing cut at the edge
}

// A preset, New or a load replaces the point set: a point picked in the old
// one is no longer selected, so x, + and - act on nothing.
TEST(LabGui, NoStrayEditAfterThePointSetIsReplaced) {
  start();
  key('9');
  selected_count = 1;
  selected_points[0] = 3;
  key('4');
  EXPECT_EQ(-1, lab_selected_point());
  const int steps = lab_history_size();
  key('x');
  key('=');
  key('+');
  EXPECT_EQ(25, point_count);
  for (int i = 0; i < point_count; ++i) EXPECT_EQ(0.0, lab_point_weight[i]) << i;
  EXPECT_EQ(steps, lab_history_size());
  EXPECT_EQ(0u, std::string(lab_status_text()).find("no point selected")) << lab_status_text();
  // Undone, the old set is back, and still nothing is selected.
  key('z');
  EXPECT_EQ(12, point_count);
  EXPECT_EQ(-1, lab_selected_point());
}

// One undo step per weight gesture: 30 presses of = within a moment are one
// step; Shift (+) steps by 1.
TEST(LabGui, AWeightGestureIsOneUndoStep) {
  start();
  key('4');
  selected_count = 1;
  selected_points[0] = 12;
  const int steps = lab_history_size();
  for (int k = 0; k < 30; ++k) {
    glutSetWindow(points_win);
    lab_keyboard('=', 10, 10);
  }
  gui_settle();
  EXPECT_DOUBLE_EQ(3.0, lab_point_weight[12]);
  EXPECT_EQ(steps + 1, lab_history_size());
  key('z');
  EXPECT_EQ(0.0, lab_point_weight[12]);
  key('+');
  key('+');
  EXPECT_DOUBLE_EQ(2.0, lab_point_weight[12]);
  key('_');
  EXPECT_DOUBLE_EQ(1.0, lab_point_weight[12]);
  key('-');
  EXPECT_DOUBLE_EQ(0.9, lab_point_weight[12]);
}

// Weighted up, the middle of the grid hides its 8 neighbours: the status
// line names them, and the 3D view marks each lift with a ring that shows
// through the hull (from below the faces would cover it).
TEST(LabGui, HiddenPointsAreNamedAndRingedIn3D) {
  start();
  key('4');
  selected_count = 1;
  selected_points[0] = 12;
  for (int k = 0; k < 5; ++k) key('+');
  key('b');
  redisplay_windows("23S");
  gui_settle();
  gui_settle();
  char top[400], bottom[400];
  lab_status_rows(top, bottom, sizeof top);
  EXPECT_NE(std::string::npos, std::string(bottom).find("points 6, 7, 8, 11, 13, 16 and 2 more hidden"))
      << bottom;
  // Black ring pixels 6 to 8 pixels from a hidden point's place, none round
  // a corner point, which is no hidden one.
  auto ring = [](double x, double y) {
    int n = 0;
    for (int deg = 0; deg < 360; deg += 15) {
      const double a = deg * M_PI / 180;
      for (double r : {6.0, 7.0, 8.0})
        n += near(frame_pixel(view3d_win, int(x + r * std::cos(a)), int(y + r * std::sin(a))),
                  rgb{0, 0, 0}, 40);
    }
    return n;
  };
  EXPECT_GT(ring(px(-100), px(-100)), 10);  // point 6
  EXPECT_GT(ring(px(100), px(100)), 10);    // point 18
  EXPECT_EQ(0, ring(px(-200), px(-200)));   // point 0
}

// A ".ZELMOR" that cannot be written (a directory in its place) leads the
// status line until a save works again, whatever the messages after it.
TEST(LabGui, ExchangeFileTroubleStaysInTheStatusLineWhileItLasts) {
  start();
  std::remove(".ZELMOR");
  ASSERT_EQ(0, mkdir(".ZELMOR", 0755));
  key('9');
  char top[400], bottom[400];
  lab_status_rows(top, bottom, sizeof top);
  EXPECT_EQ(0u, std::string(top).find(".ZELMOR not saved")) << top;
  EXPECT_NE(std::string::npos, std::string(top).find("preset 9")) << top;
  key('n');
  lab_status_rows(top, bottom, sizeof top);
  EXPECT_EQ(0u, std::string(top).find(".ZELMOR not saved")) << top;
  ASSERT_EQ(0, rmdir(".ZELMOR"));
  key('1');
  lab_status_rows(top, bottom, sizeof top);
  EXPECT_EQ(std::string::npos, std::string(top).find("not saved")) << top;
}

// A drag after b leaves the view from below and says so; the turned view
// keeps every point in the window (no close-up at the 2D view's scale with
// the labels pinned to the border).
TEST(LabGui, ADragAfterBelowLeavesTheNamedViewAndSaysSo) {
  start();
  key('9');
  key('b');
  EXPECT_EQ(0u, std::string(lab_status_text()).find("camera: from below"));
  glutSetWindow(view3d_win);
  lab_view3d_mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 200, 200);
  for (int k = 1; k <= 4; ++k) {
    lab_view3d_motion(200 + 10 * k, 200 + 5 * k);
    gui_settle();
  }
  lab_view3d_mouse(GLUT_LEFT_BUTTON, GLUT_UP, 240, 220);
  gui_settle();
  EXPECT_EQ(0u, std::string(lab_status_text()).find("camera: turned by hand")) << lab_status_text();
  // Labels (blue) drawn away from the border, none pressed against it.
  const rgb label = from_gl(0.0f, 0.5f, 1.0f);
  EXPECT_GT(count_pixels(view3d_win, label, 20, 20, 519, 519), 30);
  EXPECT_EQ(0, count_pixels(view3d_win, label, 0, 0, 539, 4) + count_pixels(view3d_win, label, 0, 535, 539, 539) +
                   count_pixels(view3d_win, label, 0, 0, 4, 539) + count_pixels(view3d_win, label, 535, 0, 539, 539));
}

TEST(LabGui, AKeyBoundToNothingSaysSo) {
  start();
  key('q');
  EXPECT_STREQ("the key q does nothing in the lab; h lists the keys", lab_status_text());
  glutSetWindow(points_win);
  lab_special(GLUT_KEY_UP, 10, 10);
  EXPECT_STREQ("the key Up does nothing in the lab; h lists the keys", lab_status_text());
  lab_status("%s", "");
  lab_special(GLUT_KEY_SHIFT_L, 10, 10);  // half of another key: nothing to say
  EXPECT_STREQ("", lab_status_text());
}

}  // namespace
