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
#include <vector>

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
bool angles_refusal_said = false;  // while the angles are on and refused for weights
// Where the pointer last was in the 2D view: the page's buttons take the
// pointer off the plane before k arrives.
bool pointer_seen_once = false;
double last_pointer[2] = {0, 0};

// Picking three points by hand (K): the points picked so far.
bool picking = false;
int picks[3] = {-1, -1, -1};
int pick_count = 0;

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
  draw_bitmap_text(GLUT_BITMAP_HELVETICA_12, text);
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
  lab_picked_triangle p;
  if (lab_picked_shown(&p)) {
    const std::string before = lab_picked_text(p);
    if (!lab_picked_follow(lab_shown_triangles(false)))
      lab_status("the triangle %d, %d, %d picked is gone: a corner was deleted or they lie in a row",
                 p.corner[0], p.corner[1], p.corner[2]);
    else if (lab_picked_shown(&p) && lab_picked_text(p) != before)
      lab_status("%s", lab_picked_text(p).c_str());  // a moved point or a weight changed the verdict
  }
  if (pick_count > 0 && std::max({picks[0], picks[1], picks[2]}) >= point_count) pick_count = 0;
  // The angles shown when the first weight comes: they go, and the status
  // line says why, once.
  const bool refused = angles_on && lab_weighted();
  if (refused && !angles_refusal_said) lab_status("%s", LAB_ANGLES_WEIGHTED);
  angles_refusal_said = refused;
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
    // An imaginary radius (weights) has no circle: the tint alone says
    // which triangle is held.
    if (r <= 0) continue;
    glColor4f(rgb[0], rgb[1], rgb[2], 1.0f);
    scaled_line_width(2.0f);
    if (p.furthest) {
      glEnable(GL_LINE_STIPPLE);
      glLineStipple(1, 0xF0F0);
    }
    draw_circle_loop(c, r, 0.0, false);
    glDisable(GL_LINE_STIPPLE);
    disc(c[0], c[1], 0.04);
  }
}

// A triangle looked at (flipped in or picked): filled, outlined, its circle
// (none when its radius is imaginary) and the points it holds ringed.
void draw_triangle_circle_2d(const lab_triangle& t, const std::vector<int>& ringed) {
  const point_rec* P = plane_table;
  glColor4fv(kCounterFill);
  glBegin(GL_TRIANGLES);
  for (int k : t) glVertex3d(P[k].x, P[k].y, 0.0);
  glEnd();
  glColor4fv(kCounterColour);
  scaled_line_width(2.0f);
  glBegin(GL_LINE_LOOP);
  for (int k : t) glVertex3d(P[k].x, P[k].y, 0.0);
  glEnd();
  double c[2], r;
  lab_circle_of(t, c, &r);
  if (r > 0) draw_circle_loop(c, r, 0.0, false);
  for (int k : ringed) {
    const double q[2] = {P[k].x, P[k].y};
    draw_circle_loop(q, 0.09, 0.0, false);
  }
}

// The points picked so far (K), ringed in the picking colour.
void draw_picks_2d() {
  glColor4fv(kCounterColour);
  scaled_line_width(2.0f);
  for (int k = 0; k < pick_count; ++k) {
    const double q[2] = {plane_table[picks[k]].x, plane_table[picks[k]].y};
    draw_circle_loop(q, 0.07, 0.0, false);
  }
}

void draw_counter_2d(const lab_counter_example& ce) {
  const point_rec* P = plane_table;
  // The Delaunay edge flipped away: zelmor's blue painted over, then dashed.
  scaled_line_width(4.0f);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glBegin(GL_LINES);
  glVertex3d(P[ce.a].x, P[ce.a].y, 0.0);
  glVertex3d(P[ce.b].x, P[ce.b].y, 0.0);
  glEnd();
  scaled_line_width(1.5f);
  glEnable(GL_LINE_STIPPLE);
  glLineStipple(1, 0xCCCC);
  glColor4fv(kGoneEdge);
  glBegin(GL_LINES);
  glVertex3d(P[ce.a].x, P[ce.a].y, 0.0);
  glVertex3d(P[ce.b].x, P[ce.b].y, 0.0);
  glEnd();
  glDisable(GL_LINE_STIPPLE);
  // The triangle that is not Delaunay, the new edge and its circle.
  glColor4fv(kCounterColour);
  scaled_line_width(3.0f);
  glBegin(GL_LINES);
  glVertex3d(P[ce.c].x, P[ce.c].y, 0.0);
  glVertex3d(P[ce.d].x, P[ce.d].y, 0.0);
  glEnd();
  draw_triangle_circle_2d(ce.shown, {ce.offending});
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
  lab_picked_triangle picked;
  if (lab_picked_shown(&picked)) draw_triangle_circle_2d(picked.corner, picked.below);
  if (picking) draw_picks_2d();
  if (angles_on && !lab_weighted()) {
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

// The lifted triangle, its plane seen through, and from each lift below it
// a line up to the plane; the circle in the plane (none when imaginary).
void draw_triangle_plane_3d(const lab_triangle& t, const std::vector<int>& marked) {
  const point_rec* p[3] = {&point_table[t[0]], &point_table[t[1]], &point_table[t[2]]};
  glColor4fv(kCounterColour);
  glBegin(GL_TRIANGLES);
  for (const point_rec* q : p) glVertex3d(q->x, q->y, q->z);
  glEnd();
  const lifted_plane plane = plane_through(p);
  if (plane.valid) {
    // The plane, see-through, not hiding what lies behind it.
    draw_see_through_plane(plane, kCounterPlane);
    // From each marked point's lift straight up (or down) to the plane.
    glColor4fv(kCounterColour);
    scaled_line_width(3.0f);
    glBegin(GL_LINES);
    for (int k : marked) {
      const point_rec& o = point_table[k];
      glVertex3d(o.x, o.y, o.z);
      glVertex3d(o.x, o.y, plane.height(o.x, o.y));
    }
    glEnd();
  }
  scaled_point_size(10.0f);
  glBegin(GL_POINTS);
  for (int k : marked) glVertex3d(point_table[k].x, point_table[k].y, point_table[k].z);
  glEnd();
  double c[2], r;
  lab_circle_of(t, c, &r);
  scaled_line_width(2.0f);
  if (r > 0) draw_circle_loop(c, r, 0.0, false);
}

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
    scaled_line_width(2.0f);
    glBegin(GL_LINE_LOOP);
    for (int k : p.corner) lifted_vertex(k);
    glEnd();
    // The circle lifted onto the surface lies in the face's plane (with
    // weights too: a weightless point on the orthogonal circle lifts into
    // the plane of the corners' lifts).
    if (r <= 0) continue;
    draw_circle_loop(c, r, shift, true);
    scaled_line_width(1.0f);
    draw_circle_loop(c, r, 0.0, false);
  }
  lab_counter_example ce;
  if (lab_counter_example_shown(&ce)) draw_triangle_plane_3d(ce.shown, {ce.offending});
  lab_picked_triangle picked;
  if (lab_picked_shown(&picked)) draw_triangle_plane_3d(picked.corner, picked.below);
  glPopAttrib();
}

