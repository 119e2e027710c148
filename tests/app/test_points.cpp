// Point set, lift rule and record lists.
#include <gtest/gtest.h>

#include <cstring>

#include "app/app.h"

namespace {

class PointSet : public ::testing::Test {
 protected:
  void SetUp() override {
    point_count = 0;
    weight = 1.0f;
  }
  void TearDown() override { weight = 1.0f; }
};

struct LiftCase {
  float weight;
  double x, y;
};
const LiftCase kLift[] = {
    {1.0f, 0.5, -1.25},
    {-3.0f, 2.99445, -2.99445},
    {10.0f, -0.1, 0.3},
    // 0.1 is not exact in float: the widened float, not the double 0.1, is added.
    {0.1f, 1.0 / 3.0, 2.0 / 7.0},
};

TEST_F(PointSet, AddPointLiftsByTheWeightWidenedAndAddedLast) {
  for (const LiftCase& c : kLift) {
    SCOPED_TRACE(c.weight);
    point_count = 0;
    weight = c.weight;
    ASSERT_EQ(1, add_point(point_rec{c.x, c.y, 0.0, 1.0}));
    ASSERT_EQ(1, point_count);
    const double expected = c.x * c.x + c.y * c.y + double(c.weight);
    EXPECT_EQ(expected, point_table[0].z);  // bit for bit: same order of operations
    EXPECT_EQ(c.x, point_table[0].x);
    EXPECT_EQ(c.y, point_table[0].y);
    EXPECT_EQ(1.0, point_table[0].w);
    EXPECT_EQ(0.0, plane_table[0].z);
    EXPECT_EQ(1.0, plane_table[0].w);
    EXPECT_EQ(c.x, plane_table[0].x);
  }
}

TEST_F(PointSet, AddPointDoesNotTouchTheFlagOrTheFile) {
  need_recompute = 0;
  add_point(point_rec{0.0, 0.0, 0.0, 1.0});
  EXPECT_EQ(0, need_recompute);
}

TEST_F(PointSet, TwoHundredFitAndTheNextIsRefusedWithAMessage) {
  for (int i = 0; i < MAX_POINTS; ++i) ASSERT_EQ(1, add_point(point_rec{i * 0.01, 0.0, 0.0, 1.0}));
  EXPECT_EQ(MAX_POINTS, point_count);
  const point_rec last_plane = plane_table[MAX_POINTS - 1];
  const point_rec last_lifted = point_table[MAX_POINTS - 1];

  testing::internal::CaptureStdout();
  EXPECT_EQ(0, add_point(point_rec{2.5, 2.5, 0.0, 1.0}));
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(std::string::npos, out.find("full")) << out;
  EXPECT_EQ(MAX_POINTS, point_count);
  EXPECT_EQ(0, std::memcmp(&last_plane, &plane_table[MAX_POINTS - 1], sizeof(point_rec)));
  EXPECT_EQ(0, std::memcmp(&last_lifted, &point_table[MAX_POINTS - 1], sizeof(point_rec)));
}

TEST(RecList, AppendLinksBothWaysAndMovesTheTail) {
  rec_list* list = new_rec_list();
  ASSERT_NE(nullptr, list);
  EXPECT_EQ(nullptr, list->head);
  EXPECT_EQ(nullptr, list->tail);
  int a = 1, b = 2, c = 3;

  rec_list_append(list, &a);
  ASSERT_NE(nullptr, list->head);
  EXPECT_EQ(list->head, list->tail);
  EXPECT_EQ(&a, list->head->data);
  EXPECT_EQ(nullptr, list->head->prev);
  EXPECT_EQ(nullptr, list->head->next);

  rec_list_append(list, &b);
  rec_list_append(list, &c);
  rec_node* first = list->head;
  rec_node* second = first->next;
  rec_node* third = second->next;
  EXPECT_EQ(&b, second->data);
  EXPECT_EQ(&c, third->data);
  EXPECT_EQ(third, list->tail);
  EXPECT_EQ(nullptr, third->next);
  EXPECT_EQ(second, third->prev);
  EXPECT_EQ(first, second->prev);
  free_rec_list(list);  // releases nodes only: a, b, c are on the stack
}

TEST(RecList, FreeOfNullDoesNothing) { free_rec_list(nullptr); }

TEST(ViewSettings, StartValues) {
  EXPECT_EQ(1, show_hyperboloid);
  EXPECT_EQ(1, show_delaunay);
  EXPECT_EQ(1, show_voronoi);
  EXPECT_EQ(0, show_grid);
  EXPECT_EQ(0.3f, hyperboloid_opacity);
  EXPECT_EQ(1.5f, zoom_factor);
  EXPECT_EQ(1.0f, weight);
  EXPECT_EQ(0, selected_count);
  EXPECT_EQ(0, need_recompute);
}

}  // namespace
