// Rasterising a few triangles on the CPU as the page's GPU fills them: the
// pixel centres each covers and the nearest depth at each, for the depth
// sprites of the page's GL (web/gl/savings.cpp).  No GL here.
#ifndef ZELMOR_WEB_DEPTH_SPRITE_H
#define ZELMOR_WEB_DEPTH_SPRITE_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zelmor_web {

constexpr int MAX_SPRITE = 64;  // pixels a side
constexpr uint32_t UNCOVERED = 0xFFFFFFFF;

struct depth_sprite {
  int x0 = 0, y0 = 0, w = 0, h = 0;  // canvas pixels, y up
  // Row by row from the bottom: the nearest window depth as 24 bits
  // (0 .. 2^24 - 1 for 0 .. 1), or UNCOVERED.
  std::vector<uint32_t> depth;
  uint32_t at(int x, int y) const { return depth[static_cast<size_t>(y - y0) * w + (x - x0)]; }
};

// The pixels that `count` triangles light inside the scissor s (x, y,
// width, height), each pixel with the nearest of their depths there.  Vertex
// v lies at f[v * stride + 0, 1, 2]: canvas x and y, and z in normalised
// device coordinates.  Coverage follows the GPU's rule: vertices snap to
// 1/16 pixel, and a pixel centre on an edge goes to the triangle on the
// edge's left (or, on a horizontal edge, below it: the canvas's rows are
// the GPU's upside down).  False when a corner lies outside the depth range
// or the pixels do not fit MAX_SPRITE a side.
bool rasterise_sprite(const float* f, size_t count, int stride, const int* s, depth_sprite* out);

}  // namespace zelmor_web

#endif
