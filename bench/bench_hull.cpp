// The hull engine against Qhull on the same sites.
//
//   hull_cube/N               N sites uniform in the integer cube [-10000, 10000]^3
//   hull_paraboloid/N         integer x, y uniform in [-1000, 1000], z = x^2 + y^2
//                             (every distinct site a vertex: the Delaunay workload)
//   hull_paraboloid_sorted/N  the same sites sorted by x (the engine inserts in
//                             input order)
//   hull_cube_exact/N, hull_paraboloid_exact/N   the same sites with the engine's
//                             exact mode on (every decision an integer determinant),
//                             as the program runs it
//   qhull_cube/N, qhull_paraboloid/N   Qhull's reentrant library, triangulated
//                             output ('Qt'), built and freed on the same sites
//
// Each timed iteration builds and frees one hull.  For N <= 10000 every
// iteration gets fresh sites, generated while the timer is paused: a set seen
// again lets the branch predictors and caches learn it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "hull/hull.h"

#ifdef ZELMOR_HAVE_QHULL
extern "C" {
#include <libqhull_r/qhull_ra.h>
}
#endif

namespace {

enum class Shape { cube, paraboloid, paraboloid_sorted };

constexpr int kFreshUpTo = 10000;

struct SiteSource {
  std::mt19937_64 rng{20240601};
  std::vector<double> coords;

  void fill(Shape shape, int n) {
    coords.resize(static_cast<size_t>(n) * 3);
    if (shape == Shape::cube) {
      std::uniform_int_distribution<int> u(-10000, 10000);
      for (double& c : coords) c = u(rng);
      return;
    }
    std::uniform_int_distribution<int> u(-1000, 1000);
    for (int i = 0; i < n; i++) {
      double x = u(rng), y = u(rng);
      coords[3 * i] = x;
      coords[3 * i + 1] = y;
      coords[3 * i + 2] = x * x + y * y;
    }
    if (shape == Shape::paraboloid_sorted) {
      std::vector<std::array<double, 3>> rows(n);
      for (int i = 0; i < n; i++) rows[i] = {coords[3 * i], coords[3 * i + 1], coords[3 * i + 2]};
      std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a[0] < b[0]; });
      for (int i = 0; i < n; i++)
        for (int j = 0; j < 3; j++) coords[3 * i + j] = rows[i][j];
    }
  }
};

// The engine's callbacks over the current site array.
const double* feed_base;
int feed_count;
int feed_next;

site feed_get_site() {
  if (feed_next == feed_count) return nullptr;
  return const_cast<double*>(feed_base) + 3 * feed_next++;
}

int feed_site_num(site p) { return static_cast<int>((p - feed_base) / 3); }

void engine_build(const std::vector<double>& coords, int exact) {
  exact_sites = exact;
  feed_base = coords.data();
  feed_count = static_cast<int>(coords.size() / 3);
  feed_next = 0;
  simplex* root = hull_build(feed_get_site, feed_site_num, 3, 0);
  benchmark::DoNotOptimize(root);
  hull_free();
  exact_sites = 0;
}

void engine_once(const std::vector<double>& coords) { engine_build(coords, 0); }
void exact_engine_once(const std::vector<double>& coords) { engine_build(coords, 1); }

template <typename Once>
void run(benchmark::State& state, Shape shape, Once once) {
  const int n = static_cast<int>(state.range(0));
  SiteSource src;
  src.fill(shape, n);
  for (auto _ : state) {
    if (n <= kFreshUpTo) {
      state.PauseTiming();
      src.fill(shape, n);
      state.ResumeTiming();
    }
    once(src.coords);
  }
  state.SetItemsProcessed(state.iterations() * n);
}

void hull_cube(benchmark::State& state) { run(state, Shape::cube, engine_once); }
void hull_paraboloid(benchmark::State& state) { run(state, Shape::paraboloid, engine_once); }
void hull_paraboloid_sorted(benchmark::State& state) { run(state, Shape::paraboloid_sorted, engine_once); }

BENCHMARK(hull_cube)->Arg(200)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(hull_paraboloid)->Arg(200)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
void hull_cube_exact(benchmark::State& state) { run(state, Shape::cube, exact_engine_once); }
void hull_paraboloid_exact(benchmark::State& state) { run(state, Shape::paraboloid, exact_engine_once); }
BENCHMARK(hull_cube_exact)->Arg(200)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(hull_paraboloid_exact)->Arg(200)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(hull_paraboloid_sorted)->Arg(200)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

#ifdef ZELMOR_HAVE_QHULL

qhT qhull_state;

void qhull_once(std::vector<double>& coords) {
  qhT* qh = &qhull_state;
  QHULL_LIB_CHECK
  qh_zero(qh, stderr);
  char options[] = "qhull Qt";
  int status = qh_new_qhull(qh, 3, static_cast<int>(coords.size() / 3), coords.data(), False, options,
                            nullptr, stderr);
  benchmark::DoNotOptimize(status);
  qh_freeqhull(qh, !qh_ALL);
  int curlong, totlong;
  qh_memfreeshort(qh, &curlong, &totlong);
}

void qhull_cube(benchmark::State& state) { run(state, Shape::cube, qhull_once); }
void qhull_paraboloid(benchmark::State& state) { run(state, Shape::paraboloid, qhull_once); }

BENCHMARK(qhull_cube)->Arg(200)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(qhull_paraboloid)->Arg(200)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

#endif

}  // namespace
