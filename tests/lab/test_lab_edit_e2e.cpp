// The real zelmor-lab, started with a FILE and driven with real X key and
// pointer events: a duplicate refused, undo and redo of an added point, a
// delete with its renumbering, a whole drag undone at once, New undone, a
// save to a new file and to FILE, a reload.  Checked through the files.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "lab/lab.h"
#include "tests/support/launch.h"
#include "tests/support/plane_pixels.h"
#include "tests/support/xdrive.h"

namespace {

struct plane_pt {
  double x, y;
};

// The plane point a right click at pixel (x, y from the top) adds.
plane_pt clicked(int x, int y_top) { return {plane_of_pixel(x), plane_of_mouse_row(y_top)}; }

std::string slurp(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The plane coordinates of a point text ("x y" or "x y z" lines, '%' comments).
std::vector<plane_pt> plane_points(const std::string& text) {
  std::vector<plane_pt> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '%') continue;
    std::istringstream s(line);
    plane_pt p;
    if (s >> p.x >> p.y) out.push_back(p);
  }
  return out;
}

void expect_points(const std::vector<plane_pt>& got, const std::vector<plane_pt>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    SCOPED_TRACE("point " + std::to_string(i));
    EXPECT_NEAR(got[i].x, want[i].x, 1e-12);
    EXPECT_NEAR(got[i].y, want[i].y, 1e-12);
  }
}

class LabProgram : public testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/zelmor-lab-file-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string write_file(const std::string& name, const std::string& text) {
    const std::string path = dir_ + "/" + name;
    std::ofstream out(path);
    out << text;
    return path;
  }

  // Starts zelmor-lab FILE and waits for its windows.
  void start(const std::string& file) { ASSERT_TRUE(start_program(x_, ZELMOR_LAB_BINARY, {file}, &w_)); }

  // Waits until ".ZELMOR" holds want.
  void expect_exchange(const std::vector<plane_pt>& want, const char* after) {
    SCOPED_TRACE(after);
    const bool same = x_.wait_file(".ZELMOR", [&](const std::string& s) {
      const std::vector<xd_lifted> got = xd_parse_points(s);
      if (got.size() != want.size()) return false;
      for (std::size_t i = 0; i < want.size(); ++i)
        if (std::fabs(got[i].x - want[i].x) > 1e-12 || std::fabs(got[i].y - want[i].y) > 1e-12)
          return false;
      return true;
    });
    std::string text;
    x_.read_file(".ZELMOR", &text);
    EXPECT_TRUE(same) << ".ZELMOR:\n" << text << "stderr:\n" << x_.program_stderr();
  }

  xdrive x_;
  program_windows w_;
  std::string dir_;
};

