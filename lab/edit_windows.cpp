// Keeping and changing work, GL side: the keys, the duplicate filter on the
// right button, the observer that turns finished mouse gestures (an added
// point, a drag, New) into steps of the history, and the start-up with FILE.
#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/windows.h"
#include "lab/edit.h"
#include "lab/lab.h"
#include "view2d/view2d.h"

namespace {

// After zelmor's New, which empties the set outside the lab's history: a
// drag still held ends, since the index it grabbed names no point now.  (The
// lab's own edits end it in lab_set_points.)
void end_drag() { drag_index = -1; }

void undo_action() { lab_undo(); }

void redo_action() { lab_redo(); }

void delete_action() {
  const int i = lab_selected_point();
  if (i < 0) {
    lab_status("no point selected: click one with the left or middle button, then x");
    return;
  }
  lab_delete_point(i);
}

void reload_action() {
  if (lab_point_file.empty()) {
    lab_status("no FILE to reload: start the lab as zelmor-lab FILE");
    return;
  }
  if (lab_load_file(lab_point_file.c_str(), ("reload " + lab_point_file).c_str()))
    lab_history_mark_saved();
}

void save_new_action() {
  std::string name;
  if (lab_save_new(&name)) lab_history_mark_saved();
}

void save_file_action() {
  if (lab_point_file.empty()) {
    lab_status("no FILE to save to (started without one): s saves to a new file");
    return;
  }
  if (lab_save_to(lab_point_file.c_str())) lab_history_mark_saved();
}

const lab_action kEditActions[] = {
    {'z', 0, "undo the last edit", undo_action},
    {26, 0, "undo the last edit", undo_action},
    {'y', 0, "redo what was undone", redo_action},
    {25, 0, "redo what was undone", redo_action},
    {'x', 0, "delete the selected point", delete_action},
    {127, 0, "delete the selected point", delete_action},
    {'L', 0, "reload FILE (z undoes it)", reload_action},
    {'s', 0, "save to a new file (date, time)", save_new_action},
    {'S', 0, "save to FILE, replacing it", save_file_action},
};

// A right press on an existing point selects it instead of adding a second
// point on top of it.  The pick square is the one of the left and middle
// buttons.
int refuse_duplicate(int button, int state, int x, int y) {
  if (button != GLUT_RIGHT_BUTTON || state != GLUT_DOWN) return 0;
  const int i = pick_point(x, points_win_h - y);
  if (i < 0) return 0;
  selected_count = 1;
  selected_points[0] = i;
  lab_status("point %d is already there: selected it instead of adding another", i);
  redisplay_windows("23S");
  return 1;
}

// Every press and release that may have changed the point set: a right
// press added a point, a left release ended a drag, a release in the panel
// may have been New.  Motion is never a step: a whole drag is one.
void note_gesture(lab_window window, int button, int state) {
  const bool cleared = window == lab_window::panel && button == GLUT_LEFT_BUTTON &&
                       state == GLUT_UP && point_count == 0;
  // zelmor's New keeps the selection; in the lab x, + and - would then act
  // on whichever point next takes that index.
  if (cleared) {
    selected_count = 0;
    end_drag();
  }
  if (!lab_history_note(nullptr)) return;
  if (cleared) lab_status("New: every point cleared (z brings them back)");
}

}  // namespace

void lab_edit_init(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (argv[i][0] == '-' && argv[i][1] != '\0') continue;  // options belong to other features
    if (!lab_point_file.empty()) {
      std::fprintf(stderr, "usage: zelmor-lab [FILE]: more than one FILE given\n");
      std::exit(2);
    }
    lab_point_file = argv[i];
  }
  lab_add_actions(kEditActions, sizeof kEditActions / sizeof kEditActions[0]);
  lab_add_points_mouse_filter(refuse_duplicate);
  lab_add_mouse_observer(note_gesture);
}

void lab_edit_start() {
  if (!lab_point_file.empty())
    lab_load_file(lab_point_file.c_str(), ("load " + lab_point_file).c_str());
  // The set as the lab starts (FILE's points, or none) is where undo stops,
  // and nothing of it is unsaved.
  lab_history_reset();
}
