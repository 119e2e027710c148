// web/gl_web.h — the web edition's OpenGL 1.x: one rendering state per GLUT
// window, every vertex transformed and lit on the CPU the way the fixed
// pipeline does it, and the resulting triangles gathered into large batches
// that WebGL draws in one call each.
#pragma once

#include <string>
#include <unordered_map>
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

// One recorded command of a display list.
struct list_cmd {
  int op;
  float a[4];
};

// Everything one GL context holds.  Each GLUT window has its own, as each
// desktop window has its own context.
struct context {
  // Where the window lies on the canvas: its bottom-left corner in canvas
  // pixels (y up), and the part of the canvas it may draw on (x, y, w, h).
  int origin_x = 0, origin_y = 0;
  int clip[4] = {0, 0, 0, 0};

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
  int matrix_mode = 0x1700;  // GL_MODELVIEW
  int viewport[4] = {0, 0, 0, 0};

  float clear_colour[4] = {0, 0, 0, 0};
  bool lighting = false, blend = false, depth_test = false, normalize = false;
  bool colour_material = false, cull = false;
  int colour_material_face = 0x0408;  // GL_FRONT_AND_BACK
  int colour_material_mode = 0x1602;  // GL_AMBIENT_AND_DIFFUSE
  int blend_src = 1, blend_dst = 0;   // GL_ONE, GL_ZERO
  int depth_func = 0x0201;            // GL_LESS
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
  };
  std::vector<saved_attrib> attrib_stack;

  std::vector<std::vector<list_cmd>> lists;  // list n is lists[n - 1]
  // What running a list of plain geometry put into the batch, by the state
  // it ran under (see run_list).
  struct list_output {
    bool known = false;     // whether the list was looked at since it was made
    bool geometry = false;  // only unlit polygons: the output can be kept
    bool sets_normal = false;
    float normal[3] = {0, 0, 0};  // the current normal the list leaves
    // The batch's floats, or for a depth sprite where it lies on the canvas
    // and in the sprite atlas (of which fresh start).
    struct kept_output {
      std::vector<float> floats;
      bool sprite = false, no_sprite = false;
      int x = 0, y = 0, w = 0, h = 0, atlas_x = 0, atlas_y = 0;
      long generation = 0;
    };
    std::unordered_map<std::string, kept_output> kept;
  };
  std::vector<list_output> list_outputs;  // of list n at n - 1
  std::vector<std::vector<unsigned char>> list_bitmaps;  // bitmaps copied into lists
  unsigned list_base = 0;
  unsigned compiling = 0;                     // the list being compiled, 0 when none
  bool execute_while_compiling = false;

  context();
};

// The context that GL calls act on; the GLUT layer switches it.
extern context* current;

// The canvas's size in pixels; set once the windows are placed.
void set_canvas_size(int width, int height);
// Draws every gathered triangle (at a buffer swap, before a clear, and
// whenever the drawing state changes).
void flush();
// Fills a rectangle of the canvas (bottom-left origin) with the page's
// background, where no window is.
void clear_canvas(int x, int y, int w, int h);
// Number of WebGL draw calls and of triangles drawn since start-up, for the
// benchmark.
extern long draw_calls;
extern long triangles_drawn;
// Times the depth sprites' atlas started again empty (when full, or when a
// test asks), sprites kept from before then made anew when next drawn.
extern long sprite_atlas_starts;
void restart_sprite_atlas();

// Off: every triangle is drawn, bitmaps go as runs of pixels and display
// lists run afresh each time, so that a test can check that leaving out
// unseen triangles, drawing text from the atlas and keeping lists' output
// change no pixel.
extern bool drawing_savings;
// Off (with the savings on): lists of one opaque colour draw their
// triangles instead of a depth sprite, whose pixels can differ from the
// GPU's own where two surfaces meet within rounding (see run_plain_geometry).
extern bool depth_sprites;

// Brackets the triangles of a closed convex solid centred on the object
// origin (GLUT's sphere and cube), whose hidden back faces need not be drawn.
// Recorded in a display list like any GL call.
void begin_closed_solid();
void end_closed_solid();

}  // namespace zelmor_web
