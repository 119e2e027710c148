// Shared set-up for the engine's unit tests.
#pragma once

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "diag/diag.h"
#include "hull/hull.h"
#include "tests/hull/oracle.h"

// Starts from empty pools with the kernel constants set (hull_build sets
// them) and the given working dimension, as a hull of pdim = dim would.
inline void engine_reset(int dim) {
  hull_free();
  feed_sites(SiteSet{dim, {}});
  hull_build(feed_get_site, feed_site_num, static_cast<short>(dim), 0);  // no sites: sets the constants
  hull_free();
}

// Everything written to a temporary stream by f.
template <typename F>
std::string captured(F f) {
  FILE* t = tmpfile();
  f(t);
  fflush(t);
  rewind(t);
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, t)) > 0) out.append(buf, n);
  fclose(t);
  return out;
}

// What the engine writes on the diagnostic stream while f runs.
template <typename F>
std::string diag_of(F f) {
  return captured([&](FILE* t) {
    FILE* saved = diag_stream;
    diag_stream = t;
    f();
    diag_stream = saved;
  });
}

// Every simplex reachable from root, in walk order.
inline std::vector<simplex*> all_simplices(simplex* root) {
  static std::vector<simplex*>* out;
  std::vector<simplex*> v;
  out = &v;
  walk_all(root, [](simplex* s, void*) -> void* {
    out->push_back(s);
    return nullptr;
  });
  return v;
}

inline std::vector<simplex*> facet_simplices(simplex* root) {
  static std::vector<simplex*>* out;
  std::vector<simplex*> v;
  out = &v;
  walk_facets(root, [](simplex* s, void*) -> void* {
    out->push_back(s);
    return nullptr;
  });
  return v;
}

// Every simplex reachable from root, found without a walk (which would
// overwrite the stamps).
inline std::vector<simplex*> reachable(simplex* root) {
  std::vector<simplex*> out, todo{root};
  std::set<simplex*> seen{root};
  while (!todo.empty()) {
    simplex* s = todo.back();
    todo.pop_back();
    out.push_back(s);
    for (int i = -1; i < cdim; i++) {
      simplex* n = i < 0 ? s->peak.simp : s->neighbors[i].simp;
      if (n && seen.insert(n).second) todo.push_back(n);
    }
  }
  return out;
}

class Engine : public testing::Test {
 protected:
  void SetUp() override { engine_reset(3); }
  void TearDown() override { hull_free(); }
};
