// The lab's GL side: its keyboard on every window, the status line drawn over
// the 2D view, the help.
#include <GL/freeglut.h>

#include <GL/glu.h>

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/windows.h"
#include "diag/diag.h"
#include "lab/edit.h"
#include "lab/lab.h"
#include "lab/lessons.h"
#include "view2d/scale.h"
#include "view2d/view2d.h"
#include "view3d/view3d.h"

namespace {

// The status line: a pale band of its own below the plane (the lab makes
// "2D Points" taller by it and moves the panel down), so that it covers no
// part of the plane.  The message wraps onto two rows; the facts (count,
// hidden points, selection, pointer) take the last.
int status_width(const std::string& text) {
  return bitmap_text_width(GLUT_BITMAP_HELVETICA_12, text.c_str());
}

// The band keeps the size the layout gives it (status_reshape) against
// resizes by other clients, which would otherwise lay it over the panel.
fixed_size band_size{0, 0};

// Laid out in layout pixels: three rows of 15 at any drawing scale.
void status_display() {
  // Nothing to draw at a foreign size beyond what the renderer draws: the
  // reshape back brings a redisplay.
  if (band_size.undrawable) return;
  char top[LAB_STATUS_MAX * 2], bottom[LAB_STATUS_MAX * 2];
  lab_status_rows(top, bottom, sizeof top);
  layout_projection(glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT));
  const int w = layout_px(glutGet(GLUT_WINDOW_WIDTH)), h = layout_px(glutGet(GLUT_WINDOW_HEIGHT));
  glLoadIdentity();
  glClearColor(1.0f, 1.0f, 0.9f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glColor4f(0.6f, 0.6f, 0.5f, 1.0f);
  scaled_line_width(1.0f);
  glBegin(GL_LINES);  // a rule between the plane and the band
  glVertex2i(0, h - 1);
  glVertex2i(w, h - 1);
  glEnd();
  glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
  std::vector<std::string> rows = wrap_status(top, 2, w - 8, status_width);
  rows.resize(2);
  const std::vector<std::string> facts = wrap_status(bottom, 1, w - 8, status_width);
  rows.push_back(facts.empty() ? "" : facts[0]);
  for (int r = 0; r < 3; ++r) {
    glRasterPos2i(4, h - 15 - 15 * r);
    draw_bitmap_text(GLUT_BITMAP_HELVETICA_12, rows[static_cast<size_t>(r)].c_str());
  }
  glutSwapBuffers();
  frame_done(&band_size);
}

void (*points_overlays[8])();
int points_overlay_count = 0;
void (*view3d_overlays[8])();
int view3d_overlay_count = 0;

void lab_points_overlay() {
  for (int i = 0; i < points_overlay_count; ++i) points_overlays[i]();
  // What the 2D view shows (count, selection, pointer) is what the band
  // reports: it follows every redraw of the view.
  if (lab_status_win != 0) glutPostWindowRedisplay(lab_status_win);
}

void lab_view3d_overlay() {
  for (int i = 0; i < view3d_overlay_count; ++i) view3d_overlays[i]();
}

constexpr int MAX_HOOKS = 16;  // eight mouse filters are in use
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

void lab_points_mouse(int button, int state, int x, int y) {
  bool consumed = false;
  for (int i = 0; i < points_filter_count && !consumed; ++i)
    consumed = points_filters[i](button, state, x, y) != 0;
  if (!consumed) points_mouse(button, state, x, y);
  notify_observers(lab_window::points, button, state);
}

void lab_panel_mouse(int button, int state, int x, int y) {
  // zelmor's Quit! ends at the release; the lab asks first when the points
  // differ from the last save (a second Quit! then quits).
  if (button == GLUT_LEFT_BUTTON && state == GLUT_UP && quit_button.state == 1 &&
      !lab_quit_confirm())
    quit_button.state = 0;
  const float zoom_before = zoom_factor;
  panel_mouse(button, state, x, y);
  if (zoom_factor != zoom_before) {
    const int clamped = lab_zoom_clamp(&zoom_factor);
    if (clamped > 0) lab_status("zoom: at its closest (- zooms out; r or f for the whole picture)");
    if (clamped < 0) lab_status("zoom: at its furthest (+ zooms in)");
    // A press that changes nothing on screen says why.
    if (clamped == 0 && !lab_camera_follows_zoom())
      lab_status("zoom: this 3D view keeps its own scale (b, t, v, f); r or a drag to zoom");
  }
  notify_observers(lab_window::panel, button, state);
}

bool help_shown = false;
float help_scale = 0.0f;  // the drawing scale the help was last sized for

void hide_help() {
  if (!help_shown) return;
  help_shown = false;
  const int current = glutGetWindow();
  glutSetWindow(about_win);
  glutHideWindow();
  if (current != 0 && current != about_win) glutSetWindow(current);
}

void toggle_help() {
  if (help_shown)
    hide_help();
  else
    lab_show_help();
}

void close_help() {
  if (help_shown)
    hide_help();
  else
    lab_status("Esc closes the help, which is not open; h opens it");
}

// zelmor's About reshape, then a redraw: the help is resized as it is shown,
// and a frame drawn for the old size would otherwise stay up.
//
// The help keeps the size it is laid out for (help_size, set by place_help):
// like the working windows, a new size of its own has the renderer measure
// it, and the first frame after it asks for one more.
fixed_size help_size{0, 0};

void lab_about_reshape(int width, int height) {
  if (help_size.width > 0) keep_window_size(&help_size, width, height);
  about_reshape(width, height);
  glutPostRedisplay();
}

void lab_about_display() {
  about_display();
  frame_done(&help_size);
}

// zelmor's About mouse (the Dismiss button), then any click closes the help.
void lab_about_mouse(int button, int state, int x, int y) {
  about_mouse(button, state, x, y);
  if (state == GLUT_UP) hide_help();
}

// The help's size for its text (zelmor's About draws 9 x 15 glyphs, 20
// pixels a line, the first 20 below the top, Dismiss in the bottom 21 rows),
// and a place beside the two working windows when the screen has room:
// right of "3D Projection", else below it; else where zelmor puts About.
void place_help() {
  int lines = 0, widest = 0, run = 0;
  for (const char* c = about_shown_text; *c != '\0'; ++c) {
    if (*c == '\n') {
      ++lines;
      widest = std::max(widest, run);
      run = 0;
    } else {
      ++run;
    }
  }
  // In layout pixels, then in device pixels beside the windows as they are.
  const int w = scaled_px(std::max(690, 20 + 9 * widest)), h = scaled_px(20 * lines + 30);
  int screen_w = glutGet(GLUT_SCREEN_WIDTH), screen_h = glutGet(GLUT_SCREEN_HEIGHT);
  const int view3d_x = scaled_px(553);
  // The page's canvas reports no screen: it takes what the windows span.
  if (screen_w <= 0 || screen_h <= 0) {
    screen_w = view3d_x + view3d_fixed.width;
    screen_h = scaled_px(616 + LAB_STATUS_BAND);
  }
  const lab_place at = lab_help_place(screen_w, screen_h, w, h, view3d_x, view3d_fixed.width,
                                      view3d_fixed.height);
  help_size.width = w;
  help_size.height = h;
  glutPositionWindow(at.x, at.y);
  glutReshapeWindow(w, h);
  help_scale = draw_scale();
}

// --- the windows' layout and the presentation scale ---------------------------

// Where a subwindow of "2D Points" was put last (device pixels).
struct sub_place {
  int x, y, w, h;
};
sub_place points_at{1, 1, 541, 541}, status_at{1, 542, 541, LAB_STATUS_BAND},
    panel_at{1, 541, 541, 615};

// The size the layout last gave the band is its own; any other is asked back.
void status_reshape(int width, int height) {
  band_size.width = status_at.w;
  band_size.height = status_at.h;
  keep_window_size(&band_size, width, height);
}

void place_subwindow(int win, sub_place* last, const sub_place& now) {
  if (win == 0) return;
  glutSetWindow(win);
  if (now.x != last->x || now.y != last->y) glutPositionWindow(now.x, now.y);
  if (now.w != last->w || now.h != last->h) glutReshapeWindow(now.w, now.h);
  *last = now;
}

// The panel's visible strip: the rows of its layout from 540 up.
int panel_strip() { return scaled_px(615) - scaled_px(540); }

// "2D Points" of width x height device pixels, top down: the plane as the
// largest square that leaves room for the status band and the panel's strip
// (centred across), the band under it, the panel under the band (centred
// when the window is wider).  At its own size (lab_top_size) this is exactly
// zelmor's layout with the band put in: the view 541 x 541 at (1, 1), the
// band at (1, 542), the panel at (1, 591), all times the drawing scale.
void lay_out_2d(int width, int height) {
  const int m = scaled_px(1), band = scaled_px(LAB_STATUS_BAND);
  const int side = std::max(scaled_px(100), std::min(width, height - band - panel_strip()));
  const int current = glutGetWindow();
  // Sizes the lab gives are the views' own from now on: the guards against
  // foreign resizes keep these.
  points_fixed.width = points_fixed.height = side;
  place_subwindow(points_win, &points_at, {m + (width - side) / 2, m, side, side});
  place_subwindow(lab_status_win, &status_at, {m, m + side, width, band});
  place_subwindow(panel_win, &panel_at,
                  {m + std::max(0, (width - panel_fixed.width) / 2), side + band, panel_fixed.width,
                   panel_fixed.height});
  if (current != 0) glutSetWindow(current);
}

// "2D Points" at the drawing scale with the plane at its own size.
void lab_top_size(int* width, int* height) {
  *width = scaled_px(541);
  *height = scaled_px(541) + scaled_px(LAB_STATUS_BAND) + panel_strip();
}

// The size the lab last asked "2D Points" to take; until a reshape brings
// it, reshapes of the size before (the window as zelmor made it, or at the
// last scale) are on their way out and lay nothing out.
int asked_top_w = 0, asked_top_h = 0;
bool top_answered = true;

void ask_top_size(int width, int height) {
  asked_top_w = width;
  asked_top_h = height;
  top_answered = false;
  glutSetWindow(top_win);
  glutReshapeWindow(width, height);
}

// The user may resize "2D Points": the plane, the band and the panel follow.
void lab_top_reshape(int width, int height) {
  top_reshape(width, height);
  if (!top_answered) {
    if (width != asked_top_w || height != asked_top_h) return;
    top_answered = true;
  }
  lay_out_2d(width, height);
}

void cycle_presentation_scale() {
  const int screen_w = glutGet(GLUT_SCREEN_WIDTH), screen_h = glutGet(GLUT_SCREEN_HEIGHT);
  set_draw_scale(lab_next_presentation_scale(draw_scale(), screen_w, screen_h));
  lab_apply_draw_scale();
  // Name the steps this screen cannot hold, so that a teacher who expected
  // 3 knows why P went back to 1.
  const char* beyond = lab_scale_fits_screen(3.0f, screen_w, screen_h) ? "" : " (3 needs a larger screen)";
  if (!lab_scale_fits_screen(2.0f, screen_w, screen_h)) beyond = " (2 and 3 need a larger screen)";
  lab_status("presentation scale %g: P for %g%s", static_cast<double>(draw_scale()),
             static_cast<double>(lab_next_presentation_scale(draw_scale(), screen_w, screen_h)), beyond);
}

const lab_action kShellActions[] = {
    {'h', 0, "this help on / off", toggle_help},
    {'?', 0, "this help on / off", toggle_help},
    {27, 0, "this help on / off", close_help},
    {'P', 0, "presentation scale 1, 1.5, 2, 3", cycle_presentation_scale},
};

}  // namespace

