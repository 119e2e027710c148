// Circles to hold, the counter-example and the smallest angle on screen: a
// click in circle mode holds the circle of the triangle under it (in both
// views, until let go), k flips the Delaunay edge under the pointer to show
// what a triangle that is not Delaunay looks like, in the plane and lifted,
// and a shows the smallest angle before and after that flip.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/freeglut.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "app/windows.h"
#include "lab/circles_logic.h"
#include "lab/lab.h"
#include "lab/lessons.h"
#include "view2d/view2d.h"

namespace {

// One colour per held circle, none of them zelmor's (blue edges, red
// Voronoi, magenta selection) nor the empty circle's orange.
const float kPinColours[LAB_PINNED_MAX][3] = {
    {0.0f, 0.6f, 0.6f}, {0.1f, 0.55f, 0.1f}, {0.5f, 0.2f, 0.8f}, {0.6f, 0.35f, 0.1f},
    {0.95f, 0.3f, 0.6f}, {0.5f, 0.5f, 0.0f}, {0.3f, 0.4f, 0.5f}, {0.6f, 0.0f, 0.2f}};
const float kCounterColour[4] = {0.8f, 0.0f, 0.5f, 1.0f};  // the triangle that is not Delaunay
const float kCounterFill[4] = {0.8f, 0.0f, 0.5f, 0.2f};
const float kCounterPlane[4] = {0.8f, 0.0f, 0.5f, 0.18f};
const float kGoneEdge[4] = {0.55f, 0.55f, 0.55f, 1.0f};    // the Delaunay edge flipped away
const float kAngleColour[4] = {0.95f, 0.7f, 0.0f, 0.85f};  // the smallest angle

bool angles_on = false;
// Where the pointer last was in the 2D view: the page's buttons take the
// pointer off the plane before k arrives.
bool pointer_seen_once = false;
double last_pointer[2] = {0, 0};

bool any_weight() {
  for (int i = 0; i < point_count; ++i)
    if (lab_point_weight[i] != 0.0) return true;
  return false;
}

void circle_loop(const double c[2], double r, double lift, bool lifted) {
  glBegin(GL_LINE_LOOP);
  for (int k = 0; k < 180; ++k) {
    const double a = k * 2.0 * M_PI / 180.0;
    const double x = c[0] + r * std::cos(a), y = c[1] + r * std::sin(a);
    glVertex3d(x, y, lifted ? x * x + y * y + lift : 0.0);
  }
  glEnd();
}

void disc(double x, double y, double r) {
  glBegin(GL_POLYGON);
  for (int k = 0; k < 16; ++k) {
    const double a = k * 2.0 * M_PI / 16.0;
    glVertex3d(x + r * std::cos(a), y + r * std::sin(a), 0.0);
  }
  glEnd();
}

void text_at(double x, double y, const char* text) {
  glRasterPos3d(x, y, 0.0);
  for (const char* c = text; *c != '\0'; ++c) glutBitmapCharacter(GLUT_BITMAP_HELVETICA_12, *c);
}

// The common lift of the unweighted points: the paraboloid's shift.
double lift_shift() { return static_cast<double>(weight); }

// Drops what no longer fits the points, once the records are those of the
// points shown (not while a recomputation is pending).
void follow_points() {
  if (need_recompute && point_count > 4) return;
  lab_pins_follow();
  lab_counter_example ce;
  if (lab_counter_example_shown(&ce) && !lab_counter_example_holds(lab_shown_triangles(false), &ce)) {
    lab_counter_example_set(nullptr);
    lab_status("the counter-example is gone: %d-%d is no longer a Delaunay edge between %d and %d",
               ce.a, ce.b, ce.c, ce.d);
  } else if (lab_counter_example_shown(nullptr)) {
    lab_counter_example_set(&ce);  // below refreshed for moved points
  }
}

// --- 2D ------------------------------------------------------------------------------

void draw_pins_2d() {
  for (const lab_pinned_circle& p : lab_pinned()) {
    double c[2], r;
    lab_circle_of(p.corner, c, &r);
    const float* rgb = kPinColours[p.colour];
    glColor4f(rgb[0], rgb[1], rgb[2], 0.18f);
    glBegin(GL_TRIANGLES);
    for (int k : p.corner) glVertex3d(plane_table[k].x, plane_table[k].y, 0.0);
    glEnd();
    glColor4f(rgb[0], rgb[1], rgb[2], 1.0f);
    glLineWidth(2.0f);
    if (p.furthest) {
      glEnable(GL_LINE_STIPPLE);
      glLineStipple(1, 0xF0F0);
    }
    circle_loop(c, r, 0.0, false);
    glDisable(GL_LINE_STIPPLE);
    disc(c[0], c[1], 0.04);
  }
}

void draw_counter_2d(const lab_counter_example& ce) {
  const point_rec* P = plane_table;
  // The Delaunay edge flipped away: zelmor's blue painted over, then dashed.
  glLineWidth(4.0f);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glBegin(GL_LINES);
  glVertex3d(P[ce.a].x, P[ce.a].y, 0.0);
  glVertex3d(P[ce.b].x, P[ce.b].y, 0.0);
  glEnd();
  glLineWidth(1.5f);
  glEnable(GL_LINE_STIPPLE);
  glLineStipple(1, 0xCCCC);
  glColor4fv(kGoneEdge);
  glBegin(GL_LINES);
  glVertex3d(P[ce.a].x, P[ce.a].y, 0.0);
  glVertex3d(P[ce.b].x, P[ce.b].y, 0.0);
  glEnd();
  glDisable(GL_LINE_STIPPLE);
  // The triangle that is not Delaunay, the new edge and its circle.
  glColor4fv(kCounterFill);
  glBegin(GL_TRIANGLES);
  for (int k : ce.shown) glVertex3d(P[k].x, P[k].y, 0.0);
  glEnd();
  glColor4fv(kCounterColour);
  glLineWidth(3.0f);
  glBegin(GL_LINES);
  glVertex3d(P[ce.c].x, P[ce.c].y, 0.0);
  glVertex3d(P[ce.d].x, P[ce.d].y, 0.0);
  glEnd();
  glLineWidth(2.0f);
  glBegin(GL_LINE_LOOP);
  for (int k : ce.shown) glVertex3d(P[k].x, P[k].y, 0.0);
  glEnd();
  double c[2], r;
  lab_circle_of(ce.shown, c, &r);
  circle_loop(c, r, 0.0, false);
  // The point inside, ringed.
  const double q[2] = {P[ce.offending].x, P[ce.offending].y};
  circle_loop(q, 0.09, 0.0, false);
}

void draw_angle(const lab_angle& a, const float colour[4], const char* label) {
  const point_rec* P = plane_table;
  const double a0 = std::atan2(P[a.from].y - P[a.at].y, P[a.from].x - P[a.at].x);
  double a1 = std::atan2(P[a.to].y - P[a.at].y, P[a.to].x - P[a.at].x);
  double sweep = a1 - a0;
  while (sweep > M_PI) sweep -= 2 * M_PI;
  while (sweep < -M_PI) sweep += 2 * M_PI;
  const double r = 0.35;
  glColor4fv(colour);
  glBegin(GL_TRIANGLE_FAN);
  glVertex3d(P[a.at].x, P[a.at].y, 0.0);
  for (int k = 0; k <= 24; ++k) {
    const double t = a0 + sweep * k / 24.0;
    glVertex3d(P[a.at].x + r * std::cos(t), P[a.at].y + r * std::sin(t), 0.0);
  }
  glEnd();
  const double mid = a0 + sweep / 2;
  char text[48];
  std::snprintf(text, sizeof text, "%s%.1f deg", label, a.degrees);
  glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
  const double tx = std::clamp(P[a.at].x + 0.45 * std::cos(mid), -2.95, 2.0);
  const double ty = std::clamp(P[a.at].y + 0.45 * std::sin(mid), -2.9, 2.85);
  text_at(tx, ty, text);
}

void draw_2d() {
  follow_points();
  glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_CURRENT_BIT);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  draw_pins_2d();
  lab_counter_example ce;
  const bool counter = lab_counter_example_shown(&ce);
  if (counter) draw_counter_2d(ce);
  if (angles_on) {
    const std::vector<lab_triangle> tris = lab_shown_triangles(false);
    const lab_angle now = lab_smallest_angle(tris);
    if (now.at >= 0) draw_angle(now, kAngleColour, "smallest ");
    if (counter) {
      const lab_angle after = lab_smallest_angle(lab_flipped(tris, ce));
      if (after.at >= 0) draw_angle(after, kCounterColour, "after the flip ");
    }
  }
  glPopAttrib();
}

