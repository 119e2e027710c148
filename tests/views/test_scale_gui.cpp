// The drawing scale in zelmor's own windows: the same scene drawn at scale 1
// and at scale 2, and the scale-2 frame held against the scale-1 frame
// upsampled.  Lines and markers lie where they were (within a pixel or two)
// and are twice as wide, so they cover about four times the pixels; text
// lies where it was, from larger glyphs rather than doubled pixels; the
// panel's controls and the pick square answer the mouse where they are drawn.
//
// The program starts at scale 1 (as zelmor always does); each test then
// brings every window to its size at scale 2 as a front end that changes the
// scale does, and draws again.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "app/windows.h"
#include "tests/support/views_gui_support.h"
#include "view2d/scale.h"
#include "view2d/view2d.h"
#include "view3d/view3d.h"

namespace {

// One frame as read back, with its size.
struct frame {
  int w = 0, h = 0;
  std::vector<rgb> px;
  const rgb& at(int x, int y) const { return px[size_t(y) * size_t(w) + size_t(x)]; }
};

frame draw(int win, void (*display)()) {
  glutSetWindow(win);
  display();
  return frame{frame_width(win), frame_height(win), frame_of(win)};
}

using colour_class = std::function<bool(const rgb&)>;

colour_class colour(rgb c, int tol = 3) {
  return [c, tol](const rgb& p) { return near(p, c, tol); };
}

bool any_near(const frame& f, const colour_class& is, int x, int y, int r) {
  for (int j = y - r; j <= y + r; ++j)
    for (int i = x - r; i <= x + r; ++i)
      if (i >= 0 && j >= 0 && i < f.w && j < f.h && is(f.at(i, j))) return true;
  return false;
}

// How the scale-2 frame big holds the class against the scale-1 frame small.
struct match {
  int small_count = 0, big_count = 0;
  double found_in_big = 0;    // of small's pixels, the share with one in big near 2x
  double found_in_small = 0;  // of big's pixels, the share with one in small near x / 2
  double ratio() const { return small_count == 0 ? 0 : double(big_count) / small_count; }
};

// reach_big: how far from (2x, 2y) big may have it; reach_small the same in
// small's pixels for big's pixels.
match compare(const frame& small, const frame& big, const colour_class& is, int reach_big,
              int reach_small) {
  match m;
  int found = 0;
  for (int y = 0; y < small.h; ++y)
    for (int x = 0; x < small.w; ++x)
      if (is(small.at(x, y))) {
        ++m.small_count;
        found += any_near(big, is, 2 * x, 2 * y, reach_big);
      }
  m.found_in_big = m.small_count == 0 ? 0 : double(found) / m.small_count;
  found = 0;
  for (int y = 0; y < big.h; ++y)
    for (int x = 0; x < big.w; ++x)
      if (is(big.at(x, y))) {
        ++m.big_count;
        found += any_near(small, is, x / 2, y / 2, reach_small);
      }
  m.found_in_small = m.big_count == 0 ? 0 : double(found) / m.big_count;
  return m;
}

// Every window at its size for scale s, once the window system has resized
// them.
void rescale(float s) {
  set_draw_scale(s);
  fit_windows_to_scale();
  const auto width_of = [](int win) {
    glutSetWindow(win);
    return glutGet(GLUT_WINDOW_WIDTH);
  };
  ASSERT_TRUE(gui_pump_until([&] {
    return width_of(view3d_win) == view3d_fixed.width && width_of(points_win) == points_fixed.width &&
           width_of(panel_win) == panel_fixed.width && points_win_w == points_fixed.width &&
           panel_fixed.drawn_w == panel_fixed.width && view3d_fixed.drawn_w == view3d_fixed.width;
  }));
  gui_settle();
}

// The frame of win drawn by display at scale 1 and, once every window has
// its size for scale 2, at 2.
void frames_at_1_and_2(int win, void (*display)(), frame* small, frame* big) {
  *small = draw(win, display);
  rescale(2.0f);
  *big = draw(win, display);
  ASSERT_EQ(2 * small->w, big->w);
  ASSERT_EQ(2 * small->h, big->h);
}

// One colour class held against the upsampled scale-1 frame: at least
// min_count pixels of it at scale 1, each with one at scale 2 within
// reach_big of twice its place and back within reach_small (shares found),
// and about ratio_low to ratio_high times the pixels.
struct class_case {
  const char* what;
  colour_class is;
  int reach_big, reach_small, min_count;
  double found, ratio_low, ratio_high;
};

void expect_where_they_were(const frame& small, const frame& big, const std::vector<class_case>& cases) {
  for (const class_case& c : cases) {
    SCOPED_TRACE(c.what);
    const match m = compare(small, big, c.is, c.reach_big, c.reach_small);
    EXPECT_GT(m.small_count, c.min_count);
    EXPECT_GT(m.found_in_big, c.found);
    EXPECT_GT(m.found_in_small, c.found);
    EXPECT_GT(m.ratio(), c.ratio_low);
    EXPECT_LT(m.ratio(), c.ratio_high);
  }
}

const rgb kRed = from_gl(1.0f, 0.0f, 0.0f);          // Voronoi edges
const rgb kEdgeBlue = from_gl(0.0f, 0.3f, 1.0f);     // Delaunay edges
const rgb kMarker = from_gl(0.14f, 0.14f, 0.56f);    // points
const rgb kLabel = from_gl(0.0f, 0.5f, 1.0f);        // point labels
const rgb kWidgetBlue = from_gl(0.0f, 0.0f, 1.0f);   // the panel's labels
const rgb kBevelLight = from_gl(1.0f, 1.0f, 1.0f);   // raised frames' light edges

class ScaleFrames : public ::testing::Test {
 protected:
  void SetUp() override {
    gui_start();
    // Nine points: a triangulation with inner edges, rays and labels of one
    // and two digits apart from each other.
    const double pts[][2] = {{-2.1, -1.7}, {1.9, -2.2}, {2.3, 1.6},  {-1.4, 2.2},  {0.3, 0.1},
                             {-0.9, -0.4}, {1.1, 0.9},  {-2.4, 0.7}, {0.6, -1.3}, {1.4, -0.6}};
    for (const auto& p : pts) add_point_at(p[0], p[1]);
    gui_settle();
  }
  void TearDown() override {
    set_draw_scale(1.0f);
    immediate_drawing = false;
  }
};

TEST_F(ScaleFrames, PlaneLinesAndMarkersLieWhereTheyWereTwiceAsWide) {
  frame small, big;
  frames_at_1_and_2(points_win, points_display, &small, &big);
  // Twice as long and twice as wide: about four times the pixels.
  expect_where_they_were(small, big, {{"Voronoi edges", colour(kRed), 2, 1, 40, 0.97, 3.0, 5.0},
                                      {"Delaunay edges", colour(kEdgeBlue), 2, 1, 40, 0.97, 3.0, 5.0},
                                      {"points", colour(kMarker), 2, 1, 40, 0.97, 3.0, 5.0}});
}

TEST_F(ScaleFrames, LabelsAreDrawnWhereTheyWereFromLargerGlyphs) {
  frame small, big;
  frames_at_1_and_2(points_win, points_display, &small, &big);
  // A glyph of the larger font is not the small glyph's pixels doubled, so
  // it may reach a few pixels further; every label pixel lies near one of
  // the other frame's all the same.
  expect_where_they_were(small, big, {{"labels", colour(kLabel), 5, 3, 100, 0.95, 2.0, 6.0}});
  // Legible, not magnified: no shift of the scale-1 labels with every pixel
  // doubled gives the scale-2 labels.
  const colour_class is = colour(kLabel);
  int best = 0;
  for (int dy = -4; dy <= 4; ++dy)
    for (int dx = -4; dx <= 4; ++dx) {
      int same = 0;
      for (int y = 0; y < big.h; ++y)
        for (int x = 0; x < big.w; ++x) {
          const int sx = (x - dx) / 2, sy = (y - dy) / 2;
          const bool in_small = x - dx >= 0 && y - dy >= 0 && sx < small.w && sy < small.h &&
                                is(small.at(sx, sy));
          same += in_small && is(big.at(x, y));
        }
      best = std::max(best, same);
    }
  EXPECT_LT(best, 0.8 * compare(small, big, is, 0, 0).big_count) << "the labels look like doubled pixels";
}

TEST_F(ScaleFrames, The3DViewFollowsTheScale) {
  frame small, big;
  frames_at_1_and_2(view3d_win, view3d_display, &small, &big);
  // Faces are areas: four times the pixels; the outlines and edges are
  // lines, twice as long and twice as wide.
  expect_where_they_were(small, big, {{"lower faces", is_cyan, 2, 1, 100, 0.97, 3.5, 4.5},
                                      {"face outlines and edges", is_blue, 2, 1, 100, 0.97, 3.0, 5.0}});
}

TEST_F(ScaleFrames, PanelControlsAreDrawnAndHitWhereTheyWere) {
  frame small, big;
  frames_at_1_and_2(panel_win, panel_display, &small, &big);
  // The label font at scale 2 is Times Roman 24 for Helvetica 12: the same
  // place, a little wider or narrower letter by letter.
  expect_where_they_were(small, big, {{"bevels", colour(kBevelLight), 2, 1, 200, 0.97, 2.0, 5.0},
                                      {"labels", colour(kWidgetBlue, 40), 8, 4, 200, 0.9, 2.0, 6.0}});
  // A press at the "Show Grid" box's place at scale 2 (GLUT's y from the
  // top of the panel's device pixels) ticks it; the place the box had at
  // scale 1 is now another part of the panel.
  const int box_x = 395, box_y = 598;  // inside the box, panel pixels from the bottom
  const auto press = [](int x, int y_top) {
    glutSetWindow(panel_win);
    panel_mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, x, y_top);
    panel_mouse(GLUT_LEFT_BUTTON, GLUT_UP, x, y_top);
  };
  const int before = show_grid;
  press(box_x, 615 - 1 - box_y);  // where GLUT gave it at scale 1
  EXPECT_EQ(before, show_grid);
  press(2 * box_x, panel_fixed.height - 1 - 2 * box_y);
  EXPECT_NE(before, show_grid);
}

