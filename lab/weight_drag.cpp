// Weights by hand: Shift and a left drag from a point (or from its weight
// circle's rim) sets the point's weight so that its circle passes through
// the pointer, live in both views; the whole drag is one step of the edit
// history.
#include <GL/freeglut.h>

#include <cmath>
#include <string>

#include "app/windows.h"
#include "lab/edit.h"
#include "lab/lab.h"
#include "lab/weights.h"
#include "view2d/scale.h"
#include "view2d/view2d.h"

namespace {

// A press this close to a weight circle (pixels) grabs its rim.
constexpr double RIM_PIXELS = 6.0;

int dragged = -1;  // the point whose weight the drag sets; -1 when none

double pixels_per_unit() { return points_win_w / 6.0 * lab_zoom_scale(); }

// The point under the press (zelmor's pick), else the one whose weight
// circle's rim runs nearest the press within RIM_PIXELS.
int grab_at(int x, int y_up) {
  const int picked = pick_point(x, y_up);
  if (picked >= 0) return picked;
  double at[2];
  lab_plane_at(x, points_win_h - y_up, at);
  const double px = at[0], py = at[1];
  int best = -1;
  double best_gap = RIM_PIXELS * draw_scale();  // layout pixels, as the pick square
  for (int i = 0; i < point_count; ++i) {
    if (lab_point_weight[i] <= 0.0) continue;
    const double d = std::hypot(px - plane_table[i].x, py - plane_table[i].y);
    const double gap = std::fabs(d - std::sqrt(lab_point_weight[i])) * pixels_per_unit();
    if (gap <= best_gap) {
      best_gap = gap;
      best = i;
    }
  }
  return best;
}

int weight_press(int button, int state, int x, int y) {
  if (button != GLUT_LEFT_BUTTON) return 0;
  if (state == GLUT_UP) {
    if (dragged < 0) return 0;
    const int i = dragged;
    dragged = -1;
    const std::string message = lab_status_text();
    if (lab_history_note(("weight of point " + std::to_string(i)).c_str()))
      lab_status("%s; z undoes the drag", message.c_str());
    redisplay_windows("23S");
    return 1;
  }
  if ((glutGetModifiers() & GLUT_ACTIVE_SHIFT) == 0) return 0;
  const int i = grab_at(x, points_win_h - y);
  if (i < 0) return 0;
  dragged = i;
  // zelmor never sees this press: its last grab must not move with the drag.
  drag_index = -1;
  selected_count = 1;
  selected_points[0] = i;
  lab_status("point %d: drag its circle to the size you want (weight %.2f)", i, lab_point_weight[i]);
  redisplay_windows("23S");
  return 1;
}

void weight_motion(int x, int y) {
  if (dragged < 0 || x < 0) return;
  double at[2];
  lab_plane_at(x, y, at);
  if (lab_weight_through(dragged, at[0], at[1]))
    redisplay_windows("2S");
}

}  // namespace

int lab_weight_dragged() { return dragged; }

void lab_weight_drag_init() {
  lab_add_points_mouse_filter(weight_press);
  lab_add_pointer_observer(weight_motion);
}
