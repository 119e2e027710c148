// The GL entry points the program calls (display lists aside: those are
// the floor above, web/gl/lists.cpp).  Each records itself into the list
// being compiled (web/gl/list_store.h) or acts on the current context
// through the floors below.
#include <GL/gl.h>
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#else
#define EMSCRIPTEN_KEEPALIVE  // built natively for the tests
#endif

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "web/gl/batch.h"
#include "web/gl/gl_web.h"
#include "web/gl/list_store.h"
#include "web/gl/pipeline.h"
#include "web/gl/state.h"

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
  if (mask & GL_DEPTH_BUFFER_BIT) {
    t.depth_test = f.depth_test;
    t.depth_mask = f.depth_mask;
    t.depth_func = f.depth_func;
  }
  if (mask & GL_COLOR_BUFFER_BIT) {
    t.blend = f.blend;
    t.blend_src = f.blend_src;
    t.blend_dst = f.blend_dst;
    std::memcpy(t.clear_colour, f.clear_colour, 16);
  }
  if (mask & GL_POLYGON_BIT) {
    t.cull = f.cull;
    t.cull_face = f.cull_face;
    t.front_face = f.front_face;
  }
}

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

struct client_arrays {
  client_array vertex, normal, colour;
};
std::vector<client_arrays> client_stack;

}  // namespace

namespace zelmor_web {

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
      not_implemented("glIsEnabled of", cap);
      return GL_FALSE;
  }
}
// Hints leave the choice to the implementation: this one has one way.
void glHint(GLenum, GLenum) {}
void glFrontFace(GLenum mode) {
  if (mode != GL_CCW && mode != GL_CW) return not_implemented("glFrontFace of", mode);
  current->front_face = static_cast<int>(mode);
}
// Colours are interpolated across every primitive: GL_SMOOTH only.
void glShadeModel(GLenum mode) {
  if (mode != GL_SMOOTH) not_implemented("glShadeModel of", mode);
}
void glCullFace(GLenum mode) {
  if (mode != GL_FRONT && mode != GL_BACK && mode != GL_FRONT_AND_BACK)
    return not_implemented("glCullFace of", mode);
  current->cull_face = static_cast<int>(mode);
}
// Polygons are filled: GL_FILL only.
void glPolygonMode(GLenum, GLenum mode) {
  if (mode != GL_FILL) not_implemented("glPolygonMode of", mode);
}
void glDepthMask(GLboolean on) { current->depth_mask = on != GL_FALSE; }
// Bitmaps are read as GL's defaults store them (rows of whole bytes, most
// significant bit first, no skips): only those defaults and row alignment
// 1 are implemented, and glReadPixels' rows are always packed with no gap.
void glPixelStorei(GLenum pname, GLint value) {
  switch (pname) {
    case GL_UNPACK_ALIGNMENT:
    case GL_PACK_ALIGNMENT:
      if (value != 1) not_implemented("glPixelStorei alignment other than 1, for", pname);
      break;
    case GL_UNPACK_SWAP_BYTES:
    case GL_UNPACK_LSB_FIRST:
    case GL_UNPACK_ROW_LENGTH:
    case GL_UNPACK_SKIP_ROWS:
    case GL_UNPACK_SKIP_PIXELS:
      if (value != 0) not_implemented("glPixelStorei of", pname);
      break;
    default: not_implemented("glPixelStorei of", pname); break;
  }
}
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
void glClear(GLbitfield mask) { clear_window(mask); }

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
    default:
      not_implemented("glGetFloatv of", pname);
      out[0] = 0;
      break;
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
    default:
      not_implemented("glGetIntegerv of", pname);
      out[0] = 0;
      break;
  }
}

// Saves every group; glPopAttrib restores only those of the mask.  The
// hint group holds nothing this GL keeps; any other group is refused.
void glPushAttrib(GLbitfield mask) {
  constexpr GLbitfield kept = GL_CURRENT_BIT | GL_ENABLE_BIT | GL_LINE_BIT | GL_POINT_BIT |
                              GL_DEPTH_BUFFER_BIT | GL_POLYGON_BIT | GL_COLOR_BUFFER_BIT | GL_HINT_BIT;
  if ((mask & ~kept) != 0) not_implemented("glPushAttrib of the groups", mask & ~kept);
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
      if (v[3] != 0) not_implemented("glLightfv of a positional light,", pname);
      apply(c.modelview[c.modelview_depth], v, l.position);
      std::memcpy(l.direction, l.position, 12);
      normalise3(l.direction);
      std::memcpy(l.half, l.direction, 12);
      l.half[2] += 1.0f;
      normalise3(l.half);
      break;
    default: not_implemented("glLightfv of", pname); break;
  }
}
// Attenuation and spot lights are not implemented.
void glLightf(GLenum, GLenum pname, GLfloat) { not_implemented("glLightf of", pname); }
void glLightModelfv(GLenum pname, const GLfloat* v) {
  if (pname == GL_LIGHT_MODEL_AMBIENT) std::memcpy(current->model_ambient, v, 16);
  else not_implemented("glLightModelfv of", pname);
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
  begin_primitive(static_cast<int>(mode));
}
void glEnd(void) {
  if (record(OP_END)) return;
  end_primitive();
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
// number of bytes, most significant bit leftmost, drawn at the raster
// position's depth and colour.
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
  draw_bitmap(width, height, xorig, yorig, xmove, ymove, bits);
}

// --- Pixels.

void glReadPixels(GLint x, GLint y, GLsizei w, GLsizei h, GLenum format, GLenum type, GLvoid* out) {
  if (format != GL_RGBA || type != GL_UNSIGNED_BYTE) return not_implemented("glReadPixels of the format", format);
  const context& c = *current;
  read_canvas(c.origin_x + x, c.origin_y + y, w, h, static_cast<unsigned char*>(out));
}

// --- What the page's benchmarks and pixel tests read and switch: the draws
// and triangles sent, the depth sprites' atlas, the savings.

EMSCRIPTEN_KEEPALIVE long zw_draw_calls() { return draw_calls; }
EMSCRIPTEN_KEEPALIVE long zw_triangles_drawn() { return triangles_drawn; }
EMSCRIPTEN_KEEPALIVE long zw_sprite_atlas_starts() { return sprite_atlas_starts; }
EMSCRIPTEN_KEEPALIVE void zw_restart_sprite_atlas() { restart_sprite_atlas(); }
// For the test that the savings change no pixel.
EMSCRIPTEN_KEEPALIVE void zw_set_drawing_savings(int on) { drawing_savings = on != 0; }
EMSCRIPTEN_KEEPALIVE void zw_set_depth_sprites(int on) { depth_sprites = on != 0; }

}  // extern "C"
