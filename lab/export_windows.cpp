// Export of what the lab shows, and the view state of lesson files: the GL
// half.  e writes the 2D view as SVG and as PNG and the 3D view as PNG, each
// a new file in the working directory named by date and time; E does the
// same three times as large for print (the SVG drawn at that size, the PNGs
// drawn into an off-screen buffer of that size).
#define GL_GLEXT_PROTOTYPES 1
#include <GL/freeglut.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/windows.h"
#include "lab/construction_logic.h"
#include "lab/edit.h"
#include "lab/export_png.h"
#include "lab/export_state.h"
#include "lab/lab.h"
#include "lab/lab_picture_svg.h"
#include "lab/lessons.h"
#include "lab/snap_logic.h"
#include "lab/weights.h"
#include "view2d/scale.h"
#include "view2d/view2d.h"
#include "view3d/view3d.h"

namespace {

// --- view state ----------------------------------------------------------------

void get_state(lab_view_state* s) {
  s->hyperboloid = show_hyperboloid;
  s->delaunay = show_delaunay;
  s->voronoi = show_voronoi;
  s->grid = show_grid;
  s->weight = weight;
  s->opacity = hyperboloid_opacity;
  s->knob = opacity_slider.value;
  s->zoom = zoom_factor;
  lab_lessons_state l;
  lab_lessons_get(&l);
  s->labels = l.labels;
  s->furthest = l.furthest;
  s->circle = l.circle;
  s->weight_circles = lab_show_weight_circles;
  s->angles = lab_angles_shown();
  s->pins = lab_pinned();
  s->has_pins = true;
  s->flip_on = lab_counter_example_shown(&s->flip) ? 1 : 0;
  s->has_flip = true;
  lab_picked_triangle picked;
  s->pick_on = lab_picked_shown(&picked) ? 1 : 0;
  s->pick = picked.corner;
  s->has_pick = true;
  s->pointer_inside = l.pointer_inside;
  s->pointer[0] = l.pointer[0];
  s->pointer[1] = l.pointer[1];
  s->camera = l.camera;
  s->selected = lab_selected_point();
  s->construction = lab_construction_state();
  s->has_construction = true;
  lab_plane_view_get(&s->plane_zoom, s->plane_centre, &s->snap);
  s->has_plane = true;
  s->has_panel = s->has_layers = s->has_pointer = s->has_camera = s->has_selection = true;
}

// The panel's boxes and sliders are drawn from their records: both the
// records and the settings they drive are set, as a click would.
void set_state(const lab_view_state& s) {
  if (s.has_panel) {
    show_hyperboloid = hyperboloid_check.state = static_cast<unsigned char>(s.hyperboloid);
    show_delaunay = delaunay_check.state = static_cast<unsigned char>(s.delaunay);
    show_voronoi = voronoi_check.state = static_cast<unsigned char>(s.voronoi);
    show_grid = grid_check.state = static_cast<unsigned char>(s.grid);
    weight_slider.value = s.weight;
    place_knob(weight_slider);
    weight = s.weight;
    opacity_slider.value = s.knob;
    place_knob(opacity_slider);
    hyperboloid_opacity = s.opacity;
    zoom_factor = s.zoom;
    relift_points();  // the lifts follow the weight slider, as in zelmor
  }
  lab_lessons_state l;
  lab_lessons_get(&l);
  if (s.has_layers) {
    l.labels = s.labels != 0;
    l.furthest = s.furthest != 0;
    l.circle = s.circle != 0;
    lab_show_weight_circles = s.weight_circles;
    lab_angles_set(s.angles);
  }
  if (s.has_flip) {
    // A flip only where its edge still lies between its two points now.
    lab_counter_example ce = s.flip;
    const bool fits = s.flip_on && std::max({ce.a, ce.b, ce.c, ce.d, ce.offending}) < point_count;
    if (fits && point_count > 4 && need_recompute) recompute();
    lab_counter_example_set(fits && lab_counter_example_holds(lab_shown_triangles(false), &ce) ? &ce : nullptr);
  }
  if (s.has_pick || s.has_flip) {
    // The three points looked at again now; none when they are gone or in a row.
    lab_picked_triangle picked;
    std::string why;
    const bool on = s.has_pick && s.pick_on && std::max({s.pick[0], s.pick[1], s.pick[2]}) < point_count;
    if (on && point_count > 4 && need_recompute) recompute();
    lab_picked_set(on && lab_pick_triangle(s.pick[0], s.pick[1], s.pick[2], lab_shown_triangles(false), &picked, &why)
                       ? &picked
                       : nullptr);
  }
  if (s.has_pins) {
    // Only circles whose corners are points now; lab_pins_follow then lets
    // go of those whose triangle is not shown (and says so).
    std::vector<lab_pinned_circle> kept;
    for (const lab_pinned_circle& h : s.pins)
      if (h.corner[2] < point_count) kept.push_back(h);
    lab_pinned_set(kept);
    if (point_count > 4 && need_recompute) recompute();
    lab_pins_follow();
  }
  if (s.has_pointer) {
    l.pointer_inside = s.pointer_inside != 0;
    l.pointer[0] = s.pointer[0];
    l.pointer[1] = s.pointer[1];
  }
  if (s.has_camera) l.camera = s.camera;
  lab_lessons_set(l);
  if (s.has_plane) lab_plane_view_set(s.plane_zoom, s.plane_centre, s.snap);
  // After the points: the step is held within what they allow.
  if (s.has_construction) lab_construction_set_state(s.construction);
  if (s.has_selection) {
    if (s.selected >= 0 && s.selected < point_count) {
      selected_count = 1;
      selected_points[0] = s.selected;
    } else {
      selected_count = 0;
    }
  }
  redisplay_windows("23S");
}

// --- pictures ------------------------------------------------------------------

// Draws window win once more (its display callback, as a redisplay would)
// and reads its pixels, rows from the bottom.  With scale > 1 the drawing
// goes into an off-screen buffer scale times the window's size: the views
// draw in their viewport, so the whole picture is drawn at that size.
bool read_window(int win, void (*display)(), int w, int h, int scale, std::vector<unsigned char>* rgb,
                 int* out_w, int* out_h) {
#ifdef __EMSCRIPTEN__
  // The page exports from its canvas; the page's GL keeps no buffers to read.
  (void)win, (void)display, (void)w, (void)h, (void)scale, (void)rgb, (void)out_w, (void)out_h;
  return false;
#else
  const int previous = glutGetWindow();
  glutSetWindow(win);
  const int W = w * scale, H = h * scale;
  // Always off screen: the window's front buffer need not keep what was
  // drawn (Mesa's gives black back), and a window over it would show.
  GLuint fbo = 0, colour = 0, depth = 0;
  {
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glGenRenderbuffers(1, &colour);
    glBindRenderbuffer(GL_RENDERBUFFER, colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, W, H);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    glGenRenderbuffers(1, &depth);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, W, H);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
      glBindFramebuffer(GL_FRAMEBUFFER, 0);
      glDeleteRenderbuffers(1, &colour);
      glDeleteRenderbuffers(1, &depth);
      glDeleteFramebuffers(1, &fbo);
      if (previous > 0) glutSetWindow(previous);
      return false;
    }
    glViewport(0, 0, W, H);
  }
  // Drawn at scale times the drawing scale, so the file is the picture
  // drawn with more pixels (lines, markers and text as thick and as large,
  // relative to the picture, as on the screen), not a thin-lined blow-up.
  const float screen_scale = draw_scale();
  set_draw_scale(screen_scale * static_cast<float>(scale));
  display();
  set_draw_scale(screen_scale);
  glFinish();
  rgb->assign(static_cast<std::size_t>(W) * H * 3, 0);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glReadPixels(0, 0, W, H, GL_RGB, GL_UNSIGNED_BYTE, rgb->data());
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glReadBuffer(GL_BACK);
  glDeleteRenderbuffers(1, &colour);
  glDeleteRenderbuffers(1, &depth);
  glDeleteFramebuffers(1, &fbo);
  glViewport(0, 0, w, h);
  // The display's swap showed a buffer nothing was drawn into: draw again.
  glutPostRedisplay();
  *out_w = W;
  *out_h = H;
  if (previous > 0) glutSetWindow(previous);
  return true;
