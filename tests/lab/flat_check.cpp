// Checks a flat-set diagram against the exact oracle (see flat_check.h).
#include "tests/lab/flat_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace {

// The bisector line of (i, j) through the square, by slabs, for pairs whose
// bisector is unbounded both ways (points on one line).
bool clip_line(double px, double py, double dx, double dy, double seg[4]) {
  double t0 = -INFINITY, t1 = INFINITY;
  const double p[2] = {px, py}, d[2] = {dx, dy};
  for (int k = 0; k < 2; ++k) {
    if (d[k] == 0) {
      if (std::fabs(p[k]) > 3.0) return false;
      continue;
    }
    double a = (-3.0 - p[k]) / d[k], b = (3.0 - p[k]) / d[k];
    if (a > b) std::swap(a, b);
    t0 = std::max(t0, a);
    t1 = std::min(t1, b);
  }
  if (!(t1 > t0)) return false;
  seg[0] = px + t0 * dx, seg[1] = py + t0 * dy, seg[2] = px + t1 * dx, seg[3] = py + t1 * dy;
  return true;
}

bool same_segment(const std::array<double, 4>& a, const double b[4]) {
  auto close = [](double u, double v) { return std::fabs(u - v) < 1e-9; };
  const bool fwd = close(a[0], b[0]) && close(a[1], b[1]) && close(a[2], b[2]) && close(a[3], b[3]);
  const bool rev = close(a[0], b[2]) && close(a[1], b[3]) && close(a[2], b[0]) && close(a[3], b[1]);
  return fwd || rev;
}

}  // namespace

std::vector<delaunay_oracle::ipoint> twelve_on_one_circle() {
  return {{250, 0},    {200, 150},   {150, 200},   {0, 250},  {-150, 200}, {-200, 150},
          {-250, 0},   {-200, -150}, {-150, -200}, {0, -250}, {150, -200}, {200, -150}};
}

std::vector<std::array<int, 2>> strong_pairs(const delaunay_oracle::oracle& o) {
  std::vector<std::array<int, 2>> strong;
  const auto& d = o.distinct();
  for (std::size_t x = 0; x < d.size(); ++x)
    for (std::size_t y = x + 1; y < d.size(); ++y)
      if (o.strong_edge(d[x], d[y])) strong.push_back({d[x], d[y]});
  return strong;
}

bool drawn_piece(const delaunay_oracle::oracle& o, int i, int j, double seg[4]) {
  const delaunay_oracle::voronoi_piece v = o.voronoi(i, j);
  if (v.bounded_from || v.bounded_to) return o.drawn(i, j, seg);
  const delaunay_oracle::ipoint& a = o.point(i);
  const delaunay_oracle::ipoint& b = o.point(j);
  return clip_line((a.x + b.x) / 200.0, (a.y + b.y) / 200.0, v.dir[0], v.dir[1], seg);
}

std::vector<std::array<int, 3>> brute_triangles(const std::vector<delaunay_oracle::ipoint>& p,
                                                int sign) {
  std::vector<std::array<int, 3>> out;
  const int n = static_cast<int>(p.size());
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j)
      for (int k = j + 1; k < n; ++k) {
        const long long o = delaunay_oracle::orient(p[i], p[j], p[k]);
        if (o == 0) continue;
        bool ok = true;
        for (int m = 0; m < n && ok; ++m) {
          if (m == i || m == j || m == k) continue;
          const int in = o > 0 ? delaunay_oracle::incircle(p[i], p[j], p[k], p[m])
                               : delaunay_oracle::incircle(p[i], p[k], p[j], p[m]);
          ok = sign < 0 ? in < 0 : in > 0;
        }
        if (ok) out.push_back({i, j, k});
      }
  return out;
}

void check_flat_diagram(const delaunay_oracle::oracle& o, bool four, bool unique_triangle,
                        const std::vector<std::array<int, 3>>& triangles,
                        const std::vector<std::array<int, 2>>& edges,
                        const std::vector<std::array<double, 4>>& voronoi) {
  // Every pair some empty circle passes through with all others strictly
  // outside, and only those, is an edge with its Voronoi piece.
  const std::vector<std::array<int, 2>> strong = strong_pairs(o);
  const auto& d = o.distinct();
  if (four) {
    std::vector<std::pair<int, int>> pairs;
    for (const auto& e : edges) pairs.emplace_back(e[0], e[1]);
    EXPECT_EQ("", o.check(triangles, pairs));
  } else {
    EXPECT_EQ(strong, edges);
    const std::size_t expect_tris = unique_triangle ? 1 : 0;
    ASSERT_EQ(expect_tris, triangles.size());
    if (expect_tris == 1) {
      EXPECT_EQ((std::array<int, 3>{d[0], d[1], d[2]}), triangles[0]);
    }
  }
  std::vector<bool> used(voronoi.size(), false);
  for (const auto& e : strong) {
    SCOPED_TRACE("edge " + std::to_string(e[0]) + " " + std::to_string(e[1]));
    double seg[4];
    if (!drawn_piece(o, e[0], e[1], seg)) continue;
    bool found = false;
    for (std::size_t k = 0; k < voronoi.size() && !found; ++k)
      if (!used[k] && same_segment(voronoi[k], seg)) {
        found = true;
        used[k] = true;
      }
    EXPECT_TRUE(found) << seg[0] << " " << seg[1] << " " << seg[2] << " " << seg[3];
  }
  EXPECT_EQ(std::count(used.begin(), used.end(), true), static_cast<long>(used.size()))
      << "a Voronoi piece no strong edge accounts for";
}
