#include "web/gl/depth_sprite.h"

#include <algorithm>
#include <cmath>

namespace zelmor_web {
namespace {

// The GPU's grid: 16 steps a pixel; pixel p's centre lies at 16 p + 8.
constexpr double SUBPIXEL = 16.0;

// The first and last pixel whose centre lies in [lo, hi] on the grid (the
// offset keeps the division on non-negative numbers).
constexpr int64_t OFFSET = 16 * 65536;
int first_pixel(int64_t lo) { return static_cast<int>((lo - 8 + 15 + OFFSET) / 16 - OFFSET / 16); }
int last_pixel(int64_t hi) { return static_cast<int>((hi - 8 + OFFSET) / 16 - OFFSET / 16); }

}  // namespace

bool rasterise_sprite(const float* f, size_t count, int stride, const int* s, depth_sprite* out) {
  if (count == 0) return false;
  float x_lo = f[0], x_hi = f[0], y_lo = f[1], y_hi = f[1];
  for (size_t v = 0; v < 3 * count; ++v) {
    const float* p = f + v * stride;
    if (!(std::fabs(p[2]) < 1.0f) || !(std::fabs(p[0]) < 65536.0f) || !(std::fabs(p[1]) < 65536.0f))
      return false;
    x_lo = std::min(x_lo, p[0]);
    x_hi = std::max(x_hi, p[0]);
    y_lo = std::min(y_lo, p[1]);
    y_hi = std::max(y_hi, p[1]);
  }
  // Pixel centres within the box, widened by a pixel for the snapping, and
  // within the scissor.
  const int x0 = std::max(static_cast<int>(std::ceil(x_lo - 0.5f)) - 1, s[0]);
  const int y0 = std::max(static_cast<int>(std::ceil(y_lo - 0.5f)) - 1, s[1]);
  const int x1 = std::min(static_cast<int>(std::floor(x_hi - 0.5f)) + 1, s[0] + s[2] - 1);
  const int y1 = std::min(static_cast<int>(std::floor(y_hi - 0.5f)) + 1, s[1] + s[3] - 1);
  if (x1 < x0 || y1 < y0 || x1 - x0 >= MAX_SPRITE || y1 - y0 >= MAX_SPRITE) return false;
  out->x0 = x0;
  out->y0 = y0;
  out->w = x1 - x0 + 1;
  out->h = y1 - y0 + 1;
  out->depth.assign(static_cast<size_t>(out->w) * static_cast<size_t>(out->h), UNCOVERED);
  for (size_t t = 0; t < count; ++t) {
    const float* p[3] = {f + (3 * t) * stride, f + (3 * t + 1) * stride, f + (3 * t + 2) * stride};
    int64_t X[3], Y[3];
    for (int k = 0; k < 3; ++k) {
      X[k] = std::llround(p[k][0] * SUBPIXEL);
      Y[k] = std::llround(p[k][1] * SUBPIXEL);
    }
    const int64_t area = (X[1] - X[0]) * (Y[2] - Y[0]) - (Y[1] - Y[0]) * (X[2] - X[0]);
    if (area == 0) continue;
    // Window depth, planar over the (unsnapped) triangle.
    double z[3];
    for (int k = 0; k < 3; ++k) z[k] = 0.5 * p[k][2] + 0.5;
    const double ux = p[1][0] - p[0][0], uy = p[1][1] - p[0][1];
    const double vx = p[2][0] - p[0][0], vy = p[2][1] - p[0][1];
    const double det = ux * vy - uy * vx;
    if (det == 0) continue;
    const double dzdx = ((z[1] - z[0]) * vy - (z[2] - z[0]) * uy) / det;
    const double dzdy = ((z[2] - z[0]) * ux - (z[1] - z[0]) * vx) / det;
    const int px_lo = std::max(x0, first_pixel(std::min({X[0], X[1], X[2]})));
    const int px_hi = std::min(x1, last_pixel(std::max({X[0], X[1], X[2]})));
    const int py_lo = std::max(y0, first_pixel(std::min({Y[0], Y[1], Y[2]})));
    const int py_hi = std::min(y1, last_pixel(std::max({Y[0], Y[1], Y[2]})));
    for (int py = py_lo; py <= py_hi; ++py) {
      const int64_t cy = int64_t{py} * 16 + 8;
      for (int px = px_lo; px <= px_hi; ++px) {
        const int64_t cx = int64_t{px} * 16 + 8;
        bool inside = true;
        for (int e = 0; e < 3 && inside; ++e) {
          // Edge e, directed so that the inside lies on its left.
          int64_t ex = X[(e + 1) % 3] - X[e], ey = Y[(e + 1) % 3] - Y[e];
          if (area < 0) {
            ex = -ex;
            ey = -ey;
          }
          const int64_t side = ex * (cy - Y[e]) - ey * (cx - X[e]);
          // A centre on the edge: the GPU's top-left rule, in its rows.
          inside = side > 0 || (side == 0 && (ey < 0 || (ey == 0 && ex > 0)));
        }
        if (!inside) continue;
        const double zc = z[0] + dzdx * (px + 0.5 - p[0][0]) + dzdy * (py + 0.5 - p[0][1]);
        const uint32_t d = static_cast<uint32_t>(std::llround(std::clamp(zc, 0.0, 1.0) * 16777215.0));
        uint32_t& at = out->depth[static_cast<size_t>(py - y0) * out->w + (px - x0)];
        at = std::min(at, d);
      }
    }
  }
  return true;
}

}  // namespace zelmor_web
