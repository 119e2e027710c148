// The page's GL floors run natively against a recorder of WebGL's calls:
// face culling, the depth mask, and the strict build's refusal of GL it
// does not implement.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "tests/web_gl/webgl_recorder.h"
#include "tests/web_gl/pixel_window.h"
#include "web/gl/gl_web.h"

namespace {

using zelmor_web::context;

// A 100 x 100 window at the canvas's corner, one GL unit a pixel.
class WebGl : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(start_pixel_window(&ctx_));
    recorded_draws.clear();
    recorded_clears.clear();
  }
  void TearDown() override { zelmor_web::current = nullptr; }

  // Triangles WebGL was given since the last call.
  static size_t triangles_drawn() {
    zelmor_web::flush();
    size_t n = 0;
    for (const recorded_draw& d : recorded_draws) n += d.xy.size() / 3;
    recorded_draws.clear();
    return n;
  }

  context ctx_;
};

// Counter-clockwise on the canvas (y up), and the same corners clockwise.
void ccw_triangle() {
  glBegin(GL_TRIANGLES);
  glVertex2f(10, 10);
  glVertex2f(60, 10);
  glVertex2f(10, 60);
  glEnd();
}
void cw_triangle() {
  glBegin(GL_TRIANGLES);
  glVertex2f(10, 10);
  glVertex2f(10, 60);
  glVertex2f(60, 10);
  glEnd();
}

struct CullCase {
  const char* what;
  bool cull;
  GLenum cull_face, front_face;
  bool ccw_drawn, cw_drawn;
};
const CullCase kCull[] = {
    {"culling off", false, GL_BACK, GL_CCW, true, true},
    {"back faces, front counter-clockwise", true, GL_BACK, GL_CCW, true, false},
    {"front faces, front counter-clockwise", true, GL_FRONT, GL_CCW, false, true},
    {"back faces, front clockwise", true, GL_BACK, GL_CW, false, true},
    {"both", true, GL_FRONT_AND_BACK, GL_CCW, false, false},
};

TEST_F(WebGl, CullFaceLeavesOutTheCulledSide) {
  for (const CullCase& c : kCull) {
    SCOPED_TRACE(c.what);
    if (c.cull) glEnable(GL_CULL_FACE);
    else glDisable(GL_CULL_FACE);
    glCullFace(c.cull_face);
    glFrontFace(c.front_face);
    ccw_triangle();
    EXPECT_EQ(triangles_drawn(), c.ccw_drawn ? 1u : 0u);
    cw_triangle();
    EXPECT_EQ(triangles_drawn(), c.cw_drawn ? 1u : 0u);
  }
}

TEST_F(WebGl, CullingKeepsStripsInTheirWindingAndSparesLines) {
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  // A strip's second triangle runs the other way round in vertex order, and
  // is a front face all the same.
  glBegin(GL_TRIANGLE_STRIP);
  glVertex2f(10, 10);
  glVertex2f(60, 10);
  glVertex2f(10, 60);
  glVertex2f(60, 60);
  glEnd();
  EXPECT_EQ(triangles_drawn(), 2u);
  glCullFace(GL_FRONT_AND_BACK);
  glBegin(GL_LINES);
  glVertex2f(10, 10);
  glVertex2f(60, 40);
  glEnd();
  EXPECT_EQ(triangles_drawn(), 2u);  // the wide line's quad
}

