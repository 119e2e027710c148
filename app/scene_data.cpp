// Scene data that start-up computes once: the paraboloid mesh with its
// normals, and the About window's text.  No GL here, so both are testable
// without a display.
#include <cmath>
#include <cstring>

#include "app/app.h"

point_rec hyperboloid_mesh[MESH_N][MESH_N];
point_rec hyperboloid_normals[MESH_N][MESH_N];
char about_text[ABOUT_LINES * (ABOUT_LINE_MAX + 1) + 1];

void compute_hyperboloid_mesh() {
  const double step = 6.0 / 49.0;
  for (int i = 0; i < MESH_N; ++i) {
    for (int j = 0; j < MESH_N; ++j) {
      point_rec& p = hyperboloid_mesh[i][j];
      p.x = i * step - 3.0;
      p.y = j * step - 3.0;
      p.z = p.x * p.x + p.y * p.y;
      p.w = 1.0;
    }
  }
  // Two neighbours per vertex; at the last row and column the pair is chosen
  // so that every normal still points to the outer (lower) side of the bowl.
  for (int i = 0; i < MESH_N; ++i) {
    for (int j = 0; j < MESH_N; ++j) {
      const point_rec* a;
      const point_rec* b;
      if (i < 49 && j < 49) {
        a = &hyperboloid_mesh[i + 1][j];
        b = &hyperboloid_mesh[i][j + 1];
      } else if (i < 49) {
        a = &hyperboloid_mesh[i][j - 1];
        b = &hyperboloid_mesh[i + 1][j];
      } else if (j < 49) {
        a = &hyperboloid_mesh[i][j + 1];
        b = &hyperboloid_mesh[i - 1][j];
      } else {
        a = &hyperboloid_mesh[i - 1][j];
        b = &hyperboloid_mesh[i][j - 1];
      }
      const point_rec& p = hyperboloid_mesh[i][j];
      // Single precision on purpose: the normals are for shading only.
      const float ux = float(p.x - a->x), uy = float(p.y - a->y), uz = float(p.z - a->z);
      const float vx = float(p.x - b->x), vy = float(p.y - b->y), vz = float(p.z - b->z);
      const float nx = uz * vy - uy * vz;
      const float ny = ux * vz - uz * vx;
      const float nz = uy * vx - ux * vy;
      const double len = std::sqrt(double(nx) * nx + double(ny) * ny + double(nz) * nz);
      hyperboloid_normals[i][j] = point_rec{nx / len, ny / len, nz / len, 0.0};
    }
  }
}

namespace {

// 29 lines, each at most 74 characters, blank lines included.
const char* const kAboutLines[ABOUT_LINES] = {
    "ZELMOR - Delaunay triangulations and Voronoi diagrams by lifting",
    "",
    "Every point you place in the plane is lifted onto the paraboloid",
    "z = x*x + y*y + weight. The lower faces of the convex hull of the",
    "lifted points project straight down onto the Delaunay triangulation,",
    "and the circumcentres of those triangles are the Voronoi vertices.",
    "",
    "2D Points: right button adds a point, left button drags one,",
    "middle button selects one. 3D Projection: drag with the left button",
    "to turn the scene. The panel sets the weight, the opacity of the",
    "surface, the zoom and the layers that are shown.",
    "",
    "The hull is built by an incremental convex-hull engine whose",
    "floating-point decisions are checked with exact integer arithmetic,",
    "so degenerate input (cocircular or collinear points) is handled.",
    "",
    "Written by the ZELMOR developers as a classroom aid for courses in",
    "computational geometry.",
    "",
    "This program is provided as is, without warranty of any kind,",
    "express or implied, including fitness for a particular purpose.",
    "In no event shall the authors be liable for any claim, damages or",
    "other liability arising from the use of this software.",
    "",
    "Coordinates are rounded to hundredths before the hull is computed;",
    "the edges drawn are exact for the rounded points.",
    "",
    "Points are exchanged through the file .ZELMOR in the working folder.",
    "Press Dismiss to close this window.",
};

}  // namespace

void assemble_about_text() {
  std::strcpy(about_text, kAboutLines[0]);
  std::strcat(about_text, "\n");
  for (int k = 1; k < ABOUT_LINES; ++k) {
    std::strcat(about_text, kAboutLines[k]);
    std::strcat(about_text, "\n");
  }
}
