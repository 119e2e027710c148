// What the lab's circles, flip, angle and near-degenerate layers cost a
// redraw at 200 points, to be held against drag_step/200 (bench_frames), the
// lab's budget for one step of a drag.
//
// circles_shown_triangles/200: the triangles the 2D view shows, read from the
// records (every held circle, flip and angle starts here).
// circles_follow/200: eight held circles checked against the triangulation,
// as every redraw after a change does.
// circles_smallest_angle/200: the smallest angle, exactly, and again after a
// flip (the angles layer with a counter-example shown).
// circles_near/200: the warning of points nearly in a row or on a circle,
// once per change of the points.
// circles_picked_follow/200: a triangle picked with K looked at again, as
// every redraw of the 2D view does (its verdict before and after, the
// triangles shown, every point's lift against its plane), with weights.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "app/app.h"
#include "lab/circles_logic.h"
#include "lab/lab.h"
#include "lab/snap_logic.h"

namespace {

// With weighted, every point a weight of 0 to 1 (the lab's weights hooked in).
void random_points(int n, bool weighted = false) {
  std::mt19937_64 rng(2026);
  std::uniform_int_distribution<int> u(-300, 300), w(0, 10000);
  point_weights = weighted ? lab_point_weight : nullptr;
  point_count = 0;
  for (int i = 0; i < n; ++i) {
    lab_point_weight[i] = weighted ? w(rng) * 1e-4 : 0.0;
    add_point(point_rec{u(rng) / 100.0, u(rng) / 100.0, 0.0, 1.0});
  }
  char* text = nullptr;
  std::size_t size = 0;
  FILE* out = open_memstream(&text, &size);
  write_points(out);
  std::fclose(out);
  recompute_from(fmemopen(text, size, "r"));
  std::free(text);
}

void circles_shown_triangles(benchmark::State& state) {
  random_points(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(lab_shown_triangles(false).data());
}
BENCHMARK(circles_shown_triangles)->Arg(200)->Unit(benchmark::kMicrosecond);

void circles_follow(benchmark::State& state) {
  random_points(static_cast<int>(state.range(0)));
  const std::vector<lab_triangle> tris = lab_shown_triangles(false);
  std::vector<lab_pinned_circle> pins;
  for (int k = 0; k < LAB_PINNED_MAX; ++k) pins.push_back({tris[static_cast<size_t>(k * 40)], false, k});
  for (auto _ : state) {
    lab_pinned_set(pins);
    benchmark::DoNotOptimize(lab_pins_follow());
  }
}
BENCHMARK(circles_follow)->Arg(200)->Unit(benchmark::kMicrosecond);

void circles_smallest_angle(benchmark::State& state) {
  random_points(static_cast<int>(state.range(0)));
  const std::vector<lab_triangle> tris = lab_shown_triangles(false);
  lab_counter_example ce;
  std::string why;
  const lab_triangle& t = tris[tris.size() / 2];
  double cx = 0, cy = 0;
  for (int k : t) {
    cx += plane_table[k].x / 3;
    cy += plane_table[k].y / 3;
  }
  const bool flipped = lab_flip_at(tris, cx, cy, &ce, &why) != 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(lab_smallest_angle(tris).at);
    if (flipped) benchmark::DoNotOptimize(lab_smallest_angle(lab_flipped(tris, ce)).at);
  }
}
BENCHMARK(circles_smallest_angle)->Arg(200)->Unit(benchmark::kMicrosecond);

void circles_near(benchmark::State& state) {
  random_points(static_cast<int>(state.range(0)));
  const std::vector<lab_triangle> tris = lab_shown_triangles(false);
  for (auto _ : state) benchmark::DoNotOptimize(lab_find_near(tris).gap);
}
BENCHMARK(circles_near)->Arg(200)->Unit(benchmark::kMicrosecond);

void circles_picked_follow(benchmark::State& state) {
  random_points(static_cast<int>(state.range(0)), true);
  const std::vector<lab_triangle> tris = lab_shown_triangles(false);
  lab_picked_triangle p;
  std::string why;
  const lab_triangle& t = tris[tris.size() / 2];
  if (!lab_pick_triangle(t[0], t[1], t[2], tris, &p, &why)) state.SkipWithError(why.c_str());
  lab_picked_set(&p);
  for (auto _ : state) {
    benchmark::DoNotOptimize(lab_picked_text(p).size());
    benchmark::DoNotOptimize(lab_picked_follow(lab_shown_triangles(false)));
    lab_picked_shown(&p);
    benchmark::DoNotOptimize(lab_picked_text(p).size());
  }
  lab_picked_set(nullptr);
  point_weights = nullptr;
}
BENCHMARK(circles_picked_follow)->Arg(200)->Unit(benchmark::kMicrosecond);

}  // namespace
