// Watch it grow, in-process: zelmor-lab's real start-up and keys, and the
// frames read back.  At every insertion of the README's twelve points, the
// triangles whose circle holds the new point (by the exact oracle, by brute
// force) are lit in the 2D view and, seen from below, their lifted faces in
// the 3D view; then the new fan is.  Leaving the mode brings the lab's own
// picture back.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <algorithm>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "app/picture.h"
#include "app/windows.h"
#include "lab/construction_logic.h"
#include "lab/edit.h"
#include "lab/lab.h"
#include "lab/lessons.h"
#include "tests/lab/flat_check.h"
#include "tests/support/delaunay_oracle.h"
#include "tests/support/views_gui_support.h"
#include "view2d/view2d.h"

int lab_main(int argc, char** argv);

namespace {

using delaunay_oracle::ipoint;

void key(unsigned char k) {
  glutSetWindow(points_win);
  lab_keyboard(k, 10, 10);
  gui_settle();
}

void special(int k) {
  glutSetWindow(points_win);
  lab_special(k, 10, 10);
  gui_settle();
}

std::vector<ipoint> preset_points(char key_char) {
  for (int i = 0; i < lab_preset_count(); ++i) {
    if (lab_preset_at(i).key != key_char) continue;
    std::vector<ipoint> out;
    for (const auto& p : lab_preset_points(i)) out.push_back({std::llround(p[0] * 100), std::llround(p[1] * 100)});
    return out;
  }
  return {};
}

// The pixel (GL, from the bottom-left) where plane (x, y) hundredths is drawn
// in the 2D view, and, seen from below, in the 3D window laid over it.
int pixel(double hundredths) { return pixel_of_plane_toward_zero(hundredths / 100.0); }

// The lit colour over whatever lies behind it, and the fan's green.
bool is_lit(const rgb& c) { return c.r > 200 && c.g > 160 && c.g < 220 && c.b < 90; }
bool is_fresh(const rgb& c) { return c.r < 110 && c.g > 170 && c.b < 130; }

// Most of a 7 x 7 box at the triangle's centroid has the colour: a circle
// or an edge may cross it, a label may sit in it.
bool centroid_is(int win, bool (*pred)(const rgb&), const std::vector<ipoint>& p, const std::array<int, 3>& t) {
  const double gx = (p[t[0]].x + p[t[1]].x + p[t[2]].x) / 3.0, gy = (p[t[0]].y + p[t[1]].y + p[t[2]].y) / 3.0;
  return count_where(win, pred, pixel(gx), pixel(gy), 3) >= 25;
}

// A triangle big enough that its centroid box lies well inside it.
bool roomy(const std::vector<ipoint>& p, const std::array<int, 3>& t) {
  const double area = std::fabs(static_cast<double>(delaunay_oracle::orient(p[t[0]], p[t[1]], p[t[2]]))) / 2.0;
  return area > 2500.0;  // square hundredths: 0.25 square units, about 2000 pixels
}

int holds(const std::vector<ipoint>& p, const std::array<int, 3>& t, int d) {
  const bool ccw = delaunay_oracle::orient(p[t[0]], p[t[1]], p[t[2]]) > 0;
  return ccw ? delaunay_oracle::incircle(p[t[0]], p[t[1]], p[t[2]], p[d])
             : delaunay_oracle::incircle(p[t[0]], p[t[2]], p[t[1]], p[d]);
}

TEST(ConstructionGui, TheHoleAndTheFanLitInBothViews) {
  gui_start_program(lab_main, "zelmor-lab");
  key('9');  // the README's twelve points, in general position
  key('n');  // labels off: nothing over the centroids
  key('b');  // from below, the lifted faces lie over the 2D triangles
  const std::vector<ipoint> pts = preset_points('9');
  ASSERT_EQ(12u, pts.size());
  key('g');
  ASSERT_TRUE(lab_construction_state().on);
  EXPECT_EQ(0u, std::string(lab_status_text()).find("inserting point 0 of 12"));
  int lit_checked = 0, fresh_checked = 0, dark_checked = 0;
  for (int k = 0; k < 12; ++k) {
    SCOPED_TRACE("inserting point " + std::to_string(k));
    ASSERT_EQ(k, lab_construction_state().step);
    ASSERT_EQ(0, lab_construction_state().stage);
    const std::vector<ipoint> before(pts.begin(), pts.begin() + k), after(pts.begin(), pts.begin() + k + 1);
    const auto tris_before = k >= 3 ? brute_triangles(before, -1) : std::vector<std::array<int, 3>>{};
    // Stage 0: the hole.
    int holding = 0;
    for (const auto& t : tris_before) {
      const bool lit = holds(pts, t, k) > 0;
      holding += lit;
      if (!roomy(pts, t)) continue;
      SCOPED_TRACE("triangle " + std::to_string(t[0]) + " " + std::to_string(t[1]) + " " + std::to_string(t[2]));
      EXPECT_EQ(lit, centroid_is(points_win, is_lit, pts, t)) << "2D view";
      EXPECT_EQ(lit, centroid_is(view3d_win, is_lit, pts, t)) << "3D view from below";
      (lit ? lit_checked : dark_checked) += 1;
    }
    if (holding > 0) {
      const std::string want = "inserting point " + std::to_string(k) + " of 12: " + std::to_string(holding) +
                               (holding == 1 ? " triangle holds it in its circle" : " triangles hold it in their circles");
      EXPECT_EQ(0u, std::string(lab_status_text()).find(want)) << lab_status_text();
    }
    if (k < 2) {
      special(GLUT_KEY_RIGHT);
      continue;
    }
    // Stage 1: the fan, the triangles of the point in the triangulation after.
    special(GLUT_KEY_RIGHT);
    ASSERT_EQ(1, lab_construction_state().stage);
    for (const auto& t : brute_triangles(after, -1)) {
      if (!roomy(pts, t)) continue;
      const bool fan = t[0] == k || t[1] == k || t[2] == k;
      SCOPED_TRACE("triangle " + std::to_string(t[0]) + " " + std::to_string(t[1]) + " " + std::to_string(t[2]));
      EXPECT_EQ(fan, centroid_is(points_win, is_fresh, pts, t)) << "2D view";
      EXPECT_EQ(fan, centroid_is(view3d_win, is_fresh, pts, t)) << "3D view from below";
      fresh_checked += fan;
    }
    if (k < 11) special(GLUT_KEY_RIGHT);
  }
  EXPECT_GE(lit_checked, 10);
  EXPECT_GE(dark_checked, 10);
  EXPECT_GE(fresh_checked, 10);
  // Leaving the mode brings the lab's own layers back: nothing lit.
  key('g');
  EXPECT_FALSE(lab_construction_state().on);
  EXPECT_EQ(0, count_where(points_win, is_lit, 270, 270, 270));
  EXPECT_EQ(0, count_where(points_win, is_fresh, 270, 270, 270));
  key('n');
  key('r');
}

// A flip: the illegal edge's circle holds the point, the two new triangles
// are green, and the status line names the edge that goes.
TEST(ConstructionGui, EachFlipShowsItsCircleAndItsNewPair) {
  gui_start_program(lab_main, "zelmor-lab");
  key('9');
  key('n');
  construction_state s;
  s.way = insert_way::flips;
  lab_construction_set_state(s);
  key('g');
  const std::vector<ipoint> pts = preset_points('9');
  int flips_seen = 0;
  for (int guard = 0; guard < 100; ++guard) {
    const construction_picture& pic = construction_current();
    if (pic.flip) {
      ++flips_seen;
      const auto& f = pic.flip_abcd;
      char want[64];
      std::snprintf(want, sizeof want, "so edge %d %d gives way to %d %d", f[0], f[1], f[2], f[3]);
      EXPECT_NE(std::string::npos, std::string(lab_status_text()).find(want)) << lab_status_text();
      for (const std::array<int, 3> t : {std::array<int, 3>{f[2], f[3], f[0]}, std::array<int, 3>{f[2], f[3], f[1]}}) {
        if (roomy(pts, t)) {
          EXPECT_TRUE(centroid_is(points_win, is_fresh, pts, t));
        }
      }
      // The circle through a, b and the far corner, in orange, holds the point.
      const construction_circle& c = pic.circles.at(0);
      const rgb orange = from_gl(0.9f, 0.3f, 0.0f);
      int on = 0;
      for (int deg = 0; deg < 360; deg += 10) {
        const double x = c.centre[0] + c.radius * std::cos(deg * M_PI / 180),
                     y = c.centre[1] + c.radius * std::sin(deg * M_PI / 180);
        if (std::fabs(x) > 2.9 || std::fabs(y) > 2.9) continue;
        // The corners on the circle are drawn over it.
        bool by_a_point = false;
        for (const ipoint& q : pts) by_a_point = by_a_point || std::hypot(q.x / 100.0 - x, q.y / 100.0 - y) < 0.12;
        if (by_a_point) continue;
        on += count_near(points_win, orange, pixel(x * 100), pixel(y * 100), 2, 12) > 0;
        EXPECT_GT(count_near(points_win, orange, pixel(x * 100), pixel(y * 100), 2, 12), 0) << deg << " degrees";
      }
      EXPECT_GT(on, 5);
    }
    const construction_state before = lab_construction_state();
    special(GLUT_KEY_RIGHT);
    if (lab_construction_state().step == before.step && lab_construction_state().stage == before.stage) break;
  }
  EXPECT_GE(flips_seen, 3);
  key('g');
  key('n');
}

// The last step is the lab's own triangulation: the records its hull gives
// outside the mode, for plain and for weighted points, both ways, End by
// its key.
TEST(ConstructionGui, TheLastStepIsTheLabsOwnTriangulation) {
  gui_start_program(lab_main, "zelmor-lab");
  for (const char preset : {'9', '7', '4'}) {
    SCOPED_TRACE(std::string("preset ") + preset);
    key(static_cast<unsigned char>(preset));
    if (preset == '4') {
      // The middle of the 5 x 5 grid weighted by 3: it hides its neighbours.
      glutSetWindow(points_win);
      points_press(GLUT_LEFT_BUTTON, 270, 270);
      points_release(GLUT_LEFT_BUTTON, 270, 270);
      gui_settle();
      for (int i = 0; i < 3; ++i) key('+');
      ASSERT_GT(lab_point_weight[12], 2.9);
    }
    redisplay_windows("23S");
    gui_settle();
    const picture lab = collect_picture(true);
    ASSERT_FALSE(lab.triangles.empty());
    for (const unsigned char way : {'g', 'i'}) {
      if (way == 'i') key('i');
      if (!lab_construction_state().on) key('g');
      special(GLUT_KEY_END);
      const construction_picture& pic = construction_current();
      ASSERT_EQ(point_count - 1, pic.step);
      std::vector<std::array<int, 3>> shown(pic.triangles.begin(), pic.triangles.end());
      EXPECT_EQ(lab.triangles, shown) << (way == 'g' ? "by the hole" : "by flips");
      EXPECT_NE(std::string::npos, std::string(lab_status_text()).find("(last step)")) << lab_status_text();
    }
    if (preset == '4') {
      // The status line names the points hidden so far: the heavy middle
      // point's neighbours once it is in, and none before.
      char top[400], bottom[400];
      lab_status_rows(top, bottom, sizeof top);
      EXPECT_NE(std::string::npos, std::string(bottom).find("hidden")) << bottom;
      special(GLUT_KEY_HOME);
      int before_it = 0;
      for (int guard = 0; guard < 200 && construction_current().step < point_count - 1; ++guard) {
        const std::vector<int>& in = construction_current().inserted;
        if (std::find(in.begin(), in.end(), 12) == in.end()) {
          ++before_it;
          lab_status_rows(top, bottom, sizeof top);
          EXPECT_EQ(std::string::npos, std::string(bottom).find("hidden"))
              << "step " << construction_current().step << ": " << bottom;
        }
        special(GLUT_KEY_RIGHT);
      }
      EXPECT_GT(before_it, 2);
    }
    key('i');
    key('g');
    ASSERT_FALSE(lab_construction_state().on);
  }
}

}  // namespace
