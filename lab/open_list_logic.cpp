// The Open list's GL-free half: which files, in which order, how many
// points each.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "app/point_text.h"
#include "lab/open_list.h"

namespace {

// The same bounds as the lab's loads: a file the list calls readable loads.
constexpr std::size_t kMaxLines = 10000;
constexpr std::size_t kMaxBytes = 1 << 20;

bool ends_with(const std::string& s, const char* tail) {
  const std::size_t n = std::strlen(tail);
  return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

// Counts the points of a regular file with the lab's reader; -1 and why
// when it does not read.  Opened without blocking, as the loads are.
int count_points(const std::string& path, std::string* trouble) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    *trouble = std::strerror(errno);
    return -1;
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    *trouble = "not a regular file";
    return -1;
  }
  FILE* in = fdopen(fd, "r");
  if (in == nullptr) {
    close(fd);
    *trouble = std::strerror(errno);
    return -1;
  }
  std::vector<text_point> pts;
  std::string error;
  read_bounds bounds;
  bounds.max_lines = kMaxLines;
  bounds.max_bytes = kMaxBytes;
  const bool ok = read_point_stream(in, path, &pts, &error, point_columns::heights, nullptr, bounds);
  std::fclose(in);
  if (!ok) {
    *trouble = "not a points file";
    return -1;
  }
  return static_cast<int>(pts.size());
}

}  // namespace

std::vector<open_entry> list_point_files(const char* dir, std::string* error) {
  std::vector<open_entry> found;
  DIR* d = opendir(dir);
  if (d == nullptr) {
    *error = std::string("cannot read the folder ") + dir + ": " + std::strerror(errno);
    return found;
  }
  const std::string prefix = std::string(dir) == "." ? "" : std::string(dir) + "/";
  while (const dirent* e = readdir(d)) {
    const std::string name = e->d_name;
    if (name.empty() || name[0] == '.' || !ends_with(name, ".txt")) continue;
    struct stat st;
    if (stat((prefix + name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    open_entry o;
    o.name = name;
    o.mtime_ns = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    found.push_back(o);
  }
  closedir(d);
  std::sort(found.begin(), found.end(), [](const open_entry& a, const open_entry& b) {
    return a.mtime_ns != b.mtime_ns ? a.mtime_ns > b.mtime_ns : a.name < b.name;
  });
  if (found.size() > static_cast<std::size_t>(OPEN_LIST_MAX)) found.resize(OPEN_LIST_MAX);
  // Counted only for the files listed: reading is the slow part.
  for (open_entry& o : found) o.points = count_points(prefix + o.name, &o.trouble);
  return found;
}

void open_choice_move(open_choice* c, int count, int delta, int rows) {
  if (count <= 0) {
    *c = open_choice{};
    return;
  }
  const long long next = static_cast<long long>(c->current < 0 ? 0 : c->current) + delta;
  c->current = static_cast<int>(std::clamp<long long>(next, 0, count - 1));
  if (rows < 1) rows = 1;
  if (c->current < c->top) c->top = c->current;
  if (c->current >= c->top + rows) c->top = c->current - rows + 1;
  c->top = std::clamp(c->top, 0, std::max(0, count - rows));
}

int open_choice_at_row(const open_choice& c, int count, int rows, int r) {
  if (r < 0 || r >= rows) return -1;
  const int i = c.top + r;
  return i < count ? i : -1;
}

std::string open_entry_line(const open_entry& e) {
  char when[32] = "";
  const std::time_t t = static_cast<std::time_t>(e.mtime_ns / 1000000000LL);
  struct tm local;
  if (localtime_r(&t, &local) != nullptr) std::strftime(when, sizeof when, "%Y-%m-%d %H:%M", &local);
  std::string what;
  if (e.points < 0) what = e.trouble;
  else what = std::to_string(e.points) + (e.points == 1 ? " point" : " points");
  return e.name + "  " + what + "  " + when;
}
