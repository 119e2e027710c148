// "Watch it grow" on screen: the construction mode's keys, its play timer
// and its pictures in both views.  While the mode is on, each view clears
// what zelmor drew of the whole set and draws the triangulation of the
// points so far with the current stage on it.  The stage itself comes from
// construction_logic.cpp.
#include <GL/freeglut.h>

#include <cmath>
#include <cstdio>

#include "app/windows.h"
#include "lab/construction_logic.h"
#include "lab/lab.h"
#include "lab/lessons.h"
#include "view2d/view2d.h"
#include "view3d/view3d.h"

namespace {

// RGBA; none of them is one of zelmor's or of the other lessons'.
const float kEdge[4] = {0.0f, 0.3f, 1.0f, 1.0f};            // the triangulation so far
const float kFace[4] = {0.75f, 0.85f, 1.0f, 0.55f};         // its lifted faces
const float kLit[4] = {1.0f, 0.8f, 0.0f, 1.0f};             // holds the point in its circle / seen by its lift
const float kFresh[4] = {0.2f, 0.8f, 0.3f, 1.0f};           // the fan, the cone, the flip's new pair
const float kRim[4] = {0.55f, 0.0f, 0.75f, 1.0f};           // the hole's rim, the horizon
const float kCircle[4] = {0.9f, 0.3f, 0.0f, 1.0f};          // the circles that hold the point
const float kOldEdge[4] = {0.85f, 0.0f, 0.0f, 1.0f};        // the edge a flip takes away
const float kNewPoint[4] = {0.85f, 0.0f, 0.0f, 1.0f};
const float kPoint[4] = {0.14f, 0.14f, 0.56f, 1.0f};        // as zelmor's points
const float kLater[4] = {0.72f, 0.72f, 0.72f, 1.0f};        // points still to come
const float kTetra[4] = {0.1f, 0.1f, 0.1f, 1.0f};           // a flip's tetrahedron

void vertex(int i, bool lifted) {
  if (lifted)
    glVertex3d(point_table[i].x, point_table[i].y, point_table[i].z);
  else
    glVertex3d(plane_table[i].x, plane_table[i].y, 0.0);
}

void fill(const std::vector<tri_index>& tris, const float* colour, bool lifted) {
  glColor4fv(colour);
  glBegin(GL_TRIANGLES);
  for (const tri_index& t : tris)
    for (int v : t) vertex(v, lifted);
  glEnd();
}

void outline(const std::vector<tri_index>& tris, const float* colour, float width, bool lifted) {
  glColor4fv(colour);
  scaled_line_width(width);
  glBegin(GL_LINES);
  for (const tri_index& t : tris)
    for (int e = 0; e < 3; ++e) {
      vertex(t[e], lifted);
      vertex(t[(e + 1) % 3], lifted);
    }
  glEnd();
}

void edges(const std::vector<std::array<int, 2>>& list, const float* colour, float width, bool lifted) {
  glColor4fv(colour);
  scaled_line_width(width);
  glBegin(GL_LINES);
  for (const auto& e : list) {
    vertex(e[0], lifted);
    vertex(e[1], lifted);
  }
  glEnd();
}

void circles(const construction_picture& pic) {
  glColor4fv(kCircle);
  scaled_line_width(2.0f);
  for (const construction_circle& c : pic.circles) {
    glBegin(GL_LINE_LOOP);
    for (int k = 0; k < 180; ++k) {
      const double a = k * 2.0 * M_PI / 180.0;
      glVertex3d(c.centre[0] + c.radius * std::cos(a), c.centre[1] + c.radius * std::sin(a), 0.0);
    }
    glEnd();
  }
}

void points(const construction_picture& pic, bool lifted, float size) {
  std::vector<char> in(static_cast<size_t>(point_count), 0);
  for (int i : pic.inserted) in[static_cast<size_t>(i)] = 1;
  scaled_point_size(size * 0.7f);
  glColor4fv(kLater);
  glBegin(GL_POINTS);
  for (int i = 0; i < point_count; ++i)
    if (!in[static_cast<size_t>(i)]) vertex(i, lifted);
  glEnd();
  // A point in no triangle (hidden by the weights, or a duplicate) is a
  // ring, as the lab draws hidden points.
  std::vector<char> used(static_cast<size_t>(point_count), pic.triangles.empty() ? 1 : 0);
  for (const tri_index& t : pic.triangles)
    for (int v : t) used[static_cast<size_t>(v)] = 1;
  scaled_point_size(size);
  glColor4fv(kPoint);
  glBegin(GL_POINTS);
  for (int i : pic.inserted)
    if (i != pic.point && used[static_cast<size_t>(i)]) vertex(i, lifted);
  glEnd();
  scaled_line_width(2.0f);
  for (int i : pic.inserted) {
    if (used[static_cast<size_t>(i)]) continue;
    glColor4fv(i == pic.point ? kNewPoint : kPoint);
    const point_rec& p = lifted ? point_table[i] : plane_table[i];
    glBegin(GL_LINE_LOOP);
    for (int k = 0; k < 12; ++k) {
      const double a = k * 2.0 * M_PI / 12.0;
      glVertex3d(p.x + 0.07 * std::cos(a), p.y + 0.07 * std::sin(a), lifted ? p.z : 0.0);
    }
    glEnd();
  }
  if (used[static_cast<size_t>(pic.point)]) {
    scaled_point_size(size * 1.5f);
    glColor4fv(kNewPoint);
    glBegin(GL_POINTS);
    vertex(pic.point, lifted);
    glEnd();
  }
  scaled_point_size(1.0f);
}

void labels(const construction_picture& pic, bool lifted) {
  if (!lab_labels_shown()) return;
  glColor4fv(label_colour);
  for (int i : pic.inserted) {
    const point_rec& p = lifted ? point_table[i] : plane_table[i];
    glRasterPos3d(p.x + 0.07, p.y + 0.07, lifted ? p.z : 0.0);
    char text[12];
    std::snprintf(text, sizeof text, "%d", i);
    draw_label_text(GLUT_BITMAP_8_BY_13, text);
  }
}

// The flip's old edge, dashed, in the plane or lifted.
void old_edge(const construction_picture& pic, bool lifted) {
  if (!pic.flip) return;
  glEnable(GL_LINE_STIPPLE);
  glLineStipple(2, 0xAAAA);
  edges({{pic.flip_abcd[0], pic.flip_abcd[1]}}, kOldEdge, 3.0f, lifted);
  glDisable(GL_LINE_STIPPLE);
}

// --- 2D view -------------------------------------------------------------------

void draw_points_layer() {
  if (!construction_on()) return;
  const construction_picture& pic = construction_current();
  glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_POINT_BIT | GL_CURRENT_BIT);
  // One plane, drawn in the order of importance: later layers on top.
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  if (show_grid == 1) {
    draw_grid();
    draw_axes(0);
  }
  if (pic.valid) {
    fill(pic.lit, kLit, false);
    fill(pic.fresh, kFresh, false);
    // What goes, outlined under the edges: a split's old triangle or a
    // flip's old pair shows beside the new ones that cover it.
    outline(pic.lit, kLit, 5.0f, false);
    outline(pic.triangles, kEdge, 2.0f, false);
    old_edge(pic, false);
    edges(pic.rim, kRim, 4.0f, false);
    circles(pic);
    points(pic, false, 8.0f);
    labels(pic, false);
  }
  glPopAttrib();
}

