// zelmor-delaunay: the program's Delaunay triangulation and Voronoi diagram
// in batch, through the very same lift, point-exchange text, site reader,
// hull engine and extraction as the windows use (linked from zelmor_core).
//
//   zelmor-delaunay [--weight W] [--power] [--svg FILE] [--degenerate]
//                   [--steps [--flips]] [POINTS]
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
// With --steps, the construction comes first (insert / remove / add lines,
// and flip lines with --flips; see app/construction.h).
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
#include "app/construction.h"
#include "app/picture.h"
#include "app/point_text.h"
#include "app/safe_write.h"
#include "app/flat_diagram.h"

namespace {

const char kUsage[] =
    "usage: zelmor-delaunay [--weight W] [--power] [--svg FILE] [--degenerate]\n"
    "                       [--steps [--flips]] [POINTS]\n"
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
    "Points that coincide after rounding count once (the first of them; with\n"
    "weights the heaviest, whose lift is lowest, and of equally heavy ones the\n"
    "first).\n"
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
    "               points on one circle, the triangle of 3 points (not for\n"
    "               weighted points: such a set is refused)\n"
    "  --steps      first print how the triangulation grows, point by point in\n"
    "               input order: \"insert P\", then \"remove I J K\" for each\n"
    "               triangle the point's lift sees (its circle holds P) and\n"
    "               \"add I J K\" for each triangle of the new fan\n"
    "  --flips      with --steps: the triangle under P (or the hull edges P\n"
    "               sees) split, as remove/add lines, then \"flip A B C D\" for\n"
    "               each flip in order: the edge A B gives way to C D\n"
    "  --help       print this text\n"
    "Coordinates must lie within -10000 to 10000.  Every accepted input gets\n"
    "the exact answer for the rounded points; bad input ends the program with\n"
    "status 2 and one line on standard error.\n";

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
  bool steps = false;
  bool flips = false;
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
    } else if (!only_files && a == "--steps") {
      o.steps = true;
    } else if (!only_files && a == "--flips") {
      o.flips = true;
    } else if (!only_files && a == "--") {
      only_files = true;
    } else if (!only_files && a.size() > 1 && a[0] == '-') {
      fail("unknown option '" + a + "' (see --help)");
    } else {
      if (o.points != nullptr) fail("more than one POINTS file given");
      o.points = argv[i];
    }
  }
  if (o.flips && !o.steps) fail("--flips goes with --steps");
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

// The construction, step by step, as --steps prints it.
std::string steps_text(bool flips) {
  std::vector<int> order;
  for (int i = 0; i < point_count; ++i) order.push_back(i);
  const std::vector<construction_step> steps =
      construct(construction_points_of_table(), order, flips ? insert_way::flips : insert_way::hole);
  std::string s;
  char buf[120];
  auto tris = [&](const char* word, const std::vector<tri_index>& list) {
    for (const tri_index& t : list) {
      std::snprintf(buf, sizeof buf, "%s %d %d %d\n", word, t[0], t[1], t[2]);
      s += buf;
    }
  };
  for (const construction_step& st : steps) {
    s += "insert " + std::to_string(st.point) + "\n";
    tris("remove", st.removed);
    tris("add", st.added);
    for (const edge_flip& f : st.flips) {
      std::snprintf(buf, sizeof buf, "flip %d %d %d %d\n", f.a, f.b, f.c, f.d);
      s += buf;
    }
    tris("remove", st.rest_removed);
    tris("add", st.rest_added);
  }
  return s;
}

std::string text_of(const picture& r) {
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


[[noreturn]] void cannot_write(const char* path, const char* reason) {
  fail(std::string("cannot write ") + path + ": " + reason);
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
// target's name (app/safe_write): a failed write leaves the old target as
// it was.  A link is followed to the file it names, which is made when the
// link dangles.  A pipe or a terminal (a FIFO, a character device such as
// /dev/null or /dev/stdout) is written into as it stands and never
// replaced; a directory, a block device or a socket is refused.
void write_svg(const char* path, const std::string& svg) {
  struct stat st;
  if (stat(path, &st) == 0 && (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode))) {
    const int fd = open(path, O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) cannot_write(path, std::strerror(errno));
    const bool ok = write_all(fd, svg);
    const int saved = errno;
    if (close(fd) != 0 && ok) cannot_write(path, std::strerror(errno));
    if (!ok) cannot_write(path, std::strerror(saved));
    return;
  }
  // What a run killed mid-write left beside the target.
  std::string target;
  if (write_target(path, &target) == 0) sweep_stale_temps(directory_part(target).c_str());
  const safe_write_result r = safe_replace(path, svg.data(), svg.size(), safe_write_options{});
  if (r.error != 0) cannot_write(path, r.reason);
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
  picture r = collect_picture(weighted);
  if (o.degenerate && weighted && r.triangles.empty() && r.edges.empty()) {
    // The flat diagrams are those of unweighted points; answering a flat
    // weighted set with nothing would look like an answer.
    fail("--degenerate draws no diagram for weighted points whose lifts are not three-dimensional");
  }
  if (o.degenerate && !weighted && r.triangles.empty() && r.edges.empty()) {
    // The engine had no three-dimensional hull: the exact diagram of the
    // flat set (nothing changes for a set the engine covers).
    const flat_diagram g = compute_flat_diagram(point_table, point_count);
    r.triangles = g.triangles;
    r.edges = g.edges;
    r.voronoi = g.voronoi;
  }

  if (o.svg != nullptr) write_svg(o.svg, picture_svg(r));
  const std::string text = (o.steps ? steps_text(o.flips) : std::string()) + text_of(r);
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
    fail("cannot write standard output");
  }
  return 0;
}
