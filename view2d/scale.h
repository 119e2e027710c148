// view2d/scale.h — the drawing scale: how many device pixels one pixel of the
// windows' layout takes.  GL-free (scale_logic.cpp).
//
// zelmor on the desktop always draws at 1, and at 1 every size below is the
// size it always was, so its pixels do not change.  The lab's presentation
// key and the page (its canvas drawn at the device's pixel ratio) set larger
// scales: window sizes, line widths, point sizes, pick distances, widget
// geometry and text all follow together, so a frame at scale 2 is the frame
// at scale 1 drawn with twice the pixels, not magnified.
//
// Who works in which pixels:
//   - the control panel, the lab's status band and the About window lay out
//     in layout pixels: their projection is gluOrtho2D(0, w / scale, 0,
//     h / scale) and their mouse positions are divided by the scale
//     (layout_px), so every widget rectangle and hit test keeps its numbers;
//   - the 3D window projects layout pixels as well (view3d_w, view3d_h are
//     layout sizes), so the scene, the camera and the drag arithmetic keep
//     theirs;
//   - the 2D points view works in device pixels (points_win_w, points_win_h
//     are its real size): the plane fills it whatever the scale, and a click
//     lands on the finest plane position the screen can show.  What it
//     measures in pixels (the pick square, offsets of text) is scaled_px of
//     the layout length.
#pragma once

// The current drawing scale; 1 until set_draw_scale says otherwise.
float draw_scale();
// Sets the drawing scale, clamped to [DRAW_SCALE_MIN, DRAW_SCALE_MAX] (a
// value that is not a finite number leaves it unchanged).  Windows already
// created are not resized here: the caller does that.
void set_draw_scale(float scale);

inline constexpr float DRAW_SCALE_MIN = 1.0f;
inline constexpr float DRAW_SCALE_MAX = 4.0f;

// A layout length in device pixels at the current scale, rounded to the
// nearest whole pixel (at scale 1: the length itself).
int scaled_px(int layout_pixels);
// A device pixel position (a mouse coordinate, a window size) in layout
// pixels: divided by the scale and cut down to a whole pixel, so that every
// device pixel of a layout pixel maps to it (at scale 1: the position itself).
int layout_px(int device_pixels);

// The GLUT bitmap fonts, by the nominal pixel height their names carry.
// Text at a scale is drawn in the font nearest to (base height x scale)
// among those at least as tall as the base font: larger glyphs, never
// magnified pixels.  GLUT has nothing taller than 24 pixels, so from about
// scale 2 on every text is Times Roman 24 (at scale 3 a 12-pixel label is
// 24 pixels tall rather than 36: still readable across a room, and it fits
// the scaled widgets with room to spare).
enum class bitmap_font { fixed_8x13, fixed_9x15, times_10, times_24, helvetica_10, helvetica_12,
                         helvetica_18 };
inline constexpr int BITMAP_FONT_COUNT = 7;
// The nominal height of a font: 13, 15, 10, 24, 10, 12, 18.
int bitmap_font_height(bitmap_font font);
// The font that draws base at the given scale (base itself at scale 1).
bitmap_font font_for_scale(bitmap_font base, float scale);
