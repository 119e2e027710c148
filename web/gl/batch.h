// web/gl/batch.h — the batch: triangles in canvas pixels gathered into one
// vertex buffer and drawn by WebGL in one call whenever the drawing state
// (program, blending, depth, window) changes, the buffer is cleared, or a
// window swaps its buffers.  Knows the context's state (web/gl/state.h) and
// WebGL (web/gl/webgl.h), nothing above.
#pragma once

#include <cstddef>
#include <memory>

#include "web/gl/state.h"

namespace zelmor_web {

// A vertex: canvas x, y, NDC z and the colour as four bytes (in the place of
// a fourth float), and in a batch of glyph or sprite quads the atlas's u, v
// too.  The framebuffer keeps 8 bits a channel, so bytes lose nothing a flat
// colour shows, and halve what the GPU reads.
constexpr int PLAIN_FLOATS = 4, GLYPH_FLOATS = 6;

// The batch's shader program: plain triangles, glyph quads from the glyph
// atlas, depth sprites from the sprite atlas.
enum program_kind { PLAIN = 0, GLYPHS = 1, SPRITES = 2 };

// The atlases' sizes in texels a side.
constexpr int ATLAS_SIZE = 512;
constexpr int SPRITE_ATLAS_SIZE = 1024;

// A vertex in window coordinates as the pipeline produces it.
struct vtx {
  float x, y, z;  // canvas pixels, window depth 0 .. 1
  float c[4];
};

// A vector of floats that grows without first clearing what the caller
// writes at once.
class float_buffer {
 public:
  float* grow(size_t n);
  const float* data() const { return data_.get(); }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  void clear() { size_ = 0; }

 private:
  std::unique_ptr<float[]> data_;
  size_t size_ = 0, capacity_ = 0;
};

extern float_buffer batch;
// Calls of flush(), each of which may empty the batch.
extern long flushes;
// Whether WebGL could make the depth sprites' program.
extern bool sprite_program;

// The part of the canvas the current window may draw on: its visible
// rectangle cut to its viewport.
void current_scissor(int* s);
// The scissor of what the batch holds.
const int* batch_scissor();

// Makes ready for output of the program under the current context's depth
// state and scissor, blended when blend is true (the context's blending;
// false for output that a replacing blend would leave as it is): what is
// gathered under another state is drawn first.
void begin_output(int program, bool blend);

void put(float x, float y, float z, const float* c);
void put_glyph_vertex(float x, float y, float z, const float* c, float u, float v);
// An axis-aligned quad of one colour and depth.
void rect(float x0, float y0, float x1, float y1, float z, const float* c);

// Rows from .. to - 1 of the sprite atlas's texels (kept by the caller, who
// keeps them unchanged until the next flush) to send before the next draw.
void sprite_rows_changed(const unsigned char* texels, int from, int to);
// Sends a block of the glyph atlas.
void upload_glyph(int x, int y, int w, int h, const unsigned char* alpha);

// Rectangles packed into a square texture in shelves, left to right and
// shelf above shelf, `gap` texels apart.
class shelf_packer {
 public:
  shelf_packer(int size, int gap) : size_(size), gap_(gap) {}
  // Where a w x h rectangle goes; false when the texture is full.
  bool place(int w, int h, int* x, int* y);
  void empty() { x_ = y_ = h_ = 0; }

 private:
  int size_, gap_;
  int x_ = 0, y_ = 0, h_ = 0;  // the shelf being filled: where next, its height
};

}  // namespace zelmor_web

// --- Also what the GLUT layer uses (web/gl/gl_web.h).
namespace zelmor_web {

// The canvas's size in pixels; set once the windows are placed.
void set_canvas_size(int width, int height);
// A new size for the canvas of a running page (a new drawing scale): what
// was gathered is drawn first, then the canvas is cleared at its new size.
void resize_canvas(int width, int height);
// Makes the WebGL context; false without WebGL.
bool gl_start();
// Draws every gathered triangle (at a buffer swap, before a clear, and
// whenever the drawing state changes).
void flush();
// Fills a rectangle of the canvas (bottom-left origin) with the page's
// background, where no window is.
void clear_canvas(int x, int y, int w, int h);
// Reads canvas pixels (bottom-left origin) after drawing what is pending.
void read_canvas(int x, int y, int w, int h, unsigned char* out);
// Clears the current window's visible rectangle (GL's mask bits).
void clear_window(unsigned mask);
// Number of WebGL draw calls and of triangles drawn since start-up, for the
// benchmark.
extern long draw_calls;
extern long triangles_drawn;

}  // namespace zelmor_web
