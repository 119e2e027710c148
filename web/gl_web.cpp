// The web edition's OpenGL 1.x, for the immediate-mode subset the program
// uses.  Emscripten's own legacy-GL emulation issues one WebGL draw call per
// glBegin/glEnd, ignores colour material, aborts on back-face materials and
// GL_POLYGON and draws every line one pixel wide; this layer instead does
// what a software fixed pipeline does:
//
//  * every vertex is transformed (modelview, projection, viewport) and lit
//    on the CPU at glVertex time, so the GPU only fills triangles with
//    interpolated colours in canvas pixels;
//  * lines of any width become quads widened along the minor axis, points
//    become squares, bitmaps become runs of pixel-sized quads at the raster
//    position's depth;
//  * all of it collects in one vertex buffer that is drawn in a single call
//    whenever the drawing state (blending, depth test, window) changes, the
//    buffer is cleared, or a window swaps its buffers;
//  * what cannot change a pixel is left out of the buffer: triangles that
//    cover no pixel centre, and the back faces of an opaque closed solid
//    under the depth test (the GPU's cost grows with the triangle count far
//    more than with the pixels filled);
//  * a bitmap becomes one quad textured from a glyph atlas, so that a label
//    costs a triangle pair per character rather than one per run of set
//    bits; glyph quads go in batches of their own, drawn by a second
//    program, so that the texture fetch is paid by text pixels alone.
#include "web/gl_web.h"
#include "web/depth_sprite.h"

#include <GL/gl.h>
#include <emscripten.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>