// --- 3D ------------------------------------------------------------------------------

void lifted_vertex(int k) { glVertex3d(point_table[k].x, point_table[k].y, point_table[k].z); }

void draw_3d() {
  glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_CURRENT_BIT | GL_POINT_BIT | GL_DEPTH_BUFFER_BIT);
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  const double shift = lift_shift();
  for (const lab_pinned_circle& p : lab_pinned()) {
    double c[2], r;
    lab_circle_of(p.corner, c, &r);
    const float* rgb = kPinColours[p.colour];
    glColor4f(rgb[0], rgb[1], rgb[2], 1.0f);
    glLineWidth(2.0f);
    glBegin(GL_LINE_LOOP);
    for (int k : p.corner) lifted_vertex(k);
    glEnd();
    // The circle lifted onto the surface lies in the face's plane.
    circle_loop(c, r, shift, true);
    glLineWidth(1.0f);
    circle_loop(c, r, 0.0, false);
  }
  lab_counter_example ce;
  if (lab_counter_example_shown(&ce)) {
    const point_rec* p[3] = {&point_table[ce.shown[0]], &point_table[ce.shown[1]],
                             &point_table[ce.shown[2]]};
    glColor4fv(kCounterColour);
    glBegin(GL_TRIANGLES);
    for (const point_rec* q : p) glVertex3d(q->x, q->y, q->z);
    glEnd();
    const point_rec& o = point_table[ce.offending];
    const lifted_plane plane = plane_through(p);
    if (plane.valid) {
      // The plane, see-through, not hiding what lies behind it.
      draw_see_through_plane(plane, kCounterPlane);
      // From the fourth point's lift straight up (or down) to the plane.
      glColor4fv(kCounterColour);
      glLineWidth(3.0f);
      glBegin(GL_LINES);
      glVertex3d(o.x, o.y, o.z);
      glVertex3d(o.x, o.y, plane.height(o.x, o.y));
      glEnd();
    }
    glPointSize(10.0f);
    glBegin(GL_POINTS);
    glVertex3d(o.x, o.y, o.z);
    glEnd();
    double c[2], r;
    lab_circle_of(ce.shown, c, &r);
    glLineWidth(2.0f);
    circle_loop(c, r, 0.0, false);
  }
  glPopAttrib();
}

