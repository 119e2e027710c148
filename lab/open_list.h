// lab/open_list.h — the lab's Open list: the point files of the working
// directory, newest first with their point counts, to load one from inside
// the lab (o).
//
// The list itself (finding the files, counting their points, moving the
// choice) is GL-free (zelmor_lab_logic); the GL half draws it over the 2D
// view and takes the keys and clicks while it is shown.
#pragma once

#include <string>
#include <vector>

// One file the list offers.  points is -1 when the file does not read as a
// points file (why: trouble); it is still listed, so that the teacher sees
// it is there and why it will not load.
struct open_entry {
  std::string name;
  long long mtime_ns = 0;
  int points = -1;
  std::string trouble;
};

// At most this many files are listed (the newest), so that a folder of
// thousands opens at once.
inline constexpr int OPEN_LIST_MAX = 100;

// The regular files of dir whose names end in ".txt" (links followed, hidden
// files left out), newest first (ties by name), with their point counts from
// the lab's own reader and bounds.  *error says why when dir cannot be read
// (the list is then empty).
std::vector<open_entry> list_point_files(const char* dir, std::string* error);

// The choice in a list of count entries: current is the highlighted entry
// (-1 when the list is empty), top the first of rows shown.
struct open_choice {
  int current = -1;
  int top = 0;
};
// Moves the choice by delta entries (held within the list) and scrolls so
// that it stays among the rows shown.
void open_choice_move(open_choice* c, int count, int delta, int rows);
// The entry at shown row r (0 the top row), or -1 when that row shows none.
int open_choice_at_row(const open_choice& c, int count, int rows, int r);

// The line the list shows for an entry: name, count (or trouble) and the
// local date and time the file was last changed.
std::string open_entry_line(const open_entry& e);

// GL side (open_list_windows.cpp): binds o and draws the list; Up, Down,
// Page Up, Page Down, Home, End move in it, Enter or a click loads (one
// step of the history), Esc or o closes it.  Before lab_create_windows.
void lab_open_list_init();
int lab_open_list_shown();