namespace zelmor_web {

context* current = nullptr;
long draw_calls = 0;

bool drawing_savings = true;
bool depth_sprites = true;
long sprite_atlas_starts = 0;  // also tells kept sprites from before a fresh start
long triangles_drawn = 0;

namespace {

int canvas_w = 1, canvas_h = 1;

// --- Matrices: column-major single precision, as the desktop driver keeps them.

void identity(float* m) {
  for (int i = 0; i < 16; ++i) m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

// m = m * b
void mult(float* m, const float* b) {
  float r[16];
  for (int c = 0; c < 4; ++c)
    for (int row = 0; row < 4; ++row) {
      float s = 0;
      for (int k = 0; k < 4; ++k) s += m[k * 4 + row] * b[c * 4 + k];
      r[c * 4 + row] = s;
    }
  std::memcpy(m, r, sizeof r);
}

void apply(const float* m, const float* v, float* out) {
  for (int row = 0; row < 4; ++row)
    out[row] = m[row] * v[0] + m[4 + row] * v[1] + m[8 + row] * v[2] + m[12 + row] * v[3];
}

// The matrix that a matrix call changes; every caller may change it.
float* top_matrix() {
  context& c = *current;
  ++c.matrix_changes;
  if (c.matrix_mode == GL_PROJECTION) return c.projection[c.projection_depth];
  return c.modelview[c.modelview_depth];
}

// --- The batch: canvas x, y, NDC z and the colour as four bytes (in the
// place of a fourth float) per vertex, and in a batch of glyph quads the
// atlas's u, v too; triangles only.  The framebuffer keeps 8 bits a channel,
// so bytes lose nothing a flat colour shows, and halve what the GPU reads.

constexpr int PLAIN_FLOATS = 4, GLYPH_FLOATS = 6;

// The batch's shader program: plain triangles, glyph quads from the glyph
// atlas, depth sprites from the sprite atlas.
enum program_kind { PLAIN = 0, GLYPHS = 1, SPRITES = 2 };

struct batch_key {
  int program;
  bool blend, depth_test;
  int blend_src, blend_dst, depth_func;
  int scissor[4];
  bool operator==(const batch_key& o) const {
    return program == o.program && blend == o.blend && depth_test == o.depth_test && blend_src == o.blend_src &&
           blend_dst == o.blend_dst && depth_func == o.depth_func &&
           std::equal(scissor, scissor + 4, o.scissor);
  }
};

// A vector of floats that grows without first clearing what the caller
// writes at once.
class float_buffer {
 public:
  float* grow(size_t n) {
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
  const float* data() const { return data_.get(); }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  void clear() { size_ = 0; }

 private:
  std::unique_ptr<float[]> data_;
  size_t size_ = 0, capacity_ = 0;
};

float_buffer batch;
batch_key batch_state{};
long flushes = 0;  // calls of flush(), each of which may empty the batch

// The part of the canvas the current window may draw on: its visible
// rectangle cut to its viewport.
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

// The drawing state for what comes next.  Output that is opaque (every
// alpha 1) under a blend that then just replaces the pixel is drawn with
// blending off, the same pixels for less work per pixel, so that the
// opaque parts of a scene batch together.
// True when drawing output (opaque: every alpha 1) under c's blending leaves
// exactly the output in the pixel, as with no blending.
bool blend_replaces(const context& c, bool opaque) {
  return !c.blend || (c.blend_src == GL_ONE && c.blend_dst == GL_ZERO) ||
         (c.blend_src == GL_SRC_ALPHA && c.blend_dst == GL_ONE_MINUS_SRC_ALPHA && opaque);
}

batch_key state_now(int program, bool opaque) {
  const context& c = *current;
  batch_key k{};
  k.program = program;
  k.blend = c.blend && !(drawing_savings && blend_replaces(c, opaque));
  k.depth_test = c.depth_test;
  k.blend_src = c.blend_src;
  k.blend_dst = c.blend_dst;
  k.depth_func = c.depth_func;
  current_scissor(k.scissor);
  return k;
}

struct vtx {
  float x, y, z;  // canvas pixels, window depth 0 .. 1
  float c[4];
};

void begin_output(int program, bool opaque) {
  const batch_key k = state_now(program, opaque);
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

// True when the triangle contains no pixel centre (i + 0.5, j + 0.5) of the
// batch's drawing rectangle: such a triangle lights no pixel under any tie
// rule.  The triangle is widened by SNAP_SLACK pixels for the test: the GPU
// moves vertices to its sub-pixel grid and rounds its edge tests, and a
// test with 1/32 of a pixel (measured on SwiftShader) still left out
// triangles that lit a pixel; 1/8 leaves out none of a crowded scene's.
// Small triangles are tested centre by centre, larger ones only by their
// bounding box.
constexpr float SNAP_SLACK = 1.0f / 8.0f;

bool covers_no_pixel(const vtx& a, const vtx& b, const vtx& c) {
  const float x0 = std::min({a.x, b.x, c.x}), x1 = std::max({a.x, b.x, c.x});
  const float y0 = std::min({a.y, b.y, c.y}), y1 = std::max({a.y, b.y, c.y});
  const int* s = batch_state.scissor;
  const float first_x = std::max(std::ceil(x0 - 0.5f - SNAP_SLACK), static_cast<float>(s[0]));
  const float last_x = std::min(std::floor(x1 - 0.5f + SNAP_SLACK), static_cast<float>(s[0] + s[2] - 1));
  const float first_y = std::max(std::ceil(y0 - 0.5f - SNAP_SLACK), static_cast<float>(s[1]));
  const float last_y = std::min(std::floor(y1 - 0.5f + SNAP_SLACK), static_cast<float>(s[1] + s[3] - 1));
  if (!(first_x <= last_x && first_y <= last_y)) return true;  // also for NaN corners
  if ((last_x - first_x + 1) * (last_y - first_y + 1) > 16) return false;
  const double area = (static_cast<double>(b.x) - a.x) * (static_cast<double>(c.y) - a.y) -
                      (static_cast<double>(b.y) - a.y) * (static_cast<double>(c.x) - a.x);
  if (area == 0) return false;
  // Each edge as a line function, positive on the inner side:
  // side(x, y) = A x + B y + C, twice the signed area of (p, q, (x, y)).
  const vtx* v[3] = {&a, &b, &c};
  const double sign = area > 0 ? 1.0 : -1.0;
  double A[3], B[3], C[3], slack2[3];
  for (int e = 0; e < 3; ++e) {
    const vtx& p = *v[e];
    const vtx& q = *v[(e + 1) % 3];
    const double ex = static_cast<double>(q.x) - p.x, ey = static_cast<double>(q.y) - p.y;
    A[e] = -ey * sign;
    B[e] = ex * sign;
    C[e] = (ey * p.x - ex * p.y) * sign;
    // side / length is the distance from the edge: within SNAP_SLACK of it
    // counts as inside.
    slack2[e] = static_cast<double>(SNAP_SLACK) * SNAP_SLACK * (ex * ex + ey * ey);
  }
  for (float py = first_y; py <= last_y; ++py)
    for (float px = first_x; px <= last_x; ++px) {
      bool inside = true;
      for (int e = 0; e < 3 && inside; ++e) {
        const double side = A[e] * (px + 0.5) + B[e] * (py + 0.5) + C[e];
        inside = side >= 0 || side * side <= slack2[e];
      }
      if (inside) return false;
    }
  return true;
}

// True for a back face of the closed convex solid being drawn (a GLUT
// sphere or cube) when it cannot show: under a depth test that keeps the
// nearer fragment, and with no blending or a blend that replaces the pixel,
// the solid's front faces cover exactly the pixels its back faces cover and
// lie in front of them.  Back means that the face's normal, turned away from
// the solid's centre, points to greater depth in window space (a projective
// image of the solid, so orientation needs no winding convention).
bool hidden_back_face(const vtx& a, const vtx& b, const vtx& c) {
  const context& k = *current;
  if (!k.solid_open || !k.solid_centre_ok || !k.depth_test) return false;
  if (k.depth_func != GL_LESS && k.depth_func != GL_LEQUAL) return false;
  if (!blend_replaces(k, a.c[3] == 1.0f && b.c[3] == 1.0f && c.c[3] == 1.0f)) return false;
  const float ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
  const float vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
  const float nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
  const float* o = k.solid_centre;
  const float outward = nx * (a.x - o[0]) + ny * (a.y - o[1]) + nz * (a.z - o[2]);
  if (!(outward != 0.0f)) return false;
  return (outward > 0 ? nz : -nz) > 0;
}

void triangle(const vtx& a, const vtx& b, const vtx& c) {
  if (drawing_savings && (hidden_back_face(a, b, c) || covers_no_pixel(a, b, c))) return;
  put(a.x, a.y, a.z, a.c);
  put(b.x, b.y, b.z, b.c);
  put(c.x, c.y, c.z, c.c);
}

// An axis-aligned quad of one colour and depth.
void rect(float x0, float y0, float x1, float y1, float z, const float* c) {
  put(x0, y0, z, c);
  put(x1, y0, z, c);
  put(x1, y1, z, c);
  put(x0, y0, z, c);
  put(x1, y1, z, c);
  put(x0, y1, z, c);
}

// Where pixel-centre ties between two rasterisers could go either way, these
// nudges settle them as the desktop's software rasteriser does: a point of
// even size centred on a pixel centre covers the pixels up and to the right
// of the tie (measured against the desktop's frames).  Lines are left to
// the GPU's own tie rule, which matched the desktop's best of the nudges
// tried; their nudge lies below its sub-pixel grid.
constexpr float LINE_NUDGE = 1.0f / 64.0f;
constexpr float POINT_NUDGE = 1.0f / 8.0f;

// A non-antialiased wide line as the fixed pipeline draws it: a parallelogram
// that spans the line's run along its major axis and `width` pixels along
// the minor one.  Fragments start at the first endpoint and stop short of
// the second.
void line(const vtx& a, const vtx& b, float width) {
  const float w = std::max(1.0f, width);
  const float h = 0.5f * w;
  const float dx = b.x - a.x, dy = b.y - a.y;
  if (dx == 0 && dy == 0) return;
  vtx p[4] = {a, a, b, b};
  if (std::fabs(dx) >= std::fabs(dy)) {
    const float s = dx > 0 ? -LINE_NUDGE : LINE_NUDGE;
    for (auto& v : p) v.x += s;
    p[0].y -= h; p[1].y += h; p[2].y += h; p[3].y -= h;
    for (auto& v : p) v.y -= LINE_NUDGE;
  } else {
    const float s = dy > 0 ? -LINE_NUDGE : LINE_NUDGE;
    for (auto& v : p) v.y += s;
    p[0].x -= h; p[1].x += h; p[2].x += h; p[3].x -= h;
    for (auto& v : p) v.x -= LINE_NUDGE;
  }
  triangle(p[0], p[1], p[2]);
  triangle(p[0], p[2], p[3]);
}

vtx between(const vtx& a, const vtx& b, float t) {
  vtx v;
  v.x = a.x + (b.x - a.x) * t;
  v.y = a.y + (b.y - a.y) * t;
  v.z = a.z + (b.z - a.z) * t;
  for (int k = 0; k < 4; ++k) v.c[k] = a.c[k] + (b.c[k] - a.c[k]) * t;
  return v;
}

// A line under the current stipple: one fragment per pixel step along the
// major axis, drawn where the pattern's bit (low bit first, each held for
// `factor` steps) is set; *count carries the pattern along a strip.
void stippled_line(const vtx& a, const vtx& b, float width, int* count) {
  const context& c = *current;
  if (!c.line_stipple) {
    line(a, b, width);
    return;
  }
  const int steps = static_cast<int>(std::lround(std::max(std::fabs(b.x - a.x), std::fabs(b.y - a.y))));
  const int factor = std::max(1, c.stipple_factor);
  int run = -1;  // the first step of the run of set bits being gathered
  for (int k = 0; k <= steps; ++k) {
    const bool on = k < steps && ((c.stipple_pattern >> ((*count / factor) % 16)) & 1);
    if (k < steps) ++*count;
    if (on && run < 0) run = k;
    if (!on && run >= 0) {
      line(between(a, b, static_cast<float>(run) / steps), between(a, b, static_cast<float>(k) / steps), width);
      run = -1;
    }
  }
}

void point(const vtx& v, float size) {
  const float h = 0.5f * std::max(1.0f, std::round(size));
  const float x = v.x + POINT_NUDGE, y = v.y + POINT_NUDGE;
  rect(x - h, y - h, x + h, y + h, v.z, v.c);
}

// --- Lighting: one-sided, infinite viewer, the front material.

void normalise3(float* v) {
  const float l = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (l > 0) {
    v[0] /= l;
    v[1] /= l;
    v[2] /= l;
  }
}

// The normal in eye coordinates: the inverse transpose of the modelview's
// upper 3 x 3 (its cofactor matrix, up to a scale that normalisation removes
// when GL_NORMALIZE is on and that the program never relies on otherwise).
void eye_normal(const float* m, const float* n, float* out) {
  const float a = m[0], b = m[4], c = m[8];
  const float d = m[1], e = m[5], f = m[9];
  const float g = m[2], h = m[6], i = m[10];
  const float co[9] = {e * i - f * h, -(d * i - f * g), d * h - e * g,
                       -(b * i - c * h), a * i - c * g, -(a * h - b * g),
                       b * f - c * e, -(a * f - c * d), a * e - b * d};
  const float det = a * co[0] + b * co[1] + c * co[2];
  const float inv = det != 0 ? 1.0f / det : 1.0f;
  // (M^-1)^T = cofactor / det, co holding the cofactors row by row
  out[0] = (co[0] * n[0] + co[1] * n[1] + co[2] * n[2]) * inv;
  out[1] = (co[3] * n[0] + co[4] * n[1] + co[5] * n[2]) * inv;
  out[2] = (co[6] * n[0] + co[7] * n[1] + co[8] * n[2]) * inv;
}

// The product of the two matrices and the normal matrix, when they changed.
void derive(const context& cc) {
  context& c = const_cast<context&>(cc);
  if (c.derived_at == c.matrix_changes) return;
  float* mvp = c.model_view_projection;
  std::memcpy(mvp, c.projection[c.projection_depth], 64);
  mult(mvp, c.modelview[c.modelview_depth]);
  for (int k = 0; k < 3; ++k) {
    const float axis[3] = {k == 0 ? 1.0f : 0.0f, k == 1 ? 1.0f : 0.0f, k == 2 ? 1.0f : 0.0f};
    float col[3];
    eye_normal(c.modelview[c.modelview_depth], axis, col);
    for (int r = 0; r < 3; ++r) c.normal_matrix[r * 3 + k] = col[r];
  }
  c.derived_at = c.matrix_changes;
}

void lit_colour(const context& c, float* out) {
  const material_state& m = c.front;
  derive(c);
  const float* q = c.normal_matrix;
  const float* cn = c.normal;
  float n[3] = {q[0] * cn[0] + q[1] * cn[1] + q[2] * cn[2], q[3] * cn[0] + q[4] * cn[1] + q[5] * cn[2],
                q[6] * cn[0] + q[7] * cn[1] + q[8] * cn[2]};
  if (c.normalize) normalise3(n);
  float r[3];
  for (int k = 0; k < 3; ++k) r[k] = m.emission[k] + c.model_ambient[k] * m.ambient[k];
  for (const light_state& l : c.lights) {
    if (!l.on) continue;
    const float* L = l.direction;
    const float ndl = std::max(0.0f, n[0] * L[0] + n[1] * L[1] + n[2] * L[2]);
    float highlight = 0;
    const bool shiny = m.specular[0] != 0 || m.specular[1] != 0 || m.specular[2] != 0;
    if (ndl > 0 && shiny) {
      const float* H = l.half;
      const float ndh = n[0] * H[0] + n[1] * H[1] + n[2] * H[2];
      if (ndh > 0) highlight = std::pow(ndh, m.shininess);
    }
    for (int k = 0; k < 3; ++k)
      r[k] += l.ambient[k] * m.ambient[k] + ndl * l.diffuse[k] * m.diffuse[k] +
              highlight * l.specular[k] * m.specular[k];
  }
  for (int k = 0; k < 3; ++k) out[k] = std::clamp(r[k], 0.0f, 1.0f);
  out[3] = std::clamp(m.diffuse[3], 0.0f, 1.0f);
}

void track_colour(context& c) {
  if (!c.colour_material) return;
  const int face = c.colour_material_face;
  const int mode = c.colour_material_mode;
  for (material_state* m : {&c.front, &c.back}) {
    if ((m == &c.front && face == GL_BACK) || (m == &c.back && face == GL_FRONT)) continue;
    float* dst[2] = {nullptr, nullptr};
    if (mode == GL_DIFFUSE || mode == GL_AMBIENT_AND_DIFFUSE) dst[0] = m->diffuse;
    if (mode == GL_AMBIENT || mode == GL_AMBIENT_AND_DIFFUSE) dst[1] = m->ambient;
    if (mode == GL_SPECULAR) dst[0] = m->specular;
    if (mode == GL_EMISSION) dst[0] = m->emission;
    for (float* d : dst)
      if (d != nullptr) std::memcpy(d, c.colour, 4 * sizeof(float));
  }
}

// Object coordinates to window coordinates on the canvas; false when the
// point lies outside the clip volume.
bool to_window(const context& c, const float* obj, float* win) {
  float clip[4];
  derive(c);
  apply(c.model_view_projection, obj, clip);
  const float w = clip[3];
  const bool inside = w > 0 && std::fabs(clip[0]) <= w && std::fabs(clip[1]) <= w &&
                      std::fabs(clip[2]) <= w;
  const float iw = w != 0 ? 1.0f / w : 1.0f;
  win[0] = (clip[0] * iw + 1.0f) * 0.5f * c.viewport[2] + c.viewport[0] + c.origin_x;
  win[1] = (clip[1] * iw + 1.0f) * 0.5f * c.viewport[3] + c.viewport[1] + c.origin_y;
  win[2] = (clip[2] * iw + 1.0f) * 0.5f;
  return inside;
}

// --- Primitive assembly.

int prim_mode = -1;
std::vector<vtx> prim;

void emit_primitive() {
  const context& c = *current;
  const size_t n = prim.size();
  if (n == 0) return;
  begin_output(PLAIN, std::all_of(prim.begin(), prim.end(), [](const vtx& v) { return v.c[3] == 1.0f; }));
  switch (prim_mode) {
    case GL_POINTS:
      for (const vtx& v : prim) point(v, c.point_size);
      break;
    case GL_LINES:
      for (size_t i = 0; i + 1 < n; i += 2) {
        int count = 0;  // each separate segment starts the pattern again
        stippled_line(prim[i], prim[i + 1], c.line_width, &count);
      }
      break;
    case GL_LINE_STRIP:
    case GL_LINE_LOOP: {
      int count = 0;
      for (size_t i = 0; i + 1 < n; ++i) stippled_line(prim[i], prim[i + 1], c.line_width, &count);
      if (prim_mode == GL_LINE_LOOP && n > 2) stippled_line(prim[n - 1], prim[0], c.line_width, &count);
      break;
    }
    case GL_TRIANGLES:
      for (size_t i = 0; i + 2 < n; i += 3) triangle(prim[i], prim[i + 1], prim[i + 2]);
      break;
    case GL_TRIANGLE_STRIP:
      for (size_t i = 0; i + 2 < n; ++i) {
        if (i % 2 == 0) triangle(prim[i], prim[i + 1], prim[i + 2]);
        else triangle(prim[i + 1], prim[i], prim[i + 2]);
      }
      break;
    case GL_TRIANGLE_FAN:
    case GL_POLYGON:
      for (size_t i = 1; i + 1 < n; ++i) triangle(prim[0], prim[i], prim[i + 1]);
      break;
    case GL_QUADS:
      for (size_t i = 0; i + 3 < n; i += 4) {
        triangle(prim[i], prim[i + 1], prim[i + 2]);
        triangle(prim[i], prim[i + 2], prim[i + 3]);
      }
      break;
    case GL_QUAD_STRIP:
      for (size_t i = 0; i + 3 < n; i += 2) {
        triangle(prim[i], prim[i + 1], prim[i + 3]);
        triangle(prim[i], prim[i + 3], prim[i + 2]);
      }
      break;
    default:
      break;
  }
}

void vertex4(float x, float y, float z, float w) {
  context& c = *current;
  const float obj[4] = {x, y, z, w};
  vtx v;
  float win[3];
  to_window(c, obj, win);
  v.x = win[0];
  v.y = win[1];
  v.z = win[2];
  if (c.lighting) lit_colour(c, v.c);
  else std::memcpy(v.c, c.colour, sizeof v.c);
  prim.push_back(v);
}

// --- Display lists.

enum op_code {
  OP_BEGIN, OP_END, OP_VERTEX, OP_COLOUR, OP_NORMAL, OP_LINE_WIDTH, OP_POINT_SIZE,
  OP_ENABLE, OP_DISABLE, OP_TRANSLATE, OP_ROTATE, OP_SCALE, OP_PUSH, OP_POP,
  OP_IDENTITY, OP_MATRIX_ROW, OP_MULT, OP_CALL, OP_BITMAP, OP_BITMAP_MOVE,
  OP_SOLID_BEGIN, OP_SOLID_END
};

// True when the call is only recorded; false when it should run now.
bool record(int op, float a = 0, float b = 0, float cc = 0, float d = 0) {
  context& c = *current;
  if (c.compiling == 0) return false;
  c.lists[c.compiling - 1].push_back(list_cmd{op, {a, b, cc, d}});
  return !c.execute_while_compiling;
}

void set_enabled(GLenum cap, bool on);
void run_list(unsigned id, int depth);

}  // namespace

context::context() {
  for (auto& m : modelview) identity(m);
  for (auto& m : projection) identity(m);
  lights[0].diffuse[0] = lights[0].diffuse[1] = lights[0].diffuse[2] = 1;
  lights[0].specular[0] = lights[0].specular[1] = lights[0].specular[2] = 1;
}

namespace {

// Rectangles packed into a square texture in shelves, left to right and
// shelf above shelf, `gap` texels apart.
class shelf_packer {
 public:
  shelf_packer(int size, int gap) : size_(size), gap_(gap) {}
  // Where a w x h rectangle goes; false when the texture is full.
  bool place(int w, int h, int* x, int* y) {
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
  void empty() { x_ = y_ = h_ = 0; }

 private:
  int size_, gap_;
  int x_ = 0, y_ = 0, h_ = 0;  // the shelf being filled: where next, its height
};

// --- The glyph atlas: every distinct bitmap drawn so far, one texel a bit
// (255 set, 0 clear), packed in shelves.

constexpr int ATLAS_SIZE = 512;

struct atlas_place {
  int x, y;
};
std::unordered_map<std::string, atlas_place> atlas_places;
shelf_packer glyph_shelves(ATLAS_SIZE, 1);  // one clear texel between glyphs

void upload_glyph(int x, int y, int w, int h, const unsigned char* alpha);

// Where the bitmap's bits lie in the atlas, added on first use; false when
// it does not fit (the caller then draws it some other way).
bool atlas_find(int w, int h, const unsigned char* bits, atlas_place* out) {
  const size_t row_bytes = static_cast<size_t>((w + 7) / 8);
  std::string key(reinterpret_cast<const char*>(&w), sizeof w);
  key.append(reinterpret_cast<const char*>(&h), sizeof h);
  key.append(reinterpret_cast<const char*>(bits), row_bytes * static_cast<size_t>(h));
  if (auto it = atlas_places.find(key); it != atlas_places.end()) {
    *out = it->second;
    return true;
  }
  if (w > ATLAS_SIZE || h > ATLAS_SIZE) return false;
  atlas_place at;
  if (!glyph_shelves.place(w, h, &at.x, &at.y)) {
    // Full (a long session of changing labels): what is gathered is drawn
    // with the atlas as it is, then the atlas starts again empty.
    flush();
    atlas_places.clear();
    glyph_shelves.empty();
    glyph_shelves.place(w, h, &at.x, &at.y);
  }
  std::vector<unsigned char> alpha(static_cast<size_t>(w) * static_cast<size_t>(h));
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i)
      alpha[static_cast<size_t>(j) * w + i] = (bits[j * row_bytes + i / 8] & (0x80 >> (i % 8))) ? 255 : 0;
  upload_glyph(at.x, at.y, w, h, alpha.data());
  *out = atlas_places[key] = at;
  return true;
}

}  // namespace
}  // namespace zelmor_web

// --- WebGL side.

// clang-format off
EM_JS(int, zw_gl_init, (int width, int height, int atlasSize, int spriteSize), {
  var canvas = Module.canvas || document.getElementById('canvas');
  canvas.width = width;
  canvas.height = height;
  // The canvas has an alpha channel that always holds 1: without one, the
  // browser keeps alpha at 1 by masking it in every clear, which made each
  // clear about four times as slow.  Draws leave alpha alone; clears set it.
  var gl = canvas.getContext('webgl', {antialias: false, alpha: true, depth: true,
                                       stencil: false, preserveDrawingBuffer: true,
                                       premultipliedAlpha: false});
  if (!gl) return 0;
  var vs = 'attribute vec3 p; attribute vec4 c; uniform vec2 s; varying vec4 v;' +
           'void main() { gl_Position = vec4(p.x * 2.0 / s.x - 1.0, p.y * 2.0 / s.y - 1.0, p.z, 1.0); v = c; }';
  var fs = 'precision mediump float; varying vec4 v; void main() { gl_FragColor = v; }';
  var glyphVs = 'attribute vec3 p; attribute vec4 c; attribute vec2 t; uniform vec2 s;' +
                'varying vec4 v; varying vec2 g;' +
                'void main() { gl_Position = vec4(p.x * 2.0 / s.x - 1.0, p.y * 2.0 / s.y - 1.0, p.z, 1.0);' +
                ' v = c; g = t; }';
  // The atlas coordinates need more than mediump's 11 bits to hit texel
  // centres; a bitmap's unset bits leave the pixel as it was.
  var glyphFs = '#ifdef GL_FRAGMENT_PRECISION_HIGH\nprecision highp float;\n#else\nprecision mediump float;\n#endif\n' +
                'uniform sampler2D a; varying vec4 v; varying vec2 g;' +
                'void main() { if (texture2D(a, g).a < 0.5) discard; gl_FragColor = v; }';
  function shader(type, src) {
    var sh = gl.createShader(type); gl.shaderSource(sh, src); gl.compileShader(sh); return sh;
  }
  function program(vsText, fsText) {
    var prog = gl.createProgram();
    gl.attachShader(prog, shader(gl.VERTEX_SHADER, vsText));
    gl.attachShader(prog, shader(gl.FRAGMENT_SHADER, fsText));
    gl.bindAttribLocation(prog, 0, 'p');
    gl.bindAttribLocation(prog, 1, 'c');
    gl.bindAttribLocation(prog, 2, 't');
    gl.linkProgram(prog);
    gl.useProgram(prog);
    gl.uniform2f(gl.getUniformLocation(prog, 's'), width, height);
    return prog;
  }
  var glyphProgram = program(glyphVs, glyphFs);
  gl.uniform1i(gl.getUniformLocation(glyphProgram, 'a'), 0);
  Module.zwPrograms = [null, glyphProgram, null];
  // Depth sprites need the fragment's depth from the shader: without the
  // extension the triangles are drawn instead.
  var sprites = 0;
  if (gl.getExtension('EXT_frag_depth')) {
    var spriteFs = '#extension GL_EXT_frag_depth : require\n' +
                   '#ifdef GL_FRAGMENT_PRECISION_HIGH\nprecision highp float;\n#else\nprecision mediump float;\n#endif\n' +
                   'uniform sampler2D a; varying vec4 v; varying vec2 g;' +
                   'void main() { vec4 t = texture2D(a, g); if (t.a < 0.5) discard;' +
                   ' vec3 b = floor(t.rgb * 255.0 + 0.5);' +
                   ' gl_FragColor = v; gl_FragDepthEXT = (b.r * 65536.0 + b.g * 256.0 + b.b) / 16777215.0; }';
    var spriteProgram = program(glyphVs, spriteFs);
    if (gl.getProgramParameter(spriteProgram, gl.LINK_STATUS)) {
      gl.uniform1i(gl.getUniformLocation(spriteProgram, 'a'), 1);
      Module.zwPrograms[2] = spriteProgram;
      gl.activeTexture(gl.TEXTURE1);
      gl.bindTexture(gl.TEXTURE_2D, gl.createTexture());
      gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGBA, spriteSize, spriteSize, 0, gl.RGBA, gl.UNSIGNED_BYTE, null);
      gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MIN_FILTER, gl.NEAREST);
      gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MAG_FILTER, gl.NEAREST);
      gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_S, gl.CLAMP_TO_EDGE);
      gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_T, gl.CLAMP_TO_EDGE);
      gl.activeTexture(gl.TEXTURE0);
      sprites = 1;
    }
  }
  Module.zwPrograms[0] = program(vs, fs);
  Module.zwProgram = 0;
  var buf = gl.createBuffer();
  gl.bindBuffer(gl.ARRAY_BUFFER, buf);
  gl.enableVertexAttribArray(0);
  gl.enableVertexAttribArray(1);
  gl.vertexAttribPointer(0, 3, gl.FLOAT, false, 16, 0);
  gl.vertexAttribPointer(1, 4, gl.UNSIGNED_BYTE, true, 16, 12);
  var atlas = gl.createTexture();
  gl.bindTexture(gl.TEXTURE_2D, atlas);
  gl.texImage2D(gl.TEXTURE_2D, 0, gl.ALPHA, atlasSize, atlasSize, 0, gl.ALPHA, gl.UNSIGNED_BYTE,
                new Uint8Array(atlasSize * atlasSize));
  gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MIN_FILTER, gl.NEAREST);
  gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MAG_FILTER, gl.NEAREST);
  gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_S, gl.CLAMP_TO_EDGE);
  gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_T, gl.CLAMP_TO_EDGE);
  gl.pixelStorei(gl.UNPACK_ALIGNMENT, 1);
  gl.viewport(0, 0, width, height);
  gl.enable(gl.SCISSOR_TEST);
  gl.pixelStorei(gl.PACK_ALIGNMENT, 1);
  // Canvas pixels outside every window show the page's own background.
  gl.clearColor(0.957, 0.957, 0.957, 1.0);
  gl.clear(gl.COLOR_BUFFER_BIT | gl.DEPTH_BUFFER_BIT);
  gl.colorMask(true, true, true, false);
  Module.zwGL = gl;
  return 1 + sprites;
});

