// Helpers of the file tests: a fresh working folder per test, whole files
// read and made, the names in a folder, a process id that no longer runs,
// the kind of what stands at a name.
#pragma once

#include <dirent.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "tests/pipeline/pipeline_test_util.h"

namespace files_test {

using pipeline_test::slurp;
using pipeline_test::spit;

// A Unix socket bound at name (left there when the socket is closed).
inline bool make_socket(const char* name) {
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  if (fd < 0) return false;
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  std::strncpy(a.sun_path, name, sizeof a.sun_path - 1);
  const bool ok = bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  close(fd);
  return ok;
}

inline std::set<std::string> names_in(const std::string& dir) {
  std::set<std::string> names;
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) return names;
  while (dirent* e = readdir(d)) {
    const std::string n = e->d_name;
    if (n != "." && n != "..") names.insert(n);
  }
  closedir(d);
  return names;
}

// S_IFREG, S_IFLNK ... of what is at path itself (0: nothing).
inline mode_t kind_of(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 ? (st.st_mode & S_IFMT) : 0;
}

// The id of a process that ran and is gone (reaped).
inline pid_t gone_pid() {
  const pid_t p = fork();
  if (p == 0) _exit(0);
  int status = 0;
  waitpid(p, &status, 0);
  return p;
}

// Each test in a folder of its own, the working directory while it runs.
class in_fresh_dir : public testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/zelmor-files-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(tmpl));
    dir_ = tmpl;
    char cwd[4096];
    old_ = getcwd(cwd, sizeof cwd) != nullptr ? cwd : "/tmp";
    ASSERT_EQ(0, chdir(dir_.c_str()));
  }
  void TearDown() override {
    if (chdir(old_.c_str()) != 0) std::perror("chdir");
    const std::string cmd = "chmod -R u+rwx '" + dir_ + "' 2>/dev/null; rm -rf '" + dir_ + "'";
    if (std::system(cmd.c_str()) != 0) std::perror("rm");
  }
  std::string dir_, old_;
};

}  // namespace files_test
