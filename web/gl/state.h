// web/gl/state.h — the bottom floor of the page's GL: what one GL context
// holds, the matrix arithmetic and the state setters that derive nothing
// drawn.  No WebGL here and nothing above it (web/gl/gl_web.h has the stack).
#pragma once

#include <vector>

namespace zelmor_web {

struct light_state {
  float ambient[4] = {0, 0, 0, 1};
  float diffuse[4] = {0, 0, 0, 1};
  float specular[4] = {0, 0, 0, 1};
  float position[4] = {0, 0, 1, 0};  // eye coordinates, as given through the modelview
  // From the position: the unit direction to the light and the unit half
  // vector for a viewer at infinity.
  float direction[3] = {0, 0, 1};
  float half[3] = {0, 0, 1};
  bool on = false;
};

struct material_state {
  float ambient[4] = {0.2f, 0.2f, 0.2f, 1};
  float diffuse[4] = {0.8f, 0.8f, 0.8f, 1};
  float specular[4] = {0, 0, 0, 1};
  float emission[4] = {0, 0, 0, 1};
  float shininess = 0;
};

// One recorded command of a display list (web/gl/list_store.h names them).
struct list_cmd {
  int op;
  float a[4];
};

// Every value a GL call sets that what is drawn may depend on.  The kept
// output of display lists (web/gl/savings.cpp) is keyed by these bytes, all
// of them but the fields it names as not mattering, so that a field added
// here cannot leave kept output stale: at worst it keeps less.
struct draw_state {
  // Where the window lies on the canvas: its bottom-left corner in canvas
  // pixels (y up), and the part of the canvas it may draw on (x, y, w, h).
  int origin_x = 0, origin_y = 0;
  int clip[4] = {0, 0, 0, 0};
  int viewport[4] = {0, 0, 0, 0};
  int matrix_mode = 0x1700;  // GL_MODELVIEW

  float clear_colour[4] = {0, 0, 0, 0};
  bool lighting = false, blend = false, depth_test = false, normalize = false;
  bool colour_material = false, cull = false, depth_mask = true;
  int colour_material_face = 0x0408;  // GL_FRONT_AND_BACK
  int colour_material_mode = 0x1602;  // GL_AMBIENT_AND_DIFFUSE
  int blend_src = 1, blend_dst = 0;   // GL_ONE, GL_ZERO
  int depth_func = 0x0201;            // GL_LESS
  int cull_face = 0x0405;             // GL_BACK
  int front_face = 0x0901;            // GL_CCW
  light_state lights[8];
  material_state front, back;
  float model_ambient[4] = {0.2f, 0.2f, 0.2f, 1};

  float line_width = 1, point_size = 1;
  bool line_stipple = false;
  int stipple_factor = 1;
  unsigned short stipple_pattern = 0xFFFF;
  float colour[4] = {1, 1, 1, 1};
  float normal[3] = {0, 0, 1};
  float raster[3] = {0, 0, 0};  // window coordinates
  float raster_colour[4] = {1, 1, 1, 1};
  bool raster_valid = true;

  // Between begin_closed_solid and end_closed_solid: where the solid's
  // centre (its object origin) lies in window coordinates.
  bool solid_open = false, solid_centre_ok = false;
  float solid_centre[3] = {0, 0, 0};
};

// Everything one GL context holds.  Each GLUT window has its own, as each
// desktop window has its own context.
struct context : draw_state {
  float modelview[32][16];
  int modelview_depth = 0;
  float projection[4][16];
  int projection_depth = 0;
  // Counts changes of either matrix, so that what is derived from them is
  // worked out once per change rather than once per vertex.
  unsigned matrix_changes = 0;
  unsigned derived_at = ~0u;
  float model_view_projection[16];
  float normal_matrix[9];  // the modelview's inverse transpose, rows

  // glPushAttrib's stack: the groups of the mask pushed, each as it was.
  struct saved_attrib {
    unsigned mask;
    float colour[4], normal[3], raster[3], raster_colour[4];  // current
    bool raster_valid;
    bool lighting, blend, depth_test, normalize, colour_material, cull, lights_on[8];  // enable
    bool line_stipple;                                                                 // enable, line
    float line_width;                                                                  // line
    int stipple_factor;
    unsigned short stipple_pattern;
    float point_size;  // point
    bool depth_mask;   // depth buffer
    int depth_func;
    int cull_face, front_face;  // polygon
    int blend_src, blend_dst;   // colour buffer
    float clear_colour[4];
  };
  std::vector<saved_attrib> attrib_stack;

  std::vector<std::vector<list_cmd>> lists;  // list n is lists[n - 1]
  // Of list n at n - 1: how many times it was made or deleted, so that what
  // was worked out from its commands can tell it is out of date.
  std::vector<unsigned> list_versions;
  std::vector<std::vector<unsigned char>> list_bitmaps;  // bitmaps copied into lists
  unsigned list_base = 0;
  unsigned compiling = 0;  // the list being compiled, 0 when none
  bool execute_while_compiling = false;

  context();
};

// The context that GL calls act on; the GLUT layer switches it.
extern context* current;

// Ends the program with a message naming a GL value or call that this GL
// does not implement, in a build with ZELMOR_WEB_GL_STRICT (the debug
// build); otherwise the call is ignored, as the release page always did.
void not_implemented(const char* what, unsigned value = 0);

// --- Matrices: column-major single precision, as the desktop driver keeps them.
void identity(float* m);
void mult(float* m, const float* b);  // m = m * b
void apply(const float* m, const float* v, float* out);  // out = m v
// The matrix that a matrix call changes; every caller may change it.
float* top_matrix();
// The product of the two matrices and the normal matrix, when they changed.
void derive(const context& c);
void normalise3(float* v);

// --- State setters shared by the entry points and list replay.
void set_enabled(unsigned cap, bool on);
void set_material(unsigned face, unsigned pname, const float* v);
// The material follows the current colour under GL_COLOR_MATERIAL.
void track_colour(context& c);

}  // namespace zelmor_web
