// The widget kit's drawing: bevels, push buttons, check boxes, sliders and
// multi-line bitmap text, in immediate mode (only the slider arrows are kept
// in a display list).  The arithmetic they rely on is in widget_logic.cpp.
#include <GL/freeglut.h>

#include <GL/glu.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "view2d/scale.h"
#include "view2d/view2d.h"

static_assert(WIDGET_LEFT_BUTTON == GLUT_LEFT_BUTTON);
static_assert(WIDGET_DOWN == GLUT_DOWN);
static_assert(WIDGET_UP == GLUT_UP);

namespace {

constexpr float BEVEL_GREY = 0.33f;  // float on purpose

void white() { glColor4f(1.0f, 1.0f, 1.0f, 1.0f); }
void black() { glColor4f(0.0f, 0.0f, 0.0f, 1.0f); }
void grey() { glColor4f(BEVEL_GREY, BEVEL_GREY, BEVEL_GREY, 1.0f); }
void red() { glColor4f(1.0f, 0.0f, 0.0f, 1.0f); }
void blue() { glColor4f(0.0f, 0.0f, 1.0f, 1.0f); }

// Two sides of a rectangle: the left and top edges, then the bottom and
// right edges, each as one strip through the shared corner.
void left_top(float x0, float y0, float x1, float y1) {
  glBegin(GL_LINE_STRIP);
  glVertex2f(x0, y0);
  glVertex2f(x0, y1);
  glVertex2f(x1, y1);
  glEnd();
}
void bottom_right(float x0, float y0, float x1, float y1) {
  glBegin(GL_LINE_STRIP);
  glVertex2f(x0, y0);
  glVertex2f(x1, y0);
  glVertex2f(x1, y1);
  glEnd();
}

// The black outline that both button frames share, 1.5 pixels outside.
void button_outline(float x0, float y0, float x1, float y1) {
  black();
  scaled_line_width(1.0f);
  glBegin(GL_LINE_LOOP);
  glVertex2f(x0 - 1.5f, y0 - 1.5f);
  glVertex2f(x0 - 1.5f, y1 + 1.5f);
  glVertex2f(x1 + 1.5f, y1 + 1.5f);
  glVertex2f(x1 + 1.5f, y0 - 1.5f);
  glEnd();
}

// The two halves of every frame: the left and top edges in one grey, the
// bottom and right edges in the other.  Raised frames are light at the top
// left, sunken ones dark.
void two_tone(int x0, int y0, int x1, int y1, bool raised, float width) {
  if (raised) white(); else grey();
  scaled_line_width(width);
  left_top(x0, y0, x1, y1);
  if (raised) grey(); else white();
  scaled_line_width(width);
  bottom_right(x0, y0, x1, y1);
}

// Raster position first, so the text takes the colour current at the call.
void label_at(void* font, int x, int y, const char* text) {
  glRasterPos2i(x, y);
  draw_bitmap_text(font, text, static_cast<int>(std::strlen(text)));
}

void readout_at(const slider_rec& s, float v, int x, int y) {
  char buf[16];  // "%5.2f" of any value in the sliders' ranges fits
  std::snprintf(buf, sizeof buf, s.format, static_cast<double>(v));
  label_at(GLUT_BITMAP_TIMES_ROMAN_10, x, y, buf);
}

struct text_pen {
  int x, y, step;
  void* font;
};

void draw_one_line(void* ctx, int k, const char* begin, int length) {
  const text_pen& pen = *static_cast<const text_pen*>(ctx);
  glRasterPos2i(pen.x, pen.y - k * pen.step);
  draw_bitmap_text(pen.font, begin, length);
}

}  // namespace

// Raised: light on the left and top, dark on the bottom and right.  Keeps the
// caller's colour.
void draw_bevel(int x0, int y0, int x1, int y1) {
  GLfloat saved[4];
  glGetFloatv(GL_CURRENT_COLOR, saved);
  two_tone(x0, y0, x1, y1, true, 1.0f);
  glColor4fv(saved);
}

// Sunken: the raised bevel's colours swapped.  Keeps the caller's colour.
void draw_bevel_sunken(int x0, int y0, int x1, int y1) {
  GLfloat saved[4];
  glGetFloatv(GL_CURRENT_COLOR, saved);
  two_tone(x0, y0, x1, y1, false, 0.5f);
  glColor4fv(saved);
}

