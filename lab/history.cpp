// The lab's edit history: every state of the point set kept whole, a cursor
// into them, and the edits that go through it (delete, replace).
//
// A state is at most 200 points of three doubles, so keeping each whole is
// cheaper in code than recording inverse operations and cannot drift: an
// undo sets exactly the point set that was there.
#include <cstdio>
#include <string>
#include <vector>

#include "diag/diag.h"
#include "lab/edit.h"
#include "lab/lab.h"
#include "view2d/view2d.h"

namespace {

struct history_state {
  std::vector<lab_point> points;
  std::string what;  // the step that led here ("" for the first state)
};

// Grows with the session and is never destroyed: exit() may run in a
// callback, and nothing outside this file sees the vector itself.
std::vector<history_state>& states() {
  static auto* s = new std::vector<history_state>();
  return *s;
}
int position = 0;

// The weight gesture the step at `position` belongs to (a run of key presses
// on one point, a wheel gesture): its tag, or -1 when that step is no
// gesture's, and the time of its last change.
int gesture_tag = -1;
double gesture_time = 0.0;

// The point set as it was last saved or loaded: work that differs from it
// would be lost by quitting.
std::vector<lab_point>& saved_points() {
  static auto* s = new std::vector<lab_point>();
  return *s;
}

bool same_point(const lab_point& a, const lab_point& b) {
  return a.x == b.x && a.y == b.y && a.w == b.w;
}

bool same_points(const std::vector<lab_point>& a, const std::vector<lab_point>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (!same_point(a[i], b[i])) return false;
  return true;
}

// A name for the step from a to b, for the status line.
std::string step_name(const std::vector<lab_point>& a, const std::vector<lab_point>& b) {
  if (b.empty()) return "New";
  if (b.size() == a.size() + 1 && same_points(a, std::vector<lab_point>(b.begin(), b.end() - 1)))
    return "add point " + std::to_string(b.size() - 1);
  if (a.size() == b.size()) {
    int changed = -1;
    int count = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
      if (!same_point(a[i], b[i])) {
        changed = static_cast<int>(i);
        ++count;
      }
    }
    if (count == 1) {
      const lab_point& p = a[static_cast<std::size_t>(changed)];
      const lab_point& q = b[static_cast<std::size_t>(changed)];
      if (p.x == q.x && p.y == q.y) return "weight of point " + std::to_string(changed);
      return "move point " + std::to_string(changed);
    }
  }
  return "change the points";
}

void ensure_started() {
  if (states().empty()) lab_history_reset();
}

}  // namespace

std::vector<lab_point> lab_current_points() {
  std::vector<lab_point> pts;
  for (int i = 0; i < point_count; ++i)
    pts.push_back({plane_table[i].x, plane_table[i].y, lab_point_weight[i]});
  return pts;
}

void lab_set_points(const std::vector<lab_point>& pts) {
  if (pts.size() > static_cast<std::size_t>(MAX_POINTS))
    fatal_error("lab: a point set of %zu points\n", pts.size());
  const std::vector<lab_point> before = lab_current_points();
  const int selected = lab_selected_point();
  // The weights first: the lifts read them.
  point_rec plane[MAX_POINTS];
  for (std::size_t i = 0; i < static_cast<std::size_t>(MAX_POINTS); ++i)
    lab_point_weight[i] = i < pts.size() ? pts[i].w : 0.0;
  for (std::size_t i = 0; i < pts.size(); ++i) plane[i] = point_rec{pts[i].x, pts[i].y, 0.0, 1.0};
  replace_point_set(plane, static_cast<int>(pts.size()));
  // A drag still held grabbed an index of the old set, which may name
  // another point now, or none: it ends here, for every way in (undo, redo,
  // delete, a load, a preset, the page's link).
  drag_index = -1;
  // The selection names an index; it may stay only while that index still
  // names the same point: at the same place, or the one point that changed
  // (an undone drag or weight).  Any other index would let x, + or - act on
  // a point the user never picked.
  bool keep = selected >= 0 && static_cast<std::size_t>(selected) < pts.size();
  if (keep) {
    const std::size_t s = static_cast<std::size_t>(selected);
    const bool same_place = before[s].x == pts[s].x && before[s].y == pts[s].y;
    bool only_it_changed = before.size() == pts.size();
    for (std::size_t j = 0; only_it_changed && j < pts.size(); ++j)
      if (j != s && !same_point(before[j], pts[j])) only_it_changed = false;
    keep = same_place || only_it_changed;
  }
  if (!keep) selected_count = 0;
}

