// The lab's point files, without a display: load and save round trips (same
// points, same triangulation by the exact oracle), bad files refused with
// nothing changed, saves that never overwrite, and failing saves (read-only
// directory, a full disk) reported with nothing lost.
#include <dirent.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/point_text.h"
#include "lab/edit.h"
#include "lab/lab.h"
#include "tests/pipeline/pipeline_test_util.h"

namespace {

using pipeline_test::in_temp_dir;

std::string slurp(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void put(const std::string& path, const std::string& text) {
  std::ofstream out(path);
  out << text;
}

std::vector<std::string> names_in(const std::string& dir) {
  std::vector<std::string> out;
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) return out;
  while (dirent* e = readdir(d)) {
    const std::string n = e->d_name;
    if (n != "." && n != "..") out.push_back(n);
  }
  closedir(d);
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<std::array<int, 3>> sorted_triangles() {
  std::vector<std::array<int, 3>> t = pipeline_test::delaunay_index_triangles();
  for (auto& a : t) std::sort(a.begin(), a.end());
  std::sort(t.begin(), t.end());
  return t;
}

class LabFiles : public in_temp_dir {
 protected:
  void SetUp() override {
    in_temp_dir::SetUp();
    for (double& w : lab_point_weight) w = 0.0;
    selected_count = 0;
    write_point_file();
    lab_history_reset();
  }
  void random_points(int n, unsigned seed) {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> u(-3.0, 3.0);
    std::vector<lab_point> pts;
    for (int i = 0; i < n; ++i) pts.push_back({u(rng), u(rng), 0.0});
    lab_replace_points(pts, "random");
  }
};

TEST_F(LabFiles, ASavedSetLoadsBackAsTheSamePointsAndTheSameTriangulation) {
  for (int n : {5, 40, 200}) {
    SCOPED_TRACE(std::to_string(n) + " points");
    random_points(n, 1000u + static_cast<unsigned>(n));
    const std::vector<lab_point> before = lab_current_points();
    recompute();
    ASSERT_EQ(pipeline_test::mismatch_with_oracle(), "");
    const auto triangles = sorted_triangles();

    std::string name;
    ASSERT_EQ(lab_save_new(&name), 1) << lab_status_text();
    EXPECT_EQ(std::string(lab_status_text()), "saved " + std::to_string(n) + " points to " + name);
    lab_set_points({});
    ASSERT_EQ(lab_load_file(name.c_str(), "load"), 1) << lab_status_text();
    const std::vector<lab_point> after = lab_current_points();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
      EXPECT_EQ(after[i].x, before[i].x);  // shortest exact text: the very same doubles
      EXPECT_EQ(after[i].y, before[i].y);
    }
    recompute();
    EXPECT_EQ(pipeline_test::mismatch_with_oracle(), "");
    EXPECT_EQ(sorted_triangles(), triangles);
    // The batch tool reads what the lab saves: the same reader, no error.
    std::vector<text_point> read;
    std::string error;
    EXPECT_TRUE(read_point_file(name.c_str(), &read, &error)) << error;
  }
}

TEST_F(LabFiles, ALoadIsOneStepOfTheHistory) {
  put("pts.txt", "% a square and its centre\n-1 -1\n1 -1 9\n1 1\n-1 1\n0 0\n");
  random_points(7, 3);
  ASSERT_EQ(lab_load_file("pts.txt", "load pts.txt"), 1);
  EXPECT_STREQ(lab_status_text(), "loaded 5 points from pts.txt");
  EXPECT_EQ(point_count, 5);
  EXPECT_EQ(point_table[1].z, lifted_height(1, -1));  // a z column is ignored
  const std::string exchange = slurp(".ZELMOR");
  EXPECT_EQ(std::count(exchange.begin(), exchange.end(), '\n'), 5);
  lab_undo();
  EXPECT_EQ(point_count, 7);
  EXPECT_EQ(std::string(lab_status_text()).rfind("undone: load pts.txt", 0), 0u);
}

struct BadFile {
  const char* what;
  std::string text;
  const char* message;  // the status line, after "bad.txt"
};

std::string lines(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += std::to_string((i % 50) / 10.0 - 2.5) + " 0.5\n";
  return s;
}

const BadFile kBad[] = {
    {"a word", "1 1\n0 zero\n", " line 2: expected \"x y\" or \"x y z\", got \"0 zero\"; nothing loaded"},
    {"four numbers", "1 1 1 1\n", " line 1: expected \"x y\" or \"x y z\", got \"1 1 1 1\"; nothing loaded"},
    {"201 points", lines(201), " line 201: more than 200 points; nothing loaded"},
    {"outside the square", "0 0\n1 1\n3.5 0\n", ": point 2 (3.5, 0) lies outside [-3, 3] x [-3, 3]; nothing loaded"},
    {"just below the square", "0 -3.0001\n", ": point 0 (0, -3.0001) lies outside [-3, 3] x [-3, 3]; nothing loaded"},
    {"far away", "1e9 0\n", " line 1: coordinate beyond +-10000 in \"1e9 0\"; nothing loaded"},
};

TEST_F(LabFiles, BadFilesAreRefusedWithAMessageAndNothingChanges) {
  random_points(6, 7);
  const std::vector<lab_point> before = lab_current_points();
  const std::string exchange = slurp(".ZELMOR");
  const int size = lab_history_size();
  for (const BadFile& b : kBad) {
    SCOPED_TRACE(b.what);
    put("bad.txt", b.text);
    need_recompute = 0;
    testing::internal::CaptureStderr();
    EXPECT_EQ(lab_load_file("bad.txt", "load"), 0);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::string(lab_status_text()), std::string("bad.txt") + b.message);
    EXPECT_EQ(err, std::string("zelmor-lab: bad.txt") + b.message + "\n");
    EXPECT_EQ(need_recompute, 0);
    EXPECT_EQ(slurp(".ZELMOR"), exchange);
    EXPECT_EQ(lab_history_size(), size);
    const std::vector<lab_point> now = lab_current_points();
    ASSERT_EQ(now.size(), before.size());
    for (std::size_t i = 0; i < now.size(); ++i) EXPECT_EQ(now[i].x, before[i].x);
  }
  testing::internal::CaptureStderr();
  EXPECT_EQ(lab_load_file("missing.txt", "load"), 0);
  testing::internal::GetCapturedStderr();
  EXPECT_STREQ(lab_status_text(), "cannot open missing.txt: No such file or directory; nothing loaded");
  EXPECT_EQ(point_count, 6);
  // Neither hangs: a FIFO nobody writes, a directory.
  ASSERT_EQ(mkfifo("fifo", 0644), 0);
  ASSERT_EQ(mkdir("dir", 0755), 0);
  for (const char* odd : {"fifo", "dir"}) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(lab_load_file(odd, "load"), 0);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::string(lab_status_text()), std::string(odd) + " is not a regular file; nothing loaded");
  }
  EXPECT_EQ(point_count, 6);
  EXPECT_EQ(lab_history_size(), size);
}

