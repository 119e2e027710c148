// The 2D points subwindow through its real callbacks in the real windows:
// adding, picking, dragging, the redisplays each event asks for, and the
// pixels of the frames it draws.  Every test case runs in its own process, so
// each starts from the program's start-up state.
#include <GL/freeglut.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/windows.h"
#include "tests/support/views_gui_support.h"
#include "view2d/view2d.h"
#include "view3d/view3d.h"

// Every recomputation that the 3D display starts passes through here.
int g_recomputes = 0;
extern "C" void __real__Z9recomputev();
extern "C" void __wrap__Z9recomputev() {
  ++g_recomputes;
  __real__Z9recomputev();
}

namespace {

const rgb kWhite{255, 255, 255};
const rgb kPoint = from_gl(0.14f, 0.14f, 0.56f);
const rgb kSelected{255, 0, 255};
const rgb kLabel = from_gl(0.0f, 0.5f, 1.0f);
const rgb kDelaunay = from_gl(0.0f, 0.3f, 1.0f);
const rgb kVoronoi{255, 0, 0};
// The grid's (0.1, 0.1, 0.1) at alpha 0.3 over white.
const rgb kGrid = from_gl(0.73f, 0.73f, 0.73f);

std::vector<std::string> file_lines() {
  std::ifstream in(".ZELMOR");
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

std::string line_of(const point_rec& p) {
  char buf[100];
  std::snprintf(buf, sizeof buf, "%.15f %.15f %.15f", p.x, p.y, p.z);
  return buf;
}

class PointsView : public ::testing::Test {
 protected:
  void SetUp() override {
    gui_start();
    ASSERT_EQ(541, points_win_w);
    ASSERT_EQ(541, points_win_h);
  }
};

// ---------------------------------------------------------------------------
// Adding points
// ---------------------------------------------------------------------------

struct AddCase {
  const char* what;
  int x, y_top;           // as GLUT reports the press
  double px, py;          // expected plane position
};
const AddCase kAdds[] = {
    {"left column", 0, 271, -1620.0 / 541, 0.0},
    {"right column", 540, 271, 1620.0 / 541, 0.0},
    {"top row: y' = 541, just outside the square", 270, 0, 0.0, 1626.0 / 541},
    {"centre pixel", 270, 271, 0.0, 0.0},
    {"bottom row", 270, 540, 0.0, -1614.0 / 541},
};

TEST_F(PointsView, RightPressAddsThePointUnderThePixel) {
  for (const AddCase& c : kAdds) {
    SCOPED_TRACE(c.what);
    const int n = point_count;
    points_press(GLUT_RIGHT_BUTTON, c.x, c.y_top);
    ASSERT_EQ(n + 1, point_count);
    EXPECT_DOUBLE_EQ(c.px, plane_table[n].x);
    EXPECT_DOUBLE_EQ(c.py, plane_table[n].y);
    EXPECT_EQ(0.0, plane_table[n].z);
    EXPECT_EQ(1.0, plane_table[n].w);
    EXPECT_DOUBLE_EQ(c.px, point_table[n].x);
    EXPECT_DOUBLE_EQ(c.py, point_table[n].y);
    EXPECT_DOUBLE_EQ(c.px * c.px + c.py * c.py + 1.0, point_table[n].z);
    EXPECT_EQ(1.0, point_table[n].w);
    EXPECT_EQ(11, edit_mode);
    EXPECT_EQ(1, need_recompute);
    points_release(GLUT_RIGHT_BUTTON, c.x, c.y_top);
  }
  EXPECT_NEAR(-2.99445, plane_table[0].x, 5e-6);
  EXPECT_NEAR(2.99445, plane_table[1].x, 5e-6);
  EXPECT_NEAR(3.00555, plane_table[2].y, 5e-6);
  // Every edit rewrote the exchange file from point_table.
  const std::vector<std::string> lines = file_lines();
  ASSERT_EQ(size_t(point_count), lines.size());
  for (int i = 0; i < point_count; ++i) EXPECT_EQ(line_of(point_table[i]), lines[i]);
}

TEST_F(PointsView, RightPressOnAFullTableChangesNothing) {
  // 20 columns by 10 rows, far enough apart for each to be picked alone.
  for (int i = 0; i < MAX_POINTS; ++i)
    add_point(point_rec{-2.8 + (i % 20) * 0.29, -2.8 + (i / 20) * 0.5, 0.0, 1.0});
  const int y7 = pixel_of_plane_toward_zero(plane_table[7].y);
  // A left drag of point 7 is in progress.
  points_press(GLUT_LEFT_BUTTON, pixel_of_plane_toward_zero(plane_table[7].x), top_y(y7));
  ASSERT_EQ(3, edit_mode);
  ASSERT_EQ(7, drag_index);
  need_recompute = 0;
  unlink(".ZELMOR");
  const point_rec last = plane_table[MAX_POINTS - 1];

  points_press(GLUT_RIGHT_BUTTON, 100, 100);

  EXPECT_EQ(MAX_POINTS, point_count);
  EXPECT_EQ(last.x, plane_table[MAX_POINTS - 1].x);
  EXPECT_EQ(0, need_recompute);
  EXPECT_NE(0, access(".ZELMOR", F_OK)) << "a refused point must not rewrite the file";
  // The drag goes on.
  EXPECT_EQ(3, edit_mode);
  const double x7 = plane_table[7].x;
  points_move(pixel_of_plane_toward_zero(x7) + 10, top_y(y7));
  EXPECT_DOUBLE_EQ(x7 + plane_length_of_pixels(10), plane_table[7].x);
}

// ---------------------------------------------------------------------------
// Picking
// ---------------------------------------------------------------------------

struct PickCase {
  int dx, dy;  // press offset from the point's projection (270, 270), y up
  bool hit;
};
const PickCase kPicks[] = {{0, 0, true},   {8, 8, true},   {-8, -8, true}, {8, -8, true},
                           {-8, 8, true},  {9, 0, false},  {-9, 0, false}, {0, 9, false},
                           {0, -9, false}, {9, 9, false}};

TEST_F(PointsView, LeftPressPicksWithinTheSeventeenPixelSquare) {
  points_press(GLUT_RIGHT_BUTTON, 270, 271);  // the point (0, 0), drawn at (270.5, 270.5)
  ASSERT_EQ(0.0, plane_table[0].x);
  ASSERT_EQ(0.0, plane_table[0].y);
  for (const PickCase& c : kPicks) {
    SCOPED_TRACE(testing::Message() << "offset " << c.dx << ", " << c.dy);
    points_press(GLUT_LEFT_BUTTON, 270 + c.dx, top_y(270 + c.dy));
    EXPECT_EQ(c.hit ? 0 : -1, drag_index);
    EXPECT_EQ(270 + c.dx, last_mouse_x);
    EXPECT_EQ(270 + c.dy, last_mouse_y);
    points_release(GLUT_LEFT_BUTTON, 270 + c.dx, top_y(270 + c.dy));
  }
}

TEST_F(PointsView, LowerIndexWinsWhenTwoPointsAreInReach) {
  points_press(GLUT_RIGHT_BUTTON, 276, top_y(276));  // point 0, drawn at about (276, 276)
  points_press(GLUT_RIGHT_BUTTON, 270, top_y(270));  // point 1, at (270, 270)
  // Nearer to point 1 but within reach of both.
  points_press(GLUT_LEFT_BUTTON, 269, top_y(269));
  EXPECT_EQ(0, drag_index);
  EXPECT_EQ(0, selected_points[0]);
  // Out of point 0's reach.
  points_press(GLUT_LEFT_BUTTON, 264, top_y(264));
  EXPECT_EQ(1, drag_index);
  EXPECT_EQ(1, selected_points[0]);
  EXPECT_EQ(1, selected_count);
}

// ---------------------------------------------------------------------------
// Dragging
// ---------------------------------------------------------------------------

TEST_F(PointsView, DragStopsAtTheBorderAndKeepsTheOffset) {
  int x, y;
  add_point_at(2.7, 0.0, &x, &y);
  const double x0 = plane_table[0].x, y0 = plane_table[0].y;
  points_press(GLUT_LEFT_BUTTON, x, top_y(y));
  ASSERT_EQ(0, drag_index);
  ASSERT_EQ(3, edit_mode);

  // 30 pixels right would leave the square: the step is dropped whole, but
  // the file is rewritten and the flag set all the same.
  need_recompute = 0;
  unlink(".ZELMOR");
  points_move(x + 30, top_y(y));
  EXPECT_EQ(x0, plane_table[0].x);
  EXPECT_EQ(y0, plane_table[0].y);
  EXPECT_EQ(1, need_recompute);
  EXPECT_EQ(1u, file_lines().size());

  // Back 10 pixels: the point moves by those 10 pixels from where it stopped,
  // so it now sits 30 pixels left of the cursor.
  points_move(x + 20, top_y(y));
  const double moved = x0 - plane_length_of_pixels(10);
  EXPECT_DOUBLE_EQ(moved, plane_table[0].x);
  EXPECT_EQ(y0, plane_table[0].y);
  EXPECT_DOUBLE_EQ(moved, point_table[0].x);
  EXPECT_DOUBLE_EQ(moved * moved + y0 * y0 + 1.0, point_table[0].z);
  ASSERT_EQ(1u, file_lines().size());
  EXPECT_EQ(line_of(point_table[0]), file_lines()[0]);

  // A diagonal step that leaves on y only is dropped on x as well.
  add_point_at(0.0, 2.9, &x, &y);
  points_press(GLUT_LEFT_BUTTON, x, top_y(y));
  ASSERT_EQ(1, drag_index);
  const point_rec before = plane_table[1];
  points_move(x + 5, top_y(y + 20));
  EXPECT_EQ(before.x, plane_table[1].x);
  EXPECT_EQ(before.y, plane_table[1].y);
}

TEST_F(PointsView, ReleaseEndsNothingButTheButton) {
  int x, y;
  add_point_at(-1.0, 1.0, &x, &y);
  points_press(GLUT_LEFT_BUTTON, x, top_y(y));
  points_move(x + 5, top_y(y));
  points_release(GLUT_LEFT_BUTTON, x + 5, top_y(y));
  EXPECT_EQ(0, drag_index);
  EXPECT_EQ(3, edit_mode);
  // A press on empty space resets the grab but keeps the highlight.
  points_press(GLUT_LEFT_BUTTON, 500, 40);
  EXPECT_EQ(-1, drag_index);
  EXPECT_EQ(1, selected_count);
  EXPECT_EQ(0, selected_points[0]);
}

TEST_F(PointsView, MiddlePressHighlightsWithoutDragging) {
  int x, y;
  add_point_at(-1.0, -1.0);
  add_point_at(1.0, 1.0, &x, &y);
  points_press(GLUT_MIDDLE_BUTTON, x, top_y(y));
  EXPECT_EQ(1, drag_index);
  EXPECT_EQ(2, edit_mode);
  EXPECT_EQ(1, selected_count);
  EXPECT_EQ(1, selected_points[0]);
  const point_rec before = plane_table[1];
  points_move(x + 20, top_y(y + 20));
  EXPECT_EQ(before.x, plane_table[1].x);
  EXPECT_EQ(before.y, plane_table[1].y);
  points_release(GLUT_MIDDLE_BUTTON, x + 20, top_y(y + 20));

  // A left press on empty space keeps the highlight and the mode.
  points_press(GLUT_LEFT_BUTTON, 40, 40);
  EXPECT_EQ(-1, drag_index);
  EXPECT_EQ(2, edit_mode);
  EXPECT_EQ(1, selected_points[0]);
  points_release(GLUT_LEFT_BUTTON, 40, 40);

  // The highlighted point is magenta, the other dark blue.
  gui_settle();
  EXPECT_GT(count_near(points_win, kSelected, x, y, 3), 20);
  EXPECT_EQ(0, count_near(points_win, kPoint, x, y, 3));
  EXPECT_GT(
      count_near(points_win, kPoint, pixel_of_plane_toward_zero(-1.0), pixel_of_plane_toward_zero(-1.0), 3),
      20);
}

TEST_F(PointsView, RightPressDuringALeftDragEndsTheDrag) {
  int x, y;
  add_point_at(0.0, 0.0, &x, &y);
  points_press(GLUT_LEFT_BUTTON, x, top_y(y));
  points_move(x + 10, top_y(y));
  ASSERT_DOUBLE_EQ(plane_length_of_pixels(10), plane_table[0].x);
  points_press(GLUT_RIGHT_BUTTON, x + 10, top_y(y));
  EXPECT_EQ(2, point_count);
  EXPECT_EQ(11, edit_mode);
  EXPECT_EQ(0, drag_index);
  const point_rec before = plane_table[0];
  points_move(x + 40, top_y(y));
  EXPECT_EQ(before.x, plane_table[0].x);
}

// ---------------------------------------------------------------------------
// Recomputation and redisplays
// ---------------------------------------------------------------------------

TEST_F(PointsView, NoHullUntilTheFifthPointThenOneRecompute) {
  const double corners[4][2] = {{-1.5, -1.5}, {1.5, -1.5}, {1.5, 1.5}, {-1.5, 1.5}};
  for (const auto& c : corners) add_point_at(c[0], c[1]);
  gui_settle();
  EXPECT_EQ(0, g_recomputes);
  EXPECT_EQ(1, need_recompute);
  EXPECT_EQ(nullptr, tri_list->head);
  EXPECT_EQ(nullptr, edge_list->head);
  EXPECT_EQ(0, count_pixels(points_win, kDelaunay, 0, 0, 540, 540));
  EXPECT_EQ(0, count_pixels(points_win, kVoronoi, 0, 0, 540, 540));

  add_point_at(0.0, 0.0);
  gui_settle();
  EXPECT_EQ(1, g_recomputes);
  EXPECT_EQ(0, need_recompute);
  EXPECT_NE(nullptr, edge_list->head);
  // Nothing changed since: no further recomputation.
  glutSetWindow(view3d_win);
  glutPostRedisplay();
  gui_settle();
  EXPECT_EQ(1, g_recomputes);
}

struct RedisplayCase {
  const char* event;
  bool points, panel, view3d;
};
const RedisplayCase kRedisplays[] = {
    {"right press", true, true, true},
    {"right release", false, true, true},
    {"left press on a point", true, true, true},
    {"motion", true, false, true},
    {"left release", true, true, true},
    {"middle press on empty space", false, true, true},
    {"middle release", true, true, true},
};

TEST_F(PointsView, EachEventRedrawsItsWindows) {
  add_point_at(-2.0, -2.0);  // fewer than 5 points: no recompute adds redisplays
  int x, y;
  for (const RedisplayCase& c : kRedisplays) {
    SCOPED_TRACE(c.event);
    gui_settle();
    const int p = frame_count(points_win), q = frame_count(panel_win);
    const int s = frame_count(view3d_win), t = frame_count(top_win);
    const std::string e = c.event;
    x = pixel_of_plane_toward_zero(1.0);
    y = pixel_of_plane_toward_zero(1.0);
    if (e == "right press") points_press(GLUT_RIGHT_BUTTON, x, top_y(y));
    if (e == "right release") points_release(GLUT_RIGHT_BUTTON, x, top_y(y));
    if (e == "left press on a point") points_press(GLUT_LEFT_BUTTON, x, top_y(y));
    if (e == "motion") points_move(x + 3, top_y(y));
    if (e == "left release") points_release(GLUT_LEFT_BUTTON, x + 3, top_y(y));
    if (e == "middle press on empty space") points_press(GLUT_MIDDLE_BUTTON, 500, 500);
    if (e == "middle release") points_release(GLUT_MIDDLE_BUTTON, 500, 500);
    EXPECT_EQ(points_win, glutGetWindow());
    gui_settle();
    EXPECT_EQ(c.points, frame_count(points_win) > p);
    EXPECT_EQ(c.panel, frame_count(panel_win) > q);
    EXPECT_EQ(c.view3d, frame_count(view3d_win) > s);
    EXPECT_EQ(t, frame_count(top_win));
  }
}

// ---------------------------------------------------------------------------
// Pixels
// ---------------------------------------------------------------------------

TEST_F(PointsView, SquareWithCentreShowsDelaunayVoronoiAndLabels) {
  const double corners[4][2] = {{-1.5, -1.5}, {1.5, -1.5}, {1.5, 1.5}, {-1.5, 1.5}};
  for (const auto& c : corners) add_point_at(c[0], c[1]);
  add_point_at(0.0, 0.0);
  gui_settle();

  const auto at = [](double px, double py, rgb c, int r = 2) {
    return count_near(points_win, c, pixel_of_plane_toward_zero(px), pixel_of_plane_toward_zero(py), r);
  };
  // Delaunay blue along the four spokes, a quarter of the way out.
  for (const auto& c : corners) EXPECT_GT(at(c[0] / 4, c[1] / 4, kDelaunay), 0);
  // Voronoi red: the segments between the circumcentres (1.5, 0), (0, 1.5),
  // (-1.5, 0), (0, -1.5) of the four triangles, and the rays from them out of
  // the square's sides.
  EXPECT_GT(at(1.125, 0.375, kVoronoi), 0);
  EXPECT_GT(at(-0.375, 1.125, kVoronoi), 0);
  EXPECT_GT(at(-1.125, -0.375, kVoronoi), 0);
  EXPECT_GT(at(0.375, -1.125, kVoronoi), 0);
  EXPECT_GT(at(2.5, 0.0, kVoronoi), 0);
  EXPECT_GT(at(0.0, 2.5, kVoronoi), 0);
  EXPECT_GT(at(-2.5, 0.0, kVoronoi), 0);
  EXPECT_GT(at(0.0, -2.5, kVoronoi), 0);
  // No Voronoi edge crosses the inside of a Delaunay triangle near a corner.
  EXPECT_EQ(0, at(0.75, 0.0, kVoronoi, 3));

  // Markers in dark blue; labels up and to the right of each (0.07 plane
  // units, about 6 pixels), in the label colour.
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    const int x = pixel_of_plane_toward_zero(plane_table[i].x),
              y = pixel_of_plane_toward_zero(plane_table[i].y);
    EXPECT_GT(count_near(points_win, kPoint, x, y, 3), 20);
    EXPECT_GT(count_pixels(points_win, kLabel, x + 5, y + 5, x + 15, y + 20), 5);
    EXPECT_EQ(0, count_pixels(points_win, kLabel, x - 12, y - 20, x - 2, y - 4));
  }
}

TEST_F(PointsView, LabelsCarryTheIndex) {
  // Eleven points in a row: labels "0" .. "9" are one glyph wide, "10" two.
  for (int i = 0; i <= 10; ++i) add_point_at(-2.5 + 0.45 * i, 0.0);
  gui_settle();
  const auto label_columns = [](int i) {
    const int x = pixel_of_plane_toward_zero(plane_table[i].x),
              y = pixel_of_plane_toward_zero(plane_table[i].y);
    int first = -1, last = -1;
    for (int cx = x; cx < x + 30; ++cx)
      if (count_pixels(points_win, kLabel, cx, y + 4, cx, y + 22) > 0) {
        if (first < 0) first = cx;
        last = cx;
      }
    return last - first + 1;
  };
  EXPECT_LE(label_columns(1), 8);
  EXPECT_GT(label_columns(10), 8);
  EXPECT_LE(label_columns(10), 16);
}

TEST_F(PointsView, GridAndAxesOnlyWithShowGrid) {
  // A row and a column half-way between grid lines.
  const int row = pixel_of_plane_toward_zero(1.0 / 6), col = pixel_of_plane_toward_zero(-1.0 / 6);
  // Grid lines crossed along the row (vertical lines) or the column
  // (horizontal lines), counted as runs of grid-coloured pixels.
  const auto lines_crossed = [&](bool along_row) {
    int runs = 0;
    bool in = false;
    for (int k = 0; k < 541; ++k) {
      const rgb c = along_row ? frame_pixel(points_win, k, row) : frame_pixel(points_win, col, k);
      const bool g = near(c, kGrid, 4);
      if (g && !in) ++runs;
      in = g;
    }
    return runs;
  };
  const auto vertical_lines = [&] { return lines_crossed(true); };
  const auto horizontal_lines = [&] { return lines_crossed(false); };
  const auto axis_pixels = [&] {
    // Along the x axis at x = 0.5 and the y axis at y = -0.5 (off the grid).
    int n = 0;
    for (int d = -4; d <= 4; ++d) {
      const rgb a =
          frame_pixel(points_win, pixel_of_plane_toward_zero(0.5), pixel_of_plane_toward_zero(0.0) + d);
      const rgb b =
          frame_pixel(points_win, pixel_of_plane_toward_zero(0.0) + d, pixel_of_plane_toward_zero(-0.5));
      n += (a.r < 200 && std::abs(a.r - a.b) < 6) + (b.r < 200 && std::abs(b.r - b.b) < 6);
    }
    return n;
  };

  gui_settle();
  EXPECT_EQ(0, vertical_lines());
  EXPECT_EQ(0, horizontal_lines());
  EXPECT_EQ(0, axis_pixels());

  show_grid = 1;
  redisplay_windows("2");
  gui_settle();
  // 19 lines each way, 1/3 apart from -3 to 3.  The one through 0 lies
  // under the axis, and the one at -3 runs along the viewport's left (bottom)
  // edge, between pixel centres, so no pixel shows it: 17 are seen.
  EXPECT_EQ(17, vertical_lines());
  EXPECT_EQ(17, horizontal_lines());
  for (int k = -8; k <= 9; ++k) {
    if (k == 0) continue;
    SCOPED_TRACE(k);
    const int at = std::min(540, pixel_of_plane_toward_zero(k / 3.0));
    EXPECT_TRUE(near(frame_pixel(points_win, at, row), kGrid, 4));
    EXPECT_TRUE(near(frame_pixel(points_win, col, at), kGrid, 4));
  }
  EXPECT_GT(axis_pixels(), 4);

  show_grid = 0;
  redisplay_windows("2");
  gui_settle();
  EXPECT_EQ(0, vertical_lines());
  EXPECT_EQ(0, axis_pixels());
}

}  // namespace
