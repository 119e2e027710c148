// web/gl/gl_web.h — the web edition's OpenGL 1.x, for the immediate-mode
// subset the program uses, and what the page's GLUT (web/glut/glut_web.cpp) may
// use of it.  Emscripten's own legacy-GL emulation issues one WebGL draw
// call per glBegin/glEnd, ignores colour material, aborts on back-face
// materials and GL_POLYGON and draws every line one pixel wide; this layer
// instead does what a software fixed pipeline does, then hands WebGL large
// batches of triangles in canvas pixels.
//
// Implemented:
//  * one context per GLUT window: matrix stacks (modelview 32, projection
//    4) with glLoadIdentity, glLoadMatrix, glMultMatrix, glTranslate,
//    glRotate, glScale, glOrtho, glPushMatrix, glPopMatrix;
//  * glBegin/glEnd of every primitive, glRect, client-side vertex, normal
//    and colour arrays (glDrawArrays, glDrawElements, glArrayElement);
//  * lines of any width with glLineStipple, points of any size, bitmaps at
//    glRasterPos/glWindowPos, glReadPixels of GL_RGBA bytes;
//  * lighting: eight directional lights (ambient, diffuse, specular), the
//    model's ambient light, one-sided with a viewer at infinity, the front
//    material, GL_COLOR_MATERIAL, GL_NORMALIZE; smooth shading;
//  * blending (glBlendFunc), the depth test (glDepthFunc) and glDepthMask,
//    face culling (GL_CULL_FACE, glCullFace, glFrontFace), glClear of
//    colour and depth;
//  * display lists (compile, compile and execute, nested calls, glCallLists
//    with a base), glPushAttrib of the current, enable, line, point, depth
//    buffer, colour buffer (blending, clear colour), polygon and hint
//    groups; glGet of the values the program reads.
//
// Not implemented (a build with ZELMOR_WEB_GL_STRICT, the debug build,
// ends the program with the call's name; the release page ignores them):
// textures, evaluators, fog, stencil, accumulation, selection and feedback;
// positional and spot lights and attenuation, two-sided lighting, the back
// material; flat shading; polygon modes other than GL_FILL; pixel storage
// other than the defaults with row alignment 1; glPushAttrib of any other
// group; glGet of any other value; antialiasing (smoothing switches and
// hints are accepted and change nothing, as GL allows).
//
// The floors, each using only those below it (web/CMakeLists.txt builds
// them in this order; tests/web_gl links them floor by floor, so that a
// call into a floor above fails its build):
//   state.h        what a context holds, matrices, state setters
//   list_store.h   display lists as recorded commands
//   webgl.h/.js    the WebGL side: shaders and draw calls, in JavaScript
//   batch.h        triangles gathered and drawn in one WebGL call a state
//   savings.h      the speed-ups, all behind one build switch
//   pipeline.h     vertices transformed and lit, primitives assembled
//   entry.cpp      the GL entry points
//   lists.cpp      display lists made, called and replayed through them
#pragma once

#include "web/gl/batch.h"
#include "web/gl/savings.h"
#include "web/gl/state.h"

namespace zelmor_web {

// Brackets the triangles of a closed convex solid centred on the object
// origin (GLUT's sphere and cube), whose hidden back faces need not be drawn.
// Recorded in a display list like any GL call.
void begin_closed_solid();
void end_closed_solid();

}  // namespace zelmor_web
