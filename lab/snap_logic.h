// lab/snap_logic.h — placing exact configurations by hand, GL-free: the snap
// to a grid of whole hundredths, and the points that lie nearly, but not
// exactly, on one line or one circle.
#pragma once

#include <string>
#include <vector>

#include "lab/circles_logic.h"

// The snap's steps in whole hundredths: off, 0.25, 0.1, 0.01.
inline constexpr int LAB_SNAP_STEPS[] = {0, 25, 10, 1};
inline constexpr int LAB_SNAP_COUNT = 4;

// v to the nearest multiple of step hundredths (step > 0), held within
// [-3, 3]: the double nearest that many hundredths, which the engine reads
// back as exactly them.
double lab_snap(double v, int step);

// Points within LAB_NEAR_GAP of one line (a point and two of its neighbours
// in tris, the point between them) or one circle (the four points around an
// edge of tris), but not exactly on it, decided exactly on the rounded
// points.
inline constexpr double LAB_NEAR_GAP = 0.02;
struct lab_near {
  enum { none, line, circle } kind = none;
  std::vector<int> points;  // ascending
  double gap = 0;           // how far off, plane units
};
// The nearest case of all (the line first when a line and a circle are as
// near); kind none when there is none.
lab_near lab_find_near(const std::vector<lab_triangle>& tris);
// "points 2, 5, 9 lie within 0.02 of one line but not on it (0.004 off)"
std::string lab_near_text(const lab_near& n);

// Where the 2D view draws the snap's cross now (the snapped pointer):
// false when the snap is off or the pointer has not been over the plane.
// (snap_view.cpp: the GL side keeps the pointer.)
bool lab_snap_cross(double out[2]);
