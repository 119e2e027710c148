// Brute-force exact regular triangulation and power diagram; see
// regular_oracle.h.
#include "tests/support/regular_oracle.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <tuple>

namespace regular_oracle {

namespace {

using i128 = __int128;

int sgn(i128 v) { return (v > 0) - (v < 0); }

i128 lift(const wpoint& p) { return static_cast<i128>(p.x) * p.x + static_cast<i128>(p.y) * p.y - p.w; }

i128 orient2(const wpoint& a, const wpoint& b, const wpoint& c) {
  return static_cast<i128>(b.x - a.x) * (c.y - a.y) - static_cast<i128>(b.y - a.y) * (c.x - a.x);
}

// d's plane position inside the closed triangle a, b, c (any orientation).
bool in_closed_triangle(const wpoint& a, const wpoint& b, const wpoint& c, const wpoint& d) {
  const int o = sgn(orient2(a, b, c));
  return sgn(orient2(a, b, d)) * o >= 0 && sgn(orient2(b, c, d)) * o >= 0 && sgn(orient2(c, a, d)) * o >= 0;
}

struct ratio {
  i128 num, den;  // den > 0
};
int compare(const ratio& a, const ratio& b) { return sgn(a.num * b.den - b.num * a.den); }

std::string name(int i) { return std::to_string(i); }

}  // namespace

int below(const wpoint& a, const wpoint& b, const wpoint& c, const wpoint& d) {
  const i128 dz = lift(d);
  const i128 ax = a.x - d.x, ay = a.y - d.y, az = lift(a) - dz;
  const i128 bx = b.x - d.x, by = b.y - d.y, bz = lift(b) - dz;
  const i128 cx = c.x - d.x, cy = c.y - d.y, cz = lift(c) - dz;
  return sgn(ax * (by * cz - bz * cy) - ay * (bx * cz - bz * cx) + az * (bx * cy - by * cx));
}

oracle::oracle(std::vector<wpoint> pts) : pts_(std::move(pts)) {
  const int n = size();
  rep_.resize(n);
  hidden_.assign(n, false);
  std::map<std::tuple<long long, long long, long long>, int> first;
  for (int i = 0; i < n; ++i) {
    auto [it, inserted] = first.emplace(std::make_tuple(pts_[i].x, pts_[i].y, pts_[i].w), i);
    rep_[i] = it->second;
    if (inserted) distinct_.push_back(i);
  }
  // Flat: no three points off one line, or every lift in the plane of the
  // first three that are.
  int a = -1, b = -1, c = -1;
  for (int i : distinct_) {
    if (a < 0) {
      a = i;
    } else if (b < 0 || (pts_[b].x == pts_[a].x && pts_[b].y == pts_[a].y)) {
      b = i;
    } else if (orient2(pts_[a], pts_[b], pts_[i]) != 0) {
      c = i;
      break;
    }
  }
  if (c < 0) return;
  if (orient2(pts_[a], pts_[b], pts_[c]) < 0) std::swap(b, c);
  flat_ = true;
  for (int d : distinct_) {
    if (below(pts_[a], pts_[b], pts_[c], pts_[d]) != 0) flat_ = false;
  }
  if (flat_) return;
  // Hidden: some triangle of points covers d in the plane and its lifted
  // plane passes strictly below d's lift there.
  const int m = static_cast<int>(distinct_.size());
  for (int d : distinct_) {
    for (int x = 0; x < m && !hidden_[d]; ++x) {
      for (int y = x + 1; y < m && !hidden_[d]; ++y) {
        for (int z = y + 1; z < m && !hidden_[d]; ++z) {
          int i = distinct_[x], j = distinct_[y], k = distinct_[z];
          const i128 o = orient2(pts_[i], pts_[j], pts_[k]);
          if (o == 0 || !in_closed_triangle(pts_[i], pts_[j], pts_[k], pts_[d])) continue;
          if (o < 0) std::swap(j, k);
          if (below(pts_[i], pts_[j], pts_[k], pts_[d]) < 0) hidden_[d] = true;
        }
      }
    }
  }
}

std::string oracle::check(const std::vector<std::array<int, 3>>& triangles,
                          const std::vector<std::pair<int, int>>& edges) const {
  if (flat_) {
    if (!triangles.empty() || !edges.empty()) {
      return "the lifted points span fewer than 3 dimensions, yet " + std::to_string(triangles.size()) +
             " triangles and " + std::to_string(edges.size()) + " edges were made";
    }
    return "";
  }
  const int n = size();
  std::set<std::array<int, 3>> seen;
  std::map<std::pair<int, int>, int> net;  // directed edge -> uses minus reverse uses
  std::set<std::pair<int, int>> tri_edges;
  i128 area = 0;
  for (const auto& t0 : triangles) {
    std::array<int, 3> t = t0;
    for (int v : t) {
      if (v < 0 || v >= n) return "triangle names point " + name(v) + ", out of range";
      if (rep_[v] != v) return "triangle names point " + name(v) + ", a copy of " + name(rep_[v]);
      if (hidden_[v]) return "triangle names point " + name(v) + ", which is hidden";
    }
    std::array<int, 3> key = t;
    std::sort(key.begin(), key.end());
    const std::string tn = name(key[0]) + " " + name(key[1]) + " " + name(key[2]);
    if (key[0] == key[1] || key[1] == key[2]) return "triangle with a repeated vertex";
    if (!seen.insert(key).second) return "triangle " + tn + " twice";
    const i128 o = orient2(pts_[t[0]], pts_[t[1]], pts_[t[2]]);
    if (o == 0) return "triangle " + tn + " has no area";
    if (o < 0) std::swap(t[1], t[2]);
    area += o < 0 ? -o : o;
    for (int d : distinct_) {
      if (below(pts_[t[0]], pts_[t[1]], pts_[t[2]], pts_[d]) > 0) {
        return "the lift of point " + name(d) + " lies below the plane of triangle " + tn;
      }
    }
    for (int k = 0; k < 3; ++k) {
      const int u = t[k], v = t[(k + 1) % 3];
      ++net[{u, v}];
      --net[{v, u}];
      tri_edges.insert({std::min(u, v), std::max(u, v)});
    }
  }
  // Every edge used once more one way than the other must be a piece of the
  // convex hull's boundary, run counter-clockwise (no point to its right).
  for (const auto& [uv, count] : net) {
    if (count <= 0) continue;  // each pair once, from its positive side
    bool on_boundary = count == 1;
    for (int p : distinct_) {
      if (on_boundary && orient2(pts_[uv.first], pts_[uv.second], pts_[p]) < 0) on_boundary = false;
    }
    if (!on_boundary) {
      return "the triangles do not tile the hull: edge " + name(uv.first) + "->" + name(uv.second) +
             " has net use " + std::to_string(count);
    }
  }
  // Such edges bound the hull some number of times; the area says once.
  std::vector<std::pair<long long, long long>> xy;
  for (int d : distinct_) xy.emplace_back(pts_[d].x, pts_[d].y);
  std::sort(xy.begin(), xy.end());
  xy.erase(std::unique(xy.begin(), xy.end()), xy.end());
  auto cross = [](const auto& o, const auto& a, const auto& b) {
    return static_cast<i128>(a.first - o.first) * (b.second - o.second) -
           static_cast<i128>(a.second - o.second) * (b.first - o.first);
  };
  std::vector<std::pair<long long, long long>> hull;
  for (int pass = 0; pass < 2; ++pass) {
    const std::size_t start = hull.size();
    for (const auto& p : xy) {
      while (hull.size() >= start + 2 && cross(hull[hull.size() - 2], hull.back(), p) <= 0) hull.pop_back();
      hull.push_back(p);
    }
    hull.pop_back();
    std::reverse(xy.begin(), xy.end());
  }
  i128 hull_area = 0;
  for (std::size_t k = 0; k < hull.size(); ++k) {
    const auto& p = hull[k];
    const auto& q = hull[(k + 1) % hull.size()];
    hull_area += static_cast<i128>(p.first) * q.second - static_cast<i128>(q.first) * p.second;
  }
  if (area != hull_area) return "the triangles do not cover the convex hull exactly once";
  std::set<std::pair<int, int>> cand;
  for (auto e : edges) {
    if (e.first > e.second) std::swap(e.first, e.second);
    if (!cand.insert(e).second) return "edge " + name(e.first) + " " + name(e.second) + " listed twice";
    if (tri_edges.count(e) == 0) return "edge " + name(e.first) + " " + name(e.second) + " belongs to no triangle";
  }
  for (const auto& e : tri_edges) {
    if (cand.count(e) == 0) return "triangle edge " + name(e.first) + " " + name(e.second) + " is missing";
  }
  return "";
}

// On the radical axis of a = p_i and b = p_j, with d = b - a, n = d turned by
// +90 degrees and D = 2 |d|^2, the points are c(T) = (C0 + T n) / D for the
// integer vector C0 = D a + (z_b - z_a - 2 a.d) d (z the lifts).  Point p has
// no smaller power than a at c exactly when 2 c.(a - p) >= z_a - z_p, that is
// -2 orient(a, b, p) T >= D (z_a - z_p) - 2 C0.(a - p) =: R.
struct oracle::interval {
  bool blocked = false;
  bool has_lo = false, has_hi = false;
  ratio lo{0, 1}, hi{0, 1};
  i128 c0x = 0, c0y = 0, D = 1;
};

oracle::interval oracle::axis_interval(int i, int j) const {
  interval r;
  const wpoint& a = pts_[i];
  const wpoint& b = pts_[j];
  for (const wpoint* p : {&a, &b}) {
    if (std::llabs(p->x) > 10000 || std::llabs(p->y) > 10000 || std::llabs(p->w) > 1000000000) std::abort();
  }
  const i128 dx = b.x - a.x, dy = b.y - a.y;
  r.D = 2 * (dx * dx + dy * dy);
  const i128 za = lift(a), zb = lift(b);
  const i128 k = zb - za - 2 * (a.x * dx + a.y * dy);
  r.c0x = r.D * a.x + k * dx;
  r.c0y = r.D * a.y + k * dy;
  if (r.D == 0) {
    r.blocked = true;
    return r;
  }
  for (int q : distinct_) {
    if (q == i || q == j) continue;
    const wpoint& p = pts_[q];
    if (std::llabs(p.x) > 10000 || std::llabs(p.y) > 10000 || std::llabs(p.w) > 1000000000) std::abort();
    const i128 R = r.D * (za - lift(p)) - 2 * (r.c0x * (a.x - p.x) + r.c0y * (a.y - p.y));
    const i128 o = orient2(a, b, p);
    if (o == 0) {
      if (R > 0) r.blocked = true;
      continue;
    }
    // -2 o T >= R: T <= -R / (2 o) for o > 0, T >= R / (-2 o) for o < 0.
    if (o > 0) {
      const ratio t{-R, 2 * o};
      if (!r.has_hi || compare(t, r.hi) < 0) r.hi = t;
      r.has_hi = true;
    } else {
      const ratio t{R, -2 * o};
      if (!r.has_lo || compare(t, r.lo) > 0) r.lo = t;
      r.has_lo = true;
    }
  }
  return r;
}

bool oracle::strong_edge(int i, int j) const {
  if (flat_ || i == j || rep_[i] != i || rep_[j] != j) return false;
  const interval r = axis_interval(i, j);
  if (r.blocked) return false;
  return !r.has_lo || !r.has_hi || compare(r.lo, r.hi) < 0;
}

delaunay_oracle::voronoi_piece oracle::power_edge(int i, int j) const {
  const interval r = axis_interval(i, j);
  const wpoint& a = pts_[i];
  const wpoint& b = pts_[j];
  const long long nx = -(b.y - a.y), ny = b.x - a.x;
  auto centre = [&](const ratio& t, double out[2]) {
    // (C0 den + num n) / (D den), and hundredths to plane units
    const long double den = static_cast<long double>(r.D) * static_cast<long double>(t.den) * 100.0L;
    out[0] = static_cast<double>((static_cast<long double>(r.c0x) * static_cast<long double>(t.den) +
                                  static_cast<long double>(t.num) * nx) / den);
    out[1] = static_cast<double>((static_cast<long double>(r.c0y) * static_cast<long double>(t.den) +
                                  static_cast<long double>(t.num) * ny) / den);
  };
  double from[2], to[2];
  if (r.has_lo) centre(r.lo, from);
  if (r.has_hi) centre(r.hi, to);
  return delaunay_oracle::piece_of(r.has_lo ? from : nullptr, r.has_hi ? to : nullptr,
                                   static_cast<double>(nx), static_cast<double>(ny));
}

}  // namespace regular_oracle
