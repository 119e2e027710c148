// Basis pool, basis reduction, visibility and hull_build.
//
// Index
//   basis_s pool ........ basis_take, basis_release, basis_ref
//   vector helpers ...... dot, norm2, log2_safe
//   basis kernel ........ vec_reduce, reduce_inner, scale_pick, basis_update
//   exact predicates .... exact_sees, exact_flat_test (exact mode)
//   predicates .......... normal_update, sees, flat_test
//   hull_build
#include <cassert>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "diag/diag.h"
#include "hull/hull.h"

int pdim, rdim, cdim;
int site_bytes;
site_num_f site_num;
get_site_f get_site;
short lifted_mode;
site cur_site;
int site_stamp;
int exact_sites;

int num_basis_s_blocks;
size_t basis_bytes;
int scale_warn_count;
int reduce_fail_count;

// One permanent reference keeps it out of the pool; scale_exp -1 marks it for
// the printers.
basis_s zero_basis = {nullptr, 1, -1, 0, 0};
basis_s* infinity_basis;

namespace {
// Only its identity matters; the coordinates are harmless if ever printed.
double infinity_coords[MAXDIM] = {57.2};
}  // namespace
site const infinity_point = infinity_coords;

namespace {

// ===========================================================================
// basis_s pool
// ===========================================================================
//
// Blocks of records_per_block records.  A block is carved lazily: a record is
// cleared when it is first handed out instead of clearing the whole block up
// front.  The hand-out order is the same as that of a block threaded onto the
// free list from its last record to its first (released records first, most
// recent first; then the unused records of the newest block in ascending
// address order), and a taken record is zero apart from its next link, which
// points to the record that follows it in the free list.  Carving lazily
// keeps a small hull from paying for a whole block of clearing.

basis_s* basis_free_list;
void* basis_blocks[max_blocks];
char* basis_carve;        // next unused record of the newest block
char* basis_carve_end;

void basis_add_block() {
  // clang-format off: the expression text is part of the failure message
  assert(num_basis_s_blocks<max_blocks);
  // clang-format on
  void* xbt = malloc(records_per_block * basis_bytes);
  basis_blocks[num_basis_s_blocks++] = xbt;
  if (!xbt) {
    FILE* f = diag_file();
    fprintf(f, "num_basis_s_blocks=%G\n", static_cast<double>(num_basis_s_blocks));
    fflush(f);
    assert(xbt);
  }
  basis_carve = static_cast<char*>(xbt);
  basis_carve_end = basis_carve + records_per_block * basis_bytes;
}

// ===========================================================================
// Vector helpers
// ===========================================================================

// Sums run from index 0 upward in a double starting at 0: the rounding of
// every decision depends on this order.
inline double dot(const double* x, const double* y, int n) {
  double sum = 0;
  for (int i = 0; i < n; i++) sum += x[i] * y[i];
  return sum;
}

inline double norm2(const double* x, int n) { return dot(x, x, n); }

// At most MAXDIM doubles: a plain loop beats a call to memcpy here.
inline void copy_vec(double* to, const double* from, int n) {
  for (int i = 0; i < n; i++) to[i] = from[i];
}

// Counts one more event, stopping at INT_MAX instead of overflowing.
inline int count_up(int* counter) {
  if (*counter < INT_MAX) ++*counter;
  return *counter;
}

// ===========================================================================
// Basis kernel state
// ===========================================================================

int mantissa_bits;
float err_bound;        // float on purpose: its rounding is part of every decision
float err_bound_sq;
double ldetbound;       // log2 bound on the determinant of the current reduction's bases
double basis_norm_sum;  // sum of their norm2_b
double scale_cap;       // largest scale exponent allowed in the current reduction
simplex* orient_root;   // the hull's root: orientation reference of normal_update

// Scratch records of sees and flat_test: not pooled, kept for the process.
// Sized for MAXDIM so that a later hull of a larger rdim still fits.
basis_s* sees_scratch;
basis_s* flat_scratch;

basis_s* scratch_record() {
  basis_s* b = static_cast<basis_s*>(calloc(1, sizeof(basis_s) + 2 * MAXDIM * sizeof(double)));
  if (!b) fatal_error("out of memory: no room for a scratch basis record\n");
  return b;
}

// Loads vec_b of v with the difference vector p - z, lifted in lifted mode;
// the point at infinity copies infinity_basis whole.  Returns true when vec_a
// still needs the same vector (see basis_load).
bool basis_load_b(basis_s* v, site p, site z) {
  if (lifted_mode && p == infinity_point) {
    memcpy(v, infinity_basis, basis_bytes);
    return false;
  }
  double* vb = v->vec_b();
  for (int i = 0; i < pdim; i++) vb[i] = p[i] - z[i];
  if (lifted_mode) vb[rdim - 1] = dot(vb, vb, pdim);
  return true;
}

// Loads both halves of v with the difference vector p - z.
void basis_load(basis_s* v, site p, site z) {
  if (basis_load_b(v, p, z)) copy_vec(v->vec_a(), v->vec_b(), rdim);
}

// sees's threshold test, dd^2 / n2 / m2 > err_bound_sq, without its two
// divisions when the answer is clear: true only where the division form is
// true too.  With n2 and m2 in [2^-400, 2^400] nothing underflows, and the
// factor 1 + 2^-40 on the bound covers the four roundings by which the two
// forms can differ (each at most 2^-53 relative).  Anything else goes to the
// division form, so every decision is the division form's.
inline bool clearly_off_plane(double dd, double n2, double m2) {
  constexpr double lo = 0x1p-400, hi = 0x1p400;
  if (!(n2 >= lo && n2 <= hi && m2 >= lo && m2 <= hi)) return false;
  const double bound = static_cast<double>(err_bound_sq) * (1 + 0x1p-40);
  return dd * dd > bound * (n2 * m2);
}

// The power of two for exact iteration j of reduce_inner; also the zero test.
double scale_pick(basis_s* v, simplex* s, int k, int j) {
  if (j < 10) {
    scale_cap = mantissa_bits - log2_safe(v->norm2_a) / 2 - 0.66 * (k - 2) - 1;
    if (scale_cap < 1) {
      int warned = count_up(&scale_warn_count);
      if (warned <= 10) {
        FILE* f = diag_file();
        fprintf(f, "overshot exact arithmetic\n");
        fflush(f);
        LOCATION_LINE(f);
        fflush(f);
        if (warned == 10) {
          fprintf(f, "consider yourself warned\n");
          fflush(f);
        }
      }
      scale_cap = 1;
    }
    if (j == 0) {
      ldetbound = 0;
      basis_norm_sum = 0;
      for (int i = k - 1; i > 0; i--) {
        basis_s* b = s->neighbors[i].basis;
        basis_norm_sum += b->norm2_b;
        ldetbound += log2_safe(b->norm2_b) / 2 + 1;
        ldetbound -= b->scale_exp;
      }
    }
  }
  // Below this bound the vector must be exactly zero: it lies in the span.
  if (log2_safe(v->norm2_b) / 2 + (ldetbound - v->scale_exp) + 1 < 0) return 0;
  double q = 2 * basis_norm_sum / (err_bound * v->norm2_a + v->norm2_b);
  int e = 0;
  // A quotient that is not a positive finite number has no integer logarithm:
  // e stays 0 (and converting it would be undefined).
  if (q > 0 && std::isfinite(q)) e = static_cast<int>(floor(log2_safe(q))) / 2;
  if (e > scale_cap)
    e = static_cast<int>(floor(scale_cap));
  else if (e < 0)
    e = 0;
  v->scale_exp += e;
  return ldexp(1.0, e);
}

}  // namespace

