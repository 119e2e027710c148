// Helpers shared by the pipeline tests: a fresh working directory per test,
// point sets, the records as index lists, and the rounded points for the
// oracle (computed with the C library, not with the program's own helpers).
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/app.h"
#include "tests/support/delaunay_oracle.h"
#include "tests/support/regular_oracle.h"

namespace pipeline_test {

using pt = std::array<double, 2>;

// A whole file's bytes ("" when it cannot be read), and a file made of them.
inline std::string slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}
inline void spit(const std::string& path, const std::string& content) {
  std::ofstream f(path, std::ios::binary);
  f << content;
}

// Each test runs in a directory of its own, removed afterwards.
class temp_dir {
 public:
  temp_dir() {
    char tmpl[] = "/tmp/zelmor-pipeline-XXXXXX";
    const char* d = mkdtemp(tmpl);
    EXPECT_NE(nullptr, d);
    path_ = d != nullptr ? d : "/tmp";
    char cwd[4096];
    old_ = getcwd(cwd, sizeof cwd) != nullptr ? cwd : "/tmp";
    EXPECT_EQ(0, chdir(path_.c_str()));
  }
  ~temp_dir() {
    if (chdir(old_.c_str()) != 0) std::perror("chdir");
    const std::string cmd = "rm -rf '" + path_ + "'";
    if (std::system(cmd.c_str()) != 0) std::perror("rm");
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_, old_;
};

// A fixture for tests that write files and recompute.
class in_temp_dir : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = new temp_dir();
    weight = 1.0f;
    point_count = 0;
    reset_record_lists();
  }
  void TearDown() override {
    reset_record_lists();
    point_count = 0;
    delete dir_;
  }
  temp_dir* dir_ = nullptr;
};

inline void set_points(const std::vector<pt>& pts) {
  point_count = 0;
  for (const pt& p : pts) add_point(point_rec{p[0], p[1], 0.0, 1.0});
}

// A recomputation of point_table through the in-memory exchange text, as
// the batch tool runs it: no file is written.
inline void recompute_in_memory() {
  update_point_text();
  FILE* in = open_point_text();
  ASSERT_NE(nullptr, in);
  recompute_from(in);
}

// What an edit does, then what the 3D window's next frame does.
inline void edit_and_recompute(const std::vector<pt>& pts) {
  set_points(pts);
  need_recompute = 1;
  write_point_file();
  recompute();
}

inline int index_of(const point_rec* p) { return static_cast<int>(p - point_table); }

inline std::vector<const dtri*> triangles() {
  std::vector<const dtri*> out;
  for (rec_node* n = tri_list->head; n != nullptr; n = n->next) out.push_back(static_cast<const dtri*>(n->data));
  return out;
}
inline std::vector<const dedge*> edges() {
  std::vector<const dedge*> out;
  for (rec_node* n = edge_list->head; n != nullptr; n = n->next) out.push_back(static_cast<const dedge*>(n->data));
  return out;
}

inline std::vector<std::array<int, 3>> delaunay_index_triangles() {
  std::vector<std::array<int, 3>> out;
  for (const dtri* t : triangles()) {
    if (t->face_normal[2] < 0.0f) out.push_back({index_of(t->v[0]), index_of(t->v[1]), index_of(t->v[2])});
  }
  return out;
}
inline std::vector<std::pair<int, int>> index_edges() {
  std::vector<std::pair<int, int>> out;
  for (const dedge* e : edges()) out.emplace_back(index_of(e->a), index_of(e->b));
  return out;
}

// The whole hundredths the engine sees for a coordinate, by the file's road:
// printf's "%.15f", strtod, floor(100 v + 0.5).
inline long long libc_hundredths(double v) {
  char text[400];
  std::snprintf(text, sizeof text, "%.15f", v);
  return static_cast<long long>(std::floor(100.0 * std::strtod(text, nullptr) + 0.5));
}

inline delaunay_oracle::oracle oracle_of_table() {
  std::vector<delaunay_oracle::ipoint> ip;
  for (int i = 0; i < point_count; ++i) {
    ip.push_back({libc_hundredths(point_table[i].x), libc_hundredths(point_table[i].y)});
  }
  return delaunay_oracle::oracle(ip);
}

inline bool close(double a, double b) { return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(a)); }

