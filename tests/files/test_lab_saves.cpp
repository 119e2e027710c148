// The lab's saves and loads without a display: S refuses what is not a
// regular file and says so where the user looks, writes through a dangling
// link, copes with a name of NAME_MAX characters; a load stops after a
// bounded number of lines and bytes; a bad line with a NUL shows all of it;
// saves hold the shortest decimals that read back as the very same doubles,
// and files of earlier versions (17 digits) still load exactly.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/point_text.h"
#include "lab/edit.h"
#include "lab/lab.h"
#include "tests/files/files_test_util.h"
#include "tests/support/plane_pixels.h"

namespace {

using files_test::kind_of;
using files_test::names_in;
using files_test::slurp;
using files_test::spit;

class LabSaves : public files_test::in_fresh_dir {
 protected:
  void SetUp() override {
    in_fresh_dir::SetUp();
    for (double& w : lab_point_weight) w = 0.0;
    selected_count = 0;
    point_count = 0;
    write_point_file();
    lab_history_reset();
    lab_replace_points({{-1.5, -1.5, 0}, {1.5, -1.5, 0}, {2.1, 1.5, 0}, {-1.5, 1.5, 0}, {0.25, 0.5, 0}}, "five");
  }
  // The status line and standard error after one call.
  static std::string said(const std::function<int()>& call, int* result) {
    testing::internal::CaptureStderr();
    *result = call();
    return testing::internal::GetCapturedStderr();
  }
};

using files_test::make_socket;

// ---------------------------------------------------------------------------
// S

struct Obstacle {
  const char* what;
  std::function<bool()> make;  // makes "FILE"; false: not here (a device needs root)
  const char* reason;
};

const Obstacle kObstacles[] = {
    {"a FIFO", [] { return mkfifo("FILE", 0644) == 0; }, "not a regular file"},
    {"a link to a FIFO", [] { return mkfifo("fifo", 0644) == 0 && symlink("fifo", "FILE") == 0; }, "not a regular file"},
    {"a private character device node", [] { return mknod("FILE", S_IFCHR | 0666, makedev(1, 3)) == 0; },
     "not a regular file"},
    {"a socket", [] { return make_socket("FILE"); }, "not a regular file"},
    {"a directory", [] { return mkdir("FILE", 0755) == 0; }, "Is a directory"},
};

TEST_F(LabSaves, SavingToWhatIsNoRegularFileIsRefusedInTheStatusLineAndChangesNothing) {
  for (const Obstacle& c : kObstacles) {
    SCOPED_TRACE(c.what);
    if (!c.make()) {
      std::printf("[ SKIPPED  ] %s: cannot be made here\n", c.what);
      continue;
    }
    const mode_t kind = kind_of("FILE");
    const std::set<std::string> before = names_in(".");
    int result = -1;
    const std::string err = said([] { return lab_save_to("FILE"); }, &result);
    EXPECT_EQ(0, result);
    const std::string message = std::string("cannot save FILE: ") + c.reason + "; FILE is as it was";
    EXPECT_EQ(message, lab_status_text());
    EXPECT_EQ("zelmor-lab: " + message + "\n", err);
    EXPECT_EQ(kind, kind_of("FILE"));
    EXPECT_EQ(before, names_in("."));
    EXPECT_EQ(5, point_count);
    ASSERT_EQ(0, std::system("rm -rf FILE fifo"));
  }
}

TEST_F(LabSaves, SavingToADanglingLinkMakesTheFileItNamesAndKeepsTheLink) {
  ASSERT_EQ(0, mkdir("lessons", 0755));
  ASSERT_EQ(0, symlink("lessons/monday.txt", "FILE"));
  int result = -1;
  said([] { return lab_save_to("FILE"); }, &result);
  EXPECT_EQ(1, result);
  EXPECT_STREQ("saved 5 points to FILE", lab_status_text());
  EXPECT_EQ(static_cast<mode_t>(S_IFLNK), kind_of("FILE"));
  EXPECT_EQ(lab_points_text(lab_current_points()), slurp("lessons/monday.txt"));
  EXPECT_EQ(std::set<std::string>{"monday.txt"}, names_in("lessons"));
  lab_set_points({});
  said([] { return lab_load_file("FILE", "load"); }, &result);
  EXPECT_EQ(1, result);
  EXPECT_EQ(5, point_count);
}

TEST_F(LabSaves, AFileNameOfNameMaxCharactersIsSavedAndReplaced) {
  const std::string name = std::string(NAME_MAX - 4, 'L') + ".txt";
  for (int i = 0; i < 2; ++i) {
    int result = -1;
    const std::string err = said([&] { return lab_save_to(name.c_str()); }, &result);
    EXPECT_EQ(1, result) << err;
    EXPECT_EQ(lab_points_text(lab_current_points()), slurp(name));
    EXPECT_EQ((std::set<std::string>{".ZELMOR", name}), names_in("."));
  }
}

// ---------------------------------------------------------------------------
// Loads bounded in lines and bytes

std::string five_points() { return "% five\n-1 -1\n1 -1\n1 1\n-1 1\n0 0\n"; }

struct Bound {
  const char* what;
  std::function<void()> make;  // makes "big.txt"
  const char* message;         // after "big.txt"; null: loads
};

const Bound kBounds[] = {
    {"five points and 20000 blank lines", [] { spit("big.txt", five_points() + std::string(20000, '\n')); },
     " line 10001: more than 10000 lines; nothing loaded"},
    {"five points and blank lines up to the bound",
     [] { spit("big.txt", five_points() + std::string(10000 - 6, '\n')); }, nullptr},
    {"comment lines over a mebibyte",
     [] {
       std::string s = five_points();
       for (int i = 0; i < 20; ++i) s += "%" + std::string(60000, '-') + "\n";
       spit("big.txt", s);
     },
     " line 24: more than 1048576 bytes; nothing loaded"},
    {"a file of exactly a mebibyte",
     [] {
       std::string s = five_points();
       while (s.size() < (1u << 20)) {
         const std::size_t room = (1u << 20) - s.size();
         s += "%" + std::string(std::min<std::size_t>(room, 60000) - 2, '-') + "\n";
       }
       spit("big.txt", s);
     },
     nullptr},
    {"five points and a sparse hole of 2 GiB",
     [] {
       spit("big.txt", five_points());
       if (truncate("big.txt", 2LL << 30) != 0) std::perror("truncate");
     },
     " line 7: longer than 65536 characters; nothing loaded"},
};

TEST_F(LabSaves, ALoadStopsAfterABoundedNumberOfLinesAndBytesAndSaysWhy) {
  for (const Bound& b : kBounds) {
    SCOPED_TRACE(b.what);
    lab_replace_points({{0.5, 0.5, 0}}, "one");
    b.make();
    int result = -1;
    const std::string err = said([] { return lab_load_file("big.txt", "load"); }, &result);
    if (b.message == nullptr) {
      EXPECT_EQ(1, result) << lab_status_text();
      EXPECT_EQ(5, point_count);
    } else {
      EXPECT_EQ(0, result);
      EXPECT_EQ(std::string("big.txt") + b.message, lab_status_text());
      EXPECT_EQ(std::string("zelmor-lab: big.txt") + b.message + "\n", err);
      EXPECT_EQ(1, point_count);
    }
    unlink("big.txt");
  }
}

// A stream that never ends: blank lines, or comment text, for ever.
struct endless {
  const char* unit;
  static ssize_t read(void* cookie, char* buf, size_t size) {
    const char* unit = static_cast<endless*>(cookie)->unit;
    const std::size_t n = std::strlen(unit);
    std::size_t i = 0;
    for (; i + n <= size; i += n) std::memcpy(buf + i, unit, n);
    return static_cast<ssize_t>(i);
  }
};

TEST(PointReaderBounds, AnEndlessStreamEndsInABoundedRead) {
  struct Case {
    endless source;
    const char* error;
  };
  std::string long_comment = "%" + std::string(999, '=') + "\n";
  const Case cases[] = {
      {{"\n"}, "stream line 10001: more than 10000 lines"},
      {{"% comment lines and blank ones count\n \t \n"}, "stream line 10001: more than 10000 lines"},
      {{long_comment.c_str()}, "stream line 1048: more than 1048576 bytes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source.unit);
    endless source = c.source;
    FILE* in = fopencookie(&source, "r", cookie_io_functions_t{endless::read, nullptr, nullptr, nullptr});
    ASSERT_NE(nullptr, in);
    std::vector<text_point> pts;
    std::string error;
    read_bounds bounds;
    bounds.max_lines = 10000;
    bounds.max_bytes = 1 << 20;
    EXPECT_FALSE(read_point_stream(in, "stream", &pts, &error, point_columns::heights, nullptr, bounds));
    EXPECT_EQ(c.error, error);
    std::fclose(in);
  }
}

// ---------------------------------------------------------------------------
// Messages that echo a line

TEST_F(LabSaves, ALineWithANulOrAControlByteIsShownWhole) {
  const struct {
    std::string line;
    std::string shown;
  } cases[] = {
      {std::string("1 \0x 2", 6), "1 \\x00x 2"},
      {"1 \x1b[2J 2", "1 \\x1b[2J 2"},
      {"1\tzero", "1\tzero"},  // a tab separates numbers: shown as it is
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shown);
    spit("bad.txt", "0 0\n" + c.line + "\n");
    int result = -1;
    const std::string err = said([] { return lab_load_file("bad.txt", "load"); }, &result);
    EXPECT_EQ(0, result);
    const std::string message = "bad.txt line 2: expected \"x y\" or \"x y z\", got \"" + c.shown + "\"; nothing loaded";
    EXPECT_EQ(message, lab_status_text());
    EXPECT_EQ("zelmor-lab: " + message + "\n", err);
  }
}

// ---------------------------------------------------------------------------
// Shortest exact decimals

// The fewest significant digits with which printf's %g gives back exactly
// v: an oracle independent of the saver's own formatting.
int fewest_digits(double v) {
  char buf[64];
  for (int p = 1; p <= 17; ++p) {
    std::snprintf(buf, sizeof buf, "%.*g", p, v);
    if (std::strtod(buf, nullptr) == v) return p;
  }
  return 17;
}

int significant_digits(const std::string& token) {
  std::string mantissa = token.substr(0, token.find_first_of("eE"));
  std::string digits;
  for (const char ch : mantissa)
    if (ch >= '0' && ch <= '9') digits += ch;
  const std::size_t first = digits.find_first_not_of('0');
  if (first == std::string::npos) return 1;
  digits = digits.substr(first);
  if (mantissa.find('.') == std::string::npos || mantissa.find('.') > mantissa.size()) {
    // A whole number: trailing zeros are magnitude, not digits.
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  }
  return static_cast<int>(digits.size());
}

std::vector<std::string> data_lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line))
    if (!line.empty() && line[0] != '%') out.push_back(line);
  return out;
}

