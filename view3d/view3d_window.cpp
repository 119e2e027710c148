// The "3D Projection" window: display (with the recompute when the point set
// changed), the fixed-size reshape with lights and materials, and the left
// button drag that turns the scene.
#include <GL/freeglut.h>

#include "app/windows.h"
#include "view2d/scale.h"
#include "view3d/view3d.h"

double view_rotation[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
int rot_step_x = 0, rot_step_y = 0;
int drag_last_x = 0, drag_last_y = 0;
int rotating = 0;
void (*view3d_overlay)() = nullptr;
void (*view3d_camera)() = nullptr;
void (*label_drawer)(const point_rec* table) = draw_point_labels;

// The size the window keeps (view3d_w and view3d_h are constant-initialised,
// so they are set before this); create_windows scales it.
fixed_size view3d_fixed{view3d_w, view3d_h};

namespace {

// Directional lights (w = 0), identical but for their direction.
const float LIGHT_AMBIENT[4] = {0.2f, 0.2f, 0.2f, 1.0f};
const float LIGHT_DIFFUSE[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const float LIGHT_SPECULAR[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const float LIGHT_POSITION[3][4] = {{0.5f, 0.0f, 1.0f, 0.0f},
                                    {2.0f, 0.0f, 1.0f, 0.0f},
                                    {0.0f, -20.0f, 0.0f, 0.0f}};

const float FRONT_SHININESS = 30.0f;
const float FRONT_SPECULAR[4] = {0.0f, 0.0f, 0.0f, 1.0f};
const float FRONT_DIFFUSE[4] = {0.0f, 1.0f, 0.0f, 1.0f};
const float BACK_SHININESS = 50.0f;
const float BACK_SPECULAR[4] = {0.0f, 0.0f, 1.0f, 1.0f};
const float BACK_DIFFUSE[4] = {1.0f, 0.0f, 0.0f, 1.0f};

// The start-up view with the drag rotation composed in (the identity is
// loaded on entry).
void load_zelmor_view() {
  // The view.  The rotations come after the centring and the scales, so every
  // step turns the scene about the screen's own axes through the centre.
  glTranslatef(view3d_w / 2, view3d_h / 2, 0.0f);
  glScalef(2.7f, 2.7f, 2.7f);
  glScalef(zoom_factor, zoom_factor, zoom_factor);
  glRotatef(static_cast<float>(rot_step_x), 1.0f, 0.0f, 0.0f);
  glRotatef(static_cast<float>(rot_step_y), 0.0f, 1.0f, 0.0f);
  glMultMatrixd(view_rotation);
  // Compose the step into the stored rotation: Rx * Ry * previous.
  glPushMatrix();
  glLoadIdentity();
  glRotatef(static_cast<float>(rot_step_x), 1.0f, 0.0f, 0.0f);
  glRotatef(static_cast<float>(rot_step_y), 0.0f, 1.0f, 0.0f);
  glMultMatrixd(view_rotation);
  glGetDoublev(GL_MODELVIEW_MATRIX, view_rotation);
  glPopMatrix();
  // The fixed initial tilt: the bowl opens upwards on the screen.
  glRotatef(30.0f, 0.0f, 1.0f, 0.0f);
  glRotatef(-70.0f, 1.0f, 0.0f, 0.0f);
  glScalef(10.0f, 10.0f, 10.0f);
  // The scene point at the window centre is (0, 0, 7.5 / zoom): zooming in
  // moves the view down towards the bottom of the surface.
  glTranslatef(0.0f, 0.0f, -7.5f / zoom_factor);
}

}  // namespace

void view3d_display() {
  // Nothing to draw at a foreign size beyond what the renderer draws: the
  // reshape back brings a redisplay.
  if (view3d_fixed.undrawable) return;
  glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glPushMatrix();
  glPushAttrib(GL_CURRENT_BIT);
  glPushMatrix();
  glLoadIdentity();

  if (view3d_camera != nullptr)
    view3d_camera();
  else
    load_zelmor_view();

  draw_plane_points(plane_table);
  draw_lifted_points();
  label_drawer(point_table);
  // With 4 points or fewer there is no hull to show: the flag stays set until
  // a fifth point arrives.
  if (point_count > 4) {
    if (need_recompute) recompute();
    draw_hull_faces();
    if (show_delaunay) draw_delaunay_edges();
  }
  if (point_count > 0) {
    glPushMatrix();
    glTranslatef(0.0f, 0.0f, weight);  // the mesh holds z = x^2 + y^2 only
    if (show_hyperboloid) draw_hyperboloid();
    glPopMatrix();
  }
  draw_axes(1);
  if (show_grid == 1) draw_grid();
  if (view3d_overlay != nullptr) view3d_overlay();

  glPopMatrix();
  glPopAttrib();
  glPopMatrix();
  glutSwapBuffers();
  frame_done(&view3d_fixed);
}

void view3d_reshape(int width, int height) {
  // The window keeps its size: ask for it back.  This reshape still sets up
  // the view for the size it was given; the resize brings another reshape.
  keep_window_size(&view3d_fixed, width, height);
  // The scene is laid out in layout pixels: the size kept, not a foreign one
  // on its way back.
  view3d_w = layout_px(view3d_fixed.width);
  view3d_h = layout_px(view3d_fixed.height);

  // The modelview is the identity here (the display leaves it so): the light
  // directions stay fixed relative to the viewer.
  for (int k = 0; k < 3; ++k) {
    const GLenum light = GL_LIGHT0 + k;
    glLightfv(light, GL_AMBIENT, LIGHT_AMBIENT);
    glLightfv(light, GL_DIFFUSE, LIGHT_DIFFUSE);
    glLightfv(light, GL_SPECULAR, LIGHT_SPECULAR);
    glLightfv(light, GL_POSITION, LIGHT_POSITION[k]);
    glEnable(light);
  }
  glDisable(GL_LIGHTING);  // the mesh and hull drawers switch it on themselves

  glMaterialf(GL_FRONT, GL_SHININESS, FRONT_SHININESS);
  glMaterialfv(GL_FRONT, GL_SPECULAR, FRONT_SPECULAR);
  glMaterialfv(GL_FRONT, GL_DIFFUSE, FRONT_DIFFUSE);
  glMaterialf(GL_BACK, GL_SHININESS, BACK_SHININESS);
  glMaterialfv(GL_BACK, GL_SPECULAR, BACK_SPECULAR);
  glMaterialfv(GL_BACK, GL_DIFFUSE, BACK_DIFFUSE);
  glColorMaterial(GL_FRONT, GL_DIFFUSE);
  glShadeModel(GL_SMOOTH);
  glEnable(GL_COLOR_MATERIAL);
  glEnable(GL_NORMALIZE);
  glEnable(GL_DEPTH_TEST);

  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  const double s = draw_scale();
  glOrtho(0.0, width / s, 0.0, height / s, -3000.0, 3000.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glGetDoublev(GL_MODELVIEW_MATRIX, view_rotation);  // back to the initial view
}

void view3d_mouse(int button, int state, int x, int y) {
  x = layout_px(x);
  y = view3d_h - layout_px(y);  // GLUT counts y from the top
  if (button != GLUT_LEFT_BUTTON) return;
  if (state == GLUT_DOWN) {
    drag_last_x = x;
    drag_last_y = y;
    rotating = 1;
  } else if (state == GLUT_UP) {
    rot_step_x = 0;
    rot_step_y = 0;
    rotating = 0;
  }
}

void view3d_motion(int x, int y) {
  x = layout_px(x);
  y = view3d_h - layout_px(y);
  if (rotating != 1) return;
  // The step replaces the previous one: motion events that arrive before the
  // next display do not add up.
  rot_step_y = rotation_step(x - drag_last_x, view3d_w);
  rot_step_x = rotation_step(y - drag_last_y, view3d_h);
  drag_last_x = x;
  drag_last_y = y;
  glutPostRedisplay();
}
