// web/gl/savings.h — the page's speed-ups, all of them behind this header
// and built from web/gl/savings.cpp alone.  Each leaves out work that cannot
// change a pixel (depth sprites aside, see below): the floors above ask the
// questions here and draw everything when the answer is "no saving".
//
// The one switch is the build's ZELMOR_WEB_SAVINGS (web/CMakeLists.txt):
// off, savings.cpp is not built and every question below answers "no
// saving", which is the page drawing every triangle, bitmaps as runs of
// pixels and display lists afresh.  On, `drawing_savings` switches them all
// off at run time (for the pixel test that compares both), `depth_sprites`
// the depth sprites alone, and `zw_set_saving` any one of them, for the
// benchmark that weighs each.
//
// Sits above the batch (web/gl/batch.h) and below the vertex pipeline,
// which asks it; it calls nothing above it (list replay is handed in).
#pragma once

#include "web/gl/batch.h"
#include "web/gl/state.h"

#ifndef ZELMOR_WEB_SAVINGS
#error "ZELMOR_WEB_SAVINGS must be 0 or 1 (web/CMakeLists.txt sets it)"
#endif

namespace zelmor_web {

// The speed-ups, each measured on its own (bench/bench_web.py --each).
enum saving_kind {
  SAVE_SUBPIXEL = 0,    // triangles that cover no pixel centre are left out
  SAVE_BACK_FACES = 1,  // hidden back faces of GLUT's closed solids are left out
  SAVE_GLYPHS = 2,      // a bitmap is one quad from the glyph atlas
  SAVE_KEPT_LISTS = 3,  // a list of plain unlit polygons keeps its output by state
  SAVE_SPRITES = 4,     // kept output of one opaque colour becomes a depth sprite
  SAVINGS = 5
};
// Tried and taken out, as the benchmark could not show it paying: opaque
// output under a blend that then replaces the pixel drawn with blending off
// (docs/performance.md).

// What running a list does, for the kept output (the list layer's replay).
using list_runner = void (*)(unsigned id, int depth);

#if ZELMOR_WEB_SAVINGS

// Off: every triangle is drawn, bitmaps go as runs of pixels and display
// lists run afresh each time, so that a test can check that the savings
// change no pixel.
extern bool drawing_savings;
// Off (with the savings on): lists of one opaque colour draw their
// triangles instead of a depth sprite, whose pixels can differ from the
// GPU's own where two surfaces meet within rounding.
extern bool depth_sprites;
// Times the depth sprites' atlas started again empty (when full, or when a
// test asks), sprites kept from before then made anew when next drawn.
extern long sprite_atlas_starts;
void restart_sprite_atlas();

// True when the triangle of a polygon (in the batch's state, begun) cannot
// change a pixel and may be left out.
bool leave_out(const vtx& a, const vtx& b, const vtx& c);
// Draws a bitmap as one quad from the glyph atlas at x0, y0 (whole pixels)
// in the raster colour and depth; false when it did not (the caller then
// draws its runs of pixels).
bool draw_bitmap_quad(int width, int height, const unsigned char* bits, float x0, float y0);
// Runs list id (plain, not compiling, outside glBegin) from its kept output
// or through run, keeping what run puts into the batch; false when the list
// or the state does not allow it (the caller then runs it).
bool run_kept_list(unsigned id, int depth, list_runner run);

#else  // the page without its speed-ups: every answer is "no saving"

inline bool drawing_savings = false;
inline bool depth_sprites = false;
inline long sprite_atlas_starts = 0;
inline void restart_sprite_atlas() {}
inline bool leave_out(const vtx&, const vtx&, const vtx&) { return false; }
inline bool draw_bitmap_quad(int, int, const unsigned char*, float, float) { return false; }
inline bool run_kept_list(unsigned, int, list_runner) { return false; }

#endif

}  // namespace zelmor_web
