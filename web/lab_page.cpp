// The lab page's side of zelmor-lab: its toolbar runs the lab's actions as
// their keys do; "Load points" reads a file the page has put in the
// in-memory file system; "Save points" writes a new file there, which the
// page then offers as a download.
#include <emscripten.h>

#include <string>

#include "app/windows.h"
#include "lab/edit.h"
#include "lab/lab.h"
#include "view2d/view2d.h"

namespace {

// A page button goes the way of a key, so that it records the step in the
// history and redraws just as the key does.
void run_as_key(const lab_action& a) {
  if (a.key != 0) lab_keyboard(a.key, -1, -1);
  else lab_special(a.special, -1, -1);
}

// What follows an edit from the page, as it follows a key's action.
void after_edit() {
  lab_history_note(nullptr);
  redisplay_windows("23S");
}

const lab_action* action(int i) {
  return i >= 0 && i < lab_action_count() ? lab_action_at(i) : nullptr;
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE int zl_action_count() { return lab_action_count(); }
EMSCRIPTEN_KEEPALIVE const char* zl_action_name(int i) {
  const lab_action* a = action(i);
  return a != nullptr ? a->name : "";
}
// The ASCII key of action i, or 0 when a special key (zl_action_special) is
// bound instead.
EMSCRIPTEN_KEEPALIVE int zl_action_key(int i) {
  const lab_action* a = action(i);
  return a != nullptr ? a->key : 0;
}
EMSCRIPTEN_KEEPALIVE int zl_action_special(int i) {
  const lab_action* a = action(i);
  return a != nullptr ? a->special : 0;
}
EMSCRIPTEN_KEEPALIVE void zl_run_action(int i) {
  if (const lab_action* a = action(i)) run_as_key(*a);
}

// Loads the points file at path (name: the file's name as the user chose
// it); 1 when loaded.  A failure is in the status line and changes nothing.
EMSCRIPTEN_KEEPALIVE int zl_load(const char* path, const char* name) {
  const int loaded = lab_load_file(path, (std::string("load ") + name).c_str());
  if (loaded) drag_index = -1;  // the point it held may be gone
  after_edit();
  return loaded;
}

// Saves the points to a new file named by date and time; its name, or ""
// when the save failed (the status line says why).
EMSCRIPTEN_KEEPALIVE const char* zl_save() {
  static std::string name;
  name.clear();
  if (!lab_save_new(&name)) name.clear();
  after_edit();  // the status line names the file or the failure
  return name.c_str();
}

}  // extern "C"
