// The Open list without a display: the point files of a folder, newest
// first, with the counts the lab's own reader finds; what is no points file
// is listed with why; the choice moves within the list and the rows shown.
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lab/open_list.h"
#include "tests/files/files_test_util.h"

namespace {

class OpenList : public files_test::in_fresh_dir {
 protected:
  // A file changed at the given second since the epoch.
  static void file_at(const std::string& name, const std::string& text, long when) {
    files_test::spit(name, text);
    const struct timeval t[2] = {{when, 0}, {when, 0}};
    ASSERT_EQ(utimes(name.c_str(), t), 0);
  }
};

TEST_F(OpenList, NewestFirstWithCounts) {
  file_at("monday.txt", "% zelmor-lab: 3 points\n0 0\n1 1\n-1 1\n", 1000);
  file_at("tuesday.txt", "% columns: x y weight\n0 0 1\n1 0 0.5\n", 3000);
  file_at("empty.txt", "", 2000);
  file_at("bad.txt", "1 2\nthree four\n", 2500);
  file_at("a-tie.txt", "0 0\n", 1000);
  file_at("notes.md", "0 0\n", 4000);       // not a .txt
  file_at(".hidden.txt", "0 0\n", 4000);   // hidden
  ASSERT_EQ(mkdir("folder.txt", 0755), 0);  // not a file
  ASSERT_EQ(symlink("monday.txt", "link.txt"), 0);  // a link to a file counts as that file
  ASSERT_EQ(symlink("gone", "dangling.txt"), 0);
  std::string error;
  const std::vector<open_entry> list = list_point_files(".", &error);
  EXPECT_EQ(error, "");
  std::vector<std::string> names;
  for (const open_entry& e : list) names.push_back(e.name + ":" + std::to_string(e.points));
  EXPECT_EQ(names, (std::vector<std::string>{"tuesday.txt:2", "bad.txt:-1", "empty.txt:0",
                                             "a-tie.txt:1", "link.txt:3", "monday.txt:3"}));
  EXPECT_EQ(list[1].trouble, "not a points file");
  EXPECT_NE(open_entry_line(list[0]).find("tuesday.txt  2 points  "), std::string::npos);
  EXPECT_NE(open_entry_line(list[3]).find("a-tie.txt  1 point  "), std::string::npos);
  EXPECT_NE(open_entry_line(list[1]).find("bad.txt  not a points file"), std::string::npos);
}

TEST_F(OpenList, AtMostTheNewestHundred) {
  for (int i = 0; i < OPEN_LIST_MAX + 5; ++i) file_at("f" + std::to_string(i) + ".txt", "0 0\n", 1000 + i);
  std::string error;
  const std::vector<open_entry> list = list_point_files(".", &error);
  ASSERT_EQ(list.size(), static_cast<std::size_t>(OPEN_LIST_MAX));
  EXPECT_EQ(list.front().name, "f104.txt");
  EXPECT_EQ(list.back().name, "f5.txt");
}

TEST_F(OpenList, AFolderThatCannotBeReadSaysWhy) {
  std::string error;
  EXPECT_TRUE(list_point_files("no-such-folder", &error).empty());
  EXPECT_EQ(error, "cannot read the folder no-such-folder: No such file or directory");
}

struct Move {
  const char* what;
  int current, top, delta;
  int want_current, want_top;
};
// 10 entries, 4 rows shown.
const Move kMoves[] = {
    {"first show picks the newest", -1, 0, 0, 0, 0},
    {"up at the top stays", 0, 0, -1, 0, 0},
    {"down within the rows", 1, 0, 1, 2, 0},
    {"down past the last row scrolls", 3, 0, 1, 4, 1},
    {"up past the first row scrolls", 4, 4, -1, 3, 3},
    {"a page down", 0, 0, 4, 4, 1},
    {"end", 2, 0, 10, 9, 6},
    {"past the end stays on the last", 9, 6, 1, 9, 6},
    {"home", 9, 6, -10, 0, 0},
};

TEST(OpenChoice, MovesWithinTheListAndTheRows) {
  for (const Move& m : kMoves) {
    SCOPED_TRACE(m.what);
    open_choice c;
    c.current = m.current;
    c.top = m.top;
    open_choice_move(&c, 10, m.delta, 4);
    EXPECT_EQ(c.current, m.want_current);
    EXPECT_EQ(c.top, m.want_top);
  }
}

TEST(OpenChoice, RowsAndAnEmptyList) {
  open_choice c;
  c.top = 6;
  EXPECT_EQ(open_choice_at_row(c, 10, 4, 0), 6);
  EXPECT_EQ(open_choice_at_row(c, 10, 4, 3), 9);
  EXPECT_EQ(open_choice_at_row(c, 10, 4, 4), -1);
  EXPECT_EQ(open_choice_at_row(c, 8, 4, 2), -1);  // past the last entry
  EXPECT_EQ(open_choice_at_row(c, 10, 4, -1), -1);
  open_choice e;
  open_choice_move(&e, 0, 1, 4);
  EXPECT_EQ(e.current, -1);
}

}  // namespace
