// The real zelmor program's control panel, driven with real X pointer
// events: the grid box, the weight arrow, New and Quit!.  Checked through the
// point-exchange file, the screen's pixels and the exit status.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/launch.h"
#include "tests/support/xdrive.h"

namespace {

bool red(const xd_rgb& c) { return xd_near(c, {255, 0, 0}, 3); }

TEST(ZelmorPanel, RealClicksDriveTheGridTheWeightNewAndQuit) {
  xdrive x;
  program_windows w;
  ASSERT_TRUE(start_program(x, ZELMOR_BINARY, &w));
  const xd_window& view = w.view;
  xd_window panel;
  ASSERT_TRUE(xdrive::wait_until(
      [&] { return (panel = x.describe(w.top.id).child_at(1, 541, 541, 615)).mapped; }, 5000));
  // The panel shows its top 75 rows: widget row y (upward from the bottom
  // of its 615 rows) is screen row panel.y + 614 - y.
  const auto sx = [&](int wx) { return panel.x + wx; };
  const auto sy = [&](int wy) { return panel.y + 614 - wy; };
  const xd_rgb panel_grey{217, 217, 217};
  ASSERT_TRUE(xdrive::wait_until(
      [&] {
        return x.pixel(view.x + 270, view.y + 270) == xd_rgb{255, 255, 255} &&
               x.pixel(sx(385), sy(576)) == panel_grey &&
               x.grab(sx(230), sy(600), 16, 13).count_if(red, 0, 0, 15, 12) > 15;
      },
      5000));

  // The grid box is not ticked; a real click on it ticks it.
  const auto grid_tick = [&] { return x.grab(sx(390), sy(603), 16, 13).count_if(red, 0, 0, 15, 12); };
  EXPECT_EQ(0, grid_tick());
  x.click(sx(400), sy(600), 1);
  EXPECT_TRUE(xdrive::wait_until([&] { return grid_tick() > 15; }, 3000));

  // Six points by right clicks in the 2D view.
  const int clicks[6][2] = {{135, 405}, {405, 405}, {405, 135}, {135, 135}, {270, 271}, {330, 200}};
  for (const auto& c : clicks) x.click(view.x + c[0], view.y + c[1], 3);
  ASSERT_TRUE(x.wait_file(".ZELMOR", [](const std::string& s) { return xd_parse_points(s).size() == 6; }));

  // Ten clicks on the weight's up arrow: 1.0 -> 2.0.  The file is not
  // rewritten by a weight change; the next point written shows every height
  // lifted with the new weight, the six earlier ones included.
  for (int i = 0; i < 10; ++i) x.click(sx(205), sy(592), 1);
  x.click(view.x + 200, view.y + 330, 3);
  ASSERT_TRUE(x.wait_file(".ZELMOR", [](const std::string& s) { return xd_parse_points(s).size() == 7; }));
  std::string text;
  ASSERT_TRUE(x.read_file(".ZELMOR", &text));
  for (const xd_lifted& p : xd_parse_points(text)) EXPECT_NEAR(p.x * p.x + p.y * p.y + 2.0, p.z, 1e-5);

  // New, released off the button, empties the file.
  x.move(sx(427), sy(559));
  x.press(1);
  x.move(sx(300), sy(600));
  x.release(1);
  EXPECT_TRUE(x.wait_file(".ZELMOR", [](const std::string& s) { return s.empty(); }));

  // Quit! ends the program with status 0.
  x.click(sx(498), sy(559), 1);
  EXPECT_EQ(0, x.wait_exit(5000)) << x.program_stderr();
}

}  // namespace
