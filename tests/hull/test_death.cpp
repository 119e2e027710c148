// Exits of the engine: fatal reports with their status, assertion texts, and
// allocation failures (malloc and realloc are wrapped at link time so that a
// test can make them fail).
#include <cstdlib>
#include <string>

#include "tests/hull/engine_fixture.h"

namespace {
int fail_allocations;  // while set, the wrapped malloc, calloc and realloc return null
int fail_growth;       // while set, the wrapped realloc returns null
}  // namespace

extern "C" {
void* __real_malloc(size_t);
void* __real_calloc(size_t, size_t);
void* __real_realloc(void*, size_t);
void* __wrap_malloc(size_t n) { return fail_allocations ? nullptr : __real_malloc(n); }
void* __wrap_calloc(size_t n, size_t m) { return fail_allocations ? nullptr : __real_calloc(n, m); }
void* __wrap_realloc(void* p, size_t n) { return fail_allocations || fail_growth ? nullptr : __real_realloc(p, n); }
}

namespace {

// An extended regular expression matching s literally.
std::string literal(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) out += '\\';
    out += c;
  }
  return out;
}

std::string assertion(const char* text) { return "Assertion `" + literal(text) + "' failed"; }

class HullDeathTest : public testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process: stacks not yet allocated
    diag_stream = stderr;
    engine_reset(3);
  }
};

site fetch_and_say() {
  fprintf(stderr, "fetched\n");
  return nullptr;
}

TEST_F(HullDeathTest, DimensionBoundEndsBeforeAnySiteIsFetched) {
  EXPECT_EXIT(hull_build(fetch_and_say, feed_site_num, 8, 1), testing::ExitedWithCode(1),
              "^dimension bound MAXDIM exceeded; rdim=9; pdim=8\n$");
  EXPECT_EXIT(hull_build(fetch_and_say, feed_site_num, 9, 0), testing::ExitedWithCode(1),
              "^dimension bound MAXDIM exceeded; rdim=9; pdim=9\n$");
}

TEST_F(HullDeathTest, FatalErrorUsesStandardErrorWhenNoStreamIsSet) {
  diag_stream = nullptr;
  EXPECT_EXIT(fatal_error("x=%d\n", 7), testing::ExitedWithCode(1), "^x=7\n$");
}

TEST_F(HullDeathTest, AssertionTexts) {
  EXPECT_DEATH(hull_build(nullptr, feed_site_num, 3, 0), assertion("get_site!=NULL"));
  EXPECT_DEATH(hull_build(feed_get_site, nullptr, 3, 0), assertion("site_num!=NULL"));
  EXPECT_DEATH(
      {
        site_num = nullptr;
        neighbor n{};
        dump_vertex(stderr, &n);
      },
      assertion("site_num!=NULL"));
  EXPECT_DEATH(
      {
        num_simplex_blocks = max_blocks;
        simplex_take();
      },
      assertion("num_simplex_blocks<max_blocks"));
  EXPECT_DEATH(
      {
        num_basis_s_blocks = max_blocks;
        basis_take();
      },
      assertion("num_basis_s_blocks<max_blocks"));
  EXPECT_DEATH(
      {
        simplex* root = build_hull(SiteSet{3, {0, 0, 0, 10, 0, 0, 0, 10, 0, 0, 0, 10}});
        horizon_link(root);  // interior: not a new facet
      },
      assertion("!s->peak.vert && s->peak.simp->peak.vert==p && !op_vert(s,p)->simp->peak.vert"));
}

TEST_F(HullDeathTest, RefusedBlockIsReportedThenAsserted) {
  EXPECT_DEATH(
      {
        fail_allocations = 1;
        simplex_take();
      },
      "^num_simplex_blocks=1\n.*" + assertion("xbt"));
  EXPECT_DEATH(
      {
        basis_take();
        hull_free();
        fail_allocations = 1;
        basis_take();
      },
      "^num_basis_s_blocks=1\n.*" + assertion("xbt"));
}

