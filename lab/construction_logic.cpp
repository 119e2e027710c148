// The construction mode's state, stages and status text: see
// construction_logic.h.
//
// A stage is one picture.  The hole way has two per insertion: the hole (the
// triangles whose circle holds the point, their circles, the rim) and then
// the fan.  The flips way has the split, then one stage per flip, then, for
// weighted points only, one for what no flip can do.  An insertion that
// changes nothing has one stage.
#include "lab/construction_logic.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <set>

#include "app/app.h"
#include "lab/lab.h"

namespace {

using i128 = __int128;

// --- exact predicates on the rounded points (hundredths) -------------------------

long long lift(const construction_point& p) { return p.x * p.x + p.y * p.y - p.w; }

long long orient(const construction_point& a, const construction_point& b, const construction_point& c) {
  return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// > 0 when d's lift lies strictly below the plane of the lifts of triangle t
// (unweighted: d strictly inside its circle), 0 on it.  Bounds as in the
// core: differences under 2^21, lifts under 2^43, terms under 2^85.
int in_circle(const std::vector<construction_point>& pts, const tri_index& t, const construction_point& d) {
  const construction_point* a = &pts[t[0]];
  const construction_point* b = &pts[t[1]];
  const construction_point* c = &pts[t[2]];
  if (orient(*a, *b, *c) < 0) std::swap(b, c);
  const long long dz = lift(d);
  const i128 ax = a->x - d.x, ay = a->y - d.y, az = lift(*a) - dz;
  const i128 bx = b->x - d.x, by = b->y - d.y, bz = lift(*b) - dz;
  const i128 cx = c->x - d.x, cy = c->y - d.y, cz = lift(*c) - dz;
  const i128 det = az * (bx * cy - by * cx) - bz * (ax * cy - ay * cx) + cz * (ax * by - ay * bx);
  return det > 0 ? 1 : (det < 0 ? -1 : 0);
}

// The circle of t as the lift sees it: the plane through the three lifts
// (plane units, weights in square plane units) meets the paraboloid above
// the circle; with weights it is the power circle.  False when that plane
// lies wholly below the surface (no real circle) or t is flat.
bool circle_of(const std::vector<construction_point>& pts, const tri_index& t, construction_circle* out) {
  double x[3], y[3], z[3];
  for (int k = 0; k < 3; ++k) {
    const construction_point& p = pts[t[k]];
    x[k] = p.x / 100.0;
    y[k] = p.y / 100.0;
    z[k] = x[k] * x[k] + y[k] * y[k] - p.w / 1e4;
  }
  const double ux = x[1] - x[0], uy = y[1] - y[0], uz = z[1] - z[0];
  const double vx = x[2] - x[0], vy = y[2] - y[0], vz = z[2] - z[0];
  const double det = ux * vy - uy * vx;
  if (det == 0.0) return false;
  // z = a x + b y + c through the three lifts.
  const double a = (uz * vy - uy * vz) / det, b = (ux * vz - uz * vx) / det;
  const double c = z[0] - a * x[0] - b * y[0];
  const double r2 = c + (a * a + b * b) / 4.0;
  if (!(r2 > 0.0)) return false;
  out->centre[0] = a / 2.0;
  out->centre[1] = b / 2.0;
  out->radius = std::sqrt(r2);
  return true;
}

tri_index sorted_tri(int a, int b, int c) {
  tri_index t = {a, b, c};
  std::sort(t.begin(), t.end());
  return t;
}

bool has_vertex(const tri_index& t, int v) { return t[0] == v || t[1] == v || t[2] == v; }

bool has_edge(const tri_index& t, int a, int b) { return has_vertex(t, a) && has_vertex(t, b); }

// The edges of the fan opposite its apex p: the hole's rim, the horizon.
std::vector<std::array<int, 2>> rim_of(const std::vector<tri_index>& fan, int p) {
  std::vector<std::array<int, 2>> out;
  for (const tri_index& t : fan) {
    if (!has_vertex(t, p)) continue;
    int e[2], n = 0;
    for (int v : t)
      if (v != p) e[n++] = v;
    out.push_back({e[0], e[1]});
  }
  std::sort(out.begin(), out.end());
  return out;
}

int stages_of(const construction_step& st, insert_way way, bool lawson_used) {
  if (way == insert_way::hole || !lawson_used) return st.added.empty() && st.removed.empty() ? 1 : (way == insert_way::hole ? 2 : 1);
  return 1 + static_cast<int>(st.flips.size()) + (st.rest_removed.empty() && st.rest_added.empty() ? 0 : 1);
}

void apply(std::vector<tri_index>* set, const std::vector<tri_index>& gone, const std::vector<tri_index>& come) {
  std::vector<tri_index> out;
  for (const tri_index& t : *set)
    if (std::find(gone.begin(), gone.end(), t) == gone.end()) out.push_back(t);
  for (const tri_index& t : come) out.push_back(t);
  std::sort(out.begin(), out.end());
  *set = out;
}

std::string tri_text(const tri_index& t) {
  return std::to_string(t[0]) + " " + std::to_string(t[1]) + " " + std::to_string(t[2]);
}

std::string plural(size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// What the points so far are when they have no triangle of their own.
std::string flat_text(const std::vector<construction_point>& pts, const std::vector<int>& in) {
  std::vector<int> places;
  for (int i : in) {
    bool seen = false;
    for (int j : places) seen = seen || (pts[j].x == pts[i].x && pts[j].y == pts[i].y);
    if (!seen) places.push_back(i);
  }
  if (places.size() < 3) return places.size() == 1 ? "the points so far lie at one place: no triangle yet"
                                                    : "the points so far lie at two places: no triangle yet";
  for (size_t k = 2; k < places.size(); ++k)
    if (orient(pts[places[0]], pts[places[1]], pts[places[k]]) != 0)
      return places.size() == 3 ? "" : "the points so far lie on one circle: their lifts are flat, no triangle";
  return "the points so far lie on one line: no triangle yet";
}

// The picture of one stage of a computed step.
construction_picture picture_from(const std::vector<construction_point>& pts, const std::vector<int>& order,
                                  insert_way way, int step, int stage, const construction_step& st,
                                  const std::vector<tri_index>& before, bool random_order, unsigned seed) {
  construction_picture pic;
  pic.valid = true;
  pic.count = static_cast<int>(pts.size());
  pic.step = step;
  pic.point = st.point;
  pic.inserted.assign(order.begin(), order.begin() + step + 1);
  const bool lawson_used = way == insert_way::flips && !before.empty() && !st.after.empty();
  pic.stages = stages_of(st, way, lawson_used);
  pic.stage = std::clamp(stage, 0, pic.stages - 1);
  pic.hidden = st.hidden;
  if (!st.after.empty()) {
    std::vector<char> used(pts.size(), 0);
    for (const tri_index& t : st.after)
      for (int v : t) used[static_cast<size_t>(v)] = 1;
    for (int i : pic.inserted)
      if (!used[static_cast<size_t>(i)]) pic.hidden_so_far.push_back(i);
    std::sort(pic.hidden_so_far.begin(), pic.hidden_so_far.end());
  }
  pic.flat = st.flat;
  const construction_point& q = pts[st.point];
  int twin = -1;
  for (int k = 0; k < step; ++k)
    if (pts[order[k]].x == q.x && pts[order[k]].y == q.y) twin = order[k];
  pic.duplicate = twin >= 0;
  const int p = st.point;

  // The last stage says so up front: the notes after it may run long.
  const bool last = step == pic.count - 1 && pic.stage == pic.stages - 1;
  char head[112];
  if (random_order)
    std::snprintf(head, sizeof head, "step %d of %d (seed %u%s): inserting point %d: ", step + 1, pic.count, seed,
                  last ? ", last step" : "", p);
  else
    std::snprintf(head, sizeof head, "inserting point %d of %d%s: ", p, pic.count, last ? " (last step)" : "");
  std::string what;

  if (!lawson_used) {
    pic.rim = rim_of(st.added, p);
    if (way == insert_way::hole && pic.stage == 0 && pic.stages == 2) {
      pic.triangles = before;
      pic.lit = st.removed;
      for (const tri_index& t : st.removed) {
        construction_circle c;
        if (circle_of(pts, t, &c)) pic.circles.push_back(c);
      }
      if (st.removed.empty())
        what = "no circle holds it; " + plural(pic.rim.size(), "hull edge sees", "hull edges see") + " it (the rim)";
      else
        what = plural(st.removed.size(), "triangle holds", "triangles hold") + " it in " +
               (st.removed.size() == 1 ? "its circle" : "their circles") + " (the faces its lift sees)";
    } else {
      pic.triangles = st.after;
      pic.fresh = st.added;
      if (!st.added.empty())
        what = "the rim of " + plural(pic.rim.size(), "edge", "edges") + " gets a fan of " +
               plural(st.added.size(), "new triangle", "new triangles") + " (the cone from its lift)";
      if (!st.removed.empty() && way == insert_way::flips) what = plural(st.removed.size(), "triangle goes", "triangles go") + ", " + what;
    }
  } else {
    // The split, then the flips one at a time, then what no flip can do.
    std::vector<tri_index> now = before;
    apply(&now, st.removed, st.added);
    const int nflips = static_cast<int>(st.flips.size());
    const int upto = std::min(pic.stage, nflips);
    for (int i = 0; i < upto; ++i) {
      const edge_flip& f = st.flips[static_cast<size_t>(i)];
      apply(&now, {sorted_tri(f.a, f.b, f.c), sorted_tri(f.a, f.b, f.d)},
            {sorted_tri(f.c, f.d, f.a), sorted_tri(f.c, f.d, f.b)});
    }
    if (pic.stage == 0) {
      pic.lit = st.removed;
      pic.fresh = st.added;
      // The edges the split joins the point to: the old triangle's (or the
      // two old ones' outline), or the hull edges that see it from outside.
      pic.rim = rim_of(st.added, p);
      if (st.removed.size() == 1)
        what = "the triangle " + tri_text(st.removed[0]) + " holding it splits into 3";
      else if (st.removed.size() == 2)
        what = "on an edge: its 2 triangles split into 4";
      else if (!st.added.empty())
        what = "outside: it sees " + plural(st.added.size(), "hull edge", "hull edges");
      else
        what = "nothing to split";
      if (nflips > 0) what += ", then " + plural(static_cast<size_t>(nflips), "flip", "flips");
      else if (!st.added.empty()) what += "; no flip";
    } else if (pic.stage <= nflips) {
      const edge_flip& f = st.flips[static_cast<size_t>(pic.stage - 1)];
      const int other = f.c == p ? f.d : f.c;
      pic.flip = true;
      pic.flip_abcd = {f.a, f.b, f.c, f.d};
      pic.lit = {sorted_tri(f.a, f.b, p), sorted_tri(f.a, f.b, other)};
      pic.fresh = {sorted_tri(f.c, f.d, f.a), sorted_tri(f.c, f.d, f.b)};
      construction_circle c;
      if (circle_of(pts, sorted_tri(f.a, f.b, other), &c)) pic.circles.push_back(c);
      char text[128];
      std::snprintf(text, sizeof text, "flip %d of %d: %d lies inside the circle of %d %d %d, so edge %d %d gives way to %d %d",
                    pic.stage, nflips, p, f.a, f.b, other, f.a, f.b, f.c, f.d);
      what = text;
    } else {
      apply(&now, st.rest_removed, st.rest_added);
      pic.lit = st.rest_removed;
      pic.fresh = st.rest_added;
      what = "what no flip can do (a lift that sinks below): " + plural(st.rest_removed.size(), "triangle goes", "triangles go") +
             ", " + plural(st.rest_added.size(), "comes", "come");
    }
    pic.triangles = now;
  }

  // Notes: what the step is besides its triangles.
  std::vector<std::string> notes;
  if (pic.duplicate) notes.push_back("a duplicate of point " + std::to_string(twin));
  if (st.hidden && !pic.duplicate) notes.push_back("point " + std::to_string(p) + " is hidden: its lift lies above the lower hull");
  if (st.after.empty() || st.flat) {
    std::vector<int> in(order.begin(), order.begin() + step + 1);
    const std::string f = flat_text(pts, in);
    if (!f.empty()) notes.push_back(f);
  }
  if (!before.empty() && !pic.duplicate) {
    // On an edge of the triangulation so far: that edge goes.
    for (const tri_index& t : before) {
      for (int e = 0; e < 3; ++e) {
        const construction_point& a = pts[t[e]];
        const construction_point& b = pts[t[(e + 1) % 3]];
        const long long dot = (q.x - a.x) * (b.x - a.x) + (q.y - a.y) * (b.y - a.y);
        const long long len = (b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y);
        if (orient(a, b, q) != 0 || dot <= 0 || dot >= len) continue;
        const int lo = std::min(t[e], t[(e + 1) % 3]), hi = std::max(t[e], t[(e + 1) % 3]);
        notes.push_back("it lies on the edge " + std::to_string(lo) + " " + std::to_string(hi));
        e = 3;
      }
      if (!notes.empty() && notes.back().rfind("it lies on the edge", 0) == 0) break;
    }
  }
  if (!before.empty() && !st.after.empty()) {
    // A tie: the point on a circle next to the hole; either diagonal would do.
    std::vector<tri_index> region = st.added;
    region.insert(region.end(), st.removed.begin(), st.removed.end());
    for (const tri_index& t : before) {
      if (in_circle(pts, t, q) != 0) continue;
      const bool removed = !std::binary_search(st.after.begin(), st.after.end(), t);
      bool near = removed;
      for (const tri_index& r : region)
        for (int e = 0; e < 3 && !near; ++e) near = has_edge(t, r[e], r[(e + 1) % 3]);
      if (!near || has_vertex(t, p)) continue;
      notes.push_back("a tie: " + std::to_string(p) + " is on the circle of " + tri_text(t) +
                      (removed ? " (removed;" : " (kept;") + " either diagonal would do)");
      break;
    }
  }
  pic.status = head + what;
  for (const std::string& n : notes) pic.status += (what.empty() && &n == &notes[0] ? "" : "; ") + n;
  return pic;
}

// --- the mode -------------------------------------------------------------------------

construction_state state;

// A short seed, easy to read off the status line and to type back.
unsigned default_seed() {
  static std::random_device* device = new std::random_device();  // never destroyed: exit() may run in a callback
  return (*device)() % 100000u + 1u;
}
unsigned (*seed_source)() = default_seed;

struct step_cache {
  bool valid = false;
  std::vector<construction_point> pts;
  std::vector<int> order;
  insert_way way = insert_way::hole;
  int step = -1;
  construction_step st;
  std::vector<tri_index> before;
};
step_cache* cache = new step_cache();  // never destroyed: exit() may run in a callback
construction_picture* current = new construction_picture();

bool same(const std::vector<construction_point>& a, const std::vector<construction_point>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].x != b[i].x || a[i].y != b[i].y || a[i].w != b[i].w) return false;
  return true;
}

void say_current() { lab_status("%s", construction_current().status.c_str()); }

}  // namespace

