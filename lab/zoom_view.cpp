// The lab's zoom and pan of the 2D view: Ctrl and the wheel (or > and <)
// zoom about the pointer, Ctrl and a left drag pan, Z shows the whole square
// again.  zelmor's view asks the lab for its transform through
// points_transform; at the whole square it keeps zelmor's own, pixel for
// pixel.  Points and labels keep their size on screen (markers are GL
// points, labels are placed in pixels); adds and drags while zoomed land on
// whole hundredths (snap_view.cpp).
#include <GL/freeglut.h>

#include "app/windows.h"
#include "lab/lab.h"
#include "lab/zoom_logic.h"
#include "view2d/view2d.h"

namespace {

constexpr int WHEEL_UP = 3;
constexpr int WHEEL_DOWN = 4;

lab_zoom zoom;
bool panning = false;
int pan_x = 0, pan_y = 0;
bool pointer_in = false;  // the pointer has been over the plane
int pointer_x = 0, pointer_y = 0;  // GLUT's, y from the top

int zoom_transform() {
  if (lab_zoom_whole(zoom)) return 0;
  glTranslated(points_win_w / 2.0, points_win_h / 2.0, 1.0);
  glScaled(points_win_w / 6.0 * zoom.scale, points_win_h / 6.0 * zoom.scale, 1.0);
  glTranslated(-zoom.centre[0], -zoom.centre[1], 0.0);
  return 1;
}

void say_zoom() {
  if (lab_zoom_whole(zoom)) {
    lab_status("the whole square");
    return;
  }
  const double half = 3.0 / zoom.scale;
  lab_status("zoom %.1fx: x %.2f to %.2f, y %.2f to %.2f (Ctrl + drag pans, Z the whole square)",
             zoom.scale, zoom.centre[0] - half, zoom.centre[0] + half, zoom.centre[1] - half,
             zoom.centre[1] + half);
}

void zoom_by(double factor, int x, int y) {
  if (lab_zoom_about(&zoom, factor, x, points_win_h - y, points_win_w, points_win_h)) {
    say_zoom();
  } else {
    lab_status(zoom.scale >= LAB_ZOOM_MAX ? "zoom: at its closest (%.0fx)" : "zoom: the whole square already",
               zoom.scale);
  }
  redisplay_windows("2");
}

int zoom_mouse(int button, int state, int x, int y) {
  const bool ctrl = (glutGetModifiers() & GLUT_ACTIVE_CTRL) != 0;
  if ((button == WHEEL_UP || button == WHEEL_DOWN) && ctrl) {
    if (state == GLUT_DOWN) zoom_by(button == WHEEL_UP ? LAB_ZOOM_STEP : 1.0 / LAB_ZOOM_STEP, x, y);
    return 1;
  }
  if (button != GLUT_LEFT_BUTTON) return 0;
  if (state == GLUT_UP) {
    if (!panning) return 0;
    panning = false;
    return 1;
  }
  if (!ctrl) return 0;
  panning = true;
  pan_x = x;
  pan_y = y;
  drag_index = -1;  // zelmor never sees this press: its last grab stays put
  if (lab_zoom_whole(zoom)) lab_status("the whole square is shown: zoom in first (Ctrl + wheel, >)");
  return 1;
}

void zoom_pointer(int x, int y) {
  // Where the pointer last was over the plane stays: the page's buttons
  // take it off the plane before they zoom.
  if (x < 0) return;
  pointer_in = true;
  pointer_x = x;
  pointer_y = y;
  if (!panning) return;
  if (lab_zoom_pan(&zoom, x - pan_x, pan_y - y, points_win_w, points_win_h)) {
    say_zoom();
    redisplay_windows("2");
  }
  pan_x = x;
  pan_y = y;
}

// The keys zoom about where the pointer was last over the plane, else about
// the middle of the view.
void zoom_in() {
  zoom_by(LAB_ZOOM_STEP * LAB_ZOOM_STEP, pointer_in ? pointer_x : points_win_w / 2,
          pointer_in ? pointer_y : points_win_h / 2);
}
void zoom_out() {
  zoom_by(1.0 / (LAB_ZOOM_STEP * LAB_ZOOM_STEP), pointer_in ? pointer_x : points_win_w / 2,
          pointer_in ? pointer_y : points_win_h / 2);
}
void whole() {
  zoom = lab_zoom{};
  say_zoom();
  redisplay_windows("2");
}

const lab_action kActions[] = {
    {'>', 0, "zoom in about the pointer", zoom_in},
    {'<', 0, "zoom out about the pointer", zoom_out},
    {'Z', 0, "the whole square again", whole},
};

}  // namespace

void lab_plane_at(int x, int y, double out[2]) {
  lab_zoom_plane(zoom, x, points_win_h - y, points_win_w, points_win_h, out);
}
double lab_zoom_scale() { return zoom.scale; }
bool lab_zoomed() { return !lab_zoom_whole(zoom); }
void lab_plane_view_get(double* scale, double centre[2], int* snap) {
  *scale = zoom.scale;
  centre[0] = zoom.centre[0];
  centre[1] = zoom.centre[1];
  *snap = lab_snap_step();
}

void lab_plane_view_set(double scale, const double centre[2], int snap) {
  zoom.scale = scale;
  zoom.centre[0] = centre[0];
  zoom.centre[1] = centre[1];
  lab_zoom_pan(&zoom, 0, 0, points_win_w, points_win_h);  // held within the square
  lab_snap_set(snap);
  redisplay_windows("2");
}

void lab_zoom_init() {
  lab_add_actions(kActions, sizeof kActions / sizeof kActions[0]);
  points_transform = zoom_transform;
  lab_add_points_mouse_filter(zoom_mouse);
  lab_add_pointer_observer(zoom_pointer);
}
