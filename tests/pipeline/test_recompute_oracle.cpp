// recompute() on random and degenerate point sets, checked against the exact
// oracle: the Delaunay triangulation of the rounded points, its edges and
// its Voronoi edges as drawn.  Also: memory stays flat over many
// recomputations, and a file that is not the program's own never makes the
// records point past the tables.
#include <gtest/gtest.h>
#include <malloc.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "app/app.h"
#include "tests/pipeline/pipeline_test_util.h"

namespace {

using pipeline_test::pt;
using points = std::vector<pt>;

points random_view(std::mt19937_64& rng, int n) {
  std::uniform_real_distribution<double> u(-3.0, 3.0);
  points p;
  for (int i = 0; i < n; ++i) p.push_back({u(rng), u(rng)});
  return p;
}

// Positions as the 2D view makes them from pixels of its 540-pixel square.
points pixel_clicks(std::mt19937_64& rng, int n) {
  std::uniform_int_distribution<int> px(0, 539);
  points p;
  for (int i = 0; i < n; ++i) p.push_back({px(rng) * 6.0 / 540.0 - 3.0, px(rng) * 6.0 / 540.0 - 3.0});
  return p;
}

points hundredths(std::mt19937_64& rng, int n, int range) {
  std::uniform_int_distribution<int> u(-range, range);
  points p;
  for (int i = 0; i < n; ++i) p.push_back({u(rng) / 100.0, u(rng) / 100.0});
  return p;
}

points lattice(std::mt19937_64& rng, int side, double step, double keep) {
  std::uniform_real_distribution<double> u(0.0, 1.0);
  points p;
  const double start = -step * (side - 1) / 2.0;
  for (int i = 0; i < side; ++i) {
    for (int j = 0; j < side; ++j) {
      if (u(rng) < keep) p.push_back({start + i * step, start + j * step});
    }
  }
  std::shuffle(p.begin(), p.end(), rng);
  return p;
}

// Circles through whole-hundredth points (Pythagorean radii), plus others.
points cocircular_subsets(std::mt19937_64& rng) {
  const int pyth[][2] = {{0, 25}, {7, 24}, {15, 20}, {20, 15}, {24, 7}, {25, 0}};
  std::uniform_int_distribution<int> centre(-150, 150), scale(1, 4);
  points p;
  for (int c = 0; c < 3; ++c) {
    const int cx = centre(rng), cy = centre(rng), k = scale(rng);
    for (const auto& v : pyth) {
      for (int sx : {-1, 1}) {
        for (int sy : {-1, 1}) p.push_back({(cx + sx * k * v[0]) / 100.0, (cy + sy * k * v[1]) / 100.0});
      }
    }
  }
  points extra = random_view(rng, 20);
  p.insert(p.end(), extra.begin(), extra.end());
  std::shuffle(p.begin(), p.end(), rng);
  if (p.size() > MAX_POINTS) p.resize(MAX_POINTS);
  return p;
}

points nearly_cocircular(std::mt19937_64& rng) {
  std::uniform_real_distribution<double> angle(0.0, 2 * M_PI), jitter(-0.01, 0.01);
  points p;
  for (int i = 0; i < 60; ++i) {
    const double a = angle(rng);
    p.push_back({2.0 * std::cos(a) + jitter(rng), 2.0 * std::sin(a) + jitter(rng)});
  }
  return p;
}

// Rows of points on single pixel rows, some along the outer boundary.
points collinear_rows(std::mt19937_64& rng) {
  std::uniform_real_distribution<double> u(-3.0, 3.0);
  std::uniform_int_distribution<int> row(0, 539);
  points p;
  const double bottom = -2.5;
  for (int i = 0; i < 15; ++i) p.push_back({u(rng), bottom});
  for (int r = 0; r < 3; ++r) {
    const double y = row(rng) * 6.0 / 540.0 - 3.0;
    if (y <= bottom) continue;
    for (int i = 0; i < 10; ++i) p.push_back({u(rng), y});
  }
  for (int i = 0; i < 10; ++i) p.push_back({-2.9, -2.4 + i * 0.5});  // a column on the left boundary
  std::shuffle(p.begin(), p.end(), rng);
  return p;
}

points clusters(std::mt19937_64& rng) {
  std::uniform_real_distribution<double> u(-2.9, 2.9), tiny(-0.005, 0.005);
  points p;
  for (int c = 0; c < 15; ++c) {
    const double cx = u(rng), cy = u(rng);
    for (int i = 0; i < 8; ++i) p.push_back({cx + tiny(rng), cy + tiny(rng)});
  }
  std::shuffle(p.begin(), p.end(), rng);
  return p;
}

points duplicates(std::mt19937_64& rng) {
  points base = random_view(rng, 40);
  std::uniform_int_distribution<int> pick(0, 39);
  points p = base;
  for (int i = 0; i < 60; ++i) p.push_back(base[pick(rng)]);
  std::shuffle(p.begin(), p.end(), rng);
  return p;
}

points border(std::mt19937_64& rng) {
  std::uniform_real_distribution<double> u(-3.0, 3.0);
  points p = {{-3, -3}, {3, -3}, {3, 3}, {-3, 3}, {3.00555, 0.5}, {-3.00555, -3.00555}, {0, 3.00555}, {2.995, -3.00555}};
  for (int i = 0; i < 10; ++i) {
    p.push_back({u(rng), 3.0});
    p.push_back({-3.0, u(rng)});
    p.push_back({u(rng), -3.00555});
  }
  points inside = random_view(rng, 30);
  p.insert(p.end(), inside.begin(), inside.end());
  std::shuffle(p.begin(), p.end(), rng);
  return p;
}

points slanted_line(std::mt19937_64& rng) {
  std::uniform_real_distribution<double> u(-2.8, 2.8), off(-0.05, 0.05);
  points p;
  for (int i = 0; i < 30; ++i) {
    const double x = u(rng);
    p.push_back({x, 0.5 * x + 0.3});
  }
  for (int i = 0; i < 3; ++i) {
    const double x = u(rng);
    p.push_back({x, 0.5 * x + 0.3 + off(rng)});
  }
  return p;
}

struct Family {
  const char* name;
  std::function<points(std::mt19937_64&)> make;
  int seeds;
};

const Family kFamilies[] = {
    {"random5", [](std::mt19937_64& r) { return random_view(r, 5); }, 40},
    {"random20", [](std::mt19937_64& r) { return random_view(r, 20); }, 20},
    {"random200", [](std::mt19937_64& r) { return random_view(r, 200); }, 6},
    {"pixel_clicks200", [](std::mt19937_64& r) { return pixel_clicks(r, 200); }, 6},
    {"hundredths200", [](std::mt19937_64& r) { return hundredths(r, 200, 300); }, 4},
    {"small_hundredths", [](std::mt19937_64& r) { return hundredths(r, 40, 4); }, 10},
    {"lattice", [](std::mt19937_64& r) { return lattice(r, 14, 0.4, 1.0); }, 1},
    {"lattice_subsets", [](std::mt19937_64& r) { return lattice(r, 12, 0.5, 0.6); }, 6},
    {"fine_lattice", [](std::mt19937_64& r) { return lattice(r, 10, 0.01, 0.8); }, 4},
    {"cocircular_subsets", cocircular_subsets, 6},
    {"nearly_cocircular", nearly_cocircular, 6},
    {"collinear_rows", collinear_rows, 6},
    {"clusters", clusters, 6},
    {"duplicates", duplicates, 6},
    {"border", border, 6},
    {"slanted_line", slanted_line, 6},
};

void PrintTo(const Family& f, std::ostream* os) { *os << f.name; }

class RecomputeOracle : public pipeline_test::in_temp_dir, public ::testing::WithParamInterface<Family> {};

TEST_P(RecomputeOracle, RecordsAreTheDelaunayTriangulationOfTheRoundedPoints) {
  const Family& f = GetParam();
  for (int seed = 0; seed < f.seeds; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937_64 rng(1000 + seed);
    const points p = f.make(rng);
    ASSERT_LE(p.size(), static_cast<std::size_t>(MAX_POINTS));
    pipeline_test::edit_and_recompute(p);
    ASSERT_EQ("", pipeline_test::mismatch_with_oracle());
    for (const dtri* t : pipeline_test::triangles()) {
      int named = 0;
      for (const dedge* e : pipeline_test::edges()) named += (e->t0 == t) + (e->t1 == t);
      ASSERT_EQ(named, t->edge_count);
      for (float c : t->face_normal) ASSERT_TRUE(std::isfinite(c));
      ASSERT_TRUE(std::isfinite(t->cc[0]) && std::isfinite(t->cc[1]));
    }
  }
}

// The same sets moved to the corners of the batch tool's range, where the
// lifts are some 2 * 10^8 high and the sets a few units wide: the hull's
// decisions are far below any floating-point tolerance there.
TEST_P(RecomputeOracle, TheSameSetsAtTheCornersOfTheToolsRangeAreExact) {
  const Family& f = GetParam();
  const double corners[][2] = {{9996, 9996}, {-9996, 9996}, {-9996, -9996}, {9996, -9996}};
  for (int seed = 0; seed < f.seeds; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937_64 rng(2000 + seed);
    points p = f.make(rng);
    const auto& c = corners[seed % 4];
    for (auto& q : p) q = {q[0] + c[0], q[1] + c[1]};
    pipeline_test::edit_and_recompute(p);
    std::vector<std::array<int, 3>> tris = pipeline_test::delaunay_index_triangles();
    std::vector<std::pair<int, int>> edges = pipeline_test::index_edges();
    ASSERT_EQ("", pipeline_test::oracle_of_table().check(tris, edges));
  }
}

INSTANTIATE_TEST_SUITE_P(Families, RecomputeOracle, ::testing::ValuesIn(kFamilies),
                         [](const ::testing::TestParamInfo<Family>& i) { return std::string(i.param.name); });

class Recompute : public pipeline_test::in_temp_dir {};

std::size_t heap_in_use() {
  const struct mallinfo2 m = mallinfo2();
  return m.uordblks + m.hblkhd;
}

TEST_F(Recompute, ManyRecomputationsLeaveMemoryFlat) {
  std::mt19937_64 rng(5);
  const points sets[3] = {random_view(rng, 200), lattice(rng, 12, 0.5, 1.0), clusters(rng)};
  for (int warm = 0; warm < 3; ++warm) pipeline_test::edit_and_recompute(sets[warm]);
  pipeline_test::edit_and_recompute(sets[0]);
  const std::size_t before = heap_in_use();
  for (int i = 0; i < 300; ++i) pipeline_test::edit_and_recompute(sets[i % 3]);
  pipeline_test::edit_and_recompute(sets[0]);
  // The allocator's per-thread caches count as in use and sway by a few
  // dozen bytes; one record kept per recomputation would be 300 x 48 bytes.
  EXPECT_LT(heap_in_use(), before + 4096);
}

TEST_F(Recompute, AForeignFileWithMoreSitesThanPointsNeverPointsPastTheTables) {
  pipeline_test::set_points({{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {0, 0}});
  {
    std::ofstream f(".ZELMOR");
    // Sites 5 to 8 have no point: a stale or hand-written file.
    f << "-1 -1 3\n1 -1 3\n1 1 3\n-1 1 3\n0 0 1\n-2.5 0 7.25\n2.5 0.2 7.29\n0 2.6 7.76\n0.3 -2.7 8.38\n";
  }
  // Read as the batch tool reads a saved file (the program reads its own text).
  recompute_from(std::fopen(".ZELMOR", "r"));
  for (const dtri* t : pipeline_test::triangles()) {
    for (const point_rec* v : t->v) {
      const int i = pipeline_test::index_of(v);
      EXPECT_TRUE(i >= 0 && i < point_count) << i;
    }
  }
  for (const dedge* e : pipeline_test::edges()) {
    for (const point_rec* v : {e->a, e->b}) {
      const int i = pipeline_test::index_of(v);
      EXPECT_TRUE(i >= 0 && i < point_count) << i;
    }
    double seg[4];
    if (voronoi_edge(e, seg)) {
      for (double c : seg) EXPECT_TRUE(std::isfinite(c));
    }
  }
}

TEST_F(Recompute, AForeignFileWithFewerSitesThanPointsGivesTheirTriangulation) {
  pipeline_test::set_points({{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {0, 0}, {2, 2}, {-2, 2}});
  {
    std::ofstream f(".ZELMOR");
    f << "% only the first five\n-1 -1 3\n1 -1 3\n1 1 3\n-1 1 3\n0 0 1\n";
  }
  recompute_from(std::fopen(".ZELMOR", "r"));
  point_count = 5;  // the triangulation is that of the file's five points
  EXPECT_EQ("", pipeline_test::mismatch_with_oracle());
}

}  // namespace
