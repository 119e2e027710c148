// The page's "Download SVG": the batch tool's picture of the current points,
// for a program page built on the core (see zelmor_web_page).
#include <emscripten.h>

#include <string>

#include "app/app.h"
#include "app/picture.h"

extern "C" EMSCRIPTEN_KEEPALIVE const char* zw_svg() {
  static std::string svg;
  // With 4 points or fewer the views show no edges; with more, the records
  // are brought up to date first, as the next 3D frame would.
  if (point_count > 4 && need_recompute) recompute();
  svg = picture_svg(point_count > 4 ? collect_picture() : picture{});
  return svg.c_str();
}