// ===========================================================================
// basis_s pool, public part
// ===========================================================================

void pool_sizes_set() {
  basis_bytes = sizeof(basis_s) + 2 * rdim * sizeof(double);
  simplex_bytes = sizeof(simplex) + rdim * sizeof(neighbor);
}

basis_s* basis_take() {
  if (basis_free_list) {
    basis_s* b = basis_free_list;
    basis_free_list = b->next;
    return b;
  }
  if (basis_carve == basis_carve_end) basis_add_block();
  basis_s* b = reinterpret_cast<basis_s*>(basis_carve);
  basis_carve += basis_bytes;
  memset(b, 0, basis_bytes);
  b->next = basis_carve < basis_carve_end ? reinterpret_cast<basis_s*>(basis_carve) : nullptr;
  return b;
}

void basis_ref(basis_s* b) {
  // zero_basis collects a reference from every simplex of every hull and is
  // never given them back (the simplices are released wholesale): saturate
  // rather than overflow in a long session.
  if (b->refs < INT_MAX) b->refs++;
}

void basis_release(basis_s** slot) {
  basis_s* b = *slot;
  *slot = nullptr;
  if (!b) return;
  if (b == &zero_basis) {
    // Its permanent reference is never dropped, saturated or not.
    if (b->refs > 1) b->refs--;
    return;
  }
  if (--b->refs == 0) {
    memset(b, 0, basis_bytes);
    b->next = basis_free_list;
    basis_free_list = b;
  }
}

