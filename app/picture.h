// app/picture.h — the records of the last recomputation as sorted index
// lists, and the top view as SVG.  GL-free.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/app.h"

struct picture {
  std::vector<std::array<int, 3>> triangles;   // Delaunay triangles, I < J < K, sorted
  std::vector<std::array<int, 2>> edges;       // Delaunay edges, I < J, sorted
  std::vector<std::array<double, 4>> voronoi;  // Voronoi edges as the 2D view draws them
  bool weighted = false;                       // per-point weights in force
  unsigned char hidden[MAX_POINTS] = {};       // weighted points with no cell
};

// Reads tri_list and edge_list (indices into point_table); with weighted,
// also which points the weights hide.
picture collect_picture(bool weighted = false);

// The square [-3, 3]^2 seen from above at 100 pixels a unit: the edges of r,
// the weight circles when weighted, and the points of point_table with their
// labels (hidden ones hollow).
std::string picture_svg(const picture& r);
