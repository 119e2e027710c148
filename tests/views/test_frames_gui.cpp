// Whole frames of both views drawn the way the program draws them (static
// geometry replayed from display lists) against the same frames sent vertex
// by vertex (immediate_drawing): over a lesson's worth of point sets,
// selections, drags, turns, zooms, weights, opacities and layer settings,
// every pixel must be the same.  Each scene is drawn three times, lists,
// immediate, lists again, so that both the frame that compiles a list and
// the frames that replay it are compared.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/windows.h"
#include "tests/support/views_gui_support.h"
#include "view2d/view2d.h"
#include "view3d/view3d.h"

namespace {

class Frames : public ::testing::Test {
 protected:
  void SetUp() override {
    gui_start();
    immediate_drawing = false;
  }
  void TearDown() override { immediate_drawing = false; }

  // One display of win on the chosen path, and the frame it swapped.
  static std::vector<rgb> draw(int win, bool immediate) {
    immediate_drawing = immediate;
    glutSetWindow(win);
    const int before = frame_count(win);
    if (win == view3d_win) {
      view3d_display();
    } else {
      points_display();
    }
    immediate_drawing = false;
    EXPECT_EQ(before + 1, frame_count(win)) << "the display swapped no frame";
    return frame_of(win);
  }

  // Both views, three displays each; the 3D display first, since it runs
  // the recomputation that the 2D view then shows.
  static void expect_same_frames(const std::string& what) {
    SCOPED_TRACE(what);
    for (const int win : {view3d_win, points_win}) {
      SCOPED_TRACE(win == view3d_win ? "3D Projection" : "2D Points");
      const std::vector<rgb> lists = draw(win, false);
      const std::vector<rgb> immediate = draw(win, true);
      const std::vector<rgb> replayed = draw(win, false);
      ASSERT_EQ(lists.size(), immediate.size());
      ASSERT_EQ(replayed.size(), immediate.size());
      int differ = 0, differ_replayed = 0, first = -1, coloured = 0;
      for (size_t k = 0; k < immediate.size(); ++k) {
        const bool d = !(lists[k] == immediate[k]);
        if (d && first < 0) first = int(k);
        differ += d;
        differ_replayed += !(replayed[k] == immediate[k]);
        coloured += !(immediate[k] == rgb{255, 255, 255});
      }
      // A blank frame would prove nothing: the 3D view always shows the
      // axes, the 2D view its markers.
      if (win == view3d_win || point_count > 0) {
        EXPECT_GT(coloured, 100);
      }
      EXPECT_EQ(0, differ) << "first at pixel " << first % frame_width(win) << ", "
                           << first / std::max(1, frame_width(win));
      EXPECT_EQ(0, differ_replayed);
      if (differ != 0 || differ_replayed != 0) {
        save_frame(win, "frames-" + std::to_string(win) + "-replayed.ppm");
      }
    }
  }

  static void add_at(double px, double py) { add_point_at(px, py); }

  // What the weight slider does: the same weight for every lifted height.
  static void set_weight(float w) {
    weight = w;
    for (int i = 0; i < point_count; ++i)
      point_table[i].z = lifted_height(plane_table[i].x, plane_table[i].y);
  }

  // A left drag of (dx, dy) pixels in the 3D window, with the display that
  // applies the step, then the release.
  static void turn(int dx, int dy) {
    glutSetWindow(view3d_win);
    view3d_mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 200, 200);
    view3d_motion(200 + dx, 200 - dy);
    view3d_display();
    view3d_mouse(GLUT_LEFT_BUTTON, GLUT_UP, 200 + dx, 200 - dy);
  }

  // New, then n points of a fixed pseudo-random sequence, every fourth one
  // crowded near (0.4, -0.3) so that markers and labels overlap.
  static void random_points(int n, unsigned int seed) {
    point_count = 0;
    reset_record_lists();
    const auto next = [&seed] {
      seed = seed * 1103515245u + 12345u;
      return ((seed >> 8) % 10000) / 10000.0;
    };
    for (int i = 0; i < n; ++i) {
      const double spread = i % 4 == 0 ? 0.4 : 5.9;
      const double x = (next() - 0.5) * spread, y = (next() - 0.5) * spread;
      add_at(i % 4 == 0 ? x + 0.4 : x, i % 4 == 0 ? y - 0.3 : y);
    }
  }
};

TEST_F(Frames, FirstPointsSelectionAndDrag) {
  expect_same_frames("no points");
  add_at(-1.0, -1.0);
  add_at(1.0, -1.0);
  add_at(1.0, 1.0);
  add_at(-1.0, 1.0);
  expect_same_frames("four points, no hull");
  add_at(0.0, 0.0);
  expect_same_frames("square with its centre");
  // Four more on one circle and three along the lower border.
  for (int k = 0; k < 4; ++k)
    add_at(2.0 * std::cos(0.3 + k * 1.5707963), 2.0 * std::sin(0.3 + k * 1.5707963));
  for (const double x : {-2.5, 0.5, 2.5}) add_at(x, -2.9);
  expect_same_frames("twelve points");
  // Select point 5 with the middle button, then drag point 2 with the left.
  points_press(GLUT_MIDDLE_BUTTON, pixel_of_plane_toward_zero(plane_table[5].x),
               top_y(pixel_of_plane_toward_zero(plane_table[5].y)));
  points_release(GLUT_MIDDLE_BUTTON, 0, 0);
  expect_same_frames("point 5 selected");
  const int x = pixel_of_plane_toward_zero(plane_table[2].x),
            y = top_y(pixel_of_plane_toward_zero(plane_table[2].y));
  points_press(GLUT_LEFT_BUTTON, x, y);
  for (int k = 1; k <= 6; ++k) points_move(x - 9 * k, y + 5 * k);
  expect_same_frames("point 2 dragged");
  points_release(GLUT_LEFT_BUTTON, x - 54, y + 30);
}

