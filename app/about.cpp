// The "About ZELMOR" window.
#include <GL/freeglut.h>

#include "app/app.h"

void about_display() {
  glClear(GL_COLOR_BUFFER_BIT);
  glutSwapBuffers();
}

void about_reshape(int width, int height) {
  glViewport(0, 0, width, height);
  about_w = width;
  about_h = height;
}

void about_mouse(int, int, int, int) {}
