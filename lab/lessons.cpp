// The lessons' GL half: the camera presets, the empty circle, the furthest-
// site diagram, the flat sets, the labels, the status rows, the presets and
// their keys.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/freeglut.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/windows.h"
#include "lab/construction_logic.h"
#include "lab/edit.h"
#include "lab/lab.h"
#include "lab/lessons.h"
#include "lab/weights.h"
#include "view2d/scale.h"
#include "view2d/view2d.h"
#include "view3d/view3d.h"

namespace {

// Colours of the lab's own layers (RGBA), none of them one of zelmor's.
const float kCircleColour[4] = {1.0f, 0.5f, 0.0f, 1.0f};       // empty circle and centre
const float kCircleFill[4] = {1.0f, 0.5f, 0.0f, 0.25f};        // its triangle
const float kPlaneColour[4] = {1.0f, 0.5f, 0.0f, 0.2f};        // the lifted face's plane
const float kFurthestColour[4] = {0.9f, 0.45f, 0.0f, 1.0f};    // furthest-site triangles
const float kFurthestVoronoi[4] = {0.55f, 0.0f, 0.85f, 1.0f};  // furthest-site Voronoi
const float kDelaunayColour[4] = {0.0f, 0.3f, 1.0f, 1.0f};     // as zelmor's edges
const float kVoronoiColour[4] = {1.0f, 0.0f, 0.0f, 1.0f};
const float kLabelHalo[4] = {0.0f, 0.0f, 0.15f, 1.0f};         // around the 3D view's labels

lab_camera camera;
bool circle_on = false;
bool furthest_on = false;
bool labels_on = true;
bool pointer_inside = false;
double pointer[2] = {0.0, 0.0};
int drag_x = 0, drag_y = 0;
bool dragging = false;
// The camera is at a view the status line named (r, b, t, v, f); the first
// drag that turns it says it left that view.
bool named_view = false;
int status_serial_at_press = -1;

// The flat sets' diagrams and the empty circle are those of unweighted
// points; with weights the regular triangulation and the power diagram are
// another lesson (the weights' own).
bool any_weight() {
  for (int i = 0; i < point_count; ++i)
    if (lab_point_weight[i] != 0.0) return true;
  return false;
}

// --- drawing helpers ---------------------------------------------------------

void segment(const double s[4]) {
  glVertex3d(s[0], s[1], 0.0);
  glVertex3d(s[2], s[3], 0.0);
}

void dot(const double c[2], double r) {
  glBegin(GL_POLYGON);
  for (int k = 0; k < 16; ++k) {
    const double a = k * 2.0 * M_PI / 16.0;
    glVertex3d(c[0] + r * std::cos(a), c[1] + r * std::sin(a), 0.0);
  }
  glEnd();
}

// --- 2D overlays ---------------------------------------------------------------

void draw_flat_sets() {
  if (any_weight()) return;
  const flat_diagram g = compute_flat_diagram(plane_table, point_count);
  if (!flat_diagram_drawn(g, point_count)) return;
  scaled_line_width(2.0f);
  glBegin(GL_LINES);
  if (show_delaunay) {
    glColor4fv(kDelaunayColour);
    for (const auto& e : g.edges) {
      const double s[4] = {plane_table[e[0]].x, plane_table[e[0]].y, plane_table[e[1]].x,
                           plane_table[e[1]].y};
      segment(s);
    }
  }
  if (show_voronoi) {
    glColor4fv(kVoronoiColour);
    for (const auto& v : g.voronoi) segment(v.data());
  }
  glEnd();
  if (show_voronoi && g.kind == flat_kind::circle) {
    glColor4fv(kVoronoiColour);
    dot(g.centre, 0.04);
  }
}

void draw_furthest_site() {
  if (!furthest_on || point_count <= 4) return;
  const furthest_site f = compute_furthest_site();
  glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT);
  glDisable(GL_DEPTH_TEST);
  scaled_line_width(2.0f);
  glEnable(GL_LINE_STIPPLE);
  glLineStipple(1, 0xF0F0);
  glBegin(GL_LINES);
  glColor4fv(kFurthestColour);
  for (const auto& e : f.edges) {
    const double s[4] = {plane_table[e[0]].x, plane_table[e[0]].y, plane_table[e[1]].x,
                         plane_table[e[1]].y};
    segment(s);
  }
  glEnd();
  glDisable(GL_LINE_STIPPLE);
  glBegin(GL_LINES);
  glColor4fv(kFurthestVoronoi);
  for (const auto& v : f.voronoi) segment(v.data());
  glEnd();
  glPopAttrib();
}

