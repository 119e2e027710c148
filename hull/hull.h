// hull/hull.h — the incremental convex-hull engine.
//
// A single, non-re-entrant instance: all state is process-wide.  Sites are
// pointers to pdim doubles owned by the caller and compared by identity.
//
// Index
//   records ............ neighbor, basis_s, simplex
//   callbacks .......... get_site_f, site_num_f, visit_f, test_f, out_f
//   public entry points  hull_build, hull_free, walk_*, op_simp, op_vert
//   engine internals ... pools, basis kernel, predicates, insertion steps
//                        (shared by hull/ch.cpp, hull/hull.cpp, the printers
//                        and the tests; not for the application)
#pragma once

#include <cstddef>
#include <cstdio>

inline constexpr int MAXDIM = 8;

typedef double* site;

struct basis_s;
struct simplex;

extern int pdim, rdim, cdim;

// One entry of a simplex.
struct neighbor {
  site vert;        // the vertex of this entry, or null
  simplex* simp;    // the simplex across the face opposite vert
  basis_s* basis;   // vert's vector relative to the reference vertex; holds a reference
};

// One vector of the working space with its reduction state.  Variable length:
// vec_b (rdim doubles) is followed directly by vec_a (rdim doubles).
struct basis_s {
  basis_s* next;    // free-list link while the record is pooled
  int refs;         // references held by entries and normals; 0 only while pooled
  int scale_exp;    // power of two applied to vec_a by exact iterations; < 0 only for zero_basis
  double norm2_a;   // |vec_a|^2 when the last floating-point reduction started
  double norm2_b;   // |vec_b|^2
  double vecs[];    // vec_b then vec_a
  double* vec_b() { return vecs; }            // the reduced vector
  double* vec_a() { return vecs + rdim; }     // the unreduced vector (integer-valued in exact iterations)
};

// One simplex of the triangulation.  Variable length: rdim entries follow
// peak, and peak serves as entry -1 of neighbors.  A null peak.vert marks an
// outer simplex, that is a facet of the hull seen from outside.
struct simplex {
  simplex* next;        // free-list link while the record is pooled
  int visit_stamp;      // >= 2: search of an insertion; <= -1: a walk; 0: fresh outer simplex
  signed char side;     // exact mode: +1 or -1, the sign of the facet's determinant on the
                        // hull's inner side; 0 until first needed (reset with the normal)
  basis_s* normal;      // oriented facet normal, or null until first needed; holds a reference
  neighbor peak;        // the peak vertex and the simplex across the facet
  neighbor neighbors[]; // the facet's vertices, first cdim in use; [0] is the reference vertex
};
static_assert(offsetof(simplex, neighbors) == offsetof(simplex, peak) + sizeof(neighbor),
              "peak is entry -1 of neighbors");

// Callbacks.
typedef site (*get_site_f)();                               // next site, null at the end
typedef int (*site_num_f)(site);                            // a site's number (0, 1, ...)
typedef void* (*visit_f)(simplex* s, void* arg);            // non-null result ends a walk
typedef int (*test_f)(simplex* s, int index, void* arg);    // may the walk cross entry index?
typedef void (*out_f)(site* verts, int count, FILE* stream, int marker);  // -1 prologue, 0 facet, 1 epilogue

extern int site_bytes;           // size of one site, set by hull_build before its first get_site
extern site_num_f site_num;      // the current hull's numbering callback

// Builds the hull of the sites that get_site yields, in that order.  Returns
// the root simplex, or null when there is no first site.  dim is the sites'
// dimension; a non-zero mode selects the lifted (Delaunay) mode.
simplex* hull_build(get_site_f get_site, site_num_f num, short dim, short mode);

// Exact mode, for three-dimensional hulls (dim 3, mode 0) of sites whose
// coordinates are whole numbers with |x|, |y| <= EXACT_XY_LIMIT and
// |z| <= EXACT_Z_LIMIT.  Set it before hull_build: every decision of sees and
// flat_test is then the sign of an integer determinant taken exactly in
// 128 bits (ch.cpp derives the bounds), so the hull is exact whatever the
// sites' spread, and no floating-point reduction runs.  A site outside those
// bounds ends the process with a one-line report: the caller promised them.
// Off (0) by default; elsewhere the floating-point kernel decides.
extern int exact_sites;
inline constexpr double EXACT_XY_LIMIT = 536870912.0;         // 2^29
inline constexpr double EXACT_Z_LIMIT = 9007199254740992.0;   // 2^53

// Releases every simplex and pooled basis of the hull.
void hull_free();

// Traversals (depth-first, stamped).
void* walk_gen(simplex* start, visit_f visit, test_f test);
void* walk_all(simplex* start, visit_f visit);
void* walk_facets(simplex* root, visit_f visit);

// Adjacency lookups among neighbors[0 .. cdim-1]; a miss is fatal.
neighbor* op_simp(simplex* a, simplex* b);
neighbor* op_vert(simplex* a, site x);

// ---------------------------------------------------------------------------
// Engine internals.  Declared here so that both engine files, the printers and
// the tests see one definition; the application uses only the part above.
// ---------------------------------------------------------------------------

// Pools (records are zero when taken, apart from next).
inline constexpr int max_blocks = 10000;        // blocks per pool
inline constexpr int records_per_block = 10000;
extern int num_basis_s_blocks, num_simplex_blocks;
extern size_t basis_bytes;        // header plus 2*rdim doubles
extern size_t simplex_bytes;      // header (peak included) plus rdim entries
void pool_sizes_set();            // record sizes from rdim; only while both pools are empty
void basis_pool_release_all();
basis_s* basis_take();            // null only if the system allocator failed (after the report)
simplex* simplex_take();
void basis_release(basis_s** slot);
void basis_ref(basis_s* b);       // adds one reference, saturating at INT_MAX
void simplex_copy(simplex* to, const simplex* from);  // whole record, plus a reference per entry basis

extern basis_s zero_basis;        // the reference vertex's (empty) vector; never pooled
extern basis_s* infinity_basis;   // lifted mode: the vector of infinity_point
extern site const infinity_point; // lifted mode: the point at infinity, by identity

// Engine state of the current hull.
extern get_site_f get_site;
extern short lifted_mode;
extern site cur_site;             // the site being inserted
extern int site_stamp;            // site_num(cur_site) + 2 during its insertion
extern int walk_stamp;            // the stamp of the current or last walk; always <= -1

// Basis kernel.
extern int scale_warn_count;      // "overshot exact arithmetic" warnings so far (saturating)
extern int reduce_fail_count;     // non-converging reductions so far (saturating)
double log2_safe(double x);
int vec_reduce(basis_s** v, site p, simplex* s, int k);
int reduce_inner(basis_s* v, simplex* s, int k);
void basis_update(simplex* s);

// Predicates.
void exact_site_check(site p);    // exact mode: ends the process when p is outside its bounds
void normal_update(simplex* s);
int sees(site p, simplex* s);
int flat_test(simplex* root, site p);

// Insertion steps.
void hull_grow(simplex* root);
site site_fetch();
simplex* visible_find(simplex* root);
simplex* horizon_cone(simplex* seen);
void horizon_link(simplex* s);
simplex* dim_extend(simplex* s);

// Stack capacities (entries; the storage holds 9 more).  0 until first use.
extern int search_stack_capacity, walk_stack_capacity;
