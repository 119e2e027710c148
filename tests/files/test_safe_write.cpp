// safe_replace and sweep_stale_temps without a display: what is not a
// regular file is never replaced, links are followed (or replaced) as asked,
// a name of NAME_MAX characters still has room for the temporary beside it,
// a failed write keeps the old file, and a save killed half way leaves a
// temporary that the sweep removes (and nothing else).
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <functional>
#include <set>
#include <string>

#include "app/app.h"
#include "app/safe_write.h"
#include "tests/files/files_test_util.h"

namespace {

using files_test::gone_pid;
using files_test::kind_of;
using files_test::names_in;
using files_test::slurp;
using files_test::spit;

const std::string kText = "0.5 0.25\n-1 2\n";

safe_write_options with(link_rule links, bool no_replace = false, bool refuse_foreign = false) {
  safe_write_options o;
  o.links = links;
  o.no_replace = no_replace;
  o.refuse_foreign = refuse_foreign;
  o.sync = true;
  return o;
}

safe_write_result put(const std::string& path, const safe_write_options& o, const std::string& text = kText) {
  return safe_replace(path.c_str(), text.data(), text.size(), o);
}

using files_test::make_socket;

using SafeReplace = files_test::in_fresh_dir;

// ---------------------------------------------------------------------------
// What stands at the name

struct Obstacle {
  const char* what;
  std::function<bool()> make;  // false: cannot be made here (a device needs root)
  const char* reason;
  int error;
};

const Obstacle kObstacles[] = {
    {"a directory", [] { return mkdir("it", 0755) == 0; }, "Is a directory", EISDIR},
    {"a FIFO nobody reads (opening it would block)", [] { return mkfifo("it", 0644) == 0; },
     "not a regular file", EINVAL},
    {"a socket", [] { return make_socket("it"); }, "not a regular file", EINVAL},
    {"a private character device node (as /dev/null)",
     [] { return mknod("it", S_IFCHR | 0666, makedev(1, 3)) == 0; }, "not a regular file", EINVAL},
    {"a private block device node of no device",
     [] { return mknod("it", S_IFBLK | 0600, makedev(7, 255)) == 0; }, "not a regular file", EINVAL},
};

TEST_F(SafeReplace, WhatIsNotARegularFileIsNeverReplacedNorWrittenInto) {
  for (const link_rule rule : {link_rule::write_through, link_rule::replace_link}) {
    for (const Obstacle& c : kObstacles) {
      for (const bool through_link : {false, true}) {
        if (through_link && rule == link_rule::replace_link) continue;  // that rule replaces links
        SCOPED_TRACE(std::string(c.what) + (through_link ? ", behind a link" : "") +
                     (rule == link_rule::write_through ? ", links followed" : ", links replaced"));
        if (!c.make()) {
          std::printf("[ SKIPPED  ] %s: cannot be made here\n", c.what);
          continue;
        }
        const mode_t kind = kind_of("it");
        const std::string name = through_link ? "link" : "it";
        if (through_link) {
          ASSERT_EQ(0, symlink("it", "link"));
        }
        const std::set<std::string> before = names_in(".");
        const safe_write_result r = put(name, with(rule));
        EXPECT_EQ(c.error, r.error);
        ASSERT_NE(nullptr, r.reason);
        EXPECT_STREQ(c.reason, r.reason);
        EXPECT_FALSE(r.temp_created);
        EXPECT_EQ(kind, kind_of("it"));
        if (through_link) {
          EXPECT_EQ(static_cast<mode_t>(S_IFLNK), kind_of("link"));
        }
        EXPECT_EQ(before, names_in("."));
        ASSERT_EQ(0, std::system("rm -rf it link"));
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Links

struct LinkCase {
  const char* what;
  std::function<void()> make;  // puts "name" (and what it leads to)
  const char* written;         // where the text must land
};

const LinkCase kLinks[] = {
    {"a dangling link into a folder", [] { symlink("sub/new.txt", "name"); }, "sub/new.txt"},
    {"a chain of links whose last one dangles",
     [] {
       symlink("sub/hop", "name");
       symlink("../end.txt", "sub/hop");  // relative to sub/, where the link sits
     },
     "end.txt"},
    {"a link to a file in another folder",
     [] {
       spit("sub/old.txt", "a teacher's old lesson\n");
       symlink("sub/old.txt", "name");
     },
     "sub/old.txt"},
};

TEST_F(SafeReplace, FollowedLinksStayLinksAndTheFileTheyNameIsWrittenOrMade) {
  for (const LinkCase& c : kLinks) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(0, mkdir("sub", 0755));
    c.make();
    const safe_write_result r = put("name", with(link_rule::write_through));
    EXPECT_EQ(0, r.error) << r.reason;
    EXPECT_EQ(static_cast<mode_t>(S_IFLNK), kind_of("name"));
    EXPECT_EQ(static_cast<mode_t>(S_IFREG), kind_of(c.written));
    EXPECT_EQ(kText, slurp("name"));
    EXPECT_EQ(kText, slurp(c.written));
    // Nothing but the links and the file: no temporary left anywhere.
    for (const char* d : {".", "sub"}) {
      for (const std::string& n : names_in(d)) EXPECT_EQ(std::string::npos, n.find(".tmp")) << n;
    }
    ASSERT_EQ(0, std::system("rm -rf name sub end.txt"));
  }
}

TEST_F(SafeReplace, ReplacedLinksAreReplacedAndWhatTheyNamedIsNeverWritten) {
  ASSERT_EQ(0, mkdir("sub", 0755));
  spit("sub/old.txt", "kept\n");
  ASSERT_EQ(0, symlink("sub/old.txt", "a"));
  ASSERT_EQ(0, symlink("sub/nowhere.txt", "b"));
  for (const char* name : {"a", "b"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(0, put(name, with(link_rule::replace_link)).error);
    EXPECT_EQ(static_cast<mode_t>(S_IFREG), kind_of(name));
    EXPECT_EQ(kText, slurp(name));
  }
  EXPECT_EQ("kept\n", slurp("sub/old.txt"));
  EXPECT_EQ(0u, kind_of("sub/nowhere.txt"));
  EXPECT_EQ((std::set<std::string>{"old.txt"}), names_in("sub"));
}

TEST_F(SafeReplace, ALoopOfLinksIsRefused) {
  ASSERT_EQ(0, symlink("b", "a"));
  ASSERT_EQ(0, symlink("a", "b"));
  const safe_write_result r = put("a", with(link_rule::write_through));
  EXPECT_EQ(ELOOP, r.error);
  EXPECT_EQ((std::set<std::string>{"a", "b"}), names_in("."));
}

// ---------------------------------------------------------------------------
// Names, modes, replacing

TEST_F(SafeReplace, ANameOfNameMaxCharactersIsWrittenAndReplaced) {
  const std::string name = std::string(NAME_MAX - 4, 'p') + ".svg";
  ASSERT_EQ(static_cast<std::size_t>(NAME_MAX), name.size());
  for (const std::string& text : {std::string("first\n"), std::string("second, longer\n")}) {
    for (const link_rule rule : {link_rule::write_through, link_rule::replace_link}) {
      const safe_write_result r = put(name, with(rule), text);
      EXPECT_EQ(0, r.error) << r.reason;
      EXPECT_EQ(text, slurp(name));
      EXPECT_EQ(std::set<std::string>{name}, names_in("."));
    }
  }
  // The temporary's name is short whatever the target's.
  EXPECT_LT(safe_temp_name(99).size(), 64u);
}

TEST_F(SafeReplace, AReplacedFileKeepsItsModeAndANewOneGetsTheUmasksMode) {
  spit("kept.txt", "old\n");
  ASSERT_EQ(0, chmod("kept.txt", 0640));
  EXPECT_EQ(0, put("kept.txt", with(link_rule::write_through)).error);
  struct stat st;
  ASSERT_EQ(0, stat("kept.txt", &st));
  EXPECT_EQ(0640u, st.st_mode & 07777);
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(0, put("new.txt", with(link_rule::write_through)).error);
  ASSERT_EQ(0, stat("new.txt", &st));
  EXPECT_EQ(0666u & ~mask, st.st_mode & 07777);
}

TEST_F(SafeReplace, NoReplaceTakesOnlyAFreeName) {
  spit("taken.txt", "earlier save\n");
  ASSERT_EQ(0, symlink("nowhere.txt", "dangling"));
  for (const char* name : {"taken.txt", "dangling"}) {
    SCOPED_TRACE(name);
    const safe_write_result r = put(name, with(link_rule::write_through, true));
    EXPECT_EQ(EEXIST, r.error);
  }
  EXPECT_EQ("earlier save\n", slurp("taken.txt"));
  EXPECT_EQ(static_cast<mode_t>(S_IFLNK), kind_of("dangling"));
  EXPECT_EQ(0, put("free.txt", with(link_rule::write_through, true)).error);
  EXPECT_EQ(kText, slurp("free.txt"));
  EXPECT_EQ((std::set<std::string>{"dangling", "free.txt", "taken.txt"}), names_in("."));
}

TEST_F(SafeReplace, AnotherUsersFileIsLeftAloneWhenAsked) {
  spit("theirs.txt", "someone else's\n");
  if (geteuid() != 0 || chown("theirs.txt", 65534, 65534) != 0) GTEST_SKIP() << "needs root to give a file away";
  const safe_write_result r = put("theirs.txt", with(link_rule::replace_link, false, true));
  EXPECT_EQ(EPERM, r.error);
  EXPECT_STREQ("owned by another user", r.reason);
  EXPECT_EQ("someone else's\n", slurp("theirs.txt"));
  EXPECT_EQ(0, put("theirs.txt", with(link_rule::write_through)).error);  // not asked: replaced
  EXPECT_EQ(kText, slurp("theirs.txt"));
}

// ---------------------------------------------------------------------------
// Failing writes, in a child process (a user who may not write the folder,
// a file size limit that fails the write as a full disk does)

void expect_in_child(const std::function<std::string()>& body) {
  EXPECT_EXIT(
      {
        const std::string problems = body();
        std::fprintf(stderr, "%s", problems.c_str());
        std::_Exit(problems.empty() ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

TEST_F(SafeReplace, AFolderThatCannotBeWrittenKeepsTheOldFile) {
  spit("kept.txt", "old\n");
  ASSERT_EQ(0, chmod("kept.txt", 0666));
  ASSERT_EQ(0, chmod(".", 0755));
  expect_in_child([] {
    if (geteuid() == 0) {
      if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) return std::string("not nobody\n");
    } else if (chmod(".", 0555) != 0) {
      return std::string("cannot make the folder read-only\n");
    }
    std::string problems;
    for (const link_rule rule : {link_rule::write_through, link_rule::replace_link}) {
      const safe_write_result r = put("kept.txt", with(rule));
      if (r.error != EACCES) problems += std::string("error: ") + (r.reason ? r.reason : "none") + "\n";
      if (r.temp_created) problems += "a temporary was made\n";
    }
    return problems;
  });
  EXPECT_EQ("old\n", slurp("kept.txt"));
  EXPECT_EQ(std::set<std::string>{"kept.txt"}, names_in("."));
}

TEST_F(SafeReplace, AWriteThatFailsHalfWayKeepsTheOldFileAndLeavesNoTemporary) {
  spit("kept.txt", "old\n");
  expect_in_child([] {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit = {100, 100};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return std::string("no limit\n");
    const safe_write_result r = put("kept.txt", with(link_rule::write_through), std::string(1000, 'x'));
    if (r.error != EFBIG || !r.temp_created) return std::string("error: ") + (r.reason ? r.reason : "none") + "\n";
    return std::string();
  });
  EXPECT_EQ("old\n", slurp("kept.txt"));
  EXPECT_EQ(std::set<std::string>{"kept.txt"}, names_in("."));
}

// ---------------------------------------------------------------------------
// The sweep

std::string own_tag() {
  const std::string t = safe_temp_name(0);  // ".zelmor.TAG.PID.0.tmp"
  return t.substr(8, 8);
}

std::string temp_of(const std::string& tag, long pid, int n = 0) {
  return ".zelmor." + tag + "." + std::to_string(pid) + "." + std::to_string(n) + ".tmp";
}

void age(const std::string& name, long seconds) {
  timespec t[2];
  clock_gettime(CLOCK_REALTIME, &t[0]);
  t[0].tv_sec -= seconds;
  t[1] = t[0];
  ASSERT_EQ(0, utimensat(AT_FDCWD, name.c_str(), t, AT_SYMLINK_NOFOLLOW));
}

// A save in a child process killed while it writes: the temporary stays
// (written in part), the target is the old text or the new one, whole.
TEST_F(SafeReplace, ASaveKilledHalfWayLeavesATemporaryThatTheSweepRemoves) {
  const std::string old_text(4 << 20, 'o');
  const std::string new_text(64 << 20, 'n');
  spit("lesson.txt", old_text);
  std::string left;
  for (int attempt = 0; attempt < 20 && left.empty(); ++attempt) {
    const int watch = inotify_init1(IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, ".", IN_CREATE), 0);
    const pid_t saver = fork();
    ASSERT_NE(-1, saver);
    if (saver == 0) {
      for (;;) put("lesson.txt", with(link_rule::write_through), new_text);
    }
    // Killed as soon as its temporary appears, in the middle of writing it.
    alignas(inotify_event) char buf[4096];
    bool seen = false;
    while (!seen) {
      const ssize_t n = read(watch, buf, sizeof buf);
      ASSERT_GT(n, 0);
      for (char* p = buf; p < buf + n;) {
        const auto* e = reinterpret_cast<inotify_event*>(p);
        if (e->len > 0 && std::strncmp(e->name, ".zelmor.", 8) == 0) seen = true;
        p += sizeof(inotify_event) + e->len;
      }
    }
    kill(saver, SIGKILL);
    int status = 0;
    waitpid(saver, &status, 0);
    close(watch);
    EXPECT_TRUE(WIFSIGNALED(status));
    for (const std::string& n : names_in("."))
      if (n.rfind(".zelmor.", 0) == 0) left = n;
  }
  ASSERT_FALSE(left.empty()) << "no kill landed during a save in 20 tries";
  const std::string lesson = slurp("lesson.txt");
  EXPECT_TRUE(lesson == old_text || lesson == new_text) << "a torn lesson of " << lesson.size() << " bytes";
  EXPECT_EQ(1, sweep_stale_temps("."));
  EXPECT_EQ(std::set<std::string>{"lesson.txt"}, names_in("."));
}

TEST_F(SafeReplace, TheSweepRemovesOnlyTemporariesOfThisMachineWhoseProcessIsGone) {
  const std::string tag = own_tag();
  const std::string other_tag = std::string(tag[0] == '0' ? "1" : "0") + tag.substr(1);
  const long dead = gone_pid();
  const long alive = getpid();
  struct Entry {
    std::string name;
    long aged;  // seconds back
    bool swept;
  };
  const Entry entries[] = {
      {temp_of(tag, dead), 0, true},
      {temp_of(tag, dead, 7), 0, true},
      {temp_of(tag, alive), 0, false},                       // a save in progress
      {temp_of(tag, 1), 0, false},                           // pid 1 runs (as another user, or not)
      {temp_of(other_tag, dead), 3600, false},               // another machine's: its pid means nothing here
      {".ZELMOR." + std::to_string(dead) + ".0.tmp", 3600, true},   // an earlier version's, old
      {".ZELMOR." + std::to_string(dead) + ".1.tmp", 10, false},    // ... but young
      {".ZELMOR." + std::to_string(alive) + ".0.tmp", 3600, false}, // ... of a running process
      {".zelmor-lab-save-Ab12cZ", 3600, true},
      {".zelmor-lab-save-Ab12cZ9", 3600, false},
      {".zelmor-lab-save-Ab1", 3600, false},
      {".zelmor-lab-save-Xy34wV", 10, false},
      {".ZELMOR", 3600, false},
      {"lesson.txt.tmp", 3600, false},
      {".zelmor." + tag + ".x.0.tmp", 3600, false},
  };
  std::set<std::string> kept;
  for (const Entry& e : entries) {
    spit(e.name, "x");
    if (e.aged > 0) age(e.name, e.aged);
    if (!e.swept) kept.insert(e.name);
  }
  // Of the right name but no regular file: never touched.
  const std::string dir_temp = temp_of(tag, dead, 8), link_temp = temp_of(tag, dead, 9);
  ASSERT_EQ(0, mkdir(dir_temp.c_str(), 0755));
  ASSERT_EQ(0, symlink("lesson.txt", link_temp.c_str()));
  kept.insert(dir_temp);
  kept.insert(link_temp);
  if (geteuid() == 0) {
    const std::string theirs = temp_of(tag, dead, 5);
    spit(theirs, "x");
    ASSERT_EQ(0, chown(theirs.c_str(), 65534, 65534));
    kept.insert(theirs);
  }
  int swept = 0;
  for (const Entry& e : entries) swept += e.swept;
  EXPECT_EQ(swept, sweep_stale_temps("."));
  EXPECT_EQ(kept, names_in("."));
  EXPECT_EQ(0, sweep_stale_temps("no-such-folder"));
}

// zelmor's own writer sweeps its folder once, at its first save: in a
// fresh process (the death test runs the binary anew).
TEST(PointExchangeSweepDeathTest, TheFirstSaveOfAProcessSweepsItsFolder) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        char tmpl[] = "/tmp/zelmor-files-XXXXXX";
        if (mkdtemp(tmpl) == nullptr || chdir(tmpl) != 0) std::_Exit(3);
        const std::string stale = temp_of(own_tag(), gone_pid());
        spit(stale, "half a file");
        point_count = 0;
        write_point_file();
        const bool gone = kind_of(stale) == 0;
        const bool saved = kind_of(".ZELMOR") == S_IFREG && slurp(".ZELMOR").empty();
        if (std::system((std::string("rm -rf ") + tmpl).c_str()) != 0) std::_Exit(4);
        std::_Exit(gone && saved ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

}  // namespace