TEST_F(LabSaves, SavesHoldTheShortestTextThatReadsBackAsTheSameDouble) {
  const struct {
    lab_point p;
    const char* line;
  } cases[] = {
      {{2.1, -0.5, 0.0}, "2.1 -0.5 0"},
      {{0.1 + 0.2, 3.0, 0.3}, "0.30000000000000004 3 0.3"},
      {{1.0 / 3.0, -2.0 / 3.0, 0.1 * 3}, "0.3333333333333333 -0.6666666666666666 0.30000000000000004"},
      {{1e-7, -0.0, 9.0}, "1e-07 -0 9"},
  };
  std::vector<lab_point> pts;
  for (const auto& c : cases) pts.push_back(c.p);
  const std::vector<std::string> lines = data_lines(lab_points_text(pts));
  ASSERT_EQ(pts.size(), lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(cases[i].line, lines[i]);
}

TEST_F(LabSaves, RandomPointsAndWeightsSaveShortestAndLoadBackExactly) {
  std::mt19937_64 rng(20261210);
  std::uniform_real_distribution<double> u(-3.0, 3.0);
  std::uniform_int_distribution<int> tenths(0, 80);
  for (int round = 0; round < 20; ++round) {
    std::vector<lab_point> pts;
    for (int i = 0; i < 200; ++i) {
      // Weights as the keys make them: sums of tenths, which are seldom the
      // double nearest the decimal.
      double w = 0.0;
      for (int k = tenths(rng); k > 0; --k) w += 0.1;
      // Coordinates as a click makes them, and arbitrary doubles.
      const double x = i % 2 == 0 ? plane_of_pixel(tenths(rng) * 6) : u(rng);
      pts.push_back({x, u(rng), round % 2 == 0 ? w : 0.0});
    }
    lab_replace_points(pts, "random");
    std::string name;
    int result = -1;
    said([&] { return lab_save_new(&name); }, &result);
    ASSERT_EQ(1, result) << lab_status_text();
    const std::vector<std::string> lines = data_lines(slurp(name));
    ASSERT_EQ(pts.size(), lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
      std::istringstream in(lines[i]);
      std::string tok;
      const double want[3] = {pts[i].x, pts[i].y, pts[i].w};
      for (int k = 0; in >> tok; ++k) {
        ASSERT_LT(k, 3);
        EXPECT_EQ(fewest_digits(want[k]), significant_digits(tok)) << tok;
        EXPECT_EQ(want[k], std::strtod(tok.c_str(), nullptr)) << tok;
      }
    }
    lab_set_points({});
    said([&] { return lab_load_file(name.c_str(), "load"); }, &result);
    ASSERT_EQ(1, result) << lab_status_text();
    const std::vector<lab_point> back = lab_current_points();
    ASSERT_EQ(pts.size(), back.size());
    for (std::size_t i = 0; i < back.size(); ++i) {
      EXPECT_EQ(pts[i].x, back[i].x);
      EXPECT_EQ(pts[i].y, back[i].y);
      EXPECT_EQ(pts[i].w, back[i].w);
    }
    unlink(name.c_str());
  }
}

TEST_F(LabSaves, AFileOfAnEarlierVersionWithSeventeenDigitsLoadsExactly) {
  const double xs[] = {2.1, -0.1 - 0.2, plane_of_pixel(411), 1e-7};
  const double w = 0.1 + 0.1 + 0.1;
  std::string text = "% zelmor-lab: 4 points, one \"x y w\" a line, the third number the point's weight\n" +
                     std::string(WEIGHTS_HEADER) + "\n";
  char line[128];
  for (const double x : xs) {
    std::snprintf(line, sizeof line, "%.17g %.17g %.17g\n", x, -x, w);
    text += line;
  }
  EXPECT_NE(std::string::npos, text.find("2.1000000000000001 -2.1000000000000001 0.30000000000000004"));
  spit("old.txt", text);
  int result = -1;
  said([] { return lab_load_file("old.txt", "load"); }, &result);
  ASSERT_EQ(1, result) << lab_status_text();
  const std::vector<lab_point> back = lab_current_points();
  ASSERT_EQ(4u, back.size());
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(xs[i], back[i].x);
    EXPECT_EQ(-xs[i], back[i].y);
    EXPECT_EQ(w, back[i].w);
  }
  // Saved again, the same points in the short form.
  const std::vector<std::string> lines = data_lines(lab_points_text(back));
  EXPECT_EQ("2.1 -2.1 0.30000000000000004", lines[0]);
}

}  // namespace
