// view3d/view3d.h — the scene drawers shared by both views and the
// "3D Projection" window's callbacks.
#pragma once

// GLUT callbacks of the "3D Projection" window.
void view3d_display();
void view3d_reshape(int width, int height);
void view3d_mouse(int button, int state, int x, int y);
void view3d_motion(int x, int y);
