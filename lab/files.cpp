// The lab's point files: loading with the batch tool's reader, saving in its
// format, atomically.
//
// A save never leaves half a file under the final name: the text goes to a
// temporary file beside it, which is synced to disk and only then renamed.
// A new save never takes a name that exists (rename without replace), so
// nothing saved earlier is ever lost; saving to FILE replaces FILE only
// with a text that is wholly on disk.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
#include "lab/edit.h"
#include "lab/lab.h"

std::string lab_point_file;

namespace {

// A message in the status line and on standard error.
void report(const std::string& message) {
  lab_status("%s", message.c_str());
  std::fprintf(stderr, "zelmor-lab: %s\n", message.c_str());
  std::fflush(stderr);
}

std::string directory_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

int write_all(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t k = write(fd, text.data() + done, text.size() - done);
    if (k < 0 && errno == EINTR) continue;
    if (k < 0) return errno;
    if (k == 0) return EIO;
    done += static_cast<std::size_t>(k);
  }
  return 0;
}

// Writes text to a new temporary file in dir with the given mode, synced to
// disk; its name in *tmp.  0 or an errno value (nothing left behind then).
int write_temporary(const std::string& dir, const std::string& text, mode_t mode,
                    std::string* tmp) {
  std::string name = dir + "/.zelmor-lab-save-XXXXXX";
  const int fd = mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return errno;
  int error = write_all(fd, text);
  if (error == 0 && fchmod(fd, mode) != 0) error = errno;
  if (error == 0 && fsync(fd) != 0) error = errno;
  if (close(fd) != 0 && error == 0) error = errno;
  if (error != 0) {
    unlink(name.c_str());
    return error;
  }
  *tmp = name;
  return 0;
}

// Gives tmp the name path: replacing whatever path was, or, with
// no_replace, only if path does not exist (EEXIST otherwise).
int place(const std::string& tmp, const std::string& path, bool no_replace) {
  if (!no_replace) return rename(tmp.c_str(), path.c_str()) == 0 ? 0 : errno;
  if (renameat2(AT_FDCWD, tmp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  // A file system without rename-without-replace: a hard link fails on an
  // existing name just the same.
  if (link(tmp.c_str(), path.c_str()) != 0) return errno;
  unlink(tmp.c_str());
  return 0;
}

// The rename is on disk only once the directory is.  Some file systems
// cannot sync a directory (EINVAL); the file itself is synced already.
void sync_directory(const std::string& dir) {
  const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

mode_t new_file_mode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

bool any_weight(const std::vector<lab_point>& pts) {
  for (const lab_point& p : pts)
    if (p.w != 0.0) return true;
  return false;
}

std::string saved_note(const std::vector<lab_point>& pts) {
  return any_weight(pts) ? " (with their weights)" : "";
}

}  // namespace

int lab_write_atomic(const std::string& path, const std::string& text, bool no_replace) {
  mode_t mode = new_file_mode();
  struct stat st;
  if (!no_replace && stat(path.c_str(), &st) == 0) mode = st.st_mode & 07777;
  const std::string dir = directory_of(path);
  std::string tmp;
  int error = write_temporary(dir, text, mode, &tmp);
  if (error != 0) return error;
  error = place(tmp, path, no_replace);
  if (error != 0) {
    unlink(tmp.c_str());
    return error;
  }
  sync_directory(dir);
  return 0;
}

namespace {

// read_point_file for the lab, which must not hang: only a regular file is
// read (a FIFO would block the windows in open or read for good, a device
// may never end).  The batch tool reads pipes on purpose and does not come
// through here.
bool read_regular_file(const char* path, std::vector<text_point>* read, std::string* error) {
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
  FILE* in = fdopen(fd, "r");
  if (in == nullptr) {
    *error = std::string("cannot open ") + path + ": " + std::strerror(errno);
    close(fd);
    return false;
  }
  // A file with weights says so in its header; the third column of any
  // other file is a height and ignored.
  const bool ok = read_point_stream(in, path, read, error, point_columns::heights);
  std::fclose(in);
  return ok;
}

}  // namespace

int lab_load_file(const char* path, const char* what) {
  std::vector<text_point> read;
  std::string error;
  if (!read_regular_file(path, &read, &error)) {
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
  lab_status("loaded %zu points from %s", pts.size(), path);
  return 1;
}

std::string lab_points_text(const std::vector<lab_point>& pts) {
  // Weights, when any point has one, as a third column that the header
  // names: without it a third number would be read as a height.
  const bool weights = any_weight(pts);
  std::string s = "% zelmor-lab: " + std::to_string(pts.size()) + " points, one \"x y" +
                  (weights ? " w\" a line, the third number the point's weight\n" : "\" a line\n");
  if (weights) s += std::string(WEIGHTS_HEADER) + "\n";
  char line[120];
  for (const lab_point& p : pts) {
    if (weights) {
      std::snprintf(line, sizeof line, "%.17g %.17g %.17g\n", p.x, p.y, p.w);
    } else {
      std::snprintf(line, sizeof line, "%.17g %.17g\n", p.x, p.y);
    }
    s += line;
  }
  return s;
}

int lab_save_new(std::string* saved_as) {
  const std::vector<lab_point> pts = lab_current_points();
  const std::string text = lab_points_text(pts);
  const std::time_t now = std::time(nullptr);
  struct tm local;
  char stamp[64] = "zelmor";
  if (localtime_r(&now, &local) != nullptr)
    std::strftime(stamp, sizeof stamp, "zelmor-%Y%m%d-%H%M%S", &local);
  std::string tmp;
  int error = write_temporary(".", text, new_file_mode(), &tmp);
  std::string name = std::string(stamp) + ".txt";
  // Two saves within a second, or a file of that name already there: the
  // next free suffix.  Bounded so that a directory that refuses every name
  // ends in a report, not a loop.
  for (int k = 2; error == 0; ++k) {
    error = place(tmp, name, true);
    if (error != EEXIST || k == 1000) break;
    name = std::string(stamp) + "-" + std::to_string(k) + ".txt";
    error = 0;
  }
  if (error != 0) {
    if (!tmp.empty()) unlink(tmp.c_str());
    report("cannot save " + name + ": " + std::strerror(error) + "; nothing saved");
    return 0;
  }
  sync_directory(".");
  *saved_as = name;
  lab_status("saved %zu points to %s%s", pts.size(), name.c_str(), saved_note(pts).c_str());
  return 1;
}

int lab_save_to(const char* path) {
  const std::vector<lab_point> pts = lab_current_points();
  // A link keeps pointing at the file it names: the file is replaced.
  char resolved[PATH_MAX];
  const std::string target = realpath(path, resolved) != nullptr ? resolved : path;
  const int error = lab_write_atomic(target, lab_points_text(pts), false);
  if (error != 0) {
    report(std::string("cannot save ") + path + ": " + std::strerror(error) + "; " + path +
           " is as it was");
    return 0;
  }
  lab_status("saved %zu points to %s%s", pts.size(), path, saved_note(pts).c_str());
  return 1;
}
