// zelmor-delaunay: the program's Delaunay triangulation and Voronoi diagram
// in batch, through the very same lift, point-exchange text, site reader,
// hull engine and extraction as the windows use (linked from zelmor_core).
//
//   zelmor-delaunay [--weight W] [--svg FILE] [--degenerate] [POINTS]
//
// Input: POINTS or standard input, one point "x y" or "x y z" a line (z is
// ignored, so a saved point-exchange file reads as it is); lines starting
// with '%' and blank lines are skipped; at most MAX_POINTS points.
// Output on standard output, one record a line:
//   points N
//   triangle I J K          each Delaunay triangle, I < J < K
//   edge I J                each Delaunay edge, I < J
//   voronoi X0 Y0 X1 Y1     each Voronoi edge as the 2D view draws it
// Indices are positions in the input.  Bad input: one line on standard error,
// exit status 2, nothing on standard output or in FILE.  The point-exchange
// text goes through memory: no file but the ones named is read or written.
#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/point_text.h"
#include "app/flat_diagram.h"

namespace {

const char kUsage[] =
    "usage: zelmor-delaunay [--weight W] [--svg FILE] [POINTS]\n"
    "\n"
    "Reads points, one \"x y\" or \"x y z\" a line (z is ignored; lines starting\n"
    "with '%' and blank lines are skipped; at most 200 points) from POINTS or\n"
    "standard input, lifts them onto z = x*x + y*y + W (W defaults to 1.0) as\n"
    "ZELMOR does, rounds them to hundredths, and prints their Delaunay\n"
    "triangulation and Voronoi diagram:\n"
    "  points N\n"
    "  triangle I J K        each Delaunay triangle (input indices, ascending)\n"
    "  edge I J              each Delaunay edge, I < J\n"
    "  voronoi X0 Y0 X1 Y1   each Voronoi edge as the 2D view draws it: a segment\n"
    "                        between two circumcentres, or a ray from one to where\n"
    "                        it leaves the square [-3, 3] x [-3, 3]\n"
    "Points that coincide after rounding count once (the first of them).\n"
    "Nothing is computed unless the lifted hull is three-dimensional (at least\n"
    "4 points, not all on one line or one circle).\n"
    "\n"
    "  --weight W   the weight of the lift (-1000 to 1000)\n"
    "  --svg FILE   also draw the top view into FILE as SVG\n"
    "  --degenerate where the hull is not three-dimensional, print the exact\n"
    "               diagram all the same (as zelmor-lab draws it): bisector\n"
    "               lines for points on one line, rays from the centre for\n"
    "               points on one circle, the triangle of 3 points\n"
    "  --help       print this text\n"
    "Coordinates must lie within -10000 to 10000.  Bad input ends the program\n"
    "with status 2 and one line on standard error.\n";

[[noreturn]] void fail(const std::string& what) {
  std::fprintf(stderr, "zelmor-delaunay: %s\n", what.c_str());
  std::fflush(stderr);
  std::exit(2);
}

struct options {
  double weight = 1.0;
  const char* svg = nullptr;
  const char* points = nullptr;
  bool degenerate = false;
};

options parse_options(int argc, char** argv) {
  options o;
  bool only_files = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (!only_files && (a == "--help" || a == "-h")) {
      std::fputs(kUsage, stdout);
      std::exit(0);
    } else if (!only_files && (a == "--weight" || a.rfind("--weight=", 0) == 0)) {
      std::string value;
      if (a == "--weight") {
        if (i + 1 >= argc) fail("--weight needs a value");
        value = argv[++i];
      } else {
        value = a.substr(9);
      }
      double w = 0.0;
      if (!full_number(value, &w) || w < -1000.0 || w > 1000.0) {
        fail("--weight needs a number from -1000 to 1000, not '" + value + "'");
      }
      o.weight = w;
    } else if (!only_files && (a == "--svg" || a.rfind("--svg=", 0) == 0)) {
      if (a == "--svg") {
        if (i + 1 >= argc) fail("--svg needs a file name");
        o.svg = argv[++i];
      } else {
        o.svg = argv[i] + 6;
      }
      if (*o.svg == '\0') fail("--svg needs a file name");
    } else if (!only_files && a == "--degenerate") {
      o.degenerate = true;
    } else if (!only_files && a == "--") {
      only_files = true;
    } else if (!only_files && a.size() > 1 && a[0] == '-') {
      fail("unknown option '" + a + "' (see --help)");
    } else {
      if (o.points != nullptr) fail("more than one POINTS file given");
      o.points = argv[i];
    }
  }
  return o;
}

std::vector<text_point> read_points(const options& o) {
  const bool from_stdin = o.points == nullptr || std::strcmp(o.points, "-") == 0;
  std::vector<text_point> pts;
  std::string error;
  const bool ok = from_stdin ? read_point_stream(stdin, "standard input", &pts, &error)
                             : read_point_file(o.points, &pts, &error);
  if (!ok) fail(error);
  return pts;
}

