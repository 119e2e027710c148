// view2d/view2d.h — the 2D points subwindow, the widget kit and the control
// panel.
#pragma once

// GLUT callbacks of the 2D points subwindow.
void points_reshape(int width, int height);
void points_display();
void points_mouse(int button, int state, int x, int y);
void points_motion(int x, int y);

// The lowest index whose projected position lies within the 17 x 17 pixel
// square around (x, y) (device pixels, y from the bottom; the square grows
// with the drawing scale), or -1: the pick of the left and middle buttons.
// Needs the 2D points subwindow current.
int pick_point(int x, int y);

// State of the 2D points subwindow (points_view.cpp).
// Size at the last reshape, in device pixels (the view works in them at any
// drawing scale); 540 x 540 before it.
extern int points_win_w, points_win_h;
extern int drag_index;  // point grabbed by the last left or middle press; -1 if it hit none
                        // (defined in points_logic.cpp, for GL-free edits)
extern int edit_mode;   // 11 after a right press, 3 after a left press on a point (only
                        // this lets motion move it), 2 after a middle press on a point
extern int last_mouse_x, last_mouse_y;  // last press or drag step, y from the bottom

// The sizes the two subwindows of "2D Points" are created with and kept at:
// 541 x 541 for the points view, 541 x 615 for the control panel (only its
// top 75 rows lie inside the parent), times the drawing scale (create_windows
// sets them; the lab changes them when it lays its windows out anew).  Each reshape asks a size other than
// its own back (keep_window_size), as the 3D window does for itself, so that
// a foreign resize neither shifts the plane under the pointer nor sends the
// panel's controls out of sight.
struct fixed_size;
extern fixed_size points_fixed, panel_fixed;

// Drawn by points_display after zelmor's own layers, in plane units with the
// depth test on, before the buffers swap.  Null in zelmor; a program built on
// the same windows (the lab) sets it to add layers of its own.
extern void (*points_overlay)();
// Null in zelmor.  When set, the display and the pick ask it for the plane's
// transform (the modelview is the identity when it is called): it returns 1
// when it loaded one of its own (the lab's zoom), 0 for zelmor's.
extern int (*points_transform)();

// GL-free arithmetic of the 2D points subwindow (points_logic.cpp).
struct point_rec;
// The plane coordinate of a pixel along a side of size pixels, the square
// [-3, 3] spanning the side: (pixel - size div 2) * 6 / size, the difference
// and the halving in integers.  A pixel is a mouse position, y already
// counted from the bottom as height - y (no -1).
double plane_coord(int pixel, int size);
// 1 when the projected point (wx, wy), cut toward zero, lies within 8 pixels
// of (x, y) on both axes: a 17 x 17 pixel pick square (8 layout pixels:
// scaled_px(8) device pixels at a drawing scale).
int pick_hit(double wx, double wy, int x, int y);
// Moves table[i] by (dx, dy, dz) when every new coordinate stays inside
// [-3, 3] (bounds inside); otherwise the whole step is dropped.
void move_point(point_rec* table, int i, double dx, double dy, double dz);

// GLUT callbacks of the control panel.
void panel_reshape(int width, int height);
void panel_display();
void panel_mouse(int button, int state, int x, int y);
void panel_motion(int x, int y);

// ---------------------------------------------------------------------------
// Widget kit: plain records drawn from scratch on every redisplay.
//
// Every function works in pixels of the current window, origin bottom-left,
// y upward (the caller has set gluOrtho2D(0, w, 0, h) and an identity
// modelview).  Mouse positions must already be flipped (flip_y).
//
// The arithmetic (hit tests, baselines, knob placement, the slider's mouse
// and drag handling, text line splitting) lives in widget_logic.cpp, which
// needs no GL; the drawing lives in widgets.cpp.
// ---------------------------------------------------------------------------

// A push button or a check box.  x0 < x1 and y0 < y1.
struct button_rec {
  int x0, y0, x1, y1;
  char label[60];      // zero-terminated
  void* font;          // a GLUT bitmap font (GLUT_BITMAP_HELVETICA_12 everywhere)
  unsigned char state; // push button: pressed (drawn sunken); check box: ticked
};

// A horizontal slider occupying the band y0 .. y0 + 16 (y1 = y0 + 16).
// The knob's centre runs from x0 + 25 (min) to x1 - 25 (max): the track
// length is T = x1 - x0 - 50 pixels.
struct slider_rec {
  int x0, y0, x1, y1;
  int knob_x;                       // knob centre; 0 until first placed
  float min, max, step, value;      // single precision on purpose
  const char* format;               // printf format of the three read-outs
  unsigned int list;                // display list of the arrow glyphs; 0 until the first draw
  int drag_x, drag_y;               // mouse at the drag's start and after each step
  int dragging;                     // 1 while the knob is held
  unsigned char up_pressed, down_pressed;  // 1 while an arrow box is held
};

// GLUT's mouse codes, restated so that the GL-free half needs no GLUT header
// (widgets.cpp checks them against GLUT's own).
inline constexpr int WIDGET_LEFT_BUTTON = 0;
inline constexpr int WIDGET_DOWN = 0;
inline constexpr int WIDGET_UP = 1;

// GL-free arithmetic (widget_logic.cpp).

