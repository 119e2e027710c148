// app/flat_diagram.h — the Delaunay triangulation and Voronoi diagram of the
// point sets that the hull engine cannot show: fewer than 4 distinct points,
// all points on one line, all points on one circle (their lift spans fewer
// than three dimensions), and exactly 4 distinct points (zelmor computes
// nothing for 4 points or fewer).  Computed exactly on the whole hundredths
// in which the engine sees the points, so the pictures agree with the rest.
// GL-free: the lab draws these records, the batch tool prints them.
#pragma once

#include <array>
#include <vector>

#include "app/app.h"

enum class flat_kind {
  hull,    // 5 or more distinct points off one line and one circle: the engine's case
  empty,   // no point
  single,  // one distinct point: its region is the whole plane
  line,    // 2 or more distinct points on one line: parallel bisectors (strips)
  circle,  // 3 or more distinct points on one circle: a star of rays from its centre
  four,    // 4 distinct points in general position
};

struct flat_diagram {
  flat_kind kind = flat_kind::hull;
  int distinct = 0;  // distinct points (coinciding ones count once)
  // Point indices: of points that coincide only the first is named.
  std::vector<std::array<int, 3>> triangles;  // ascending within, sorted
  std::vector<std::array<int, 2>> edges;      // i < j, sorted
  // Voronoi edges clipped to the view square [-3, 3]^2, plane units: a
  // segment between two Voronoi vertices, a ray from its vertex (x0, y0) to
  // where it leaves the square, or a bisector line crossing the square
  // (ends ascending).  Pieces that miss the square are left out.
  std::vector<std::array<double, 4>> voronoi;
  double centre[2] = {0.0, 0.0};  // the common circle's centre (kind circle)
};

// The diagram of the first count entries of table (x and y as the engine
// rounds them); kind hull with no records when the engine's hull covers the
// set.  A coordinate the engine would refuse (beyond COORD_LIMIT) gives kind
// hull as well: nothing is drawn that the engine does not see.
flat_diagram compute_flat_diagram(const point_rec* table, int count);

// Clips the line through p with direction d to the view square; fills seg
// (ends in ascending order) and returns 1, or returns 0 when it misses.
int clip_line_to_view(const double p[2], const double d[2], double seg[4]);
// Clips the ray s + t d, t >= 0; fills end with where it leaves the square
// and returns 1, or 0 when no stretch of it lies inside (the rule the 2D
// view's Voronoi rays follow).
int clip_ray_to_view(const double s[2], const double d[2], double end[2]);
