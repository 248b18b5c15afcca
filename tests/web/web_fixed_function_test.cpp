// The browser layer's CPU side of the fixed-function pipeline against desktop
// OpenGL itself: Mesa, through the scripted layer's context, gives the
// expected numbers. Feedback mode returns what Mesa's vertex stage made of
// each vertex (window position and lit colour, after clipping), and
// glGetTexImage what its uploads stored.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/web_fixed_function.h"
#include "render/frame.h"
#include "tests/render/gl_context_fixture.h"

namespace {

using halden_web::ClipTriangleToNearPlane;
using halden_web::ClipVertex;
using halden_web::LightSource;
using halden_web::Matrix;

constexpr int kWidth = 640;
constexpr int kHeight = 480;

// What the vertex stage produced for one vertex: window x, y, z and colour.
struct Processed {
  float window[3];
  float colour[4];
};

// The program's camera and projection, with its four lights set under the
// camera as the frame sets them.
struct View {
  float yaw;
  float cameraZ;
};

Matrix CameraMatrix(const View& view) {
  return halden_web::MultiplyMatrices(halden_web::RotationMatrix(view.yaw, 0.0f, 1.0f, 0.0f),
                                      halden_web::TranslationMatrix(0.0f, 0.0f, view.cameraZ));
}

Matrix ProgramProjection() {
  return halden_web::PerspectiveMatrix(45.0, 640.0 / 480.0, static_cast<double>(0.1f), 100.0);
}

void SetDesktopView(const View& view, bool lit) {
  glViewport(0, 0, kWidth, kHeight);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, 640.0 / 480.0, static_cast<double>(0.1f), 100.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glRotatef(view.yaw, 0.0f, 1.0f, 0.0f);
  glTranslatef(0.0f, 0.0f, view.cameraZ);
  if (!lit) {
    glDisable(GL_LIGHTING);
    return;
  }
  for (int i = 0; i < 4; ++i) {
    const GLenum light = GL_LIGHT0 + static_cast<GLenum>(i);
    glLightfv(light, GL_SPECULAR, kLightSpecular);
    glLightfv(light, GL_AMBIENT, kLightAmbient);
    glLightfv(light, GL_DIFFUSE, kLightDiffuse);
    glLightfv(light, GL_POSITION, kLightPositions[i]);
    glEnable(light);
  }
  glEnable(GL_LIGHTING);
}

std::vector<LightSource> LayerLights(const Matrix& camera) {
  std::vector<LightSource> lights(4);
  for (int i = 0; i < 4; ++i) {
    std::copy(kLightSpecular, kLightSpecular + 4, lights[i].specular);
    std::copy(kLightAmbient, kLightAmbient + 4, lights[i].ambient);
    std::copy(kLightDiffuse, kLightDiffuse + 4, lights[i].diffuse);
    halden_web::TransformPoint(camera, kLightPositions[i], lights[i].position);
    lights[i].enabled = true;
  }
  return lights;
}

// Runs `draw` in feedback mode and returns the vertices of every point and
// polygon token, in order.
template <typename Draw>
std::vector<Processed> DesktopFeedback(Draw draw) {
  std::vector<GLfloat> buffer(1 << 16);
  glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR, buffer.data());
  glRenderMode(GL_FEEDBACK);
  draw();
  const GLint used = glRenderMode(GL_RENDER);
  std::vector<Processed> out;
  for (GLint at = 0; at < used;) {
    const auto token = static_cast<GLenum>(buffer[at++]);
    int count = 0;
    if (token == GL_POINT_TOKEN) {
      count = 1;
    } else if (token == GL_POLYGON_TOKEN) {
      count = static_cast<int>(buffer[at++]);
    } else {
      ADD_FAILURE() << "unexpected feedback token " << token;
      break;
    }
    for (int v = 0; v < count; ++v) {
      Processed p;
      std::copy(&buffer[at], &buffer[at] + 3, p.window);
      std::copy(&buffer[at] + 3, &buffer[at] + 7, p.colour);
      out.push_back(p);
      at += 7;
    }
  }
  return out;
}

Processed ToWindow(const ClipVertex& v) {
  Processed p;
  p.window[0] = (v.position[0] / v.position[3] + 1.0f) * 0.5f * kWidth;
  p.window[1] = (v.position[1] / v.position[3] + 1.0f) * 0.5f * kHeight;
  p.window[2] = (v.position[2] / v.position[3] + 1.0f) * 0.5f;
  std::copy(v.color, v.color + 4, p.colour);
  return p;
}

