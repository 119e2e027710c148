// The check shared by the flat-set tests of the core and of the batch tool.
#pragma once

#include <array>
#include <vector>

#include "tests/support/delaunay_oracle.h"

// The twelve grid points (hundredths) of the circle of radius 2.5, in turn.
std::vector<delaunay_oracle::ipoint> twelve_on_one_circle();

// The pairs of representatives through which some circle passes with every
// other point strictly outside (i < j), by brute force; flat sets included.
std::vector<std::array<int, 2>> strong_pairs(const delaunay_oracle::oracle& o);

// The Voronoi piece of the strong pair (i, j) as the 2D view draws it, in
// plane units: a segment, a ray up to the view square, or for points on one
// line the whole bisector across the square.  False when none of it is in
// the square.
bool drawn_piece(const delaunay_oracle::oracle& o, int i, int j, double seg[4]);

// Triangles (i < j < k) of points with no point strictly inside their circle
// (sign < 0: Delaunay) or every other point strictly inside it (sign > 0:
// furthest-site), by brute force.
std::vector<std::array<int, 3>> brute_triangles(const std::vector<delaunay_oracle::ipoint>& p,
                                                int sign);

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
