// The window registry: scene start-up, the windows with their callbacks, the
// redisplay requests and the "2D Points" top window's own callbacks.
#include "app/windows.h"

#include <GL/freeglut.h>
#include <GL/glu.h>
#ifndef __EMSCRIPTEN__
#include <GL/glx.h>
#endif

#include <csignal>
#include <string>

#include "diag/diag.h"
#include "view2d/scale.h"
#include "view2d/view2d.h"
#include "view3d/view3d.h"

int view3d_win = 0, about_win = 0, top_win = 0, panel_win = 0, points_win = 0;
int view3d_w = 540, view3d_h = 540;
int about_w = 685, about_h = 660;

GLUquadric* axis_quadric = nullptr;
GLUquadric* arrow_quadric = nullptr;

void init_scene() {
  tri_list = new_rec_list();
  edge_list = new_rec_list();
  // GLU quadrics are plain client-side objects: creating them needs no window.
  axis_quadric = gluNewQuadric();
  arrow_quadric = gluNewQuadric();
  if (axis_quadric == nullptr || arrow_quadric == nullptr)
    fatal_error("out of memory creating the axis quadrics\n");
  point_count = 0;
  compute_hyperboloid_mesh();
  assemble_about_text();
}

void redisplay_windows(const char* codes) {
  const int current = glutGetWindow();
  for (const char* c = codes; *c != '\0'; ++c) {
    int win = 0;
    switch (*c) {
      case '2': win = points_win; break;
      case '3': win = panel_win; break;
      case 'S': win = view3d_win; break;
      default: continue;  // callers also pass '1' and 'N', which name nothing
    }
    if (win == 0) continue;  // not created yet: nothing to redraw
    glutSetWindow(win);
    glutPostRedisplay();
  }
  // A caller in the middle of its own display keeps drawing into its window.
  if (current != 0) glutSetWindow(current);
}

namespace {

// The software renderer measures a window when the window is made current
// after a swap, and GLUT makes a window current for its reshape: after a
// foreign resize it may hold buffers of the foreign size (at 32767 x 32767
// it fails on them).  Back at its own size, the window is measured again
// only when its context is bound to it anew, so bind the context to another
// window and back; a change of viewport then makes the next frame take the
// new buffers.  (The web edition has one canvas and nothing to measure.)
void remeasure_current_window() {
#ifndef __EMSCRIPTEN__
  const int self = glutGetWindow();
  const int other_win = self == top_win ? view3d_win : top_win;
  if (self == 0 || other_win == 0) return;
  Display* const display = glXGetCurrentDisplay();
  const GLXContext context = glXGetCurrentContext();
  const GLXDrawable own = glXGetCurrentDrawable();
  glutSetWindow(other_win);
  const GLXDrawable other = glXGetCurrentDrawable();
  if (display != nullptr && context != nullptr && own != 0 && other != 0 && other != own) {
    glXMakeCurrent(display, other, context);
    glXMakeCurrent(display, own, context);
  }
  glutSetWindow(self);
  glViewport(0, 0, 1, 1);
#endif
}

}  // namespace

void keep_window_size(fixed_size* f, int width, int height) {
  // (A page's canvas reports no screen: it bounds nothing.)
  const int screen_w = glutGet(GLUT_SCREEN_WIDTH), screen_h = glutGet(GLUT_SCREEN_HEIGHT);
  if (f->follows && width > 0 && height > 0 && (screen_w <= 0 || width <= screen_w) &&
      (screen_h <= 0 || height <= screen_h)) {
    // A window the user may resize takes any size that fits the screen; a
    // larger one (no use to anybody, and beyond what the renderer may draw)
    // is refused like a foreign size.
    f->width = width;
    f->height = height;
  }
  if (width != f->width || height != f->height) {
    glutReshapeWindow(f->width, f->height);
    f->away = true;
    f->undrawable = false;
#ifndef __EMSCRIPTEN__
    GLint largest[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, largest);
    f->undrawable = width > largest[0] || height > largest[1];
#endif
  } else if (f->away) {
    f->away = false;
    f->undrawable = false;
    remeasure_current_window();
  } else if (f->drawn_w != 0 && (f->drawn_w != width || f->drawn_h != height)) {
    // A size of its own that changed (the lab's presentation scale, a
    // window the user resized): the renderer must measure it too, and it
    // takes the new buffers only after a frame (frame_done asks for one
    // more).
    remeasure_current_window();
    f->fresh_size = true;
  }
  if (width == f->width && height == f->height) {
    f->drawn_w = width;
    f->drawn_h = height;
  }
}

