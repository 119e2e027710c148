// A long random lesson through the real callbacks of the real windows.
//
// Thousands of edits of every kind a student makes (adds up to the table's
// limit and beyond, drags onto other points and against the border,
// selections, New, weight and opacity changes, rotations, zooms, layer
// toggles) with every recomputation they cause checked against the exact
// Delaunay oracle, and memory held flat.  Run it under the sanitizer build
// for the long version (see the README):
//   ZELMOR_SOAK_EDITS=20000 tests/support/with-xvfb.sh build-asan/tests/soak/soak_gui_test
#include <GL/freeglut.h>
#include <gtest/gtest.h>
#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer runtime (its header is not shipped with every compiler).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

#include "app/windows.h"
#include "tests/pipeline/pipeline_test_util.h"
#include "tests/support/gui_harness.h"
#include "tests/support/plane_pixels.h"
#include "view2d/view2d.h"
#include "view3d/view3d.h"

namespace {

// Bytes that the program's own code holds from malloc (the GL libraries'
// memory, which follows the scene and not the edits, is left out): malloc,
// calloc, realloc and free are wrapped at link time for this executable.
long long g_own_bytes = 0;

size_t heap_in_use() {
#if defined(__SANITIZE_ADDRESS__)
  return __sanitizer_get_current_allocated_bytes();
#else
  return mallinfo2().uordblks;
#endif
}

int env_int(const char* name, int fallback) {
  const char* v = std::getenv(name);
  return v != nullptr && *v != '\0' ? std::atoi(v) : fallback;
}

// GLUT mouse coordinates (y from the top) of the 541 x 541 points view and
// of the 541 x 615 panel, whose callbacks turn y into y-up themselves.
constexpr int kView = POINTS_VIEW_SIZE;
constexpr int kPanelH = 615;

int panel_y(int y_up) { return kPanelH - 1 - y_up; }

class lesson {
 public:
  explicit lesson(unsigned seed) : rng_(seed) {}

  int checked = 0;       // recomputations compared with the oracle
  int refused = 0;       // right presses while the table was full
  int max_points = 0;

  // One random edit, then the frames it causes; returns what went wrong.
  std::string step() {
    const int before_recompute = need_recompute;
    const int kind = pick(1000);
    if (kind < 380) add();
    else if (kind < 620) drag();
    else if (kind < 660) select();
    else if (kind < 668) press_panel(new_button);  // rare: the set must reach its limit
    else if (kind < 740) weight_change();
    else if (kind < 780) opacity_change();
    else if (kind < 870) rotate();
    else if (kind < 910) zoom();
    else toggle();
    pump();
    max_points = std::max(max_points, point_count);
    // The 3D window's frame recomputes whenever the set changed and more
    // than 4 points exist; every such recomputation must be exact.
    if ((before_recompute != 0 || need_recompute == 0) && point_count > 4 && need_recompute == 0) {
      const std::string bad = pipeline_test::mismatch_with_oracle();
      ++checked;
      if (!bad.empty()) return bad;
    }
    if (point_count > 4 && need_recompute != 0) return "a changed set with more than 4 points was not recomputed";
    return "";
  }

  // Presses New and lets the frames it causes run.
  void new_set() {
    press_panel(new_button);
    pump();
  }

 private:
  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
  double coord() { return std::uniform_real_distribution<double>(-3.0, 3.0)(rng_); }

  static void pump() {
    glutMainLoopEvent();
    glutMainLoopEvent();
  }

  void points(int button, int state, int x, int y) {
    glutSetWindow(points_win);
    points_mouse(button, state, x, y);
  }

