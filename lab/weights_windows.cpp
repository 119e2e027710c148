// Weighted points, GL side: the keys and the mouse wheel that change a
// point's weight, New clearing the weights, and what the views add: each
// weight's circle and the hidden points in 2D, the sinking lifts in 3D.
#include <GL/freeglut.h>

#include <cmath>
#include <cstring>
#include <string>

#include "app/windows.h"
#include "lab/edit.h"
#include "lab/construction_logic.h"
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

// Shift with '=' and '-' (that is '+' and '_' on most keyboards) steps by a
// whole unit: weight 3 is three presses, not 30.
constexpr int BIG_STEP = 10;

double now_seconds() { return glutGet(GLUT_ELAPSED_TIME) / 1000.0; }

// A weight change is one step of the history per gesture: the presses of a
// run on one point, or the notches of one wheel gesture, are undone together.
// Keys and the wheel are gestures of their own even on the same point.
enum class weight_by { keys = 0, wheel = 1 };
void change_weight(int i, int steps, weight_by by) {
  if (!lab_change_weight(i, steps)) return;
  last_message = lab_status_text();
  last_point = i;
  lab_history_note_gesture(("weight of point " + std::to_string(i)).c_str(),
                           2 * i + static_cast<int>(by), now_seconds());
}

void weight_up() { change_weight(lab_selected_point(), 1, weight_by::keys); }
void weight_down() { change_weight(lab_selected_point(), -1, weight_by::keys); }
void weight_up_big() { change_weight(lab_selected_point(), BIG_STEP, weight_by::keys); }
void weight_down_big() { change_weight(lab_selected_point(), -BIG_STEP, weight_by::keys); }

void toggle_circles() {
  lab_show_weight_circles = !lab_show_weight_circles;
  lab_status("weight circles %s", lab_show_weight_circles ? "shown" : "hidden");
}

const lab_action kWeightActions[] = {
    {'=', 0, "selected weight up / down 0.1", weight_up},
    {'-', 0, "selected weight up / down 0.1", weight_down},
    {'+', 0, "the same by 1 (with Shift)", weight_up_big},
    {'_', 0, "the same by 1 (with Shift)", weight_down_big},
    {'w', 0, "weight circles on / off", toggle_circles},
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
  // Notches come a few hundredths of a second apart: one gesture, one step.
  change_weight(i, button == WHEEL_UP ? 1 : -1, weight_by::wheel);
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
  // While the construction is watched, its picture marks the points hidden
  // so far; the whole set's hidden points would name points not inserted yet.
  unsigned char hidden[MAX_POINTS];
  const int hidden_count = point_count > 4 && !construction_on() ? find_hidden_points(hidden) : 0;
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_POINT_BIT | GL_LINE_BIT);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  if (lab_show_weight_circles) {
    glColor4f(0.85f, 0.45f, 0.0f, 1.0f);
    scaled_line_width(1.0f);
    for (int i = 0; i < point_count; ++i) {
      if (lab_point_weight[i] > 0.0) circle(plane_table[i].x, plane_table[i].y, std::sqrt(lab_point_weight[i]));
    }
  }
  if (hidden_count > 0) {
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    scaled_point_size(4.0f);
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

// The height of the lower hull over plane (x, y): the lifted face of the
// Delaunay (regular) triangle that holds (x, y); 0 when none does.
int lower_hull_height(double x, double y, double* z) {
  for (rec_node* n = tri_list != nullptr ? tri_list->head : nullptr; n != nullptr; n = n->next) {
    const auto* t = static_cast<const dtri*>(n->data);
    if (!is_delaunay_triangle(t)) continue;
    const point_rec &a = *t->v[0], &b = *t->v[1], &c = *t->v[2];
    const double det = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
    if (det == 0.0) continue;
    const double u = ((x - a.x) * (c.y - a.y) - (c.x - a.x) * (y - a.y)) / det;
    const double v = ((b.x - a.x) * (y - a.y) - (x - a.x) * (b.y - a.y)) / det;
    if (u < -1e-12 || v < -1e-12 || u + v > 1 + 1e-12) continue;
    *z = a.z + u * (b.z - a.z) + v * (c.z - a.z);
    return 1;
  }
  return 0;
}

// A ring of radius pixels about scene point p, facing the viewer whatever
// the camera: the screen's axes in scene coordinates are the rows of the
// modelview's upper 3 x 3 (over their length, the pixels per unit).
void screen_ring(const double m[16], const point_rec& p, double pixels) {
  double ex[3] = {m[0], m[4], m[8]}, ey[3] = {m[1], m[5], m[9]};
  const double lx = std::sqrt(ex[0] * ex[0] + ex[1] * ex[1] + ex[2] * ex[2]);
  const double ly = std::sqrt(ey[0] * ey[0] + ey[1] * ey[1] + ey[2] * ey[2]);
  if (lx == 0.0 || ly == 0.0) return;
  glBegin(GL_LINE_LOOP);
  for (int k = 0; k < 24; ++k) {
    const double a = k * (2.0 * M_PI / 24.0);
    const double cx = std::cos(a) * pixels / (lx * lx), cy = std::sin(a) * pixels / (ly * ly);
    glVertex3d(p.x + cx * ex[0] + cy * ey[0], p.y + cx * ex[1] + cy * ey[1],
               p.z + cx * ex[2] + cy * ey[2]);
  }
  glEnd();
}

// In 3D each weighted point hangs below the bowl by its weight: a line from
// its lift up to the bowl shows how far it sank, drawn through the hull's
// faces (a sunken point lies under them).  A hidden point's lift lies above
// the lower hull, inside it: a hollow ring shows it through every face, with
// a dashed drop to the face above it.
void draw_weights_3d() {
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT);
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glColor4f(0.85f, 0.45f, 0.0f, 1.0f);
  scaled_line_width(2.0f);
  glBegin(GL_LINES);
  for (int i = 0; i < point_count; ++i) {
    if (lab_point_weight[i] <= 0.0) continue;
    const point_rec& p = point_table[i];
    glVertex3d(p.x, p.y, p.z);
    glVertex3d(p.x, p.y, lifted_height(p.x, p.y));
  }
  glEnd();
  unsigned char hidden[MAX_POINTS];
  if (point_count > 4 && !construction_on() && find_hidden_points(hidden) > 0) {
    double m[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, m);
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    for (int i = 0; i < point_count; ++i) {
      if (!hidden[i]) continue;
      const point_rec& p = point_table[i];
      screen_ring(m, p, 7.0);
      double face = 0.0;
      if (!lower_hull_height(p.x, p.y, &face) || face >= p.z) continue;
      glEnable(GL_LINE_STIPPLE);
      glLineStipple(1, 0xF0F0);
      glBegin(GL_LINES);
      glVertex3d(p.x, p.y, p.z);
      glVertex3d(p.x, p.y, face);
      glEnd();
      glDisable(GL_LINE_STIPPLE);
    }
  }
  glPopAttrib();
}

}  // namespace

void lab_weights_init() {
  lab_weights_attach();
  lab_add_actions(kWeightActions, sizeof kWeightActions / sizeof kWeightActions[0]);
  lab_add_points_mouse_filter(wheel_filter);
  lab_weight_drag_init();
  lab_add_mouse_observer(clear_on_new);
  lab_add_points_overlay(draw_weights_2d);
  lab_add_view3d_overlay(draw_weights_3d);
}
