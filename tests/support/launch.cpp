#include "tests/support/launch.h"

#include "tests/support/plane_pixels.h"

namespace {

constexpr int kWaitMs = 15000;

::testing::AssertionResult not_started(xdrive& x, const std::string& what) {
  return ::testing::AssertionFailure() << what << "; the program's standard error:\n" << x.program_stderr();
}

}  // namespace

::testing::AssertionResult start_program(xdrive& x, const std::string& binary,
                                         const std::vector<std::string>& args, program_windows* out) {
  *out = program_windows{};
  if (!x.connect()) return ::testing::AssertionFailure() << "no X display with XTest";
  if (!x.launch(binary, args)) return ::testing::AssertionFailure() << "cannot start " << binary;
  out->top = x.find_window("2D Points", kWaitMs);
  if (out->top.id == 0) return not_started(x, "no \"2D Points\" window");
  // The subwindows are created after their parent is mapped.
  xdrive::wait_until(
      [&] {
        out->view = x.describe(out->top.id).child_at(1, 1, POINTS_VIEW_SIZE, POINTS_VIEW_SIZE);
        return out->view.mapped;
      },
      kWaitMs);
  if (!out->view.mapped) return not_started(x, "no points view in \"2D Points\"");
  out->win3d = x.find_window("3D Projection", kWaitMs);
  if (out->win3d.id == 0) return not_started(x, "no \"3D Projection\" window");
  const xd_rgb white{255, 255, 255};
  if (!xdrive::wait_until([&] { return x.pixel(out->view.x + 20, out->view.y + 20) == white; }, kWaitMs))
    return not_started(x, "the points view drew no white frame");
  return ::testing::AssertionSuccess();
}
