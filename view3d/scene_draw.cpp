// The scene drawers shared by the "3D Projection" window and the 2D points
// view.  What an edit can change (points, labels, hull faces, edges) is sent
// on every frame; what no edit changes goes to the GL once: the surface mesh
// as client-side arrays, one sphere and one cube of the current marker size,
// the axes, the grid and the label glyphs as display lists of each window.
// Both forms draw the same pixels as the immediate path; immediate_drawing
// switches back to it (the frame comparison test and the benchmark use it;
// the program never sets it).
#include <GL/freeglut.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

#include "app/windows.h"
#include "view2d/scale.h"
#include "view2d/view2d.h"
#include "view3d/view3d.h"

const float point_colour[4] = {0.14f, 0.14f, 0.56f, 1.0f};
const float selected_point_colour[4] = {1.0f, 0.0f, 1.0f, 1.0f};
const float label_colour[4] = {0.0f, 0.5f, 1.0f, 1.0f};
const float axis_colour[4] = {0.2f, 0.2f, 0.2f, 0.4f};
const float axis_letter_colour[4] = {1.0f, 0.0f, 0.0f, 1.0f};
const float grid_colour[4] = {0.1f, 0.1f, 0.1f, 0.3f};

bool immediate_drawing = false;

namespace {

bool is_selected(int i) {
  for (int k = 0; k < selected_count; ++k)
    if (selected_points[k] == i) return true;
  return false;
}

const float* marker_colour(int i) { return is_selected(i) ? selected_point_colour : point_colour; }

// Marker size that cancels the 3D view's zoom scale, so that markers keep
// their size on screen.
float marker_size() { return static_cast<float>(0.15 / zoom_factor); }

void vertex(const point_rec* p) { glVertex3d(p->x, p->y, p->z); }

// ---------------------------------------------------------------------------
// Display lists of static geometry.
//
// Every window has a GL context of its own, and display lists belong to a
// context, so a list is kept per window and piece.  Each list remembers the
// key it was compiled for (a size, an opacity, a flag); a different key
// recompiles it in place, so an edit of the zoom or the opacity costs one
// compilation and every other frame replays.  Nothing is ever released:
// there are at most a few lists per window.
// ---------------------------------------------------------------------------

enum class piece { surface, sphere, cube, axes, grid, digits };

struct cached_list {
  int win;        // GLUT window whose context owns the list; 0 unused
  piece what;
  double key;     // what the list was compiled for
  GLuint list;    // the first list name; 0 when glGenLists failed
};

constexpr int MAX_CACHED_LISTS = 16;  // 6 pieces in each of the two views
cached_list cached_lists[MAX_CACHED_LISTS];

// The slot of (current window, what), taken from the free ones when there is
// none yet (win is then still 0 in it); null when the table is full.
cached_list* find_slot(piece what) {
  const int win = glutGetWindow();
  cached_list* free_slot = nullptr;
  for (cached_list& c : cached_lists) {
    if (c.win == win && c.what == what) return &c;
    if (c.win == 0 && free_slot == nullptr) free_slot = &c;
  }
  return free_slot;
}

// Issues what emit() issues: by replaying the list of (current window, what)
// compiled for key, compiling it first when there is none or its key
// differs; or by calling emit() itself under immediate_drawing, when the
// table is full, or when the GL has no list name to give.
template <class Emit>
void draw_static(piece what, double key, const Emit& emit) {
  cached_list* slot = immediate_drawing ? nullptr : find_slot(what);
  if (slot == nullptr) {
    emit();
    return;
  }
  const bool fresh = slot->win == 0;
  if (fresh) *slot = cached_list{glutGetWindow(), what, key, glGenLists(1)};
  if (slot->list == 0) {
    emit();
    return;
  }
  if (fresh || slot->key != key) {
    slot->key = key;
    glNewList(slot->list, GL_COMPILE);
    emit();
    glEndList();
  }
  glCallList(slot->list);
}

}  // namespace

namespace {

// The mesh as 49 x 49 quads, each with its own colour call, as the surface
// has always been sent.
void emit_surface() {
  for (int i = 0; i < MESH_N - 1; ++i) {
    for (int j = 0; j < MESH_N - 1; ++j) {
      glColor4f(1.0f, 1.0f, 0.0f, hyperboloid_opacity);
      glBegin(GL_POLYGON);
      // Counter-clockwise seen from below, the side the normals point to.
      const int corner[4][2] = {{i, j}, {i, j + 1}, {i + 1, j + 1}, {i + 1, j}};
      for (const auto& c : corner) {
        const point_rec& n = hyperboloid_normals[c[0]][c[1]];
        const point_rec& v = hyperboloid_mesh[c[0]][c[1]];
        glNormal3f(static_cast<float>(n.x), static_cast<float>(n.y), static_cast<float>(n.z));
        glVertex3f(static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z));
      }
      glEnd();
    }
  }
}

