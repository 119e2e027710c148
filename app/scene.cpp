// Scene start-up, window ids, the redisplay helper and the "2D Points" top
// window's own callbacks.
#include <GL/freeglut.h>
#include <GL/glu.h>

#include <cstdio>
#include <cstdlib>

#include "app/app.h"

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
  if (axis_quadric == nullptr || arrow_quadric == nullptr) {
    std::fprintf(stderr, "out of memory creating the axis quadrics\n");
    std::fflush(stderr);
    std::exit(1);
  }
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
    glutSetWindow(win);
    glutPostRedisplay();
  }
  // A caller in the middle of its own display keeps drawing into its window.
  if (current != 0) glutSetWindow(current);
}

void redisplay_points_view() {
  if (points_win == 0) return;  // before start-up created the view
  const int current = glutGetWindow();
  glutSetWindow(points_win);
  glutPostRedisplay();
  if (current != 0) glutSetWindow(current);
}

void top_display() {
  glClear(GL_COLOR_BUFFER_BIT);
  glutSwapBuffers();
}

// The top window only frames its two subwindows, whose sizes are fixed.
void top_reshape(int, int) {}