EM_JS(void, zw_gl_draw, (const float* data, int count, int program, int blend, int src, int dst,
                         int depth, int func, int sx, int sy, int sw, int sh), {
  var gl = Module.zwGL;
  if (program !== Module.zwProgram) {
    Module.zwProgram = program;
    gl.useProgram(Module.zwPrograms[program]);
    if (program) gl.enableVertexAttribArray(2); else gl.disableVertexAttribArray(2);
  }
  var stride = program ? 24 : 16;
  if (blend) { gl.enable(gl.BLEND); gl.blendFunc(src, dst); } else gl.disable(gl.BLEND);
  if (depth) { gl.enable(gl.DEPTH_TEST); gl.depthFunc(func); } else gl.disable(gl.DEPTH_TEST);
  gl.scissor(sx, sy, sw, sh);
  gl.bufferData(gl.ARRAY_BUFFER, HEAPF32.subarray(data >> 2, (data >> 2) + count * stride / 4), gl.STREAM_DRAW);
  gl.vertexAttribPointer(0, 3, gl.FLOAT, false, stride, 0);
  gl.vertexAttribPointer(1, 4, gl.UNSIGNED_BYTE, true, stride, 12);
  if (program) gl.vertexAttribPointer(2, 2, gl.FLOAT, false, stride, 16);
  gl.drawArrays(gl.TRIANGLES, 0, count);
});

