// app/safe_write.h — replacing a file whole, and only a file.
//
// Every program of the project that writes a file a user names or keeps
// (the point-exchange file, the lab's saves, the batch tool's picture) puts
// it in place with safe_replace: the text goes to a new file beside the
// target, which then takes the target's name, so a reader finds the old text
// or the new one, never half of either, and a failed write leaves the old
// file as it was.  What is not a regular file (a directory, a FIFO, a
// device, a socket) is never replaced and never written into.
//
// The temporary files are named ".zelmor.TAG.PID.N.tmp": TAG says which
// machine (and pid namespace) made it, PID which process, N the attempt.
// The name is short whatever the target's name, so a target whose name is
// NAME_MAX long still has room beside it.  A process killed during a write
// leaves one behind; sweep_stale_temps removes those whose process is gone.
//
// GL-free, in zelmor_core.  Failures are given back, not fatal: each caller
// reports them where its user looks.
#pragma once

#include <cstddef>
#include <string>

// What happens to a symbolic link at the target's name.
enum class link_rule {
  // The link is followed, through any chain of links, to the file it names,
  // and that file is replaced (or made, when the link dangles); the link
  // stays a link.
  write_through,
  // The link itself is replaced by the file; what it pointed to is never
  // touched (the point-exchange file: a link there was not put by the user
  // to keep points in).
  replace_link,
};

struct safe_write_options {
  link_rule links = link_rule::write_through;
  // A regular file that belongs to another user is left alone.
  bool refuse_foreign = false;
  // Only a name that nothing has is taken; an existing one (even a dangling
  // link) gives EEXIST and is left alone.
  bool no_replace = false;
  // The file and then its directory are synced to disk before the call
  // returns, so a crash right after it keeps the new text.
  bool sync = false;
};

struct safe_write_result {
  int error = 0;                  // 0 on success, else an errno value
  const char* reason = nullptr;   // null on success, else why, in words
  bool temp_created = false;      // whether the new file beside the target could be made
};

// Writes size bytes of data to path as described above.  A new file gets
// mode 0666 less the umask; a replaced file keeps its mode.  Refusals:
// "Is a directory" (EISDIR), "not a regular file" (EINVAL), "owned by
// another user" (EPERM, with refuse_foreign), "File exists" (EEXIST, with
// no_replace).  On failure the target is as it was and no temporary file is
// left.  A replace that races with someone putting a directory, FIFO or
// device at the name undoes itself where the file system can swap two names.
safe_write_result safe_replace(const char* path, const char* data, std::size_t size,
                               const safe_write_options& options);

// The name safe_replace(path) would write under write_through: path itself,
// or the file a (possibly dangling) chain of links at path leads to.
// Returns 0, or an errno value (ELOOP for a chain of more than 40 links).
int write_target(const char* path, std::string* target);

// The directory part of a path ("." for a bare name, "/" for "/x").
std::string directory_part(const std::string& path);

// Removes from dir the temporary files this project's writers left behind
// when their process died: names of safe_replace's pattern made on this
// machine whose process no longer runs, and two patterns of earlier
// versions that carry no machine tag (".ZELMOR.PID.N.tmp", whose PID must be
// gone, and ".zelmor-lab-save-XXXXXX"), only when older than ten minutes.
// Only regular files of this user are removed; nothing else is looked at.
// Returns how many were removed.
int sweep_stale_temps(const char* dir);

// The temporary name safe_replace uses for attempt n in this process.
std::string safe_temp_name(int n);
