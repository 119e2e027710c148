// Basis pool, basis reduction, visibility and hull_build.
#include "hull/hull.h"