EM_JS(void, zw_gl_clear, (int mask, float r, float g, float b, int sx, int sy, int sw, int sh), {
  var gl = Module.zwGL;
  gl.scissor(sx, sy, sw, sh);
  gl.clearColor(r, g, b, 1.0);
  gl.clearDepth(1.0);
  gl.depthMask(true);
  gl.colorMask(true, true, true, true);
  gl.clear(mask);
  gl.colorMask(true, true, true, false);
});

// Rows y .. y + rows - 1 of the sprite atlas, whole.
EM_JS(void, zw_gl_sprite_rows, (int y, int rows, int size, const unsigned char* rgba), {
  var gl = Module.zwGL;
  gl.activeTexture(gl.TEXTURE1);
  gl.texSubImage2D(gl.TEXTURE_2D, 0, 0, y, size, rows, gl.RGBA, gl.UNSIGNED_BYTE,
                   HEAPU8.subarray(rgba + y * size * 4, rgba + (y + rows) * size * 4));
  gl.activeTexture(gl.TEXTURE0);
});

EM_JS(void, zw_gl_glyph, (int x, int y, int w, int h, const unsigned char* alpha), {
  var gl = Module.zwGL;
  gl.texSubImage2D(gl.TEXTURE_2D, 0, x, y, w, h, gl.ALPHA, gl.UNSIGNED_BYTE,
                   HEAPU8.subarray(alpha, alpha + w * h));
});

EM_JS(void, zw_gl_read, (int x, int y, int w, int h, unsigned char* out), {
  var gl = Module.zwGL;
  gl.readPixels(x, y, w, h, gl.RGBA, gl.UNSIGNED_BYTE, HEAPU8.subarray(out, out + w * h * 4));
});
// clang-format on

namespace zelmor_web {

void set_canvas_size(int width, int height) {
  canvas_w = width;
  canvas_h = height;
}

namespace {
void upload_glyph(int x, int y, int w, int h, const unsigned char* alpha) {
  zw_gl_glyph(x, y, w, h, alpha);
}
}  // namespace

namespace {

// --- The sprite atlas: the depth sprites of plain lists (see
// run_plain_geometry), kept here and sent by the rows that changed before
// the next draw.
constexpr int SPRITE_ATLAS_SIZE = 1024;
bool sprites_available = false;
std::vector<unsigned char> sprite_texels;  // RGBA rows
shelf_packer sprite_shelves(SPRITE_ATLAS_SIZE, 0);
int dirty_from = INT_MAX, dirty_to = 0;

void send_sprite_rows() {
  if (dirty_from >= dirty_to) return;
  zw_gl_sprite_rows(dirty_from, dirty_to - dirty_from, SPRITE_ATLAS_SIZE, sprite_texels.data());
  dirty_from = INT_MAX;
  dirty_to = 0;
}

}  // namespace

bool gl_start() {
  const int status = zw_gl_init(canvas_w, canvas_h, ATLAS_SIZE, SPRITE_ATLAS_SIZE);
  sprites_available = status == 2;
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
             k.depth_test, k.depth_func, k.scissor[0], k.scissor[1], k.scissor[2], k.scissor[3]);
  ++draw_calls;
  triangles_drawn += static_cast<long>(batch.size() / (3 * floats));
  batch.clear();
}

void begin_closed_solid() {
  context& c = *current;
  if (record(OP_SOLID_BEGIN)) return;
  const float origin[4] = {0, 0, 0, 1};
  float clip[4];
  derive(c);
  apply(c.model_view_projection, origin, clip);
  c.solid_open = true;
  to_window(c, origin, c.solid_centre);
  // A centre at or behind the eye has no window position to orient faces by.
  c.solid_centre_ok = clip[3] > 0;
}

void end_closed_solid() {
  if (record(OP_SOLID_END)) return;
  current->solid_open = false;
}

void clear_canvas(int x, int y, int w, int h) {
  flush();
  zw_gl_clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT, 0.957f, 0.957f, 0.957f, x, y, w, h);
}

// Reads canvas pixels (bottom-left origin) after drawing what is pending.
void read_canvas(int x, int y, int w, int h, unsigned char* out) {
  flush();
  zw_gl_read(x, y, w, h, out);
}

namespace {

void set_enabled(GLenum cap, bool on) {
  context& c = *current;
  switch (cap) {
    case GL_LIGHTING: c.lighting = on; break;
    case GL_BLEND: c.blend = on; break;
    case GL_DEPTH_TEST: c.depth_test = on; break;
    case GL_NORMALIZE: c.normalize = on; break;
    case GL_CULL_FACE: c.cull = on; break;
    case GL_LINE_STIPPLE: c.line_stipple = on; break;
    case GL_COLOR_MATERIAL:
      c.colour_material = on;
      track_colour(c);
      break;
    default:
      if (cap >= GL_LIGHT0 && cap < GL_LIGHT0 + 8) c.lights[cap - GL_LIGHT0].on = on;
      break;  // hints and smoothing switches change nothing drawn here
  }
}

void set_material(GLenum face, GLenum pname, const float* v) {
  context& c = *current;
  for (material_state* m : {&c.front, &c.back}) {
    if ((m == &c.front && face == GL_BACK) || (m == &c.back && face == GL_FRONT)) continue;
    switch (pname) {
      case GL_AMBIENT: std::memcpy(m->ambient, v, 16); break;
      case GL_DIFFUSE: std::memcpy(m->diffuse, v, 16); break;
      case GL_SPECULAR: std::memcpy(m->specular, v, 16); break;
      case GL_EMISSION: std::memcpy(m->emission, v, 16); break;
      case GL_SHININESS: m->shininess = v[0]; break;
      case GL_AMBIENT_AND_DIFFUSE:
        std::memcpy(m->ambient, v, 16);
        std::memcpy(m->diffuse, v, 16);
        break;
      default: break;
    }
  }
}

}  // namespace
}  // namespace zelmor_web

using namespace zelmor_web;

namespace {

void mult_matrix(const float* m) {
  if (record(OP_MULT)) return;
  mult(top_matrix(), m);
}

void mult_recorded(const float* m) {
  // A matrix in a display list takes four rows of four values.
  if (current->compiling != 0) {
    for (int r = 0; r < 4; ++r) record(OP_MATRIX_ROW, m[r * 4], m[r * 4 + 1], m[r * 4 + 2], m[r * 4 + 3]);
  }
  mult_matrix(m);
}

}  // namespace

