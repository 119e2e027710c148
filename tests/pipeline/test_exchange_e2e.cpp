// The real zelmor program in folders where ".ZELMOR" cannot be saved as it
// should: a folder that a non-root user cannot write, a FIFO in the file's
// place with the console's reader gone, a link to someone's notes.  Points
// are clicked with real pointer events; the program must go on, draw the
// Delaunay edges of its own points (checked against the exact oracle), show
// a failure in the "2D Points" title and leave what stood there alone.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <string>
#include <vector>

#include "tests/support/delaunay_oracle.h"
#include "tests/support/launch.h"
#include "tests/support/plane_pixels.h"
#include "tests/support/screen_colours.h"
#include "tests/support/xdrive.h"

namespace {

const double kPoints[7][2] = {{-1.0, -1.0}, {1.5, -0.5}, {0.3, 1.2}, {-2.0, 0.8},
                              {2.2, 2.0},   {0.1, -2.3}, {-0.6, 2.4}};

struct FolderCase {
  const char* what;
  const char* shell;  // prepares the folder, then starts the program ("$0")
  const char* title;  // of "2D Points" once the points are in
  const char* left_alone;  // a file that must keep its content ("" for none)
};

const FolderCase kFolders[] = {
    {"a folder a non-root user cannot write",
     "chmod 0555 . && if [ \"$(id -u)\" = 0 ]; then"
     " exec setpriv --reuid=65534 --regid=65534 --clear-groups \"$0\"; else exec \"$0\"; fi",
     "2D Points - .ZELMOR not saved: Permission denied", ""},
    {"a FIFO in the file's place, the console's reader gone",
     // The reader of standard output ends before the program starts.
     "mkfifo .ZELMOR && exec > >(exec true); reader=$!; wait $reader 2>/dev/null;"
     " for i in $(seq 100); do kill -0 $reader 2>/dev/null || break; sleep 0.05; done; exec \"$0\"",
     "2D Points - .ZELMOR not saved: not a regular file", ""},
    {"a link to a teacher's notes", "printf 'notes\\n' > notes.txt && ln -s notes.txt .ZELMOR && exec \"$0\"",
     "2D Points", "notes.txt"},
};

void PrintTo(const FolderCase& c, std::ostream* os) { *os << c.what; }

class ExchangeE2E : public ::testing::TestWithParam<FolderCase> {};

TEST_P(ExchangeE2E, TheProgramGoesOnWithItsOwnPointsAndShowsAFailedSave) {
  const FolderCase& c = GetParam();
  xdrive x;
  program_windows w;
  ASSERT_TRUE(start_program(x, "/bin/bash", {"-c", c.shell, ZELMOR_BINARY}, &w));
  const xd_window &top = w.top, &view = w.view;

  std::vector<delaunay_oracle::ipoint> ip;
  for (const auto& p : kPoints) {
    x.click(view.x + pixel_of_plane_toward_zero(p[0]), view.y + mouse_row_of_plane_toward_zero(p[1]), 3);
    ip.push_back({hundredths(plane_of_pixel(pixel_of_plane_toward_zero(p[0]))),
                  hundredths(plane_of_mouse_row(mouse_row_of_plane_toward_zero(p[1])))});
    xdrive::sleep_ms(60);
  }
  EXPECT_TRUE(xdrive::wait_until([&] { return x.top_window(c.title).id == top.id; }, 10000))
      << "the title never became \"" << c.title << "\"";

  // Every edge that is in every Delaunay triangulation of the points is drawn.
  const delaunay_oracle::oracle o(ip);
  std::string missing;
  xdrive::wait_until(
      [&] {
        const xd_image img = x.grab(view);
        missing.clear();
        for (auto [i, j] : o.strong_edges()) {
          const int cx = pixel_of_plane_toward_zero((ip[i].x + ip[j].x) / 200.0),
                    cy = mouse_row_of_plane_toward_zero((ip[i].y + ip[j].y) / 200.0);
          if (img.count_if(delaunay_blue, cx - 2, cy - 2, cx + 2, cy + 2) == 0)
            missing += " " + std::to_string(i) + "-" + std::to_string(j);
        }
        return missing.empty();
      },
      10000);
  EXPECT_EQ("", missing) << "Delaunay edges not drawn";
  EXPECT_TRUE(x.running()) << "the program ended: " << x.program_stderr();

  if (*c.left_alone != '\0') {
    std::string kept, file;
    EXPECT_TRUE(x.read_file(c.left_alone, &kept));
    EXPECT_EQ("notes\n", kept);
    struct stat st;
    ASSERT_EQ(0, lstat((x.workdir() + "/.ZELMOR").c_str(), &st));
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_TRUE(x.read_file(".ZELMOR", &file));
    EXPECT_EQ(7u, xd_line_count(file));
  }
  x.terminate();
  chmod(x.workdir().c_str(), 0755);  // so that the driver can remove it
}

INSTANTIATE_TEST_SUITE_P(Folders, ExchangeE2E, ::testing::ValuesIn(kFolders),
                         [](const ::testing::TestParamInfo<FolderCase>& i) {
                           return std::to_string(i.index);
                         });

}  // namespace
