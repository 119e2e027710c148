// The zoom and pan of the 2D view (see zoom_logic.h): no GL.
#include "lab/zoom_logic.h"

#include <algorithm>

#include "view2d/view2d.h"

namespace {

// The centre may go no further than leaves the view inside the square.
void hold(lab_zoom* z) {
  z->scale = std::clamp(z->scale, 1.0, LAB_ZOOM_MAX);
  const double room = 3.0 - 3.0 / z->scale;
  for (double& c : z->centre) c = std::clamp(c, -room, room);
}

}  // namespace

bool lab_zoom_whole(const lab_zoom& z) {
  return z.scale == 1.0 && z.centre[0] == 0.0 && z.centre[1] == 0.0;
}

void lab_zoom_plane(const lab_zoom& z, int x, int y_up, int w, int h, double out[2]) {
  // zelmor's own arithmetic at scale 1, so that nothing moves by a bit.
  out[0] = z.centre[0] + plane_coord(x, w) / z.scale;
  out[1] = z.centre[1] + plane_coord(y_up, h) / z.scale;
}

int lab_zoom_about(lab_zoom* z, double factor, int x, int y_up, int w, int h) {
  const lab_zoom before = *z;
  double at[2];
  lab_zoom_plane(*z, x, y_up, w, h, at);
  z->scale = std::clamp(z->scale * factor, 1.0, LAB_ZOOM_MAX);
  z->centre[0] = at[0] - plane_coord(x, w) / z->scale;
  z->centre[1] = at[1] - plane_coord(y_up, h) / z->scale;
  if (z->scale == 1.0) z->centre[0] = z->centre[1] = 0.0;
  hold(z);
  return before.scale != z->scale || before.centre[0] != z->centre[0] ||
         before.centre[1] != z->centre[1];
}

int lab_zoom_pan(lab_zoom* z, int dx, int dy, int w, int h) {
  const lab_zoom before = *z;
  z->centre[0] -= dx * 6.0 / w / z->scale;
  z->centre[1] -= dy * 6.0 / h / z->scale;
  hold(z);
  return before.centre[0] != z->centre[0] || before.centre[1] != z->centre[1];
}
