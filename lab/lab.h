// lab/lab.h — zelmor-lab: zelmor's windows, panel and mouse, plus lessons
// reached from the keyboard.  zelmor itself never links anything here.
//
// The GL-free half (the key table, the status message) is tested without a
// display; the GL half wires it to the windows.
#pragma once

#include <string>

#include "app/app.h"

// ---------------------------------------------------------------------------
// Actions and keys (GL-free, actions.cpp)
// ---------------------------------------------------------------------------

// One thing the lab can do, bound to a key.  key is an ASCII key as GLUT's
// keyboard callback reports it, or 0 when special names a GLUT special key
// (GLUT_KEY_*) instead.  run is a plain function; handlers stay thin.
struct lab_action {
  unsigned char key;
  int special;
  const char* name;  // the action, as the help lists it ("reset the camera")
  void (*run)();
};

// Adds the actions of one feature to the key table.  A key bound twice is a
// programming error: the process ends with a message naming the key.
void lab_add_actions(const lab_action* actions, int count);

// The action bound to an ASCII key (special 0) or a special key (key 0), or
// null.
const lab_action* lab_find_action(unsigned char key, int special);

// Sees every key before the key table does, while a feature holds the
// keyboard (the Open list while it is shown); returns 1 to take the key.
// One at a time; null for none.  (lab_windows.cpp)
typedef int (*lab_key_filter)(unsigned char key, int special);
void lab_set_key_filter(lab_key_filter filter);

// Runs the action bound to the key; returns 1 when there was one.
int lab_run_key(unsigned char key, int special);

// Every bound action in the order added, for the help text.
int lab_action_count();
const lab_action* lab_action_at(int i);

// Forgets every action (tests).
void lab_clear_actions();

// The About window's text in the lab (help_logic.cpp): the mouse, then every
// action of the key table with its keys and its whole name (actions of one
// name share an entry; a long name goes on in the line below), in two
// columns of LAB_HELP_COLUMN characters, then the colours.
inline constexpr int LAB_HELP_COLUMN = 39;
std::string lab_help_text();

// The presentation key's next drawing scale after scale: 1, 1.5, 2, 3 and
// round again, skipping the steps whose windows a screen of screen_w x
// screen_h pixels cannot hold (help_logic.cpp).  The windows fit when
// "3D Projection" at its place (553 layout pixels from the left) keeps its
// smallest side, 200 layout pixels, on the screen, and "2D Points" its
// smallest height, 300: at a scale beyond that the plane or the 3D view would
// lie partly off the screen (scale 3 on a 1920 x 1080 projector).  A screen
// size of 0 or less is unknown and holds every step.
float lab_next_presentation_scale(float scale, int screen_w, int screen_h);
bool lab_scale_fits_screen(float scale, int screen_w, int screen_h);

// Where the help window goes on a screen of screen_w x screen_h: beside the
// working windows where the screen has room for it (right of "3D
// Projection", else below it), else over "3D Projection" alone, so that the
// plane where points are edited stays in sight; never past the screen's left
// or top edge.  view3d_x, view3d_w, view3d_h: "3D Projection"'s place and size.
struct lab_place {
  int x, y;
};
lab_place lab_help_place(int screen_w, int screen_h, int help_w, int help_h, int view3d_x, int view3d_w,
                         int view3d_h);

// A key as the help and the status line name it: "a", "Del", "Esc", "^Z",
// "F1" (key 0: the special key).
std::string lab_key_name(unsigned char key, int special);

// ---------------------------------------------------------------------------
// Status message (GL-free, status.cpp)
// ---------------------------------------------------------------------------

inline constexpr int LAB_STATUS_MAX = 160;

// Sets the message shown in the status line (printf format; cut to
// LAB_STATUS_MAX - 1 characters).  The message stays until the next one.
void lab_status(const char* format, ...) __attribute__((format(printf, 1, 2)));
const char* lab_status_text();
// Counts the calls of lab_status: a feature can tell whether a message was
// set while it was not looking.
int lab_status_serial();

// The status line: a band of three rows of its own, a subwindow of "2D
// Points" right below the 2D view (the lab makes "2D Points" taller by the
// band and moves the panel down by as much; zelmor's layout is untouched),
// so it covers no part of the plane.  The message (or a hint for the state)
// wraps onto the first two rows, shortened with "..." past them; the point
// count, the hidden points, the selected point and the pointer take the
// third.  The rows come from lab_status_rows (lessons.cpp).
inline constexpr int LAB_STATUS_BAND = 50;  // pixels
void lab_status_rows(char* top, char* bottom, int size);
extern int lab_status_win;  // the band's subwindow; 0 before lab_create_windows

// ---------------------------------------------------------------------------
// Per-point data of the lab (GL-free, status.cpp)
// ---------------------------------------------------------------------------

