// The "3D Projection" window through its real callbacks: rotation by drag,
// the fixed size, and the pixels of its frames (faces, spheres, surface,
// axes).  Screen positions are predicted from the view's numbers alone
// (screen_of), not read back from GL.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>
#include <cstdlib>
#include <numbers>

#include "app/windows.h"
#include "tests/support/xdrive.h"
#include "tests/support/views_gui_support.h"
#include "view2d/view2d.h"
#include "view3d/view3d.h"

namespace {

const rgb kWhite{255, 255, 255};
const rgb kPoint = from_gl(0.14f, 0.14f, 0.56f);

class View3d : public ::testing::Test {
 protected:
  void SetUp() override { gui_start(); }

  static void press(int button, int x, int y) {
    glutSetWindow(view3d_win);
    view3d_mouse(button, GLUT_DOWN, x, y);
  }
  static void release(int button, int x, int y) {
    glutSetWindow(view3d_win);
    view3d_mouse(button, GLUT_UP, x, y);
  }
  static void motion(int x, int y) {
    glutSetWindow(view3d_win);
    view3d_motion(x, y);
  }
  static void redraw() {
    glutSetWindow(view3d_win);
    glutPostRedisplay();
    gui_settle();
  }
};

// Column-major rotation matrices, from the angles alone.
void rot_x(double deg, double m[16]) {
  const double a = deg * std::numbers::pi / 180, c = std::cos(a), s = std::sin(a);
  const double r[16] = {1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1};
  for (int i = 0; i < 16; ++i) m[i] = r[i];
}
void rot_y(double deg, double m[16]) {
  const double a = deg * std::numbers::pi / 180, c = std::cos(a), s = std::sin(a);
  const double r[16] = {c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1};
  for (int i = 0; i < 16; ++i) m[i] = r[i];
}
void identity(double m[16]) { rot_x(0, m); }

void expect_rotation(const double want[16]) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(want[i], view_rotation[i], 1e-6) << "entry " << i;
}

// ---------------------------------------------------------------------------
// Rotation
// ---------------------------------------------------------------------------

TEST_F(View3d, TenPixelsRightTurnTwentyDegreesAboutTheVerticalAxis) {
  double m[16];
  identity(m);
  expect_rotation(m);
  press(GLUT_LEFT_BUTTON, 100, 200);
  EXPECT_EQ(1, rotating);
  motion(110, 200);
  EXPECT_EQ(20, rot_step_y);
  EXPECT_EQ(0, rot_step_x);
  gui_settle();  // the motion posted the display that applies the step
  rot_y(20, m);
  expect_rotation(m);
  release(GLUT_LEFT_BUTTON, 110, 200);
  EXPECT_EQ(0, rot_step_y);
  EXPECT_EQ(0, rotating);
  redraw();
  expect_rotation(m);
}

TEST_F(View3d, OnePixelUpTurnsTwoDegreesAboutTheHorizontalAxis) {
  press(GLUT_LEFT_BUTTON, 100, 200);
  motion(100, 199);  // GLUT's y grows downward: this is one pixel up
  EXPECT_EQ(2, rot_step_x);
  EXPECT_EQ(0, rot_step_y);
  gui_settle();
  double m[16];
  rot_x(2, m);
  expect_rotation(m);
}

TEST_F(View3d, MotionEventsBeforeADisplayReplaceTheStep) {
  press(GLUT_LEFT_BUTTON, 100, 200);
  motion(110, 200);  // 20 degrees
  motion(115, 200);  // then 10: replaces, does not add
  EXPECT_EQ(10, rot_step_y);
  gui_settle();
  double m[16];
  rot_y(10, m);
  expect_rotation(m);
}

TEST_F(View3d, PressAndReleaseWithoutMotionTurnNothing) {
  double m[16];
  identity(m);
  press(GLUT_LEFT_BUTTON, 100, 200);
  redraw();
  release(GLUT_LEFT_BUTTON, 100, 200);
  redraw();
  expect_rotation(m);
  // Middle and right buttons do nothing here.
  press(GLUT_MIDDLE_BUTTON, 100, 200);
  motion(150, 200);
  press(GLUT_RIGHT_BUTTON, 150, 200);
  motion(180, 200);
  EXPECT_EQ(0, rotating);
  EXPECT_EQ(0, rot_step_y);
  redraw();
  expect_rotation(m);
}

