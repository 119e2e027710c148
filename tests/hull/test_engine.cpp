// Unit behaviour of the engine: pools, basis kernel, predicates, small hulls,
// walks.  Geometry of larger hulls is judged by the exact checker elsewhere.
#include <climits>
#include <cmath>
#include <regex>
#include <set>

#include "tests/hull/engine_fixture.h"

namespace {

// ---------------------------------------------------------------------------
// Pools
// ---------------------------------------------------------------------------

bool all_zero_but_next(const void* rec, size_t bytes) {
  const unsigned char* p = static_cast<const unsigned char*>(rec) + sizeof(void*);
  for (size_t i = 0; i < bytes - sizeof(void*); i++)
    if (p[i]) return false;
  return true;
}

TEST_F(Engine, SimplexPoolGrowsByOneBlockAtThe10001stTake) {
  EXPECT_EQ(num_simplex_blocks, 0);
  simplex* prev = nullptr;
  for (int i = 0; i < records_per_block; i++) {
    simplex* s = simplex_take();
    ASSERT_TRUE(all_zero_but_next(s, simplex_bytes)) << "take " << i;
    if (prev) {
      ASSERT_EQ(reinterpret_cast<char*>(s), reinterpret_cast<char*>(prev) + simplex_bytes);
    }
    prev = s;
  }
  EXPECT_EQ(num_simplex_blocks, 1);
  simplex* s = simplex_take();
  EXPECT_EQ(num_simplex_blocks, 2);
  EXPECT_TRUE(all_zero_but_next(s, simplex_bytes));
  hull_free();
  EXPECT_EQ(num_simplex_blocks, 0);
  EXPECT_EQ(num_basis_s_blocks, 0);
  simplex_take();
  EXPECT_EQ(num_simplex_blocks, 1);
}

TEST_F(Engine, BasisReleaseCountsReferencesAndRecyclesCleared) {
  basis_s* b = basis_take();
  b->refs = 2;
  b->norm2_b = 5;
  b->vec_a()[2] = 7;
  basis_s* slot = b;
  basis_release(&slot);
  EXPECT_EQ(slot, nullptr);
  EXPECT_EQ(b->refs, 1);
  EXPECT_EQ(b->norm2_b, 5);
  basis_s* other = basis_take();  // not b: b is still in use
  EXPECT_NE(other, b);
  slot = b;
  basis_release(&slot);
  basis_s* again = basis_take();
  EXPECT_EQ(again, b) << "a released record is the next one handed out";
  EXPECT_TRUE(all_zero_but_next(again, basis_bytes));
  basis_s* empty = nullptr;
  basis_release(&empty);
  EXPECT_EQ(empty, nullptr);
}

TEST_F(Engine, BasisPoolGrowsByOneBlockAtThe10001stTake) {
  for (int i = 0; i < records_per_block; i++) basis_take();
  EXPECT_EQ(num_basis_s_blocks, 1);
  basis_take();
  EXPECT_EQ(num_basis_s_blocks, 2);
}

// Refinements in sees (sites nearly on a facet's plane) leave references to
// zero_basis on simplices that are never released singly.
TEST_F(Engine, ZeroBasisOutlivesHullsAndOnlyGains) {
  SiteSet s = paraboloid(10000, 1000, 1);
  int before = zero_basis.refs;
  build_hull(s);
  hull_free();
  int after_one = zero_basis.refs;
  EXPECT_GT(after_one, before);
  build_hull(s);
  hull_free();
  EXPECT_GT(zero_basis.refs, after_one);
  EXPECT_EQ(zero_basis.scale_exp, -1);
  EXPECT_EQ(zero_basis.norm2_a, 0);
}

// Mend: a long session adds references to zero_basis without end; the count
// stops at INT_MAX instead of overflowing into a pooled-looking record.
TEST_F(Engine, ZeroBasisReferencesSaturate) {
  zero_basis.refs = INT_MAX - 1;
  SiteSet s = paraboloid(10000, 1000, 1);
  for (int hull = 0; hull < 2; hull++) {
    simplex* root = build_hull(s);
    EXPECT_EQ(cdim, 3);
    EXPECT_EQ(facet_simplices(root).size() % 2, 0u);
    EXPECT_GT(zero_basis.refs, INT_MAX - 1000);
    hull_free();
  }
  EXPECT_EQ(zero_basis.scale_exp, -1);
  zero_basis.refs = 1000;  // back to a plain count for the tests that follow
}

// ---------------------------------------------------------------------------
// Basis kernel
// ---------------------------------------------------------------------------

TEST(Log2Safe, NonPositiveIsHugeNegative) {
  EXPECT_EQ(log2_safe(0), -1e305);
  EXPECT_EQ(log2_safe(-3), -1e305);
  EXPECT_DOUBLE_EQ(log2_safe(8), 3);
}

// A simplex whose neighbors[1] holds the basis vector b (rdim 3).
simplex* with_basis(double b0, double b1, double b2) {
  simplex* s = simplex_take();
  basis_s* b = basis_take();
  b->refs = 1;
  double v[3] = {b0, b1, b2};
  for (int i = 0; i < 3; i++) b->vec_a()[i] = b->vec_b()[i] = v[i];
  b->norm2_a = b->norm2_b = b0 * b0 + b1 * b1 + b2 * b2;
  s->neighbors[1].basis = b;
  return s;
}

basis_s* vector_of(double x, double y, double z) {
  basis_s* v = basis_take();
  v->refs = 1;
  double c[3] = {x, y, z};
  for (int i = 0; i < 3; i++) v->vec_a()[i] = v->vec_b()[i] = c[i];
  return v;
}

TEST_F(Engine, ReduceWithNoBasesIsTheVectorItself) {
  simplex* s = with_basis(1, 0, 0);
  basis_s* v = vector_of(3, 4, 12);
  EXPECT_EQ(reduce_inner(v, s, 1), 1);
  EXPECT_EQ(v->norm2_a, 169);
  EXPECT_EQ(v->norm2_b, 169);
  for (int i = 0; i < 3; i++) EXPECT_EQ(v->vec_b()[i], v->vec_a()[i]);
  basis_s* zero = vector_of(0, 0, 0);
  EXPECT_EQ(reduce_inner(zero, s, 1), 1);
  EXPECT_EQ(zero->norm2_a, 0);
  EXPECT_EQ(zero->norm2_b, 0);
}

// neighbors[0] = z and neighbors[1] = a, with a's basis computed.
simplex* edge_simplex(site z, site a) {
  simplex* s = simplex_take();
  s->neighbors[0].vert = z;
  s->neighbors[1].vert = a;
  cdim = 2;
  basis_update(s);
  return s;
}

TEST_F(Engine, VectorAlongTheEdgeReducesToExactZero) {
  double z[3] = {1, 1, 1}, a[3] = {4, 5, 1};
  simplex* s = edge_simplex(z, a);
  double on[3] = {-5, -7, 1};  // z - 2 (a - z)
  basis_s* v = nullptr;
  vec_reduce(&v, on, s, 2);
  EXPECT_EQ(v->norm2_a, 0);
  EXPECT_EQ(v->norm2_b, 0);
  double off[3] = {-5, 10, 1};  // z + (-6, 9, 0): across the edge
  vec_reduce(&v, off, s, 2);
  EXPECT_GT(v->norm2_b, 0);
  EXPECT_EQ(v->scale_exp, 0) << "decided in floating point";
}

// Exact iterations scale vec_a by 2^e and record e: with b = (1024, 0, 0) the
// vector (3077, 1, 0) keeps too little of its length in floating point; the
// exact iteration picks e = 10 and leaves (0, 1024, 0).  Reduced again (from
// (3077, 128, 0), scale_exp kept) it picks e = 3: 10 + 3 = 13, and vec_a is
// 8 (3077, 128, 0) - 24 b = (40, 1024, 0).
TEST_F(Engine, ExactIterationsAccumulateScaleExp) {
  simplex* s = with_basis(1024, 0, 0);
  basis_s* v = vector_of(3077, 1, 0);
  EXPECT_EQ(reduce_inner(v, s, 2), 1);
  EXPECT_EQ(v->scale_exp, 10);
  EXPECT_EQ(v->vec_a()[0], 0);
  EXPECT_EQ(v->vec_a()[1], 1024);
  v->vec_a()[0] = v->vec_b()[0] = 3077;
  v->vec_a()[1] = v->vec_b()[1] = 128;
  EXPECT_EQ(reduce_inner(v, s, 2), 1);
  EXPECT_EQ(v->scale_exp, 13);
  EXPECT_EQ(v->vec_a()[0], 40);
  EXPECT_EQ(v->vec_a()[1], 1024);
}

// (2^60, 1, 0) against (1, 0, 0): the scale cap comes out below 1 (warned).
TEST_F(Engine, ScaleCapWarningsStopAfterTen) {
  simplex* s = with_basis(1, 0, 0);
  auto overshoot = [&] {
    basis_s* v = vector_of(std::ldexp(1.0, 60), 1, 0);
    EXPECT_EQ(reduce_inner(v, s, 2), 1);
    EXPECT_EQ(v->norm2_b, 1);
  };
  scale_warn_count = 8;
  const std::regex warning("overshot exact arithmetic\nhull/ch\\.cpp line [0-9]+ \n");
  EXPECT_TRUE(std::regex_match(diag_of(overshoot), warning));
  const std::regex last("overshot exact arithmetic\nhull/ch\\.cpp line [0-9]+ \nconsider yourself warned\n");
  EXPECT_TRUE(std::regex_match(diag_of(overshoot), last));
  EXPECT_EQ(diag_of(overshoot), "");
  EXPECT_EQ(scale_warn_count, 11);
}

TEST_F(Engine, FailedReductionsAreReportedTenTimes) {
  pdim = 3;
  site_num = feed_site_num;
  simplex* s = with_basis(1, 0, 0);
  auto fail = [&] {
    basis_s* v = vector_of(NAN, 0, 0);  // never keeps half its length
    EXPECT_EQ(reduce_inner(v, s, 2), 0);
  };
  reduce_fail_count = 9;
  std::string report = diag_of(fail);
  EXPECT_TRUE(std::regex_search(report, std::regex("^reduce_inner failed on:\nhull/ch\\.cpp line [0-9]+ \n\n0x[0-9a-f]+  0 \n b=")))
      << report;
  EXPECT_NE(report.find("simplex 0x"), std::string::npos);
  EXPECT_EQ(diag_of(fail), "");
  EXPECT_EQ(reduce_fail_count, 11);
}

// ---------------------------------------------------------------------------
// Predicates
// ---------------------------------------------------------------------------

SiteSet tetra() { return SiteSet{3, {0, 0, 0, 10, 0, 0, 0, 10, 0, 0, 0, 10}}; }

TEST_F(Engine, SeesNothingInDimensionZero) {
  SiteSet one{3, {1, 2, 3}};
  simplex* root = build_hull(one);
  ASSERT_EQ(cdim, 0);
  double far[3] = {100, 100, 100};
  EXPECT_EQ(sees(far, root), 0);
  EXPECT_EQ(sees(far, root->peak.simp), 0);
}

TEST_F(Engine, TetrahedronFacetsSeeOnlyTheOutside) {
  SiteSet t = tetra();
  simplex* root = build_hull(t);
  ASSERT_EQ(cdim, 3);
  std::vector<simplex*> facets = facet_simplices(root);
  ASSERT_EQ(facets.size(), 4u);
  for (simplex* f : facets) {
    std::set<site> fv;
    for (int i = 0; i < 3; i++) fv.insert(f->neighbors[i].vert);
    site opposite = nullptr;
    for (int i = 0; i < 4; i++)
      if (!fv.count(feed_site(i))) opposite = feed_site(i);
    // The opposite vertex mirrored through the facet's plane.
    double a[3], n[3], o[3];
    site v0 = f->neighbors[0].vert, v1 = f->neighbors[1].vert, v2 = f->neighbors[2].vert;
    double e1[3], e2[3];
    for (int i = 0; i < 3; i++) e1[i] = v1[i] - v0[i], e2[i] = v2[i] - v0[i];
    n[0] = e1[1] * e2[2] - e1[2] * e2[1];
    n[1] = e1[2] * e2[0] - e1[0] * e2[2];
    n[2] = e1[0] * e2[1] - e1[1] * e2[0];
    double num = 0, den = 0;
    for (int i = 0; i < 3; i++) num += n[i] * (opposite[i] - v0[i]), den += n[i] * n[i];
    for (int i = 0; i < 3; i++) a[i] = opposite[i] - 2 * num / den * n[i];
    for (int i = 0; i < 3; i++) o[i] = (v0[i] + v1[i] + v2[i]) / 3;  // on the plane
    EXPECT_EQ(sees(opposite, f), 0);
    EXPECT_EQ(sees(a, f), 1);
    EXPECT_EQ(sees(o, f), 0) << "on the plane";
    EXPECT_EQ(sees(v1, f), 0) << "a vertex of the facet";
  }
}

TEST_F(Engine, FlatTestRaisesTheDimensionOnlyOffTheFlat) {
  SiteSet two{3, {1, 2, 3, 4, 6, 8}};
  simplex* root = build_hull(two);
  ASSERT_EQ(cdim, 1);
  double on_line[3] = {7, 10, 13};
  EXPECT_EQ(flat_test(root, on_line), 0);
  EXPECT_EQ(cdim, 1);
  double same[3] = {1, 2, 3};
  EXPECT_EQ(flat_test(root, same), 0);
  EXPECT_EQ(cdim, 1);
  double off[3] = {7, 10, 14};
  EXPECT_EQ(flat_test(root, off), 1);
  EXPECT_EQ(cdim, 2);
}

// ---------------------------------------------------------------------------
// Small hulls
// ---------------------------------------------------------------------------

TEST_F(Engine, NoSitesGiveNoHullAndTakeNothing) {
  EXPECT_EQ(build_hull(SiteSet{3, {}}), nullptr);
  EXPECT_EQ(num_simplex_blocks, 0);
  EXPECT_EQ(num_basis_s_blocks, 0);
  EXPECT_EQ(walk_facets(nullptr, [](simplex*, void*) -> void* {
              ADD_FAILURE() << "visited";
              return nullptr;
            }),
            nullptr);
}

struct SmallCase {
  const char* what;
  SiteSet sites;
  int cdim, facets, simplices;
  std::set<int> vertices;  // of the facets
};

TEST_F(Engine, SmallHulls) {
  const SmallCase cases[] = {
      {"one site", {3, {1, 2, 3}}, 0, 1, 2, {}},
      {"a duplicate", {3, {1, 2, 3, 1, 2, 3}}, 0, 1, 2, {}},
      {"two sites", {3, {1, 2, 3, 4, 5, 6}}, 1, 2, 3, {0, 1}},
      {"collinear", {3, {0, 0, 0, 1, 1, 1, 5, 5, 5, 3, 3, 3, -2, -2, -2}}, 1, 2, 5, {2, 4}},
      {"tetrahedron", tetra(), 3, 4, 5, {0, 1, 2, 3}},
      {"inside and duplicate dropped", {3, {0, 0, 0, 10, 0, 0, 0, 10, 0, 0, 0, 10, 1, 1, 1, 10, 0, 0}}, 3, 4, 5,
       {0, 1, 2, 3}},
      {"square", {3, {0, 0, 0, 4, 0, 0, 4, 4, 0, 0, 4, 0, 2, 2, 0, 2, 0, 0}}, 2, 4, -1, {0, 1, 2, 3}},
  };
  for (const SmallCase& c : cases) {
    SCOPED_TRACE(c.what);
    simplex* root = build_hull(c.sites);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(cdim, c.cdim);
    EXPECT_EQ(root->peak.vert, feed_site(0)) << "the first site is the root's peak";
    std::vector<simplex*> facets = facet_simplices(root);
    EXPECT_EQ(static_cast<int>(facets.size()), c.facets);
    if (c.simplices >= 0) {
      EXPECT_EQ(static_cast<int>(all_simplices(root).size()), c.simplices);
    }
    std::set<int> verts;
    for (simplex* f : facets) {
      EXPECT_EQ(f->peak.vert, nullptr);
      for (int i = 0; i < cdim; i++) verts.insert(feed_site_num(f->neighbors[i].vert));
    }
    EXPECT_EQ(verts, c.vertices);
    check_hull(root, c.sites);
    hull_free();
  }
}

// In lifted mode the point at infinity is the first vertex: one site already
// gives a segment (cdim 1) whose two facets are the site and infinity.
TEST_F(Engine, LiftedModeStartsAtInfinity) {
  SiteSet one{2, {3, 4}};
  simplex* root = build_hull(one, 1);
  EXPECT_EQ(rdim, 3);
  EXPECT_EQ(cdim, 1);
  EXPECT_EQ(root->peak.vert, infinity_point);
  std::set<site> verts;
  for (simplex* f : facet_simplices(root)) verts.insert(f->neighbors[0].vert);
  EXPECT_EQ(verts, (std::set<site>{infinity_point, feed_site(0)}));
}

// Every simplex that the insertion of site n touched carries the stamp n + 2.
TEST_F(Engine, InsertionStampsItsSimplices) {
  SiteSet s = tetra();
  s.c.insert(s.c.end(), {10, 10, 10});  // sees the slanted facet only
  simplex* root = build_hull(s);
  site last = feed_site(4);
  int touched = 0;
  for (simplex* t : reachable(root)) {
    bool has = t->peak.vert == last;
    for (int i = 0; i < cdim; i++) has = has || t->neighbors[i].vert == last;
    if (!has) continue;
    touched++;
    EXPECT_EQ(t->visit_stamp, 4 + 2);
  }
  EXPECT_EQ(touched, 4);  // the coned facet and its three new facets
}

// Mend: an insertion that makes no new facet links none, even though an
// earlier insertion made some.
TEST_F(Engine, ConeWithoutHorizonReturnsNull) {
  SiteSet s = tetra();
  s.c.insert(s.c.end(), {10, 10, 10});  // an insertion that makes new facets
  simplex* root = build_hull(s);
  simplex* f = facet_simplices(root)[0];
  double p[3] = {-5, -5, -5};
  cur_site = p;
  site_stamp = 99;
  // Pretend every neighbour of f has already been coned by this insertion.
  for (int i = 0; i < cdim; i++) {
    f->neighbors[i].simp->visit_stamp = site_stamp;
    f->neighbors[i].simp->peak.vert = p;
  }
  EXPECT_EQ(horizon_cone(f), nullptr);
}

// ---------------------------------------------------------------------------
// Walks
// ---------------------------------------------------------------------------

TEST_F(Engine, WalkStampsCountDownTwoPerFacetWalk) {
  simplex* root = build_hull(tetra());
  walk_stamp = -1;
  std::vector<simplex*> facets = facet_simplices(root);
  EXPECT_EQ(walk_stamp, -3);
  for (simplex* f : facets) EXPECT_EQ(f->visit_stamp, -3);
  EXPECT_EQ(root->visit_stamp, -2) << "the first walk starts at root";
  facet_simplices(root);
  EXPECT_EQ(walk_stamp, -5);
  // Mend: after the most negative stamp the count starts over, without overflow.
  walk_stamp = INT_MIN;
  all_simplices(root);
  EXPECT_EQ(walk_stamp, -2);
}

TEST_F(Engine, WalkStopsAtTheFirstNonNullVisit) {
  simplex* root = build_hull(tetra());
  static int visits;
  visits = 0;
  void* r = walk_all(root, [](simplex* s, void*) -> void* {
    visits++;
    return s;
  });
  EXPECT_EQ(r, root);
  EXPECT_EQ(visits, 1);
}

// A chain of simplices, each with a leaf on its peak entry: the walk leaves a
// leaf pending at every step, 2500 in all, past the stack's first capacity.
TEST_F(Engine, WalkStackGrowsWithoutLosingEntries) {
  cdim = 1;
  const int chain = 2500;
  std::vector<simplex*> links;
  for (int i = 0; i < 2 * chain; i++) links.push_back(simplex_take());
  for (int i = 0; i < chain; i++) {
    simplex* c = links[2 * i];
    c->peak.simp = links[2 * i + 1];
    c->neighbors[0].simp = i + 1 < chain ? links[2 * i + 2] : nullptr;
  }
  static int visits;
  visits = 0;
  walk_all(links[0], [](simplex*, void*) -> void* {
    visits++;
    return nullptr;
  });
  EXPECT_EQ(visits, 2 * chain);
  EXPECT_GE(walk_stack_capacity, 4000);
}

TEST_F(Engine, OpVertFindsFacetVertices) {
  simplex* root = build_hull(tetra());
  for (int i = 0; i < cdim; i++) EXPECT_EQ(op_vert(root, root->neighbors[i].vert), &root->neighbors[i]);
  for (int i = 0; i < cdim; i++) EXPECT_EQ(op_simp(root, root->neighbors[i].simp), &root->neighbors[i]);
}

}  // namespace
