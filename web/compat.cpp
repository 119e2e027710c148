#include "web/compat.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

// Only this program uses the page's in-memory file system, one call at a
// time, so nothing can take the name between the check and the rename.
extern "C" int renameat2(int olddirfd, const char* oldpath, int newdirfd, const char* newpath,
                         unsigned int flags) {
  if (flags == RENAME_NOREPLACE && olddirfd == AT_FDCWD && newdirfd == AT_FDCWD) {
    struct stat st;
    if (lstat(newpath, &st) == 0) {
      errno = EEXIST;
      return -1;
    }
    return std::rename(oldpath, newpath);
  }
  errno = ENOSYS;
  return -1;
}
