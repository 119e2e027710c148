// zelmor-delaunay end to end, run as its own process in a fresh directory.
#include <gtest/gtest.h>
#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/pipeline/pipeline_test_util.h"
#include "tests/pipeline/tool_run.h"
#include "tests/support/delaunay_oracle.h"
#include "tests/support/tool_output.h"

namespace {

using pipeline_test::run_result;
using pipeline_test::run_tool;
using pipeline_test::slurp;
using pipeline_test::spit;

std::set<std::string> files_here() {
  std::set<std::string> names;
  DIR* d = opendir(".");
  while (dirent* e = readdir(d)) {
    const std::string n = e->d_name;
    if (n != "." && n != "..") names.insert(n);
  }
  closedir(d);
  return names;
}

class DelaunayTool : public pipeline_test::in_temp_dir {};

TEST_F(DelaunayTool, PrintsTrianglesEdgesAndVoronoiEdges) {
  const run_result r = run_tool("", "-1 -1\n1 -1\n1 1\n-1 1\n0 0\n");
  EXPECT_EQ(0, r.status);
  EXPECT_EQ("", r.err);
  EXPECT_EQ(
      "points 5\n"
      "triangle 0 1 4\n"
      "triangle 0 3 4\n"
      "triangle 1 2 4\n"
      "triangle 2 3 4\n"
      "edge 0 1\n"
      "edge 0 3\n"
      "edge 0 4\n"
      "edge 1 2\n"
      "edge 1 4\n"
      "edge 2 3\n"
      "edge 2 4\n"
      "edge 3 4\n"
      "voronoi 0 -1 0 -3\n"
      "voronoi -1 0 -3 0\n"
      "voronoi -1 0 0 -1\n"
      "voronoi 1 0 3 0\n"
      "voronoi 0 -1 1 0\n"
      "voronoi 0 1 0 3\n"
      "voronoi 0 1 1 0\n"
      "voronoi -1 0 0 1\n",
      r.out);
  EXPECT_EQ((std::set<std::string>{}), files_here()) << "no point-exchange file or any other";
}

TEST_F(DelaunayTool, ReadsFilesWithHeightsCommentsAndBlankLinesAndSkipsNothingElse) {
  spit("pts.txt", "% corners\n\n-1 -1 3.0\n1 -1 3\n   \n1 1 3\n-1 1 3\n% centre\n0 0 1\n");
  const run_result r = run_tool("pts.txt");
  EXPECT_EQ(0, r.status);
  EXPECT_EQ(run_tool("", "-1 -1\n1 -1\n1 1\n-1 1\n0 0\n").out, r.out);
}

// The same segment, either way round.
bool same_segment(const std::array<double, 4>& w, const std::array<double, 4>& g) {
  const bool same = pipeline_test::close(w[0], g[0]) && pipeline_test::close(w[1], g[1]) &&
                    pipeline_test::close(w[2], g[2]) && pipeline_test::close(w[3], g[3]);
  const bool swapped = pipeline_test::close(w[0], g[2]) && pipeline_test::close(w[1], g[3]) &&
                       pipeline_test::close(w[2], g[0]) && pipeline_test::close(w[3], g[1]);
  return same || swapped;
}

TEST_F(DelaunayTool, AgreesWithTheOracleOnRandomAndDegenerateSets) {
  std::mt19937_64 rng(3);
  std::uniform_real_distribution<double> u(-3.1, 3.1);
  std::uniform_int_distribution<int> grid(-20, 20);
  for (int round = 0; round < 6; ++round) {
    SCOPED_TRACE(round);
    std::vector<pipeline_test::pt> pts;
    const int n = round < 3 ? 200 : 60;
    for (int i = 0; i < n; ++i) {
      // Later rounds: coarse grids (cocircular cells, collinear rows, duplicates).
      pts.push_back(round < 3 ? pipeline_test::pt{u(rng), u(rng)} : pipeline_test::pt{grid(rng) * 0.1, grid(rng) * 0.1});
    }
    std::string input;
    char line[100];
    for (const auto& p : pts) {
      std::snprintf(line, sizeof line, "%.17g %.17g\n", p[0], p[1]);
      input += line;
    }
    const run_result r = run_tool("--weight -2.5", input);
    ASSERT_EQ(0, r.status) << r.err;
    const parsed got = parse(r.out);
    EXPECT_EQ(n, got.points);
    std::vector<delaunay_oracle::ipoint> ip;
    for (const auto& p : pts) ip.push_back({pipeline_test::libc_hundredths(p[0]), pipeline_test::libc_hundredths(p[1])});
    const delaunay_oracle::oracle o(ip);
    EXPECT_EQ("", o.check(got.triangles, got.edges));
    for (const auto& t : got.triangles) EXPECT_TRUE(t[0] < t[1] && t[1] < t[2]);
    // One Voronoi line per strong edge that the view draws, in edge order.
    std::vector<std::array<double, 4>> want;
    for (const auto& [i, j] : got.edges) {
      EXPECT_LT(i, j);
      double seg[4];
      if (o.strong_edge(i, j) && o.drawn(i, j, seg)) want.push_back({seg[0], seg[1], seg[2], seg[3]});
    }
    ASSERT_EQ(want.size(), got.voronoi.size());
    for (std::size_t k = 0; k < want.size(); ++k) EXPECT_TRUE(same_segment(want[k], got.voronoi[k])) << k;
  }
}

TEST_F(DelaunayTool, DuplicatesCountOnceAsTheFirstAndSmallOrFlatSetsGiveOnlyTheCount) {
  const run_result dup = run_tool("", "0 0\n2 0\n0 0\n0 2\n2 2.001\n1 1\n");
  EXPECT_EQ(0, dup.status);
  const parsed p = parse(dup.out);
  EXPECT_EQ(6, p.points);
  for (const auto& t : p.triangles) {
    for (int v : t) EXPECT_NE(2, v) << "point 2 repeats point 0";
  }
  EXPECT_EQ(4u, p.triangles.size());
  EXPECT_EQ("points 3\n", run_tool("", "0 0\n1 0\n0 1\n").out);
  EXPECT_EQ("points 5\n", run_tool("", "0 0\n1 0\n2 0\n3 0\n-1 0\n").out);       // one line
  EXPECT_EQ("points 4\n", run_tool("", "1 0\n0 1\n-1 0\n0 -1\n").out);          // one circle
  EXPECT_EQ("points 0\n", run_tool("", "% nothing\n").out);
}

TEST_F(DelaunayTool, FourPointsAreEnough) {
  const parsed p = parse(run_tool("", "0 0\n2 0\n0 2\n0.5 0.5\n").out);
  EXPECT_EQ(3u, p.triangles.size());
  EXPECT_EQ(6u, p.edges.size());
}

int count_of(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST_F(DelaunayTool, SvgDrawsTheTopView) {
  const run_result r = run_tool("--svg view.svg", "-1 -1\n1 -1\n1 1\n-1 1\n0 0\n3.5 0\n");
  ASSERT_EQ(0, r.status) << r.err;
  const parsed p = parse(r.out);
  const std::string svg = slurp("view.svg");
  EXPECT_EQ(0u, svg.find("<?xml"));
  EXPECT_NE(std::string::npos, svg.find("<svg"));
  EXPECT_NE(std::string::npos, svg.find("</svg>"));
  // No clip wrapper (ImageMagick 6 draws nothing under one): the Voronoi
  // rays already end at the border, and what lies beyond it (the edges to
  // the point at x = 3.5) falls outside the picture anyway.
  EXPECT_EQ(std::string::npos, svg.find("clip"));
  const std::size_t blue = svg.find("stroke=\"rgb(0%,30%,100%)\"");
  const std::size_t red = svg.find("stroke=\"rgb(100%,0%,0%)\"");
  ASSERT_NE(std::string::npos, blue);
  ASSERT_NE(std::string::npos, red);
  EXPECT_EQ(static_cast<int>(p.edges.size()), count_of(svg.substr(blue, red - blue), "<line"));
  EXPECT_EQ(static_cast<int>(p.voronoi.size()), count_of(svg.substr(red), "<line"));
  const std::string voronoi = svg.substr(red, svg.find("</g>", red) - red);
  for (const char* attr : {"x1=\"", "y1=\"", "x2=\"", "y2=\""}) {
    for (std::size_t at = voronoi.find(attr); at != std::string::npos; at = voronoi.find(attr, at + 1)) {
      const double v = std::strtod(voronoi.c_str() + at + 4, nullptr);
      EXPECT_TRUE(v >= 0.0 && v <= 600.0) << attr << v;
    }
  }
  EXPECT_EQ(6, count_of(svg, "<circle"));
  for (int i = 0; i < 6; ++i) EXPECT_NE(std::string::npos, svg.find(">" + std::to_string(i) + "</text>"));
  // Point 0 at (-1, -1) sits at (200, 400) in the 600-pixel picture, y down.
  EXPECT_NE(std::string::npos, svg.find("<circle cx=\"200.000\" cy=\"400.000\""));
}

struct ErrorCase {
  const char* what;
  std::string args;
  std::string input;
  std::string says;  // part of the one line on standard error
};

std::string many_points(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += std::to_string(i % 17 * 0.1) + " " + std::to_string(i / 17 * 0.1) + "\n";
  return s;
}

const ErrorCase kErrors[] = {
    {"a line with one number", "", "0 0\n1\n", "standard input line 2"},
    {"a line with four numbers", "", "0 0\n1 1\n1 2 3 4\n", "line 3"},
    {"a word", "", "0 zero\n", "line 1"},
    {"a number with junk", "", "0 1.5x\n", "line 1"},
    {"not finite", "", "nan 0\n", "line 1"},
    {"beyond the coordinate limit", "", "0 0\n20000 0\n", "line 2"},
    {"more than 200 points", "", many_points(201), "more than 200 points"},
    {"an unreadable file", "no-such-file.txt", "", "cannot open no-such-file.txt"},
    {"a directory", ".", "", "cannot read ."},
    {"an unknown option", "--frobnicate", "0 0\n", "unknown option '--frobnicate'"},
    {"a weight that is no number", "--weight heavy", "0 0\n", "--weight"},
    {"a weight out of range", "--weight 1e6", "0 0\n", "--weight"},
    {"a missing weight", "--weight", "0 0\n", "--weight needs a value"},
    {"a missing picture name", "--svg", "0 0\n", "--svg needs a file name"},
    {"two inputs", "a b", "", "more than one"},
    {"power: a line without its weight", "--power", "0 0 1\n1 1\n", "line 2: expected \"x y w\""},
    {"power: a weight beyond the limit", "--power", "0 0 1e9\n", "weight beyond"},
    {"the weights header, then two numbers", "", "% columns: x y weight\n0 0\n", "expected \"x y w\""},
    {"an unwritable picture", "--svg no-such-dir/view.svg", "0 0\n1 0\n0 1\n1 1\n", "cannot write no-such-dir/view.svg"},
    {"a line longer than 64 KiB", "", "0 0\n" + std::string(70000, '1') + "\n",
     "standard input line 2: longer than 65536 characters"},
    {"a stream of NUL bytes without a newline", "", std::string(300000, '\0'),
     "standard input line 1: longer than 65536 characters"},
};

TEST_F(DelaunayTool, BadInputIsOneLineOnStandardErrorStatusTwoAndNothingWritten) {
  for (const ErrorCase& c : kErrors) {
    SCOPED_TRACE(c.what);
    const run_result r = run_tool("--svg pic.svg " + c.args, c.input);
    EXPECT_EQ(2, r.status);
    EXPECT_EQ("", r.out);
    EXPECT_EQ(1, count_of(r.err, "\n")) << r.err;
    EXPECT_EQ(0u, r.err.find("zelmor-delaunay: ")) << r.err;
    EXPECT_NE(std::string::npos, r.err.find(c.says)) << r.err;
    EXPECT_EQ((std::set<std::string>{}), files_here());
  }
}

std::string grid_points(int n) {
  std::string s;
  char line[80];
  for (int i = 0; i < n; ++i) {
    std::snprintf(line, sizeof line, "%.2f %.2f\n", -2.7 + (i % 8) * 0.7 + (i / 8) * 0.03, -2.6 + (i / 8) * 0.65);
    s += line;
  }
  return s;
}

// A failed picture write leaves whatever stood at the name as it was and
// removes nothing but its own new file.
struct SvgFailureCase {
  const char* what;
  std::function<bool()> make;  // false: cannot be made here
  std::string shell;           // makes the write fail
  std::string says;
  std::function<std::string()> check;  // "" when what stood there is unchanged
};

std::string kind_and_content(const char* path, mode_t kind, const std::string& content) {
  struct stat st;
  if (lstat(path, &st) != 0) return std::string(path) + " is gone";
  if ((st.st_mode & S_IFMT) != kind) return std::string(path) + " changed its kind";
  if (kind == S_IFREG && slurp(path) != content) return std::string(path) + " changed its content";
  return "";
}

// A file size limit makes writes beyond 2 KiB fail (EFBIG, the signal
// ignored), the messages on standard error still fit.
const char kSizeLimit[] = "trap '' XFSZ; ulimit -f 4; ";

const SvgFailureCase kSvgFailures[] = {
    {"a device node that refuses writes (a private twin of /dev/full)",
     [] { return mknod("pic.svg", S_IFCHR | 0666, makedev(1, 7)) == 0; }, "", "No space left on device",
     [] {
       struct stat st;
       if (lstat("pic.svg", &st) != 0 || !S_ISCHR(st.st_mode)) return std::string("the device node is gone");
       return std::string(major(st.st_rdev) == 1 && minor(st.st_rdev) == 7 ? "" : "another device");
     }},
    {"a link to an old picture",
     [] {
       spit("old.svg", "an old picture\n");
       return symlink("old.svg", "pic.svg") == 0;
     },
     kSizeLimit, "File too large",
     [] { return kind_and_content("pic.svg", S_IFLNK, "") + kind_and_content("old.svg", S_IFREG, "an old picture\n"); }},
    {"an old picture",
     [] {
       spit("pic.svg", "an old picture\n");
       return true;
     },
     kSizeLimit, "File too large", [] { return kind_and_content("pic.svg", S_IFREG, "an old picture\n"); }},
};

TEST_F(DelaunayTool, AFailedPictureWriteLeavesWhatStoodThere) {
  for (const SvgFailureCase& c : kSvgFailures) {
    SCOPED_TRACE(c.what);
    const std::set<std::string> before_make = files_here();
    if (!c.make()) {
      std::printf("[ SKIPPED  ] %s: cannot be made here\n", c.what);
      continue;
    }
    const std::set<std::string> before = files_here();
    const run_result r = run_tool("--svg pic.svg", grid_points(60), c.shell);
    EXPECT_EQ(2, r.status);
    EXPECT_EQ("", r.out);
    EXPECT_EQ("zelmor-delaunay: cannot write pic.svg: " + c.says + "\n", r.err);
    EXPECT_EQ("", c.check());
    EXPECT_EQ(before, files_here()) << "a temporary file was left behind";
    for (const std::string& n : files_here()) {
      if (before_make.count(n) == 0) std::remove(n.c_str());
    }
  }
}

TEST_F(DelaunayTool, APictureThroughALinkGoesToTheLinkedFileAndTheLinkStays) {
  spit("old.svg", "an old picture\n");
  ASSERT_EQ(0, symlink("old.svg", "pic.svg"));
  const run_result r = run_tool("--svg pic.svg", grid_points(12));
  ASSERT_EQ(0, r.status) << r.err;
  struct stat st;
  ASSERT_EQ(0, lstat("pic.svg", &st));
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(0u, slurp("old.svg").find("<?xml"));
  EXPECT_EQ((std::set<std::string>{"old.svg", "pic.svg"}), files_here());
}

// The picture rendered by every SVG renderer installed (ImageMagick's
// convert, librsvg's rsvg-convert, Chromium), read back as pixels: the
// Delaunay edges blue, the Voronoi edges red, the points black.
struct image {
  int w = 0, h = 0;
  std::vector<unsigned char> rgb;
  bool any(int cx, int cy, int r, bool (*pred)(const unsigned char*)) const {
    for (int y = cy - r; y <= cy + r; ++y)
      for (int x = cx - r; x <= cx + r; ++x)
        if (x >= 0 && y >= 0 && x < w && y < h && pred(&rgb[3 * (y * w + x)])) return true;
    return false;
  }
};

image read_ppm(const std::string& path) {
  image im;
  std::ifstream f(path, std::ios::binary);
  std::string magic;
  int maxval = 0;
  f >> magic >> im.w >> im.h >> maxval;
  f.get();
  if (magic != "P6" || maxval != 255 || im.w <= 0 || im.h <= 0) return image{};
  im.rgb.resize(static_cast<std::size_t>(3 * im.w * im.h));
  f.read(reinterpret_cast<char*>(im.rgb.data()), static_cast<std::streamsize>(im.rgb.size()));
  if (!f) return image{};
  return im;
}

bool blueish(const unsigned char* c) { return c[2] > 150 && c[0] < 100 && c[2] > c[1] + 60; }
bool reddish(const unsigned char* c) { return c[0] > 150 && c[1] < 100 && c[2] < 100; }
bool dark(const unsigned char* c) { return c[0] < 90 && c[1] < 90 && c[2] < 90; }
bool white(const unsigned char* c) { return c[0] > 245 && c[1] > 245 && c[2] > 245; }

bool installed(const std::string& program) {
  return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

TEST_F(DelaunayTool, ThePictureRendersInEveryInstalledRenderer) {
  // ImageMagick 6 from Debian (/usr/bin), which also turns the others' PNG
  // into pixels for this test.
  const std::string im = "/usr/bin/convert";
  if (access(im.c_str(), X_OK) != 0) GTEST_SKIP() << "ImageMagick (Debian package imagemagick) is not installed";
  const std::string points = grid_points(23);
  const run_result r = run_tool("--svg view.svg", points);
  ASSERT_EQ(0, r.status) << r.err;
  const parsed p = parse(r.out);
  std::vector<std::array<double, 2>> pts;
  std::istringstream in(points);
  double x = 0, y = 0;
  while (in >> x >> y) pts.push_back({(x + 3.0) * 100.0, (3.0 - y) * 100.0});
  ASSERT_FALSE(p.edges.empty());
  ASSERT_FALSE(p.voronoi.empty());

  char cwd[4096];
  ASSERT_NE(nullptr, getcwd(cwd, sizeof cwd));
  struct renderer {
    std::string name, program, command;
  };
  const std::vector<renderer> renderers = {
      {"ImageMagick", im, im + " view.svg -depth 8 ppm:out.ppm"},
      {"librsvg", "rsvg-convert", "rsvg-convert view.svg -o out.png && " + im + " out.png -depth 8 ppm:out.ppm"},
      {"Chromium", "chromium",
       "timeout 120 chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --user-data-dir=chromium-profile"
       " --window-size=600,600 --screenshot=out.png file://" + std::string(cwd) + "/view.svg >/dev/null 2>&1 && " +
           im + " out.png -depth 8 ppm:out.ppm"},
  };
  for (const renderer& re : renderers) {
    SCOPED_TRACE(re.name);
    if (!installed(re.program)) {
      std::printf("[ SKIPPED  ] %s is not installed\n", re.name.c_str());
      continue;
    }
    std::remove("out.ppm");
    ASSERT_EQ(0, std::system(re.command.c_str()));
    const image img = read_ppm("out.ppm");
    ASSERT_EQ(600, img.w);
    ASSERT_EQ(600, img.h);
    int whites = 0;
    for (std::size_t i = 0; i < img.rgb.size(); i += 3) whites += white(&img.rgb[i]);
    EXPECT_GT(whites, 600 * 600 / 2) << "no white background";
    for (const auto& [i, j] : p.edges) {
      const double ax = pts[i][0], ay = pts[i][1], bx = pts[j][0], by = pts[j][1];
      if (std::hypot(bx - ax, by - ay) < 60) continue;  // labels may cover a short edge
      const int cx = int(ax + (bx - ax) / 3), cy = int(ay + (by - ay) / 3);
      EXPECT_TRUE(img.any(cx, cy, 3, blueish)) << "Delaunay edge " << i << "-" << j;
    }
    for (const auto& v : p.voronoi) {
      const int cx = int((v[0] + v[2] + 6.0) * 50.0), cy = int((6.0 - v[1] - v[3]) * 50.0);
      if (cx < 3 || cy < 3 || cx > 596 || cy > 596) continue;
      EXPECT_TRUE(img.any(cx, cy, 3, reddish)) << "Voronoi edge at " << cx << ", " << cy;
    }
    for (const auto& q : pts) EXPECT_TRUE(img.any(int(q[0]), int(q[1]), 1, dark)) << q[0] << ", " << q[1];
  }
  std::system("rm -rf chromium-profile out.png out.ppm");
}

TEST_F(DelaunayTool, HelpPrintsTheUsage) {
  const run_result r = run_tool("--help");
  EXPECT_EQ(0, r.status);
  EXPECT_EQ(0u, r.out.find("usage: zelmor-delaunay [--weight W] [--power] [--svg FILE] [--degenerate]\n"
                           "                       [--steps [--flips]] [POINTS]\n"));
  EXPECT_EQ("", r.err);
}

TEST_F(DelaunayTool, ASavedPointFileGivesWhatTheProgramComputes) {
  std::mt19937_64 rng(9);
  std::uniform_real_distribution<double> u(-3.0, 3.0);
  std::vector<pipeline_test::pt> pts;
  for (int i = 0; i < 150; ++i) pts.push_back({u(rng), u(rng)});
  pipeline_test::edit_and_recompute(pts);  // writes .ZELMOR and recomputes in this process
  const run_result r = run_tool(".ZELMOR");
  ASSERT_EQ(0, r.status) << r.err;
  const parsed p = parse(r.out);
  std::set<std::array<int, 3>> mine;
  for (auto t : pipeline_test::delaunay_index_triangles()) {
    std::sort(t.begin(), t.end());
    mine.insert(t);
  }
  const std::set<std::array<int, 3>> theirs(p.triangles.begin(), p.triangles.end());
  EXPECT_EQ(mine, theirs);
  EXPECT_EQ(pipeline_test::edges().size(), p.edges.size());
}

// Weighted points in, the regular triangulation and the power diagram out,
// checked against the brute-force regular oracle.
TEST_F(DelaunayTool, PowerReadsWeightsAndAgreesWithTheRegularOracle) {
  std::mt19937_64 rng(15);
  std::uniform_real_distribution<double> u(-3.0, 3.0), w(0.0, 2.0);
  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE(round);
    std::string input;
    std::vector<regular_oracle::wpoint> ip;
    char line[120];
    for (int i = 0; i < 30; ++i) {
      const double x = u(rng), y = u(rng), wt = i % 7 == 0 ? 1.5 + w(rng) : w(rng) * 0.2;
      std::snprintf(line, sizeof line, "%.17g %.17g %.17g\n", x, y, wt);
      input += line;
      ip.push_back({pipeline_test::libc_hundredths(x), pipeline_test::libc_hundredths(y),
                    pipeline_test::libc_weight_units(wt)});
    }
    const run_result r = run_tool("--power", input);
    ASSERT_EQ(0, r.status) << r.err;
    const parsed got = parse(r.out);
    EXPECT_EQ(30, got.points);
    const regular_oracle::oracle o(ip);
    EXPECT_EQ("", o.check(got.triangles, got.edges));
    std::vector<int> want_hidden;
    for (int i = 0; i < 30; ++i) {
      if (o.hidden(i)) want_hidden.push_back(i);
    }
    EXPECT_EQ(want_hidden, got.hidden);
    std::vector<std::array<double, 4>> want;
    for (const auto& [i, j] : got.edges) {
      double seg[4];
      if (o.strong_edge(i, j) && delaunay_oracle::clip_piece(o.power_edge(i, j), seg)) {
        want.push_back({seg[0], seg[1], seg[2], seg[3]});
      }
    }
    ASSERT_EQ(want.size(), got.voronoi.size());
    for (std::size_t k = 0; k < want.size(); ++k) EXPECT_TRUE(same_segment(want[k], got.voronoi[k])) << k;
    // The header says the same as the option; without either the third
    // column is a height and the weights are ignored.
    EXPECT_EQ(r.out, run_tool("", "% columns: x y weight\n" + input).out);
    const parsed plain = parse(run_tool("", input).out);
    EXPECT_TRUE(plain.hidden.empty());
  }
}

TEST_F(DelaunayTool, PowerWithEqualWeightsPrintsThePlainDiagram) {
  const std::string plain = "-1 -1\n1 -1\n1 1\n-1 1\n0 0\n2.5 0.3\n-0.4 2.2\n";
  std::string weighted;
  std::istringstream in(plain);
  std::string l;
  while (std::getline(in, l)) weighted += l + " 0.75\n";
  EXPECT_EQ(run_tool("", plain).out, run_tool("--power", weighted).out);
}

TEST_F(DelaunayTool, PowerSvgDrawsWeightCirclesAndHiddenPointsHollow) {
  // The centre weighing 5 hides its 8 neighbours of the 5 x 5 grid.
  std::string input;
  for (int i = 0; i < 25; ++i) {
    input += std::to_string(i % 5 - 2) + " " + std::to_string(i / 5 - 2) + (i == 12 ? " 5\n" : " 0\n");
  }
  const run_result r = run_tool("--power --svg view.svg", input);
  ASSERT_EQ(0, r.status) << r.err;
  EXPECT_EQ((std::vector<int>{6, 7, 8, 11, 13, 16, 17, 18}), parse(r.out).hidden);
  const std::string svg = slurp("view.svg");
  // One circle of radius sqrt(5) around the centre (300, 300), and 25 points.
  EXPECT_NE(std::string::npos, svg.find("<circle cx=\"300.000\" cy=\"300.000\" r=\"223.607\"/>"));
  EXPECT_EQ(26, count_of(svg, "<circle"));
  EXPECT_EQ(8, count_of(svg, "class=\"hidden\""));
}

}  // namespace
