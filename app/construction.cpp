// The construction of the triangulation one point at a time: see
// construction.h.  The triangulation after each step comes from the hull
// engine (exact mode) on the points so far, so it is exactly the one the
// views show; the flips way replays the same step with Lawson's edge flips
// from the triangulation before it.
//
// Arithmetic: x and y are whole hundredths (|x|, |y| <= 10^6), weights whole
// square hundredths (|w| <= 10^12), so lifts z = x*x + y*y - w lie within
// -10^12 .. 3 * 10^12.  An orientation is two products of differences under
// 2 * 10^6: under 2^43, in 64 bits.  The lifted in-circle determinant has
// rows of two such differences and a lift difference under 2^43; its six
// terms stay under 2^21 * 2^21 * 2^43 = 2^85, in 128 bits.
#include "app/construction.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <utility>

#include "app/app.h"
#include "hull/hull.h"

namespace {

using i128 = __int128;

long long lift(const construction_point& p) { return p.x * p.x + p.y * p.y - p.w; }

// > 0 when a, b, c turn counter-clockwise.
long long orient(const construction_point& a, const construction_point& b, const construction_point& c) {
  return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// For a, b, c counter-clockwise: true when the lift of d lies strictly below
// the plane through the lifts of a, b, c (unweighted: d strictly inside their
// circle).
bool below(const construction_point& a, const construction_point& b, const construction_point& c,
           const construction_point& d) {
  const long long dz = lift(d);
  const i128 ax = a.x - d.x, ay = a.y - d.y, az = lift(a) - dz;
  const i128 bx = b.x - d.x, by = b.y - d.y, bz = lift(b) - dz;
  const i128 cx = c.x - d.x, cy = c.y - d.y, cz = lift(c) - dz;
  const i128 det = az * (bx * cy - by * cx) - bz * (ax * cy - ay * cx) + cz * (ax * by - ay * bx);
  return det > 0;
}

tri_index sorted_tri(int a, int b, int c) {
  tri_index t = {a, b, c};
  std::sort(t.begin(), t.end());
  return t;
}

std::vector<tri_index> minus(const std::vector<tri_index>& a, const std::vector<tri_index>& b) {
  std::vector<tri_index> out;
  std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
  return out;
}

// ---------------------------------------------------------------------------
// The engine on a prefix
// ---------------------------------------------------------------------------

std::vector<double> feed;
int feed_count = 0, feed_next = 0;

site feed_site() { return feed_next < feed_count ? feed.data() + 3 * feed_next++ : nullptr; }
int feed_num(site p) { return static_cast<int>((p - feed.data()) / 3); }

std::vector<std::array<int, 3>>* facet_sink;
void* collect_facet(simplex* s, void*) {
  if (cdim == 3) {
    facet_sink->push_back({feed_num(s->neighbors[0].vert), feed_num(s->neighbors[1].vert),
                           feed_num(s->neighbors[2].vert)});
  }
  return nullptr;
}

// The representative of each place among pts[order[0..count-1]]: the
// heaviest point there (the lowest lift), of equally heavy ones the first.
std::vector<int> places(const std::vector<construction_point>& pts, const int* order, int count) {
  std::vector<int> reps;
  for (int k = 0; k < count; ++k) {
    const construction_point& p = pts[order[k]];
    bool found = false;
    for (int& r : reps) {
      if (pts[r].x == p.x && pts[r].y == p.y) {
        if (p.w > pts[r].w) r = order[k];
        found = true;
        break;
      }
    }
    if (!found) reps.push_back(order[k]);
  }
  return reps;
}

}  // namespace

std::vector<tri_index> lower_hull_triangles(const std::vector<construction_point>& pts, const int* order, int count,
                                           bool* flat) {
  feed.assign(static_cast<std::size_t>(count) * 3, 0.0);
  for (int k = 0; k < count; ++k) {
    const construction_point& p = pts[order[k]];
    feed[3 * k] = static_cast<double>(p.x);
    feed[3 * k + 1] = static_cast<double>(p.y);
    feed[3 * k + 2] = static_cast<double>(lift(p));
  }
  feed_count = count;
  feed_next = 0;
  std::vector<std::array<int, 3>> facets;
  const int was_exact = exact_sites;
  exact_sites = 1;
  simplex* root = hull_build(feed_site, feed_num, 3, 0);
  if (root != nullptr && cdim == 3) {
    facet_sink = &facets;
    walk_facets(root, collect_facet);
  }
  hull_free();
  exact_sites = was_exact;

  std::vector<tri_index> out;
  if (flat != nullptr) *flat = facets.empty();
  if (facets.empty()) {
    // No three-dimensional lift: the triangle of three places, or nothing.
    const std::vector<int> reps = places(pts, order, count);
    if (reps.size() == 3 && orient(pts[reps[0]], pts[reps[1]], pts[reps[2]]) != 0) {
      out.push_back(sorted_tri(reps[0], reps[1], reps[2]));
    }
    return out;
  }
  // A point strictly inside the hull: the mean of the facets' corners, kept
  // as their sum S over k corners.  A facet is lower when its outward normal
  // points down.
  i128 sx = 0, sy = 0, sz = 0, k = 0;
  for (const auto& f : facets) {
    for (int v : f) {
      const construction_point& p = pts[order[v]];
      sx += p.x;
      sy += p.y;
      sz += lift(p);
      ++k;
    }
  }
  for (const auto& f : facets) {
    const construction_point& a = pts[order[f[0]]];
    const construction_point& b = pts[order[f[1]]];
    const construction_point& c = pts[order[f[2]]];
    const i128 ux = b.x - a.x, uy = b.y - a.y, uz = lift(b) - lift(a);
    const i128 wx = c.x - a.x, wy = c.y - a.y, wz = lift(c) - lift(a);
    const i128 nx = uy * wz - uz * wy, ny = uz * wx - ux * wz, nz = ux * wy - uy * wx;
    // |n| components under 2^65 and |S - k a| under 2^51: products under 2^117.
    const i128 side = nx * (sx - k * a.x) + ny * (sy - k * a.y) + nz * (sz - k * lift(a));
    const int out_sign = side > 0 ? -1 : 1;
    if (nz != 0 && (nz > 0 ? out_sign : -out_sign) < 0) out.push_back(sorted_tri(order[f[0]], order[f[1]], order[f[2]]));
  }
  std::sort(out.begin(), out.end());
  return out;
}

namespace {

// ---------------------------------------------------------------------------
// Lawson's insertion on a triangulation of counter-clockwise triangles
// ---------------------------------------------------------------------------

struct lawson {
  const std::vector<construction_point>& pts;
  std::vector<std::array<int, 3>> tris;  // counter-clockwise; erased ones removed at once

