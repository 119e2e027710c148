// The snap in the 2D view: p steps it through off, 0.25, 0.1 and 0.01; while
// it is on, a right press adds the point at the snapped position and a left
// drag carries the grabbed point from snapped position to snapped position,
// both in whole hundredths, and a cross marks where the pointer snaps to,
// with its coordinates.  After every change of the points the status line
// warns of points nearly (not exactly) in a row or on one circle.
#include <GL/freeglut.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "app/windows.h"
#include "lab/lab.h"
#include "lab/lessons.h"
#include "lab/snap_logic.h"
#include "view2d/scale.h"
#include "view2d/view2d.h"

namespace {

int snap_index = 0;  // into LAB_SNAP_STEPS; 0: off
bool left_held = false;
bool pointer_in = false;
double pointer_at[2] = {0, 0};
// What the near-degenerate check last looked at, and what it said.
std::string checked_points;
std::string near_said;

int step() { return LAB_SNAP_STEPS[snap_index]; }
// Zoomed in, zelmor's own add and drag would read the pixels at the whole
// square's scale: the lab places the points itself, in whole hundredths.
int place_step() { return step() != 0 ? step() : (lab_zoomed() ? 1 : 0); }

void snapped_pointer(double out[2]) {
  out[0] = lab_snap(pointer_at[0], place_step());
  out[1] = lab_snap(pointer_at[1], place_step());
}

const char* step_name() {
  static const char* const names[] = {"off", "0.25", "0.1", "0.01"};
  return names[snap_index];
}
const char* step_label() {
  static const char* const labels[] = {"", "snap 0.25", "snap 0.1", "snap 0.01"};
  return labels[snap_index];
}

// The point at exactly these hundredths, or -1.
int point_at(double x, double y) {
  const double hx = exchange_hundredths(x), hy = exchange_hundredths(y);
  for (int i = 0; i < point_count; ++i)
    if (exchange_hundredths(plane_table[i].x) == hx && exchange_hundredths(plane_table[i].y) == hy)
      return i;
  return -1;
}

int snap_press(int button, int state, int x, int y) {
  if (button == GLUT_LEFT_BUTTON) left_held = state == GLUT_DOWN;
  if (place_step() == 0 || button != GLUT_RIGHT_BUTTON) return 0;
  if (state != GLUT_DOWN) return 0;  // zelmor's release only redraws
  pointer_in = true;
  lab_plane_at(x, y, pointer_at);
  double s[2];
  snapped_pointer(s);
  // A press on a point selects it, as without the snap; so does one that
  // snaps onto a point.
  const int picked = pick_point(x, points_win_h - y);
  const int there = picked >= 0 ? picked : point_at(s[0], s[1]);
  if (there >= 0) {
    selected_count = 1;
    selected_points[0] = there;
    lab_status("point %d is already there: selected it instead of adding another", there);
    redisplay_windows("23S");
    return 1;
  }
  edit_mode = 11;  // as zelmor's add: a drag in progress ends
  if (!append_point(point_rec{s[0], s[1], 0.0, 1.0})) {
    lab_status("%d points already: no more can be added", MAX_POINTS);
    return 1;
  }
  lab_status("%s: point %d added at (%.2f, %.2f)", step() != 0 ? step_label() : "zoomed",
             point_count - 1, s[0], s[1]);
  redisplay_windows("123S");
  return 1;
}

void snap_motion(int x, int y) {
  pointer_in = x >= 0;
  if (!pointer_in) return;
  lab_plane_at(x, y, pointer_at);
  if (place_step() == 0) return;
  if (step() != 0) redisplay_windows("2");
  if (!left_held || edit_mode != 3 || drag_index < 0 || drag_index >= point_count) return;
  double s[2];
  snapped_pointer(s);
  const int there = point_at(s[0], s[1]);
  if (there >= 0 && there != drag_index) return;  // not onto another point
  plane_table[drag_index].x = s[0];
  plane_table[drag_index].y = s[1];
  point_changed(drag_index);
  lab_status("%s: point %d at (%.2f, %.2f)", step() != 0 ? step_label() : "zoomed", drag_index,
             s[0], s[1]);
  redisplay_windows("2S");
}

bool any_weight() {
  for (int i = 0; i < point_count; ++i)
    if (lab_point_weight[i] != 0.0) return true;
  return false;
}

// Once the records are those of the points shown, and only when the points
// changed: a message of its own when it has something new to say.
void check_near() {
  if (need_recompute && point_count > 4) return;
  std::string key;
  for (int i = 0; i < point_count; ++i) {
    char p[48];
    std::snprintf(p, sizeof p, "%.0f %.0f;", exchange_hundredths(plane_table[i].x),
                  exchange_hundredths(plane_table[i].y));
    key += p;
  }
  if (key == checked_points) return;
  checked_points = key;
  const std::string said = any_weight() ? "" : lab_near_text(lab_find_near(lab_shown_triangles(false)));
  if (!said.empty() && said != near_said) lab_status("%s", said.c_str());
  near_said = said;
}

void draw_snap() {
  check_near();
  if (step() == 0 || !pointer_in) return;
  double s[2];
  snapped_pointer(s);
  glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_CURRENT_BIT);
  glDisable(GL_DEPTH_TEST);
  glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
  scaled_line_width(1.0f);
  // In layout pixels, whatever the zoom: 8 for the arms, 10 to the text.
  const double unit = draw_scale() / (points_win_w / 6.0 * lab_zoom_scale());
  const double arm = 8 * unit;
  glBegin(GL_LINES);
  glVertex3d(s[0] - arm, s[1], 0.0);
  glVertex3d(s[0] + arm, s[1], 0.0);
  glVertex3d(s[0], s[1] - arm, 0.0);
  glVertex3d(s[0], s[1] + arm, 0.0);
  glEnd();
  char text[40];
  std::snprintf(text, sizeof text, "(%.2f, %.2f)", s[0], s[1]);
  // Right of and above the cross, unless that leaves the view.
  double view_right[2], view_top[2];
  lab_plane_at(points_win_w - scaled_px(100), scaled_px(30), view_right);
  lab_plane_at(points_win_w - scaled_px(100), scaled_px(30), view_top);
  const double tx = s[0] < view_right[0] ? s[0] + 10 * unit : s[0] - 100 * unit;
  const double ty = s[1] < view_top[1] ? s[1] + 10 * unit : s[1] - 20 * unit;
  glRasterPos3d(tx, ty, 0.0);
  draw_bitmap_text(GLUT_BITMAP_HELVETICA_12, text);
  glPopAttrib();
}

void cycle_snap() {
  snap_index = (snap_index + 1) % LAB_SNAP_COUNT;
  if (step() == 0)
    lab_status("snap off");
  else
    lab_status("snap to %s: right click adds, a left drag moves, in steps of %s", step_name(),
               step_name());
  redisplay_windows("2");
}

const lab_action kActions[] = {
    {'p', 0, "snap: off / 0.25 / 0.1 / 0.01", cycle_snap},
};

}  // namespace

int lab_snap_step() { return step(); }

bool lab_snap_cross(double out[2]) {
  if (step() == 0 || !pointer_in) return false;
  snapped_pointer(out);
  return true;
}

void lab_snap_set(int hundredths) {
  snap_index = 0;
  for (int i = 0; i < LAB_SNAP_COUNT; ++i)
    if (LAB_SNAP_STEPS[i] == hundredths) snap_index = i;
}

void lab_snap_init() {
  lab_add_actions(kActions, 1);
  lab_add_points_mouse_filter(snap_press);
  lab_add_pointer_observer(snap_motion);
  lab_add_points_overlay(draw_snap);
}
