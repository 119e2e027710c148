// The web edition's GLUT and GLU: the program's windows as rectangles of one
// canvas, placed as the desktop places them (top-level windows at their
// initial positions, subwindows inside their parents and cut to them), with
// GLUT's callbacks driven by the browser's mouse events and animation frames.
#include <GL/freeglut.h>
#include <GL/glu.h>
#include <emscripten.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "web/gl/gl_web.h"
#include "web/glut/glyphs.h"

namespace zelmor_web {
bool gl_start();
void read_canvas(int x, int y, int w, int h, unsigned char* out);
}  // namespace zelmor_web

using namespace zelmor_web;

// The program's drawing scale (view2d/scale.h, whose font names would clash
// with the page's font tables here).
float draw_scale();
void set_draw_scale(float scale);

// The font objects whose addresses name the fonts.
void* glutStrokeRoman = nullptr;
void* glutStrokeMonoRoman = nullptr;
void* glutBitmap9By15 = nullptr;
void* glutBitmap8By13 = nullptr;
void* glutBitmapTimesRoman10 = nullptr;
void* glutBitmapTimesRoman24 = nullptr;
void* glutBitmapHelvetica10 = nullptr;
void* glutBitmapHelvetica12 = nullptr;
void* glutBitmapHelvetica18 = nullptr;

