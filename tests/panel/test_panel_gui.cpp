// The control panel in the real windows: its callbacks driven directly, its
// frames read back.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/windows.h"
#include "tests/support/gui_harness.h"
#include "view2d/view2d.h"

namespace {

// The panel is 615 rows tall and draws with y upward: GLUT reports the
// widget row y as the mouse row 614 - y (only rows 540 .. 614 are visible).
int mouse_y(int y) { return 614 - y; }

void press(int x, int y, int button = GLUT_LEFT_BUTTON) {
  glutSetWindow(panel_win);
  panel_mouse(button, GLUT_DOWN, x, mouse_y(y));
}
void release(int x, int y, int button = GLUT_LEFT_BUTTON) {
  glutSetWindow(panel_win);
  panel_mouse(button, GLUT_UP, x, mouse_y(y));
}
void click(int x, int y) {
  press(x, y);
  release(x, y);
}
void move(int x, int y) {
  glutSetWindow(panel_win);
  panel_motion(x, mouse_y(y));
}

// Centres of the controls, in panel pixels (y upward).
constexpr int NEW_X = 427, NEW_Y = 559;
constexpr int QUIT_X = 498, QUIT_Y = 559;
constexpr int ZOOM_IN_X = 512, ZOOM_IN_Y = 589;
constexpr int ZOOM_OUT_X = 487, ZOOM_OUT_Y = 589;
// The arrow boxes of a slider with x1 = 220: x 200 .. 210; up y0 + 9 .. y0 + 16,
// down y0 .. y0 + 7.
constexpr int ARROW_X = 205;
constexpr int WEIGHT_Y0 = 580, OPACITY_Y0 = 550;
// A spot of the visible strip that no control covers.
constexpr int EMPTY_X = 385, EMPTY_Y = 576;

const std::vector<std::pair<double, double>> kSix = {
    {-1.0, -1.0}, {1.5, -0.5}, {0.3, 1.2}, {-2.0, 0.8}, {2.2, 2.0}, {0.1, -2.3}};
const std::vector<std::pair<double, double>> kThree = {{-1.0, -1.0}, {1.5, -0.5}, {0.3, 1.2}};

// Adds the points the way an edit in the 2D view does and lets every view
// catch up (more than 4 points are recomputed by the 3D view's display).
void place_points(const std::vector<std::pair<double, double>>& pts) {
  for (const auto& [x, y] : pts) ASSERT_EQ(1, add_point(point_rec{x, y, 0.0, 1.0}));
  need_recompute = 1;
  write_point_file();
  redisplay_windows("23S");
  gui_settle();
}

std::string read_point_file() {
  std::ifstream in(".ZELMOR", std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

int list_length(const rec_list* list) {
  int n = 0;
  for (const rec_node* node = list->head; node != nullptr; node = node->next) ++n;
  return n;
}

// A digest of the last frame of win: equal digests mean equal pictures.
uint64_t frame_digest(int win) {
  uint64_t h = 1469598103934665603ull;
  for (int y = 0; y < frame_height(win); ++y)
    for (int x = 0; x < frame_width(win); ++x) {
      const rgb c = frame_pixel(win, x, y);
      for (int v : {c.r, c.g, c.b}) h = (h ^ uint64_t(v)) * 1099511628211ull;
    }
  return h;
}

class Panel : public ::testing::Test {
 protected:
  void SetUp() override { gui_start(); }
};

// ---------------------------------------------------------------------------
// New

struct NewCase {
  const char* what;
  const std::vector<std::pair<double, double>>* points;
  int release_x, release_y;
};
const NewCase kNew[] = {
    {"three points, release on the button", &kThree, NEW_X, NEW_Y},
    {"six points, release on the button", &kSix, NEW_X, NEW_Y},
    {"six points, release off the button", &kSix, 100, 300},
    {"three points, release outside the panel", &kThree, -40, 700},
};

TEST_F(Panel, NewEmptiesThePointSetTheFileAndTheRecordsAtTheRelease) {
  const uint64_t empty_points_view = frame_digest(points_win);
  const uint64_t empty_view3d = frame_digest(view3d_win);
  selected_count = 1;
  selected_points[0] = 2;
  for (const NewCase& c : kNew) {
    SCOPED_TRACE(c.what);
    place_points(*c.points);
    const int n = static_cast<int>(c.points->size());
    ASSERT_EQ(n, point_count);
    if (n > 4) {
      ASSERT_GT(list_length(tri_list), 0);
      ASSERT_GT(list_length(edge_list), 0);
    }
    const point_rec first = plane_table[0];

    press(NEW_X, NEW_Y);
    EXPECT_EQ(n, point_count);  // nothing happens before the release
    gui_settle();
    const int p = frame_count(points_win), s = frame_count(view3d_win);
    release(c.release_x, c.release_y);

    EXPECT_EQ(0, point_count);
    EXPECT_EQ(1, need_recompute);
    EXPECT_EQ("", read_point_file());
    ASSERT_NE(nullptr, tri_list);
    ASSERT_NE(nullptr, edge_list);
    EXPECT_EQ(0, list_length(tri_list));
    EXPECT_EQ(0, list_length(edge_list));
    EXPECT_EQ(0, new_button.state);
    // The table entries stay; only the count drops.  The selection stays.
    EXPECT_EQ(first.x, plane_table[0].x);
    EXPECT_EQ(first.y, plane_table[0].y);
    EXPECT_EQ(1, selected_count);
    EXPECT_EQ(2, selected_points[0]);

    gui_settle();
    EXPECT_GT(frame_count(points_win), p);
    EXPECT_GT(frame_count(view3d_win), s);
    // Both views look exactly as they did before any point existed.
    EXPECT_EQ(empty_points_view, frame_digest(points_win));
    EXPECT_EQ(empty_view3d, frame_digest(view3d_win));
  }
}

// ---------------------------------------------------------------------------
// Zoom

struct ZoomCase {
  const char* what;
  int x, y, presses;
  float zoom;
};
const ZoomCase kZoom[] = {
    {"three presses on +", ZOOM_IN_X, ZOOM_IN_Y, 3, 5.0625f},
    {"one press on -", ZOOM_OUT_X, ZOOM_OUT_Y, 1, 1.0f},
    {"+ at its corner (502, 582)", 502, 582, 1, 2.25f},
    {"- at its corner (497, 597)", 497, 597, 1, 1.0f},
    {"between the two buttons", 499, 589, 1, 1.5f},
};

TEST_F(Panel, ZoomButtonsScaleByOneAndAHalfAtEachRelease) {
  for (const ZoomCase& c : kZoom) {
    SCOPED_TRACE(c.what);
    zoom_factor = 1.5f;
    for (int i = 0; i < c.presses; ++i) {
      const float before = zoom_factor;
      press(c.x, c.y);
      EXPECT_EQ(before, zoom_factor);  // the press alone changes nothing
      release(c.x, c.y);
    }
    EXPECT_EQ(c.zoom, zoom_factor);
    EXPECT_EQ(0, zoom_in_button.state);
    EXPECT_EQ(0, zoom_out_button.state);
  }
}

// Hundreds of presses on one button: the 3D view stays drawable, and the
// other button brings it back to the very frame it showed before.
TEST_F(Panel, HundredsOfZoomPressesStayWithinReachOfTheOtherButton) {
  place_points(kSix);
  gui_settle();
  const uint64_t start = frame_digest(view3d_win);
  for (const bool in_first : {true, false}) {
    SCOPED_TRACE(in_first ? "+ then -" : "- then +");
    ASSERT_EQ(1.5f, zoom_factor);
    int moved = 0;
    for (int i = 0; i < 300; ++i) {
      const float before = zoom_factor;
      in_first ? click(ZOOM_IN_X, ZOOM_IN_Y) : click(ZOOM_OUT_X, ZOOM_OUT_Y);
      ASSERT_TRUE(std::isfinite(zoom_factor) && zoom_factor > 0.0f) << "press " << i + 1;
      if (zoom_factor != before) ++moved;
    }
    gui_settle();
    for (int i = 0; i < moved; ++i) in_first ? click(ZOOM_OUT_X, ZOOM_OUT_Y) : click(ZOOM_IN_X, ZOOM_IN_Y);
    EXPECT_NEAR(1.5f, zoom_factor, 1e-4f);
    zoom_factor = 1.5f;  // float rounding aside, the start
    redisplay_windows("S");
    gui_settle();
    EXPECT_EQ(start, frame_digest(view3d_win));
  }
}

TEST_F(Panel, ZoomActsAtAReleaseAnywhere) {
  press(ZOOM_IN_X, ZOOM_IN_Y);
  EXPECT_EQ(1.5f, zoom_factor);
  move(100, 100);
  release(-200, 900);
  EXPECT_EQ(2.25f, zoom_factor);
}

// ---------------------------------------------------------------------------
// Check boxes

int grid_setting() { return show_grid; }
int hyperboloid_setting() { return show_hyperboloid; }
int delaunay_setting() { return show_delaunay; }
int voronoi_setting() { return show_voronoi; }

struct BoxCase {
  const char* what;
  const button_rec* box;
  int (*setting)();
  int x0, y0, x1, y1;  // the clickable rectangle
  int initial;
  bool changes_points_view, changes_view3d;
};
const BoxCase kBoxes[] = {
    {"Show Hyperboloid", &hyperboloid_check, hyperboloid_setting, 230, 588, 280, 610, 1, false, true},
    {"Show Delaunay Edges", &delaunay_check, delaunay_setting, 230, 565, 280, 587, 1, true, true},
    {"Show Voronoi Regions", &voronoi_check, voronoi_setting, 230, 542, 280, 564, 1, true, false},
    {"Show Grid", &grid_check, grid_setting, 390, 588, 459, 610, 0, true, true},
};

TEST_F(Panel, EachPressOnACheckBoxFlipsItsSetting) {
  for (const BoxCase& c : kBoxes) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.initial, c.setting());
    // Both corners and the middle: the rectangle's edges count.
    const int spots[][2] = {{c.x0, c.y0}, {c.x1, c.y1}, {(c.x0 + c.x1) / 2, (c.y0 + c.y1) / 2}};
    int expected = c.initial;
    for (const auto& s : spots) {
      press(s[0], s[1]);
      expected ^= 1;
      EXPECT_EQ(expected, c.setting());
      EXPECT_EQ(expected, c.box->state);
      release(s[0], s[1]);  // the release changes nothing
      EXPECT_EQ(expected, c.setting());
    }
    press(c.x0, c.y0);
    release(c.x0, c.y0);
    EXPECT_EQ(c.initial, c.setting());
    EXPECT_EQ(c.initial, c.box->state);
  }
}

TEST_F(Panel, PressesOutsideACheckBoxRectangleToggleNothing) {
  for (const BoxCase& c : kBoxes) {
    SCOPED_TRACE(c.what);
    const int y = (c.y0 + c.y1) / 2;
    // On the label text right of x1, and just off each edge.
    const int spots[][2] = {{c.x1 + 1, y}, {c.x1 + 40, y}, {c.x0 - 1, y}};
    for (const auto& s : spots) {
      click(s[0], s[1]);
      EXPECT_EQ(1, show_hyperboloid);
      EXPECT_EQ(1, show_delaunay);
      EXPECT_EQ(1, show_voronoi);
      EXPECT_EQ(0, show_grid);
      EXPECT_EQ(0, grid_check.state);
    }
  }
}

TEST_F(Panel, TheViewsFollowTheLayerBoxes) {
  place_points(kSix);
  ASSERT_GT(list_length(edge_list), 0);
  for (const BoxCase& c : kBoxes) {
    SCOPED_TRACE(c.what);
    gui_settle();
    const uint64_t points_before = frame_digest(points_win);
    const uint64_t view3d_before = frame_digest(view3d_win);
    const int p = frame_count(points_win), s = frame_count(view3d_win);
    click((c.x0 + c.x1) / 2, (c.y0 + c.y1) / 2);
    gui_settle();
    EXPECT_GT(frame_count(points_win), p);
    EXPECT_GT(frame_count(view3d_win), s);
    EXPECT_EQ(c.changes_points_view, frame_digest(points_win) != points_before);
    EXPECT_EQ(c.changes_view3d, frame_digest(view3d_win) != view3d_before);
    click((c.x0 + c.x1) / 2, (c.y0 + c.y1) / 2);
    gui_settle();
    EXPECT_EQ(points_before, frame_digest(points_win));
    EXPECT_EQ(view3d_before, frame_digest(view3d_win));
  }
}

// ---------------------------------------------------------------------------
// Sliders

// x*x + y*y + weight, the weight widened from float: computed here on its own.
double expected_height(double x, double y, float w) { return x * x + y * y + double(w); }

TEST_F(Panel, DraggingTheWeightToTenLiftsEveryPointByNineWithoutAnEdit) {
  place_points(kThree);
  need_recompute = 0;
  const std::string file = read_point_file();
  ASSERT_NE("", file);
  std::vector<point_rec> plane(plane_table, plane_table + 3), lifted(point_table, point_table + 3);

  const int knob = weight_slider.knob_x;
  press(knob, WEIGHT_Y0 + 7);
  ASSERT_EQ(1, weight_slider.dragging);
  for (int dx = 10; dx <= 400; dx += 10) move(knob + dx, WEIGHT_Y0 + 7);
  release(knob + 400, WEIGHT_Y0 + 7);

  EXPECT_EQ(10.0f, weight);
  EXPECT_EQ(10.0f, weight_slider.value);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(plane[i].x, plane_table[i].x);
    EXPECT_EQ(plane[i].y, plane_table[i].y);
    EXPECT_EQ(plane[i].z, plane_table[i].z);
    EXPECT_EQ(expected_height(plane[i].x, plane[i].y, 10.0f), point_table[i].z);
    EXPECT_NEAR(lifted[i].z + 9.0, point_table[i].z, 1e-12);
    EXPECT_EQ(lifted[i].x, point_table[i].x);
  }
  EXPECT_EQ(file, read_point_file());
  EXPECT_EQ(0, need_recompute);
}