namespace zelmor_web {
namespace {

// --- Display lists of plain geometry.  A list that only draws polygons
// (vertices and normals, in GLUT's solid brackets or not), run with lighting
// off, puts into the batch a function of the state it runs under: the
// matrices, the window, the colour, the scissor, the depth and blend state
// that decide which triangles are left out.  Its output is kept with that
// state, and copied when the list runs again under the same: the program's
// sphere and cube lists run 200 times a frame, nearly all as in the frame
// before while a point is dragged.

bool polygonal(int mode) {
  return mode == GL_TRIANGLES || mode == GL_TRIANGLE_STRIP || mode == GL_TRIANGLE_FAN ||
         mode == GL_QUADS || mode == GL_QUAD_STRIP || mode == GL_POLYGON;
}

bool plain_geometry(const std::vector<list_cmd>& cmds) {
  int open_solids = 0;
  bool draws = false;
  for (const list_cmd& k : cmds) {
    switch (k.op) {
      case OP_BEGIN:
        if (!polygonal(static_cast<int>(k.a[0]))) return false;
        draws = true;
        break;
      case OP_END:
      case OP_VERTEX:
      case OP_NORMAL: break;
      case OP_SOLID_BEGIN: ++open_solids; break;
      case OP_SOLID_END: --open_solids; break;
      default: return false;
    }
  }
  return draws && open_solids == 0;
}

// The state a plain list's output depends on, as bytes (equal bytes, equal
// output; a different zero's sign merely misses).
struct list_state {
  float mvp[16];
  float colour[4];
  int viewport[4], origin[2], scissor[4];
  int depth_func, blend_src, blend_dst;
  unsigned char depth_test, blend, sprites;
};

std::string state_bytes(const context& c) {
  list_state k;
  std::memset(&k, 0, sizeof k);
  derive(c);
  std::memcpy(k.mvp, c.model_view_projection, sizeof k.mvp);
  std::memcpy(k.colour, c.colour, sizeof k.colour);
  std::memcpy(k.viewport, c.viewport, sizeof k.viewport);
  k.origin[0] = c.origin_x;
  k.origin[1] = c.origin_y;
  current_scissor(k.scissor);
  k.depth_func = c.depth_func;
  k.blend_src = c.blend_src;
  k.blend_dst = c.blend_dst;
  k.depth_test = c.depth_test;
  k.blend = c.blend;
  k.sprites = depth_sprites;
  return std::string(reinterpret_cast<const char*>(&k), sizeof k);
}

void run_commands(unsigned id, int depth);

constexpr size_t MAX_KEPT_OUTPUTS = 1024;

// --- Depth sprites.  The triangles of a sphere light about one pixel each,
// and the GPU's cost goes by triangles.  Where a list's output is opaque,
// of one colour and under a depth test that keeps the nearer fragment, the
// pixels it lights and the nearest depth at each are all it leaves in the
// frame (passing fragments of one colour set the same colour; the depth
// ends as the nearest of them and what was there).  When kept output is
// drawn again, those pixels are rasterised here, as the GPU fills
// triangles, into a sprite of the sprite atlas (coverage in alpha, depth as
// 24 bits in red, green and blue), and from then on the list draws as one
// quad whose fragments take their depth from the sprite.  The GPU's depth
// is its own rounding of the same planes: where two surfaces meet within
// it, a pixel can go the other way (a few in a crowded view).

// True when the plain triangles f (count of them) are all of one opaque
// colour.
bool one_opaque_colour(const float* f, size_t count) {
  for (size_t v = 0; v < 3 * count; ++v)
    if (std::memcmp(f + v * PLAIN_FLOATS + 3, f + 3, 4) != 0) return false;
  return reinterpret_cast<const unsigned char*>(f + 3)[3] == 255;
}

}  // namespace

void restart_sprite_atlas() {
  flush();  // what is gathered is drawn with the atlas as it is
  ++sprite_atlas_starts;
  sprite_shelves.empty();
}

namespace {

// A place in the sprite atlas for a w x h sprite; when the atlas is full,
// what is gathered is drawn and the atlas starts again (sprites kept from
// before are then of an older generation).
void sprite_place(int w, int h, int* x, int* y) {
  const size_t n = SPRITE_ATLAS_SIZE;
  if (sprite_texels.empty()) sprite_texels.assign(n * n * 4, 0);
  if (!sprite_shelves.place(w, h, x, y)) {
    restart_sprite_atlas();
    sprite_shelves.place(w, h, x, y);
  }
}

void put_sprite(const depth_sprite& sp, context::list_output::kept_output* k) {
  int ax, ay;
  sprite_place(sp.w, sp.h, &ax, &ay);
  for (int j = 0; j < sp.h; ++j) {
    unsigned char* row = sprite_texels.data() + (static_cast<size_t>(ay + j) * SPRITE_ATLAS_SIZE + ax) * 4;
    for (int i = 0; i < sp.w; ++i) {
      const uint32_t d = sp.depth[static_cast<size_t>(j) * sp.w + i];
      row[4 * i + 0] = d == UNCOVERED ? 0 : static_cast<unsigned char>(d >> 16);
      row[4 * i + 1] = d == UNCOVERED ? 0 : static_cast<unsigned char>(d >> 8);
      row[4 * i + 2] = d == UNCOVERED ? 0 : static_cast<unsigned char>(d);
      row[4 * i + 3] = d == UNCOVERED ? 0 : 255;
    }
  }
  dirty_from = std::min(dirty_from, ay);
  dirty_to = std::max(dirty_to, ay + sp.h);
  k->sprite = true;
  k->x = sp.x0;
  k->y = sp.y0;
  k->w = sp.w;
  k->h = sp.h;
  k->atlas_x = ax;
  k->atlas_y = ay;
  k->generation = sprite_atlas_starts;
}

// The sprite's quad: on whole pixels, texel centres on pixel centres.
void draw_sprite(const context::list_output::kept_output& k, const float* colour) {
  begin_output(SPRITES, true);
  const float n = SPRITE_ATLAS_SIZE;
  const float x0 = static_cast<float>(k.x), y0 = static_cast<float>(k.y);
  const float x1 = x0 + k.w, y1 = y0 + k.h;
  const float u0 = k.atlas_x / n, v0 = k.atlas_y / n, u1 = (k.atlas_x + k.w) / n, v1 = (k.atlas_y + k.h) / n;
  put_glyph_vertex(x0, y0, 0.5f, colour, u0, v0);
  put_glyph_vertex(x1, y0, 0.5f, colour, u1, v0);
  put_glyph_vertex(x1, y1, 0.5f, colour, u1, v1);
  put_glyph_vertex(x0, y0, 0.5f, colour, u0, v0);
  put_glyph_vertex(x1, y1, 0.5f, colour, u1, v1);
  put_glyph_vertex(x0, y1, 0.5f, colour, u0, v1);
}

// Whether output under the state now may become a sprite.
bool sprite_state(const context& c) {
  return sprites_available && depth_sprites && c.depth_test &&
         (c.depth_func == GL_LESS || c.depth_func == GL_LEQUAL) && blend_replaces(c, c.colour[3] == 1.0f);
}

// Runs list id from its kept output, or runs it and keeps the output; false
// when the list or the state does not allow keeping it.
bool run_plain_geometry(unsigned id, int depth) {
  context& c = *current;
  if (c.list_outputs.size() < c.lists.size()) c.list_outputs.resize(c.lists.size());
  context::list_output& out = c.list_outputs[id - 1];
  if (!drawing_savings || c.lighting || c.compiling != 0 || prim_mode != -1) return false;
  if (!out.known) {
    out.geometry = plain_geometry(c.lists[id - 1]);
    out.sets_normal = std::any_of(c.lists[id - 1].begin(), c.lists[id - 1].end(),
                                  [](const list_cmd& k) { return k.op == OP_NORMAL; });
    out.known = true;
  }
  if (!out.geometry) return false;
  std::string key = state_bytes(c);
  if (const auto it = out.kept.find(key); it != out.kept.end()) {
    context::list_output::kept_output& k = it->second;
    // Output drawn a second time under the same state becomes a sprite
    // (not at the first: while the scene turns, no state comes again).
    if (!k.sprite && !k.no_sprite && !k.floats.empty() && sprite_state(c)) {
      int scissor[4];
      current_scissor(scissor);
      depth_sprite sp;
      const size_t count = k.floats.size() / (3 * PLAIN_FLOATS);
      if (one_opaque_colour(k.floats.data(), count) &&
          rasterise_sprite(k.floats.data(), count, PLAIN_FLOATS, scissor, &sp)) {
        put_sprite(sp, &k);
        k.floats = std::vector<float>();
      } else {
        k.no_sprite = true;
      }
    }
    if (!k.sprite || k.generation == sprite_atlas_starts) {
      if (k.sprite) {
        draw_sprite(k, c.colour);
      } else if (!k.floats.empty()) {
        begin_output(PLAIN, c.colour[3] == 1.0f);
        std::memcpy(batch.grow(k.floats.size()), k.floats.data(), k.floats.size() * sizeof(float));
      }
      if (out.sets_normal) std::memcpy(c.normal, out.normal, sizeof out.normal);
      return true;
    }
    out.kept.erase(it);  // its sprite went when the atlas started again
  }
  // Where the list's first primitive would start its output.
  begin_output(PLAIN, c.colour[3] == 1.0f);
  const size_t start = batch.size();
  const long flushes_before = flushes;
  run_commands(id, depth);
  if (flushes != flushes_before) return true;  // the output went out in parts
  // Enough for every point of a full scene; turning the scene makes every
  // state new, and then what was kept starts again.
  if (out.kept.size() >= MAX_KEPT_OUTPUTS) out.kept.clear();
  context::list_output::kept_output k;
  k.floats.assign(batch.data() + start, batch.data() + batch.size());
  out.kept.emplace(std::move(key), std::move(k));
  std::memcpy(out.normal, c.normal, sizeof out.normal);
  return true;
}

void run_list(unsigned id, int depth) {
  context& c = *current;
  if (id == 0 || id > c.lists.size() || depth > 64) return;
  if (!run_plain_geometry(id, depth)) run_commands(id, depth);
}

void run_commands(unsigned id, int depth) {
  context& c = *current;
  // Nothing a list runs can compile or delete a list, so the commands stay put.
  const std::vector<list_cmd>& cmds = c.lists[id - 1];
  float m[16];
  float bitmap[4] = {0, 0, 0, 0};
  int rows = 0;
  for (const list_cmd& k : cmds) {
    const float* a = k.a;
    switch (k.op) {
      case OP_BEGIN: glBegin(static_cast<GLenum>(a[0])); break;
      case OP_END: glEnd(); break;
      case OP_VERTEX: glVertex3f(a[0], a[1], a[2]); break;
      case OP_COLOUR: glColor4f(a[0], a[1], a[2], a[3]); break;
      case OP_NORMAL: glNormal3f(a[0], a[1], a[2]); break;
      case OP_LINE_WIDTH: glLineWidth(a[0]); break;
      case OP_POINT_SIZE: glPointSize(a[0]); break;
      case OP_ENABLE: glEnable(static_cast<GLenum>(a[0])); break;
      case OP_DISABLE: glDisable(static_cast<GLenum>(a[0])); break;
      case OP_TRANSLATE: glTranslatef(a[0], a[1], a[2]); break;
      case OP_ROTATE: glRotatef(a[0], a[1], a[2], a[3]); break;
      case OP_SCALE: glScalef(a[0], a[1], a[2]); break;
      case OP_PUSH: glPushMatrix(); break;
      case OP_POP: glPopMatrix(); break;
      case OP_IDENTITY: glLoadIdentity(); break;
      case OP_MATRIX_ROW:
        std::memcpy(m + 4 * rows, a, 16);
        ++rows;
        break;
      case OP_MULT:
        glMultMatrixf(m);
        rows = 0;
        break;
      case OP_CALL: run_list(static_cast<unsigned>(a[0]), depth + 1); break;
      case OP_SOLID_BEGIN: begin_closed_solid(); break;
      case OP_SOLID_END: end_closed_solid(); break;
      case OP_BITMAP: std::memcpy(bitmap, a, 16); break;
      case OP_BITMAP_MOVE: {
        const auto& bits = c.list_bitmaps[static_cast<size_t>(a[2])];
        glBitmap(static_cast<GLsizei>(bitmap[0]), static_cast<GLsizei>(bitmap[1]), bitmap[2],
                 bitmap[3], a[0], a[1], bits.empty() ? nullptr : bits.data());
        break;
      }
      default: break;
    }
  }
}

}  // namespace
}  // namespace zelmor_web

