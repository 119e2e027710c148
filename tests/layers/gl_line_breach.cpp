// A GL-free floor's file gone wrong, for the negative control of the GL
// line (link_check.sh): BREACH picks the call across the line.  Each is a
// real declaration from a header of a higher floor, so the only reason the
// link can fail is that the higher floor is not linked.
#if BREACH == 1
#include "view3d/view3d.h"
void breach() { draw_hull_faces(); }  // the desktop's GL floor
#elif BREACH == 2
#include "app/windows.h"
void breach() { redisplay_windows("23"); }  // the window registry
#elif BREACH == 3
#include "lab/lab.h"
void breach() { lab_create_windows(); }  // the lab's GL floor
#elif BREACH == 4
#include <GL/gl.h>
void breach() { glBegin(GL_LINES); }  // GL itself
#else
#error "BREACH must be 1 to 4"
#endif
