// An exact, brute-force reference for the regular (weighted Delaunay)
// triangulation and the power diagram of weighted points with integer
// coordinates: x, y in whole hundredths of a plane unit (|x|, |y| <= 10^6),
// the weight w in square hundredths (|w| <= 10^12).  Point p is lifted to
// (x, y, x*x + y*y - w); the regular triangulation is the projection of the
// lower hull of the lifts.  Everything is decided by integer determinants in
// 128 bits, straight from that definition; nothing here shares code with
// the program (nor with the empty-circle Delaunay oracle, whose Voronoi
// piece it only borrows to report results in).
//
// What a candidate must be to be accepted (check()):
//   - flat() sets (every lift in one plane) have no triangles and no edges;
//   - otherwise the triangles tile the convex hull of the points exactly once,
//     no point's lift lies strictly below the plane through any triangle's
//     lifted corners, and the edges are exactly the triangles' edges.
// Then every triangle lies in a face of the lower hull and every corner of
// the lower hull is used; a point whose lift lies strictly above the lower
// hull (hidden()) is used by no triangle.  Where lifts are coplanar (four
// points on one "power circle", or a lift exactly on a face) every
// triangulation of that face is accepted.  Identical points (same x, y and w)
// count once, as the first of them (rep()).
#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/delaunay_oracle.h"

namespace regular_oracle {

struct wpoint {
  long long x, y, w;
};

// Sign of the lift of d against the plane through the lifts of a, b, c
// (counter-clockwise in the plane): > 0 strictly below, 0 on, < 0 above.
// Unweighted, this is the in-circle test.
int below(const wpoint& a, const wpoint& b, const wpoint& c, const wpoint& d);

class oracle {
 public:
  explicit oracle(std::vector<wpoint> pts);

  int size() const { return static_cast<int>(pts_.size()); }
  int rep(int i) const { return rep_[i]; }
  bool flat() const { return flat_; }
  // The lift of point i lies strictly above the lower hull: no cell.
  bool hidden(int i) const { return hidden_[i]; }

  // "" when the candidate is accepted (see above), else what is wrong.
  std::string check(const std::vector<std::array<int, 3>>& triangles,
                    const std::vector<std::pair<int, int>>& edges) const;

  // The power diagram, as the set of points c of equal power
  // |c - p_i|^2 - w_i = |c - p_j|^2 - w_j (the radical axis of i and j)
  // where no other point has a smaller power.  For |x|, |y| <= 10^4 and
  // |w| <= 10^9 only.
  // Edge (i, j) is strong when that set has positive length: then it is an
  // edge of every regular triangulation and its dual is drawn.
  bool strong_edge(int i, int j) const;
  // That set as a piece of the radical axis (plane units), directed along
  // p_j - p_i turned by +90 degrees.
  delaunay_oracle::voronoi_piece power_edge(int i, int j) const;

 private:
  struct interval;
  interval axis_interval(int i, int j) const;

  std::vector<wpoint> pts_;
  std::vector<int> rep_;
  std::vector<int> distinct_;
  std::vector<bool> hidden_;
  bool flat_ = true;
};

}  // namespace regular_oracle
