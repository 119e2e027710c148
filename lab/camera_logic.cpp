// The lab's camera arithmetic (see lessons.h): no GL, tested without a display.
#include <algorithm>
#include <cmath>

#include "lab/lessons.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMargin = 24.0;  // pixels kept free around a fitted picture

// Row-major 3 x 3 products.
void mul(const double a[9], const double b[9], double out[9]) {
  double r[9];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      r[i * 3 + j] = a[i * 3] * b[j] + a[i * 3 + 1] * b[3 + j] + a[i * 3 + 2] * b[6 + j];
  std::copy(r, r + 9, out);
}

void rot_x(double deg, double out[9]) {
  const double a = deg * kPi / 180.0, c = std::cos(a), s = std::sin(a);
  const double r[9] = {1, 0, 0, 0, c, -s, 0, s, c};
  std::copy(r, r + 9, out);
}

void rot_y(double deg, double out[9]) {
  const double a = deg * kPi / 180.0, c = std::cos(a), s = std::sin(a);
  const double r[9] = {c, 0, s, 0, 1, 0, -s, 0, c};
  std::copy(r, r + 9, out);
}

bool follows_zoom(const lab_camera& c) {
  return c.mode == camera_mode::start || c.mode == camera_mode::free;
}

// The scale actually used on screen axis k.
double scale_of(const lab_camera& c, int k, float zoom) {
  return follows_zoom(c) ? c.scale[k] * zoom / c.zoom_ref : c.scale[k];
}

// R (p - pivot), scaled: where p lands relative to the pivot's pixel.
void relative(const lab_camera& c, float zoom, const double p[3], double out[3]) {
  const double d[3] = {p[0] - c.pivot[0], p[1] - c.pivot[1], p[2] - c.pivot[2]};
  for (int i = 0; i < 3; ++i)
    out[i] = scale_of(c, i, zoom) *
             (c.rot[i * 3] * d[0] + c.rot[i * 3 + 1] * d[1] + c.rot[i * 3 + 2] * d[2]);
}

void plane_view(lab_camera& c, camera_mode mode, double mirror, int view_w, int view_h, int win_w,
                int win_h) {
  c.mode = mode;
  const double r[9] = {1, 0, 0, 0, 1, 0, 0, 0, mirror};
  std::copy(r, r + 9, c.rot);
  c.scale[0] = view_w / 6.0;
  c.scale[1] = view_h / 6.0;
  c.scale[2] = std::min(c.scale[0], c.scale[1]);
  c.pivot[0] = c.pivot[1] = 0.0;
  // The 2D view draws the plane's origin at (view_w / 2, view_h / 2).
  c.offset[0] = view_w / 2.0 - win_w / 2.0;
  c.offset[1] = view_h / 2.0 - win_h / 2.0;
}

}  // namespace

void shown_box(const point_rec* lifted, int count, double lo[3], double hi[3]) {
  if (count == 0) {
    lo[0] = lo[1] = -3.0;
    hi[0] = hi[1] = 3.0;
    lo[2] = hi[2] = 0.0;
    return;
  }
  lo[0] = hi[0] = lifted[0].x;
  lo[1] = hi[1] = lifted[0].y;
  lo[2] = hi[2] = 0.0;  // the feet in the plane
  for (int i = 0; i < count; ++i) {
    const double p[3] = {lifted[i].x, lifted[i].y, lifted[i].z};
    for (int k = 0; k < 3; ++k) {
      lo[k] = std::min(lo[k], p[k]);
      hi[k] = std::max(hi[k], p[k]);
    }
  }
}

void camera_reset(lab_camera& c, float zoom) {
  c.mode = camera_mode::start;
  double ry[9], rx[9];
  rot_y(30.0, ry);
  rot_x(-70.0, rx);
  mul(ry, rx, c.rot);
  c.scale[0] = c.scale[1] = c.scale[2] = 27.0 * zoom;
  c.zoom_ref = zoom;
  c.pivot[0] = c.pivot[1] = 0.0;
  c.pivot[2] = 7.5 / zoom;
  c.offset[0] = c.offset[1] = 0.0;
}

void camera_below(lab_camera& c, int view_w, int view_h, int win_w, int win_h) {
  plane_view(c, camera_mode::below, -1.0, view_w, view_h, win_w, win_h);
}

void camera_above(lab_camera& c, int view_w, int view_h, int win_w, int win_h) {
  plane_view(c, camera_mode::above, 1.0, view_w, view_h, win_w, win_h);
}

void camera_fit(lab_camera& c) { c.mode = camera_mode::fit; }

void camera_side(lab_camera& c) {
  // Rows: screen x = scene x, screen y = scene z, towards the viewer = -y.
  const double r[9] = {1, 0, 0, 0, 0, 1, 0, -1, 0};
  std::copy(r, r + 9, c.rot);
  c.mode = camera_mode::fit;
}