namespace {

struct window {
  int id = 0;
  int parent = 0;  // 0 for a top-level window
  std::string title;
  int x = 0, y = 0, w = 300, h = 300;  // in the parent (or on the page), y down
  bool shown = true;
  bool framed = false;  // a top-level window shown at start: the canvas is its frame
  bool need_display = true, need_reshape = true;
  void (*display)() = nullptr;
  void (*reshape)(int, int) = nullptr;
  void (*mouse)(int, int, int, int) = nullptr;
  void (*motion)(int, int) = nullptr;
  void (*passive)(int, int) = nullptr;
  void (*keyboard)(unsigned char, int, int) = nullptr;
  void (*special)(int, int, int) = nullptr;
  void (*entry)(int) = nullptr;
  context ctx;
  int paint[4] = {0, 0, 0, 0};  // what its drawing may reach (canvas, y down)
  std::vector<window*> over;    // its own top-level's windows drawn over it, not cut from it
};

std::vector<window*> windows;  // index id - 1, in creation order
// The top-level windows from the bottom of the stack to the top: in creation
// order, and a window shown again comes to the top, as a window manager
// raises it.
std::vector<int> stacking;
window* cur = nullptr;
int init_x = -1, init_y = -1, init_w = 300, init_h = 300;
int canvas_w = 0, canvas_h = 0;
bool running = false, ended = false;
int grab = 0;          // the window a pressed button delivers to
int buttons_down = 0;  // bit per GLUT button
int pointer_x = -1, pointer_y = -1;  // the last mouse position on the canvas
int pointer_in = 0;    // the window the pointer is in, 0 when none
int modifiers = 0;     // GLUT_ACTIVE_* of the key or mouse event being delivered
int mouse_modifiers = 0;  // those held at the page's last mouse event

window* find(int id) {
  if (id < 1 || id > static_cast<int>(windows.size())) return nullptr;
  return windows[id - 1];
}

void make_current(window* w) {
  cur = w;
  current = w != nullptr ? &w->ctx : nullptr;
}

// The window's top-left corner on the canvas (y down).
void canvas_corner(const window* w, int* x, int* y) {
  *x = w->x;
  *y = w->y;
  for (const window* p = find(w->parent); p != nullptr; p = find(p->parent)) {
    *x += p->x;
    *y += p->y;
  }
}

bool visible(const window* w) {
  for (; w != nullptr; w = find(w->parent))
    if (!w->shown) return false;
  return true;
}

// The part of the canvas the window can be seen in (y down): its rectangle
// cut to every ancestor's.
void visible_rect(const window* w, int* r) {
  int x, y;
  canvas_corner(w, &x, &y);
  int x0 = x, y0 = y, x1 = x + w->w, y1 = y + w->h;
  for (const window* p = find(w->parent); p != nullptr; p = find(p->parent)) {
    int px, py;
    canvas_corner(p, &px, &py);
    x0 = std::max(x0, px);
    y0 = std::max(y0, py);
    x1 = std::min(x1, px + p->w);
    y1 = std::min(y1, py + p->h);
  }
  r[0] = x0;
  r[1] = y0;
  r[2] = std::max(0, x1 - x0);
  r[3] = std::max(0, y1 - y0);
}

void place(window* w) {
  int x, y, r[4];
  canvas_corner(w, &x, &y);
  visible_rect(w, r);
  w->ctx.origin_x = x;
  w->ctx.origin_y = canvas_h - (y + w->h);
  w->ctx.clip[0] = r[0];
  w->ctx.clip[1] = canvas_h - (r[1] + r[3]);
  w->ctx.clip[2] = r[2];
  w->ctx.clip[3] = r[3];
}

// Windows in the order they are served: the top-level windows from the
// bottom of the stack up, each followed by its subwindows in creation order.
void service_order(int parent, std::vector<window*>& out) {
  if (parent == 0) {
    for (int id : stacking) {
      out.push_back(find(id));
      service_order(id, out);
    }
    return;
  }
  for (window* w : windows)
    if (w->parent == parent) {
      out.push_back(w);
      service_order(w->id, out);
    }
}

int top_level_of(const window* w) {
  while (w->parent != 0) w = find(w->parent);
  return w->id;
}

bool overlap(const int* a, const int* b) {
  return a[0] < b[0] + b[2] && b[0] < a[0] + a[2] && a[1] < b[1] + b[3] && b[1] < a[1] + a[3];
}

// Cuts r (canvas, y down) by q where q covers a whole band along one side of
// it (or all of it); false, r unchanged, where what is left of r is not a
// rectangle.
bool cut_by(int* r, const int* q) {
  if (!overlap(r, q)) return true;
  const bool across = q[0] <= r[0] && q[0] + q[2] >= r[0] + r[2];
  const bool down = q[1] <= r[1] && q[1] + q[3] >= r[1] + r[3];
  if (across && down) {
    r[2] = r[3] = 0;
  } else if (across && q[1] <= r[1]) {
    r[3] = r[1] + r[3] - (q[1] + q[3]);
    r[1] = q[1] + q[3];
  } else if (across && q[1] + q[3] >= r[1] + r[3]) {
    r[3] = q[1] - r[1];
  } else if (down && q[0] <= r[0]) {
    r[2] = r[0] + r[2] - (q[0] + q[2]);
    r[0] = q[0] + q[2];
  } else if (down && q[0] + q[2] >= r[0] + r[2]) {
    r[2] = q[0] - r[0];
  } else {
    return false;
  }
  return true;
}

// Every window's place on the canvas, and what it may paint there.  As under
// a window system, a window lies under every later window of its top-level
// window in the order served (its subwindows, its later siblings): where one
// of them covers a band along a side of it, that band is cut from what it
// paints (the 2D view's last row lies over the panel's first); where one
// overlaps it otherwise, that one is drawn again after it.
void place_all() {
  std::vector<window*> order;
  service_order(0, order);
  for (size_t i = 0; i < order.size(); ++i) {
    window* w = order[i];
    place(w);
    visible_rect(w, w->paint);
    w->over.clear();
    if (!visible(w)) continue;
    const int top = top_level_of(w);
    for (size_t j = i + 1; j < order.size() && top_level_of(order[j]) == top; ++j) {
      int q[4];
      if (!visible(order[j])) continue;
      visible_rect(order[j], q);
      if (!cut_by(w->paint, q)) w->over.push_back(order[j]);
    }
    w->ctx.clip[0] = w->paint[0];
    w->ctx.clip[1] = canvas_h - (w->paint[1] + w->paint[3]);
    w->ctx.clip[2] = w->paint[2];
    w->ctx.clip[3] = w->paint[3];
  }
}

// The canvas holds the windows shown at start-up; one shown later is kept
// on it as a window manager keeps a window on the screen: moved in, and cut
// to the canvas's size where it is larger.
void keep_on_canvas(window* w) {
  const int width = std::min(w->w, canvas_w), height = std::min(w->h, canvas_h);
  w->x = std::clamp(w->x, 0, canvas_w - width);
  w->y = std::clamp(w->y, 0, canvas_h - height);
  if (width != w->w || height != w->h) {
    w->w = width;
    w->h = height;
    w->need_reshape = true;
  }
}

// A page too narrow for the windows side by side (a phone held upright)
// sets them one below the other, left to right becoming top to bottom,
// with the gap the first two had between them.
void stack_windows() {
  std::vector<window*> tops;
  for (window* w : windows)
    if (w->framed) tops.push_back(w);
  std::stable_sort(tops.begin(), tops.end(), [](const window* a, const window* b) { return a->x < b->x; });
  if (tops.size() < 2) return;
  const int gap = std::max(0, tops[1]->x - (tops[0]->x + tops[0]->w));
  int y = 0;
  for (window* w : tops) {
    w->x = 0;
    w->y = y;
    y += w->h + gap;
  }
}

// The canvas holds the top-level windows shown at start, side by side as
// placed or stacked.
void frame_windows() {
  if (EM_ASM_INT({ return Module.zelmorStacked ? 1 : 0; })) stack_windows();
  canvas_w = canvas_h = 1;
  for (const window* w : windows) {
    if (!w->framed) continue;
    canvas_w = std::max(canvas_w, w->x + w->w);
    canvas_h = std::max(canvas_h, w->y + w->h);
  }
}

// Asks every visible window from order[after] on whose rectangle meets r
// (canvas, y down) to draw itself again, except those of the top-level
// window except_top.
void redraw_over(const int* r, int except_top, const std::vector<window*>& order, size_t after) {
  for (size_t i = after; i < order.size(); ++i) {
    window* o = order[i];
    if (!visible(o) || top_level_of(o) == except_top) continue;
    int q[4];
    visible_rect(o, q);
    if (overlap(r, q)) o->need_display = true;
  }
}

void run_pending() {
  if (ended) return;
  std::vector<window*> order;
  service_order(0, order);
  for (window* w : order) {
    if (!w->need_reshape) continue;
    w->need_reshape = false;
    make_current(w);
    if (w->reshape != nullptr) {
      w->reshape(w->w, w->h);
    } else {
      glViewport(0, 0, w->w, w->h);
    }
  }
  place_all();
  for (size_t i = 0; i < order.size(); ++i) {
    window* w = order[i];
    if (!w->need_display || !visible(w) || ended) continue;
    w->need_display = false;
    make_current(w);
    if (w->display != nullptr) w->display();
    // Drawn over part of a window stacked above it: that one again.
    for (window* o : w->over) o->need_display = true;
    redraw_over(w->paint, top_level_of(w), order, i + 1);
  }
  flush();
}

// The deepest visible window under a canvas point (y down): the top of the
// stack first, the most recently created first among subwindows.
window* window_at(int parent, int x, int y) {
  const size_t n = parent == 0 ? stacking.size() : windows.size();
  for (size_t k = n; k-- > 0;) {
    window* w = parent == 0 ? find(stacking[k]) : windows[k];
    if (w->parent != parent || !visible(w)) continue;
    int r[4];
    visible_rect(w, r);
    if (x < r[0] || y < r[1] || x >= r[0] + r[2] || y >= r[1] + r[3]) continue;
    window* inner = window_at(w->id, x, y);
    return inner != nullptr ? inner : w;
  }
  return nullptr;
}

const bitmap_font* bitmap_of(void* font) {
  if (font == GLUT_BITMAP_8_BY_13) return &BITMAP_8_BY_13;
  if (font == GLUT_BITMAP_9_BY_15) return &BITMAP_9_BY_15;
  if (font == GLUT_BITMAP_TIMES_ROMAN_10) return &BITMAP_TIMES_ROMAN_10;
  if (font == GLUT_BITMAP_TIMES_ROMAN_24) return &BITMAP_TIMES_ROMAN_24;
  if (font == GLUT_BITMAP_HELVETICA_10) return &BITMAP_HELVETICA_10;
  if (font == GLUT_BITMAP_HELVETICA_12) return &BITMAP_HELVETICA_12;
  if (font == GLUT_BITMAP_HELVETICA_18) return &BITMAP_HELVETICA_18;
  return nullptr;
}

const stroke_font* stroke_of(void* font) {
  if (font == GLUT_STROKE_ROMAN) return &STROKE_ROMAN;
  if (font == GLUT_STROKE_MONO_ROMAN) return &STROKE_MONO_ROMAN;
  return nullptr;
}

}  // namespace