extern "C" {

// --- State.

void glEnable(GLenum cap) {
  if (record(OP_ENABLE, static_cast<float>(cap))) return;
  set_enabled(cap, true);
}
void glDisable(GLenum cap) {
  if (record(OP_DISABLE, static_cast<float>(cap))) return;
  set_enabled(cap, false);
}
GLboolean glIsEnabled(GLenum cap) {
  const context& c = *current;
  switch (cap) {
    case GL_LIGHTING: return c.lighting;
    case GL_BLEND: return c.blend;
    case GL_DEPTH_TEST: return c.depth_test;
    case GL_NORMALIZE: return c.normalize;
    case GL_COLOR_MATERIAL: return c.colour_material;
    case GL_CULL_FACE: return c.cull;
    case GL_LINE_STIPPLE: return c.line_stipple;
    default:
      if (cap >= GL_LIGHT0 && cap < GL_LIGHT0 + 8) return c.lights[cap - GL_LIGHT0].on;
      return GL_FALSE;
  }
}
void glHint(GLenum, GLenum) {}
void glFrontFace(GLenum) {}
void glShadeModel(GLenum) {}
void glCullFace(GLenum) {}
void glPolygonMode(GLenum, GLenum) {}
void glDepthMask(GLboolean) {}
void glPixelStorei(GLenum, GLint) {}
GLenum glGetError(void) { return GL_NO_ERROR; }
void glFlush(void) { flush(); }
void glFinish(void) { flush(); }

void glBlendFunc(GLenum s, GLenum d) {
  current->blend_src = static_cast<int>(s);
  current->blend_dst = static_cast<int>(d);
}
void glDepthFunc(GLenum f) { current->depth_func = static_cast<int>(f); }
void glLineWidth(GLfloat w) {
  if (record(OP_LINE_WIDTH, w)) return;
  current->line_width = w;
}
void glPointSize(GLfloat s) {
  if (record(OP_POINT_SIZE, s)) return;
  current->point_size = s;
}
void glViewport(GLint x, GLint y, GLsizei w, GLsizei h) {
  int* v = current->viewport;
  v[0] = x;
  v[1] = y;
  v[2] = w;
  v[3] = h;
}
void glClearColor(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
  float* c = current->clear_colour;
  c[0] = std::clamp(r, 0.0f, 1.0f);
  c[1] = std::clamp(g, 0.0f, 1.0f);
  c[2] = std::clamp(b, 0.0f, 1.0f);
  c[3] = std::clamp(a, 0.0f, 1.0f);
}
void glClear(GLbitfield mask) {
  flush();
  const context& c = *current;
  const float* k = c.clear_colour;
  // The window has no alpha channel to clear (see zw_gl_init).
  zw_gl_clear(static_cast<int>(mask & (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT)), k[0], k[1],
              k[2], c.clip[0], c.clip[1], c.clip[2], c.clip[3]);
}

// --- Matrices.

void glMatrixMode(GLenum mode) { current->matrix_mode = static_cast<int>(mode); }
void glLoadIdentity(void) {
  if (record(OP_IDENTITY)) return;
  identity(top_matrix());
}
void glPushMatrix(void) {
  if (record(OP_PUSH)) return;
  context& c = *current;
  if (c.matrix_mode == GL_PROJECTION) {
    if (c.projection_depth + 1 < 4) {
      std::memcpy(c.projection[c.projection_depth + 1], c.projection[c.projection_depth], 64);
      ++c.projection_depth;
    }
  } else if (c.modelview_depth + 1 < 32) {
    std::memcpy(c.modelview[c.modelview_depth + 1], c.modelview[c.modelview_depth], 64);
    ++c.modelview_depth;
  }
}
void glPopMatrix(void) {
  if (record(OP_POP)) return;
  context& c = *current;
  ++c.matrix_changes;
  if (c.matrix_mode == GL_PROJECTION) {
    if (c.projection_depth > 0) --c.projection_depth;
  } else if (c.modelview_depth > 0) {
    --c.modelview_depth;
  }
}
void glMultMatrixf(const GLfloat* m) { mult_recorded(m); }
void glMultMatrixd(const GLdouble* m) {
  float f[16];
  for (int i = 0; i < 16; ++i) f[i] = static_cast<float>(m[i]);
  mult_recorded(f);
}
void glLoadMatrixf(const GLfloat* m) { std::memcpy(top_matrix(), m, 64); }
void glLoadMatrixd(const GLdouble* m) {
  float* t = top_matrix();
  for (int i = 0; i < 16; ++i) t[i] = static_cast<float>(m[i]);
}
void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
  if (record(OP_TRANSLATE, x, y, z)) return;
  float* m = top_matrix();
  for (int r = 0; r < 4; ++r) m[12 + r] += m[r] * x + m[4 + r] * y + m[8 + r] * z;
}
void glTranslated(GLdouble x, GLdouble y, GLdouble z) {
  glTranslatef(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}
void glScalef(GLfloat x, GLfloat y, GLfloat z) {
  if (record(OP_SCALE, x, y, z)) return;
  float* m = top_matrix();
  for (int r = 0; r < 4; ++r) {
    m[r] *= x;
    m[4 + r] *= y;
    m[8 + r] *= z;
  }
}
void glScaled(GLdouble x, GLdouble y, GLdouble z) {
  glScalef(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}
void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
  if (record(OP_ROTATE, angle, x, y, z)) return;
  float r[16];
  identity(r);
  const float rad = angle * static_cast<float>(M_PI / 180.0);
  const float s = std::sin(rad), c = std::cos(rad);
  const float len = std::sqrt(x * x + y * y + z * z);
  if (len == 0) return;
  x /= len;
  y /= len;
  z /= len;
  const float t = 1 - c;
  r[0] = x * x * t + c;
  r[1] = y * x * t + z * s;
  r[2] = x * z * t - y * s;
  r[4] = x * y * t - z * s;
  r[5] = y * y * t + c;
  r[6] = y * z * t + x * s;
  r[8] = x * z * t + y * s;
  r[9] = y * z * t - x * s;
  r[10] = z * z * t + c;
  mult(top_matrix(), r);
}
void glRotated(GLdouble a, GLdouble x, GLdouble y, GLdouble z) {
  glRotatef(static_cast<float>(a), static_cast<float>(x), static_cast<float>(y),
            static_cast<float>(z));
}
void glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
  float m[16];
  identity(m);
  m[0] = static_cast<float>(2.0 / (r - l));
  m[5] = static_cast<float>(2.0 / (t - b));
  m[10] = static_cast<float>(-2.0 / (f - n));
  m[12] = static_cast<float>(-(r + l) / (r - l));
  m[13] = static_cast<float>(-(t + b) / (t - b));
  m[14] = static_cast<float>(-(f + n) / (f - n));
  mult(top_matrix(), m);
}

// --- Queries.

