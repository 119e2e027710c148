// Runs zelmor-delaunay as a process of its own in the current directory
// (ZELMOR_DELAUNAY_EXE names it), for the tests of the batch tool.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/pipeline/pipeline_test_util.h"

namespace pipeline_test {

struct run_result {
  int status = -1;
  std::string out, err;
};

// Runs the tool with the given arguments (already quoted) and standard input.
// shell, when given, runs first in the same shell (a ulimit, a trap).
inline run_result run_tool(const std::string& args, const std::string& input = "", const std::string& shell = "") {
  spit("tool.in", input);
  const std::string cmd =
      shell + "'" + ZELMOR_DELAUNAY_EXE + "' " + args + " < tool.in > tool.out 2> tool.err";
  const int raw = std::system(cmd.c_str());
  run_result r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = slurp("tool.out");
  r.err = slurp("tool.err");
  std::remove("tool.in");
  std::remove("tool.out");
  std::remove("tool.err");
  return r;
}

}  // namespace pipeline_test