int lab_zoom_clamp(float* zoom) {
  // The bounds by the buttons' own float arithmetic, so that a zoom reached
  // by presses compares equal to them.
  float closest = 1.5f, furthest = 1.5f;
  for (int k = 0; k < LAB_ZOOM_IN_STEPS; ++k) closest *= 1.5f;
  for (int k = 0; k < LAB_ZOOM_OUT_STEPS; ++k) furthest /= 1.5f;
  if (*zoom > closest) {
    *zoom = closest;
    return 1;
  }
  if (*zoom < furthest) {
    *zoom = furthest;
    return -1;
  }
  return 0;
}

void camera_update(lab_camera& c, const point_rec* lifted, int count, int win_w, int win_h,
                   float zoom) {
  double lo[3], hi[3];
  shown_box(lifted, count, lo, hi);
  switch (c.mode) {
    case camera_mode::start:
      c.pivot[2] = 7.5 / zoom;
      break;
    case camera_mode::free:
      break;
    case camera_mode::below:
    case camera_mode::above:
      c.pivot[2] = (lo[2] + hi[2]) / 2.0;  // depth only: the picture does not move
      break;
    case camera_mode::fit: {
      for (int k = 0; k < 3; ++k) c.pivot[k] = (lo[k] + hi[k]) / 2.0;
      c.offset[0] = c.offset[1] = 0.0;
      c.scale[0] = c.scale[1] = c.scale[2] = 1.0;
      // Extents of the shown points (lifted and feet) at scale 1.
      double min_x = 0, max_x = 0, min_y = 0, max_y = 0;
      auto take = [&](double x, double y, double z) {
        const double p[3] = {x, y, z};
        double r[3];
        relative(c, zoom, p, r);
        min_x = std::min(min_x, r[0]);
        max_x = std::max(max_x, r[0]);
        min_y = std::min(min_y, r[1]);
        max_y = std::max(max_y, r[1]);
      };
      if (count == 0) {
        for (double x : {-3.0, 3.0})
          for (double y : {-3.0, 3.0}) take(x, y, 0.0);
      }
      for (int i = 0; i < count; ++i) {
        take(lifted[i].x, lifted[i].y, lifted[i].z);
        take(lifted[i].x, lifted[i].y, 0.0);
      }
      const double ex = std::max(max_x - min_x, 1e-9), ey = std::max(max_y - min_y, 1e-9);
      double s = std::min((win_w - 2 * kMargin) / ex, (win_h - 2 * kMargin) / ey);
      s = std::clamp(s, 2.0, 600.0);
      c.scale[0] = c.scale[1] = c.scale[2] = s;
      c.offset[0] = -s * (min_x + max_x) / 2.0;
      c.offset[1] = -s * (min_y + max_y) / 2.0;
      break;
    }
  }
}

void camera_set_pivot(lab_camera& c, const double centre[3], float zoom) {
  double r[3];
  relative(c, zoom, centre, r);
  c.offset[0] += r[0];
  c.offset[1] += r[1];
  for (int k = 0; k < 3; ++k) c.pivot[k] = centre[k];
}

void camera_drag(lab_camera& c, int dx, int dy, int win_w, int win_h, float zoom) {
  if (c.mode == camera_mode::below || c.mode == camera_mode::above) {
    // The plane views' scale is the 2D view's, three times the 3D view's own:
    // turned, the picture would be a close-up with the labels pinned to the
    // border.  The free view takes the start-up scale at this zoom, about the
    // pivot (the middle of what is shown) at the window centre.
    c.scale[0] = c.scale[1] = c.scale[2] = 27.0 * zoom;
    c.offset[0] = c.offset[1] = 0.0;
  }
  if (c.mode != camera_mode::fit && c.mode != camera_mode::free) {
    // Keep the picture: the scales in use become the free view's, at this zoom.
    for (int k = 0; k < 3; ++k) c.scale[k] = scale_of(c, k, zoom);
    c.zoom_ref = zoom;
    c.mode = camera_mode::free;
  }
  double rx[9], ry[9], step[9];
  rot_x(dy * 180.0 / win_h, rx);
  rot_y(dx * 180.0 / win_w, ry);
  mul(rx, ry, step);
  mul(step, c.rot, c.rot);
}

void camera_matrix(const lab_camera& c, int win_w, int win_h, float zoom, double m[16]) {
  double t[3] = {win_w / 2.0 + c.offset[0], win_h / 2.0 + c.offset[1], 0.0};
  const double origin[3] = {0, 0, 0};
  double r0[3];
  relative(c, zoom, origin, r0);  // where the scene origin lands, relative to the pivot's pixel
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) m[j * 4 + i] = scale_of(c, i, zoom) * c.rot[i * 3 + j];
    m[12 + i] = t[i] + r0[i];
    m[i * 4 + 3] = 0.0;
  }
  m[15] = 1.0;
}

void camera_project(const lab_camera& c, int win_w, int win_h, float zoom, const double p[3],
                    double out[3]) {
  double r[3];
  relative(c, zoom, p, r);
  out[0] = win_w / 2.0 + c.offset[0] + r[0];
  out[1] = win_h / 2.0 + c.offset[1] + r[1];
  out[2] = r[2];
}