// --- 3D view -------------------------------------------------------------------

void draw_view3d_layer() {
  if (!construction_on()) return;
  const construction_picture& pic = construction_current();
  glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_POINT_BIT | GL_CURRENT_BIT | GL_DEPTH_BUFFER_BIT |
               GL_COLOR_BUFFER_BIT);
  glDisable(GL_LIGHTING);
  glEnable(GL_DEPTH_TEST);
  draw_axes(1);
  if (pic.valid) {
    // The triangulation in the plane below, as zelmor draws its edges there.
    outline(pic.triangles, kFace, 1.0f, false);
    // The lower faces so far, lifted and translucent; they leave the depth
    // buffer alone, so that every edge drawn after them shows (the page's GL
    // has no polygon offset).
    std::vector<tri_index> plain;
    for (const tri_index& t : pic.triangles) {
      bool marked = false;
      for (const tri_index& u : pic.fresh) marked = marked || u == t;
      if (!marked) plain.push_back(t);
    }
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthMask(GL_FALSE);
    fill(plain, kFace, true);
    glDepthMask(GL_TRUE);
    outline(pic.triangles, kEdge, 1.5f, true);
    // The lit faces and the new ones drawn over the rest: what the lesson is
    // about stays in sight from every side.
    glDisable(GL_DEPTH_TEST);
    // A flip's four faces are the sides of one tetrahedron: seen through
    // each other, the old pair behind the new one shows too.
    const float alpha = pic.flip ? 0.5f : 0.85f;
    const float lit[4] = {kLit[0], kLit[1], kLit[2], alpha};
    const float fresh[4] = {kFresh[0], kFresh[1], kFresh[2], alpha};
    fill(pic.lit, lit, true);
    fill(pic.fresh, fresh, true);
    outline(pic.fresh, kFresh, 2.0f, true);
    if (pic.flip) {
      // The tetrahedron of the flip: its six edges.
      const auto& f = pic.flip_abcd;
      std::vector<std::array<int, 2>> six;
      for (int i = 0; i < 4; ++i)
        for (int j = i + 1; j < 4; ++j) six.push_back({f[static_cast<size_t>(i)], f[static_cast<size_t>(j)]});
      edges(six, kTetra, 2.0f, true);
      old_edge(pic, true);
    }
    edges(pic.rim, kRim, 4.0f, true);
    // From the point in the plane up to its lift.
    glEnable(GL_LINE_STIPPLE);
    glLineStipple(2, 0xCCCC);
    glColor4fv(kNewPoint);
    scaled_line_width(1.0f);
    glBegin(GL_LINES);
    vertex(pic.point, false);
    vertex(pic.point, true);
    glEnd();
    glDisable(GL_LINE_STIPPLE);
    glEnable(GL_DEPTH_TEST);
    points(pic, true, 7.0f);
    labels(pic, true);
  }
  glPopAttrib();
}

