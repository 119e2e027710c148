// Lesson files without a display: a save keeps the view the windows report
// and a load gives it back (through the lab's two hooks, here a plain
// record); a file without view lines loads as before and leaves the view
// alone; a load is one undo step.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lab/edit.h"
#include "lab/export_state.h"
#include "lab/lab.h"
#include "tests/files/files_test_util.h"

namespace {

lab_view_state windows;  // what the windows show, as the hooks see it
int sets = 0;

void get_windows(lab_view_state* s) {
  *s = windows;
  s->has_panel = s->has_layers = s->has_pointer = s->has_camera = s->has_selection = true;
}
void set_windows(const lab_view_state& s) {
  ++sets;
  windows = s;
}

class LessonFiles : public files_test::in_fresh_dir {
 protected:
  void SetUp() override {
    in_fresh_dir::SetUp();
    for (double& w : lab_point_weight) w = 0.0;
    selected_count = 0;
    point_count = 0;
    write_point_file();
    lab_history_reset();
    lab_replace_points({{-1.5, -1.5, 0}, {1.5, -1.5, 0.4}, {2.1, 1.5, 0}, {-1.5, 1.5, 0}, {0.25, 0.5, 0}},
                       "five");
    windows = lab_view_state{};
    sets = 0;
    lab_view_state_get = get_windows;
    lab_view_state_set = set_windows;
  }
  void TearDown() override {
    lab_view_state_get = nullptr;
    lab_view_state_set = nullptr;
    in_fresh_dir::TearDown();
  }
};

TEST_F(LessonFiles, SaveThenLoadBringsTheViewBack) {
  windows.grid = 1;
  windows.furthest = 1;
  windows.camera.mode = camera_mode::below;
  windows.camera.scale[1] = -90;
  windows.weight = 2.5f;
  windows.selected = 2;
  std::string name;
  ASSERT_EQ(lab_save_new(&name), 1);
  const std::string text = files_test::slurp(name);
  EXPECT_NE(text.find("% view: panel hyperboloid=1 delaunay=1 voronoi=1 grid=1\n"), std::string::npos) << text;

  // Another lesson meanwhile; then tomorrow's load.
  windows = lab_view_state{};
  lab_replace_points({{0, 0, 0}}, "other");
  const int steps = lab_history_size();
  ASSERT_EQ(lab_load_file(name.c_str(), "open"), 1);
  EXPECT_EQ(lab_history_size(), steps + 1);  // one undo step
  EXPECT_EQ(sets, 1);
  EXPECT_EQ(windows.grid, 1);
  EXPECT_EQ(windows.furthest, 1);
  EXPECT_EQ(windows.camera.mode, camera_mode::below);
  EXPECT_EQ(windows.camera.scale[1], -90);
  EXPECT_EQ(windows.weight, 2.5f);
  EXPECT_EQ(windows.selected, 2);
  EXPECT_EQ(point_count, 5);
  EXPECT_EQ(lab_point_weight[1], 0.4);
  EXPECT_NE(std::string(lab_status_text()).find("with its view"), std::string::npos) << lab_status_text();
  ASSERT_EQ(lab_undo(), 1);
  EXPECT_EQ(point_count, 1);
}

TEST_F(LessonFiles, AFileWithoutViewLinesLeavesTheViewAlone) {
  files_test::spit("old.txt", "% zelmor-lab: 2 points, one \"x y\" a line\n0 0\n1 1\n");
  windows.grid = 1;
  ASSERT_EQ(lab_load_file("old.txt", "open"), 1);
  EXPECT_EQ(sets, 0);
  EXPECT_EQ(windows.grid, 1);
  EXPECT_EQ(point_count, 2);
  EXPECT_EQ(std::string(lab_status_text()), "loaded 2 points from old.txt");
}

TEST_F(LessonFiles, ASelectionPastThePointsAndBadLinesAreLeftOut) {
  files_test::spit("hand.txt",
                   "% view: layers labels=0 furthest=0 circle=0 circles=1 selected=7\n"
                   "% view: panel grid=9\n0 0\n1 1\n");
  windows.selected = 1;
  ASSERT_EQ(lab_load_file("hand.txt", "open"), 1);
  EXPECT_EQ(sets, 1);
  EXPECT_EQ(windows.labels, 0);
  EXPECT_EQ(windows.selected, -1);
  EXPECT_EQ(windows.grid, 0);
  EXPECT_NE(std::string(lab_status_text()).find("some view lines were not understood"), std::string::npos);
}

TEST_F(LessonFiles, AFailedLoadChangesNeitherPointsNorView) {
  files_test::spit("bad.txt", "% view: panel grid=1 delaunay=1 voronoi=1 hyperboloid=1\n0 0\n4 4\n");
  ASSERT_EQ(lab_load_file("bad.txt", "open"), 0);
  EXPECT_EQ(sets, 0);
  EXPECT_EQ(point_count, 5);
}

}  // namespace
