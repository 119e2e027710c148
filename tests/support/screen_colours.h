// The colours of zelmor's drawing (and the lab's, which draws the same
// layers) as the end-to-end tests read them off a 24-bit screen.
#pragma once

#include "tests/support/xdrive.h"

// Delaunay edges: glColor (0, 0.3, 1).
inline bool delaunay_blue(const xd_rgb& c) { return xd_near(c, {0, 77, 255}, 3); }
// Voronoi edges: glColor (1, 0, 0).
inline bool voronoi_red(const xd_rgb& c) { return xd_near(c, {255, 0, 0}, 3); }
// The selected point's marker.
inline bool magenta(const xd_rgb& c) { return c.r > 200 && c.g < 60 && c.b > 200; }
// The grid's lines, grey whatever the light.
inline bool grid_grey(const xd_rgb& c) { return c.r == c.g && c.g == c.b && c.r > 150 && c.r < 215; }
// A lit lower (Delaunay) face of the 3D view.
inline bool cyan_face(const xd_rgb& c) { return c.r < 130 && c.g > 150 && c.b > 120 && c.g - c.r > 80; }
