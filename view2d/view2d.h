// view2d/view2d.h — the 2D points subwindow, the widget kit and the control
// panel.
#pragma once

// GLUT callbacks of the 2D points subwindow.
void points_reshape(int width, int height);
void points_display();
void points_mouse(int button, int state, int x, int y);
void points_motion(int x, int y);

// GLUT callbacks of the control panel.
void panel_reshape(int width, int height);
void panel_display();
void panel_mouse(int button, int state, int x, int y);
void panel_motion(int x, int y);
