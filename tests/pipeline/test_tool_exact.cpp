// zelmor-delaunay over the whole range it accepts: clusters far from the
// origin, huge and tiny weights, twins, lifts on hull edges, and both sides
// of every bound, each answer checked against the brute-force exact oracles
// (which share no code with the program).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "tests/pipeline/pipeline_test_util.h"
#include "tests/pipeline/tool_run.h"
#include "tests/support/delaunay_oracle.h"
#include "tests/support/regular_oracle.h"
#include "tests/support/tool_output.h"

namespace {

using pipeline_test::libc_hundredths;
using pipeline_test::libc_weight_units;
using pipeline_test::run_tool;

// x, y and (for weighted sets) the weight.
using wpt = std::array<double, 3>;

class ToolExact : public pipeline_test::in_temp_dir {};

std::string text_of(const std::vector<wpt>& pts, bool weighted) {
  std::string s = weighted ? "% columns: x y weight\n" : "";
  char line[160];
  for (const wpt& p : pts) {
    if (weighted) {
      std::snprintf(line, sizeof line, "%.17g %.17g %.17g\n", p[0], p[1], p[2]);
    } else {
      std::snprintf(line, sizeof line, "%.17g %.17g\n", p[0], p[1]);
    }
    s += line;
  }
  return s;
}

// Runs the tool on pts (with a CPU limit, so a hang fails instead of
// stalling the suite) and checks its triangles, edges and hidden points
// against the exact oracle of the rounded points.
parsed expect_exact(const std::vector<wpt>& pts, bool weighted, const std::string& args = "") {
  const pipeline_test::run_result r = run_tool(args, text_of(pts, weighted), "ulimit -t 20; ");
  EXPECT_EQ(0, r.status) << r.err;
  const parsed got = parse(r.out);
  EXPECT_EQ(static_cast<int>(pts.size()), got.points);
  if (weighted) {
    std::vector<regular_oracle::wpoint> ip;
    for (const wpt& p : pts) ip.push_back({libc_hundredths(p[0]), libc_hundredths(p[1]), libc_weight_units(p[2])});
    const regular_oracle::oracle o(ip);
    EXPECT_EQ("", o.check(got.triangles, got.edges));
    // Hidden: a lift above the lower hull, or a later copy of an identical
    // point (the first copy counts).
    std::vector<int> want_hidden;
    if (!o.flat()) {
      for (int i = 0; i < o.size(); ++i) {
        if (o.hidden(i) || o.rep(i) != i) want_hidden.push_back(i);
      }
    }
    EXPECT_EQ(want_hidden, got.hidden);
  } else {
    std::vector<delaunay_oracle::ipoint> ip;
    for (const wpt& p : pts) ip.push_back({libc_hundredths(p[0]), libc_hundredths(p[1])});
    const delaunay_oracle::oracle o(ip);
    EXPECT_EQ("", o.check(got.triangles, got.edges));
    EXPECT_TRUE(got.hidden.empty());
  }
  return got;
}

// Kept within the accepted square: the corners' sets reach its edges.
double inside(double v) { return std::clamp(v, -10000.0, 10000.0); }

std::vector<wpt> cluster(double cx, double cy, double r, int n, unsigned seed) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> u(-r, r);
  std::vector<wpt> pts;
  for (int i = 0; i < n; ++i) pts.push_back({inside(cx + u(rng)), inside(cy + u(rng)), 0.0});
  return pts;
}

std::vector<std::array<int, 3>> sorted(std::vector<std::array<int, 3>> v) {
  std::sort(v.begin(), v.end());
  return v;
}