TEST_F(LabProgram, KeysAndMouseKeepAndChangeWork) {
  const std::string file = write_file(
      "class.txt", "% the lesson's points\n-1.5 -1.5\n1.5 -1.5\n1.5 1.5\n-1.5 1.5\n0.25 0.5\n");
  std::vector<plane_pt> pts = {{-1.5, -1.5}, {1.5, -1.5}, {1.5, 1.5}, {-1.5, 1.5}, {0.25, 0.5}};
  ASSERT_NO_FATAL_FAILURE(start(file));
  const xd_window &top = w_.top, &view = w_.view;
  expect_exchange(pts, "start with FILE");

  auto at = [&](const plane_pt& p, int button) {
    x_.click(view.x + pixel_of_plane_nearest(p.x), view.y + mouse_row_of_plane_nearest(p.y), button);
  };

  // An added point, then a right click on point 0: no second point there.
  x_.click(view.x + 330, view.y + 200, 3);
  pts.push_back(clicked(330, 200));
  expect_exchange(pts, "right click adds");
  at(pts[0], 3);
  x_.click(view.x + pixel_of_plane_nearest(pts[0].x) + 6, view.y + mouse_row_of_plane_nearest(pts[0].y) - 6,
           3);  // inside the square
  // Undo takes back the last step, the added point: had the clicks on point
  // 0 added duplicates, they would be the steps undone.
  ASSERT_TRUE(x_.key("z"));
  pts.pop_back();
  expect_exchange(pts, "z undoes the added point, no duplicate was added");
  ASSERT_TRUE(x_.key("y"));
  pts.push_back(clicked(330, 200));
  expect_exchange(pts, "y redoes it");

  // Select point 1 with the left button, delete it: the later points move down.
  at(pts[1], 1);
  ASSERT_TRUE(x_.key("Delete"));
  std::vector<plane_pt> deleted = pts;
  deleted.erase(deleted.begin() + 1);
  expect_exchange(deleted, "Delete removes point 1");
  ASSERT_TRUE(x_.key("ctrl+z"));
  expect_exchange(pts, "Ctrl-Z brings it back at index 1");
  at(pts[2], 2);  // middle button selects too
  ASSERT_TRUE(x_.key("x"));
  deleted = pts;
  deleted.erase(deleted.begin() + 2);
  expect_exchange(deleted, "x removes point 2");
  ASSERT_TRUE(x_.key("ctrl+y"));
  pts = deleted;
  ASSERT_TRUE(x_.key("ctrl+z"));
  pts = {{-1.5, -1.5}, {1.5, -1.5}, {1.5, 1.5}, {-1.5, 1.5}, {0.25, 0.5}, clicked(330, 200)};
  expect_exchange(pts, "Ctrl-Y then Ctrl-Z");

  // A whole drag of point 4 is one step.
  const int sx = view.x + pixel_of_plane_nearest(pts[4].x),
            sy = view.y + mouse_row_of_plane_nearest(pts[4].y);
  x_.move(sx, sy);
  x_.press(1);
  for (int k = 1; k <= 5; ++k) x_.move(sx + 8 * k, sy + 6 * k);
  x_.release(1);
  ASSERT_TRUE(x_.wait_file(".ZELMOR", [&](const std::string& s) {
    const auto got = xd_parse_points(s);
    return got.size() == 6 && std::fabs(got[4].x - pts[4].x) > 0.3;
  })) << "the drag moved point 4";
  ASSERT_TRUE(x_.key("z"));
  expect_exchange(pts, "one z undoes the whole drag");

  // New in the panel (left press and release on its button), then undone.
  // (The lab moves the panel down by its status band.)
  const int new_x = top.x + 1 + 427, new_y = top.y + 541 + LAB_STATUS_BAND + (615 - 1 - 559);
  x_.click(new_x, new_y, 1);
  expect_exchange({}, "New clears every point");
  x_.move(view.x + 270, view.y + 270);  // keys go to the window under the pointer
  ASSERT_TRUE(x_.key("z"));
  expect_exchange(pts, "z brings them back");

  // s: a new file named by date and time in the working directory.
  ASSERT_TRUE(x_.key("s"));
  std::string saved;
  ASSERT_TRUE(xdrive::wait_until(
      [&] {
        for (const auto& e : std::filesystem::directory_iterator(x_.workdir())) {
          const std::string n = e.path().filename().string();
          if (n.rfind("zelmor-", 0) == 0 && n.size() > 4 && n.substr(n.size() - 4) == ".txt")
            saved = e.path().string();
        }
        return !saved.empty();
      },
      3000));
  expect_points(plane_points(slurp(saved)), pts);
  EXPECT_EQ(slurp(file).find("% the lesson's points"), 0u) << "s leaves FILE alone";

  // S: FILE itself; L reloads it (after an edit, which the reload undoes).
  ASSERT_TRUE(x_.key("S"));
  ASSERT_TRUE(xdrive::wait_until([&] { return plane_points(slurp(file)).size() == 6; }, 3000));
  expect_points(plane_points(slurp(file)), pts);
  x_.click(view.x + 100, view.y + 450, 3);
  std::vector<plane_pt> more = pts;
  more.push_back(clicked(100, 450));
  expect_exchange(more, "one more point");
  ASSERT_TRUE(x_.key("L"));
  expect_exchange(pts, "L reloads FILE");

  EXPECT_TRUE(x_.running());
  EXPECT_EQ(x_.program_stderr(), "");
  x_.terminate();
}

TEST_F(LabProgram, ABadFileIsRefusedOnStandardErrorAndTheLabStartsEmpty) {
  const std::string file = write_file("bad.txt", "0 0\n1 1\n3.5 0\n0.5 -1\n-1 2\n");
  ASSERT_NO_FATAL_FAILURE(start(file));
  const xd_window& view = w_.view;
  const std::string want =
      "zelmor-lab: " + file + ": point 2 (3.5, 0) lies outside [-3, 3] x [-3, 3]; nothing loaded\n";
  EXPECT_TRUE(xdrive::wait_until([&] { return x_.program_stderr() == want; }, 3000))
      << x_.program_stderr();
  // The lab goes on, empty; the first click is point 0.
  x_.click(view.x + 200, view.y + 300, 3);
  expect_exchange({clicked(200, 300)}, "a click after the refused file");
  EXPECT_TRUE(x_.running());
  x_.terminate();
}

}  // namespace
