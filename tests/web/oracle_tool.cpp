// The exact Delaunay oracle of the tests as a command, for the browser
// tests (Python) to check the page's exchange file, pictures and pixels with.
//
//   web_oracle FILE
//   web_oracle --flat FILE
//   web_oracle --weights FILE
//
// Reads a point-exchange file ("x y z" lines, or a saved points file: "%"
// lines skipped), rounds x and y to whole hundredths as the program does,
// and prints "flat" or, for every edge in every Delaunay triangulation,
// "edge I J" and, when the 2D view draws its Voronoi edge,
// "voronoi X0 Y0 X1 Y1" (plane units).  With --flat a flat set (all points
// on one line or one circle, or fewer than 5) is not "flat" but its exact
// diagram as the lab draws it: "edge I J" for every pair some empty circle
// passes through, and its drawn Voronoi piece.  With --weights the lines are
// "x y w" (w rounded to 0.0001): "hidden I" for every point whose lift lies
// above the lower hull, "edge I J" for every edge of every regular
// triangulation.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/lab/flat_check.h"
#include "tests/support/delaunay_oracle.h"
#include "tests/support/regular_oracle.h"

namespace {

int weighted(const std::vector<regular_oracle::wpoint>& pts) {
  const regular_oracle::oracle o(pts);
  for (int i = 0; i < o.size(); ++i)
    if (o.hidden(i)) std::printf("hidden %d\n", i);
  for (int i = 0; i < o.size(); ++i)
    for (int j = i + 1; j < o.size(); ++j)
      if (o.strong_edge(i, j)) std::printf("edge %d %d\n", i, j);
  return 0;
}

int flat(const delaunay_oracle::oracle& o) {
  for (const auto& e : strong_pairs(o)) {
    std::printf("edge %d %d\n", e[0], e[1]);
    double seg[4];
    if (drawn_piece(o, e[0], e[1], seg))
      std::printf("voronoi %.9f %.9f %.9f %.9f\n", seg[0], seg[1], seg[2], seg[3]);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const bool flat_diagram = argc == 3 && std::strcmp(argv[1], "--flat") == 0;
  const bool weights = argc == 3 && std::strcmp(argv[1], "--weights") == 0;
  if (argc != 2 && !flat_diagram && !weights) {
    std::fprintf(stderr, "usage: web_oracle [--flat | --weights] FILE\n");
    return 2;
  }
  const char* path = argv[argc - 1];
  std::ifstream in(path);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path);
    return 2;
  }
  std::vector<delaunay_oracle::ipoint> pts;
  std::vector<regular_oracle::wpoint> wpts;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '%') continue;
    std::istringstream words(line);
    double x = 0, y = 0, w = 0;
    if (!(words >> x >> y) || (weights && !(words >> w))) {
      std::fprintf(stderr, "bad line: %s\n", line.c_str());
      return 2;
    }
    pts.push_back({static_cast<long long>(std::floor(100.0 * x + 0.5)),
                   static_cast<long long>(std::floor(100.0 * y + 0.5))});
    wpts.push_back({pts.back().x, pts.back().y, static_cast<long long>(std::floor(1e4 * w + 0.5))});
  }
  if (weights) return weighted(wpts);
  const delaunay_oracle::oracle o(pts);
  if (flat_diagram && (o.flat() || o.distinct().size() < 5)) return flat(o);
  if (o.flat()) {
    std::printf("flat\n");
    return 0;
  }
  for (const auto& [i, j] : o.strong_edges()) {
    std::printf("edge %d %d\n", i, j);
    double seg[4];
    if (o.drawn(i, j, seg)) std::printf("voronoi %.9f %.9f %.9f %.9f\n", seg[0], seg[1], seg[2], seg[3]);
  }
  return 0;
}
