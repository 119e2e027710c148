#include "web/compat.h"

#include <cerrno>

extern "C" int renameat2(int, const char*, int, const char*, unsigned int) {
  errno = ENOSYS;
  return -1;
}