extern "C" {

// --- Entry points for the page (web/page/shell.html) and the browser tests.

// The pointer is now in window id (0: in none): the window it left and the
// one it entered hear of it, as under X.
void pointer_moves_to(int id) {
  if (id == pointer_in) return;
  window* left = find(pointer_in);
  pointer_in = id;
  if (left != nullptr && left->entry != nullptr) {
    make_current(left);
    left->entry(GLUT_LEFT);
  }
  window* entered = find(id);
  if (entered != nullptr && entered->entry != nullptr) {
    make_current(entered);
    entered->entry(GLUT_ENTERED);
  }
}

// A mouse event at canvas pixel (x, y), y down: kind 0 press, 1 release,
// 2 motion, 3 the pointer left the canvas; button as GLUT numbers it.
EMSCRIPTEN_KEEPALIVE void zw_mouse(int kind, int button, int x, int y) {
  if (!running || ended) return;
  if (kind == 3) {
    pointer_moves_to(0);
    return;
  }
  pointer_x = x;
  pointer_y = y;
  window* under = window_at(0, x, y);
  pointer_moves_to(under != nullptr ? under->id : 0);
  if (ended) return;
  if (kind == 0) {
    if (buttons_down == 0) grab = under != nullptr ? under->id : 0;
    buttons_down |= 1 << button;
  } else if (kind == 1) {
    buttons_down &= ~(1 << button);
  }
  window* w = find(grab);
  if (kind == 2 && buttons_down == 0) {
    w = under;
    if (w == nullptr || w->passive == nullptr) return;
  }
  if (w == nullptr) return;
  int wx, wy;
  canvas_corner(w, &wx, &wy);
  make_current(w);
  // As on the desktop, glutGetModifiers answers during a mouse callback too.
  modifiers = mouse_modifiers;
  if (kind == 2) {
    if (buttons_down != 0 && w->motion != nullptr) w->motion(x - wx, y - wy);
    else if (buttons_down == 0 && w->passive != nullptr) w->passive(x - wx, y - wy);
  } else if (w->mouse != nullptr) {
    w->mouse(button, kind == 0 ? GLUT_DOWN : GLUT_UP, x - wx, y - wy);
  }
  modifiers = 0;
  if (buttons_down == 0) grab = 0;
}

// The GLUT_ACTIVE_* keys held at the mouse event the page sends next.
EMSCRIPTEN_KEEPALIVE void zw_mouse_modifiers(int mods) { mouse_modifiers = mods; }

// The window that keys go to (the one under the pointer), 0 when none.
EMSCRIPTEN_KEEPALIVE int zw_key_window() {
  const window* w = window_at(0, pointer_x, pointer_y);
  return w != nullptr ? w->id : 0;
}

// A key for the window under the pointer, as GLUT gives keys to the window
// the pointer is in: special 0 for a character (code as GLUT's keyboard
// callback takes it), 1 for a GLUT_KEY_* code.  mods: GLUT_ACTIVE_* bits.
// Returns 1 when a callback took it.
EMSCRIPTEN_KEEPALIVE int zw_key(int special, int code, int mods) {
  if (!running || ended) return 0;
  window* w = find(zw_key_window());
  if (w == nullptr) return 0;
  if (special ? w->special == nullptr : w->keyboard == nullptr) return 0;
  int wx, wy;
  canvas_corner(w, &wx, &wy);
  make_current(w);
  modifiers = mods;
  if (special) w->special(code, pointer_x - wx, pointer_y - wy);
  else w->keyboard(static_cast<unsigned char>(code), pointer_x - wx, pointer_y - wy);
  modifiers = 0;
  return 1;
}

// Serves every posted reshape and redisplay now; returns 1 when there was
// something to do.
EMSCRIPTEN_KEEPALIVE int zw_run_pending() {
  if (!running || ended) return 0;
  bool any = false;
  for (const window* w : windows) any = any || w->need_reshape || (w->need_display && visible(w));
  if (any) run_pending();
  return any ? 1 : 0;
}

// The visible rectangle of window id on the canvas (x, y down, w, h); 0 when
// there is no such window or it is hidden.
EMSCRIPTEN_KEEPALIVE int zw_window_rect(int id, int* out) {
  const window* w = find(id);
  if (w == nullptr || !visible(w)) return 0;
  visible_rect(w, out);
  return 1;
}
EMSCRIPTEN_KEEPALIVE int zw_window_count() { return static_cast<int>(windows.size()); }
EMSCRIPTEN_KEEPALIVE int zw_window_parent(int id) {
  const window* w = find(id);
  return w != nullptr ? w->parent : -1;
}
EMSCRIPTEN_KEEPALIVE const char* zw_window_title(int id) {
  const window* w = find(id);
  return w != nullptr ? w->title.c_str() : "";
}
// Reads canvas pixels (x, y down, w, h) into out as RGBA rows from the top.
EMSCRIPTEN_KEEPALIVE void zw_read_pixels(int x, int y, int w, int h, unsigned char* out) {
  std::vector<unsigned char> rows(static_cast<size_t>(w) * h * 4);
  read_canvas(x, canvas_h - (y + h), w, h, rows.data());
  const size_t stride = static_cast<size_t>(w) * 4;
  for (int r = 0; r < h; ++r) std::memcpy(out + r * stride, rows.data() + (h - 1 - r) * stride, stride);
}
// The program has called exit(): nothing more runs (the page's quit hook
// calls this before the exit unwinds).
EMSCRIPTEN_KEEPALIVE void zw_end() {
  if (ended) return;
  ended = true;
  emscripten_cancel_main_loop();
}
EMSCRIPTEN_KEEPALIVE void zw_post_redisplay(int id) {
  if (window* w = find(id)) w->need_display = true;
}
// After the program has laid its windows out anew (a new drawing scale): the
// canvas takes the size that holds them, every window is placed and drawn
// again, and a window shown since the start is kept on the canvas.
EMSCRIPTEN_KEEPALIVE void zw_fit_canvas() {
  if (!running || ended) return;
  frame_windows();
  resize_canvas(canvas_w, canvas_h);
  for (window* w : windows) {
    if (w->parent == 0 && w->shown && !w->framed) keep_on_canvas(w);
    w->need_display = true;
  }
  place_all();
}
EMSCRIPTEN_KEEPALIVE int zw_canvas_width() { return canvas_w; }
EMSCRIPTEN_KEEPALIVE int zw_canvas_height() { return canvas_h; }
// The scale the program draws at: canvas pixels per pixel of its layout.
EMSCRIPTEN_KEEPALIVE float zw_draw_scale() { return draw_scale(); }
// The window a touch at canvas pixel (x, y down) lands in, 0 when none: the
// page reads a finger's gesture by the window it starts in.
EMSCRIPTEN_KEEPALIVE int zw_window_at(int x, int y) {
  const window* w = window_at(0, x, y);
  return w != nullptr ? w->id : 0;
}

// --- GLUT.

// Emscripten's file system starts with a umask of 0777, which would leave the
// files the program makes with no permissions, unreadable even by the page;
// the page takes a desktop session's usual mask instead.
//
// The page draws at the screen's own resolution: one canvas pixel a device
// pixel of the picture as the page shows it (the device pixel ratio, less
// where the window is narrower than the picture), so that lines and text
// are as sharp as the screen can show them.  The page chooses the scale
// (Module.zelmorDrawScale); it is fixed here, before the program makes a
// window, since every window's size follows it.
void glutInit(int*, char**) {
  umask(022);
  set_draw_scale(static_cast<float>(EM_ASM_DOUBLE({
    return Module.zelmorDrawScale || window.devicePixelRatio || 1;
  })));
}
void glutInitDisplayMode(unsigned int) {}
void glutInitWindowPosition(int x, int y) {
  init_x = x;
  init_y = y;
}
void glutInitWindowSize(int w, int h) {
  init_w = w;
  init_h = h;
}

int glutCreateWindow(const char* title) {
  auto* w = new window;
  w->id = static_cast<int>(windows.size()) + 1;
  w->title = title != nullptr ? title : "";
  w->x = std::max(0, init_x);
  w->y = std::max(0, init_y);
  w->w = init_w;
  w->h = init_h;
  windows.push_back(w);
  stacking.push_back(w->id);
  make_current(w);
  return w->id;
}

int glutCreateSubWindow(int parent, int x, int y, int width, int height) {
  auto* w = new window;
  w->id = static_cast<int>(windows.size()) + 1;
  w->parent = parent;
  w->x = x;
  w->y = y;
  w->w = width;
  w->h = height;
  windows.push_back(w);
  make_current(w);
  return w->id;
}

void glutDestroyWindow(int id) {
  if (window* w = find(id)) w->shown = false;
}
void glutSetWindow(int id) {
  if (window* w = find(id)) make_current(w);
}
int glutGetWindow(void) { return cur != nullptr ? cur->id : 0; }
void glutSetWindowTitle(const char* title) {
  if (cur != nullptr) cur->title = title;
}
void glutHideWindow(void) {
  if (cur == nullptr || !cur->shown) return;
  const bool was_visible = running && visible(cur);
  cur->shown = false;
  if (was_visible) {
    // What it covered shows again: the page's background, then the windows.
    int r[4];
    visible_rect(cur, r);
    clear_canvas(r[0], canvas_h - (r[1] + r[3]), r[2], r[3]);
    std::vector<window*> order;
    service_order(0, order);
    redraw_over(r, 0, order, 0);
  }
}
void glutShowWindow(void) {
  if (cur == nullptr) return;
  cur->shown = true;
  cur->need_display = true;
  if (cur->parent == 0) {
    stacking.erase(std::find(stacking.begin(), stacking.end(), cur->id));
    stacking.push_back(cur->id);
  }
  if (running && cur->parent == 0) {
    keep_on_canvas(cur);
    place_all();
  }
}
// The current top-level window to the top of the stack, drawn over the
// others at its next display (GLUT: a request to the window system).
void glutPopWindow(void) {
  if (cur == nullptr || cur->parent != 0) return;
  stacking.erase(std::find(stacking.begin(), stacking.end(), cur->id));
  stacking.push_back(cur->id);
  cur->need_display = true;
}
void glutReshapeWindow(int w, int h) {
  if (cur == nullptr || (cur->w == w && cur->h == h)) return;
  cur->w = w;
  cur->h = h;
  cur->need_reshape = cur->need_display = true;
  if (running) place_all();
}
void glutPositionWindow(int x, int y) {
  if (cur == nullptr) return;
  cur->x = x;
  cur->y = y;
  if (running) place_all();
}
void glutPostRedisplay(void) {
  if (cur != nullptr) cur->need_display = true;
}
void glutPostWindowRedisplay(int id) {
  if (window* w = find(id)) w->need_display = true;
}
void glutSwapBuffers(void) { flush(); }

void glutDisplayFunc(void (*f)(void)) { if (cur) cur->display = f; }
void glutReshapeFunc(void (*f)(int, int)) { if (cur) cur->reshape = f; }
void glutMouseFunc(void (*f)(int, int, int, int)) { if (cur) cur->mouse = f; }
void glutMotionFunc(void (*f)(int, int)) { if (cur) cur->motion = f; }
void glutPassiveMotionFunc(void (*f)(int, int)) { if (cur) cur->passive = f; }
void glutEntryFunc(void (*f)(int)) { if (cur) cur->entry = f; }
void glutKeyboardFunc(void (*f)(unsigned char, int, int)) { if (cur) cur->keyboard = f; }
void glutSpecialFunc(void (*f)(int, int, int)) { if (cur) cur->special = f; }
int glutGetModifiers(void) { return modifiers; }

int glutGet(GLenum what) {
  switch (what) {
    case GLUT_WINDOW_WIDTH: return cur != nullptr ? cur->w : 0;
    case GLUT_WINDOW_HEIGHT: return cur != nullptr ? cur->h : 0;
    case GLUT_WINDOW_X: return cur != nullptr ? cur->x : 0;
    case GLUT_WINDOW_Y: return cur != nullptr ? cur->y : 0;
    case GLUT_ELAPSED_TIME: return static_cast<int>(emscripten_get_now());
    default: return 0;
  }
}

// Timers: the browser's own, one call each after at least millis.  The
// redisplays a timer asks for are served by the next frame of the main loop,
// as after a mouse event.  Nothing runs once the program has ended.
namespace {
struct pending_timer {
  void (*func)(int);
  int value;
};
void run_timer(void* arg) {
  const pending_timer t = *static_cast<pending_timer*>(arg);
  delete static_cast<pending_timer*>(arg);
  if (!ended) t.func(t.value);
}
}  // namespace

void glutTimerFunc(unsigned int millis, void (*func)(int), int value) {
  if (func == nullptr) return;
  emscripten_async_call(run_timer, new pending_timer{func, value}, static_cast<int>(millis));
}

void glutMainLoop(void) {
  for (window* w : windows) w->framed = w->parent == 0 && w->shown;
  frame_windows();
  set_canvas_size(canvas_w, canvas_h);
  place_all();
  if (!gl_start()) {
    EM_ASM({ if (Module.zelmorNoWebGL) Module.zelmorNoWebGL(); });
    ended = true;
    emscripten_exit_with_live_runtime();
    return;
  }
  running = true;
  EM_ASM({ if (Module.zelmorStarted) Module.zelmorStarted(); });
  emscripten_set_main_loop([] { run_pending(); }, 0, 1);
}

// --- Text.

void glutBitmapCharacter(void* font, int character) {
  const bitmap_font* f = bitmap_of(font);
  if (f == nullptr || character < 0 || character >= f->quantity) return;
  const unsigned char* face = f->data + f->offsets[character];
  glBitmap(face[0], f->rows, f->xorig, f->yorig, static_cast<float>(face[0]), 0.0f, face + 1);
}

int glutBitmapWidth(void* font, int character) {
  const bitmap_font* f = bitmap_of(font);
  if (f == nullptr || character < 0 || character >= f->quantity) return 0;
  return f->data[f->offsets[character]];
}

int glutBitmapLength(void* font, const unsigned char* string) {
  int length = 0;
  for (const unsigned char* c = string; c != nullptr && *c != '\0'; ++c)
    length += glutBitmapWidth(font, *c);
  return length;
}

void glutStrokeCharacter(void* font, int character) {
  const stroke_font* f = stroke_of(font);
  if (f == nullptr || character < 0 || character >= f->quantity) return;
  const stroke_char& c = f->chars[character];
  for (int s = 0; s < c.strip_count; ++s) {
    const stroke_strip& strip = f->strips[c.first_strip + s];
    glBegin(GL_LINE_STRIP);
    for (int v = 0; v < strip.count; ++v)
      glVertex2f(f->verts[2 * (strip.first + v)], f->verts[2 * (strip.first + v) + 1]);
    glEnd();
  }
  glTranslatef(c.right, 0.0f, 0.0f);
}

// --- Solids, built as GLUT builds them.

void glutSolidSphere(GLdouble radius, GLint slices, GLint stacks) {
  if (slices < 1 || stacks < 2) return;
  // Circle tables: a full turn clockwise for the slices, half a turn for the
  // stacks, each closed with its first (or, for the half turn, last) value.
  std::vector<float> sin1(slices + 1), cos1(slices + 1), sin2(stacks + 1), cos2(stacks + 1);
  const double a1 = 2 * M_PI / -slices, a2 = M_PI / stacks;
  for (int i = 0; i < slices; ++i) {
    sin1[i] = static_cast<float>(std::sin(a1 * i));
    cos1[i] = static_cast<float>(std::cos(a1 * i));
  }
  sin1[slices] = sin1[0];
  cos1[slices] = cos1[0];
  for (int i = 0; i < stacks; ++i) {
    sin2[i] = static_cast<float>(std::sin(a2 * i));
    cos2[i] = static_cast<float>(std::cos(a2 * i));
  }
  sin2[stacks] = 0.0f;
  cos2[stacks] = -1.0f;
  const float r = static_cast<float>(radius);
  // Vertex 0 the top, then slices per inner ring, then the bottom.
  std::vector<float> v, n;
  auto add = [&](float x, float y, float z) {
    n.insert(n.end(), {x, y, z});
    v.insert(v.end(), {x * r, y * r, z * r});
  };
  add(0, 0, 1);
  for (int i = 1; i < stacks; ++i)
    for (int j = 0; j < slices; ++j) add(cos1[j] * sin2[i], sin1[j] * sin2[i], cos2[i]);
  add(0, 0, -1);
  const int last = static_cast<int>(v.size() / 3) - 1;
  auto put = [&](int k) {
    glNormal3f(n[3 * k], n[3 * k + 1], n[3 * k + 2]);
    glVertex3f(v[3 * k], v[3 * k + 1], v[3 * k + 2]);
  };
  begin_closed_solid();
  glBegin(GL_TRIANGLE_STRIP);
  for (int j = 0; j < slices; ++j) {
    put(j + 1);
    put(0);
  }
  put(1);
  put(0);
  glEnd();
  for (int i = 0; i < stacks - 2; ++i) {
    const int offset = 1 + i * slices;
    glBegin(GL_TRIANGLE_STRIP);
    for (int j = 0; j < slices; ++j) {
      put(offset + j + slices);
      put(offset + j);
    }
    put(offset + slices);
    put(offset);
    glEnd();
  }
  const int offset = 1 + (stacks - 2) * slices;
  glBegin(GL_TRIANGLE_STRIP);
  for (int j = 0; j < slices; ++j) {
    put(last);
    put(offset + j);
  }
  put(last);
  put(offset);
  glEnd();
  end_closed_solid();
}

void glutSolidCube(GLdouble size) {
  const float s = static_cast<float>(size) / 2.0f;
  // Faces +x, +y, +z, -x, -y, -z, each counter-clockwise seen from outside.
  static const float normals[6][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1},
                                      {-1, 0, 0}, {0, -1, 0}, {0, 0, -1}};
  static const float corners[6][4][3] = {
      {{1, 1, 1}, {1, -1, 1}, {1, -1, -1}, {1, 1, -1}},
      {{1, 1, 1}, {1, 1, -1}, {-1, 1, -1}, {-1, 1, 1}},
      {{1, 1, 1}, {-1, 1, 1}, {-1, -1, 1}, {1, -1, 1}},
      {{-1, 1, 1}, {-1, 1, -1}, {-1, -1, -1}, {-1, -1, 1}},
      {{-1, -1, 1}, {-1, -1, -1}, {1, -1, -1}, {1, -1, 1}},
      {{-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}, {1, -1, -1}}};
  begin_closed_solid();
  glBegin(GL_TRIANGLES);
  for (int f = 0; f < 6; ++f) {
    glNormal3fv(normals[f]);
    const int order[6] = {0, 1, 2, 2, 3, 0};
    for (int k : order) glVertex3f(corners[f][k][0] * s, corners[f][k][1] * s, corners[f][k][2] * s);
  }
  glEnd();
  end_closed_solid();
}

