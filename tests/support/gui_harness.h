// In-process GUI test harness.
//
// The program's own main() is compiled a second time as app_main(); with
// glutMainLoop wrapped to return at once, gui_start() runs the real start-up
// (the real windows, the real callbacks) and hands control back to the test,
// which then pumps GLUT events itself.  glutSwapBuffers is wrapped too: every
// frame's back buffer is read back before the real swap, per window, so tests
// can check pixels of hidden, covered or clipped windows alike.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tests/support/xdrive.h"

struct rgb {
  int r, g, b;
};
bool operator==(const rgb& a, const rgb& b);
std::ostream& operator<<(std::ostream& os, const rgb& c);

// Runs the program's start-up once per process and pumps until the 2D points
// view has drawn its first frame.
void gui_start();
// The same for another program built on zelmor's windows (zelmor-lab: its
// main() compiled as lab_main); gui_start() is gui_start_program(app_main).
// Only the first start of a process runs.
void gui_start_program(int (*entry)(int argc, char** argv), const char* name);

// The window that was current when start-up entered the main loop.
int window_current_at_main_loop();

// Handles every pending X event and due redisplay, repeatedly, until a few
// rounds pass with no new frame (bounded to about two seconds).
void gui_settle();

// Pumps until pred() holds or timeout_ms passes; returns pred().
bool gui_pump_until(const std::function<bool()>& pred, int timeout_ms = 3000);

// Frames swapped so far in GLUT window win, and the pixel (x, y) of the last
// one, origin bottom-left as GL counts.
int frame_count(int win);
rgb frame_pixel(int win, int x, int y);
int frame_width(int win);
int frame_height(int win);
// Writes the last frame of win as a binary PPM (for looking at failures).
void save_frame(int win, const std::string& path);

// Channel distance allowed when comparing colours read back from GL.
bool near(const rgb& a, const rgb& b, int tol = 3);

// Converts a GL float colour the way the frame buffer stores it.
rgb from_gl(float r, float g, float b);

// Counts pixels of the last frame of win inside [x0, x1] x [y0, y1] whose
// colour is within tol of c.
int count_pixels(int win, rgb c, int x0, int y0, int x1, int y1, int tol = 3);

// The X server's view of a top-level window, found by its exact title,
// mapped or not (an empty record, id 0, when there is none).
xd_window x_top_window(const std::string& title);
