// The printers' fixed text forms, written to a temporary file and read back.
#include <regex>

#include "tests/hull/engine_fixture.h"

namespace {

TEST(DumpCoords, Forms) {
  const double x[3] = {1.5, -2, 1e20};
  EXPECT_EQ(captured([&](FILE* f) { dump_coords(f, 3, x); }), "1.5  -2  1e+20  ");
  EXPECT_EQ(captured([&](FILE* f) { dump_coords(f, 0, x); }), "");
  EXPECT_EQ(captured([&](FILE* f) { dump_coords(f, 3, nullptr); }), "NULL");
  EXPECT_EQ(captured([&](FILE* f) { dump_coords_exact(f, 1, x + 0); }), "1.5  ");
  const double third = 1.0 / 3;
  EXPECT_EQ(captured([&](FILE* f) { dump_coords_exact(f, 1, &third); }), "0.33333333333333331483  ");
  EXPECT_EQ(captured([&](FILE* f) { dump_coords_exact(f, 2, nullptr); }), "NULL");
}

TEST_F(Engine, DumpBasisForms) {
  EXPECT_EQ(captured([](FILE* f) { dump_basis(f, nullptr); }), "NULL basis ");
  EXPECT_EQ(captured([](FILE* f) { dump_basis(f, &zero_basis); }), "\nbasis computed");
  basis_s* b = basis_take();
  b->scale_exp = 4;
  double v[6] = {1, 2, 3, 0.5, 8, 16};
  for (int i = 0; i < 6; i++) b->vecs[i] = v[i];
  char expected[200];
  snprintf(expected, sizeof expected, "\n%p  4 \n b=1  2  3  \n a= 0.5  8  16     ", static_cast<void*>(b));
  EXPECT_EQ(captured([&](FILE* f) { dump_basis(f, b); }), expected);
}

TEST_F(Engine, DumpNeighborAndVertexForms) {
  SiteSet one{3, {1, 2, 3}};
  simplex* root = build_hull(one);
  EXPECT_EQ(captured([](FILE* f) { dump_neighbor(f, nullptr); }), "null neighbor\n");
  char expected[200];
  snprintf(expected, sizeof expected, "simplex %p  0 :  1  2  3  NULL basis \n", static_cast<void*>(root->peak.simp));
  EXPECT_EQ(captured([&](FILE* f) { dump_neighbor(f, &root->peak); }), expected);
  neighbor empty{};
  EXPECT_EQ(captured([&](FILE* f) { dump_neighbor(f, &empty); }), "simplex NULL NULL vert :  NULL basis \n");
  EXPECT_EQ(captured([&](FILE* f) { dump_site(feed_site(0), f); }), "1  2  3  \n");
}

// dump_simplex remembers the printer of a set-up call; a later call with a
// null printer uses it.
TEST_F(Engine, DumpSimplexRemembersItsPrinter) {
  static int printed;
  printed = 0;
  build_hull(SiteSet{3, {1, 2, 3, 4, 5, 6}});
  simplex* s = simplex_take();
  EXPECT_EQ(captured([](FILE* f) {
              dump_simplex(nullptr, f, [](FILE* g, neighbor*) {
                printed++;
                fprintf(g, "<n>");
              });
            }),
            "");
  char expected[200];
  snprintf(expected, sizeof expected, "simplex %p  \nnormal =NULL basis \npeak =<n>facet =\n<n>\n", static_cast<void*>(s));
  EXPECT_EQ(captured([&](FILE* f) { EXPECT_EQ(dump_simplex(s, f, nullptr), 0); }), expected);
  EXPECT_EQ(printed, 2);  // peak and the one facet vertex (cdim 1)
  dump_simplex(nullptr, nullptr, dump_neighbor);
}

// Every simplex reachable from the root, once each, in walk order.
TEST_F(Engine, DumpTriangulationPrintsEverySimplexOnce) {
  simplex* root = build_hull(SiteSet{3, {0, 0, 0, 10, 0, 0, 0, 10, 0, 0, 0, 10}});
  std::vector<simplex*> order = all_simplices(root);
  std::string out = captured([&](FILE* f) { dump_triangulation(root, f, dump_neighbor); });
  std::regex id("simplex (0x[0-9a-f]+)  \nnormal =");
  std::vector<std::string> printed;
  for (auto it = std::sregex_iterator(out.begin(), out.end(), id); it != std::sregex_iterator(); ++it)
    printed.push_back((*it)[1]);
  ASSERT_EQ(printed.size(), order.size());
  for (size_t i = 0; i < order.size(); i++) {
    char p[40];
    snprintf(p, sizeof p, "%p", static_cast<void*>(order[i]));
    EXPECT_EQ(printed[i], p);
  }
  // dump_simplex_to as a visitor: always null, so a walk goes to the end.
  EXPECT_EQ(dump_simplex_to(nullptr, nullptr), nullptr);
}

}  // namespace
