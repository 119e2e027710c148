// View settings and the selection: statically initialised so that every
// reader works before the panel and the editor exist.
#include "app/app.h"

int show_hyperboloid = 1;
int show_delaunay = 1;
int show_voronoi = 1;
unsigned char show_grid = 0;
// The opacity slider reads 0.4, but the surface starts at 0.3 and follows the
// slider only from the first motion event in the panel.
float hyperboloid_opacity = 0.3f;
float zoom_factor = 1.5f;
float weight = 1.0f;

int selected_count = 0;
int selected_points[MAX_POINTS] = {};
