// Delaunay and Voronoi extraction: the hull's facets become dtri and dedge
// records, which are then given outward normals, classified, pruned to the
// Delaunay edges and given circumcentres and edge counts.
//
// Every decision here (which side is out, which facet faces down, whether a
// projection has area) is taken exactly, in 64- and 128-bit integers on the
// whole hundredths in which the engine saw the points, never on floats: the
// hulls of nearly cocircular points are thinner than any float tolerance.
// The lift used for those decisions is (X, Y, X*X + Y*Y - W), the engine's
// own, W the point's weight in square hundredths (0 unless a front end gives
// weights).  With |X|, |Y| <= 10^6 and |W| <= 10^12 the largest products
// below stay under 2^100: cross products under 2^64, the side test
// under 2^97, power centres' numerators under 2^67.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "app/app.h"
#include "diag/diag.h"
#include "hull/hull.h"

namespace {

using i128 = __int128;

facet_out_f remembered_out = nullptr;
FILE* remembered_stream = nullptr;  // noted, never written to

[[noreturn]] void out_of_memory(const char* what) {
  fatal_error("out of memory allocating %s\n", what);
}

// ---------------------------------------------------------------------------
// Record pool: one recomputation makes at most 2n - 4 triangles and 3n - 6
// edges for n points, so fixed tables hold them all and a drag step makes
// no allocation per record.  Beyond the tables (records made by hand without
// a reset in between) malloc takes over.
// ---------------------------------------------------------------------------

constexpr int kPooledTriangles = 2 * MAX_POINTS;
constexpr int kPooledEdges = 3 * MAX_POINTS;
dtri tri_pool[kPooledTriangles];
dedge edge_pool[kPooledEdges];
int tri_pool_used = 0;
int edge_pool_used = 0;

template <typename T>
bool in_pool(const void* p, const T* pool, int size) {
  const auto a = reinterpret_cast<std::uintptr_t>(p);
  const auto base = reinterpret_cast<std::uintptr_t>(pool);
  return a >= base && a < base + static_cast<std::uintptr_t>(size) * sizeof(T);
}

dtri* new_triangle() {
  if (tri_pool_used < kPooledTriangles) return &tri_pool[tri_pool_used++];
  auto* t = static_cast<dtri*>(std::malloc(sizeof(dtri)));
  if (t == nullptr) out_of_memory("a triangle");
  return t;
}

dedge* new_edge() {
  if (edge_pool_used < kPooledEdges) return &edge_pool[edge_pool_used++];
  auto* e = static_cast<dedge*>(std::malloc(sizeof(dedge)));
  if (e == nullptr) out_of_memory("an edge");
  return e;
}

// ---------------------------------------------------------------------------
// Rounded coordinates of point_table entries, memoised per entry on the
// coordinate values themselves, so a moved point is simply converted again.
// ---------------------------------------------------------------------------

struct memo_entry {
  double x, y;
  long long X, Y;
  bool valid, in_range;
};
memo_entry memo[MAX_POINTS];

bool convert(double x, double y, long long* X, long long* Y) {
  const double hx = exchange_hundredths(x);
  const double hy = exchange_hundredths(y);
  const double limit = 100.0 * COORD_LIMIT;
  if (!(std::fabs(hx) <= limit && std::fabs(hy) <= limit)) return false;
  *X = static_cast<long long>(hx);
  *Y = static_cast<long long>(hy);
  return true;
}

// ---------------------------------------------------------------------------
// Edge index: the edges met so far, chained by their smaller endpoint.  Each
// pair is created once and then found, so the chain holds the same single
// record per pair that a walk of edge_list from its head finds first.
// ---------------------------------------------------------------------------

constexpr int kIndexCapacity = 3 * MAX_POINTS;  // a hull of 200 vertices has at most 594 edges

struct index_entry {
  int other;  // the larger endpoint
  int next;   // next entry of the same chain, -1 at the end
  dedge* edge;
};
int chain_head[MAX_POINTS];
index_entry entries[kIndexCapacity];
int entry_count = 0;
// The index mirrors edge_list only while that list is the one it was built
// on and its tail is the last record it saw appended; otherwise it is rebuilt
// from the list.
bool index_valid = false;
const rec_list* index_list = nullptr;
const rec_node* index_tail = nullptr;

int point_index(const point_rec* p) {
  const auto a = reinterpret_cast<std::uintptr_t>(p);
  const auto base = reinterpret_cast<std::uintptr_t>(point_table);
  if (a < base) return -1;
  const std::uintptr_t k = (a - base) / sizeof(point_rec);
  if (k >= static_cast<std::uintptr_t>(MAX_POINTS) || base + k * sizeof(point_rec) != a) return -1;
  return static_cast<int>(k);
}

void index_clear() {
  for (int i = 0; i < MAX_POINTS; ++i) chain_head[i] = -1;
  entry_count = 0;
  index_valid = true;
}

// Adds the pair unless it is already there (the first record of a pair wins,
// as in a walk from the head).  Returns false when the index cannot hold it.
bool index_add(int i, int j, dedge* e) {
  const int lo = i < j ? i : j, hi = i < j ? j : i;
  for (int k = chain_head[lo]; k >= 0; k = entries[k].next) {
    if (entries[k].other == hi) return true;
  }
  if (entry_count >= kIndexCapacity) return false;
  entries[entry_count] = index_entry{hi, chain_head[lo], e};
  chain_head[lo] = entry_count++;
  return true;
}

// Brings the index in line with edge_list.  Returns false when the list
// holds something the index cannot name (then the caller walks the list).
bool index_sync() {
  if (index_valid && index_list == edge_list && index_tail == edge_list->tail) return true;
  index_clear();
  for (rec_node* n = edge_list->head; n != nullptr; n = n->next) {
    const auto* e = static_cast<dedge*>(n->data);
    const int i = point_index(e->a), j = point_index(e->b);
    if (i < 0 || j < 0 || !index_add(i, j, static_cast<dedge*>(n->data))) {
      index_valid = false;
      return false;
    }
  }
  index_list = edge_list;
  index_tail = edge_list->tail;
  return true;
}

dedge* index_find(int i, int j) {
  const int lo = i < j ? i : j, hi = i < j ? j : i;
  for (int k = chain_head[lo]; k >= 0; k = entries[k].next) {
    if (entries[k].other == hi) return entries[k].edge;
  }
  return nullptr;
}

dedge* walk_find(const point_rec* p, const point_rec* q) {
  for (rec_node* n = edge_list->head; n != nullptr; n = n->next) {
    auto* e = static_cast<dedge*>(n->data);
    if ((e->a == p && e->b == q) || (e->a == q && e->b == p)) return e;
  }
  return nullptr;
}

// ---------------------------------------------------------------------------
// Exact geometry on rounded points
// ---------------------------------------------------------------------------

struct lifted {
  long long x, y, z;  // X, Y in hundredths, z = X*X + Y*Y - w
  long long w;        // the weight in square hundredths
};

bool lifted_of(const point_rec* p, lifted* out) {
  long long X = 0, Y = 0;
  if (!point_hundredths(p, &X, &Y)) return false;
  const long long W = weight_units(point_index(p));
  *out = lifted{X, Y, X * X + Y * Y - W, W};
  return true;
}

struct vec3i {
  i128 x, y, z;
};

vec3i cross(const lifted& a, const lifted& b, const lifted& c) {
  const i128 ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
  const i128 wx = c.x - a.x, wy = c.y - a.y, wz = c.z - a.z;
  return vec3i{uy * wz - uz * wy, uz * wx - ux * wz, ux * wy - uy * wx};
}

int sign_of(i128 v) { return (v > 0) - (v < 0); }
int sign_of(float v) { return (v > 0.0f) - (v < 0.0f); }

// One circumcentre coordinate, num / den, rounded once.  Below 2^53 both are
// exact doubles and the division is correctly rounded, so triangles on one
// circle get bit-identical centres; above, the fraction is first reduced so
// that equal values still have equal representations.
double quotient(i128 num, i128 den) {
  if (den < 0) {
    num = -num;
    den = -den;
  }
  const i128 two53 = static_cast<i128>(1) << 53;
  if (num < -two53 || num > two53) {
    i128 a = num < 0 ? -num : num, b = den;
    while (b != 0) {
      const i128 r = a % b;
      a = b;
      b = r;
    }
    num /= a;
    den /= a;
    if (num < -two53 || num > two53) {
      return static_cast<double>(static_cast<long double>(num) / static_cast<long double>(den));
    }
  }
  return static_cast<double>(num) / static_cast<double>(den);
}

void unset_cc(dtri* t) { t->cc[0] = t->cc[1] = t->cc[2] = CC_UNSET; }

}  // namespace