TEST_F(View3d, ResizeSnapsBackAndResetsTheView) {
  press(GLUT_LEFT_BUTTON, 100, 200);
  motion(110, 200);
  gui_settle();
  release(GLUT_LEFT_BUTTON, 110, 200);
  ASSERT_GT(std::abs(view_rotation[2]), 0.1);

  xdrive x;
  ASSERT_TRUE(x.connect());
  const xd_window w = x.find_window("3D Projection");
  ASSERT_NE(0u, w.id);
  x.resize(w.id, 600, 500);
  gui_pump_until([&] {
    const xd_window now = x.describe(w.id);
    return now.width == 540 && now.height == 540 && frame_width(view3d_win) == 540;
  });
  gui_settle();
  const xd_window now = x.describe(w.id);
  EXPECT_EQ(540, now.width);
  EXPECT_EQ(540, now.height);
  EXPECT_EQ(540, frame_width(view3d_win));
  EXPECT_EQ(540, frame_height(view3d_win));
  double m[16];
  identity(m);
  expect_rotation(m);
}

// ---------------------------------------------------------------------------
// Pixels
// ---------------------------------------------------------------------------

TEST_F(View3d, WithNoPointsOnlyTheAxes) {
  redraw();
  int grey = 0, red = 0, other = 0;
  for (int y = 0; y < 540; ++y)
    for (int x = 0; x < 540; ++x) {
      const rgb c = frame_pixel(view3d_win, x, y);
      if (c == kWhite) continue;
      if (std::abs(c.r - c.g) <= 3 && std::abs(c.g - c.b) <= 3) {
        ++grey;  // the shafts and heads, (0.2, 0.2, 0.2) at alpha 0.4
      } else if (c.r > 200 && c.g < 60 && c.b < 60) {
        ++red;  // the letters
      } else {
        ++other;
      }
    }
  EXPECT_GT(grey, 500);
  EXPECT_GT(red, 20);
  EXPECT_EQ(0, other);
  // The z axis runs through the window centre's column neighbourhood: the
  // origin lies at screen_of(0, 0, 0).
  double sx, sy;
  screen_of(0, 0, 0, 1.5, &sx, &sy);
  EXPECT_NE(kWhite, frame_pixel(view3d_win, int(sx), int(sy)));
}

TEST_F(View3d, SpheresAtTheLiftedPointsAndCubesBelow) {
  show_hyperboloid = 0;
  add_point(point_rec{1.0, 0.5, 0.0, 1.0});
  add_point(point_rec{-1.5, -1.0, 0.0, 1.0});
  selected_count = 1;
  selected_points[0] = 1;
  redraw();
  const rgb kSelected{255, 0, 255};
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    const rgb colour = i == 1 ? kSelected : kPoint;
    const point_rec& p = point_table[i];
    double sx, sy;
    // The sphere (radius 0.1, about 4 pixels) below and left of its label.
    screen_of(p.x, p.y, p.z, 1.5, &sx, &sy);
    EXPECT_GT(count_pixels(view3d_win, colour, int(sx) - 3, int(sy) - 3, int(sx), int(sy)), 6);
    // The cube in the plane z = 0.
    screen_of(p.x, p.y, 0.0, 1.5, &sx, &sy);
    EXPECT_GT(count_pixels(view3d_win, colour, int(sx) - 2, int(sy) - 2, int(sx) + 1, int(sy) + 1),
              6);
  }
  // Doubling the zoom keeps the sphere's size on screen.
  const auto sphere_pixels = [](double zoom) {
    double sx, sy;
    screen_of(point_table[0].x, point_table[0].y, point_table[0].z, zoom, &sx, &sy);
    return count_pixels(view3d_win, kPoint, int(sx) - 8, int(sy) - 8, int(sx) + 8, int(sy) + 8);
  };
  const int at_15 = sphere_pixels(1.5);
  zoom_factor = 3.0f;
  redraw();
  const int at_30 = sphere_pixels(3.0);
  EXPECT_GT(at_15, 25);
  EXPECT_NEAR(at_15, at_30, at_15 / 3);
}

