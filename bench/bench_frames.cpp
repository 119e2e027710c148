// Frames of the two views with 200 points, and one drag step in the 2D view
// through every redraw it causes (the hull recomputation included).
//
// These cases need an X display: run them as
//   tests/support/with-xvfb.sh build/zelmor_bench --benchmark_filter='frame_|drag_'
// The program's own start-up creates the real windows (its main() is linked
// in as app_main, and glutMainLoop is wrapped to return at once).
#include <GL/freeglut.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "app/windows.h"
#include "tests/support/plane_pixels.h"
#include "view2d/scale.h"
#include "view2d/view2d.h"
#include "view3d/view3d.h"

int app_main(int argc, char** argv);

// The real loop never returns; the benchmark pumps events itself.
extern "C" void __wrap_glutMainLoop() {}

namespace {

// CPU time of the whole process (the renderer's worker threads included), in
// ms: on a busy machine wall time says little, this says how much work a
// frame is.
double process_cpu_ms() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Reports the process CPU time per iteration as the counter "proc_cpu_ms".
struct cpu_meter {
  benchmark::State& state;
  double start = process_cpu_ms();
  ~cpu_meter() {
    if (state.iterations() > 0)
      state.counters["proc_cpu_ms"] = (process_cpu_ms() - start) / double(state.iterations());
  }
};

int g_started = 0;  // 0 not tried, 1 running, -1 no display

// Handles pending events and redisplays until nothing is left to do.
void pump() {
  for (int i = 0; i < 3; ++i) glutMainLoopEvent();
}

bool start_program(benchmark::State& state) {
  if (g_started == 0) {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
      g_started = -1;
    } else {
      // The program writes its exchange file in the working directory.
      char dir[] = "/tmp/zelmor-bench-XXXXXX";
      if (mkdtemp(dir) == nullptr || chdir(dir) != 0) {
        g_started = -1;
      } else {
        static char arg0[] = "zelmor";
        static char* argv[] = {arg0, nullptr};
        app_main(1, argv);
        for (int i = 0; i < 50; ++i) {
          pump();
          usleep(2000);
        }
        g_started = 1;
      }
    }
  }
  if (g_started < 0) {
    state.SkipWithError(
        "needs an X display: run as tests/support/with-xvfb.sh build/zelmor_bench");
    return false;
  }
  return true;
}

// 200 points spread over the square (a fixed pseudo-random sequence on the
// 541-pixel grid, as clicks would place them), recomputed once.
void load_200_points() {
  point_count = 0;
  unsigned int seed = 12345;
  const auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return int((seed >> 8) % 521) + 10;  // pixels 10 .. 530
  };
  for (int i = 0; i < MAX_POINTS; ++i) {
    const int x = next(), y = next();
    add_point(point_rec{plane_of_pixel(x), plane_of_pixel(y), 0.0, 1.0});
  }
  write_point_file();
  need_recompute = 1;
  glutSetWindow(view3d_win);
  glutPostRedisplay();
  pump();
  glutSetWindow(view3d_win);
  glFinish();
}

// Sets the drawing path for one case and restores the program's own after
// it: the "/immediate" cases send every vertex on every frame, as the
// drawers did before static geometry went into display lists, so each run
// measures both paths on the same machine under the same load.
struct drawing_path {
  explicit drawing_path(bool immediate) { immediate_drawing = immediate; }
  ~drawing_path() { immediate_drawing = false; }
};

// Every window at its size for the drawing scale s while a case runs (the
// lab's presentation scale, the page's device pixel ratio), back at 1 after
// it: at 2 each view has four times the pixels, and its lines, markers and
// text are drawn twice as wide.
struct drawing_scale {
  explicit drawing_scale(float s) { apply(s); }
  ~drawing_scale() { apply(1.0f); }
  static void apply(float s) {
    if (draw_scale() == s) return;
    set_draw_scale(s);
    fit_windows_to_scale();
    for (int i = 0; i < 500 && !(points_win_w == points_fixed.width &&
                                 view3d_fixed.drawn_w == view3d_fixed.width &&
                                 panel_fixed.drawn_w == panel_fixed.width);
         ++i) {
      pump();
      usleep(2000);
    }
    pump();
  }
};

void frame_3d(benchmark::State& state, bool immediate, float scale) {
  if (!start_program(state)) return;
  const drawing_path path{immediate};
  const drawing_scale at{scale};
  load_200_points();
  const cpu_meter meter{state};
  for (auto _ : state) {
    glutSetWindow(view3d_win);
    view3d_display();
    glFinish();
  }
}
BENCHMARK_CAPTURE(frame_3d, lists, false, 1.0f)->Name("frame_3d/200")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(frame_3d, immediate, true, 1.0f)
    ->Name("frame_3d/200/immediate")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(frame_3d, scale_2, false, 2.0f)
    ->Name("frame_3d/200/scale_2")
    ->Unit(benchmark::kMillisecond);

