#include "web/gl/state.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zelmor_web {

context* current = nullptr;

context::context() {
  for (auto& m : modelview) identity(m);
  for (auto& m : projection) identity(m);
  lights[0].diffuse[0] = lights[0].diffuse[1] = lights[0].diffuse[2] = 1;
  lights[0].specular[0] = lights[0].specular[1] = lights[0].specular[2] = 1;
}

void not_implemented(const char* what, unsigned value) {
#ifdef ZELMOR_WEB_GL_STRICT
  std::fprintf(stderr, "zelmor web GL: %s 0x%04X is not implemented\n", what, value);
  std::fflush(stderr);
  std::abort();
#else
  (void)what;
  (void)value;
#endif
}

void identity(float* m) {
  for (int i = 0; i < 16; ++i) m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

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

float* top_matrix() {
  context& c = *current;
  ++c.matrix_changes;
  if (c.matrix_mode == GL_PROJECTION) return c.projection[c.projection_depth];
  return c.modelview[c.modelview_depth];
}

void normalise3(float* v) {
  const float l = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (l > 0) {
    v[0] /= l;
    v[1] /= l;
    v[2] /= l;
  }
}

namespace {

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

}  // namespace

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

void set_enabled(unsigned cap, bool on) {
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
    // Evaluators are not implemented, so their automatic normals change
    // nothing; smoothing is a hint the fixed pipeline may ignore.
    case GL_AUTO_NORMAL:
    case GL_POINT_SMOOTH:
    case GL_LINE_SMOOTH:
    case GL_POLYGON_SMOOTH:
    case GL_DITHER:
      break;
    default:
      if (cap >= GL_LIGHT0 && cap < GL_LIGHT0 + 8) {
        c.lights[cap - GL_LIGHT0].on = on;
      } else if (on) {
        not_implemented("glEnable of", cap);
      }
      break;
  }
}

void set_material(unsigned face, unsigned pname, const float* v) {
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
      default: not_implemented("glMaterial of", pname); break;
    }
  }
}

}  // namespace zelmor_web
