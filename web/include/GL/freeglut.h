// The GLUT header the program includes, for the web edition: the standard
// GLUT API that the web layer (web/glut/glut_web.cpp) implements.
#pragma once
#include <GL/freeglut_std.h>