void basis_pool_release_all() {
  for (int i = 0; i < num_basis_s_blocks; i++) free(basis_blocks[i]);
  num_basis_s_blocks = 0;
  basis_free_list = nullptr;
  basis_carve = basis_carve_end = nullptr;
  infinity_basis = nullptr;
}

// ===========================================================================
// Basis kernel
// ===========================================================================

double log2_safe(double x) {
  if (x <= 0) return -1e305;
  return log(x) / log(2);
}

int vec_reduce(basis_s** v, site p, simplex* s, int k) {
  if (!*v) {
    *v = basis_take();
    // clang-format off: the expression text is part of the failure message
    assert((*v));
    // clang-format on
    (*v)->refs = 1;
  } else {
    (*v)->scale_exp = 0;
  }
  basis_load(*v, p, s->neighbors[0].vert);
  return reduce_inner(*v, s, k);
}

int reduce_inner(basis_s* v, simplex* s, int k) {
  double* vb = v->vec_b();
  double* va = v->vec_a();
  const int n = rdim;
  v->norm2_b = v->norm2_a = norm2(vb, n);
  if (k <= 1) {
    copy_vec(vb, va, n);
    return 1;
  }
  for (int j = 0; j < 250; j++) {
    copy_vec(vb, va, n);
    for (int i = k - 1; i > 0; i--) {
      basis_s* b = s->neighbors[i].basis;
      double c = -dot(b->vec_b(), vb, n) / b->norm2_b;
      const double* ba = b->vec_a();
      for (int t = 0; t < n; t++) vb[t] = c * ba[t] + vb[t];
    }
    v->norm2_b = norm2(vb, n);
    v->norm2_a = norm2(va, n);
    // Kept at least half of its squared length: the float result stands.
    if (2 * v->norm2_b >= v->norm2_a) return 1;
    double f = scale_pick(v, s, k, j);
    for (int t = 0; t < n; t++) va[t] = f * va[t];
    for (int i = k - 1; i > 0; i--) {
      basis_s* b = s->neighbors[i].basis;
      double c = floor(-dot(b->vec_b(), va, n) / b->norm2_b + 0.5);
      const double* ba = b->vec_a();
      for (int t = 0; t < n; t++) va[t] = c * ba[t] + va[t];
    }
  }
  int failed_before = reduce_fail_count;
  count_up(&reduce_fail_count);
  if (failed_before < 10) {
    FILE* f = diag_file();
    fprintf(f, "reduce_inner failed on:\n");
    fflush(f);
    LOCATION_LINE(f);
    fflush(f);
    dump_basis(f, v);
    dump_simplex(s, f, dump_neighbor);
  }
  return 0;
}

void basis_update(simplex* s) {
  neighbor* nb = s->neighbors;
  int from;
  if (lifted_mode && nb[0].vert == infinity_point && cdim > 1) {
    // The point at infinity has no finite difference vector: never keep it
    // as the reference vertex.
    neighbor t = nb[0];
    nb[0] = nb[1];
    nb[1] = t;
    basis_release(&nb[0].basis);
    nb[0].basis = &zero_basis;
    basis_ref(&zero_basis);
    from = 1;
  } else if (!nb[0].basis) {
    nb[0].basis = &zero_basis;
    basis_ref(&zero_basis);
    from = 1;
  } else {
    for (from = 1; from < cdim && nb[from].basis; from++) {
    }
  }
  for (int i = from; i < cdim; i++) {
    basis_release(&nb[i].basis);
    vec_reduce(&nb[i].basis, nb[i].vert, s, i);
  }
}

