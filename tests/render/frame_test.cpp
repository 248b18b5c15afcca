// The room's frame on real OpenGL, pixels read back. Every texture set is
// replaced by a plain colour of its own, so each pixel tells which surface
// was drawn there and with which set.
#include "render/frame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "render/render_state.h"
#include "tests/render/gl_context_fixture.h"

namespace {

struct Colour {
  int r, g, b;
};

const Colour kWhite{255, 255, 255};
const Colour kWall{255, 0, 0};
const Colour kLowerRight{0, 255, 0};
const Colour kUpperRight{0, 0, 255};
const Colour kLampDay{255, 255, 0};
const Colour kLampNight{0, 255, 255};
const Colour kFloor{255, 0, 255};
const Colour kBump{128, 128, 128};
const Colour kInvertedBump{255, 128, 0};

// Three textures of one plain colour, filtered as the program's are.
TextureSet PlainSet(Colour c) {
  const GLubyte texels[2 * 2 * 3] = {
      static_cast<GLubyte>(c.r), static_cast<GLubyte>(c.g), static_cast<GLubyte>(c.b),
      static_cast<GLubyte>(c.r), static_cast<GLubyte>(c.g), static_cast<GLubyte>(c.b),
      static_cast<GLubyte>(c.r), static_cast<GLubyte>(c.g), static_cast<GLubyte>(c.b),
      static_cast<GLubyte>(c.r), static_cast<GLubyte>(c.g), static_cast<GLubyte>(c.b)};
  TextureSet set{};
  glGenTextures(3, set.names);
  for (GLuint name : set.names) {
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  return set;
}

class FrameTest : public GlContextTest {
 protected:
  void SetUp() override {
    GlContextTest::SetUp();
    // The state the program gives a new context, with this test's pictures.
    ResizeViewport(kWidth, kHeight);
    ASSERT_TRUE(SetupRenderState()) << "run from the project root (Pic/)";
    gWallSet = PlainSet(kWall);
    gLowerRightSet = PlainSet(kLowerRight);
    gUpperRightSet = PlainSet(kUpperRight);
    gLampDaySet = PlainSet(kLampDay);
    gLampNightSet = PlainSet(kLampNight);
    gFloorSet = PlainSet(kFloor);
    gBumpSet = PlainSet(kBump);
    gInvertedBumpSet = PlainSet(kInvertedBump);
  }

  static scripted::Rgb DrawAndRead(int x, int y) {
    EXPECT_TRUE(DrawFrame());
    return scripted::ReadPixel(x, y);
  }

  static GLuint Bound() {
    GLint name = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    return static_cast<GLuint>(name);
  }
};

// The four lights as the room is specified: one colour for all of them, and
// their places in room space. 0.001 stands for zero in the fourth component
// of the colours and in the x and y of lights 0, 2 and 3.
const GLfloat kAmbient[4] = {0.0f, 0.0f, 0.0f, 0.001f};
const GLfloat kDiffuse[4] = {0.8f, 0.8f, 0.8f, 0.001f};
const GLfloat kSpecular[4] = {1.0f, 1.0f, 1.0f, 0.001f};
const GLfloat kPositions[4][4] = {
    {0.001f, 0.001f, -8.0f, 1.0f},
    {1.0f, 1.0f, -3.0f, 1.0f},
    {0.001f, 0.001f, 2.0f, 1.0f},
    {0.001f, 0.001f, 8.0f, 1.0f},
};

::testing::AssertionResult Is(const scripted::Rgb& got, Colour want) {
  if (std::abs(got.r - want.r) <= 2 && std::abs(got.g - want.g) <= 2 &&
      std::abs(got.b - want.b) <= 2) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "pixel (" << got.r << ", " << got.g << ", " << got.b << "), expected (" << want.r
         << ", " << want.g << ", " << want.b << ")";
}

// Where room points land on the 640 by 480 screen from the start position
// (45-degree field of view, looking along -z).
TEST_F(FrameTest, LightsOffEachSurfaceShowsItsOwnSet) {
  struct Case {
    const char* surface;
    int x, y;
    Colour colour;
  };
  const Case cases[] = {
      {"back wall", 320, 240, kWall},          // (0, 0, -10)
      {"left wall", 127, 240, kWall},          // (-1, 0, -3)
      {"right panel", 552, 279, kWhite},       // (1.2, 0.2, -3), untextured
      {"lower ledge", 532, 85, kLowerRight},   // (1.1, -0.8, -3)
      {"upper ledge", 532, 433, kUpperRight},  // (1.1, 1.0, -3)
      {"ceiling", 320, 471, kLampDay},         // (0, 1.2, -3)
      {"floor", 320, 8, kFloor},               // (0, -1.2, -3)
  };
  ASSERT_TRUE(DrawFrame());
  for (const Case& c : cases) {
    EXPECT_TRUE(Is(scripted::ReadPixel(c.x, c.y), c.colour)) << c.surface;
  }
}

TEST_F(FrameTest, RightPanelIsWhiteUnlitAndNearlyBlackLit) {
  gCameraYaw = 90.0f;  // face the panel
  EXPECT_TRUE(Is(DrawAndRead(320, 240), kWhite));

  // Its normal points away from every light and their ambient is black: only
  // the default global ambient (0.2 of 0.2) reaches it.
  gLightsOn = true;
  const scripted::Rgb lit = DrawAndRead(320, 240);
  EXPECT_LE(lit.r, 16);
  EXPECT_LE(lit.g, 16);
  EXPECT_LE(lit.b, 16);
  EXPECT_EQ(lit.r, lit.g);
  EXPECT_EQ(lit.g, lit.b);

  gLightsOn = false;
  EXPECT_TRUE(Is(DrawAndRead(320, 240), kWhite)) << "the lights go off again";
}

TEST_F(FrameTest, YawTurnsTheViewAboutTheViewer) {
  gCameraYaw = 90.0f;
  EXPECT_TRUE(Is(DrawAndRead(320, 240), kWhite)) << "90 looks at the right wall";
  gCameraYaw = -90.0f;
  EXPECT_TRUE(Is(DrawAndRead(320, 240), kWall)) << "-90 looks at the left wall";
  gCameraYaw = 180.0f;
  EXPECT_TRUE(Is(DrawAndRead(320, 240), {0, 0, 0})) << "180 looks out of the open end";
}

// Whatever clear values a frame finds, it clears to (0, 0, 0, 0) and leaves
// the clear depth at 1.0 for the next frame.
TEST_F(FrameTest, EveryFrameClearsToTransparentBlackAndLeavesTheClearDepthAtOne) {
  glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
  glClearDepth(0.5);
  gCameraYaw = 180.0f;  // out of the open end, where nothing is drawn
  EXPECT_TRUE(Is(DrawAndRead(320, 240), {0, 0, 0})) << "cleared with the frame's own colour";

  GLfloat colour[4] = {-1.0f, -1.0f, -1.0f, -1.0f};
  glGetFloatv(GL_COLOR_CLEAR_VALUE, colour);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(colour[k], 0.0f) << "component " << k;
  GLfloat depth = -1.0f;
  glGetFloatv(GL_DEPTH_CLEAR_VALUE, &depth);
  EXPECT_EQ(depth, 1.0f);
}

TEST_F(FrameTest, CeilingFollowsTheLightsAndFloorFollowsTheBumpChoice) {
  struct Case {
    bool lightsOn, bumpFloor;
    const TextureSet* lamp;
    const TextureSet* floor;
  };
  const Case cases[] = {
      {false, false, &gLampDaySet, &gFloorSet},
      {true, false, &gLampNightSet, &gFloorSet},
      {false, true, &gLampDaySet, &gBumpSet},
      {true, true, &gLampNightSet, &gBumpSet},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "lights " << c.lightsOn << ", bump " << c.bumpFloor);
    gLightsOn = c.lightsOn;
    gBumpFloor = c.bumpFloor;

    DrawRoomShell();
    EXPECT_EQ(Bound(), c.lamp->names[1]);
    EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D), GL_TRUE) << "left on after the ceiling";