TEST_F(Panel, TheWeightFollowsTheKnobDuringTheDrag) {
  place_points(kThree);
  const int knob = weight_slider.knob_x;
  press(knob, WEIGHT_Y0 + 7);
  move(knob - 20, WEIGHT_Y0 + 30);  // y plays no part
  EXPECT_NEAR(-1.0f, weight, 1e-5);
  EXPECT_EQ(weight, weight_slider.value);
  EXPECT_EQ(expected_height(plane_table[1].x, plane_table[1].y, weight), point_table[1].z);
  release(knob - 20, WEIGHT_Y0 + 7);
}

TEST_F(Panel, OpacityStaysAtPointThreeUntilTheFirstMotionEvent) {
  EXPECT_EQ(0.3f, hyperboloid_opacity);
  EXPECT_EQ(0.4f, opacity_slider.value);
  click(EMPTY_X, EMPTY_Y);
  click(NEW_X, NEW_Y);
  gui_settle();
  EXPECT_EQ(0.3f, hyperboloid_opacity);
  // A motion that moves no slider still brings the surface to the read-out.
  press(EMPTY_X, EMPTY_Y);
  move(EMPTY_X + 3, EMPTY_Y);
  EXPECT_EQ(0.4f, hyperboloid_opacity);
  release(EMPTY_X + 3, EMPTY_Y);
}

