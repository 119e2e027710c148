// web/compat.h — Linux calls the program's sources use that Emscripten's C
// library lacks, forced into the web build of the core and of the lab's
// GL-free half only.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

// renameat2: the browser's in-memory file system cannot swap two names; that
// call fails with ENOSYS and the caller replaces the file with rename(),
// which the in-memory file system does at once, with no torn state.  A
// rename that must not replace a name is done as a check and a rename.
#ifndef RENAME_EXCHANGE
#define RENAME_EXCHANGE (1 << 1)
#endif
#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif
int renameat2(int olddirfd, const char* oldpath, int newdirfd, const char* newpath,
              unsigned int flags);

#ifdef __cplusplus
}
#endif

#ifdef __cplusplus
// std::to_chars for double: Emscripten's libc++ before 14 has only the
// integer overloads (a double would bind to the deleted bool one).  The
// shortest %g text that reads back as the same double is what the
// standard's shortest form promises: the same value, as few digits.
#include <charconv>
#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 14000
#include <cstdio>
#include <cstdlib>
#include <cstring>
namespace std {
inline to_chars_result to_chars(char* first, char* last, double value) {
  char buf[40];
  int n = 0;
  for (int digits = 1; digits <= 17; ++digits) {
    n = snprintf(buf, sizeof buf, "%.*g", digits, value);
    if (strtod(buf, nullptr) == value) break;
  }
  if (n < 0 || n > last - first) return {last, errc::value_too_large};
  memcpy(first, buf, static_cast<size_t>(n));
  return {first + n, errc{}};
}
}  // namespace std
#endif
#endif