  const construction_point& P(int i) const { return pts[i]; }

  int find_directed(int a, int b) const {
    for (std::size_t t = 0; t < tris.size(); ++t) {
      const auto& r = tris[t];
      for (int e = 0; e < 3; ++e) {
        if (r[e] == a && r[(e + 1) % 3] == b) return static_cast<int>(t);
      }
    }
    return -1;
  }
  // The vertex of triangle t opposite its directed edge a -> b.
  int third(int t, int a, int b) const {
    for (int v : tris[t]) {
      if (v != a && v != b) return v;
    }
    return -1;
  }
  void erase(int t) { tris.erase(tris.begin() + t); }

  // Inserts p; fills the split's removed and added triangles and the flips.
  // Returns false when p changes nothing (hidden, or a lighter twin).
  bool insert(int p, construction_step* st) {
    const construction_point& q = P(p);
    for (const auto& t : tris) {
      for (int v : t) {
        if (P(v).x == q.x && P(v).y == q.y) return false;  // a twin: no split or flip can show it
      }
    }
    std::vector<std::array<int, 3>> fresh;
    int inside = -1, on_edge = -1;
    for (std::size_t t = 0; t < tris.size() && inside < 0; ++t) {
      const auto& r = tris[t];
      long long o[3];
      int zeros = 0;
      bool out = false;
      for (int e = 0; e < 3; ++e) {
        o[e] = orient(P(r[e]), P(r[(e + 1) % 3]), q);
        if (o[e] < 0) out = true;
        if (o[e] == 0) ++zeros;
      }
      if (out) continue;
      inside = static_cast<int>(t);
      if (zeros == 1) {
        for (int e = 0; e < 3; ++e) {
          if (o[e] == 0) on_edge = e;
        }
      }
    }
    if (inside >= 0) {
      const auto r = tris[inside];
      if (!below(P(r[0]), P(r[1]), P(r[2]), q)) return false;  // its lift lies above: hidden
      std::vector<int> gone = {inside};
      std::vector<std::array<int, 2>> rim;
      if (on_edge < 0) {
        rim = {{r[0], r[1]}, {r[1], r[2]}, {r[2], r[0]}};
      } else {
        const int a = r[on_edge], b = r[(on_edge + 1) % 3], c = r[(on_edge + 2) % 3];
        rim = {{b, c}, {c, a}};
        const int n = find_directed(b, a);
        if (n >= 0) {
          const int d = third(n, b, a);
          gone.push_back(n);
          rim.push_back({a, d});
          rim.push_back({d, b});
        }
      }
      std::sort(gone.rbegin(), gone.rend());
      for (int t : gone) {
        const auto& g = tris[t];
        st->removed.push_back(sorted_tri(g[0], g[1], g[2]));
        erase(t);
      }
      for (const auto& e : rim) fresh.push_back({e[0], e[1], p});
    } else {
      // Outside: a triangle to every hull edge that sees the point.
      std::vector<std::array<int, 2>> visible;
      for (const auto& r : tris) {
        for (int e = 0; e < 3; ++e) {
          const int a = r[e], b = r[(e + 1) % 3];
          if (find_directed(b, a) < 0 && orient(P(a), P(b), q) < 0) visible.push_back({a, b});
        }
      }
      for (const auto& e : visible) fresh.push_back({e[1], e[0], p});
    }
    std::vector<std::array<int, 2>> stack;
    for (const auto& t : fresh) {
      tris.push_back(t);
      st->added.push_back(sorted_tri(t[0], t[1], t[2]));
      stack.push_back({t[0], t[1]});
    }
    while (!stack.empty()) {
      const auto [a, b] = stack.back();
      stack.pop_back();
      const int t1 = find_directed(a, b);
      if (t1 < 0 || third(t1, a, b) != p) continue;
      const int t2 = find_directed(b, a);
      if (t2 < 0) continue;
      const int d = third(t2, b, a);
      if (!below(P(a), P(b), q, P(d))) continue;
      // Weighted lifts can make an illegal edge whose quadrilateral is not
      // convex: no two-for-two flip can mend it.
      if (orient(P(a), P(d), q) <= 0 || orient(P(d), P(b), q) <= 0) continue;
      erase(std::max(t1, t2));
      erase(std::min(t1, t2));
      tris.push_back({a, d, p});
      tris.push_back({d, b, p});
      st->flips.push_back({std::min(a, b), std::max(a, b), std::min(p, d), std::max(p, d)});
      stack.push_back({a, d});
      stack.push_back({d, b});
    }
    std::sort(st->removed.begin(), st->removed.end());
    std::sort(st->added.begin(), st->added.end());
    return true;
  }

