// The engine's hulls judged by the exact checker, on random and degenerate
// input families, in input order as given and in other orders.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <set>

#include "tests/hull/oracle.h"

namespace {

struct Family {
  const char* name;
  SiteSet (*make)();
  short mode;
};

SiteSet shuffled(SiteSet s, uint32_t seed) {
  shuffle_sites(s, seed);
  return s;
}
SiteSet sorted(SiteSet s) {
  sort_sites(s);
  return s;
}
SiteSet repeated(SiteSet s, int times, uint32_t seed) {
  SiteSet r = s;
  for (int t = 1; t < times; t++) r.c.insert(r.c.end(), s.c.begin(), s.c.end());
  shuffle_sites(r, seed);
  return r;
}

// All sites on the line a + t d, in random order with repeats.
SiteSet collinear3() {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int64_t> t(-500, 500);
  SiteSet s;
  for (int i = 0; i < 300; i++) {
    int64_t k = t(rng);
    s.c.insert(s.c.end(), {3 + 2 * k, -1 + 5 * k, 7 - 3 * k});
  }
  return s;
}

// All sites on the plane o + u s + v t.
SiteSet coplanar3() {
  std::mt19937 rng(8);
  std::uniform_int_distribution<int64_t> t(-300, 300);
  SiteSet s;
  for (int i = 0; i < 800; i++) {
    int64_t a = t(rng), b = t(rng);
    s.c.insert(s.c.end(), {1 + 2 * a - b, 3 * a + b, -2 + a + 4 * b});
  }
  return s;
}

// A big tetrahedron and many sites strictly inside it.
SiteSet tetra_inside() {
  SiteSet s;
  s.c = {-10000, -10000, -10000, 10000, -10000, -10000, 0, 10000, -10000, 0, 0, 10000};
  SiteSet in = random_box(2000, 3, -2000, 2000, 9);
  s.c.insert(s.c.end(), in.c.begin(), in.c.end());
  return s;
}

// The corners of a cube (coplanar and cospherical) among interior sites.
SiteSet cube_inside() {
  SiteSet s = random_box(1000, 3, -99, 99, 10);
  for (int64_t x : {-100, 100})
    for (int64_t y : {-100, 100})
      for (int64_t z : {-100, 100}) s.c.insert(s.c.end(), {x, y, z});
  return shuffled(s, 11);
}

const Family kFamilies[] = {
    {"random2d", [] { return random_box(2000, 2, -10000, 10000, 1); }, 0},
    {"random3d_cube", [] { return random_box(3000, 3, -10000, 10000, 2); }, 0},
    {"random3d_paraboloid", [] { return paraboloid(2000, 1000, 3); }, 0},
    {"random3d_paraboloid_sorted", [] { return sorted(paraboloid(2000, 1000, 3)); }, 0},
    {"random3d_small_box", [] { return random_box(2000, 3, -20, 20, 4); }, 0},
    {"random4d", [] { return random_box(1500, 4, -1000, 1000, 5); }, 0},
    {"random5d", [] { return random_box(400, 5, -1000, 1000, 6); }, 0},
    {"lattice2d_shuffled", [] { return shuffled(lattice(2, 30), 12); }, 0},
    {"lattice3d_sorted", [] { return lattice(3, 7); }, 0},
    {"lattice3d_shuffled", [] { return shuffled(lattice(3, 7), 13); }, 0},
    {"lattice_ball_shuffled", [] { return shuffled(lattice_ball(64), 14); }, 0},
    {"lattice_ball_sorted", [] { return lattice_ball(64); }, 0},
    {"lattice4d_shuffled", [] { return shuffled(lattice(4, 3), 15); }, 0},
    {"collinear3d", collinear3, 0},
    {"coplanar3d", coplanar3, 0},
    {"coplanar3d_sorted", [] { return sorted(coplanar3()); }, 0},
    {"duplicates3d", [] { return repeated(random_box(300, 3, -1000, 1000, 16), 3, 17); }, 0},
    {"duplicates_paraboloid", [] { return repeated(paraboloid(300, 100, 18), 2, 19); }, 0},
    {"tetra_inside", tetra_inside, 0},
    {"cube_inside", cube_inside, 0},
    {"lifted_random", [] { return random_box(2000, 2, -1000, 1000, 20); }, 1},
    {"lifted_lattice_shuffled", [] { return shuffled(lattice(2, 25), 21); }, 1},
    {"lifted_lattice_sorted", [] { return lattice(2, 25); }, 1},
    {"lifted_duplicates", [] { return repeated(random_box(300, 2, -50, 50, 22), 2, 23); }, 1},
};

class HullExact : public testing::TestWithParam<Family> {
 protected:
  void TearDown() override { hull_free(); }
};

// Builds the family's hull and runs the checker on it.
void expect_checked_hull(const Family& f) {
  SiteSet s = f.make();
  simplex* root = build_hull(s, f.mode);
  ASSERT_NE(root, nullptr);
  HullReport r = check_hull(root, s, f.mode);
  EXPECT_GT(r.facets, 0);
}

std::string family_name(const testing::TestParamInfo<Family>& i) { return i.param.name; }

TEST_P(HullExact, PassesTheExactChecker) { expect_checked_hull(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Families, HullExact, testing::ValuesIn(kFamilies), family_name);

// In general position the hull is unique, so every input order must give the
// same facets.
TEST(HullBuild, SameFacetsInEveryOrder) {
  SiteSet base = random_box(1500, 3, -100000, 100000, 24);
  std::set<std::vector<int>> reference;
  std::vector<int64_t> ref_coords;
  for (int order = 0; order < 3; order++) {
    SiteSet s = order == 0 ? base : order == 1 ? sorted(base) : shuffled(base, 25);
    simplex* root = build_hull(s, 0);
    HullReport r = check_hull(root, s, 0);
    ASSERT_EQ(r.coplanar_contacts, 0) << "test set not in general position";
    // Facets by coordinates, since the site numbers differ between orders.
    std::set<std::vector<int>> facets;
    for (const auto& f : r.facet_verts) {
      std::vector<std::vector<int64_t>> pts;
      for (int v : f) pts.emplace_back(s.c.begin() + v * 3, s.c.begin() + v * 3 + 3);
      std::sort(pts.begin(), pts.end());
      std::vector<int> key;
      for (auto& p : pts) key.insert(key.end(), p.begin(), p.end());
      facets.insert(key);
    }
    if (order == 0)
      reference = facets;
    else
      EXPECT_EQ(facets, reference) << "order " << order;
    hull_free();
  }
}

}  // namespace

namespace {

// Failures that check_hull reports, captured instead of failing this test.
std::vector<std::string> checker_failures(simplex* root, const SiteSet& s) {
  testing::TestPartResultArray results;
  {
    testing::ScopedFakeTestPartResultReporter capture(
        testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results);
    check_hull(root, s, 0);
  }
  std::vector<std::string> out;
  for (int i = 0; i < results.size(); i++) out.push_back(results.GetTestPartResult(i).message());
  return out;
}

bool mentions(const std::vector<std::string>& msgs, const char* what) {
  return std::any_of(msgs.begin(), msgs.end(), [&](const std::string& m) { return m.find(what) != std::string::npos; });
}

// The checker itself must catch a wrong hull: a facet vertex swapped for an
// interior site, and a broken link.
TEST(CheckHull, CatchesWrongHulls) {
  SiteSet s = tetra_inside();
  simplex* root = build_hull(s, 0);
  EXPECT_TRUE(checker_failures(root, s).empty());
  simplex* f = static_cast<simplex*>(walk_facets(root, [](simplex* t, void*) -> void* { return t; }));
  site saved = f->neighbors[0].vert;
  f->neighbors[0].vert = feed_site(10);  // an interior site
  std::vector<std::string> msgs = checker_failures(root, s);
  EXPECT_TRUE(mentions(msgs, "both sides of a facet"));
  EXPECT_TRUE(mentions(msgs, "ridge lies in 1 facets"));
  f->neighbors[0].vert = saved;
  simplex* saved_simp = f->neighbors[1].simp;
  f->neighbors[1].simp = f;
  EXPECT_TRUE(mentions(checker_failures(root, s), "link"));
  f->neighbors[1].simp = saved_simp;
  hull_free();
}

}  // namespace

// ---------------------------------------------------------------------------
// Exact mode: the same checker on whole-number sites, among them the far and
// tall ones of the program's whole range, where the floating-point kernel's
// tolerances are coarser than the hull.
// ---------------------------------------------------------------------------

namespace {

// n sites lifted as the program lifts its points: x, y within r of
// (cx, cy) (whole hundredths), z = x^2 + y^2 - w with w within +-wmax.
SiteSet lifted_cluster(int n, int64_t cx, int64_t cy, int64_t r, int64_t wmax, uint32_t seed) {
  std::mt19937_64 rng(seed);
  std::uniform_int_distribution<int64_t> u(-r, r), w(-wmax, wmax);
  SiteSet s;
  for (int i = 0; i < n; i++) {
    const int64_t x = cx + u(rng), y = cy + u(rng);
    s.c.insert(s.c.end(), {x, y, x * x + y * y - (wmax > 0 ? w(rng) : 0)});
  }
  return s;
}

const Family kExactFamilies[] = {
    {"random3d_cube", [] { return random_box(3000, 3, -10000, 10000, 2); }, 0},
    {"random3d_small_box", [] { return random_box(2000, 3, -20, 20, 4); }, 0},
    {"lattice3d_shuffled", [] { return shuffled(lattice(3, 7), 13); }, 0},
    {"lattice_ball_shuffled", [] { return shuffled(lattice_ball(64), 14); }, 0},
    {"collinear3d", collinear3, 0},
    {"coplanar3d", coplanar3, 0},
    {"duplicates3d", [] { return repeated(random_box(300, 3, -1000, 1000, 16), 3, 17); }, 0},
    {"tetra_inside", tetra_inside, 0},
    {"cube_inside", cube_inside, 0},
    // The program's corners: 10^6 hundredths out, clusters 0.5 and 0.05 wide.
    {"far_cluster", [] { return lifted_cluster(400, 999950, -999950, 50, 0, 30); }, 0},
    {"far_tight_cluster", [] { return lifted_cluster(300, -999995, 999995, 5, 0, 31); }, 0},
    {"far_tight_duplicates", [] { return repeated(lifted_cluster(100, 300000, -800000, 3, 0, 32), 2, 33); }, 0},
    {"huge_weights", [] { return lifted_cluster(300, 0, 0, 5, 1000000000000, 34); }, 0},
    {"far_huge_weights", [] { return lifted_cluster(300, 999990, 999990, 30, 1000000000000, 35); }, 0},
};

class HullExactMode : public testing::TestWithParam<Family> {
 protected:
  void SetUp() override { exact_sites = 1; }
  void TearDown() override {
    hull_free();
    exact_sites = 0;
  }
};

TEST_P(HullExactMode, PassesTheExactChecker) { expect_checked_hull(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Families, HullExactMode, testing::ValuesIn(kExactFamilies), family_name);

// At the bounds of exact mode: a box whose corners lie on them (its
// determinants reach 2^116), given corners first and then sites strictly
// inside it and on its faces, has exactly the box's 12 triangles, each on one
// face (told by coordinates alone, no determinant).  One unit beyond a bound,
// or a site that is not a whole number, ends the process with a report.
TEST(HullExactBounds, HoldOnBothSides) {
  constexpr int64_t B = int64_t{1} << 29, Z = int64_t{1} << 53;
  SiteSet s;
  for (int64_t x : {-B, B})
    for (int64_t y : {-B, B})
      for (int64_t z : {-Z, Z}) s.c.insert(s.c.end(), {x, y, z});
  std::mt19937_64 rng(40);
  std::uniform_int_distribution<int64_t> ux(-B + 1, B - 1), uz(-Z + 1, Z - 1);
  for (int i = 0; i < 200; i++) s.c.insert(s.c.end(), {ux(rng), ux(rng), uz(rng)});
  for (int i = 0; i < 100; i++) {
    // One coordinate on a face, the others inside it.
    int64_t p[3] = {ux(rng), ux(rng), uz(rng)};
    const int axis = i % 3;
    p[axis] = axis == 2 ? (i % 2 ? Z : -Z) : (i % 2 ? B : -B);
    s.c.insert(s.c.end(), {p[0], p[1], p[2]});
  }
  exact_sites = 1;
  simplex* root = build_hull(s, 0);
  ASSERT_NE(root, nullptr);
  std::vector<std::vector<int>> facets;
  static std::vector<std::vector<int>>* sink;
  sink = &facets;
  walk_facets(root, [](simplex* f, void*) -> void* {
    std::vector<int> v;
    for (int k = 0; k < cdim; k++) v.push_back(feed_site_num(f->neighbors[k].vert));
    sink->push_back(v);
    return nullptr;
  });
  EXPECT_EQ(12u, facets.size());
  std::set<int> corners_used;
  for (const auto& f : facets) {
    ASSERT_EQ(3u, f.size());
    bool on_one_face = false;
    for (int axis = 0; axis < 3 && !on_one_face; axis++) {
      const int64_t c = s.c[f[0] * 3 + axis];
      on_one_face = s.c[f[1] * 3 + axis] == c && s.c[f[2] * 3 + axis] == c;
    }
    EXPECT_TRUE(on_one_face) << f[0] << " " << f[1] << " " << f[2];
    for (int v : f) {
      EXPECT_LT(v, 8) << "a site that is not a corner is a facet vertex";
      corners_used.insert(v);
    }
  }
  EXPECT_EQ(8u, corners_used.size());
  hull_free();

  const struct {
    const char* what;
    std::vector<double> site;
  } beyond[] = {
      {"x beyond", {static_cast<double>(B + 1), 0, 0}},
      {"y beyond", {0, -static_cast<double>(B + 1), 0}},
      {"z beyond", {0, 0, static_cast<double>(Z) * 2}},
      {"not whole", {0.5, 0, 0}},
  };
  for (const auto& b : beyond) {
    SCOPED_TRACE(b.what);
    // The doubles themselves go in: a SiteSet holds whole numbers only.
    static std::vector<double> coords;
    coords = {0, 0, 0, b.site[0], b.site[1], b.site[2]};
    EXPECT_EXIT(
        {
          exact_sites = 1;
          int next = 0;
          static int* next_ptr;
          next_ptr = &next;
          hull_build([]() -> site { return *next_ptr < 2 ? coords.data() + 3 * (*next_ptr)++ : nullptr; },
                     [](site p) { return static_cast<int>((p - coords.data()) / 3); }, 3, 0);
          std::exit(0);
        },
        testing::ExitedWithCode(1), "site outside the exact range");
  }
  exact_sites = 0;
}

}  // namespace
