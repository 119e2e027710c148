// What the page's fingers need of the program on both pages: whether a
// touch lands on a point of the 2D view (a finger there moves the point;
// on the empty plane a tap adds one), and where the panel's zoom buttons
// are (a pinch or the wheel over the 3D view presses them, so that the 3D
// zoom goes exactly the way of " +" and " -", bounds and messages included),
// and where a finger near one of the panel's small controls acts.
#include <GL/freeglut.h>
#include <emscripten.h>

#include <algorithm>
#include <cmath>

#include "app/app.h"
#include "app/windows.h"
#include "view2d/scale.h"
#include "view2d/view2d.h"

extern "C" int zw_window_rect(int id, int* out);  // web/glut/glut_web.cpp
extern "C" int zw_window_at(int x, int y);

extern "C" {

// 1 when canvas pixel (x, y down) lies in the 2D view on one of its points.
EMSCRIPTEN_KEEPALIVE int zw_point_at(int x, int y) {
  int r[4];
  if (zw_window_at(x, y) != points_win || !zw_window_rect(points_win, r)) return 0;
  const int current = glutGetWindow();
  glutSetWindow(points_win);
  const int hit = pick_point(x - r[0], points_win_h - (y - r[1]));
  glutSetWindow(current);
  return hit >= 0 ? 1 : 0;
}

// The canvas pixel (x, y down) at the middle of the panel's zoom button
// (in: " +", else " -") into out; 0 when the panel is not shown.
EMSCRIPTEN_KEEPALIVE int zw_zoom_button(int in, int* out) {
  int r[4];
  if (!zw_window_rect(panel_win, r)) return 0;
  const button_rec& b = in ? zoom_in_button : zoom_out_button;
  // The widgets count layout pixels from the bottom of the whole panel
  // window, most of which its parent cuts off; its top-left corner shows.
  const int current = glutGetWindow();
  glutSetWindow(panel_win);
  const int height = glutGet(GLUT_WINDOW_HEIGHT);
  glutSetWindow(current);
  out[0] = r[0] + scaled_px((b.x0 + b.x1) / 2);
  out[1] = r[1] + height - 1 - scaled_px((b.y0 + b.y1) / 2);
  return 1;
}

// A finger at canvas pixel (x, y down) on the panel, beside a control drawn
// smaller than a fingertip (reach canvas pixels square: 44 CSS pixels):
// 1, and into out the canvas pixel on that control it acts at; else 0.  The
// mouse never comes here: it keeps the controls' own sizes.
EMSCRIPTEN_KEEPALIVE int zw_finger_target(int x, int y, int reach, int* out) {
  int r[4];
  if (zw_window_at(x, y) != panel_win || !zw_window_rect(panel_win, r)) return 0;
  const int current = glutGetWindow();
  glutSetWindow(panel_win);
  const int height = glutGet(GLUT_WINDOW_HEIGHT);
  glutSetWindow(current);
  // The panel's own reading of a mouse position (panel_mouse), and back: a
  // layout pixel's first device pixel, so the program reads that pixel again.
  const float scale = draw_scale();
  const int lx = layout_px(x - r[0]), ly = layout_px(height - 1 - (y - r[1]));
  finger_box boxes[16];
  const int n = std::min(panel_finger_boxes(boxes, 16), 16);
  int tx = 0, ty = 0;
  if (finger_target(boxes, n, layout_px(reach), lx, ly, &tx, &ty) < 0) return 0;
  out[0] = r[0] + static_cast<int>(std::ceil(tx * scale));
  out[1] = r[1] + height - 1 - static_cast<int>(std::ceil(ty * scale));
  return 1;
}

}  // extern "C"
