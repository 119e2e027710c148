// Prints plane_pixels.h's answers for a sweep of plane coordinates and of
// pixels, one line each, for test_plane_pixels.py to hold the Python side
// of the mapping to: "p <p> <pixel> <column> <image row>" and
// "n <n> <plane of column> <plane of mouse row> <plane length>".
#include <cstdio>

#include "tests/support/plane_pixels.h"

int main() {
  for (int k = -320; k <= 320; ++k) {
    const double p = k / 100.0 + k * 1e-5;  // hundredths and a little off them
    std::printf("p %.17g %.17g %d %d\n", p, pixel_of_plane(p), pixel_of_plane_toward_zero(p),
                image_row_of_plane_toward_zero(p));
  }
  for (int n = -20; n <= 560; ++n)
    std::printf("n %d %.17g %.17g %.17g\n", n, plane_of_pixel(n), plane_of_mouse_row(n),
                plane_length_of_pixels(n));
  return 0;
}