void lab_history_reset() {
  states().clear();
  states().push_back({lab_current_points(), ""});
  position = 0;
  gesture_tag = -1;
  saved_points() = lab_current_points();
}

int lab_history_note(const char* what) {
  ensure_started();
  std::vector<lab_point> now = lab_current_points();
  const std::vector<lab_point>& at = states()[static_cast<std::size_t>(position)].points;
  if (same_points(now, at)) return 0;
  std::string name = what != nullptr ? std::string(what) : step_name(at, now);
  states().resize(static_cast<std::size_t>(position) + 1);  // the redo branch goes
  states().push_back({std::move(now), std::move(name)});
  ++position;
  gesture_tag = -1;
  return 1;
}

int lab_history_note_gesture(const char* what, int tag, double now_seconds) {
  ensure_started();
  const bool continues = tag >= 0 && tag == gesture_tag && position > 0 &&
                         position + 1 == lab_history_size() &&
                         now_seconds - gesture_time <= LAB_GESTURE_GAP &&
                         now_seconds >= gesture_time;
  if (!continues) {
    const int recorded = lab_history_note(what);
    if (recorded) {
      gesture_tag = tag;
      gesture_time = now_seconds;
    }
    return recorded;
  }
  // The gesture's step is the last one: it takes the new state in place.
  std::vector<lab_point> now = lab_current_points();
  gesture_time = now_seconds;
  if (same_points(now, states()[static_cast<std::size_t>(position)].points)) return 0;
  if (same_points(now, states()[static_cast<std::size_t>(position) - 1].points)) {
    // Back where the gesture began (up, then down again): no step at all.
    states().pop_back();
    --position;
    gesture_tag = -1;
    return 1;
  }
  history_state& s = states()[static_cast<std::size_t>(position)];
  s.points = std::move(now);
  if (what != nullptr) s.what = what;
  return 1;
}

void lab_history_mark_saved() { saved_points() = lab_current_points(); }

int lab_unsaved_work() { return same_points(lab_current_points(), saved_points()) ? 0 : 1; }

int lab_quit_confirm() {
  static auto* asked = new std::vector<lab_point>();
  static bool asked_once = false;
  if (!lab_unsaved_work()) return 1;
  const std::vector<lab_point> now = lab_current_points();
  if (asked_once && same_points(now, *asked)) return 1;
  *asked = now;
  asked_once = true;
  lab_status("unsaved points: Quit! again to quit without them, or s to save them first");
  return 0;
}

int lab_undo() {
  ensure_started();
  lab_history_note(nullptr);  // a change still in progress (a drag) is a step of its own
  if (position == 0) {
    lab_status("nothing to undo");
    return 0;
  }
  const std::string what = states()[static_cast<std::size_t>(position)].what;
  --position;
  gesture_tag = -1;
  lab_set_points(states()[static_cast<std::size_t>(position)].points);
  lab_status("undone: %s (z undo, y redo)", what.c_str());
  return 1;
}

int lab_redo() {
  ensure_started();
  lab_history_note(nullptr);
  if (position + 1 >= lab_history_size()) {
    lab_status("nothing to redo");
    return 0;
  }
  ++position;
  gesture_tag = -1;
  const history_state& s = states()[static_cast<std::size_t>(position)];
  lab_set_points(s.points);
  lab_status("redone: %s (z undo, y redo)", s.what.c_str());
  return 1;
}

int lab_history_size() { return static_cast<int>(states().size()); }
int lab_history_position() { return position; }

void lab_replace_points(const std::vector<lab_point>& pts, const char* what) {
  lab_history_note(nullptr);
  lab_set_points(pts);
  // A new set: whatever index was selected names another point now, or none.
  selected_count = 0;
  lab_history_note(what);
}

int lab_delete_point(int i) {
  if (i < 0 || i >= point_count) return 0;
  lab_history_note(nullptr);
  std::vector<lab_point> pts = lab_current_points();
  pts.erase(pts.begin() + i);
  lab_set_points(pts);
  selected_count = 0;
  lab_history_note(("delete point " + std::to_string(i)).c_str());
  if (i < point_count)
    lab_status("deleted point %d; points %d to %d are now %d to %d", i, i + 1, point_count, i,
               point_count - 1);
  else
    lab_status("deleted point %d", i);
  return 1;
}

int lab_selected_point() {
  if (selected_count < 1 || selected_points[0] < 0 || selected_points[0] >= point_count) return -1;
  return selected_points[0];
}
