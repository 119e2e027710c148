// zelmor-lab's entry point: zelmor's windows with the lab's keys.
#include <GL/freeglut.h>

#include "lab/lab.h"

int main(int argc, char** argv) {
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
  lab_lessons_init();
  lab_create_windows();
  glutMainLoop();
  return 0;
}
