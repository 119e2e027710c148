// The control panel: two sliders, four push buttons and four check boxes in
// the visible strip (y >= 540) of a 541 x 615 subwindow of "2D Points".
//
// The panel is the only writer of the view settings.  `weight` and
// `show_grid` are plain variables of the GL-free core, yet they are the
// weight slider's value and the grid box's state: every event here that can
// change either control writes it through at once, so the two never differ.
#include <GL/freeglut.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstdlib>

#include "app/windows.h"
#include "view2d/scale.h"
#include "view2d/view2d.h"

// clang-format off
slider_rec weight_slider  = {40, 580, 220, 596, 0, -3.0f, 10.0f, 0.1f, 1.0f, "%5.2f", 0, 0, 0, 0, 0, 0};
slider_rec opacity_slider = {40, 550, 220, 566, 0,  0.0f,  1.0f, 0.1f, 0.4f, "%5.2f", 0, 0, 0, 0, 0, 0};

button_rec zoom_in_button    = {502, 582, 522, 597, " +",                   GLUT_BITMAP_HELVETICA_12, 0};
button_rec zoom_out_button   = {477, 582, 497, 597, " -",                   GLUT_BITMAP_HELVETICA_12, 0};
button_rec hyperboloid_check = {230, 588, 280, 610, "Show Hyperboloid",     GLUT_BITMAP_HELVETICA_12, 1};
button_rec delaunay_check    = {230, 565, 280, 587, "Show Delaunay Edges",  GLUT_BITMAP_HELVETICA_12, 1};
button_rec voronoi_check     = {230, 542, 280, 564, "Show Voronoi Regions", GLUT_BITMAP_HELVETICA_12, 1};
button_rec grid_check        = {390, 588, 459, 610, "Show Grid",            GLUT_BITMAP_HELVETICA_12, 0};
button_rec new_button        = {396, 548, 459, 570, "    New",              GLUT_BITMAP_HELVETICA_12, 0};
button_rec quit_button       = {467, 548, 530, 570, "    Quit!",            GLUT_BITMAP_HELVETICA_12, 0};
// clang-format on

// Replaced by the real size (541 x 615) at the first reshape.
int panel_w = 540, panel_h = 75;
fixed_size panel_fixed{541, 615};

namespace {

void caption(const char* text, int x, int y) {
  glColor4f(0.5f, 0.07f, 0.5f, 1.0f);
  draw_text_lines(text, x, y, 8, GLUT_BITMAP_HELVETICA_12);
}

void blue() { glColor4f(0.0f, 0.0f, 1.0f, 1.0f); }

// Empties the point set through the core's door: ".ZELMOR" is rewritten
// with no lines and the records of the last recomputation are released.
// The table contents stay (only the count drops) and so does the selection.
void clear_points() { replace_point_set(nullptr, 0); }

}  // namespace

void panel_reshape(int width, int height) {
  // The panel's size is part of its layout.
  keep_window_size(&panel_fixed, width, height);
  // The controls keep their numbers at any drawing scale: the panel is laid
  // out and hit-tested in layout pixels.
  panel_w = layout_px(width);
  panel_h = layout_px(height);
  layout_projection(width, height);
}

void panel_display() {
  // Nothing to draw at a foreign size beyond what the renderer draws: the
  // reshape back brings a redisplay.
  if (panel_fixed.undrawable) return;
  glClear(GL_COLOR_BUFFER_BIT);
  glClearColor(0.85f, 0.85f, 0.85f, 1.0f);
  draw_bevel(1, 540, panel_w - 3, panel_h - 3);  // frames the visible strip

  caption("Weight:", 5, 585);
  blue();
  draw_slider(weight_slider);

  caption("Opacity:", 5, 555);
  blue();
  draw_slider(opacity_slider);

  blue();
  draw_button(zoom_in_button);
  blue();
  draw_button(zoom_out_button);
  blue();
  draw_check_box(hyperboloid_check);
  blue();
  draw_check_box(delaunay_check);
  blue();
  draw_check_box(voronoi_check);
  blue();
  draw_check_box(grid_check);
  blue();
  draw_button(new_button);

  glColor4f(1.0f, 0.0f, 0.0f, 1.0f);
  draw_button(quit_button);

  glutSwapBuffers();
  frame_done(&panel_fixed);
}

