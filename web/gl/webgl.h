// web/gl/webgl.h — the WebGL side of the page's GL, written in JavaScript
// (web/gl/webgl.js, linked with --js-library): one canvas-sized WebGL
// context with three shader programs (plain triangles; glyph quads from the
// glyph atlas; depth sprites from the sprite atlas) and the calls below.
// Every coordinate is in canvas pixels, y up.
#pragma once

extern "C" {

// Makes the WebGL context on the page's canvas, width x height pixels, with
// an atlasSize square glyph atlas and a spriteSize square sprite atlas.
// 0 without WebGL; 1 without depth sprites (no EXT_frag_depth); 2 with them.
int zw_gl_init(int width, int height, int atlasSize, int spriteSize);
// Gives the canvas a new size (its pixels cleared to the page's background);
// the context, its programs and atlases stay.
void zw_gl_resize(int width, int height);
// Draws count vertices as triangles with the program (0 plain: 16 bytes a
// vertex; 1 glyphs and 2 sprites: 24), under the given blending, depth test,
// depth write mask and scissor.
void zw_gl_draw(const float* data, int count, int program, int blend, int src, int dst, int depth,
                int func, int depthMask, int sx, int sy, int sw, int sh);
// Clears colour and/or depth (GL's mask bits) inside the scissor rectangle;
// alpha is set to 1.
void zw_gl_clear(int mask, float r, float g, float b, int sx, int sy, int sw, int sh);
// Sends rows y .. y + rows - 1 of the sprite atlas (size x size RGBA texels).
void zw_gl_sprite_rows(int y, int rows, int size, const unsigned char* rgba);
// Sends a w x h block of the glyph atlas (one alpha byte a texel) at x, y.
void zw_gl_glyph(int x, int y, int w, int h, const unsigned char* alpha);
// Reads w x h RGBA pixels from x, y.
void zw_gl_read(int x, int y, int w, int h, unsigned char* out);

}
