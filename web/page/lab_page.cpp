// The lab page's side of zelmor-lab: its toolbar runs the lab's actions as
// their keys do; "Load points" reads a file the page has put in the
// in-memory file system; "Save points" writes a new file there, which the
// page then offers as a download; "Download SVG" draws the lab's 2D view;
// the page's own messages go to the lab's status line.
#include <emscripten.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "app/windows.h"
#include "lab/edit.h"
#include "lab/export_state.h"
#include "lab/lab.h"
#include "lab/lab_picture_svg.h"
#include "lab/lessons.h"
#include "lab/weights.h"
#include "lab/zoom_logic.h"
#include "view2d/scale.h"
#include "view2d/view2d.h"

extern "C" int zw_window_rect(int id, int* out);  // web/glut/glut_web.cpp
extern "C" int zw_key_window();

namespace {

// A page button goes the way of a key, so that it records the step in the
// history and redraws just as the key does.
void run_as_key(const lab_action& a) {
  if (a.key != 0) lab_keyboard(a.key, -1, -1);
  else lab_special(a.special, -1, -1);
}

// What follows an edit from the page, as it follows a key's action.
void after_edit() {
  lab_history_note(nullptr);
  redisplay_windows("23S");
}

const lab_action* action(int i) {
  return i >= 0 && i < lab_action_count() ? lab_action_at(i) : nullptr;
}

}  // namespace

