#include "tests/support/gui_harness.h"

#include <GL/freeglut.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <ostream>
#include <thread>

#include "app/windows.h"

int app_main(int argc, char** argv);

extern "C" {
void __real_glutSwapBuffers();
void __wrap_glutMainLoop();
void __wrap_glutSwapBuffers();
}

namespace {
int g_window_at_main_loop = 0;
}

// The real loop never returns; the test takes over the pumping instead.
extern "C" void __wrap_glutMainLoop() { g_window_at_main_loop = glutGetWindow(); }

int window_current_at_main_loop() { return g_window_at_main_loop; }

namespace {

struct frame {
  int width = 0, height = 0;
  std::vector<unsigned char> rgba;
  int count = 0;
};
std::map<int, frame> g_frames;
int g_total_frames = 0;
bool g_started = false;

}  // namespace

extern "C" void __wrap_glutSwapBuffers() {
  const int win = glutGetWindow();
  frame& f = g_frames[win];
  f.width = glutGet(GLUT_WINDOW_WIDTH);
  f.height = glutGet(GLUT_WINDOW_HEIGHT);
  f.rgba.assign(size_t(f.width) * f.height * 4, 0);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, f.width, f.height, GL_RGBA, GL_UNSIGNED_BYTE, f.rgba.data());
  ++f.count;
  ++g_total_frames;
  __real_glutSwapBuffers();
}

bool operator==(const rgb& a, const rgb& b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
std::ostream& operator<<(std::ostream& os, const rgb& c) {
  return os << "rgb(" << c.r << ", " << c.g << ", " << c.b << ")";
}

void gui_start() { gui_start_program(app_main, "zelmor"); }

void gui_start_program(int (*entry)(int argc, char** argv), const char* name) {
  if (g_started) return;
  g_started = true;
  static std::string arg0;
  arg0 = name;
  static char* argv[] = {arg0.data(), nullptr};
  entry(1, argv);
  gui_pump_until([] { return frame_count(points_win) > 0; }, 10000);
  gui_settle();
}

void gui_settle() {
  using clock = std::chrono::steady_clock;
  const auto deadline = clock::now() + std::chrono::seconds(2);
  int quiet = 0;
  while (quiet < 3 && clock::now() < deadline) {
    const int before = g_total_frames;
    glutMainLoopEvent();
    if (g_total_frames == before) {
      ++quiet;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } else {
      quiet = 0;
    }
  }
}

bool gui_pump_until(const std::function<bool()>& pred, int timeout_ms) {
  using clock = std::chrono::steady_clock;
  const auto deadline = clock::now() + std::chrono::milliseconds(timeout_ms);
  while (!pred()) {
    if (clock::now() >= deadline) return false;
    glutMainLoopEvent();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

int frame_count(int win) {
  auto it = g_frames.find(win);
  return it == g_frames.end() ? 0 : it->second.count;
}
int frame_width(int win) { return g_frames[win].width; }
int frame_height(int win) { return g_frames[win].height; }

rgb frame_pixel(int win, int x, int y) {
  const frame& f = g_frames[win];
  if (x < 0 || y < 0 || x >= f.width || y >= f.height) return rgb{-1, -1, -1};
  const unsigned char* p = &f.rgba[(size_t(y) * f.width + x) * 4];
  return rgb{p[0], p[1], p[2]};
}

void save_frame(int win, const std::string& path) {
  const frame& f = g_frames[win];
  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return;
  std::fprintf(out, "P6\n%d %d\n255\n", f.width, f.height);
  for (int y = f.height - 1; y >= 0; --y)
    for (int x = 0; x < f.width; ++x) std::fwrite(&f.rgba[(size_t(y) * f.width + x) * 4], 1, 3, out);
  std::fclose(out);
}

bool near(const rgb& a, const rgb& b, int tol) {
  return std::abs(a.r - b.r) <= tol && std::abs(a.g - b.g) <= tol && std::abs(a.b - b.b) <= tol;
}

rgb from_gl(float r, float g, float b) {
  auto c = [](float v) { return int(std::lround(v * 255.0f)); };
  return rgb{c(r), c(g), c(b)};
}

int count_pixels(int win, rgb c, int x0, int y0, int x1, int y1, int tol) {
  int n = 0;
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x)
      if (near(frame_pixel(win, x, y), c, tol)) ++n;
  return n;
}

xd_window x_top_window(const std::string& title) {
  xdrive x;
  return x.top_window(title);
}
