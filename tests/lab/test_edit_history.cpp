// The lab's edit history and deletion, without a display: scripts of edits
// (as the mouse makes them, then noted as the lab's observer does), undo and
// redo, checked against the point tables and the point-exchange file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "lab/edit.h"
#include "lab/lab.h"
#include "lab/weights.h"
#include "tests/pipeline/pipeline_test_util.h"
#include "view2d/view2d.h"

namespace {

using pipeline_test::in_temp_dir;

// What the 2D view does for a right press, then the lab's observer.
void mouse_add(double x, double y) {
  add_point(point_rec{x, y, 0.0, 1.0});
  need_recompute = 1;
  write_point_file();
  lab_history_note(nullptr);
}

// A whole drag of point i to (x, y): motion steps, then the release noted.
void mouse_drag(int i, double x, double y) {
  for (int step = 1; step <= 3; ++step) {
    const double t = step / 3.0;
    const double px = plane_table[i].x + (x - plane_table[i].x) * t;
    const double py = plane_table[i].y + (y - plane_table[i].y) * t;
    plane_table[i].x = px;
    plane_table[i].y = py;
    point_table[i] = point_rec{px, py, lifted_height(px, py), 1.0};
    write_point_file();
    need_recompute = 1;
  }
  plane_table[i].x = x;
  plane_table[i].y = y;
  point_table[i] = point_rec{x, y, lifted_height(x, y), 1.0};
  write_point_file();
  lab_history_note(nullptr);
}

// The panel's New, then the observer.
void panel_new() {
  point_count = 0;
  need_recompute = 1;
  write_point_file();
  reset_record_lists();
  lab_history_note(nullptr);
}

// The lines of ".ZELMOR" as numbers.
std::vector<std::vector<double>> exchange_file() {
  std::ifstream in(".ZELMOR");
  std::vector<std::vector<double>> rows;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream s(line);
    std::vector<double> row;
    double v = 0;
    while (s >> v) row.push_back(v);
    rows.push_back(row);
  }
  return rows;
}

// Tables, lifts and the exchange file all hold exactly want (plane
// coordinates), lifted with the current weight.
void expect_point_set(const std::vector<std::array<double, 2>>& want) {
  ASSERT_EQ(point_count, static_cast<int>(want.size()));
  const auto rows = exchange_file();
  ASSERT_EQ(rows.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    SCOPED_TRACE("point " + std::to_string(i));
    const double x = want[i][0], y = want[i][1];
    const double z = x * x + y * y + static_cast<double>(weight);
    EXPECT_EQ(plane_table[i].x, x);
    EXPECT_EQ(plane_table[i].y, y);
    EXPECT_EQ(plane_table[i].z, 0.0);
    EXPECT_EQ(point_table[i].x, x);
    EXPECT_EQ(point_table[i].y, y);
    EXPECT_DOUBLE_EQ(point_table[i].z, z);
    ASSERT_EQ(rows[i].size(), 3u);
    EXPECT_NEAR(rows[i][0], x, 1e-14);
    EXPECT_NEAR(rows[i][1], y, 1e-14);
    EXPECT_NEAR(rows[i][2], z, 1e-13);
  }
}

class LabHistory : public in_temp_dir {
 protected:
  void SetUp() override {
    in_temp_dir::SetUp();
    selected_count = 0;
    point_weights = nullptr;  // the plain lift unless a test attaches the weights
    for (double& w : lab_point_weight) w = 0.0;
    write_point_file();
    lab_history_reset();
  }
};

// One script: a letter per step.  a: add the next point of kAdd; d: drag
// point 0 to (2, 2); D: delete point 1; N: New; R: replace by kPreset;
// u: undo; r: redo.
const double kAdd[][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {0, 0.5}, {0.25, -2}};
const std::vector<lab_point> kPreset = {{-2, -2, 0}, {2, -2, 0}, {0, 2.5, 0}};

struct Script {
  const char* steps;
  std::vector<std::array<double, 2>> want;
  int position;  // where the history is at the end
  int size;      // states kept
};