void panel_mouse(int button, int state, int x, int y) {
  y = flip_y(y);  // GLUT counts y from the top; the widgets count from the bottom
  x = layout_px(x);

  slider_mouse(weight_slider, button, state, x, y);
  weight = weight_slider.value;
  slider_mouse(opacity_slider, button, state, x, y);

  if (button == GLUT_LEFT_BUTTON && state == GLUT_DOWN) {
    // An arrow click takes effect at once: the points move with the surface
    // and the surface's alpha follows its read-out, rather than lagging until
    // the next motion event.
    if (weight_slider.up_pressed || weight_slider.down_pressed) relift_points();
    if (opacity_slider.up_pressed || opacity_slider.down_pressed)
      hyperboloid_opacity = opacity_slider.value;

    // Push buttons only arm here and act at the release; boxes toggle now.
    // The first hit wins.
    if (hit_rect(new_button, x, y)) {
      new_button.state = 1;
    } else if (hit_rect(quit_button, x, y)) {
      quit_button.state = 1;
    } else if (hit_rect(zoom_in_button, x, y)) {
      zoom_in_button.state = 1;
    } else if (hit_rect(zoom_out_button, x, y)) {
      zoom_out_button.state = 1;
    } else if (hit_rect(grid_check, x, y)) {
      grid_check.state ^= 1;
      show_grid = grid_check.state;
    } else if (hit_rect(hyperboloid_check, x, y)) {
      hyperboloid_check.state ^= 1;
      show_hyperboloid = hyperboloid_check.state;
    } else if (hit_rect(delaunay_check, x, y)) {
      delaunay_check.state ^= 1;
      show_delaunay = delaunay_check.state;
    } else if (hit_rect(voronoi_check, x, y)) {
      voronoi_check.state ^= 1;
      show_voronoi = voronoi_check.state;
    }
  } else if (button == GLUT_LEFT_BUTTON && state == GLUT_UP) {
    // An armed button acts at the release wherever the pointer now is.
    if (new_button.state) {
      new_button.state = 0;
      clear_points();
    } else {
      if (quit_button.state) {
        quit_button.state = 0;
        std::exit(0);
      }
      if (zoom_in_button.state) {
        zoom_in_button.state = 0;
        zoom_factor = zoom_in_step(zoom_factor);
      } else if (zoom_out_button.state) {
        zoom_out_button.state = 0;
        zoom_factor = zoom_out_step(zoom_factor);
      }
    }
  }

  redisplay_windows("23SN");
}

// y arrives as GLUT gives it: the drag uses only x.
void panel_motion(int x, int y) {
  x = layout_px(x);
  slider_motion(weight_slider, x, y);
  weight = weight_slider.value;
  slider_motion(opacity_slider, x, y);

  // Every motion in the panel, dragging or not, brings the heights and the
  // surface's alpha to the sliders' values.
  relift_points();
  hyperboloid_opacity = opacity_slider.value;

  redisplay_windows("23S");
}

int panel_finger_boxes(finger_box* out, int capacity) {
  const button_rec* const buttons[] = {&zoom_in_button,    &zoom_out_button, &new_button,
                                       &quit_button,       &hyperboloid_check, &delaunay_check,
                                       &voronoi_check,     &grid_check};
  int n = 0;
  auto put = [&](int x0, int y0, int x1, int y1) {
    if (n < capacity) out[n] = {x0, y0, x1, y1};
    ++n;
  };
  for (const button_rec* b : buttons) put(b->x0, b->y0, b->x1, b->y1);
  // The slider's boxes as slider_mouse tells them apart.
  for (const slider_rec* s : {&weight_slider, &opacity_slider}) {
    put(s->x1 - 20, s->y0, s->x1 - 10, s->y0 + 7);       // down arrow
    put(s->x1 - 20, s->y0 + 9, s->x1 - 10, s->y0 + 16);  // up arrow
    put(std::max(s->x0 + 22, s->knob_x - 8), s->y0 - 2, std::min(s->x1 - 22, s->knob_x + 8), s->y0 + 14);
  }
  return n;
}
