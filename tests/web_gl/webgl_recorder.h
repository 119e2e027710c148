// What the page's GL asked of WebGL, for tests that run it natively.
#pragma once

#include <array>
#include <vector>

#include "web/gl/webgl.h"

struct recorded_draw {
  int program;
  bool blend, depth_test, depth_mask;
  std::vector<std::array<float, 2>> xy;  // canvas pixels, three a triangle
};
struct recorded_clear {
  int mask;  // GL's colour and depth bits
};
extern std::vector<recorded_draw> recorded_draws;
extern std::vector<recorded_clear> recorded_clears;
