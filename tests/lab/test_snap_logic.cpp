// The snap and the warning of nearly degenerate sets, without a display:
// snapped values are exact hundredths the engine reads back unchanged; a set
// a hundredth off a line or a circle is named, an exact one and one further
// off are not.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "lab/lab.h"
#include "lab/snap_logic.h"
#include "lab/zoom_logic.h"
#include "lab/export_state.h"
#include "tests/support/plane_pixels.h"
#include "view2d/view2d.h"
#include "tests/support/delaunay_oracle.h"
#include "tests/pipeline/pipeline_test_util.h"

namespace {

using pipeline_test::recompute_in_memory;

void set_points(const std::vector<std::array<int, 2>>& hundredths) {
  point_weights = lab_point_weight;
  for (double& w : lab_point_weight) w = 0.0;
  point_count = 0;
  for (const auto& h : hundredths) add_point(point_rec{h[0] / 100.0, h[1] / 100.0, 0.0, 1.0});
  recompute_in_memory();
}

TEST(LabSnap, GivesExactHundredthsOnTheStepsGridWithinTheSquare) {
  struct Case {
    double v;
    int step;
    double want;
  };
  const Case cases[] = {
      {0.13, 25, 0.25},   {0.12, 25, 0.0},    {-0.38, 25, -0.5}, {1.04, 10, 1.0},
      {1.06, 10, 1.1},    {-2.996, 1, -3.0},  {0.1049, 1, 0.1},  {3.2, 25, 3.0},
      {-3.3, 10, -3.0},   {2.874, 25, 2.75},  {0.015, 1, 0.02},  {-0.015, 1, -0.02},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.v) + " by " + std::to_string(c.step));
    EXPECT_EQ(c.want, lab_snap(c.v, c.step));
  }
  // Every snapped value is read by the engine as exactly a multiple of the
  // step in hundredths.
  std::mt19937 gen(4);
  std::uniform_real_distribution<double> any(-3.4, 3.4);
  for (int k = 0; k < 3000; ++k) {
    const int step = LAB_SNAP_STEPS[1 + k % 3];
    const double s = lab_snap(any(gen), step);
    const double h = exchange_hundredths(s);
    EXPECT_EQ(h, std::round(s * 100));
    EXPECT_EQ(0, static_cast<long long>(h) % step) << s;
    EXPECT_LE(std::fabs(s), 3.0);
  }
}

