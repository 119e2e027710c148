// Lesson files and links without a display: the view lines and the address
// fragment give back exactly the state they were made of; a file or link
// that names only part of the state changes only that part; what does not
// parse is refused with its reason and changes nothing; the batch tool's
// reader skips the view lines (they are comments).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/point_text.h"
#include "lab/export_state.h"

namespace {

// A state with no field at its default, so that a field the text forgets
// shows up as a difference.
lab_view_state odd_state() {
  lab_view_state s;
  s.hyperboloid = 0;
  s.delaunay = 0;
  s.voronoi = 1;
  s.grid = 1;
  s.weight = -2.7f;
  s.opacity = 0.7f;
  s.knob = 0.2f;
  s.zoom = 1.5f * 1.5f * 1.5f;
  s.labels = 0;
  s.furthest = 1;
  s.circle = 1;
  s.weight_circles = 0;
  s.pointer_inside = 1;
  s.pointer[0] = 0.1 + 0.2;  // not a short decimal: must come back bit for bit
  s.pointer[1] = -2.99;
  s.camera.mode = camera_mode::free;
  const double rot[9] = {0.8660254037844387, 0, -0.5, 0.17101007166283433, 0.9396926207859084,
                         0.29619813272602386, 0.4698463103929542, -0.3420201433256687,
                         0.8137976813493738};
  std::memcpy(s.camera.rot, rot, sizeof rot);
  s.camera.scale[0] = 60.75;
  s.camera.scale[1] = -60.75;  // the view from below is a mirror
  s.camera.scale[2] = 1e-7;
  s.camera.pivot[0] = -1.25e-300;
  s.camera.pivot[1] = 2.5;
  s.camera.pivot[2] = -123456.789;
  s.camera.offset[0] = 17;
  s.camera.offset[1] = -0.001;
  s.camera.zoom_ref = 2.25f;
  s.selected = 4;
  s.construction.on = true;
  s.construction.way = insert_way::flips;
  s.construction.random_order = true;
  s.construction.seed = 4294967295u;
  s.construction.step = 7;
  s.construction.stage = 3;
  s.construction.speed = 4;
  s.angles = 1;
  s.pins = {{{0, 1, 2}, false, 3}, {{1, 2, 4}, true, 7}};
  s.flip_on = 1;
  s.flip.a = 0, s.flip.b = 2, s.flip.c = 1, s.flip.d = 3;
  s.flip.shown = {0, 1, 3};
  s.flip.offending = 2;
  s.pick_on = 1;
  s.pick = {1, 3, 4};
  return s;
}

void expect_same(const lab_view_state& a, const lab_view_state& b) {
  EXPECT_EQ(a.hyperboloid, b.hyperboloid);
  EXPECT_EQ(a.delaunay, b.delaunay);
  EXPECT_EQ(a.voronoi, b.voronoi);
  EXPECT_EQ(a.grid, b.grid);
  EXPECT_EQ(a.weight, b.weight);
  EXPECT_EQ(a.opacity, b.opacity);
  EXPECT_EQ(a.knob, b.knob);
  EXPECT_EQ(a.zoom, b.zoom);
  EXPECT_EQ(a.labels, b.labels);
  EXPECT_EQ(a.furthest, b.furthest);
  EXPECT_EQ(a.circle, b.circle);
  EXPECT_EQ(a.weight_circles, b.weight_circles);
  EXPECT_EQ(a.pointer_inside, b.pointer_inside);
  EXPECT_EQ(a.pointer[0], b.pointer[0]);
  EXPECT_EQ(a.pointer[1], b.pointer[1]);
  EXPECT_EQ(a.camera.mode, b.camera.mode);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(a.camera.rot[i], b.camera.rot[i]) << "rot " << i;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(a.camera.scale[i], b.camera.scale[i]) << "scale " << i;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(a.camera.pivot[i], b.camera.pivot[i]) << "pivot " << i;
  EXPECT_EQ(a.camera.offset[0], b.camera.offset[0]);
  EXPECT_EQ(a.camera.offset[1], b.camera.offset[1]);
  EXPECT_EQ(a.camera.zoom_ref, b.camera.zoom_ref);
  EXPECT_EQ(a.selected, b.selected);
  EXPECT_EQ(a.construction.on, b.construction.on);
  EXPECT_EQ(a.construction.way, b.construction.way);
  EXPECT_EQ(a.construction.random_order, b.construction.random_order);
  EXPECT_EQ(a.construction.seed, b.construction.seed);
  EXPECT_EQ(a.construction.step, b.construction.step);
  EXPECT_EQ(a.construction.stage, b.construction.stage);
  EXPECT_EQ(a.construction.speed, b.construction.speed);
  EXPECT_FALSE(b.construction.playing);  // a lesson comes back paused
  EXPECT_EQ(a.angles, b.angles);
  EXPECT_EQ(a.flip_on, b.flip_on);
  if (a.flip_on && b.flip_on) {
    EXPECT_EQ(std::vector<int>({a.flip.a, a.flip.b, a.flip.c, a.flip.d, a.flip.offending}),
              std::vector<int>({b.flip.a, b.flip.b, b.flip.c, b.flip.d, b.flip.offending}));
    EXPECT_EQ(a.flip.shown, b.flip.shown);
  }
  EXPECT_EQ(a.pick_on, b.pick_on);
  if (a.pick_on && b.pick_on) {
    EXPECT_EQ(a.pick, b.pick);
  }
  ASSERT_EQ(a.pins.size(), b.pins.size());
  for (std::size_t i = 0; i < a.pins.size(); ++i) {
    EXPECT_EQ(a.pins[i].corner, b.pins[i].corner);
    EXPECT_EQ(a.pins[i].furthest, b.pins[i].furthest);
    EXPECT_EQ(a.pins[i].colour, b.pins[i].colour);
  }
}

TEST(ViewLines, RoundTripExactly) {
  const lab_view_state s = odd_state();
  const std::string text = lab_view_lines(s);
  lab_view_state back;
  back.construction.playing = true;
  int bad = 0;
  EXPECT_EQ(lab_read_view_lines(text, &back, &bad), 17);
  EXPECT_EQ(bad, 0);
  expect_same(s, back);
  EXPECT_TRUE(back.has_panel && back.has_layers && back.has_pointer && back.has_camera &&
              back.has_selection && back.has_construction && back.has_pins && back.has_flip &&
              back.has_plane);
}

TEST(ViewLines, ThePointerOnlyWhileTheEmptyCircleFollowsIt) {
  lab_view_state s;
  s.pointer[0] = 1.25;
  EXPECT_EQ(lab_view_lines(s).find("% view: pointer"), std::string::npos);
  s.circle = 1;
  EXPECT_NE(lab_view_lines(s).find("% view: pointer inside=0 at=1.25,0\n"), std::string::npos);
}

TEST(ViewLines, EveryLineIsACommentShorterThanTheToolsLine) {
  // The widest numbers there are, in every vector.
  lab_view_state s;
  s.circle = 1;
  for (double& v : s.camera.rot) v = -1.2345678901234567e-300;
  for (double& v : s.camera.pivot) v = -1.2345678901234567e-300;
  for (double& v : s.camera.scale) v = -1.2345678901234567e-300;
  s.camera.offset[0] = s.camera.offset[1] = -1.2345678901234567e-300;
  s.pointer[0] = s.pointer[1] = -2.9876543210987654;
  const std::string text = lab_view_lines(s);
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = text.find('\n', at);
    ASSERT_NE(end, std::string::npos);
    const std::string line = text.substr(at, end - at);
    EXPECT_EQ(line.compare(0, 8, "% view: "), 0) << line;
    EXPECT_LT(line.size(), 99u) << line;
    at = end + 1;
  }
}

