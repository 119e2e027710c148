// The oracle's side of the construction tests (the core's steps and the
// lab's stages): orientation, the lifted in-circle sign and the verdict on a
// prefix's triangulation, all through the brute-force regular oracle, which
// shares no code with the program.
#pragma once

#include <algorithm>
#include <array>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/construction.h"
#include "tests/support/regular_oracle.h"

namespace construction_check {

using cpt = construction_point;

inline int orient(const cpt& a, const cpt& b, const cpt& c) {
  const long long o = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
  return (o > 0) - (o < 0);
}

// The oracle's sign: > 0 when d's lift lies strictly below the plane of t's
// lifts (unweighted: strictly inside its circle), whatever t's order.
inline int below_of(const std::vector<cpt>& pts, const tri_index& t, int d) {
  auto w = [&](int i) { return regular_oracle::wpoint{pts[i].x, pts[i].y, pts[i].w}; };
  const int o = orient(pts[t[0]], pts[t[1]], pts[t[2]]);
  const int s = regular_oracle::below(w(t[0]), w(t[1]), w(t[2]), w(d));
  return o >= 0 ? s : -s;
}

inline tri_index sorted3(int a, int b, int c) {
  tri_index t = {a, b, c};
  std::sort(t.begin(), t.end());
  return t;
}

// The oracle of the first k + 1 points of order, in that order.
inline regular_oracle::oracle prefix_oracle(const std::vector<cpt>& pts, const std::vector<int>& order, int k) {
  std::vector<regular_oracle::wpoint> w;
  for (int j = 0; j <= k; ++j) w.push_back({pts[order[j]].x, pts[order[j]].y, pts[order[j]].w});
  return regular_oracle::oracle(w);
}

// The oracle's verdict on a triangulation of the first k + 1 points of
// order ("" when it is the exact one; a flat set may have at most the
// triangle of its three places).
inline std::string oracle_verdict(const std::vector<cpt>& pts, const std::vector<int>& order, int k,
                                  const std::vector<tri_index>& tris) {
  std::vector<int> at(pts.size(), -1);
  for (int j = 0; j <= k; ++j) at[order[j]] = j;
  const regular_oracle::oracle o = prefix_oracle(pts, order, k);
  if (o.flat()) return tris.size() <= 1 ? "" : "a flat set with triangles";
  std::vector<std::array<int, 3>> mapped;
  std::set<std::pair<int, int>> edges;
  for (const tri_index& t : tris) {
    const int a = at[t[0]], b = at[t[1]], c = at[t[2]];
    if (a < 0 || b < 0 || c < 0) return "a triangle names a point not inserted yet";
    mapped.push_back({a, b, c});
    for (auto e : {std::make_pair(a, b), std::make_pair(b, c), std::make_pair(a, c)})
      edges.insert({std::min(e.first, e.second), std::max(e.first, e.second)});
  }
  return o.check(mapped, std::vector<std::pair<int, int>>(edges.begin(), edges.end()));
}

inline std::vector<cpt> random_points(int n, long long r, long long wmax, unsigned seed) {
  std::mt19937_64 rng(seed);
  std::uniform_int_distribution<long long> u(-r, r), w(0, wmax);
  std::vector<cpt> pts;
  for (int i = 0; i < n; ++i) pts.push_back({u(rng), u(rng), wmax > 0 ? w(rng) : 0});
  return pts;
}

}  // namespace construction_check