TEST_F(Frames, TurnsAndZooms) {
  random_points(40, 11);
  expect_same_frames("forty points");
  turn(10, 0);
  expect_same_frames("turned 20 degrees");
  turn(-23, 31);
  expect_same_frames("turned about both axes");
  // The panel's zoom buttons multiply and divide by 1.5.
  for (const float zoom : {2.25f, 3.375f, 1.0f, 1.5f / 1.5f / 1.5f}) {
    zoom_factor = zoom;
    expect_same_frames("zoom " + std::to_string(zoom));
  }
  turn(47, -12);
  zoom_factor = 1.5f;
  expect_same_frames("back to the default zoom, turned");
}

TEST_F(Frames, WeightOpacityAndLayers) {
  random_points(25, 5);
  struct settings {
    float weight, opacity;
    int hyperboloid, delaunay, voronoi;
    unsigned char grid;
  };
  const settings cases[] = {
      {1.0f, 0.3f, 1, 1, 1, 0}, {3.5f, 0.3f, 1, 1, 1, 1}, {-3.0f, 0.8f, 1, 0, 1, 1},
      {10.0f, 1.0f, 1, 1, 0, 0}, {0.0f, 0.0f, 0, 1, 1, 1}, {1.0f, 0.4f, 0, 0, 0, 0},
      {1.0f, 0.4f, 1, 1, 1, 1},
  };
  for (const settings& c : cases) {
    set_weight(c.weight);
    hyperboloid_opacity = c.opacity;
    show_hyperboloid = c.hyperboloid;
    show_delaunay = c.delaunay;
    show_voronoi = c.voronoi;
    show_grid = c.grid;
    expect_same_frames("weight " + std::to_string(c.weight) + ", opacity " +
                       std::to_string(c.opacity) + ", layers " + std::to_string(c.hyperboloid) +
                       std::to_string(c.delaunay) + std::to_string(c.voronoi) +
                       std::to_string(int(c.grid)));
  }
}

TEST_F(Frames, TwoHundredPointsAndAFullCircle) {
  random_points(MAX_POINTS, 3);
  expect_same_frames("200 points");
  show_grid = 1;
  turn(-15, 20);
  zoom_factor = 2.25f;
  expect_same_frames("200 points, grid, turned, zoomed in");
  // Thirty points on one circle and its centre: every Delaunay triangle
  // is degenerate but those at the centre.
  point_count = 0;
  reset_record_lists();
  for (int k = 0; k < 30; ++k) add_at(2.5 * std::cos(k * 0.20943951), 2.5 * std::sin(k * 0.20943951));
  add_at(0.0, 0.0);
  zoom_factor = 1.5f;
  expect_same_frames("a circle of thirty and its centre");
}

// Labels where the glyph lists' shortcuts must give way: one whose raster
// position lies within 1e-4 of a pixel edge across and one up the 2D view
// (drawn digit by digit from its own position), labels past the view's right
// and top borders (nothing drawn) or half across them, and three points on
// one spot, whose labels share a depth in the 3D view too (sent as one batch
// there).
TEST_F(Frames, LabelsAtPixelEdgesAndBorders) {
  random_points(12, 7);
  // The 2D view's plane transform: the square [-3, 3] onto the 541-pixel
  // subwindow (as points_display sets it).
  glutSetWindow(points_win);
  glPushMatrix();
  glLoadIdentity();
  glTranslatef(points_win_w / 2.0f, points_win_h / 2.0f, 1.0f);
  glScalef(points_win_w / 6.0f, points_win_h / 6.0f, 1.0f);
  // A plane coordinate near `start` whose label's raster coordinate (axis 0
  // x, 1 y) lies less than 1e-4 below a whole number (less the font's origin
  // 3 up the view).
  const auto near_pixel_edge = [](double start, int axis) {
    for (int j = 0; j < 400000; ++j) {
      const double c = start + j * 2e-8;
      glRasterPos3d(axis == 0 ? c + 0.07 : 0.07, axis == 1 ? c + 0.07 : 0.07, 0.07);
      GLfloat pos[4];
      glGetFloatv(GL_CURRENT_RASTER_POSITION, pos);
      const float r = pos[axis] - (axis == 1 ? 3.0f : 0.0f);
      if (std::floor(r) != std::floor(r + 0.0001f)) return c;
    }
    return start;
  };
  const double edge_x = near_pixel_edge(0.9, 0), edge_y = near_pixel_edge(-1.3, 1);
  glPopMatrix();
  ASSERT_NE(0.9, edge_x) << "no raster position near a pixel edge found";
  ASSERT_NE(-1.3, edge_y) << "no raster position near a pixel edge found";
  const point_rec extra[] = {{edge_x, -0.4, 0.0, 1.0}, {1.7, edge_y, 0.0, 1.0},
                             {2.99, 0.5, 0.0, 1.0},   {2.9, -1.5, 0.0, 1.0},
                             {-0.5, 2.99, 0.0, 1.0},  {-1.5, 2.95, 0.0, 1.0},
                             {-1.1, 1.1, 0.0, 1.0},   {-1.1, 1.1, 0.0, 1.0},
                             {-1.1, 1.1, 0.0, 1.0}};
  for (const point_rec& p : extra) ASSERT_EQ(1, add_point(p));
  need_recompute = 1;
  expect_same_frames("labels at pixel edges, at the borders and on one spot");
  turn(14, -9);
  expect_same_frames("the same, turned");
}

}  // namespace
