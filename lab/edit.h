// lab/edit.h — keeping and changing work in zelmor-lab: the edit history
// (undo, redo), deleting a point, replacing the whole point set (a loaded
// file, a preset), loading and saving point files.
//
// Everything above the "GL side" banner is GL-free (zelmor_lab_logic) and is
// tested without a display.  An edit here leaves the tables, the lifts (with
// the current weight), lab_point_weight and ".ZELMOR" (through
// write_point_file) in step, sets need_recompute and drops the records of
// the last recomputation (they point at points that may be gone); the caller
// on the GL side asks for the redisplays.
#pragma once

#include <string>
#include <vector>

#include "app/app.h"

// One point of a point set as the history keeps it: plane coordinates and
// the lab's weight of the point.
struct lab_point {
  double x, y, w;
};

// ---------------------------------------------------------------------------
// Point set (history.cpp)
// ---------------------------------------------------------------------------

// The current point set: plane_table[0 .. point_count-1] with their weights.
std::vector<lab_point> lab_current_points();

// Makes pts (at most MAX_POINTS) the point set: the weights, then the
// core's door (replace_point_set: tables, lifts, ".ZELMOR", need_recompute,
// the records of the last recomputation dropped).  A drag still held ends
// (drag_index -1).  The selection stays only while its index names the same
// point (at the same place, or the only point that changed, as in an undone
// drag); otherwise it is cleared.  Records nothing in the history (see
// lab_replace_points).
void lab_set_points(const std::vector<lab_point>& pts);

// ---------------------------------------------------------------------------
// Edit history (history.cpp).  Unlimited depth: every state of the point set
// is kept whole (at most 200 points of three doubles each).
// ---------------------------------------------------------------------------

// Forgets every step; the current point set becomes the only state, and the
// saved one (nothing to lose yet).
void lab_history_reset();

// Records the current point set as a new step when it differs from the
// state the history is at (a point added, a drag finished, New...), and
// drops the steps that could have been redone.  what names the step for the
// status line ("add point 5"); null lets the history name it from the
// difference.  Returns 1 when a step was recorded.
int lab_history_note(const char* what);

// A weight gesture: a run of key presses on one point, each within
// LAB_GESTURE_GAP seconds of the one before, or the notches of one wheel
// gesture.  The whole run is one step of the history.
inline constexpr double LAB_GESTURE_GAP = 1.5;  // seconds

// Records the current point set as lab_history_note does, as part of the
// gesture tag (>= 0; e.g. the point's index): when the last step of the
// history was recorded by the same gesture no more than LAB_GESTURE_GAP
// seconds before now_seconds and nothing was undone or recorded since, that
// step takes the new state in place (and goes away when the state is the
// one before the gesture again).  Returns 1 when the history changed.
int lab_history_note_gesture(const char* what, int tag, double now_seconds);

// Work that quitting would lose: lab_unsaved_work() is 1 when the point set
// differs from the one last marked saved (lab_history_mark_saved, called
// after a save or a load succeeds; lab_history_reset marks the starting set).
void lab_history_mark_saved();
int lab_unsaved_work();

// Quit! asks once: returns 1 when quitting may go ahead (no unsaved work, or
// this very point set was asked about already); else remembers the point set
// as asked about, says so in the status line and returns 0.
int lab_quit_confirm();

// Steps back / forward: the point set of the previous / next state is set
// (lab_set_points) and the status line names the step.  Returns 1 when there
// was a step to take, 0 (status "nothing to undo" / "nothing to redo") when
// not.
int lab_undo();
int lab_redo();

// Number of states kept and the index of the current one (tests).
int lab_history_size();
int lab_history_position();

// Replaces the whole point set by pts as one step of the history (a loaded
// file, a preset); the selection is cleared.  what names the step ("load
// points.txt", "preset 3").
// More than MAX_POINTS points are a programming error (fatal).
void lab_replace_points(const std::vector<lab_point>& pts, const char* what);

// Deletes point i: later points move down one index (their labels follow),
// the selection clears, and the deletion is one step of the history.
// Returns 0, changing nothing, when i names no point.
int lab_delete_point(int i);

// The point the selection names, or -1 when it names none.
int lab_selected_point();

// ---------------------------------------------------------------------------
// Point files (files.cpp): the batch tool's format, read with its reader.
// Every failure is shown in the status line and on standard error, and
// changes nothing.
// ---------------------------------------------------------------------------

// Reads path (a regular file only, at most 10000 lines and 1 MiB, so that
// no file keeps the windows waiting) and, when every point lies in
// [-3, 3]^2 (and there are at most MAX_POINTS, which the reader checks),
// replaces the point set with it as one step named what.  Returns 1 when
// loaded; 0 with nothing changed.
int lab_load_file(const char* path, const char* what);

// The text a save writes: a comment line naming the program and the count,
// then "x y" per point, each number the shortest text that reads back as
// exactly the same double ("2.1", never "2.1000000000000001"); when
// any point has a weight, WEIGHTS_HEADER after the comment and "x y w" lines.
std::string lab_points_text(const std::vector<lab_point>& pts);

// Writes the current points to a new file in the working directory named by
// the local date and time ("zelmor-20261210-043512.txt", "-2", "-3"... when
// that name is taken); an existing file is never replaced.  On success
// returns 1 with the name in *saved_as; on failure 0 and nothing left behind.
int lab_save_new(std::string* saved_as);

// Writes the current points to path, replacing what was there only once the
// new text is wholly on disk.  A link is followed to the file it names (made
// when the link dangles); what is not a regular file is refused.  Returns 1
// on success, 0 when the old file is left as it was.
int lab_save_to(const char* path);

// Writes text to path atomically, as the saves do (safe_replace, synced,
// links followed): a temporary file in the same directory, written and
// synced, then renamed over path (or, with no_replace, given the name only
// if nothing has it: EEXIST otherwise), then the directory synced.  Returns
// 0 or an errno value (EISDIR, or EINVAL for what is no regular file); on
// failure nothing but a file that was there before is left, unchanged.
int lab_write_atomic(const std::string& path, const std::string& text, bool no_replace);

// The FILE zelmor-lab was started with ("" when none): the reload and the
// save-to-FILE keys work on it.
extern std::string lab_point_file;

// ---------------------------------------------------------------------------
// GL side (edit_windows.cpp)
// ---------------------------------------------------------------------------

// Reads the command line left after glutInit ([FILE]), binds the keys and
// the mouse hooks.  Before lab_create_windows.  A second argument, or an
// option, ends the program with a usage line (status 2).
void lab_edit_init(int argc, char** argv);

// Loads FILE when one was given (after lab_create_windows, whose start-up
// empties the point set) and starts the history there.
void lab_edit_start();
