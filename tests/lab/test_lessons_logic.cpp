// The lessons' arithmetic without a display: the camera presets and drags,
// the status rows, the help text, the presets, the label placement and the
// furthest-site diagram against a brute-force exact reference.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <cmath>
#include <set>
#include <string>

#include "lab/lab.h"
#include "lab/lessons.h"
#include "tests/lab/flat_check.h"
#include "tests/support/delaunay_oracle.h"
#include "tests/pipeline/pipeline_test_util.h"
#include "tests/support/plane_pixels.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

void set_points(const std::vector<std::array<double, 2>>& pts) {
  point_count = 0;
  for (const auto& p : pts) add_point(point_rec{p[0], p[1], 0.0, 1.0});
}

// --- camera --------------------------------------------------------------------

TEST(LabCamera, ResetIsZelmorsStartUpView) {
  // zelmor: centre (270, 270) shows (0, 0, 7.5 / zoom); 27 * zoom pixels a
  // unit; the scene turned by -70 degrees about x, then 30 about y.
  for (float zoom : {1.5f, 2.25f, 1.0f}) {
    lab_camera c;
    camera_reset(c, zoom);
    const double pts[][3] = {{0, 0, 7.5 / zoom}, {1, 0, 0}, {0, 1, 0}, {-2, 1.5, 3}};
    for (const auto& p : pts) {
      const double d[3] = {p[0], p[1], p[2] - 7.5 / zoom};
      const double a = -70 * kPi / 180, b = 30 * kPi / 180;
      const double y1 = std::cos(a) * d[1] - std::sin(a) * d[2],
                   z1 = std::sin(a) * d[1] + std::cos(a) * d[2];
      const double x2 = std::cos(b) * d[0] + std::sin(b) * z1;
      double out[3];
      camera_project(c, 540, 540, zoom, p, out);
      EXPECT_NEAR(270 + 27 * zoom * x2, out[0], 1e-9);
      EXPECT_NEAR(270 + 27 * zoom * y1, out[1], 1e-9);
    }
  }
}

TEST(LabCamera, BelowAndAboveLayThePlaneOverThe2DView) {
  struct Case {
    const char* what;
    bool below;
  };
  for (const Case& k : {Case{"below", true}, Case{"above", false}}) {
    SCOPED_TRACE(k.what);
    lab_camera c;
    if (k.below)
      camera_below(c, 541, 541, 540, 540);
    else
      camera_above(c, 541, 541, 540, 540);
    set_points({{-2.5, 1.0}, {1.0, 2.0}, {2.9, -2.9}});
    camera_update(c, point_table, point_count, 540, 540, 1.5f);
    // The 2D view draws plane (x, y) at (pixel_of_plane(x), pixel_of_plane(y));
    // the height of a point changes nothing but its depth.
    for (const double p : {-3.0, -1.25, 0.0, 0.5, 2.99}) {
      for (const double z : {0.0, 4.0, 19.0}) {
        const double q[3] = {p, -p / 2, z};
        double out[3];
        camera_project(c, 540, 540, 1.5f, q, out);
        EXPECT_NEAR(pixel_of_plane(p), out[0], 1e-9);
        EXPECT_NEAR(pixel_of_plane(-p / 2), out[1], 1e-9);
      }
    }
    // From below the lower point is nearer the viewer; from above the upper.
    const double low[3] = {0, 0, 1}, high[3] = {0, 0, 2};
    double a[3], b[3];
    camera_project(c, 540, 540, 1.5f, low, a);
    camera_project(c, 540, 540, 1.5f, high, b);
    EXPECT_EQ(k.below, a[2] > b[2]);
    // The depths stay well inside the window's depth range (+-3000).
    const double top[3] = {3, 3, 28}, foot[3] = {-3, -3, 0};
    camera_project(c, 540, 540, 1.5f, top, a);
    camera_project(c, 540, 540, 1.5f, foot, b);
    EXPECT_LT(std::max(std::fabs(a[2]), std::fabs(b[2])), 3000);
  }
}

