// The control panel.
#include <GL/freeglut.h>

#include "app/app.h"
#include "view2d/view2d.h"

void panel_reshape(int width, int height) { glViewport(0, 0, width, height); }

void panel_display() {
  glClear(GL_COLOR_BUFFER_BIT);
  glutSwapBuffers();
}

void panel_mouse(int, int, int, int) {}
void panel_motion(int, int) {}
