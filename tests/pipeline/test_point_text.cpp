// The shared point-file reader: what it accepts, and that a bad file comes
// back as a message (the lab shows it and goes on) instead of ending the
// process.
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/point_text.h"

namespace {

struct ReadCase {
  const char* what;
  std::string text;
  bool ok;
  std::vector<text_point> points;  // when ok
  const char* error;               // when not ok
  point_columns columns = point_columns::heights;
  bool weighted = false;           // weights read (asked for or the header)
};

std::string many_lines(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += std::to_string(i % 7) + " 1\n";
  return s;
}

const ReadCase kRead[] = {
    {"two and three numbers, comments, blanks, CRLF",
     "% a comment\n\n1 2\r\n  -0.5\t0.25 9.75\n%1 2\n   \n3e-1 -3", true,
     {{1, 2}, {-0.5, 0.25}, {0.3, -3}}, ""},
    {"empty file", "", true, {}, ""},
    {"one number", "1 2\n7\n", false, {}, "pts line 2: expected \"x y\" or \"x y z\", got \"7\""},
    {"four numbers", "1 2 3 4\n", false, {}, "pts line 1: expected \"x y\" or \"x y z\", got \"1 2 3 4\""},
    {"a word", "1 two\n", false, {}, "pts line 1: expected \"x y\" or \"x y z\", got \"1 two\""},
    {"not finite", "nan 1\n", false, {}, "pts line 1: expected \"x y\" or \"x y z\", got \"nan 1\""},
    {"far away", "1 20000\n", false, {}, "pts line 1: coordinate beyond +-10000 in \"1 20000\""},
    {"201 points", many_lines(201), false, {}, "pts line 201: more than 200 points"},
    {"200 points", many_lines(200), true, {}, ""},
    {"the weights header", "% columns: x y weight  \n1 2 0.5\n-1 0 0\n", true, {{1, 2, 0.5}, {-1, 0, 0}}, "",
     point_columns::heights, true},
    {"the header after a point is a comment", "1 2\n% columns: x y weight\n3 4 5\n", true, {{1, 2}, {3, 4}}, "",
     point_columns::heights, false},
    {"a header with more words is a comment", "% columns: x y weight or not\n3 4 5\n", true, {{3, 4}}, ""},
    {"weights asked for", "1 2 3\n%x\n-1 -2 0.25\n", true, {{1, 2, 3}, {-1, -2, 0.25}}, "", point_columns::weights,
     true},
    {"weights asked for, two numbers", "1 2\n", false, {}, "pts line 1: expected \"x y w\", got \"1 2\"",
     point_columns::weights},
    {"header, four numbers", "% columns: x y weight\n1 2 3 4\n", false, {},
     "pts line 2: expected \"x y w\", got \"1 2 3 4\""},
    {"weight beyond the limit", "1 2 -2e8\n", false, {}, "pts line 1: weight beyond +-100000000 in \"1 2 -2e8\"",
     point_columns::weights},
};

TEST(ReadPointStream, AcceptsThePointFormatAndReportsBadLinesWithoutEnding) {
  for (const ReadCase& c : kRead) {
    SCOPED_TRACE(c.what);
    FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    std::fwrite(c.text.data(), 1, c.text.size(), f);
    std::rewind(f);
    std::vector<text_point> pts;
    std::string error;
    bool weighted = !c.weighted;
    const bool ok = read_point_stream(f, "pts", &pts, &error, c.columns, &weighted);
    std::fclose(f);
    ASSERT_EQ(ok, c.ok) << error;
    if (!ok) {
      EXPECT_EQ(error, c.error);
      continue;
    }
    if (c.text.size() > 500) {  // the 200-point case: only the count matters
      EXPECT_EQ(pts.size(), 200u);
      continue;
    }
    EXPECT_EQ(weighted, c.weighted);
    ASSERT_EQ(pts.size(), c.points.size());
    for (std::size_t i = 0; i < pts.size(); ++i) {
      EXPECT_EQ(pts[i].x, c.points[i].x);
      EXPECT_EQ(pts[i].y, c.points[i].y);
      EXPECT_EQ(pts[i].w, c.points[i].w);
    }
  }
}

TEST(ReadPointFile, NamesTheFileThatCannotBeOpenedOrRead) {
  std::vector<text_point> pts;
  std::string error;
  EXPECT_FALSE(read_point_file("/nonexistent-dir/pts.txt", &pts, &error));
  EXPECT_EQ(error, "cannot open /nonexistent-dir/pts.txt: No such file or directory");
  EXPECT_FALSE(read_point_file("/", &pts, &error));
  EXPECT_EQ(error, "cannot read /: Is a directory");
}

}  // namespace
