// zelmor-delaunay: the program's Delaunay triangulation and Voronoi diagram
// in batch, through the very same lift, point-exchange text, site reader,
// hull engine and extraction as the windows use (linked from zelmor_core).
//
//   zelmor-delaunay [--weight W] [--power] [--svg FILE] [--degenerate] [POINTS]
//
// Input: POINTS or standard input, one point "x y" or "x y z" a line (z is
// ignored, so a saved point-exchange file reads as it is); lines starting
// with '%' and blank lines are skipped; at most MAX_POINTS points.  With
// --power, or in a file that begins with the weights header, "x y w" lines:
// each point has weight w, and the triangulation is the regular one, the
// Voronoi edges those of the power diagram, and "hidden I" names each point
// that has no cell.
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

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/app.h"
#include "app/point_text.h"
#include "app/flat_diagram.h"

namespace {

const char kUsage[] =
    "usage: zelmor-delaunay [--weight W] [--power] [--svg FILE] [POINTS]\n"
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
    "With --power, or when the input begins with the comment line\n"
    "  % columns: x y weight\n"
    "every line is \"x y w\": point i has weight w_i (-1e8 to 1e8, rounded to\n"
    "0.0001) and is lifted to x*x + y*y + W - w_i.  The records are then the\n"
    "regular (weighted Delaunay) triangulation and the power diagram, whose\n"
    "edges join power centres, and one more kind is printed:\n"
    "  hidden I              a point whose lift lies above the lower hull: it has\n"
    "                        no cell and is in no triangle\n"
    "\n"
    "  --weight W   the weight of the lift (-1000 to 1000)\n"
    "  --power      read \"x y w\" lines: weighted points, power diagram\n"
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
  bool power = false;
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
    } else if (!only_files && a == "--power") {
      o.power = true;
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

// The points, and whether they came with weights (--power or the header).
std::vector<text_point> read_points(const options& o, bool* weighted) {
  const bool from_stdin = o.points == nullptr || std::strcmp(o.points, "-") == 0;
  std::vector<text_point> pts;
  std::string error;
  const point_columns columns = o.power ? point_columns::weights : point_columns::heights;
  const bool ok = from_stdin ? read_point_stream(stdin, "standard input", &pts, &error, columns, weighted)
                             : read_point_file(o.points, &pts, &error, columns, weighted);
  if (!ok) fail(error);
  return pts;
}

// The points' weights while the pipeline runs with them.
double weights[MAX_POINTS];

// Runs the program's pipeline on the lifted points, the exchange text going
// through memory as in the windows.
void compute() {
  reset_record_lists();
  if (point_count < 4) return;  // no three-dimensional hull
  update_point_text();
  FILE* in = open_point_text();
  if (in == nullptr) fail("out of memory");
  recompute_from(in);  // closes in
}

int index_of(const point_rec* p) { return static_cast<int>(p - point_table); }

struct results {
  std::vector<std::array<int, 3>> triangles;
  std::vector<std::array<int, 2>> edges;
  std::vector<std::array<double, 4>> voronoi;
  bool weighted = false;
  unsigned char hidden[MAX_POINTS] = {};
};

results collect(bool weighted) {
  results r;
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
  for (int i = 0; i < point_count; ++i) {
    if (r.hidden[i]) s += "hidden " + std::to_string(i) + "\n";
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

[[noreturn]] void cannot_write(const char* path, int error) {
  fail(std::string("cannot write ") + path + ": " + std::strerror(error));
}

// Writes all of data to fd; false (errno set) when a write fails.
bool write_all(int fd, const std::string& data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t k = write(fd, data.data() + done, data.size() - done);
    if (k < 0 && errno == EINTR) continue;
    if (k <= 0) {
      if (k == 0) errno = EIO;
      return false;
    }
    done += static_cast<std::size_t>(k);
  }
  return true;
}

// The picture goes to a new file beside the target, which then takes the
// target's name: a failed write leaves the old target as it was, and only
// that new file, made here, is ever removed.  A link is followed to the file
// it names.  Something that is not a regular file (a device, a FIFO) is
// written into as it stands and never removed.
void write_svg(const char* path, const std::string& svg) {
  struct stat st;
  const bool exists = stat(path, &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) {
    if (S_ISDIR(st.st_mode)) cannot_write(path, EISDIR);
    const int fd = open(path, O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) cannot_write(path, errno);
    const bool ok = write_all(fd, svg);
    const int saved = errno;
    if (close(fd) != 0 && ok) cannot_write(path, errno);
    if (!ok) cannot_write(path, saved);
    return;
  }
  // The file the name leads to (through any links), so that a link stays a
  // link; a name that leads nowhere yet is taken as it is.
  std::string target = path;
  if (exists) {
    char* real = realpath(path, nullptr);
    if (real != nullptr) {
      target = real;
      std::free(real);
    }
  }
  std::string temp = target + ".XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) cannot_write(path, errno);
  // mkstemp makes the file private; give it the mode the target had, or
  // that a new file gets.
  mode_t mode = st.st_mode & 07777;
  if (!exists) {
    const mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  bool ok = write_all(fd, svg) && fchmod(fd, mode) == 0;
  int saved = errno;
  if (close(fd) != 0 && ok) {
    ok = false;
    saved = errno;
  }
  if (ok && std::rename(temp.c_str(), target.c_str()) != 0) {
    ok = false;
    saved = errno;
  }
  if (!ok) {
    unlink(temp.c_str());
    cannot_write(path, saved);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const options o = parse_options(argc, argv);
  bool weighted = false;
  const std::vector<text_point> pts = read_points(o, &weighted);

  weight = static_cast<float>(o.weight);
  point_count = 0;
  for (std::size_t i = 0; i < pts.size(); ++i) weights[i] = pts[i].w;
  if (weighted) point_weights = weights;
  for (const text_point& p : pts) add_point(point_rec{p.x, p.y, 0.0, 1.0});
  compute();
  results r = collect(weighted);
  if (o.degenerate && !weighted && r.triangles.empty() && r.edges.empty()) {
    // The engine had no three-dimensional hull: the exact diagram of the
    // flat set (nothing changes for a set the engine covers).  Weighted
    // points are left alone: their diagram is another one.
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
