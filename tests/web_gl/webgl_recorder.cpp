// The WebGL side of the page's GL (web/gl/webgl.h) as a recorder: every
// draw and clear is kept for the tests to read.
#include "tests/web_gl/webgl_recorder.h"

#include <cstring>

std::vector<recorded_draw> recorded_draws;
std::vector<recorded_clear> recorded_clears;

extern "C" {

int zw_gl_init(int, int, int, int) { return 1; }
void zw_gl_resize(int, int) {}
void zw_gl_draw(const float* data, int count, int program, int blend, int, int, int depth, int, int depth_mask,
                int, int, int, int) {
  recorded_draw d;
  d.program = program;
  d.blend = blend != 0;
  d.depth_test = depth != 0;
  d.depth_mask = depth_mask != 0;
  const int floats = program == 0 ? 4 : 6;
  for (int v = 0; v < count; ++v) d.xy.push_back({data[v * floats], data[v * floats + 1]});
  recorded_draws.push_back(d);
}
void zw_gl_clear(int mask, float, float, float, int, int, int, int) { recorded_clears.push_back({mask}); }
void zw_gl_sprite_rows(int, int, int, const unsigned char*) {}
void zw_gl_glyph(int, int, int, int, const unsigned char*) {}
void zw_gl_read(int, int, int w, int h, unsigned char* out) { std::memset(out, 0, static_cast<size_t>(w) * h * 4); }

}
