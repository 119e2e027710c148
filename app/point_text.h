// app/point_text.h — the point files a user writes by hand or keeps: one
// point "x y" or "x y z" a line (z is ignored, so a saved point-exchange file
// reads as it is), lines starting with '%' and blank lines skipped, at most
// MAX_POINTS points, coordinates within COORD_LIMIT.  The batch tool reads its
// input with it and the lab its FILE; both report the same messages.
//
// GL-free, in zelmor_core.  Unlike the core's own failures, a bad file is
// given back to the caller as a message: the batch tool ends with it, the lab
// shows it and keeps what it has.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "app/app.h"

// One point as read: its plane coordinates.
struct text_point {
  double x, y;
};

// The whole of s as one finite number (strtod syntax, nothing before or
// after).  Returns false and leaves v alone otherwise.
bool full_number(const std::string& s, double* v);

// Reads every point of in, which is named name in messages ("standard
// input", a path).  Returns true with the points in file order, or false with
// one line in error (no program name, no newline), e.g.
//   "pts.txt line 3: expected \"x y\" or \"x y z\", got \"1 2 3 4\""
// and points left in an unspecified state.  Does not close in.
bool read_point_stream(FILE* in, const std::string& name, std::vector<text_point>* points,
                       std::string* error);

// read_point_stream on the file at path, opened and closed here; a file that
// cannot be opened gives "cannot open PATH: REASON".
bool read_point_file(const char* path, std::vector<text_point>* points, std::string* error);
