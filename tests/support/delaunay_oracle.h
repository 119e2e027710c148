// An exact, brute-force reference for the Delaunay triangulation and the
// Voronoi diagram of points with integer coordinates (whole hundredths of a
// plane unit, |x|, |y| <= 10^6).  All decisions are integer determinants in
// 128 bits; nothing here shares code with the program.
//
// What a candidate triangulation must be to be accepted (check()):
//   - flat() sets (fewer than 4 distinct points, or all distinct points on
//     one line or on one circle: their lift spans fewer than 3 dimensions)
//     have no triangles and no edges;
//   - otherwise the triangles must be a triangulation of the convex hull of
//     the distinct points (each triangle of non-zero area, together covering
//     the hull exactly once, with every distinct point a vertex, collinear
//     boundary points included) in which no point lies strictly inside any
//     triangle's circumcircle, and the edges must be exactly the triangles'
//     edges.
// For points in general position this is the one Delaunay triangulation.
// Where four or more points are cocircular with an empty circle, every
// triangulation of that cell is accepted: the test is the empty-circle
// property plus being a triangulation, not one particular answer.
// Points that coincide count once, as the first of them (rep()); candidates
// must name that index.
#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace delaunay_oracle {

struct ipoint {
  long long x, y;
};

// A Voronoi edge in plane units (hundredths / 100), as a piece of the
// perpendicular bisector of its Delaunay edge: from `from` (or from infinity
// when !bounded_from) to `to` (or to infinity along `dir` when !bounded_to).
struct voronoi_piece {
  bool bounded_from = false, bounded_to = false;
  double from[2] = {0, 0}, to[2] = {0, 0};
  double dir[2] = {0, 0};  // direction from `from` towards `to`, unnormalised
};

// A piece from its ends (null for an end at infinity) and its direction.
voronoi_piece piece_of(const double* from, const double* to, double dx, double dy);

// A piece as the program's 2D view draws it: a segment between two bounded
// ends, or a ray from its bounded end up to where it leaves the view square
// [-half, half]^2.  Returns false when nothing of it is drawn (a ray that
// never meets the square).
bool clip_piece(const voronoi_piece& v, double seg[4], double half = 3.0);

class oracle {
 public:
  explicit oracle(std::vector<ipoint> pts);

  int size() const { return static_cast<int>(pts_.size()); }
  const ipoint& point(int i) const { return pts_[i]; }
  // The first index holding the same coordinates as point i.
  int rep(int i) const { return rep_[i]; }
  // Representatives, ascending.
  const std::vector<int>& distinct() const { return distinct_; }
  bool flat() const { return flat_; }

  // Edge (i, j) between two representatives: some circle through both has
  // no point strictly inside (Delaunay), or has every other point strictly
  // outside (strong: such an edge is in every Delaunay triangulation).
  bool delaunay_edge(int i, int j) const;
  bool strong_edge(int i, int j) const;
  // All strong edges (i < j), by brute force over all pairs.
  std::vector<std::pair<int, int>> strong_edges() const;

  // The Voronoi edge dual to a strong edge (i, j).
  voronoi_piece voronoi(int i, int j) const;
  // That edge as the program's 2D view draws it: a segment between two
  // bounded ends, or a ray from its bounded end up to where it leaves the
  // view square [-half, half]^2.  Returns false when nothing of it is drawn
  // (a ray that never meets the square).
  bool drawn(int i, int j, double seg[4], double half = 3.0) const;

  // "" when the candidate is accepted (see above), else what is wrong.
  std::string check(const std::vector<std::array<int, 3>>& triangles,
                    const std::vector<std::pair<int, int>>& edges) const;

  // The circumcentre of three representatives in plane units.
  std::array<double, 2> circumcentre(int i, int j, int k) const;

 private:
  struct interval;
  interval bisector_interval(int i, int j) const;

  std::vector<ipoint> pts_;
  std::vector<int> rep_;
  std::vector<int> distinct_;
  bool flat_ = true;
};

// Exact predicates, exposed for tests of their own.
// > 0 when c is to the left of a->b, < 0 to the right, 0 on the line.
long long orient(const ipoint& a, const ipoint& b, const ipoint& c);
// Sign of: d strictly inside (> 0), on (0) or outside (< 0) the circle
// through a, b, c, for a counter-clockwise a, b, c.
int incircle(const ipoint& a, const ipoint& b, const ipoint& c, const ipoint& d);

}  // namespace delaunay_oracle
