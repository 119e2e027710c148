// ZELMOR's entry point: the windows, their callbacks and the main loop.
#include <GL/freeglut.h>

#include "app/app.h"
#include "view2d/view2d.h"
#include "view3d/view3d.h"

int main(int argc, char** argv) {
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
  init_scene();
  post_points_redisplay = redisplay_points_view;  // recompute's last step, from the GL-free core

  glutInitWindowPosition(553, 0);
  glutInitWindowSize(view3d_w, view3d_h);
  view3d_win = glutCreateWindow("3D Projection");
  glutDisplayFunc(view3d_display);
  glutReshapeFunc(view3d_reshape);
  glutMouseFunc(view3d_mouse);
  glutMotionFunc(view3d_motion);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

  glutInitWindowPosition(150, 25);
  glutInitWindowSize(about_w, about_h);
  about_win = glutCreateWindow("About ZELMOR");
  glutDisplayFunc(about_display);
  glutReshapeFunc(about_reshape);
  glutMouseFunc(about_mouse);
  glutHideWindow();

  glutInitWindowPosition(0, 0);
  glutInitWindowSize(541, 616);
  top_win = glutCreateWindow("2D Points");
  glutDisplayFunc(top_display);
  glutReshapeFunc(top_reshape);
  glClearColor(0.85f, 0.85f, 0.85f, 1.0f);

  // Only the panel's top 75 rows lie inside the parent; it draws in the band
  // y >= 540 of its own 541 x 615 coordinate range.
  panel_win = glutCreateSubWindow(top_win, 1, 541, 541, 615);
  glutDisplayFunc(panel_display);
  glutReshapeFunc(panel_reshape);
  glutMouseFunc(panel_mouse);
  glutMotionFunc(panel_motion);
  glClearColor(0.85f, 0.85f, 0.85f, 1.0f);

  points_win = glutCreateSubWindow(top_win, 1, 1, 541, 541);
  glutDisplayFunc(points_display);
  glutReshapeFunc(points_reshape);
  glutMouseFunc(points_mouse);
  glutMotionFunc(points_motion);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glClearColor(1.0f, 1.0f, 1.0f, 1.0f);

  glutSetWindow(top_win);
  glutMainLoop();
  return 0;
}