// The weight of point i (power diagrams); entry i belongs to point i of
// plane_table and point_table, and every lab edit that adds, deletes or
// reorders points keeps it in step.  0 for every point until the user gives
// it a weight.  zelmor has no per-point weight: this lives in the lab only.
extern double lab_point_weight[MAX_POINTS];

// The lab's weights lie in 0 .. LAB_WEIGHT_MAX (a circle of radius 3 at
// most, half the view) and change in steps of LAB_WEIGHT_STEP.
inline constexpr double LAB_WEIGHT_MAX = 9.0;
inline constexpr double LAB_WEIGHT_STEP = 0.1;

// ---------------------------------------------------------------------------
// GL side (lab_windows.cpp)
// ---------------------------------------------------------------------------

// zelmor's windows (create_windows), then the lab's keyboard on each of them
// and its overlays.  Needs glutInit and the display mode set.
void lab_create_windows();

// The keyboard callbacks every lab window gets.
void lab_keyboard(unsigned char key, int x, int y);
void lab_special(int key, int x, int y);

// Every lab window at its size for the current drawing scale (view2d/scale.h),
// in its place, and redrawn: P on the desktop, a browser zoom on the page.
void lab_apply_draw_scale();

// Shows the "About ZELMOR" window (the help), sized for the lab's text and
// placed beside the working windows when the screen has room; h, ?, Esc or
// a click in it closes it again.
void lab_show_help();
int lab_help_shown();

// Layers the lab draws over zelmor's: in the 2D view (plane units, after
// zelmor's layers, the status line last) and in the 3D scene (scene
// coordinates).  Drawn in the order added.
void lab_add_points_overlay(void (*draw)());
void lab_add_view3d_overlay(void (*draw)());

// ---------------------------------------------------------------------------
// Mouse hooks (lab_windows.cpp).  The lab keeps zelmor's mouse behaviour and
// only adds to it: the 2D points view and the control panel get lab
// callbacks that run the filters first, then zelmor's own callback, then the
// observers.
// ---------------------------------------------------------------------------

// Which window a mouse event came from.
enum class lab_window { points, panel };

// Sees a press or release in the 2D points view before zelmor does (x, y as
// GLUT gives them, y from the top).  Returns 1 to consume the event: zelmor's
// points_mouse never sees it.
typedef int (*lab_mouse_filter)(int button, int state, int x, int y);
void lab_add_points_mouse_filter(lab_mouse_filter filter);

// Called after every press or release in the 2D points view or the control
// panel has been handled (by a filter or by zelmor), e.g. to notice that a
// gesture changed the point set.
typedef void (*lab_mouse_observer)(lab_window window, int button, int state);
void lab_add_mouse_observer(lab_mouse_observer observer);

// Told of every pointer motion in the 2D points view (passive, or with a
// button held, after zelmor's own motion callback), and of the pointer
// leaving it (x = y = -1).  x, y as GLUT gives them, y from the top.
typedef void (*lab_pointer_observer)(int x, int y);
void lab_add_pointer_observer(lab_pointer_observer observer);
// The 2D points view's passive motion callback: tells the pointer observers.
void lab_points_passive(int x, int y);

// The 3D window's mouse and motion callbacks in the lab: zelmor's, then the
// observers below.
void lab_view3d_mouse(int button, int state, int x, int y);
void lab_view3d_motion(int x, int y);

// Told of every press, release (mouse) and drag motion (motion) in the 3D
// window after zelmor's own callbacks.
void lab_add_view3d_observers(void (*mouse)(int button, int state, int x, int y),
                              void (*motion)(int x, int y));

// Features' start-up (each called by lab_main before lab_create_windows).
void lab_lessons_init();
// "Watch it grow" (construction_view.cpp): its keys and its layers in both
// views; lab_lessons_init calls it.
void lab_construction_init();
// Circles held, the counter-example and the smallest angle (circles_view.cpp):
// their keys and layers in both views; lab_lessons_init calls it.
void lab_circles_init();
// 1 while the smallest angle is shown (a).
int lab_angles_shown();
void lab_angles_set(int on);
// The snap (p) and the warning of nearly degenerate sets (snap_view.cpp);
// lab_circles_init calls it.  The snap's step in hundredths, 0 when off.
void lab_snap_init();
int lab_snap_step();
void lab_snap_set(int hundredths);
// The zoom and pan of the 2D view (zoom_view.cpp); lab_circles_init calls
// it.  lab_plane_at: the plane position under a 2D view pixel (x, y as GLUT
// gives them, y from the top), zoomed or not; every lab feature that reads
// the pointer uses it.
void lab_zoom_init();
void lab_plane_at(int x, int y, double out[2]);
double lab_zoom_scale();
bool lab_zoomed();
// The 2D view's zoom, its centre and the snap's step in hundredths, for
// lesson files and links: taken, and put back (the zoom held within the
// square, a step not one of the snap's taken as off).
void lab_plane_view_get(double* zoom, double centre[2], int* snap);
void lab_plane_view_set(double zoom, const double centre[2], int snap);