TEST(LabNearDegenerate, NamesSetsAHundredthOffALineOrACircleOnly) {
  struct Case {
    const char* what;
    std::vector<std::array<int, 2>> pts;
    const char* want;  // "" for no warning
  };
  const Case cases[] = {
      // Three in a row on the hull, with two more to have triangles.
      {"exactly in a row", {{-200, 0}, {0, 0}, {200, 0}, {0, 150}, {50, -180}}, ""},
      {"a hundredth off the row", {{-200, 0}, {0, 1}, {200, 0}, {0, 150}, {50, -180}},
       "points 0, 1 and 2 lie within 0.02 of one line but not on it (0.010 off)"},
      {"five hundredths off", {{-200, 0}, {0, 5}, {200, 0}, {0, 150}, {50, -180}}, ""},
      // Four on the circle of radius 1.5 and a fifth outside.
      {"exactly on a circle", {{150, 0}, {0, 150}, {-150, 0}, {0, -150}, {280, 280}}, ""},
      {"a hundredth off the circle", {{150, 0}, {0, 150}, {-150, 0}, {0, -149}, {280, 280}},
       "points 0, 1, 2 and 3 lie within 0.02 of one circle but not on it (0.010 off)"},
      {"three hundredths off", {{150, 0}, {0, 150}, {-150, 0}, {0, -147}, {280, 280}}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    set_points(c.pts);
    const std::vector<lab_triangle> tris = lab_shown_triangles(false);
    ASSERT_FALSE(tris.empty());
    const lab_near n = lab_find_near(tris);
    EXPECT_EQ(c.want, lab_near_text(n));
    // Not exactly on it, by the oracle.
    if (n.kind == lab_near::circle) {
      std::vector<delaunay_oracle::ipoint> q;
      for (int i : n.points) q.push_back({c.pts[i][0], c.pts[i][1]});
      if (delaunay_oracle::orient(q[0], q[1], q[2]) < 0) std::swap(q[1], q[2]);
      EXPECT_NE(0, delaunay_oracle::incircle(q[0], q[1], q[2], q[3]));
    }
    if (n.kind == lab_near::line) {
      EXPECT_NE(0, delaunay_oracle::orient({c.pts[n.points[0]][0], c.pts[n.points[0]][1]},
                                           {c.pts[n.points[1]][0], c.pts[n.points[1]][1]},
                                           {c.pts[n.points[2]][0], c.pts[n.points[2]][1]}));
    }
  }
}

TEST(LabZoom, KeepsThePointUnderThePointerAndTheViewInsideTheSquare) {
  lab_zoom z;
  double at[2];
  // At the whole square every pixel is zelmor's.
  for (int x : {0, 77, 270, 540}) {
    lab_zoom_plane(z, x, 541 - x, 541, 541, at);
    EXPECT_EQ(plane_coord(x, 541), at[0]);
    EXPECT_EQ(plane_coord(541 - x, 541), at[1]);
  }
  struct Step {
    double factor;
    int x, y;
  };
  const Step steps[] = {{4, 360, 320}, {2, 100, 500}, {1.25, 540, 0}, {0.5, 10, 10}, {64, 270, 270}};
  for (const Step& s : steps) {
    double before[2];
    lab_zoom_plane(z, s.x, s.y, 541, 541, before);
    lab_zoom_about(&z, s.factor, s.x, s.y, 541, 541);
    EXPECT_GE(z.scale, 1.0);
    EXPECT_LE(z.scale, LAB_ZOOM_MAX);
    // The view stays inside the square: its corners' pixels map inside.
    for (int corner : {0, 540}) {
      lab_zoom_plane(z, corner, corner, 541, 541, at);
      EXPECT_LE(std::fabs(at[0]), 3.0 + 1e-9);
      EXPECT_LE(std::fabs(at[1]), 3.0 + 1e-9);
    }
    // Where it was free to, the point under the pointer stayed there.
    lab_zoom_plane(z, s.x, s.y, 541, 541, at);
    const double room = 3.0 - 3.0 / z.scale;
    if (std::fabs(z.centre[0]) < room && std::fabs(z.centre[1]) < room) {
      EXPECT_NEAR(before[0], at[0], 1e-12);
      EXPECT_NEAR(before[1], at[1], 1e-12);
    }
  }
  // A pan of 90 pixels at 8x moves the picture by 90 * 6 / 541 / 8 units.
  z = lab_zoom{};
  lab_zoom_about(&z, 8, 270, 270, 541, 541);
  const double cx = z.centre[0];
  EXPECT_EQ(1, lab_zoom_pan(&z, 90, 0, 541, 541));
  EXPECT_NEAR(cx - plane_length_of_pixels(90) / 8, z.centre[0], 1e-12);
  // Out past the whole square: back to zelmor's view exactly.
  lab_zoom_about(&z, 1.0 / 100, 30, 30, 541, 541);
  EXPECT_TRUE(lab_zoom_whole(z));
}

TEST(LabPlaneViewState, ZoomCentreAndSnapGoThroughLessonLinesAndLinks) {
  lab_view_state s;
  s.plane_zoom = 23.84185791015625;  // 1.25^14: read back exactly
  s.plane_centre[0] = 1.0012;
  s.plane_centre[1] = -0.5431;
  s.snap = 10;
  lab_view_state back;
  ASSERT_GT(lab_read_view_lines(lab_view_lines(s), &back), 0);
  EXPECT_TRUE(back.has_plane);
  EXPECT_EQ(s.plane_zoom, back.plane_zoom);
  EXPECT_EQ(s.plane_centre[0], back.plane_centre[0]);
  EXPECT_EQ(s.plane_centre[1], back.plane_centre[1]);
  EXPECT_EQ(10, back.snap);
  std::vector<lab_point> pts;
  lab_view_state linked;
  std::string error;
  ASSERT_TRUE(lab_parse_fragment(lab_fragment({{0.5, 0.25, 0.0}}, s), &pts, &linked, &error)) << error;
  EXPECT_EQ(s.plane_zoom, linked.plane_zoom);
  EXPECT_EQ(s.plane_centre[1], linked.plane_centre[1]);
  EXPECT_EQ(10, linked.snap);
  // Refused: a zoom out of range, a centre off the square, a step the snap
  // does not have.
  for (const char* bad : {"% view: plane zoom=0.5\n", "% view: plane zoom=65\n",
                          "% view: plane centre=3.5,0\n", "% view: plane snap=5\n"}) {
    lab_view_state t;
    int refused = 0;
    lab_read_view_lines(bad, &t, &refused);
    EXPECT_EQ(1, refused) << bad;
    EXPECT_FALSE(t.has_plane) << bad;
  }
}

}  // namespace
