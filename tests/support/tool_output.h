// The batch tool's output ("points", "triangle", "edge", "voronoi", "hidden"
// lines) parsed into index lists, for the tests that run the tool.  An
// unknown word is a test failure.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

struct parsed {
  int points = -1;
  std::vector<std::array<int, 3>> triangles;
  std::vector<std::pair<int, int>> edges;
  std::vector<std::array<double, 4>> voronoi;
  std::vector<int> hidden;
};
inline parsed parse(const std::string& out) {
  parsed p;
  std::istringstream in(out);
  std::string word;
  while (in >> word) {
    if (word == "points") {
      in >> p.points;
    } else if (word == "triangle") {
      std::array<int, 3> t;
      in >> t[0] >> t[1] >> t[2];
      p.triangles.push_back(t);
    } else if (word == "edge") {
      std::pair<int, int> e;
      in >> e.first >> e.second;
      p.edges.push_back(e);
    } else if (word == "voronoi") {
      std::array<double, 4> v;
      in >> v[0] >> v[1] >> v[2] >> v[3];
      p.voronoi.push_back(v);
    } else if (word == "hidden") {
      int i = -1;
      in >> i;
      p.hidden.push_back(i);
    } else {
      ADD_FAILURE() << "unexpected word " << word;
      break;
    }
  }
  return p;
}