void glGetFloatv(GLenum pname, GLfloat* out) {
  const context& c = *current;
  switch (pname) {
    case GL_CURRENT_COLOR: std::memcpy(out, c.colour, 16); break;
    case GL_MODELVIEW_MATRIX: std::memcpy(out, c.modelview[c.modelview_depth], 64); break;
    case GL_PROJECTION_MATRIX: std::memcpy(out, c.projection[c.projection_depth], 64); break;
    case GL_LINE_WIDTH: out[0] = c.line_width; break;
    case GL_POINT_SIZE: out[0] = c.point_size; break;
    case GL_COLOR_CLEAR_VALUE: std::memcpy(out, c.clear_colour, 16); break;
    case GL_CURRENT_NORMAL: std::memcpy(out, c.normal, 12); break;
    case GL_VIEWPORT:
      for (int i = 0; i < 4; ++i) out[i] = static_cast<float>(c.viewport[i]);
      break;
    // In the window's own coordinates, as GL reports them (the raster
    // position is kept on the canvas).
    case GL_CURRENT_RASTER_POSITION:
      out[0] = c.raster[0] - static_cast<float>(c.origin_x);
      out[1] = c.raster[1] - static_cast<float>(c.origin_y);
      out[2] = c.raster[2];
      out[3] = 1.0f;
      break;
    case GL_CURRENT_RASTER_POSITION_VALID: out[0] = c.raster_valid ? 1.0f : 0.0f; break;
    default: out[0] = 0; break;
  }
}
void glGetDoublev(GLenum pname, GLdouble* out) {
  float f[16] = {};
  glGetFloatv(pname, f);
  const int n = (pname == GL_MODELVIEW_MATRIX || pname == GL_PROJECTION_MATRIX) ? 16
                : (pname == GL_CURRENT_COLOR || pname == GL_VIEWPORT ||
                   pname == GL_COLOR_CLEAR_VALUE) ? 4
                : pname == GL_CURRENT_NORMAL ? 3 : 1;
  for (int i = 0; i < n; ++i) out[i] = f[i];
}
void glGetIntegerv(GLenum pname, GLint* out) {
  const context& c = *current;
  switch (pname) {
    case GL_VIEWPORT: std::memcpy(out, c.viewport, 16); break;
    case GL_MATRIX_MODE: out[0] = c.matrix_mode; break;
    case GL_MODELVIEW_STACK_DEPTH: out[0] = c.modelview_depth + 1; break;
    case GL_PROJECTION_STACK_DEPTH: out[0] = c.projection_depth + 1; break;
    default: out[0] = 0; break;
  }
}

}  // extern "C"

namespace {

// The attribute groups of mask, from one holder to the other (the context
// and its saved copies name the fields alike; the lights' switches aside).
template <class From, class To>
void copy_groups(const From& f, To& t, unsigned mask) {
  if (mask & GL_CURRENT_BIT) {
    std::memcpy(t.colour, f.colour, 16);
    std::memcpy(t.normal, f.normal, 12);
    std::memcpy(t.raster, f.raster, 12);
    std::memcpy(t.raster_colour, f.raster_colour, 16);
    t.raster_valid = f.raster_valid;
  }
  if (mask & GL_ENABLE_BIT) {
    t.lighting = f.lighting;
    t.blend = f.blend;
    t.depth_test = f.depth_test;
    t.normalize = f.normalize;
    t.colour_material = f.colour_material;
    t.cull = f.cull;
  }
  if (mask & (GL_ENABLE_BIT | GL_LINE_BIT)) t.line_stipple = f.line_stipple;
  if (mask & GL_LINE_BIT) {
    t.line_width = f.line_width;
    t.stipple_factor = f.stipple_factor;
    t.stipple_pattern = f.stipple_pattern;
  }
  if (mask & GL_POINT_BIT) t.point_size = f.point_size;
}

}  // namespace

extern "C" {

// Saves every group; glPopAttrib restores only those of the mask.
void glPushAttrib(GLbitfield mask) {
  context& c = *current;
  context::saved_attrib s;
  s.mask = mask;
  copy_groups(c, s, ~0u);
  for (int i = 0; i < 8; ++i) s.lights_on[i] = c.lights[i].on;
  c.attrib_stack.push_back(s);
}
void glPopAttrib(void) {
  context& c = *current;
  if (c.attrib_stack.empty()) return;
  const context::saved_attrib& s = c.attrib_stack.back();
  copy_groups(s, c, s.mask);
  if (s.mask & GL_ENABLE_BIT)
    for (int i = 0; i < 8; ++i) c.lights[i].on = s.lights_on[i];
  c.attrib_stack.pop_back();
  track_colour(c);
}

// --- Lights and materials.

void glLightfv(GLenum light, GLenum pname, const GLfloat* v) {
  context& c = *current;
  if (light < GL_LIGHT0 || light >= GL_LIGHT0 + 8) return;
  light_state& l = c.lights[light - GL_LIGHT0];
  switch (pname) {
    case GL_AMBIENT: std::memcpy(l.ambient, v, 16); break;
    case GL_DIFFUSE: std::memcpy(l.diffuse, v, 16); break;
    case GL_SPECULAR: std::memcpy(l.specular, v, 16); break;
    case GL_POSITION:
      apply(c.modelview[c.modelview_depth], v, l.position);
      std::memcpy(l.direction, l.position, 12);
      normalise3(l.direction);
      std::memcpy(l.half, l.direction, 12);
      l.half[2] += 1.0f;
      normalise3(l.half);
      break;
    default: break;
  }
}
void glLightf(GLenum, GLenum, GLfloat) {}
void glLightModelfv(GLenum pname, const GLfloat* v) {
  if (pname == GL_LIGHT_MODEL_AMBIENT) std::memcpy(current->model_ambient, v, 16);
}
void glMaterialfv(GLenum face, GLenum pname, const GLfloat* v) { set_material(face, pname, v); }
void glMaterialf(GLenum face, GLenum pname, GLfloat v) {
  const float a[4] = {v, 0, 0, 0};
  set_material(face, pname, a);
}
void glColorMaterial(GLenum face, GLenum mode) {
  current->colour_material_face = static_cast<int>(face);
  current->colour_material_mode = static_cast<int>(mode);
  track_colour(*current);
}

// --- Current values.

void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
  if (record(OP_COLOUR, r, g, b, a)) return;
  context& c = *current;
  c.colour[0] = r;
  c.colour[1] = g;
  c.colour[2] = b;
  c.colour[3] = a;
  track_colour(c);
}
void glColor4fv(const GLfloat* v) { glColor4f(v[0], v[1], v[2], v[3]); }
void glColor3f(GLfloat r, GLfloat g, GLfloat b) { glColor4f(r, g, b, 1.0f); }
void glColor3fv(const GLfloat* v) { glColor4f(v[0], v[1], v[2], 1.0f); }
void glColor4d(GLdouble r, GLdouble g, GLdouble b, GLdouble a) {
  glColor4f(static_cast<float>(r), static_cast<float>(g), static_cast<float>(b),
            static_cast<float>(a));
}
void glColor3d(GLdouble r, GLdouble g, GLdouble b) { glColor4d(r, g, b, 1.0); }
void glColor3ub(GLubyte r, GLubyte g, GLubyte b) { glColor4f(r / 255.0f, g / 255.0f, b / 255.0f, 1.0f); }

void glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
  if (record(OP_NORMAL, x, y, z)) return;
  float* n = current->normal;
  n[0] = x;
  n[1] = y;
  n[2] = z;
}
void glNormal3fv(const GLfloat* v) { glNormal3f(v[0], v[1], v[2]); }
void glNormal3d(GLdouble x, GLdouble y, GLdouble z) {
  glNormal3f(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}
void glNormal3dv(const GLdouble* v) { glNormal3d(v[0], v[1], v[2]); }

// --- Immediate mode.

void glBegin(GLenum mode) {
  if (record(OP_BEGIN, static_cast<float>(mode))) return;
  prim_mode = static_cast<int>(mode);
  prim.clear();
}
void glEnd(void) {
  if (record(OP_END)) return;
  emit_primitive();
  prim.clear();
  prim_mode = -1;
}
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
  if (record(OP_VERTEX, x, y, z)) return;
  vertex4(x, y, z, 1.0f);
}
void glVertex3fv(const GLfloat* v) { glVertex3f(v[0], v[1], v[2]); }
void glVertex3d(GLdouble x, GLdouble y, GLdouble z) {
  glVertex3f(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}
void glVertex3dv(const GLdouble* v) { glVertex3d(v[0], v[1], v[2]); }
void glVertex2f(GLfloat x, GLfloat y) { glVertex3f(x, y, 0.0f); }
void glVertex2d(GLdouble x, GLdouble y) { glVertex3d(x, y, 0.0); }
void glVertex2i(GLint x, GLint y) { glVertex3f(static_cast<float>(x), static_cast<float>(y), 0.0f); }
void glVertex3i(GLint x, GLint y, GLint z) {
  glVertex3f(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}

void glRectf(GLfloat x0, GLfloat y0, GLfloat x1, GLfloat y1) {
  glBegin(GL_POLYGON);
  glVertex2f(x0, y0);
  glVertex2f(x1, y0);
  glVertex2f(x1, y1);
  glVertex2f(x0, y1);
  glEnd();
}
void glRecti(GLint x0, GLint y0, GLint x1, GLint y1) {
  glRectf(static_cast<float>(x0), static_cast<float>(y0), static_cast<float>(x1),
          static_cast<float>(y1));
}

// --- Client-side vertex arrays, expanded into immediate mode.

namespace {
struct client_array {
  bool on = false;
  int size = 0;
  GLenum type = GL_FLOAT;
  int stride = 0;
  const void* data = nullptr;
  void read(int i, float* out) const {
    const int bytes = type == GL_DOUBLE ? 8 : 4;
    const int step = stride != 0 ? stride : size * bytes;
    const char* p = static_cast<const char*>(data) + static_cast<long>(i) * step;
    for (int k = 0; k < size; ++k) {
      if (type == GL_DOUBLE) {
        double d;
        std::memcpy(&d, p + 8 * k, 8);
        out[k] = static_cast<float>(d);
      } else if (type == GL_UNSIGNED_BYTE) {
        out[k] = static_cast<unsigned char>(p[k]) / 255.0f;
      } else {
        std::memcpy(out + k, p + 4 * k, 4);
      }
    }
  }
};
client_array vertex_array, normal_array, colour_array;

client_array* array_of(GLenum cap) {
  switch (cap) {
    case GL_VERTEX_ARRAY: return &vertex_array;
    case GL_NORMAL_ARRAY: return &normal_array;
    case GL_COLOR_ARRAY: return &colour_array;
    default: return nullptr;
  }
}

// Element i's colour and normal, from the arrays that are on.
void array_attributes(int i) {
  if (colour_array.on) {
    float c[4] = {0, 0, 0, 1};
    colour_array.read(i, c);
    glColor4f(c[0], c[1], c[2], c[3]);
  }
  if (normal_array.on) {
    float n[3];
    normal_array.read(i, n);
    glNormal3f(n[0], n[1], n[2]);
  }
}

void array_element(int i) {
  array_attributes(i);
  if (vertex_array.on) {
    float v[4] = {0, 0, 0, 1};
    vertex_array.read(i, v);
    glVertex3f(v[0], v[1], v[2]);
  }
}
}  // namespace

namespace {
struct client_arrays {
  client_array vertex, normal, colour;
};
std::vector<client_arrays> client_stack;
}  // namespace

void glPushClientAttrib(GLbitfield) { client_stack.push_back({vertex_array, normal_array, colour_array}); }
void glPopClientAttrib(void) {
  if (client_stack.empty()) return;
  vertex_array = client_stack.back().vertex;
  normal_array = client_stack.back().normal;
  colour_array = client_stack.back().colour;
  client_stack.pop_back();
}
void glEnableClientState(GLenum cap) {
  if (client_array* a = array_of(cap)) a->on = true;
}
void glDisableClientState(GLenum cap) {
  if (client_array* a = array_of(cap)) a->on = false;
}
void glVertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* p) {
  vertex_array = client_array{vertex_array.on, size, type, stride, p};
}
void glNormalPointer(GLenum type, GLsizei stride, const GLvoid* p) {
  normal_array = client_array{normal_array.on, 3, type, stride, p};
}
void glColorPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* p) {
  colour_array = client_array{colour_array.on, size, type, stride, p};
}
void glArrayElement(GLint i) { array_element(i); }
void glDrawArrays(GLenum mode, GLint first, GLsizei count) {
  glBegin(mode);
  for (int i = first; i < first + count; ++i) array_element(i);
  glEnd();
}
void glDrawElements(GLenum mode, GLsizei count, GLenum type, const GLvoid* indices) {
  auto index = [&](int k) -> int {
    if (type == GL_UNSIGNED_BYTE) return static_cast<const GLubyte*>(indices)[k];
    if (type == GL_UNSIGNED_SHORT) return static_cast<const GLushort*>(indices)[k];
    return static_cast<int>(static_cast<const GLuint*>(indices)[k]);
  };
  glBegin(mode);
  if (current->compiling != 0 || !vertex_array.on) {
    for (int k = 0; k < count; ++k) array_element(index(k));
    glEnd();
    return;
  }
  // An element's vertex depends on its index alone (its colour and normal
  // come from the arrays, or are the same for all), so each index is
  // transformed and lit once however many triangles share it.
  static std::vector<int> done_at;  // index -> position in done, -1: not yet
  static std::vector<vtx> done;
  done_at.clear();
  done.clear();
  for (int k = 0; k < count; ++k) {
    const int i = index(k);
    if (i >= static_cast<int>(done_at.size())) done_at.resize(static_cast<size_t>(i) + 1, -1);
    if (done_at[i] < 0) {
      array_element(i);
      done_at[i] = static_cast<int>(done.size());
      done.push_back(prim.back());
    } else {
      prim.push_back(done[done_at[i]]);
    }
  }
  glEnd();
  // The current colour and normal are the last element's, as GL leaves them.
  if (count > 0) array_attributes(index(count - 1));
}

