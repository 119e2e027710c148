// The construction, point by point, judged on every prefix by the
// brute-force regular oracle (weights 0 make it the Delaunay one), which
// shares no code with the program: each step's triangulation must be the
// exact one of the points so far, the removed triangles those whose circle
// holds the new point, and every flip one of an edge whose opposite point
// lies strictly inside the circle.  The batch tool's --steps end where its
// triangle lines are.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/construction.h"
#include "tests/pipeline/pipeline_test_util.h"
#include "tests/pipeline/tool_run.h"
#include "tests/support/construction_check.h"
#include "tests/support/regular_oracle.h"
#include "tests/support/tool_output.h"

namespace {

using construction_check::below_of;
using construction_check::orient;
using construction_check::random_points;
using construction_check::sorted3;
using cpt = construction_point;
using tri_set = std::set<tri_index>;

struct named_set {
  const char* name;
  std::vector<cpt> pts;
  bool weighted;
};

// 20 integer points on the circle of radius 25, then its centre and a few
// more: every prefix of 4 or more of them is cocircular until the centre.
std::vector<cpt> circle_then_centre() {
  std::vector<cpt> pts;
  const int xy[][2] = {{25, 0}, {0, 25}, {-25, 0}, {0, -25}, {7, 24}, {-7, 24}, {7, -24}, {-7, -24},
                       {24, 7}, {-24, 7}, {24, -7}, {-24, -7}, {15, 20}, {-15, 20}, {15, -20}, {-15, -20},
                       {20, 15}, {-20, 15}, {20, -15}, {-20, -15}};
  for (const auto& p : xy) pts.push_back({p[0] * 10, p[1] * 10, 0});
  pts.push_back({0, 0, 0});
  pts.push_back({300, 300, 0});
  pts.push_back({-260, 10, 0});
  return pts;
}

// Ten points on one line first, then others, some on that line's extension
// and on existing edges.
std::vector<cpt> line_first() {
  std::vector<cpt> pts;
  for (int i = 0; i < 10; ++i) pts.push_back({i * 30 - 150, i * 10 - 50, 0});
  pts.push_back({200, 67, 0});
  pts.push_back({0, 200, 0});
  pts.push_back({180, 10, 0});    // beyond the line's end
  pts.push_back({15, 5, 0});      // on an edge of the line
  pts.push_back({-300, -100, 0}); // on the line's extension
  for (const cpt& p : random_points(20, 300, 0, 5)) pts.push_back(p);
  return pts;
}

std::vector<cpt> lattice_points(unsigned seed) {
  std::mt19937_64 rng(seed);
  std::uniform_int_distribution<int> g(-4, 4);
  std::vector<cpt> pts;
  for (int i = 0; i < 70; ++i) pts.push_back({g(rng) * 25LL, g(rng) * 25LL, 0});  // duplicates, cocircular cells
  return pts;
}

std::vector<cpt> twins_and_huge_weights() {
  std::vector<cpt> pts = random_points(30, 200, 3000, 9);
  pts.push_back({pts[3].x, pts[3].y, pts[3].w + 50});  // a heavier twin: the first must go
  pts.push_back({pts[5].x, pts[5].y, pts[5].w - 50});  // a lighter one: hidden at once
  pts.push_back({10, 10, 1000000000000LL});            // buries its neighbours
  pts.push_back({-10, 20, -1000000000000LL});          // hidden
  return pts;
}

// Checks the triangulation after a step against the oracle of the prefix.
void expect_exact_prefix(const std::vector<cpt>& pts, const std::vector<int>& order, std::size_t k,
                         const construction_step& st) {
  const int j = static_cast<int>(k);
  EXPECT_EQ("", construction_check::oracle_verdict(pts, order, j, st.after));
  const regular_oracle::oracle o = construction_check::prefix_oracle(pts, order, j);
  EXPECT_EQ(o.flat(), st.flat);
  if (o.flat()) {
    // The triangle of three places, if any, has area.
    for (const tri_index& t : st.after) EXPECT_NE(0, orient(pts[t[0]], pts[t[1]], pts[t[2]]));
    return;
  }
  // The oracle names an identical point by its first copy; the program too.
  EXPECT_EQ(o.hidden(j) || o.rep(j) != j, st.hidden);
}

void check_construction(const named_set& s, const std::vector<int>& order, insert_way way) {
  const std::vector<construction_step> steps = construct(s.pts, order, way);
  ASSERT_EQ(order.size(), steps.size());
  tri_set before;
  for (std::size_t k = 0; k < steps.size(); ++k) {
    SCOPED_TRACE(testing::Message() << "step " << k << ", point " << order[k]);
    const construction_step& st = steps[k];
    EXPECT_EQ(order[k], st.point);
    expect_exact_prefix(s.pts, order, k, st);
    const int p = st.point;
    tri_set now = before;
    for (const tri_index& t : st.removed) EXPECT_EQ(1u, now.erase(t)) << "removed a triangle that was not there";
    for (const tri_index& t : st.added) EXPECT_TRUE(now.insert(t).second);
    if (way == insert_way::hole) {
      // What goes holds the point in or on its circle; everything that holds
      // it strictly inside goes.
      for (const tri_index& t : st.removed) EXPECT_GE(below_of(s.pts, t, p), 0);
      for (const tri_index& t : before) {
        if (below_of(s.pts, t, p) > 0) {
          EXPECT_EQ(0u, now.count(t)) << "a triangle holding the point stayed";
        }
      }
      EXPECT_TRUE(st.flips.empty() && st.rest_removed.empty() && st.rest_added.empty());
    } else {
      for (const edge_flip& f : st.flips) {
        const tri_index t1 = sorted3(f.a, f.b, f.c), t2 = sorted3(f.a, f.b, f.d);
        ASSERT_EQ(1u, now.count(t1)) << "flip of a missing triangle";
        ASSERT_EQ(1u, now.count(t2)) << "flip of a missing triangle";
        EXPECT_GT(below_of(s.pts, t1, f.d), 0) << "a flip of a legal edge";
        now.erase(t1);
        now.erase(t2);
        now.insert(sorted3(f.c, f.d, f.a));
        now.insert(sorted3(f.c, f.d, f.b));
      }
      if (!s.weighted) {
        EXPECT_TRUE(st.rest_removed.empty() && st.rest_added.empty());
      }
      for (const tri_index& t : st.rest_removed) EXPECT_EQ(1u, now.erase(t));
      for (const tri_index& t : st.rest_added) EXPECT_TRUE(now.insert(t).second);
    }
    EXPECT_EQ(tri_set(st.after.begin(), st.after.end()), now);
    before = now;
  }
}

std::vector<named_set> sets() {
  return {
      {"random", random_points(60, 300, 0, 1), false},
      {"random far out", [] {
         std::vector<cpt> p = random_points(40, 40, 0, 2);
         for (cpt& q : p) {
           q.x += 999950;
           q.y -= 999950;
         }
         return p;
       }(),
       false},
      {"lattice", lattice_points(3), false},
      {"circle then centre", circle_then_centre(), false},
      {"line first", line_first(), false},
      {"weighted", random_points(50, 300, 20000, 4), true},
      {"twins and huge weights", twins_and_huge_weights(), true},
  };
}

TEST(Construction, EveryPrefixIsExactInIndexOrder) {
  for (const named_set& s : sets()) {
    SCOPED_TRACE(s.name);
    std::vector<int> order(s.pts.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    for (insert_way way : {insert_way::hole, insert_way::flips}) {
      SCOPED_TRACE(way == insert_way::hole ? "hole" : "flips");
      check_construction(s, order, way);
    }
  }
}

TEST(Construction, EveryPrefixIsExactInShuffledOrders) {
  std::mt19937 rng(11);
  for (const named_set& s : sets()) {
    SCOPED_TRACE(s.name);
    std::vector<int> order(s.pts.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    std::shuffle(order.begin(), order.end(), rng);
    for (insert_way way : {insert_way::hole, insert_way::flips}) {
      SCOPED_TRACE(way == insert_way::hole ? "hole" : "flips");
      check_construction(s, order, way);
    }
  }
}

// A point inside a triangle splits it into three; one on an edge splits the
// two beside it into four; one outside joins the hull edges it sees.
TEST(Construction, TheSplitIsTheTriangleOrEdgeUnderThePoint) {
  const std::vector<cpt> pts = {{0, 0, 0},     {400, 0, 0},   {0, 400, 0},  {500, 500, 0},
                                {120, 100, 0}, {200, 200, 0}, {700, 200, 0}};
  // Inside the triangle 0 1 2: three triangles.
  std::vector<construction_step> st = construct(pts, {0, 1, 2, 4}, insert_way::flips);
  EXPECT_EQ(std::vector<tri_index>({{0, 1, 2}}), st[3].removed);
  EXPECT_EQ(std::vector<tri_index>({{0, 1, 4}, {0, 2, 4}, {1, 2, 4}}), st[3].added);
  // On the edge 1 2, between 0 1 2 and 1 2 3: four.
  st = construct(pts, {0, 1, 2, 3, 5}, insert_way::flips);
  EXPECT_EQ(std::vector<tri_index>({{0, 1, 2}, {1, 2, 3}}), st[4].removed);
  EXPECT_EQ(std::vector<tri_index>({{0, 1, 5}, {0, 2, 5}, {1, 3, 5}, {2, 3, 5}}), st[4].added);
  // Outside, seeing the hull edge 1 2 only: one.
  st = construct(pts, {0, 1, 2, 6}, insert_way::flips);
  EXPECT_TRUE(st[3].removed.empty());
  EXPECT_EQ(std::vector<tri_index>({{1, 2, 6}}), st[3].added);
}

// One step alone, from the lower hull of the points before it, is the step
// the whole run makes: the lab shows any step without the ones before it.
TEST(Construction, OneStepAloneIsTheStepOfTheWholeRun) {
  for (const named_set& s : sets()) {
    SCOPED_TRACE(s.name);
    std::vector<int> order(s.pts.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(order.size() - 1 - i);
    for (insert_way way : {insert_way::hole, insert_way::flips}) {
      const std::vector<construction_step> all = construct(s.pts, order, way);
      for (int k = 0; k < static_cast<int>(order.size()); k += 3) {
        SCOPED_TRACE(testing::Message() << (way == insert_way::hole ? "hole" : "flips") << ", step " << k);
        const construction_step one =
            construct_step(s.pts, order, k, way, lower_hull_triangles(s.pts, order.data(), k));
        const construction_step& want = all[static_cast<std::size_t>(k)];
        EXPECT_EQ(want.point, one.point);
        EXPECT_EQ(want.removed, one.removed);
        EXPECT_EQ(want.added, one.added);
        EXPECT_EQ(want.rest_removed, one.rest_removed);
        EXPECT_EQ(want.rest_added, one.rest_added);
        EXPECT_EQ(want.after, one.after);
        EXPECT_EQ(want.hidden, one.hidden);
        EXPECT_EQ(want.flat, one.flat);
        ASSERT_EQ(want.flips.size(), one.flips.size());
        for (std::size_t f = 0; f < want.flips.size(); ++f) {
          EXPECT_EQ(want.flips[f].a, one.flips[f].a);
          EXPECT_EQ(want.flips[f].b, one.flips[f].b);
          EXPECT_EQ(want.flips[f].c, one.flips[f].c);
          EXPECT_EQ(want.flips[f].d, one.flips[f].d);
        }
      }
    }
  }
}

// --steps prints the same steps, and replayed they end at the tool's own
// triangle lines; --flips alone is a usage error.
class ConstructionTool : public pipeline_test::in_temp_dir {};

TEST_F(ConstructionTool, StepsReplayToTheTrianglesPrinted) {
  std::mt19937_64 rng(21);
  std::uniform_real_distribution<double> u(-3, 3);
  std::string input;
  char line[80];
  for (int i = 0; i < 40; ++i) {
    std::snprintf(line, sizeof line, "%.2f %.2f\n", u(rng), u(rng));
    input += line;
  }
  input += "0 0\n1 0\n0 1\n1 1\n";  // a cocircular four among them
  for (const char* args : {"--steps", "--steps --flips"}) {
    SCOPED_TRACE(args);
    const pipeline_test::run_result r = pipeline_test::run_tool(args, input);
    ASSERT_EQ(0, r.status) << r.err;
    std::istringstream in(r.out);
    std::string rest, text_line;
    tri_set now;
    int inserts = 0, flips = 0;
    while (std::getline(in, text_line)) {
      std::istringstream w(text_line);
      std::string word;
      w >> word;
      tri_index t{};
      if (word == "insert") {
        ++inserts;
      } else if (word == "remove") {
        w >> t[0] >> t[1] >> t[2];
        EXPECT_TRUE(t[0] < t[1] && t[1] < t[2]);
        EXPECT_EQ(1u, now.erase(t)) << text_line;
      } else if (word == "add") {
        w >> t[0] >> t[1] >> t[2];
        EXPECT_TRUE(t[0] < t[1] && t[1] < t[2]);
        EXPECT_TRUE(now.insert(t).second) << text_line;
      } else if (word == "flip") {
        int a, b, c, d;
        w >> a >> b >> c >> d;
        ++flips;
        EXPECT_EQ(1u, now.erase(sorted3(a, b, c))) << text_line;
        EXPECT_EQ(1u, now.erase(sorted3(a, b, d))) << text_line;
        now.insert(sorted3(c, d, a));
        now.insert(sorted3(c, d, b));
      } else {
        rest += text_line + "\n";
      }
    }
    EXPECT_EQ(44, inserts);
    if (std::string(args).find("flips") != std::string::npos) {
      EXPECT_GT(flips, 0);
    }
    const parsed p = parse(rest);
    EXPECT_EQ(tri_set(p.triangles.begin(), p.triangles.end()), now);
    EXPECT_EQ(rest, pipeline_test::run_tool("", input).out) << "the usual lines follow unchanged";
  }
  const pipeline_test::run_result bad = pipeline_test::run_tool("--flips", input);
  EXPECT_EQ(2, bad.status);
  EXPECT_NE(std::string::npos, bad.err.find("--flips goes with --steps"));
}

}  // namespace
