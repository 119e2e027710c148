// zelmor-lab's entry point: zelmor's windows with the lab's keys.
#include <GL/freeglut.h>

#include "lab/edit.h"
#include "lab/lab.h"
#include "lab/weights.h"

int main(int argc, char** argv) {
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
  lab_lessons_init();
  lab_edit_init(argc, argv);
  lab_weights_init();
  lab_create_windows();
  lab_edit_start();
  glutMainLoop();
  return 0;
}
