// The page's CPU rasteriser for depth sprites, against brute force: exact
// rational tests of pixel centres against triangles on the 1/16-pixel grid.
#include "web/gl/depth_sprite.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace zelmor_web {
namespace {

constexpr int SCISSOR[4] = {-100, -100, 400, 400};

struct vertex {
  float x, y, z;
};

std::vector<float> floats(const std::vector<vertex>& v) {
  std::vector<float> f;
  for (const vertex& p : v) f.insert(f.end(), {p.x, p.y, p.z});
  return f;
}

depth_sprite rasterise(const std::vector<vertex>& v) {
  depth_sprite s;
  const std::vector<float> f = floats(v);
  EXPECT_TRUE(rasterise_sprite(f.data(), v.size() / 3, 3, SCISSOR, &s));
  return s;
}

// Twice the signed area of (a, b, c) on the grid of 1/16 pixel.
int64_t cross(int64_t ax, int64_t ay, int64_t bx, int64_t by, int64_t cx, int64_t cy) {
  return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
}

int64_t grid(float v) { return std::llround(v * 16.0); }

// Whether pixel (px, py)'s centre lies strictly inside the snapped triangle.
bool strictly_inside(const vertex* t, int px, int py) {
  const int64_t cx = 16 * px + 8, cy = 16 * py + 8;
  int64_t s[3];
  for (int e = 0; e < 3; ++e) {
    const vertex& a = t[e];
    const vertex& b = t[(e + 1) % 3];
    s[e] = cross(grid(a.x), grid(a.y), grid(b.x), grid(b.y), cx, cy);
  }
  return (s[0] > 0 && s[1] > 0 && s[2] > 0) || (s[0] < 0 && s[1] < 0 && s[2] < 0);
}

bool covered(const depth_sprite& s, int x, int y) {
  if (x < s.x0 || y < s.y0 || x >= s.x0 + s.w || y >= s.y0 + s.h) return false;
  return s.at(x, y) != UNCOVERED;
}

// A fan of triangles around a centre, on vertices that are random or on
// the pixel grid's centres and corners (where every tie happens): inside
// the fan every pixel centre is lit by exactly one triangle, however the
// shared edges pass through centres.
TEST(DepthSprite, TrianglesSharingEdgesLightEachPixelOnce) {
  std::mt19937 rng(7);
  for (int round = 0; round < 200; ++round) {
    const bool on_grid = round % 2 == 0;
    std::uniform_real_distribution<float> coord(0.0f, 40.0f);
    const auto pick = [&] {
      float v = coord(rng);
      return on_grid ? std::round(v * 2.0f) / 2.0f : v;
    };
    const vertex centre{20.0f + (on_grid ? 0.5f : 0.37f), 20.0f + (on_grid ? 0.5f : 0.21f), 0.0f};
    const int n = 3 + round % 6;
    std::vector<vertex> ring;
    for (int k = 0; k < n; ++k) {
      // A convex ring around the centre: angles in order, random radii.
      const double angle = 2 * M_PI * (k + 0.5 * std::uniform_real_distribution<double>(0, 1)(rng)) / n;
      const double r = 5 + std::fmod(pick(), 15.0f);
      float x = static_cast<float>(centre.x + r * std::cos(angle));
      float y = static_cast<float>(centre.y + r * std::sin(angle));
      if (on_grid) {
        x = std::round(x * 2.0f) / 2.0f;
        y = std::round(y * 2.0f) / 2.0f;
      }
      ring.push_back(vertex{x, y, 0.0f});
    }
    std::vector<depth_sprite> parts;
    for (int k = 0; k < n; ++k) parts.push_back(rasterise({centre, ring[k], ring[(k + 1) % n]}));
    for (int py = 0; py < 45; ++py)
      for (int px = 0; px < 45; ++px) {
        int lit = 0;
        for (const depth_sprite& s : parts) lit += covered(s, px, py);
        bool in_some = false;
        for (int k = 0; k < n; ++k) {
          const vertex t[3] = {centre, ring[k], ring[(k + 1) % n]};
          in_some = in_some || strictly_inside(t, px, py);
        }
        // A centre strictly inside a triangle is lit once; one on a shared
        // edge or the centre vertex, at most once.
        if (in_some) {
          EXPECT_EQ(lit, 1) << "round " << round << " pixel " << px << "," << py;
        }
        EXPECT_LE(lit, 1) << "round " << round << " pixel " << px << "," << py;
      }
  }
}

// Inside the union the shared edges hide nothing: a convex quad split along
// either diagonal lights the same pixels.
TEST(DepthSprite, EitherDiagonalLightsTheSamePixels) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> jitter(-3.0f, 3.0f);
  for (int round = 0; round < 300; ++round) {
    const bool on_grid = round % 2 == 0;
    auto v = [&](float x, float y) {
      float a = x + jitter(rng), b = y + jitter(rng);
      if (on_grid) {
        a = std::round(a * 2.0f) / 2.0f;
        b = std::round(b * 2.0f) / 2.0f;
      }
      return vertex{a, b, 0.0f};
    };
    const vertex q[4] = {v(5, 5), v(30, 6), v(29, 31), v(6, 28)};
    const depth_sprite a = rasterise({q[0], q[1], q[2], q[0], q[2], q[3]});
    const depth_sprite b = rasterise({q[0], q[1], q[3], q[1], q[2], q[3]});
    for (int py = -5; py < 45; ++py)
      for (int px = -5; px < 45; ++px)
        ASSERT_EQ(covered(a, px, py), covered(b, px, py)) << "round " << round << " pixel " << px << "," << py;
  }
}