// ===========================================================================
// Exact predicates
// ===========================================================================
//
// In exact mode the sites are whole numbers with |x|, |y| <= 2^29 and
// |z| <= 2^53 (so every coordinate is exact in a double and in 64 bits).
// Differences of two sites are then at most 2^30 in x and y and 2^54 in z.
// The largest quantities below, and why they fit:
//   - a 2x2 minor of x and y differences: two products of at most 2^60, so
//     under 2^61: 64 bits;
//   - the 3x3 determinant, expanded along z: three such minors times a z
//     difference, each under 2^61 * 2^54 = 2^115, the sum under 2^117;
//   - a cross product component with z: two products under 2^84, under 2^85;
//   - a dot product: two xy products under 2^60 plus one z product under 2^108;
// all within the 127 bits of a signed 128-bit integer.  The pipeline's sites
// (x, y in whole hundredths up to 10^6 < 2^20, z = x*x + y*y - w up to
// 3 * 10^12 < 2^42) lie far inside these bounds.
//
// Each predicate answers what the floating-point one answers when its
// arithmetic is exact: the same sign conventions, the same choice of the
// orientation vertex, and a site exactly on a facet's plane is not seen.

namespace {

using i128 = __int128;

struct ivec {
  long long x, y, z;
};

inline ivec diff(site p, site a) {
  return ivec{static_cast<long long>(p[0]) - static_cast<long long>(a[0]),
              static_cast<long long>(p[1]) - static_cast<long long>(a[1]),
              static_cast<long long>(p[2]) - static_cast<long long>(a[2])};
}

inline int sign_of(i128 v) { return (v > 0) - (v < 0); }

inline bool same_site(site p, site q) { return p[0] == q[0] && p[1] == q[1] && p[2] == q[2]; }

// det(u, v, w) for rows u, v, w.
i128 det3(const ivec& u, const ivec& v, const ivec& w) {
  const long long mvw = v.x * w.y - v.y * w.x;
  const long long muw = u.x * w.y - u.y * w.x;
  const long long muv = u.x * v.y - u.y * v.x;
  return static_cast<i128>(u.z) * mvw - static_cast<i128>(v.z) * muw + static_cast<i128>(w.z) * muv;
}

// The sign of det(b - a, c - a, p - a): p against the plane of a, b, c.
int orient3(site a, site b, site c, site p) { return sign_of(det3(diff(b, a), diff(c, a), diff(p, a))); }

// The axis to drop when projecting the plane of u and w (from one point)
// onto a coordinate plane without losing its orientation: one where u x w
// has a non-zero component.  -1 when u and w are parallel.
int projection_axis(const ivec& u, const ivec& w) {
  if (u.x * w.y - u.y * w.x != 0) return 2;
  if (static_cast<i128>(u.y) * w.z - static_cast<i128>(u.z) * w.y != 0) return 0;
  if (static_cast<i128>(u.z) * w.x - static_cast<i128>(u.x) * w.z != 0) return 1;
  return -1;
}

// The sign of the 2D orientation of (u, w) in the coordinate plane without
// the given axis.
int orient2(const ivec& u, const ivec& w, int axis) {
  if (axis == 2) return sign_of(static_cast<i128>(u.x * w.y - u.y * w.x));
  if (axis == 0) return sign_of(static_cast<i128>(u.y) * w.z - static_cast<i128>(u.z) * w.y);
  return sign_of(static_cast<i128>(u.z) * w.x - static_cast<i128>(u.x) * w.z);
}

int dot_sign(const ivec& u, const ivec& w) {
  return sign_of(static_cast<i128>(u.x * w.x + u.y * w.y) + static_cast<i128>(u.z) * w.z);
}

// Calls f(q) for every vertex of the orientation root that is not a facet
// vertex of s, in the order neighbors[cdim-1], ..., neighbors[0], peak, until
// f returns true.
template <typename F>
void off_facet_root_vertices(simplex* s, F f) {
  for (int i = cdim - 1; i >= -1; i--) {
    site q = i >= 0 ? orient_root->neighbors[i].vert : orient_root->peak.vert;
    bool on_facet = false;
    for (int j = 0; j < cdim; j++) {
      if (s->neighbors[j].vert == q) {
        on_facet = true;
        break;
      }
    }
    if (!on_facet && f(q)) return;
  }
}


// Is p strictly outside the facet of s, on the side away from the hull?
int exact_sees(site p, simplex* s) {
  const site a = s->neighbors[0].vert;
  const ivec dp = diff(p, a);
  if (cdim == 1) {
    // The facet is one vertex; the inner side is that of the first root
    // vertex elsewhere.
    int inner = 0;
    off_facet_root_vertices(s, [&](site q) {
      if (same_site(q, a)) return false;
      inner = dot_sign(dp, diff(q, a));
      return true;
    });
    return inner < 0;
  }
  if (cdim == 2) {
    // The facet is an edge of a polygon in a plane that p lies in: p is seen
    // when it lies on the other side of the edge's line than the first root
    // vertex off that line.
    const ivec u = diff(s->neighbors[1].vert, a);
    int seen = 0;
    off_facet_root_vertices(s, [&](site q) {
      const ivec w = diff(q, a);
      const int axis = projection_axis(u, w);
      if (axis < 0) return false;
      seen = orient2(u, dp, axis) * orient2(u, w, axis) < 0;
      return true;
    });
    return seen;
  }
  if (!s->side) {
    // The root's vertices lie inside every facet that ever was on the hull:
    // the first one off the facet's plane tells the inner side.
    s->side = 1;
    off_facet_root_vertices(s, [&](site q) {
      const int o = orient3(a, s->neighbors[1].vert, s->neighbors[2].vert, q);
      if (o < 0) s->side = -1;
      return o < 0;
    });
  }
  return s->side * orient3(a, s->neighbors[1].vert, s->neighbors[2].vert, p) < 0;
}

// Is p outside the flat of root's first cdim vertices?
int exact_flat_test(simplex* root, site p) {
  const site a = root->neighbors[0].vert;
  if (cdim == 1) return !same_site(p, a);
  const ivec u = diff(root->neighbors[1].vert, a);
  if (cdim == 2) return projection_axis(u, diff(p, a)) >= 0;
  return sign_of(det3(u, diff(root->neighbors[2].vert, a), diff(p, a))) != 0;
}

}  // namespace