TEST(LabCamera, ADragAcrossTheWindowTurnsHalfATurnAboutTheShownCentre) {
  lab_camera c;
  camera_reset(c, 1.5f);
  const double centre[3] = {0.5, -0.5, 3.0};
  double before[3], after[3];
  camera_project(c, 540, 540, 1.5f, centre, before);
  camera_set_pivot(c, centre, 1.5f);
  camera_project(c, 540, 540, 1.5f, centre, after);
  EXPECT_NEAR(before[0], after[0], 1e-9);  // choosing the pivot moves nothing
  EXPECT_NEAR(before[1], after[1], 1e-9);
  const double probe[3] = {2.0, 1.0, 5.0};
  double p0[3], p1[3];
  camera_project(c, 540, 540, 1.5f, probe, p0);
  for (int k = 0; k < 54; ++k) camera_drag(c, 10, 0, 540, 540, 1.5f);  // 540 pixels right
  camera_project(c, 540, 540, 1.5f, probe, p1);
  camera_project(c, 540, 540, 1.5f, centre, after);
  EXPECT_NEAR(before[0], after[0], 1e-9);  // the pivot stays put
  EXPECT_NEAR(before[1], after[1], 1e-9);
  // Half a turn about the screen's vertical axis through the pivot mirrors x
  // and depth about it and keeps y.
  EXPECT_NEAR(2 * after[0] - p0[0], p1[0], 1e-6);
  EXPECT_NEAR(p0[1], p1[1], 1e-6);
  EXPECT_NEAR(-p0[2], p1[2], 1e-6);  // depth counts from the pivot's
  EXPECT_EQ(camera_mode::free, c.mode);
}

// After b or t a drag turns the scene at the start-up view's scale about
// the middle of what is shown, not at the 2D view's (three times larger,
// a close-up), so every shown point stays in the window.
TEST(LabCamera, ADragFromBelowOrAboveKeepsTheWholePictureInView) {
  const point_rec lifted[] = {{-2.5, -2.5, 12.5, 1}, {2.5, 2.9, 15.66, 1}, {0, 0, 0, 1},
                              {2.9, -2.9, 16.82, 1}};
  for (int mirror = 0; mirror < 2; ++mirror) {
    SCOPED_TRACE(mirror ? "from below" : "from above");
    lab_camera c;
    if (mirror)
      camera_below(c, 541, 541, 540, 540);
    else
      camera_above(c, 541, 541, 540, 540);
    camera_update(c, lifted, 4, 540, 540, 1.5f);
    double lo[3], hi[3];
    shown_box(lifted, 4, lo, hi);
    const double centre[3] = {(lo[0] + hi[0]) / 2, (lo[1] + hi[1]) / 2, (lo[2] + hi[2]) / 2};
    camera_set_pivot(c, centre, 1.5f);
    for (int k = 0; k < 10; ++k) camera_drag(c, 3, 4, 540, 540, 1.5f);
    EXPECT_EQ(camera_mode::free, c.mode);
    for (const point_rec& p : lifted) {
      const double at[3] = {p.x, p.y, p.z};
      double w[3];
      camera_project(c, 540, 540, 1.5f, at, w);
      EXPECT_GT(w[0], 0);
      EXPECT_LT(w[0], 540);
      EXPECT_GT(w[1], 0);
      EXPECT_LT(w[1], 540);
    }
    double mid[3];
    camera_project(c, 540, 540, 1.5f, centre, mid);
    EXPECT_NEAR(270, mid[0], 1e-9);
    EXPECT_NEAR(270, mid[1], 1e-9);
  }
}

// From the side: x to the right, height up, y away from the viewer; framed.
TEST(LabCamera, TheSideViewShowsHeightUpAndFramesThePoints) {
  const point_rec lifted[] = {{-2, 0, 4, 1}, {2, 0, 4, 1}, {0, 1, 1, 1}, {0, -2, 4, 1}};
  lab_camera c;
  camera_side(c);
  camera_update(c, lifted, 4, 540, 540, 1.5f);
  double a[3], b[3], low[3], near_pt[3], far_pt[3];
  const double pa[3] = {-2, 0, 4}, pb[3] = {2, 0, 4}, pl[3] = {0, 1, 1};
  const double pn[3] = {0, -2, 4}, pf[3] = {0, 2, 4};
  camera_project(c, 540, 540, 1.5f, pa, a);
  camera_project(c, 540, 540, 1.5f, pb, b);
  camera_project(c, 540, 540, 1.5f, pl, low);
  camera_project(c, 540, 540, 1.5f, pn, near_pt);
  camera_project(c, 540, 540, 1.5f, pf, far_pt);
  EXPECT_LT(a[0], b[0]);                     // x to the right
  EXPECT_NEAR(a[1], b[1], 1e-9);             // same height, same row
  EXPECT_LT(low[1], a[1]);                   // lower z lower on screen
  EXPECT_NEAR(near_pt[0], far_pt[0], 1e-9);  // y runs into the screen
  EXPECT_NEAR(near_pt[1], far_pt[1], 1e-9);
  EXPECT_GT(near_pt[2], far_pt[2]);          // -y is nearer the viewer
  EXPECT_GT(b[0] - a[0], 400);               // framed: x spans most of the window
}

