// The view state as comment lines and as an address fragment.  Both are the
// same list of (group, key, value) entries: a file line is one group with
// its "key=value" entries, a fragment entry is "group.key=value".  One
// parser of entries serves both, so a file and a link cannot disagree on
// what a value means.
#include "lab/export_state.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/point_text.h"
#include "lab/lab.h"

void (*lab_view_state_get)(lab_view_state* s) = nullptr;
void (*lab_view_state_set)(const lab_view_state& s) = nullptr;

namespace {

struct entry {
  std::string group, key, value;
};

std::string list(const double* v, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += (i ? "," : "") + shortest_text(v[i]);
  return s;
}

const char* mode_name(camera_mode m) {
  switch (m) {
    case camera_mode::start: return "start";
    case camera_mode::free: return "free";
    case camera_mode::below: return "below";
    case camera_mode::above: return "above";
    case camera_mode::fit: return "fit";
  }
  return "start";
}

// Every entry of a state, grouped as the file writes them, one line a
// group-line.  Lines are kept below 100 characters: one vector a line.
std::vector<std::vector<entry>> state_lines(const lab_view_state& s) {
  std::vector<std::vector<entry>> lines;
  lines.push_back({{"panel", "hyperboloid", std::to_string(s.hyperboloid)},
                   {"panel", "delaunay", std::to_string(s.delaunay)},
                   {"panel", "voronoi", std::to_string(s.voronoi)},
                   {"panel", "grid", std::to_string(s.grid)}});
  lines.push_back({{"panel", "weight", shortest_text(s.weight)},
                   {"panel", "opacity", shortest_text(s.opacity)},
                   {"panel", "knob", shortest_text(s.knob)},
                   {"panel", "zoom", shortest_text(s.zoom)}});
  lines.push_back({{"layers", "labels", std::to_string(s.labels)},
                   {"layers", "furthest", std::to_string(s.furthest)},
                   {"layers", "circle", std::to_string(s.circle)},
                   {"layers", "circles", std::to_string(s.weight_circles)},
                   {"layers", "angles", std::to_string(s.angles)},
                   {"layers", "selected", std::to_string(s.selected)}});
  // Where the pointer is matters only while the empty circle follows it;
  // otherwise every save would differ by where the mouse happened to be.
  if (s.circle)
    lines.push_back({{"pointer", "inside", std::to_string(s.pointer_inside)},
                     {"pointer", "at", list(s.pointer, 2)}});
  // The held circles: their count first (a file's count replaces the
  // circles held), then one line each.
  lines.push_back({{"held", "count", std::to_string(s.pins.size())}});
  for (const lab_pinned_circle& h : s.pins)
    lines.push_back({{"held", "circle",
                      std::to_string(h.corner[0]) + "," + std::to_string(h.corner[1]) + "," +
                          std::to_string(h.corner[2]) + "," + (h.furthest ? "1" : "0") + "," +
                          std::to_string(h.colour)}});
  const lab_counter_example& f = s.flip;
  if (s.flip_on)
    lines.push_back({{"flip", "on", "1"},
                     {"flip", "edge", std::to_string(f.a) + "," + std::to_string(f.b) + "," +
                                          std::to_string(f.c) + "," + std::to_string(f.d)},
                     {"flip", "shown", std::to_string(f.shown[0]) + "," + std::to_string(f.shown[1]) + "," +
                                           std::to_string(f.shown[2])},
                     {"flip", "inside", std::to_string(f.offending)}});
  else
    lines.push_back({{"flip", "on", "0"}});
  if (s.pick_on)
    lines.push_back({{"pick", "corners", std::to_string(s.pick[0]) + "," + std::to_string(s.pick[1]) + "," +
                                             std::to_string(s.pick[2])}});
  lines.push_back({{"plane", "zoom", list(&s.plane_zoom, 1)},
                   {"plane", "centre", list(s.plane_centre, 2)},
                   {"plane", "snap", std::to_string(s.snap)}});
  const lab_camera& c = s.camera;
  lines.push_back({{"camera", "mode", mode_name(c.mode)},
                   {"camera", "zoom-ref", shortest_text(c.zoom_ref)},
                   {"camera", "offset", list(c.offset, 2)}});
  lines.push_back({{"camera", "pivot", list(c.pivot, 3)}});
  lines.push_back({{"camera", "scale", list(c.scale, 3)}});
  for (int r = 0; r < 3; ++r)
    lines.push_back({{"camera", "rot" + std::to_string(r), list(c.rot + 3 * r, 3)}});
  const construction_state& g = s.construction;
  lines.push_back({{"grow", "on", std::to_string(g.on ? 1 : 0)},
                   {"grow", "way", g.way == insert_way::flips ? "flips" : "hole"},
                   {"grow", "order", g.random_order ? "random" : "index"},
                   {"grow", "seed", std::to_string(g.seed)},
                   {"grow", "step", std::to_string(g.step)},
                   {"grow", "stage", std::to_string(g.stage)},
                   {"grow", "speed", std::to_string(g.speed)}});
  return lines;
}

// A whole number from the full text; false when it is not one.
bool parse_int(const std::string& t, int lo, int hi, int* out) {
  int v = 0;
  const std::from_chars_result r = std::from_chars(t.data(), t.data() + t.size(), v);
  if (r.ec != std::errc() || r.ptr != t.data() + t.size() || v < lo || v > hi) return false;
  *out = v;
  return true;
}

bool parse_float(const std::string& t, float lo, float hi, float* out) {
  double v;
  if (!number_list(t, &v, 1) || v < lo || v > hi) return false;
  *out = static_cast<float>(v);
  return true;
}

bool parse_switch(const std::string& t, int* out) { return parse_int(t, 0, 1, out); }

// Puts one entry into s.  False when the group or key is unknown or the
// value does not parse; s is then unchanged.
bool apply(const entry& e, lab_view_state* s) {
  const std::string& k = e.key;
  const std::string& v = e.value;
  if (e.group == "panel") {
    lab_view_state t = *s;
    bool ok = k == "hyperboloid" ? parse_switch(v, &t.hyperboloid)
              : k == "delaunay"  ? parse_switch(v, &t.delaunay)
              : k == "voronoi"   ? parse_switch(v, &t.voronoi)
              : k == "grid"      ? parse_switch(v, &t.grid)
              // The panel's own ranges: the slider ends, and the zoom buttons' bounds.
              : k == "weight"  ? parse_float(v, -3.0f, 10.0f, &t.weight)
              : k == "opacity" ? parse_float(v, 0.0f, 1.0f, &t.opacity)
              : k == "knob"    ? parse_float(v, 0.0f, 1.0f, &t.knob)
              : k == "zoom"    ? parse_float(v, 1e-11f, 1e11f, &t.zoom)
                               : false;
    if (!ok) return false;
    *s = t;
    s->has_panel = true;
    return true;
  }
  if (e.group == "layers") {
    lab_view_state t = *s;
    bool ok = k == "labels"     ? parse_switch(v, &t.labels)
              : k == "furthest" ? parse_switch(v, &t.furthest)
              : k == "circle"   ? parse_switch(v, &t.circle)
              : k == "circles"  ? parse_switch(v, &t.weight_circles)
              : k == "angles"   ? parse_switch(v, &t.angles)
              : k == "selected" ? parse_int(v, -1, MAX_POINTS - 1, &t.selected)
                                : false;
    if (!ok) return false;
    *s = t;
    if (k == "selected") s->has_selection = true;
    else s->has_layers = true;
    return true;
  }
  if (e.group == "plane") {
    double d[2];
    int step = 0;
    if (k == "zoom" && number_list(v, d, 1) && d[0] >= 1.0 && d[0] <= 64.0) {
      s->plane_zoom = d[0];
    } else if (k == "centre" && number_list(v, d, 2) && std::fabs(d[0]) <= 3.0 && std::fabs(d[1]) <= 3.0) {
      s->plane_centre[0] = d[0];
      s->plane_centre[1] = d[1];
    } else if (k == "snap" && parse_int(v, 0, 25, &step) && (step == 0 || step == 1 || step == 10 || step == 25)) {
      s->snap = step;
    } else {
      return false;
    }
    s->has_plane = true;
    return true;
  }
  if (e.group == "pointer") {
    double at[2];
    int inside;
    if (k == "inside" && parse_switch(v, &inside)) {
      s->pointer_inside = inside;
    } else if (k == "at" && number_list(v, at, 2) && std::fabs(at[0]) <= 3.0 && std::fabs(at[1]) <= 3.0) {
      s->pointer[0] = at[0];
      s->pointer[1] = at[1];
    } else {
      return false;
    }
    s->has_pointer = true;
    return true;
  }
  if (e.group == "held") {
    if (k == "count") {
      int n = 0;
      if (!parse_int(v, 0, LAB_PINNED_MAX, &n)) return false;
      s->pins.clear();
      s->has_pins = true;
      return true;
    }
    double f[5];
    if (k != "circle" || !number_list(v, f, 5) || s->pins.size() >= static_cast<std::size_t>(LAB_PINNED_MAX))
      return false;
    lab_pinned_circle h;
    for (int i = 0; i < 3; ++i) {
      if (f[i] != std::floor(f[i]) || f[i] < 0 || f[i] >= MAX_POINTS) return false;
      h.corner[i] = static_cast<int>(f[i]);
    }
    if (!(h.corner[0] < h.corner[1] && h.corner[1] < h.corner[2])) return false;  // ascending, as held
    if ((f[3] != 0 && f[3] != 1) || f[4] != std::floor(f[4]) || f[4] < 0 || f[4] >= LAB_PINNED_MAX) return false;
    h.furthest = f[3] == 1;
    h.colour = static_cast<int>(f[4]);
    s->pins.push_back(h);
    s->has_pins = true;
    return true;
  }
  if (e.group == "flip") {
    lab_view_state t = *s;
    double v4[4];
    int n = 0;
    bool ok = true;
    if (k == "on") {
      ok = parse_switch(v, &t.flip_on);
    } else if (k == "edge" && number_list(v, v4, 4)) {
      for (int i = 0; i < 4 && ok; ++i) ok = v4[i] == std::floor(v4[i]) && v4[i] >= 0 && v4[i] < MAX_POINTS;
      if (ok) t.flip.a = int(v4[0]), t.flip.b = int(v4[1]), t.flip.c = int(v4[2]), t.flip.d = int(v4[3]);
    } else if (k == "shown" && number_list(v, v4, 3)) {
      for (int i = 0; i < 3 && ok; ++i) ok = v4[i] == std::floor(v4[i]) && v4[i] >= 0 && v4[i] < MAX_POINTS;
      if (ok) t.flip.shown = {int(v4[0]), int(v4[1]), int(v4[2])};
    } else if (k == "inside" && parse_int(v, 0, MAX_POINTS - 1, &n)) {
      t.flip.offending = n;
    } else {
      ok = false;
    }
    if (!ok) return false;
    *s = t;
    s->has_flip = true;
    return true;
  }
  if (e.group == "pick") {
    double v3[3];
    if (k != "corners" || !number_list(v, v3, 3)) return false;
    for (int i = 0; i < 3; ++i)
      if (v3[i] != std::floor(v3[i]) || v3[i] < 0 || v3[i] >= MAX_POINTS) return false;
    s->pick = {int(v3[0]), int(v3[1]), int(v3[2])};
    s->pick_on = 1;
    s->has_pick = true;
    return true;
  }
  if (e.group == "grow") {
    construction_state g = s->construction;
    int v_int = 0;
    bool ok = true;
    if (k == "on" && parse_switch(v, &v_int)) g.on = v_int != 0;
    else if (k == "way" && (v == "hole" || v == "flips")) g.way = v == "flips" ? insert_way::flips : insert_way::hole;
    else if (k == "order" && (v == "index" || v == "random")) g.random_order = v == "random";
    else if (k == "step" && parse_int(v, 0, MAX_POINTS - 1, &v_int)) g.step = v_int;
    else if (k == "stage" && parse_int(v, 0, 1000000, &v_int)) g.stage = v_int;
    else if (k == "speed" && parse_int(v, 0, CONSTRUCTION_SPEEDS - 1, &v_int)) g.speed = v_int;
    else if (k == "seed") {
      unsigned long long seed = 0;
      const std::from_chars_result r = std::from_chars(v.data(), v.data() + v.size(), seed);
      ok = r.ec == std::errc() && r.ptr == v.data() + v.size() && seed <= 0xffffffffULL;
      g.seed = static_cast<unsigned>(seed);
    } else ok = false;
    if (!ok) return false;
    g.playing = false;
    s->construction = g;
    s->has_construction = true;
    return true;
  }
  if (e.group == "camera") {
    lab_camera c = s->camera;
    bool ok = true;
    if (k == "mode") {
      static const camera_mode modes[] = {camera_mode::start, camera_mode::free, camera_mode::below,
                                          camera_mode::above, camera_mode::fit};
      ok = false;
      for (camera_mode m : modes)
        if (v == mode_name(m)) {
          c.mode = m;
          ok = true;
        }
    } else if (k == "zoom-ref") {
      ok = parse_float(v, 1e-11f, 1e11f, &c.zoom_ref);
    } else if (k == "offset") {
      ok = number_list(v, c.offset, 2);
    } else if (k == "pivot") {
      ok = number_list(v, c.pivot, 3);
    } else if (k == "scale") {
      ok = number_list(v, c.scale, 3) && c.scale[0] != 0.0 && c.scale[1] != 0.0 && c.scale[2] != 0.0;
    } else if (k.size() == 4 && k.compare(0, 3, "rot") == 0 && k[3] >= '0' && k[3] <= '2') {
      ok = number_list(v, c.rot + 3 * (k[3] - '0'), 3);
    } else {
      ok = false;
    }
    if (!ok) return false;
    s->camera = c;
    s->has_camera = true;
    return true;
  }
  return false;
}

// "key=value" into an entry of group; false without '='.
bool split_pair(const std::string& group, const std::string& pair, entry* e) {
  const std::size_t eq = pair.find('=');
  if (eq == std::string::npos || eq == 0) return false;
  *e = {group, pair.substr(0, eq), pair.substr(eq + 1)};
  return true;
}

constexpr char kPrefix[] = "% view: ";

}  // namespace