TEST_F(Panel, OpacityDragSetsTheSurfaceAlpha) {
  const int knob = opacity_slider.knob_x;
  press(knob, OPACITY_Y0 + 7);
  ASSERT_EQ(1, opacity_slider.dragging);
  move(knob + 26, OPACITY_Y0 + 7);  // two steps of 13 pixels
  EXPECT_NEAR(0.6f, hyperboloid_opacity, 1e-6);
  EXPECT_EQ(opacity_slider.value, hyperboloid_opacity);
  release(knob + 26, OPACITY_Y0 + 7);
}

TEST_F(Panel, AnArrowClickMovesThePointsWithTheSurfaceAtOnce) {
  place_points(kThree);
  need_recompute = 0;
  const std::string file = read_point_file();

  struct Step {
    int y;
    float weight;
  } steps[] = {{WEIGHT_Y0 + 12, 1.1f}, {WEIGHT_Y0 + 3, 1.0f}, {WEIGHT_Y0 + 3, 0.9f}};
  for (const Step& s : steps) {
    SCOPED_TRACE(s.weight);
    press(ARROW_X, s.y);
    // No motion event has come yet: the heights are already there.
    EXPECT_NEAR(s.weight, weight, 1e-6);
    EXPECT_EQ(weight, weight_slider.value);
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(expected_height(plane_table[i].x, plane_table[i].y, weight), point_table[i].z);
    release(ARROW_X, s.y);
  }
  // The weight arrows leave the opacity alone, the file and the recompute flag too.
  EXPECT_EQ(0.3f, hyperboloid_opacity);
  EXPECT_EQ(file, read_point_file());
  EXPECT_EQ(0, need_recompute);

  press(ARROW_X, OPACITY_Y0 + 12);
  EXPECT_NEAR(0.5f, hyperboloid_opacity, 1e-6);
  EXPECT_EQ(opacity_slider.value, hyperboloid_opacity);
  release(ARROW_X, OPACITY_Y0 + 12);
}

