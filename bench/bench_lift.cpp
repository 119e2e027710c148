// The lift of one point, as every edit and every weight change performs it.
#include <benchmark/benchmark.h>

#include "app/app.h"

static void lift_200(benchmark::State& state) {
  for (auto _ : state) {
    point_count = 0;
    for (int i = 0; i < MAX_POINTS; ++i) add_point(point_rec{i * 0.01, -i * 0.01, 0.0, 1.0});
    benchmark::DoNotOptimize(point_table);
  }
}
BENCHMARK(lift_200);
