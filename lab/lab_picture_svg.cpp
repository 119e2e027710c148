// The lab's 2D view as SVG.  The layers are gathered from the same sources
// the view draws from (the records, the flat diagram, the furthest-site
// diagram, the weights), so the picture cannot tell another story than the
// window; only the drawing differs.
#include "lab/lab_picture_svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/flat_diagram.h"
#include "app/picture.h"
#include "lab/circles_logic.h"
#include "lab/construction_logic.h"
#include "lab/lab.h"
#include "lab/lessons.h"

namespace {

// The view's colours (the GL drawers' RGBA floats) as SVG colours.
constexpr const char* kDelaunay = "rgb(0%,30%,100%)";
constexpr const char* kVoronoi = "rgb(100%,0%,0%)";
constexpr const char* kFurthest = "rgb(90%,45%,0%)";
constexpr const char* kFurthestVoronoi = "rgb(55%,0%,85%)";
constexpr const char* kWeightCircle = "rgb(85%,45%,0%)";
constexpr const char* kPoint = "rgb(14%,14%,56%)";
constexpr const char* kSelected = "rgb(100%,0%,100%)";
constexpr const char* kLabel = "rgb(0%,50%,100%)";
constexpr const char* kGrid = "rgb(10%,10%,10%)";
constexpr const char* kCircle = "rgb(100%,50%,0%)";

constexpr int kSize = 600;

// The picture's transform, set by lab_picture_svg from its layers' zoom:
// unit_px pixels a plane unit, the view's centre in the middle.
double unit_px = 100.0;
double view_centre[2] = {0.0, 0.0};

double px(double x) { return kSize / 2.0 + (x - view_centre[0]) * unit_px; }
double py(double y) { return kSize / 2.0 - (y - view_centre[1]) * unit_px; }

void set_transform(const lab_view_layers& layers) {
  unit_px = kSize / 6.0 * layers.zoom;
  view_centre[0] = layers.centre[0];
  view_centre[1] = layers.centre[1];
}

// The triangle filled, outlined, its circle when real, the given points
// ringed: the counter-example's and the picked triangle's look.
void triangle_circle(std::string& s, const lab_triangle& t, const std::vector<int>& ringed, const char* colour) {
  char buf[400];
  const point_rec* P = plane_table;
  std::snprintf(buf, sizeof buf,
                "<polygon points=\"%.3f,%.3f %.3f,%.3f %.3f,%.3f\" fill=\"%s\" fill-opacity=\"0.2\" "
                "stroke=\"%s\" stroke-width=\"2\"/>\n",
                px(P[t[0]].x), py(P[t[0]].y), px(P[t[1]].x), py(P[t[1]].y), px(P[t[2]].x), py(P[t[2]].y),
                colour, colour);
  s += buf;
  double centre[2], r;
  if (lab_circle_of(t, centre, &r) > 0) {
    std::snprintf(buf, sizeof buf, "<circle cx=\"%.3f\" cy=\"%.3f\" r=\"%.3f\" stroke=\"%s\" stroke-width=\"2\"/>\n",
                  px(centre[0]), py(centre[1]), unit_px * r, colour);
    s += buf;
  }
  for (int k : ringed) {
    std::snprintf(buf, sizeof buf,
                  "<circle class=\"inside\" cx=\"%.3f\" cy=\"%.3f\" r=\"%.3f\" stroke=\"%s\" stroke-width=\"2\"/>\n",
                  px(P[k].x), py(P[k].y), unit_px * 0.09, colour);
    s += buf;
  }
}

void line(std::string& s, double x0, double y0, double x1, double y1) {
  char buf[160];
  std::snprintf(buf, sizeof buf, "<line x1=\"%.3f\" y1=\"%.3f\" x2=\"%.3f\" y2=\"%.3f\"/>\n", px(x0),
                py(y0), px(x1), py(y1));
  s += buf;
}

void edge_lines(std::string& s, const std::vector<std::array<int, 2>>& edges) {
  for (const auto& e : edges)
    line(s, plane_table[e[0]].x, plane_table[e[0]].y, plane_table[e[1]].x, plane_table[e[1]].y);
}

void piece_lines(std::string& s, const std::vector<std::array<double, 4>>& pieces) {
  for (const auto& v : pieces) line(s, v[0], v[1], v[2], v[3]);
}

}  // namespace