int lab_status_win = 0;

// Every window at its size for the current drawing scale, in its place.
//
// On a screen too small for them (scale 2 on a 1920 x 1080 projector) the
// windows keep to it: "2D Points" as tall as the screen, its plane smaller
// (the panel and the text keep their size), and "3D Projection" square in
// what is left beside it.
void lab_apply_draw_scale() {
  const int current = glutGetWindow();
  panel_fixed.width = scaled_px(541);
  panel_fixed.height = scaled_px(615);
  int w = 0, h = 0;
  lab_top_size(&w, &h);
  const int screen_w = glutGet(GLUT_SCREEN_WIDTH), screen_h = glutGet(GLUT_SCREEN_HEIGHT);
  const int view3d_x = scaled_px(553);
  int side3d = scaled_px(540);
  if (screen_w > 0 && screen_h > 0) {
    h = std::max(std::min(h, screen_h), scaled_px(300));
    side3d = std::max(std::min({side3d, screen_w - view3d_x, screen_h}), scaled_px(200));
  }
  view3d_fixed.width = view3d_fixed.height = side3d;
  glutSetWindow(view3d_win);
  glutPositionWindow(view3d_x, 0);
  glutReshapeWindow(side3d, side3d);
  ask_top_size(w, h);
  lay_out_2d(w, h);  // now, not only when the window system answers
  if (help_shown) {
    glutSetWindow(about_win);
    place_help();
  }
  for (int win : {view3d_win, about_win, top_win, panel_win, points_win, lab_status_win}) {
    glutSetWindow(win);
    glutPostRedisplay();
  }
  if (current != 0) glutSetWindow(current);
}