TEST_F(Panel, ArrowsAtTheBoundsHoldTheValue) {
  for (int i = 0; i < 200; ++i) click(ARROW_X, WEIGHT_Y0 + 12);
  EXPECT_EQ(10.0f, weight);
  press(ARROW_X, WEIGHT_Y0 + 12);
  EXPECT_EQ(10.0f, weight);
  EXPECT_EQ(1, weight_slider.up_pressed);
  release(-50, -50);
  EXPECT_EQ(0, weight_slider.up_pressed);
  for (int i = 0; i < 20; ++i) click(ARROW_X, OPACITY_Y0 + 3);
  EXPECT_EQ(0.0f, opacity_slider.value);
  EXPECT_EQ(0.0f, hyperboloid_opacity);
}

// ---------------------------------------------------------------------------
// Quit!

TEST(PanelDeathTest, QuitEndsTheProcessWithStatusZeroAtTheRelease) {
  gui_start();
  EXPECT_EXIT(
      {
        press(QUIT_X, QUIT_Y);
        release(QUIT_X, QUIT_Y);
      },
      testing::ExitedWithCode(0), "");
  EXPECT_EXIT(
      {
        press(QUIT_X, QUIT_Y);
        move(10, 10);
        release(-100, 800);
      },
      testing::ExitedWithCode(0), "");
}

