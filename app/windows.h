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
extern int view3d_w, view3d_h;
extern int about_w, about_h;

// The empty record lists, the quadrics, the surface mesh and the About text.
// Ends the process (status 1) when the quadrics cannot be had.
void init_scene();

// init_scene(), then every window with its callbacks, in the order
// "3D Projection", About (hidden), "2D Points", control panel, 2D points view;
// "2D Points" is current afterwards.  Needs glutInit and the display mode
// already set.  A program other than zelmor may add callbacks to the windows
// it returns with (a keyboard, a passive motion), never replace zelmor's.
void create_windows();

// Posts a redisplay of each window named in codes: '2' the 2D points view,
// '3' the control panel, 'S' the 3D window; other characters name nothing.
// The window that was current stays current.  A window not yet created is
// skipped.
void redisplay_windows(const char* codes);

// For the windows of a fixed size ("3D Projection" and the two subwindows of
// "2D Points"), first thing in their reshape, with the current window being
// the one reshaped: a size other than fixed_w x fixed_h is asked back (the
// reshape that brings it follows) and *away raised; the window's display
// draws nothing while *away is up.  At the fixed size after such a resize,
// *away is lowered and the renderer made to measure the window again (it
// may still hold buffers of the foreign size).
void keep_window_size(int width, int height, int fixed_w, int fixed_h, bool* away);

// Titles "2D Points" after the state of the last save of ".ZELMOR":
// "2D Points" while it succeeds, "2D Points - .ZELMOR not saved: <reason>"
// while it fails.  The current window stays current.
void show_point_file_state();

void top_display();
void top_reshape(int width, int height);

void about_display();
void about_reshape(int width, int height);
void about_mouse(int button, int state, int x, int y);
