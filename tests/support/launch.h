// One start of zelmor or zelmor-lab for the end-to-end tests: the program
// started by an xdrive on the test's own display, and its windows once it
// has shown them.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/xdrive.h"

// The windows both programs open, found by their titles; positions are
// screen pixels as xdrive reports them when start_program returns.
struct program_windows {
  xd_window top;    // "2D Points"
  xd_window view;   // its 541 x 541 points view at (1, 1)
  xd_window win3d;  // "3D Projection"
};

// Connects x, starts binary with args in a fresh working directory and waits
// until both windows are mapped, the points view is in its place and has
// drawn its first frame (white in its top-left corner, where no preset or
// test file puts a point).  A failure names what did not come, with what the
// program wrote to standard error.  Every wait is bounded (15 s each, for a
// loaded machine); a program that starts in time costs no more than that.
::testing::AssertionResult start_program(xdrive& x, const std::string& binary,
                                         const std::vector<std::string>& args, program_windows* out);
inline ::testing::AssertionResult start_program(xdrive& x, const std::string& binary, program_windows* out) {
  return start_program(x, binary, {}, out);
}
