// web/gl/pipeline.h — the fixed pipeline on the CPU: every vertex
// transformed (modelview, projection, viewport) and lit at glVertex time,
// primitives assembled into triangles in canvas pixels (lines of any width
// as quads widened along the minor axis, points as squares, bitmaps as runs
// of pixel-sized quads at the raster position's depth), each put into the
// batch unless the savings leave it out.  Below it: state, batch, savings.
#pragma once

#include "web/gl/batch.h"
#include "web/gl/state.h"

namespace zelmor_web {

// Object coordinates to window coordinates on the canvas; false when the
// point lies outside the clip volume.
bool to_window(const context& c, const float* obj, float* win);
// The lit colour of the current normal: one-sided, infinite viewer, the
// front material.
void lit_colour(const context& c, float* out);

// glBegin's mode, or -1 outside glBegin/glEnd.
extern int prim_mode;
// The vertices since glBegin.
extern std::vector<vtx> prim;
// Starts and ends a primitive; glEnd draws it.
void begin_primitive(int mode);
void end_primitive();
// Transforms and lights a vertex of the current primitive.
void vertex4(float x, float y, float z, float w);

// A bitmap (rows bottom first, each a whole number of bytes, most
// significant bit leftmost) at the raster position, which then moves.
void draw_bitmap(int width, int height, float xorig, float yorig, float xmove, float ymove,
                 const unsigned char* bits);

}  // namespace zelmor_web
