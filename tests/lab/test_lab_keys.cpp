// The lab's key table and status message, without a display.
#include <gtest/gtest.h>

#include <string>

#include "lab/lab.h"
#include "tests/lab/help_check.h"

namespace {

int runs_a = 0, runs_b = 0;
void run_a() { ++runs_a; }
void run_b() { ++runs_b; }

class LabKeys : public testing::Test {
 protected:
  void SetUp() override {
    lab_clear_actions();
    runs_a = runs_b = 0;
  }
};

TEST_F(LabKeys, RunsTheActionBoundToTheKey) {
  const lab_action actions[] = {{'a', 0, "first", run_a}, {0, 101, "second", run_b}};
  lab_add_actions(actions, 2);
  struct Case { const char* what; unsigned char key; int special; int ran; int a, b; };
  const Case cases[] = {{"ascii key", 'a', 0, 1, 1, 0},
                        {"special key", 0, 101, 1, 1, 1},
                        {"unbound ascii", 'b', 0, 0, 1, 1},
                        {"ascii code of a special key is another key", 101, 0, 0, 1, 1},
                        {"unbound special", 0, 'a', 0, 1, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.ran, lab_run_key(c.key, c.special));
    EXPECT_EQ(c.a, runs_a);
    EXPECT_EQ(c.b, runs_b);
  }
  ASSERT_EQ(2, lab_action_count());
  EXPECT_STREQ("second", lab_action_at(1)->name);  // the help lists them in order
}

// Names of every length, keys merged by name: each stands whole in the help,
// a name too long for its column going on in the line below, never cut.
TEST_F(LabKeys, TheHelpListsEveryNameWholeWithAllItsKeys) {
  const lab_action actions[] = {
      {'a', 0, "short", run_a},
      {'b', 0, "a name just as long as a column takes it", run_a},
      {'c', 0, "a name far longer than a column of the help can hold on one line, so it wraps "
               "onto more lines of its own column",
       run_a},
      {'+', 0, "up", run_a},
      {'=', 0, "up", run_a},
      {27, 0, "close", run_b},
      {127, 0, "remove", run_b},
      {26, 0, "undo", run_b},
      {0, 1, "first function key", run_b},
      {'d', 0, "supercalifragilisticexpialidociouslyextraordinarilylong word", run_b},
  };
  lab_add_actions(actions, sizeof actions / sizeof actions[0]);
  const std::string text = lab_help_text();
  // The one-word name cannot wrap at a blank: this check would flag it.
  EXPECT_NE("", help_check::mismatch(text));
  lab_clear_actions();
  lab_add_actions(actions, sizeof actions / sizeof actions[0] - 1);
  EXPECT_EQ("", help_check::mismatch(lab_help_text()));
  EXPECT_NE(std::string::npos, lab_help_text().find("+ =    up"));
  EXPECT_NE(std::string::npos, lab_help_text().find("Esc    close"));
  EXPECT_NE(std::string::npos, lab_help_text().find("Del    remove"));
  EXPECT_NE(std::string::npos, lab_help_text().find("^Z     undo"));
  EXPECT_NE(std::string::npos, lab_help_text().find("F1     first function key"));
}

// The help goes beside the work where the screen has room, else over the
// 3D view alone (the plane stays in sight), never past the screen's left or
// top edge.  The 3D view at x 553, 541 x 541, as the lab makes it.
TEST(LabHelp, GoesBesideTheWorkWhereTheScreenHasRoom) {
  struct row {
    const char* screen;
    int sw, sh, hw, hh;
    int x, y;
  } rows[] = {
      {"a projector's 1920 x 1080", 1920, 1080, 690, 630, 1102, 0},
      {"1280 x 1024, a short help", 1280, 1024, 690, 400, 553, 549},
      {"1280 x 1024, the lab's help", 1280, 1024, 690, 630, 553, 0},
      {"1024 x 768", 1024, 768, 690, 630, 334, 0},
      {"narrower than the help", 600, 600, 690, 630, 0, 0},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.screen);
    const lab_place at = lab_help_place(r.sw, r.sh, r.hw, r.hh, 553, 541, 541);
    EXPECT_EQ(r.x, at.x);
    EXPECT_EQ(r.y, at.y);
  }
}

TEST(LabKeysDeathTest, AKeyBoundTwiceEndsTheProgram) {
  lab_clear_actions();
  const lab_action actions[] = {{'z', 0, "one", run_a}, {'z', 0, "two", run_b}};
  EXPECT_EXIT(lab_add_actions(actions, 2), testing::ExitedWithCode(1), "key 'z' is bound twice");
}

TEST(LabStatus, KeepsTheLastMessageCutToItsBound) {
  lab_status("%d / %d points", 7, 200);
  EXPECT_STREQ("7 / 200 points", lab_status_text());
  const std::string long_text(1000, 'x');
  lab_status("%s", long_text.c_str());
  EXPECT_EQ(std::string(LAB_STATUS_MAX - 1, 'x'), lab_status_text());
}

}  // namespace