ClipVertex LayerVertex(const Matrix& camera, const std::vector<LightSource>* lights,
                       const float position[3], const float normal[3]) {
  ClipVertex out{};
  const float object[4] = {position[0], position[1], position[2], 1.0f};
  float eye[4];
  halden_web::TransformPoint(camera, object, eye);
  halden_web::TransformPoint(ProgramProjection(), eye, out.position);
  if (lights != nullptr) {
    float normalMatrix[9];
    halden_web::NormalMatrix(camera, normalMatrix);
    float eyeNormal[3];
    for (int row = 0; row < 3; ++row) {
      eyeNormal[row] = normalMatrix[row] * normal[0] + normalMatrix[3 + row] * normal[1] +
                       normalMatrix[6 + row] * normal[2];
    }
    halden_web::LightVertex(eye, eyeNormal, lights->data(), static_cast<int>(lights->size()),
                            out.color);
  } else {
    std::fill(out.color, out.color + 4, 1.0f);
  }
  return out;
}

void ExpectSameVertex(const Processed& layer, const Processed& desktop, const char* what) {
  for (int c = 0; c < 3; ++c) {
    EXPECT_NEAR(layer.window[c], desktop.window[c], c < 2 ? 2e-3 : 1e-5) << what << " axis " << c;
  }
  // Half a step of an 8-bit channel: the same byte on the screen.
  for (int c = 0; c < 4; ++c) {
    EXPECT_NEAR(layer.colour[c], desktop.colour[c], 0.5 / 255.0) << what << " channel " << c;
  }
}

// Points on the room's surfaces with their normals, as the emitters give them.
struct SurfacePoint {
  const char* surface;
  float position[3];
  float normal[3];
};
constexpr SurfacePoint kSurfacePoints[] = {
    {"floor near", {0.0f, -1.2f, -2.0f}, {0.0f, 1.0f, 0.0f}},
    {"floor far right", {1.0f, -1.2f, -8.0f}, {0.0f, 1.0f, 0.0f}},
    {"left wall", {-1.0f, 0.3f, -4.0f}, {1.0f, 0.0f, 0.0f}},
    {"ledge face", {1.1f, -0.8f, -6.0f}, {-1.0f, 0.0f, 0.0f}},
    {"right panel (faces away)", {1.2f, 0.2f, -3.0f}, {1.0f, 0.0f, 0.0f}},
    {"ceiling", {0.1f, 1.2f, -5.0f}, {0.0f, -1.0f, 0.0f}},
    {"back wall", {0.5f, 0.0f, -10.0f}, {0.0f, 0.0f, 1.0f}},
};
constexpr View kViews[] = {{0.0f, 0.0f}, {30.0f, 1.4f}, {-90.0f, -4.0f}, {184.0f, 6.2f}};

class DesktopAgreement : public GlContextTest {};

TEST_F(DesktopAgreement, LightingAndTransformMatchFixedFunctionOpenGL) {
  for (const View& view : kViews) {
    for (bool lit : {true, false}) {
      SetDesktopView(view, lit);
      const Matrix camera = CameraMatrix(view);
      const std::vector<LightSource> lights = LayerLights(camera);
      for (const SurfacePoint& point : kSurfacePoints) {
        const std::vector<Processed> desktop = DesktopFeedback([&] {
          glBegin(GL_POINTS);
          glNormal3fv(point.normal);
          glVertex3fv(point.position);
          glEnd();
        });
        const ClipVertex layer =
            LayerVertex(camera, lit ? &lights : nullptr, point.position, point.normal);
        if (layer.position[2] < -layer.position[3] || layer.position[3] <= 0.0f ||
            std::fabs(layer.position[0]) > layer.position[3] ||
            std::fabs(layer.position[1]) > layer.position[3]) {
          EXPECT_TRUE(desktop.empty()) << point.surface << " is off the screen";
          continue;
        }
        ASSERT_EQ(desktop.size(), 1u) << point.surface << " yaw " << view.yaw;
        SCOPED_TRACE(testing::Message() << point.surface << ", yaw " << view.yaw << ", z "
                                        << view.cameraZ << (lit ? ", lit" : ", unlit"));
        ExpectSameVertex(ToWindow(layer), desktop[0], point.surface);
      }
    }
  }
}

