// hull/hull.h — the incremental convex-hull engine.
//
// A single, non-re-entrant instance: all state is process-wide.  Sites are
// pointers to pdim doubles owned by the caller and compared by identity.
#pragma once

#include <cstdio>

inline constexpr int MAXDIM = 8;

typedef double* site;

struct basis_s;
struct simplex;

// One entry of a simplex.
struct neighbor {
  site vert;        // the vertex of this entry, or null
  simplex* simp;    // the simplex across the face opposite vert
  basis_s* basis;   // vert's vector relative to the reference vertex; holds a reference
};

// Callbacks.
typedef site (*get_site_f)();                               // next site, null at the end
typedef int (*site_num_f)(site);                            // a site's number (0, 1, ...)
typedef void* (*visit_f)(simplex* s, void* arg);            // non-null result ends a walk
typedef int (*test_f)(simplex* s, int index, void* arg);    // may the walk cross entry index?
typedef void (*out_f)(site* verts, int count, FILE* stream, int marker);  // -1 prologue, 0 facet, 1 epilogue

extern int pdim, rdim, cdim;
extern int site_bytes;           // size of one site, set by hull_build before its first get_site
extern site_num_f site_num;      // the current hull's numbering callback

// Builds the hull of the sites that get_site yields, in that order.  Returns
// the root simplex, or null when there is no first site.  dim is the sites'
// dimension; a non-zero mode selects the lifted (Delaunay) mode.
simplex* hull_build(get_site_f get_site, site_num_f num, short dim, short mode);

// Releases every simplex and pooled basis of the hull.
void hull_free();

// Traversals (depth-first, stamped).
void* walk_gen(simplex* start, visit_f visit, test_f test);
void* walk_all(simplex* start, visit_f visit);
void* walk_facets(simplex* root, visit_f visit);

// Adjacency lookups among neighbors[0 .. cdim-1]; a miss is fatal.
neighbor* op_simp(simplex* a, simplex* b);
neighbor* op_vert(simplex* a, site x);