// --- GLU.

struct GLUquadric {
  GLenum normals = GLU_SMOOTH;
  GLenum draw_style = GLU_FILL;
  GLenum orientation = GLU_OUTSIDE;
};

GLUquadric* gluNewQuadric(void) { return new GLUquadric; }
void gluDeleteQuadric(GLUquadric* q) { delete q; }
void gluQuadricNormals(GLUquadric* q, GLenum n) { q->normals = n; }
void gluQuadricDrawStyle(GLUquadric* q, GLenum s) { q->draw_style = s; }
void gluQuadricOrientation(GLUquadric* q, GLenum o) { q->orientation = o; }

// Filled, smooth, facing outward: what the program's quadrics draw.
void gluCylinder(GLUquadric* q, GLdouble base, GLdouble top, GLdouble height, GLint slices,
                 GLint stacks) {
  if (slices < 2 || stacks < 1 || base < 0 || top < 0 || height < 0) return;
  const double delta = base - top;
  const double length = std::sqrt(delta * delta + height * height);
  if (length == 0) return;
  const float z_normal = static_cast<float>(delta / length);
  const float xy_ratio = static_cast<float>(height / length);
  const float sign = q->orientation == GLU_INSIDE ? -1.0f : 1.0f;
  std::vector<float> s(slices + 1), c(slices + 1);
  for (int i = 0; i < slices; ++i) {
    const double angle = 2 * M_PI * i / slices;
    s[i] = static_cast<float>(std::sin(angle));
    c[i] = static_cast<float>(std::cos(angle));
  }
  s[slices] = s[0];
  c[slices] = c[0];
  for (int j = 0; j < stacks; ++j) {
    const float z0 = static_cast<float>(j * height / stacks);
    const float z1 = static_cast<float>((j + 1) * height / stacks);
    const float r0 = static_cast<float>(base - delta * (static_cast<float>(j) / stacks));
    const float r1 = static_cast<float>(base - delta * (static_cast<float>(j + 1) / stacks));
    glBegin(GL_QUAD_STRIP);
    for (int i = 0; i <= slices; ++i) {
      if (q->normals != GLU_NONE)
        glNormal3f(sign * xy_ratio * s[i], sign * xy_ratio * c[i], sign * z_normal);
      if (q->orientation == GLU_INSIDE) {
        glVertex3f(r1 * s[i], r1 * c[i], z1);
        glVertex3f(r0 * s[i], r0 * c[i], z0);
      } else {
        glVertex3f(r0 * s[i], r0 * c[i], z0);
        glVertex3f(r1 * s[i], r1 * c[i], z1);
      }
    }
    glEnd();
  }
}