struct ZoomCase {
  const char* what;
  int presses;  // + presses from the start-up zoom 1.5 (negative: -)
  float want;
  int clamped;
};

TEST(LabZoom, StaysWithinTheRangeWhereThePictureIsUseful) {
  float closest = 1.5f, furthest = 1.5f;
  for (int k = 0; k < LAB_ZOOM_IN_STEPS; ++k) closest *= 1.5f;
  for (int k = 0; k < LAB_ZOOM_OUT_STEPS; ++k) furthest /= 1.5f;
  const ZoomCase cases[] = {
      {"start", 0, 1.5f, 0},
      {"one in", 1, 2.25f, 0},
      {"all the way in", LAB_ZOOM_IN_STEPS, closest, 0},
      {"13 in", 13, closest, 1},
      {"all the way out", -LAB_ZOOM_OUT_STEPS, furthest, 0},
      {"13 out", -13, furthest, -1},
  };
  for (const ZoomCase& c : cases) {
    SCOPED_TRACE(c.what);
    float zoom = 1.5f;
    int last = 0;
    for (int k = 0; k < std::abs(c.presses); ++k) {
      if (c.presses > 0) zoom *= 1.5f; else zoom /= 1.5f;  // as the buttons do
      last = lab_zoom_clamp(&zoom);
    }
    EXPECT_EQ(c.want, zoom);
    EXPECT_EQ(c.clamped, last);
  }
  // Back from the closest to the start takes as many presses as the range has.
  float zoom = closest;
  for (int k = 0; k < LAB_ZOOM_IN_STEPS; ++k) {
    zoom /= 1.5f;
    lab_zoom_clamp(&zoom);
  }
  EXPECT_FLOAT_EQ(1.5f, zoom);
}

TEST(LabCamera, FitFramesTheLiftedPointsAndTheirFeetAtAnyWeight) {
  const float saved = weight;
  for (float w : {-3.0f, 1.0f, 10.0f}) {
    SCOPED_TRACE(w);
    weight = w;
    set_points({{-2.9, -2.9}, {2.9, 2.9}, {2.9, -2.9}, {-2.9, 2.9}, {0.1, 0.2}});
    lab_camera c;
    camera_reset(c, 1.5f);
    camera_fit(c);
    camera_update(c, point_table, point_count, 540, 540, 1.5f);
    double min_x = 1e9, max_x = -1e9, min_y = 1e9, max_y = -1e9;
    for (int i = 0; i < point_count; ++i) {
      for (const double z : {point_table[i].z, 0.0}) {
        const double p[3] = {point_table[i].x, point_table[i].y, z};
        double out[3];
        camera_project(c, 540, 540, 1.5f, p, out);
        min_x = std::min(min_x, out[0]);
        max_x = std::max(max_x, out[0]);
        min_y = std::min(min_y, out[1]);
        max_y = std::max(max_y, out[1]);
      }
    }
    EXPECT_GE(min_x, 20);
    EXPECT_LE(max_x, 520);
    EXPECT_GE(min_y, 20);
    EXPECT_LE(max_y, 520);
    // Framed, not lost in the middle: one side nearly fills the window.
    EXPECT_GT(std::max(max_x - min_x, max_y - min_y), 480);
  }
  weight = saved;
}

// --- status rows ---------------------------------------------------------------