double hull_centre[3] = {0.0, 0.0, 0.0};

void release_record(void* record) {
  if (in_pool(record, tri_pool, kPooledTriangles) || in_pool(record, edge_pool, kPooledEdges)) return;
  std::free(record);
}

void records_released() {
  tri_pool_used = 0;
  edge_pool_used = 0;
  index_valid = false;
}

int point_hundredths(const point_rec* p, long long* X, long long* Y) {
  const int i = point_index(p);
  if (i < 0) return convert(p->x, p->y, X, Y) ? 1 : 0;
  memo_entry& m = memo[i];
  if (!m.valid || std::memcmp(&m.x, &p->x, sizeof(double)) != 0 ||
      std::memcmp(&m.y, &p->y, sizeof(double)) != 0) {
    m.x = p->x;
    m.y = p->y;
    m.in_range = convert(p->x, p->y, &m.X, &m.Y);
    m.valid = true;
  }
  if (!m.in_range) return 0;
  *X = m.X;
  *Y = m.Y;
  return 1;
}

// ---------------------------------------------------------------------------
// Facets to records
// ---------------------------------------------------------------------------

void* emit_facet(simplex* s, void* out) {
  if (out != nullptr) remembered_out = reinterpret_cast<facet_out_f>(out);
  if (s == nullptr) return nullptr;
  site verts[MAXDIM];
  for (int k = 0; k < cdim; ++k) verts[k] = s->neighbors[k].vert;
  remembered_out(verts, cdim, nullptr, 0);
  return nullptr;
}