  void add() {
    if (point_count >= MAX_POINTS) ++refused;
    int x, y;
    switch (pick(6)) {
      case 0:  // the extreme rows and columns, the top row just outside the square
        x = pick(2) ? 0 : kView - 1;
        y = pick(2) ? 0 : pick(kView);
        break;
      case 1:  // right next to an existing point: clusters and rounding ties
        if (point_count > 0) {
          const point_rec& p = plane_table[pick(point_count)];
          x = pixel_of_plane_toward_zero(p.x) + pick(3) - 1;
          y = mouse_row_of_plane_toward_zero(p.y) + pick(3) - 1;
          break;
        }
        [[fallthrough]];
      case 2: {  // on one pixel row: collinear points
        x = pick(kView);
        y = 100;
        break;
      }
      default:
        x = pixel_of_plane_toward_zero(coord());
        y = mouse_row_of_plane_toward_zero(coord());
    }
    points(GLUT_RIGHT_BUTTON, GLUT_DOWN, x, y);
    points(GLUT_RIGHT_BUTTON, GLUT_UP, x, y);
  }

  void drag() {
    if (point_count == 0) return add();
    const point_rec p = plane_table[pick(point_count)];
    int x = pixel_of_plane_toward_zero(p.x), y = mouse_row_of_plane_toward_zero(p.y);
    points(GLUT_LEFT_BUTTON, GLUT_DOWN, x, y);
    int tx, ty;
    if (pick(3) == 0 && point_count > 1) {  // onto another point
      const point_rec& q = plane_table[pick(point_count)];
      tx = pixel_of_plane_toward_zero(q.x);
      ty = mouse_row_of_plane_toward_zero(q.y);
    } else if (pick(2) == 0) {  // against the border and beyond
      tx = pick(2) ? -40 : kView + 40;
      ty = pick(kView);
    } else {
      tx = pixel_of_plane_toward_zero(coord());
      ty = mouse_row_of_plane_toward_zero(coord());
    }
    const int steps = 1 + pick(6);
    for (int k = 1; k <= steps; ++k) {
      glutSetWindow(points_win);
      points_motion(x + (tx - x) * k / steps, y + (ty - y) * k / steps);
      if (pick(2) == 0) pump();  // some steps get a frame of their own
    }
    points(GLUT_LEFT_BUTTON, GLUT_UP, tx, ty);
  }

  void select() {
    int x = pick(kView), y = pick(kView);
    if (point_count > 0 && pick(2) == 0) {
      const point_rec& p = plane_table[pick(point_count)];
      x = pixel_of_plane_toward_zero(p.x);
      y = mouse_row_of_plane_toward_zero(p.y);
    }
    const int button = pick(2) ? GLUT_MIDDLE_BUTTON : GLUT_LEFT_BUTTON;
    points(button, GLUT_DOWN, x, y);
    points(button, GLUT_UP, x, y);
  }

  void press_panel(const button_rec& b, bool release_off = false) {
    const int x = (b.x0 + b.x1) / 2, y = panel_y((b.y0 + b.y1) / 2);
    glutSetWindow(panel_win);
    panel_mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, x, y);
    glutSetWindow(panel_win);
    panel_mouse(GLUT_LEFT_BUTTON, GLUT_UP, release_off ? x + 200 : x, y);
  }

  void slider(slider_rec& s) {
    glutSetWindow(panel_win);
    if (pick(2) == 0) {  // an arrow click
      const int y_up = pick(2) ? s.y0 + 12 : s.y0 + 3;
      panel_mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, s.x1 - 15, panel_y(y_up));
      glutSetWindow(panel_win);
      panel_mouse(GLUT_LEFT_BUTTON, GLUT_UP, s.x1 - 15, panel_y(y_up));
      return;
    }
    const int x = s.knob_x, y = panel_y(s.y0 + 6);
    panel_mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, x, y);
    const int to = pick(3) == 0 ? (pick(2) ? -100 : 700) : s.x0 + pick(s.x1 - s.x0);
    for (int k = 1; k <= 3; ++k) {
      glutSetWindow(panel_win);
      panel_motion(x + (to - x) * k / 3, y);
    }
    glutSetWindow(panel_win);
    panel_mouse(GLUT_LEFT_BUTTON, GLUT_UP, to, y);
  }
  void weight_change() { slider(weight_slider); }
  void opacity_change() { slider(opacity_slider); }

  void rotate() {
    glutSetWindow(view3d_win);
    int x = pick(540), y = pick(540);
    view3d_mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, x, y);
    for (int k = 0; k < 3; ++k) {
      x += pick(21) - 10;
      y += pick(21) - 10;
      glutSetWindow(view3d_win);
      view3d_motion(x, y);
      pump();
    }
    glutSetWindow(view3d_win);
    view3d_mouse(GLUT_LEFT_BUTTON, GLUT_UP, x, y);
  }

  void zoom() {
    // Stay within a range a lesson uses: the zoom has no bounds of its own.
    if (zoom_factor > 20.0f) return press_panel(zoom_out_button);
    if (zoom_factor < 0.2f) return press_panel(zoom_in_button);
    press_panel(pick(2) ? zoom_in_button : zoom_out_button, pick(4) == 0);
  }

  void toggle() {
    button_rec* boxes[] = {&hyperboloid_check, &delaunay_check, &voronoi_check, &grid_check};
    press_panel(*boxes[pick(4)]);
  }

  std::mt19937 rng_;
};

}  // namespace