TEST(ViewLines, TheBatchReaderSkipsThem) {
  const std::vector<lab_point> pts = {{-1, -1, 0}, {1, -1, 0.5}, {0, 1.25, 9}};
  const std::string text = lab_lesson_text(pts, nullptr);
  lab_view_state s = odd_state();
  const std::string lesson = lab_lesson_text(pts, &s);
  for (const std::string& t : {text, lesson}) {
    FILE* in = fmemopen(const_cast<char*>(t.data()), t.size(), "r");
    std::vector<text_point> read;
    std::string error;
    bool weighted = false;
    ASSERT_TRUE(read_point_stream(in, "lesson", &read, &error, point_columns::heights, &weighted)) << error;
    std::fclose(in);
    ASSERT_EQ(read.size(), 3u);
    EXPECT_TRUE(weighted);
    EXPECT_EQ(read[2].y, 1.25);
    EXPECT_EQ(read[2].w, 9.0);
  }
  EXPECT_NE(lesson.find("% view: camera rot2="), std::string::npos);
}

struct PartCase {
  const char* what;
  const char* text;
  int lines, bad;
  bool panel, layers, camera;
};
const PartCase kParts[] = {
    {"no view lines: an older save", "% zelmor-lab: 1 points\n0 0\n", 0, 0, false, false, false},
    {"only the layers", "% view: layers labels=0 furthest=1 circle=1 circles=0\n", 1, 0, false, true, false},
    {"a bad value leaves its whole line out", "% view: panel grid=2 delaunay=0\n", 0, 1, false, false, false},
    {"an unknown group", "% view: colours red=1\n", 0, 1, false, false, false},
    {"weight beyond the slider", "% view: panel weight=10.5\n", 0, 1, false, false, false},
    {"a camera mode of its own", "% view: camera mode=sideways\n", 0, 1, false, false, false},
    {"a vector one short", "% view: camera pivot=1,2\n", 0, 1, false, false, false},
    {"a zero scale would divide by zero", "% view: camera scale=1,0,1\n", 0, 1, false, false, false},
    {"crlf line ends", "% view: panel grid=1\r\n% view: camera mode=below\r\n", 2, 0, true, false, true},
    {"not a view line: another comment", "% viewing: panel grid=1\n", 0, 0, false, false, false},
    {"a way of its own", "% view: grow on=1 way=sideways\n", 0, 1, false, false, false},
    {"a seed past 32 bits", "% view: grow seed=4294967296\n", 0, 1, false, false, false},
    {"a speed past the fastest", "% view: grow speed=5\n", 0, 1, false, false, false},
    {"a held circle's corners out of order", "% view: held circle=2,1,3,0,0\n", 0, 1, false, false, false},
    {"a held circle's colour past the last", "% view: held circle=1,2,3,0,8\n", 0, 1, false, false, false},
    {"more held circles than colours", "% view: held count=9\n", 0, 1, false, false, false},
};

