// The point-exchange file against what a shared or broken folder holds: a
// link, a directory, a FIFO, another user's file, a full disk, a folder that
// cannot be written or is gone, another process rewriting the file.  In
// every case the program keeps its points and recomputes their own
// triangulation (checked against the exact oracle), the file is replaced
// whole or left as it was, and a failure is on record until a save succeeds.
#include <gtest/gtest.h>
#include <dirent.h>
#include <grp.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/app.h"
#include "tests/pipeline/pipeline_test_util.h"

namespace {

using pipeline_test::pt;

const std::vector<pt> kSix = {{-1.0, -1.0}, {1.5, -0.5}, {0.3, 1.2}, {-2.0, 0.8}, {2.2, 2.0}, {0.1, -2.3}};
const std::vector<pt> kSeven = {{-2.5, -2.5}, {2.5, -2.0}, {0.0, 2.7}, {-1.2, 0.4}, {1.1, 0.9}, {0.2, -0.7}, {-2.6, 1.9}};

using pipeline_test::slurp;
using pipeline_test::spit;

// The file's text for points lifted with weight 1, made with printf.
std::string text_of(const std::vector<pt>& pts) {
  std::string s;
  char line[200];
  for (const pt& p : pts) {
    const double z = p[0] * p[0] + p[1] * p[1] + 1.0;
    std::snprintf(line, sizeof line, "%.15f %.15f %.15f\n", p[0], p[1], z);
    s += line;
  }
  return s;
}

std::set<std::string> names_here() {
  std::set<std::string> names;
  DIR* d = opendir(".");
  if (d == nullptr) return names;
  while (dirent* e = readdir(d)) {
    const std::string n = e->d_name;
    if (n != "." && n != "..") names.insert(n);
  }
  closedir(d);
  return names;
}

mode_t kind_of(const char* path) {
  struct stat st;
  return lstat(path, &st) == 0 ? (st.st_mode & S_IFMT) : 0;
}

int state_changes = 0;

class ExchangeFile : public pipeline_test::in_temp_dir {
 protected:
  void SetUp() override {
    in_temp_dir::SetUp();
    // A successful save first, so that no failure of another test is on
    // record; then the folder as it was.
    write_point_file();
    unlink(".ZELMOR");
    state_changes = 0;
    point_file_state_changed = [] { ++state_changes; };
  }
  void TearDown() override {
    point_file_state_changed = nullptr;
    in_temp_dir::TearDown();
  }

