// The real zelmor-lab under Xvfb, driven with real keys and pointer events:
// e writes the 2D view as SVG and PNG and the 3D view as PNG, E the same
// three times as large; the PNGs hold the very pixels of the windows on the
// screen, and the SVG, rendered by librsvg and by ImageMagick, draws the
// flat set's diagram, the empty circle and the weight circle where the
// geometry puts them.  A save keeps the view, o lists the folder's files
// and Enter or a click loads one as one undo step, view and all.
#include <dirent.h>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "lab/export_png.h"
#include "lab/snap_logic.h"
#include "lab/zoom_logic.h"
#include "tests/support/launch.h"
#include "tests/support/plane_pixels.h"
#include "tests/support/xdrive.h"

namespace {

const xd_rgb kRed{255, 0, 0};
const xd_rgb kOrange{255, 128, 0};
const xd_rgb kWeightOrange{217, 115, 0};
const xd_rgb kChosenRow{191, 217, 255};

std::set<std::string> names(const std::string& dir, const std::string& head, const std::string& tail) {
  std::set<std::string> found;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      const std::string n = e->d_name;
      if (n.compare(0, head.size(), head) == 0 && n.size() > tail.size() &&
          n.compare(n.size() - tail.size(), tail.size(), tail) == 0)
        found.insert(n);
    }
    closedir(d);
  }
  return found;
}

std::string slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

// A PNG read by our decoder as an xd_image (top row first).
bool read_png(const std::string& path, xd_image* img) {
  int w = 0, h = 0;
  std::string rgb;
  if (!png_decode_stored(slurp(path), &w, &h, &rgb)) return false;
  img->width = w;
  img->height = h;
  img->pixels.resize(static_cast<std::size_t>(w) * h);
  for (std::size_t i = 0; i < img->pixels.size(); ++i)
    img->pixels[i] = {static_cast<unsigned char>(rgb[3 * i]), static_cast<unsigned char>(rgb[3 * i + 1]),
                      static_cast<unsigned char>(rgb[3 * i + 2])};
  return true;
}

// The SVG rendered by a renderer into a PPM we read back.
bool render_svg(const std::string& dir, const std::string& svg, bool rsvg, xd_image* img) {
  const std::string ppm = dir + (rsvg ? "/rsvg.ppm" : "/im.ppm");
  const std::string cmd =
      rsvg ? "rsvg-convert -b white '" + dir + "/" + svg + "' -o '" + dir + "/rsvg.png' && convert '" + dir +
                 "/rsvg.png' -alpha off '" + ppm + "'"
           : "convert -background white '" + dir + "/" + svg + "' -alpha off '" + ppm + "'";
  if (std::system((cmd + " 2>/dev/null").c_str()) != 0) return false;
  std::ifstream f(ppm, std::ios::binary);
  std::string magic;
  int w, h, max;
  f >> magic >> w >> h >> max;
  f.get();
  if (magic != "P6" || max != 255) return false;
  img->width = w;
  img->height = h;
  img->pixels.resize(static_cast<std::size_t>(w) * h);
  for (xd_rgb& p : img->pixels) {
    unsigned char c[3];
    f.read(reinterpret_cast<char*>(c), 3);
    p = {c[0], c[1], c[2]};
  }
  return static_cast<bool>(f);
}

// The file is drawn off screen by the same code; the rasterizer ends a line
// that leaves the picture, or a dash, a pixel apart from the window's (its
// rows run the other way), so a handful of pixels may differ: at most this
// many, where a picture of anything else differs in thousands.
constexpr int kEdgePixels = 30;

// Pixels that differ by more than 3 in a channel.  The 2D view's last
// column lies under its parent's edge on the screen: the file has it, the
// screen does not, so a 541-wide picture is compared on its first 540.
int differing(const xd_image& a, const xd_image& b) {
  if (a.width != b.width || a.height != b.height) return 1 << 30;
  const int w = a.width == 541 ? 540 : a.width;
  int n = 0;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < w; ++x) n += xd_near(a.at(x, y), b.at(x, y), 3) ? 0 : 1;
  return n;
}

bool near_colour(const xd_image& img, int x, int y, const xd_rgb& c, int tol = 40) {
  return img.count(c, x - 2, y - 2, x + 2, y + 2, tol) > 0;
}