// The mesh in client-side arrays, filled at the first draw: every mesh point
// once (as the floats the immediate path sends), and each quad as the two
// triangles that Mesa makes of a four-vertex GL_POLYGON, in its vertex
// order, so that each triangle is set up and shaded exactly as before.
struct surface_arrays {
  bool filled;
  float vertex[MESH_N * MESH_N][3];
  float normal[MESH_N * MESH_N][3];
  GLushort index[(MESH_N - 1) * (MESH_N - 1) * 6];
};
surface_arrays surface;

// Corners of a quad in polygon order (0 .. 3, as emit_surface sends them)
// for its two triangles.
constexpr int SURFACE_TRIANGLES[6] = {1, 2, 0, 2, 3, 0};

void fill_surface_arrays() {
  for (int i = 0; i < MESH_N; ++i) {
    for (int j = 0; j < MESH_N; ++j) {
      const point_rec& n = hyperboloid_normals[i][j];
      const point_rec& v = hyperboloid_mesh[i][j];
      float* out_v = surface.vertex[i * MESH_N + j];
      float* out_n = surface.normal[i * MESH_N + j];
      out_v[0] = static_cast<float>(v.x);
      out_v[1] = static_cast<float>(v.y);
      out_v[2] = static_cast<float>(v.z);
      out_n[0] = static_cast<float>(n.x);
      out_n[1] = static_cast<float>(n.y);
      out_n[2] = static_cast<float>(n.z);
    }
  }
  int k = 0;
  for (int i = 0; i < MESH_N - 1; ++i) {
    for (int j = 0; j < MESH_N - 1; ++j) {
      const int corner[4] = {i * MESH_N + j, i * MESH_N + j + 1, (i + 1) * MESH_N + j + 1,
                             (i + 1) * MESH_N + j};
      for (const int c : SURFACE_TRIANGLES) surface.index[k++] = static_cast<GLushort>(corner[c]);
    }
  }
  surface.filled = true;
}

}  // namespace

void draw_hyperboloid() {
  glEnable(GL_LIGHTING);
  if (immediate_drawing) {
    emit_surface();
  } else {
    if (!surface.filled) fill_surface_arrays();
    glColor4f(1.0f, 1.0f, 0.0f, hyperboloid_opacity);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, surface.vertex);
    glNormalPointer(GL_FLOAT, 0, surface.normal);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(std::size(surface.index)), GL_UNSIGNED_SHORT,
                   surface.index);
    glPopClientAttrib();
  }
  glDisable(GL_LIGHTING);
}

void draw_hull_faces() {
  glEnable(GL_LIGHTING);
  for (const rec_node* n = tri_list->head; n != nullptr; n = n->next) {
    const dtri* t = static_cast<const dtri*>(n->data);
    if (t->face_normal[2] > 0.0f) {
      glColor4f(0.0f, 1.0f, 0.0f, 1.0f);  // upper hull
    } else {
      glColor4f(0.0f, 1.0f, 1.0f, 1.0f);  // lower hull: the Delaunay triangles
    }
    glBegin(GL_TRIANGLES);
    glNormal3fv(t->face_normal);
    vertex(t->v[0]);
    vertex(t->v[1]);
    vertex(t->v[2]);
    glEnd();
    // The outline stays lit, so it is shaded like its face.
    glColor4f(0.0f, 0.0f, 1.0f, 1.0f);
    scaled_line_width(3.0f);
    glBegin(GL_LINE_STRIP);
    glNormal3fv(t->face_normal);
    vertex(t->v[0]);
    vertex(t->v[1]);
    vertex(t->v[2]);
    vertex(t->v[0]);
    glEnd();
  }
  glDisable(GL_LIGHTING);
}