void draw_button_frame(int x0, int y0, int x1, int y1) {
  button_outline(x0, y0, x1, y1);
  two_tone(x0, y0, x1, y1, true, 1.5f);
}

void draw_button_frame_pressed(int x0, int y0, int x1, int y1) {
  button_outline(x0, y0, x1, y1);
  two_tone(x0, y0, x1, y1, false, 1.5f);
}

void draw_button(const button_rec& b) {
  label_at(b.font, b.x0 + 3, label_baseline(b), b.label);
  if (b.state == 1) {
    draw_button_frame_pressed(b.x0, b.y0, b.x1, b.y1);
  } else {
    draw_button_frame(b.x0, b.y0, b.x1, b.y1);
  }
}

void draw_check_box(const button_rec& b) {
  label_at(b.font, b.x0 + 15, label_baseline(b), b.label);
  draw_check_frame(b.x0, b.y0 + 5, b.x0 + 10, b.y0 + 15);
  if (b.state == 1) draw_check_mark(b.x0, b.y0 + 5, b.x0 + 10, b.y0 + 15);
}

// The 10 x 10 box, raised inside a thin black outline.  Keeps the caller's
// colour.
void draw_check_frame(int x0, int y0, int x1, int y1) {
  GLfloat saved[4];
  glGetFloatv(GL_CURRENT_COLOR, saved);
  two_tone(x0 + 1, y0 + 1, x1 - 1, y1 - 1, true, 1.0f);
  black();
  scaled_line_width(0.5f);
  glBegin(GL_LINE_LOOP);
  glVertex2i(x0, y0);
  glVertex2i(x1, y0);
  glVertex2i(x1, y1);
  glVertex2i(x0, y1);
  glEnd();
  glColor4fv(saved);
}

// The tick starts inside the box, dips just below it and ends 5 pixels to the
// right of it, level with its top edge.
void draw_check_mark(int x0, int y0, int x1, int y1) {
  red();
  scaled_line_width(3.5f);
  glBegin(GL_LINES);
  glVertex2i(x0 + 5, y1 - 6);
  glVertex2i(x0 + 8, y0 - 1);
  glEnd();
  scaled_line_width(2.5f);
  glBegin(GL_LINES);
  glVertex2i(x0 + 8, y0 - 1);
  glVertex2i(x1 + 5, y1);
  glEnd();
}

void draw_slider(slider_rec& s) {
  const int x0 = s.x0, y0 = s.y0, x1 = s.x1;
  // The arrow glyphs never change: compile them once, in the window current
  // at the first draw, and replay them afterwards.
  if (s.list == 0) {
    s.list = glGenLists(1);
    glNewList(s.list, GL_COMPILE_AND_EXECUTE);
    black();
    scaled_line_width(1.0f);
    glBegin(GL_TRIANGLES);
    glVertex2i(x1 - 18, y0 + 12);  // up arrow
    glVertex2i(x1 - 15, y0 + 15);
    glVertex2i(x1 - 12, y0 + 12);
    glVertex2i(x1 - 18, y0 + 5);   // down arrow
    glVertex2i(x1 - 15, y0 + 1);
    glVertex2i(x1 - 12, y0 + 5);
    glEnd();
    glEndList();
    place_knob(s);
  } else {
    glCallList(s.list);
  }

  // The track, shaded from white at the left to black at the right.
  scaled_line_width(12.0f);
  glBegin(GL_LINES);
  white();
  glVertex2i(x0 + 23, y0 + 7);
  black();
  glVertex2i(x1 - 25, y0 + 7);
  glEnd();

  blue();
  readout_at(s, s.value, (x1 - x0) / 2 + x0 - 4, y0 + 14);

  // While the knob is held it follows the pointer pixel by pixel; otherwise
  // it sits on the (snapped) value.
  if (s.dragging == 0) place_knob(s);

  red();
  readout_at(s, s.min, x0 + 17, y0 + 16);
  readout_at(s, s.max, x1 - 30, y0 + 17);

  if (s.up_pressed) {
    draw_bevel_sunken(x1 - 20, y0 + 9, x1 - 10, y0 + 16);
  } else {
    draw_bevel(x1 - 20, y0 + 9, x1 - 10, y0 + 16);
  }
  if (s.down_pressed) {
    draw_bevel_sunken(x1 - 20, y0, x1 - 10, y0 + 7);
  } else {
    draw_bevel(x1 - 20, y0, x1 - 10, y0 + 7);
  }

  const int k = s.knob_x;
  draw_bevel(k - 6, y0 + 2, k + 5, y0 + 11);
  const float g = s.dragging ? 0.75f : 0.5f;
  glColor4f(g, g, g, 1.0f);
  glBegin(GL_POLYGON);
  glVertex2i(k - 5, y0 + 3);
  glVertex2i(k + 5, y0 + 3);
  glVertex2i(k + 5, y0 + 11);
  glVertex2i(k - 5, y0 + 11);
  glEnd();
}