// Mends: stacks and scratch records that cannot be allocated end the process
// with one line and status 1.
TEST_F(HullDeathTest, UnallocatableStacksAndScratchEndWithStatusOne) {
  double p[3] = {1, 2, 3};
  EXPECT_EXIT(
      {
        fail_allocations = 1;
        sees(p, nullptr);
      },
      testing::ExitedWithCode(1), "^out of memory: no room for a scratch basis record\n$");
  EXPECT_EXIT(
      {
        simplex* root = build_hull(SiteSet{3, {1, 2, 3}});  // no flat_test yet
        fail_allocations = 1;
        flat_test(root, p);
      },
      testing::ExitedWithCode(1), "^out of memory: no room for a scratch basis record\n$");
  EXPECT_EXIT(
      {
        fail_allocations = 1;
        walk_all(nullptr, nullptr);
      },
      testing::ExitedWithCode(1), "^out of memory: no room for the walk stack of 2000 entries\n$");
  EXPECT_EXIT(
      {
        std::vector<simplex*> chain;
        cdim = 1;
        for (int i = 0; i < 4002; i++) chain.push_back(simplex_take());
        for (int i = 0; i + 2 < 4002; i += 2) {
          chain[i]->peak.simp = chain[i + 1];
          chain[i]->neighbors[0].simp = chain[i + 2];
        }
        fail_growth = 1;
        walk_all(chain[0], [](simplex*, void*) -> void* { return nullptr; });
      },
      testing::ExitedWithCode(1), "^out of memory: the walk stack cannot grow to 4000 entries\n$");
  EXPECT_EXIT(
      {
        fail_growth = 1;
        build_hull(random_box(200, 3, -1000, 1000, 3));
      },
      testing::ExitedWithCode(1), "^out of memory: the search stack cannot grow to 16 entries\n$");
  EXPECT_EXIT(
      {
        simplex* root = build_hull(SiteSet{3, {0, 0, 0, 10, 0, 0, 0, 10, 0, 0, 0, 10}});  // no search yet
        fail_allocations = 1;
        cur_site = p;
        site_stamp = 9;
        visible_find(root);
      },
      testing::ExitedWithCode(1), "^out of memory: no room for the search stack of 8 entries\n$");
}

// The adjacency failure report: a link corrupted before an insertion that
// has to follow it.
TEST_F(HullDeathTest, AdjacencyFailureReportsInOrderAndExitsOne) {
  const std::string head = "^adjacency failure,op_simp:\nhull/hull\\.cpp line [0-9]+ \n";
  const std::string simplex_dump = "simplex 0x[0-9a-f]+  \nnormal =.*peak =.*facet =\n.*";
  const std::string tail = "---------------------\n(.*simplex 0x[0-9a-f]+  \nnormal =){5}";
  auto corrupt_then_insert = [] {
    simplex* root = build_hull(SiteSet{3, {0, 0, 0, 10, 0, 0, 0, 10, 0, 0, 0, 10}});
    static double p[3] = {-1, 2, 2};  // beyond the facet x = 0 only
    simplex* f = nullptr;
    for (simplex* t : facet_simplices(root)) {
      bool x0 = true;
      for (int i = 0; i < 3; i++) x0 = x0 && t->neighbors[i].vert[0] == 0;
      if (x0) f = t;
    }
    simplex* n = f->neighbors[0].simp;
    op_simp(n, f)->simp = n;  // the corruption: n no longer links back to f
    cur_site = p;
    site_stamp = 9;
    horizon_link(horizon_cone(visible_find(root)));
  };
  EXPECT_EXIT(corrupt_then_insert(), testing::ExitedWithCode(1), head + simplex_dump + simplex_dump + tail);
  EXPECT_EXIT(
      {
        simplex* root = build_hull(SiteSet{3, {0, 0, 0, 10, 0, 0, 0, 10, 0, 0, 0, 10}});
        op_vert(root, root->peak.vert);  // peak is not searched
      },
      testing::ExitedWithCode(1),
      "^adjacency failure,op_vert:\nhull/hull\\.cpp line [0-9]+ \n" + simplex_dump + "0  0  0  \n" + tail);
}

}  // namespace