const Script kScripts[] = {
    {"", {}, 0, 1},
    {"aaa", {{-1, -1}, {1, -1}, {1, 1}}, 3, 4},
    {"aaau", {{-1, -1}, {1, -1}}, 2, 4},
    {"aaauuu", {}, 0, 4},
    {"aaauuuu", {}, 0, 4},  // one undo too many changes nothing
    {"aaauuurr", {{-1, -1}, {1, -1}}, 2, 4},
    {"aaauuurrrr", {{-1, -1}, {1, -1}, {1, 1}}, 3, 4},  // one redo too many
    {"aaada", {{2, 2}, {1, -1}, {1, 1}, {-1, 1}}, 5, 6},  // d: a whole drag is one step
    {"aaadu", {{-1, -1}, {1, -1}, {1, 1}}, 3, 5},
    {"aaaaDu", {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}, 4, 6},
    {"aaaaD", {{-1, -1}, {1, 1}, {-1, 1}}, 5, 6},
    {"aaaaDuur", {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}, 4, 6},
    {"aaaaaN", {}, 6, 7},
    {"aaaaaNu", {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {0, 0.5}}, 5, 7},  // New undone
    {"aaaaaNur", {}, 6, 7},
    {"aaRu", {{-1, -1}, {1, -1}}, 2, 4},
    {"aaR", {{-2, -2}, {2, -2}, {0, 2.5}}, 3, 4},
    {"aaRuua", {{-1, -1}, {1, 1}}, 2, 3},  // a new edit drops the redo branch
    {"aauuaar", {{1, 1}, {-1, 1}}, 2, 3},  // nothing to redo after it
    {"aaNN", {}, 3, 4},                      // New on nothing is no step
};

TEST_F(LabHistory, ScriptsOfEditsUndoAndRedoGiveTheTablesAndTheExchangeFile) {
  for (const Script& s : kScripts) {
    SCOPED_TRACE(std::string("script \"") + s.steps + "\"");
    point_count = 0;
    write_point_file();
    lab_history_reset();
    int next = 0;
    for (const char* c = s.steps; *c != '\0'; ++c) {
      switch (*c) {
        case 'a': mouse_add(kAdd[next][0], kAdd[next][1]); next = (next + 1) % 6; break;
        case 'd': mouse_drag(0, 2, 2); break;
        case 'D': lab_delete_point(1); break;
        case 'N': panel_new(); break;
        case 'R': lab_replace_points(kPreset, "preset"); break;
        case 'u': lab_undo(); break;
        case 'r': lab_redo(); break;
      }
      EXPECT_EQ(need_recompute, 1);
    }
    expect_point_set(s.want);
    EXPECT_EQ(lab_history_position(), s.position);
    EXPECT_EQ(lab_history_size(), s.size);
  }
}