void exact_site_check(site p) {
  const bool whole = p[0] == floor(p[0]) && p[1] == floor(p[1]) && p[2] == floor(p[2]);
  if (!whole || !(fabs(p[0]) <= EXACT_XY_LIMIT && fabs(p[1]) <= EXACT_XY_LIMIT && fabs(p[2]) <= EXACT_Z_LIMIT))
    fatal_error("site outside the exact range: %.17g %.17g %.17g\n", p[0], p[1], p[2]);
}

// ===========================================================================
// Predicates
// ===========================================================================


void normal_update(simplex* s) {
  basis_update(s);
  if (rdim == 3 && cdim == 3) {
    const double* c = s->neighbors[1].basis->vec_b();
    const double* d = s->neighbors[2].basis->vec_b();
    s->normal = basis_take();
    // clang-format off: the expression text is part of the failure message
    assert(s->normal);
    // clang-format on
    s->normal->refs = 1;
    double* nv = s->normal->vec_b();
    nv[0] = c[1] * d[2] - c[2] * d[1];
    nv[1] = c[2] * d[0] - c[0] * d[2];
    nv[2] = c[0] * d[1] - c[1] * d[0];
    s->normal->norm2_b = norm2(nv, 3);
    // Orient so that the root's off-facet vertices are not seen: the hull's
    // interior lies on the non-negative side.
    off_facet_root_vertices(s, [&](site q) {
      bool flip;
      if (lifted_mode && q == infinity_point) {
        flip = nv[2] <= -err_bound;
        if (!flip) return false;
      } else {
        flip = sees(q, s);
        if (!flip) return false;
      }
      for (int t = 0; t < 3; t++) nv[t] = -nv[t];
      return true;
    });
    return;
  }
  // The part of q - z orthogonal to the facet points into the hull.
  off_facet_root_vertices(s, [&](site q) {
    vec_reduce(&s->normal, q, s, cdim);
    return s->normal->norm2_b != 0;
  });
}

