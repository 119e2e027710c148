#include "web/gl/batch.h"

#include <GL/gl.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "web/gl/webgl.h"

namespace zelmor_web {

float_buffer batch;
long flushes = 0;
bool sprite_program = false;
long draw_calls = 0;
long triangles_drawn = 0;

float* float_buffer::grow(size_t n) {
  if (size_ + n > capacity_) {
    capacity_ = std::max(2 * capacity_, size_ + n);
    std::unique_ptr<float[]> bigger(new float[capacity_]);  // left uninitialised
    if (size_ != 0) std::memcpy(bigger.get(), data_.get(), size_ * sizeof(float));
    data_ = std::move(bigger);
  }
  float* at = data_.get() + size_;
  size_ += n;
  return at;
}

bool shelf_packer::place(int w, int h, int* x, int* y) {
  if (x_ + w > size_) {
    y_ += h_;
    x_ = h_ = 0;
  }
  if (y_ + h > size_) return false;
  *x = x_;
  *y = y_;
  x_ += w + gap_;
  h_ = std::max(h_, h + gap_);
  return true;
}

namespace {

int canvas_w = 1, canvas_h = 1;

struct batch_key {
  int program;
  bool blend, depth_test, depth_mask;
  int blend_src, blend_dst, depth_func;
  int scissor[4];
  bool operator==(const batch_key& o) const {
    return program == o.program && blend == o.blend && depth_test == o.depth_test &&
           depth_mask == o.depth_mask && blend_src == o.blend_src && blend_dst == o.blend_dst &&
           depth_func == o.depth_func && std::equal(scissor, scissor + 4, o.scissor);
  }
};

batch_key batch_state{};

// The sprite atlas's rows that changed since the last draw.
const unsigned char* sprite_texels = nullptr;
int dirty_from = INT_MAX, dirty_to = 0;

void send_sprite_rows() {
  if (dirty_from >= dirty_to) return;
  zw_gl_sprite_rows(dirty_from, dirty_to - dirty_from, SPRITE_ATLAS_SIZE, sprite_texels);
  dirty_from = INT_MAX;
  dirty_to = 0;
}

}  // namespace

void current_scissor(int* s) {
  const context& c = *current;
  int x0 = std::max(c.clip[0], c.origin_x + c.viewport[0]);
  int y0 = std::max(c.clip[1], c.origin_y + c.viewport[1]);
  int x1 = std::min(c.clip[0] + c.clip[2], c.origin_x + c.viewport[0] + c.viewport[2]);
  int y1 = std::min(c.clip[1] + c.clip[3], c.origin_y + c.viewport[1] + c.viewport[3]);
  s[0] = x0;
  s[1] = y0;
  s[2] = std::max(0, x1 - x0);
  s[3] = std::max(0, y1 - y0);
}

const int* batch_scissor() { return batch_state.scissor; }

void begin_output(int program, bool blend) {
  const context& c = *current;
  batch_key k{};
  k.program = program;
  k.blend = blend;
  k.depth_test = c.depth_test;
  // Without the depth test nothing is written to the depth buffer either.
  k.depth_mask = c.depth_mask;
  k.blend_src = c.blend_src;
  k.blend_dst = c.blend_dst;
  k.depth_func = c.depth_func;
  current_scissor(k.scissor);
  if (!batch.empty() && !(k == batch_state)) flush();
  batch_state = k;
}

void put(float x, float y, float z, const float* c) {
  float* o = batch.grow(PLAIN_FLOATS);
  o[0] = x;
  o[1] = y;
  o[2] = 2.0f * z - 1.0f;
  unsigned char bytes[4];
  for (int k = 0; k < 4; ++k)  // rounded to nearest, without a call per channel
    bytes[k] = static_cast<unsigned char>(std::clamp(c[k], 0.0f, 1.0f) * 255.0f + 0.5f);
  std::memcpy(o + 3, bytes, 4);
}

void put_glyph_vertex(float x, float y, float z, const float* c, float u, float v) {
  put(x, y, z, c);
  float* o = batch.grow(2);
  o[0] = u;
  o[1] = v;
}

void rect(float x0, float y0, float x1, float y1, float z, const float* c) {
  put(x0, y0, z, c);
  put(x1, y0, z, c);
  put(x1, y1, z, c);
  put(x0, y0, z, c);
  put(x1, y1, z, c);
  put(x0, y1, z, c);
}

void sprite_rows_changed(const unsigned char* texels, int from, int to) {
  sprite_texels = texels;
  dirty_from = std::min(dirty_from, from);
  dirty_to = std::max(dirty_to, to);
}

void upload_glyph(int x, int y, int w, int h, const unsigned char* alpha) { zw_gl_glyph(x, y, w, h, alpha); }

void set_canvas_size(int width, int height) {
  canvas_w = width;
  canvas_h = height;
}

void resize_canvas(int width, int height) {
  flush();
  set_canvas_size(width, height);
  zw_gl_resize(width, height);
}

bool gl_start() {
  const int status = zw_gl_init(canvas_w, canvas_h, ATLAS_SIZE, SPRITE_ATLAS_SIZE);
  sprite_program = status == 2;
  return status != 0;
}

void flush() {
  ++flushes;
  if (batch.empty()) return;
  send_sprite_rows();
  const batch_key& k = batch_state;
  // Sprite quads have the glyph quads' layout, texture coordinates and all.
  const int floats = k.program == PLAIN ? PLAIN_FLOATS : GLYPH_FLOATS;
  zw_gl_draw(batch.data(), static_cast<int>(batch.size() / floats), k.program, k.blend, k.blend_src, k.blend_dst,
             k.depth_test, k.depth_func, k.depth_mask, k.scissor[0], k.scissor[1], k.scissor[2], k.scissor[3]);
  ++draw_calls;
  triangles_drawn += static_cast<long>(batch.size() / (3 * floats));
  batch.clear();
}

void clear_canvas(int x, int y, int w, int h) {
  flush();
  zw_gl_clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT, 0.957f, 0.957f, 0.957f, x, y, w, h);
}

void read_canvas(int x, int y, int w, int h, unsigned char* out) {
  flush();
  zw_gl_read(x, y, w, h, out);
}

void clear_window(unsigned mask) {
  flush();
  const context& c = *current;
  const float* k = c.clear_colour;
  unsigned bits = mask & (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  if (!c.depth_mask) bits &= ~static_cast<unsigned>(GL_DEPTH_BUFFER_BIT);
  // The window has no alpha channel to clear (see zw_gl_init).
  zw_gl_clear(static_cast<int>(bits), k[0], k[1], k[2], c.clip[0], c.clip[1], c.clip[2], c.clip[3]);
}

}  // namespace zelmor_web