TEST_F(LabHistory, UndoFollowsTheCurrentWeightAndDropsTheStaleRecords) {
  for (const auto& p : kAdd) mouse_add(p[0], p[1]);
  recompute();
  ASSERT_NE(tri_list->head, nullptr);
  weight = 2.5f;  // the slider moved since the points were added
  lab_undo();
  EXPECT_EQ(tri_list->head, nullptr);  // they pointed at the point now gone
  EXPECT_EQ(need_recompute, 1);
  expect_point_set({{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {0, 0.5}});
  recompute();
  EXPECT_EQ(pipeline_test::mismatch_with_oracle(), "");
}

TEST_F(LabHistory, UndoNamesTheStepAndSaysWhenThereIsNothingLeft) {
  mouse_add(0, 0);
  mouse_add(1, 1);
  mouse_drag(0, -1, 2);
  panel_new();
  struct Step { bool undo; const char* status; };
  const Step steps[] = {{true, "undone: New"},         {true, "undone: move point 0"},
                        {true, "undone: add point 1"}, {true, "undone: add point 0"},
                        {true, "nothing to undo"},     {false, "redone: add point 0"},
                        {false, "redone: add point 1"}, {false, "redone: move point 0"},
                        {false, "redone: New"},        {false, "nothing to redo"}};
  for (const Step& s : steps) {
    if (s.undo) lab_undo(); else lab_redo();
    EXPECT_EQ(std::string(lab_status_text()).rfind(s.status, 0), 0u) << lab_status_text();
  }
}

TEST_F(LabHistory, ADragStillHeldWhenUndoIsPressedIsUndoneAsAStepOfItsOwn) {
  mouse_add(0, 0);
  plane_table[0].x = 1.5;  // a motion step, no release yet
  point_table[0] = point_rec{1.5, 0, lifted_height(1.5, 0), 1.0};
  write_point_file();
  lab_undo();
  expect_point_set({{0, 0}});
  lab_redo();
  expect_point_set({{1.5, 0}});
}

TEST_F(LabHistory, UndoRestoresThePointWeights) {
  mouse_add(0, 0);
  mouse_add(1, 0);
  lab_point_weight[1] = 0.75;
  EXPECT_EQ(lab_history_note(nullptr), 1);
  mouse_add(2, 0);
  lab_delete_point(0);
  EXPECT_EQ(lab_point_weight[0], 0.75);  // moved down with its point
  EXPECT_EQ(lab_point_weight[2], 0.0);
  lab_undo();
  EXPECT_EQ(lab_point_weight[0], 0.0);
  EXPECT_EQ(lab_point_weight[1], 0.75);
  lab_undo();  // the third point
  lab_undo();  // the weight
  EXPECT_EQ(lab_point_weight[1], 0.0);
  EXPECT_EQ(std::string(lab_status_text()), "undone: weight of point 1 (z undo, y redo)");
}

TEST_F(LabHistory, UndoAndRedoLiftEachPointWithItsOwnWeight) {
  lab_weights_attach();
  mouse_add(0.5, 0.5);
  mouse_add(1, -1);
  std::vector<lab_point> pts = lab_current_points();
  pts[1].w = 2.0;
  lab_replace_points(pts, "weights");
  const double sunk = point_table[1].z;
  EXPECT_LT(sunk, lifted_height(1, -1));  // the weighted lift sinks the point
  lab_delete_point(0);
  EXPECT_EQ(point_table[0].z, sunk);  // moved down with its weight and its lift
  lab_undo();
  lab_undo();
  EXPECT_EQ(point_table[1].z, lifted_height(1, -1));
  lab_redo();
  EXPECT_EQ(point_table[1].z, sunk);
}

// A drag held while the set is replaced grabbed an index of the old set: every
// way the lab replaces the set ends it, and a key that changes nothing
// leaves it held.
TEST_F(LabHistory, EveryReplacementOfTheSetEndsAHeldDragAndNothingElseDoes) {
  struct Way {
    const char* what;
    int (*edit)();
    int ends;
  };
  const Way kWays[] = {
      {"undo", [] { return lab_undo(); }, 1},
      {"redo after an undo", [] { lab_undo(); drag_index = 1; return lab_redo(); }, 1},
      {"delete", [] { return lab_delete_point(0); }, 1},
      {"a load or a preset", [] { lab_replace_points(kPreset, "preset 1"); return 1; }, 1},
      {"nothing to redo", [] { return lab_redo(); }, 0},
      {"a delete of no point", [] { return lab_delete_point(7); }, 0},
  };
  for (const Way& w : kWays) {
    SCOPED_TRACE(w.what);
    point_count = 0;
    write_point_file();
    lab_history_reset();
    mouse_add(-1, -1);
    mouse_add(1, -1);
    drag_index = 1;
    EXPECT_EQ(w.ends, w.edit());
    EXPECT_EQ(w.ends ? -1 : 1, drag_index);
  }
  drag_index = -1;
}

TEST_F(LabHistory, DeleteMovesTheLaterPointsDownAndClearsTheSelection) {
  for (const auto& p : kAdd) mouse_add(p[0], p[1]);
  selected_count = 1;
  selected_points[0] = 2;
  ASSERT_EQ(lab_selected_point(), 2);
  EXPECT_EQ(lab_delete_point(lab_selected_point()), 1);
  expect_point_set({{-1, -1}, {1, -1}, {-1, 1}, {0, 0.5}, {0.25, -2}});
  EXPECT_EQ(selected_count, 0);
  EXPECT_EQ(lab_selected_point(), -1);
  EXPECT_STREQ(lab_status_text(), "deleted point 2; points 3 to 5 are now 2 to 4");
  // The records of 6 points are gone; the next recomputation triangulates
  // the 5 left, labels (indices) and all.
  EXPECT_EQ(tri_list->head, nullptr);
  recompute();
  EXPECT_EQ(pipeline_test::mismatch_with_oracle(), "");

  struct Bad { const char* what; int i; };
  const Bad bad[] = {{"negative", -1}, {"one past the last", 5}, {"far", 199}};
  for (const Bad& b : bad) {
    SCOPED_TRACE(b.what);
    const int size = lab_history_size();
    EXPECT_EQ(lab_delete_point(b.i), 0);
    EXPECT_EQ(lab_history_size(), size);
    expect_point_set({{-1, -1}, {1, -1}, {-1, 1}, {0, 0.5}, {0.25, -2}});
  }
  EXPECT_EQ(lab_delete_point(4), 1);
  EXPECT_STREQ(lab_status_text(), "deleted point 4");
}

TEST_F(LabHistory, ASelectionLeftOverFromBeforeNewNamesNoPoint) {
  mouse_add(0, 0);
  mouse_add(1, 1);
  selected_count = 1;
  selected_points[0] = 1;
  panel_new();  // zelmor's New keeps the selection
  EXPECT_EQ(lab_selected_point(), -1);
  mouse_add(2, 2);
  EXPECT_EQ(lab_selected_point(), -1);
}

// The selection, then edits: it stays only while its index names the point
// the user picked.  s selects point 1, S point 0; the other letters are the
// scripts' (a add, d drag point 0, D delete point 1, R replace, u undo).
struct SelectionCase {
  const char* what;
  const char* steps;
  int want;  // lab_selected_point() at the end
};
const SelectionCase kSelection[] = {
    {"a preset replaces the set", "sR", -1},
    {"a preset, undone", "sRu", -1},
    {"a preset's point, then the preset undone", "Rsu", -1},
    {"a preset's point, then redone", "Rsuur", -1},
    {"another point added", "sa", 1},
    {"an add undone", "asu", 1},
    {"another point dragged", "sd", 1},
    {"its own drag undone", "Sdu", 0},
    {"its own drag undone and redone", "Sdur", 0},
    {"deleted", "sD", -1},
    {"a delete undone", "sDu", -1},
};

TEST_F(LabHistory, TheSelectionStaysOnlyWhileItsIndexNamesThePickedPoint) {
  const std::vector<lab_point> preset = {{-2, -2, 0}, {2, -2, 0}, {0, 2.5, 0}, {2, 2, 0}, {1, 0, 0}};
  for (const SelectionCase& c : kSelection) {
    SCOPED_TRACE(c.what);
    point_count = 0;
    selected_count = 0;
    write_point_file();
    lab_history_reset();
    for (int k = 0; k < 4; ++k) mouse_add(kAdd[k][0], kAdd[k][1]);
    for (const char* step = c.steps; *step != '\0'; ++step) {
      switch (*step) {
        case 's': selected_count = 1; selected_points[0] = 1; break;
        case 'S': selected_count = 1; selected_points[0] = 0; break;
        case 'a': mouse_add(kAdd[4][0], kAdd[4][1]); break;
        case 'd': mouse_drag(0, 2, 2); break;
        case 'D': lab_delete_point(1); break;
        case 'R': lab_replace_points(preset, "preset"); break;
        case 'u': lab_undo(); break;
        case 'r': lab_redo(); break;
      }
    }
    EXPECT_EQ(lab_selected_point(), c.want);
  }
}

TEST_F(LabHistory, DeleteAfterAPresetRemovesNothingTheUserDidNotPick) {
  for (const auto& p : kAdd) mouse_add(p[0], p[1]);
  selected_count = 1;
  selected_points[0] = 3;
  lab_replace_points({{-2, -2, 0}, {2, -2, 0}, {0, 2.5, 0}, {2, 2, 0}, {1, 0, 0}}, "preset");
  EXPECT_EQ(lab_delete_point(lab_selected_point()), 0);
  EXPECT_EQ(point_count, 5);
}

// A weight gesture: presses (point, steps, seconds) each noted as the lab's
// weight keys and wheel note them.
struct Press {
  int point, steps;
  double at;
  char between = 0;  // 'u' undo or 'a' add a point before this press
};
struct GestureCase {
  const char* what;
  std::vector<Press> presses;
  int steps_recorded;               // steps in the history (an edit between counts)
  std::vector<double> after_undo;   // weights of points 0..2 after one undo
};

std::vector<GestureCase> gesture_cases() {
  std::vector<Press> thirty;
  for (int k = 0; k < 30; ++k) thirty.push_back({1, 1, 0.1 * k});
  return {
      {"30 presses within a moment", thirty, 1, {0, 0, 0}},
      {"Shift: three presses of 1", {{1, 10, 0}, {1, 10, 0.2}, {1, 10, 0.4}}, 1, {0, 0, 0}},
      {"two runs with a pause", {{1, 1, 0}, {1, 1, 0.5}, {1, 1, 3.0}, {1, 1, 3.5}}, 2, {0, 0.2, 0}},
      {"a gap just within", {{1, 1, 0}, {1, 1, LAB_GESTURE_GAP}}, 1, {0, 0, 0}},
      {"another point is another gesture", {{1, 1, 0}, {2, 1, 0.1}, {1, 1, 0.2}}, 3, {0, 0.1, 0.1}},
      {"up and back down again", {{1, 1, 0}, {1, 1, 0.1}, {1, -1, 0.2}, {1, -1, 0.3}}, 0, {0, 0, 0}},
      {"a press after an undo starts anew", {{1, 1, 0}, {1, 1, 0.1, 'u'}}, 1, {0, 0, 0}},
      {"an edit between ends the gesture", {{1, 1, 0}, {1, 1, 0.1, 'a'}}, 3, {0, 0.1, 0}},
      {"a clock that went back", {{1, 1, 5.0}, {1, 1, 1.0}}, 2, {0, 0.1, 0}},
  };
}

TEST_F(LabHistory, AWeightGestureIsOneStepOfTheHistory) {
  for (const GestureCase& c : gesture_cases()) {
    SCOPED_TRACE(c.what);
    point_count = 0;
    for (double& w : lab_point_weight) w = 0.0;
    write_point_file();
    for (int k = 0; k < 3; ++k) mouse_add(kAdd[k][0], kAdd[k][1]);
    lab_history_reset();
    for (const Press& p : c.presses) {
      if (p.between == 'u') lab_undo();
      if (p.between == 'a') mouse_add(kAdd[5][0], kAdd[5][1]);
      ASSERT_EQ(lab_change_weight(p.point, p.steps), 1);
      lab_history_note_gesture("weight", p.point, p.at);
      // The key's own note afterwards finds nothing new.
      EXPECT_EQ(lab_history_note(nullptr), 0);
    }
    EXPECT_EQ(lab_history_size() - 1, c.steps_recorded);
    EXPECT_EQ(lab_history_position(), lab_history_size() - 1);
    if (c.steps_recorded == 0) continue;
    lab_undo();
    for (int k = 0; k < 3; ++k) EXPECT_DOUBLE_EQ(lab_point_weight[k], c.after_undo[k]) << "point " << k;
  }
}

TEST_F(LabHistory, QuitAsksOnceWhileThePointsDifferFromTheLastSave) {
  EXPECT_EQ(lab_unsaved_work(), 0);
  EXPECT_EQ(lab_quit_confirm(), 1);  // nothing to lose: quits at once
  mouse_add(0, 0);
  EXPECT_EQ(lab_unsaved_work(), 1);
  EXPECT_EQ(lab_quit_confirm(), 0);
  EXPECT_EQ(std::string(lab_status_text()).find("unsaved points"), 0u) << lab_status_text();
  EXPECT_EQ(lab_quit_confirm(), 1);  // asked once: the second Quit! quits
  mouse_add(1, 0);
  EXPECT_EQ(lab_quit_confirm(), 0);  // new work since: asked again
  lab_history_mark_saved();
  EXPECT_EQ(lab_unsaved_work(), 0);
  EXPECT_EQ(lab_quit_confirm(), 1);
  lab_undo();
  EXPECT_EQ(lab_unsaved_work(), 1);  // the saved set is not this one
  lab_redo();
  EXPECT_EQ(lab_unsaved_work(), 0);
  lab_point_weight[0] = 0.5;  // a weight is work too
  EXPECT_EQ(lab_unsaved_work(), 1);
}

}  // namespace