void make_triangle(double** verts, int count, FILE* stream, int marker) {
  (void)marker;
  if (stream != nullptr) remembered_stream = stream;
  if (verts == nullptr) return;
  // A hull of fewer than three dimensions (all points on one line or one
  // circle) hands over edges or single vertices: no triangles at all.
  if (count != 3) return;
  int idx[3];
  for (int k = 0; k < 3; ++k) {
    idx[k] = site_num(verts[k]);
    // A file that is not the program's own may hold more sites than the
    // tables have points: such a facet names no point and is left out.
    if (idx[k] < 0 || idx[k] >= point_count) return;
  }
  if (idx[0] == idx[1] || idx[1] == idx[2] || idx[2] == idx[0]) return;

  dtri* t = new_triangle();
  for (int k = 0; k < 3; ++k) {
    t->v[k] = &point_table[idx[k]];
    t->cc[k] = CC_UNSET;
    t->e[k] = nullptr;
    t->face_normal[k] = 0.0f;
  }
  t->edge_count = 0;
  rec_list_append(tri_list, t);
  t->e[0] = find_or_add_edge(idx[0], idx[1], t);
  t->e[1] = find_or_add_edge(idx[1], idx[2], t);
  t->e[2] = find_or_add_edge(idx[2], idx[0], t);
}