TEST_F(LabFiles, ANewSaveNeverTakesANameThatExists) {
  random_points(5, 11);
  std::string first, second, third;
  ASSERT_EQ(lab_save_new(&first), 1);
  ASSERT_EQ(lab_save_new(&second), 1);
  ASSERT_EQ(lab_save_new(&third), 1);
  EXPECT_NE(first, second);
  EXPECT_NE(second, third);
  EXPECT_NE(first, third);
  EXPECT_EQ(first.rfind("zelmor-", 0), 0u);
  EXPECT_EQ(first.size(), std::string("zelmor-20261210-043512.txt").size());
  const std::string text = slurp(first);
  EXPECT_EQ(slurp(second), text);
  EXPECT_EQ(text.rfind("% zelmor-lab: 5 points", 0), 0u);
  // Only the saves and the exchange file: no temporary left behind.
  const std::vector<std::string> names = names_in(".");
  EXPECT_EQ(names.size(), 4u);
}

TEST_F(LabFiles, SavingToFileReplacesItWhole) {
  put("class.txt", "0 0\n");
  random_points(8, 5);
  ASSERT_EQ(lab_save_to("class.txt"), 1);
  EXPECT_STREQ(lab_status_text(), "saved 8 points to class.txt");
  EXPECT_EQ(slurp("class.txt"), lab_points_text(lab_current_points()));
  ASSERT_EQ(symlink("class.txt", "link.txt"), 0);
  random_points(9, 6);
  ASSERT_EQ(lab_save_to("link.txt"), 1);
  struct stat st;
  ASSERT_EQ(lstat("link.txt", &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));  // the link stays, the file it names is replaced
  EXPECT_EQ(slurp("class.txt"), lab_points_text(lab_current_points()));
}

TEST_F(LabFiles, WeightsAreSavedAsAThirdColumnThatTheHeaderNamesAndLoadBack) {
  random_points(5, 8);
  std::vector<lab_point> pts = lab_current_points();
  pts[2].w = 0.5;
  pts[4].w = 9.0;
  lab_replace_points(pts, "weights");
  std::string name;
  ASSERT_EQ(lab_save_new(&name), 1);
  EXPECT_EQ(std::string(lab_status_text()), "saved 5 points to " + name + " (with their weights)");
  const std::string text = slurp(name);
  EXPECT_NE(text.find(std::string("\n") + WEIGHTS_HEADER + "\n"), std::string::npos) << text;
  lab_set_points({});
  ASSERT_EQ(lab_load_file(name.c_str(), "load"), 1) << lab_status_text();
  const std::vector<lab_point> after = lab_current_points();
  ASSERT_EQ(after.size(), pts.size());
  for (std::size_t i = 0; i < after.size(); ++i) {
    EXPECT_EQ(after[i].x, pts[i].x);
    EXPECT_EQ(after[i].y, pts[i].y);
    EXPECT_EQ(after[i].w, pts[i].w);
  }
  // The batch tool reads the same file with its weights.
  std::vector<text_point> read;
  std::string error;
  bool weighted = false;
  ASSERT_TRUE(read_point_file(name.c_str(), &read, &error, point_columns::heights, &weighted)) << error;
  EXPECT_TRUE(weighted);
  EXPECT_EQ(read[4].w, 9.0);
  // Without weights the file stays two columns, with no header.
  lab_replace_points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, "plain");
  EXPECT_EQ(lab_points_text(lab_current_points()).find(WEIGHTS_HEADER), std::string::npos);
}