TEST_F(Panel, QuitDoesNothingAtThePress) {
  press(QUIT_X, QUIT_Y);
  gui_settle();
  EXPECT_EQ(1, quit_button.state);
  quit_button.state = 0;  // disarm: the release would end this process
  release(QUIT_X, QUIT_Y);
}

// ---------------------------------------------------------------------------
// Pixels

const rgb kWhite{255, 255, 255}, kBlack{0, 0, 0}, kRed{255, 0, 0}, kBlue{0, 0, 255};
const rgb kPanelGrey = from_gl(0.85f, 0.85f, 0.85f);
const rgb kBevelGrey = from_gl(0.33f, 0.33f, 0.33f);
const rgb kKnobGrey = from_gl(0.5f, 0.5f, 0.5f);
const rgb kCaption = from_gl(0.5f, 0.07f, 0.5f);

void redraw_panel() {
  glutSetWindow(panel_win);
  panel_display();
}

TEST_F(Panel, DrawsEveryControlInItsPlace) {
  redraw_panel();
  const int w = panel_win;
  EXPECT_EQ(541, frame_width(w));
  EXPECT_EQ(615, frame_height(w));
  EXPECT_EQ(kPanelGrey, frame_pixel(w, EMPTY_X, EMPTY_Y));
  // Captions, left of the sliders.
  EXPECT_GT(count_pixels(w, kCaption, 5, 583, 38, 597), 10);
  EXPECT_GT(count_pixels(w, kCaption, 5, 553, 38, 567), 10);
  // Slider tracks: white at the left end, black at the right.
  for (int y0 : {WEIGHT_Y0, OPACITY_Y0}) {
    SCOPED_TRACE(y0);
    EXPECT_TRUE(near(kWhite, frame_pixel(w, 64, y0 + 7), 8));
    EXPECT_TRUE(near(kBlack, frame_pixel(w, 194, y0 + 7), 8));
    // Value read-outs blue over the track, bounds red above its ends.
    EXPECT_GT(count_pixels(w, kBlue, 110, y0 + 14, 150, y0 + 24), 5);
    EXPECT_GT(count_pixels(w, kRed, 57, y0 + 16, 90, y0 + 26), 5);
    EXPECT_GT(count_pixels(w, kRed, 190, y0 + 17, 220, y0 + 27), 5);
    // Black arrow glyphs in their boxes.
    EXPECT_EQ(kBlack, frame_pixel(w, 205, y0 + 13));
    EXPECT_EQ(kBlack, frame_pixel(w, 205, y0 + 3));
  }
  // Knobs on their values: weight 1.0 is 40 of 130 pixels along, opacity
  // 0.4 is 52.
  EXPECT_EQ(kKnobGrey, frame_pixel(w, 105, WEIGHT_Y0 + 7));
  EXPECT_EQ(kKnobGrey, frame_pixel(w, 117, OPACITY_Y0 + 7));
  // Blue labels on New and the zoom buttons, red on Quit!.
  EXPECT_GT(count_pixels(w, kBlue, 400, 551, 456, 567), 10);
  EXPECT_EQ(0, count_pixels(w, kRed, 400, 551, 456, 567));
  EXPECT_GT(count_pixels(w, kRed, 470, 551, 527, 567), 10);
  EXPECT_GT(count_pixels(w, kBlue, 503, 584, 521, 596), 3);
  EXPECT_GT(count_pixels(w, kBlue, 478, 584, 496, 596), 1);
  // Black outlines 1.5 pixels outside the push buttons.
  EXPECT_GT(count_pixels(w, kBlack, 393, 545, 395, 573), 15);
  EXPECT_GT(count_pixels(w, kBlack, 464, 545, 466, 573), 15);
  // Labels of the check boxes, blue, right of their boxes.
  for (const BoxCase& c : kBoxes) {
    SCOPED_TRACE(c.what);
    EXPECT_GT(count_pixels(w, kBlue, c.x0 + 15, c.y0 + 3, c.x0 + 100, c.y1), 10);
  }
}

