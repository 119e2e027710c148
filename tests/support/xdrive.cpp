#include "tests/support/xdrive.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

Display* dpy_of(void* d) { return static_cast<Display*>(d); }

std::string slurp(const std::string& path, bool* ok) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (ok) *ok = false;
    return {};
  }
  std::ostringstream s;
  s << in.rdbuf();
  if (ok) *ok = true;
  return s.str();
}

int decode_status(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

}  // namespace

bool operator==(const xd_rgb& a, const xd_rgb& b) { return a.r == b.r && a.g == b.g && a.b == b.b; }

bool xd_near(const xd_rgb& a, const xd_rgb& b, int tol) {
  return std::abs(a.r - b.r) <= tol && std::abs(a.g - b.g) <= tol && std::abs(a.b - b.b) <= tol;
}

xd_window xd_window::child_at(int rel_x, int rel_y, int w, int h) const {
  for (const xd_window& c : children)
    if (c.x - x == rel_x && c.y - y == rel_y && c.width == w && c.height == h) return c;
  return {};
}

xd_rgb xd_image::at(int px, int py) const {
  if (px < 0 || py < 0 || px >= width || py >= height) return {-1, -1, -1};
  return pixels[size_t(py) * width + px];
}

int xd_image::count(const xd_rgb& c, int x0, int y0, int x1, int y1, int tol) const {
  return count_if([&](const xd_rgb& p) { return xd_near(p, c, tol); }, x0, y0, x1, y1);
}

int xd_image::count_if(const std::function<bool(const xd_rgb&)>& pred, int x0, int y0, int x1,
                       int y1) const {
  int n = 0;
  for (int py = y0; py <= y1; ++py)
    for (int px = x0; px <= x1; ++px) {
      const xd_rgb p = at(px, py);
      if (p.r >= 0 && pred(p)) ++n;
    }
  return n;
}

bool xd_image::save_ppm(const std::string& path) const {
  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  std::fprintf(out, "P6\n%d %d\n255\n", width, height);
  for (const xd_rgb& p : pixels) {
    const unsigned char c[3] = {static_cast<unsigned char>(p.r), static_cast<unsigned char>(p.g),
                                static_cast<unsigned char>(p.b)};
    std::fwrite(c, 1, 3, out);
  }
  return std::fclose(out) == 0;
}

xdrive::~xdrive() {
  if (pid_ > 0 && status_ < 0) terminate();
  if (display_ != nullptr) XCloseDisplay(dpy_of(display_));
  if (!base_.empty() && std::getenv("XDRIVE_KEEP") == nullptr) {
    std::error_code ec;
    std::filesystem::remove_all(base_, ec);
  }
}

bool xdrive::connect() {
  if (display_ != nullptr) return true;
  Display* d = XOpenDisplay(nullptr);
  if (d == nullptr) {
    std::fprintf(stderr, "xdrive: cannot open display \"%s\"\n",
                 std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "");
    return false;
  }
  int ev, err, major, minor;
  if (!XTestQueryExtension(d, &ev, &err, &major, &minor)) {
    std::fprintf(stderr, "xdrive: the X server has no XTest extension\n");
    XCloseDisplay(d);
    return false;
  }
  display_ = d;
  return true;
}

bool xdrive::launch(const std::string& binary, const std::vector<std::string>& args) {
  if (pid_ > 0 && status_ < 0) return false;  // one program at a time
  char tmpl[] = "/tmp/xdrive-XXXXXX";
  if (mkdtemp(tmpl) == nullptr) return false;
  base_ = tmpl;
  workdir_ = base_ + "/work";
  if (mkdir(workdir_.c_str(), 0700) != 0) return false;
  const std::string out = base_ + "/stdout", err = base_ + "/stderr";

  std::vector<std::string> argv_s{binary};
  argv_s.insert(argv_s.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argv_s) argv.push_back(a.data());
  argv.push_back(nullptr);

  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int n = open("/dev/null", O_RDONLY);
    if (o < 0 || e < 0 || n < 0 || chdir(workdir_.c_str()) != 0) _exit(126);
    dup2(n, 0);
    dup2(o, 1);
    dup2(e, 2);
    execv(binary.c_str(), argv.data());
    _exit(127);
  }
  pid_ = pid;
  status_ = -1;
  return true;
}