  std::vector<tri_index> sorted_set() const {
    std::vector<tri_index> out;
    for (const auto& t : tris) out.push_back(sorted_tri(t[0], t[1], t[2]));
    std::sort(out.begin(), out.end());
    return out;
  }
};

// The triangles of a sorted set, each counter-clockwise.
std::vector<std::array<int, 3>> ccw(const std::vector<construction_point>& pts, const std::vector<tri_index>& set) {
  std::vector<std::array<int, 3>> out;
  for (const auto& t : set) {
    if (orient(pts[t[0]], pts[t[1]], pts[t[2]]) > 0) {
      out.push_back({t[0], t[1], t[2]});
    } else {
      out.push_back({t[0], t[2], t[1]});
    }
  }
  return out;
}

}  // namespace

construction_step construct_step(const std::vector<construction_point>& pts, const std::vector<int>& order, int k,
                                 insert_way way, const std::vector<tri_index>& before) {
  construction_step st;
  st.point = order[static_cast<std::size_t>(k)];
  st.after = lower_hull_triangles(pts, order.data(), k + 1, &st.flat);
  if (way == insert_way::flips && !before.empty() && !st.after.empty()) {
    lawson l{pts, ccw(pts, before)};
    l.insert(st.point, &st);
    const std::vector<tri_index> got = l.sorted_set();
    st.rest_removed = minus(got, st.after);
    st.rest_added = minus(st.after, got);
  } else {
    st.removed = minus(before, st.after);
    st.added = minus(st.after, before);
  }
  if (!st.after.empty()) {
    st.hidden = std::none_of(st.after.begin(), st.after.end(), [&](const tri_index& t) {
      return t[0] == st.point || t[1] == st.point || t[2] == st.point;
    });
  }
  return st;
}

std::vector<construction_step> construct(const std::vector<construction_point>& pts, const std::vector<int>& order,
                                         insert_way way) {
  std::vector<construction_step> steps;
  std::vector<tri_index> before;
  for (std::size_t k = 0; k < order.size(); ++k) {
    construction_step st = construct_step(pts, order, static_cast<int>(k), way, before);
    before = st.after;
    steps.push_back(std::move(st));
  }
  return steps;
}

std::vector<construction_point> construction_points_of_table() {
  std::vector<construction_point> out;
  for (int i = 0; i < point_count; ++i) {
    long long x = 0, y = 0;
    point_hundredths(&point_table[i], &x, &y);
    out.push_back({x, y, weight_units(i)});
  }
  return out;
}
