// view2d/scale_logic.cpp — the drawing scale's one value.
#include "view2d/scale.h"

#include <cmath>

namespace {
float current_scale = 1.0f;
}

float draw_scale() { return current_scale; }

void set_draw_scale(float scale) {
  if (!std::isfinite(scale)) return;
  current_scale = std::fmin(std::fmax(scale, DRAW_SCALE_MIN), DRAW_SCALE_MAX);
}

int scaled_px(int layout_pixels) {
  return static_cast<int>(std::lround(static_cast<double>(layout_pixels) * current_scale));
}