// 1 when x0 <= x <= x1 and y0 <= y <= y1 (edges inside), else 0.
int hit_rect(const button_rec& b, int x, int y);
// The label's baseline: (max(|y1 - y0| - 13, 0)) div 2 + y0 + 3.
int label_baseline(const button_rec& b);
// The knob centre of the slider's current value, cut toward zero.
int knob_position(const slider_rec& s);
// Sets knob_x to knob_position(s).
void place_knob(slider_rec& s);
// Left press on an arrow box: one step, clamped, box held.  Left press on the
// knob (within 8 pixels of its centre, inside x0 + 22 .. x1 - 22): drag
// starts.  Left release anywhere: drag and held boxes end.  Else nothing.
void slider_mouse(slider_rec& s, int button, int state, int x, int y);
// While dragging: the knob follows x pixel by pixel within its track and the
// value snaps to the nearest whole step from min.  Otherwise nothing.
void slider_motion(slider_rec& s, int x, int y);
// height - y - 1: a GLUT mouse y (from the top) as a pixel row from the bottom.
int flip_y_in(int height, int y);
// The zoom buttons: zoom times or divided by 1.5, unless that would leave
// [ZOOM_MIN, ZOOM_MAX]; then the zoom stays.  The range holds some sixty
// presses either way from the start (1.5), far beyond any useful view, and
// keeps the zoom finite and nonzero so that the other button always brings
// the view back.
inline constexpr float ZOOM_MIN = 1e-11f;
inline constexpr float ZOOM_MAX = 1e11f;
float zoom_in_step(float zoom);
float zoom_out_step(float zoom);
// Calls line(ctx, k, begin, length) for each line k = 0, 1, ... of text: the
// characters up to a '\n' or the end.  A final '\n' starts no further line;
// two '\n' in a row give an empty line between them.
// A place a finger may aim at: x0 <= x1, y0 <= y1, edges inside.
struct finger_box {
  int x0, y0, x1, y1;
};
// The panel's places for a finger, in layout pixels from the bottom: each
// button and check box, each slider's two arrow boxes and its knob
// (panel.cpp).  Returns how many there are; at most capacity are written.
int panel_finger_boxes(finger_box* out, int capacity);
// Where a finger touching (x, y) acts among n boxes: -1, and (x, y)
// itself, when it lies in a box or within reach of none; else the index of
// the nearest box that reaches it, and *tx, *ty the point of that box's
// inner part (one pixel in from its edges where it is wider than two) nearest
// to (x, y).  A box reaches as far as a square of min_side centred on it
// would (boxes already that large reach no further), so controls drawn
// smaller than a fingertip take taps that land beside them.
int finger_target(const finger_box* boxes, int n, int min_side, int x, int y, int* tx, int* ty);
void for_each_text_line(const char* text,
                        void (*line)(void* ctx, int k, const char* begin, int length),
                        void* ctx);

// Drawing (widgets.cpp, needs a current GL context).
void draw_bevel(int x0, int y0, int x1, int y1);
void draw_bevel_sunken(int x0, int y0, int x1, int y1);
void draw_button_frame(int x0, int y0, int x1, int y1);
void draw_button_frame_pressed(int x0, int y0, int x1, int y1);
void draw_button(const button_rec& b);
void draw_check_box(const button_rec& b);
void draw_check_frame(int x0, int y0, int x1, int y1);
void draw_check_mark(int x0, int y0, int x1, int y1);
void draw_slider(slider_rec& s);
void draw_text_lines(const char* text, int x, int y, int step, void* font);
// Reads the current viewport: its height - y - 1, in layout pixels
// (layout_px of it; the viewport's height itself at scale 1).
int flip_y(int y);

// Drawing at the drawing scale (widgets.cpp; see view2d/scale.h).  At scale 1
// each is exactly the GL or GLUT call it stands for.
// glLineWidth and glPointSize of a layout width times the scale.
void scaled_line_width(float layout_width);
void scaled_point_size(float layout_size);
// The GLUT bitmap font that draws font at the current scale (font_for_scale);
// font itself at scale 1 or when it is no GLUT bitmap font.
void* scaled_font(void* font);
// The first length characters of text (all of it when length < 0) in
// scaled_font(font), from the current raster position.
void draw_bitmap_text(void* font, const char* text, int length = -1);
// text in scaled_font(font) at that font's own advance: a label, which has no
// columns to keep (draw_bitmap_text keeps a fixed-width font's cells at
// every scale, so that a larger proportional font would leave gaps inside
// "10").  At scale 1 the same pixels as draw_bitmap_text.
void draw_label_text(void* font, const char* text);
// The width of text drawn so, in layout pixels (rounded up).
int bitmap_text_width(void* font, const char* text);
// Viewport (0, 0, width, height) in device pixels and the projection
// gluOrtho2D(0, width / scale, 0, height / scale): the window drawn in layout
// pixels.  Leaves the modelview matrix selected.
void layout_projection(int width, int height);

// The panel's controls (panel.cpp), visible for tests and for the views that
// read the settings they drive.
extern slider_rec weight_slider, opacity_slider;
extern button_rec zoom_in_button, zoom_out_button, new_button, quit_button;
extern button_rec hyperboloid_check, delaunay_check, voronoi_check, grid_check;
extern int panel_w, panel_h;
