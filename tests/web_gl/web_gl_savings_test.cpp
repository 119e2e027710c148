// The page's GL with its savings, natively (no sprites: the recorder offers
// no sprite program).  A display list's kept output stands for running the
// list; it must never stand for a run under different drawing state.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "tests/web_gl/webgl_recorder.h"
#include "tests/web_gl/pixel_window.h"
#include "web/gl/gl_web.h"

namespace {

class KeptListOutput : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(start_pixel_window(&ctx_));
    // Plain unlit polygons, one triangle each way round: a list whose
    // output the savings keep.
    list_ = glGenLists(1);
    glNewList(list_, GL_COMPILE);
    glBegin(GL_TRIANGLES);
    glVertex2f(10, 10);
    glVertex2f(60, 10);
    glVertex2f(10, 60);
    glVertex2f(90, 90);
    glVertex2f(90, 40);
    glVertex2f(40, 90);
    glEnd();
    glEndList();
    recorded_draws.clear();
  }
  void TearDown() override { zelmor_web::current = nullptr; }

  // The triangles one call of the list gives WebGL.
  size_t call_list() {
    glCallList(list_);
    zelmor_web::flush();
    size_t n = 0;
    for (const recorded_draw& d : recorded_draws) n += d.xy.size() / 3;
    recorded_draws.clear();
    return n;
  }

  zelmor_web::context ctx_;
  GLuint list_ = 0;
};

// Each step changes one value of the drawing state between calls of the
// list, which was already run (and its output kept) under the state before.
struct StateCase {
  const char* what;
  void (*change)();
  size_t triangles;
};
const StateCase kStates[] = {
    {"as compiled", [] {}, 2},
    {"culling back faces", [] { glEnable(GL_CULL_FACE); }, 1},
    {"culling front faces", [] { glCullFace(GL_FRONT); }, 1},
    {"front faces clockwise", [] { glFrontFace(GL_CW); }, 1},
    {"culling both", [] { glCullFace(GL_FRONT_AND_BACK); }, 0},
    {"culling off again", [] { glDisable(GL_CULL_FACE); }, 2},
    {"moved off the window", [] { glTranslatef(200, 0, 0); }, 0},
};

TEST_F(KeptListOutput, FollowsEveryDrawingState) {
  for (const StateCase& c : kStates) {
    SCOPED_TRACE(c.what);
    c.change();
    EXPECT_EQ(call_list(), c.triangles);
    EXPECT_EQ(call_list(), c.triangles);  // the second from what was kept
  }
}

TEST_F(KeptListOutput, FollowsTheListMadeAnew) {
  EXPECT_EQ(call_list(), 2u);
  EXPECT_EQ(call_list(), 2u);
  glNewList(list_, GL_COMPILE);
  glBegin(GL_TRIANGLES);
  glVertex2f(10, 10);
  glVertex2f(60, 10);
  glVertex2f(10, 60);
  glEnd();
  glEndList();
  EXPECT_EQ(call_list(), 1u);
}

}  // namespace