bool xdrive::running() {
  if (pid_ <= 0 || status_ >= 0) return false;
  int st = 0;
  if (waitpid(pid_, &st, WNOHANG) == pid_) {
    status_ = decode_status(st);
    return false;
  }
  return true;
}

int xdrive::wait_exit(int timeout_ms) {
  if (pid_ <= 0) return -1;
  wait_until([&] { return !running(); }, timeout_ms);
  return status_;
}

int xdrive::terminate() {
  if (!running()) return status_;
  kill(pid_, SIGTERM);
  if (wait_exit(1000) < 0) {
    kill(pid_, SIGKILL);
    wait_exit(5000);
  }
  return status_;
}

std::string xdrive::program_stdout() const { return slurp(base_ + "/stdout", nullptr); }
std::string xdrive::program_stderr() const { return slurp(base_ + "/stderr", nullptr); }

bool xdrive::read_file(const std::string& name, std::string* contents) const {
  bool ok = false;
  *contents = slurp(workdir_ + "/" + name, &ok);
  return ok;
}

bool xdrive::wait_file(const std::string& name,
                       const std::function<bool(const std::string&)>& pred,
                       int timeout_ms) const {
  return wait_until(
      [&] {
        std::string s;
        return read_file(name, &s) && pred(s);
      },
      timeout_ms);
}

xd_window xdrive::describe(unsigned long id) {
  xd_window info;
  Display* d = dpy_of(display_);
  XWindowAttributes attr;
  if (d == nullptr || !XGetWindowAttributes(d, id, &attr)) return info;
  info.id = id;
  info.mapped = attr.map_state == IsViewable;
  info.width = attr.width;
  info.height = attr.height;
  Window child;
  XTranslateCoordinates(d, id, DefaultRootWindow(d), 0, 0, &info.x, &info.y, &child);
  Window root_ret, parent_ret;
  Window* kids = nullptr;
  unsigned int n = 0;
  if (XQueryTree(d, id, &root_ret, &parent_ret, &kids, &n)) {
    for (unsigned int i = 0; i < n; ++i) info.children.push_back(describe(kids[i]));
    if (kids) XFree(kids);
  }
  return info;
}

xd_window xdrive::top_window(const std::string& title) {
  xd_window found;
  if (!connect()) return found;
  Display* d = dpy_of(display_);
  Window root = DefaultRootWindow(d), root_ret, parent_ret;
  Window* kids = nullptr;
  unsigned int n = 0;
  if (!XQueryTree(d, root, &root_ret, &parent_ret, &kids, &n)) return found;
  for (unsigned int i = 0; i < n && found.id == 0; ++i) {
    char* name = nullptr;
    if (XFetchName(d, kids[i], &name) && name != nullptr) {
      if (title == name) found = describe(kids[i]);
      XFree(name);
    }
  }
  if (kids) XFree(kids);
  return found;
}

xd_window xdrive::find_window(const std::string& title, int timeout_ms) {
  xd_window found;
  wait_until([&] { return (found = top_window(title)).mapped; }, timeout_ms);
  return found.mapped ? found : xd_window{};
}

void xdrive::resize(unsigned long id, int width, int height) {
  if (!connect()) return;
  XResizeWindow(dpy_of(display_), id, width, height);
  sync();
}

void xdrive::move(int x, int y) {
  if (!connect()) return;
  XTestFakeMotionEvent(dpy_of(display_), -1, x, y, CurrentTime);
  sync();
}

void xdrive::press(int button) {
  if (!connect()) return;
  XTestFakeButtonEvent(dpy_of(display_), button, True, CurrentTime);
  sync();
}

