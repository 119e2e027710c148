// The lab's About text: how the mouse works and every key of the key table,
// in two columns, within the About window's 29 lines of 74 characters.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "lab/lab.h"

namespace {

constexpr int kColumn = 37;   // characters per column
constexpr int kKeyWidth = 7;  // the keys, then the name

std::string key_name(const lab_action& a) {
  char buf[16];
  if (a.key == 0)
    std::snprintf(buf, sizeof buf, "F%d", a.special);  // GLUT_KEY_F1.. are 1..12
  else if (a.key == 127)
    std::snprintf(buf, sizeof buf, "Del");
  else if (a.key == ' ')
    std::snprintf(buf, sizeof buf, "Space");
  else if (a.key < 32)
    std::snprintf(buf, sizeof buf, "^%c", 'A' + a.key - 1);
  else
    std::snprintf(buf, sizeof buf, "%c", a.key);
  return buf;
}

const char* const kHead[] = {
    "ZELMOR Lab: the lesson of ZELMOR with more to see, by keyboard",
    "",
    "2D view: right button adds a point, left selects and drags one, middle",
    "selects.  3D view: a left drag turns the scene (half a turn a window).",
    "",
    "Keys (in every window):",
};
const char* const kTail[] = {
    "",
    "The status line at the foot of the 2D view: points, selection, pointer.",
};

}  // namespace

std::string lab_help_text() {
  // One entry per action name, the keys bound to it together.
  std::vector<std::pair<std::string, std::string>> entries;
  for (int i = 0; i < lab_action_count(); ++i) {
    const lab_action& a = *lab_action_at(i);
    bool merged = false;
    for (auto& e : entries)
      if (e.second == a.name) {
        e.first.append(" ").append(key_name(a));
        merged = true;
      }
    if (!merged) entries.push_back({key_name(a), a.name});
  }
  std::vector<std::string> cells;
  for (const auto& [keys, name] : entries) {
    std::string cell = keys;
    cell.resize(std::max<size_t>(cell.size() + 1, kKeyWidth), ' ');
    cell += name;
    if (cell.size() > kColumn - 1) cell.resize(kColumn - 1);
    cells.push_back(cell);
  }
  const size_t rows = (cells.size() + 1) / 2;
  std::string text;
  for (const char* line : kHead) text += std::string(line) + "\n";
  for (size_t r = 0; r < rows; ++r) {
    std::string line = cells[r];
    if (r + rows < cells.size()) {
      line.resize(kColumn, ' ');
      line += cells[r + rows];
    }
    text += line + "\n";
  }
  for (const char* line : kTail) text += std::string(line) + "\n";
  return text;
}
