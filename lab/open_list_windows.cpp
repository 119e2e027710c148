// The Open list's GL half: o shows the point files of the working directory
// over the 2D view; the keys and the mouse move in it and load from it while
// it is shown.  Loading is lab_load_file, so a load is one step of the
// history and brings a lesson's view back with its points.
#include <GL/freeglut.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/windows.h"
#include "lab/edit.h"
#include "lab/lab.h"
#include "lab/open_list.h"
#include "view2d/scale.h"
#include "view2d/view2d.h"

namespace {

bool shown = false;
std::vector<open_entry>* entries = new std::vector<open_entry>();  // never destroyed: exit() may run in a callback
open_choice choice;

// The list's box in the 2D view's layout pixels (y up; the view's device
// pixels over the drawing scale): a margin of 12 all round; a title row and
// a hint row, then the entries.
constexpr int kMargin = 12;
constexpr int kRow = 16;
constexpr int kHeadRows = 2;

int view_w() { return layout_px(points_win_w); }
int view_h() { return layout_px(points_win_h); }
int box_top() { return view_h() - kMargin; }
int rows_shown() {
  const int rows = (view_h() - 2 * kMargin - 8 - kHeadRows * kRow) / kRow;
  return rows < 1 ? 1 : rows;
}
// Entry row r spans y (row_top(r) - kRow, row_top(r)], y up.
int row_top(int r) { return box_top() - 4 - (kHeadRows + r) * kRow; }
int row_at_y(int y) {
  const int below_head = row_top(0) - y;
  return below_head < 0 ? -1 : below_head / kRow;
}

void text(int x, int y, const std::string& s, int max_chars) {
  glRasterPos2i(x, y);
  draw_bitmap_text(GLUT_BITMAP_8_BY_13, s.c_str(), std::min(static_cast<int>(s.size()), max_chars));
}

void draw_list() {
  if (!shown) return;
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_COLOR_BUFFER_BIT | GL_LINE_BIT);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, points_win_w / draw_scale(), 0, points_win_h / draw_scale(), -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();

  const int x0 = kMargin, x1 = view_w() - kMargin, y1 = box_top(), y0 = kMargin;
  glColor4f(1.0f, 1.0f, 1.0f, 0.95f);
  glRecti(x0, y0, x1, y1);
  glColor4f(0.2f, 0.2f, 0.2f, 1.0f);
  scaled_line_width(1.0f);
  glBegin(GL_LINE_LOOP);
  glVertex2i(x0, y0);
  glVertex2i(x1, y0);
  glVertex2i(x1, y1);
  glVertex2i(x0, y1);
  glEnd();
  const int chars = (x1 - x0 - 12) / 8;
  const int count = static_cast<int>(entries->size());
  text(x0 + 6, y1 - kRow, "Open a points file of this folder (newest first)", chars);
  glColor4f(0.35f, 0.35f, 0.35f, 1.0f);
  text(x0 + 6, y1 - 2 * kRow,
       count == 0 ? "No .txt file here yet: s saves one. Esc closes."
                  : "Up/Down, Enter or a click loads; Esc or o closes.",
       chars);
  const int rows = rows_shown();
  for (int r = 0; r < rows; ++r) {
    const int i = open_choice_at_row(choice, count, rows, r);
    if (i < 0) break;
    const int top = row_top(r);
    if (i == choice.current) {
      glColor4f(0.75f, 0.85f, 1.0f, 1.0f);
      glRecti(x0 + 2, top - kRow + 1, x1 - 2, top);
    }
    const open_entry& e = (*entries)[static_cast<std::size_t>(i)];
    if (e.points < 0) glColor4f(0.5f, 0.5f, 0.5f, 1.0f);
    else glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    text(x0 + 6, top - kRow + 4, open_entry_line(e), chars);
  }
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopAttrib();
}

void close_list(const char* why) {
  shown = false;
  if (why != nullptr) lab_status("%s", why);
}

void load_current() {
  if (choice.current < 0 || choice.current >= static_cast<int>(entries->size())) return;
  const open_entry e = (*entries)[static_cast<std::size_t>(choice.current)];
  if (e.points < 0) {
    lab_status("%s: %s; choose another file", e.name.c_str(), e.trouble.c_str());
    return;
  }
  close_list(nullptr);
  if (lab_load_file(e.name.c_str(), ("open " + e.name).c_str())) lab_history_mark_saved();
}

int list_keys(unsigned char key, int special) {
  if (!shown) return 0;
  const int count = static_cast<int>(entries->size());
  const int rows = rows_shown();
  if (key == 0) {
    switch (special) {
      case GLUT_KEY_UP: open_choice_move(&choice, count, -1, rows); break;
      case GLUT_KEY_DOWN: open_choice_move(&choice, count, 1, rows); break;
      case GLUT_KEY_PAGE_UP: open_choice_move(&choice, count, -rows, rows); break;
      case GLUT_KEY_PAGE_DOWN: open_choice_move(&choice, count, rows, rows); break;
      case GLUT_KEY_HOME: open_choice_move(&choice, count, -count, rows); break;
      case GLUT_KEY_END: open_choice_move(&choice, count, count, rows); break;
      default:
        // Shift and the like are half of another key.
        if (special < 0x6D) lab_status("the Open list is shown: Enter loads, Esc closes");
    }
    return 1;
  }
  if (key == 13 || key == 10) load_current();
  else if (key == 27 || key == 'o') close_list("Open list closed; nothing loaded");
  else lab_status("the Open list is shown: Enter loads, Esc closes");
  return 1;
}

int list_mouse(int button, int state, int x, int y) {
  if (!shown) return 0;
  if (state != GLUT_DOWN) return 1;
  const int count = static_cast<int>(entries->size());
  const int rows = rows_shown();
  const int gy = layout_px(points_win_h - y);  // y up
  x = layout_px(x);
  if (button == 3 || button == 4) {  // the wheel scrolls the choice
    open_choice_move(&choice, count, button == 3 ? -1 : 1, rows);
  } else if (x < kMargin || x > view_w() - kMargin || gy < kMargin || gy > box_top()) {
    close_list("Open list closed; nothing loaded");
  } else if (button == GLUT_LEFT_BUTTON) {
    const int i = open_choice_at_row(choice, count, rows, row_at_y(gy));
    if (i >= 0) {
      choice.current = i;
      load_current();
    }
  }
  redisplay_windows("23S");
  return 1;
}

void open_action() {
  if (shown) {
    close_list("Open list closed; nothing loaded");
    return;
  }
  std::string error;
  *entries = list_point_files(".", &error);
  if (!error.empty()) {
    lab_status("%s", error.c_str());
    return;
  }
  choice = open_choice{};
  open_choice_move(&choice, static_cast<int>(entries->size()), 0, rows_shown());
  shown = true;
  lab_status("%zu point files here; Enter or a click loads one", entries->size());
}

const lab_action kActions[] = {
    {'o', 0, "open a points file of this folder", open_action},
};

}  // namespace

int lab_open_list_shown() { return shown ? 1 : 0; }

void lab_open_list_init() {
  lab_add_actions(kActions, sizeof kActions / sizeof kActions[0]);
  lab_set_key_filter(list_keys);
  lab_add_points_mouse_filter(list_mouse);
  lab_add_points_overlay(draw_list);
}
