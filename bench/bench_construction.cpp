// Watching it grow at 200 points: what a step costs the lab.
//
// construction_step/hole/200 and /flips/200: stepping to a new insertion, as the
// lab does it when the arrow or the play timer moves on: the lower hull of
// the points before it, the step itself (the hull of the points after it,
// and in the flips way Lawson's split and flips), and the stage's picture.
// The last insertion of 200 random points is the dearest.
//
// construction_stage/200: moving between the stages of one insertion (the
// hole and then the fan; the flips one by one), which every redraw also
// pays: the points read from the tables and compared, the step reused, the
// picture made.  Both are to be held against drag_step/200 (bench_frames),
// the lab's budget for one step of a drag.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "app/app.h"
#include "app/construction.h"
#include "lab/construction_logic.h"

namespace {

std::vector<construction_point> random_hundredths(int n) {
  std::mt19937_64 rng(2024);
  std::uniform_int_distribution<long long> u(-300, 300);
  std::vector<construction_point> pts;
  for (int i = 0; i < n; ++i) pts.push_back({u(rng), u(rng), 0});
  return pts;
}

void construction_step_bench(benchmark::State& state, insert_way way) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<construction_point> pts = random_hundredths(n);
  const std::vector<int> order = construction_order(n, false, 1);
  for (auto _ : state) {
    construction_picture pic = construction_picture_of(pts, order, way, n - 1, 0, false, 1);
    benchmark::DoNotOptimize(pic.triangles.data());
  }
}
BENCHMARK_CAPTURE(construction_step_bench, hole, insert_way::hole)
    ->Name("construction_step/hole")->Arg(200)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(construction_step_bench, flips, insert_way::flips)
    ->Name("construction_step/flips")->Arg(200)->Unit(benchmark::kMicrosecond);

void construction_stage_bench(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  point_count = 0;
  for (const construction_point& p : random_hundredths(n))
    add_point(point_rec{p.x / 100.0, p.y / 100.0, 0.0, 1.0});
  construction_state s;
  s.on = true;
  s.step = n - 1;
  lab_construction_set_state(s);
  int stage = 0;
  for (auto _ : state) {
    s.stage = stage ^= 1;
    lab_construction_set_state(s);
    benchmark::DoNotOptimize(construction_current().triangles.data());
  }
  lab_construction_set_state(construction_state());
  point_count = 0;
}
BENCHMARK(construction_stage_bench)->Name("construction_stage")->Arg(200)->Unit(benchmark::kMicrosecond);

}  // namespace