// --- mouse and keys ----------------------------------------------------------------

void pointer_moved(int x, int y) {
  if (x < 0) return;
  pointer_seen_once = true;
  lab_plane_at(x, y, last_pointer);
}

// While K picks, a left click on a point picks it (it neither selects nor
// drags); the third shows their triangle.
int pick_press(int x, int y) {
  const int i = pick_point(x, points_win_h - y);
  drag_index = -1;  // zelmor never sees this press: its last grab stays put
  if (i < 0) {
    lab_status("K: click a point (%d of 3 picked; K stops picking)", pick_count);
    return 1;
  }
  for (int k = 0; k < pick_count; ++k)
    if (picks[k] == i) {
      lab_status("point %d is picked already: pick %d more (K stops picking)", i, 3 - pick_count);
      return 1;
    }
  picks[pick_count++] = i;
  if (pick_count < 3) {
    lab_status("K: point %d picked, %d more to pick", i, 3 - pick_count);
    redisplay_windows("2");
    return 1;
  }
  pick_count = 0;
  if (point_count > 4 && need_recompute) recompute();
  lab_picked_triangle p;
  std::string why;
  if (!lab_pick_triangle(picks[0], picks[1], picks[2], lab_shown_triangles(false), &p, &why)) {
    lab_status("%s; pick three again (K stops picking)", why.c_str());
    redisplay_windows("2");
    return 1;
  }
  picking = false;
  lab_counter_example_set(nullptr);  // one triangle looked at, at a time
  lab_picked_set(&p);
  lab_status("%s", lab_picked_text(p).c_str());
  redisplay_windows("2S");
  return 1;
}

// In circle mode a left click on the plane (not on a point, which it
// selects and drags as ever) holds the circle of the triangle under it.
int press(int button, int state, int x, int y) {
  if (button != GLUT_LEFT_BUTTON || state != GLUT_DOWN) return 0;
  // Shift and a drag set a weight; Ctrl and a drag pan.
  if (glutGetModifiers() & (GLUT_ACTIVE_SHIFT | GLUT_ACTIVE_CTRL)) return 0;
  if (picking) return pick_press(x, y);
  lab_lessons_state s;
  lab_lessons_get(&s);
  if (!s.circle) return 0;
  if (pick_point(x, points_win_h - y) >= 0) return 0;
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
  lab_picked_set(nullptr);  // one triangle looked at, at a time
  if (angles_on && !lab_weighted()) {
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
  if (angles_on && lab_weighted())
    lab_status("%s", LAB_ANGLES_WEIGHTED);
  else if (angles_on)
    status_angles();
  else
    lab_status("smallest angle off");
  redisplay_windows("2");
}

// K starts picking three points, or stops it; with a picked triangle shown
// and no pick under way, K takes it away.
void pick_key() {
  if (picking) {
    picking = false;
    pick_count = 0;
    lab_status("stopped picking");
  } else if (lab_picked_shown(nullptr)) {
    lab_picked_set(nullptr);
    lab_status("the picked triangle is gone (K picks three points again)");
  } else {
    picking = true;
    pick_count = 0;
    lab_status("K: click three points (left button) to see their triangle, its circle and plane");
  }
  redisplay_windows("2S");
}

const lab_action kActions[] = {
    {'C', 0, "let go of the circles held", clear_pins},
    {'k', 0, "flip the edge under the pointer", flip},
    {'K', 0, "pick 3 points: circle, plane", pick_key},
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