void draw_text_lines(const char* text, int x, int y, int step, void* font) {
  text_pen pen{x, y, step, font};
  for_each_text_line(text, draw_one_line, &pen);
}

int flip_y(int y) {
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  return layout_px(flip_y_in(viewport[3], y));
}

// ---------------------------------------------------------------------------
// Drawing at the scale.
// ---------------------------------------------------------------------------

void scaled_line_width(float layout_width) { glLineWidth(layout_width * draw_scale()); }

void scaled_point_size(float layout_size) { glPointSize(layout_size * draw_scale()); }

namespace {

// GLUT's bitmap fonts in the order of bitmap_font.
void* glut_font(bitmap_font f) {
  switch (f) {
    case bitmap_font::fixed_8x13: return GLUT_BITMAP_8_BY_13;
    case bitmap_font::fixed_9x15: return GLUT_BITMAP_9_BY_15;
    case bitmap_font::times_10: return GLUT_BITMAP_TIMES_ROMAN_10;
    case bitmap_font::times_24: return GLUT_BITMAP_TIMES_ROMAN_24;
    case bitmap_font::helvetica_10: return GLUT_BITMAP_HELVETICA_10;
    case bitmap_font::helvetica_12: return GLUT_BITMAP_HELVETICA_12;
    case bitmap_font::helvetica_18: return GLUT_BITMAP_HELVETICA_18;
  }
  return GLUT_BITMAP_8_BY_13;
}

// The cell width of a fixed-width GLUT font (8 x 13, 9 x 15), 0 for others.
// Text laid out in cells (the help's two columns, by blanks) keeps its
// columns in the proportional font of a larger scale: each character is
// drawn at the start of its cell, times the scale.
int fixed_cell(void* font) {
  if (font == GLUT_BITMAP_8_BY_13) return 8;
  if (font == GLUT_BITMAP_9_BY_15) return 9;
  return 0;
}

}  // namespace

void* scaled_font(void* font) {
  if (draw_scale() == 1.0f) return font;
  for (int k = 0; k < BITMAP_FONT_COUNT; ++k) {
    const bitmap_font f = static_cast<bitmap_font>(k);
    if (glut_font(f) == font) return glut_font(font_for_scale(f, draw_scale()));
  }
  return font;  // not a GLUT bitmap font: as given
}

void draw_bitmap_text(void* font, const char* text, int length) {
  void* const f = scaled_font(font);
  if (length < 0) length = static_cast<int>(std::strlen(text));
  const float cell = static_cast<float>(fixed_cell(font)) * draw_scale();
  for (int i = 0; i < length; ++i) {
    const int c = static_cast<unsigned char>(text[i]);
    glutBitmapCharacter(f, c);
    // A move of the raster position only (no pixels) to the next cell.
    if (f != font && cell > 0.0f)
      glBitmap(0, 0, 0.0f, 0.0f, cell - static_cast<float>(glutBitmapWidth(f, c)), 0.0f, nullptr);
  }
}

void draw_label_text(void* font, const char* text) {
  void* const f = scaled_font(font);
  for (const char* c = text; *c != '\0'; ++c) glutBitmapCharacter(f, static_cast<unsigned char>(*c));
}

int bitmap_text_width(void* font, const char* text) {
  if (draw_scale() != 1.0f && fixed_cell(font) > 0)
    return fixed_cell(font) * static_cast<int>(std::strlen(text));
  const int device = glutBitmapLength(scaled_font(font), reinterpret_cast<const unsigned char*>(text));
  // Rounded up: text measured to fit keeps fitting.
  return static_cast<int>(std::ceil(static_cast<double>(device) / draw_scale()));
}


void layout_projection(int width, int height) {
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  const double s = draw_scale();
  gluOrtho2D(0, width / s, 0, height / s);
  glMatrixMode(GL_MODELVIEW);
}
