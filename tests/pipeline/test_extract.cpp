// The extraction: records from facets, shared edges, normals, pruning,
// circumcentres and edge counts, on hand-built facets and on the small
// examples through recompute.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <set>
#include <vector>

#include "app/app.h"
#include "hull/hull.h"
#include "tests/pipeline/pipeline_test_util.h"

namespace {

using pipeline_test::edges;
using pipeline_test::in_temp_dir;
using pipeline_test::index_of;
using pipeline_test::triangles;

double fake_sites[MAX_POINTS * 3];
int fake_num(double* s) { return static_cast<int>((s - fake_sites) / 3); }

class HandBuilt : public in_temp_dir {
 protected:
  void SetUp() override {
    in_temp_dir::SetUp();
    saved_num_ = site_num;
    site_num = fake_num;
    pipeline_test::set_points({{0, 0}, {2, 0}, {0, 2}, {2, 2}, {1, 3}});
  }
  void TearDown() override {
    site_num = saved_num_;
    in_temp_dir::TearDown();
  }
  static dtri* blank_triangle() {
    auto* t = static_cast<dtri*>(std::calloc(1, sizeof(dtri)));
    rec_list_append(tri_list, t);  // released with the lists
    return t;
  }
  static void facet(int i, int j, int k) {
    double* v[3] = {&fake_sites[3 * i], &fake_sites[3 * j], &fake_sites[3 * k]};
    make_triangle(v, 3, nullptr, 0);
  }
  site_num_f saved_num_ = nullptr;
};

TEST_F(HandBuilt, FindOrAddEdgeCreatesOnceAndCompletesWithTheSecondTriangle) {
  dtri* a = blank_triangle();
  dtri* b = blank_triangle();
  dedge* e01 = find_or_add_edge(0, 1, a);
  EXPECT_EQ(&point_table[0], e01->a);
  EXPECT_EQ(&point_table[1], e01->b);
  EXPECT_EQ(a, e01->t0);
  EXPECT_EQ(nullptr, e01->t1);
  dedge* e12 = find_or_add_edge(1, 2, a);
  EXPECT_NE(e01, e12);
  EXPECT_EQ(e01, find_or_add_edge(1, 0, b));  // (b, a) names the same edge
  EXPECT_EQ(b, e01->t1);
  EXPECT_EQ(&point_table[0], e01->a);  // the creating order stays
  const std::vector<const dedge*> list = edges();
  ASSERT_EQ(2u, list.size());
  EXPECT_EQ(e01, list[0]);
  EXPECT_EQ(e12, list[1]);
}

TEST_F(HandBuilt, FindOrAddEdgeTakesTheFirstMatchFromTheHeadLikeAWalk) {
  dtri* a = blank_triangle();
  dtri* b = blank_triangle();
  find_or_add_edge(0, 1, a);
  // Records put into the list by hand are found as a walk from the head
  // would find them: the first of two equal pairs wins.
  auto* first = static_cast<dedge*>(std::calloc(1, sizeof(dedge)));
  auto* second = static_cast<dedge*>(std::calloc(1, sizeof(dedge)));
  *first = dedge{&point_table[3], &point_table[2], a, nullptr};
  *second = dedge{&point_table[2], &point_table[3], a, nullptr};
  rec_list_append(edge_list, first);
  rec_list_append(edge_list, second);
  EXPECT_EQ(first, find_or_add_edge(2, 3, b));
  EXPECT_EQ(b, first->t1);
  EXPECT_EQ(nullptr, second->t1);
  // After the lists are reset nothing old is found.
  reset_record_lists();
  dtri* c = blank_triangle();
  dedge* fresh = find_or_add_edge(2, 3, c);
  EXPECT_EQ(c, fresh->t0);
  EXPECT_EQ(nullptr, fresh->t1);
  EXPECT_EQ(1u, edges().size());
}

TEST_F(HandBuilt, MakeTriangleNamesEdgesInVertexOrderAndTheFirstTriangleOwnsThem) {
  facet(0, 1, 2);
  facet(2, 1, 3);
  const std::vector<const dtri*> tris = triangles();
  ASSERT_EQ(2u, tris.size());
  const dtri* t = tris[0];
  const dtri* u = tris[1];
  EXPECT_EQ(&point_table[0], t->v[0]);
  EXPECT_EQ(&point_table[1], t->v[1]);
  EXPECT_EQ(&point_table[2], t->v[2]);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(CC_UNSET, t->cc[k]);
    const dedge* e = t->e[k];
    const std::set<const point_rec*> ends = {e->a, e->b};
    EXPECT_EQ((std::set<const point_rec*>{t->v[k], t->v[(k + 1) % 3]}), ends) << "e[" << k << "]";
  }
  EXPECT_EQ(0, t->edge_count);
  // The shared edge 1-2 was made by t (a = 1, b = 2) and completed by u.
  EXPECT_EQ(t->e[1], u->e[0]);
  EXPECT_EQ(t, t->e[1]->t0);
  EXPECT_EQ(u, t->e[1]->t1);
  EXPECT_EQ(&point_table[1], t->e[1]->a);
  EXPECT_EQ(5u, edges().size());
}