void fit_windows_to_scale() {
  const int current = glutGetWindow();
  view3d_fixed.width = view3d_fixed.height = scaled_px(540);
  points_fixed.width = points_fixed.height = scaled_px(541);
  panel_fixed.width = scaled_px(541);
  panel_fixed.height = scaled_px(615);
  glutSetWindow(view3d_win);
  glutPositionWindow(scaled_px(553), 0);
  glutReshapeWindow(view3d_fixed.width, view3d_fixed.height);
  glutSetWindow(top_win);
  glutReshapeWindow(scaled_px(541), scaled_px(616));
  glutSetWindow(panel_win);
  glutPositionWindow(scaled_px(1), scaled_px(541));
  glutReshapeWindow(panel_fixed.width, panel_fixed.height);
  glutSetWindow(points_win);
  glutPositionWindow(scaled_px(1), scaled_px(1));
  glutReshapeWindow(points_fixed.width, points_fixed.height);
  redisplay_windows("23S");
  if (current != 0) glutSetWindow(current);
}

void frame_done(fixed_size* f) {
  if (!f->fresh_size) return;
  f->fresh_size = false;
  glutPostRedisplay();
}

void show_point_file_state() {
  if (top_win == 0) return;
  std::string title = "2D Points";
  if (const char* failure = point_file_failure()) title += std::string(" - ") + failure;
  const int current = glutGetWindow();
  glutSetWindow(top_win);
  glutSetWindowTitle(title.c_str());
  if (current != 0) glutSetWindow(current);
}

void top_display() {
  glClear(GL_COLOR_BUFFER_BIT);
  glutSwapBuffers();
}

// The top window only frames its two subwindows, whose sizes are fixed.
void top_reshape(int, int) {}

void create_windows() {
  init_scene();
  // recompute's last step, from the GL-free core: the 2D view redraws with
  // the new records.
  post_points_redisplay = [] { redisplay_windows("2"); };
  // A failed save of ".ZELMOR" shows in the "2D Points" title while it lasts.
  point_file_state_changed = show_point_file_state;
  // The console is best effort: a reader that went away (a closed pipe)
  // must not end the program at its next message.
  std::signal(SIGPIPE, SIG_IGN);

  // Every size and place times the drawing scale (at 1: the numbers as they
  // are); the views lay themselves out from their real sizes.
  view3d_fixed = fixed_size{scaled_px(view3d_w), scaled_px(view3d_h)};
  points_fixed = fixed_size{scaled_px(541), scaled_px(541)};
  panel_fixed = fixed_size{scaled_px(541), scaled_px(615)};

  glutInitWindowPosition(scaled_px(553), 0);
  glutInitWindowSize(view3d_fixed.width, view3d_fixed.height);
  view3d_win = glutCreateWindow("3D Projection");
  glutDisplayFunc(view3d_display);
  glutReshapeFunc(view3d_reshape);
  glutMouseFunc(view3d_mouse);
  glutMotionFunc(view3d_motion);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

  glutInitWindowPosition(scaled_px(150), scaled_px(25));
  glutInitWindowSize(scaled_px(about_w), scaled_px(about_h));
  about_win = glutCreateWindow("About ZELMOR");
  glutDisplayFunc(about_display);
  glutReshapeFunc(about_reshape);
  glutMouseFunc(about_mouse);
  glutHideWindow();

  glutInitWindowPosition(0, 0);
  glutInitWindowSize(scaled_px(541), scaled_px(616));
  top_win = glutCreateWindow("2D Points");
  glutDisplayFunc(top_display);
  glutReshapeFunc(top_reshape);
  glClearColor(0.85f, 0.85f, 0.85f, 1.0f);

  // Only the panel's top 75 rows lie inside the parent; it draws in the band
  // y >= 540 of its own 541 x 615 coordinate range.
  panel_win = glutCreateSubWindow(top_win, scaled_px(1), scaled_px(541), panel_fixed.width,
                                  panel_fixed.height);
  glutDisplayFunc(panel_display);
  glutReshapeFunc(panel_reshape);
  glutMouseFunc(panel_mouse);
  glutMotionFunc(panel_motion);
  glClearColor(0.85f, 0.85f, 0.85f, 1.0f);

  points_win = glutCreateSubWindow(top_win, scaled_px(1), scaled_px(1), points_fixed.width,
                                   points_fixed.height);
  glutDisplayFunc(points_display);
  glutReshapeFunc(points_reshape);
  glutMouseFunc(points_mouse);
  glutMotionFunc(points_motion);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glClearColor(1.0f, 1.0f, 1.0f, 1.0f);

  glutSetWindow(top_win);
}