TEST_F(WebGl, DepthMaskReachesTheDrawAndTheClear) {
  glEnable(GL_DEPTH_TEST);
  glDepthMask(GL_FALSE);
  ccw_triangle();
  glDepthMask(GL_TRUE);
  ccw_triangle();
  zelmor_web::flush();
  ASSERT_EQ(recorded_draws.size(), 2u);  // one batch each: the mask is drawing state
  EXPECT_FALSE(recorded_draws[0].depth_mask);
  EXPECT_TRUE(recorded_draws[1].depth_mask);

  // GL leaves the depth buffer alone in a clear while the mask is off.
  glDepthMask(GL_FALSE);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glDepthMask(GL_TRUE);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  ASSERT_EQ(recorded_clears.size(), 2u);
  EXPECT_EQ(recorded_clears[0].mask, GL_COLOR_BUFFER_BIT);
  EXPECT_EQ(recorded_clears[1].mask, GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

TEST_F(WebGl, PopAttribRestoresTheDepthMaskAndCulling) {
  glPushAttrib(GL_DEPTH_BUFFER_BIT | GL_POLYGON_BIT);
  glDepthMask(GL_FALSE);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_FRONT);
  glPopAttrib();
  EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
  glEnable(GL_CULL_FACE);
  ccw_triangle();  // GL_BACK again: the front face is drawn, writing depth
  zelmor_web::flush();
  ASSERT_EQ(recorded_draws.size(), 1u);
  EXPECT_EQ(recorded_draws[0].xy.size(), 3u);
  EXPECT_TRUE(recorded_draws[0].depth_mask);
}

TEST_F(WebGl, ListReplayDrawsWhatImmediateModeDraws) {
  const GLuint list = glGenLists(1);
  glNewList(list, GL_COMPILE);
  glTranslatef(5, 5, 0);
  ccw_triangle();
  glEndList();
  EXPECT_EQ(triangles_drawn(), 0u);  // compiled, not drawn
  glCallList(list);
  zelmor_web::flush();
  ASSERT_EQ(recorded_draws.size(), 1u);
  const std::vector<std::array<float, 2>> listed = recorded_draws[0].xy;
  recorded_draws.clear();
  glLoadIdentity();
  glTranslatef(5, 5, 0);
  ccw_triangle();
  zelmor_web::flush();
  ASSERT_EQ(recorded_draws.size(), 1u);
  EXPECT_EQ(recorded_draws[0].xy, listed);
}

// GL this layer does not implement ends a strict build, naming the call.
struct RefusedCase {
  const char* what;
  void (*call)();
  const char* message;
};
const RefusedCase kRefused[] = {
    {"flat shading", [] { glShadeModel(GL_FLAT); }, "glShadeModel of 0x1D00 is not implemented"},
    {"outlined polygons", [] { glPolygonMode(GL_FRONT_AND_BACK, GL_LINE); }, "glPolygonMode of 0x1B01"},
    {"fog", [] { glEnable(GL_FOG); }, "glEnable of 0x0B60"},
    {"a spot light", [] { glLightf(GL_LIGHT0, GL_SPOT_CUTOFF, 10.0f); }, "glLightf of 0x1206"},
    {"a positional light",
     [] {
       const float at[4] = {1, 2, 3, 1};
       glLightfv(GL_LIGHT0, GL_POSITION, at);
     },
     "glLightfv of a positional light, 0x1203"},
    {"a texture group", [] { glPushAttrib(GL_TEXTURE_BIT); }, "glPushAttrib of the groups 0x40000"},
    {"an unknown query",
     [] {
       GLint v[4];
       glGetIntegerv(GL_MAX_TEXTURE_SIZE, v);
     },
     "glGetIntegerv of 0x0D33"},
    {"row alignment 4", [] { glPixelStorei(GL_UNPACK_ALIGNMENT, 4); }, "alignment other than 1"},
};

using WebGlDeathTest = WebGl;

TEST_F(WebGlDeathTest, StrictBuildRefusesWhatItDoesNotImplement) {
  for (const RefusedCase& c : kRefused) {
    SCOPED_TRACE(c.what);
    EXPECT_DEATH(c.call(), c.message);
  }
}

// What the programs set up does not trip the strict build.
TEST_F(WebGl, StrictBuildAcceptsWhatItImplements) {
  glShadeModel(GL_SMOOTH);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glEnable(GL_AUTO_NORMAL);
  glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  const float directional[4] = {0.5f, 0, 1, 0};
  glLightfv(GL_LIGHT1, GL_POSITION, directional);
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_COLOR_BUFFER_BIT | GL_LINE_BIT | GL_POINT_BIT |
               GL_DEPTH_BUFFER_BIT | GL_POLYGON_BIT);
  glPopAttrib();
  SUCCEED();
}

}  // namespace