// --- Raster position and bitmaps.

void glRasterPos3f(GLfloat x, GLfloat y, GLfloat z) {
  context& c = *current;
  const float obj[4] = {x, y, z, 1.0f};
  c.raster_valid = to_window(c, obj, c.raster);
  if (c.lighting) lit_colour(c, c.raster_colour);
  else std::memcpy(c.raster_colour, c.colour, 16);
}
void glRasterPos3d(GLdouble x, GLdouble y, GLdouble z) {
  glRasterPos3f(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}
void glRasterPos2i(GLint x, GLint y) { glRasterPos3f(static_cast<float>(x), static_cast<float>(y), 0.0f); }
void glRasterPos2f(GLfloat x, GLfloat y) { glRasterPos3f(x, y, 0.0f); }
void glRasterPos2d(GLdouble x, GLdouble y) { glRasterPos3d(x, y, 0.0); }
// A raster position given in window coordinates, in the current colour.
void glWindowPos3d(GLdouble x, GLdouble y, GLdouble z) {
  context& c = *current;
  c.raster[0] = static_cast<float>(x) + c.origin_x;
  c.raster[1] = static_cast<float>(y) + c.origin_y;
  c.raster[2] = static_cast<float>(z);
  c.raster_valid = true;
  std::memcpy(c.raster_colour, c.colour, 16);
}
void glWindowPos2i(GLint x, GLint y) { glWindowPos3d(x, y, 0.0); }
void glLineStipple(GLint factor, GLushort pattern) {
  current->stipple_factor = factor;
  current->stipple_pattern = pattern;
}

// A bitmap of width x height bits, rows bottom first, each row a whole
// number of bytes, most significant bit leftmost.  Set bits are drawn as
// runs of pixels at the raster position's depth and colour.
void glBitmap(GLsizei width, GLsizei height, GLfloat xorig, GLfloat yorig, GLfloat xmove,
              GLfloat ymove, const GLubyte* bits) {
  context& c = *current;
  if (c.compiling != 0) {
    // A list keeps its own copy of the bits, as GL does.
    const size_t bytes = bits != nullptr && width > 0 && height > 0
                             ? static_cast<size_t>((width + 7) / 8) * static_cast<size_t>(height)
                             : 0;
    c.list_bitmaps.emplace_back(bits, bits + bytes);
    record(OP_BITMAP, static_cast<float>(width), static_cast<float>(height), xorig, yorig);
    if (record(OP_BITMAP_MOVE, xmove, ymove, static_cast<float>(c.list_bitmaps.size() - 1)))
      return;
  }
  if (!c.raster_valid) return;
  if (bits != nullptr && width > 0 && height > 0) {
    const float eps = 0.0001f;
    const float x0 = std::floor(c.raster[0] + eps - xorig);
    const float y0 = std::floor(c.raster[1] + eps - yorig);
    const int row_bytes = (width + 7) / 8;
    atlas_place at;
    if (drawing_savings && atlas_find(width, height, bits, &at)) {
      begin_output(GLYPHS, c.raster_colour[3] == 1.0f);
      // One quad on whole pixels; its texel centres fall on pixel centres.
      const float u0 = static_cast<float>(at.x) / ATLAS_SIZE, v0 = static_cast<float>(at.y) / ATLAS_SIZE;
      const float u1 = static_cast<float>(at.x + width) / ATLAS_SIZE;
      const float v1 = static_cast<float>(at.y + height) / ATLAS_SIZE;
      const float x1 = x0 + width, y1 = y0 + height, z = c.raster[2];
      const float* k = c.raster_colour;
      put_glyph_vertex(x0, y0, z, k, u0, v0);
      put_glyph_vertex(x1, y0, z, k, u1, v0);
      put_glyph_vertex(x1, y1, z, k, u1, v1);
      put_glyph_vertex(x0, y0, z, k, u0, v0);
      put_glyph_vertex(x1, y1, z, k, u1, v1);
      put_glyph_vertex(x0, y1, z, k, u0, v1);
      c.raster[0] += xmove;
      c.raster[1] += ymove;
      return;
    }
    begin_output(PLAIN, c.raster_colour[3] == 1.0f);
    for (int j = 0; j < height; ++j) {
      const GLubyte* row = bits + j * row_bytes;
      int i = 0;
      while (i < width) {
        if (!(row[i / 8] & (0x80 >> (i % 8)))) {
          ++i;
          continue;
        }
        const int start = i;
        while (i < width && (row[i / 8] & (0x80 >> (i % 8)))) ++i;
        rect(x0 + start, y0 + j, x0 + i, y0 + j + 1, c.raster[2], c.raster_colour);
      }
    }
  }
  c.raster[0] += xmove;
  c.raster[1] += ymove;
}

// --- Display lists.

GLuint glGenLists(GLsizei range) {
  context& c = *current;
  const GLuint first = static_cast<GLuint>(c.lists.size()) + 1;
  c.lists.resize(c.lists.size() + static_cast<size_t>(range));
  return first;
}
void glNewList(GLuint list, GLenum mode) {
  context& c = *current;
  if (list == 0) return;
  if (list > c.lists.size()) c.lists.resize(list);
  c.lists[list - 1].clear();
  if (list <= c.list_outputs.size()) c.list_outputs[list - 1] = context::list_output{};
  c.compiling = list;
  c.execute_while_compiling = mode == GL_COMPILE_AND_EXECUTE;
}
void glEndList(void) { current->compiling = 0; }
void glCallList(GLuint list) {
  if (record(OP_CALL, static_cast<float>(list))) return;
  run_list(list, 0);
}
void glListBase(GLuint base) { current->list_base = base; }
void glCallLists(GLsizei n, GLenum type, const GLvoid* lists) {
  for (GLsizei i = 0; i < n; ++i) {
    long id;
    switch (type) {
      case GL_BYTE: id = static_cast<const GLbyte*>(lists)[i]; break;
      case GL_UNSIGNED_BYTE: id = static_cast<const GLubyte*>(lists)[i]; break;
      case GL_SHORT: id = static_cast<const GLshort*>(lists)[i]; break;
      case GL_UNSIGNED_SHORT: id = static_cast<const GLushort*>(lists)[i]; break;
      case GL_INT: id = static_cast<const GLint*>(lists)[i]; break;
      case GL_UNSIGNED_INT: id = static_cast<long>(static_cast<const GLuint*>(lists)[i]); break;
      default: return;
    }
    glCallList(static_cast<GLuint>(current->list_base + id));
  }
}
GLboolean glIsList(GLuint list) { return list != 0 && list <= current->lists.size(); }
void glDeleteLists(GLuint list, GLsizei range) {
  context& c = *current;
  for (GLuint k = list; k < list + static_cast<GLuint>(range) && k <= c.lists.size(); ++k)
    if (k > 0) {
      c.lists[k - 1].clear();
      if (k <= c.list_outputs.size()) c.list_outputs[k - 1] = context::list_output{};
    }
}

// --- Pixels.

void glReadPixels(GLint x, GLint y, GLsizei w, GLsizei h, GLenum format, GLenum type, GLvoid* out) {
  if (format != GL_RGBA || type != GL_UNSIGNED_BYTE) return;
  const context& c = *current;
  read_canvas(c.origin_x + x, c.origin_y + y, w, h, static_cast<unsigned char*>(out));
}

}  // extern "C"
