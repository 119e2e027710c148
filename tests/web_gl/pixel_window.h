// The GL layer's tests draw into a 100 x 100 window at the canvas's corner,
// one GL unit a pixel.
#pragma once

#include <gtest/gtest.h>

#include "web/gl/gl_web.h"

// Makes ctx the current window, that size, and sets up its matrices.
inline void start_pixel_window(zelmor_web::context* ctx) {
  zelmor_web::current = ctx;
  ctx->clip[2] = ctx->clip[3] = 100;
  zelmor_web::set_canvas_size(100, 100);
  ASSERT_TRUE(zelmor_web::gl_start());
  glViewport(0, 0, 100, 100);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, 100, 0, 100, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}