bool current_circle(empty_circle* c) {
  if (!circle_on || !pointer_inside || any_weight()) return false;
  const flat_diagram g = compute_flat_diagram(plane_table, point_count);
  return find_empty_circle(pointer[0], pointer[1], &g, c) != 0;
}

void draw_empty_circle_2d() {
  empty_circle c;
  if (!current_circle(&c)) return;
  glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT);
  glDisable(GL_DEPTH_TEST);
  glColor4fv(kCircleFill);
  glBegin(GL_TRIANGLES);
  for (int k : c.corner) glVertex3d(plane_table[k].x, plane_table[k].y, 0.0);
  glEnd();
  glColor4fv(kCircleColour);
  scaled_line_width(2.0f);
  draw_circle_loop(c.centre, c.radius, 0.0, false);
  dot(c.centre, 0.05);
  glPopAttrib();
}

void points_overlay_layers() {
  draw_flat_sets();
  draw_furthest_site();
  draw_empty_circle_2d();
}

// --- 3D overlay ----------------------------------------------------------------

void draw_empty_circle_3d() {
  empty_circle c;
  if (!current_circle(&c)) return;
  const point_rec* p[3] = {&point_table[c.corner[0]], &point_table[c.corner[1]],
                           &point_table[c.corner[2]]};
  glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_POLYGON_BIT);
  glDisable(GL_LIGHTING);
  // The lifted face shows through whatever lies in front of it (the surface
  // from below, the upper faces from above): it is the one to look at.
  glDisable(GL_DEPTH_TEST);
  glColor4fv(kCircleColour);
  glBegin(GL_TRIANGLES);
  for (const point_rec* q : p) glVertex3d(q->x, q->y, q->z);
  glEnd();
  // Its plane z = a x + b y + d, over the square, and the circle lifted into
  // it (the plane meets the surface exactly there).
  draw_see_through_plane(plane_through(p), kPlaneColour);
  glColor4fv(kCircleColour);
  scaled_line_width(2.0f);
  const double lift = p[0]->z - (p[0]->x * p[0]->x + p[0]->y * p[0]->y);
  draw_circle_loop(c.centre, c.radius, lift, true);
  draw_circle_loop(c.centre, c.radius, 0.0, false);
  glPopAttrib();
}

// --- camera --------------------------------------------------------------------

// zelmor's third light comes from below the scene (0, -20, 0); looking
// straight at the plane it would leave the steep faces black, so the plane
// views light the scene from the viewer instead.
const float kLight2Zelmor[4] = {0.0f, -20.0f, 0.0f, 0.0f};
const float kLight2Viewer[4] = {0.0f, 0.0f, 1.0f, 0.0f};

void load_camera() {
  // The modelview is the identity here: positions are fixed to the viewer.
  const bool plane_view = camera.mode == camera_mode::below || camera.mode == camera_mode::above;
  glLightfv(GL_LIGHT2, GL_POSITION, plane_view ? kLight2Viewer : kLight2Zelmor);
  camera_update(camera, point_table, point_count, view3d_w, view3d_h, zoom_factor);
  // The start-up and turned views are drawn at a fixed scale for the window
  // of 540 layout pixels; a window resized by the user enlarges them about
  // its centre, so the picture follows the window.  (The fitted views fill
  // it anyway; those from below and above keep the 2D view's scale.)
  const double grow = std::min(view3d_w, view3d_h) / 540.0;
  if (lab_camera_follows_zoom() && grow != 1.0) {
    glTranslated(view3d_w / 2.0, view3d_h / 2.0, 0.0);
    glScaled(grow, grow, grow);
    glTranslated(-view3d_w / 2.0, -view3d_h / 2.0, 0.0);
  }
  double m[16];
  camera_matrix(camera, view3d_w, view3d_h, zoom_factor, m);
  glMultMatrixd(m);
}

