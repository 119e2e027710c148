// The lab's preset point sets: every coordinate whole hundredths, so that
// what is exact on paper (a circle through four points, three points in a
// row) stays exact for the engine.
#include <random>
#include <set>
#include <utility>

#include "diag/diag.h"
#include "lab/lessons.h"

namespace {

const lab_preset kPresets[] = {
    {'1', "a square and its centre"},
    {'2', "twelve points on one circle and its centre"},
    {'3', "three points in a row on the hull, four inside"},
    {'4', "a 5 x 5 grid"},
    {'5', "a tight cluster (within 0.1)"},
    {'6', "20 random points"},
    {'7', "50 random points"},
    {'8', "200 random points"},
    {'9', "the twelve points of the README's pictures"},
    {'0', "twelve points on one circle"},
};
constexpr int kCount = sizeof kPresets / sizeof kPresets[0];

// The grid points of the circle of radius 2.5 (x^2 + y^2 = 250^2 in
// hundredths): no other regular polygon than the square has its corners on
// the grid, and these twelve lie on the circle exactly.
const std::pair<int, int> kCircle[] = {{250, 0},     {200, 150},  {150, 200},  {0, 250},
                                       {-150, 200},  {-200, 150}, {-250, 0},   {-200, -150},
                                       {-150, -200}, {0, -250},   {150, -200}, {200, -150}};

std::mt19937& generator() {
  static std::mt19937 g(20260);  // fixed: a run can be repeated
  return g;
}

std::vector<std::array<double, 2>> random_points(int n) {
  std::uniform_int_distribution<int> coord(-280, 280);
  std::set<std::pair<int, int>> seen;
  std::vector<std::array<double, 2>> out;
  while (static_cast<int>(out.size()) < n) {
    const int x = coord(generator()), y = coord(generator());
    if (seen.insert({x, y}).second) out.push_back({x / 100.0, y / 100.0});
  }
  return out;
}

std::vector<std::array<double, 2>> from_hundredths(std::initializer_list<std::pair<int, int>> pts) {
  std::vector<std::array<double, 2>> out;
  for (const auto& [x, y] : pts) out.push_back({x / 100.0, y / 100.0});
  return out;
}

}  // namespace

int lab_preset_count() { return kCount; }
const lab_preset& lab_preset_at(int i) { return kPresets[i]; }

std::vector<std::array<double, 2>> lab_preset_points(int i) {
  switch (kPresets[i].key) {
    case '1':
      return from_hundredths({{-150, -150}, {150, -150}, {150, 150}, {-150, 150}, {0, 0}});
    case '2':
    case '0': {
      std::vector<std::array<double, 2>> out;
      for (const auto& [x, y] : kCircle) out.push_back({x / 100.0, y / 100.0});
      if (kPresets[i].key == '2') out.push_back({0.0, 0.0});
      return out;
    }
    case '3':
      return from_hundredths(
          {{-200, -200}, {0, -200}, {200, -200}, {-120, 150}, {130, 180}, {-40, -30}, {60, 40}});
    case '4': {
      std::vector<std::array<double, 2>> out;
      for (int y = -2; y <= 2; ++y)
        for (int x = -2; x <= 2; ++x) out.push_back({x * 1.0, y * 1.0});
      return out;
    }
    case '5':
      // Every point within 0.05 of (1.00, 0.54).
      return from_hundredths(
          {{100, 54}, {104, 52}, {97, 57}, {102, 58}, {96, 51}, {99, 50}, {104, 56}, {101, 55}});
    case '6':
      return random_points(20);
    case '7':
      return random_points(50);
    case '8':
      return random_points(MAX_POINTS);
    case '9':
      return from_hundredths({{-200, -150},
                              {210, -120},
                              {160, 190},
                              {-140, 220},
                              {-240, 40},
                              {10, 20},
                              {-60, -40},
                              {90, -50},
                              {40, 110},
                              {-100, 90},
                              {250, 60},
                              {-20, -230}});
  }
  fatal_error("lab: no preset %d\n", i);
}