TEST(LabStatusRows, SayWhatTheStateIs) {
  set_points({{0.5, -1.25}, {-0.004, 2.0}});
  struct Case {
    const char* what;
    status_facts f;
    const char* top_has;
  };
  status_facts base;
  base.count = 2;
  std::vector<Case> cases;
  auto with = [&](auto change) {
    status_facts f = base;
    change(f);
    return f;
  };
  cases.push_back({"empty", with([](status_facts& f) {
                     f.count = 0;
                     f.kind = flat_kind::empty;
                   }),
                   "add points"});
  cases.push_back({"one point", with([](status_facts& f) {
                     f.count = 1;
                     f.kind = flat_kind::single;
                   }),
                   "add 2 more points"});
  cases.push_back({"a line", with([](status_facts& f) { f.kind = flat_kind::line; }),
                   "all points on one line: no triangles"});
  cases.push_back({"a circle", with([](status_facts& f) {
                     f.count = 6;
                     f.distinct = 6;
                     f.kind = flat_kind::circle;
                   }),
                   "all points on one circle"});
  cases.push_back({"four points", with([](status_facts& f) {
                     f.count = 4;
                     f.kind = flat_kind::four;
                   }),
                   "add 1 more point for"});
  cases.push_back(
      {"full", with([](status_facts& f) { f.count = 200; }), "the table is full: 200 points"});
  cases.push_back({"a message wins", with([](status_facts& f) {
                     f.count = 200;
                     f.message = "cannot read pts.txt";
                   }),
                   "cannot read pts.txt"});
  cases.push_back({".ZELMOR trouble leads, whatever the message", with([](status_facts& f) {
                     f.count = 9;
                     f.message = "preset 9: the twelve points";
                     f.file_trouble = ".ZELMOR not saved: Is a directory";
                   }),
                   ".ZELMOR not saved: Is a directory (s saves the points to a file) | preset 9"});
  cases.push_back({"furthest named", with([](status_facts& f) {
                     f.count = 9;
                     f.furthest = true;
                   }),
                   "furthest-site: triangles orange, Voronoi purple"});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const status_rows r = status_line(c.f);
    EXPECT_NE(std::string::npos, r.top.find(c.top_has)) << r.top;
  }
  status_facts f = base;
  f.selected = 0;
  f.pointer_inside = true;
  f.pointer[0] = -0.004;
  f.pointer[1] = 1.006;
  EXPECT_EQ("2 / 200 points   point 0 at (0.50, -1.25)   pointer (0.00, 1.01)",
            status_line(f).bottom);
  f.selected = 1;
  f.pointer_inside = false;
  EXPECT_EQ("2 / 200 points   point 1 at (0.00, 2.00)", status_line(f).bottom);
  f.hidden = "point 0 hidden";
  EXPECT_EQ("2 / 200 points   point 0 hidden   point 1 at (0.00, 2.00)", status_line(f).bottom);
  f.hidden = "";
  f.selected = 5;  // a stale selection past the count names nothing
  EXPECT_EQ("2 / 200 points", status_line(f).bottom);
}

// One column of characters per character: the cases read in characters.
int chars(const std::string& s) { return static_cast<int>(s.size()); }

struct WrapCase {
  const char* what;
  const char* text;
  int lines, width;
  std::vector<std::string> want;
};

TEST(LabStatusRows, LongTextsWrapAndAreShortenedWithinTheBand) {
  const WrapCase cases[] = {
      {"fits", "one two", 2, 10, {"one two"}},
      {"empty", "", 2, 10, {}},
      {"wraps at a blank", "one two three", 2, 8, {"one two", "three"}},
      {"exactly the width", "abcd efgh", 2, 4, {"abcd", "efgh"}},
      {"too long: the last line ends in ...", "one two three four five", 2, 8,
       {"one two", "three..."}},
      {"one line only", "one two three", 1, 9, {"one tw..."}},
      {"a word wider than a line is cut", "abcdefghijkl", 2, 5, {"abcde", "fg..."}},
      {"no line at all", "one", 0, 9, {}},
  };
  for (const WrapCase& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<std::string> got = wrap_status(c.text, c.lines, c.width, chars);
    EXPECT_EQ(c.want, got);
    for (const std::string& line : got) EXPECT_LE(chars(line), c.width) << line;
  }
}

// --- help ----------------------------------------------------------------------

void nothing() {}

TEST(LabHelp, ListsEveryKeyWithinTheAboutWindow) {
  lab_clear_actions();
  const lab_action actions[] = {
      {'h', 0, "show the help", nothing},
      {'?', 0, "show the help", nothing},
      {26, 0, "undo", nothing},
      {'z', 0, "undo", nothing},
      {127, 0, "delete the selected point", nothing},
      {'F', 0, "furthest-site triangulation and Voronoi on / off", nothing},
      {0, 1, "a special key", nothing},
  };
  lab_add_actions(actions, sizeof actions / sizeof actions[0]);
  const std::string text = lab_help_text();
  std::size_t start = 0;
  for (std::size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1) {
    EXPECT_LE(nl - start, static_cast<std::size_t>(2 * LAB_HELP_COLUMN))
        << text.substr(start, nl - start);
  }
  for (const char* has : {"h ?    show the help", "^Z z   undo", "Del    delete the selected point",
                          "F      furthest-site triangulation", "F1     a special key"})
    EXPECT_NE(std::string::npos, text.find(has)) << has << "\n" << text;
  lab_clear_actions();
}

// --- presets -------------------------------------------------------------------