namespace {

// One line of width 2 in the colour (r, g, b, 1) in the plane z = 0 for every
// edge of edge_list for which segment(edge, seg) gives one (seg: x0, y0,
// x1, y1).  All of them in one batch with the colour and the width set once;
// under immediate_drawing each with its own colour, width and begin/end, as
// before.  Separate segments of one width and colour rasterise alike either
// way.
template <class Segment>
void draw_edge_lines(float r, float g, float b, const Segment& segment) {
  const bool each = immediate_drawing;
  if (!each) {
    glColor4f(r, g, b, 1.0f);
    scaled_line_width(2.0f);
    glBegin(GL_LINES);
  }
  for (const rec_node* n = edge_list->head; n != nullptr; n = n->next) {
    double seg[4];
    if (!segment(static_cast<const dedge*>(n->data), seg)) continue;
    if (each) {
      glColor4f(r, g, b, 1.0f);
      scaled_line_width(2.0f);
      glBegin(GL_LINES);
    }
    glVertex3d(seg[0], seg[1], 0.0);
    glVertex3d(seg[2], seg[3], 0.0);
    if (each) glEnd();
  }
  if (!each) glEnd();
}

}  // namespace

void draw_delaunay_edges() {
  draw_edge_lines(0.0f, 0.3f, 1.0f, [](const dedge* e, double seg[4]) {
    seg[0] = e->a->x;
    seg[1] = e->a->y;
    seg[2] = e->b->x;
    seg[3] = e->b->y;
    return true;
  });
}

void draw_voronoi_edges() { draw_edge_lines(1.0f, 0.0f, 0.0f, voronoi_edge); }

void draw_lifted_points() {
  const float r = marker_size();
  for (int i = 0; i < point_count; ++i) {
    glColor4fv(marker_colour(i));
    glPushMatrix();
    glTranslated(point_table[i].x, point_table[i].y, point_table[i].z);
    draw_static(piece::sphere, r, [r] { glutSolidSphere(r, 10, 10); });
    glPopMatrix();
  }
}

void draw_plane_points(const point_rec* table) {
  const float s = marker_size();
  const GLboolean lit = glIsEnabled(GL_LIGHTING);
  const int win = glutGetWindow();
  if (win == points_win) {
    glDisable(GL_LIGHTING);
    scaled_point_size(8.0f);
    glBegin(GL_POINTS);
    for (int i = 0; i < point_count; ++i) {
      glColor4fv(marker_colour(i));
      glVertex3d(table[i].x, table[i].y, table[i].z);
    }
    glEnd();
  } else if (win == view3d_win) {
    for (int i = 0; i < point_count; ++i) {
      glColor4fv(marker_colour(i));
      glPushMatrix();
      glTranslated(table[i].x, table[i].y, table[i].z);
      draw_static(piece::cube, s, [s] { glutSolidCube(s); });
      glPopMatrix();
    }
  }
  if (lit) glEnable(GL_LIGHTING);
}

