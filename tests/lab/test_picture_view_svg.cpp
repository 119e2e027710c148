// The lab's SVG picture as the 2D view shows it when zoomed, with the snap's
// cross, and with a triangle picked by hand: positions checked against the
// view's own pixel mapping (zoom_logic) and the circles against circles
// chosen first and made orthogonal to the corners by their weights.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "lab/circles_logic.h"
#include "lab/edit.h"
#include "lab/lab.h"
#include "lab/lab_picture_svg.h"
#include "lab/zoom_logic.h"
#include "tests/lab/weights_fixture.h"

namespace {

// The text of the <g class="name"> group, "" when there is none.
std::string group(const std::string& svg, const std::string& name) {
  const std::size_t at = svg.find("<g class=\"" + name + "\"");
  if (at == std::string::npos) return "";
  return svg.substr(at, svg.find("</g>", at) - at);
}

double attr(const std::string& s, std::size_t pos, const char* name) {
  const std::string key = std::string(" ") + name + "=\"";
  const std::size_t at = s.find(key, pos);
  EXPECT_LT(at, s.find('>', pos)) << "no " << name;
  return std::stod(s.substr(at + key.size()));
}

// Every element of a kind in a group: the named attributes of each.
std::vector<std::vector<double>> elements(const std::string& g, const char* tag,
                                          std::vector<const char*> names) {
  std::vector<std::vector<double>> out;
  const std::string open = std::string("<") + tag + " ";
  for (std::size_t at = g.find(open); at != std::string::npos; at = g.find(open, at + 1)) {
    std::vector<double> v;
    for (const char* n : names) v.push_back(attr(g, at, n));
    out.push_back(v);
  }
  return out;
}

class LabPictureView : public lab_weights_fixture {
 protected:
  void set_points(const std::vector<lab_point>& pts) {
    lab_replace_points(pts, "test");
    if (point_count > 4 && need_recompute) recompute();
  }
};

TEST_F(LabPictureView, ZoomedItShowsThePartOfTheSquareTheViewShows) {
  set_points({{-0.5, -0.4, 0}, {0.6, -0.3, 0}, {0.1, 0.7, 0}, {0.2, 0.1, 0}, {2.5, 2.6, 0}, {-2.7, 2.2, 0}});
  struct ZoomCase {
    double scale, cx, cy;
  };
  for (const ZoomCase& c : {ZoomCase{1, 0, 0}, ZoomCase{4, 0.25, -0.5}, ZoomCase{2.5, -1, 1.5}}) {
    SCOPED_TRACE(c.scale);
    lab_view_layers layers;
    layers.zoom = c.scale;
    layers.centre[0] = c.cx;
    layers.centre[1] = c.cy;
    const std::string svg = lab_picture_svg(collect_lab_picture(layers), layers);
    const auto dots = elements(group(svg, "points"), "circle", {"cx", "cy", "r"});
    ASSERT_EQ(6u, dots.size());
    // Where the view puts each point: the pixel whose plane position
    // (zoom_logic's mapping, the one the mouse reads) is the point's, in a
    // view of 600 x 600 pixels as the picture is.
    lab_zoom z;
    z.scale = c.scale;
    z.centre[0] = c.cx;
    z.centre[1] = c.cy;
    for (int i = 0; i < 6; ++i) {
      const double sx = dots[static_cast<size_t>(i)][0], sy = dots[static_cast<size_t>(i)][1];
      double at[2];
      lab_zoom_plane(z, static_cast<int>(std::lround(sx)), static_cast<int>(std::lround(600 - sy)), 600, 600, at);
      const double pixel = 6.0 / 600 / c.scale;
      EXPECT_NEAR(plane_table[i].x, at[0], pixel) << "point " << i;
      EXPECT_NEAR(plane_table[i].y, at[1], pixel) << "point " << i;
      EXPECT_EQ(4.0, dots[static_cast<size_t>(i)][2]);  // a marker keeps its size
    }
    // The edges follow: each end is a point's place.
    for (const auto& l : elements(group(svg, "delaunay"), "line", {"x1", "y1", "x2", "y2"})) {
      bool found = false;
      for (const auto& d : dots) found = found || (std::fabs(d[0] - l[0]) < 1e-3 && std::fabs(d[1] - l[1]) < 1e-3);
      EXPECT_TRUE(found) << l[0] << " " << l[1];
    }
    double p[2];
    lab_picture_position(layers, c.cx, c.cy, p);
    EXPECT_EQ(300.0, p[0]);
    EXPECT_EQ(300.0, p[1]);
  }
}

TEST_F(LabPictureView, TheSnapsCrossStandsWhereThePointerSnaps) {
  set_points({{-1, -1, 0}, {1, -1, 0}, {0, 1, 0}});
  lab_view_layers layers;
  layers.zoom = 2;
  layers.centre[0] = 0.5;
  layers.snap_cross = true;
  layers.cross[0] = 0.75;
  layers.cross[1] = -0.25;
  const std::string g = group(lab_picture_svg(collect_lab_picture(layers), layers), "snap");
  const auto arms = elements(g, "line", {"x1", "y1", "x2", "y2"});
  ASSERT_EQ(2u, arms.size());
  // (0.75, -0.25) at 200 pixels a unit about (0.5, 0): (350, 350).
  EXPECT_EQ((std::vector<double>{342, 350, 358, 350}), arms[0]);
  EXPECT_EQ((std::vector<double>{350, 342, 350, 358}), arms[1]);
  EXPECT_NE(std::string::npos, g.find(">(0.75, -0.25)</text>"));
  layers.snap_cross = false;
  EXPECT_EQ("", group(lab_picture_svg(collect_lab_picture(layers), layers), "snap"));
}

TEST_F(LabPictureView, APickedTrianglesCircleIsOrthogonalAndImaginaryOnesAreNotDrawn) {
  // A circle chosen first: centre (0.5, 0.25), r^2 = 1; the corners weighted
  // |p - c|^2 - 1.  Then r^2 = -0.5 for the same centre: no circle.
  struct PickCase {
    double r2;
    bool drawn;
  };
  for (const PickCase& c : {PickCase{1.0, true}, PickCase{-0.5, false}}) {
    SCOPED_TRACE(c.r2);
    const double corners[3][2] = {{-1.0, -0.5}, {1.5, -0.75}, {0.75, 1.75}};
    std::vector<lab_point> pts;
    for (const auto& q : corners) {
      const double w = (q[0] - 0.5) * (q[0] - 0.5) + (q[1] - 0.25) * (q[1] - 0.25) - c.r2;
      pts.push_back({q[0], q[1], w});
    }
    pts.push_back({0.5, 0.3, 1.0});  // power 0.0025 - 1 - r^2 < 0: below either plane
    pts.push_back({2.8, -2.8, 0});  // far outside
    set_points(pts);
    lab_picked_triangle pick;
    std::string why;
    ASSERT_TRUE(lab_pick_triangle(0, 1, 2, lab_shown_triangles(false), &pick, &why)) << why;
    EXPECT_EQ((std::vector<int>{3}), pick.below);
    lab_view_layers layers;
    lab_picture p = collect_lab_picture(layers);
    p.has_picked = true;
    p.picked = pick;
    const std::string g = group(lab_picture_svg(p, layers), "picked-triangle");
    ASSERT_NE("", g);
    const auto rings = elements(g, "circle", {"cx", "cy", "r"});
    // The circle (when real), then the ring round point 3.
    ASSERT_EQ(c.drawn ? 2u : 1u, rings.size());
    if (c.drawn) {
      EXPECT_NEAR(350.0, rings[0][0], 1e-3);
      EXPECT_NEAR(275.0, rings[0][1], 1e-3);
      EXPECT_NEAR(100.0, rings[0][2], 1e-3);
    }
    EXPECT_NEAR(350.0, rings.back()[0], 1e-3);
    EXPECT_NEAR(270.0, rings.back()[1], 1e-3);
  }
}

}  // namespace
