// Start-up as the X server sees it, and the redisplay helper.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include "app/windows.h"
#include "tests/support/gui_harness.h"

namespace {

class StartUp : public ::testing::Test {
 protected:
  void SetUp() override { gui_start(); }
};

TEST_F(StartUp, WindowsStandWhereAndAsLargeAsDesigned) {
  const xd_window view3d = x_top_window("3D Projection");
  ASSERT_NE(0u, view3d.id);
  EXPECT_TRUE(view3d.mapped);
  EXPECT_EQ(553, view3d.x);
  EXPECT_EQ(0, view3d.y);
  EXPECT_EQ(540, view3d.width);
  EXPECT_EQ(540, view3d.height);

  const xd_window top = x_top_window("2D Points");
  ASSERT_NE(0u, top.id);
  EXPECT_TRUE(top.mapped);
  EXPECT_EQ(0, top.x);
  EXPECT_EQ(0, top.y);
  EXPECT_EQ(541, top.width);
  EXPECT_EQ(616, top.height);
  ASSERT_EQ(2u, top.children.size());
  // The panel is created first, the points view second (on top).
  const xd_window& panel = top.children[0];
  const xd_window& points = top.children[1];
  EXPECT_EQ(1, panel.x);
  EXPECT_EQ(541, panel.y);
  EXPECT_EQ(541, panel.width);
  EXPECT_EQ(615, panel.height);
  EXPECT_EQ(1, points.x);
  EXPECT_EQ(1, points.y);
  EXPECT_EQ(541, points.width);
  EXPECT_EQ(541, points.height);

  const xd_window about = x_top_window("About ZELMOR");
  ASSERT_NE(0u, about.id);
  EXPECT_FALSE(about.mapped);
  EXPECT_EQ(685, about.width);
  EXPECT_EQ(660, about.height);
}

TEST_F(StartUp, TwoDPointsIsCurrentAndSizesAreStored) {
  EXPECT_EQ(top_win, window_current_at_main_loop());
  EXPECT_EQ(540, view3d_w);
  EXPECT_EQ(540, view3d_h);
  EXPECT_NE(nullptr, tri_list);
  EXPECT_NE(nullptr, edge_list);
  EXPECT_EQ(nullptr, tri_list->head);
  EXPECT_EQ(nullptr, edge_list->head);
  EXPECT_EQ(0, point_count);
  EXPECT_NE(nullptr, axis_quadric);
  EXPECT_NE(nullptr, arrow_quadric);
}

TEST_F(StartUp, TopWindowClearsToPanelGrey) {
  glutSetWindow(top_win);
  top_display();
  EXPECT_EQ(from_gl(0.85f, 0.85f, 0.85f), frame_pixel(top_win, 270, 300));
  glutSetWindow(top_win);
}

struct RedisplayCase {
  const char* codes;
  bool points, panel, view3d;
};
const RedisplayCase kRedisplay[] = {
    {"23SN", true, true, true}, {"12", true, false, false}, {"3S", false, true, true},
    {"1", false, false, false}, {"", false, false, false},  {"S", false, false, true},
};

TEST_F(StartUp, RedisplayWindowsPostsByCodeAndRestoresTheCurrentWindow) {
  for (const RedisplayCase& c : kRedisplay) {
    SCOPED_TRACE(c.codes);
    gui_settle();
    const int p = frame_count(points_win), q = frame_count(panel_win), s = frame_count(view3d_win);
    const int t = frame_count(top_win), a = frame_count(about_win);
    glutSetWindow(view3d_win);
    redisplay_windows(c.codes);
    EXPECT_EQ(view3d_win, glutGetWindow());
    glutSetWindow(top_win);
    gui_settle();
    EXPECT_EQ(c.points, frame_count(points_win) > p);
    EXPECT_EQ(c.panel, frame_count(panel_win) > q);
    EXPECT_EQ(c.view3d, frame_count(view3d_win) > s);
    EXPECT_EQ(t, frame_count(top_win));
    EXPECT_EQ(a, frame_count(about_win));
  }
}

}  // namespace
