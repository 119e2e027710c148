// The widget kit's arithmetic: hit tests, label baselines, knob placement,
// the slider's press/release and drag handling, and text line splitting.
// No GL here, so all of it can be exercised without a display.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "view2d/view2d.h"

int hit_rect(const button_rec& b, int x, int y) {
  return (b.x0 <= x && x <= b.x1 && b.y0 <= y && y <= b.y1) ? 1 : 0;
}

int label_baseline(const button_rec& b) {
  // 13 pixels is the label font's height: taller rectangles centre the text,
  // shorter ones sit it 3 pixels above the bottom edge.
  int h = std::abs(b.y1 - b.y0) - 13;
  if (h < 0) h = 0;
  return h / 2 + b.y0 + 3;
}

namespace {

int track_length(const slider_rec& s) { return s.x1 - s.x0 - 50; }

}  // namespace

int knob_position(const slider_rec& s) {
  // Single precision throughout, then cut toward zero: a value that carries
  // float error from repeated arrow steps may sit one pixel short.
  const float pos = (s.value - s.min) / (s.max - s.min) * static_cast<float>(track_length(s)) +
                    static_cast<float>(s.x0 + 25);
  return static_cast<int>(pos);
}

void place_knob(slider_rec& s) { s.knob_x = knob_position(s); }

void slider_mouse(slider_rec& s, int button, int state, int x, int y) {
  if (button != WIDGET_LEFT_BUTTON) return;
  if (state == WIDGET_DOWN) {
    // The arrow column: down box y0 .. y0 + 7, up box y0 + 9 .. y0 + 16; the
    // row between them is dead.
    if (s.x1 - 20 <= x && x <= s.x1 - 10 && s.y0 <= y && y <= s.y0 + 16) {
      if (y <= s.y0 + 7) {
        s.value = s.value - s.step;
        if (s.value < s.min) s.value = s.min;
        place_knob(s);
        s.down_pressed = 1;
      } else if (y >= s.y0 + 9) {
        s.value = s.value + s.step;
        if (s.value > s.max) s.value = s.max;
        place_knob(s);
        s.up_pressed = 1;
      }
      return;
    }
    // A press on the track away from the knob does nothing: no jump, no
    // paging.  Only the knob itself, within 8 pixels of its centre, grabs.
    if (s.x0 <= x && x <= s.x1 && s.y0 - 2 <= y && y <= s.y0 + 14) {
      if (s.x0 + 22 <= x && x <= s.x1 - 22 && s.knob_x - 8 <= x && x <= s.knob_x + 8) {
        s.dragging = 1;
        s.drag_x = x;
        s.drag_y = y;
      }
    }
    return;
  }
  if (state == WIDGET_UP) {
    // The release ends every hold, wherever the pointer is.
    s.dragging = 0;
    s.up_pressed = 0;
    s.down_pressed = 0;
  }
}

void slider_motion(slider_rec& s, int x, int y) {
  if (s.dragging != 1) return;
  s.knob_x += x - s.drag_x;
  if (s.knob_x < s.x0 + 25) s.knob_x = s.x0 + 25;
  if (s.knob_x > s.x1 - 25) s.knob_x = s.x1 - 25;
  // The knob moves by pixels, the value by whole steps from min (halves go
  // up); the next draw after the drag puts the knob on the snapped value.
  float v = static_cast<float>(s.knob_x - s.x0 - 25) * (s.max - s.min) /
            static_cast<float>(track_length(s));
  v = std::trunc(v / s.step + 0.5f) * s.step + s.min;
  s.value = v;
  s.drag_x = x;
  s.drag_y = y;
}

int flip_y_in(int height, int y) { return height - y - 1; }

void for_each_text_line(const char* text,
                        void (*line)(void* ctx, int k, const char* begin, int length),
                        void* ctx) {
  int k = 0;
  const char* p = text;
  while (*p != '\0') {
    const char* end = p;
    while (*end != '\0' && *end != '\n') ++end;
    line(ctx, k, p, static_cast<int>(end - p));
    ++k;
    p = (*end == '\n') ? end + 1 : end;
  }
}

float zoom_in_step(float zoom) {
  const float next = zoom * 1.5f;
  return next <= ZOOM_MAX ? next : zoom;
}

float zoom_out_step(float zoom) {
  const float next = zoom / 1.5f;
  return next >= ZOOM_MIN ? next : zoom;
}

int finger_target(const finger_box* boxes, int n, int min_side, int x, int y, int* tx, int* ty) {
  *tx = x;
  *ty = y;
  int best = -1;
  long best_d = 0;
  for (int i = 0; i < n; ++i) {
    const finger_box& b = boxes[i];
    if (b.x0 <= x && x <= b.x1 && b.y0 <= y && y <= b.y1) return -1;  // on it: as it is
    const int grow_x = std::max(0, (min_side - (b.x1 - b.x0 + 1) + 1) / 2);
    const int grow_y = std::max(0, (min_side - (b.y1 - b.y0 + 1) + 1) / 2);
    if (x < b.x0 - grow_x || x > b.x1 + grow_x || y < b.y0 - grow_y || y > b.y1 + grow_y) continue;
    const long dx = x < b.x0 ? b.x0 - x : x > b.x1 ? x - b.x1 : 0;
    const long dy = y < b.y0 ? b.y0 - y : y > b.y1 ? y - b.y1 : 0;
    const long d = dx * dx + dy * dy;
    if (best < 0 || d < best_d) {
      best = i;
      best_d = d;
    }
  }
  if (best < 0) return -1;
  const finger_box& b = boxes[best];
  const int in_x = b.x1 - b.x0 > 2 ? 1 : 0, in_y = b.y1 - b.y0 > 2 ? 1 : 0;
  *tx = std::clamp(x, b.x0 + in_x, b.x1 - in_x);
  *ty = std::clamp(y, b.y0 + in_y, b.y1 - in_y);
  return best;
}