lab_picture collect_lab_picture(const lab_view_layers& layers) {
  lab_picture p;
  // zelmor's layers: the records exist only for more than 4 points.
  if (point_count > 4) {
    const picture r = collect_picture(true);
    for (int i = 0; i < point_count; ++i) p.hidden[i] = r.hidden[i];
    if (layers.delaunay) p.edges = r.edges;
    if (layers.voronoi) p.voronoi = r.voronoi;
  }
  // The flat sets the engine shows nothing for, drawn exactly; with weights
  // the diagram is the power diagram, which the flat diagram is not.
  if (!lab_weighted()) {
    const flat_diagram g = compute_flat_diagram(plane_table, point_count);
    if (flat_diagram_drawn(g, point_count)) {
      if (layers.delaunay) p.edges.insert(p.edges.end(), g.edges.begin(), g.edges.end());
      if (layers.voronoi) {
        p.voronoi.insert(p.voronoi.end(), g.voronoi.begin(), g.voronoi.end());
        if (g.kind == flat_kind::circle) {
          p.has_centre = true;
          p.centre[0] = g.centre[0];
          p.centre[1] = g.centre[1];
        }
      }
    }
  }
  if (layers.furthest && point_count > 4) {
    const furthest_site f = compute_furthest_site();
    p.furthest_edges = f.edges;
    p.furthest_voronoi = f.voronoi;
  }
  return p;
}

void lab_picture_position(const lab_view_layers& layers, double x, double y, double out[2]) {
  set_transform(layers);
  out[0] = px(x);
  out[1] = py(y);
}

