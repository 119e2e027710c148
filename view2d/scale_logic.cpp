// view2d/scale_logic.cpp — the drawing scale's one value and its arithmetic.
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

int layout_px(int device_pixels) {
  return static_cast<int>(std::floor(static_cast<double>(device_pixels) / current_scale));
}

int bitmap_font_height(bitmap_font font) {
  constexpr int kHeight[BITMAP_FONT_COUNT] = {13, 15, 10, 24, 10, 12, 18};
  return kHeight[static_cast<int>(font)];
}

bitmap_font font_for_scale(bitmap_font base, float scale) {
  if (scale == 1.0f) return base;
  const int base_h = bitmap_font_height(base);
  const double want = base_h * static_cast<double>(scale);
  bitmap_font best = base;
  double best_gap = std::fabs(want - base_h);
  // Ties go to the taller font: the text is meant to grow.
  for (int k = 0; k < BITMAP_FONT_COUNT; ++k) {
    const bitmap_font f = static_cast<bitmap_font>(k);
    const int h = bitmap_font_height(f);
    if (h < base_h) continue;
    const double gap = std::fabs(want - h);
    if (gap < best_gap || (gap == best_gap && h > bitmap_font_height(best))) {
      best = f;
      best_gap = gap;
    }
  }
  return best;
}