class LabExportE2E : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(start_program(x, ZELMOR_LAB_BINARY, &w)); }
  // Presses e (or E) and waits for the three new files; their names.
  std::vector<std::string> export_views(const char* key) {
    const std::set<std::string> svg0 = names(x.workdir(), "zelmor-lab-2d-", ".svg");
    const std::set<std::string> png2d0 = names(x.workdir(), "zelmor-lab-2d-", ".png");
    const std::set<std::string> png0 = names(x.workdir(), "zelmor-lab-3d-", ".png");
    EXPECT_TRUE(x.key(key));
    std::vector<std::string> made;
    const bool ok = xdrive::wait_until(
        [&] {
          return names(x.workdir(), "zelmor-lab-3d-", ".png").size() > png0.size();
        },
        10000);
    EXPECT_TRUE(ok) << x.program_stderr();
    xdrive::sleep_ms(200);  // the last file is synced before the name appears; the status after it
    for (const std::string& n : names(x.workdir(), "zelmor-lab-2d-", ".svg"))
      if (!svg0.count(n)) made.push_back(n);
    for (const std::string& n : names(x.workdir(), "zelmor-lab-2d-", ".png"))
      if (!png2d0.count(n)) made.push_back(n);
    for (const std::string& n : names(x.workdir(), "zelmor-lab-3d-", ".png"))
      if (!png0.count(n)) made.push_back(n);
    EXPECT_EQ(made.size(), 3u);
    return made;
  }
  std::string path(const std::string& name) { return x.workdir() + "/" + name; }

  xdrive x;
  program_windows w;
  const xd_window &top = w.top, &view = w.view, &win3d = w.win3d;
};