TEST_F(HandBuilt, MakeTriangleIgnoresFacetsWithoutThreeVerticesOrOutsideTheTable) {
  double* two[2] = {&fake_sites[0], &fake_sites[3]};
  make_triangle(two, 2, nullptr, 0);         // a hull of two dimensions hands over edges
  make_triangle(nullptr, 0, stdout, -1);     // prologue and epilogue calls only note the stream
  facet(0, 1, point_count);                  // a site the tables do not have
  double* neg[3] = {&fake_sites[0], &fake_sites[3], nullptr};
  site_num = [](double* s) { return s == nullptr ? -2 : static_cast<int>((s - fake_sites) / 3); };
  make_triangle(neg, 3, nullptr, 0);
  EXPECT_TRUE(triangles().empty());
  EXPECT_TRUE(edges().empty());
}

struct CcCase {
  const char* what;
  pipeline_test::pt p, q, r;
  double cx, cy;  // NAN: no circumcentre
};
const CcCase kCc[] = {
    {"the right triangle of the examples", {0, 0}, {2, 0}, {0, 2}, 1.0, 1.0},
    {"vertex order does not matter", {0, 2}, {0, 0}, {2, 0}, 1.0, 1.0},
    {"an obtuse triangle has its centre outside", {-2, 0}, {2, 0}, {0, 0.05}, 0.0, -39.975},
    {"hundredths", {0.01, 0}, {0, 0.01}, {0, 0}, 0.005, 0.005},
    {"collinear points have none", {-1, 0}, {0, 0}, {2, 0}, NAN, NAN},
    {"points that coincide after rounding have none", {0.001, 0}, {0.002, 0}, {1, 1}, NAN, NAN},
};

TEST_F(HandBuilt, ComputeCircumcentreOfTheProjection) {
  for (const CcCase& c : kCc) {
    SCOPED_TRACE(c.what);
    pipeline_test::set_points({c.p, c.q, c.r});
    dtri t{};
    for (int k = 0; k < 3; ++k) t.v[k] = &point_table[k];
    compute_circumcentre(&t);
    if (std::isnan(c.cx)) {
      EXPECT_EQ(CC_UNSET, t.cc[0]);
      EXPECT_EQ(CC_UNSET, t.cc[1]);
      EXPECT_EQ(CC_UNSET, t.cc[2]);
    } else {
      EXPECT_DOUBLE_EQ(c.cx, t.cc[0]);
      EXPECT_DOUBLE_EQ(c.cy, t.cc[1]);
      EXPECT_EQ(0.0, t.cc[2]);
    }
  }
}

TEST_F(HandBuilt, TrianglesOnOneCircleGetBitIdenticalCentres) {
  // Eight points on the circle of radius 2.5 around (0.37, -0.41).
  const double ox = 0.37, oy = -0.41;
  const double d[8][2] = {{2.5, 0}, {1.5, 2}, {-0.7, 2.4}, {-2, 1.5}, {-2.5, 0}, {-2.4, -0.7}, {0, -2.5}, {2, -1.5}};
  std::vector<pipeline_test::pt> pts;
  for (const auto& v : d) pts.push_back({ox + v[0], oy + v[1]});
  pipeline_test::set_points(pts);
  dtri first{};
  for (int i = 0; i < 8; ++i) {
    for (int j = i + 1; j < 8; ++j) {
      for (int k = j + 1; k < 8; ++k) {
        dtri t{};
        t.v[0] = &point_table[i];
        t.v[1] = &point_table[j];
        t.v[2] = &point_table[k];
        compute_circumcentre(&t);
        if (i == 0 && j == 1 && k == 2) first = t;
        ASSERT_EQ(first.cc[0], t.cc[0]);
        ASSERT_EQ(first.cc[1], t.cc[1]);
      }
    }
  }
  EXPECT_DOUBLE_EQ(ox, first.cc[0]);
  EXPECT_DOUBLE_EQ(oy, first.cc[1]);
}

