// The Voronoi edge of a Delaunay edge, computed once here for both the 2D
// view (which draws it) and the batch tool (which prints it).
//
// Rule:
//   - two Delaunay triangles on the edge: the segment between their
//     circumcentres (nothing when both lie on one circle and the centres
//     coincide);
//   - one Delaunay triangle (the edge is on the outer boundary of the
//     points): a ray from its circumcentre, perpendicular to the edge and
//     pointing away from the triangle's third vertex, that is out of the
//     hull, drawn up to where it leaves the view square [-3, 3] x [-3, 3]
//     (nothing when it never meets the square);
//   - no Delaunay triangle: nothing.
// "Delaunay triangle" means a lower facet (face_normal z < 0).  Upper facets
// are not: when the outer boundary is a triangle its upper facet borders
// three Delaunay edges, yet it is no Voronoi vertex.  Directions and sides
// are taken exactly on the rounded points, like everything else.
#include <cmath>

#include "app/app.h"
#include "app/flat_diagram.h"

namespace {

constexpr double kHalf = 3.0;  // the view square is [-kHalf, kHalf]^2

bool has_cc(const dtri* t) { return t->cc[0] != CC_UNSET && t->cc[1] != CC_UNSET; }

}  // namespace

// Clips the ray s + t d, t >= 0, to the view square.  Fills end with the
// point where it leaves the square and returns 1, or returns 0 when the ray
// has no stretch of positive length inside.
int clip_ray_to_view(const double s[2], const double d[2], double end[2]) {
  double t_in = 0.0, t_out = INFINITY;
  int exit_axis = -1;
  for (int k = 0; k < 2; ++k) {
    if (d[k] == 0.0) {
      if (s[k] < -kHalf || s[k] > kHalf) return 0;
      continue;
    }
    const double bound_out = d[k] > 0.0 ? kHalf : -kHalf;
    const double t_far = (bound_out - s[k]) / d[k];
    const double t_near = (-bound_out - s[k]) / d[k];
    if (t_near > t_in) t_in = t_near;
    if (t_far < t_out) {
      t_out = t_far;
      exit_axis = k;
    }
  }
  if (exit_axis < 0 || !(t_out > t_in)) return 0;
  for (int k = 0; k < 2; ++k) {
    double v = s[k] + t_out * d[k];
    if (v < -kHalf) v = -kHalf;
    if (v > kHalf) v = kHalf;
    end[k] = v;
  }
  end[exit_axis] = d[exit_axis] > 0.0 ? kHalf : -kHalf;
  return 1;
}

int voronoi_edge(const dedge* e, double seg[4]) {
  if (e == nullptr) return 0;
  const bool d0 = is_delaunay_triangle(e->t0);
  const bool d1 = is_delaunay_triangle(e->t1);
  if (d0 && d1) {
    const dtri* t0 = e->t0;
    const dtri* t1 = e->t1;
    if (!has_cc(t0) || !has_cc(t1)) return 0;
    // Centres of triangles on one circle are bit-identical (see
    // compute_circumcentre): such an edge has no Voronoi edge.
    if (t0->cc[0] == t1->cc[0] && t0->cc[1] == t1->cc[1]) return 0;
    seg[0] = t0->cc[0];
    seg[1] = t0->cc[1];
    seg[2] = t1->cc[0];
    seg[3] = t1->cc[1];
    return 1;
  }
  if (!d0 && !d1) return 0;

  const dtri* t = d0 ? e->t0 : e->t1;
  if (!has_cc(t)) return 0;
  const point_rec* third = nullptr;
  for (const point_rec* v : t->v) {
    if (v != e->a && v != e->b) third = v;
  }
  long long ax = 0, ay = 0, bx = 0, by = 0, cx = 0, cy = 0;
  if (third == nullptr || !point_hundredths(e->a, &ax, &ay) || !point_hundredths(e->b, &bx, &by) ||
      !point_hundredths(third, &cx, &cy)) {
    return 0;
  }
  // d is the edge turned by +90 degrees; d . (c - a) is the orientation of
  // (a, b, c), so flipping d when that is positive points it away from c.
  long long dx = -(by - ay), dy = bx - ax;
  const long long orient = (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
  if (orient == 0) return 0;
  if (orient > 0) {
    dx = -dx;
    dy = -dy;
  }
  const double s[2] = {t->cc[0], t->cc[1]};
  const double d[2] = {static_cast<double>(dx), static_cast<double>(dy)};
  double end[2];
  if (!clip_ray_to_view(s, d, end)) return 0;
  seg[0] = s[0];
  seg[1] = s[1];
  seg[2] = end[0];
  seg[3] = end[1];
  return 1;
}
