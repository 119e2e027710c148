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

// One point as read: its plane coordinates, and its weight when the file is
// read with weights (0 otherwise).
struct text_point {
  double x, y;
  double w = 0.0;
};

// What a third number on a line is: a height, read and ignored ("x y" or
// "x y z" lines), or a weight ("x y w", every line three numbers, the weight
// within WEIGHT_LIMIT).  Never guessed from the numbers: the caller asks for
// weights, or the file says so with WEIGHTS_HEADER.
enum class point_columns { heights, weights };

// A comment line that, met before the first point, makes the rest of the
// file read with weights (a saved file with weights begins with it).
inline constexpr const char WEIGHTS_HEADER[] = "% columns: x y weight";

// The whole of s as one finite number (strtod syntax, nothing before or
// after).  Returns false and leaves v alone otherwise.
bool full_number(const std::string& s, double* v);

// The shortest decimal text that reads back (strtod) as exactly v, in either
// notation ("2.1", not "2.1000000000000001"; "1e-07"), so that a teacher can
// edit a saved lesson or an address by hand; and the shortest that reads
// back (strtof) as the float v ("0.4", not the double 0.4000000059604645).
std::string shortest_text(double v);
std::string shortest_text(float v);

// n finite numbers separated by commas, each piece wholly a number with no
// blank at its start and at most 40 characters (no number the program writes
// is longer), as lesson lines and page addresses keep them.  Returns false
// and may have filled some of out otherwise.
bool number_list(const std::string& s, double* out, int n);

// Where reading stops even though the stream goes on (0: no bound).  Every
// line counts, blank and comment lines too, and every byte, so that a
// reader that must answer soon (the lab, while its windows wait) is done
// after a bounded amount of work whatever the file holds.
struct read_bounds {
  std::size_t max_lines = 0;
  std::size_t max_bytes = 0;
};

// Reads every point of in, which is named name in messages ("standard
// input", a path).  Returns true with the points in file order, or false with
// one line in error (no program name, no newline), e.g.
//   "pts.txt line 3: expected \"x y\" or \"x y z\", got \"1 2 3 4\""
// and points left in an unspecified state.  Does not close in.
// columns says how to read a third number; *weighted (when given) is set to
// whether weights were read (asked for, or WEIGHTS_HEADER met).  Past a
// bound the read fails with
//   "pts.txt line 10001: more than 10000 lines"  or
//   "pts.txt line 17: more than 1048576 bytes".
// A line echoed in a message shows its control bytes (but a tab) as \xNN,
// a NUL as \x00, so the message holds the whole line and nothing that a
// terminal would act on.
bool read_point_stream(FILE* in, const std::string& name, std::vector<text_point>* points,
                       std::string* error, point_columns columns = point_columns::heights,
                       bool* weighted = nullptr, const read_bounds& bounds = {});

// read_point_stream on the file at path, opened and closed here; a file that
// cannot be opened gives "cannot open PATH: REASON".
bool read_point_file(const char* path, std::vector<text_point>* points, std::string* error,
                     point_columns columns = point_columns::heights, bool* weighted = nullptr);
