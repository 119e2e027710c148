// The "About ZELMOR" window: the credit block and a Dismiss button that hides
// the window.  Start-up hides the window at once and nothing shows it again;
// these callbacks make it behave properly whenever it is mapped.
#include <GL/freeglut.h>
#include <GL/glu.h>

#include "app/windows.h"
#include "view2d/scale.h"
#include "view2d/view2d.h"

namespace {

// Placed from the bottom-left corner: a resize leaves it where it is.
button_rec dismiss_button = {620, 5, 680, 21, "Dismiss", GLUT_BITMAP_HELVETICA_12, 0};

}  // namespace

const char* about_shown_text = about_text;

void about_display() {
  glClear(GL_COLOR_BUFFER_BIT);
  glColor4f(1.0f, 0.0f, 0.0f, 1.0f);
  draw_button(dismiss_button);
  // The text hangs from the top edge: its first line stays 20 pixels below
  // it whatever the window's height.
  glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
  draw_text_lines(about_shown_text, 10, about_h - 20, 20, GLUT_BITMAP_9_BY_15);
  glutSwapBuffers();
}

void about_reshape(int width, int height) {
  glClearColor(0.85f, 0.85f, 0.85f, 1.0f);
  layout_projection(width, height);  // laid out in layout pixels at any drawing scale
  about_w = layout_px(width);
  about_h = layout_px(height);
}

void about_mouse(int button, int state, int x, int y) {
  x = layout_px(x);
  y = about_h - layout_px(y);  // to the bottom-left origin of the drawing
  if (button == GLUT_LEFT_BUTTON && state == GLUT_DOWN) {
    if (hit_rect(dismiss_button, x, y)) dismiss_button.state = 1;
    glutPostRedisplay();
  } else if (button == GLUT_LEFT_BUTTON && state == GLUT_UP && dismiss_button.state) {
    // A press on the button hides the window at the release, wherever the
    // pointer then is.  A hidden window needs no redraw.
    dismiss_button.state = 0;
    glutSetWindow(about_win);
    glutHideWindow();
  } else {
    glutPostRedisplay();
  }
}
