// The recompute pipeline on 200 random points of the view, as one drag step
// costs it: write the point-exchange file, then recompute (read the text
// back from memory, hull, extraction, release).  recompute_steps/200 runs the same steps with a
// clock around each and reports them as counters (microseconds per run).
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>

#include "app/app.h"
#include "diag/diag.h"
#include "hull/hull.h"

namespace {

// The file goes to a directory of its own, not to wherever the bench runs.
class bench_dir {
 public:
  bench_dir() {
    char tmpl[] = "/tmp/zelmor-bench-XXXXXX";
    if (mkdtemp(tmpl) == nullptr || getcwd(old_, sizeof old_) == nullptr || chdir(tmpl) != 0) {
      std::perror("bench directory");
      std::exit(1);
    }
    path_ = tmpl;
  }
  ~bench_dir() {
    std::remove(".ZELMOR");
    if (chdir(old_) != 0 || rmdir(path_.c_str()) != 0) std::perror("bench directory");
  }

 private:
  char old_[4096];
  std::string path_;
};

void random_view_points(int n) {
  std::mt19937_64 rng(2024);
  std::uniform_real_distribution<double> u(-3.0, 3.0);
  weight = 1.0f;
  point_count = 0;
  for (int i = 0; i < n; ++i) add_point(point_rec{u(rng), u(rng), 0.0, 1.0});
  reset_record_lists();
}

void recompute_bench(benchmark::State& state) {
  bench_dir dir;
  random_view_points(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    write_point_file();
    recompute();
  }
  reset_record_lists();
}
BENCHMARK(recompute_bench)->Name("recompute")->Arg(200);

// The same with every point weighted (0 to 1, in the lab's steps): the
// regular triangulation and the power diagram, a few points hidden.
void recompute_weighted_bench(benchmark::State& state) {
  bench_dir dir;
  static double weights[MAX_POINTS];
  std::mt19937_64 rng(7);
  std::uniform_int_distribution<int> steps(0, 10);
  for (double& w : weights) w = steps(rng) / 10.0;
  point_weights = weights;
  random_view_points(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    write_point_file();
    recompute();
  }
  reset_record_lists();
  point_weights = nullptr;
}
BENCHMARK(recompute_weighted_bench)->Name("recompute_weighted")->Arg(200);

// The hard corners of the batch tool's range: 200 points within 0.3 of
// (9990, -9990), where the lifted hull is a thin shell far from the origin;
// and 200 points within 0.05 of the origin with weights of up to +-10^8
// (then most points are hidden).  Both once took the floating-point kernel
// minutes or for ever; they must cost about what the view's points cost.
void far_points(int n, double cx, double cy, double r, unsigned seed) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> u(-r, r);
  weight = 1.0f;
  point_count = 0;
  for (int i = 0; i < n; ++i) add_point(point_rec{cx + u(rng), cy + u(rng), 0.0, 1.0});
  reset_record_lists();
}

void recompute_far_cluster_bench(benchmark::State& state) {
  bench_dir dir;
  far_points(static_cast<int>(state.range(0)), 9990.0, -9990.0, 0.3, 11);
  for (auto _ : state) {
    write_point_file();
    recompute();
  }
  reset_record_lists();
}
BENCHMARK(recompute_far_cluster_bench)->Name("recompute_far_cluster")->Arg(200);

void recompute_huge_weights_bench(benchmark::State& state) {
  bench_dir dir;
  static double weights[MAX_POINTS];
  std::mt19937_64 rng(13);
  std::uniform_real_distribution<double> w(-1e8, 1e8);
  for (double& x : weights) x = w(rng);
  point_weights = weights;
  far_points(static_cast<int>(state.range(0)), 0.0, 0.0, 0.05, 17);
  for (auto _ : state) {
    write_point_file();
    recompute();
  }
  reset_record_lists();
  point_weights = nullptr;
}
BENCHMARK(recompute_huge_weights_bench)->Name("recompute_huge_weights")->Arg(200);

using clock_type = std::chrono::steady_clock;
double micros(clock_type::time_point a, clock_type::time_point b) {
  return std::chrono::duration<double, std::micro>(b - a).count();
}

// recompute_from's steps, each timed.
void recompute_steps_bench(benchmark::State& state) {
  bench_dir dir;
  random_view_points(static_cast<int>(state.range(0)));
  double write = 0, read_hull = 0, extract = 0, release = 0;
  for (auto _ : state) {
    const auto t0 = clock_type::now();
    write_point_file();
    const auto t1 = clock_type::now();
    reset_record_lists();  // the previous run's records
    const auto t2 = clock_type::now();
    simplex* root = recompute_build(open_point_text());
    const auto t3 = clock_type::now();
    recompute_extract(root);
    const auto t4 = clock_type::now();
    recompute_release();
    const auto t5 = clock_type::now();
    write += micros(t0, t1);
    release += micros(t1, t2) + micros(t4, t5);
    read_hull += micros(t2, t3);
    extract += micros(t3, t4);
  }
  const auto avg = benchmark::Counter::kAvgIterations;
  state.counters["write_us"] = benchmark::Counter(write, avg);
  state.counters["read_hull_us"] = benchmark::Counter(read_hull, avg);
  state.counters["extract_us"] = benchmark::Counter(extract, avg);
  state.counters["release_us"] = benchmark::Counter(release, avg);
  reset_record_lists();
}
BENCHMARK(recompute_steps_bench)->Name("recompute_steps")->Arg(200);

// The file's lines alone, into memory: the formatter's share of write_us.
void format_bench(benchmark::State& state) {
  random_view_points(static_cast<int>(state.range(0)));
  char* text = nullptr;
  std::size_t size = 0;
  for (auto _ : state) {
    FILE* f = open_memstream(&text, &size);
    write_points(f);
    std::fclose(f);
    benchmark::DoNotOptimize(text);
    std::free(text);
    text = nullptr;
  }
}
BENCHMARK(format_bench)->Name("recompute_format")->Arg(200);

}  // namespace