// Runs the program's pipeline on the lifted points, the exchange text going
// through a memory stream.
void compute() {
  reset_record_lists();
  if (point_count < 4) return;  // no three-dimensional hull
  char* text = nullptr;
  std::size_t size = 0;
  FILE* out = open_memstream(&text, &size);
  if (out == nullptr) fail("out of memory");
  write_points(out);
  if (std::fclose(out) != 0) fail("out of memory");
  FILE* in = fmemopen(text, size, "r");
  if (in == nullptr) fail("out of memory");
  recompute_from(in);  // closes in
  std::free(text);
}

int index_of(const point_rec* p) { return static_cast<int>(p - point_table); }

struct results {
  std::vector<std::array<int, 3>> triangles;
  std::vector<std::array<int, 2>> edges;
  std::vector<std::array<double, 4>> voronoi;
};

results collect() {
  results r;
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
    r.voronoi.push_back({seg[0], seg[1], seg[2], seg[3]});
  }
  return r;
}

std::string text_of(const results& r) {
  std::string s = "points " + std::to_string(point_count) + "\n";
  char buf[200];
  for (const auto& t : r.triangles) {
    std::snprintf(buf, sizeof buf, "triangle %d %d %d\n", t[0], t[1], t[2]);
    s += buf;
  }
  for (const auto& e : r.edges) {
    std::snprintf(buf, sizeof buf, "edge %d %d\n", e[0], e[1]);
    s += buf;
  }
  for (const auto& v : r.voronoi) {
    std::snprintf(buf, sizeof buf, "voronoi %.17g %.17g %.17g %.17g\n", v[0], v[1], v[2], v[3]);
    s += buf;
  }
  return s;
}

// The top view: the square [-3, 3]^2 at 100 pixels a unit, y up.
std::string svg_of(const results& r) {
  auto px = [](double x) { return (x + 3.0) * 100.0; };
  auto py = [](double y) { return (3.0 - y) * 100.0; };
  std::string s =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"600\" height=\"600\" "
      "viewBox=\"0 0 600 600\">\n"
      "<defs><clipPath id=\"view\"><rect x=\"0\" y=\"0\" width=\"600\" height=\"600\"/>"
      "</clipPath></defs>\n"
      "<rect x=\"0\" y=\"0\" width=\"600\" height=\"600\" fill=\"white\"/>\n"
      "<g clip-path=\"url(#view)\">\n";
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
  s += "</g>\n<g class=\"points\" fill=\"black\" font-family=\"monospace\" font-size=\"13\">\n";
  for (int i = 0; i < point_count; ++i) {
    const point_rec& p = point_table[i];
    std::snprintf(buf, sizeof buf,
                  "<circle cx=\"%.3f\" cy=\"%.3f\" r=\"3\"/>"
                  "<text x=\"%.3f\" y=\"%.3f\">%d</text>\n",
                  px(p.x), py(p.y), px(p.x + 0.07), py(p.y + 0.07), i);
    s += buf;
  }
  s += "</g>\n</g>\n"
       "<rect x=\"0\" y=\"0\" width=\"600\" height=\"600\" fill=\"none\" stroke=\"black\"/>\n"
       "</svg>\n";
  return s;
}

void write_svg(const char* path, const std::string& svg) {
  FILE* f = std::fopen(path, "w");
  if (f == nullptr) fail(std::string("cannot write ") + path + ": " + std::strerror(errno));
  const bool ok = std::fwrite(svg.data(), 1, svg.size(), f) == svg.size();
  const int saved = errno;
  if (std::fclose(f) != 0 || !ok) {
    std::remove(path);
    fail(std::string("cannot write ") + path + ": " + std::strerror(ok ? errno : saved));
  }
}

}  // namespace

int main(int argc, char** argv) {
  const options o = parse_options(argc, argv);
  const std::vector<text_point> pts = read_points(o);

  weight = static_cast<float>(o.weight);
  point_count = 0;
  for (const text_point& p : pts) add_point(point_rec{p.x, p.y, 0.0, 1.0});
  compute();
  results r = collect();
  if (o.degenerate && r.triangles.empty() && r.edges.empty()) {
    // The engine had no three-dimensional hull: the exact diagram of the
    // flat set (nothing changes for a set the engine covers).
    const flat_diagram g = compute_flat_diagram(point_table, point_count);
    r.triangles = g.triangles;
    r.edges = g.edges;
    r.voronoi = g.voronoi;
  }

  if (o.svg != nullptr) write_svg(o.svg, svg_of(r));
  const std::string text = text_of(r);
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
    fail("cannot write standard output");
  }
  return 0;
}