std::vector<int> construction_order(int n, bool random_order, unsigned seed) {
  std::vector<int> order(static_cast<size_t>(std::max(n, 0)));
  for (int i = 0; i < n; ++i) order[static_cast<size_t>(i)] = i;
  if (random_order) {
    // Fisher and Yates with the raw 32-bit outputs of mt19937, which the
    // standard fixes: the same order from the same seed everywhere.
    std::mt19937 gen(seed);
    for (int i = n - 1; i > 0; --i) std::swap(order[static_cast<size_t>(i)], order[gen() % static_cast<unsigned>(i + 1)]);
  }
  return order;
}

construction_picture construction_picture_of(const std::vector<construction_point>& pts, const std::vector<int>& order,
                                             insert_way way, int step, int stage, bool random_order, unsigned seed) {
  std::vector<tri_index> before;
  if (step > 0) before = lower_hull_triangles(pts, order.data(), step);
  const construction_step st = construct_step(pts, order, step, way, before);
  return picture_from(pts, order, way, step, stage, st, before, random_order, seed);
}

const construction_picture& construction_current() {
  if (!state.on || point_count == 0) {
    *current = construction_picture();
    current->status = state.on ? "watch it grow: no points yet; add some with the right button" : "";
    return *current;
  }
  std::vector<construction_point> pts = construction_points_of_table();
  const int n = static_cast<int>(pts.size());
  state.step = std::clamp(state.step, 0, n - 1);
  state.stage = std::max(state.stage, 0);
  std::vector<int> order = construction_order(n, state.random_order, state.seed);
  if (!cache->valid || cache->step != state.step || cache->way != state.way || cache->order != order ||
      !same(cache->pts, pts)) {
    cache->before.clear();
    if (state.step > 0) cache->before = lower_hull_triangles(pts, order.data(), state.step);
    cache->st = construct_step(pts, order, state.step, state.way, cache->before);
    cache->pts = std::move(pts);
    cache->order = std::move(order);
    cache->way = state.way;
    cache->step = state.step;
    cache->valid = true;
  }
  *current = picture_from(cache->pts, cache->order, state.way, state.step, state.stage, cache->st, cache->before,
                          state.random_order, state.seed);
  state.stage = current->stage;
  return *current;
}

