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
