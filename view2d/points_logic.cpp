// GL-free arithmetic of the 2D points subwindow: pixel to plane, the pick
// square and the bounded drag step.
#include <cmath>

#include "app/app.h"
#include "view2d/scale.h"
#include "view2d/view2d.h"

// Here, on the GL-free floor, rather than beside the mouse handlers: an edit
// that replaces the point set (the lab's history) ends a drag still held,
// since the index it grabbed may name another point now, or none.
int drag_index = -1;

double plane_coord(int pixel, int size) {
  // The offset from the centre pixel is an integer (size div 2 truncates), so
  // an odd-sized window maps its centre pixel exactly to 0.
  return (pixel - size / 2) * 6.0 / size;
}

int pick_hit(double wx, double wy, int x, int y) {
  const int px = static_cast<int>(std::trunc(wx));
  const int py = static_cast<int>(std::trunc(wy));
  const int reach = scaled_px(8);  // the pick square grows with the markers
  return std::abs(px - x) <= reach && std::abs(py - y) <= reach;
}

void move_point(point_rec* table, int i, double dx, double dy, double dz) {
  const auto inside = [](double v) { return v >= -3.0 && v <= 3.0; };
  const double x = table[i].x + dx;
  if (!inside(x)) return;
  const double y = table[i].y + dy;
  if (!inside(y)) return;
  const double z = table[i].z + dz;
  if (!inside(z)) return;
  table[i].x = x;
  table[i].y = y;
  table[i].z = z;
}
