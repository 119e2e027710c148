// Simplex pool, insertion steps, traversals and adjacency.
#include "hull/hull.h"
