// app/construction.h — the Delaunay (or regular) triangulation built one
// point at a time, as a lesson: for each insertion, the triangles it removes
// and creates, and in the flips way the split and each edge flip.  GL-free.
//
// Every decision is exact, on the rounded points the hull uses: x and y in
// whole hundredths, the weight in square hundredths, the lift
// x*x + y*y - w.  The triangulation after each step is the lower hull of the
// lifts of the points inserted so far, built by the program's own engine, so
// the last step is exactly what the views and the batch tool show.
#pragma once

#include <array>
#include <vector>

struct construction_point {
  long long x, y;  // whole hundredths
  long long w;     // weight in square hundredths (0 unweighted)
};

// The two ways of inserting a point that the construction shows.
enum class insert_way {
  hole,   // the triangles whose circle holds the point go; the fan to the hole's rim comes
  flips,  // the triangle (or the hull edges) under the point split, then illegal edges flip
};

using tri_index = std::array<int, 3>;  // point indices, ascending

struct edge_flip {
  int a, b;  // the edge that goes (a < b)
  int c, d;  // the edge that comes (c < d): triangles a b c and a b d become c d a and c d b
};

struct construction_step {
  int point = -1;                   // the index inserted
  std::vector<tri_index> removed;   // hole: every triangle that goes; flips: those the split replaces
  std::vector<tri_index> added;     // hole: every triangle that comes; flips: those of the split
  std::vector<edge_flip> flips;     // flips: in the order done
  // flips, weighted points only: what no two-for-two flip can do (a point
  // whose lift the new one buries, which must leave the triangulation).
  std::vector<tri_index> rest_removed, rest_added;
  std::vector<tri_index> after;     // the triangulation after this step, sorted
  bool hidden = false;              // the point is in no triangle after this step (with some triangles)
  bool flat = false;                // the points so far have no three-dimensional lift (line, circle)
};

// The steps of inserting pts in the given order (indices into pts).  Before
// the lifts of the points so far span three dimensions, the triangulation is
// the triangle of three points at three places, or nothing (points on one
// line, on one circle, fewer than three places); then flat is set.
std::vector<construction_step> construct(const std::vector<construction_point>& pts, const std::vector<int>& order,
                                         insert_way way);

// Step k of construct() alone, given the triangulation before it (the
// after of step k - 1; empty for k = 0): what a lesson that shows one step
// at a time needs without building every earlier step.  construct() is this
// in a loop.
construction_step construct_step(const std::vector<construction_point>& pts, const std::vector<int>& order, int k,
                                 insert_way way, const std::vector<tri_index>& before);

// The lower faces of the lifted hull of pts[order[0..count-1]], as sorted
// point indices, sorted.  When those lifts do not span three dimensions
// (flat set to true): the triangle of three places, or nothing.
std::vector<tri_index> lower_hull_triangles(const std::vector<construction_point>& pts, const int* order, int count,
                                           bool* flat = nullptr);

// The points of point_table as the hull sees them (point_hundredths and
// weight_units); a point beyond the coordinate limit lies at (0, 0).
std::vector<construction_point> construction_points_of_table();