// ---------------------------------------------------------------------------
// Through recompute
// ---------------------------------------------------------------------------

class Extraction : public in_temp_dir {};

// Invariants every recomputation leaves behind.
void expect_record_invariants() {
  const std::vector<const dtri*> tris = triangles();
  const std::vector<const dedge*> list = edges();
  for (const dtri* t : tris) {
    const double len = std::sqrt(double(t->face_normal[0]) * t->face_normal[0] +
                                 double(t->face_normal[1]) * t->face_normal[1] +
                                 double(t->face_normal[2]) * t->face_normal[2]);
    EXPECT_NEAR(1.0, len, 1e-6);
    int named = 0;
    for (const dedge* e : list) named += (e->t0 == t) + (e->t1 == t);
    EXPECT_EQ(named, t->edge_count);
    if (is_delaunay_triangle(t)) {
      EXPECT_EQ(3, t->edge_count);
      EXPECT_TRUE(std::isfinite(t->cc[0]) && std::isfinite(t->cc[1]) && t->cc[0] != CC_UNSET);
    }
    for (const point_rec* v : t->v) EXPECT_TRUE(index_of(v) >= 0 && index_of(v) < point_count);
  }
  for (const dedge* e : list) {
    ASSERT_NE(nullptr, e->t0);
    ASSERT_NE(nullptr, e->t1);
    EXPECT_TRUE(is_delaunay_triangle(e->t0) || is_delaunay_triangle(e->t1));
    for (const dtri* t : {e->t0, e->t1}) {
      const std::set<const point_rec*> vs(t->v, t->v + 3);
      EXPECT_TRUE(vs.count(e->a) && vs.count(e->b));
    }
  }
}

