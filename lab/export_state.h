// lab/export_state.h — what a lesson keeps besides its points: the view.
//
// A saved lesson carries the view state as comment lines ("% view: ..."),
// which the batch tool and every reader of the point format skip, so a
// lesson file stays a points file.  The page's address carries the same
// state and the points in its fragment.
//
// GL-free (zelmor_lab_logic).  The GL side fills the two hooks at start-up;
// without them (tests of the files alone) a save writes no view lines and a
// load restores none.
#pragma once

#include <string>
#include <vector>

#include "lab/circles_logic.h"
#include "lab/construction_logic.h"
#include "lab/edit.h"
#include "lab/lessons.h"

// Everything the windows show that is not the points.  Each group has a
// flag saying whether it was read, so that a file that names only some of
// them changes only those.
struct lab_view_state {
  // The panel: its four boxes, its two sliders and the zoom buttons' zoom.
  bool has_panel = false;
  int hyperboloid = 1, delaunay = 1, voronoi = 1, grid = 0;
  // opacity is the surface's, knob the slider's: until the slider is first
  // moved the two differ (the surface keeps its start-up opacity).
  float weight = 1.0f, opacity = 0.4f, knob = 0.4f, zoom = 1.5f;
  // The lab's switches.
  bool has_layers = false;
  int labels = 1, furthest = 0, circle = 0, weight_circles = 1, angles = 0;
  // The circles held by a click, in the order held (at most LAB_PINNED_MAX).
  bool has_pins = false;
  std::vector<lab_pinned_circle> pins;
  // The counter-example (k): a Delaunay edge flipped away, or none.
  bool has_flip = false;
  int flip_on = 0;
  lab_counter_example flip;
  // A triangle picked by hand (K), or none.  Written only while one is
  // shown; a file with the flip's line and no pick line has none (every
  // save writes the flip's line).
  bool has_pick = false;
  int pick_on = 0;
  lab_triangle pick{};
  // Where the empty circle is asked for (the pointer's plane position when
  // the state was taken); inside = 0 when the pointer was outside the view.
  bool has_pointer = false;
  int pointer_inside = 0;
  double pointer[2] = {0.0, 0.0};
  // The 3D camera, whole.
  bool has_camera = false;
  lab_camera camera;
  // The selected point; -1 for none.
  bool has_selection = false;
  int selected = -1;
  // The 2D view's zoom (1 .. 64) about its centre, and the snap's step in
  // hundredths (0 off, 25, 10 or 1).
  bool has_plane = false;
  double plane_zoom = 1.0;
  double plane_centre[2] = {0.0, 0.0};
  int snap = 0;
  // "Watch it grow": on or off, the way, the order and its seed, the step
  // and stage shown, the speed (a lesson comes back paused).
  bool has_construction = false;
  construction_state construction;
};

// The comment lines of a state, each ending in '\n' and shorter than 100
// characters (the batch tool splits longer physical lines).  Numbers are the
// shortest text that reads back exactly.
std::string lab_view_lines(const lab_view_state& s);

// Reads the view lines of a whole file's text into *s (other lines are
// ignored; groups not met keep their values).  Returns the number of view
// lines read; a view line that does not parse is skipped and counted in
// *bad when bad is not null.
int lab_read_view_lines(const std::string& text, lab_view_state* s, int* bad = nullptr);

// Drops from s what names a point past count (the selection, a held
// circle): a lesson with fewer points than its view speaks of.
void lab_view_keep_within(lab_view_state* s, int count);

// The state as "key=value" pairs joined by '&' (no '#'), and the points as
// "p=x,y[,w];x,y[,w]..." after them: the page's address fragment.  Only
// characters that need no escaping in a URL fragment are used.
std::string lab_fragment(const std::vector<lab_point>& pts, const lab_view_state& s);

// Parses a fragment made by lab_fragment (a leading '#' is allowed).  On
// success returns true with the points and the state; otherwise false with
// *error saying why in words ("point 3: 'x' is not a number") and nothing
// else set.  Points must lie in [-3, 3]^2 with weights in 0 .. LAB_WEIGHT_MAX,
// at most MAX_POINTS of them.
bool lab_parse_fragment(const std::string& fragment, std::vector<lab_point>* pts,
                        lab_view_state* s, std::string* error);

// Set by the GL side: take the windows' state, or put a state into them
// (what a group's has_ flag says was read).  Null until then.
extern void (*lab_view_state_get)(lab_view_state* s);
extern void (*lab_view_state_set)(const lab_view_state& s);

// What a save writes (lab_points_text with the view): the header comments,
// then the view lines when view is not null, then the points.
std::string lab_lesson_text(const std::vector<lab_point>& pts, const lab_view_state* view);

// ---------------------------------------------------------------------------
// GL side (export_windows.cpp)
// ---------------------------------------------------------------------------

// Binds e (export the views as shown) and E (the same for print, 3 x) and
// fills the two hooks above.  Before lab_create_windows.
void lab_export_init();

// The 2D view as shown now, as SVG of pixels x pixels (the records brought
// up to date first): every layer that is on, the empty circle included.
std::string lab_current_svg(int pixels);

// The print factor of E.
inline constexpr int LAB_PRINT_SCALE = 3;