TEST(LabPresets, AreExactOnTheHundredthsGridInsideTheSquare) {
  ASSERT_EQ(10, lab_preset_count());
  std::string keys;
  for (int i = 0; i < lab_preset_count(); ++i) {
    SCOPED_TRACE(lab_preset_at(i).name);
    keys += lab_preset_at(i).key;
    const auto pts = lab_preset_points(i);
    ASSERT_FALSE(pts.empty());
    ASSERT_LE(pts.size(), static_cast<std::size_t>(MAX_POINTS));
    std::set<std::pair<long long, long long>> seen;
    for (const auto& p : pts) {
      for (double v : p) {
        EXPECT_LE(std::fabs(v), 3.0);
        EXPECT_EQ(exchange_value(v), v);  // what the engine reads back is the value itself
        EXPECT_DOUBLE_EQ(exchange_hundredths(v), std::round(v * 100));
      }
      EXPECT_TRUE(seen.insert({std::llround(p[0] * 100), std::llround(p[1] * 100)}).second);
    }
  }
  EXPECT_EQ("1234567890", keys);
  auto sizes = [](int i) { return lab_preset_points(i).size(); };
  EXPECT_EQ(20u, sizes(5));
  EXPECT_EQ(50u, sizes(6));
  EXPECT_EQ(200u, sizes(7));
  EXPECT_EQ(12u, sizes(8));
  EXPECT_EQ(25u, sizes(3));
  EXPECT_NE(lab_preset_points(5), lab_preset_points(5));  // random: another set each time
  // The circles are circles and the cluster a cluster, exactly.
  for (int i : {1, 9}) {
    for (const auto& p : lab_preset_points(i)) {
      const long long x = std::llround(p[0] * 100), y = std::llround(p[1] * 100);
      if (x != 0 || y != 0) {
        EXPECT_EQ(62500, x * x + y * y);
      }
    }
  }
  for (const auto& p : lab_preset_points(4)) EXPECT_LE(std::hypot(p[0] - 1.0, p[1] - 0.54), 0.1);
  const auto row = lab_preset_points(2);
  EXPECT_EQ(
      0, delaunay_oracle::orient({std::llround(row[0][0] * 100), std::llround(row[0][1] * 100)},
                                 {std::llround(row[1][0] * 100), std::llround(row[1][1] * 100)},
                                 {std::llround(row[2][0] * 100), std::llround(row[2][1] * 100)}));
}

// --- furthest-site -------------------------------------------------------------

using pipeline_test::recompute_in_memory;

TEST(LabFurthestSite, IsTheUpperHullAndItsVoronoiEdgesHaveBothEndsFurthest) {
  std::mt19937 gen(7);
  std::uniform_int_distribution<int> coord(-290, 290);
  for (int round = 0; round < 6; ++round) {
    const int n = 5 + round * 7;
    std::vector<delaunay_oracle::ipoint> ip;
    std::vector<std::array<double, 2>> pts;
    for (int i = 0; i < n; ++i) {
      ip.push_back({coord(gen), coord(gen)});
      pts.push_back({ip.back().x / 100.0, ip.back().y / 100.0});
    }
    set_points(pts);
    recompute_in_memory();
    const furthest_site f = compute_furthest_site();
    // Brute force: a triangle is furthest-site when every other point lies
    // strictly inside its circumcircle.
    EXPECT_EQ(brute_triangles(ip, +1), f.triangles) << "round " << round;
    // Along every Voronoi piece, the two ends of some furthest-site edge are
    // equally far and no point is further.
    EXPECT_FALSE(f.voronoi.empty());
    for (const auto& v : f.voronoi) {
      for (double t : {0.1, 0.5, 0.9}) {
        const double q[2] = {v[0] + t * (v[2] - v[0]), v[1] + t * (v[3] - v[1])};
        std::vector<double> d;
        for (const auto& p : pts) d.push_back(std::hypot(q[0] - p[0], q[1] - p[1]));
        std::sort(d.rbegin(), d.rend());
        EXPECT_NEAR(d[0], d[1], 1e-9) << "round " << round;
      }
    }
  }
  reset_record_lists();
}

// --- labels --------------------------------------------------------------------

TEST(LabLabels, StayInsideTheWindow) {
  struct Case {
    const char* what;
    double wx, wy;
    int chars;
    double x, y;
  };
  const Case cases[] = {
      {"in the middle: 6 pixels up and right", 200, 300, 2, 206, 306},
      {"at the right edge", 538, 300, 3, 541 - 24 - 1, 306},
      {"at the top edge", 100, 540, 1, 106, 540 - 12},
      {"at the bottom edge", 100, 10, 1, 106, 16},
      {"below the bottom edge", 100, -10, 1, 106, 3},
      {"at the left edge, outside", -20, 200, 1, 1, 206},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    double x, y;
    keep_label_inside(c.wx, c.wy, c.chars, 541, 541 - 1, 0, &x, &y);
    EXPECT_DOUBLE_EQ(c.x, x);
    EXPECT_DOUBLE_EQ(c.y, y);
  }
}

}  // namespace
