// The diagrams of the sets the hull engine cannot show (see flat_diagram.h).
// Every decision is an integer determinant on whole hundredths; only the
// Voronoi vertices, which are rational, become doubles at the end.
#include "app/flat_diagram.h"

#include <algorithm>
#include <cmath>

namespace {

using i128 = __int128;
constexpr double kHalf = 3.0;  // the view square is [-kHalf, kHalf]^2

struct ipt {
  long long x, y;
  int index;  // the first point_table index at these hundredths
};

long long orient(const ipt& a, const ipt& b, const ipt& c) {
  return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// > 0 when d lies strictly inside the circle through a, b, c (counter-
// clockwise), 0 on it, < 0 outside.
int incircle(const ipt& a, const ipt& b, const ipt& c, const ipt& d) {
  const i128 adx = a.x - d.x, ady = a.y - d.y, bdx = b.x - d.x, bdy = b.y - d.y;
  const i128 cdx = c.x - d.x, cdy = c.y - d.y;
  const i128 al = adx * adx + ady * ady, bl = bdx * bdx + bdy * bdy, cl = cdx * cdx + cdy * cdy;
  const i128 det =
      adx * (bdy * cl - bl * cdy) - ady * (bdx * cl - bl * cdx) + al * (bdx * cdy - bdy * cdx);
  return (det > 0) - (det < 0);
}

// The circumcentre of three points off one line, in plane units.
void circumcentre(const ipt& a, const ipt& b, const ipt& c, double out[2]) {
  const i128 la = i128(a.x) * a.x + i128(a.y) * a.y;
  const i128 lb = i128(b.x) * b.x + i128(b.y) * b.y;
  const i128 lc = i128(c.x) * c.x + i128(c.y) * c.y;
  const i128 d = 2 * (i128(a.x) * (b.y - c.y) + i128(b.x) * (c.y - a.y) + i128(c.x) * (a.y - b.y));
  const i128 nx = la * (b.y - c.y) + lb * (c.y - a.y) + lc * (a.y - b.y);
  const i128 ny = la * (c.x - b.x) + lb * (a.x - c.x) + lc * (b.x - a.x);
  out[0] = static_cast<double>(static_cast<long double>(nx) / static_cast<long double>(d) / 100.0L);
  out[1] = static_cast<double>(static_cast<long double>(ny) / static_cast<long double>(d) / 100.0L);
}

void sort_ends(std::array<double, 4>& s) {
  if (s[2] < s[0] || (s[2] == s[0] && s[3] < s[1])) {
    std::swap(s[0], s[2]);
    std::swap(s[1], s[3]);
  }
}

void add_edge(flat_diagram& g, int i, int j) {
  g.edges.push_back({std::min(i, j), std::max(i, j)});
}

// The ray from s perpendicular to a -> b on the side away from c (or, for a
// counter-clockwise polygon side, out of the polygon when c is inside it).
void add_ray(flat_diagram& g, const double s[2], const ipt& a, const ipt& b, const ipt& c) {
  long long dx = -(b.y - a.y), dy = b.x - a.x;  // a -> b turned by +90 degrees
  if (orient(a, b, c) > 0) {
    dx = -dx;
    dy = -dy;
  }
  const double d[2] = {static_cast<double>(dx), static_cast<double>(dy)};
  double end[2];
  if (clip_ray_to_view(s, d, end)) g.voronoi.push_back({s[0], s[1], end[0], end[1]});
}

void line_diagram(flat_diagram& g, std::vector<ipt>& p) {
  // Along one line the lexicographic order is the order on the line.
  std::sort(p.begin(), p.end(),
            [](const ipt& a, const ipt& b) { return a.x != b.x ? a.x < b.x : a.y < b.y; });
  for (std::size_t k = 0; k + 1 < p.size(); ++k) {
    const ipt& a = p[k];
    const ipt& b = p[k + 1];
    add_edge(g, a.index, b.index);
    const double m[2] = {(a.x + b.x) / 200.0, (a.y + b.y) / 200.0};
    const double d[2] = {static_cast<double>(-(b.y - a.y)), static_cast<double>(b.x - a.x)};
    double seg[4];
    if (clip_line_to_view(m, d, seg)) g.voronoi.push_back({seg[0], seg[1], seg[2], seg[3]});
  }
}

void circle_diagram(flat_diagram& g, std::vector<ipt>& p, const ipt& a, const ipt& b,
                    const ipt& c) {
  circumcentre(a, b, c, g.centre);
  // Counter-clockwise around the centre: distinct points of one circle have
  // distinct angles.
  const double cx = g.centre[0] * 100.0, cy = g.centre[1] * 100.0;
  std::sort(p.begin(), p.end(), [cx, cy](const ipt& u, const ipt& v) {
    return std::atan2(u.y - cy, u.x - cx) < std::atan2(v.y - cy, v.x - cx);
  });
  const std::size_t n = p.size();
  if (n == 3) {
    std::array<int, 3> t = {p[0].index, p[1].index, p[2].index};
    std::sort(t.begin(), t.end());
    g.triangles.push_back(t);
  }
  for (std::size_t k = 0; k < n; ++k) {
    const ipt& u = p[k];
    const ipt& v = p[(k + 1) % n];
    const ipt& w = p[(k + 2) % n];  // a point of the polygon off the side u-v
    add_edge(g, u.index, v.index);
    add_ray(g, g.centre, u, v, w);
  }
}

void four_diagram(flat_diagram& g, const std::vector<ipt>& p) {
  struct tri {
    int k[3];
    double cc[2];
  };
  std::vector<tri> tris;
  for (int i = 0; i < 4; ++i)
    for (int j = i + 1; j < 4; ++j)
      for (int k = j + 1; k < 4; ++k) {
        const int other = 6 - i - j - k;
        const long long o = orient(p[i], p[j], p[k]);
        if (o == 0) continue;
        const int in =
            o > 0 ? incircle(p[i], p[j], p[k], p[other]) : incircle(p[i], p[k], p[j], p[other]);
        if (in >= 0) continue;  // not cocircular, so outside means strictly outside
        tri t{{i, j, k}, {0, 0}};
        circumcentre(p[i], p[j], p[k], t.cc);
        tris.push_back(t);
        std::array<int, 3> named = {p[i].index, p[j].index, p[k].index};
        std::sort(named.begin(), named.end());
        g.triangles.push_back(named);
      }
  for (int i = 0; i < 4; ++i)
    for (int j = i + 1; j < 4; ++j) {
      const tri* on[2] = {nullptr, nullptr};
      int count = 0;
      for (const tri& t : tris) {
        const bool has_i = t.k[0] == i || t.k[1] == i || t.k[2] == i;
        const bool has_j = t.k[0] == j || t.k[1] == j || t.k[2] == j;
        if (has_i && has_j) on[count++] = &t;
      }
      if (count == 0) continue;
      add_edge(g, p[i].index, p[j].index);
      if (count == 2) {
        std::array<double, 4> s = {on[0]->cc[0], on[0]->cc[1], on[1]->cc[0], on[1]->cc[1]};
        sort_ends(s);
        g.voronoi.push_back(s);
      } else {
        const int third = on[0]->k[0] + on[0]->k[1] + on[0]->k[2] - i - j;
        add_ray(g, on[0]->cc, p[i], p[j], p[third]);
      }
    }
}

}  // namespace

int clip_line_to_view(const double p[2], const double d[2], double seg[4]) {
  double t0 = -INFINITY, t1 = INFINITY;
  for (int k = 0; k < 2; ++k) {
    if (d[k] == 0.0) {
      if (p[k] < -kHalf || p[k] > kHalf) return 0;
      continue;
    }
    double ta = (-kHalf - p[k]) / d[k], tb = (kHalf - p[k]) / d[k];
    if (ta > tb) std::swap(ta, tb);
    t0 = std::max(t0, ta);
    t1 = std::min(t1, tb);
  }
  if (!(t1 > t0)) return 0;
  std::array<double, 4> s = {p[0] + t0 * d[0], p[1] + t0 * d[1], p[0] + t1 * d[0],
                             p[1] + t1 * d[1]};
  sort_ends(s);
  std::copy(s.begin(), s.end(), seg);
  return 1;
}

flat_diagram compute_flat_diagram(const point_rec* table, int count) {
  flat_diagram g;
  std::vector<ipt> p;
  for (int i = 0; i < count; ++i) {
    long long X = 0, Y = 0;
    if (!point_hundredths(&table[i], &X, &Y)) return g;  // the engine refuses the set
    bool seen = false;
    for (const ipt& q : p) seen = seen || (q.x == X && q.y == Y);
    if (!seen) p.push_back({X, Y, i});
  }
  g.distinct = static_cast<int>(p.size());
  if (p.empty()) {
    g.kind = flat_kind::empty;
    return g;
  }
  if (p.size() == 1) {
    g.kind = flat_kind::single;
    return g;
  }
  std::size_t off = 0;  // the first point off the line through p[0] and p[1]
  for (std::size_t k = 2; k < p.size() && off == 0; ++k)
    if (orient(p[0], p[1], p[k]) != 0) off = k;
  if (off == 0) {
    g.kind = flat_kind::line;
    line_diagram(g, p);
  } else {
    const ipt a = p[0], b = orient(p[0], p[1], p[off]) > 0 ? p[1] : p[off];
    const ipt c = orient(p[0], p[1], p[off]) > 0 ? p[off] : p[1];
    bool cocircular = true;
    for (const ipt& q : p) cocircular = cocircular && incircle(a, b, c, q) == 0;
    if (cocircular) {
      g.kind = flat_kind::circle;
      circle_diagram(g, p, a, b, c);
    } else if (p.size() == 4) {
      g.kind = flat_kind::four;
      four_diagram(g, p);
    } else {
      return g;  // kind hull
    }
  }
  std::sort(g.triangles.begin(), g.triangles.end());
  std::sort(g.edges.begin(), g.edges.end());
  return g;
}