namespace {

// The order in which draw_point_labels visits the points: in bands of 0.1
// plane units from the bottom, left to right within a band.
//
// Why not index order: Mesa gathers consecutive glBitmap calls of one colour
// and depth into a strip 512 x 32 pixels wide and draws the strip at once;
// every bitmap outside the strip ends it, and each strip costs a round trip
// through the software renderer.  In index order nearly every label starts a
// strip; in bands (9 pixels high in the 2D view) about one strip per band
// remains, which halves the 2D frame.  (Through the glyph lists below, the
// same order keeps the moves from one label to the next short.)  The order
// cannot show: every label is drawn in the one opaque colour, so a pixel ends
// up in the label colour if any label fragment passes the depth test, and the
// depth buffer ends up holding the nearest of them, whichever comes first.
void label_order(const point_rec* table, int* order) {
  for (int i = 0; i < point_count; ++i) order[i] = i;
  const auto band = [table](int i) { return static_cast<int>((table[i].y + 3.0) * 10.0); };
  std::sort(order, order + point_count, [&](int p, int q) {
    return band(p) != band(q) ? band(p) < band(q) : table[p].x < table[q].x;
  });
}

// The label glyphs of the current window as display lists of one glBitmap
// each (ids relative to the first list):
//   0 .. 9            the digits "0" to "9" of GLUT_BITMAP_8_BY_13;
//   FIRST_TEXT + i    the whole label "i" as one bitmap, its digits side by
//                     side as they fall when drawn one after the other;
//   FIRST_MOVE + ...  bitmaps without pixels whose only effect is to move the
//                     raster position by +-2^k pixels along x or along y.
//
// Why lists: a label drawn with glutBitmapCharacter goes through Mesa's
// bitmap cache, which draws a whole 512 x 32 pixel strip for every label whose
// depth differs from the previous one's, every label in the 3D view.  A
// glCallLists of lists that each hold one bitmap instead draws every bitmap
// as a quad of its own size from a glyph atlas, with the same position rule
// (the raster position less the bitmap's origin, rounded down), depth and
// colour.  Mesa's software renderer then pays for each quad (it copies 33 KB
// of shader state for nearly every 8-pixel quad, far less often for wider
// ones) and for each glCallLists (a draw of its own): whole labels send a
// third of the quads, and the moves let labels that share a depth (all of
// them in the 2D view) go out in one call.
constexpr int GLYPH_ADVANCE = 8;                         // every digit is 8 pixels wide and moves 8
constexpr int GLYPH_ROWS = 14;                           // the font's height
constexpr float GLYPH_XORIG = 0.0f, GLYPH_YORIG = 3.0f;  // the font's origin
constexpr int MOVE_BITS = 11;                            // moves of 1 .. 1024 pixels
constexpr int FIRST_TEXT = 10;
constexpr int FIRST_MOVE = FIRST_TEXT + MAX_POINTS;      // +x, -x, +y, -y: MOVE_BITS each
constexpr int GLYPH_LISTS = FIRST_MOVE + 4 * MOVE_BITS;
static_assert(GLYPH_LISTS <= 256, "glyph ids are sent as unsigned bytes");

// The digits of GLUT_BITMAP_8_BY_13 as freeglut (3.x) draws them, one byte a
// row from the bottom.  The frame comparison test holds whole labels built
// from them against glutBitmapCharacter, pixel for pixel.
constexpr GLubyte DIGIT_BITS[10][GLYPH_ROWS] = {
    {0x00, 0x00, 0x00, 0x18, 0x24, 0x42, 0x42, 0x42, 0x42, 0x42, 0x24, 0x18, 0x00, 0x00},
    {0x00, 0x00, 0x00, 0x7c, 0x10, 0x10, 0x10, 0x10, 0x10, 0x50, 0x30, 0x10, 0x00, 0x00},
    {0x00, 0x00, 0x00, 0x7e, 0x40, 0x20, 0x18, 0x04, 0x02, 0x42, 0x42, 0x3c, 0x00, 0x00},
    {0x00, 0x00, 0x00, 0x3c, 0x42, 0x02, 0x02, 0x1c, 0x08, 0x04, 0x02, 0x7e, 0x00, 0x00},
    {0x00, 0x00, 0x00, 0x04, 0x04, 0x7e, 0x44, 0x44, 0x24, 0x14, 0x0c, 0x04, 0x00, 0x00},
    {0x00, 0x00, 0x00, 0x3c, 0x42, 0x02, 0x02, 0x62, 0x5c, 0x40, 0x40, 0x7e, 0x00, 0x00},
    {0x00, 0x00, 0x00, 0x3c, 0x42, 0x42, 0x62, 0x5c, 0x40, 0x40, 0x20, 0x1c, 0x00, 0x00},
    {0x00, 0x00, 0x00, 0x20, 0x20, 0x10, 0x10, 0x08, 0x08, 0x04, 0x02, 0x7e, 0x00, 0x00},
    {0x00, 0x00, 0x00, 0x3c, 0x42, 0x42, 0x42, 0x3c, 0x42, 0x42, 0x42, 0x3c, 0x00, 0x00},
    {0x00, 0x00, 0x00, 0x38, 0x04, 0x02, 0x02, 0x3a, 0x46, 0x42, 0x42, 0x3c, 0x00, 0x00},
};

// Compiles the bitmap of the label text (digits 0 .. 9, n of them) into the
// current list: one byte per digit and row, rows from the bottom.
void compile_text_bitmap(const int* digits, int n) {
  GLubyte bits[GLYPH_ROWS * 12] = {};
  for (int r = 0; r < GLYPH_ROWS; ++r)
    for (int c = 0; c < n; ++c) bits[r * n + c] = DIGIT_BITS[digits[c]][r];
  const float width = static_cast<float>(GLYPH_ADVANCE * n);
  glBitmap(GLYPH_ADVANCE * n, GLYPH_ROWS, GLYPH_XORIG, GLYPH_YORIG, width, 0.0f, bits);
}

// The decimal digits of i (0 <= i < 10^11); returns how many.
int decimal_digits(int i, int* digits) {
  char text[12];
  const int n = std::snprintf(text, sizeof text, "%d", i);
  for (int c = 0; c < n; ++c) digits[c] = text[c] - '0';
  return n;
}

// The first glyph list of the current window; 0 when there are none
// (immediate_drawing, or no list names).
GLuint glyph_lists() {
  cached_list* slot = immediate_drawing ? nullptr : find_slot(piece::digits);
  if (slot == nullptr) return 0;
  if (slot->win == 0) *slot = cached_list{glutGetWindow(), piece::digits, 0.0, glGenLists(GLYPH_LISTS)};
  // The digits are those of the font for the drawing scale (the whole labels
  // and the moves below serve scale 1 only).
  if (slot->key != draw_scale()) {
    slot->key = draw_scale();
    const GLuint base = slot->list;
    for (GLuint d = 0; base != 0 && d < 10; ++d) {
      glNewList(base + d, GL_COMPILE);
      glutBitmapCharacter(scaled_font(GLUT_BITMAP_8_BY_13), '0' + static_cast<int>(d));
      glEndList();
    }
    // The bits as packed above, whatever the unpack state (as freeglut does).
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int i = 0; base != 0 && i < MAX_POINTS; ++i) {
      int digits[12];
      const int n = decimal_digits(i, digits);
      glNewList(base + static_cast<GLuint>(FIRST_TEXT + i), GL_COMPILE);
      compile_text_bitmap(digits, n);
      glEndList();
    }
    for (int m = 0; base != 0 && m < 4 * MOVE_BITS; ++m) {
      const float sign = (m / MOVE_BITS) % 2 == 0 ? 1.0f : -1.0f;
      const float step = sign * static_cast<float>(1 << (m % MOVE_BITS));
      const bool along_x = m < 2 * MOVE_BITS;
      glNewList(base + static_cast<GLuint>(FIRST_MOVE + m), GL_COMPILE);
      // Mesa refuses to compile an empty bitmap given no bits at all.
      static const GLubyte no_bits[1] = {0};
      glBitmap(0, 0, 0.0f, 0.0f, along_x ? step : 0.0f, along_x ? 0.0f : step, no_bits);
      glEndList();
    }
    glPopClientAttrib();
  }
  return slot->list;
}

