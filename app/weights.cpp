// Per-point weights: the hook through which a front end turns the lift into
// the weighted one (regular triangulation, power diagram), and what the
// records of a recomputation say about the points that lost their cell.
//
// Point i with weight w_i is lifted to x*x + y*y + weight - w_i.  The engine
// and the extraction see that height in the same whole units as the rest:
// X*X + Y*Y in square hundredths of the rounded coordinates, minus the weight
// rounded to those units (10^-4 square plane units), all in integers.  With
// no hook set every weight is 0 and nothing differs from the plain lift.
#include <cmath>

#include "app/app.h"

const double* point_weights = nullptr;

long long weight_units(int i) {
  if (point_weights == nullptr || i < 0 || i >= MAX_POINTS) return 0;
  const double w = point_weights[i];
  // A weight that is no number counts as none; beyond the limit it is held
  // at the limit, inside which every integer bound downstream holds.
  if (!(w == w)) return 0;
  const double limit = WEIGHT_LIMIT * 1e4;
  const double units = std::floor(1e4 * w + 0.5);
  if (units > limit) return static_cast<long long>(limit);
  if (units < -limit) return -static_cast<long long>(limit);
  return static_cast<long long>(units);
}

double lifted_height_of(int i, double x, double y) {
  const long long units = weight_units(i);
  if (units == 0) return lifted_height(x, y);
  return lifted_height(x, y) - static_cast<double>(units) * 1e-4;
}

int find_hidden_points(unsigned char hidden[MAX_POINTS]) {
  bool used[MAX_POINTS] = {};
  bool any = false;
  if (tri_list != nullptr) {
    for (rec_node* n = tri_list->head; n != nullptr; n = n->next) {
      const auto* t = static_cast<const dtri*>(n->data);
      if (!is_delaunay_triangle(t)) continue;
      any = true;
      for (const point_rec* v : t->v) {
        const long k = v - point_table;
        if (k >= 0 && k < MAX_POINTS) used[k] = true;
      }
    }
  }
  int count = 0;
  for (int i = 0; i < MAX_POINTS; ++i) {
    hidden[i] = any && i < point_count && !used[i];
    count += hidden[i];
  }
  return count;
}
