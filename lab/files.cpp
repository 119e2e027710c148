// The lab's point files: loading with the batch tool's reader, saving in its
// format, atomically.
//
// A save never leaves half a file under the final name: the text goes to a
// temporary file beside it, which is synced to disk and only then renamed
// (app/safe_write).  A new save never takes a name that exists (rename
// without replace), so nothing saved earlier is ever lost; saving to FILE
// replaces FILE only with a text that is wholly on disk, and only when FILE
// is a regular file (or a link to one, or a name still free).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "app/point_text.h"
#include "app/safe_write.h"
#include "lab/edit.h"
#include "lab/export_state.h"
#include "lab/lab.h"

std::string lab_point_file;

namespace {

// A lesson file holds at most MAX_POINTS points and a few comments; reading
// stops well before a file (a huge one, or one that never ends) could keep
// the windows waiting.  Blank and comment lines count.
constexpr std::size_t LAB_FILE_MAX_LINES = 10000;
constexpr std::size_t LAB_FILE_MAX_BYTES = 1 << 20;

// A message in the status line and on standard error.
void report(const std::string& message) {
  lab_status("%s", message.c_str());
  std::fprintf(stderr, "zelmor-lab: %s\n", message.c_str());
  std::fflush(stderr);
}

bool any_weight(const std::vector<lab_point>& pts) {
  for (const lab_point& p : pts)
    if (p.w != 0.0) return true;
  return false;
}

std::string saved_note(const std::vector<lab_point>& pts) {
  return any_weight(pts) ? " (with their weights)" : "";
}

// A save must survive a crash right after it: synced, file and folder.
// Links are followed to the file they name (a dangling one: the file is
// made), and only a regular file is ever replaced.
safe_write_result save_text(const std::string& path, const std::string& text, bool no_replace) {
  safe_write_options options;
  options.links = link_rule::write_through;
  options.no_replace = no_replace;
  options.sync = true;
  return safe_replace(path.c_str(), text.data(), text.size(), options);
}

}  // namespace

int lab_write_atomic(const std::string& path, const std::string& text, bool no_replace) {
  return save_text(path, text, no_replace).error;
}

namespace {

// read_point_file for the lab, which must not hang: only a regular file is
// read (a FIFO would block the windows in open or read for good, a device
// may never end).  The batch tool reads pipes on purpose and does not come
// through here.  The text read is kept in *text (at most one byte past the
// bound, which the reader then reports) for the view lines of a lesson.
bool read_regular_file(const char* path, std::vector<text_point>* read, std::string* error,
                       std::string* text) {
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    *error = std::string("cannot open ") + path + ": " + std::strerror(errno);
    return false;
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    *error = std::string(path) + " is not a regular file";
    return false;
  }
  text->clear();
  char buf[65536];
  for (;;) {
    const std::size_t want = std::min(sizeof buf, LAB_FILE_MAX_BYTES + 1 - text->size());
    if (want == 0) break;
    const ssize_t n = ::read(fd, buf, want);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      *error = std::string("cannot read ") + path + ": " + std::strerror(errno);
      close(fd);
      return false;
    }
    if (n == 0) break;
    text->append(buf, static_cast<std::size_t>(n));
  }
  close(fd);
  FILE* in = fmemopen(text->empty() ? buf : text->data(), text->size(), "r");
  if (in == nullptr) {
    *error = std::string("cannot read ") + path + ": " + std::strerror(errno);
    return false;
  }
  // A file with weights says so in its header; the third column of any
  // other file is a height and ignored.
  // Bounded in time as in memory: the windows wait while a file loads.
  read_bounds bounds;
  bounds.max_lines = LAB_FILE_MAX_LINES;
  bounds.max_bytes = LAB_FILE_MAX_BYTES;
  const bool ok = read_point_stream(in, path, read, error, point_columns::heights, nullptr, bounds);
  std::fclose(in);
  return ok;
}

}  // namespace

