// The exact Delaunay oracle of the tests as a command, for the browser
// tests (Python) to check the page's exchange file and pixels with.
//
//   web_oracle FILE
//
// Reads a point-exchange file ("x y z" lines), rounds x and y to whole
// hundredths as the program does, and prints "flat" or, for every edge in
// every Delaunay triangulation, "edge I J" and, when the 2D view draws its
// Voronoi edge, "voronoi X0 Y0 X1 Y1" (plane units).
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/delaunay_oracle.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: web_oracle FILE\n");
    return 2;
  }
  std::ifstream in(argv[1]);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 2;
  }
  std::vector<delaunay_oracle::ipoint> pts;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '%') continue;
    std::istringstream words(line);
    double x = 0, y = 0;
    if (!(words >> x >> y)) {
      std::fprintf(stderr, "bad line: %s\n", line.c_str());
      return 2;
    }
    pts.push_back({static_cast<long long>(std::floor(100.0 * x + 0.5)),
                   static_cast<long long>(std::floor(100.0 * y + 0.5))});
  }
  const delaunay_oracle::oracle o(pts);
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
