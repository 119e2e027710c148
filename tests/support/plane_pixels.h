// Where the 2D points view draws a plane point, and which plane point a
// pixel stands for, for every test that clicks or reads the view's pixels
// (in-process, end to end and, from below, the 3D window laid over it).
//
// The view shows the square [-3, 3] x [-3, 3] on its 541 x 541 pixels: the
// plane coordinate p is drawn at pixel_of_plane(p) = 270.5 + p * 541 / 6
// from the left (x) or from the bottom (y).  A click is read back the other
// way, from whole pixels: (pixel - 270) * 6 / 541.
//
// A drawn position is a fraction of a pixel; the tests turn it into a whole
// pixel in three ways, each named here, and a test keeps the one its
// expectations were written against:
//   _floor        the pixel that holds the drawn position (it is never
//                 negative inside the view, so this is also a truncation there)
//   _toward_zero  the integer conversion of C and Python (std::trunc)
//   _nearest      the nearest whole pixel, halves away from zero (std::lround)
//
// Rows counted from the top come in two kinds, which differ by one:
//   image rows    of a grabbed picture or a frame read top first: a drawn row
//                 y (from the bottom) of a window height rows tall is at
//                 height - 1 - y;
//   mouse rows    as GLUT and X deliver the pointer's y: the view takes
//                 541 - y_top as the row from the bottom.
#pragma once

#include <cmath>

// The side of the 2D points view in pixels and the side of the plane
// square it shows.
inline constexpr int POINTS_VIEW_SIZE = 541;
inline constexpr double PLANE_SIDE = 6.0;

// Where plane coordinate p is drawn, from the left or the bottom of a view
// size pixels wide, in fractional pixels.
inline double pixel_of_plane(double p, int size = POINTS_VIEW_SIZE) {
  return size / 2.0 + p * size / PLANE_SIDE;
}
inline int pixel_of_plane_floor(double p, int size = POINTS_VIEW_SIZE) {
  return static_cast<int>(std::floor(pixel_of_plane(p, size)));
}
inline int pixel_of_plane_toward_zero(double p, int size = POINTS_VIEW_SIZE) {
  return static_cast<int>(std::trunc(pixel_of_plane(p, size)));
}
inline int pixel_of_plane_nearest(double p, int size = POINTS_VIEW_SIZE) {
  return static_cast<int>(std::lround(pixel_of_plane(p, size)));
}

// Where the lab's view, zoomed scale times with plane coordinate centre in
// its middle, draws p (scale 1 about 0 is pixel_of_plane).
inline double pixel_of_zoomed_plane(double p, double centre, double scale) {
  return POINTS_VIEW_SIZE / 2.0 + (p - centre) * POINTS_VIEW_SIZE / PLANE_SIDE * scale;
}

// The image row (from the top of a window height rows tall) of the pixel
// that holds plane coordinate y: the 541-row view itself, or the 540-row
// 3D window whose view from below draws the plane at the same pixels.
inline int image_row_of_plane_floor(double y, int height = POINTS_VIEW_SIZE) {
  return height - 1 - pixel_of_plane_floor(y);
}
inline int image_row_of_plane_toward_zero(double y, int height = POINTS_VIEW_SIZE) {
  return height - 1 - pixel_of_plane_toward_zero(y);
}

// The mouse row (y from the top) that a view size pixels high reads as the
// row of plane coordinate y.
inline int mouse_row_of_plane_toward_zero(double y, int size = POINTS_VIEW_SIZE) {
  return size - pixel_of_plane_toward_zero(y, size);
}
inline int mouse_row_of_plane_nearest(double y, int size = POINTS_VIEW_SIZE) {
  return size - pixel_of_plane_nearest(y, size);
}

// The plane coordinate a view size pixels wide makes of a whole pixel
// column (or row from the bottom), and of a mouse row.
inline double plane_of_pixel(int pixel, int size = POINTS_VIEW_SIZE) {
  return (pixel - size / 2) * PLANE_SIDE / size;
}
inline double plane_of_mouse_row(int y_top, int size = POINTS_VIEW_SIZE) {
  return plane_of_pixel(size - y_top, size);
}

// The whole hundredths the program keeps a plane coordinate in (what a
// click or a file gives it, floor(100 v + 0.5)): the exact oracle's input
// for what the program shows.
inline long long hundredths(double v) { return static_cast<long long>(std::floor(100.0 * v + 0.5)); }

// Lengths: plane units to pixels of the view and back (at zoom 1).
inline double pixels_of_plane_length(double d) { return d * POINTS_VIEW_SIZE / PLANE_SIDE; }
inline double plane_length_of_pixels(double n) { return n * PLANE_SIDE / POINTS_VIEW_SIZE; }
