// The "3D Projection" window.
#include <GL/freeglut.h>

#include "app/app.h"
#include "view3d/view3d.h"

void view3d_display() {
  glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glutSwapBuffers();
}

void view3d_reshape(int width, int height) { glViewport(0, 0, width, height); }
void view3d_mouse(int, int, int, int) {}
void view3d_motion(int, int) {}
