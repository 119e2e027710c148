// lab/construction_logic.h — "watch it grow": the lab's points inserted one
// at a time, each insertion shown as the hole its point digs (the faces its
// lift sees, the horizon, the cone) or as a split and its edge flips.
//
// GL-free: the mode's state, stepping, the picture of the current stage (as
// point indices and circles, for the GL views and the SVG alike) and the
// status text.  The steps come from construct_step (app/construction.h), on
// the rounded points the hull uses, so the last stage is exactly what the lab
// shows outside the mode.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/construction.h"

// ---------------------------------------------------------------------------
// The mode's state: what a lesson file saves and restores.
// ---------------------------------------------------------------------------

struct construction_state {
  bool on = false;
  insert_way way = insert_way::hole;
  bool random_order = false;  // false: the points in their index order
  unsigned seed = 1;          // of the random order (shown in the status line)
  int step = 0;               // the insertion shown: 0 .. count - 1
  int stage = 0;              // within it: hole 0 the hole, 1 the fan; flips 0 the split, i the i-th flip
  bool playing = false;
  int speed = 2;              // index into the play delays, 0 slowest
};

inline constexpr int CONSTRUCTION_SPEEDS = 5;
// Milliseconds between two stages while playing, for each speed.
inline constexpr int CONSTRUCTION_DELAY_MS[CONSTRUCTION_SPEEDS] = {2000, 1200, 700, 350, 120};

construction_state lab_construction_state();
// Restores a saved state, paused; step and stage are held inside what the current
// points allow (a state saved with more points lands on the last stage).
void lab_construction_set_state(const construction_state& s);

// ---------------------------------------------------------------------------
// Stepping (each returns nothing; the status text says what happened)
// ---------------------------------------------------------------------------

// Enters the mode at the first stage (index order kept as it was), or leaves it.
void construction_toggle();
void construction_next();   // the next stage, else the next insertion's first
void construction_prev();   // the stage before, else the last of the insertion before
void construction_first();
void construction_last();   // the last stage: the lab's own triangulation
void construction_toggle_way();    // hole <-> flips, at the same insertion
// Index order -> a random order with a fresh seed -> index order.
void construction_toggle_order();
void construction_play_pause();
void construction_faster();
void construction_slower();
// One tick of play: the next stage; play stops at the last one.  Returns
// whether play goes on (the caller then arms the next tick).
bool construction_tick();

// The fresh seed construction_toggle_order takes (tests pin it).
void construction_seed_source(unsigned (*next_seed)());

// ---------------------------------------------------------------------------
// The picture of the current stage
// ---------------------------------------------------------------------------

struct construction_circle {
  double centre[2];  // plane units
  double radius;
};

struct construction_picture {
  bool valid = false;          // the mode is on and there are points
  int count = 0;               // points in the lab
  int step = 0, stage = 0, stages = 1;
  int point = -1;              // the point this insertion adds
  std::vector<int> inserted;   // the points in so far, this one included
  std::vector<tri_index> triangles;  // the triangulation this stage shows
  std::vector<tri_index> lit;        // hole: the triangles (faces) whose circle holds the point;
                                     // flips: the triangle(s) the split replaces, or the flip's two old ones
  std::vector<tri_index> fresh;      // the fan (cone), the split's triangles, or the flip's two new ones
  std::vector<std::array<int, 2>> rim;  // the hole's rim (the horizon): the fan's far edges
  std::vector<construction_circle> circles;  // the circles that hold the point
  bool flip = false;
  std::array<int, 4> flip_abcd = {-1, -1, -1, -1};  // edge a b gives way to c d (a tetrahedron)
  bool hidden = false, flat = false, duplicate = false;
  // The points in so far that are in no triangle once this step is done
  // (hidden by the weights, or twins), as the lab names hidden points of
  // the whole set; none while there is no triangle.
  std::vector<int> hidden_so_far;
  std::string status;
};

// The current stage of the current points (construction_points_of_table and
// plane_table).  Recomputed only when the points, the order, the way or the
// insertion change.
const construction_picture& construction_current();

// The same for any set of points (tests, benchmarks): the picture of stage
// `stage` of insertion `step` of pts in order, with plane coordinates xy
// (plane units) for the circles.
construction_picture construction_picture_of(const std::vector<construction_point>& pts,
                                             const std::vector<int>& order, insert_way way, int step,
                                             int stage, bool random_order, unsigned seed);

// The order of n points: 0 .. n - 1, or shuffled from the seed (the same on
// every platform: no library distribution is involved).
std::vector<int> construction_order(int n, bool random_order, unsigned seed);

// Whether the mode is on (the views draw its picture instead of the lab's).
inline bool construction_on() { return lab_construction_state().on; }
