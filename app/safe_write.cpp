// Replacing a file whole, and only a file; sweeping what a killed writer
// left behind.  See app/safe_write.h for the contract.
#include "app/safe_write.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

constexpr int kMaxLinks = 40;          // as the kernel's own bound on a path's links
constexpr int kTempAttempts = 100;     // names tried before giving up with EEXIST
constexpr long kLegacyAgeSeconds = 600;  // an untagged temporary this old is no write in progress

const char kNotRegular[] = "not a regular file";
const char kForeign[] = "owned by another user";

// 0666 less the umask, what open gives a new file.  Read once: umask can
// only be read by setting it.
mode_t created_mode() {
  static const mode_t mode = [] {
    const mode_t mask = umask(0);
    umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
  }();
  return mode;
}

// Which machine and pid namespace this process runs in, as 32 bits: a
// temporary made by another machine sharing the folder (a home on NFS) or by
// another container names a pid that means nothing here, and is never swept.
std::uint32_t machine_tag() {
  static const std::uint32_t tag = [] {
    char host[256] = "";
    gethostname(host, sizeof host - 1);
    char ns[64] = "";
    const ssize_t n = readlink("/proc/self/ns/pid", ns, sizeof ns - 1);
    if (n > 0) ns[n] = '\0';
    std::uint32_t h = 2166136261u;  // FNV-1a
    for (const char* s : {static_cast<const char*>(host), "/", static_cast<const char*>(ns)}) {
      for (; *s != '\0'; ++s) h = (h ^ static_cast<unsigned char>(*s)) * 16777619u;
    }
    return h;
  }();
  return tag;
}

bool write_all(int fd, const char* p, std::size_t n) {
  while (n > 0) {
    const ssize_t k = write(fd, p, n);
    if (k < 0 && errno == EINTR) continue;
    if (k <= 0) {
      if (k == 0) errno = EIO;
      return false;
    }
    p += k;
    n -= static_cast<std::size_t>(k);
  }
  return true;
}

// Why what lstat found at a name may not be replaced, or null.
const char* refusal(const struct stat& st, const safe_write_options& o) {
  if (S_ISLNK(st.st_mode)) return o.links == link_rule::replace_link ? nullptr : kNotRegular;
  if (S_ISDIR(st.st_mode)) return std::strerror(EISDIR);
  if (!S_ISREG(st.st_mode)) return kNotRegular;
  if (o.refuse_foreign && st.st_uid != geteuid()) return kForeign;
  return nullptr;
}

int errno_of(const char* reason) {
  if (reason == kNotRegular) return EINVAL;
  if (reason == kForeign) return EPERM;
  return EISDIR;
}

void sync_directory(const std::string& dir) {
  const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);  // some file systems cannot (EINVAL): the file itself is synced
  close(fd);
}

// Reads an unsigned decimal (no sign, at least one digit) at *s.
bool take_number(const char** s, long* v) {
  const char* p = *s;
  long n = 0;
  while (*p >= '0' && *p <= '9') {
    if (n > 100000000L) return false;
    n = n * 10 + (*p++ - '0');
  }
  if (p == *s) return false;
  *s = p;
  *v = n;
  return true;
}

bool take(const char** s, const char* literal) {
  const std::size_t n = std::strlen(literal);
  if (std::strncmp(*s, literal, n) != 0) return false;
  *s += n;
  return true;
}

