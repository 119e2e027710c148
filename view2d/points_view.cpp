// The 2D points subwindow: the editor of the point set.  A top view of the
// square [-3, 3]^2 with the points, their labels, the Delaunay and Voronoi
// edges of the last recomputation and, on request, the grid and the axes.
// Right button adds a point, left selects and drags one, middle selects.
#include <GL/freeglut.h>
#include <GL/glu.h>

#include "app/windows.h"
#include "view2d/view2d.h"
#include "view3d/view3d.h"

int points_win_w = 540, points_win_h = 540;
fixed_size points_fixed{541, 541};
int edit_mode = 0;
int last_mouse_x = 0, last_mouse_y = 0;

namespace {

constexpr int MODE_SELECT = 2;
constexpr int MODE_DRAG = 3;
constexpr int MODE_ADD = 11;

// The plane square onto the whole viewport; the display and the pick share it.
void load_plane_transform() {
  glLoadIdentity();
  if (points_transform != nullptr && points_transform()) return;
  glTranslatef(points_win_w / 2.0f, points_win_h / 2.0f, 1.0f);
  glScalef(points_win_w / 6.0f, points_win_h / 6.0f, 1.0f);
}

// The records are the 3D display's to refresh, and it comes first when both
// windows are drawn.  The window system skips the display of a 3D window
// that is covered or unmapped, though: without this the plane would go on
// showing the edges of an older point set.  The redraw that recompute asks
// for is this very one, already under way.
void recompute_for_this_view() {
  void (*const post)() = post_points_redisplay;
  post_points_redisplay = nullptr;
  recompute();
  post_points_redisplay = post;
}

}  // namespace

void (*points_overlay)() = nullptr;
int (*points_transform)() = nullptr;

int pick_point(int x, int y) {
  GLint viewport[4];
  GLdouble model[16], proj[16];
  glPushMatrix();
  load_plane_transform();
  glGetIntegerv(GL_VIEWPORT, viewport);
  glGetDoublev(GL_MODELVIEW_MATRIX, model);
  glGetDoublev(GL_PROJECTION_MATRIX, proj);
  glPopMatrix();
  for (int i = 0; i < point_count; ++i) {
    GLdouble wx, wy, wz;
    gluProject(plane_table[i].x, plane_table[i].y, plane_table[i].z, model, proj, viewport, &wx,
               &wy, &wz);
    if (pick_hit(wx, wy, x, y)) return i;
  }
  return -1;
}

void points_reshape(int width, int height) {
  keep_window_size(&points_fixed, width, height);
  points_win_w = width;
  points_win_h = height;
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  glEnable(GL_NORMALIZE);
  glEnable(GL_AUTO_NORMAL);
  glFrontFace(GL_CCW);
  glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
  glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
  glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0.0, width, 0.0, height, -30.0, 30.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void points_display() {
  // Nothing to draw at a foreign size beyond what the renderer draws: the
  // reshape back brings a redisplay.
  if (points_fixed.undrawable) return;
  glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glDisable(GL_LIGHTING);
  if (point_count > 4 && need_recompute) recompute_for_this_view();
  glPushMatrix();
  load_plane_transform();
  // Everything lies in the plane z = 0 with the depth test on (GL_LESS):
  // where two layers cover a pixel, the one drawn first stays visible.
  draw_plane_points(plane_table);
  label_drawer(plane_table);
  if (point_count > 4) {
    if (show_delaunay) draw_delaunay_edges();
    if (show_voronoi) draw_voronoi_edges();
  }
  if (show_grid == 1) {
    draw_grid();
    draw_axes(0);
  }
  if (points_overlay != nullptr) points_overlay();
  glPopMatrix();
  glutSwapBuffers();
  frame_done(&points_fixed);
}

void points_mouse(int button, int state, int x, int y) {
  const int w = points_win_w, h = points_win_h;
  y = h - y;  // GLUT counts y from the top

  if (button == GLUT_RIGHT_BUTTON && state == GLUT_DOWN) {
    // A full table refuses the point (add_point says so): nothing changed, so
    // the file, the flag, the mode and any drag in progress stay as they are.
    if (!append_point(point_rec{plane_coord(x, w), plane_coord(y, h), 0.0, 1.0})) return;
    edit_mode = MODE_ADD;  // also ends a left drag in progress
    redisplay_windows("12");
    redisplay_windows("3S");
    return;
  }
  if (button == GLUT_RIGHT_BUTTON && state == GLUT_UP) {
    redisplay_windows("3S");
    return;
  }
  if ((button == GLUT_LEFT_BUTTON || button == GLUT_MIDDLE_BUTTON) && state == GLUT_DOWN) {
    last_mouse_x = x;
    last_mouse_y = y;
    drag_index = -1;
    const int i = pick_point(x, y);
    if (i >= 0) {
      drag_index = i;
      selected_count = 1;
      selected_points[0] = i;
      redisplay_windows("2");
      edit_mode = button == GLUT_LEFT_BUTTON ? MODE_DRAG : MODE_SELECT;
    }
    // A miss keeps the old highlight and mode.
    redisplay_windows("3S");
    return;
  }
  // Releases of the left and middle buttons, and any other button.  A release
  // keeps drag_index: the next press resets it.
  if (state == GLUT_UP) {
    redisplay_windows("12");
  }
  redisplay_windows("3S");
}

void points_motion(int x, int y) {
  const int w = points_win_w, h = points_win_h;
  y = h - y;
  // drag_index < point_count holds whenever a drag can run (every press in
  // this window resets drag_index); the test keeps a stale index from ever
  // naming an entry past the valid ones.
  if (drag_index != -1 && drag_index < point_count && edit_mode == MODE_DRAG) {
    const double dx = (x - last_mouse_x) * 6.0 / w;
    const double dy = (y - last_mouse_y) * 6.0 / h;
    // The reference follows the mouse even when move_point drops the step,
    // so a point held against the border keeps the offset built up meanwhile.
    last_mouse_x = x;
    last_mouse_y = y;
    move_point(plane_table, drag_index, dx, dy, 0.0);
    point_changed(drag_index);
  }
  redisplay_windows("12S");
}
