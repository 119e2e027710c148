// The one door for edits of the point set: after every edit the lifts, the
// point-exchange file and the recompute flag are in step, the records go
// only with a replacement, and the selection is left to the front end.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

#include "tests/pipeline/pipeline_test_util.h"

namespace {

using pipeline_test::slurp;
using pipeline_test::spit;

double weights[MAX_POINTS];

class PointEdits : public pipeline_test::in_temp_dir {
 protected:
  void SetUp() override {
    in_temp_dir::SetUp();
    for (double& w : weights) w = 0.0;
    point_weights = weights;
    weight = 0.7f;
    need_recompute = 0;
  }
  void TearDown() override {
    point_weights = nullptr;
    weight = 1.0f;
    need_recompute = 0;
    selected_count = 0;
    in_temp_dir::TearDown();
  }
};

// The height of point i as the lift rule gives it, written out here: the
// plane's square, the common weight widened, less the point's weight in
// whole 10^-4.
double expected_height(int i) {
  const double x = plane_table[i].x, y = plane_table[i].y;
  const double units = std::floor(1e4 * weights[i] + 0.5);
  return x * x + y * y + static_cast<double>(weight) - units * 1e-4;
}

// ".ZELMOR" as it must read for the current tables.
std::string expected_file() {
  std::string text;
  char line[128];
  for (int i = 0; i < point_count; ++i) {
    std::snprintf(line, sizeof line, "%.15f %.15f %.15f\n", plane_table[i].x, plane_table[i].y,
                  expected_height(i));
    text += line;
  }
  return text;
}

void expect_in_step() {
  EXPECT_EQ(1, need_recompute);
  for (int i = 0; i < point_count; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(plane_table[i].x, point_table[i].x);
    EXPECT_EQ(plane_table[i].y, point_table[i].y);
    EXPECT_EQ(plane_table[i].w, point_table[i].w);
    EXPECT_EQ(expected_height(i), point_table[i].z);  // bit for bit
  }
  EXPECT_EQ(expected_file(), slurp(".ZELMOR"));
}

const point_rec kThree[] = {{-1.5, 0.25, 0.0, 1.0}, {2.0, -2.75, 0.0, 1.0}, {0.125, 1.0, 0.0, 1.0}};

struct EditCase {
  const char* what;
  std::function<void()> edit;
  int count_after;
};

TEST_F(PointEdits, EveryEditLeavesTheLiftsTheFileAndTheFlagInStep) {
  const EditCase kEdits[] = {
      {"append", [] { ASSERT_EQ(1, append_point(point_rec{0.5, -0.5, 0.0, 1.0})); }, 6},
      {"a drag", [] { plane_table[1].x += 0.37; point_changed(1); }, 5},
      {"a weight", [] { weights[2] = 1.25; point_changed(2); }, 5},
      {"a weighted point moved",
       [] { weights[3] = 0.5; plane_table[3].y -= 1.0; point_changed(3); }, 5},
      {"a replacement", [] { replace_point_set(kThree, 3); }, 3},
      {"New", [] { replace_point_set(nullptr, 0); }, 0},
  };
  for (const EditCase& c : kEdits) {
    SCOPED_TRACE(c.what);
    point_count = 0;
    for (double& w : weights) w = 0.0;
    for (int i = 0; i < 5; ++i) add_point(point_rec{i * 0.5 - 1.0, 1.0 - i * 0.25, 0.0, 1.0});
    selected_count = 1;
    selected_points[0] = 4;
    need_recompute = 0;
    spit(".ZELMOR", "an older text\n");
    c.edit();
    EXPECT_EQ(c.count_after, point_count);
    expect_in_step();
    // The selection is the front end's to keep or clear.
    EXPECT_EQ(1, selected_count);
    EXPECT_EQ(4, selected_points[0]);
  }
}

TEST_F(PointEdits, RecordsStayAcrossAnAppendOrAChangeAndGoWithAReplacement) {
  replace_point_set(kThree, 3);
  for (const point_rec& p : {point_rec{-2.0, -2.0, 0.0, 1.0}, point_rec{2.5, 2.0, 0.0, 1.0},
                             point_rec{0.0, -1.0, 0.0, 1.0}})
    append_point(p);
  pipeline_test::recompute_in_memory();
  ASSERT_NE(nullptr, tri_list->head);
  rec_node* const head = tri_list->head;

  append_point(point_rec{-2.5, 2.5, 0.0, 1.0});
  EXPECT_EQ(head, tri_list->head);
  plane_table[0].x = -1.0;
  point_changed(0);
  EXPECT_EQ(head, tri_list->head);

  // The records point into entries that now hold other points: they go.
  replace_point_set(kThree, 3);
  EXPECT_EQ(nullptr, tri_list->head);
  EXPECT_EQ(nullptr, edge_list->head);
}

TEST_F(PointEdits, AnEditOfNothingChangesNothing) {
  const EditCase kNothing[] = {
      {"a point past full tables",
       [] {
         testing::internal::CaptureStdout();
         EXPECT_EQ(0, append_point(point_rec{2.5, 2.5, 0.0, 1.0}));
         testing::internal::GetCapturedStdout();
       },
       MAX_POINTS},
      {"a change of an index past the points", [] { point_changed(MAX_POINTS); }, MAX_POINTS},
      {"a change of a negative index", [] { point_changed(-1); }, MAX_POINTS},
  };
  point_rec full[MAX_POINTS];
  for (int i = 0; i < MAX_POINTS; ++i) full[i] = point_rec{i * 0.01, -i * 0.01, 0.0, 1.0};
  replace_point_set(full, MAX_POINTS);
  for (const EditCase& c : kNothing) {
    SCOPED_TRACE(c.what);
    need_recompute = 0;
    spit(".ZELMOR", "kept\n");
    c.edit();
    EXPECT_EQ(c.count_after, point_count);
    EXPECT_EQ(0, need_recompute);
    EXPECT_EQ("kept\n", slurp(".ZELMOR"));
  }
}

TEST_F(PointEdits, TheCommonWeightReliftsEveryPointWithoutAnEdit) {
  weights[1] = 2.0;
  replace_point_set(kThree, 3);
  const std::string saved = slurp(".ZELMOR");
  need_recompute = 0;
  weight = -2.5f;
  relift_points();
  for (int i = 0; i < point_count; ++i) EXPECT_EQ(expected_height(i), point_table[i].z) << i;
  // A common shift changes no hull face's projection: no rewrite, no flag.
  EXPECT_EQ(0, need_recompute);
  EXPECT_EQ(saved, slurp(".ZELMOR"));
}

}  // namespace