TEST_F(View3d, LowerFacesCyanUpperFacesGreen) {
  show_hyperboloid = 0;
  // Five points, two hand-made hull faces: one facing down (a Delaunay
  // triangle), one facing up.
  const point_rec pts[5] = {
      {-2.0, -1.0, 0, 1}, {-0.5, -1.0, 0, 1}, {-1.25, 0.5, 0, 1}, {1.0, 1.0, 0, 1}, {2.5, 1.0, 0, 1}};
  for (const point_rec& p : pts) add_point(p);
  dtri lower{}, upper{};
  lower.v[0] = &point_table[0];
  lower.v[1] = &point_table[1];
  lower.v[2] = &point_table[2];
  lower.face_normal[2] = -1.0f;
  upper.v[0] = &point_table[3];
  upper.v[1] = &point_table[4];
  upper.v[2] = &point_table[2];
  upper.face_normal[2] = 1.0f;
  rec_list_append(tri_list, &lower);
  rec_list_append(tri_list, &upper);
  need_recompute = 0;  // keep the hand-made records
  redraw();

  const auto centroid = [](const dtri& t, double* sx, double* sy) {
    double x = 0, y = 0, z = 0;
    for (const point_rec* v : t.v) {
      x += v->x / 3;
      y += v->y / 3;
      z += v->z / 3;
    }
    screen_of(x, y, z, 1.5, sx, sy);
  };
  double sx, sy;
  centroid(lower, &sx, &sy);
  EXPECT_GT(count_where(view3d_win, is_cyan, int(sx), int(sy), 2), 20);
  EXPECT_EQ(0, count_where(view3d_win, is_green, int(sx), int(sy), 2));
  centroid(upper, &sx, &sy);
  EXPECT_GT(count_where(view3d_win, is_green, int(sx), int(sy), 2), 20);
  EXPECT_EQ(0, count_where(view3d_win, is_cyan, int(sx), int(sy), 2));
  // The outline: blue half-way along the lower face's first edge.
  const point_rec &a = point_table[0], &b = point_table[1];
  screen_of((a.x + b.x) / 2, (a.y + b.y) / 2, (a.z + b.z) / 2, 1.5, &sx, &sy);
  EXPECT_GT(count_where(view3d_win, is_blue, int(sx), int(sy), 2), 2);

  // The records are the test's own: leave the lists empty behind.
  tri_list->head = tri_list->tail = nullptr;
}

TEST_F(View3d, SquareWithCentreShowsBothKindsOfFaces) {
  // Built by the real pipeline: four triangles below around the centre
  // point, the square's top (its corners lift to one height) above.
  show_hyperboloid = 0;
  const double pts[5][2] = {{-1.5, -1.5}, {1.5, -1.5}, {1.5, 1.5}, {-1.5, 1.5}, {0, 0}};
  for (const auto& p : pts) add_point(point_rec{p[0], p[1], 0.0, 1.0});
  write_point_file();
  need_recompute = 1;
  redraw();
  EXPECT_EQ(0, need_recompute);
  int cyan = 0, green = 0;
  for (int y = 0; y < 540; ++y)
    for (int x = 0; x < 540; ++x) {
      cyan += is_cyan(frame_pixel(view3d_win, x, y));
      green += is_green(frame_pixel(view3d_win, x, y));
    }
  EXPECT_GT(cyan, 300);
  EXPECT_GT(green, 300);
}