void lab_view_keep_within(lab_view_state* s, int count) {
  if (s->has_selection && s->selected >= count) s->selected = -1;
  const lab_counter_example& f = s->flip;
  if (s->flip_on && std::max({f.a, f.b, f.c, f.d, f.offending, f.shown[0], f.shown[1], f.shown[2]}) >= count)
    s->flip_on = 0;
  if (s->pick_on && std::max({s->pick[0], s->pick[1], s->pick[2]}) >= count) s->pick_on = 0;
  std::vector<lab_pinned_circle> kept;
  for (const lab_pinned_circle& h : s->pins)
    if (h.corner[2] < count) kept.push_back(h);
  s->pins = kept;
}

std::string lab_view_lines(const lab_view_state& s) {
  std::string out;
  for (const std::vector<entry>& line : state_lines(s)) {
    std::string l = std::string(kPrefix) + line[0].group;
    for (const entry& e : line) l += " " + e.key + "=" + e.value;
    out += l + "\n";
  }
  return out;
}

int lab_read_view_lines(const std::string& text, lab_view_state* s, int* bad) {
  int read = 0;
  std::size_t at = 0;
  const std::size_t prefix = std::strlen(kPrefix);
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.compare(0, prefix, kPrefix) != 0) continue;
    // Group, then its pairs, separated by single blanks.
    std::vector<std::string> words;
    std::size_t w = prefix;
    while (w <= line.size()) {
      std::size_t blank = line.find(' ', w);
      if (blank == std::string::npos) blank = line.size();
      if (blank > w) words.push_back(line.substr(w, blank - w));
      w = blank + 1;
    }
    bool ok = words.size() >= 2;
    lab_view_state t = *s;
    for (std::size_t i = 1; ok && i < words.size(); ++i) {
      entry e;
      ok = split_pair(words[0], words[i], &e) && apply(e, &t);
    }
    if (ok) {
      *s = t;
      ++read;
    } else if (bad != nullptr) {
      ++*bad;
    }
  }
  return read;
}