// The room's starting view has vertices in the eye's own plane (w = 0):
// clipping must give what desktop OpenGL's clipper gives, and leave no vertex
// behind the near plane for the rasteriser.
TEST_F(DesktopAgreement, NearPlaneClippingMatchesFixedFunctionOpenGL) {
  struct Triangle {
    const char* what;
    float corners[3][3];
  };
  // Close to the line of sight, so that only the near plane cuts them.
  const Triangle kTriangles[] = {
      {"two corners in the eye's plane (w = 0)",
       {{0.0f, -0.02f, -2.0f}, {0.02f, -0.01f, 0.0f}, {-0.02f, 0.01f, 0.0f}}},
      {"one corner behind the eye",
       {{0.0f, 0.0f, -3.0f}, {0.03f, 0.0f, -1.0f}, {0.0f, 0.01f, 2.0f}}},
      {"two corners behind the eye",
       {{0.0f, 0.0f, -1.0f}, {0.01f, 0.0f, 1.0f}, {-0.01f, 0.01f, 1.0f}}},
  };
  const View view{0.0f, 0.0f};
  SetDesktopView(view, true);
  const Matrix camera = CameraMatrix(view);
  const std::vector<LightSource> lights = LayerLights(camera);
  const float up[3] = {0.0f, 1.0f, 0.0f};
  for (const Triangle& triangle : kTriangles) {
    SCOPED_TRACE(triangle.what);
    const std::vector<Processed> desktop = DesktopFeedback([&] {
      glBegin(GL_TRIANGLES);
      glNormal3fv(up);
      for (const auto& corner : triangle.corners) glVertex3fv(corner);
      glEnd();
    });
    std::vector<ClipVertex> clipped;
    ClipTriangleToNearPlane(LayerVertex(camera, &lights, triangle.corners[0], up),
                            LayerVertex(camera, &lights, triangle.corners[1], up),
                            LayerVertex(camera, &lights, triangle.corners[2], up), clipped);
    ASSERT_FALSE(clipped.empty());
    for (const ClipVertex& v : clipped) {
      EXPECT_GE(v.position[2] + v.position[3], -1e-6f) << "a vertex behind the near plane";
      EXPECT_GT(v.position[3], 0.0f);
    }
    // Every corner of desktop OpenGL's clipped polygon is a corner of the
    // layer's triangles, and the other way round.
    auto same = [](const Processed& a, const Processed& b) {
      return std::fabs(a.window[0] - b.window[0]) < 5e-3 &&
             std::fabs(a.window[1] - b.window[1]) < 5e-3 &&
             std::fabs(a.colour[0] - b.colour[0]) < 0.5 / 255.0;
    };
    std::vector<Processed> layer;
    for (const ClipVertex& v : clipped) layer.push_back(ToWindow(v));
    for (const Processed& d : desktop) {
      EXPECT_TRUE(
          std::any_of(layer.begin(), layer.end(), [&](const Processed& l) { return same(l, d); }))
          << "desktop corner at " << d.window[0] << ", " << d.window[1] << " is missing";
    }
    for (const Processed& l : layer) {
      EXPECT_TRUE(std::any_of(desktop.begin(), desktop.end(),
                              [&](const Processed& d) { return same(l, d); }))
          << "layer corner at " << l.window[0] << ", " << l.window[1] << " is extra";
    }
  }
}

// Two triangles sharing an edge that crosses the near plane must meet at the
// same point, whichever way round each walks the edge, or the rasteriser
// leaves a crack between them.
TEST(NearPlaneClipping, SharedEdgesCrossAtTheSamePoint) {
  auto vertex = [](float x, float y, float z, float w, float s) {
    ClipVertex v{};
    v.position[0] = x, v.position[1] = y, v.position[2] = z, v.position[3] = w;
    v.texCoord[0][0] = s;
    v.color[3] = 1.0f;
    return v;
  };
  const ClipVertex inside = vertex(0.3f, 0.7f, 0.9f, 1.7f, 0.25f);
  const ClipVertex outside = vertex(-0.2f, 0.1f, -0.45f, 0.0f, 0.75f);  // w = 0
  const ClipVertex left = vertex(-0.9f, 0.2f, 0.5f, 1.3f, 0.0f);
  const ClipVertex right = vertex(0.8f, -0.4f, 0.4f, 1.1f, 1.0f);
  std::vector<ClipVertex> first, second;
  ClipTriangleToNearPlane(inside, outside, left, first);
  ClipTriangleToNearPlane(outside, inside, right, second);
  auto onPlane = [](const std::vector<ClipVertex>& vs) {
    std::vector<ClipVertex> out;
    for (const ClipVertex& v : vs) {
      if (std::fabs(v.position[2] + v.position[3]) < 1e-6f) out.push_back(v);
    }
    return out;
  };
  // The crossing on the shared edge, and the one on each other edge.
  const std::vector<ClipVertex> a = onPlane(first), b = onPlane(second);
  bool shared = false;
  for (const ClipVertex& u : a) {
    for (const ClipVertex& v : b) {
      shared = shared || std::equal(u.position, u.position + 4, v.position);
    }
  }
  EXPECT_TRUE(shared) << "no bit-identical crossing on the shared edge";
}

