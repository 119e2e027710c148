// The lab's GL side: its keyboard on every window, the status line drawn over
// the 2D view, the help.
#include <GL/freeglut.h>

#include <cstdio>
#include <initializer_list>

#include "app/windows.h"
#include "diag/diag.h"
#include "lab/edit.h"
#include "lab/lab.h"
#include "view2d/view2d.h"
#include "view3d/view3d.h"

namespace {

// The status line: a pale band along the bottom of the 2D view with two rows
// of text in black, drawn in pixels over everything else.  The band lets the
// points under it show through.
void draw_status_line() {
  char top[LAB_STATUS_MAX * 2], bottom[LAB_STATUS_MAX * 2];
  lab_status_rows(top, bottom, sizeof top);
  glPushMatrix();
  glLoadIdentity();
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glColor4f(1.0f, 1.0f, 0.9f, 0.8f);
  glRecti(0, 0, points_win_w, LAB_STATUS_BAND);
  glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
  const char* rows[2] = {top, bottom};
  for (int r = 0; r < 2; ++r) {
    glRasterPos2i(4, LAB_STATUS_BAND - 14 - 15 * r);
    for (const char* c = rows[r]; *c != '\0'; ++c) glutBitmapCharacter(GLUT_BITMAP_HELVETICA_12, *c);
  }
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

lab_pointer_observer pointer_observers[MAX_HOOKS];
int pointer_observer_count = 0;
void (*view3d_mouse_observers[MAX_HOOKS])(int, int, int, int);
void (*view3d_motion_observers[MAX_HOOKS])(int, int);
int view3d_observer_count = 0;

void lab_points_motion(int x, int y) {
  points_motion(x, y);
  lab_points_passive(x, y);
}

void lab_points_entry(int state) {
  if (state == GLUT_LEFT) lab_points_passive(-1, -1);
}

void lab_view3d_mouse(int button, int state, int x, int y) {
  view3d_mouse(button, state, x, y);
  for (int i = 0; i < view3d_observer_count; ++i) view3d_mouse_observers[i](button, state, x, y);
}

void lab_view3d_motion(int x, int y) {
  view3d_motion(x, y);
  for (int i = 0; i < view3d_observer_count; ++i) view3d_motion_observers[i](x, y);
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

void lab_points_passive(int x, int y) {
  for (int i = 0; i < pointer_observer_count; ++i) pointer_observers[i](x, y);
}

void lab_add_pointer_observer(lab_pointer_observer observer) {
  if (pointer_observer_count == MAX_HOOKS) fatal_error("lab: too many pointer observers\n");
  pointer_observers[pointer_observer_count++] = observer;
}

void lab_add_view3d_observers(void (*mouse)(int, int, int, int), void (*motion)(int, int)) {
  if (view3d_observer_count == MAX_HOOKS) fatal_error("lab: too many 3D observers\n");
  view3d_mouse_observers[view3d_observer_count] = mouse;
  view3d_motion_observers[view3d_observer_count++] = motion;
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
  // The lab's About text lists the lab's keys (zelmor's own text stays in
  // zelmor).  Rows beyond the buffer are cut.
  const std::string help = lab_help_text();
  std::snprintf(about_text, sizeof about_text, "%s", help.c_str());
  points_overlay = lab_points_overlay;
  view3d_overlay = lab_view3d_overlay;
  for (int win : {view3d_win, about_win, top_win, panel_win, points_win}) {
    glutSetWindow(win);
    glutKeyboardFunc(lab_keyboard);
    glutSpecialFunc(lab_special);
  }
  glutSetWindow(points_win);
  glutMouseFunc(lab_points_mouse);
  glutMotionFunc(lab_points_motion);
  glutPassiveMotionFunc(lab_points_passive);
  glutEntryFunc(lab_points_entry);
  glutSetWindow(view3d_win);
  glutMouseFunc(lab_view3d_mouse);
  glutMotionFunc(lab_view3d_motion);
  glutSetWindow(panel_win);
  glutMouseFunc(lab_panel_mouse);
  glutSetWindow(top_win);
  lab_status("zelmor-lab: press h for the keys");
}
