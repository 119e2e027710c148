// view3d/view3d.h — the scene drawers shared by both views and the
// "3D Projection" window's callbacks.
#pragma once

#include "app/app.h"

// ---------------------------------------------------------------------------
// Scene drawers (scene_draw.cpp).
//
// Each drawer issues GL for one layer into the current window, in the
// coordinates of the current modelview matrix (plane units).  The callers
// decide which layers to draw.  Geometry that no edit changes is sent to the
// GL once (the surface mesh as client-side arrays; the sphere and the cube of
// a marker, the axes, the grid and the label glyphs as display lists kept per
// window) and drawn from there; the rest is sent on every frame.  Contract: on entry blending
// (GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA) and the depth test are on and
// lighting is off.  draw_hyperboloid and draw_hull_faces switch lighting on
// and off again; draw_plane_points and draw_point_labels switch it off and
// restore what they found.  No drawer changes blending, depth, the matrix
// mode or the projection; those that change the modelview push and pop it.
// No drawer allocates memory.
// ---------------------------------------------------------------------------

// When true, every drawer sends everything vertex by vertex on every frame
// with its state changes per primitive, as before the display lists and the
// arrays; the pixels are the same either way.  Only the frame comparison
// test and the benchmark set it, to measure and check the two paths against
// each other; the program leaves it false.
extern bool immediate_drawing;

// RGBA, single precision, as GL takes them.
extern const float point_colour[4];           // (0.14, 0.14, 0.56, 1)
extern const float selected_point_colour[4];  // (1, 0, 1, 1)
extern const float label_colour[4];           // (0, 0.5, 1, 1)
extern const float axis_colour[4];            // (0.2, 0.2, 0.2, 0.4)
extern const float axis_letter_colour[4];     // (1, 0, 0, 1)
extern const float grid_colour[4];            // (0.1, 0.1, 0.1, 0.3)

// The surface z = x^2 + y^2 as 49 x 49 lit quads of colour
// (1, 1, 0, hyperboloid_opacity); the caller shifts it up by the weight.
void draw_hyperboloid();
// Every triangle of tri_list, lit: green when its normal points up, cyan
// otherwise, each with a blue outline of width 3.
void draw_hull_faces();
// Every edge of edge_list as a line of width 2 in the plane z = 0.
void draw_delaunay_edges();
// The Voronoi edge of every edge of edge_list (voronoi_edge decides it), red,
// width 2, in the plane z = 0.
void draw_voronoi_edges();
// A sphere of radius 0.15 / zoom_factor at every lifted point.
void draw_lifted_points();
// The points of table: 8-pixel dots in the 2D points view, cubes of edge
// 0.15 / zoom_factor in the 3D window, nothing in any other window.
void draw_plane_points(const point_rec* table);
// The index of every point of table as a GLUT_BITMAP_8_BY_13 label, offset
// by 0.07 on each axis.
void draw_point_labels(const point_rec* table);
// The x and y axes (and the z axis when with_z) with arrow heads at both ends
// and stroke letters.
void draw_axes(int with_z);
// 19 + 19 lines of spacing 1/3 over [-3, 3]^2 in the plane z = 0.
void draw_grid();

// ---------------------------------------------------------------------------
// The "3D Projection" window (view3d_window.cpp).
// ---------------------------------------------------------------------------

// GLUT callbacks of the "3D Projection" window.
void view3d_display();
void view3d_reshape(int width, int height);
void view3d_mouse(int button, int state, int x, int y);
void view3d_motion(int x, int y);

// Camera state.  view_rotation is a column-major 4 x 4 matrix, the identity
// after every reshape; each display composes the current steps into it, so a
// step is applied once per display, not once per motion event.
extern double view_rotation[16];
extern int rot_step_x, rot_step_y;    // degrees
extern int drag_last_x, drag_last_y;  // pixels, y from the bottom
extern int rotating;                  // 1 while the left button is held here

// Drawn by view3d_display after zelmor's own layers, in scene coordinates
// (the camera's modelview in place), before the buffers swap.  Null in
// zelmor; a program built on the same windows (the lab) sets it.
extern void (*view3d_overlay)();

// When set, builds the camera's modelview in place of the start-up view and
// the drag rotation above (view_rotation and the steps are then left alone):
// called once per display with the identity loaded, before anything is drawn.
// Null in zelmor; the lab sets it for its camera presets.
extern void (*view3d_camera)();

// Draws the point labels of table in both views.  draw_point_labels in
// zelmor; the lab replaces it to hide the labels or keep them inside the view.
extern void (*label_drawer)(const point_rec* table);

// ---------------------------------------------------------------------------
// GL-free camera arithmetic (camera_logic.cpp).
// ---------------------------------------------------------------------------

// The rotation in degrees for a drag of delta pixels along a window side of
// size pixels: delta * 1080 / size in integers (truncating toward zero), then
// its remainder modulo 360 with the sign of delta.  Three turns per window
// side: 2 degrees per pixel at 540.
int rotation_step(int delta, int size);
