// Watching it grow in the 2D SVG picture: the stage the view shows, read
// back from the SVG and judged by the brute-force exact oracle.  At each
// insertion of random points, the gold triangles are exactly those whose
// circle holds the new point (one circle each), then the green ones exactly
// the new point's triangles; the points still to come are grey.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "app/app.h"
#include "lab/construction_logic.h"
#include "lab/lab_picture_svg.h"
#include "tests/lab/flat_check.h"
#include "tests/support/delaunay_oracle.h"

namespace {

using delaunay_oracle::ipoint;
using tri = std::array<int, 3>;

// The body of the group of that class.
std::string group(const std::string& svg, const std::string& cls) {
  const std::string open = "<g class=\"" + cls + "\"";
  const std::size_t at = svg.find(open);
  if (at == std::string::npos) return "";
  return svg.substr(at, svg.find("</g>", at) - at);
}

// The polygons of a group as triangles of point indices (the corners found
// among pts by their pixels: 100 a unit, y down, origin at (-3, 3)).
std::set<tri> polygons(const std::string& body, const std::vector<ipoint>& pts) {
  std::set<tri> out;
  const std::regex poly("points=\"([-0-9.]+),([-0-9.]+) ([-0-9.]+),([-0-9.]+) ([-0-9.]+),([-0-9.]+)\"");
  for (std::sregex_iterator m(body.begin(), body.end(), poly), end; m != end; ++m) {
    tri t{};
    for (int k = 0; k < 3; ++k) {
      const long long x = std::llround((std::stod((*m)[1 + 2 * k]) / 100.0 - 3.0) * 100.0);
      const long long y = std::llround((3.0 - std::stod((*m)[2 + 2 * k]) / 100.0) * 100.0);
      t[k] = -1;
      for (std::size_t i = 0; i < pts.size(); ++i)
        if (pts[i].x == x && pts[i].y == y) t[k] = static_cast<int>(i);
    }
    std::sort(t.begin(), t.end());
    out.insert(t);
  }
  return out;
}

int count_of(const std::string& body, const std::string& what) {
  int n = 0;
  for (std::size_t at = body.find(what); at != std::string::npos; at = body.find(what, at + 1)) ++n;
  return n;
}

TEST(ConstructionSvg, TheStageAgainstTheOracle) {
  std::mt19937_64 rng(17);
  std::uniform_int_distribution<long long> u(-270, 270);
  std::vector<ipoint> pts;
  point_count = 0;
  for (int i = 0; i < 14; ++i) {
    pts.push_back({u(rng), u(rng)});
    add_point(point_rec{pts.back().x / 100.0, pts.back().y / 100.0, 0.0, 1.0});
  }
  lab_view_layers layers;
  int lit_seen = 0;
  for (int k = 3; k < 14; ++k) {
    SCOPED_TRACE("inserting point " + std::to_string(k));
    const std::vector<ipoint> before(pts.begin(), pts.begin() + k), after(pts.begin(), pts.begin() + k + 1);
    std::set<tri> holding, fan;
    for (const auto& t : brute_triangles(before, -1)) {
      const bool ccw = delaunay_oracle::orient(pts[t[0]], pts[t[1]], pts[t[2]]) > 0;
      const int in = ccw ? delaunay_oracle::incircle(pts[t[0]], pts[t[1]], pts[t[2]], pts[k])
                         : delaunay_oracle::incircle(pts[t[0]], pts[t[2]], pts[t[1]], pts[k]);
      if (in > 0) holding.insert(t);
    }
    for (const auto& t : brute_triangles(after, -1))
      if (t[0] == k || t[1] == k || t[2] == k) fan.insert(t);
    construction_state s;
    s.on = true;
    s.step = k;
    lab_construction_set_state(s);
    const std::string hole = construction_picture_svg(construction_current(), layers);
    EXPECT_EQ(holding, polygons(group(hole, "lit"), pts));
    EXPECT_EQ(static_cast<int>(holding.size()), count_of(group(hole, "circles"), "<circle"));
    EXPECT_EQ(1, count_of(hole, "<g class=\"points\">")) << "every point drawn once";
    EXPECT_EQ(13 - k, count_of(group(hole, "points"), "rgb(72%,72%,72%)")) << "the points still to come";
    lit_seen += static_cast<int>(holding.size());
    s.stage = 1;
    lab_construction_set_state(s);
    const std::string fan_svg = construction_picture_svg(construction_current(), layers);
    EXPECT_EQ(fan, polygons(group(fan_svg, "fresh"), pts));
    EXPECT_TRUE(polygons(group(fan_svg, "lit"), pts).empty());
  }
  EXPECT_GT(lit_seen, 15);
  lab_construction_set_state(construction_state());
  point_count = 0;
}

}  // namespace
