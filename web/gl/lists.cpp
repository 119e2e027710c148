// The top floor of the page's GL: display lists made and called.  A list's
// commands (web/gl/list_store.h) replay through the GL entry points, as the
// calls that recorded them; a list of plain polygons may instead draw its
// kept output (web/gl/savings.h), which is handed this replay to run.
#include <GL/gl.h>

#include <cstring>
#include <vector>

#include "web/gl/gl_web.h"
#include "web/gl/list_store.h"
#include "web/gl/pipeline.h"
#include "web/gl/savings.h"
#include "web/gl/state.h"

using namespace zelmor_web;

namespace {

void run_list(unsigned id, int depth);

void run_commands(unsigned id, int depth) {
  const context& c = *current;
  // Nothing a list runs can compile or delete a list, so the commands stay put.
  const std::vector<list_cmd>& cmds = *list_commands(id);
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

void run_list(unsigned id, int depth) {
  const context& c = *current;
  if (list_commands(id) == nullptr || depth > 64) return;
  // Kept output stands for the list's whole run, so not while a list is
  // compiled (its calls are recorded) or inside glBegin (its primitives
  // would join the open one).
  if (c.compiling == 0 && prim_mode == -1 && run_kept_list(id, depth, run_commands)) return;
  run_commands(id, depth);
}

}  // namespace

extern "C" {

GLuint glGenLists(GLsizei range) {
  context& c = *current;
  const GLuint first = static_cast<GLuint>(c.lists.size()) + 1;
  c.lists.resize(c.lists.size() + static_cast<size_t>(range));
  return first;
}
void glNewList(GLuint list, GLenum mode) {
  context& c = *current;
  if (list == 0) return;
  reset_list(list);
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
      default: return not_implemented("glCallLists of the type", type);
    }
    glCallList(static_cast<GLuint>(current->list_base + id));
  }
}
GLboolean glIsList(GLuint list) { return list != 0 && list <= current->lists.size(); }
void glDeleteLists(GLuint list, GLsizei range) {
  context& c = *current;
  for (GLuint k = list; k < list + static_cast<GLuint>(range) && k <= c.lists.size(); ++k)
    if (k > 0) reset_list(k);
}

}  // extern "C"
