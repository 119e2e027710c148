// The exact checker: integer determinants over the sites, brute force.
#include "tests/hull/oracle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <set>

namespace {

using i128 = __int128;

// ---------------------------------------------------------------------------
// Site feeding
// ---------------------------------------------------------------------------

std::vector<double> fed;      // coordinates as the engine sees them
int fed_dim = 3;
int fed_next = 0;
int fed_calls = 0;

// ---------------------------------------------------------------------------
// Exact linear algebra
// ---------------------------------------------------------------------------

i128 abs128(i128 x) { return x < 0 ? -x : x; }

i128 gcd128(i128 a, i128 b) {
  a = abs128(a);
  b = abs128(b);
  while (b) {
    i128 t = a % b;
    a = b;
    b = t;
  }
  return a;
}

// Determinant of an n x n integer matrix (Bareiss, exact division).
i128 det(std::vector<std::vector<i128>> m) {
  const int n = static_cast<int>(m.size());
  if (n == 0) return 1;
  i128 sign = 1, prev = 1;
  for (int k = 0; k < n - 1; k++) {
    if (m[k][k] == 0) {
      int r = k + 1;
      while (r < n && m[r][k] == 0) r++;
      if (r == n) return 0;
      std::swap(m[k], m[r]);
      sign = -sign;
    }
    for (int i = k + 1; i < n; i++)
      for (int j = k + 1; j < n; j++) m[i][j] = (m[i][j] * m[k][k] - m[i][k] * m[k][j]) / prev;
    prev = m[k][k];
  }
  return sign * m[n - 1][n - 1];
}

// The hyperplane through d points of d-space: normal N (cofactors) such that
// side(p) = N . (p - v0) = det(v1 - v0, ..., v_{d-1} - v0, p - v0).
struct Plane {
  std::vector<i128> n;
  std::vector<i128> v0;
  i128 side(const i128* p) const {
    i128 s = 0;
    for (size_t j = 0; j < n.size(); j++) s += n[j] * (p[j] - v0[j]);
    return s;
  }
  bool degenerate() const {
    return std::all_of(n.begin(), n.end(), [](i128 x) { return x == 0; });
  }
};

Plane plane_through(const std::vector<const i128*>& v, int d) {
  Plane pl;
  pl.v0.assign(v[0], v[0] + d);
  pl.n.assign(d, 0);
  for (int j = 0; j < d; j++) {
    std::vector<std::vector<i128>> minor;
    for (int r = 1; r < d; r++) {
      std::vector<i128> row;
      for (int c = 0; c < d; c++)
        if (c != j) row.push_back(v[r][c] - v[0][c]);
      minor.push_back(row);
    }
    i128 m = det(minor);
    pl.n[j] = ((d - 1 + j) % 2 == 0) ? m : -m;
  }
  return pl;
}

// Row-echelon basis of the differences p - p0 (gcd-normalised rows).
struct Span {
  int d;
  std::vector<std::vector<i128>> rows;
  std::vector<int> pivots;
  bool add(std::vector<i128> v) {
    for (size_t r = 0; r < rows.size(); r++) {
      int c = pivots[r];
      if (v[c] == 0) continue;
      i128 a = rows[r][c], b = v[c];
      for (int j = 0; j < d; j++) v[j] = v[j] * a - rows[r][j] * b;
      i128 g = 0;
      for (int j = 0; j < d; j++) g = gcd128(g, v[j]);
      if (g > 1)
        for (int j = 0; j < d; j++) v[j] /= g;
    }
    int c = 0;
    while (c < d && v[c] == 0) c++;
    if (c == d) return false;
    rows.push_back(v);
    pivots.push_back(c);
    return true;
  }
};

// ---------------------------------------------------------------------------
// Reading the hull
// ---------------------------------------------------------------------------

std::vector<simplex*> walked;
void* collect(simplex* s, void*) {
  walked.push_back(s);
  return nullptr;
}

std::vector<simplex*> facets_of(simplex* root) {
  walked.clear();
  walk_facets(root, collect);
  return walked;
}

std::vector<simplex*> all_of(simplex* root) {
  walked.clear();
  walk_all(root, collect);
  return walked;
}

int index_of(site p) {
  if (p == infinity_point) return -1;
  if (!p || fed.empty() || p < fed.data() || p >= fed.data() + fed.size()) return -2;
  return static_cast<int>((p - fed.data()) / fed_dim);
}

std::vector<site> verts_with_peak(simplex* s) {
  std::vector<site> v;
  if (s->peak.vert) v.push_back(s->peak.vert);
  for (int i = 0; i < cdim; i++) v.push_back(s->neighbors[i].vert);
  return v;
}

// Structure: every link has a link back, crosses the face it claims to, and
// outer simplices meet outer simplices across ridges and interior ones across
// their facet.
void check_links(simplex* root, int* simplices, int* outer) {
  std::vector<simplex*> all = all_of(root);
  *simplices = static_cast<int>(all.size());
  *outer = 0;
  int reported = 0;
  for (simplex* s : all) {
    if (!s->peak.vert) ++*outer;
    std::vector<site> sv = verts_with_peak(s);
    for (int i = -1; i < cdim; i++) {
      neighbor* e = i < 0 ? &s->peak : &s->neighbors[i];
      simplex* n = e->simp;
      if (!n) {
        if (reported++ < 5) ADD_FAILURE() << "null link at entry " << i;
        continue;
      }
      bool back = n->peak.simp == s;
      for (int j = 0; j < cdim && !back; j++) back = n->neighbors[j].simp == s;
      if (!back && reported++ < 5) ADD_FAILURE() << "link without a link back at entry " << i;
      std::vector<site> nv = verts_with_peak(n);
      for (site x : sv) {
        if (x == e->vert && i >= 0) continue;
        if (i < 0 && x == s->peak.vert) continue;
        if (std::find(nv.begin(), nv.end(), x) == nv.end() && reported++ < 5)
          ADD_FAILURE() << "entry " << i << " does not cross the face opposite its vertex";
      }
      if (!s->peak.vert) {
        bool n_outer = !n->peak.vert;
        if (i >= 0 && !n_outer && reported++ < 5) ADD_FAILURE() << "facet meets an interior simplex across a ridge";
        if (i < 0 && n_outer && reported++ < 5) ADD_FAILURE() << "facet meets a facet across itself";
      }
    }
  }
}

// Ridges: every (d-1)-subset of a facet's vertices lies in exactly two facets.
void check_ridges(const std::vector<std::vector<int>>& facets) {
  std::map<std::vector<int>, int> count;
  for (const auto& f : facets) {
    for (size_t skip = 0; skip < f.size(); skip++) {
      std::vector<int> r;
      for (size_t j = 0; j < f.size(); j++)
        if (j != skip) r.push_back(f[j]);
      count[r]++;
    }
  }
  int reported = 0;
  for (const auto& [r, c] : count)
    if (c != 2 && reported++ < 5) ADD_FAILURE() << "a ridge lies in " << c << " facets";
  std::set<std::vector<int>> distinct(facets.begin(), facets.end());
  EXPECT_EQ(distinct.size(), facets.size()) << "a facet occurs twice";
}

// The checks in full dimension d over points pts (n x d, exact).
void check_full(const std::vector<std::vector<int>>& facets, const std::vector<i128>& pts, int d,
                HullReport* rep) {
  const int n = static_cast<int>(pts.size()) / d;
  int reported = 0;
  for (const auto& f : facets) {
    if (static_cast<int>(f.size()) != d) {
      if (reported++ < 5) ADD_FAILURE() << "facet with " << f.size() << " vertices in dimension " << d;
      continue;
    }
    std::vector<const i128*> v;
    for (int x : f) v.push_back(&pts[static_cast<size_t>(x) * d]);
    Plane pl = plane_through(v, d);
    if (pl.degenerate()) {
      if (reported++ < 5) ADD_FAILURE() << "degenerate facet";
      continue;
    }
    int pos = 0, neg = 0;
    for (int i = 0; i < n; i++) {
      i128 sd = pl.side(&pts[static_cast<size_t>(i) * d]);
      if (sd > 0) pos++;
      if (sd < 0) neg++;
      if (sd == 0 && !std::binary_search(f.begin(), f.end(), i)) rep->coplanar_contacts++;
    }
    if (pos && neg && reported++ < 5)
      ADD_FAILURE() << "sites on both sides of a facet (" << pos << " / " << neg << ")";
  }
  check_ridges(facets);
  // Extreme sites: the unique maximiser of a linear function is extreme and
  // must be a vertex.  Coordinate directions and random integer directions.
  std::mt19937 rng(12345);
  std::uniform_int_distribution<int> w(-1000, 1000);
  reported = 0;
  for (int t = 0; t < 200; t++) {
    std::vector<i128> dir(d);
    if (t < 2 * d)
      dir[t / 2] = (t % 2) ? -1 : 1;
    else
      for (auto& x : dir) x = w(rng);
    i128 best = 0;
    std::vector<int> arg;
    for (int i = 0; i < n; i++) {
      i128 val = 0;
      for (int j = 0; j < d; j++) val += dir[j] * pts[static_cast<size_t>(i) * d + j];
      if (arg.empty() || val > best) {
        best = val;
        arg = {i};
      } else if (val == best) {
        arg.push_back(i);
      }
    }
    // Unique as a point: all maximisers are copies of one site.
    bool one_point = std::all_of(arg.begin(), arg.end(), [&](int i) {
      return std::equal(&pts[static_cast<size_t>(i) * d], &pts[static_cast<size_t>(i) * d] + d,
                        &pts[static_cast<size_t>(arg[0]) * d]);
    });
    if (!one_point) continue;
    bool vertex = std::any_of(arg.begin(), arg.end(),
                              [&](int i) { return std::binary_search(rep->vertices.begin(), rep->vertices.end(), i); });
    if (!vertex && reported++ < 5) ADD_FAILURE() << "extreme site " << arg[0] << " is not a vertex";
  }
}

i128 orient2(const int64_t* a, const int64_t* b, const int64_t* c) {
  return static_cast<i128>(b[0] - a[0]) * (c[1] - a[1]) - static_cast<i128>(b[1] - a[1]) * (c[0] - a[0]);
}

// > 0 when d lies strictly inside the circle through a, b, c (counter-clockwise).
i128 incircle(const int64_t* a, const int64_t* b, const int64_t* c, const int64_t* d) {
  i128 m[3][3];
  const int64_t* rows[3] = {a, b, c};
  for (int r = 0; r < 3; r++) {
    i128 dx = rows[r][0] - d[0], dy = rows[r][1] - d[1];
    m[r][0] = dx;
    m[r][1] = dy;
    m[r][2] = dx * dx + dy * dy;
  }
  return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
         m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

// Twice the area of the convex hull of 2D sites (monotone chain).
i128 hull_area2(const SiteSet& s) {
  std::vector<std::pair<int64_t, int64_t>> p;
  for (int i = 0; i < s.n(); i++) p.push_back({s.c[2 * i], s.c[2 * i + 1]});
  std::sort(p.begin(), p.end());
  p.erase(std::unique(p.begin(), p.end()), p.end());
  if (p.size() < 3) return 0;
  auto cross = [](std::pair<int64_t, int64_t> o, std::pair<int64_t, int64_t> a, std::pair<int64_t, int64_t> b) {
    return static_cast<i128>(a.first - o.first) * (b.second - o.second) -
           static_cast<i128>(a.second - o.second) * (b.first - o.first);
  };
  std::vector<std::pair<int64_t, int64_t>> h(2 * p.size());
  size_t k = 0;
  for (size_t i = 0; i < p.size(); i++) {
    while (k >= 2 && cross(h[k - 2], h[k - 1], p[i]) <= 0) k--;
    h[k++] = p[i];
  }
  for (size_t i = p.size() - 1, t = k + 1; i > 0; i--) {
    while (k >= t && cross(h[k - 2], h[k - 1], p[i - 1]) <= 0) k--;
    h[k++] = p[i - 1];
  }
  i128 a = 0;
  for (size_t i = 0; i + 1 < k; i++)
    a += static_cast<i128>(h[i].first) * h[i + 1].second - static_cast<i128>(h[i + 1].first) * h[i].second;
  return abs128(a);
}

void check_delaunay(const std::vector<std::vector<int>>& facets, const SiteSet& s, HullReport* rep) {
  const int n = s.n();
  auto P = [&](int i) { return &s.c[static_cast<size_t>(i) * 2]; };
  int reported = 0;
  i128 area = 0;
  std::set<int> finite_verts;
  for (const auto& f : facets) {
    ASSERT_EQ(f.size(), 3u);
    if (f[0] == -1) {
      // A facet through the point at infinity stands on a convex hull edge:
      // no site strictly on either side... on one side only.
      int pos = 0, neg = 0;
      for (int i = 0; i < n; i++) {
        i128 o = orient2(P(f[1]), P(f[2]), P(i));
        pos += o > 0;
        neg += o < 0;
      }
      if (pos && neg && reported++ < 5) ADD_FAILURE() << "infinite facet on an edge that is not a hull edge";
      continue;
    }
    int a = f[0], b = f[1], c = f[2];
    i128 o = orient2(P(a), P(b), P(c));
    if (o == 0) {
      // Three collinear sites lift to a vertical facet: allowed only on the
      // boundary, where it triangulates a vertical face of the lifted hull.
      int pos = 0, neg = 0;
      for (int i = 0; i < n; i++) {
        i128 side = orient2(P(a), P(b), P(i));
        pos += side > 0;
        neg += side < 0;
      }
      if (pos && neg && reported++ < 5) ADD_FAILURE() << "flat triangle inside the hull";
      continue;
    }
    if (o < 0) std::swap(b, c);
    area += abs128(o);
    finite_verts.insert({a, b, c});
    for (int i = 0; i < n; i++)
      if (incircle(P(a), P(b), P(c), P(i)) > 0 && reported++ < 5)
        ADD_FAILURE() << "site " << i << " inside the circumcircle of (" << a << "," << b << "," << c << ")";
  }
  EXPECT_EQ(static_cast<long double>(area), static_cast<long double>(hull_area2(s)))
      << "the triangles do not tile the convex hull";
  // Every distinct site is a vertex (lifted sites are all extreme).
  std::map<std::pair<int64_t, int64_t>, bool> seen;
  for (int v : finite_verts) seen[{P(v)[0], P(v)[1]}] = true;
  for (int i = 0; i < n; i++)
    if (!seen.count({P(i)[0], P(i)[1]}) && reported++ < 5) ADD_FAILURE() << "site " << i << " is not a vertex";
  check_ridges(facets);
  rep->facets = static_cast<int>(facets.size());
}

}  // namespace

// ---------------------------------------------------------------------------
// Feeding
// ---------------------------------------------------------------------------

void feed_sites(const SiteSet& s) {
  fed.assign(s.c.begin(), s.c.end());
  fed_dim = s.dim;
  fed_next = 0;
  fed_calls = 0;
}

site feed_get_site() {
  fed_calls++;
  if (fed_next * fed_dim >= static_cast<int>(fed.size())) return nullptr;
  return fed.data() + static_cast<size_t>(fed_next++) * fed_dim;
}

int feed_site_num(site p) { return index_of(p); }
int feed_fetch_count() { return fed_calls; }
site feed_site(int i) { return fed.data() + static_cast<size_t>(i) * fed_dim; }

simplex* build_hull(const SiteSet& s, short mode) {
  feed_sites(s);
  return hull_build(feed_get_site, feed_site_num, static_cast<short>(s.dim), mode);
}

// ---------------------------------------------------------------------------
// The checker
// ---------------------------------------------------------------------------

HullReport check_hull(simplex* root, const SiteSet& s, short mode) {
  HullReport rep;
  const int n = s.n();
  const int d = mode ? s.dim + 1 : s.dim;
  // Points as the checker sees them (lifted in lifted mode).
  std::vector<i128> pts;
  for (int i = 0; i < n; i++) {
    i128 sq = 0;
    for (int j = 0; j < s.dim; j++) {
      i128 x = s.c[static_cast<size_t>(i) * s.dim + j];
      pts.push_back(x);
      sq += x * x;
    }
    if (mode) pts.push_back(sq);
  }
  if (!root) {
    EXPECT_EQ(n, 0) << "no hull for a non-empty site set";
    return rep;
  }
  // Affine rank of the sites.
  Span span{d, {}, {}};
  for (int i = 1; i < n; i++) {
    std::vector<i128> v(d);
    for (int j = 0; j < d; j++) v[j] = pts[static_cast<size_t>(i) * d + j] - pts[j];
    span.add(v);
  }
  rep.rank = static_cast<int>(span.rows.size());

  int outer = 0;
  check_links(root, &rep.simplices, &outer);
  std::vector<simplex*> facets = facets_of(root);
  rep.facets = static_cast<int>(facets.size());
  EXPECT_EQ(rep.facets, outer) << "walk_facets missed outer simplices";
  std::set<int> verts;
  for (simplex* f : facets) {
    std::vector<int> v;
    for (int i = 0; i < cdim; i++) {
      int x = index_of(f->neighbors[i].vert);
      EXPECT_NE(x, -2) << "a facet vertex that is no site";
      v.push_back(x);
      if (x >= 0) verts.insert(x);
    }
    std::sort(v.begin(), v.end());
    rep.facet_verts.push_back(v);
  }
  rep.vertices.assign(verts.begin(), verts.end());

  if (mode) {
    // The point at infinity adds the vertical direction, already in the span
    // of the lifted sites unless they are fewer than two.
    if (rep.rank == 3) {
      EXPECT_EQ(cdim, 3);
      check_delaunay(rep.facet_verts, s, &rep);
    }
    return rep;
  }
  EXPECT_EQ(cdim, rep.rank) << "hull dimension differs from the sites' affine rank";
  if (cdim != rep.rank) return rep;
  if (rep.rank == 0) {
    EXPECT_EQ(rep.facets, 1);
    return rep;
  }
  // Project onto rank coordinates on which the flat projects one to one.
  std::vector<int> cols;
  std::vector<int> pick(d);
  std::iota(pick.begin(), pick.end(), 0);
  std::vector<bool> mask(d, false);
  std::fill(mask.begin(), mask.begin() + rep.rank, true);
  do {
    std::vector<int> c;
    for (int j = 0; j < d; j++)
      if (mask[j]) c.push_back(j);
    std::vector<std::vector<i128>> m;
    for (const auto& row : span.rows) {
      std::vector<i128> r;
      for (int j : c) r.push_back(row[j]);
      m.push_back(r);
    }
    if (det(m) != 0) {
      cols = c;
      break;
    }
  } while (std::prev_permutation(mask.begin(), mask.end()));
  EXPECT_EQ(static_cast<int>(cols.size()), rep.rank);
  std::vector<i128> proj;
  for (int i = 0; i < n; i++)
    for (int j : cols) proj.push_back(pts[static_cast<size_t>(i) * d + j]);
  check_full(rep.facet_verts, proj, rep.rank, &rep);
  return rep;
}

// ---------------------------------------------------------------------------
// Generators
// ---------------------------------------------------------------------------

SiteSet random_box(int n, int dim, int64_t lo, int64_t hi, uint32_t seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int64_t> u(lo, hi);
  SiteSet s;
  s.dim = dim;
  for (int i = 0; i < n * dim; i++) s.c.push_back(u(rng));
  return s;
}

SiteSet paraboloid(int n, int64_t r, uint32_t seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int64_t> u(-r, r);
  SiteSet s;
  for (int i = 0; i < n; i++) {
    int64_t x = u(rng), y = u(rng);
    s.c.insert(s.c.end(), {x, y, x * x + y * y});
  }
  return s;
}

SiteSet lattice(int dim, int64_t k) {
  SiteSet s;
  s.dim = dim;
  std::vector<int64_t> p(dim, 0);
  for (;;) {
    s.c.insert(s.c.end(), p.begin(), p.end());
    int j = dim - 1;
    while (j >= 0 && p[j] == k) p[j--] = 0;
    if (j < 0) break;
    p[j]++;
  }
  return s;
}

SiteSet lattice_ball(int64_t r2) {
  SiteSet s;
  int64_t r = 0;
  while ((r + 1) * (r + 1) <= r2) r++;
  for (int64_t x = -r; x <= r; x++)
    for (int64_t y = -r; y <= r; y++)
      for (int64_t z = -r; z <= r; z++)
        if (x * x + y * y + z * z <= r2) s.c.insert(s.c.end(), {x, y, z});
  return s;
}

void shuffle_sites(SiteSet& s, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<int> idx(s.n());
  std::iota(idx.begin(), idx.end(), 0);
  std::shuffle(idx.begin(), idx.end(), rng);
  std::vector<int64_t> c;
  for (int i : idx) c.insert(c.end(), s.c.begin() + static_cast<size_t>(i) * s.dim, s.c.begin() + static_cast<size_t>(i + 1) * s.dim);
  s.c = c;
}

void sort_sites(SiteSet& s) {
  std::vector<std::vector<int64_t>> rows;
  for (int i = 0; i < s.n(); i++)
    rows.emplace_back(s.c.begin() + static_cast<size_t>(i) * s.dim, s.c.begin() + static_cast<size_t>(i + 1) * s.dim);
  std::sort(rows.begin(), rows.end());
  s.c.clear();
  for (auto& r : rows) s.c.insert(s.c.end(), r.begin(), r.end());
}