// --- mouse and keys ----------------------------------------------------------------

void pointer_moved(int x, int y) {
  if (x < 0) return;
  pointer_seen_once = true;
  lab_plane_at(x, y, last_pointer);
}

// In circle mode a left click on the plane (not on a point, which it
// selects and drags as ever) holds the circle of the triangle under it.
int press(int button, int state, int x, int y) {
  if (button != GLUT_LEFT_BUTTON || state != GLUT_DOWN) return 0;
  // Shift and a drag set a weight; Ctrl and a drag pan.
  if (glutGetModifiers() & (GLUT_ACTIVE_SHIFT | GLUT_ACTIVE_CTRL)) return 0;
  lab_lessons_state s;
  lab_lessons_get(&s);
  if (!s.circle) return 0;
  if (pick_point(x, points_win_h - y) >= 0) return 0;
  if (any_weight()) {
    lab_status("circles are held for unweighted points: with weights the triangles are not Delaunay");
    return 0;
  }
  const bool furthest = lab_furthest_shown() != 0;
  double at[2];
  lab_plane_at(x, y, at);
  lab_pin_at(at[0], at[1], furthest);
  redisplay_windows("2S");
  return 0;  // zelmor's press on empty space selects nothing and moves nothing
}

void clear_pins() {
  const int n = lab_pins_clear();
  lab_status(n == 0 ? "no circle held (c, then click a triangle to hold its circle)"
                    : "let go of every circle held");
  redisplay_windows("2S");
}

void status_angles() {
  const std::vector<lab_triangle> tris = lab_shown_triangles(false);
  const lab_angle now = lab_smallest_angle(tris);
  lab_counter_example ce;
  if (lab_counter_example_shown(&ce)) {
    const lab_angle after = lab_smallest_angle(lab_flipped(tris, ce));
    lab_status("%s", lab_angles_text(now, &after).c_str());
  } else {
    lab_status("%s (k flips the edge under the pointer)", lab_angles_text(now, nullptr).c_str());
  }
}

void flip() {
  if (lab_counter_example_shown(nullptr)) {
    lab_counter_example_set(nullptr);
    lab_status("flipped back: the Delaunay triangulation again");
    redisplay_windows("2S");
    return;
  }
  if (any_weight()) {
    lab_status("the counter-example is for unweighted points: with weights the triangles are not Delaunay");
    return;
  }
  lab_lessons_state s;
  lab_lessons_get(&s);
  const bool inside = s.pointer_inside || pointer_seen_once;
  const double x = s.pointer_inside ? s.pointer[0] : last_pointer[0];
  const double y = s.pointer_inside ? s.pointer[1] : last_pointer[1];
  if (!inside) {
    lab_status("point into a triangle near the Delaunay edge to flip, then k");
    return;
  }
  lab_counter_example ce;
  std::string why;
  if (!lab_flip_at(lab_shown_triangles(false), x, y, &ce, &why)) {
    lab_status("%s", why.c_str());
    return;
  }
  lab_counter_example_set(&ce);
  if (angles_on) {
    const std::vector<lab_triangle> tris = lab_shown_triangles(false);
    const lab_angle now = lab_smallest_angle(tris), after = lab_smallest_angle(lab_flipped(tris, ce));
    lab_status("%s; %s", lab_counter_example_text(ce).c_str(), lab_angles_text(now, &after).c_str());
  } else {
    lab_status("%s; k flips back", lab_counter_example_text(ce).c_str());
  }
  redisplay_windows("2S");
}

void toggle_angles() {
  angles_on = !angles_on;
  if (angles_on)
    status_angles();
  else
    lab_status("smallest angle off");
  redisplay_windows("2");
}

const lab_action kActions[] = {
    {'C', 0, "let go of the circles held", clear_pins},
    {'k', 0, "flip the edge under the pointer", flip},
    {'a', 0, "smallest angle on / off", toggle_angles},
};

}  // namespace

int lab_angles_shown() { return angles_on ? 1 : 0; }
void lab_angles_set(int on) { angles_on = on != 0; }

void lab_circles_init() {
  lab_add_actions(kActions, sizeof kActions / sizeof kActions[0]);
  lab_add_points_overlay(draw_2d);
  lab_add_view3d_overlay(draw_3d);
  lab_add_pointer_observer(pointer_moved);
  lab_add_points_mouse_filter(press);
  lab_zoom_init();
  lab_snap_init();
}