#endif
}

// One file of an export; false (and the status line says why) on failure.
bool write_one(const std::string& base, const char* suffix, const std::string& data, std::string* names,
               std::string* failure) {
  std::string name, reason;
  if (write_new_named(base, suffix, data, &name, &reason) != 0) {
    *failure = "cannot write " + name + ": " + reason;
    return false;
  }
  *names += (names->empty() ? "" : ", ") + name;
  return true;
}

void export_views(int scale) {
  if (point_count > 4 && need_recompute) recompute();
  std::string names, failure;
  // One stamp for the three files, so that they sort and pair up.
  const std::string stamp = dated_stamp();
  const std::string base2d = "zelmor-lab-2d-" + stamp, base3d = "zelmor-lab-3d-" + stamp;
  const std::string svg = lab_current_svg(points_win_w * scale);
  bool ok = write_one(base2d, ".svg", svg, &names, &failure);
  std::vector<unsigned char> rgb;
  int w = 0, h = 0;
  if (ok) {
    if (read_window(points_win, points_display, points_win_w, points_win_h, scale, &rgb, &w, &h))
      ok = write_one(base2d, ".png", png_encode(w, h, rgb.data()), &names, &failure);
    else
      ok = false, failure = "the 2D view could not be drawn at that size";
  }
  if (ok) {
    if (read_window(view3d_win, view3d_display, view3d_w, view3d_h, scale, &rgb, &w, &h))
      ok = write_one(base3d, ".png", png_encode(w, h, rgb.data()), &names, &failure);
    else
      ok = false, failure = "the 3D view could not be drawn at that size";
  }
  if (ok) {
    lab_status("exported %s%s", names.c_str(), scale > 1 ? " (3 x, for print)" : "");
  } else {
    lab_status("%s%s%s; nothing was replaced", failure.c_str(), names.empty() ? "" : "; written: ",
               names.c_str());
    std::fprintf(stderr, "zelmor-lab: %s\n", lab_status_text());
    std::fflush(stderr);
  }
}

