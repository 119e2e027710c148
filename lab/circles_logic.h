// lab/circles_logic.h — circles to hold, the counter-example (one Delaunay
// edge flipped away) and the smallest angle, GL-free.
//
// Every decision (in a circle or not, below a plane or not, which angle is
// smaller) is made exactly on the points as the engine sees them: whole
// hundredths, weights in square hundredths, in 128-bit integers.  Doubles
// only draw and print.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/app.h"

using lab_triangle = std::array<int, 3>;

// Point i as the engine sees it: x, y in whole hundredths, the weight in
// square hundredths (the lift is x*x + y*y - w).
struct lab_exact_point {
  long long x, y, w;
};
lab_exact_point lab_exact(int i);

// Sign of (b - a) x (c - a) on the exact points: > 0 counter-clockwise.
int lab_orient(int a, int b, int c);
// Whether d's lift lies strictly below (> 0), on (0) or above (< 0) the
// plane through the lifts of a, b, c (in any order; a, b, c not in a row).
// Unweighted, below is inside the circle through a, b, c.
int lab_lift_below(int a, int b, int c, int d);

// The triangles the 2D view shows: the lower faces of the last recomputation
// (the flat diagram's triangles when the engine found none), or with
// furthest the furthest-site triangles.  Corners ascending, sorted.
std::vector<lab_triangle> lab_shown_triangles(bool furthest);

// The triangle of tris that holds (x, y) (on its border counts), or -1.
int lab_triangle_at(const std::vector<lab_triangle>& tris, double x, double y);

// Whether any point carries a weight: the triangles are then the regular
// (weighted) triangulation's and their circles the orthogonal circles.
bool lab_weighted();

// The circle of t: the circle whose power to each corner is zero,
// |centre - p|^2 - r^2 - w_p = 0, which is the projection of the plane
// through the corners' lifts (without weights the circle through them).
// Returns the sign of r^2, decided exactly on the rounded points: > 0 a
// circle, 0 a single point, < 0 an imaginary radius (every lift of a
// weightless point lies above the plane: there is no circle to draw).
// centre and *radius (0 unless r^2 > 0) from the plane_table positions and
// the weights, for drawing; *radius2 (when not null) is r^2 in doubles.
// t's corners must not lie in a row.
int lab_circle_of(const lab_triangle& t, double centre[2], double* radius, double* radius2 = nullptr);

// ---------------------------------------------------------------------------
// Circles held by a click
// ---------------------------------------------------------------------------

inline constexpr int LAB_PINNED_MAX = 8;  // as many colours as the lab has for them

struct lab_pinned_circle {
  lab_triangle corner;  // ascending
  bool furthest;        // a furthest-site circle (holds every point)
  int colour;           // 0 .. LAB_PINNED_MAX - 1
};

// The circles held now, in the order pinned.
const std::vector<lab_pinned_circle>& lab_pinned();
void lab_pinned_set(const std::vector<lab_pinned_circle>& pins);

// A click at (x, y): pins the circle of the triangle under it (the
// furthest-site triangle with furthest), or lets go of it when it is held
// already.  Returns 1 pinned, -1 let go, 0 nothing under the click or all
// LAB_PINNED_MAX held; the status line says which.
int lab_pin_at(double x, double y, bool furthest);
// Lets go of every circle; returns how many were held.
int lab_pins_clear();
// After the point set changed: keeps the circles whose triangle is still
// shown (they follow their corners) and lets go of the others, saying so in
// the status line.  Returns how many were dropped.
int lab_pins_follow();

// ---------------------------------------------------------------------------
// The counter-example: a Delaunay edge a-b flipped to c-d
// ---------------------------------------------------------------------------

struct lab_counter_example {
  int a = -1, b = -1;  // the Delaunay edge flipped away
  int c = -1, d = -1;  // the edge in its place
  lab_triangle shown{};  // the new triangle the lesson looks at (c, d and a or b)
  int offending = -1;    // the fourth point: b or a
  int below = 0;         // lab_lift_below of offending against shown: > 0 inside / below
};

