// Weighted points: with point_weights set, recompute() must give the regular
// triangulation of the rounded points and their rounded weights and the power
// diagram, checked against the exact brute-force regular oracle; with no
// weights (or all weights equal) exactly the plain Delaunay records.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "app/app.h"
#include "tests/pipeline/pipeline_test_util.h"

namespace {

using pipeline_test::pt;
using points = std::vector<pt>;

struct weighted {
  points p;
  std::vector<double> w;
};

class Weights : public pipeline_test::in_temp_dir {
 protected:
  void TearDown() override {
    point_weights = nullptr;
    pipeline_test::in_temp_dir::TearDown();
  }
  // Sets the points with their weights and recomputes as an edit would.
  void run(const weighted& s) {
    ASSERT_EQ(s.p.size(), s.w.size());
    std::fill(std::begin(table_), std::end(table_), 0.0);
    std::copy(s.w.begin(), s.w.end(), table_);
    point_weights = table_;
    pipeline_test::edit_and_recompute(s.p);
  }
  double table_[MAX_POINTS] = {};
};

weighted random_weights(std::mt19937_64& rng, int n, double max_weight) {
  std::uniform_real_distribution<double> u(-3.0, 3.0), w(0.0, max_weight);
  weighted s;
  for (int i = 0; i < n; ++i) {
    s.p.push_back({u(rng), u(rng)});
    s.w.push_back(w(rng));
  }
  return s;
}

// Whole units and small whole weights: many lifts share planes.
weighted small_lattice(std::mt19937_64& rng, int n) {
  std::uniform_int_distribution<int> u(-3, 3), w(0, 4);
  weighted s;
  for (int i = 0; i < n; ++i) {
    s.p.push_back({static_cast<double>(u(rng)), static_cast<double>(u(rng))});
    s.w.push_back(w(rng) * 0.5);
  }
  return s;
}

// Points as the 2D view makes them, weights in the lab's steps.
weighted pixel_steps(std::mt19937_64& rng, int n) {
  std::uniform_int_distribution<int> px(0, 539), steps(0, 40);
  weighted s;
  for (int i = 0; i < n; ++i) {
    s.p.push_back({px(rng) * 6.0 / 540.0 - 3.0, px(rng) * 6.0 / 540.0 - 3.0});
    s.w.push_back(steps(rng) * 0.1);
  }
  return s;
}

// A few heavy points among light ones: each hides a neighbourhood.
weighted heavy_few(std::mt19937_64& rng, int n) {
  weighted s = random_weights(rng, n, 0.05);
  std::uniform_int_distribution<int> pick(0, n - 1);
  for (int k = 0; k < 3; ++k) s.w[pick(rng)] = 2.0 + k;
  return s;
}

// Copies of points with other weights: the heavier copy stands.
weighted weighted_copies(std::mt19937_64& rng, int n) {
  weighted s = random_weights(rng, n, 1.0);
  std::uniform_int_distribution<int> pick(0, n - 1);
  std::uniform_real_distribution<double> w(0.0, 1.0);
  for (int k = 0; k < n / 2; ++k) {
    s.p.push_back(s.p[pick(rng)]);
    s.w.push_back(k % 3 == 0 ? s.w[pick(rng)] : w(rng));
  }
  return s;
}

// Weights on no step, rounded by the program to 10^-4.
weighted odd_weights(std::mt19937_64& rng, int n) {
  weighted s = random_weights(rng, n, 3.0);
  std::uniform_real_distribution<double> tiny(0.0, 0.0001);
  for (double& w : s.w) w += tiny(rng);
  return s;
}

struct Family {
  const char* name;
  std::function<weighted(std::mt19937_64&)> make;
  int seeds;
  bool degenerate;
};

const Family kFamilies[] = {
    {"random6", [](std::mt19937_64& r) { return random_weights(r, 6, 1.0); }, 60, false},
    {"random25", [](std::mt19937_64& r) { return random_weights(r, 25, 2.0); }, 20, false},
    {"random40_heavy", [](std::mt19937_64& r) { return random_weights(r, 40, 9.0); }, 6, false},
    {"pixel_steps", [](std::mt19937_64& r) { return pixel_steps(r, 35); }, 8, false},
    {"heavy_few", [](std::mt19937_64& r) { return heavy_few(r, 30); }, 10, false},
    {"weighted_copies", [](std::mt19937_64& r) { return weighted_copies(r, 20); }, 10, false},
    {"odd_weights", [](std::mt19937_64& r) { return odd_weights(r, 20); }, 10, false},
    {"small_lattice", [](std::mt19937_64& r) { return small_lattice(r, 25); }, 30, true},
};

void PrintTo(const Family& f, std::ostream* os) { *os << f.name; }

class WeightsOracle : public Weights, public ::testing::WithParamInterface<Family> {};

TEST_P(WeightsOracle, RecordsAreTheRegularTriangulationAndThePowerDiagram) {
  const Family& f = GetParam();
  for (int seed = 0; seed < f.seeds; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937_64 rng(2000 + seed);
    run(f.make(rng));
    ASSERT_EQ("", pipeline_test::mismatch_with_regular_oracle(table_, f.degenerate));
    for (const dtri* t : pipeline_test::triangles()) {
      if (!is_delaunay_triangle(t)) continue;
      ASSERT_TRUE(std::isfinite(t->cc[0]) && std::isfinite(t->cc[1]));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Families, WeightsOracle, ::testing::ValuesIn(kFamilies),
                         [](const ::testing::TestParamInfo<Family>& i) { return std::string(i.param.name); });

std::vector<std::array<int, 3>> sorted_triangles() {
  std::vector<std::array<int, 3>> out = pipeline_test::delaunay_index_triangles();
  for (auto& t : out) std::sort(t.begin(), t.end());
  std::sort(out.begin(), out.end());
  return out;
}

TEST_F(Weights, EqualWeightsGiveThePlainDelaunayTriangulation) {
  for (int seed = 0; seed < 8; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937_64 rng(3000 + seed);
    weighted s = random_weights(rng, 30, 1.0);
    // Copies and a square of four cocircular points, where the plain
    // triangulation has a choice to make.
    s.p.push_back(s.p[3]);
    for (pt q : {pt{-1.5, -1.5}, pt{1.5, -1.5}, pt{1.5, 1.5}, pt{-1.5, 1.5}}) s.p.push_back(q);
    const double common = 0.1 * seed + 0.37;
    s.w.assign(s.p.size(), common);
    run(s);
    ASSERT_EQ("", pipeline_test::mismatch_with_oracle());
    const auto weighted_triangles = sorted_triangles();
    double weighted_cc[2 * MAX_POINTS][2];
    int k = 0;
    for (const dtri* t : pipeline_test::triangles()) {
      weighted_cc[k][0] = t->cc[0];
      weighted_cc[k++][1] = t->cc[1];
    }
    point_weights = nullptr;
    pipeline_test::edit_and_recompute(s.p);
    EXPECT_EQ(sorted_triangles(), weighted_triangles);
    // The same facets in the same order, and power centres that are the
    // circumcentres to the bit.
    k = 0;
    for (const dtri* t : pipeline_test::triangles()) {
      EXPECT_EQ(t->cc[0], weighted_cc[k][0]);
      EXPECT_EQ(t->cc[1], weighted_cc[k++][1]);
    }
  }
}

TEST_F(Weights, AllZeroWeightsLeaveEveryRecordAsWithout) {
  std::mt19937_64 rng(11);
  const weighted s = random_weights(rng, 60, 0.0);
  pipeline_test::edit_and_recompute(s.p);
  std::vector<double> plain;
  for (const dtri* t : pipeline_test::triangles()) {
    plain.insert(plain.end(), {t->cc[0], t->cc[1], t->face_normal[0], t->face_normal[1], t->face_normal[2]});
  }
  std::vector<double> heights;
  for (int i = 0; i < point_count; ++i) heights.push_back(point_table[i].z);
  run(s);
  std::vector<double> with;
  for (const dtri* t : pipeline_test::triangles()) {
    with.insert(with.end(), {t->cc[0], t->cc[1], t->face_normal[0], t->face_normal[1], t->face_normal[2]});
  }
  EXPECT_EQ(plain, with);
  for (int i = 0; i < point_count; ++i) EXPECT_EQ(heights[i], point_table[i].z);
}

TEST_F(Weights, OneHeavyPointHidesItsNeighbours) {
  // A 5 x 5 grid, spacing 1; the centre (index 12) weighs 5 and lifts to
  // -5.  Its 8 neighbours lift above the lower hull and lose their cells:
  // (1, 0) at 1 lies above the middle of (0, 0)-(2, 0), (-5 + 4) / 2; (1, 1)
  // at 2 above the centroid of (0, 0), (2, 1), (1, 2), (-5 + 5 + 5) / 3.
  // The 16 points of the outer ring lie on the boundary and keep theirs.
  weighted s;
  for (int i = 0; i < 5; ++i) {
    for (int j = 0; j < 5; ++j) s.p.push_back({j - 2.0, i - 2.0});
  }
  s.w.assign(25, 0.0);
  s.w[12] = 5.0;
  run(s);
  ASSERT_EQ("", pipeline_test::mismatch_with_regular_oracle(table_));
  unsigned char hidden[MAX_POINTS];
  EXPECT_EQ(8, find_hidden_points(hidden));
  for (int i = 0; i < 25; ++i) {
    const bool ring = std::abs(i / 5 - 2) <= 1 && std::abs(i % 5 - 2) <= 1 && i != 12;
    EXPECT_EQ(ring, hidden[i] != 0) << i;
  }
  // The centre's lift sank by 5 below the bowl in the tables as well.
  EXPECT_DOUBLE_EQ(lifted_height(0.0, 0.0) - 5.0, point_table[12].z);
  // Weight 0.9 hides nothing: (-0.9 + 4) / 2 stays above 1, and a diagonal
  // neighbour needs a weight above 4.
  s.w[12] = 0.9;
  run(s);
  ASSERT_EQ("", pipeline_test::mismatch_with_regular_oracle(table_, true));
  EXPECT_EQ(0, find_hidden_points(hidden));
}

TEST_F(Weights, LiftsInOnePlaneLeaveTheChoiceToTheEngineButNoPowerEdge) {
  // (2, 0) weighing 3 and (-1, 0), (0, 1), (0, -1) weighing 0 all lift to
  // height 1 (+ the slider's weight): four points of one "power circle" of
  // different radii.  (1, 1) weighing 1 lifts there too; the origin
  // weighing 1 lifts below, inside their quadrilateral.
  const weighted cases[] = {
      {{{2, 0}, {-1, 0}, {0, 1}, {0, -1}, {2.5, 2.5}, {-2.5, 2.5}, {-2.5, -2.5}, {2.5, -2.5}},
       {3, 0, 0, 0, 0, 0, 0, 0}},
      {{{2, 0}, {-1, 0}, {0, 1}, {0, -1}, {1, 1}, {2.5, 2.5}, {-2.5, 2.5}, {-2.5, -2.5}, {2.5, -2.5}},
       {3, 0, 0, 0, 1, 0, 0, 0, 0}},
      {{{2, 0}, {-1, 0}, {0, 1}, {0, -1}, {0, 0}, {2.5, 2.5}, {-2.5, 2.5}, {-2.5, -2.5}, {2.5, -2.5}},
       {3, 0, 0, 0, 1, 0, 0, 0, 0}},
      // A square whose corners weigh 2 and its centre 0: the centre's lift
      // lies on the corners' plane, inside their face.
      {{{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {0, 0}, {0, 2.7}, {2.7, 0.2}, {-2.6, 0.1}, {0.3, -2.8}},
       {2, 2, 2, 2, 0, 0, 0, 0, 0}},
  };
  for (const weighted& s : cases) {
    run(s);
    ASSERT_EQ("", pipeline_test::mismatch_with_regular_oracle(table_, true));
  }
}

TEST_F(Weights, FourCoplanarLiftsAloneAreFlat) {
  // Every lift at one height: the hull has no third dimension and the
  // records stay empty, as for four cocircular points without weights.
  run({{{2, 0}, {-1, 0}, {0, 1}, {0, -1}, {1, 1}}, {3, 0, 0, 0, 1}});
  EXPECT_TRUE(pipeline_test::triangles().empty());
  EXPECT_TRUE(pipeline_test::edges().empty());
  EXPECT_EQ("", pipeline_test::mismatch_with_regular_oracle(table_));
}

TEST_F(Weights, LargestCoordinatesAndWeightsStayExact) {
  // The far corners of the reader's range with weights up to the limit.
  std::mt19937_64 rng(77);
  std::uniform_real_distribution<double> u(-COORD_LIMIT, COORD_LIMIT), w(-WEIGHT_LIMIT, WEIGHT_LIMIT);
  for (int seed = 0; seed < 6; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    weighted s;
    for (pt q : {pt{-COORD_LIMIT, -COORD_LIMIT}, pt{COORD_LIMIT, -COORD_LIMIT}, pt{COORD_LIMIT, COORD_LIMIT},
                 pt{-COORD_LIMIT, COORD_LIMIT}}) {
      s.p.push_back(q);
      s.w.push_back(-WEIGHT_LIMIT);
    }
    for (int i = 0; i < 30; ++i) {
      s.p.push_back({u(rng), u(rng)});
      s.w.push_back(i % 5 == 0 ? WEIGHT_LIMIT : w(rng));
    }
    run(s);
    ASSERT_EQ("", pipeline_test::mismatch_with_regular_oracle(table_, false, false));
    // Each power centre has equal power to its three rounded corners, to
    // the precision of its doubles.
    for (const dtri* t : pipeline_test::triangles()) {
      if (!is_delaunay_triangle(t)) continue;
      double pw[3];
      for (int k = 0; k < 3; ++k) {
        const int i = pipeline_test::index_of(t->v[k]);
        const double dx = t->cc[0] - pipeline_test::libc_hundredths(t->v[k]->x) / 100.0;
        const double dy = t->cc[1] - pipeline_test::libc_hundredths(t->v[k]->y) / 100.0;
        pw[k] = dx * dx + dy * dy - static_cast<double>(weight_units(i)) * 1e-4;
      }
      const double scale = std::fabs(pw[0]) + 1e9;
      EXPECT_NEAR(pw[0], pw[1], 1e-9 * scale);
      EXPECT_NEAR(pw[0], pw[2], 1e-9 * scale);
    }
  }
}

TEST_F(Weights, WeightUnitsRoundAndHoldTheirRange) {
  const struct {
    double w;
    long long units;
  } rows[] = {
      {0.0, 0}, {0.1, 1000}, {2.5, 25000}, {0.00004, 0}, {0.00006, 1}, {-0.3, -3000},
      {1.23456, 12346}, {1e9, 1000000000000LL}, {-1e9, -1000000000000LL}, {NAN, 0},
  };
  table_[7] = 0.0;
  point_weights = table_;
  for (const auto& r : rows) {
    table_[7] = r.w;
    EXPECT_EQ(r.units, weight_units(7)) << r.w;
  }
  table_[7] = 2.5;
  EXPECT_DOUBLE_EQ(lifted_height(1.0, 2.0) - 2.5, lifted_height_of(7, 1.0, 2.0));
  EXPECT_EQ(0, weight_units(-1));
  EXPECT_EQ(0, weight_units(MAX_POINTS));
  point_weights = nullptr;
  EXPECT_EQ(0, weight_units(7));
  EXPECT_EQ(lifted_height(1.0, 2.0), lifted_height_of(7, 1.0, 2.0));
}

TEST_F(Weights, TheReaderLowersEachSiteByItsWeight) {
  table_[0] = 0.25;
  table_[1] = 0.0;
  table_[2] = 1.5;
  point_weights = table_;
  pipeline_test::set_points({{1.0, 2.0}, {-0.5, 0.25}, {3.0, -3.0}});
  write_point_file();
  point_file = std::fopen(".ZELMOR", "r");
  ASSERT_NE(nullptr, point_file);
  site_dim = 3;
  num_blocks = 0;
  read_site(-1);
  const double want[3][3] = {{100, 200, 50000 - 2500}, {-50, 25, 3125}, {300, -300, 180000 - 15000}};
  for (int j = 0; j < 3; ++j) {
    const double* s = read_site(j);
    ASSERT_NE(nullptr, s);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(want[j][k], s[k]) << j << " " << k;
  }
  EXPECT_EQ(nullptr, read_site(3));
  std::fclose(point_file);
  point_file = nullptr;
  release_site_blocks();
}

}  // namespace