  // An edit of the point set (write) and the 3D view's next frame
  // (recompute), with what the edit printed on standard output.
  static std::string edit(const std::vector<pt>& pts) {
    testing::internal::CaptureStdout();
    pipeline_test::edit_and_recompute(pts);
    return testing::internal::GetCapturedStdout();
  }
  static std::string failure() {
    const char* f = point_file_failure();
    return f != nullptr ? f : "";
  }
};

// ---------------------------------------------------------------------------
// What stands at ".ZELMOR"

struct LinkCase {
  const char* what;
  const char* target;
  bool target_exists;
};
const LinkCase kLinks[] = {
    {"a link to a file", "notes.txt", true},
    {"a link to a file in another folder", "sub/notes.txt", true},
    {"a dangling link", "nowhere.txt", false},
};

TEST_F(ExchangeFile, ALinkIsReplacedByTheFileAndItsTargetNeverWritten) {
  ASSERT_EQ(0, mkdir("sub", 0755));
  for (const LinkCase& c : kLinks) {
    SCOPED_TRACE(c.what);
    if (c.target_exists) spit(c.target, "a teacher's notes\n");
    ASSERT_EQ(0, symlink(c.target, ".ZELMOR"));
    EXPECT_EQ("", edit(kSix));
    EXPECT_EQ(S_IFREG, kind_of(".ZELMOR"));
    EXPECT_EQ(text_of(kSix), slurp(".ZELMOR"));
    if (c.target_exists) {
      EXPECT_EQ("a teacher's notes\n", slurp(c.target));
    } else {
      EXPECT_EQ(0, kind_of(c.target)) << "the link's target was created";
    }
    EXPECT_EQ("", failure());
    EXPECT_EQ("", pipeline_test::mismatch_with_oracle());
    std::remove(c.target);
    std::remove(".ZELMOR");
    EXPECT_EQ(std::set<std::string>{"sub"}, names_here()) << "a temporary file was left behind";
  }
  EXPECT_EQ(0, state_changes);
}

// The file is replaced, but as the user left it: a mode given to it stays.
TEST_F(ExchangeFile, TheReplacedFileKeepsTheModeTheUserGaveIt) {
  for (const mode_t mode : {0600, 0640, 0644, 0664}) {
    SCOPED_TRACE(mode);
    spit(".ZELMOR", "old\n");
    ASSERT_EQ(0, chmod(".ZELMOR", mode));
    EXPECT_EQ("", edit(kSix));
    struct stat st;
    ASSERT_EQ(0, stat(".ZELMOR", &st));
    EXPECT_EQ(mode, st.st_mode & 07777);
    EXPECT_EQ(text_of(kSix), slurp(".ZELMOR"));
    unlink(".ZELMOR");
  }
}

struct ObstacleCase {
  const char* what;
  std::function<bool()> make;  // false: this environment cannot make it
  mode_t kind;
  const char* reason;
};

const ObstacleCase kObstacles[] = {
    {"a directory", [] { return mkdir(".ZELMOR", 0755) == 0; }, S_IFDIR, "Is a directory"},
    {"a FIFO (opening it would block)", [] { return mkfifo(".ZELMOR", 0666) == 0; }, S_IFIFO,
     "not a regular file"},
    {"another user's file with a bad line",
     [] {
       spit(".ZELMOR", "1 x 3\n");
       // Only root can give a file away; as anyone else the file is one's own.
       return geteuid() == 0 && chown(".ZELMOR", 65534, 65534) == 0;
     },
     S_IFREG, "owned by another user"},
};

TEST_F(ExchangeFile, WhatIsNoOwnFileIsLeftAloneWhileThePointsLiveOnAndTheFailureShows) {
  for (const ObstacleCase& c : kObstacles) {
    SCOPED_TRACE(c.what);
    if (!c.make()) {
      std::remove(".ZELMOR");
      std::printf("[ SKIPPED  ] %s: cannot be made here\n", c.what);
      continue;
    }
    state_changes = 0;
    EXPECT_EQ("File open failed :(\n", edit(kSix));
    EXPECT_EQ(std::string(".ZELMOR not saved: ") + c.reason, failure());
    EXPECT_EQ(1, state_changes);
    EXPECT_EQ("", pipeline_test::mismatch_with_oracle());
    // The next edit fails the same way: said again, no new state.
    EXPECT_EQ("File open failed :(\n", edit(kSeven));
    EXPECT_EQ(1, state_changes);
    EXPECT_EQ("", pipeline_test::mismatch_with_oracle());
    EXPECT_EQ(c.kind, kind_of(".ZELMOR"));
    if (c.kind == S_IFREG) {
      EXPECT_EQ("1 x 3\n", slurp(".ZELMOR"));
    }
    EXPECT_EQ(std::set<std::string>{".ZELMOR"}, names_here());
    // Once the way is clear, the next save succeeds and the failure is gone.
    if (c.kind == S_IFDIR) {
      rmdir(".ZELMOR");
    } else {
      unlink(".ZELMOR");
    }
    EXPECT_EQ("", edit(kSix));
    EXPECT_EQ("", failure());
    EXPECT_EQ(2, state_changes);
    EXPECT_EQ(text_of(kSix), slurp(".ZELMOR"));
    unlink(".ZELMOR");
  }
}

// ---------------------------------------------------------------------------
// The file changed or gone after the save

struct ForeignCase {
  const char* what;
  std::function<void()> change;
};

const ForeignCase kForeign[] = {
    {"another instance's points", [] { spit(".ZELMOR", text_of(kSeven)); }},
    {"a bad line", [] { spit(".ZELMOR", "1 x 3\n"); }},
    {"a line of two numbers", [] { spit(".ZELMOR", "1 2\n"); }},
    {"a million lines",
     [] {
       std::string s;
       for (int i = 0; i < 1000000; ++i) s += "0.5 0.25 1.3125\n";
       spit(".ZELMOR", s);
     }},
    {"half of the file", [] { spit(".ZELMOR", text_of(kSix).substr(0, 100)); }},
    {"nothing: the file removed", [] { unlink(".ZELMOR"); }},
    {"a FIFO",
     [] {
       unlink(".ZELMOR");
       mkfifo(".ZELMOR", 0666);
     }},
};

TEST_F(ExchangeFile, TheRecomputationReadsWhatWasWrittenNotWhatTheFileNowHolds) {
  for (const ForeignCase& c : kForeign) {
    SCOPED_TRACE(c.what);
    pipeline_test::set_points(kSix);
    need_recompute = 1;
    write_point_file();
    c.change();
    recompute();
    EXPECT_EQ("", pipeline_test::mismatch_with_oracle());
    EXPECT_FALSE(pipeline_test::delaunay_index_triangles().empty());
    unlink(".ZELMOR");
  }
}

// A second instance in the same folder rewrites the file all the while: each
// instance keeps computing its own points, and a reader of the file only
// ever finds one instance's whole text.
TEST_F(ExchangeFile, TwoInstancesInOneFolderEachKeepTheirOwnTriangulationAndTheFileIsNeverTorn) {
  const std::vector<pt> other_a = kSeven;
  std::vector<pt> other_b = kSeven;
  other_b[3] = {-1.3, 0.5};
  std::vector<pt> own_b = kSix;
  own_b[2] = {0.4, 1.1};
  const std::set<std::string> whole = {text_of(kSix), text_of(own_b), text_of(other_a), text_of(other_b)};
  pipeline_test::set_points(kSix);
  write_point_file();

  const pid_t other = fork();
  ASSERT_NE(-1, other);
  if (other == 0) {
    for (int i = 0; i < 400; ++i) {
      pipeline_test::set_points(i % 2 == 0 ? other_a : other_b);
      write_point_file();
    }
    _exit(0);
  }
  int torn = 0, wrong = 0;
  for (int i = 0; i < 400; ++i) {
    pipeline_test::edit_and_recompute(i % 2 == 0 ? kSix : own_b);
    if (!pipeline_test::mismatch_with_oracle().empty()) ++wrong;
    if (whole.count(slurp(".ZELMOR")) == 0) ++torn;
  }
  int status = 0;
  ASSERT_EQ(other, waitpid(other, &status, 0));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(0, wrong) << "recomputations that did not give the instance's own triangulation";
  EXPECT_EQ(0, torn) << "reads that found neither instance's whole text";
  EXPECT_EQ(std::set<std::string>{".ZELMOR"}, names_here()) << "a temporary file was left behind";
  EXPECT_EQ(1u, whole.count(slurp(".ZELMOR")));
}

// ---------------------------------------------------------------------------
// Folders and disks that refuse the save

// Runs body in a child process; the child's failures come back as its
// standard error, "" meaning none.
void in_child(const std::function<std::string()>& body) {
  EXPECT_EXIT(
      {
        const std::string problems = body();
        std::fprintf(stderr, "%s", problems.c_str());
        std::fflush(stderr);
        std::_Exit(problems.empty() ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

// The points, edited one by one as a user clicks them, each followed by a
// recomputation once there are more than 4; "" when every recomputation
// checked (every check_every-th and the last) agrees with the oracle.
std::string click_points_one_by_one(const std::vector<pt>& pts, std::size_t check_every = 1) {
  std::vector<pt> so_far;
  for (const pt& p : pts) {
    so_far.push_back(p);
    pipeline_test::set_points(so_far);
    need_recompute = 1;
    write_point_file();
    if (point_count > 4) {
      recompute();
      if (so_far.size() % check_every != 0 && so_far.size() != pts.size()) continue;
      const std::string m = pipeline_test::mismatch_with_oracle();
      if (!m.empty()) return "at " + std::to_string(point_count) + " points: " + m + "\n";
    }
  }
  return "";
}

TEST_F(ExchangeFile, AFolderThatCannotBeWrittenKeepsEveryPointAsANonRootUser) {
  // An old file from another session, whose points must not be drawn.
  spit(".ZELMOR", text_of(kSeven));
  const std::string old = slurp(".ZELMOR");
  in_child([&] {
    std::string problems;
    const bool root = geteuid() == 0;
    if (root) {
      // The folder is root's (made by mkdtemp, mode 0700); nobody may not write it.
      if (setgroups(0, nullptr) != 0 || setresgid(65534, 65534, 65534) != 0 ||
          setresuid(65534, 65534, 65534) != 0) {
        return std::string("cannot become nobody\n");
      }
    } else if (chmod(".", 0555) != 0) {
      return std::string("cannot make the folder read-only\n");
    }
    std::vector<pt> eight = kSix;
    eight.push_back({-0.5, 2.5});
    eight.push_back({2.8, -2.9});
    problems += click_points_one_by_one(eight);
    const char* f = point_file_failure();
    if (f == nullptr || std::string(f) != ".ZELMOR not saved: Permission denied") {
      problems += std::string("failure on record: ") + (f ? f : "none") + "\n";
    }
    if (!root && chmod(".", 0755) != 0) problems += "cannot restore the folder\n";
    return problems;
  });
  EXPECT_EQ(old, slurp(".ZELMOR"));
  EXPECT_EQ(std::set<std::string>{".ZELMOR"}, names_here());
}

TEST_F(ExchangeFile, AFolderRemovedUnderTheProgramKeepsEveryPoint) {
  const std::string gone = dir_->path() + "/gone";
  ASSERT_EQ(0, mkdir(gone.c_str(), 0755));
  ASSERT_EQ(0, chdir(gone.c_str()));
  ASSERT_EQ(0, rmdir(gone.c_str()));
  EXPECT_EQ("File open failed :(\n", edit(kSix));
  EXPECT_EQ(".ZELMOR not saved: No such file or directory", failure());
  EXPECT_EQ("", pipeline_test::mismatch_with_oracle());
  ASSERT_EQ(0, chdir(dir_->path().c_str()));
}

// Writes that fail part way: the old file stays whole, the partial new one
// goes, the points and their triangulation stay.
std::string write_fails_part_way(const std::string& reason) {
  std::string problems;
  std::vector<pt> many;
  for (int i = 0; i < 100; ++i) many.push_back({-2.9 + (i % 10) * 0.58 + (i / 10) * 0.01, -2.9 + (i / 10) * 0.55});
  testing::internal::CaptureStdout();
  const std::string clicked = click_points_one_by_one(many, 10);
  const std::string out = testing::internal::GetCapturedStdout();
  problems += clicked;
  const std::string said = ".ZELMOR not saved: " + reason + "\n";
  if (out.find(said) == std::string::npos) problems += "not said on standard output: " + out + "\n";
  const char* f = point_file_failure();
  if (f == nullptr || said != std::string(f) + "\n") problems += std::string("on record: ") + (f ? f : "none") + "\n";
  // The last file that fitted is there, whole.
  const std::string file = slurp(".ZELMOR");
  const std::size_t lines = static_cast<std::size_t>(std::count(file.begin(), file.end(), '\n'));
  std::vector<pt> head(many.begin(), many.begin() + static_cast<long>(lines));
  if (lines == 0 || lines >= many.size() || file != text_of(head)) problems += "the old file is not whole\n";
  if (names_here() != std::set<std::string>{".ZELMOR"}) problems += "a partial file was left behind\n";
  // New empties the set: that save fits again and the failure is gone.
  point_count = 0;
  write_point_file();
  if (point_file_failure() != nullptr) problems += "the failure outlived a successful save\n";
  if (!slurp(".ZELMOR").empty()) problems += "New did not empty the file\n";
  return problems;
}

TEST_F(ExchangeFile, AFileSizeLimitMidWriteKeepsTheOldFileWhole) {
  in_child([] {
    signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead
    const rlimit limit = {4000, 4000};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return std::string("cannot limit the file size\n");
    return write_fails_part_way("File too large");
  });
}

TEST_F(ExchangeFile, AFullDiskKeepsTheOldFileWhole) {
  if (mkdir("disk", 0755) != 0 || mount("tmpfs", "disk", "tmpfs", 0, "size=8k,mode=0755") != 0) {
    GTEST_SKIP() << "cannot mount a small tmpfs here (needs root): " << std::strerror(errno);
  }
  ASSERT_EQ(0, chdir("disk"));
  in_child([] { return write_fails_part_way("No space left on device"); });
  ASSERT_EQ(0, chdir(dir_->path().c_str()));
  EXPECT_EQ(0, umount("disk"));
}

}  // namespace
