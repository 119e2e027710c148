// The current Delaunay triangulation and Voronoi diagram as sorted lists,
// and the top view drawn from them as SVG: the batch tool's output and
// --svg, and the web page's "Download SVG".
#include "app/picture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

int index_of(const point_rec* p) { return static_cast<int>(p - point_table); }

}  // namespace

picture collect_picture(bool weighted) {
  picture r;
  r.weighted = weighted;
  if (weighted) find_hidden_points(r.hidden);
  for (rec_node* n = tri_list->head; n != nullptr; n = n->next) {
    const auto* t = static_cast<const dtri*>(n->data);
    if (!is_delaunay_triangle(t)) continue;
    std::array<int, 3> tri = {index_of(t->v[0]), index_of(t->v[1]), index_of(t->v[2])};
    std::sort(tri.begin(), tri.end());
    r.triangles.push_back(tri);
  }
  std::sort(r.triangles.begin(), r.triangles.end());
  std::vector<std::pair<std::array<int, 2>, const dedge*>> edges;
  for (rec_node* n = edge_list->head; n != nullptr; n = n->next) {
    const auto* e = static_cast<const dedge*>(n->data);
    const int i = index_of(e->a), j = index_of(e->b);
    edges.push_back({{std::min(i, j), std::max(i, j)}, e});
  }
  std::sort(edges.begin(), edges.end(),
            [](const auto& x, const auto& y) { return x.first < y.first; });
  for (const auto& [ij, e] : edges) {
    r.edges.push_back(ij);
    double seg[4];
    if (!voronoi_edge(e, seg)) continue;
    // A segment between two circumcentres has no direction of its own: its
    // ends are printed in ascending order, whichever triangle the hull walk
    // met first.  A ray runs from its circumcentre.
    const bool segment = is_delaunay_triangle(e->t0) && is_delaunay_triangle(e->t1);
    if (segment && (seg[2] < seg[0] || (seg[2] == seg[0] && seg[3] < seg[1]))) {
      std::swap(seg[0], seg[2]);
      std::swap(seg[1], seg[3]);
    }
    // A lift that lies exactly on a lower hull edge splits each face beside
    // it into coplanar triangles with one centre: two Delaunay edges then
    // stand for one and the same Voronoi edge, which is listed once.
    const std::array<double, 4> v = {seg[0], seg[1], seg[2], seg[3]};
    if (std::find(r.voronoi.begin(), r.voronoi.end(), v) == r.voronoi.end()) r.voronoi.push_back(v);
  }
  return r;
}

// The top view: the square [-3, 3]^2 at 100 pixels a unit, y up.
std::string picture_svg(const picture& r) {
  auto px = [](double x) { return (x + 3.0) * 100.0; };
  auto py = [](double y) { return (3.0 - y) * 100.0; };
  std::string s =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"600\" height=\"600\" "
      "viewBox=\"0 0 600 600\">\n"
      "<rect x=\"0\" y=\"0\" width=\"600\" height=\"600\" fill=\"white\"/>\n";
  char buf[400];
  s += "<g class=\"delaunay\" stroke=\"rgb(0%,30%,100%)\" stroke-width=\"2\">\n";
  for (const auto& e : r.edges) {
    const point_rec& a = point_table[e[0]];
    const point_rec& b = point_table[e[1]];
    std::snprintf(buf, sizeof buf, "<line x1=\"%.3f\" y1=\"%.3f\" x2=\"%.3f\" y2=\"%.3f\"/>\n",
                  px(a.x), py(a.y), px(b.x), py(b.y));
    s += buf;
  }
  s += "</g>\n<g class=\"voronoi\" stroke=\"rgb(100%,0%,0%)\" stroke-width=\"2\">\n";
  for (const auto& v : r.voronoi) {
    std::snprintf(buf, sizeof buf, "<line x1=\"%.3f\" y1=\"%.3f\" x2=\"%.3f\" y2=\"%.3f\"/>\n",
                  px(v[0]), py(v[1]), px(v[2]), py(v[3]));
    s += buf;
  }
  s += "</g>\n";
  if (r.weighted) {
    // Each weighted point's circle of radius sqrt(w): the power diagram's
    // edges are where two such circles' powers are equal.
    s += "<g class=\"weights\" fill=\"none\" stroke=\"rgb(40%,40%,40%)\" stroke-dasharray=\"4 3\">\n";
    for (int i = 0; i < point_count; ++i) {
      const double w = static_cast<double>(weight_units(i)) * 1e-4;
      if (w <= 0.0) continue;
      std::snprintf(buf, sizeof buf, "<circle cx=\"%.3f\" cy=\"%.3f\" r=\"%.3f\"/>\n", px(point_table[i].x),
                    py(point_table[i].y), 100.0 * std::sqrt(w));
      s += buf;
    }
    s += "</g>\n";
  }
  s += "<g class=\"points\" fill=\"black\" font-family=\"monospace\" font-size=\"13\">\n";
  for (int i = 0; i < point_count; ++i) {
    const point_rec& p = point_table[i];
    // A hidden point is drawn hollow: it has no cell.
    std::snprintf(buf, sizeof buf,
                  "<circle cx=\"%.3f\" cy=\"%.3f\" r=\"3\"%s/>"
                  "<text x=\"%.3f\" y=\"%.3f\">%d</text>\n",
                  px(p.x), py(p.y), r.hidden[i] ? " class=\"hidden\" fill=\"white\" stroke=\"black\"" : "",
                  px(p.x + 0.07), py(p.y + 0.07), i);
    s += buf;
  }
  s += "</g>\n"
       "<rect x=\"0\" y=\"0\" width=\"600\" height=\"600\" fill=\"none\" stroke=\"black\"/>\n"
       "</svg>\n";
  return s;
}
