// lab/lessons.h — the lab's lessons: camera presets, the empty circle, the
// furthest-site diagram, the flat sets, the status line, labels, presets.
//
// The arithmetic (first half) needs no display and is tested without one;
// the GL half draws it and binds the keys.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/flat_diagram.h"

// ---------------------------------------------------------------------------
// Camera of the 3D window (camera_logic.cpp)
//
// The modelview is T(window centre + offset) * S(scale) * R * T(-pivot): the
// pivot is drawn at the window centre shifted by offset, and every drag turns
// the scene about it.  R maps scene axes to screen axes (x right, y up, z
// towards the viewer) and may be a mirror (the view from below).
// ---------------------------------------------------------------------------

enum class camera_mode {
  start,  // zelmor's start-up view, following the zoom buttons
  free,   // turned by a drag; follows the zoom buttons
  below,  // straight up at the lower hull, laid exactly over the 2D view
  above,  // straight down at the upper hull, laid exactly over the 2D view
  fit,    // the shown points framed, again at every display
};

struct lab_camera {
  camera_mode mode = camera_mode::start;
  double rot[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};  // row-major
  double scale[3] = {40.5, 40.5, 40.5};         // pixels per plane unit on each screen axis
  double pivot[3] = {0, 0, 5};
  double offset[2] = {0, 0};
  float zoom_ref = 1.5f;  // the zoom scale was set for (start and free follow the zoom)
};

// The box of what the 3D view shows of the points: the lifted points and
// their feet in the plane; the square [-3, 3]^2 in the plane when there is no
// point.  lo and hi are its corners.
void shown_box(const point_rec* lifted, int count, double lo[3], double hi[3]);

// zelmor's start-up view at the given zoom (the window centre shows
// (0, 0, 7.5 / zoom), 27 * zoom pixels a unit, turned by 30 degrees about y
// after -70 degrees about x).
void camera_reset(lab_camera& c, float zoom);
// Straight up (mirror) or down at the plane, a plane unit being as many
// pixels as in the 2D view of size view_w x view_h, plane (x, y) at the pixel
// the 2D view draws it at when the 3D window is win_w x win_h.
void camera_below(lab_camera& c, int view_w, int view_h, int win_w, int win_h);
void camera_above(lab_camera& c, int view_w, int view_h, int win_w, int win_h);
void camera_fit(lab_camera& c);
// Brings the camera up to date before a display: the fit reframes the shown
// box, start follows the zoom, the plane views centre the depth.
void camera_update(lab_camera& c, const point_rec* lifted, int count, int win_w, int win_h,
                   float zoom);
// Makes centre the pivot without moving the picture.
void camera_set_pivot(lab_camera& c, const double centre[3], float zoom);
// A drag of (dx, dy) pixels (y up) turns the scene about the pivot by
// 180 degrees per window width (height): right turns about the screen's
// vertical axis, up about its horizontal axis.  A drag leaves the plane views
// (mode free) for the start-up view's scale at this zoom with the pivot at
// the window centre, so the whole picture stays in view; the fit (and the
// side view, a fit) stays a fit.
void camera_drag(lab_camera& c, int dx, int dy, int win_w, int win_h, float zoom);
// Holds zelmor's zoom (x 1.5 a press, unbounded) where the 3D view stays
// useful: LAB_ZOOM_IN_STEPS presses in from the start-up zoom 1.5 at most,
// LAB_ZOOM_OUT_STEPS out.  Returns 1 when it held the zoom at the closest,
// -1 at the furthest, 0 when the zoom was within the range.
inline constexpr int LAB_ZOOM_IN_STEPS = 6;
inline constexpr int LAB_ZOOM_OUT_STEPS = 4;
int lab_zoom_clamp(float* zoom);

// Straight at the side: scene x to the right, z up (looking along +y), the
// shown points framed as by the fit (again at every display).  The vertical
// face of three points in a row, or how far a weight sinks a point, shows
// edge-on.
void camera_side(lab_camera& c);

// The modelview matrix, column-major as GL takes it.
void camera_matrix(const lab_camera& c, int win_w, int win_h, float zoom, double m[16]);
// Where the scene point p lands: window pixels (x, y from the bottom) and the
// eye-space depth (larger is nearer the viewer).
void camera_project(const lab_camera& c, int win_w, int win_h, float zoom, const double p[3],
                    double out[3]);

// Whether the lab's 3D camera follows the zoom buttons now: the start-up and
// turned views do; from below, above, the side and the fit do not (GL side,
// lessons.cpp).
bool lab_camera_follows_zoom();

// ---------------------------------------------------------------------------
// Lessons (lessons_logic.cpp)
// ---------------------------------------------------------------------------

// The Delaunay triangle under a plane position and its empty circle: the
// corners as drawn (plane_table indices), the circle through them.
struct empty_circle {
  int corner[3] = {-1, -1, -1};
  double centre[2] = {0, 0};
  double radius = 0;
};
// 1 when (x, y) lies in (or on) a Delaunay triangle: the lower faces of
// tri_list, or the triangles of flat (3 or 4 points) when tri_list has
// none.  The circle is the circumcircle of the corners' plane_table positions.
int find_empty_circle(double x, double y, const flat_diagram* flat, empty_circle* out);

