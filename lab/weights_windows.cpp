// Weighted points, GL side: the keys and the mouse wheel that change a
// point's weight, New clearing the weights, and what the views add: each
// weight's circle and the hidden points in 2D, the sinking lifts in 3D.
#include <GL/freeglut.h>

#include <cmath>
#include <cstring>
#include <string>

#include "app/windows.h"
#include "lab/edit.h"
#include "lab/lab.h"
#include "lab/weights.h"
#include "view2d/view2d.h"

int lab_show_weight_circles = 1;

namespace {

// GLUT reports the wheel as buttons 3 (up) and 4 (down), a press and a
// release per notch.
constexpr int WHEEL_UP = 3;
constexpr int WHEEL_DOWN = 4;

// The status message this feature set last; the 2D view brings its hidden
// count up to date once the recomputation after the change has run.
std::string last_message;
int last_point = -1;

void change_selected(int steps) {
  const int i = lab_selected_point();
  if (lab_change_weight(i, steps)) {
    last_message = lab_status_text();
    last_point = i;
  }
}

void weight_up() { change_selected(1); }
void weight_down() { change_selected(-1); }

void toggle_circles() {
  lab_show_weight_circles = !lab_show_weight_circles;
  lab_status("weight circles %s", lab_show_weight_circles ? "shown" : "hidden");
}

const lab_action kWeightActions[] = {
    {'+', 0, "weight of the selected point up (also the mouse wheel over a point)", weight_up},
    {'=', 0, "weight of the selected point up", weight_up},
    {'-', 0, "weight of the selected point down", weight_down},
    {'w', 0, "weight circles on or off", toggle_circles},
};

// The wheel over a point selects it and changes its weight by one step a
// notch.  Every wheel event is the lab's: zelmor has no use for them.
int wheel_filter(int button, int state, int x, int y) {
  if (button != WHEEL_UP && button != WHEEL_DOWN) return 0;
  if (state != GLUT_DOWN) return 1;
  const int i = pick_point(x, points_win_h - y);
  if (i < 0) return 1;
  selected_count = 1;
  selected_points[0] = i;
  if (lab_change_weight(i, button == WHEEL_UP ? 1 : -1)) {
    last_message = lab_status_text();
    last_point = i;
  }
  redisplay_windows("23S");
  return 1;
}

// New empties the point set; the weights go with the points.
void clear_on_new(lab_window window, int, int) {
  if (window == lab_window::panel && point_count == 0) lab_clear_weights();
}

void circle(double cx, double cy, double r) {
  glBegin(GL_LINE_LOOP);
  for (int k = 0; k < 72; ++k) {
    const double a = k * (2.0 * M_PI / 72.0);
    glVertex3d(cx + r * std::cos(a), cy + r * std::sin(a), 0.0);
  }
  glEnd();
}

// Over zelmor's layers (the depth test off, or the plane's earlier layers
// would win): the circle of radius sqrt(w) around each weighted point, and
// a hidden point's marker emptied to a ring.
void draw_weights_2d() {
  unsigned char hidden[MAX_POINTS];
  const int hidden_count = point_count > 4 ? find_hidden_points(hidden) : 0;
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_POINT_BIT | GL_LINE_BIT);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  if (lab_show_weight_circles) {
    glColor4f(0.85f, 0.45f, 0.0f, 1.0f);
    glLineWidth(1.0f);
    for (int i = 0; i < point_count; ++i) {
      if (lab_point_weight[i] > 0.0) circle(plane_table[i].x, plane_table[i].y, std::sqrt(lab_point_weight[i]));
    }
  }
  if (hidden_count > 0) {
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glPointSize(4.0f);
    glBegin(GL_POINTS);
    for (int i = 0; i < point_count; ++i) {
      if (hidden[i]) glVertex3d(plane_table[i].x, plane_table[i].y, 0.0);
    }
    glEnd();
  }
  glPopAttrib();
  // The message of the last weight change, with the hidden count of the
  // recomputation that followed it.
  if (last_point >= 0 && last_point < point_count && last_message == lab_status_text()) {
    const std::string now = lab_weight_message(last_point);
    if (now != last_message) {
      lab_status("%s", now.c_str());
      last_message = lab_status_text();
    }
  }
}

// In 3D each weighted point hangs below the bowl by its weight: a line from
// its lift up to the bowl shows how far it sank, drawn through the hull's
// faces (a sunken point lies under them).
void draw_weights_3d() {
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT);
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glColor4f(0.85f, 0.45f, 0.0f, 1.0f);
  glLineWidth(2.0f);
  glBegin(GL_LINES);
  for (int i = 0; i < point_count; ++i) {
    if (lab_point_weight[i] <= 0.0) continue;
    const point_rec& p = point_table[i];
    glVertex3d(p.x, p.y, p.z);
    glVertex3d(p.x, p.y, lifted_height(p.x, p.y));
  }
  glEnd();
  glPopAttrib();
}

}  // namespace

void lab_weights_init() {
  lab_weights_attach();
  lab_add_actions(kWeightActions, sizeof kWeightActions / sizeof kWeightActions[0]);
  lab_add_points_mouse_filter(wheel_filter);
  lab_add_mouse_observer(clear_on_new);
  lab_add_points_overlay(draw_weights_2d);
  lab_add_view3d_overlay(draw_weights_3d);
}