// The pixel at which a bitmap with origin `origin` starts for the raster
// coordinate r, floor(r - origin), when every way of rounding it that a GL
// may use (with or without a 1e-4 nudge, before or after the subtraction, in
// single or double precision) gives that pixel; false when r lies so close to
// a pixel edge that they may differ.
bool certain_pixel(float r, float origin, int* pixel) {
  const float nudge = 0.0001f;
  const float a = std::floor(r - origin);
  if (a != std::floor(r + nudge - origin) || a != std::floor(r - origin + nudge) ||
      a != static_cast<float>(std::floor(static_cast<double>(r) - origin)))
    return false;
  *pixel = static_cast<int>(a);
  return true;
}

// The raster coordinate in the middle of a pixel, for a bitmap of the given
// origin: a whole number plus one half, so that sums of whole moves stay exact.
float pixel_middle(int pixel, float origin) { return static_cast<float>(pixel) + origin + 0.5f; }

// The digits the labels are drawn in: GLUT_BITMAP_8_BY_13's at scale 1,
// whose whole-label bitmaps (FIRST_TEXT) the lists hold too; at another
// scale the font for that scale, label by label from its digits' lists.
// The origins are freeglut's for each font (glutBitmapCharacter draws every
// glyph of a font from the one origin).
struct label_digits {
  void* font;
  int advance;         // every digit's width and move; 0 when they differ
  float xorig, yorig;
  bool whole;          // FIRST_TEXT + i draws label i
};
label_digits digits_now{GLUT_BITMAP_8_BY_13, GLYPH_ADVANCE, GLYPH_XORIG, GLYPH_YORIG, true};

label_digits digits_for_scale() {
  void* const font = scaled_font(GLUT_BITMAP_8_BY_13);
  if (font == GLUT_BITMAP_8_BY_13) return {font, GLYPH_ADVANCE, GLYPH_XORIG, GLYPH_YORIG, true};
  const struct {
    void* font;
    float yorig;
  } kOrigins[] = {{GLUT_BITMAP_9_BY_15, 4.0f},        {GLUT_BITMAP_TIMES_ROMAN_10, 4.0f},
                  {GLUT_BITMAP_TIMES_ROMAN_24, 7.0f}, {GLUT_BITMAP_HELVETICA_10, 3.0f},
                  {GLUT_BITMAP_HELVETICA_12, 4.0f},   {GLUT_BITMAP_HELVETICA_18, 5.0f}};
  label_digits d{font, 0, 0.0f, 0.0f, false};  // advance 0: each label on its own
  for (const auto& o : kOrigins) {
    if (o.font != font) continue;
    d.yorig = o.yorig;
    d.advance = glutBitmapWidth(font, '0');
    for (int c = '1'; c <= '9'; ++c)
      if (glutBitmapWidth(font, c) != d.advance) d.advance = 0;
  }
  return d;
}