TEST(ViewLines, PartsAndRefusals) {
  for (const PartCase& c : kParts) {
    SCOPED_TRACE(c.what);
    lab_view_state s;
    int bad = 0;
    EXPECT_EQ(lab_read_view_lines(c.text, &s, &bad), c.lines);
    EXPECT_EQ(bad, c.bad);
    EXPECT_EQ(s.has_panel, c.panel);
    EXPECT_EQ(s.has_layers, c.layers);
    EXPECT_EQ(s.has_camera, c.camera);
    if (!c.panel) {
      EXPECT_EQ(s.grid, 0);  // a refused line changed nothing
    }
  }
}

TEST(Fragment, RoundTripExactly) {
  const std::vector<lab_point> pts = {{0.1 + 0.2, -3, 0}, {2.99, 3, 8.7}, {-0.01, 0.01, 0}};
  lab_view_state s = odd_state();
  s.selected = 2;
  s.pins.pop_back();  // its corner 4 is no point of these three
  s.flip_on = 0;      // its corner 3 neither
  s.pick = {0, 1, 2};  // the three points picked
  const std::string f = lab_fragment(pts, s);
  // Nothing a URL would escape or a browser would change.
  for (char ch : f)
    EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(ch)) || std::strchr(".,;=&-+_", ch) != nullptr)
        << "'" << ch << "' in " << f;
  std::vector<lab_point> back;
  lab_view_state t;
  std::string error;
  ASSERT_TRUE(lab_parse_fragment("#" + f, &back, &t, &error)) << error;
  ASSERT_EQ(back.size(), pts.size());
  for (std::size_t i = 0; i < pts.size(); ++i) {
    EXPECT_EQ(back[i].x, pts[i].x);
    EXPECT_EQ(back[i].y, pts[i].y);
    EXPECT_EQ(back[i].w, pts[i].w);
  }
  expect_same(s, t);
}

TEST(Fragment, NoWeightsNoThirdColumnAndNoPoints) {
  lab_view_state s;
  EXPECT_NE(lab_fragment({{1, 2, 0}, {0.5, 0.25, 0}}, s).find("&p=1,2;0.5,0.25"), std::string::npos);
  std::vector<lab_point> back = {{1, 1, 1}};
  std::string error;
  ASSERT_TRUE(lab_parse_fragment(lab_fragment({}, s), &back, &s, &error)) << error;
  EXPECT_TRUE(back.empty());
}

