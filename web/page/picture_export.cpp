// The page's "Download SVG" (the batch tool's picture of the current
// points), the windows a picture is cut from, and the page's links: its
// address fragment carries the points, the panel's settings and the 3D
// view's turn, and opening it puts them back.  For a program page built on
// the GL floor (zelmor_web_front); the lab's page has richer ones of its own
// (lab_page.cpp) and uses only the first two here.
#include <emscripten.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/picture.h"
#include "app/point_text.h"
#include "app/windows.h"
#include "view2d/scale.h"
#include "view2d/view2d.h"
#include "view3d/view3d.h"

namespace {


// The panel's state and the turn, as the fragment keeps them.
struct page_view {
  int box[4] = {1, 1, 1, 0};  // hyperboloid, delaunay, voronoi, grid
  double weight = 1.0, opacity = 0.4, knob = 0.4, zoom = 1.5;
  double rot[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};
const char* const kBoxes[4] = {"panel.hyperboloid", "panel.delaunay", "panel.voronoi", "panel.grid"};

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE const char* zw_svg() {
  static std::string svg;
  // With 4 points or fewer the views show no edges; with more, the records
  // are brought up to date first, as the next 3D frame would.
  if (point_count > 4 && need_recompute) recompute();
  svg = picture_svg(point_count > 4 ? collect_picture() : picture{});
  return svg.c_str();
}

// The window a picture of a view is cut from: 2 the 2D view, 3 the 3D
// window; 0 for any other.
EMSCRIPTEN_KEEPALIVE int zw_view_window(int which) {
  return which == 2 ? points_win : which == 3 ? view3d_win : 0;
}

// The page's drawing scale anew (the browser zoomed, or the window's width
// changed): every window laid out for it; the page then fits its canvas.
EMSCRIPTEN_KEEPALIVE void zw_set_draw_scale(float scale) {
  set_draw_scale(scale);
  fit_windows_to_scale();
}

// The points and the view as an address fragment.
EMSCRIPTEN_KEEPALIVE const char* zw_fragment() {
  static std::string f;
  f.clear();
  const int boxes[4] = {show_hyperboloid, show_delaunay, show_voronoi, show_grid};
  for (int i = 0; i < 4; ++i) f += std::string(kBoxes[i]) + "=" + std::to_string(boxes[i] ? 1 : 0) + "&";
  f += "panel.weight=" + shortest_text(weight) + "&panel.opacity=" + shortest_text(hyperboloid_opacity) +
       "&panel.opacity-knob=" + shortest_text(opacity_slider.value) + "&panel.zoom=" + shortest_text(zoom_factor) + "&view.rot=";
  for (int i = 0; i < 16; ++i) f += (i ? "," : "") + shortest_text(view_rotation[i]);
  f += "&p=";
  for (int i = 0; i < point_count; ++i) f += (i ? ";" : "") + shortest_text(plane_table[i].x) + "," + shortest_text(plane_table[i].y);
  return f.c_str();
}

// Opens a fragment made by zw_fragment: the points replace the current
// ones and the view is set as the panel and a drag would set it.  Returns ""
// when opened, else why not (and nothing has changed).
EMSCRIPTEN_KEEPALIVE const char* zw_open_link(const char* fragment) {
  static std::string error;
  error.clear();
  std::string f = fragment;
  if (!f.empty() && f[0] == '#') f.erase(0, 1);
  page_view v;
  v.weight = weight;
  v.opacity = hyperboloid_opacity;
  v.knob = opacity_slider.value;
  v.zoom = zoom_factor;
  std::vector<point_rec> pts;
  bool points_seen = false;
  std::size_t at = 0;
  while (at < f.size()) {
    std::size_t amp = f.find('&', at);
    if (amp == std::string::npos) amp = f.size();
    const std::string part = f.substr(at, amp - at);
    at = amp + 1;
    if (part.empty()) continue;
    const std::size_t eq = part.find('=');
    const std::string key = part.substr(0, eq), value = eq == std::string::npos ? "" : part.substr(eq + 1);
    bool ok = eq != std::string::npos;
    int box = -1;
    for (int i = 0; i < 4; ++i)
      if (key == kBoxes[i]) box = i;
    if (!ok) {
    } else if (box >= 0) {
      ok = value == "0" || value == "1";
      if (ok) v.box[box] = value == "1";
    } else if (key == "panel.weight") {
      ok = number_list(value, &v.weight, 1) && v.weight >= -3.0 && v.weight <= 10.0;
    } else if (key == "panel.opacity") {
      ok = number_list(value, &v.opacity, 1) && v.opacity >= 0.0 && v.opacity <= 1.0;
    } else if (key == "panel.opacity-knob") {
      // The slider shows its own value until it is first moved; the surface
      // keeps its start-up opacity till then.
      ok = number_list(value, &v.knob, 1) && v.knob >= 0.0 && v.knob <= 1.0;
    } else if (key == "panel.zoom") {
      ok = number_list(value, &v.zoom, 1) && v.zoom >= ZOOM_MIN && v.zoom <= ZOOM_MAX;
    } else if (key == "view.rot") {
      ok = number_list(value, v.rot, 16);
    } else if (key == "p") {
      points_seen = true;
      std::size_t p = 0;
      while (ok && p < value.size()) {
        std::size_t semi = value.find(';', p);
        if (semi == std::string::npos) semi = value.size();
        const std::string one = value.substr(p, semi - p);
        p = semi + 1;
        double xy[2];
        const std::string index = std::to_string(pts.size());
        if (pts.size() >= static_cast<std::size_t>(MAX_POINTS)) {
          error = "more than " + std::to_string(MAX_POINTS) + " points";
          return error.c_str();
        }
        if (!number_list(one, xy, 2)) {
          error = "point " + index + ": '" + one.substr(0, 60) + "' is not x,y";
          return error.c_str();
        }
        if (!(std::fabs(xy[0]) <= 3.0 && std::fabs(xy[1]) <= 3.0)) {
          error = "point " + index + " lies outside [-3, 3] x [-3, 3]";
          return error.c_str();
        }
        pts.push_back(point_rec{xy[0], xy[1], 0.0, 0.0});
      }
    } else {
      ok = false;
    }
    if (!ok) {
      error = "'" + part.substr(0, 60) + "' is not part of a link to this page";
      return error.c_str();
    }
  }
  if (!points_seen) {
    error = "the link has no points (p=...)";
    return error.c_str();
  }
  // The panel as its boxes and sliders would leave it.
  unsigned char* states[4] = {&hyperboloid_check.state, &delaunay_check.state, &voronoi_check.state,
                              &grid_check.state};
  for (int i = 0; i < 4; ++i) *states[i] = static_cast<unsigned char>(v.box[i]);
  show_hyperboloid = v.box[0];
  show_delaunay = v.box[1];
  show_voronoi = v.box[2];
  show_grid = static_cast<unsigned char>(v.box[3]);
  weight_slider.value = static_cast<float>(v.weight);
  place_knob(weight_slider);
  weight = weight_slider.value;
  opacity_slider.value = static_cast<float>(v.knob);
  place_knob(opacity_slider);
  hyperboloid_opacity = static_cast<float>(v.opacity);
  zoom_factor = static_cast<float>(v.zoom);
  std::memcpy(view_rotation, v.rot, sizeof v.rot);
  // The points as the right button adds them, one after the other.
  replace_point_set(pts.data(), static_cast<int>(pts.size()));
  selected_count = 0;
  drag_index = -1;
  redisplay_windows("23S");
  return error.c_str();
}

}  // extern "C"