TEST_F(Panel, TickedBoxesCarryARedTick) {
  redraw_panel();
  const int w = panel_win;
  // The tick runs from inside the 10 x 10 box (x0 .. x0 + 10, y0 + 5 ..
  // y0 + 15) to 5 pixels right of it.
  auto tick_pixels = [w](const BoxCase& c) {
    return count_pixels(w, kRed, c.x0, c.y0 + 3, c.x0 + 15, c.y0 + 15);
  };
  for (const BoxCase& c : kBoxes) {
    SCOPED_TRACE(c.what);
    if (c.initial) {
      EXPECT_GT(tick_pixels(c), 15);
    } else {
      EXPECT_EQ(0, tick_pixels(c));
    }
  }
  click(400, 600);  // the grid box
  gui_settle();
  EXPECT_GT(tick_pixels(kBoxes[3]), 15);
  EXPECT_EQ(kPanelGrey, frame_pixel(w, EMPTY_X, EMPTY_Y));
}

// Counts white and bevel-grey pixels along the left edge of a rectangle.
std::pair<int, int> left_edge(int win, int x0, int y0, int y1) {
  return {count_pixels(win, kWhite, x0 - 1, y0 + 2, x0 + 1, y1 - 2, 8),
          count_pixels(win, kBevelGrey, x0 - 1, y0 + 2, x0 + 1, y1 - 2, 8)};
}

struct SunkenCase {
  const char* what;
  int press_x, press_y;     // where the left button goes down
  int x0, y0, y1;           // the frame whose left edge is read
  int min_light;            // light pixels on that edge when raised
};
const SunkenCase kSunken[] = {
    {"New", NEW_X, NEW_Y, 396, 548, 570, 10},
    {"+", ZOOM_IN_X, ZOOM_IN_Y, 502, 582, 597, 5},
    {"weight up arrow", ARROW_X, WEIGHT_Y0 + 12, 200, WEIGHT_Y0 + 9, WEIGHT_Y0 + 16, 2},
    {"opacity down arrow", ARROW_X, OPACITY_Y0 + 3, 200, OPACITY_Y0, OPACITY_Y0 + 7, 2},
};

TEST_F(Panel, PressedButtonsAndHeldArrowsDrawSunkenUntilTheRelease) {
  for (const SunkenCase& c : kSunken) {
    SCOPED_TRACE(c.what);
    redraw_panel();
    const auto raised = left_edge(panel_win, c.x0, c.y0, c.y1);
    EXPECT_GE(raised.first, c.min_light);  // light left edge
    EXPECT_EQ(0, raised.second);

    press(c.press_x, c.press_y);
    gui_settle();
    const auto sunken = left_edge(panel_win, c.x0, c.y0, c.y1);
    EXPECT_EQ(0, sunken.first);  // dark left edge
    EXPECT_GE(sunken.second, c.min_light);

    release(-10, -10);  // anywhere
    gui_settle();
    EXPECT_EQ(raised, left_edge(panel_win, c.x0, c.y0, c.y1));
  }
}

TEST_F(Panel, TheHeldKnobIsDrawnLighterAndFollowsThePointer) {
  const int knob = weight_slider.knob_x;
  press(knob, WEIGHT_Y0 + 7);
  move(knob + 7, WEIGHT_Y0 + 7);
  gui_settle();
  EXPECT_EQ(from_gl(0.75f, 0.75f, 0.75f), frame_pixel(panel_win, knob + 7, WEIGHT_Y0 + 7));
  release(knob + 7, WEIGHT_Y0 + 7);
  gui_settle();
  // Released, the knob settles on the snapped value: 7 pixels are 7 steps.
  EXPECT_EQ(kKnobGrey, frame_pixel(panel_win, knob + 7, WEIGHT_Y0 + 7));
  EXPECT_NEAR(1.7f, weight, 1e-5);
}

}  // namespace