TEST_F(ScaleFrames, ThePickSquareGrowsWithTheMarkers) {
  rescale(2.0f);
  glutSetWindow(points_win);
  points_display();
  // Point 4 at (0.3, 0.1): its marker's centre in device pixels.
  const double cx = pixel_of_plane(plane_table[4].x, points_win_w);
  const double cy = pixel_of_plane(plane_table[4].y, points_win_h);
  struct pick_case {
    const char* what;
    int dx;
    int picked;
  };
  // 8 layout pixels: 16 device pixels at scale 2 (17 at scale 1 missed).
  const pick_case kPicks[] = {{"15 pixels right", 15, 4}, {"20 pixels right", 20, -1}};
  for (const pick_case& c : kPicks) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.picked, pick_point(int(cx) + c.dx, int(cy)));
  }
}

}  // namespace

namespace {

// The labels at scale 2 go out in batches from the lists of the larger
// font's digits; drawn one by one, glyph after glyph, every pixel is the same
// (and so is every other layer's).
TEST_F(ScaleFrames, BatchedLabelsAreThoseDrawnOneByOne) {
  rescale(2.0f);
  for (const int win : {points_win, view3d_win}) {
    SCOPED_TRACE(win == points_win ? "2D Points" : "3D Projection");
    void (*display)() = win == points_win ? points_display : view3d_display;
    immediate_drawing = true;
    const frame one_by_one = draw(win, display);
    immediate_drawing = false;
    const frame batched = draw(win, display);
    ASSERT_EQ(one_by_one.px.size(), batched.px.size());
    int differ = 0;
    for (size_t k = 0; k < batched.px.size(); ++k) differ += !(batched.px[k] == one_by_one.px[k]);
    EXPECT_EQ(0, differ);
    // Labels there are (in 3D many lie under the translucent surface).
    EXPECT_GT(compare(batched, batched, colour(kLabel), 0, 0).small_count, 40);
  }
}

}  // namespace