TEST_F(LabFiles, AWeightOutsideTheLabsRangeIsRefusedWithNothingChanged) {
  random_points(6, 9);
  const std::vector<lab_point> before = lab_current_points();
  for (const char* w : {"-0.5", "9.5"}) {
    put("w.txt", std::string(WEIGHTS_HEADER) + "\n0 0 1\n1 1 " + w + "\n");
    EXPECT_EQ(lab_load_file("w.txt", "load"), 0);
    EXPECT_EQ(std::string(lab_status_text()).rfind("w.txt: point 1 has weight " + std::string(w[0] == '-' ? "-0.5" : "9.5"), 0), 0u)
        << lab_status_text();
    EXPECT_EQ(lab_current_points().size(), before.size());
  }
}

using LabFilesDeathTest = LabFiles;

// The failing saves run in a child process: as a user who may not write the
// directory (root may write anywhere, so a root run drops to nobody), or
// with a file size limit that makes every write past a few bytes fail as a
// full disk does.  The child checks and exits 0 when all held.
#define CHILD_CHECK(cond)                                                   \
  do {                                                                      \
    if (!(cond)) {                                                          \
      std::fprintf(stderr, "failed: %s (status: %s)\n", #cond, lab_status_text()); \
      std::_Exit(1);                                                        \
    }                                                                       \
  } while (0)

void become_nobody() {
  if (geteuid() != 0) return;
  CHILD_CHECK(setgroups(0, nullptr) == 0);
  CHILD_CHECK(setgid(65534) == 0);
  CHILD_CHECK(setuid(65534) == 0);
}

void check_failing_saves(const char* reason) {
  std::string name;
  CHILD_CHECK(lab_save_new(&name) == 0);
  const std::string status = lab_status_text();
  CHILD_CHECK(status.rfind("cannot save zelmor-", 0) == 0);
  CHILD_CHECK(status.find(reason) != std::string::npos);
  CHILD_CHECK(status.find("nothing saved") != std::string::npos);
  CHILD_CHECK(lab_save_to("kept.txt") == 0);
  CHILD_CHECK(std::string(lab_status_text()) ==
              std::string("cannot save kept.txt: ") + reason + "; kept.txt is as it was");
  CHILD_CHECK(slurp("kept.txt") == "1 1\n");
  CHILD_CHECK(point_count == 6);  // the points are all still there
  std::_Exit(0);
}

void save_as_nobody() {
  become_nobody();
  check_failing_saves("Permission denied");
}

void save_onto_a_full_disk() {
  std::signal(SIGXFSZ, SIG_IGN);
  const rlimit small = {40, 40};  // the comment line fits, the points do not
  CHILD_CHECK(setrlimit(RLIMIT_FSIZE, &small) == 0);
  check_failing_saves("File too large");
}

TEST_F(LabFilesDeathTest, ASaveIntoAReadOnlyDirectoryReportsTheFailureAndKeepsEverything) {
  random_points(6, 9);
  ASSERT_EQ(mkdir("ro", 0755), 0);
  put("ro/kept.txt", "1 1\n");
  ASSERT_EQ(chmod("ro/kept.txt", 0644), 0);
  ASSERT_EQ(chmod("ro", 0555), 0);
  ASSERT_EQ(chmod(dir_->path().c_str(), 0755), 0);
  ASSERT_EQ(chdir("ro"), 0);
  EXPECT_EXIT(save_as_nobody(), testing::ExitedWithCode(0), "");
  ASSERT_EQ(chdir(".."), 0);
  EXPECT_EQ(names_in("ro"), std::vector<std::string>{"kept.txt"});
  chmod("ro", 0755);
}

TEST_F(LabFilesDeathTest, ASaveOntoAFullDiskReportsTheFailureAndLeavesNoHalfFile) {
  random_points(6, 10);
  std::string earlier;
  ASSERT_EQ(lab_save_new(&earlier), 1);
  const std::string earlier_text = slurp(earlier);
  put("kept.txt", "1 1\n");
  EXPECT_EXIT(save_onto_a_full_disk(), testing::ExitedWithCode(0), "");
  EXPECT_EQ(slurp(earlier), earlier_text);
  EXPECT_EQ(names_in("."), (std::vector<std::string>{".ZELMOR", "kept.txt", earlier}));
}

}  // namespace