construction_state lab_construction_state() { return state; }

void lab_construction_set_state(const construction_state& s) {
  state = s;
  state.playing = false;  // a restored state waits for the space bar
  state.speed = std::clamp(state.speed, 0, CONSTRUCTION_SPEEDS - 1);
  if (state.on && point_count > 0) {
    // Held inside what the points allow: past the last insertion, its last stage.
    if (state.step >= point_count) {
      state.step = point_count - 1;
      state.stage = 1 << 20;
    }
    construction_current();
  }
}

void construction_seed_source(unsigned (*next_seed)()) { seed_source = next_seed != nullptr ? next_seed : default_seed; }

void construction_toggle() {
  state.on = !state.on;
  state.playing = false;
  if (!state.on) {
    lab_status("watch it grow: off, the whole triangulation again");
    return;
  }
  state.step = 0;
  state.stage = 0;
  say_current();
}

void construction_next() {
  if (!state.on) return construction_toggle();
  const construction_picture& pic = construction_current();
  if (!pic.valid) return say_current();
  if (pic.stage + 1 < pic.stages) {
    ++state.stage;
  } else if (pic.step + 1 < pic.count) {
    ++state.step;
    state.stage = 0;
  } else {
    state.playing = false;
    lab_status("%s", (pic.status + " (no step after it; Home for the first)").c_str());
    return;
  }
  say_current();
}