// Flips the Delaunay edge nearest (x, y) among the edges of the triangle
// under it that have a triangle on both sides.  Returns 1 and fills out;
// returns 0 with the reason in why when there is no such edge or the four
// points make no convex quadrilateral (the flip would fold the triangles).
int lab_flip_at(const std::vector<lab_triangle>& tris, double x, double y,
                lab_counter_example* out, std::string* why);
// Whether a-b is still an edge of tris between c and d; when so, refreshes
// below (points may have moved).
bool lab_counter_example_holds(const std::vector<lab_triangle>& tris, lab_counter_example* ce);
// "point 4 lies inside this circle: below this plane (2-3 flipped to 1-4)";
// with weights "point 4's power to this circle is negative: below this
// plane (...)", and a word when the circle's radius is imaginary.
std::string lab_counter_example_text(const lab_counter_example& ce);
// tris with the flip made: the two triangles on a-b replaced by those on c-d.
std::vector<lab_triangle> lab_flipped(const std::vector<lab_triangle>& tris,
                                      const lab_counter_example& ce);

// The counter-example shown now (GL side keeps it; GL-free here so that the
// SVG and lesson files can ask).
bool lab_counter_example_shown(lab_counter_example* ce);
void lab_counter_example_set(const lab_counter_example* ce);  // null: none

// ---------------------------------------------------------------------------
// A triangle picked by hand: any three points, their circle and the points
// it holds (a counter-example on demand)
// ---------------------------------------------------------------------------

struct lab_picked_triangle {
  lab_triangle corner{};   // ascending
  std::vector<int> below;  // lifts strictly below the corners' plane (inside / negative power)
  std::vector<int> on;     // lifts on it (on the circle / zero power), corners left out
  bool shown = false;      // a triangle of the triangulation shown now
  int circle = 1;          // lab_circle_of's sign: < 0 the circle is imaginary
};

// Looks at the triangle of points a, b, c (any order), decided exactly.
// Returns 1 and fills out; 0 with the reason in why when two of them are
// one point or the three lie in a row.  tris: the triangles shown.
int lab_pick_triangle(int a, int b, int c, const std::vector<lab_triangle>& tris,
                      lab_picked_triangle* out, std::string* why);
// "points 4, 7 lie inside the circle of 1, 2, 3: below its plane: not a
// Delaunay triangle", "the circle of 1, 2, 3 holds no point: a Delaunay
// triangle", and with weights the same in powers and regular triangles.
std::string lab_picked_text(const lab_picked_triangle& p);
// The picked triangle shown now (none: null).
bool lab_picked_shown(lab_picked_triangle* p);
void lab_picked_set(const lab_picked_triangle* p);
// After the points changed: decides again for the same three points, or
// lets go (returning false) when one of them is gone or they lie in a row.
bool lab_picked_follow(const std::vector<lab_triangle>& tris);

// ---------------------------------------------------------------------------
// The smallest angle
// ---------------------------------------------------------------------------

struct lab_angle {
  int at = -1, from = -1, to = -1;  // the angle at point at between from and to
  double degrees = 0;
};
// Why the smallest angle is not shown for weighted points (the status line).
inline constexpr const char* LAB_ANGLES_WEIGHTED =
    "no smallest angle with weights: a regular triangulation does not maximise the smallest angle "
    "(a flip may raise it), so it would teach nothing";

// -1 when angle (at, from, to) is smaller than (at2, from2, to2), 0 equal,
// 1 larger; exact.
int lab_compare_angles(const lab_angle& p, const lab_angle& q);
// The smallest angle of any triangle in tris (the first in triangle order of
// equal ones); at = -1 when tris is empty.
lab_angle lab_smallest_angle(const std::vector<lab_triangle>& tris);
// "smallest angle 21.8 deg at 3; after the flip 9.5 deg at 2 (worse)"
std::string lab_angles_text(const lab_angle& now, const lab_angle* flipped);