void view3d_mouse_seen(int button, int state, int x, int y) {
  if (button != GLUT_LEFT_BUTTON) return;
  dragging = state == GLUT_DOWN;
  drag_x = x;
  drag_y = view3d_h - y;
  if (dragging && camera.mode != camera_mode::fit) {
    // Turn about the middle of what is shown, not about a point off it.
    double lo[3], hi[3];
    shown_box(point_table, point_count, lo, hi);
    const double centre[3] = {(lo[0] + hi[0]) / 2, (lo[1] + hi[1]) / 2, (lo[2] + hi[2]) / 2};
    camera_update(camera, point_table, point_count, view3d_w, view3d_h, zoom_factor);
    if (camera.mode == camera_mode::start) camera.mode = camera_mode::free;
    camera_set_pivot(camera, centre, zoom_factor);
  }
}

void view3d_motion_seen(int x, int y) {
  if (!dragging) return;
  y = view3d_h - y;
  if (x == drag_x && y == drag_y) return;
  camera_drag(camera, x - drag_x, y - drag_y, view3d_w, view3d_h, zoom_factor);
  drag_x = x;
  drag_y = y;
  if (named_view) {
    named_view = false;
    lab_status(camera.mode == camera_mode::fit
                   ? "camera: turned by hand, still fitted (r start-up, b below, t above, v side)"
                   : "camera: turned by hand (r start-up, b below, t above, v side, f fit)");
    redisplay_windows("2");
  }
}

// --- labels --------------------------------------------------------------------

void draw_labels(const point_rec* table) {
  if (!labels_on) return;
  GLint viewport[4];
  GLdouble model[16], proj[16];
  glGetIntegerv(GL_VIEWPORT, viewport);
  glGetDoublev(GL_MODELVIEW_MATRIX, model);
  glGetDoublev(GL_PROJECTION_MATRIX, proj);
  const GLboolean lit = glIsEnabled(GL_LIGHTING);
  glDisable(GL_LIGHTING);
  glColor4fv(label_colour);
  // The status band lies below the plane now, not over it.
  const int bottom = 0;
  // Labels are placed in layout pixels (the offsets and the glyph box of
  // keep_label_inside are layout lengths) and drawn at the device pixel.
  const double scale = draw_scale();
  // In 3D a label may lie over any face: a dark halo around its glyphs
  // (the text drawn dark once more a pixel to each side) keeps it readable
  // on the cyan faces as on the white ground.
  const bool halo = glutGetWindow() == view3d_win;
  const int reach = std::max(1, scaled_px(1));
  for (int i = 0; i < point_count; ++i) {
    GLdouble wx, wy, wz;
    gluProject(table[i].x, table[i].y, table[i].z, model, proj, viewport, &wx, &wy, &wz);
    if (wz < 0.0 || wz > 1.0) continue;
    char text[12];
    const int chars = std::snprintf(text, sizeof text, "%d", i);
    double x, y;
    keep_label_inside(wx / scale, wy / scale, chars, layout_px(viewport[2]), layout_px(viewport[3]),
                      bottom, &x, &y);
    const double px = std::floor(x * scale), py = std::floor(y * scale);
    glWindowPos3d(px, py, wz);
    draw_label_text(GLUT_BITMAP_8_BY_13, text);
    if (halo) {
      // After the text, at its depth: where the text lies the depth test
      // (GL_LESS) keeps the text, and the halo fills only around it.
      glPushAttrib(GL_CURRENT_BIT);
      glColor4fv(kLabelHalo);
      for (int dx = -reach; dx <= reach; dx += reach)
        for (int dy = -reach; dy <= reach; dy += reach) {
          if (dx == 0 && dy == 0) continue;
          glWindowPos3d(px + dx, py + dy, wz);
          draw_label_text(GLUT_BITMAP_8_BY_13, text);
        }
      glPopAttrib();
    }
  }
  if (lit) glEnable(GL_LIGHTING);
}

// --- pointer and status ----------------------------------------------------------

void pointer_seen(int x, int y) {
  pointer_inside = x >= 0;
  if (pointer_inside) {
    lab_plane_at(x, y, pointer);  // zoomed or not
  }
  redisplay_windows(circle_on ? "2S" : "2");
}