// One program edge's drawn dual against the oracle's piece v (want, when
// want_drawn, is v as drawn).  Returns "" when they agree.
inline std::string drawn_mismatch(const dedge* e, const std::string& where, bool want_drawn,
                                  const double want[4], const delaunay_oracle::voronoi_piece& v) {
  double got[4];
  const bool got_drawn = voronoi_edge(e, got) != 0;
  if (want_drawn != got_drawn) {
    return where + (got_drawn ? " drawn but should not be" : " not drawn but should be");
  }
  if (!want_drawn) return "";
  const bool same = close(want[0], got[0]) && close(want[1], got[1]) && close(want[2], got[2]) &&
                    close(want[3], got[3]);
  const bool swapped = close(want[0], got[2]) && close(want[1], got[3]) && close(want[2], got[0]) &&
                       close(want[3], got[1]);
  // A segment may run either way; a ray runs from its bounded end.
  if (same || (v.bounded_from && v.bounded_to && swapped)) return "";
  char buf[300];
  std::snprintf(buf, sizeof buf, ": got (%.17g, %.17g)-(%.17g, %.17g), want (%.17g, %.17g)-(%.17g, %.17g)",
                got[0], got[1], got[2], got[3], want[0], want[1], want[2], want[3]);
  return where + buf;
}

// The records of the last recomputation against the exact oracle: the
// Delaunay triangles and edges, and every edge's Voronoi edge as drawn.
// Returns "" when everything agrees.
inline std::string mismatch_with_oracle() {
  const delaunay_oracle::oracle o = oracle_of_table();
  const std::string tri = o.check(delaunay_index_triangles(), index_edges());
  if (!tri.empty()) return tri;
  for (const dedge* e : edges()) {
    const int i = index_of(e->a), j = index_of(e->b);
    double want[4];
    const bool want_drawn = o.strong_edge(i, j) && o.drawn(i, j, want);
    const std::string bad = drawn_mismatch(e, "Voronoi edge of " + std::to_string(i) + "-" + std::to_string(j),
                                           want_drawn, want, o.voronoi(i, j));
    if (!bad.empty()) return bad;
  }
  return "";
}

// A weight in the units of the lifted heights, square hundredths, by the
// C library: the nearest integer to 10^4 w, halves up.
inline long long libc_weight_units(double w) { return static_cast<long long>(std::floor(1e4 * w + 0.5)); }

inline regular_oracle::oracle regular_oracle_of_table(const double* weights) {
  std::vector<regular_oracle::wpoint> ip;
  for (int i = 0; i < point_count; ++i) {
    ip.push_back({libc_hundredths(point_table[i].x), libc_hundredths(point_table[i].y),
                  weights != nullptr ? libc_weight_units(weights[i]) : 0});
  }
  return regular_oracle::oracle(ip);
}

// The records of the last recomputation against the exact regular oracle:
// the regular triangles and their edges, the power diagram's edges as drawn
// (when the points lie within the oracle's power-diagram range) and the
// hidden points.  Where lifts are coplanar a point may lie on the lower hull
// without being a corner of it; unless degenerate_ok, every point must be
// either a vertex of the triangulation or strictly hidden (or a copy).
inline std::string mismatch_with_regular_oracle(const double* weights, bool degenerate_ok = false,
                                                bool check_power = true) {
  const regular_oracle::oracle o = regular_oracle_of_table(weights);
  const std::string tri = o.check(delaunay_index_triangles(), index_edges());
  if (!tri.empty()) return tri;
  unsigned char hidden[MAX_POINTS];
  find_hidden_points(hidden);
  for (int i = 0; i < point_count; ++i) {
    const bool must = !o.flat() && (o.hidden(i) || o.rep(i) != i);
    if (must && !hidden[i]) return "point " + std::to_string(i) + " is hidden but not reported so";
    if (hidden[i] && !must && !degenerate_ok) return "point " + std::to_string(i) + " reported hidden";
  }
  if (!check_power) return "";
  for (const dedge* e : edges()) {
    const int i = index_of(e->a), j = index_of(e->b);
    double want[4];
    const delaunay_oracle::voronoi_piece v = o.power_edge(i, j);
    const bool want_drawn = o.strong_edge(i, j) && delaunay_oracle::clip_piece(v, want);
    const std::string bad =
        drawn_mismatch(e, "power edge of " + std::to_string(i) + "-" + std::to_string(j), want_drawn, want, v);
    if (!bad.empty()) return bad;
  }
  return "";
}

}  // namespace pipeline_test