void export_action() { export_views(1); }
void export_print_action() { export_views(LAB_PRINT_SCALE); }

const lab_action kActions[] = {
    // One entry in the help: E is e for print.
    {'e', 0, "export the views, E 3 x as big", export_action},
    {'E', 0, "export the views, E 3 x as big", export_print_action},
};

}  // namespace

std::string lab_current_svg(int pixels) {
  if (point_count > 4 && need_recompute) recompute();
  lab_view_layers layers;
  layers.delaunay = show_delaunay != 0;
  layers.voronoi = show_voronoi != 0;
  layers.grid = show_grid == 1;
  layers.labels = lab_labels_shown() != 0;
  layers.furthest = lab_furthest_shown() != 0;
  layers.weight_circles = lab_show_weight_circles != 0;
  layers.selected = lab_selected_point();
  layers.pixels = pixels;
  // The part of the square shown and the snap's cross, as drawn.
  int snap = 0;
  lab_plane_view_get(&layers.zoom, layers.centre, &snap);
  layers.snap_cross = lab_snap_cross(layers.cross);
  // Watching it grow, the view draws the stage instead of the lab's layers.
  if (construction_on()) return construction_picture_svg(construction_current(), layers);
  lab_picture p = collect_lab_picture(layers);
  p.pins = lab_pinned();
  p.has_counter = lab_counter_example_shown(&p.counter);
  p.has_picked = lab_picked_shown(&p.picked);
  p.angles = lab_angles_shown() != 0;
  empty_circle c;
  if (lab_empty_circle_shown(&c)) {
    p.has_circle = true;
    for (int k = 0; k < 3; ++k) {
      p.circle_corners[k][0] = plane_table[c.corner[k]].x;
      p.circle_corners[k][1] = plane_table[c.corner[k]].y;
    }
    p.circle_centre[0] = c.centre[0];
    p.circle_centre[1] = c.centre[1];
    p.circle_radius = c.radius;
  }
  return lab_picture_svg(p, layers);
}

void lab_export_init() {
  lab_add_actions(kActions, sizeof kActions / sizeof kActions[0]);
  lab_view_state_get = get_state;
  lab_view_state_set = set_state;
}