// A click in the 2D view or the panel puts the state's hint back in place
// of the last message, unless the click itself said something.
int press_seen(int, int state, int, int) {
  if (state == GLUT_DOWN) status_serial_at_press = lab_status_serial();
  return 0;
}

void click_seen(lab_window, int, int state) {
  if (state == GLUT_DOWN && lab_status_serial() == status_serial_at_press) lab_status("%s", "");
}

// --- actions -------------------------------------------------------------------

void reset_camera() {
  camera_reset(camera, zoom_factor);
  named_view = true;
  lab_status("camera: the start-up view");
}
void view_from_below() {
  // The 2D view's own scale, in the 3D view's layout pixels.
  camera_below(camera, layout_px(points_win_w), layout_px(points_win_h), view3d_w, view3d_h);
  named_view = true;
  lab_status("camera: from below (lower faces over the 2D triangles)");
}
void view_from_above() {
  camera_above(camera, layout_px(points_win_w), layout_px(points_win_h), view3d_w, view3d_h);
  named_view = true;
  lab_status("camera: from above (upper faces)");
}
void view_from_side() {
  camera_side(camera);
  named_view = true;
  lab_status("camera: from the side (x to the right, height up), fitted");
}
void fit_view() {
  camera_fit(camera);
  named_view = true;
  lab_status("camera: fitted to the points (kept when the weight changes)");
}
void toggle_circle() {
  circle_on = !circle_on;
  lab_status(circle_on ? "empty circle on: move the pointer over a triangle" : "empty circle off");
}
void toggle_furthest() {
  furthest_on = !furthest_on;
  lab_status("%s", "");
}
void toggle_labels() {
  labels_on = !labels_on;
  lab_status(labels_on ? "labels on" : "labels off");
}

// A preset replaces the point set as New would, then adds its points: one
// step of the edit history, so one undo brings the old set back.
void load_preset(int i) {
  std::vector<lab_point> pts;
  for (const auto& p : lab_preset_points(i)) pts.push_back({p[0], p[1], 0.0});
  char what[32];
  std::snprintf(what, sizeof what, "preset %c", lab_preset_at(i).key);
  lab_replace_points(pts, what);
  lab_status("preset %c: %s", lab_preset_at(i).key, lab_preset_at(i).name);
}

template <int I>
void preset() {
  load_preset(I);
}

const lab_action kActions[] = {
    {'r', 0, "camera: start-up view", reset_camera},
    {'b', 0, "camera: from below", view_from_below},
    {'t', 0, "camera: from above (top)", view_from_above},
    {'v', 0, "camera: from the side", view_from_side},
    {'f', 0, "camera: fit the points", fit_view},
    {'c', 0, "empty circle on / off", toggle_circle},
    {'F', 0, "furthest-site on / off", toggle_furthest},
    {'n', 0, "labels on / off", toggle_labels},
    {'1', 0, "square and its centre", preset<0>},
    {'2', 0, "circle of 12 and its centre", preset<1>},
    {'3', 0, "3 in a row on the hull", preset<2>},
    {'4', 0, "5 x 5 grid", preset<3>},
    {'5', 0, "cluster within 0.1", preset<4>},
    {'6', 0, "20 random points", preset<5>},
    {'7', 0, "50 random points", preset<6>},
    {'8', 0, "200 random points", preset<7>},
    {'9', 0, "the README's 12 points", preset<8>},
    {'0', 0, "12 points on one circle", preset<9>},
};

}  // namespace

lifted_plane plane_through(const point_rec* const p[3]) {
  const double ux = p[1]->x - p[0]->x, uy = p[1]->y - p[0]->y, uz = p[1]->z - p[0]->z;
  const double vx = p[2]->x - p[0]->x, vy = p[2]->y - p[0]->y, vz = p[2]->z - p[0]->z;
  lifted_plane pl;
  pl.x0 = p[0]->x;
  pl.y0 = p[0]->y;
  pl.z0 = p[0]->z;
  pl.nx = uy * vz - uz * vy;
  pl.ny = uz * vx - ux * vz;
  pl.nz = ux * vy - uy * vx;
  pl.valid = pl.nz != 0.0;
  return pl;
}