dedge* find_or_add_edge(int i, int j, dtri* t) {
  point_rec* p = &point_table[i];
  point_rec* q = &point_table[j];
  const bool indexed = index_sync();
  dedge* e = indexed ? index_find(i, j) : walk_find(p, q);
  if (e != nullptr) {
    e->t1 = t;
    return e;
  }
  e = new_edge();
  e->a = p;
  e->b = q;
  e->t0 = t;
  e->t1 = nullptr;
  rec_list_append(edge_list, e);
  if (indexed) {
    if (index_add(i, j, e)) {
      index_tail = edge_list->tail;
    } else {
      index_valid = false;
    }
  }
  return e;
}

// ---------------------------------------------------------------------------
// Post-processing
// ---------------------------------------------------------------------------

void compute_normals() {
  for (rec_node* n = tri_list->head; n != nullptr; n = n->next) {
    auto* t = static_cast<dtri*>(n->data);
    const point_rec& p0 = *t->v[0];
    const point_rec& p1 = *t->v[1];
    const point_rec& p2 = *t->v[2];
    // n = (P1 - P2) x (P1 - P0)
    const double ax = p1.x - p0.x, ay = p1.y - p0.y, az = p1.z - p0.z;
    const double bx = p1.x - p2.x, by = p1.y - p2.y, bz = p1.z - p2.z;
    const double nx = az * by - ay * bz;
    const double ny = ax * bz - az * bx;
    const double nz = ay * bx - ax * by;
    const double len = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (len > 0.0 && std::isfinite(len)) {
      t->face_normal[0] = static_cast<float>(nx / len);
      t->face_normal[1] = static_cast<float>(ny / len);
      t->face_normal[2] = static_cast<float>(nz / len);
    } else {
      // No direction to keep; orient_normals puts the exact one in.
      t->face_normal[0] = t->face_normal[1] = t->face_normal[2] = 0.0f;
    }
  }
}

void orient_normals() {
  // A point strictly inside the hull: the mean of all facet corners.  Every
  // hull vertex is a corner of some facet and all weights are positive, so
  // for a three-dimensional hull the mean is interior.  Kept as the sum S of
  // k corners to stay in integers.
  long long sx = 0, sy = 0, sz = 0, k = 0;
  for (rec_node* n = tri_list->head; n != nullptr; n = n->next) {
    const auto* t = static_cast<const dtri*>(n->data);
    for (const point_rec* v : t->v) {
      lifted p;
      if (!lifted_of(v, &p)) continue;
      sx += p.x;
      sy += p.y;
      sz += p.z;
      ++k;
    }
  }
  if (k > 0) {
    const double kd = static_cast<double>(k);
    hull_centre[0] = static_cast<double>(sx) / (100.0 * kd);
    hull_centre[1] = static_cast<double>(sy) / (100.0 * kd);
    hull_centre[2] = static_cast<double>(sz) / (10000.0 * kd) + static_cast<double>(weight);
  }
  for (rec_node* n = tri_list->head; n != nullptr; n = n->next) {
    auto* t = static_cast<dtri*>(n->data);
    lifted a, b, c;
    if (!lifted_of(t->v[0], &a) || !lifted_of(t->v[1], &b) || !lifted_of(t->v[2], &c)) continue;
    const vec3i nrm = cross(a, b, c);
    const i128 side = nrm.x * (sx - k * static_cast<i128>(a.x)) +
                      nrm.y * (sy - k * static_cast<i128>(a.y)) +
                      nrm.z * (sz - k * static_cast<i128>(a.z));
    if (side == 0) continue;  // not a facet of a three-dimensional hull
    // The outward normal in the engine's coordinates, then in plane units:
    // x and y are hundredths there and heights 10^4 times the plane's, so
    // the plane-unit normal is (nx, ny, 100 nz) up to a positive factor.
    const int out = side > 0 ? -1 : 1;
    const i128 oz = out * nrm.z;
    const double nx = static_cast<double>(out * nrm.x);
    const double ny = static_cast<double>(out * nrm.y);
    const double nz = 100.0 * static_cast<double>(oz);
    float* f = t->face_normal;
    const double dot = f[0] * nx + f[1] * ny + f[2] * nz;
    if (dot < 0.0) {
      f[0] *= -1.0f;
      f[1] *= -1.0f;
      f[2] *= -1.0f;
    }
    // The drawn triangle (table coordinates) may lean the other way than the
    // rounded one it stands for, or be flat; then its own normal cannot show
    // the class, and the exact one replaces it.
    const bool finite = std::isfinite(f[0]) && std::isfinite(f[1]) && std::isfinite(f[2]);
    if (!finite || dot == 0.0 || sign_of(f[2]) != sign_of(oz)) {
      const double len = std::sqrt(nx * nx + ny * ny + nz * nz);
      f[0] = static_cast<float>(nx / len);
      f[1] = static_cast<float>(ny / len);
      f[2] = oz == 0 ? 0.0f : static_cast<float>(nz / len);
    }
  }
}

