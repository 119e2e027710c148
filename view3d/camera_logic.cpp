// GL-free arithmetic of the "3D Projection" window's mouse rotation.
#include "view3d/view3d.h"

int rotation_step(int delta, int size) {
  // C++ integer division truncates toward zero and % keeps the dividend's
  // sign: a drag to the left or down gives a negative step.
  return (delta * 360 * 3) / size % 360;
}
