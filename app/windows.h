// app/windows.h — the GL side of the application: the window registry, the
// scene's GL objects, the redisplay requests and the windows' own callbacks.
// Everything here needs a GL context or a GLUT window; the GL-free core that
// it draws from is app/app.h.
#pragma once

#include "app/app.h"

struct GLUquadric;
extern GLUquadric* axis_quadric;   // axis shafts
extern GLUquadric* arrow_quadric;  // arrow heads

// The windows, created by create_windows(): "3D Projection", the hidden
// "About ZELMOR", the "2D Points" top window and its two subwindows (the
// control panel and the 2D points view).
extern int view3d_win, about_win, top_win, panel_win, points_win;
// In layout pixels (see view2d/scale.h): the windows are made that size
// times the drawing scale.
extern int view3d_w, view3d_h;
extern int about_w, about_h;

// The empty record lists, the quadrics, the surface mesh and the About text.
// Ends the process (status 1) when the quadrics cannot be had.
void init_scene();

// init_scene(), then every window with its callbacks, in the order
// "3D Projection", About (hidden), "2D Points", control panel, 2D points view;
// "2D Points" is current afterwards.  Needs glutInit and the display mode
// already set.
//
// Room for other front ends (the one statement of it; the lab on the desktop
// and on its page keeps to it).  zelmor registers no keyboard and sets no
// hook.  A program built on these windows calls create_windows, then may:
//  - add the callbacks zelmor leaves unset: keyboard and special keys on
//    any window, passive motion and entry on the 2D points view;
//  - make windows of its own and move zelmor's to make room for them (the
//    lab's status band between the 2D view and the panel);
//  - wrap a callback of zelmor's: its own callback, registered in its
//    place, calls zelmor's (points_mouse, points_motion, panel_mouse,
//    view3d_mouse, view3d_motion, about_mouse, about_reshape, top_reshape)
//    and adds steps before or after it; it may hold back an event from
//    zelmor's only to do that event's work another way (the lab's filters:
//    a right press on a point selects it instead of adding a twin);
//  - set the four hooks, all null in zelmor: points_overlay and
//    points_transform (view2d/view2d.h), view3d_overlay and view3d_camera
//    (view3d/view3d.h); replace label_drawer (draw_point_labels in zelmor)
//    and about_shown_text (about_text in zelmor);
//    in the core, point the weights at its own (point_weights) and chain
//    point_file_state_changed, calling the one it found;
//  - change the point set only through the core's door (append_point,
//    point_changed, replace_point_set in app/app.h), which keeps the lifts,
//    ".ZELMOR" and need_recompute in step for every front end.
void create_windows();

// Asks every window of create_windows for its size and place at the current
// drawing scale (the sizes they are kept at change with it) and posts their
// redisplays; the reshapes follow from the window system.  zelmor never
// calls it (its scale is 1 from the start); a front end that changes the
// scale after start-up does.
void fit_windows_to_scale();

// Posts a redisplay of each window named in codes: '2' the 2D points view,
// '3' the control panel, 'S' the 3D window; other characters name nothing.
// The window that was current stays current.  A window not yet created is
// skipped.
void redisplay_windows(const char* codes);

// A window kept at a fixed size ("3D Projection" and the two subwindows of
// "2D Points") against resizes by other clients.
struct fixed_size {
  int width, height;        // the size it is made with and kept at (device pixels)
  bool away = false;        // another size was given and is being asked back
  bool undrawable = false;  // that size is beyond the largest viewport the
                            // renderer draws: the display draws nothing
  bool follows = false;     // the user may resize it: any size within the
                            // screen becomes its own (never in zelmor)
  int drawn_w = 0, drawn_h = 0;  // its own size at the last reshape; 0 before it
  bool fresh_size = false;  // its own size changed: the next frame is the first
};
// The 3D window's; view3d_window.cpp.
extern fixed_size view3d_fixed;

// First thing in such a window's reshape, with that window current: a size
// other than its own is asked back (the reshape that brings it follows);
// back at its own size after that, the renderer is made to measure the
// window again, since it may still hold buffers of the foreign size (at
// 32767 x 32767 it fails on them).
void keep_window_size(fixed_size* f, int width, int height);
// Last thing in such a window's display, after the swap: the first frame
// after a change of its own size may still go to buffers of the size
// before, so it asks for one more.  Nothing otherwise (never in zelmor,
// whose windows keep their sizes).
void frame_done(fixed_size* f);

// Titles "2D Points" after the state of the last save of ".ZELMOR":
// "2D Points" while it succeeds, "2D Points - .ZELMOR not saved: <reason>"
// while it fails.  The current window stays current.
void show_point_file_state();

void top_display();
void top_reshape(int width, int height);

// The text the About window draws: zelmor's credit block, about_text; a
// front end may point it at a text of its own (the lab's list of keys),
// which it keeps alive while the window may show.
extern const char* about_shown_text;
void about_display();
void about_reshape(int width, int height);
void about_mouse(int button, int state, int x, int y);
