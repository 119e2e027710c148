// The lab's GL side: its keyboard on every window, the status line drawn over
// the 2D view, the help.
#include <GL/freeglut.h>

#include <initializer_list>

#include "app/windows.h"
#include "diag/diag.h"
#include "lab/edit.h"
#include "lab/lab.h"
#include "view2d/view2d.h"
#include "view3d/view3d.h"

namespace {

constexpr int STATUS_BAND = 18;  // pixels at the bottom of the 2D view

// The status line: a pale band along the bottom of the 2D view with the
// message in black, drawn in pixels over everything else.
void draw_status_line() {
  const char* text = lab_status_text();
  if (text[0] == '\0') return;
  glPushMatrix();
  glLoadIdentity();
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glColor4f(1.0f, 1.0f, 0.9f, 0.85f);
  glRecti(0, 0, points_win_w, STATUS_BAND);
  glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
  glRasterPos2i(4, 5);
  for (const char* c = text; *c != '\0'; ++c) glutBitmapCharacter(GLUT_BITMAP_HELVETICA_12, *c);
  glPopAttrib();
  glPopMatrix();
}

void (*points_overlays[8])();
int points_overlay_count = 0;
void (*view3d_overlays[8])();
int view3d_overlay_count = 0;

void lab_points_overlay() {
  for (int i = 0; i < points_overlay_count; ++i) points_overlays[i]();
  draw_status_line();
}

void lab_view3d_overlay() {
  for (int i = 0; i < view3d_overlay_count; ++i) view3d_overlays[i]();
}

constexpr int MAX_HOOKS = 8;
lab_mouse_filter points_filters[MAX_HOOKS];
int points_filter_count = 0;
lab_mouse_observer mouse_observers[MAX_HOOKS];
int mouse_observer_count = 0;

void notify_observers(lab_window window, int button, int state) {
  for (int i = 0; i < mouse_observer_count; ++i) mouse_observers[i](window, button, state);
}

void lab_points_mouse(int button, int state, int x, int y) {
  bool consumed = false;
  for (int i = 0; i < points_filter_count && !consumed; ++i)
    consumed = points_filters[i](button, state, x, y) != 0;
  if (!consumed) points_mouse(button, state, x, y);
  notify_observers(lab_window::points, button, state);
}

void lab_panel_mouse(int button, int state, int x, int y) {
  panel_mouse(button, state, x, y);
  notify_observers(lab_window::panel, button, state);
}

const lab_action kShellActions[] = {
    {'h', 0, "show the help (this window)", lab_show_help},
    {'?', 0, "show the help (this window)", lab_show_help},
};

}  // namespace

void lab_show_help() {
  const int current = glutGetWindow();
  glutSetWindow(about_win);
  glutShowWindow();
  glutPostRedisplay();
  if (current != 0) glutSetWindow(current);
}

void lab_add_points_overlay(void (*draw)()) {
  if (points_overlay_count == 8) fatal_error("lab: too many 2D overlays\n");
  points_overlays[points_overlay_count++] = draw;
}

void lab_add_view3d_overlay(void (*draw)()) {
  if (view3d_overlay_count == 8) fatal_error("lab: too many 3D overlays\n");
  view3d_overlays[view3d_overlay_count++] = draw;
}

void lab_add_points_mouse_filter(lab_mouse_filter filter) {
  if (points_filter_count == MAX_HOOKS) fatal_error("lab: too many mouse filters\n");
  points_filters[points_filter_count++] = filter;
}

void lab_add_mouse_observer(lab_mouse_observer observer) {
  if (mouse_observer_count == MAX_HOOKS) fatal_error("lab: too many mouse observers\n");
  mouse_observers[mouse_observer_count++] = observer;
}

// After a key's action: whatever it changed of the point set (a weight, a
// preset) is one step of the edit history.
void lab_keyboard(unsigned char key, int, int) {
  if (!lab_run_key(key, 0)) return;
  lab_history_note(nullptr);
  redisplay_windows("23S");
}

void lab_special(int key, int, int) {
  if (!lab_run_key(0, key)) return;
  lab_history_note(nullptr);
  redisplay_windows("23S");
}

void lab_create_windows() {
  lab_add_actions(kShellActions, sizeof kShellActions / sizeof kShellActions[0]);
  create_windows();
  points_overlay = lab_points_overlay;
  view3d_overlay = lab_view3d_overlay;
  for (int win : {view3d_win, about_win, top_win, panel_win, points_win}) {
    glutSetWindow(win);
    glutKeyboardFunc(lab_keyboard);
    glutSpecialFunc(lab_special);
  }
  glutSetWindow(points_win);
  glutMouseFunc(lab_points_mouse);
  glutSetWindow(panel_win);
  glutMouseFunc(lab_panel_mouse);
  glutSetWindow(top_win);
  lab_status("zelmor-lab: press h for the keys");
}