// --- play --------------------------------------------------------------------------

// Each play arms one timer; a pause or a second play makes the armed one
// stale (its value no longer the serial), so two never run together.
int play_serial = 0;

void tick(int serial) {
  if (serial != play_serial) return;
  if (construction_tick())
    glutTimerFunc(static_cast<unsigned>(CONSTRUCTION_DELAY_MS[lab_construction_state().speed]), tick, play_serial);
  redisplay_windows("2S");
}

void arm() {
  ++play_serial;
  if (lab_construction_state().playing)
    glutTimerFunc(static_cast<unsigned>(CONSTRUCTION_DELAY_MS[lab_construction_state().speed]), tick, play_serial);
}

void play_pause() {
  construction_play_pause();
  arm();
}

// Any other step stops play: the hand has taken over.
template <void (*F)()>
void by_hand() {
  construction_state s = lab_construction_state();
  const bool was = s.playing;
  F();
  s = lab_construction_state();
  if (was && s.playing && F != construction_faster && F != construction_slower) {
    s.playing = false;
    lab_construction_set_state(s);
  }
  if (!lab_construction_state().playing) ++play_serial;
}

const lab_action kActions[] = {
    {'g', 0, "watch it grow: on / off", by_hand<construction_toggle>},
    {0, GLUT_KEY_RIGHT, "grow: next / previous step", by_hand<construction_next>},
    {0, GLUT_KEY_LEFT, "grow: next / previous step", by_hand<construction_prev>},
    {0, GLUT_KEY_HOME, "grow: first / last step", by_hand<construction_first>},
    {0, GLUT_KEY_END, "grow: first / last step", by_hand<construction_last>},
    {' ', 0, "grow: play / pause", play_pause},
    {']', 0, "grow: play faster / slower", by_hand<construction_faster>},
    {'[', 0, "grow: play faster / slower", by_hand<construction_slower>},
    {'i', 0, "grow: by the hole / by flips", by_hand<construction_toggle_way>},
    {'j', 0, "grow: index / random order", by_hand<construction_toggle_order>},
};

}  // namespace

void lab_construction_init() {
  lab_add_actions(kActions, sizeof kActions / sizeof kActions[0]);
  lab_add_points_overlay(draw_points_layer);
  lab_add_view3d_overlay(draw_view3d_layer);
}