extern "C" {
void* __real_malloc(size_t n);
void* __real_calloc(size_t n, size_t size);
void* __real_realloc(void* p, size_t n);
void __real_free(void* p);

void* __wrap_malloc(size_t n) {
  void* p = __real_malloc(n);
  if (p != nullptr) g_own_bytes += malloc_usable_size(p);
  return p;
}
void* __wrap_calloc(size_t n, size_t size) {
  void* p = __real_calloc(n, size);
  if (p != nullptr) g_own_bytes += malloc_usable_size(p);
  return p;
}
void* __wrap_realloc(void* old, size_t n) {
  const size_t before = old != nullptr ? malloc_usable_size(old) : 0;
  void* p = __real_realloc(old, n);
  if (p != nullptr) g_own_bytes += (long long)malloc_usable_size(p) - (long long)before;
  else if (n == 0) g_own_bytes -= before;
  return p;
}
void __wrap_free(void* p) {
  if (p != nullptr) g_own_bytes -= malloc_usable_size(p);
  __real_free(p);
}
}

namespace {

TEST(Soak, EveryRecomputationOfARandomLessonIsExactAndMemoryStaysFlat) {
  gui_start();
  const int edits = env_int("ZELMOR_SOAK_EDITS", 300);
  const unsigned seed = unsigned(env_int("ZELMOR_SOAK_SEED", 20261209));
  lesson l(seed);
  const int warm = std::min(edits / 4, 2000);
  const bool trace = std::getenv("ZELMOR_SOAK_TRACE") != nullptr;
  size_t heap_after_warm_up = 0;
  long long own_after_warm_up = 0;
  for (int k = 0; k < edits; ++k) {
    const std::string bad = l.step();
    if (!bad.empty()) {
      std::FILE* f = std::fopen(".ZELMOR", "r");
      std::string file;
      if (f != nullptr) {
        char buf[128];
        while (std::fgets(buf, sizeof buf, f) != nullptr) file += buf;
        std::fclose(f);
      }
      FAIL() << "edit " << k << " (seed " << seed << "): " << bad << "\n.ZELMOR:\n" << file;
    }
    if (k == warm) {
      // Compare like with like: an empty set, with the records of the last
      // recomputation released.
      l.new_set();
      heap_after_warm_up = heap_in_use();
      own_after_warm_up = g_own_bytes;
    }
    if (trace && k % 100 == 0) std::printf("edit %d: %d points, heap %zu\n", k, point_count, heap_in_use());
  }
  l.new_set();
  const size_t heap_at_end = heap_in_use();
  const long long own_at_end = g_own_bytes;
  std::printf("soak: %d edits, %d recomputations checked, %d refused adds, at most %d points; "
              "own heap %lld -> %lld bytes, whole heap %zu -> %zu bytes\n",
              edits, l.checked, l.refused, l.max_points, own_after_warm_up, own_at_end,
              heap_after_warm_up, heap_at_end);
  std::fflush(stdout);
  EXPECT_GT(l.checked, edits / 10);
  // With the set empty again, everything a recomputation allocates has been
  // released; only scratch stacks may have grown since the warm-up.
  EXPECT_LE(own_at_end, own_after_warm_up + 64 * 1024);
}

}  // namespace
