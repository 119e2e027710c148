// The 2D points subwindow.
#include <GL/freeglut.h>

#include "app/app.h"
#include "view2d/view2d.h"

void points_reshape(int width, int height) { glViewport(0, 0, width, height); }

void points_display() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glutSwapBuffers();
}

void points_mouse(int, int, int, int) {}
void points_motion(int, int) {}