    ASSERT_TRUE(DrawFrame());
    EXPECT_EQ(Bound(), c.floor->names[1]);
    EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D), GL_FALSE);

    const scripted::Rgb floor = scripted::ReadPixel(320, 8);
    const scripted::Rgb ceiling = scripted::ReadPixel(320, 471);
    if (!c.lightsOn) {
      EXPECT_TRUE(Is(floor, c.bumpFloor ? kBump : kFloor));
      EXPECT_TRUE(Is(ceiling, kLampDay));
    } else {
      // Lit, the colours keep their hue: the night lamp has no red, the
      // floor no green (the bump set is gray).
      EXPECT_EQ(ceiling.r, 0);
      EXPECT_GT(ceiling.g, 40);
      EXPECT_EQ(ceiling.g, ceiling.b);
      if (c.bumpFloor) {
        EXPECT_EQ(floor.r, floor.g);
      } else {
        EXPECT_EQ(floor.g, 0);
        EXPECT_GT(floor.r, 40);
      }
    }
  }
}

// From the start position the camera transform is the identity, so each
// light's position reads back as its place in the room.
TEST_F(FrameTest, LightsOnSetsTheFourLightsAsTheRoomGivesThem) {
  gLightsOn = true;
  ASSERT_TRUE(DrawFrame());
  EXPECT_EQ(glIsEnabled(GL_LIGHTING), GL_TRUE);
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(::testing::Message() << "light " << i);
    const GLenum light = static_cast<GLenum>(GL_LIGHT0 + i);
    EXPECT_EQ(glIsEnabled(light), GL_TRUE);
    struct Parameter {
      GLenum name;
      const GLfloat* value;
    };
    for (Parameter p : {Parameter{GL_AMBIENT, kAmbient}, Parameter{GL_DIFFUSE, kDiffuse},
                        Parameter{GL_SPECULAR, kSpecular}, Parameter{GL_POSITION, kPositions[i]}}) {
      GLfloat got[4] = {};
      glGetLightfv(light, p.name, got);
      for (int k = 0; k < 4; ++k)
        EXPECT_EQ(got[k], p.value[k]) << "parameter 0x" << std::hex << p.name;
    }
  }
  EXPECT_EQ(kNearZero, 0.001f);

  gLightsOn = false;
  ASSERT_TRUE(DrawFrame());
  EXPECT_EQ(glIsEnabled(GL_LIGHTING), GL_FALSE);
  for (GLenum light : {GL_LIGHT0, GL_LIGHT1, GL_LIGHT2, GL_LIGHT3}) {
    EXPECT_EQ(glIsEnabled(light), GL_FALSE);
  }
}