// The sets that were once answered wrongly (or never), with the answers an
// independent checker and two peer libraries agree on.
TEST_F(ToolExact, TheReportedSetsGetTheirExactAnswers) {
  struct row {
    const char* what;
    std::vector<wpt> pts;
    bool weighted;
    std::vector<std::array<int, 3>> triangles;  // empty: only the oracle's word
    std::vector<int> hidden;
  };
  const std::vector<row> rows = {
      {"five points near (-9000, 100): a hull corner was left out",
       {{-8999.95, 99.78, 0}, {-9000.09, 99.81, 0}, {-9000.18, 100.17, 0}, {-8999.77, 99.78, 0}, {-9000.25, 99.93, 0}},
       false,
       {{0, 1, 2}, {0, 2, 3}, {1, 2, 4}},
       {}},
      {"fifteen points near (9990, -9990): the build never ended",
       {{9989.12, -9989.93, 0}, {9991.94, -9991.70, 0}, {9991.91, -9988.88, 0}, {9991.85, -9988.58, 0},
        {9990.64, -9988.62, 0}, {9992.71, -9988.26, 0}, {9992.14, -9988.41, 0}, {9992.09, -9989.79, 0},
        {9991.52, -9989.73, 0}, {9992.84, -9987.72, 0}, {9992.72, -9990.57, 0}, {9992.82, -9991.13, 0},
        {9992.50, -9990.57, 0}, {9992.36, -9989.82, 0}, {9992.92, -9989.10, 0}},
       false,
       {},
       {}},
      {"weights of +-10^6: a point called hidden and a triangle lost",
       {{0, -0.01, 1e6}, {0, 0, 0}, {0.02, -0.01, -1e6}, {-0.02, 0.02, 0}, {0.02, -0.02, 0}},
       true,
       {{0, 1, 2}, {0, 1, 3}, {0, 2, 4}, {1, 2, 3}},
       {}},
      {"twins 29.9999 and 30 at two places: the heavier twin wins",
       {{0, 0, 29.9999}, {0, 0, 30}, {3, 0, 0}, {0, 3, 0}, {3, 3, 0}, {2, 2, 30}, {2, 2, 29.9999}},
       true,
       {},
       {}},
      {"twins 10 and 9.9999: the heavier twin wins",
       {{0, 0, 10}, {0, 0, 9.9999}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}},
       true,
       {},
       {1}},
      {"identical points of weight 100: the first counts",
       {{0, 0, 100}, {0, 0, 100}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}},
       true,
       {},
       {1}},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.what);
    const parsed got = expect_exact(r.pts, r.weighted);
    if (!r.triangles.empty()) {
      EXPECT_EQ(r.triangles, sorted(got.triangles));
    }
    for (int h : r.hidden) EXPECT_NE(got.hidden.end(), std::find(got.hidden.begin(), got.hidden.end(), h)) << h;
  }
  // The twins: the lighter of each pair is the one with no cell.
  const parsed twins = parse(run_tool("", text_of(rows[3].pts, true)).out);
  EXPECT_NE(twins.hidden.end(), std::find(twins.hidden.begin(), twins.hidden.end(), 0));
  EXPECT_NE(twins.hidden.end(), std::find(twins.hidden.begin(), twins.hidden.end(), 6));
  EXPECT_EQ(twins.hidden.end(), std::find(twins.hidden.begin(), twins.hidden.end(), 1));
  EXPECT_EQ(twins.hidden.end(), std::find(twins.hidden.begin(), twins.hidden.end(), 5));
}

// Random clusters at the corners and edges of the range, from the width of a
// few hundredths (where only the rounding tells the points apart) to a few
// units, and the coarse grids of the other suites (cocircular cells,
// collinear rows, duplicates) moved there.
TEST_F(ToolExact, ClustersAndGridsFarFromTheOriginAgreeWithTheOracle) {
  const std::array<double, 2> centres[] = {{-9999.7, -9999.7}, {9999.7, 9999.7}, {9999.7, -9999.7},
                                           {-9000.0, 100.0},   {3000.0, -8000.0}, {0.0, 9999.9}};
  unsigned seed = 1;
  for (const auto& c : centres) {
    for (double radius : {0.05, 0.3, 3.0}) {
      SCOPED_TRACE(testing::Message() << "cluster at " << c[0] << ", " << c[1] << " radius " << radius);
      expect_exact(cluster(c[0], c[1], radius, 40, seed++), false);
    }
    SCOPED_TRACE(testing::Message() << "grid at " << c[0] << ", " << c[1]);
    std::mt19937_64 rng(seed++);
    std::uniform_int_distribution<int> grid(-6, 6);
    std::vector<wpt> pts;
    for (int i = 0; i < 60; ++i) pts.push_back({inside(c[0] + grid(rng) * 0.02), inside(c[1] + grid(rng) * 0.02), 0.0});
    expect_exact(pts, false);
  }
  SCOPED_TRACE("200 points within 0.3 of (9990, -9990)");
  expect_exact(cluster(9990.0, -9990.0, 0.3, 200, 99), false);
}

// Weights from the tool's limit down to its resolution, on clusters near the
// origin and far from it.
TEST_F(ToolExact, HugeAndTinyWeightsAgreeWithTheRegularOracle) {
  struct row {
    const char* what;
    double cx, cy, radius, wmax;
    int n;
  };
  const row rows[] = {
      {"weights near +-10^8 on 8 points within 0.05", 0, 0, 0.05, 1e8, 8},
      {"weights near +-10^8 on 40 points within 0.05", 0, 0, 0.05, 1e8, 40},
      {"weights of +-10^8 far from the origin", -9999.5, 9999.5, 0.3, 1e8, 40},
      {"weights of +-1 far from the origin", 9990, -9990, 0.3, 1, 40},
      {"weights of a few ten-thousandths", 0, 0, 0.05, 0.0005, 40},
  };
  unsigned seed = 50;
  for (const row& r : rows) {
    SCOPED_TRACE(r.what);
    std::mt19937_64 rng(seed++);
    std::uniform_real_distribution<double> w(-r.wmax, r.wmax);
    std::vector<wpt> pts = cluster(r.cx, r.cy, r.radius, r.n, seed++);
    for (wpt& p : pts) p[2] = w(rng);
    pts[0][2] = r.wmax;  // the limits themselves
    pts[1][2] = -r.wmax;
    expect_exact(pts, true);
  }
  // A grid whose cocircular cells only tiny weights tell apart, with twins.
  std::mt19937_64 rng(77);
  std::uniform_int_distribution<int> grid(-4, 4), tiny(0, 2);
  std::vector<wpt> pts;
  for (int i = 0; i < 50; ++i) pts.push_back({grid(rng) * 0.1, grid(rng) * 0.1, tiny(rng) * 0.0001});
  expect_exact(pts, true);
}