extern "C" {

// The page's drawing scale anew (the browser zoomed, or the window's width
// changed): every window laid out for it; the page then fits its canvas.
EMSCRIPTEN_KEEPALIVE void zl_set_draw_scale(float scale) {
  set_draw_scale(scale);
  lab_apply_draw_scale();
}
EMSCRIPTEN_KEEPALIVE int zl_action_count() { return lab_action_count(); }
EMSCRIPTEN_KEEPALIVE const char* zl_action_name(int i) {
  const lab_action* a = action(i);
  return a != nullptr ? a->name : "";
}
// The ASCII key of action i, or 0 when a special key (zl_action_special) is
// bound instead.
EMSCRIPTEN_KEEPALIVE int zl_action_key(int i) {
  const lab_action* a = action(i);
  return a != nullptr ? a->key : 0;
}
EMSCRIPTEN_KEEPALIVE int zl_action_special(int i) {
  const lab_action* a = action(i);
  return a != nullptr ? a->special : 0;
}
EMSCRIPTEN_KEEPALIVE void zl_run_action(int i) {
  if (const lab_action* a = action(i)) run_as_key(*a);
}

// Loads the points file at path (name: the file's name as the user chose
// it); 1 when loaded.  A failure is in the status line and changes nothing.
EMSCRIPTEN_KEEPALIVE int zl_load(const char* path, const char* name) {
  const int loaded = lab_load_file(path, (std::string("load ") + name).c_str());
  // The reader names the file it read, the page's scratch copy: the user
  // knows the file by the name they picked.
  std::string text = lab_status_text();
  const std::string scratch = path;
  bool renamed = false;
  for (std::size_t at = text.find(scratch); !scratch.empty() && at != std::string::npos;
       at = text.find(scratch, at + std::string(name).size())) {
    text.replace(at, scratch.size(), name);
    renamed = true;
  }
  if (renamed) lab_status("%s", text.c_str());
  after_edit();
  return loaded;
}

// Saves the points to a new file named by date and time; its name, or ""
// when the save failed (the status line says why).
EMSCRIPTEN_KEEPALIVE const char* zl_save() {
  static std::string name;
  name.clear();
  if (!lab_save_new(&name)) name.clear();
  after_edit();  // the status line names the file or the failure
  return name.c_str();
}

// A message of the page's own (a file the browser could not read, a key
// whose desktop meaning the page has no use for) in the status line.
EMSCRIPTEN_KEEPALIVE void zl_status(const char* text) {
  lab_status("%s", text);
  redisplay_windows("2");
}

// The status line's message, for the page's tests.
EMSCRIPTEN_KEEPALIVE const char* zl_status_text() { return lab_status_text(); }

// The lab's 2D view as SVG, as the view shows it now (every layer that is
// on, the empty circle, the stage while watching it grow), 600 pixels wide.
EMSCRIPTEN_KEEPALIVE const char* zl_svg() {
  static std::string svg;
  svg = lab_current_svg(600);
  return svg.c_str();
}

// The lesson as the page's address fragment: the points, their weights and
// the view.
EMSCRIPTEN_KEEPALIVE const char* zl_fragment() {
  static std::string f;
  lab_view_state view;
  if (lab_view_state_get != nullptr) lab_view_state_get(&view);
  f = lab_fragment(lab_current_points(), view);
  return f.c_str();
}

// Opens a lesson from an address fragment: its points become the page's
// start (the history begins there) and its view is restored.  On a
// fragment that does not parse, nothing changes, the status line says why,
// and the reason is returned for the page to show; "" when opened.
EMSCRIPTEN_KEEPALIVE const char* zl_open_link(const char* fragment) {
  static std::string error;
  std::vector<lab_point> pts;
  lab_view_state view;
  if (lab_view_state_get != nullptr) lab_view_state_get(&view);
  view.has_panel = view.has_layers = view.has_pointer = view.has_camera = view.has_selection =
      view.has_construction = view.has_pins = view.has_flip = false;
  error.clear();
  if (!lab_parse_fragment(fragment, &pts, &view, &error)) {
    lab_status("this page's link does not hold a lesson (%s); the page starts empty", error.c_str());
    redisplay_windows("2");
    return error.c_str();
  }
  lab_replace_points(pts, "open the link");
  if (lab_view_state_set != nullptr) lab_view_state_set(view);
  lab_history_reset();
  lab_status("opened the link's lesson: %zu points", pts.size());
  redisplay_windows("23S");
  return error.c_str();
}

// 1 when canvas pixel (x, y down) lies on a point of the 2D view: the
// mouse wheel there weights the point, and the page must not scroll.  The
// pointer (last moved there) must be in the view itself, not in a window
// over it such as the help.
EMSCRIPTEN_KEEPALIVE int zl_point_under(int x, int y) {
  int r[4];
  if (zw_key_window() != points_win || !zw_window_rect(points_win, r)) return 0;
  x -= r[0];
  y -= r[1];
  if (x < 0 || y < 0 || x >= r[2] || y >= r[3]) return 0;
  return pick_point(x, points_win_h - y) >= 0 ? 1 : 0;
}

// 1 when the pointer at canvas pixel (x, y) is over the 2D view itself: Ctrl
// and the wheel (a touchpad's pinch) zoom the plane there, and the page must
// neither scroll nor zoom itself.
EMSCRIPTEN_KEEPALIVE int zl_plane_under(int x, int y) {
  int r[4];
  if (zw_key_window() != points_win || !zw_window_rect(points_win, r)) return 0;
  x -= r[0];
  y -= r[1];
  return x >= 0 && y >= 0 && x < r[2] && y < r[3] ? 1 : 0;
}

// How much a step of the plane's zoom (a wheel notch with Ctrl) enlarges
// it: a pinch over the 2D view takes a step each time the fingers' distance
// grows or shrinks by this factor, so that the plane follows the fingers.
EMSCRIPTEN_KEEPALIVE double zl_zoom_step() { return LAB_ZOOM_STEP; }

// The page's start: Quit! has nothing to end in a page (the program would
// stop and the page would have to be reloaded, the undo history lost), so
// the lab's page leaves it out of the panel.
EMSCRIPTEN_KEEPALIVE void zl_page_start() {
  const int w = quit_button.x1 - quit_button.x0;
  quit_button.x1 = -1000 + w;  // off the panel: never drawn on it, never hit
  quit_button.x0 = -1000;
  redisplay_windows("3");
}

}  // extern "C"