TEST_F(View3d, PlanePointsDrawOnlyInTheTwoViewsAndKeepTheLighting) {
  add_point(point_rec{0.0, 0.0, 0.0, 1.0});
  add_point(point_rec{0.5, 0.5, 0.0, 1.0});
  // In the "2D Points" top window (default projection: the points fall
  // inside it) nothing is drawn, and lighting stays as it was.
  glutSetWindow(top_win);
  for (const bool lit : {true, false}) {
    SCOPED_TRACE(lit);
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (lit) {
      glEnable(GL_LIGHTING);
    } else {
      glDisable(GL_LIGHTING);
    }
    draw_plane_points(plane_table);
    EXPECT_EQ(lit, glIsEnabled(GL_LIGHTING) == GL_TRUE);
    glDisable(GL_LIGHTING);
    glutSwapBuffers();
    EXPECT_EQ(0, count_pixels(top_win, kPoint, 0, 0, frame_width(top_win) - 1,
                              frame_height(top_win) - 1, 40));
  }
  glClearColor(0.85f, 0.85f, 0.85f, 1.0f);
  // In the 2D view it draws dots with lighting off, and restores it after.
  glutSetWindow(points_win);
  glEnable(GL_LIGHTING);
  glPushMatrix();
  glLoadIdentity();
  glTranslatef(270.5f, 270.5f, 1.0f);
  glScalef(541 / 6.0f, 541 / 6.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  draw_plane_points(plane_table);
  glPopMatrix();
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  glDisable(GL_LIGHTING);
  glutSwapBuffers();
  EXPECT_GT(count_near(points_win, kPoint, 270, 270, 4), 40);
}

// The labels drawn point by point in index order, as a reference.
void labels_in_index_order(const point_rec* table) {
  glColor4f(0.0f, 0.5f, 1.0f, 1.0f);
  char text[12];
  for (int i = 0; i < point_count; ++i) {
    glRasterPos3d(table[i].x + 0.07, table[i].y + 0.07, table[i].z + 0.07);
    std::snprintf(text, sizeof text, "%d", i);
    for (const char* c = text; *c != '\0'; ++c) glutBitmapCharacter(GLUT_BITMAP_8_BY_13, *c);
  }
}

TEST_F(View3d, LabelsLookTheSameAsInIndexOrder) {
  // 200 points, a quarter of them crowded so that labels overlap each other
  // and the markers.
  unsigned int seed = 7;
  const auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return ((seed >> 8) % 10000) / 10000.0;
  };
  for (int i = 0; i < MAX_POINTS; ++i) {
    const double spread = i % 4 == 0 ? 0.3 : 5.8;
    add_point(point_rec{(next() - 0.5) * spread, (next() - 0.5) * spread, 0.0, 1.0});
  }
  // The 3D window under a tilted view (the labels at many depths, spheres
  // in between), and the 2D view under its own transform.
  struct view {
    int win;
    void (*transform)();
    void (*markers)();
  };
  const view views[] = {
      {view3d_win,
       [] {
         glTranslatef(270, 270, 0);
         glScalef(60, 60, 60);
         glRotatef(-60, 1, 0, 0);
         glTranslatef(0, 0, -5);
       },
       [] { draw_lifted_points(); }},
      {points_win,
       [] {
         glTranslatef(270.5f, 270.5f, 1);
         glScalef(541 / 6.0f, 541 / 6.0f, 1);
       },
       [] { draw_plane_points(plane_table); }},
  };
  for (const view& v : views) {
    SCOPED_TRACE(v.win == view3d_win ? "3D" : "2D");
    const point_rec* table = v.win == view3d_win ? point_table : plane_table;
    std::vector<rgb> frames[2];
    for (int reference = 0; reference < 2; ++reference) {
      glutSetWindow(v.win);
      glClearColor(1, 1, 1, 1);
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
      glPushMatrix();
      glLoadIdentity();
      v.transform();
      v.markers();
      if (reference) {
        labels_in_index_order(table);
      } else {
        draw_point_labels(table);
      }
      glPopMatrix();
      glutSwapBuffers();
      frames[reference] = frame_of(v.win);
    }
    ASSERT_EQ(frames[0].size(), frames[1].size());
    int label_pixels = 0, differ = 0;
    for (size_t k = 0; k < frames[0].size(); ++k) {
      label_pixels += frames[1][k] == from_gl(0.0f, 0.5f, 1.0f);
      differ += !(frames[0][k] == frames[1][k]);
    }
    EXPECT_GT(label_pixels, 2000);
    EXPECT_EQ(0, differ);
  }
}

TEST_F(View3d, SurfaceFollowsTheWeight) {
  // One point far from the centre column keeps the surface on.
  add_point(point_rec{2.5, -2.5, 0.0, 1.0});
  // The lowest row of column 270 that the translucent yellow surface tints.
  const auto lowest_yellow_row = [] {
    for (int y = 0; y < 540; ++y) {
      const rgb c = frame_pixel(view3d_win, 270, y);
      if (c.r > 200 && c.g > 200 && c.b < 235 && c.r - c.b > 15) return y;
    }
    return -1;
  };
  redraw();
  const int at_1 = lowest_yellow_row();
  weight = 3.0f;
  redraw();
  const int at_3 = lowest_yellow_row();
  ASSERT_GT(at_1, 0);
  // The lowest tinted row is where the view puts the lowest point of the
  // surface z = x^2 + y^2 + weight in that column (sampled every 0.01).
  const auto predicted = [](double w) {
    double lowest = 1e9;
    for (double x = -3; x <= 3; x += 0.01)
      for (double y = -3; y <= 3; y += 0.01) {
        double sx, sy;
        screen_of(x, y, x * x + y * y + w, 1.5, &sx, &sy);
        if (sx >= 270.0 && sx < 271.0 && sy < lowest) lowest = sy;
      }
    return lowest;
  };
  EXPECT_NEAR(predicted(1.0), at_1, 2.0);
  EXPECT_NEAR(predicted(3.0), at_3, 2.0);
  EXPECT_GT(at_3 - at_1, 50);

  // No surface at all without points... or with the box cleared.
  show_hyperboloid = 0;
  redraw();
  EXPECT_EQ(-1, lowest_yellow_row());
}

}  // namespace