struct BadLink {
  const char* fragment;
  const char* says;
};
const BadLink kBadLinks[] = {
    {"", "no points"},
    {"panel.grid=1", "no points"},
    {"p=1,2;x,3", "point 1: 'x,3' is not x,y or x,y,weight"},
    {"p=1", "point 0: '1' is not x,y"},
    {"p=1,2,3,4", "point 0: '1,2,3,4' is not"},
    {"p=3.01,0", "point 0 lies outside [-3, 3] x [-3, 3]"},
    {"p=0,0,9.5", "point 0: weight 9.5 outside 0 .. 9"},
    {"p=0,0,-0.1", "weight -0.1 outside"},
    {"p=0,nan", "not x,y"},
    {"p=0,1e999", "not x,y"},
    {"panel.grid=7&p=0,0", "'panel.grid=7' is not part of a lesson link"},
    {"colour=red&p=0,0", "'colour=red' is not part of a lesson link"},
    {"p=0%2C0", "not x,y"},
};

TEST(Fragment, RefusedWithItsReasonChangingNothing) {
  for (const BadLink& c : kBadLinks) {
    SCOPED_TRACE(c.fragment);
    std::vector<lab_point> pts = {{1, 1, 1}};
    lab_view_state s;
    std::string error;
    EXPECT_FALSE(lab_parse_fragment(c.fragment, &pts, &s, &error));
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
    ASSERT_EQ(pts.size(), 1u);
    EXPECT_EQ(s.grid, 0);
  }
}

TEST(Fragment, AtMostTheLabsPoints) {
  std::string f = "p=";
  for (int i = 0; i <= MAX_POINTS; ++i) f += (i ? ";" : "") + std::to_string(i % 5 - 2) + ",0";
  std::vector<lab_point> pts;
  lab_view_state s;
  std::string error;
  EXPECT_FALSE(lab_parse_fragment(f, &pts, &s, &error));
  EXPECT_EQ(error, "more than 200 points");
  f = f.substr(0, f.rfind(';'));
  EXPECT_TRUE(lab_parse_fragment(f, &pts, &s, &error)) << error;
  EXPECT_EQ(pts.size(), static_cast<std::size_t>(MAX_POINTS));
}

TEST(Fragment, ASelectionOrAHeldCirclePastThePointsIsDropped) {
  std::vector<lab_point> pts;
  lab_view_state s;
  std::string error;
  ASSERT_TRUE(lab_parse_fragment("layers.selected=5&held.count=2&held.circle=0,1,2,0,0&held.circle=0,1,3,0,1"
                                 "&p=0,0;1,1;1,0",
                                 &pts, &s, &error))
      << error;
  EXPECT_EQ(s.selected, -1);
  ASSERT_EQ(s.pins.size(), 1u);
  EXPECT_EQ(s.pins[0].corner[2], 2);
}

TEST(ViewLines, APickedTriangleOnlyWhileOneIsShownAndNotPastThePoints) {
  lab_view_state s;
  EXPECT_EQ(lab_view_lines(s).find("% view: pick"), std::string::npos);
  s.pick_on = 1;
  s.pick = {2, 5, 9};
  EXPECT_NE(lab_view_lines(s).find("% view: pick corners=2,5,9\n"), std::string::npos);
  lab_view_keep_within(&s, 10);
  EXPECT_EQ(s.pick_on, 1);
  lab_view_keep_within(&s, 9);
  EXPECT_EQ(s.pick_on, 0);
  lab_view_state back;
  int bad = 0;
  EXPECT_EQ(lab_read_view_lines("% view: pick corners=1,2\n% view: pick corners=0,1,2.5\n", &back, &bad), 0);
  EXPECT_EQ(bad, 2);
  EXPECT_FALSE(back.has_pick);
}

TEST(ViewLines, AHeldCountReplacesTheCirclesHeld) {
  lab_view_state s;
  s.pins = {{{0, 1, 2}, false, 0}};
  EXPECT_EQ(lab_read_view_lines("% view: held count=0\n", &s), 1);
  EXPECT_TRUE(s.pins.empty());
  EXPECT_TRUE(s.has_pins);
}

}  // namespace
