// Circles held, the counter-example and the smallest angle without a
// display, against the exact oracles: the lift predicate, every flip of
// random sets (the fourth point inside the circle and below the plane, the
// flipped triangulation refused), the held circles following their
// triangle, and the smallest angle against a comparison of squared cosines.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "lab/circles_logic.h"
#include "lab/lab.h"
#include "tests/support/delaunay_oracle.h"
#include "tests/support/regular_oracle.h"
#include "tests/pipeline/pipeline_test_util.h"

namespace {

using delaunay_oracle::ipoint;
using regular_oracle::wpoint;

using pipeline_test::recompute_in_memory;

// Points in whole hundredths (and weights in square hundredths), then the
// engine's triangulation of them.
void set_points(const std::vector<wpoint>& pts) {
  point_weights = lab_point_weight;
  point_count = 0;
  for (size_t i = 0; i < pts.size(); ++i) {
    lab_point_weight[i] = static_cast<double>(pts[i].w) * 1e-4;
    add_point(point_rec{pts[i].x / 100.0, pts[i].y / 100.0, 0.0, 1.0});
  }
  recompute_in_memory();
}

std::vector<wpoint> random_points(std::mt19937& gen, int n, int range) {
  std::uniform_int_distribution<int> coord(-range, range);
  std::vector<wpoint> pts;
  while (static_cast<int>(pts.size()) < n) {
    const wpoint p{coord(gen), coord(gen), 0};
    if (std::none_of(pts.begin(), pts.end(), [&](const wpoint& q) { return q.x == p.x && q.y == p.y; }))
      pts.push_back(p);
  }
  return pts;
}

std::vector<std::pair<int, int>> edges_of(const std::vector<lab_triangle>& tris) {
  std::vector<std::pair<int, int>> e;
  for (const auto& t : tris)
    for (int k = 0; k < 3; ++k)
      e.push_back({std::min(t[k], t[(k + 1) % 3]), std::max(t[k], t[(k + 1) % 3])});
  std::sort(e.begin(), e.end());
  e.erase(std::unique(e.begin(), e.end()), e.end());
  return e;
}

ipoint ip(const std::vector<wpoint>& pts, int i) { return {pts[i].x, pts[i].y}; }

// d inside the circle of t, by the oracle (t put counter-clockwise first).
int oracle_incircle(const std::vector<wpoint>& pts, lab_triangle t, int d) {
  if (delaunay_oracle::orient(ip(pts, t[0]), ip(pts, t[1]), ip(pts, t[2])) < 0) std::swap(t[1], t[2]);
  return delaunay_oracle::incircle(ip(pts, t[0]), ip(pts, t[1]), ip(pts, t[2]), ip(pts, d));
}

int oracle_below(const std::vector<wpoint>& pts, lab_triangle t, int d) {
  if (delaunay_oracle::orient(ip(pts, t[0]), ip(pts, t[1]), ip(pts, t[2])) < 0) std::swap(t[1], t[2]);
  return regular_oracle::below(pts[t[0]], pts[t[1]], pts[t[2]], pts[d]);
}

// --- the lift predicate --------------------------------------------------------------

TEST(LabLiftBelow, AgreesWithTheRegularOracleOnWeightedAndCocircularSets) {
  std::mt19937 gen(11);
  std::uniform_int_distribution<int> coord(-300, 300), weight(0, 90000);
  // Fixed cases: on a circle (0), just inside, just outside, far corners.
  std::vector<std::vector<wpoint>> sets = {
      {{100, 0, 0}, {0, 100, 0}, {-100, 0, 0}, {0, -100, 0}},
      {{100, 0, 0}, {0, 100, 0}, {-100, 0, 0}, {0, -99, 0}},
      {{100, 0, 0}, {0, 100, 0}, {-100, 0, 0}, {0, -101, 0}},
      {{300, 300, 0}, {-300, 300, 0}, {-300, -300, 0}, {299, -300, 0}},
      {{100, 0, 0}, {0, 100, 0}, {-100, 0, 0}, {0, -100, 1}},
      {{100, 0, 0}, {0, 100, 0}, {-100, 0, 0}, {0, -100, -1 + 1}},
  };
  for (int r = 0; r < 300; ++r) {
    std::vector<wpoint> s;
    for (int k = 0; k < 4; ++k) s.push_back({coord(gen), coord(gen), r % 2 ? weight(gen) : 0});
    sets.push_back(s);
  }
  int checked = 0;
  for (const auto& s : sets) {
    set_points(s);
    if (lab_orient(0, 1, 2) == 0) continue;
    for (const lab_triangle& t : {lab_triangle{0, 1, 2}, lab_triangle{0, 2, 1}, lab_triangle{2, 1, 0}}) {
      EXPECT_EQ(oracle_below(s, {0, 1, 2}, 3), lab_lift_below(t[0], t[1], t[2], 3));
      if (s[0].w == 0 && s[1].w == 0 && s[2].w == 0 && s[3].w == 0) {
        EXPECT_EQ(oracle_incircle(s, {0, 1, 2}, 3), lab_lift_below(t[0], t[1], t[2], 3));
      }
    }
    ++checked;
  }
  EXPECT_GT(checked, 250);
}

// --- the counter-example -----------------------------------------------------------

TEST(LabCounterExample, EveryFlipPutsTheFourthPointInsideTheCircleAndBelowThePlane) {
  std::mt19937 gen(5);
  int flips = 0, refused = 0;
  for (int round = 0; round < 12; ++round) {
    const std::vector<wpoint> pts = random_points(gen, 6 + round * 3, 290);
    set_points(pts);
    const std::vector<lab_triangle> tris = lab_shown_triangles(false);
    regular_oracle::oracle oracle(pts);
    ASSERT_EQ("", oracle.check(tris, edges_of(tris))) << "round " << round;
    for (const auto& e : edges_of(tris)) {
      // The pointer a little off the edge's middle, into one side.
      const double mx = (plane_table[e.first].x + plane_table[e.second].x) / 2;
      const double my = (plane_table[e.first].y + plane_table[e.second].y) / 2;
      const int side = lab_triangle_at(tris, mx, my);
      if (side < 0) continue;
      const lab_triangle& t = tris[static_cast<size_t>(side)];
      const int other = t[0] + t[1] + t[2] - e.first - e.second;
      const double px = mx + (plane_table[other].x - mx) * 0.01;
      const double py = my + (plane_table[other].y - my) * 0.01;
      lab_counter_example ce;
      std::string why;
      if (!lab_flip_at(tris, px, py, &ce, &why)) {
        // Refused only on the hull or for a quadrilateral that is not convex.
        const bool hull = std::count_if(tris.begin(), tris.end(), [&](const lab_triangle& u) {
                            return std::count(u.begin(), u.end(), e.first) +
                                       std::count(u.begin(), u.end(), e.second) == 2;
                          }) < 2;
        if (!hull) {
          EXPECT_NE(std::string::npos, why.find("no convex")) << why;
        }
        ++refused;
        continue;
      }
      if (std::make_pair(ce.a, ce.b) != e) continue;  // the pointer was nearer another edge
      ++flips;
      EXPECT_EQ(ce.offending, std::count(ce.shown.begin(), ce.shown.end(), ce.a) ? ce.b : ce.a);
      // Random points are rarely cocircular; where they are, both agree on 0.
      EXPECT_EQ(oracle_incircle(pts, ce.shown, ce.offending), ce.below);
      EXPECT_EQ(oracle_below(pts, ce.shown, ce.offending), ce.below);
      EXPECT_GE(ce.below, 0);
      const std::vector<lab_triangle> flipped = lab_flipped(tris, ce);
      EXPECT_EQ(tris.size(), flipped.size());
      if (ce.below > 0) {
        EXPECT_NE("", oracle.check(flipped, edges_of(flipped)));
      }
      // Flipping the new edge back gives the Delaunay triangulation again.
      lab_counter_example back = ce;
      std::swap(back.a, back.c);
      std::swap(back.b, back.d);
      EXPECT_EQ(tris, lab_flipped(flipped, back));
      EXPECT_TRUE(lab_counter_example_holds(tris, &ce));
      EXPECT_NE(std::string::npos,
                lab_counter_example_text(ce).find("point " + std::to_string(ce.offending) +
                                                  " lies inside this circle: below this plane"));
    }
  }
  EXPECT_GT(flips, 100);
  EXPECT_GT(refused, 10);
}

TEST(LabCounterExample, TheLessonsFourPointsAndTheRefusals) {
  // A kite: 0-1 is the Delaunay edge, 2 and 3 on either side; the pointer
  // near 0-1 on 2's side.
  set_points({{-100, 0, 0}, {100, 0, 0}, {0, 200, 0}, {0, -200, 0}, {290, 0, 0}});
  const std::vector<lab_triangle> tris = lab_shown_triangles(false);
  lab_counter_example ce;
  std::string why;
  ASSERT_TRUE(lab_flip_at(tris, 0.3, 0.05, &ce, &why)) << why;
  EXPECT_EQ(0, ce.a);
  EXPECT_EQ(1, ce.b);
  EXPECT_EQ(2, ce.c);
  EXPECT_EQ(3, ce.d);
  EXPECT_EQ((lab_triangle{1, 2, 3}), ce.shown);  // the pointer lies right of 2-3
  EXPECT_EQ(0, ce.offending);
  EXPECT_EQ(1, ce.below);
  EXPECT_EQ("point 0 lies inside this circle: below this plane (0-1 flipped to 2-3)",
            lab_counter_example_text(ce));
  // Outside every triangle, and a hull triangle's only free edges.
  EXPECT_FALSE(lab_flip_at(tris, 2.9, 2.9, &ce, &why));
  EXPECT_NE(std::string::npos, why.find("no Delaunay triangle"));
  // A point moved so that 0-1 is no longer an edge: the example lapses.
  ASSERT_TRUE(lab_flip_at(tris, 0.3, 0.05, &ce, &why));
  plane_table[3].y = -0.2;
  point_table[3].y = -0.2;
  recompute_in_memory();
  EXPECT_FALSE(lab_counter_example_holds(lab_shown_triangles(false), &ce));
}

TEST(LabCounterExample, ANonConvexQuadrilateralIsRefused) {
  // Point 3 inside the triangle 0, 1, 2: the quadrilateral around 3-0 (or
  // 3-1, 3-2) has 3 at a reflex corner, so the new edge would miss the old.
  set_points({{-250, -200, 0}, {250, -200, 0}, {0, 250, 0}, {0, 0, 0}, {0, -280, 0}});
  const std::vector<lab_triangle> tris = lab_shown_triangles(false);
  int refusals = 0;
  for (const auto& e : edges_of(tris)) {
    const double mx = (plane_table[e.first].x + plane_table[e.second].x) / 2;
    const double my = (plane_table[e.first].y + plane_table[e.second].y) / 2;
    lab_counter_example ce;
    std::string why;
    if (!lab_flip_at(tris, mx, my, &ce, &why) && why.find("no convex") != std::string::npos)
      ++refusals;
  }
  EXPECT_GE(refusals, 1);
}

// --- circles held ------------------------------------------------------------------

TEST(LabPinnedCircles, HeldFollowAndAreLetGoWhenTheirTriangleGoes) {
  lab_pins_clear();
  set_points({{-200, -100, 0}, {200, -100, 0}, {0, 200, 0}, {0, -50, 0}, {-250, 150, 0}});
  const std::vector<lab_triangle> tris = lab_shown_triangles(false);
  ASSERT_FALSE(tris.empty());
  auto centroid = [](const lab_triangle& t, int axis) {
    double s = 0;
    for (int k : t) s += axis == 0 ? plane_table[k].x : plane_table[k].y;
    return s / 3;
  };
  for (const auto& t : tris) EXPECT_EQ(1, lab_pin_at(centroid(t, 0), centroid(t, 1), false));
  ASSERT_EQ(tris.size(), lab_pinned().size());
  for (size_t k = 0; k < tris.size(); ++k) {
    EXPECT_EQ(tris[k], lab_pinned()[k].corner);
    EXPECT_EQ(static_cast<int>(k), lab_pinned()[k].colour);
  }
  // A click on a held circle's triangle lets it go; its colour is free again.
  EXPECT_EQ(-1, lab_pin_at(centroid(tris[0], 0), centroid(tris[0], 1), false));
  EXPECT_EQ(tris.size() - 1, lab_pinned().size());
  EXPECT_EQ(1, lab_pin_at(centroid(tris[0], 0), centroid(tris[0], 1), false));
  EXPECT_EQ(0, lab_pinned().back().colour);
  // A small move keeps every triangle: every circle is kept.
  plane_table[3].y = -0.4;
  point_table[3].y = -0.4;
  recompute_in_memory();
  EXPECT_EQ(0, lab_pins_follow());
  EXPECT_EQ(tris.size(), lab_pinned().size());
  // Point 3 moved out past 0-1: the triangles on it go, and so do their circles.
  plane_table[3].y = -2.5;
  point_table[3].y = -2.5;
  recompute_in_memory();
  const int dropped = lab_pins_follow();
  EXPECT_GT(dropped, 0);
  EXPECT_NE(std::string::npos, std::string(lab_status_text()).find("that triangle is gone"));
  const std::vector<lab_triangle> now = lab_shown_triangles(false);
  for (const auto& p : lab_pinned()) EXPECT_TRUE(std::binary_search(now.begin(), now.end(), p.corner));
  const int held = static_cast<int>(lab_pinned().size());
  EXPECT_GT(held, 0);
  EXPECT_EQ(held, lab_pins_clear());
  EXPECT_TRUE(lab_pinned().empty());
  // Nothing under the click.
  EXPECT_EQ(0, lab_pin_at(2.95, 2.95, false));
}

TEST(LabPinnedCircles, FurthestSiteCirclesHoldEveryPoint) {
  lab_pins_clear();
  std::mt19937 gen(3);
  const std::vector<wpoint> pts = random_points(gen, 9, 280);
  set_points(pts);
  const std::vector<lab_triangle> far = lab_shown_triangles(true);
  ASSERT_FALSE(far.empty());
  for (const auto& t : far) {
    double cx = 0, cy = 0;
    for (int k : t) {
      cx += plane_table[k].x / 3;
      cy += plane_table[k].y / 3;
    }
    ASSERT_EQ(1, lab_pin_at(cx, cy, true));
    for (int i = 0; i < static_cast<int>(pts.size()); ++i)
      if (std::count(t.begin(), t.end(), i) == 0) {
        EXPECT_EQ(1, oracle_incircle(pts, t, i));
      }
  }
  EXPECT_TRUE(std::all_of(lab_pinned().begin(), lab_pinned().end(),
                          [](const lab_pinned_circle& p) { return p.furthest; }));
  EXPECT_EQ(0, lab_pins_follow());
  lab_pins_clear();
}

// --- the smallest angle ------------------------------------------------------------

// Independent: angle p smaller than q when cos p > cos q, compared through
// the signs and the squares dot^2 / (|u|^2 |v|^2).
int oracle_compare(const std::vector<wpoint>& pts, const lab_angle& p, const lab_angle& q) {
  auto parts = [&](const lab_angle& a, __int128* dot, __int128* norms) {
    const __int128 ux = pts[a.from].x - pts[a.at].x, uy = pts[a.from].y - pts[a.at].y;
    const __int128 vx = pts[a.to].x - pts[a.at].x, vy = pts[a.to].y - pts[a.at].y;
    *dot = ux * vx + uy * vy;
    *norms = (ux * ux + uy * uy) * (vx * vx + vy * vy);
  };
  __int128 dp, np, dq, nq;
  parts(p, &dp, &np);
  parts(q, &dq, &nq);
  const int sp = dp > 0 ? 1 : (dp < 0 ? -1 : 0), sq = dq > 0 ? 1 : (dq < 0 ? -1 : 0);
  if (sp != sq) return sp > sq ? -1 : 1;
  const __int128 l = dp * dp * nq, r = dq * dq * np;  // cos^2 p vs cos^2 q
  if (l == r) return 0;
  const bool p_larger_cos = sp >= 0 ? l > r : l < r;
  return p_larger_cos ? -1 : 1;
}

TEST(LabSmallestAngle, IsTheSmallestByAnIndependentComparisonAndNoFlipBeatsIt) {
  std::mt19937 gen(9);
  int worse = 0, flips = 0;
  for (int round = 0; round < 10; ++round) {
    const std::vector<wpoint> pts = random_points(gen, 6 + round * 4, 290);
    set_points(pts);
    const std::vector<lab_triangle> tris = lab_shown_triangles(false);
    const lab_angle best = lab_smallest_angle(tris);
    ASSERT_GE(best.at, 0);
    for (const auto& t : tris) {
      for (int k = 0; k < 3; ++k) {
        const lab_angle a{t[k], t[(k + 1) % 3], t[(k + 2) % 3], 0};
        EXPECT_LE(oracle_compare(pts, best, a), 0);
        EXPECT_EQ(oracle_compare(pts, best, a), lab_compare_angles(best, a));
      }
    }
    // Delaunay maximises the smallest angle: no single flip raises it.
    for (const auto& e : edges_of(tris)) {
      const double mx = (plane_table[e.first].x + plane_table[e.second].x) / 2;
      const double my = (plane_table[e.first].y + plane_table[e.second].y) / 2;
      lab_counter_example ce;
      std::string why;
      if (!lab_flip_at(tris, mx, my, &ce, &why)) continue;
      ++flips;
      const lab_angle after = lab_smallest_angle(lab_flipped(tris, ce));
      EXPECT_LE(oracle_compare(pts, after, best), 0);
      if (oracle_compare(pts, after, best) < 0) {
        ++worse;
        EXPECT_NE(std::string::npos, lab_angles_text(best, &after).find("(worse)"));
      }
    }
  }
  EXPECT_GT(flips, 50);
  EXPECT_GT(worse, 0);
}

TEST(LabSmallestAngle, TheKitesFlipMakesItWorse) {
  set_points({{-100, 0, 0}, {100, 0, 0}, {0, 200, 0}, {0, -200, 0}, {290, 0, 0}});
  const std::vector<lab_triangle> tris = lab_shown_triangles(false);
  lab_counter_example ce;
  std::string why;
  ASSERT_TRUE(lab_flip_at(tris, 0.3, 0.05, &ce, &why));
  const lab_angle now = lab_smallest_angle(tris), after = lab_smallest_angle(lab_flipped(tris, ce));
  EXPECT_LT(after.degrees, now.degrees);
  EXPECT_EQ(-1, lab_compare_angles(after, now));
  const std::string text = lab_angles_text(now, &after);
  EXPECT_EQ(0u, text.find("smallest angle "));
  EXPECT_NE(std::string::npos, text.find("after the flip"));
  EXPECT_NE(std::string::npos, text.find("(worse)"));
}

// --- weighted points: orthogonal circles, powers, a triangle picked by hand -----------

// The corners of t counter-clockwise, as the oracle's below() wants them.
std::array<wpoint, 3> ccw(const std::vector<wpoint>& pts, lab_triangle t) {
  if (delaunay_oracle::orient(ip(pts, t[0]), ip(pts, t[1]), ip(pts, t[2])) < 0) std::swap(t[1], t[2]);
  return {pts[t[0]], pts[t[1]], pts[t[2]]};
}

TEST(LabCircleOf, IsTheOrthogonalCircleWithTheSignOfItsSquaredRadiusExact) {
  // A circle chosen first (centre C, squared radius R2, any sign), then
  // three points weighted so that it is orthogonal to them:
  // w = |p - C|^2 - R2.  The oracle says independently whether C itself,
  // weightless, lies below the corners' plane: exactly when R2 > 0.
  std::mt19937 gen(21);
  std::uniform_int_distribution<int> coord(-290, 290), centre(-150, 150), r2(-3000, 3000);
  int signs[3] = {0, 0, 0};
  for (int round = 0; round < 400; ++round) {
    const long long cx = centre(gen), cy = centre(gen);
    const long long R2 = round % 7 == 0 ? 0 : r2(gen) * (round % 3 == 0 ? 1 : 10);
    std::vector<wpoint> pts;
    while (pts.size() < 3) {
      const long long x = coord(gen), y = coord(gen);
      const long long w = (x - cx) * (x - cx) + (y - cy) * (y - cy) - R2;
      if (w >= 0 && w <= 90000) pts.push_back({x, y, w});
    }
    pts.push_back({295, 295, 0});
    pts.push_back({-295, 295, 0});
    set_points(pts);
    if (lab_orient(0, 1, 2) == 0) continue;
    const int want = R2 > 0 ? 1 : (R2 < 0 ? -1 : 0);
    double c[2], r, rr;
    const int got = lab_circle_of({0, 1, 2}, c, &r, &rr);
    ASSERT_EQ(want, got) << "round " << round << " R2 " << R2;
    const auto abc = ccw(pts, {0, 1, 2});
    EXPECT_EQ(want, regular_oracle::below(abc[0], abc[1], abc[2], wpoint{cx, cy, 0}));
    EXPECT_NEAR(cx / 100.0, c[0], 1e-9);
    EXPECT_NEAR(cy / 100.0, c[1], 1e-9);
    EXPECT_NEAR(R2 * 1e-4, rr, 1e-9);
    EXPECT_NEAR(got > 0 ? std::sqrt(R2 * 1e-4) : 0.0, r, 1e-9);
    ++signs[want + 1];
  }
  EXPECT_GT(signs[0], 50);
  EXPECT_GT(signs[1], 20);
  EXPECT_GT(signs[2], 50);
}

// Random sets, weighted on odd rounds; the lifts below / on the plane of a
// picked triangle by the oracle, and a triangle with nothing below or on
// its plane is a face every regular triangulation has.
TEST(LabPickTriangle, PointsBelowItsPlaneAreTheOraclesAndAnEmptyOneIsShown) {
  std::mt19937 gen(31);
  std::uniform_int_distribution<int> weight(0, 40000);
  int empty = 0, holding = 0;
  for (int round = 0; round < 16; ++round) {
    std::vector<wpoint> pts = random_points(gen, 7 + round, 280);
    if (round % 2 == 1)
      for (auto& p : pts) p.w = weight(gen);
    set_points(pts);
    const std::vector<lab_triangle> tris = lab_shown_triangles(false);
    regular_oracle::oracle oracle(pts);
    ASSERT_EQ("", oracle.check(tris, edges_of(tris))) << "round " << round;
    const int n = static_cast<int>(pts.size());
    for (int a = 0; a < n; ++a)
      for (int b = a + 1; b < n; ++b)
        for (int c = b + 1; c < n; ++c) {
          lab_picked_triangle p;
          std::string why;
          if (lab_orient(a, b, c) == 0) {
            EXPECT_FALSE(lab_pick_triangle(c, a, b, tris, &p, &why));
            continue;
          }
          ASSERT_TRUE(lab_pick_triangle(c, a, b, tris, &p, &why)) << why;
          EXPECT_EQ((lab_triangle{a, b, c}), p.corner);
          const auto abc = ccw(pts, {a, b, c});
          std::vector<int> below, on;
          for (int d = 0; d < n; ++d) {
            if (d == a || d == b || d == c) continue;
            const int s = regular_oracle::below(abc[0], abc[1], abc[2], pts[d]);
            if (s > 0) below.push_back(d);
            if (s == 0) on.push_back(d);
          }
          EXPECT_EQ(below, p.below);
          EXPECT_EQ(on, p.on);
          const bool in_tris = std::binary_search(tris.begin(), tris.end(), p.corner);
          EXPECT_EQ(in_tris, p.shown);
          if (!below.empty()) {
            EXPECT_FALSE(p.shown);
            ++holding;
            EXPECT_NE(std::string::npos, lab_picked_text(p).find(round % 2 ? "negative power" : "inside the circle"));
          } else if (on.empty()) {
            EXPECT_TRUE(p.shown) << a << " " << b << " " << c;
            ++empty;
            EXPECT_NE(std::string::npos,
                      lab_picked_text(p).find(round % 2 ? ": a regular triangle" : ": a Delaunay triangle"));
          }
        }
  }
  EXPECT_GT(empty, 50);
  EXPECT_GT(holding, 500);
}

TEST(LabPickTriangle, TheWordsForEachCaseAndTheRefusals) {
  // A square with its centre (all on one circle but the centre), and a
  // point far out.
  set_points({{-100, -100, 0}, {100, -100, 0}, {100, 100, 0}, {-100, 100, 0}, {0, 0, 0}, {290, 0, 0}});
  const std::vector<lab_triangle> tris = lab_shown_triangles(false);
  lab_picked_triangle p;
  std::string why;
  ASSERT_TRUE(lab_pick_triangle(0, 1, 2, tris, &p, &why));
  EXPECT_EQ("point 4 lies inside the circle of 0, 1, 2: below its plane: not a Delaunay triangle",
            lab_picked_text(p));
  EXPECT_EQ((std::vector<int>{3}), p.on);
  ASSERT_TRUE(lab_pick_triangle(4, 0, 1, tris, &p, &why));
  EXPECT_EQ("the circle of 0, 1, 4 holds no point: a Delaunay triangle", lab_picked_text(p));
  EXPECT_FALSE(lab_pick_triangle(0, 4, 2, tris, &p, &why));
  EXPECT_EQ("points 0, 2, 4 lie in a row: they make no triangle and have no circle", why);
  EXPECT_FALSE(lab_pick_triangle(1, 1, 2, tris, &p, &why));
  EXPECT_EQ("point 1 picked twice: pick three different points", why);
  // Weighted: the centre's power to the orthogonal circle of 0, 1, 2 is
  // negative; a corner point's weight puts 3 off the circle, above it.
  set_points({{-100, -100, 100}, {100, -100, 0}, {100, 100, 0}, {-100, 100, 0}, {0, 0, 10000}, {290, 0, 0}});
  ASSERT_TRUE(lab_pick_triangle(0, 1, 2, lab_shown_triangles(false), &p, &why));
  EXPECT_EQ("point 4 has negative power to the circle of 0, 1, 2: below its plane: not a regular triangle",
            lab_picked_text(p));
  EXPECT_TRUE(p.on.empty());
  // The picked triangle follows its points, and lapses when they fall into
  // a row or a corner is gone.
  lab_picked_set(&p);
  EXPECT_TRUE(lab_picked_follow(lab_shown_triangles(false)));
  set_points({{-100, -100, 0}, {100, -100, 0}, {0, -100, 0}, {-100, 100, 0}, {0, 200, 0}});
  EXPECT_FALSE(lab_picked_follow(lab_shown_triangles(false)));
  EXPECT_FALSE(lab_picked_shown(nullptr));
  lab_picked_set(&p);
  set_points({{-100, -100, 0}, {100, -100, 0}});
  EXPECT_FALSE(lab_picked_follow(lab_shown_triangles(false)));
}

TEST(LabWeightedCircles, AnImaginaryRadiusIsSaidAndAFlipSpeaksOfPowers) {
  lab_pins_clear();
  // Three heavy points close together: their orthogonal circle has r^2 =
  // 50 - 90000 square hundredths.
  const std::vector<wpoint> pts = {{0, 0, 90000}, {10, 0, 90000}, {0, 10, 90000}, {280, 280, 0}, {-280, 250, 0}};
  set_points(pts);
  const std::vector<lab_triangle> tris = lab_shown_triangles(false);
  ASSERT_TRUE(std::binary_search(tris.begin(), tris.end(), lab_triangle{0, 1, 2}));
  double c[2], r, rr;
  EXPECT_EQ(-1, lab_circle_of({0, 1, 2}, c, &r, &rr));
  EXPECT_EQ(0.0, r);
  EXPECT_NEAR(0.005 - 9.0, rr, 1e-9);
  ASSERT_EQ(1, lab_pin_at(0.03, 0.03, false));
  EXPECT_EQ(0u, std::string(lab_status_text()).find("holding the orthogonal circle of 0, 1, 2: its radius is imaginary"))
      << lab_status_text();
  EXPECT_EQ(0, lab_pin_at(0.03, 0.03, true));  // no furthest-site circle with weights
  lab_pins_clear();
  lab_picked_triangle p;
  std::string why;
  ASSERT_TRUE(lab_pick_triangle(0, 1, 2, tris, &p, &why));
  EXPECT_EQ(-1, p.circle);
  EXPECT_NE(std::string::npos, lab_picked_text(p).find("imaginary")) << lab_picked_text(p);

  // Every flip of random weighted sets: the fourth point's lift below the
  // new triangle's plane (or on it) by the oracle, said in powers.
  std::mt19937 gen(41);
  std::uniform_int_distribution<int> weight(0, 60000);
  int flips = 0;
  for (int round = 0; round < 8; ++round) {
    std::vector<wpoint> w = random_points(gen, 8 + 2 * round, 280);
    for (auto& q : w) q.w = weight(gen);
    set_points(w);
    const std::vector<lab_triangle> shown = lab_shown_triangles(false);
    for (const auto& t : shown) {
      const double x = (plane_table[t[0]].x + plane_table[t[1]].x + plane_table[t[2]].x) / 3;
      const double y = (plane_table[t[0]].y + plane_table[t[1]].y + plane_table[t[2]].y) / 3;
      lab_counter_example ce;
      if (!lab_flip_at(shown, x, y, &ce, &why)) continue;
      ++flips;
      EXPECT_EQ(oracle_below(w, ce.shown, ce.offending), ce.below);
      EXPECT_GE(ce.below, 0);
      const std::string text = lab_counter_example_text(ce);
      EXPECT_EQ(0u, text.find("point " + std::to_string(ce.offending) + "'s power to this circle is "))
          << text;
    }
  }
  EXPECT_GT(flips, 30);
}

}  // namespace
