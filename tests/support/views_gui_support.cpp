#include "tests/support/views_gui_support.h"

#include <GL/freeglut.h>

#include <cmath>
#include <numbers>

#include "app/windows.h"
#include "view2d/view2d.h"

std::vector<rgb> frame_of(int win) {
  std::vector<rgb> pixels;
  for (int y = 0; y < frame_height(win); ++y)
    for (int x = 0; x < frame_width(win); ++x) pixels.push_back(frame_pixel(win, x, y));
  return pixels;
}

int top_y(int y_up) { return points_win_h - y_up; }

void points_press(int button, int x, int y_top) {
  glutSetWindow(points_win);
  points_mouse(button, GLUT_DOWN, x, y_top);
}

void points_release(int button, int x, int y_top) {
  glutSetWindow(points_win);
  points_mouse(button, GLUT_UP, x, y_top);
}

void points_move(int x, int y_top) {
  glutSetWindow(points_win);
  points_motion(x, y_top);
}

void add_point_at(double px, double py, int* x_out, int* y_up_out) {
  const int x = pixel_of_plane_toward_zero(px), y_up = pixel_of_plane_toward_zero(py);
  points_press(GLUT_RIGHT_BUTTON, x, top_y(y_up));
  points_release(GLUT_RIGHT_BUTTON, x, top_y(y_up));
  if (x_out) *x_out = x;
  if (y_up_out) *y_up_out = y_up;
}

int count_near(int win, rgb c, int x, int y, int r, int tol) {
  return count_pixels(win, c, x - r, y - r, x + r, y + r, tol);
}

void screen_of(double x, double y, double z, double zoom, double* sx, double* sy) {
  const double deg = std::numbers::pi / 180.0;
  z -= 7.5 / zoom;
  // Rx(-70): y' = c y - s z, z' = s y + c z with s = sin(-70).
  const double ca = std::cos(-70 * deg), sa = std::sin(-70 * deg);
  const double y1 = ca * y - sa * z, z1 = sa * y + ca * z;
  // Ry(30): x' = c x + s z.
  const double cb = std::cos(30 * deg), sb = std::sin(30 * deg);
  const double x2 = cb * x + sb * z1;
  const double scale = 2.7 * zoom * 10.0;
  *sx = 270.0 + scale * x2;
  *sy = 270.0 + scale * y1;
}

bool is_cyan(const rgb& c) { return c.r < 90 && c.g > 120 && c.b > 120 && std::abs(c.g - c.b) < 40; }
bool is_green(const rgb& c) { return c.r < 90 && c.g > 120 && c.b < 90; }
bool is_blue(const rgb& c) { return c.b > 150 && c.b > c.r + 80 && c.b > c.g + 80; }

int count_where(int win, bool (*pred)(const rgb&), int x, int y, int r) {
  int n = 0;
  for (int j = y - r; j <= y + r; ++j)
    for (int i = x - r; i <= x + r; ++i)
      if (pred(frame_pixel(win, i, j))) ++n;
  return n;
}
