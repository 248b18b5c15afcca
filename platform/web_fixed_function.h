// The arithmetic of OpenGL 1.1's fixed-function pipeline that the browser
// layer does on the CPU before anything reaches WebGL: the matrices of
// glRotatef, glTranslatef and gluPerspective, the normal matrix, per-vertex
// lighting, clipping at the near plane, the unpacking of texture pictures with
// the pixel-transfer scales and biases, and the mipmap chain of
// gluBuild2DMipmaps. Plain C++ with no WebGL in it, so it is tested natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace halden_web {

// A 4 by 4 matrix in OpenGL's column-major order: m[column * 4 + row].
struct Matrix {
  float m[16];
};

Matrix IdentityMatrix();
// a * b: b is applied first, as glMultMatrix multiplies on the right.
Matrix MultiplyMatrices(const Matrix& a, const Matrix& b);
// The matrices glRotatef (angle in degrees, about the axis given, which need
// not be unit length), glTranslatef and gluPerspective multiply by. The
// perspective is worked out in double precision, as GLU does, and rounded to
// float when it is multiplied in, as glMultMatrixd does.
Matrix RotationMatrix(float angleDegrees, float x, float y, float z);
Matrix TranslationMatrix(float x, float y, float z);
Matrix PerspectiveMatrix(double fovyDegrees, double aspect, double zNear, double zFar);
// out = matrix * in, for a homogeneous point.
void TransformPoint(const Matrix& matrix, const float in[4], float out[4]);
// The inverse transpose of the upper-left 3 by 3 (column-major), which takes
// normals into eye space. A singular matrix gives the zero matrix.
void NormalMatrix(const Matrix& modelview, float out[9]);

// One light as OpenGL 1.1 keeps it: colours, and the position in eye space
// (w = 0: a direction).
struct LightSource {
  float ambient[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  float diffuse[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  float specular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  float position[4] = {0.0f, 0.0f, 1.0f, 0.0f};
  bool enabled = false;
};

// OpenGL 1.1's lighting equation for one vertex with the default material
// (ambient 0.2, diffuse 0.8, no specular or emission, shininess 0) and light
// model (global ambient 0.2, infinite viewer, one-sided), no attenuation and
// no spots: the colour is clamped to 0..1, its alpha the material's diffuse
// alpha. `eye` is the vertex in eye space, `normal` the eye-space normal as
// it is (GL_NORMALIZE is off).
void LightVertex(const float eye[4], const float normal[3], const LightSource* lights,
                 int lightCount, float out[4]);

// The texture units the layer offers (GL_ARB_multitexture).
constexpr int kTextureUnits = 2;

// A vertex after the vertex stage: clip-space position, colour and the
// texture coordinates of every unit.
struct ClipVertex {
  float position[4];
  float color[4];
  float texCoord[kTextureUnits][4];
};

// Clips the triangle a, b, c against the near plane (z >= -w), as OpenGL
// does, interpolating every attribute linearly in clip space, and appends
// what is left as 0, 1 or 2 triangles of the same winding to `out`.
void ClipTriangleToNearPlane(const ClipVertex& a, const ClipVertex& b, const ClipVertex& c,
                             std::vector<ClipVertex>& out);
// The same for a line segment: appends 0 or 2 vertices.
void ClipLineToNearPlane(const ClipVertex& a, const ClipVertex& b, std::vector<ClipVertex>& out);

// Matrix stacks with OpenGL's depths and errors: a push on a full stack and a
// pop of the last entry fail and leave the stack as it was.
class MatrixStack {
 public:
  explicit MatrixStack(std::size_t depth);
  Matrix& Top() { return entries_.back(); }
  const Matrix& Top() const { return entries_.back(); }
  bool Push();
  bool Pop();
  std::size_t Depth() const { return entries_.size(); }

 private:
  std::vector<Matrix> entries_;
  std::size_t limit_;
};

// glPixelTransfer's colour scales and biases, applied to every texel as it is
// uploaded: c' = clamp(c * scale + bias) per component, on values from 0 to 1.
struct PixelTransfer {
  float scale[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  float bias[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  bool IsIdentity() const;
};

// A picture ready for WebGL: tightly packed rows of 8-bit RGB or RGBA.
struct Picture {
  int width = 0;
  int height = 0;
  int components = 0;  // 3 or 4
  std::vector<unsigned char> pixels;
};

// Reads `width` x `height` pixels of GL_RGB, GL_RGBA, GL_LUMINANCE,
// GL_LUMINANCE_ALPHA or GL_ALPHA bytes, each row starting on a multiple of
// `alignment` bytes (1, 2, 4 or 8), applies the transfer, and stores them as
// `components` (3 or 4) per texel, as the internal format keeps them. Rounds
// as OpenGL converts a float colour to a byte (to nearest). False for a
// format or alignment it does not know, a negative size, or a null source.
bool UnpackPicture(const unsigned char* source, int width, int height, unsigned format,
                   int alignment, const PixelTransfer& transfer, int components, Picture& out);

// The smaller levels gluBuild2DMipmaps uploads after level 0: each is half the
// size of the one before (down to 1 by 1), each texel the rounded mean of the
// 2 by 2 (or 2 by 1 once a side is 1) texels it covers. Level 0 is not
// included. Sides that are not powers of two are halved rounding down
// (GLU would first scale such a picture to a power of two; WebGL 2 takes it
// as it is).
std::vector<Picture> HalvedLevels(const Picture& level0);

// What gluBuild2DMipmaps uploads, level 0 first: GLU reads the picture as it
// is, halves it level by level, and sends every level through glTexImage2D,
// so the transfer applies to each level after the halving. Empty when the
// source cannot be unpacked (see UnpackPicture).
std::vector<Picture> MipmapChain(const unsigned char* source, int width, int height,
                                 unsigned format, int alignment, const PixelTransfer& transfer,
                                 int components);

}  // namespace halden_web
