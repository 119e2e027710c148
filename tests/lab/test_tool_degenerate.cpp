// zelmor-delaunay --degenerate: the exact diagrams of flat sets in the tool's
// usual lines, checked against the oracle; the default output stays as it
// was, and sets the hull covers print the same with or without the option.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/lab/flat_check.h"
#include "tests/support/tool_output.h"

namespace {

using delaunay_oracle::ipoint;

// Runs the tool on the points (hundredths) with the given options; stdout.
std::string run_tool(const std::string& args, const std::vector<ipoint>& pts) {
  char dir[] = "/tmp/zelmor-tool-XXXXXX";
  if (mkdtemp(dir) == nullptr) return "mkdtemp failed";
  const std::string in = std::string(dir) + "/in", out = std::string(dir) + "/out";
  {
    std::ofstream f(in);
    for (const ipoint& p : pts) f << p.x / 100.0 << " " << p.y / 100.0 << "\n";
  }
  const std::string cmd =
      std::string("'") + ZELMOR_DELAUNAY_EXE + "' " + args + " '" + in + "' > '" + out + "'";
  const int raw = std::system(cmd.c_str());
  std::ifstream f(out);
  std::stringstream s;
  s << f.rdbuf();
  std::remove(in.c_str());
  std::remove(out.c_str());
  rmdir(dir);
  if (!WIFEXITED(raw) || WEXITSTATUS(raw) != 0) return "failed";
  return s.str();
}

struct Case {
  const char* what;
  std::vector<ipoint> pts;
  bool unique_triangle;
};

TEST(ToolDegenerate, PrintsTheExactDiagramsOfFlatSets) {
  const Case cases[] = {
      {"one point", {{120, -40}}, false},
      {"two points", {{-100, 0}, {150, 50}}, false},
      {"a row of five", {{0, 0}, {100, 0}, {200, 0}, {-250, 0}, {-100, 0}}, false},
      {"a slanted row with a repeat", {{-100, -50}, {100, 50}, {-100, -50}, {200, 100}}, false},
      {"three points", {{-150, -100}, {170, -80}, {10, 200}}, true},
      {"a square", {{100, 0}, {0, 100}, {-100, 0}, {0, -100}}, false},
      {"twelve on one circle",
       twelve_on_one_circle(),
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const parsed plain = parse(run_tool("", c.pts));
    EXPECT_EQ(static_cast<int>(c.pts.size()), plain.points);
    EXPECT_TRUE(plain.edges.empty() && plain.voronoi.empty()) << "the default output changed";
    const parsed p = parse(run_tool("--degenerate", c.pts));
    EXPECT_EQ(static_cast<int>(c.pts.size()), p.points);
    const delaunay_oracle::oracle o(c.pts);
    ASSERT_TRUE(o.flat());
    std::vector<std::array<int, 2>> edges;
    for (const auto& [a, b] : p.edges) edges.push_back({a, b});
    check_flat_diagram(o, false, c.unique_triangle, p.triangles, edges, p.voronoi);
  }
}

TEST(ToolDegenerate, SetsTheHullCoversPrintTheSameWithOrWithoutTheOption) {
  const std::vector<ipoint> sets[] = {
      {{-100, -100}, {100, -100}, {100, 100}, {-100, 100}, {0, 0}},
      {{0, 0}, {200, 0}, {0, 200}, {50, 50}},
  };
  for (const auto& pts : sets) {
    const std::string plain = run_tool("", pts);
    EXPECT_NE(std::string::npos, plain.find("triangle"));
    EXPECT_EQ(plain, run_tool("--degenerate", pts));
  }
}

}  // namespace
