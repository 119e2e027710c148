// The About window, mapped on purpose (start-up hides it): its Dismiss
// button and its layout under a resize.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <utility>

#include "app/windows.h"
#include "tests/support/gui_harness.h"

namespace {

bool about_mapped() { return x_top_window("About ZELMOR").mapped; }

void show_about() {
  glutSetWindow(about_win);
  glutShowWindow();
  ASSERT_TRUE(gui_pump_until(about_mapped));
  gui_settle();
}

// The window's mouse handler takes y from the top and flips it as
// about_h - y: the button row y (from the bottom) is mouse row about_h - y.
void about_event(int button, int state, int x, int y) {
  glutSetWindow(about_win);
  about_mouse(button, state, x, about_h - y);
}

class AboutWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    gui_start();
    ASSERT_FALSE(about_mapped());
    show_about();
  }
};

struct DismissCase {
  const char* what;
  int press_button;
  int press_x, press_y;    // from the bottom-left
  int release_x, release_y;
  bool hides;
};
// The button's rectangle is x 620 .. 680, y 5 .. 21.
const DismissCase kDismiss[] = {
    {"press and release on the button", GLUT_LEFT_BUTTON, 650, 13, 650, 13, true},
    {"press on it, release outside", GLUT_LEFT_BUTTON, 650, 13, 100, 400, true},
    {"press at its bottom-left corner", GLUT_LEFT_BUTTON, 620, 5, 300, 300, true},
    {"press at its top-right corner", GLUT_LEFT_BUTTON, 680, 21, 300, 300, true},
    {"press outside, release on it", GLUT_LEFT_BUTTON, 100, 400, 650, 13, false},
    {"press just left of it", GLUT_LEFT_BUTTON, 619, 13, 650, 13, false},
    {"press just above it", GLUT_LEFT_BUTTON, 650, 22, 650, 13, false},
    {"right press on it", GLUT_RIGHT_BUTTON, 650, 13, 650, 13, false},
};

TEST_F(AboutWindow, DismissHidesTheWindowAtTheReleaseOfAPressOnIt) {
  for (const DismissCase& c : kDismiss) {
    SCOPED_TRACE(c.what);
    if (!about_mapped()) show_about();
    about_event(c.press_button, GLUT_DOWN, c.press_x, c.press_y);
    if (c.press_button != GLUT_LEFT_BUTTON) about_event(c.press_button, GLUT_UP, c.press_x, c.press_y);
    gui_settle();
    EXPECT_TRUE(about_mapped());  // never at the press
    about_event(GLUT_LEFT_BUTTON, GLUT_UP, c.release_x, c.release_y);
    gui_settle();
    if (c.hides) {
      EXPECT_TRUE(gui_pump_until([] { return !about_mapped(); }, 1000));
    } else {
      EXPECT_TRUE(about_mapped());
    }
  }
}

TEST_F(AboutWindow, ThePressedButtonDrawsSunken) {
  const rgb white{255, 255, 255};
  const rgb grey = from_gl(0.33f, 0.33f, 0.33f);
  auto left_edge = [&](rgb c) { return count_pixels(about_win, c, 619, 8, 621, 18, 8); };
  EXPECT_GT(left_edge(white), 5);
  EXPECT_EQ(0, left_edge(grey));
  about_event(GLUT_LEFT_BUTTON, GLUT_DOWN, 650, 13);
  gui_settle();
  EXPECT_EQ(0, left_edge(white));
  EXPECT_GT(left_edge(grey), 5);
}

// Rows counted from the top of the last frame down to the first one holding
// a text pixel (black), and red pixels of the Dismiss label.
int first_text_row_from_top() {
  const int h = frame_height(about_win);
  for (int y = h - 1; y >= 0; --y)
    if (count_pixels(about_win, rgb{0, 0, 0}, 0, y, 600, y, 0) > 0) return h - 1 - y;
  return -1;
}
int dismiss_red() { return count_pixels(about_win, rgb{255, 0, 0}, 620, 5, 680, 21, 0); }

TEST_F(AboutWindow, AResizeKeepsTheTextUnderTheTopAndTheButtonInPlace) {
  EXPECT_EQ(660, frame_height(about_win));
  EXPECT_EQ(from_gl(0.85f, 0.85f, 0.85f), frame_pixel(about_win, 400, 30));
  const int top = first_text_row_from_top();
  // The first baseline is 20 pixels below the top: the tallest glyphs of
  // the 9 x 15 font reach up to 10 rows above it.
  EXPECT_GE(top, 7);
  EXPECT_LE(top, 19);
  const int red = dismiss_red();
  EXPECT_GT(red, 20);

  const int sizes[][2] = {{700, 500}, {685, 800}};
  for (const auto& s : sizes) {
    SCOPED_TRACE(s[1]);
    const int frames = frame_count(about_win);
    glutSetWindow(about_win);
    glutReshapeWindow(s[0], s[1]);
    ASSERT_TRUE(gui_pump_until(
        [&] { return frame_count(about_win) > frames && frame_height(about_win) == s[1]; }));
    gui_settle();
    EXPECT_EQ(s[0], about_w);
    EXPECT_EQ(s[1], about_h);
    EXPECT_EQ(top, first_text_row_from_top());
    EXPECT_EQ(red, dismiss_red());
    // The press test follows the new height as well.
    about_event(GLUT_LEFT_BUTTON, GLUT_DOWN, 650, 13);
    about_event(GLUT_LEFT_BUTTON, GLUT_UP, 10, 10);
    EXPECT_TRUE(gui_pump_until([] { return !about_mapped(); }, 1000));
    show_about();
  }
}

}  // namespace
