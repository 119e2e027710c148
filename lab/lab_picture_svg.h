// lab/lab_picture_svg.h — the lab's 2D view as an SVG picture: what the
// view shows, layer for layer (the page's "Download SVG" on the lab's page).
// GL-free (zelmor_lab_logic): it reads the point tables, the records of the
// last recomputation and the lab's weights, and draws nothing itself.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/app.h"
#include "lab/circles_logic.h"

// The switches of the 2D view that decide what it shows.
struct lab_view_layers {
  bool delaunay = true;        // "Show Delaunay Edges"
  bool voronoi = true;         // "Show Voronoi Regions"
  bool grid = false;           // "Show Grid" (the grid and the axes)
  bool labels = true;          // n
  bool furthest = false;       // F
  bool weight_circles = true;  // w
  int selected = -1;           // the selected point, drawn magenta; -1 for none
  // The picture's size in pixels (the square's side): 600 by default; the
  // lab's export gives the 2D view's own size, times a factor for print.
  // The drawing is the same at every size (one viewBox).
  int pixels = 600;
  // The part of the square the view shows: zoom times as large about
  // centre (1 and (0, 0): the whole square).  Lines, points and labels keep
  // their size, as in the view.
  double zoom = 1.0;
  double centre[2] = {0.0, 0.0};
  // The snap's cross where the pointer snaps to, with its coordinates.
  bool snap_cross = false;
  double cross[2] = {0.0, 0.0};
};

// What the view draws, in plane units and point indices.
struct lab_picture {
  // Delaunay (with weights: regular) edges, i < j, and the Voronoi (power)
  // pieces as the view draws them: from the records of the last
  // recomputation, and for a flat set without weights (1 to 4 points, all
  // on one line or one circle) the exact flat diagram the lab draws.
  std::vector<std::array<int, 2>> edges;
  std::vector<std::array<double, 4>> voronoi;
  bool has_centre = false;  // the common centre of points on one circle
  double centre[2] = {0.0, 0.0};
  // The furthest-site triangulation's edges and its Voronoi diagram.
  std::vector<std::array<int, 2>> furthest_edges;
  std::vector<std::array<double, 4>> furthest_voronoi;
  // Points with no cell (their weighted lift lies above the lower hull, or
  // they coincide with an earlier point): drawn hollow.
  unsigned char hidden[MAX_POINTS] = {};
  // The empty circle while the view shows one (set by the caller, which
  // knows where the pointer is): its triangle filled, the circle, its centre.
  bool has_circle = false;
  double circle_corners[3][2] = {};
  double circle_centre[2] = {0.0, 0.0};
  double circle_radius = 0.0;
  // The circles held by a click (set by the caller): each triangle tinted,
  // its circle (dashed when a furthest-site one) and centre in its colour.
  std::vector<lab_pinned_circle> pins;
  // The counter-example while one is shown (k): the Delaunay edge flipped
  // away dashed, the triangle that is not Delaunay with its circle, the
  // point inside ringed.  And the smallest angle while a shows it (after the
  // flip too, when there is one).
  bool has_counter = false;
  lab_counter_example counter;
  // A triangle picked by hand (K): filled, its circle (none when
  // imaginary), the points below its plane ringed.
  bool has_picked = false;
  lab_picked_triangle picked;
  bool angles = false;
};

// Collects what the view shows with these layers.  Requires the records to
// be those of the current points (recompute first when need_recompute is
// set and there are more than 4 points).
lab_picture collect_lab_picture(const lab_view_layers& layers);

// The square [-3, 3]^2 (or the zoomed part of it) seen from above at 100
// pixels a unit times the zoom (600 x 600, y up), drawn as the 2D view
// draws it: the grid, the edges of each layer in
// the view's colours (the furthest-site triangulation dashed), the weight
// circles (radius sqrt(w), dashed), the points (hidden ones hollow, the
// selected one magenta) and their labels, kept inside the picture.  Every
// layer is a <g> with its class: grid, delaunay, voronoi, furthest,
// furthest-voronoi, held-circles, counter-example, picked-triangle, angles,
// empty-circle, weights, points, labels, snap.
// The picture's position of plane point (x, y) with these layers' zoom, in
// the 600 x 600 drawing (y down): what the view's transform does.
void lab_picture_position(const lab_view_layers& layers, double x, double y, double out[2]);
std::string lab_picture_svg(const lab_picture& p, const lab_view_layers& layers);

// The 2D view while "watch it grow" is on, which draws the stage instead of
// the lab's layers: the grid (when on), the triangles that hold the point in
// their circle and the new ones filled, the triangulation so far, a flip's
// old edge dashed, the hole's rim, the circles, the points (those still to
// come grey, the one going in red) and their labels (when on).  Groups:
// grid, lit, fresh, triangulation, old-edge, rim, circles, points, labels.
struct construction_picture;
std::string construction_picture_svg(const construction_picture& pic, const lab_view_layers& layers);