void lab_show_help() {
  const int current = glutGetWindow();
  glutSetWindow(about_win);
  // A hidden window does not take a new size: the help is sized for a new
  // drawing scale as it is shown.
  if (help_scale != draw_scale()) place_help();
  glutShowWindow();
  glutPopWindow();  // over "2D Points" where it must overlap it
  glutPostRedisplay();
  help_shown = true;
  if (current != 0) glutSetWindow(current);
}

int lab_help_shown() { return help_shown ? 1 : 0; }

// The observers get the pointer in the 3D view's layout pixels, as the
// camera lays the scene out in them.
void lab_view3d_mouse(int button, int state, int x, int y) {
  view3d_mouse(button, state, x, y);
  for (int i = 0; i < view3d_observer_count; ++i)
    view3d_mouse_observers[i](button, state, layout_px(x), layout_px(y));
}

void lab_view3d_motion(int x, int y) {
  view3d_motion(x, y);
  for (int i = 0; i < view3d_observer_count; ++i)
    view3d_motion_observers[i](layout_px(x), layout_px(y));
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
// preset) is one step of the edit history.  A key bound to nothing says so.
namespace {
lab_key_filter key_filter = nullptr;
}  // namespace

void lab_set_key_filter(lab_key_filter filter) { key_filter = filter; }

void lab_keyboard(unsigned char key, int, int) {
  if (key_filter != nullptr && key_filter(key, 0)) {
    redisplay_windows("23S");
    return;
  }
  if (!lab_run_key(key, 0)) {
    lab_status("the key %s does nothing in the lab; h lists the keys",
               lab_key_name(key, 0).c_str());
    redisplay_windows("2");
    return;
  }
  lab_history_note(nullptr);
  redisplay_windows("23S");
}

void lab_special(int key, int, int) {
  if (key_filter != nullptr && key_filter(0, key)) {
    redisplay_windows("23S");
    return;
  }
  if (!lab_run_key(0, key)) {
    // Shift, Ctrl, Alt and the like arrive as keys of their own (freeglut
    // numbers them from 0x6D): they are half of another key, not a key.
    if (key < 0x6D) {
      lab_status("the key %s does nothing in the lab; h lists the keys",
                 lab_key_name(0, key).c_str());
      redisplay_windows("2");
    }
    return;
  }
  lab_history_note(nullptr);
  redisplay_windows("23S");
}

namespace {

// A failed save of ".ZELMOR" is in the title (zelmor's way) and, in the lab,
// where the user looks: the status line leads with it while it lasts
// (lab_status_rows), and says so when saves work again.
void (*zelmor_point_file_state_changed)() = nullptr;
void point_file_state_seen() {
  if (zelmor_point_file_state_changed != nullptr) zelmor_point_file_state_changed();
  if (point_file_failure() == nullptr) lab_status(".ZELMOR saved again");
  redisplay_windows("2");
}

}  // namespace

void lab_create_windows() {
  lab_add_actions(kShellActions, sizeof kShellActions / sizeof kShellActions[0]);
  create_windows();
  zelmor_point_file_state_changed = point_file_state_changed;
  point_file_state_changed = point_file_state_seen;
  // The lab's About text lists the lab's keys; zelmor's own text stays as
  // it is.
  static const std::string help = lab_help_text();
  about_shown_text = help.c_str();
  points_overlay = lab_points_overlay;
  view3d_overlay = lab_view3d_overlay;
  // The status band goes below the plane: "2D Points" grows by it, the band
  // takes the rows under the 2D view and the panel moves down as much, its
  // first row under the band as it was under the view (lay_out_2d).  The
  // user may resize "2D Points" and "3D Projection"; the views follow.
  const int m = scaled_px(1), band = scaled_px(LAB_STATUS_BAND);
  points_at = {m, m, points_fixed.width, points_fixed.height};
  panel_at = {m, scaled_px(541), panel_fixed.width, panel_fixed.height};
  status_at = {m, m + points_fixed.height, scaled_px(541), band};
  lab_status_win = glutCreateSubWindow(top_win, status_at.x, status_at.y, status_at.w, status_at.h);
  glutDisplayFunc(status_display);
  glutReshapeFunc(status_reshape);
  int top_w = 0, top_h = 0;
  lab_top_size(&top_w, &top_h);
  ask_top_size(top_w, top_h);
  glutReshapeFunc(lab_top_reshape);
  lay_out_2d(top_w, top_h);
  view3d_fixed.follows = true;
  glutSetWindow(about_win);
  glutMouseFunc(lab_about_mouse);
  glutReshapeFunc(lab_about_reshape);
  glutDisplayFunc(lab_about_display);
  // Sized and placed now, while hidden: the start-up reshape lays the help
  // out before it is first shown (a window resized as it is shown keeps a
  // frame of its old size up for a while).
  place_help();
  for (int win : {view3d_win, about_win, top_win, panel_win, points_win, lab_status_win}) {
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