// OpenGL keeps light positions in eye space: a light fixed in the room is
// one whose eye position is the camera transform of its room position.
TEST_F(FrameTest, LightsStayFixedInTheRoomAsTheCameraMoves) {
  struct Camera {
    float yaw, z;
  };
  gLightsOn = true;
  for (Camera camera : {Camera{0, 0}, Camera{0, 3.4f}, Camera{90, -2}, Camera{-30, 5}}) {
    SCOPED_TRACE(::testing::Message() << "yaw " << camera.yaw << ", z " << camera.z);
    gCameraYaw = camera.yaw;
    gCameraZ = camera.z;
    ASSERT_TRUE(DrawFrame());
    const double yaw = camera.yaw * 3.14159265358979323846 / 180.0;
    for (int i = 0; i < 4; ++i) {
      const GLfloat* room = kPositions[i];
      const double z = room[2] + camera.z;
      const double expected[4] = {std::cos(yaw) * room[0] + std::sin(yaw) * z, room[1],
                                  -std::sin(yaw) * room[0] + std::cos(yaw) * z, 1.0};
      GLfloat eye[4] = {};
      glGetLightfv(static_cast<GLenum>(GL_LIGHT0 + i), GL_POSITION, eye);
      for (int k = 0; k < 4; ++k) EXPECT_NEAR(eye[k], expected[k], 1e-5) << "light " << i;
    }
  }
}

TEST_F(FrameTest, ModelviewStackDepthIsUnchangedAfterManyFrames) {
  GLint before = 0;
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &before);
  for (int frame = 0; frame < 200; ++frame) {
    gLightsOn = frame % 3 == 0;
    gBumpFloor = frame % 2 == 0;
    gCameraYaw += 2.0f;
    ASSERT_TRUE(DrawFrame());
  }
  GLint after = 0;
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &after);
  EXPECT_EQ(after, before);
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
