// ZELMOR's entry point: the windows, their callbacks and the main loop.
#include <GL/freeglut.h>

#include "app/windows.h"

int main(int argc, char** argv) {
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
  create_windows();
  glutMainLoop();
  return 0;
}