// One label: its index, the point its raster position is set at, the window
// position the GL computed for it and the pixel of its first digit.
struct placed_label {
  int index;
  double at[3];
  float x, y, z;
  int px, py;
};

// Sets the raster position of l.
void place(const placed_label& l) { glRasterPos3d(l.at[0], l.at[1], l.at[2]); }

// Draws l digit by digit at its own raster position, as every label was
// drawn before whole labels and moves.
void draw_by_digits(const placed_label& l) {
  int digits[12];
  const int n = decimal_digits(l.index, digits);
  char ids[12];
  for (int c = 0; c < n; ++c) ids[c] = static_cast<char>(digits[c]);
  place(l);
  glCallLists(n, GL_UNSIGNED_BYTE, ids);
}

// True when the GL can say where l's raster position (just set) lies and it
// is valid; on a GL that cannot answer (it leaves the query's sentinels),
// *known is set false.
bool read_placement(placed_label* l, bool* known) {
  GLfloat pos[4] = {-1.0f, -2.0f, -3.0f, -4.0f};
  glGetFloatv(GL_CURRENT_RASTER_POSITION, pos);
  if (pos[1] == -2.0f && pos[2] == -3.0f && pos[3] == -4.0f) {
    *known = false;
    return false;
  }
  GLfloat valid = 0.0f;
  glGetFloatv(GL_CURRENT_RASTER_POSITION_VALID, &valid);
  l->x = pos[0];
  l->y = pos[1];
  l->z = pos[2];
  return valid != 0.0f;
}

// True when l may be drawn as one bitmap and from a shifted raster position:
// each of its digits, drawn one after the other, lands on a pixel that no way
// of rounding can change, GLYPH_ADVANCE pixels after the previous one, and
// the shift of its raster position to the middle of its first digit's pixel
// is exact.  Sets l->px, l->py.
bool movable(placed_label* l) {
  const label_digits& g = digits_now;
  if (g.advance == 0) return false;
  if (!certain_pixel(l->y, g.yorig, &l->py)) return false;
  int digits[12];
  const int n = decimal_digits(l->index, digits);
  float x = l->x;
  for (int c = 0; c < n; ++c) {
    int px = 0;
    if (!certain_pixel(x, g.xorig, &px)) return false;
    if (c == 0) l->px = px;
    if (px != l->px + g.advance * c) return false;
    x += static_cast<float>(g.advance);  // as the GL moves the raster position
  }
  const float mx = pixel_middle(l->px, g.xorig), my = pixel_middle(l->py, g.yorig);
  return l->x + (mx - l->x) == mx && l->y + (my - l->y) == my;
}

// Movable labels that share one depth, sent as one glCallLists: the first
// label's raster position shifted to the middle of its first digit's pixel,
// then for each label the moves from where the previous one ended and its
// whole-label bitmap (at another scale: its digits).  Every shifted position is a whole number of pixels
// plus one half, so every sum the GL forms along the way is exact and every
// digit lands on the pixel it lands on when each label is drawn digit by
// digit from a raster position of its own.
class label_batch {
 public:
  // Adds l; false when it cannot join (another depth, a move too long): the
  // caller then sends the batch and starts a new one with l.
  bool add(const placed_label& l) {
    if (labels_ > 0) {
      if (l.z != first_.z) return false;
      const int dx = l.px - end_px_, dy = l.py - end_py_;
      const int limit = 1 << MOVE_BITS;
      if (dx <= -limit || dx >= limit || dy <= -limit || dy >= limit) return false;
      if (count_ + 2 * MOVE_BITS + 3 > static_cast<int>(sizeof ids_)) return false;
      append_moves(dx, FIRST_MOVE);
      append_moves(dy, FIRST_MOVE + 2 * MOVE_BITS);
    } else {
      first_ = l;
    }
    int digits[12];
    const int n = decimal_digits(l.index, digits);
    if (digits_now.whole) {
      ids_[count_++] = static_cast<char>(FIRST_TEXT + l.index);
    } else {
      for (int c = 0; c < n; ++c) ids_[count_++] = static_cast<char>(digits[c]);
    }
    end_px_ = l.px + digits_now.advance * n;
    end_py_ = l.py;
    ++labels_;
    return true;
  }

