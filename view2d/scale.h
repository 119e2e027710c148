// view2d/scale.h — the drawing scale: how many device pixels one pixel of the
// windows' layout takes.  GL-free (scale_logic.cpp).
//
// zelmor on the desktop always draws at 1, and at 1 every size below is the
// size it always was, so its pixels do not change.  The lab's presentation
// key and the page (its canvas drawn at the device's pixel ratio) set larger
// scales: window sizes, line widths, point sizes, pick distances, widget
// geometry and text all follow together, so a frame at scale 2 is the frame
// at scale 1 drawn with twice the pixels, not magnified.
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
