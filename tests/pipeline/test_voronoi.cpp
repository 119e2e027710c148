// The Voronoi edge of each Delaunay edge, as the 2D view draws it and the
// batch tool prints it: small cases with their edges written out, each also
// checked against the exact oracle.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "app/app.h"
#include "tests/pipeline/pipeline_test_util.h"

namespace {

using pipeline_test::pt;

struct drawn_edge {
  bool ray;  // a ray runs from its first point; a segment either way
  std::array<double, 4> xy;
};

std::vector<drawn_edge> drawn_now() {
  std::vector<drawn_edge> out;
  for (const dedge* e : pipeline_test::edges()) {
    double seg[4];
    if (!voronoi_edge(e, seg)) continue;
    const bool ray = !(is_delaunay_triangle(e->t0) && is_delaunay_triangle(e->t1));
    out.push_back({ray, {seg[0], seg[1], seg[2], seg[3]}});
  }
  return out;
}

bool same_edge(const drawn_edge& a, const drawn_edge& b) {
  auto eq = [](double x, double y) { return std::fabs(x - y) < 1e-12; };
  if (a.ray != b.ray) return false;
  const bool forward = eq(a.xy[0], b.xy[0]) && eq(a.xy[1], b.xy[1]) && eq(a.xy[2], b.xy[2]) && eq(a.xy[3], b.xy[3]);
  const bool backward = eq(a.xy[0], b.xy[2]) && eq(a.xy[1], b.xy[3]) && eq(a.xy[2], b.xy[0]) && eq(a.xy[3], b.xy[1]);
  return forward || (!a.ray && backward);
}

struct VoronoiCase {
  const char* what;
  std::vector<pt> points;
  std::vector<drawn_edge> want;  // empty: only the oracle's word
};

const VoronoiCase kCases[] = {
    {"square around the origin with its centre",
     {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {0, 0}},
     {{false, {1, 0, 0, 1}},
      {false, {0, 1, -1, 0}},
      {false, {-1, 0, 0, -1}},
      {false, {0, -1, 1, 0}},
      {true, {0, -1, 0, -3}},
      {true, {1, 0, 3, 0}},
      {true, {0, 1, 0, 3}},
      {true, {-1, 0, -3, 0}}}},
    {"the same square in a corner: rays still point out of the hull, not away from the origin",
     {{1.5, 1.5}, {2.5, 1.5}, {2.5, 2.5}, {1.5, 2.5}, {2, 2}},
     {{false, {2.5, 2, 2, 2.5}},
      {false, {2, 2.5, 1.5, 2}},
      {false, {1.5, 2, 2, 1.5}},
      {false, {2, 1.5, 2.5, 2}},
      {true, {2, 1.5, 2, -3}},
      {true, {2.5, 2, 3, 2}},
      {true, {2, 2.5, 2, 3}},
      {true, {1.5, 2, -3, 2}}}},
    {"a short hull edge: its ray still reaches the border",
     {{-2, -2}, {2, -2}, {0.02, 2}, {0, 2}, {0, 0}},
     {}},
    {"an obtuse boundary triangle whose circumcentre lies far below the view",
     {{-2, 0}, {2, 0}, {0, 0.05}, {0, 2}, {-0.5, 1}},
     {}},
    {"outer boundary a triangle, two points inside",
     {{-2, -1.5}, {2, -1.5}, {0, 2}, {0, 0}, {0.4, -0.6}},
     {}},
    {"points all in one corner",
     {{2, 2}, {2.8, 2.1}, {2.3, 2.9}, {2.6, 2.5}, {2.1, 2.6}, {2.45, 2.2}},
     {}},
    {"points far apart beyond the view", {{-2.99, -2.99}, {2.99, -2.99}, {0, 2.99}, {0, -2.9}, {3.00555, 3.00555}}, {}},
};

class VoronoiEdge : public pipeline_test::in_temp_dir {};

TEST_F(VoronoiEdge, SmallCases) {
  for (const VoronoiCase& c : kCases) {
    SCOPED_TRACE(c.what);
    pipeline_test::edit_and_recompute(c.points);
    EXPECT_EQ("", pipeline_test::mismatch_with_oracle());
    if (c.want.empty()) continue;
    const std::vector<drawn_edge> got = drawn_now();
    EXPECT_EQ(c.want.size(), got.size());
    for (const drawn_edge& w : c.want) {
      EXPECT_TRUE(std::any_of(got.begin(), got.end(), [&](const drawn_edge& g) { return same_edge(w, g); }))
          << (w.ray ? "ray " : "segment ") << w.xy[0] << " " << w.xy[1] << " " << w.xy[2] << " " << w.xy[3];
    }
  }
}

TEST_F(VoronoiEdge, UpperTriangleIsNoVoronoiVertex) {
  // The outer boundary is a triangle: its upper facet borders three
  // Delaunay edges (edge count 3) but the three rays must not end at its
  // circumcentre.
  pipeline_test::edit_and_recompute({{-2, -1.5}, {2, -1.5}, {0, 2}, {0, -0.4}, {0.1, 0.1}});
  const dtri* upper = nullptr;
  for (const dtri* t : pipeline_test::triangles()) {
    if (t->face_normal[2] > 0.0f) upper = t;
  }
  ASSERT_NE(nullptr, upper);
  ASSERT_EQ(3, upper->edge_count);
  int rays = 0;
  for (const dedge* e : pipeline_test::edges()) {
    double seg[4];
    if (e->t0 != upper && e->t1 != upper) continue;
    ASSERT_TRUE(voronoi_edge(e, seg));
    ++rays;
    EXPECT_FALSE(seg[2] == upper->cc[0] && seg[3] == upper->cc[1]);
    EXPECT_TRUE(std::fabs(seg[2]) == 3.0 || std::fabs(seg[3]) == 3.0) << "ends on the border";
  }
  EXPECT_EQ(3, rays);
}

TEST_F(VoronoiEdge, ShortHullEdgeRayEndsOnTheBorder) {
  pipeline_test::edit_and_recompute({{-2, -2}, {2, -2}, {0.02, 2}, {0, 2}, {0, 0}});
  for (const dedge* e : pipeline_test::edges()) {
    const int i = pipeline_test::index_of(e->a), j = pipeline_test::index_of(e->b);
    if (std::min(i, j) != 2 || std::max(i, j) != 3) continue;
    double seg[4];
    ASSERT_TRUE(voronoi_edge(e, seg));
    EXPECT_DOUBLE_EQ(0.01, seg[0]);  // on the edge's bisector
    EXPECT_DOUBLE_EQ(0.01, seg[2]);
    EXPECT_EQ(3.0, seg[3]);  // up and out, to the top of the view
    return;
  }
  FAIL() << "no edge 2-3";
}

TEST_F(VoronoiEdge, RayFromAFarCircumcentreMovingAwayDrawsNothing) {
  pipeline_test::edit_and_recompute({{-2, 0}, {2, 0}, {0, 0.05}, {0, 2}, {-0.5, 1}});
  bool seen = false;
  for (const dedge* e : pipeline_test::edges()) {
    const int i = pipeline_test::index_of(e->a), j = pipeline_test::index_of(e->b);
    if (std::min(i, j) != 0 || std::max(i, j) != 1) continue;
    seen = true;
    const dtri* t = is_delaunay_triangle(e->t0) ? e->t0 : e->t1;
    EXPECT_DOUBLE_EQ(-39.975, t->cc[1]);
    double seg[4];
    EXPECT_EQ(0, voronoi_edge(e, seg));
  }
  EXPECT_TRUE(seen);
}

TEST(VoronoiEdgeRecords, EdgesWithoutADelaunayTriangleHaveNone) {
  dtri up{};
  up.face_normal[2] = 1.0f;
  dtri flat{};
  flat.face_normal[0] = 1.0f;
  dedge e{&point_table[0], &point_table[1], &up, &flat};
  double seg[4];
  EXPECT_EQ(0, voronoi_edge(&e, seg));
  e.t1 = nullptr;
  EXPECT_EQ(0, voronoi_edge(&e, seg));
  EXPECT_EQ(0, voronoi_edge(nullptr, seg));
}

}  // namespace
