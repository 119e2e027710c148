// Brute-force exact Delaunay reference; see delaunay_oracle.h.
#include "tests/support/delaunay_oracle.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <sstream>

namespace delaunay_oracle {

namespace {

using i128 = __int128;

int sgn(i128 v) { return (v > 0) - (v < 0); }

// t = num / den with den > 0.
struct ratio {
  i128 num, den;
};
int compare(const ratio& a, const ratio& b) { return sgn(a.num * b.den - b.num * a.den); }

std::string name(int i) { return std::to_string(i); }

}  // namespace

long long orient(const ipoint& a, const ipoint& b, const ipoint& c) {
  return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

int incircle(const ipoint& a, const ipoint& b, const ipoint& c, const ipoint& d) {
  const i128 adx = a.x - d.x, ady = a.y - d.y;
  const i128 bdx = b.x - d.x, bdy = b.y - d.y;
  const i128 cdx = c.x - d.x, cdy = c.y - d.y;
  const i128 al = adx * adx + ady * ady;
  const i128 bl = bdx * bdx + bdy * bdy;
  const i128 cl = cdx * cdx + cdy * cdy;
  const i128 det = adx * (bdy * cl - bl * cdy) - ady * (bdx * cl - bl * cdx) + al * (bdx * cdy - bdy * cdx);
  return sgn(det);
}

// The centres c(t) = (a + b) / 2 + t n, n = (b - a) turned by +90 degrees,
// of the circles through a and b, restricted by every other point p: p lies
// strictly inside c(t)'s circle exactly when (p - a).(p - b) < 2 t orient(a, b, p).
struct oracle::interval {
  bool blocked_closed = false;  // a point strictly between a and b: no circle is empty
  bool has_lo = false, has_hi = false;
  ratio lo{0, 1}, hi{0, 1};
};

oracle::oracle(std::vector<ipoint> pts) : pts_(std::move(pts)) {
  const int n = size();
  rep_.resize(n);
  std::map<std::pair<long long, long long>, int> first;
  for (int i = 0; i < n; ++i) {
    auto [it, inserted] = first.emplace(std::make_pair(pts_[i].x, pts_[i].y), i);
    rep_[i] = it->second;
    if (inserted) distinct_.push_back(i);
  }
  flat_ = true;
  if (distinct_.size() < 4) return;
  // Three distinct points off one line, then any point off their circle.
  const ipoint& a = pts_[distinct_[0]];
  const ipoint& b = pts_[distinct_[1]];
  int c_index = -1;
  for (std::size_t k = 2; k < distinct_.size(); ++k) {
    if (orient(a, b, pts_[distinct_[k]]) != 0) {
      c_index = distinct_[k];
      break;
    }
  }
  if (c_index < 0) return;  // all on one line
  for (int d : distinct_) {
    if (incircle(a, b, pts_[c_index], pts_[d]) != 0) {
      flat_ = false;
      return;
    }
  }
}

oracle::interval oracle::bisector_interval(int i, int j) const {
  interval r;
  const ipoint& a = pts_[i];
  const ipoint& b = pts_[j];
  for (int k : distinct_) {
    if (k == i || k == j) continue;
    const ipoint& p = pts_[k];
    const i128 l = static_cast<i128>(p.x - a.x) * (p.x - b.x) + static_cast<i128>(p.y - a.y) * (p.y - b.y);
    const i128 o = orient(a, b, p);
    if (o == 0) {
      if (l < 0) r.blocked_closed = true;
      continue;
    }
    // Empty circle: t <= l / (2 o) for o > 0, t >= l / (2 o) for o < 0.
    ratio t = o > 0 ? ratio{l, 2 * o} : ratio{-l, -2 * o};
    if (o > 0) {
      if (!r.has_hi || compare(t, r.hi) < 0) r.hi = t;
      r.has_hi = true;
    } else {
      if (!r.has_lo || compare(t, r.lo) > 0) r.lo = t;
      r.has_lo = true;
    }
  }
  return r;
}

bool oracle::delaunay_edge(int i, int j) const {
  if (i == j || rep_[i] != i || rep_[j] != j) return false;
  const interval r = bisector_interval(i, j);
  if (r.blocked_closed) return false;
  return !r.has_lo || !r.has_hi || compare(r.lo, r.hi) <= 0;
}

bool oracle::strong_edge(int i, int j) const {
  if (i == j || rep_[i] != i || rep_[j] != j) return false;
  const interval r = bisector_interval(i, j);
  if (r.blocked_closed) return false;
  return !r.has_lo || !r.has_hi || compare(r.lo, r.hi) < 0;
}

std::vector<std::pair<int, int>> oracle::strong_edges() const {
  std::vector<std::pair<int, int>> out;
  if (flat_) return out;
  for (std::size_t x = 0; x < distinct_.size(); ++x) {
    for (std::size_t y = x + 1; y < distinct_.size(); ++y) {
      if (strong_edge(distinct_[x], distinct_[y])) out.emplace_back(distinct_[x], distinct_[y]);
    }
  }
  return out;
}

voronoi_piece oracle::voronoi(int i, int j) const {
  const interval r = bisector_interval(i, j);
  const ipoint& a = pts_[i];
  const ipoint& b = pts_[j];
  const long long nx = -(b.y - a.y), ny = b.x - a.x;
  auto centre = [&](const ratio& t, double out[2]) {
    // ((a + b) den + 2 num n) / (200 den), in plane units
    const long double den = static_cast<long double>(t.den) * 200.0L;
    out[0] = static_cast<double>((static_cast<long double>(a.x + b.x) * static_cast<long double>(t.den) +
                                  2.0L * static_cast<long double>(t.num) * nx) / den);
    out[1] = static_cast<double>((static_cast<long double>(a.y + b.y) * static_cast<long double>(t.den) +
                                  2.0L * static_cast<long double>(t.num) * ny) / den);
  };
  double from[2], to[2];
  if (r.has_lo) centre(r.lo, from);
  if (r.has_hi) centre(r.hi, to);
  return piece_of(r.has_lo ? from : nullptr, r.has_hi ? to : nullptr, static_cast<double>(nx),
                  static_cast<double>(ny));
}

voronoi_piece piece_of(const double* from, const double* to, double dx, double dy) {
  voronoi_piece v;
  v.bounded_from = from != nullptr;
  v.bounded_to = to != nullptr;
  for (int k = 0; k < 2; ++k) {
    if (from != nullptr) v.from[k] = from[k];
    if (to != nullptr) v.to[k] = to[k];
  }
  v.dir[0] = dx;
  v.dir[1] = dy;
  return v;
}

bool oracle::drawn(int i, int j, double seg[4], double half) const {
  return clip_piece(voronoi(i, j), seg, half);
}

bool clip_piece(const voronoi_piece& v, double seg[4], double half) {
  if (v.bounded_from && v.bounded_to) {
    seg[0] = v.from[0];
    seg[1] = v.from[1];
    seg[2] = v.to[0];
    seg[3] = v.to[1];
    return true;
  }
  // A ray: its bounded end, and the direction away from it.
  double s[2], d[2];
  if (v.bounded_from) {
    s[0] = v.from[0], s[1] = v.from[1], d[0] = v.dir[0], d[1] = v.dir[1];
  } else {
    s[0] = v.to[0], s[1] = v.to[1], d[0] = -v.dir[0], d[1] = -v.dir[1];
  }
  // Parameter range of the ray inside the square, by slabs.
  double t0 = 0.0, t1 = INFINITY;
  for (int k = 0; k < 2; ++k) {
    if (d[k] == 0.0) {
      if (std::fabs(s[k]) > half) return false;
      continue;
    }
    double ta = (-half - s[k]) / d[k], tb = (half - s[k]) / d[k];
    if (ta > tb) std::swap(ta, tb);
    t0 = std::max(t0, ta);
    t1 = std::min(t1, tb);
  }
  if (!(t1 > t0)) return false;
  seg[0] = s[0];
  seg[1] = s[1];
  seg[2] = s[0] + t1 * d[0];
  seg[3] = s[1] + t1 * d[1];
  return true;
}

std::array<double, 2> oracle::circumcentre(int i, int j, int k) const {
  const ipoint& a = pts_[i];
  const ipoint& b = pts_[j];
  const ipoint& c = pts_[k];
  const long double ux = b.x - a.x, uy = b.y - a.y, wx = c.x - a.x, wy = c.y - a.y;
  const long double det = 2.0L * (ux * wy - uy * wx);
  const long double u2 = ux * ux + uy * uy, w2 = wx * wx + wy * wy;
  return {static_cast<double>((a.x + (wy * u2 - uy * w2) / det) / 100.0L),
          static_cast<double>((a.y + (ux * w2 - wx * u2) / det) / 100.0L)};
}

std::string oracle::check(const std::vector<std::array<int, 3>>& triangles,
                          const std::vector<std::pair<int, int>>& edges) const {
  std::ostringstream err;
  if (flat_) {
    if (!triangles.empty() || !edges.empty()) {
      err << "the lifted points span fewer than 3 dimensions, yet " << triangles.size()
          << " triangles and " << edges.size() << " edges were made";
    }
    return err.str();
  }
  const int n = size();
  std::set<std::array<int, 3>> seen_tri;
  std::map<std::pair<int, int>, int> net;  // directed edge -> uses minus reverse uses
  std::set<std::pair<int, int>> tri_edges;
  std::vector<bool> is_vertex(n, false);
  for (const auto& t0 : triangles) {
    std::array<int, 3> t = t0;
    for (int v : t) {
      if (v < 0 || v >= n) return "triangle names point " + name(v) + ", out of range";
      if (rep_[v] != v) return "triangle names point " + name(v) + ", a duplicate of " + name(rep_[v]);
    }
    std::array<int, 3> key = t;
    std::sort(key.begin(), key.end());
    if (key[0] == key[1] || key[1] == key[2]) return "triangle with a repeated vertex";
    if (!seen_tri.insert(key).second) {
      return "triangle " + name(key[0]) + " " + name(key[1]) + " " + name(key[2]) + " twice";
    }
    const long long o = orient(pts_[t[0]], pts_[t[1]], pts_[t[2]]);
    if (o == 0) return "triangle " + name(key[0]) + " " + name(key[1]) + " " + name(key[2]) + " has no area";
    if (o < 0) std::swap(t[1], t[2]);
    for (int d : distinct_) {
      if (d == t[0] || d == t[1] || d == t[2]) continue;
      if (incircle(pts_[t[0]], pts_[t[1]], pts_[t[2]], pts_[d]) > 0) {
        return "point " + name(d) + " lies inside the circumcircle of triangle " + name(key[0]) + " " +
               name(key[1]) + " " + name(key[2]);
      }
    }
    for (int k = 0; k < 3; ++k) {
      const int u = t[k], v = t[(k + 1) % 3];
      ++net[{u, v}];
      --net[{v, u}];
      tri_edges.insert({std::min(u, v), std::max(u, v)});
      is_vertex[u] = true;
    }
  }
  for (int d : distinct_) {
    if (!is_vertex[d]) return "point " + name(d) + " is no vertex of any triangle";
  }
  // Counter-clockwise boundary edges of the hull, collinear points included:
  // u -> v with no point to the right and none strictly between.
  std::set<std::pair<int, int>> boundary;
  for (int u : distinct_) {
    for (int v : distinct_) {
      if (u == v) continue;
      bool ok = true;
      for (int p : distinct_) {
        if (p == u || p == v) continue;
        const long long o = orient(pts_[u], pts_[v], pts_[p]);
        if (o < 0) {
          ok = false;
          break;
        }
        if (o == 0) {
          const i128 l = static_cast<i128>(pts_[p].x - pts_[u].x) * (pts_[p].x - pts_[v].x) +
                         static_cast<i128>(pts_[p].y - pts_[u].y) * (pts_[p].y - pts_[v].y);
          if (l < 0) {
            ok = false;
            break;
          }
        }
      }
      if (ok) boundary.insert({u, v});
    }
  }
  // The triangles, all counter-clockwise, must have the hull's boundary as
  // their boundary: then every point of the hull is covered exactly once.
  for (const auto& [uv, count] : net) {
    const int want = boundary.count(uv) != 0 ? 1 : (boundary.count({uv.second, uv.first}) != 0 ? -1 : 0);
    if (count != want) {
      return "the triangles do not tile the hull: edge " + name(uv.first) + "->" + name(uv.second) +
             " has net use " + std::to_string(count) + ", expected " + std::to_string(want);
    }
  }
  for (const auto& uv : boundary) {
    if (net.count(uv) == 0) {
      return "hull boundary edge " + name(uv.first) + "->" + name(uv.second) + " belongs to no triangle";
    }
  }
  std::set<std::pair<int, int>> cand;
  for (auto e : edges) {
    if (e.first > e.second) std::swap(e.first, e.second);
    if (!cand.insert(e).second) return "edge " + name(e.first) + " " + name(e.second) + " listed twice";
  }
  for (const auto& e : cand) {
    if (tri_edges.count(e) == 0) {
      return "edge " + name(e.first) + " " + name(e.second) + " belongs to no triangle";
    }
  }
  for (const auto& e : tri_edges) {
    if (cand.count(e) == 0) return "triangle edge " + name(e.first) + " " + name(e.second) + " is missing";
  }
  return "";
}

}  // namespace delaunay_oracle
