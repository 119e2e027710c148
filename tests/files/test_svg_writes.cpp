// zelmor-delaunay --svg FILE as its own process: a pipe or a terminal is
// written into and stays what it is; a directory, a socket or a block device
// is refused with one line on standard error and status 2; a dangling link
// makes the file it names; a name of NAME_MAX characters is written; a
// folder that cannot be written keeps the old picture; a temporary that a
// killed run left beside the picture is swept.
#include <fcntl.h>
#include <grp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/safe_write.h"
#include "tests/files/files_test_util.h"

namespace {

using files_test::kind_of;
using files_test::names_in;
using files_test::slurp;
using files_test::spit;

const char kPoints[] = "-1 -1\n1 -1\n1 1\n-1 1\n0.25 0.5\n";

struct run_result {
  int status = -1;
  std::string err;
};

// The tool with args, kPoints on standard input, standard output dropped;
// as user nobody when asked (and run as root).
run_result run_tool(const std::vector<std::string>& args, bool as_nobody = false) {
  spit("/tmp/zelmor-files-points.in", kPoints);
  char err_name[] = "/tmp/zelmor-files-err-XXXXXX";
  const int err = mkstemp(err_name);
  std::vector<std::string> argv_s{ZELMOR_DELAUNAY_EXE};
  argv_s.insert(argv_s.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argv_s) argv.push_back(a.data());
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    const int in = open("/tmp/zelmor-files-points.in", O_RDONLY);
    const int null = open("/dev/null", O_WRONLY);
    if (in < 0 || null < 0 || err < 0) _exit(126);
    if (as_nobody && geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
      _exit(125);
    dup2(in, 0);
    dup2(null, 1);
    dup2(err, 2);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int st = 0;
  waitpid(pid, &st, 0);
  run_result r;
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  r.err = slurp(err_name);
  close(err);
  unlink(err_name);
  return r;
}

using files_test::make_socket;

using SvgWrites = files_test::in_fresh_dir;

TEST_F(SvgWrites, APipeIsWrittenIntoAndStaysAPipe) {
  ASSERT_EQ(0, mkfifo("pic.svg", 0644));
  std::string got;
  std::thread reader([&] { got = slurp("pic.svg"); });
  const run_result r = run_tool({"--svg", "pic.svg"});
  reader.join();
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ(0u, got.find("<?xml"));
  EXPECT_NE(std::string::npos, got.find("</svg>"));
  EXPECT_EQ(static_cast<mode_t>(S_IFIFO), kind_of("pic.svg"));
  EXPECT_EQ(std::set<std::string>{"pic.svg"}, names_in("."));
}

TEST_F(SvgWrites, WhatCannotHoldAPictureIsRefusedAndLeftAsItWas) {
  const struct {
    const char* what;
    std::function<bool()> make;
    const char* reason;
  } cases[] = {
      {"a directory", [] { return mkdir("pic.svg", 0755) == 0; }, "Is a directory"},
      {"a socket", [] { return make_socket("pic.svg"); }, "not a regular file"},
      {"a private block device node of no device",
       [] { return mknod("pic.svg", S_IFBLK | 0600, makedev(7, 255)) == 0; }, "not a regular file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (!c.make()) {
      std::printf("[ SKIPPED  ] %s: cannot be made here\n", c.what);
      continue;
    }
    const mode_t kind = kind_of("pic.svg");
    const run_result r = run_tool({"--svg", "pic.svg"});
    EXPECT_EQ(2, r.status);
    EXPECT_EQ(std::string("zelmor-delaunay: cannot write pic.svg: ") + c.reason + "\n", r.err);
    EXPECT_EQ(kind, kind_of("pic.svg"));
    EXPECT_EQ(std::set<std::string>{"pic.svg"}, names_in("."));
    ASSERT_EQ(0, std::system("rm -rf pic.svg"));
  }
}

TEST_F(SvgWrites, ADanglingLinkMakesThePictureItNames) {
  ASSERT_EQ(0, mkdir("pictures", 0755));
  ASSERT_EQ(0, symlink("pictures/monday.svg", "pic.svg"));
  const run_result r = run_tool({"--svg", "pic.svg"});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ(static_cast<mode_t>(S_IFLNK), kind_of("pic.svg"));
  EXPECT_NE(std::string::npos, slurp("pictures/monday.svg").find("</svg>"));
  EXPECT_EQ(std::set<std::string>{"monday.svg"}, names_in("pictures"));
}

TEST_F(SvgWrites, ANameOfNameMaxCharactersIsWrittenAndReplaced) {
  const std::string name = std::string(NAME_MAX - 4, 'v') + ".svg";
  for (int i = 0; i < 2; ++i) {
    const run_result r = run_tool({"--svg", name});
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_NE(std::string::npos, slurp(name).find("</svg>"));
    EXPECT_EQ(std::set<std::string>{name}, names_in("."));
  }
}

TEST_F(SvgWrites, AFolderThatCannotBeWrittenKeepsTheOldPicture) {
  ASSERT_EQ(0, mkdir("ro", 0755));
  spit("ro/pic.svg", "an old picture\n");
  ASSERT_EQ(0, chmod("ro/pic.svg", 0666));
  ASSERT_EQ(0, chmod(dir_.c_str(), 0755));
  if (geteuid() != 0) {
    ASSERT_EQ(0, chmod("ro", 0555));
  }
  const run_result r = run_tool({"--svg", "ro/pic.svg"}, true);
  EXPECT_EQ(2, r.status);
  EXPECT_EQ("zelmor-delaunay: cannot write ro/pic.svg: Permission denied\n", r.err);
  EXPECT_EQ("an old picture\n", slurp("ro/pic.svg"));
  EXPECT_EQ(std::set<std::string>{"pic.svg"}, names_in("ro"));
}

TEST_F(SvgWrites, TheTemporaryOfAKilledRunBesideThePictureIsSwept) {
  ASSERT_EQ(0, mkdir("pictures", 0755));
  const std::string own = safe_temp_name(0);  // ".zelmor.TAG.PID.0.tmp"
  const std::string stale = "pictures/" + own.substr(0, 17) + std::to_string(files_test::gone_pid()) + ".3.tmp";
  const std::string running = "pictures/" + own;
  spit(stale, "<svg");
  spit(running, "<svg");
  const run_result r = run_tool({"--svg", "pictures/pic.svg"});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ(0u, kind_of(stale));
  EXPECT_EQ((std::set<std::string>{own, "pic.svg"}), names_in("pictures"));
}

}  // namespace
