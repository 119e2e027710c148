// lab/zoom_logic.h — the lab's zoom and pan of the 2D view, GL-free.  zelmor
// maps the view's pixels onto the whole square [-3, 3]^2; the lab shows a
// part of it, scale times as large, centred on centre.  At scale 1 and
// centre (0, 0) every pixel means what it means in zelmor.
#pragma once

inline constexpr double LAB_ZOOM_MAX = 64.0;
inline constexpr double LAB_ZOOM_STEP = 1.25;  // a wheel notch or a key press

struct lab_zoom {
  double scale = 1.0;
  double centre[2] = {0.0, 0.0};
};

bool lab_zoom_whole(const lab_zoom& z);  // the whole square, as zelmor shows it

// The plane position of a view pixel (x, y_up as zelmor's mouse handlers
// take them: y from the bottom) in a view of size w x h.
void lab_zoom_plane(const lab_zoom& z, int x, int y_up, int w, int h, double out[2]);

// Zooms by factor about the pixel (x, y_up): the plane point under it stays
// under it.  The scale is held within 1 .. LAB_ZOOM_MAX and the view within
// the square.  Returns 1 when the view changed.
int lab_zoom_about(lab_zoom* z, double factor, int x, int y_up, int w, int h);

// Moves the picture by (dx, dy) pixels (y up), held within the square.
int lab_zoom_pan(lab_zoom* z, int dx, int dy, int w, int h);