std::string lab_picture_svg(const lab_picture& p, const lab_view_layers& layers) {
  set_transform(layers);
  char buf[400];
  std::snprintf(buf, sizeof buf,
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" "
                "viewBox=\"0 0 %d %d\">\n"
                "<rect x=\"0\" y=\"0\" width=\"%d\" height=\"%d\" fill=\"white\"/>\n",
                layers.pixels, layers.pixels, kSize, kSize, kSize, kSize);
  std::string s = buf;

  if (layers.grid) {
    // The view's grid: lines every third of a unit, and the two axes.
    s += "<g class=\"grid\" stroke=\"";
    s += kGrid;
    s += "\" stroke-opacity=\"0.3\" stroke-width=\"0.5\">\n";
    for (int k = -9; k <= 9; ++k) {
      line(s, k / 3.0, -3.0, k / 3.0, 3.0);
      line(s, -3.0, k / 3.0, 3.0, k / 3.0);
    }
    s += "</g>\n<g class=\"axes\" stroke=\"rgb(20%,20%,20%)\" stroke-opacity=\"0.4\">\n";
    line(s, -3.0, 0.0, 3.0, 0.0);
    line(s, 0.0, -3.0, 0.0, 3.0);
    s += "</g>\n";
  }

  s += std::string("<g class=\"delaunay\" stroke=\"") + kDelaunay + "\" stroke-width=\"2\">\n";
  edge_lines(s, p.edges);
  s += std::string("</g>\n<g class=\"voronoi\" stroke=\"") + kVoronoi + "\" stroke-width=\"2\">\n";
  piece_lines(s, p.voronoi);
  if (p.has_centre) {
    std::snprintf(buf, sizeof buf, "<circle cx=\"%.3f\" cy=\"%.3f\" r=\"4\" fill=\"%s\" stroke=\"none\"/>\n",
                  px(p.centre[0]), py(p.centre[1]), kVoronoi);
    s += buf;
  }
  s += "</g>\n";

  if (!p.furthest_edges.empty() || !p.furthest_voronoi.empty()) {
    s += std::string("<g class=\"furthest\" stroke=\"") + kFurthest +
         "\" stroke-width=\"2\" stroke-dasharray=\"4 4\">\n";
    edge_lines(s, p.furthest_edges);
    s += std::string("</g>\n<g class=\"furthest-voronoi\" stroke=\"") + kFurthestVoronoi +
         "\" stroke-width=\"2\">\n";
    piece_lines(s, p.furthest_voronoi);
    s += "</g>\n";
  }

  if (!p.pins.empty()) {
    // The held circles' colours, as the view has them.
    static const int kPin[LAB_PINNED_MAX][3] = {{0, 60, 60},  {10, 55, 10}, {50, 20, 80}, {60, 35, 10},
                                                {95, 30, 60}, {50, 50, 0},  {30, 40, 50}, {60, 0, 20}};
    s += "<g class=\"held-circles\" stroke-width=\"2\">\n";
    for (const lab_pinned_circle& h : p.pins) {
      if (h.corner[2] >= point_count || h.colour < 0 || h.colour >= LAB_PINNED_MAX) continue;
      const int* c = kPin[h.colour];
      char colour[40];
      std::snprintf(colour, sizeof colour, "rgb(%d%%,%d%%,%d%%)", c[0], c[1], c[2]);
      double centre[2], r;
      const bool real = lab_circle_of(h.corner, centre, &r) > 0;
      const point_rec* P = plane_table;
      std::snprintf(buf, sizeof buf,
                    "<polygon points=\"%.3f,%.3f %.3f,%.3f %.3f,%.3f\" fill=\"%s\" fill-opacity=\"0.18\" stroke=\"none\"/>\n",
                    px(P[h.corner[0]].x), py(P[h.corner[0]].y), px(P[h.corner[1]].x), py(P[h.corner[1]].y),
                    px(P[h.corner[2]].x), py(P[h.corner[2]].y), colour);
      s += buf;
      if (!real) continue;  // an imaginary radius: the tint alone
      std::snprintf(buf, sizeof buf, "<circle cx=\"%.3f\" cy=\"%.3f\" r=\"%.3f\" fill=\"none\" stroke=\"%s\"%s/>\n",
                    px(centre[0]), py(centre[1]), unit_px * r, colour,
                    h.furthest ? " stroke-dasharray=\"4 4\"" : "");
      s += buf;
      std::snprintf(buf, sizeof buf, "<circle cx=\"%.3f\" cy=\"%.3f\" r=\"%.3f\" fill=\"%s\" stroke=\"none\"/>\n",
                    px(centre[0]), py(centre[1]), unit_px * 0.04, colour);
      s += buf;
    }
    s += "</g>\n";
  }

  if (p.has_counter) {
    const lab_counter_example& ce = p.counter;
    const point_rec* P = plane_table;
    const bool ok = ce.a >= 0 && ce.b >= 0 && ce.c >= 0 && ce.d >= 0 && ce.offending >= 0 &&
                    std::max({ce.a, ce.b, ce.c, ce.d, ce.offending, ce.shown[0], ce.shown[1], ce.shown[2]}) <
                        point_count;
    if (ok) {
      constexpr const char* kCounter = "rgb(80%,0%,50%)";
      s += "<g class=\"counter-example\" fill=\"none\">\n";
      // The Delaunay edge flipped away: the blue painted over, then dashed grey.
      std::snprintf(buf, sizeof buf,
                    "<line x1=\"%.3f\" y1=\"%.3f\" x2=\"%.3f\" y2=\"%.3f\" stroke=\"white\" stroke-width=\"4\"/>\n"
                    "<line x1=\"%.3f\" y1=\"%.3f\" x2=\"%.3f\" y2=\"%.3f\" stroke=\"rgb(55%%,55%%,55%%)\" "
                    "stroke-width=\"1.5\" stroke-dasharray=\"2 2\"/>\n",
                    px(P[ce.a].x), py(P[ce.a].y), px(P[ce.b].x), py(P[ce.b].y), px(P[ce.a].x), py(P[ce.a].y),
                    px(P[ce.b].x), py(P[ce.b].y));
      s += buf;
      std::snprintf(buf, sizeof buf,
                    "<line x1=\"%.3f\" y1=\"%.3f\" x2=\"%.3f\" y2=\"%.3f\" stroke=\"%s\" stroke-width=\"3\"/>\n",
                    px(P[ce.c].x), py(P[ce.c].y), px(P[ce.d].x), py(P[ce.d].y), kCounter);
      s += buf;
      triangle_circle(s, ce.shown, {ce.offending}, kCounter);
      s += "</g>\n";
    }
  }

  if (p.has_picked) {
    const lab_picked_triangle& t = p.picked;
    bool ok = t.corner[0] >= 0 && t.corner[2] < point_count;
    for (int k : t.below) ok = ok && k >= 0 && k < point_count;
    if (ok) {
      s += "<g class=\"picked-triangle\" fill=\"none\">\n";
      triangle_circle(s, t.corner, t.below, "rgb(80%,0%,50%)");
      s += "</g>\n";
    }
  }

  if (p.angles && point_count > 2 && !lab_weighted()) {
    // The smallest angle as a wedge with its size, and after the flip.
    const std::vector<lab_triangle> tris = lab_shown_triangles(false);
    struct shown_angle {
      lab_angle a;
      const char* colour;
      double opacity;
      const char* label;
    };
    std::vector<shown_angle> angles;
    const lab_angle now = lab_smallest_angle(tris);
    if (now.at >= 0) angles.push_back({now, "rgb(95%,70%,0%)", 0.85, "smallest "});
    if (p.has_counter) {
      const lab_angle after = lab_smallest_angle(lab_flipped(tris, p.counter));
      if (after.at >= 0) angles.push_back({after, "rgb(80%,0%,50%)", 1.0, "after the flip "});
    }
    s += "<g class=\"angles\">\n";
    for (const shown_angle& w : angles) {
      const point_rec* P = plane_table;
      const lab_angle& a = w.a;
      const double a0 = std::atan2(P[a.from].y - P[a.at].y, P[a.from].x - P[a.at].x);
      double sweep = std::atan2(P[a.to].y - P[a.at].y, P[a.to].x - P[a.at].x) - a0;
      while (sweep > M_PI) sweep -= 2 * M_PI;
      while (sweep < -M_PI) sweep += 2 * M_PI;
      std::string pts;
      std::snprintf(buf, sizeof buf, "%.3f,%.3f", px(P[a.at].x), py(P[a.at].y));
      pts = buf;
      for (int k = 0; k <= 24; ++k) {
        const double t = a0 + sweep * k / 24.0;
        std::snprintf(buf, sizeof buf, " %.3f,%.3f", px(P[a.at].x + 0.35 * std::cos(t)),
                      py(P[a.at].y + 0.35 * std::sin(t)));
        pts += buf;
      }
      s += "<polygon points=\"" + pts + "\" fill=\"" + w.colour + "\" fill-opacity=\"" +
           std::to_string(w.opacity).substr(0, 4) + "\" stroke=\"none\"/>\n";
      const double mid = a0 + sweep / 2;
      const double tx = std::clamp(P[a.at].x + 0.45 * std::cos(mid), -2.95, 2.0);
      const double ty = std::clamp(P[a.at].y + 0.45 * std::sin(mid), -2.9, 2.85);
      std::snprintf(buf, sizeof buf,
                    "<text x=\"%.1f\" y=\"%.1f\" fill=\"black\" font-family=\"sans-serif\" "
                    "font-size=\"12\">%s%.1f deg</text>\n",
                    px(tx), py(ty), w.label, a.degrees);
      s += buf;
    }
    s += "</g>\n";
  }

  if (p.has_circle) {
    // As the view draws it: the triangle filled at a quarter, the circle and
    // its centre over it.
    s += std::string("<g class=\"empty-circle\" stroke=\"") + kCircle + "\" fill=\"" + kCircle + "\">\n";
    std::snprintf(buf, sizeof buf,
                  "<polygon points=\"%.3f,%.3f %.3f,%.3f %.3f,%.3f\" fill-opacity=\"0.25\" stroke=\"none\"/>\n",
                  px(p.circle_corners[0][0]), py(p.circle_corners[0][1]), px(p.circle_corners[1][0]),
                  py(p.circle_corners[1][1]), px(p.circle_corners[2][0]), py(p.circle_corners[2][1]));
    s += buf;
    std::snprintf(buf, sizeof buf,
                  "<circle cx=\"%.3f\" cy=\"%.3f\" r=\"%.3f\" fill=\"none\" stroke-width=\"2\"/>\n"
                  "<circle cx=\"%.3f\" cy=\"%.3f\" r=\"%.3f\" stroke=\"none\"/>\n",
                  px(p.circle_centre[0]), py(p.circle_centre[1]), unit_px * p.circle_radius,
                  px(p.circle_centre[0]), py(p.circle_centre[1]), unit_px * 0.05);
    s += buf;
    s += "</g>\n";
  }

  if (layers.weight_circles) {
    s += std::string("<g class=\"weights\" fill=\"none\" stroke=\"") + kWeightCircle + "\">\n";
    for (int i = 0; i < point_count; ++i) {
      if (!(lab_point_weight[i] > 0.0)) continue;
      std::snprintf(buf, sizeof buf, "<circle cx=\"%.3f\" cy=\"%.3f\" r=\"%.3f\"/>\n", px(plane_table[i].x),
                    py(plane_table[i].y), unit_px * std::sqrt(lab_point_weight[i]));
      s += buf;
    }
    s += "</g>\n";
  }

  // The points over every line, as the view's depth test keeps them; a
  // hidden point is a ring in its colour around a white middle.
  s += "<g class=\"points\">\n";
  for (int i = 0; i < point_count; ++i) {
    const char* colour = i == layers.selected ? kSelected : kPoint;
    if (p.hidden[i]) {
      std::snprintf(buf, sizeof buf,
                    "<circle class=\"hidden\" cx=\"%.3f\" cy=\"%.3f\" r=\"3.5\" fill=\"white\" "
                    "stroke=\"%s\" stroke-width=\"2\"/>\n",
                    px(plane_table[i].x), py(plane_table[i].y), colour);
    } else {
      std::snprintf(buf, sizeof buf, "<circle cx=\"%.3f\" cy=\"%.3f\" r=\"4\" fill=\"%s\"/>\n",
                    px(plane_table[i].x), py(plane_table[i].y), colour);
    }
    s += buf;
  }
  s += "</g>\n";

  if (layers.labels) {
    s += std::string("<g class=\"labels\" fill=\"") + kLabel +
         "\" font-family=\"monospace\" font-size=\"13\">\n";
    for (int i = 0; i < point_count; ++i) {
      char text[12];
      const int chars = std::snprintf(text, sizeof text, "%d", i);
      // Placed as the view places labels (up and right of the point, kept
      // inside), in pixels with y up.
      double x, y;
      keep_label_inside(px(plane_table[i].x), kSize - py(plane_table[i].y), chars, kSize, kSize, 0, &x,
                        &y);
      std::snprintf(buf, sizeof buf, "<text x=\"%.0f\" y=\"%.0f\">%s</text>\n", std::floor(x),
                    kSize - std::floor(y), text);
      s += buf;
    }
    s += "</g>\n";
  }

  if (layers.snap_cross) {
    // As the view draws it, in pixels whatever the zoom: arms of 8, the
    // coordinates 10 right of and above the cross (left of and below it
    // near the view's right or top edge).
    const double cx = px(layers.cross[0]), cy = py(layers.cross[1]);
    std::snprintf(buf, sizeof buf,
                  "<g class=\"snap\" stroke=\"black\" stroke-width=\"1.5\">\n"
                  "<line x1=\"%.3f\" y1=\"%.3f\" x2=\"%.3f\" y2=\"%.3f\"/>\n"
                  "<line x1=\"%.3f\" y1=\"%.3f\" x2=\"%.3f\" y2=\"%.3f\"/>\n",
                  cx - 8, cy, cx + 8, cy, cx, cy - 8, cx, cy + 8);
    s += buf;
    const double tx = cx < kSize - 100 ? cx + 10 : cx - 100;
    const double ty = cy > 30 ? cy - 10 : cy + 20;
    std::snprintf(buf, sizeof buf,
                  "<text x=\"%.1f\" y=\"%.1f\" fill=\"black\" stroke=\"none\" font-family=\"sans-serif\" "
                  "font-size=\"12\">(%.2f, %.2f)</text>\n</g>\n",
                  tx, ty, layers.cross[0], layers.cross[1]);
    s += buf;
  }

  std::snprintf(buf, sizeof buf,
                "<rect x=\"0\" y=\"0\" width=\"%d\" height=\"%d\" fill=\"none\" stroke=\"black\"/>\n"
                "</svg>\n",
                kSize, kSize);
  s += buf;
  return s;
}