TEST_F(Extraction, SquareCornersAndCentre) {
  pipeline_test::edit_and_recompute({{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {0, 0}});
  EXPECT_EQ(0, need_recompute);
  int lower = 0, upper = 0;
  for (const dtri* t : triangles()) {
    if (t->face_normal[2] > 0.0f) {
      ++upper;
    } else {
      ++lower;
      EXPECT_EQ(3, t->edge_count);
      const std::set<int> vs = {index_of(t->v[0]), index_of(t->v[1]), index_of(t->v[2])};
      EXPECT_EQ(1u, vs.count(4)) << "every lower triangle surrounds the centre point";
    }
  }
  EXPECT_EQ(4, lower);
  EXPECT_EQ(2, upper);  // the square's top, cut by one diagonal
  std::set<std::pair<int, int>> want = {{0, 1}, {1, 2}, {2, 3}, {0, 3}, {0, 4}, {1, 4}, {2, 4}, {3, 4}};
  std::set<std::pair<int, int>> got;
  for (auto [i, j] : pipeline_test::index_edges()) got.insert({std::min(i, j), std::max(i, j)});
  EXPECT_EQ(want, got);
  expect_record_invariants();
}

TEST_F(Extraction, TriangleWithTwoPointsInsideGivesTheUpperTriangleThreeEdges) {
  pipeline_test::edit_and_recompute({{-2, -1.5}, {2, -1.5}, {0, 2}, {0, 0}, {0.4, -0.6}});
  int upper = 0;
  for (const dtri* t : triangles()) {
    if (t->face_normal[2] > 0.0f) {
      ++upper;
      EXPECT_EQ(3, t->edge_count);
      EXPECT_FALSE(is_delaunay_triangle(t));
    }
  }
  EXPECT_EQ(1, upper);
  EXPECT_EQ("", pipeline_test::oracle_of_table().check(pipeline_test::delaunay_index_triangles(),
                                                      pipeline_test::index_edges()));
  expect_record_invariants();
}

TEST_F(Extraction, CollinearBoundaryPointsGiveVerticalFacetsThatAreNoTriangles) {
  // Five points on one pixel row along the bottom of the set: the lift
  // stands vertical facets on them.
  pipeline_test::edit_and_recompute({{-2, -1}, {-1, -1}, {0, -1}, {1, -1}, {2, -1}, {0.3, 1.5}, {-0.8, 0.9}});
  int vertical = 0;
  for (const dtri* t : triangles()) {
    for (float f : t->face_normal) EXPECT_TRUE(std::isfinite(f));
    if (t->face_normal[2] == 0.0f) {
      ++vertical;
      EXPECT_EQ(CC_UNSET, t->cc[0]);  // no circumcentre, never a non-finite one
    }
    EXPECT_TRUE(std::isfinite(t->cc[0]) && std::isfinite(t->cc[1]));
  }
  EXPECT_EQ(3, vertical);  // five collinear points: a vertical pentagon, three triangles
  std::set<std::pair<int, int>> got;
  for (auto [i, j] : pipeline_test::index_edges()) got.insert({std::min(i, j), std::max(i, j)});
  for (int i = 0; i < 4; ++i) EXPECT_EQ(1u, got.count({i, i + 1})) << "row edge " << i;
  for (int i = 0; i < 5; ++i) {
    for (int j = i + 2; j < 5; ++j) EXPECT_EQ(0u, got.count({i, j})) << "long edge " << i << "-" << j;
  }
  EXPECT_EQ("", pipeline_test::oracle_of_table().check(pipeline_test::delaunay_index_triangles(),
                                                      pipeline_test::index_edges()));
  expect_record_invariants();
}

TEST_F(Extraction, AHullOfFewerThanThreeDimensionsGivesNoRecords) {
  const std::vector<std::vector<pipeline_test::pt>> flat_sets = {
      {{-2, 0.5}, {-1, 0.5}, {0, 0.5}, {1.5, 0.5}, {2.5, 0.5}},           // one pixel row
      {{-1, -1}, {0, 0}, {1, 1}, {2, 2}, {-2.5, -2.5}, {0.5, 0.5}},       // a slanted line
      {{2.5, 0}, {1.5, 2}, {-0.7, 2.4}, {-2, -1.5}, {0, -2.5}, {2.4, -0.7}},  // one circle
      {{1, 1}, {1, 1}, {1.001, 1.002}, {2, 2}, {2, 2}},                    // two points after rounding
  };
  for (const auto& pts : flat_sets) {
    // Records of an earlier set must not survive either.
    pipeline_test::edit_and_recompute({{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {0, 0}});
    ASSERT_FALSE(triangles().empty());
    pipeline_test::edit_and_recompute(pts);
    EXPECT_TRUE(triangles().empty());
    EXPECT_TRUE(edges().empty());
  }
}

TEST_F(Extraction, EveryPointOfATightClusterStaysAVertex) {
  // Points 0.01 to 0.03 apart: with heights rounded on their own, most of
  // them ended up above the lower hull.
  std::vector<pipeline_test::pt> pts;
  for (int i = 0; i < 6; ++i) {
    for (int j = 0; j < 6; ++j) pts.push_back({1.0 + 0.01 * i + 0.002 * j, -0.5 + 0.013 * j});
  }
  pipeline_test::edit_and_recompute(pts);
  std::set<int> vertices;
  for (const dtri* t : triangles()) {
    if (!is_delaunay_triangle(t)) continue;
    for (const point_rec* v : t->v) vertices.insert(index_of(v));
  }
  EXPECT_EQ(pts.size(), vertices.size());
  EXPECT_EQ("", pipeline_test::oracle_of_table().check(pipeline_test::delaunay_index_triangles(),
                                                      pipeline_test::index_edges()));
}

TEST_F(Extraction, NormalsPointOutOfTheHull) {
  pipeline_test::edit_and_recompute({{-2, -2}, {2.5, -1}, {1, 2.2}, {-1.5, 1.8}, {0.2, 0.1}, {0.9, -0.7}});
  // Every lifted point lies on the inner side of every facet's plane.
  for (const dtri* t : triangles()) {
    const point_rec& a = *t->v[0];
    for (int i = 0; i < point_count; ++i) {
      const point_rec& p = point_table[i];
      const double s = (p.x - a.x) * t->face_normal[0] + (p.y - a.y) * t->face_normal[1] +
                       (p.z - a.z) * t->face_normal[2];
      EXPECT_LE(s, 1e-5);
    }
    // The reference point lies strictly inside.
    const double c = (hull_centre[0] - a.x) * t->face_normal[0] + (hull_centre[1] - a.y) * t->face_normal[1] +
                     (hull_centre[2] - a.z) * t->face_normal[2];
    EXPECT_LT(c, -1e-3);
  }
  expect_record_invariants();
}

}  // namespace