TEST_F(LabExportE2E, TheFilesHoldWhatTheWindowsShow) {
  // A flat set, clicked in: three points on one line.  Its diagram is the
  // two bisectors, vertical lines through the midpoints.
  x.move(view.x + 400, view.y + 100);
  for (double px : {-1.0, 0.0, 1.5})
    x.click(view.x + pixel_of_plane_floor(px), view.y + image_row_of_plane_floor(0.0), 3);
  std::vector<xd_lifted> pts;
  ASSERT_TRUE(x.wait_file(".ZELMOR", [&](const std::string& s) {
    pts = xd_parse_points(s);
    return pts.size() == 3;
  }));
  x.move(view.x + 5, view.y + 5);
  std::vector<std::string> files = export_views("e");
  ASSERT_EQ(files.size(), 3u);
  xd_image png2d, png3d;
  ASSERT_TRUE(read_png(path(files[1]), &png2d)) << files[1];
  ASSERT_TRUE(read_png(path(files[2]), &png3d)) << files[2];
  // The very pixels of the windows (the view's 541 x 541, the 3D window's).
  EXPECT_LE(differing(png2d, x.grab(view)), kEdgePixels);
  EXPECT_LE(differing(png3d, x.grab(win3d)), kEdgePixels);
  for (bool rsvg : {true, false}) {
    SCOPED_TRACE(rsvg ? "librsvg" : "ImageMagick");
    xd_image svg;
    ASSERT_TRUE(render_svg(x.workdir(), files[0], rsvg, &svg));
    ASSERT_EQ(svg.width, 541);
    for (int k = 0; k < 2; ++k) {
      const double mid = (pts[k].x + pts[k + 1].x) / 2;
      for (double y : {-2.5, -1.0, 1.0, 2.5})
        EXPECT_TRUE(near_colour(svg, pixel_of_plane_floor(mid), image_row_of_plane_floor(y), kRed))
            << "bisector " << k << " at y " << y;
    }
    // No diagram line through the middle point, and the points drawn.
    EXPECT_FALSE(near_colour(svg, pixel_of_plane_floor(pts[1].x), image_row_of_plane_floor(1.5), kRed));
    EXPECT_TRUE(
        near_colour(svg, pixel_of_plane_floor(pts[1].x), image_row_of_plane_floor(0.0), xd_rgb{36, 36, 143}));
  }

  // The square and its centre; the empty circle of the lower triangle
  // (-1.5, -1.5), (1.5, -1.5), (0, 0): centre (0, -1.5), radius 1.5.
  ASSERT_TRUE(x.key("1"));
  ASSERT_TRUE(x.key("c"));
  x.move(view.x + pixel_of_plane_floor(0.0), view.y + image_row_of_plane_floor(-0.9));
  xdrive::sleep_ms(300);
  files = export_views("e");
  ASSERT_EQ(files.size(), 3u);
  ASSERT_TRUE(read_png(path(files[1]), &png2d));
  EXPECT_LE(differing(png2d, x.grab(view)), kEdgePixels);
  for (bool rsvg : {true, false}) {
    SCOPED_TRACE(rsvg ? "librsvg" : "ImageMagick");
    xd_image svg;
    ASSERT_TRUE(render_svg(x.workdir(), files[0], rsvg, &svg));
    for (double a : {30.0, 60.0, 120.0, 150.0}) {
      const double r = a * M_PI / 180;
      EXPECT_TRUE(near_colour(svg, pixel_of_plane_floor(1.5 * std::cos(r)),
                              image_row_of_plane_floor(-1.5 + 1.5 * std::sin(r)), kOrange))
          << a << " degrees";
    }
    EXPECT_EQ(svg.count(kOrange, 0, 0, 540, image_row_of_plane_floor(0.3), 12),
              0);  // no other triangle's circle
  }

  // A weight: the centre point picked and weighted 2 (+ twice); its circle
  // has radius sqrt(2).  The empty circle is a lesson of unweighted points.
  ASSERT_TRUE(x.key("c"));
  x.click(view.x + pixel_of_plane_floor(0.0), view.y + image_row_of_plane_floor(0.0), 1);
  ASSERT_TRUE(x.key("plus"));
  ASSERT_TRUE(x.key("plus"));
  x.move(view.x + 5, view.y + 5);
  xdrive::sleep_ms(300);
  files = export_views("e");
  ASSERT_EQ(files.size(), 3u);
  const std::string svg_text = slurp(path(files[0]));
  EXPECT_NE(svg_text.find("class=\"weights\""), std::string::npos);
  ASSERT_TRUE(read_png(path(files[1]), &png2d));
  EXPECT_LE(differing(png2d, x.grab(view)), kEdgePixels);
  for (bool rsvg : {true, false}) {
    SCOPED_TRACE(rsvg ? "librsvg" : "ImageMagick");
    xd_image svg;
    ASSERT_TRUE(render_svg(x.workdir(), files[0], rsvg, &svg));
    // Halfway between the axes' diagonals, away from every edge.
    for (double a : {22.5, 112.5, 202.5, 292.5}) {
      const double r = a * M_PI / 180;
      EXPECT_TRUE(near_colour(svg, pixel_of_plane_floor(std::sqrt(2.0) * std::cos(r)),
                              image_row_of_plane_floor(std::sqrt(2.0) * std::sin(r)), kWeightOrange, 60))
          << a << " degrees";
    }
  }

  // For print: three times the size, the same picture.
  files = export_views("E");
  ASSERT_EQ(files.size(), 3u);
  xd_image big2d, big3d;
  ASSERT_TRUE(read_png(path(files[1]), &big2d));
  ASSERT_TRUE(read_png(path(files[2]), &big3d));
  EXPECT_EQ(big2d.width, 3 * 541);
  EXPECT_EQ(big3d.width, 3 * 540);
  EXPECT_NE(slurp(path(files[0])).find("width=\"1623\" height=\"1623\""), std::string::npos);
  // Drawn with three times the pixels, not blown up: lines three times as
  // wide and markers three times as large, so about nine times the ink
  // (lines of one pixel, as the window has them, would give three).
  const auto ink = [](const xd_image& img) { return img.count_if([](const xd_rgb& c) {
    return c.r < 200 || c.g < 200 || c.b < 200; }, 0, 0, img.width - 1, img.height - 1); };
  // (The 3D view's surface fills it at any scale: the plane shows it.)
  EXPECT_GT(ink(big2d), 7 * ink(png2d));
  // The weighted centre point, three times as far from the corner.
  EXPECT_TRUE(near_colour(big2d, 3 * pixel_of_plane_floor(0.0) + 1, 3 * image_row_of_plane_floor(0.0) + 1,
                          xd_rgb{255, 0, 255}, 60));
  // The screen is drawn again afterwards, as it was.
  ASSERT_TRUE(xdrive::wait_until([&] { const int d = differing(png2d, x.grab(view));
    return d <= kEdgePixels; }, 3000));

  // Watching it grow, the files show the stage the windows show.
  ASSERT_TRUE(x.key("g"));
  ASSERT_TRUE(x.key("Right"));
  xdrive::sleep_ms(300);
  files = export_views("e");
  ASSERT_EQ(files.size(), 3u);
  EXPECT_NE(slurp(path(files[0])).find("<g class=\"triangulation\""), std::string::npos);
  ASSERT_TRUE(read_png(path(files[1]), &png2d));
  EXPECT_LE(differing(png2d, x.grab(view)), kEdgePixels);
  ASSERT_TRUE(read_png(path(files[2]), &png3d));
  EXPECT_LE(differing(png3d, x.grab(win3d)), kEdgePixels);
  EXPECT_TRUE(x.running());
  EXPECT_EQ("", x.program_stderr());
}

