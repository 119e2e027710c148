// The snap and the nearly degenerate sets (see snap_logic.h): no GL.
#include "lab/snap_logic.h"

#include "lab/lab.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>
#include <utility>

double lab_snap(double v, int step) {
  const double h = std::round(v * 100.0 / step) * step;
  const long long whole = std::clamp(static_cast<long long>(h), -300LL, 300LL);
  return static_cast<double>(whole) / 100.0;
}

namespace {

// The points as the engine sees them, read once per search.
std::vector<double> cached_x, cached_y;
void cache_points() {
  cached_x.resize(static_cast<size_t>(point_count));
  cached_y.resize(static_cast<size_t>(point_count));
  for (int i = 0; i < point_count; ++i) {
    const lab_exact_point p = lab_exact(i);
    cached_x[static_cast<size_t>(i)] = static_cast<double>(p.x) / 100.0;
    cached_y[static_cast<size_t>(i)] = static_cast<double>(p.y) / 100.0;
  }
}
double px(int i) { return cached_x[static_cast<size_t>(i)]; }
double py(int i) { return cached_y[static_cast<size_t>(i)]; }

// How far c lies from the line through a and b.
double line_gap(int a, int b, int c) {
  const double len = std::hypot(px(b) - px(a), py(b) - py(a));
  if (len == 0) return 1e300;
  return std::fabs((px(b) - px(a)) * (py(c) - py(a)) - (py(b) - py(a)) * (px(c) - px(a))) / len;
}

// How far d lies from the circle through a, b, c.
double circle_gap(int a, int b, int c, int d) {
  const double ax = px(a), ay = py(a), bx = px(b), by = py(b), cx = px(c), cy = py(c);
  const double den = 2.0 * (ax * (by - cy) + bx * (cy - ay) + cx * (ay - by));
  if (den == 0) return 1e300;
  const double la = ax * ax + ay * ay, lb = bx * bx + by * by, lc = cx * cx + cy * cy;
  const double ox = (la * (by - cy) + lb * (cy - ay) + lc * (ay - by)) / den;
  const double oy = (la * (cx - bx) + lb * (ax - cx) + lc * (bx - ax)) / den;
  return std::fabs(std::hypot(px(d) - ox, py(d) - oy) - std::hypot(ax - ox, ay - oy));
}

}  // namespace

lab_near lab_find_near(const std::vector<lab_triangle>& tris) {
  cache_points();
  lab_near best;
  best.gap = LAB_NEAR_GAP;
  // best.gap starts at the limit: only a nearer case replaces what is kept.
  auto consider = [&](decltype(lab_near::none) kind, std::vector<int> pts, double gap) {
    if (gap >= best.gap) return;
    std::sort(pts.begin(), pts.end());
    best.kind = kind;
    best.points = pts;
    best.gap = gap;
  };
  // A point nearly on the segment between two of its neighbours (the
  // triangulation joins points in a row to their neighbours in the row).
  std::vector<std::set<int>> next(static_cast<size_t>(point_count));
  for (const auto& t : tris)
    for (int k = 0; k < 3; ++k)
      for (int j = 0; j < 3; ++j)
        if (j != k) next[static_cast<size_t>(t[static_cast<size_t>(k)])].insert(t[static_cast<size_t>(j)]);
  for (int m = 0; m < point_count; ++m) {
    const std::vector<int> around(next[static_cast<size_t>(m)].begin(), next[static_cast<size_t>(m)].end());
    for (size_t i = 0; i < around.size(); ++i) {
      for (size_t j = i + 1; j < around.size(); ++j) {
        const int a = around[i], b = around[j];
        const double dx = px(b) - px(a), dy = py(b) - py(a);
        const double along = ((px(m) - px(a)) * dx + (py(m) - py(a)) * dy) / (dx * dx + dy * dy);
        if (along <= 0.0 || along >= 1.0) continue;
        const double gap = line_gap(a, b, m);
        // Only a near case asks the exact question: exactly in a row is no warning.
        if (gap < best.gap && lab_orient(a, b, m) != 0) consider(lab_near::line, {a, b, m}, gap);
      }
    }
  }
  // Two triangles on one edge whose four corners lie nearly on one circle.
  std::set<std::pair<int, int>> seen;
  for (size_t i = 0; i < tris.size(); ++i) {
    for (int k = 0; k < 3; ++k) {
      const int a = std::min(tris[i][static_cast<size_t>(k)], tris[i][static_cast<size_t>((k + 1) % 3)]);
      const int b = std::max(tris[i][static_cast<size_t>(k)], tris[i][static_cast<size_t>((k + 1) % 3)]);
      if (!seen.insert({a, b}).second) continue;
      const int c = tris[i][0] + tris[i][1] + tris[i][2] - a - b;
      for (size_t j = i + 1; j < tris.size(); ++j) {
        const auto& u = tris[j];
        if (std::count(u.begin(), u.end(), a) + std::count(u.begin(), u.end(), b) != 2) continue;
        const int d = u[0] + u[1] + u[2] - a - b;
        const double gap = circle_gap(a, b, c, d);
        // Exactly on it is no warning.
        if (gap < best.gap && lab_lift_below(a, b, c, d) != 0)
          consider(lab_near::circle, {a, b, c, d}, gap);
      }
    }
  }
  if (best.kind == lab_near::none) best.gap = 0;
  return best;
}

std::string lab_near_text(const lab_near& n) {
  if (n.kind == lab_near::none) return "";
  std::string names;
  for (size_t i = 0; i < n.points.size(); ++i)
    names += (i == 0 ? "" : (i + 1 == n.points.size() ? " and " : ", ")) + std::to_string(n.points[i]);
  char text[LAB_STATUS_MAX];
  std::snprintf(text, sizeof text, "points %s lie within %.2f of one %s but not on it (%.3f off)",
                names.c_str(), LAB_NEAR_GAP, n.kind == lab_near::line ? "line" : "circle", n.gap);
  return text;
}
