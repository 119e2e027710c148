// The diagrams of the sets the hull cannot show, against the exact oracle:
// every Voronoi edge is the drawn piece of the bisector of a pair that some
// circle with every other point strictly outside passes through, and every
// such pair has one; triangles only where a unique triangulation exists.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "app/flat_diagram.h"
#include "tests/lab/flat_check.h"
#include "tests/support/delaunay_oracle.h"

namespace {

using delaunay_oracle::ipoint;

struct Case {
  const char* what;
  std::vector<ipoint> pts;  // hundredths
  flat_kind kind;
};

const Case kCases[] = {
    {"no point", {}, flat_kind::empty},
    {"one point", {{50, -20}}, flat_kind::single},
    {"one point entered twice", {{50, -20}, {50, -20}}, flat_kind::single},
    {"two points", {{-100, 0}, {100, 50}}, flat_kind::line},
    {"three in a row", {{-200, -100}, {0, 0}, {200, 100}}, flat_kind::line},
    {"a vertical row out of order",
     {{0, 250}, {0, -100}, {0, 20}, {0, -270}, {0, 90}},
     flat_kind::line},
    {"a row with a repeated point",
     {{-100, 100}, {100, -100}, {-100, 100}, {0, 0}},
     flat_kind::line},
    {"acute triangle", {{-150, -100}, {170, -80}, {10, 200}}, flat_kind::circle},
    {"obtuse triangle (centre outside)", {{-250, 0}, {250, 0}, {0, 40}}, flat_kind::circle},
    {"square", {{-100, -100}, {100, -100}, {100, 100}, {-100, 100}}, flat_kind::circle},
    {"twelve on a circle of radius 2.5",
     twelve_on_one_circle(),
     flat_kind::circle},
    {"five on one circle",
     {{-240, -70}, {-150, 200}, {0, 250}, {150, 200}, {240, -70}},
     flat_kind::circle},
    {"four in general position",
     {{-200, -150}, {180, -120}, {40, 220}, {-60, 30}},
     flat_kind::four},
    {"four in convex position",
     {{-200, -100}, {210, -140}, {160, 190}, {-120, 170}},
     flat_kind::four},
    {"three in a row and one off", {{-200, 0}, {0, 0}, {200, 0}, {30, 150}}, flat_kind::four},
    {"five in general position",
     {{-200, -150}, {180, -120}, {40, 220}, {-60, 30}, {250, 250}},
     flat_kind::hull},
};

class FlatDiagram : public testing::TestWithParam<Case> {};

TEST_P(FlatDiagram, MatchesTheExactOracle) {
  const Case& c = GetParam();
  std::vector<point_rec> table;
  for (const ipoint& p : c.pts) table.push_back({p.x / 100.0, p.y / 100.0, 0.0, 1.0});
  const flat_diagram g = compute_flat_diagram(table.data(), static_cast<int>(table.size()));
  ASSERT_EQ(static_cast<int>(c.kind), static_cast<int>(g.kind));
  const delaunay_oracle::oracle o(c.pts);
  EXPECT_EQ(static_cast<int>(o.distinct().size()), g.distinct);
  if (g.kind == flat_kind::hull) {
    EXPECT_FALSE(o.flat());
    EXPECT_TRUE(g.edges.empty() && g.voronoi.empty() && g.triangles.empty());
    return;
  }
  EXPECT_EQ(g.kind != flat_kind::four, o.flat());

  const bool unique_triangle = g.kind == flat_kind::circle && g.distinct == 3;
  check_flat_diagram(o, g.kind == flat_kind::four, unique_triangle, g.triangles, g.edges,
                     g.voronoi);
  if (g.kind == flat_kind::circle) {
    const auto& d = o.distinct();
    const auto cc = o.circumcentre(d[0], d[1], d[2]);
    EXPECT_NEAR(cc[0], g.centre[0], 1e-12);
    EXPECT_NEAR(cc[1], g.centre[1], 1e-12);
  }
}

INSTANTIATE_TEST_SUITE_P(Sets, FlatDiagram, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) {
                           std::string n;
                           for (const char* p = info.param.what; *p; ++p)
                             n += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                           return n;
                         });

}  // namespace