// One layer of the 3D frame at a time, between a clear and a swap, under the
// display's transform in the initial view: where the 3D frame's time goes.
// "clear" draws no layer (the clear, the swap and the finish alone).
void layer_3d(benchmark::State& state, void (*draw)(), bool immediate, float scale) {
  if (!start_program(state)) return;
  const drawing_path path{immediate};
  const drawing_scale at{scale};
  load_200_points();
  const cpu_meter meter{state};
  glutSetWindow(view3d_win);
  for (auto _ : state) {
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(view3d_w / 2, view3d_h / 2, 0.0f);
    glScalef(2.7f * zoom_factor, 2.7f * zoom_factor, 2.7f * zoom_factor);
    glRotatef(30.0f, 0.0f, 1.0f, 0.0f);
    glRotatef(-70.0f, 1.0f, 0.0f, 0.0f);
    glScalef(10.0f, 10.0f, 10.0f);
    glTranslatef(0.0f, 0.0f, -7.5f / zoom_factor);
    draw();
    glPopMatrix();
    glutSwapBuffers();
    glFinish();
  }
}

const struct {
  const char* name;
  void (*draw)();
} layers_3d[] = {
    {"clear", [] {}},
    {"cubes", [] { draw_plane_points(plane_table); }},
    {"spheres", [] { draw_lifted_points(); }},
    {"labels", [] { draw_point_labels(point_table); }},
    {"hull_faces", [] { draw_hull_faces(); }},
    {"delaunay_edges", [] { draw_delaunay_edges(); }},
    {"surface",
     [] {
       glTranslatef(0.0f, 0.0f, weight);
       draw_hyperboloid();
     }},
    {"axes", [] { draw_axes(1); }},
};

const bool layers_registered = [] {
  for (const auto& l : layers_3d) {
    for (const bool immediate : {false, true}) {
      const std::string name =
          std::string("layer_3d/") + l.name + (immediate ? "/immediate" : "");
      benchmark::RegisterBenchmark(name.c_str(), layer_3d, l.draw, immediate, 1.0f)
          ->Unit(benchmark::kMillisecond);
    }
    const std::string name = std::string("layer_3d/") + l.name + "/scale_2";
    benchmark::RegisterBenchmark(name.c_str(), layer_3d, l.draw, false, 2.0f)
        ->Unit(benchmark::kMillisecond);
  }
  return true;
}();

void frame_2d(benchmark::State& state, bool immediate, float scale) {
  if (!start_program(state)) return;
  const drawing_path path{immediate};
  const drawing_scale at{scale};
  load_200_points();
  const cpu_meter meter{state};
  for (auto _ : state) {
    glutSetWindow(points_win);
    points_display();
    glFinish();
  }
}
BENCHMARK_CAPTURE(frame_2d, lists, false, 1.0f)->Name("frame_2d/200")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(frame_2d, immediate, true, 1.0f)
    ->Name("frame_2d/200/immediate")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(frame_2d, scale_2, false, 2.0f)
    ->Name("frame_2d/200/scale_2")
    ->Unit(benchmark::kMillisecond);

// One motion event per iteration, moving the grabbed point one pixel right
// and back again, through every redraw it causes.
void run_drag_steps(benchmark::State& state, int x, int y_top) {
  const cpu_meter meter{state};
  int step = 0;
  for (auto _ : state) {
    glutSetWindow(points_win);
    points_motion(x + (step++ & 1), y_top);
    pump();  // the 3D display recomputes the hull; both views redraw
    if (need_recompute != 0) {
      state.SkipWithError("the drag step did not lead to a recomputation");
      break;
    }
    glutSetWindow(view3d_win);
    glFinish();
    glutSetWindow(points_win);
    glFinish();
  }
}

void drag_step(benchmark::State& state, bool immediate, float scale) {
  if (!start_program(state)) return;
  const drawing_path path{immediate};
  const drawing_scale at{scale};
  if (points_win_w != points_fixed.width) {
    state.SkipWithError("the windows did not take their sizes for the scale");
    return;
  }
  load_200_points();
  // Grab point 0 with the left button where it is drawn.
  const int x = pixel_of_plane_toward_zero(plane_table[0].x, points_win_w);
  const int y_top = mouse_row_of_plane_toward_zero(plane_table[0].y, points_win_h);
  glutSetWindow(points_win);
  points_mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, x, y_top);
  pump();
  if (drag_index != 0) {
    state.SkipWithError("the press did not grab point 0");
    return;
  }
  run_drag_steps(state, x, y_top);
  glutSetWindow(points_win);
  points_mouse(GLUT_LEFT_BUTTON, GLUT_UP, x, y_top);
  pump();
}
BENCHMARK_CAPTURE(drag_step, lists, false, 1.0f)->Name("drag_step/200")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(drag_step, immediate, true, 1.0f)
    ->Name("drag_step/200/immediate")
    ->Unit(benchmark::kMillisecond);
// The same step at drawing scale 2, measured in the same run as the one above.
BENCHMARK_CAPTURE(drag_step, scale_2, false, 2.0f)
    ->Name("drag_step/200/scale_2")
    ->Unit(benchmark::kMillisecond);

}  // namespace
