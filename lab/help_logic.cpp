// The lab's About text: how the mouse works and every key of the key table
// with its full name, in two columns, sized for the About window.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "lab/lab.h"

namespace {

constexpr int kKeyWidth = 7;  // the keys, then the name

const char* const kHead[] = {
    "ZELMOR Lab: keys work over every window; Esc, h or a click closes this help.",
    "2D view: right button adds a point, left selects and drags, middle selects,",
    "wheel over a point weights it.  3D view: a left drag turns the scene.  Keys:",
};
const char* const kTail[] = {
    "c: the circle under the pointer; K, then 3 points clicked: their circle and",
    "plane.  = - + _ act on the selected point.  Blue Delaunay, red Voronoi,",
    "orange weights; 3D faces cyan (below), green (above); a ring: hidden point.",
};

// Breaks name into pieces of at most width characters at blanks.
std::vector<std::string> wrap_name(const std::string& name, size_t width) {
  std::vector<std::string> out;
  std::string rest = name;
  while (rest.size() > width) {
    size_t cut = rest.rfind(' ', width);
    if (cut == std::string::npos || cut == 0) cut = width;
    out.push_back(rest.substr(0, cut));
    rest = rest.substr(cut);
    while (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
  }
  out.push_back(rest);
  return out;
}

}  // namespace

std::string lab_key_name(unsigned char key, int special) {
  char buf[16];
  // GLUT's special keys: F1 .. F12 are 1 .. 12, the arrows and the block
  // above them 100 .. 108 (GLUT_KEY_LEFT .. GLUT_KEY_INSERT).
  static const char* const kBlock[] = {"Left", "Up",  "Right", "Down",  "PageUp",
                                       "PageDown", "Home", "End", "Insert"};
  if (key == 0 && special >= 1 && special <= 12)
    std::snprintf(buf, sizeof buf, "F%d", special);
  else if (key == 0 && special >= 100 && special <= 108)
    std::snprintf(buf, sizeof buf, "%s", kBlock[special - 100]);
  else if (key == 0)
    std::snprintf(buf, sizeof buf, "#%d", special);
  else if (key == 127)
    std::snprintf(buf, sizeof buf, "Del");
  else if (key == 27)
    std::snprintf(buf, sizeof buf, "Esc");
  else if (key == ' ')
    std::snprintf(buf, sizeof buf, "Space");
  else if (key == 8)
    std::snprintf(buf, sizeof buf, "Backspace");
  else if (key == 9)
    std::snprintf(buf, sizeof buf, "Tab");
  else if (key == 13)
    std::snprintf(buf, sizeof buf, "Enter");
  else if (key < 32)
    std::snprintf(buf, sizeof buf, "^%c", 'A' + key - 1);
  else if (key > 127)
    std::snprintf(buf, sizeof buf, "#%d", key);
  else
    std::snprintf(buf, sizeof buf, "%c", key);
  return buf;
}

std::string lab_help_text() {
  // One entry per action name, the keys bound to it together.
  std::vector<std::pair<std::string, std::string>> entries;
  for (int i = 0; i < lab_action_count(); ++i) {
    const lab_action& a = *lab_action_at(i);
    bool merged = false;
    for (auto& e : entries)
      if (e.second == a.name) {
        e.first.append(" ").append(lab_key_name(a.key, a.special));
        merged = true;
      }
    if (!merged) entries.push_back({lab_key_name(a.key, a.special), a.name});
  }
  // Each entry is one cell or more (a long name goes on under itself), never
  // cut: the keys, then the name.
  std::vector<std::vector<std::string>> cells;
  size_t lines = 0;
  for (const auto& [keys, name] : entries) {
    const size_t indent = std::max<size_t>(keys.size() + 1, kKeyWidth);
    std::vector<std::string> cell;
    for (const std::string& piece : wrap_name(name, LAB_HELP_COLUMN - 1 - indent)) {
      std::string row = cell.empty() ? keys : "";
      row.resize(indent, ' ');
      cell.push_back(row + piece);
    }
    lines += cell.size();
    cells.push_back(cell);
  }
  // The left column takes cells until it holds half the lines.
  size_t split = 0, left_lines = 0;
  while (split < cells.size() && 2 * (left_lines + cells[split].size()) <= lines + 1) {
    left_lines += cells[split].size();
    ++split;
  }
  std::vector<std::string> left, right;
  for (size_t k = 0; k < cells.size(); ++k)
    for (const std::string& row : cells[k]) (k < split ? left : right).push_back(row);
  std::string text;
  for (const char* line : kHead) text += std::string(line) + "\n";
  for (size_t r = 0; r < std::max(left.size(), right.size()); ++r) {
    std::string line = r < left.size() ? left[r] : "";
    if (r < right.size()) {
      line.resize(LAB_HELP_COLUMN, ' ');
      line += right[r];
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    text += line + "\n";
  }
  for (const char* line : kTail) text += std::string(line) + "\n";
  return text;
}

lab_place lab_help_place(int screen_w, int screen_h, int help_w, int help_h, int view3d_x, int view3d_w,
                         int view3d_h) {
  const int right_x = view3d_x + view3d_w + 8, below_y = view3d_h + 8;
  if (right_x + help_w <= screen_w && help_h <= screen_h) return {right_x, 0};
  if (view3d_x + help_w <= screen_w && below_y + help_h <= screen_h) return {view3d_x, below_y};
  // No room beside the work: over the 3D view, moved left only as far as the
  // screen's right edge asks.
  return {std::max(0, std::min(view3d_x, screen_w - help_w)), 0};
}

bool lab_scale_fits_screen(float scale, int screen_w, int screen_h) {
  const auto px = [scale](int layout) { return std::lround(static_cast<double>(layout) * scale); };
  if (screen_w > 0 && px(553) + px(200) > screen_w) return false;
  if (screen_h > 0 && px(300) > screen_h) return false;
  return true;
}

float lab_next_presentation_scale(float scale, int screen_w, int screen_h) {
  // The steps a projector wants, from the desktop's own size up; any other
  // scale (the page's device pixel ratio) goes on to the next step above it.
  // Scale 1 is the desktop's own and always offered.
  constexpr float kSteps[] = {1.0f, 1.5f, 2.0f, 3.0f};
  for (const float step : kSteps)
    if (step > scale && lab_scale_fits_screen(step, screen_w, screen_h)) return step;
  return kSteps[0];
}