void prune_upper_edges() {
  rec_node* n = edge_list->head;
  while (n != nullptr) {
    rec_node* next = n->next;
    auto* e = static_cast<dedge*>(n->data);
    // An edge stays when a Delaunay triangle borders it.  Between two upper
    // facets, between an upper and a vertical one (the long edge across
    // collinear boundary points) or between two vertical ones it goes.
    if (!is_delaunay_triangle(e->t0) && !is_delaunay_triangle(e->t1)) {
      if (n->prev != nullptr) {
        n->prev->next = next;
      } else {
        edge_list->head = next;
      }
      if (next != nullptr) {
        next->prev = n->prev;
      } else {
        edge_list->tail = n->prev;
      }
      // The triangles keep no reference to a released edge.
      for (dtri* t : {e->t0, e->t1}) {
        if (t == nullptr) continue;
        for (dedge*& r : t->e) {
          if (r == e) r = nullptr;
        }
      }
      release_record(e);
      std::free(n);
    }
    n = next;
  }
  index_valid = false;  // the index may name released edges
}

void compute_circumcentre(dtri* t) {
  lifted a, b, c;
  if (!lifted_of(t->v[0], &a) || !lifted_of(t->v[1], &b) || !lifted_of(t->v[2], &c)) {
    unset_cc(t);
    return;
  }
  // Relative to a: u = b - a, w = c - a; the centre is a + m with
  // 2 m.u = |u|^2 - (W_b - W_a) and 2 m.w = |w|^2 - (W_c - W_a): the point
  // of equal power |m - u|^2 - W_b = |m|^2 - W_a to all three, which for
  // equal weights is the circumcentre.
  const i128 ux = b.x - a.x, uy = b.y - a.y, wx = c.x - a.x, wy = c.y - a.y;
  const i128 det = ux * wy - uy * wx;
  if (det == 0) {
    // A projection without area (collinear points) has no circumcentre.
    unset_cc(t);
    return;
  }
  const i128 u2 = ux * ux + uy * uy - (b.w - a.w), w2 = wx * wx + wy * wy - (c.w - a.w);
  const i128 mx = wy * u2 - uy * w2;  // m.x = mx / (2 det)
  const i128 my = ux * w2 - wx * u2;  // m.y = my / (2 det)
  const i128 den = 200 * det;         // and a further 100 from hundredths to units
  t->cc[0] = quotient(a.x * 2 * det + mx, den);
  t->cc[1] = quotient(a.y * 2 * det + my, den);
  t->cc[2] = 0.0;
}

void finish_triangles() {
  for (rec_node* n = tri_list->head; n != nullptr; n = n->next) {
    compute_circumcentre(static_cast<dtri*>(n->data));
  }
  for (rec_node* n = edge_list->head; n != nullptr; n = n->next) {
    auto* e = static_cast<dedge*>(n->data);
    if (e->t0 != nullptr) ++e->t0->edge_count;
    if (e->t1 != nullptr) ++e->t1->edge_count;
  }
}