void gluOrtho2D(GLdouble l, GLdouble r, GLdouble b, GLdouble t) { glOrtho(l, r, b, t, -1.0, 1.0); }

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble n, GLdouble f) {
  const double rad = fovy / 2 * M_PI / 180;
  const double dz = f - n, sine = std::sin(rad);
  if (dz == 0 || sine == 0 || aspect == 0) return;
  const double cot = std::cos(rad) / sine;
  GLdouble m[16] = {cot / aspect, 0, 0, 0, 0, cot, 0, 0, 0, 0, -(f + n) / dz, -1, 0, 0,
                    -2 * n * f / dz, 0};
  glMultMatrixd(m);
}

GLint gluProject(GLdouble ox, GLdouble oy, GLdouble oz, const GLdouble* model,
                 const GLdouble* proj, const GLint* view, GLdouble* wx, GLdouble* wy,
                 GLdouble* wz) {
  const double in[4] = {ox, oy, oz, 1.0};
  double eye[4], clip[4];
  for (int r = 0; r < 4; ++r)
    eye[r] = model[r] * in[0] + model[4 + r] * in[1] + model[8 + r] * in[2] + model[12 + r] * in[3];
  for (int r = 0; r < 4; ++r)
    clip[r] = proj[r] * eye[0] + proj[4 + r] * eye[1] + proj[8 + r] * eye[2] + proj[12 + r] * eye[3];
  if (clip[3] == 0.0) return GL_FALSE;
  for (int k = 0; k < 3; ++k) clip[k] /= clip[3];
  *wx = view[0] + (clip[0] * 0.5 + 0.5) * view[2];
  *wy = view[1] + (clip[1] * 0.5 + 0.5) * view[3];
  *wz = clip[2] * 0.5 + 0.5;
  return GL_TRUE;
}

}  // extern "C"
