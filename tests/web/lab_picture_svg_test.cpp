// The lab's picture as SVG, read back from the SVG text and checked against
// the exact oracles of the tests: a flat set's diagram (the rays from the
// circle's centre, the strips of points on one line), a weighted set's
// regular triangulation with its circles and hollow hidden points, the
// furthest-site layer, and the view's switches (labels, layers, selection).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "lab/edit.h"
#include "lab/lab.h"
#include "lab/lab_picture_svg.h"
#include "lab/lessons.h"
#include "lab/weights.h"
#include "tests/lab/flat_check.h"
#include "tests/lab/weights_fixture.h"
#include "tests/pipeline/pipeline_test_util.h"
#include "tests/support/regular_oracle.h"

namespace {

using delaunay_oracle::ipoint;

// --- reading the SVG back -----------------------------------------------------

// The text of the <g class="name"> group, "" when there is none.
std::string group(const std::string& svg, const std::string& name) {
  const std::size_t at = svg.find("<g class=\"" + name + "\"");
  if (at == std::string::npos) return "";
  return svg.substr(at, svg.find("</g>", at) - at);
}

// A number attribute of the element starting at pos.
double attr(const std::string& s, std::size_t pos, const char* name) {
  const std::size_t end = s.find('>', pos);
  const std::string key = std::string(" ") + name + "=\"";
  const std::size_t at = s.find(key, pos);
  EXPECT_LT(at, end) << "no " << name;
  return std::stod(s.substr(at + key.size()));
}

// Every <line> of a group, back in plane units.
std::vector<std::array<double, 4>> lines_of(const std::string& g) {
  std::vector<std::array<double, 4>> out;
  for (std::size_t at = g.find("<line"); at != std::string::npos; at = g.find("<line", at + 1)) {
    out.push_back({attr(g, at, "x1") / 100.0 - 3.0, 3.0 - attr(g, at, "y1") / 100.0,
                   attr(g, at, "x2") / 100.0 - 3.0, 3.0 - attr(g, at, "y2") / 100.0});
  }
  return out;
}

struct svg_circle {
  double x, y, r;  // plane units for the centre, pixels for r
  bool hollow;
  std::string fill;
};
std::vector<svg_circle> circles_of(const std::string& g) {
  std::vector<svg_circle> out;
  for (std::size_t at = g.find("<circle"); at != std::string::npos; at = g.find("<circle", at + 1)) {
    const std::size_t end = g.find('>', at);
    const std::string el = g.substr(at, end - at);
    const std::size_t f = el.find(" fill=\"");
    out.push_back({attr(g, at, "cx") / 100.0 - 3.0, 3.0 - attr(g, at, "cy") / 100.0, attr(g, at, "r"),
                   el.find("class=\"hidden\"") != std::string::npos,
                   f == std::string::npos ? "" : el.substr(f + 7, el.find('"', f + 7) - f - 7)});
  }
  return out;
}

// The point whose place an end of a line is (the SVG keeps a thousandth of a
// pixel), -1 when none.
int point_at(double x, double y) {
  for (int i = 0; i < point_count; ++i)
    if (std::fabs(plane_table[i].x - x) < 1e-4 && std::fabs(plane_table[i].y - y) < 1e-4) return i;
  return -1;
}

// The Delaunay lines of the SVG as sorted index pairs.
std::vector<std::array<int, 2>> edges_of(const std::string& g) {
  std::vector<std::array<int, 2>> out;
  for (const auto& l : lines_of(g)) {
    const int i = point_at(l[0], l[1]), j = point_at(l[2], l[3]);
    EXPECT_TRUE(i >= 0 && j >= 0) << "a line that does not join two points";
    out.push_back({std::min(i, j), std::max(i, j)});
  }
  std::sort(out.begin(), out.end());
  return out;
}

bool same_piece(const std::array<double, 4>& a, const double b[4]) {
  auto close = [](double u, double v) { return std::fabs(u - v) < 1e-4; };
  return (close(a[0], b[0]) && close(a[1], b[1]) && close(a[2], b[2]) && close(a[3], b[3])) ||
         (close(a[0], b[2]) && close(a[1], b[3]) && close(a[2], b[0]) && close(a[3], b[1]));
}

// --- the fixture ----------------------------------------------------------------

class LabPictureSvg : public lab_weights_fixture {
 protected:
  // Replaces the points (hundredths) and brings the records up to date as
  // the 3D view's next frame would.
  void set_points(const std::vector<ipoint>& pts) {
    std::vector<lab_point> lp;
    for (const ipoint& p : pts) lp.push_back({p.x / 100.0, p.y / 100.0, 0.0});
    lab_replace_points(lp, "test");
    refresh();
  }
  void refresh() {
    if (point_count > 4 && need_recompute) recompute();
  }
  std::string svg(const lab_view_layers& layers = lab_view_layers()) {
    return lab_picture_svg(collect_lab_picture(layers), layers);
  }
};

// --- flat sets -------------------------------------------------------------------

struct FlatCase {
  const char* what;
  std::vector<ipoint> pts;
};

TEST_F(LabPictureSvg, FlatSetShowsItsExactDiagram) {
  const FlatCase kCases[] = {
      {"twelve points on one circle", twelve_on_one_circle()},
      {"five points on one line", {{-200, -100}, {-100, -50}, {0, 0}, {100, 50}, {250, 125}}},
      {"two points", {{-100, 20}, {150, -40}}},
      {"three points on one circle, fewer than five", {{100, 0}, {0, 100}, {-100, 0}}},
  };
  for (const FlatCase& c : kCases) {
    SCOPED_TRACE(c.what);
    set_points(c.pts);
    const std::string s = svg();
    const delaunay_oracle::oracle o(c.pts);
    // The Delaunay lines are exactly the pairs some empty circle passes
    // through; the Voronoi lines exactly their drawn pieces.
    const std::vector<std::array<int, 2>> strong = strong_pairs(o);
    EXPECT_EQ(strong, edges_of(group(s, "delaunay")));
    const auto pieces = lines_of(group(s, "voronoi"));
    std::vector<bool> used(pieces.size(), false);
    for (const auto& e : strong) {
      double seg[4];
      if (!drawn_piece(o, e[0], e[1], seg)) continue;
      bool found = false;
      for (std::size_t k = 0; k < pieces.size() && !found; ++k)
        if (!used[k] && same_piece(pieces[k], seg)) used[k] = found = true;
      EXPECT_TRUE(found) << "piece of " << e[0] << "-" << e[1] << " missing";
    }
    EXPECT_EQ(std::count(used.begin(), used.end(), true), static_cast<long>(pieces.size()));
    EXPECT_EQ(c.pts.size(), circles_of(group(s, "points")).size());
  }
  // Twelve on one circle: twelve edges, twelve rays, and the centre marked.
  set_points(twelve_on_one_circle());
  const std::string s = svg();
  EXPECT_EQ(12u, edges_of(group(s, "delaunay")).size());
  EXPECT_EQ(12u, lines_of(group(s, "voronoi")).size());
  const auto centre = circles_of(group(s, "voronoi"));
  ASSERT_EQ(1u, centre.size());
  EXPECT_NEAR(0.0, centre[0].x, 1e-9);
  EXPECT_NEAR(0.0, centre[0].y, 1e-9);
}

// --- weights ---------------------------------------------------------------------

TEST_F(LabPictureSvg, WeightedSetShowsCirclesHollowHiddenPointsAndTheRegularEdges) {
  std::vector<ipoint> grid;
  for (int i = 0; i < 25; ++i) grid.push_back({(i % 5 - 2) * 100, (i / 5 - 2) * 100});
  set_points(grid);
  lab_change_weight(12, 50);  // weight 5 at the centre: it swallows its 8 neighbours
  lab_change_weight(0, 3);    // 0.3 at a corner
  refresh();
  const std::string s = svg();

  std::vector<regular_oracle::wpoint> wp;
  for (int i = 0; i < 25; ++i)
    wp.push_back({grid[i].x, grid[i].y, std::llround(lab_point_weight[i] * 1e4)});
  const regular_oracle::oracle o(wp);

  // A circle of radius sqrt(w) for each weighted point, and no other.
  const auto rings = circles_of(group(s, "weights"));
  ASSERT_EQ(2u, rings.size());
  for (const auto& r : rings) {
    const int i = point_at(r.x, r.y);
    ASSERT_TRUE(i == 12 || i == 0);
    EXPECT_NEAR(100.0 * std::sqrt(i == 12 ? 5.0 : 0.3), r.r, 1e-3);
  }
  // Hidden points hollow, exactly those the oracle hides.
  const auto dots = circles_of(group(s, "points"));
  ASSERT_EQ(25u, dots.size());
  int hollow = 0;
  for (const auto& d : dots) {
    const int i = point_at(d.x, d.y);
    ASSERT_GE(i, 0);
    EXPECT_EQ(o.hidden(i), d.hollow) << "point " << i;
    EXPECT_EQ(d.hollow ? "white" : "rgb(14%,14%,56%)", d.fill) << "point " << i;
    hollow += d.hollow;
  }
  EXPECT_EQ(8, hollow);
  // Every strong edge of the regular triangulation is drawn, and nothing
  // joins a hidden point.
  const auto edges = edges_of(group(s, "delaunay"));
  const std::set<std::array<int, 2>> drawn(edges.begin(), edges.end());
  for (int i = 0; i < 25; ++i)
    for (int j = i + 1; j < 25; ++j)
      if (o.strong_edge(i, j)) {
        EXPECT_TRUE(drawn.count({i, j})) << i << "-" << j;
      }
  for (const auto& e : edges) {
    EXPECT_FALSE(o.hidden(e[0]) || o.hidden(e[1])) << e[0] << "-" << e[1];
  }
  EXPECT_FALSE(lines_of(group(s, "voronoi")).empty());

  // w hides the circles from the view, and so from the picture.
  lab_view_layers no_circles;
  no_circles.weight_circles = false;
  EXPECT_TRUE(circles_of(group(svg(no_circles), "weights")).empty());
}

// --- the view's switches ----------------------------------------------------------

TEST_F(LabPictureSvg, FurthestSiteLayerIsTheBruteForceOne) {
  std::vector<ipoint> pts;
  for (const auto& p : lab_preset_points(8)) {
    pts.push_back({std::llround(p[0] * 100), std::llround(p[1] * 100)});
  }
  set_points(pts);
  EXPECT_EQ("", group(svg(), "furthest"));
  lab_view_layers f;
  f.furthest = true;
  const std::string s = svg(f);
  std::set<std::array<int, 2>> expect;
  for (const auto& t : brute_triangles(pts, +1)) {
    expect.insert({t[0], t[1]});
    expect.insert({t[1], t[2]});
    expect.insert({t[0], t[2]});
  }
  ASSERT_FALSE(expect.empty());
  const auto got = edges_of(group(s, "furthest"));
  const std::vector<std::array<int, 2>> want(expect.begin(), expect.end());
  EXPECT_EQ(want, got);
  EXPECT_FALSE(lines_of(group(s, "furthest-voronoi")).empty());
}

TEST_F(LabPictureSvg, SwitchesOfTheViewSwitchTheLayers) {
  set_points({{-200, -150}, {180, -120}, {20, 210}, {-40, 10}, {290, 290}});
  struct SwitchCase {
    const char* what;
    void (*set)(lab_view_layers&);
    const char* group;
    bool present;
  };
  const SwitchCase kCases[] = {
      {"labels on", [](lab_view_layers&) {}, "labels", true},
      {"labels off", [](lab_view_layers& l) { l.labels = false; }, "labels", false},
      {"Delaunay off", [](lab_view_layers& l) { l.delaunay = false; }, "delaunay", false},
      {"Voronoi off", [](lab_view_layers& l) { l.voronoi = false; }, "voronoi", false},
      {"grid off", [](lab_view_layers&) {}, "grid", false},
      {"grid on", [](lab_view_layers& l) { l.grid = true; }, "grid", true},
  };
  for (const SwitchCase& c : kCases) {
    SCOPED_TRACE(c.what);
    lab_view_layers l;
    c.set(l);
    const std::string g = group(svg(l), c.group);
    const bool shown = g.find("<line") != std::string::npos || g.find("<text") != std::string::npos;
    EXPECT_EQ(c.present, shown);
  }
  // Labels name their points and stay inside the picture, as in the view:
  // point 4 sits in the top right corner.
  const std::string labels = group(svg(), "labels");
  const std::size_t four = labels.find(">4</text>");
  ASSERT_NE(std::string::npos, four);
  const std::size_t el = labels.rfind("<text", four);
  EXPECT_LE(attr(labels, el, "x"), 600 - 8);
  EXPECT_GE(attr(labels, el, "y"), 11);
  // The selected point in magenta, the others not.
  lab_view_layers sel;
  sel.selected = 2;
  const auto dots = circles_of(group(svg(sel), "points"));
  for (const auto& d : dots) {
    EXPECT_EQ(point_at(d.x, d.y) == 2, d.fill == "rgb(100%,0%,100%)");
  }
}

}  // namespace