// Centres on an edge go as the GPU's top-left rule gives them (a
// triangle's bottom edge in canvas rows is the GPU's top edge), also where
// a corner just off a row of centres snaps onto it and the unsnapped box
// leaves the row out.
TEST(DepthSprite, CentresOnAnEdgeFollowTheGpusTieRule) {
  const depth_sprite up = rasterise({{2.3f, 10.52f, 0}, {9.7f, 10.52f, 0}, {6.1f, 15.2f, 0}});
  for (int px = 3; px <= 8; ++px) EXPECT_TRUE(covered(up, px, 10)) << px;
  const depth_sprite down = rasterise({{2.3f, 10.48f, 0}, {9.7f, 10.48f, 0}, {6.1f, 5.8f, 0}});
  for (int px = 3; px <= 8; ++px) EXPECT_FALSE(covered(down, px, 10)) << px;
  EXPECT_TRUE(covered(down, 6, 9));
  // Columns of centres on a vertical edge go to the triangle on its right
  // (the edge is the triangle's left one), not to one on its left.
  const depth_sprite right = rasterise({{5.5f, 1.2f, 0}, {12.3f, 6.1f, 0}, {5.5f, 11.4f, 0}});
  const depth_sprite left = rasterise({{5.5f, 1.2f, 0}, {5.5f, 11.4f, 0}, {-1.3f, 6.1f, 0}});
  for (int py = 3; py <= 9; ++py) {
    EXPECT_TRUE(covered(right, 5, py)) << py;
    EXPECT_FALSE(covered(left, 5, py)) << py;
  }
}

// Where triangles overlap, a pixel keeps the nearest depth: each pixel's
// value against each covering plane, worked out here in long double.
TEST(DepthSprite, OverlapKeepsTheNearestDepth) {
  const std::vector<vertex> v = {{1.2f, 1.7f, -0.5f}, {30.4f, 3.1f, 0.2f}, {12.8f, 28.9f, 0.4f},
                                 {2.6f, 25.3f, 0.1f}, {28.2f, 27.7f, -0.3f}, {15.5f, 0.9f, 0.3f}};
  const depth_sprite s = rasterise(v);
  int checked = 0;
  for (int py = s.y0; py < s.y0 + s.h; ++py)
    for (int px = s.x0; px < s.x0 + s.w; ++px) {
      long double nearest = 2;
      for (int t = 0; t < 2; ++t) {
        const vertex* q = &v[3 * t];
        if (!strictly_inside(q, px, py)) continue;
        // Barycentric weights of the centre in the unsnapped triangle.
        const long double x = px + 0.5L, y = py + 0.5L;
        const long double d = (long double)(q[1].x - q[0].x) * (q[2].y - q[0].y) -
                               (long double)(q[1].y - q[0].y) * (q[2].x - q[0].x);
        const long double w1 = ((x - q[0].x) * (q[2].y - q[0].y) - (y - q[0].y) * (q[2].x - q[0].x)) / d;
        const long double w2 = ((q[1].x - q[0].x) * (y - q[0].y) - (q[1].y - q[0].y) * (x - q[0].x)) / d;
        const long double z = (1 - w1 - w2) * q[0].z + w1 * q[1].z + w2 * q[2].z;
        nearest = std::min(nearest, 0.5L * z + 0.5L);
      }
      if (nearest > 1) continue;
      ++checked;
      EXPECT_NEAR(static_cast<double>(s.at(px, py)), static_cast<double>(nearest * 16777215.0L), 1.0)
          << px << "," << py;
    }
  EXPECT_GT(checked, 300);
}

TEST(DepthSprite, RefusesWhatAQuadCannotStandFor) {
  depth_sprite s;
  const std::vector<float> big = floats({{0, 0, 0}, {70, 0, 0}, {0, 5, 0}});
  EXPECT_FALSE(rasterise_sprite(big.data(), 1, 3, SCISSOR, &s)) << "wider than a sprite";
  const std::vector<float> far = floats({{0, 0, 0}, {5, 0, 1.5f}, {0, 5, 0}});
  EXPECT_FALSE(rasterise_sprite(far.data(), 1, 3, SCISSOR, &s)) << "cut by the far plane";
  // The scissor bounds the sprite.
  const int small[4] = {2, 2, 3, 3};
  const std::vector<float> tri = floats({{0, 0, 0}, {10, 0, 0}, {0, 10, 0}});
  ASSERT_TRUE(rasterise_sprite(tri.data(), 1, 3, small, &s));
  EXPECT_EQ(s.x0, 2);
  EXPECT_EQ(s.y0, 2);
  EXPECT_LE(s.w, 3);
  EXPECT_LE(s.h, 3);
}

}  // namespace
}  // namespace zelmor_web