void draw_circle_loop(const double c[2], double r, double lift, bool lifted) {
  glBegin(GL_LINE_LOOP);
  for (int k = 0; k < 180; ++k) {
    const double a = k * 2.0 * M_PI / 180.0;
    const double x = c[0] + r * std::cos(a), y = c[1] + r * std::sin(a);
    glVertex3d(x, y, lifted ? x * x + y * y + lift : 0.0);
  }
  glEnd();
}

void draw_see_through_plane(const lifted_plane& plane, const float colour[4]) {
  if (!plane.valid) return;
  glEnable(GL_DEPTH_TEST);
  glDepthMask(GL_FALSE);
  glColor4fv(colour);
  glBegin(GL_QUADS);
  glVertex3d(-3, -3, plane.height(-3, -3));
  glVertex3d(3, -3, plane.height(3, -3));
  glVertex3d(3, 3, plane.height(3, 3));
  glVertex3d(-3, 3, plane.height(-3, 3));
  glEnd();
  glDepthMask(GL_TRUE);
  glDisable(GL_DEPTH_TEST);
}

bool lab_camera_follows_zoom() {
  return camera.mode == camera_mode::start || camera.mode == camera_mode::free;
}

void lab_status_rows(char* top, char* bottom, int size) {
  status_facts f;
  f.count = point_count;
  f.selected = selected_count > 0 ? selected_points[0] : -1;
  f.pointer_inside = pointer_inside;
  f.pointer[0] = pointer[0];
  f.pointer[1] = pointer[1];
  f.furthest = furthest_on;
  f.circle = circle_on;
  f.message = lab_status_text();
  f.file_trouble = point_file_failure();
  unsigned char hidden[MAX_POINTS] = {};
  if (construction_on()) {
    // While the construction is watched, the points it has hidden so far:
    // the whole set's may name points not inserted yet.
    for (int i : construction_current().hidden_so_far) hidden[i] = 1;
    if (!construction_current().hidden_so_far.empty()) f.hidden = lab_hidden_names(hidden, point_count);
  } else if (point_count > 4 && find_hidden_points(hidden) > 0) {
    f.hidden = lab_hidden_names(hidden, point_count);
  }
  const flat_diagram g = compute_flat_diagram(plane_table, point_count);
  f.kind = g.kind;
  f.distinct = g.distinct;
  const status_rows r = status_line(f);
  std::snprintf(top, static_cast<size_t>(size), "%s", r.top.c_str());
  std::snprintf(bottom, static_cast<size_t>(size), "%s", r.bottom.c_str());
}

int lab_labels_shown() { return labels_on ? 1 : 0; }

void lab_lessons_get(lab_lessons_state* s) {
  s->circle = circle_on;
  s->furthest = furthest_on;
  s->labels = labels_on;
  s->pointer_inside = pointer_inside;
  s->pointer[0] = pointer[0];
  s->pointer[1] = pointer[1];
  s->camera = camera;
}

void lab_lessons_set(const lab_lessons_state& s) {
  circle_on = s.circle;
  furthest_on = s.furthest;
  labels_on = s.labels;
  pointer_inside = s.pointer_inside;
  pointer[0] = s.pointer[0];
  pointer[1] = s.pointer[1];
  camera = s.camera;
  named_view = false;
  dragging = false;
}

bool lab_empty_circle_shown(empty_circle* c) { return current_circle(c); }
int lab_furthest_shown() { return furthest_on ? 1 : 0; }

void lab_lessons_init() {
  static_assert(sizeof kActions / sizeof kActions[0] == 18);
  lab_add_actions(kActions, sizeof kActions / sizeof kActions[0]);
  camera_reset(camera, zoom_factor);
  view3d_camera = load_camera;
  label_drawer = draw_labels;
  lab_add_points_overlay(points_overlay_layers);
  lab_add_view3d_overlay(draw_empty_circle_3d);
  lab_add_pointer_observer(pointer_seen);
  lab_add_view3d_observers(view3d_mouse_seen, view3d_motion_seen);
  lab_add_points_mouse_filter(press_seen);
  lab_add_mouse_observer(click_seen);
  lab_construction_init();
  lab_circles_init();
}
