// The check shared by the flat-set tests of the core and of the batch tool.
#pragma once

#include <array>
#include <vector>

#include "tests/support/delaunay_oracle.h"

// Checks a diagram of the oracle's points: every pair through which some
// circle passes with every other point strictly outside is an edge and has
// its Voronoi piece as the 2D view draws it (bisector lines of points on one
// line clipped at both ends), and there is nothing else.  four: the set is
// not flat, so the triangles must pass the oracle's check; otherwise
// unique_triangle says whether the one triangle of three points is expected.
void check_flat_diagram(const delaunay_oracle::oracle& o, bool four, bool unique_triangle,
                        const std::vector<std::array<int, 3>>& triangles,
                        const std::vector<std::array<int, 2>>& edges,
                        const std::vector<std::array<double, 4>>& voronoi);