namespace {

void triangles_filled(std::string& s, const std::vector<tri_index>& tris) {
  char buf[200];
  for (const tri_index& t : tris) {
    std::snprintf(buf, sizeof buf, "<polygon points=\"%.3f,%.3f %.3f,%.3f %.3f,%.3f\"/>\n",
                  px(plane_table[t[0]].x), py(plane_table[t[0]].y), px(plane_table[t[1]].x),
                  py(plane_table[t[1]].y), px(plane_table[t[2]].x), py(plane_table[t[2]].y));
    s += buf;
  }
}

}  // namespace

std::string construction_picture_svg(const construction_picture& pic, const lab_view_layers& layers) {
  // The stage's colours, as the view's GL drawers have them.
  constexpr const char* kLit = "rgb(100%,80%,0%)";
  constexpr const char* kFresh = "rgb(20%,80%,30%)";
  constexpr const char* kRim = "rgb(55%,0%,75%)";
  constexpr const char* kHoldCircle = "rgb(90%,30%,0%)";
  constexpr const char* kOld = "rgb(85%,0%,0%)";
  constexpr const char* kLater = "rgb(72%,72%,72%)";
  lab_view_layers plain = layers;
  plain.delaunay = plain.voronoi = plain.furthest = plain.weight_circles = plain.labels = false;
  // The frame and the grid of the usual picture, with no layer of its own.
  std::string s = lab_picture_svg(lab_picture{}, plain);
  const std::size_t end = s.rfind("<rect");
  std::string tail = s.substr(end);
  s.erase(end);
  // Its points go too: the stage draws them itself, those still to come in
  // grey, which a dark dot under each would hide.
  const std::size_t dots = s.find("<g class=\"points\">");
  if (dots != std::string::npos) s.erase(dots, s.find("</g>\n", dots) + 5 - dots);
  // The empty picture's own (empty) groups stay: they draw nothing.
  if (pic.valid) {
    s += std::string("<g class=\"lit\" fill=\"") + kLit + "\" stroke=\"none\">\n";
    triangles_filled(s, pic.lit);
    s += std::string("</g>\n<g class=\"fresh\" fill=\"") + kFresh + "\" stroke=\"none\">\n";
    triangles_filled(s, pic.fresh);
    s += std::string("</g>\n<g class=\"triangulation\" stroke=\"") + kDelaunay + "\" stroke-width=\"2\">\n";
    for (const tri_index& t : pic.triangles)
      for (int e = 0; e < 3; ++e)
        line(s, plane_table[t[e]].x, plane_table[t[e]].y, plane_table[t[(e + 1) % 3]].x,
             plane_table[t[(e + 1) % 3]].y);
    s += "</g>\n";
    if (pic.flip) {
      s += std::string("<g class=\"old-edge\" stroke=\"") + kOld + "\" stroke-width=\"3\" stroke-dasharray=\"4 4\">\n";
      edge_lines(s, {{pic.flip_abcd[0], pic.flip_abcd[1]}});
      s += "</g>\n";
    }
    s += std::string("<g class=\"rim\" stroke=\"") + kRim + "\" stroke-width=\"4\">\n";
    edge_lines(s, pic.rim);
    s += std::string("</g>\n<g class=\"circles\" fill=\"none\" stroke=\"") + kHoldCircle + "\" stroke-width=\"2\">\n";
    char buf[200];
    for (const construction_circle& c : pic.circles) {
      std::snprintf(buf, sizeof buf, "<circle cx=\"%.3f\" cy=\"%.3f\" r=\"%.3f\"/>\n", px(c.centre[0]),
                    py(c.centre[1]), unit_px * c.radius);
      s += buf;
    }
    s += "</g>\n<g class=\"points\">\n";
    std::vector<char> in(static_cast<std::size_t>(point_count), 0);
    for (int i : pic.inserted) in[static_cast<std::size_t>(i)] = 1;
    for (int i = 0; i < point_count; ++i) {
      const char* colour = !in[static_cast<std::size_t>(i)] ? kLater : i == pic.point ? kOld : kPoint;
      const double r = !in[static_cast<std::size_t>(i)] ? 2.8 : i == pic.point ? 6.0 : 4.0;
      std::snprintf(buf, sizeof buf, "<circle cx=\"%.3f\" cy=\"%.3f\" r=\"%.1f\" fill=\"%s\"/>\n",
                    px(plane_table[i].x), py(plane_table[i].y), r, colour);
      s += buf;
    }
    s += "</g>\n";
    if (layers.labels) {
      s += std::string("<g class=\"labels\" fill=\"") + kLabel + "\" font-family=\"monospace\" font-size=\"13\">\n";
      for (int i : pic.inserted) {
        // As the view writes them: 0.07 plane units up and right of the point.
        std::snprintf(buf, sizeof buf, "<text x=\"%.0f\" y=\"%.0f\">%d</text>\n", px(plane_table[i].x + 0.07),
                      py(plane_table[i].y + 0.07), i);
        s += buf;
      }
      s += "</g>\n";
    }
  }
  return s + tail;
}
