// The viewport and projection for a client size, and the state a new context
// is given: the probe first, then the texture sets, and only after they were
// built the depth, shading, clear and hint settings.
#include "render/render_state.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/render/gl_context_fixture.h"

namespace {

std::vector<GLfloat> Matrix(GLenum which) {
  std::vector<GLfloat> m(16);
  glGetFloatv(which, m.data());
  return m;
}

const std::vector<GLfloat> kIdentity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

using ResizeViewportTest = GlContextTest;

TEST_F(ResizeViewportTest, FitsViewportAndPerspectiveToTheClientArea) {
  struct Case {
    const char* situation;
    int width, height;
    GLint viewportWidth, viewportHeight;
    double aspect;
  };
  const Case cases[] = {
      {"the program's window", 640, 480, 640, 480, 640.0 / 480.0},
      {"a height of 0 counts as 1", 800, 0, 800, 1, 800.0},
      {"a width of 0 gives an aspect of 0", 0, 480, 0, 480, 0.0},
      {"a tall, odd size", 333, 777, 333, 777, 333.0 / 777.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.situation);
    // Leave other state behind, as a frame would.
    glMatrixMode(GL_PROJECTION);
    glRotatef(30, 1, 0, 0);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(1, 2, 3);

    ResizeViewport(c.width, c.height);

    GLint viewport[4] = {-1, -1, -1, -1};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[1], 0);
    EXPECT_EQ(viewport[2], c.viewportWidth);
    EXPECT_EQ(viewport[3], c.viewportHeight);

    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(Matrix(GL_MODELVIEW_MATRIX), kIdentity);
    const std::vector<GLfloat> projection = Matrix(GL_PROJECTION_MATRIX);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, c.aspect, static_cast<double>(0.1f), 100.0);
    EXPECT_EQ(projection, Matrix(GL_PROJECTION_MATRIX));
    glMatrixMode(GL_MODELVIEW);

    if (c.aspect > 0) {
      // 45 degrees vertically, whatever the aspect, with the far plane at 100.
      EXPECT_NEAR(projection[5], 2.41421356, 1e-6);
      EXPECT_NEAR(projection[0] * c.aspect, 2.41421356, 1e-5);
      EXPECT_NEAR(projection[10], -(100.0 + 0.1) / (100.0 - 0.1), 1e-6);
    } else {
      // GLU refuses an aspect of 0 and leaves the identity it was given.
      EXPECT_EQ(projection, kIdentity);
    }
  }
}

using SetupRenderStateTest = GlContextTest;

struct FixedFunctionState {
  bool texture2d, depthTest;
  GLint shadeModel, depthFunc, perspectiveHint;
  GLfloat clearColor[4];
  GLfloat clearDepth;
};

FixedFunctionState ReadState() {
  FixedFunctionState s{};
  s.texture2d = glIsEnabled(GL_TEXTURE_2D) == GL_TRUE;
  s.depthTest = glIsEnabled(GL_DEPTH_TEST) == GL_TRUE;
  glGetIntegerv(GL_SHADE_MODEL, &s.shadeModel);
  glGetIntegerv(GL_DEPTH_FUNC, &s.depthFunc);
  glGetIntegerv(GL_PERSPECTIVE_CORRECTION_HINT, &s.perspectiveHint);
  glGetFloatv(GL_COLOR_CLEAR_VALUE, s.clearColor);
  glGetFloatv(GL_DEPTH_CLEAR_VALUE, &s.clearDepth);
  return s;
}

// Needs the scene's pictures under Pic/ in the working directory.
TEST_F(SetupRenderStateTest, ProbesBuildsTexturesThenSetsTheFixedFunctionState) {
  ASSERT_TRUE(std::filesystem::exists("Pic/wall.bmp")) << "run from the project root";
  ASSERT_EQ(glIsEnabled(GL_DEPTH_TEST), GL_FALSE);

  EXPECT_TRUE(SetupRenderState());

  EXPECT_TRUE(gMultitextureSupported);
  ASSERT_EQ(scripted::MessageBoxes().size(), 1u);
  EXPECT_EQ(scripted::MessageBoxes()[0].caption, "feature supported!");
  EXPECT_NE(gWallSet.names[1], 0u);

  const FixedFunctionState s = ReadState();
  EXPECT_TRUE(s.texture2d);
  EXPECT_TRUE(s.depthTest);
  EXPECT_EQ(s.shadeModel, GL_SMOOTH);
  EXPECT_EQ(s.depthFunc, GL_LEQUAL);
  EXPECT_EQ(s.perspectiveHint, GL_NICEST);
  EXPECT_EQ(s.clearColor[0], 0.0f);
  EXPECT_EQ(s.clearColor[1], 0.0f);
  EXPECT_EQ(s.clearColor[2], 0.0f);
  EXPECT_EQ(s.clearColor[3], 0.5f);
  EXPECT_EQ(s.clearDepth, 1.0f);
}

// Runs in a directory without pictures, where every load fails with the
// loader's message box; each box shows the moment a picture was read.
class SetupWithoutPictures : public GlContextTest {
 protected:
  void SetUp() override {
    GlContextTest::SetUp();
    previous_ = std::filesystem::current_path();
    empty_ = std::filesystem::path(::testing::TempDir()) / "halden_render_no_pictures";
    std::filesystem::create_directories(empty_);
    std::filesystem::current_path(empty_);
  }
  void TearDown() override {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(empty_);
    GlContextTest::TearDown();
  }

 private:
  std::filesystem::path previous_, empty_;
};

TEST_F(SetupWithoutPictures, ProbesFirstAndSetsNoStateWhenTexturesFail) {
  struct AtLoad {
    std::size_t boxesBefore;
    bool probed;
    bool depthTest, texture2d;
  };
  std::vector<AtLoad> loads;
  scripted::SetMessageBoxHook([&loads](const scripted::MessageBoxRecord& box) {
    if (box.caption == "feature supported!") return;
    loads.push_back({scripted::MessageBoxes().size() - 1, gMultitextureSupported,
                     glIsEnabled(GL_DEPTH_TEST) == GL_TRUE, glIsEnabled(GL_TEXTURE_2D) == GL_TRUE});
  });

  EXPECT_FALSE(SetupRenderState());

  // The probe's notice came first, and its result was stored, before any
  // picture was read.
  ASSERT_FALSE(scripted::MessageBoxes().empty());
  EXPECT_EQ(scripted::MessageBoxes()[0].caption, "feature supported!");
  ASSERT_EQ(loads.size(), 7u) << "one loader message per missing picture";
  for (const AtLoad& load : loads) {
    EXPECT_GE(load.boxesBefore, 1u);
    EXPECT_TRUE(load.probed);
    EXPECT_FALSE(load.depthTest);
    EXPECT_FALSE(load.texture2d);
  }

  const FixedFunctionState s = ReadState();
  EXPECT_FALSE(s.depthTest);
  EXPECT_FALSE(s.texture2d);
  EXPECT_EQ(s.depthFunc, GL_LESS);
  EXPECT_EQ(s.perspectiveHint, GL_DONT_CARE);
  EXPECT_EQ(s.clearColor[3], 0.0f);
}

}  // namespace
