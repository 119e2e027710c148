// web/glut/glyphs.h — GLUT's bitmap and stroke fonts as plain tables, generated at
// build time from the machine's freeglut (web/glut/gen_glyphs.py).
#pragma once

namespace zelmor_web {

// Character c's record starts at data[offsets[c]]: its advance (= width) in
// pixels, then `rows` rows of (width + 7) / 8 bytes each, bottom row first,
// most significant bit leftmost.
struct bitmap_font {
  int quantity, rows;
  float xorig, yorig;
  const int* offsets;
  const unsigned char* data;
};

struct stroke_strip {
  int first, count;  // vertices verts[2 * first ...]
};
struct stroke_char {
  float right;  // advance
  int first_strip, strip_count;
};
struct stroke_font {
  int quantity;
  float height;
  const stroke_char* chars;
  const stroke_strip* strips;
  const float* verts;
};

extern const bitmap_font BITMAP_9_BY_15, BITMAP_8_BY_13, BITMAP_TIMES_ROMAN_10,
    BITMAP_TIMES_ROMAN_24, BITMAP_HELVETICA_10, BITMAP_HELVETICA_12, BITMAP_HELVETICA_18;
extern const stroke_font STROKE_ROMAN, STROKE_MONO_ROMAN;

}  // namespace zelmor_web
