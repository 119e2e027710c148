// The paraboloid mesh, its normals and the About text.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "app/app.h"

namespace {

TEST(HyperboloidMesh, CornersAndCentre) {
  compute_hyperboloid_mesh();
  EXPECT_DOUBLE_EQ(-3.0, hyperboloid_mesh[0][0].x);
  EXPECT_DOUBLE_EQ(-3.0, hyperboloid_mesh[0][0].y);
  EXPECT_DOUBLE_EQ(18.0, hyperboloid_mesh[0][0].z);
  EXPECT_NEAR(3.0, hyperboloid_mesh[49][49].x, 1e-12);
  EXPECT_NEAR(3.0, hyperboloid_mesh[49][49].y, 1e-12);
  EXPECT_NEAR(18.0, hyperboloid_mesh[49][49].z, 1e-12);
  // 50 samples: the origin falls between samples 24 and 25 on both axes.
  for (int i = 24; i <= 25; ++i)
    for (int j = 24; j <= 25; ++j) EXPECT_LT(hyperboloid_mesh[i][j].z, 0.01) << i << "," << j;
  EXPECT_GT(hyperboloid_mesh[23][24].z, 0.01);
  // Rows and columns are i-major: x follows i, y follows j.
  EXPECT_NEAR(hyperboloid_mesh[1][0].x - hyperboloid_mesh[0][0].x, 6.0 / 49.0, 1e-12);
  EXPECT_DOUBLE_EQ(hyperboloid_mesh[1][0].y, -3.0);
}

TEST(HyperboloidMesh, EveryNormalIsUnitAndPointsDownOut) {
  compute_hyperboloid_mesh();
  for (int i = 0; i < MESH_N; ++i) {
    for (int j = 0; j < MESH_N; ++j) {
      const point_rec& n = hyperboloid_normals[i][j];
      const point_rec& p = hyperboloid_mesh[i][j];
      SCOPED_TRACE(testing::Message() << "vertex " << i << "," << j);
      EXPECT_NEAR(1.0, n.x * n.x + n.y * n.y + n.z * n.z, 1e-6);
      EXPECT_LT(n.z, 0.0);
      // Approximates (dz/dx, dz/dy, -1) = (2x, 2y, -1), normalised: the
      // border rows use other neighbours but must agree in direction.
      const double gx = 2 * p.x, gy = 2 * p.y;
      const double len = std::sqrt(gx * gx + gy * gy + 1.0);
      const double cosang = (n.x * gx + n.y * gy - n.z) / len;
      EXPECT_GT(cosang, 0.98);
    }
  }
}

TEST(AboutText, TwentyNineLinesOfAtMostSeventyFourCharacters) {
  assemble_about_text();
  const std::string text = about_text;
  int lines = 0;
  size_t start = 0;
  while (start < text.size()) {
    const size_t nl = text.find('\n', start);
    ASSERT_NE(std::string::npos, nl) << "every line ends in a newline";
    EXPECT_LE(nl - start, size_t(ABOUT_LINE_MAX)) << text.substr(start, nl - start);
    ++lines;
    start = nl + 1;
  }
  EXPECT_EQ(ABOUT_LINES, lines);
  EXPECT_LT(text.size(), sizeof(about_text));
}

}  // namespace