// A lift exactly on a lower hull edge: the point's cell has no area, the
// faces beside it split into coplanar triangles, and each power edge is
// still printed once.
TEST_F(ToolExact, ALiftOnAHullEdgePrintsEachPowerEdgeOnce) {
  const std::vector<wpt> pts = {{-0.7, 0, 0}, {0, 0, -0.49}, {0.7, 0, 0}, {0, 1, 0}, {0, -1, 0}};
  const parsed got = expect_exact(pts, true);
  ASSERT_FALSE(got.voronoi.empty());
  for (std::size_t i = 0; i < got.voronoi.size(); ++i) {
    for (std::size_t j = i + 1; j < got.voronoi.size(); ++j) {
      const auto& a = got.voronoi[i];
      const auto& b = got.voronoi[j];
      const bool same = a == b || (a[0] == b[2] && a[1] == b[3] && a[2] == b[0] && a[3] == b[1]);
      EXPECT_FALSE(same) << "voronoi line " << i << " printed again as line " << j;
    }
  }
  // The cell of point 1 is the segment x = 0 between the power centres of
  // the faces above and below the line y = 0.
  const std::array<double, 4> axis = {0, -0.255, 0, 0.255};
  EXPECT_EQ(1, std::count(got.voronoi.begin(), got.voronoi.end(), axis));
}

// Each bound of the accepted input, on both sides: at the bound the answer
// is exact, one step beyond it the input is refused with status 2, one line
// on standard error and nothing on standard output.
TEST_F(ToolExact, EveryBoundHoldsOnBothSides) {
  // At the bounds: the four corners of the range with a tight cluster by one
  // of them, weights at the weight bound, the lift's weight at its bound.
  std::vector<wpt> corners = {{10000, 10000, 0}, {-10000, 10000, 0}, {-10000, -10000, 0}, {10000, -10000, 0}};
  for (const wpt& p : cluster(9999.9, -9999.9, 0.08, 20, 5)) corners.push_back(p);
  expect_exact(corners, false);
  expect_exact(corners, false, "--weight 1000");
  expect_exact(corners, false, "--weight -1000");
  std::vector<wpt> heavy = corners;
  for (std::size_t i = 0; i < heavy.size(); ++i) heavy[i][2] = i % 2 == 0 ? 1e8 : -1e8;
  expect_exact(heavy, true);

  struct row {
    const char* args;
    const char* input;
    const char* message;
  };
  const row beyond[] = {
      {"", "10000.004 0\n0 0\n1 0\n0 1\n", "coordinate beyond"},
      {"", "0 -10000.004\n0 0\n1 0\n0 1\n", "coordinate beyond"},
      {"--power", "0 0 100000000.0001\n1 0 0\n0 1 0\n1 1 0\n", "weight beyond"},
      {"--power", "0 0 -100000000.0001\n1 0 0\n0 1 0\n1 1 0\n", "weight beyond"},
      {"--weight 1000.01", "0 0\n1 0\n0 1\n1 1\n", "--weight needs a number from -1000 to 1000"},
      {"--weight -1000.01", "0 0\n1 0\n0 1\n1 1\n", "--weight needs a number from -1000 to 1000"},
  };
  for (const row& b : beyond) {
    SCOPED_TRACE(testing::Message() << b.args << " / " << b.input);
    const pipeline_test::run_result r = run_tool(b.args, b.input);
    EXPECT_EQ(2, r.status);
    EXPECT_EQ("", r.out);
    EXPECT_NE(std::string::npos, r.err.find(b.message)) << r.err;
    EXPECT_EQ(1, std::count(r.err.begin(), r.err.end(), '\n')) << r.err;
  }
}

// --degenerate draws the diagrams of flat unweighted sets; a flat weighted
// set has another diagram, which it does not draw: that is refused rather
// than answered with nothing.  A weighted set whose hull is
// three-dimensional needs no help and prints as without the option.
TEST_F(ToolExact, DegenerateRefusesAFlatWeightedSet) {
  const std::vector<wpt> line = {{0, 0, 1}, {1, 0, 0}, {2, 0, 0.5}, {3, 0, 0}, {4, 0, 2}};
  const pipeline_test::run_result flat = run_tool("--degenerate", text_of(line, true));
  EXPECT_EQ(2, flat.status);
  EXPECT_EQ("", flat.out);
  EXPECT_NE(std::string::npos, flat.err.find("--degenerate")) << flat.err;
  EXPECT_EQ(0, run_tool("", text_of(line, true)).status);

  const std::vector<wpt> solid = {{0, 0, 0.1}, {1, 0, 0}, {0, 1, 0.2}, {1, 1, 0}, {0.5, 0.4, 0}};
  const pipeline_test::run_result with = run_tool("--degenerate", text_of(solid, true));
  EXPECT_EQ(0, with.status) << with.err;
  EXPECT_EQ(run_tool("", text_of(solid, true)).out, with.out);
}

}  // namespace