void construction_prev() {
  if (!state.on) return construction_toggle();
  const construction_picture& pic = construction_current();
  if (!pic.valid) return say_current();
  if (pic.stage > 0) {
    --state.stage;
  } else if (pic.step > 0) {
    --state.step;
    state.stage = 1 << 20;  // the last stage of the insertion before
  } else {
    lab_status("%s", (pic.status + " (the first step)").c_str());
    return;
  }
  say_current();
}

void construction_first() {
  if (!state.on) state.on = true;
  state.step = 0;
  state.stage = 0;
  say_current();
}

void construction_last() {
  if (!state.on) state.on = true;
  state.step = point_count > 0 ? point_count - 1 : 0;
  state.stage = 1 << 20;
  state.playing = false;
  say_current();
}

void construction_toggle_way() {
  state.way = state.way == insert_way::hole ? insert_way::flips : insert_way::hole;
  state.stage = 0;
  if (!state.on) {
    lab_status(state.way == insert_way::hole ? "watch it grow: by the hole (g starts)" : "watch it grow: by flips (g starts)");
    return;
  }
  say_current();
}

void construction_toggle_order() {
  state.random_order = !state.random_order;
  if (state.random_order) state.seed = seed_source();
  state.step = 0;
  state.stage = 0;
  if (!state.on) {
    if (state.random_order)
      lab_status("watch it grow: random order, seed %u (g starts)", state.seed);
    else
      lab_status("watch it grow: index order (g starts)");
    return;
  }
  say_current();
}