TEST(NearPlaneClipping, KeepsWhatIsInsideAndDropsWhatIsNot) {
  ClipVertex in{}, out{};
  in.position[3] = 1.0f;
  out.position[2] = -2.0f;
  out.position[3] = 1.0f;
  std::vector<ClipVertex> clipped;
  ClipTriangleToNearPlane(in, in, in, clipped);
  EXPECT_EQ(clipped.size(), 3u);
  clipped.clear();
  ClipTriangleToNearPlane(out, out, out, clipped);
  EXPECT_TRUE(clipped.empty());
  ClipTriangleToNearPlane(in, in, out, clipped);  // a quadrilateral: two triangles
  EXPECT_EQ(clipped.size(), 6u);
}

// A picture holding every byte value in every channel, rows of 16 texels.
std::vector<unsigned char> EveryByte() {
  std::vector<unsigned char> bytes(16 * 16 * 3);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<unsigned char>((i * 7 + i / 3) & 0xFF);
  }
  return bytes;
}

std::vector<unsigned char> DesktopLevel(int level, int width, int height) {
  std::vector<unsigned char> stored(static_cast<std::size_t>(width) * height * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, level, GL_RGB, GL_UNSIGNED_BYTE, stored.data());
  return stored;
}

TEST_F(DesktopAgreement, PixelTransferScalesStoreWhatOpenGLStores) {
  const std::vector<unsigned char> source = EveryByte();
  for (float scale : {0.5f, 1.0f, 0.3f, 1.7f}) {
    SCOPED_TRACE(scale);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelTransferf(GL_RED_SCALE, scale);
    glPixelTransferf(GL_GREEN_SCALE, scale);
    glPixelTransferf(GL_BLUE_SCALE, scale);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, 16, 16, 0, GL_RGB, GL_UNSIGNED_BYTE, source.data());
    glPixelTransferf(GL_RED_SCALE, 1.0f);
    glPixelTransferf(GL_GREEN_SCALE, 1.0f);
    glPixelTransferf(GL_BLUE_SCALE, 1.0f);

    halden_web::PixelTransfer transfer;
    transfer.scale[0] = transfer.scale[1] = transfer.scale[2] = scale;
    halden_web::Picture layer;
    ASSERT_TRUE(halden_web::UnpackPicture(source.data(), 16, 16, GL_RGB, 1, transfer, 3, layer));
    EXPECT_EQ(layer.pixels, DesktopLevel(0, 16, 16));
    glDeleteTextures(1, &texture);
  }
}

TEST_F(DesktopAgreement, MipmapsAreThoseGluBuild2DMipmapsStores) {
  // Not square, rows not a multiple of 4 bytes at the source alignment of 4
  // (each source row carries padding), and through a half-intensity transfer
  // as the bump picture's are.
  constexpr int kW = 16, kH = 4;
  const int stride = (kW * 3 + 3) / 4 * 4;
  std::vector<unsigned char> source(static_cast<std::size_t>(stride) * kH, 0xEE);
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW * 3; ++x) {
      source[y * stride + x] = static_cast<unsigned char>((x * 37 + y * 101) & 0xFF);
    }
  }
  for (float scale : {1.0f, 0.5f}) {
    SCOPED_TRACE(scale);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelTransferf(GL_RED_SCALE, scale);
    glPixelTransferf(GL_GREEN_SCALE, scale);
    glPixelTransferf(GL_BLUE_SCALE, scale);
    gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGB8, kW, kH, GL_RGB, GL_UNSIGNED_BYTE, source.data());
    glPixelTransferf(GL_RED_SCALE, 1.0f);
    glPixelTransferf(GL_GREEN_SCALE, 1.0f);
    glPixelTransferf(GL_BLUE_SCALE, 1.0f);

    halden_web::PixelTransfer transfer;
    transfer.scale[0] = transfer.scale[1] = transfer.scale[2] = scale;
    const std::vector<halden_web::Picture> levels =
        halden_web::MipmapChain(source.data(), kW, kH, GL_RGB, 4, transfer, 3);
    ASSERT_EQ(levels.size(), 5u);  // 16x4, 8x2, 4x1, 2x1, 1x1
    for (std::size_t level = 0; level < levels.size(); ++level) {
      SCOPED_TRACE(level);
      GLint w = 0, h = 0;
      glGetTexLevelParameteriv(GL_TEXTURE_2D, static_cast<GLint>(level), GL_TEXTURE_WIDTH, &w);
      glGetTexLevelParameteriv(GL_TEXTURE_2D, static_cast<GLint>(level), GL_TEXTURE_HEIGHT, &h);
      EXPECT_EQ(levels[level].width, w);
      EXPECT_EQ(levels[level].height, h);
      EXPECT_EQ(levels[level].pixels, DesktopLevel(static_cast<GLint>(level), w, h));
    }
    glDeleteTextures(1, &texture);
  }
}

}  // namespace