  // Sends the batch and empties it.
  void send() {
    if (labels_ == 0) return;
    place(first_);
    // A lone label needs no shift: its bitmap starts where its first digit would.
    if (labels_ > 1) {
      glBitmap(0, 0, 0.0f, 0.0f, pixel_middle(first_.px, digits_now.xorig) - first_.x,
               pixel_middle(first_.py, digits_now.yorig) - first_.y, nullptr);
    }
    glCallLists(count_, GL_UNSIGNED_BYTE, ids_);
    labels_ = 0;
    count_ = 0;
  }

 private:
  // The moves (first: the id of the +1 move of the axis) that add up to d.
  void append_moves(int d, int first) {
    const int id = first + (d < 0 ? MOVE_BITS : 0);
    const int m = d < 0 ? -d : d;
    for (int k = 0; k < MOVE_BITS; ++k)
      if ((m >> k) & 1) ids_[count_++] = static_cast<char>(id + k);
  }

  placed_label first_{};
  int labels_ = 0, count_ = 0;
  int end_px_ = 0, end_py_ = 0;
  char ids_[MAX_POINTS * (2 * MOVE_BITS + 3)];  // moves and up to 3 digits a label
};

}  // namespace

void draw_point_labels(const point_rec* table) {
  const GLboolean lit = glIsEnabled(GL_LIGHTING);
  glDisable(GL_LIGHTING);
  glColor4fv(label_colour);
  int order[MAX_POINTS];
  label_order(table, order);
  const GLuint glyphs = glyph_lists();
  if (glyphs != 0) glListBase(glyphs);
  label_batch batch;
  digits_now = digits_for_scale();
  bool known = glyphs != 0;  // the GL tells where a raster position lies
  for (int k = 0; k < point_count; ++k) {
    const int i = order[k];
    placed_label l{i, {table[i].x + 0.07, table[i].y + 0.07, table[i].z + 0.07}, 0, 0, 0, 0, 0};
    if (glyphs == 0) {
      place(l);
      char text[12];
      std::snprintf(text, sizeof text, "%d", i);
      // One glyph after the other, as the lists draw them (no cells).
      for (const char* c = text; *c != '\0'; ++c) glutBitmapCharacter(digits_now.font, *c);
      continue;
    }
    if (known) {
      place(l);
      const bool valid = read_placement(&l, &known);
      if (known && !valid) continue;  // a label outside the view draws nothing
      if (known && movable(&l)) {
        if (!batch.add(l)) {
          batch.send();
          batch.add(l);  // an empty batch takes any movable label
        }
        continue;
      }
      // Too close to a pixel edge to be moved there, or a GL that cannot say
      // where it lies: digit by digit.
      batch.send();
    }
    draw_by_digits(l);
  }
  batch.send();
  if (known && point_count > 0) {
    // The raster position where the last label leaves it when each label is
    // drawn digit by digit.
    const int last = order[point_count - 1];
    glRasterPos3d(table[last].x + 0.07, table[last].y + 0.07, table[last].z + 0.07);
    int digits[12];
    const int n = decimal_digits(last, digits);
    for (int c = 0; c < n; ++c) {
      const float step = static_cast<float>(glutBitmapWidth(digits_now.font, '0' + digits[c]));
      glBitmap(0, 0, 0.0f, 0.0f, step, 0.0f, nullptr);
    }
  }
  if (glyphs != 0) glListBase(0);
  if (lit) glEnable(GL_LIGHTING);
}

