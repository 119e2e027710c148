// The files the programs write and read: the point-exchange save a drag
// makes on every motion event, a synced save as the lab makes it, the sweep
// of a folder at start-up, and the longest a load may take now that reading
// is bounded (a stream of blank lines that never ends).
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/point_text.h"
#include "app/safe_write.h"

namespace {

// A fresh folder as the working directory while a case runs.
struct files_dir {
  std::string path, old;
  files_dir() {
    char tmpl[] = "/tmp/zelmor-bench-XXXXXX";
    path = mkdtemp(tmpl) != nullptr ? tmpl : "/tmp";
    char cwd[4096];
    old = getcwd(cwd, sizeof cwd) != nullptr ? cwd : "/tmp";
    if (chdir(path.c_str()) != 0) std::perror("chdir");
  }
  ~files_dir() {
    if (chdir(old.c_str()) != 0) std::perror("chdir");
    if (std::system(("rm -rf '" + path + "'").c_str()) != 0) std::perror("rm");
  }
};

void exchange_save_bench(benchmark::State& state) {
  files_dir dir;
  std::mt19937_64 rng(5);
  std::uniform_real_distribution<double> u(-3.0, 3.0);
  weight = 1.0f;
  point_count = 0;
  for (int i = 0; i < state.range(0); ++i) add_point(point_rec{u(rng), u(rng), 0.0, 1.0});
  for (auto _ : state) write_point_file();
  point_count = 0;
}
BENCHMARK(exchange_save_bench)->Name("files_exchange_save")->Arg(200);

// 200 points of the lab's text (about 7 KB), synced: file and folder.
void synced_save_bench(benchmark::State& state) {
  files_dir dir;
  const std::string text(7000, '1');
  safe_write_options o;
  o.sync = true;
  for (auto _ : state) {
    const safe_write_result r = safe_replace("class.txt", text.data(), text.size(), o);
    if (r.error != 0) state.SkipWithError(r.reason);
  }
}
BENCHMARK(synced_save_bench)->Name("files_synced_save")->Unit(benchmark::kMicrosecond);

// A folder of range(0) ordinary files and nothing to sweep.
void sweep_bench(benchmark::State& state) {
  files_dir dir;
  for (int i = 0; i < state.range(0); ++i) {
    FILE* f = std::fopen(("lesson-" + std::to_string(i) + ".txt").c_str(), "w");
    if (f != nullptr) std::fclose(f);
  }
  for (auto _ : state) benchmark::DoNotOptimize(sweep_stale_temps("."));
}
BENCHMARK(sweep_bench)->Name("files_sweep")->Arg(1000)->Unit(benchmark::kMicrosecond);

// The worst load the lab can meet: a file that never ends, read until a
// bound refuses it.  range(0) is the length of its lines (comment lines):
// 1 gives blank lines, refused after 10000 of them; 1000 gives lines that
// reach the byte bound (1 MiB) first, the most the lab ever reads.
struct endless_lines {
  long length;
  long at = 0;
};

ssize_t endless_read(void* cookie, char* buf, size_t size) {
  auto* e = static_cast<endless_lines*>(cookie);
  for (size_t i = 0; i < size; ++i, ++e->at) buf[i] = e->at % e->length == e->length - 1 ? '\n' : '%';
  return static_cast<ssize_t>(size);
}

void bounded_load_bench(benchmark::State& state) {
  read_bounds bounds;
  bounds.max_lines = 10000;  // the lab's bounds (lab/files.cpp)
  bounds.max_bytes = 1 << 20;
  for (auto _ : state) {
    endless_lines lines{state.range(0)};
    FILE* in = fopencookie(&lines, "r", cookie_io_functions_t{endless_read, nullptr, nullptr, nullptr});
    std::vector<text_point> pts;
    std::string error;
    benchmark::DoNotOptimize(read_point_stream(in, "endless", &pts, &error, point_columns::heights, nullptr, bounds));
    std::fclose(in);
  }
}
BENCHMARK(bounded_load_bench)->Name("files_bounded_load")->Arg(1)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace
