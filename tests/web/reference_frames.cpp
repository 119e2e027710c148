// Runs the desktop program in-process through a scenario of clicks (the
// file that the browser tests replay on the web page) and writes the frames
// of the three visible windows as PPM files, for the web page's pixels to be
// compared with.
//
//   web_reference_frames SCENARIO OUTDIR
//
// Each "frames NAME" line writes OUTDIR/NAME-points.ppm, -panel.ppm and
// -view3d.ppm.
#include <GL/freeglut.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "app/app.h"
#include "app/windows.h"
#include "tests/support/gui_harness.h"
#include "view2d/view2d.h"
#include "view3d/view3d.h"

namespace {

int window_named(const std::string& name) {
  if (name == "points") return points_win;
  if (name == "panel") return panel_win;
  if (name == "view3d") return view3d_win;
  return 0;
}

void click(int win, int button, int x, int y) {
  void (*mouse)(int, int, int, int) = win == points_win  ? points_mouse
                                      : win == panel_win ? panel_mouse
                                                         : view3d_mouse;
  glutSetWindow(win);
  mouse(button, GLUT_DOWN, x, y);
  gui_settle();
  glutSetWindow(win);
  mouse(button, GLUT_UP, x, y);
  gui_settle();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: web_reference_frames SCENARIO OUTDIR\n");
    return 2;
  }
  std::ifstream in(argv[1]);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 2;
  }
  const std::string out = argv[2];
  gui_start();
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '%') continue;
    std::istringstream words(line);
    std::string what, button;
    words >> what;
    if (what == "frames") {
      std::string name;
      words >> name;
      gui_settle();
      save_frame(points_win, out + "/" + name + "-points.ppm");
      save_frame(panel_win, out + "/" + name + "-panel.ppm");
      save_frame(view3d_win, out + "/" + name + "-view3d.ppm");
      continue;
    }
    int x = 0, y = 0;
    words >> button >> x >> y;
    const int win = window_named(what);
    const int b = button == "left" ? GLUT_LEFT_BUTTON
                  : button == "middle" ? GLUT_MIDDLE_BUTTON
                                       : GLUT_RIGHT_BUTTON;
    if (win == 0 || !words) {
      std::fprintf(stderr, "bad scenario line: %s\n", line.c_str());
      return 2;
    }
    click(win, b, x, y);
  }
  return 0;
}