// The process named in a temporary's name is gone (EPERM: it runs, as
// another user).
bool process_gone(long pid) {
  if (pid <= 0 || pid > INT_MAX || pid == static_cast<long>(getpid())) return false;
  return kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

enum class stale { no, yes, if_old };

stale staleness(const char* name) {
  const char* s = name;
  long pid = 0, n = 0;
  if (take(&s, ".zelmor.")) {
    char* end = nullptr;
    if (std::strlen(s) < 9 || s[8] != '.') return stale::no;
    const unsigned long tag = std::strtoul(s, &end, 16);
    if (end != s + 8 || tag != machine_tag()) return stale::no;
    s += 9;
    if (!take_number(&s, &pid) || !take(&s, ".") || !take_number(&s, &n) || std::strcmp(s, ".tmp") != 0)
      return stale::no;
    return process_gone(pid) ? stale::yes : stale::no;
  }
  s = name;
  if (take(&s, ".ZELMOR.")) {
    if (!take_number(&s, &pid) || !take(&s, ".") || !take_number(&s, &n) || std::strcmp(s, ".tmp") != 0)
      return stale::no;
    return process_gone(pid) ? stale::if_old : stale::no;
  }
  s = name;
  if (take(&s, ".zelmor-lab-save-") && std::strlen(s) == 6) {
    for (const char* p = s; *p != '\0'; ++p)
      if (!((*p >= '0' && *p <= '9') || (*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z'))) return stale::no;
    return stale::if_old;
  }
  return stale::no;
}

// The two renames that put a new file in place, by name, in the working
// directory's terms.  Linux does both in one step with renameat2; the web
// edition's in-memory file system (Emscripten's C library has no renameat2)
// is answered beside it.

// from takes the name to only while nothing has it: 0, or -1 with errno
// (EEXIST when the name is taken; EINVAL or ENOSYS where the file system
// cannot, and the caller falls back).
int take_free_name(const char* from, const char* to) {
#ifdef __EMSCRIPTEN__
  // Only this program uses the page's file system, one call at a time, so
  // nothing can take the name between the check and the rename, which the
  // in-memory file system does at once, with no torn state.
  struct stat st;
  if (lstat(to, &st) == 0) {
    errno = EEXIST;
    return -1;
  }
  return std::rename(from, to);
#else
  return renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
#endif
}

// a and b trade names: 0, or -1 with errno (EINVAL or ENOSYS where the file
// system cannot swap, and the caller replaces instead).
int swap_names(const char* a, const char* b) {
#ifdef __EMSCRIPTEN__
  (void)a;
  (void)b;
  errno = ENOSYS;  // the in-memory file system cannot swap two names
  return -1;
#else
  return renameat2(AT_FDCWD, a, AT_FDCWD, b, RENAME_EXCHANGE);
#endif
}

}  // namespace

std::string directory_part(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string safe_temp_name(int n) {
  char name[64];
  std::snprintf(name, sizeof name, ".zelmor.%08x.%ld.%d.tmp", static_cast<unsigned>(machine_tag()),
                static_cast<long>(getpid()), n);
  return name;
}

int write_target(const char* path, std::string* target) {
  std::string p = path;
  for (int hops = 0; hops <= kMaxLinks; ++hops) {
    struct stat st;
    if (lstat(p.c_str(), &st) != 0) {
      if (errno != ENOENT) return errno;
      *target = p;  // a name to make
      return 0;
    }
    if (!S_ISLNK(st.st_mode)) {
      *target = p;
      return 0;
    }
    char buf[PATH_MAX];
    const ssize_t n = readlink(p.c_str(), buf, sizeof buf);
    if (n < 0) return errno;
    if (static_cast<std::size_t>(n) == sizeof buf) return ENAMETOOLONG;
    const std::string to(buf, static_cast<std::size_t>(n));
    // A relative link is read from the folder the link sits in.
    p = to[0] == '/' ? to : directory_part(p) + "/" + to;
  }
  return ELOOP;
}

safe_write_result safe_replace(const char* path, const char* data, std::size_t size,
                               const safe_write_options& o) {
  safe_write_result r;
  const auto fail = [&r](int error, const char* reason = nullptr) {
    r.error = error;
    r.reason = reason != nullptr ? reason : std::strerror(error);
    return r;
  };
  struct stat st;
  // A new name only: whatever has it (even a link to nowhere) keeps it.
  if (o.no_replace) {
    if (lstat(path, &st) == 0) return fail(EEXIST);
    if (errno != ENOENT) return fail(errno);
  }
  std::string target = path;
  if (o.links == link_rule::write_through) {
    // Through every link, as an open would go: what is there decides (a
    // link into /proc names a pipe or a terminal that lstat cannot see).
    if (stat(path, &st) == 0) {
      if (const char* why = refusal(st, o)) return fail(errno_of(why), why);
    } else if (errno != ENOENT) {
      return fail(errno);
    }
    if (const int e = write_target(path, &target)) return fail(e);
  }
  bool existed = false;
  mode_t mode = created_mode();
  if (lstat(target.c_str(), &st) == 0) {
    if (o.no_replace) return fail(EEXIST);
    if (const char* why = refusal(st, o)) return fail(errno_of(why), why);
    existed = true;
    if (S_ISREG(st.st_mode)) mode = st.st_mode & 07777;
  } else if (errno != ENOENT) {
    return fail(errno);
  }

  // The new file, beside the target: a rename never crosses file systems.
  const std::string dir = directory_part(target);
  const std::string prefix = target.find('/') == std::string::npos ? "" : dir + "/";
  std::string temp;
  int fd = -1;
  for (int n = 0; fd < 0 && n < kTempAttempts; ++n) {
    temp = prefix + safe_temp_name(n);
    fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return fail(errno);
  }
  if (fd < 0) return fail(EEXIST);
  r.temp_created = true;
  bool ok = write_all(fd, data, size);
  if (ok && mode != created_mode()) ok = fchmod(fd, mode) == 0;
  if (ok && o.sync) ok = fsync(fd) == 0;
  int error = errno;
  if (close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    unlink(temp.c_str());
    return fail(error);
  }

  // Into place.  A name that was free is taken only if it still is; one
  // that existed is swapped with the new file (this also spares ext4 the
  // flush it makes when a rename replaces a file's data), and what came out
  // is looked at: a directory, FIFO or device put there meanwhile goes back.
  const char* why = nullptr;
  int placed = -1;
  if (!existed || o.no_replace) {
    placed = take_free_name(temp.c_str(), target.c_str());
    if (placed != 0 && (errno == EINVAL || errno == ENOSYS)) {
      if (o.no_replace) {
        // A file system without rename-without-replace: a hard link fails
        // on an existing name just the same.
        placed = link(temp.c_str(), target.c_str());
        if (placed == 0) unlink(temp.c_str());
      } else {
        placed = std::rename(temp.c_str(), target.c_str());
      }
    }
    if (placed != 0 && errno == EEXIST && !o.no_replace) existed = true;  // someone was quicker
  }
  if (placed != 0 && existed && !o.no_replace) {
    if (swap_names(temp.c_str(), target.c_str()) == 0) {
      struct stat out;
      if (lstat(temp.c_str(), &out) == 0) why = refusal(out, o);
      if (why != nullptr && swap_names(temp.c_str(), target.c_str()) != 0) {
        // Cannot swap back: the new file stays, what was there keeps the
        // temporary name, and the user is told.
        return fail(errno);
      }
      placed = 0;
    } else if (errno == EINVAL || errno == ENOSYS || errno == ENOENT) {
      // No swap on this file system, or the name was freed meanwhile.
      placed = std::rename(temp.c_str(), target.c_str());
    }
  }
  error = errno;
  if (placed != 0 || why != nullptr) {
    unlink(temp.c_str());
    return why != nullptr ? fail(errno_of(why), why) : fail(error);
  }
  if (existed) unlink(temp.c_str());  // the old file, now under the new one's name (if swapped)
  if (o.sync) sync_directory(dir);
  return r;
}

int sweep_stale_temps(const char* dir) {
  DIR* d = opendir(dir);
  if (d == nullptr) return 0;
  const std::time_t now = std::time(nullptr);
  int removed = 0;
  while (const dirent* e = readdir(d)) {
    const stale s = staleness(e->d_name);
    if (s == stale::no) continue;
    struct stat st;
    if (fstatat(dirfd(d), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (!S_ISREG(st.st_mode) || st.st_uid != geteuid()) continue;
    if (s == stale::if_old && now - st.st_mtime < kLegacyAgeSeconds) continue;
    if (unlinkat(dirfd(d), e->d_name, 0) == 0) ++removed;
  }
  closedir(d);
  return removed;
}