void xdrive::release(int button) {
  if (!connect()) return;
  XTestFakeButtonEvent(dpy_of(display_), button, False, CurrentTime);
  sync();
}

void xdrive::click(int x, int y, int button) {
  move(x, y);
  press(button);
  release(button);
}

bool xdrive::key(const std::string& name) {
  if (!connect()) return false;
  Display* d = dpy_of(display_);
  const bool ctrl = name.rfind("ctrl+", 0) == 0;
  const KeySym sym = XStringToKeysym(ctrl ? name.c_str() + 5 : name.c_str());
  if (sym == NoSymbol) return false;
  const KeyCode code = XKeysymToKeycode(d, sym);
  if (code == 0) return false;
  const bool shift = XkbKeycodeToKeysym(d, code, 0, 0) != sym;
  const KeyCode shift_code = XKeysymToKeycode(d, XK_Shift_L);
  const KeyCode ctrl_code = XKeysymToKeycode(d, XK_Control_L);
  if (shift) XTestFakeKeyEvent(d, shift_code, True, CurrentTime);
  if (ctrl) XTestFakeKeyEvent(d, ctrl_code, True, CurrentTime);
  XTestFakeKeyEvent(d, code, True, CurrentTime);
  XTestFakeKeyEvent(d, code, False, CurrentTime);
  if (ctrl) XTestFakeKeyEvent(d, ctrl_code, False, CurrentTime);
  if (shift) XTestFakeKeyEvent(d, shift_code, False, CurrentTime);
  sync();
  return true;
}

void xdrive::sync() {
  if (display_ != nullptr) XSync(dpy_of(display_), False);
}

xd_image xdrive::grab(int x, int y, int width, int height) {
  xd_image img;
  if (!connect()) return img;
  Display* d = dpy_of(display_);
  // While windows are being created a root grab can fail with BadMatch:
  // ignore X errors for this request and retry a few times.
  auto* old = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  XImage* xi = nullptr;
  for (int attempt = 0; attempt < 10 && xi == nullptr; ++attempt) {
    xi = XGetImage(d, DefaultRootWindow(d), x, y, width, height, AllPlanes, ZPixmap);
    if (xi == nullptr) sleep_ms(20);
  }
  XSync(d, False);
  XSetErrorHandler(old);
  if (xi == nullptr) return img;
  img.x = x;
  img.y = y;
  img.width = width;
  img.height = height;
  img.pixels.resize(size_t(width) * height);
  const auto channel = [](unsigned long p, unsigned long mask) {
    int shift = 0;
    while (mask != 0 && (mask & 1) == 0) {
      mask >>= 1;
      ++shift;
    }
    const unsigned long v = (p >> shift) & mask;
    return mask == 0 ? 0 : int(v * 255 / mask);
  };
  for (int py = 0; py < height; ++py)
    for (int px = 0; px < width; ++px) {
      const unsigned long p = XGetPixel(xi, px, py);
      img.pixels[size_t(py) * width + px] = {channel(p, xi->red_mask), channel(p, xi->green_mask),
                                             channel(p, xi->blue_mask)};
    }
  XDestroyImage(xi);
  return img;
}

xd_rgb xdrive::pixel(int x, int y) { return grab(x, y, 1, 1).at(0, 0); }

bool xdrive::wait_until(const std::function<bool()>& pred, int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (!pred()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    sleep_ms(20);
  }
  return true;
}

void xdrive::sleep_ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::vector<xd_lifted> xd_parse_points(const std::string& text) {
  std::vector<xd_lifted> pts;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    xd_lifted p;
    if (std::sscanf(line.c_str(), "%lf %lf %lf", &p.x, &p.y, &p.z) == 3) pts.push_back(p);
    start = end + 1;
  }
  return pts;
}

size_t xd_line_count(const std::string& text) {
  size_t n = 0;
  for (char c : text) n += c == '\n';
  return n;
}
