// A small driver for end-to-end tests of the real zelmor program.
//
// It starts the program in a fresh temporary working directory on the X
// display named by DISPLAY (run the test under tests/support/with-xvfb.sh),
// finds its windows by title through Xlib, sends real pointer events with the
// XTest extension, reads screen pixels with XGetImage, waits for the files
// the program writes with a bounded poll, and collects its exit status.
//
// Coordinates are screen (root window) pixels, y from the top, as the X
// server counts them.  Buttons are X buttons: 1 left, 2 middle, 3 right.
// Every wait is bounded; nothing here blocks forever.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct xd_rgb {
  int r = 0, g = 0, b = 0;
};
bool operator==(const xd_rgb& a, const xd_rgb& b);
// Every channel within tol.
bool xd_near(const xd_rgb& a, const xd_rgb& b, int tol = 3);

// A window as the X server sees it; x, y are its absolute screen position.
struct xd_window {
  unsigned long id = 0;  // 0: not found
  bool mapped = false;
  int x = 0, y = 0, width = 0, height = 0;
  std::vector<xd_window> children;  // in stacking order, bottom first
  // The child with exactly this geometry relative to this window, or an
  // empty record (subwindows have no title: tell them apart by geometry).
  xd_window child_at(int rel_x, int rel_y, int width, int height) const;
};

// A rectangle of screen pixels read at one moment.
struct xd_image {
  int x = 0, y = 0, width = 0, height = 0;  // screen position and size
  std::vector<xd_rgb> pixels;               // row-major, top row first
  // Pixel at (px, py) relative to the image's top-left; {-1,-1,-1} outside.
  xd_rgb at(int px, int py) const;
  // Pixels within tol of c in the relative rectangle [x0, x1] x [y0, y1].
  int count(const xd_rgb& c, int x0, int y0, int x1, int y1, int tol = 3) const;
  int count_if(const std::function<bool(const xd_rgb&)>& pred, int x0, int y0, int x1,
               int y1) const;
  // Writes the image as a binary PPM (for looking at failures).
  bool save_ppm(const std::string& path) const;
};

// One line of the point-exchange file: a lifted point.
struct xd_lifted {
  double x = 0, y = 0, z = 0;
};
// The points of a point-exchange file's text, in file order (lines that do
// not hold three numbers are left out).
std::vector<xd_lifted> xd_parse_points(const std::string& text);
// The number of newline-ended lines of a text.
size_t xd_line_count(const std::string& text);

class xdrive {
 public:
  xdrive() = default;
  ~xdrive();  // ends a program still running and removes its directory
  xdrive(const xdrive&) = delete;
  xdrive& operator=(const xdrive&) = delete;

  // Opens DISPLAY and checks for XTest; false (with a message on stderr)
  // when either is missing.
  bool connect();

  // --- the program ---------------------------------------------------------
  // Starts binary with args in a fresh, empty temporary working directory;
  // its standard output and error go to files beside that directory.
  bool launch(const std::string& binary, const std::vector<std::string>& args = {});
  const std::string& workdir() const { return workdir_; }
  bool running();
  // Waits for the program to end: its exit status (0..255), 128 + signal when
  // a signal ended it, -1 when it is still running after timeout_ms.
  int wait_exit(int timeout_ms);
  // SIGTERM, then SIGKILL if it has not ended within a second; the status.
  int terminate();
  // What the program wrote to standard output / error so far.
  std::string program_stdout() const;
  std::string program_stderr() const;

  // --- files in the working directory ---------------------------------------
  // The whole file; false when it cannot be read.
  bool read_file(const std::string& name, std::string* contents) const;
  // Polls every 20 ms until pred(contents) holds; false after timeout_ms.
  bool wait_file(const std::string& name, const std::function<bool(const std::string&)>& pred,
                 int timeout_ms = 3000) const;

  // --- windows --------------------------------------------------------------
  // The top-level window titled exactly title, polled until it is mapped;
  // an empty record after timeout_ms.
  xd_window find_window(const std::string& title, int timeout_ms = 5000);
  // The top-level window titled exactly title as it is now, mapped or not;
  // an empty record when there is none.
  xd_window top_window(const std::string& title);
  // Fresh geometry of a window found before.
  xd_window describe(unsigned long id);
  // Asks the X server to resize a window (as a user or window manager would).
  void resize(unsigned long id, int width, int height);

  // --- pointer (real X events through XTest) --------------------------------
  void move(int x, int y);
  void press(int button);
  void release(int button);
  // move, press, release at (x, y).
  void click(int x, int y, int button);
  // --- keyboard (real X key events through XTest) ---------------------------
  // Presses and releases the key of an X keysym name ("z", "S", "Delete"),
  // with Shift held when the keysym sits on the key's shifted level, and
  // with Control held for a "ctrl+" prefix ("ctrl+z").  The event goes to
  // the window under the pointer (no window manager: focus follows it).
  // False when the keymap has no such key.
  bool key(const std::string& name);

  // Waits until the X server has handled every request sent so far.
  void sync();

  // --- pixels ---------------------------------------------------------------
  xd_image grab(int x, int y, int width, int height);
  xd_image grab(const xd_window& w) { return grab(w.x, w.y, w.width, w.height); }
  xd_rgb pixel(int x, int y);

  // --- waiting ----------------------------------------------------------------
  // Polls pred every 20 ms; false after timeout_ms.
  static bool wait_until(const std::function<bool()>& pred, int timeout_ms);
  static void sleep_ms(int ms);

 private:
  void* display_ = nullptr;  // Display*, kept opaque so that users need no Xlib header
  int pid_ = -1;
  int status_ = -1;  // once collected
  std::string base_;     // temporary directory holding workdir_ and the logs
  std::string workdir_;
};
