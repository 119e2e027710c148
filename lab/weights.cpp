// The lab's weights, GL-free: the hook into the core's lift, one point's
// weight changed in steps, New clearing them, the status message.
#include "lab/weights.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/app.h"
#include "lab/lab.h"

void lab_weights_attach() { point_weights = lab_point_weight; }

int lab_change_weight(int i, int steps) {
  if (i < 0 || i >= point_count) {
    lab_status("no point selected: click one with the left or middle button, then + or -");
    return 0;
  }
  double w = lab_point_weight[i] + steps * LAB_WEIGHT_STEP;
  if (w < 0.0) w = 0.0;
  if (w > LAB_WEIGHT_MAX) w = LAB_WEIGHT_MAX;
  // Whole 10^-4, the units the lift rounds weights to: repeated steps do not
  // drift (0.1 + 0.1 + 0.1 is 0.3 here, not 0.30000000000000004).
  w = std::round(w * 1e4) / 1e4;
  if (w == lab_point_weight[i]) {
    lab_status("point %d: weight %.2f already %s", i, w, w == 0.0 ? "at least 0" : "at most 9");
    return 0;
  }
  lab_point_weight[i] = w;
  point_changed(i);
  lab_status("%s", lab_weight_message(i).c_str());
  return 1;
}

int lab_weight_through(int i, double x, double y) {
  if (i < 0 || i >= point_count) return 0;
  const double dx = x - plane_table[i].x, dy = y - plane_table[i].y;
  const double want = dx * dx + dy * dy;
  const double w = std::round(std::min(want, LAB_WEIGHT_MAX) * 1e4) / 1e4;
  const bool held = want > LAB_WEIGHT_MAX;
  const bool changed = w != lab_point_weight[i];
  if (changed) {
    lab_point_weight[i] = w;
    point_changed(i);
  }
  // The hidden points follow the recomputation this change asks for: the
  // status line's last row names them.
  lab_status("point %d: weight %.2f (circle radius %.2f)%s", i, w, std::sqrt(w),
             held ? ", held at the largest weight, 9" : "");
  return changed ? 1 : 0;
}

void lab_clear_weights() {
  for (double& w : lab_point_weight) w = 0.0;
}

std::string lab_weight_message(int i) {
  unsigned char hidden[MAX_POINTS];
  find_hidden_points(hidden);
  const double w = lab_point_weight[i];
  char text[LAB_STATUS_MAX];
  std::snprintf(text, sizeof text, "point %d: weight %.2f (circle radius %.2f); %s", i, w,
                std::sqrt(w), lab_hidden_names(hidden, point_count).c_str());
  return text;
}

std::string lab_hidden_names(const unsigned char* hidden, int count) {
  std::string names;
  int n = 0;
  for (int i = 0; i < count; ++i) {
    if (!hidden[i]) continue;
    if (n < LAB_HIDDEN_NAMED) names += (n == 0 ? "" : ", ") + std::to_string(i);
    ++n;
  }
  if (n == 0) return "no point hidden";
  if (n > LAB_HIDDEN_NAMED) names += " and " + std::to_string(n - LAB_HIDDEN_NAMED) + " more";
  return (n == 1 ? "point " : "points ") + names + " hidden";
}