namespace {

constexpr double AXIS_END = 2.85;  // shafts run from -2.85 to 2.85
constexpr double SHAFT_RADIUS = 0.022, SHAFT_LENGTH = 5.7;
constexpr double HEAD_RADIUS = 0.05, HEAD_LENGTH = 0.17;

// One transform step of an axis piece; the pieces are described as tables so
// that each reads as the sequence of steps applied before drawing it.
struct axis_step {
  char kind;  // 't' translate, 'r' rotate (angle, then the axis), 0 end
  double a, b, c, d;
};

void apply(const axis_step* steps) {
  for (const axis_step* s = steps; s->kind != 0; ++s) {
    if (s->kind == 't') {
      glTranslated(s->a, s->b, s->c);
    } else {
      glRotated(s->a, s->b, s->c, s->d);
    }
  }
}

void shaft(const axis_step* steps) {
  glPushMatrix();
  apply(steps);
  gluCylinder(axis_quadric, SHAFT_RADIUS, SHAFT_RADIUS, SHAFT_LENGTH, 10, 10);
  glPopMatrix();
}

void head(const axis_step* steps) {
  glPushMatrix();
  apply(steps);
  gluCylinder(arrow_quadric, HEAD_RADIUS, 0.0, HEAD_LENGTH, 10, 10);
  glPopMatrix();
}

void letter(const axis_step* steps, int c) {
  glPushMatrix();
  apply(steps);
  glScaled(0.002, 0.002, 0.002);
  glutStrokeCharacter(GLUT_STROKE_ROMAN, c);
  glPopMatrix();
}

// The axes as draw_axes describes them.
void emit_axes(int with_z) {
  const double e = AXIS_END;
  glColor4fv(axis_colour);
  // Shafts: a quadric cylinder runs along +z from its base.
  if (with_z) {
    const axis_step z_shaft[] = {{'t', 0, 0, -e, 0}, {0, 0, 0, 0, 0}};
    shaft(z_shaft);
  }
  const axis_step y_shaft[] = {{'t', 0, e, 0, 0}, {'r', 90, 1, 0, 0}, {0, 0, 0, 0, 0}};
  const axis_step x_shaft[] = {{'t', -e, 0, 0, 0}, {'r', 90, 0, 1, 0}, {0, 0, 0, 0, 0}};
  shaft(y_shaft);
  shaft(x_shaft);

  // Arrow heads, each pointing outward from its end.
  const axis_step minus_y[] = {{'t', 0, -e, 0, 0}, {'r', 90, 1, 0, 0}, {0, 0, 0, 0, 0}};
  const axis_step plus_y[] = {
      {'t', 0, e, 0, 0}, {'r', 180, 0, 0, 1}, {'r', 90, 1, 0, 0}, {0, 0, 0, 0, 0}};
  const axis_step plus_x[] = {{'t', e, 0, 0, 0}, {'r', 90, 0, 1, 0}, {0, 0, 0, 0, 0}};
  const axis_step minus_x[] = {
      {'t', -e, 0, 0, 0}, {'r', 180, 0, 0, 1}, {'r', 90, 0, 1, 0}, {0, 0, 0, 0, 0}};
  head(minus_y);
  head(plus_y);
  head(plus_x);
  head(minus_x);
  if (with_z) {
    const axis_step plus_z[] = {{'t', 0, 0, e, 0}, {0, 0, 0, 0, 0}};
    const axis_step minus_z[] = {{'t', 0, 0, -e, 0}, {'r', 180, 0, 1, 0}, {0, 0, 0, 0, 0}};
    head(plus_z);
    head(minus_z);
  }

  glColor4fv(axis_letter_colour);
  scaled_line_width(1.5f);
  const axis_step at_x[] = {{'t', 2.733, 0.1, 0, 0}, {0, 0, 0, 0, 0}};
  const axis_step at_y[] = {{'t', 0.1, 2.733, 0, 0}, {0, 0, 0, 0, 0}};
  letter(at_x, 'X');
  letter(at_y, 'Y');
  if (with_z) {
    const axis_step at_z[] = {
        {'t', 0.23, 0, 2.733, 0}, {'r', 270, 1, 0, 0}, {'r', 180, 0, 1, 0}, {0, 0, 0, 0, 0}};
    letter(at_z, 'Z');
  }
}

}  // namespace

// The lists hold line widths: each is compiled for one drawing scale.
void draw_axes(int with_z) {
  draw_static(piece::axes, with_z + 10.0 * draw_scale(), [with_z] { emit_axes(with_z); });
}

namespace {

void emit_grid() {
  scaled_line_width(0.5f);
  glColor4fv(grid_colour);
  glBegin(GL_LINES);
  // A float counter, as the grid has always been drawn: -9 .. 9 are exact.
  for (float k = -9.0f; k < 10.0f; k += 1.0f) {
    glVertex3f(k / 3.0f, -3.0f, 0.0f);
    glVertex3f(k / 3.0f, 3.0f, 0.0f);
  }
  for (float k = -9.0f; k < 10.0f; k += 1.0f) {
    glVertex3f(-3.0f, k / 3.0f, 0.0f);
    glVertex3f(3.0f, k / 3.0f, 0.0f);
  }
  glEnd();
}

}  // namespace

void draw_grid() { draw_static(piece::grid, draw_scale(), emit_grid); }
