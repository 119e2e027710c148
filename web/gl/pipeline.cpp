#include "web/gl/pipeline.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "web/gl/savings.h"

namespace zelmor_web {

int prim_mode = -1;
std::vector<vtx> prim;

namespace {

void triangle(const vtx& a, const vtx& b, const vtx& c) {
  if (leave_out(a, b, c)) return;
  put(a.x, a.y, a.z, a.c);
  put(b.x, b.y, b.z, b.c);
  put(c.x, c.y, c.z, c.c);
}

// A triangle of a polygon (not of a wide line or point), culled by facing
// under GL_CULL_FACE: counter-clockwise on the canvas (y up) is front under
// glFrontFace(GL_CCW).  Strips and fans hand their triangles over in their
// polygon's winding.
void polygon_triangle(const vtx& a, const vtx& b, const vtx& c) {
  const context& k = *current;
  if (k.cull) {
    const double area = (static_cast<double>(b.x) - a.x) * (static_cast<double>(c.y) - a.y) -
                        (static_cast<double>(b.y) - a.y) * (static_cast<double>(c.x) - a.x);
    const bool front = k.front_face == GL_CCW ? area > 0 : area < 0;
    if (k.cull_face == GL_FRONT_AND_BACK || (k.cull_face == GL_BACK) != front) return;
  }
  triangle(a, b, c);
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

void emit_primitive() {
  const context& c = *current;
  const size_t n = prim.size();
  if (n == 0) return;
  begin_output(PLAIN, c.blend);
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
      for (size_t i = 0; i + 2 < n; i += 3) polygon_triangle(prim[i], prim[i + 1], prim[i + 2]);
      break;
    case GL_TRIANGLE_STRIP:
      for (size_t i = 0; i + 2 < n; ++i) {
        if (i % 2 == 0) polygon_triangle(prim[i], prim[i + 1], prim[i + 2]);
        else polygon_triangle(prim[i + 1], prim[i], prim[i + 2]);
      }
      break;
    case GL_TRIANGLE_FAN:
    case GL_POLYGON:
      for (size_t i = 1; i + 1 < n; ++i) polygon_triangle(prim[0], prim[i], prim[i + 1]);
      break;
    case GL_QUADS:
      for (size_t i = 0; i + 3 < n; i += 4) {
        polygon_triangle(prim[i], prim[i + 1], prim[i + 2]);
        polygon_triangle(prim[i], prim[i + 2], prim[i + 3]);
      }
      break;
    case GL_QUAD_STRIP:
      // Vertices 0 1 3 2 of each quad go round it in the strip's winding.
      for (size_t i = 0; i + 3 < n; i += 2) {
        polygon_triangle(prim[i], prim[i + 1], prim[i + 3]);
        polygon_triangle(prim[i], prim[i + 3], prim[i + 2]);
      }
      break;
    default:
      not_implemented("glBegin of", static_cast<unsigned>(prim_mode));
      break;
  }
}

}  // namespace

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

void begin_primitive(int mode) {
  prim_mode = mode;
  prim.clear();
}

void end_primitive() {
  emit_primitive();
  prim.clear();
  prim_mode = -1;
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

void draw_bitmap(int width, int height, float xorig, float yorig, float xmove, float ymove,
                 const unsigned char* bits) {
  context& c = *current;
  if (!c.raster_valid) return;
  if (bits != nullptr && width > 0 && height > 0) {
    const float eps = 0.0001f;
    const float x0 = std::floor(c.raster[0] + eps - xorig);
    const float y0 = std::floor(c.raster[1] + eps - yorig);
    if (!draw_bitmap_quad(width, height, bits, x0, y0)) {
      const int row_bytes = (width + 7) / 8;
      begin_output(PLAIN, c.blend);
      for (int j = 0; j < height; ++j) {
        const unsigned char* row = bits + j * row_bytes;
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
  }
  c.raster[0] += xmove;
  c.raster[1] += ymove;
}

}  // namespace zelmor_web