int lab_load_file(const char* path, const char* what) {
  std::vector<text_point> read;
  std::string error, text;
  if (!read_regular_file(path, &read, &error, &text)) {
    report(error + "; nothing loaded");
    return 0;
  }
  std::vector<lab_point> pts;
  for (std::size_t i = 0; i < read.size(); ++i) {
    const text_point& p = read[i];
    if (!(std::fabs(p.x) <= 3.0 && std::fabs(p.y) <= 3.0)) {
      char where[160];
      std::snprintf(where, sizeof where, ": point %zu (%g, %g) lies outside [-3, 3] x [-3, 3]", i,
                    p.x, p.y);
      report(path + std::string(where) + "; nothing loaded");
      return 0;
    }
    if (!(p.w >= 0.0 && p.w <= LAB_WEIGHT_MAX)) {
      char where[160];
      std::snprintf(where, sizeof where, ": point %zu has weight %g, outside 0 .. %g", i, p.w, LAB_WEIGHT_MAX);
      report(path + std::string(where) + "; nothing loaded");
      return 0;
    }
    pts.push_back({p.x, p.y, p.w});
  }
  lab_replace_points(pts, what);
  // A lesson's view comes back with its points; a file without view lines
  // (an older save, a hand-made file) leaves the view as it is.
  lab_view_state view;
  if (lab_view_state_get != nullptr) lab_view_state_get(&view);
  view.has_panel = view.has_layers = view.has_pointer = view.has_camera = view.has_selection =
      view.has_construction = view.has_pins = view.has_flip = false;
  int bad = 0;
  const int lines = lab_read_view_lines(text, &view, &bad);
  lab_view_keep_within(&view, static_cast<int>(pts.size()));
  if (lines > 0 && lab_view_state_set != nullptr) lab_view_state_set(view);
  lab_status("loaded %zu points from %s%s%s", pts.size(), path,
             lines > 0 && lab_view_state_set != nullptr ? " with its view" : "",
             bad > 0 ? " (some view lines were not understood and were left out)" : "");
  return 1;
}

std::string lab_points_text(const std::vector<lab_point>& pts) { return lab_lesson_text(pts, nullptr); }

std::string lab_lesson_text(const std::vector<lab_point>& pts, const lab_view_state* view) {
  // Weights, when any point has one, as a third column that the header
  // names: without it a third number would be read as a height.
  const bool weights = any_weight(pts);
  std::string s = "% zelmor-lab: " + std::to_string(pts.size()) + " points, one \"x y" +
                  (weights ? " w\" a line, the third number the point's weight\n" : "\" a line\n");
  if (weights) s += std::string(WEIGHTS_HEADER) + "\n";
  if (view != nullptr) s += lab_view_lines(*view);
  for (const lab_point& p : pts) {
    s += shortest_text(p.x) + " " + shortest_text(p.y);
    if (weights) s += " " + shortest_text(p.w);
    s += "\n";
  }
  return s;
}

namespace {

// What a save writes: the points and, once the windows are there, the view.
std::string current_lesson_text(const std::vector<lab_point>& pts) {
  if (lab_view_state_get == nullptr) return lab_points_text(pts);
  lab_view_state view;
  lab_view_state_get(&view);
  return lab_lesson_text(pts, &view);
}

}  // namespace

int lab_save_new(std::string* saved_as) {
  const std::vector<lab_point> pts = lab_current_points();
  const std::string text = current_lesson_text(pts);
  const std::time_t now = std::time(nullptr);
  struct tm local;
  char stamp[64] = "zelmor";
  if (localtime_r(&now, &local) != nullptr)
    std::strftime(stamp, sizeof stamp, "zelmor-%Y%m%d-%H%M%S", &local);
  std::string name = std::string(stamp) + ".txt";
  // Two saves within a second, or a file of that name already there: the
  // next free suffix.  Bounded so that a directory that refuses every name
  // ends in a report, not a loop.
  safe_write_result r;
  r.error = EEXIST;
  r.reason = std::strerror(EEXIST);
  for (int k = 1; k <= 1000; ++k) {
    if (k > 1) name = std::string(stamp) + "-" + std::to_string(k) + ".txt";
    struct stat st;
    if (lstat(name.c_str(), &st) == 0) continue;  // taken: no text written for nothing
    r = save_text(name, text, true);
    if (r.error != EEXIST) break;  // saved, or a failure to report
  }
  if (r.error != 0) {
    report("cannot save " + name + ": " + r.reason + "; nothing saved");
    return 0;
  }
  *saved_as = name;
  lab_status("saved %zu points to %s%s", pts.size(), name.c_str(), saved_note(pts).c_str());
  return 1;
}

int lab_save_to(const char* path) {
  const std::vector<lab_point> pts = lab_current_points();
  const safe_write_result r = save_text(path, current_lesson_text(pts), false);
  if (r.error != 0) {
    report(std::string("cannot save ") + path + ": " + r.reason + "; " + path + " is as it was");
    return 0;
  }
  lab_status("saved %zu points to %s%s", pts.size(), path, saved_note(pts).c_str());
  return 1;
}