// The furthest-site triangulation (the upward faces of tri_list projected)
// and its Voronoi diagram (segments between the centres of neighbouring
// upward faces, rays from the boundary's faces into the hull's side, clipped
// to the view square).
struct furthest_site {
  std::vector<std::array<int, 3>> triangles;  // point indices, ascending, sorted
  std::vector<std::array<int, 2>> edges;      // i < j, sorted
  std::vector<std::array<double, 4>> voronoi;
};
furthest_site compute_furthest_site();

// Whether the lab draws the flat diagram: the engine computes nothing for 4
// points or fewer, nor for a lift without three dimensions.
bool flat_diagram_drawn(const flat_diagram& g, int count);

// Where a label of chars characters (8 x 13 pixel glyphs, baseline 2 pixels
// above the glyphs' bottom) goes for a point projected at (wx, wy): 6 pixels
// up and right of it, pushed back inside the w x h window above the band of
// height bottom.
void keep_label_inside(double wx, double wy, int chars, int w, int h, int bottom, double* x,
                       double* y);

// The status line's two rows.  top: the message when there is one, else the
// hint for the state (and the furthest-site colours when they are shown),
// after the ".ZELMOR" trouble while it lasts; bottom: the count, the hidden
// points, the selected point, the pointer.
struct status_rows {
  std::string top, bottom;
};
struct status_facts {
  int count = 0;
  int selected = -1;  // -1 when none
  bool pointer_inside = false;
  double pointer[2] = {0, 0};
  bool furthest = false;
  bool circle = false;
  const char* message = "";
  flat_kind kind = flat_kind::hull;
  int distinct = 0;
  std::string hidden;  // "points 3, 7 hidden", or "" when none is
  const char* file_trouble = nullptr;  // why ".ZELMOR" was not saved, while it lasts
};
status_rows status_line(const status_facts& f);

// Breaks text at blanks into at most max_lines lines no wider than width
// (measure gives a string's width, e.g. in pixels); a word wider than a
// line is cut.  When the text needs more lines, the last one ends in "..."
// and still fits.  An empty text gives no line.
std::vector<std::string> wrap_status(const std::string& text, int max_lines, int width,
                                     int (*measure)(const std::string&));

// ---------------------------------------------------------------------------
// Presets (presets_logic.cpp): exact point sets on the hundredths grid
// ---------------------------------------------------------------------------

struct lab_preset {
  char key;
  const char* name;
};
// The presets in key order (keys '1' .. '9', '0').
int lab_preset_count();
const lab_preset& lab_preset_at(int i);
// The points of preset i (plane units, every coordinate whole hundredths);
// random presets draw from a generator seeded once per process, so every
// press gives another set.
std::vector<std::array<double, 2>> lab_preset_points(int i);

// ---------------------------------------------------------------------------
// Layers of the 2D view that keys switch (lessons.cpp), for pictures made of
// the view elsewhere (the page's SVG): 1 while the point labels (n) are on,
// 1 while the furthest-site diagram (F) is shown.
// ---------------------------------------------------------------------------
int lab_labels_shown();
int lab_furthest_shown();

// The lessons' switches and camera, whole, for lesson files and links
// (lessons.cpp): taken, and put back as they were.
struct lab_lessons_state {
  bool circle = false, furthest = false, labels = true;
  bool pointer_inside = false;
  double pointer[2] = {0.0, 0.0};
  lab_camera camera;
};
void lab_lessons_get(lab_lessons_state* s);
void lab_lessons_set(const lab_lessons_state& s);
// The empty circle the 2D view shows now (on, pointer over a triangle, no
// weights); false when it shows none.
bool lab_empty_circle_shown(empty_circle* c);

// ---------------------------------------------------------------------------
// The plane of a lifted triangle, drawn see-through over the square (GL,
// lessons.cpp): the empty circle's plane and the counter-example's.
// ---------------------------------------------------------------------------
struct point_rec;
struct lifted_plane {
  bool valid = false;  // false: the triangle stands vertically (its corners on one line)
  double x0 = 0, y0 = 0, z0 = 0, nx = 0, ny = 0, nz = 1;
  // The plane's height over (x, y).
  double height(double x, double y) const { return z0 - (nx * (x - x0) + ny * (y - y0)) / nz; }
};
lifted_plane plane_through(const point_rec* const p[3]);
// Draws the plane over [-3, 3]^2 in the colour given, writing no depth so
// that it hides nothing behind it.  Nothing for a plane that is not valid.
void draw_see_through_plane(const lifted_plane& plane, const float colour[4]);
// A circle of centre c and radius r as a line loop of 180 steps: in the
// plane (z = 0), or lifted onto the paraboloid shifted by lift (z = x^2 +
// y^2 + lift) when lifted is true (GL, lessons.cpp): the empty circle's and
// the held circles'.
void draw_circle_loop(const double c[2], double r, double lift, bool lifted);