void construction_play_pause() {
  if (!state.on) {
    state.on = true;
    state.step = 0;
    state.stage = 0;
  } else if (!state.playing) {
    const construction_picture& pic = construction_current();
    // Play from the last stage starts again at the first.
    if (pic.valid && pic.step == pic.count - 1 && pic.stage == pic.stages - 1) {
      state.step = 0;
      state.stage = 0;
    }
  } else {
    state.playing = false;
    lab_status("%s", (construction_current().status + " (paused)").c_str());
    return;
  }
  state.playing = point_count > 0;
  say_current();
}

static void say_speed() {
  lab_status("watch it grow: %.2g s a stage%s", CONSTRUCTION_DELAY_MS[state.speed] / 1000.0,
             state.playing ? "" : " (space plays)");
}

void construction_faster() {
  state.speed = std::min(state.speed + 1, CONSTRUCTION_SPEEDS - 1);
  say_speed();
}

void construction_slower() {
  state.speed = std::max(state.speed - 1, 0);
  say_speed();
}

bool construction_tick() {
  if (!state.on || !state.playing) return false;
  const construction_picture& pic = construction_current();
  if (!pic.valid || (pic.step == pic.count - 1 && pic.stage == pic.stages - 1)) {
    state.playing = false;
    return false;
  }
  construction_next();
  const construction_picture& now = construction_current();
  if (now.step == now.count - 1 && now.stage == now.stages - 1) state.playing = false;
  return state.playing;
}
