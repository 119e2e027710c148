// The lab's key table: one row per key, filled by the features at start-up.
#include <vector>

#include "diag/diag.h"
#include "lab/lab.h"

namespace {

// Scratch whose growth nobody observes; filled once at start-up.
std::vector<lab_action>& table() {
  static std::vector<lab_action>* t = new std::vector<lab_action>();  // never destroyed: exit() may run in a callback
  return *t;
}

}  // namespace

void lab_add_actions(const lab_action* actions, int count) {
  for (int i = 0; i < count; ++i) {
    const lab_action& a = actions[i];
    if (lab_find_action(a.key, a.special) != nullptr) {
      if (a.key != 0)
        fatal_error("lab: key '%c' is bound twice\n", a.key);
      else
        fatal_error("lab: special key %d is bound twice\n", a.special);
    }
    table().push_back(a);
  }
}

const lab_action* lab_find_action(unsigned char key, int special) {
  for (const lab_action& a : table())
    if (a.key == key && a.special == special) return &a;
  return nullptr;
}

int lab_run_key(unsigned char key, int special) {
  const lab_action* a = lab_find_action(key, special);
  if (a == nullptr) return 0;
  a->run();
  return 1;
}

int lab_action_count() { return static_cast<int>(table().size()); }
const lab_action* lab_action_at(int i) { return &table()[static_cast<size_t>(i)]; }
void lab_clear_actions() { table().clear(); }