int sees(site p, simplex* s) {
  if (exact_sites) return cdim == 0 ? 0 : exact_sees(p, s);
  if (!sees_scratch) sees_scratch = scratch_record();
  basis_s* b = sees_scratch;
  b->scale_exp = 0;
  if (cdim == 0) return 0;
  if (!s->normal) {
    normal_update(s);
    for (int i = 0; i < cdim; i++) basis_release(&s->neighbors[i].basis);
  }
  // vec_a is needed only by a refinement; it is filled just before the first.
  bool a_pending = basis_load_b(b, p, s->neighbors[0].vert);
  const double* nv = s->normal->vec_b();
  for (int tries = 0; tries < 3; tries++) {
    double dd = dot(b->vec_b(), nv, rdim);
    if (dd == 0) return 0;
    double n2 = s->normal->norm2_b;
    double m2 = norm2(b->vec_b(), rdim);
    if (clearly_off_plane(dd, n2, m2)) return dd < 0;
    double dds = dd * dd / n2 / m2;
    if (dds > err_bound_sq) return dd < 0;
    // Too close to the plane to trust: reduce against the facet's bases
    // (exactly if need be) and look again.
    if (a_pending) {
      copy_vec(b->vec_a(), b->vec_b(), rdim);
      a_pending = false;
    }
    basis_update(s);
    reduce_inner(b, s, cdim);
  }
  return 0;
}

int flat_test(simplex* root, site p) {
  if (!flat_scratch) flat_scratch = scratch_record();
  cdim++;
  // Test against the flat of all of root's vertices, peak included.
  root->neighbors[cdim - 1].vert = root->peak.vert;
  basis_release(&root->neighbors[cdim - 1].basis);
  if (exact_sites) {
    if (exact_flat_test(root, p)) return 1;
    cdim--;
    return 0;
  }
  basis_update(root);
  if (lifted_mode && root->neighbors[0].vert == infinity_point) return 1;
  vec_reduce(&flat_scratch, p, root, cdim);
  if (flat_scratch->norm2_a != 0) return 1;
  cdim--;
  return 0;
}

// ===========================================================================
// hull_build
// ===========================================================================

simplex* hull_build(get_site_f get_site, site_num_f num, short dim, short mode) {
  cdim = 0;
  ::get_site = get_site;
  site_num = num;
  pdim = dim;
  lifted_mode = mode;
  mantissa_bits = static_cast<int>(floor(53 * log(2) / log(2)));
  err_bound = 1.0950316e-11f;
  err_bound_sq = err_bound * err_bound;
  // clang-format off: the expression text is part of the failure message
  assert(get_site!=NULL);
  assert(site_num!=NULL);
  // clang-format on
  rdim = lifted_mode ? pdim + 1 : pdim;
  if (exact_sites && (pdim != 3 || lifted_mode)) fatal_error("exact mode needs three-dimensional sites\n");
  if (rdim > MAXDIM) fatal_error("dimension bound MAXDIM exceeded; rdim=%d; pdim=%d\n", rdim, pdim);
  pool_sizes_set();
  site_bytes = static_cast<int>(sizeof(double)) * pdim;
  if (lifted_mode) {
    cur_site = infinity_point;
    infinity_basis = basis_take();
    // clang-format off: the expression text is part of the failure message
    assert(infinity_basis);
    // clang-format on
    infinity_basis->refs = 1;
    infinity_basis->vec_b()[rdim - 1] = infinity_basis->vec_a()[rdim - 1] = 1;
    infinity_basis->norm2_a = infinity_basis->norm2_b = 1;
  } else {
    cur_site = get_site();
    if (!cur_site) return nullptr;
    if (exact_sites) exact_site_check(cur_site);
  }
  simplex* root = simplex_take();
  // clang-format off: the expression text is part of the failure message
  assert(root);
  // clang-format on
  orient_root = root;
  simplex* s = simplex_take();
  // clang-format off: the expression text is part of the failure message
  assert(s);
  // clang-format on
  simplex_copy(s, root);
  root->peak.vert = cur_site;
  root->peak.simp = s;
  s->peak.simp = root;
  hull_grow(root);
  return root;
}