// The view lines of a saved lesson.
std::string view_lines(const std::string& text) {
  std::string out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (line.compare(0, 8, "% view: ") == 0) out += line + "\n";
  return out;
}

TEST_F(LabExportE2E, ALessonSavedWithItsViewOpensFromTheList) {
  x.move(view.x + 400, view.y + 60);
  ASSERT_TRUE(x.key("9"));
  xdrive::sleep_ms(300);  // the triangles of the new points
  // A circle held: c, a click on a triangle, c again (the empty circle off).
  ASSERT_TRUE(x.key("c"));
  x.click(view.x + pixel_of_plane_floor(0.3), view.y + image_row_of_plane_floor(-0.5), 1);
  xdrive::sleep_ms(100);
  ASSERT_TRUE(x.key("c"));
  // A Delaunay edge flipped away there (k) and the smallest angle (a): the
  // pictures show both.
  x.move(view.x + pixel_of_plane_floor(0.3), view.y + image_row_of_plane_floor(-0.5));
  ASSERT_TRUE(x.key("k"));
  ASSERT_TRUE(x.key("a"));
  xdrive::sleep_ms(200);
  const std::vector<std::string> files = export_views("e");
  ASSERT_EQ(files.size(), 3u);
  const std::string svg = slurp(path(files[0]));
  EXPECT_NE(svg.find("<g class=\"held-circles\""), std::string::npos);
  EXPECT_NE(svg.find("<g class=\"counter-example\""), std::string::npos);
  EXPECT_NE(svg.find("<g class=\"angles\""), std::string::npos);
  xd_image rendered;
  ASSERT_TRUE(render_svg(x.workdir(), files[0], true, &rendered));
  x.move(view.x + 400, view.y + 60);
  for (const char* k : {"F", "n", "b"}) ASSERT_TRUE(x.key(k));
  // The view from below centres its depth on the points at its first frame.
  xdrive::sleep_ms(300);
  ASSERT_TRUE(x.key("s"));
  std::set<std::string> saved;
  ASSERT_TRUE(xdrive::wait_until([&] { return (saved = names(x.workdir(), "zelmor-2", ".txt")).size() == 1; }, 5000));
  const std::string monday = *saved.begin();
  xdrive::sleep_ms(100);
  const std::string lesson = view_lines(slurp(path(monday)));
  EXPECT_NE(lesson.find("% view: layers labels=0 furthest=1 circle=0 circles=1"), std::string::npos) << lesson;
  EXPECT_NE(lesson.find("% view: camera mode=below"), std::string::npos) << lesson;
  EXPECT_NE(lesson.find("% view: held count=1\n% view: held circle="), std::string::npos) << lesson;
  EXPECT_NE(lesson.find("% view: flip on=1 edge="), std::string::npos) << lesson;
  EXPECT_NE(lesson.find(" angles=1 "), std::string::npos) << lesson;
  const xd_image monday_3d = x.grab(win3d);

  // Another lesson in between, the view back as at start.
  for (const char* k : {"1", "F", "n", "r"}) ASSERT_TRUE(x.key(k));
  ASSERT_TRUE(x.wait_file(".ZELMOR", [](const std::string& s) { return xd_parse_points(s).size() == 5; }));

  // o: the list over the 2D view, the newest (the only) file chosen.
  ASSERT_TRUE(x.key("o"));
  ASSERT_TRUE(xdrive::wait_until(
      [&] { return x.grab(view).count(kChosenRow, 20, 49, 500, 63, 3) > 3000; }, 3000))
      << "the list's chosen row";
  ASSERT_TRUE(x.key("Return"));
  ASSERT_TRUE(x.wait_file(".ZELMOR", [](const std::string& s) { return xd_parse_points(s).size() == 12; }));
  // The same view: the 3D window as it was when saved.
  ASSERT_TRUE(xdrive::wait_until([&] { return differing(monday_3d, x.grab(win3d)) < 540 * 540 / 200; }, 3000))
      << differing(monday_3d, x.grab(win3d));
  // A save now writes the same view.
  ASSERT_TRUE(x.key("s"));
  ASSERT_TRUE(xdrive::wait_until([&] { return names(x.workdir(), "zelmor-2", ".txt").size() == 2; }, 5000));
  xdrive::sleep_ms(100);
  std::string tuesday;
  for (const std::string& n : names(x.workdir(), "zelmor-2", ".txt"))
    if (n != monday) tuesday = n;
  EXPECT_EQ(view_lines(slurp(path(tuesday))), lesson);

  // The load was one step: z brings the square back.
  ASSERT_TRUE(x.key("z"));
  ASSERT_TRUE(x.wait_file(".ZELMOR", [](const std::string& s) { return xd_parse_points(s).size() == 5; }));

  // A click on a row loads it; a file that is no points file stays listed
  // and loads nothing.
  std::ofstream(path("notes.txt")) << "not points\n";
  ASSERT_TRUE(x.key("o"));
  // Rows from the top: notes.txt (newest), then the two lessons.
  x.click(view.x + 200, view.y + 56 + 16, 1);
  ASSERT_TRUE(x.wait_file(".ZELMOR", [](const std::string& s) { return xd_parse_points(s).size() == 12; }));
  ASSERT_TRUE(x.key("o"));
  x.click(view.x + 200, view.y + 56, 1);
  xdrive::sleep_ms(300);
  std::string now;
  ASSERT_TRUE(x.read_file(".ZELMOR", &now));
  EXPECT_EQ(xd_parse_points(now).size(), 12u);
  ASSERT_TRUE(x.key("Escape"));
  EXPECT_TRUE(x.running());
}

