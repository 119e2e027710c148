// lab/weights.h — weighted points in zelmor-lab: each point's weight lowers
// its lift, the lower hull projects to the regular triangulation and the 2D
// view shows the power diagram; a point whose lift ends above the lower hull
// is hidden and has no cell.
//
// Everything above the "GL side" banner is GL-free (zelmor_lab_logic).
#pragma once

#include <string>

// Points the core's weight hook (point_weights) at lab_point_weight, so that
// every lift, the site reader and the extraction use the lab's weights.
void lab_weights_attach();

// Changes the weight of point i by steps * LAB_WEIGHT_STEP, held within
// 0 .. LAB_WEIGHT_MAX and kept to whole 10^-4: the point is lifted again,
// ".ZELMOR" rewritten and need_recompute raised; the status line says so.
// Returns 1 when the weight changed, 0 when i names no point or the weight
// is at its bound already (the status line says which).
int lab_change_weight(int i, int steps);

// Sets the weight of point i so that its circle (radius sqrt(w)) passes
// through plane position (x, y): w = the squared distance, held within
// 0 .. LAB_WEIGHT_MAX and kept to whole 10^-4 (square hundredths, as the
// lift rounds it).  The point is lifted again, ".ZELMOR" rewritten and
// need_recompute raised when the weight changed; the status line says so,
// and that it was held at the bound.  Returns 1 when the weight changed.
int lab_weight_through(int i, double x, double y);

// Every weight back to 0 (New), without touching the point set.
void lab_clear_weights();

// The status message about point i's weight, with the points the last
// recomputation found hidden, by name:
//   "point 3: weight 0.40 (circle radius 0.63); points 4, 7 hidden"
std::string lab_weight_message(int i);

// The hidden points of hidden[0 .. count-1] by name: "no point hidden",
// "point 4 hidden", "points 4, 7 hidden"; past LAB_HIDDEN_NAMED names,
// "points 1, 2, 3, 4, 5, 6 and 3 more hidden".
inline constexpr int LAB_HIDDEN_NAMED = 6;
std::string lab_hidden_names(const unsigned char* hidden, int count);

// ---------------------------------------------------------------------------
// GL side (weights_windows.cpp)
// ---------------------------------------------------------------------------

// Binds + / = and - (the selected point's weight), w (weight circles on or
// off), the mouse wheel over a point in the 2D view, the drawing of the
// circles and hidden points, the sinking lifts in 3D, and New clearing the
// weights; attaches the weights to the core.  Before lab_create_windows.
void lab_weights_init();

// Whether the 2D view draws the weight circles (w toggles; on at start).
extern int lab_show_weight_circles;

// Shift and a left drag from a point or its circle's rim sets its weight
// (weight_drag.cpp); lab_weights_init calls it.  The point being dragged,
// or -1.
void lab_weight_drag_init();
int lab_weight_dragged();
