// Site feeding and an independent exact checker for the hull engine's output.
//
// The checker knows nothing of the engine's arithmetic: it reads the hull's
// records (vertices and links) and judges them with integer determinants
// (__int128) over the integer sites.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "hull/hull.h"

// Integer sites, dim coordinates each, in the order the engine receives them.
struct SiteSet {
  int dim = 3;
  std::vector<int64_t> c;  // size = n * dim
  int n() const { return static_cast<int>(c.size()) / dim; }
};

// Feeds a SiteSet to the engine through plain get_site / site_num callbacks
// over an array of doubles owned here.  Builds the hull and returns its root.
simplex* build_hull(const SiteSet& s, short mode = 0);
// The callbacks themselves (for tests that call hull_build directly).
void feed_sites(const SiteSet& s);
site feed_get_site();
int feed_site_num(site p);
int feed_fetch_count();           // get_site calls since feed_sites
site feed_site(int i);            // the engine's view of site i

// What the checker found, for tests that look at more than pass/fail.
struct HullReport {
  int facets = 0;                 // outer simplices reached by walk_facets
  int simplices = 0;              // all simplices reached by walk_all
  int rank = 0;                   // affine rank of the sites (lifted in lifted mode)
  std::vector<std::vector<int>> facet_verts;  // site indices, sorted; -1 = infinity_point
  std::vector<int> vertices;      // sorted distinct site indices that are facet vertices
  int coplanar_contacts = 0;      // (facet, non-vertex site) pairs on the facet's hyperplane
};

// Runs every check with gtest assertions (failures are reported, not thrown):
// links mutual and across the right faces, cdim equal to the sites' affine
// rank, every facet non-degenerate with no site strictly outside it, every
// ridge in exactly two facets, every extreme site a vertex.  In lifted mode
// (2D sites) the finite facets are checked as a Delaunay triangulation: empty
// circumcircles, no inverted or flat triangles, total area equal to the
// convex hull's area, every distinct site a vertex.
HullReport check_hull(simplex* root, const SiteSet& s, short mode = 0);

// Generators (deterministic for a given seed).
SiteSet random_box(int n, int dim, int64_t lo, int64_t hi, uint32_t seed);
SiteSet paraboloid(int n, int64_t r, uint32_t seed);   // (x, y, x^2 + y^2)
SiteSet lattice(int dim, int64_t k);                   // {0..k}^dim, lexicographic
SiteSet lattice_ball(int64_t r2);                      // 3D integer points with |p|^2 <= r2
void shuffle_sites(SiteSet& s, uint32_t seed);
void sort_sites(SiteSet& s);                           // lexicographic