std::string lab_fragment(const std::vector<lab_point>& pts, const lab_view_state& s) {
  std::string f;
  for (const std::vector<entry>& line : state_lines(s))
    for (const entry& e : line) f += e.group + "." + e.key + "=" + e.value + "&";
  bool weights = false;
  for (const lab_point& p : pts) weights = weights || p.w != 0.0;
  f += "p=";
  for (std::size_t i = 0; i < pts.size(); ++i) {
    f += (i ? ";" : "") + shortest_text(pts[i].x) + "," + shortest_text(pts[i].y);
    if (weights) f += "," + shortest_text(pts[i].w);
  }
  return f;
}

bool lab_parse_fragment(const std::string& fragment, std::vector<lab_point>* pts,
                        lab_view_state* s, std::string* error) {
  std::string f = fragment;
  if (!f.empty() && f[0] == '#') f.erase(0, 1);
  lab_view_state t = *s;
  std::vector<lab_point> read;
  bool points_seen = false;
  std::size_t at = 0;
  while (at <= f.size() && !f.empty()) {
    std::size_t amp = f.find('&', at);
    if (amp == std::string::npos) amp = f.size();
    const std::string part = f.substr(at, amp - at);
    at = amp + 1;
    if (part.empty()) continue;
    if (part.compare(0, 2, "p=") == 0) {
      points_seen = true;
      const std::string list = part.substr(2);
      std::size_t p = 0;
      while (p < list.size()) {
        std::size_t semi = list.find(';', p);
        if (semi == std::string::npos) semi = list.size();
        const std::string one = list.substr(p, semi - p);
        p = semi + 1;
        const int index = static_cast<int>(read.size());
        if (index >= MAX_POINTS) {
          *error = "more than " + std::to_string(MAX_POINTS) + " points";
          return false;
        }
        double v[3] = {0.0, 0.0, 0.0};
        const int commas = static_cast<int>(std::count(one.begin(), one.end(), ','));
        if ((commas != 1 && commas != 2) || !number_list(one, v, commas + 1)) {
          *error = "point " + std::to_string(index) + ": '" + one + "' is not x,y or x,y,weight";
          return false;
        }
        if (!(std::fabs(v[0]) <= 3.0 && std::fabs(v[1]) <= 3.0)) {
          *error = "point " + std::to_string(index) + " lies outside [-3, 3] x [-3, 3]";
          return false;
        }
        if (!(v[2] >= 0.0 && v[2] <= LAB_WEIGHT_MAX)) {
          *error = "point " + std::to_string(index) + ": weight " + one.substr(one.rfind(',') + 1) +
                   " outside 0 .. 9";
          return false;
        }
        read.push_back({v[0], v[1], v[2]});
      }
      continue;
    }
    const std::size_t dot = part.find('.');
    entry e;
    if (dot == std::string::npos || !split_pair(part.substr(0, dot), part.substr(dot + 1), &e) ||
        !apply(e, &t)) {
      *error = "'" + part.substr(0, 60) + "' is not part of a lesson link";
      return false;
    }
  }
  if (!points_seen) {
    *error = "the link has no points (p=...)";
    return false;
  }
  if (t.has_selection && t.selected >= static_cast<int>(read.size())) t.selected = -1;
  lab_view_keep_within(&t, static_cast<int>(read.size()));
  *pts = read;
  *s = t;
  return true;
}