// Zoomed in, with the snap on: the files show the part of the square the
// view shows, markers at their size, and the snap's cross with its
// coordinates where the pointer snaps to.
TEST_F(LabExportE2E, ZoomedAndSnappingTheFilesShowTheViewAsDrawn) {
  x.move(view.x + 400, view.y + 60);
  ASSERT_TRUE(x.key("9"));  // the README's twelve points
  std::vector<xd_lifted> pts;
  ASSERT_TRUE(x.wait_file(".ZELMOR", [&](const std::string& s) {
    pts = xd_parse_points(s);
    return pts.size() == 12;
  }));
  // Two presses of > about point 5 (0.1, 0.2); the same zoom by the lab's
  // own arithmetic, from the pixel the pointer is on.
  const int zx = pixel_of_plane_floor(0.1), zy = image_row_of_plane_floor(0.2);
  x.move(view.x + zx, view.y + zy);
  ASSERT_TRUE(x.key("greater"));
  ASSERT_TRUE(x.key("greater"));
  lab_zoom z;
  for (int k = 0; k < 2; ++k) lab_zoom_about(&z, LAB_ZOOM_STEP * LAB_ZOOM_STEP, zx, 541 - zy, 541, 541);
  ASSERT_GT(z.scale, 2.4);
  auto column = [&](double px) {
    return static_cast<int>(std::floor(pixel_of_zoomed_plane(px, z.centre[0], z.scale)));
  };
  auto row = [&](double py) {
    return 540 - static_cast<int>(std::floor(pixel_of_zoomed_plane(py, z.centre[1], z.scale)));
  };
  // The snap to 0.25, the pointer a little off a grid point.
  ASSERT_TRUE(x.key("p"));
  const int cx = column(0.55), cy = row(-0.3);
  x.move(view.x + cx, view.y + cy);
  double at[2];
  lab_zoom_plane(z, cx, 541 - cy, 541, 541, at);
  const double cross[2] = {lab_snap(at[0], 25), lab_snap(at[1], 25)};
  xdrive::sleep_ms(300);
  const std::vector<std::string> files = export_views("e");
  ASSERT_EQ(files.size(), 3u);
  xd_image png2d;
  ASSERT_TRUE(read_png(path(files[1]), &png2d));
  const xd_image screen = x.grab(view);
  EXPECT_LE(differing(png2d, screen), kEdgePixels);
  char text[40];
  std::snprintf(text, sizeof text, ">(%.2f, %.2f)</text>", cross[0], cross[1]);
  EXPECT_NE(slurp(path(files[0])).find(text), std::string::npos) << text;
  const xd_rgb kPoint{36, 36, 143}, kBlack{0, 0, 0};
  for (bool rsvg : {true, false}) {
    SCOPED_TRACE(rsvg ? "librsvg" : "ImageMagick");
    xd_image svg;
    ASSERT_TRUE(render_svg(x.workdir(), files[0], rsvg, &svg));
    ASSERT_EQ(svg.width, 541);
    // Every point inside the zoomed view where the window has it.
    int inside = 0;
    for (const xd_lifted& p : pts) {
      const int px = column(p.x), py = row(p.y);
      if (px < 5 || px > 535 || py < 5 || py > 535) continue;
      ++inside;
      EXPECT_TRUE(near_colour(screen, px, py, kPoint)) << p.x << ", " << p.y << " on the screen";
      EXPECT_TRUE(near_colour(svg, px, py, kPoint)) << p.x << ", " << p.y;
    }
    EXPECT_GE(inside, 5);
    // The cross's arms, 6 pixels out from where the pointer snaps to.
    const int sx = column(cross[0]), sy = row(cross[1]);
    for (const auto& d : {std::array<int, 2>{-6, 0}, {6, 0}, {0, -6}, {0, 6}}) {
      EXPECT_TRUE(near_colour(screen, sx + d[0], sy + d[1], kBlack, 60)) << d[0] << " " << d[1] << " on the screen";
      EXPECT_TRUE(near_colour(svg, sx + d[0], sy + d[1], kBlack, 90)) << d[0] << " " << d[1];
    }
  }

  // K and clicks on 6, 7 and 8 in the zoomed view: their triangle, with 5
  // inside its circle.  A save keeps it (a pick line); K takes it away, and
  // the lesson opened again (o, Enter) brings it back.
  const xd_rgb kPicked{204, 0, 128};
  ASSERT_TRUE(x.key("K"));
  for (const auto& c : {std::array<double, 2>{-0.6, -0.4}, {0.9, -0.5}, {0.4, 1.1}}) {
    x.click(view.x + column(c[0]), view.y + row(c[1]), 1);
    xdrive::sleep_ms(100);
  }
  x.move(view.x + cx, view.y + cy);
  auto picked_shown = [&] { return x.grab(view).count(kPicked, 0, 0, 539, 540, 12) > 300; };
  ASSERT_TRUE(xdrive::wait_until(picked_shown, 3000)) << "no picked triangle";
  ASSERT_TRUE(x.key("s"));
  std::set<std::string> saved;
  ASSERT_TRUE(xdrive::wait_until([&] { return (saved = names(x.workdir(), "zelmor-2", ".txt")).size() == 1; }, 5000));
  xdrive::sleep_ms(100);
  EXPECT_NE(slurp(path(*saved.begin())).find("% view: pick corners=6,7,8\n"), std::string::npos);
  ASSERT_TRUE(x.key("K"));
  ASSERT_TRUE(xdrive::wait_until([&] { return x.grab(view).count(kPicked, 0, 0, 539, 540, 12) == 0; }, 3000));
  ASSERT_TRUE(x.key("o"));
  xdrive::sleep_ms(200);
  ASSERT_TRUE(x.key("Return"));
  EXPECT_TRUE(xdrive::wait_until(picked_shown, 3000)) << "the picked triangle not back with its lesson";
}

}  // namespace
