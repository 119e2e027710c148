// Helpers shared by the in-process GUI tests of zelmor's views and of the
// lab, which has the same windows.
#pragma once

#include <vector>

#include "tests/support/gui_harness.h"
#include "tests/support/plane_pixels.h"

// The whole last frame of win, row by row from the bottom.
std::vector<rgb> frame_of(int win);

// --- 2D points view (a 541 x 541 subwindow) --------------------------------

// Mouse events as GLUT delivers them to the 2D view: y counted from the top.
// These make points_win current first and call the real callbacks.
void points_press(int button, int x, int y_top);
void points_release(int button, int x, int y_top);
void points_move(int x, int y_top);
// A right press and release at the pixel where plane (px, py) is drawn,
// truncated (pixel_of_plane_toward_zero); returns the pixel (x, y from the
// bottom) that was pressed.
void add_point_at(double px, double py, int* x_out = nullptr, int* y_up_out = nullptr);
// GLUT's y (from the top) of a row counted from the bottom, and back.
int top_y(int y_up);

// Pixels of the last 2D frame within tol of c in the box of half-size r
// around (x, y) (GL coordinates).
int count_near(int win, rgb c, int x, int y, int r, int tol = 3);

// --- 3D window ---------------------------------------------------------------

// Where the scene point (x, y, z) lands in the 3D window (GL window
// coordinates, origin bottom-left) under the initial view and the given zoom:
// the window centre (270, 270) shows the scene point (0, 0, 7.5 / zoom), the
// scale is 2.7 * zoom * 10 pixels per unit, and the fixed tilt is a turn of
// -70 degrees about x followed by 30 degrees about y.  Computed here from
// those numbers alone.
void screen_of(double x, double y, double z, double zoom, double* sx, double* sy);

// Colour classes of lit faces.
bool is_cyan(const rgb& c);
bool is_green(const rgb& c);
bool is_blue(const rgb& c);
// Pixels of the last frame of win matching pred in the box of half-size r.
int count_where(int win, bool (*pred)(const rgb&), int x, int y, int r);
