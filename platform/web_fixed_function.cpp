// The CPU side of the browser layer's fixed-function pipeline: matrices,
// picture unpacking with the pixel-transfer scales, and mipmap halving (see
// web_fixed_function.h).
#include "platform/web_fixed_function.h"

#include <cmath>

namespace halden_web {
namespace {

// The format values of <GL/gl.h>; this file does not include GL headers, so
// that it builds the same natively and for the browser.
constexpr unsigned kGlAlpha = 0x1906;
constexpr unsigned kGlRgb = 0x1907;
constexpr unsigned kGlRgba = 0x1908;
constexpr unsigned kGlLuminance = 0x1909;
constexpr unsigned kGlLuminanceAlpha = 0x190A;

constexpr double kPi = 3.14159265358979323846;

// Float to byte as OpenGL (Mesa) stores a clamped colour in an 8-bit
// channel: to nearest, halfway cases to even.
unsigned char ColourByte(float value) {
  if (!(value > 0.0f)) return 0;  // also NaN
  if (value >= 1.0f) return 255;
  return static_cast<unsigned char>(std::lrint(value * 255.0f));
}

}  // namespace

Matrix IdentityMatrix() {
  Matrix identity{};
  identity.m[0] = identity.m[5] = identity.m[10] = identity.m[15] = 1.0f;
  return identity;
}

Matrix MultiplyMatrices(const Matrix& a, const Matrix& b) {
  Matrix product{};
  for (int column = 0; column < 4; ++column) {
    for (int row = 0; row < 4; ++row) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += a.m[k * 4 + row] * b.m[column * 4 + k];
      product.m[column * 4 + row] = sum;
    }
  }
  return product;
}

Matrix RotationMatrix(float angleDegrees, float x, float y, float z) {
  const float length = std::sqrt(x * x + y * y + z * z);
  if (length == 0.0f) return IdentityMatrix();  // no axis: OpenGL leaves the matrix as it is
  x /= length;
  y /= length;
  z /= length;
  // The angle is turned into radians in double precision, as the drivers do.
  const double radians = static_cast<double>(angleDegrees) * kPi / 180.0;
  const auto s = static_cast<float>(std::sin(radians));
  const auto c = static_cast<float>(std::cos(radians));
  const float t = 1.0f - c;
  Matrix r = IdentityMatrix();
  r.m[0] = x * x * t + c;
  r.m[1] = y * x * t + z * s;
  r.m[2] = x * z * t - y * s;
  r.m[4] = x * y * t - z * s;
  r.m[5] = y * y * t + c;
  r.m[6] = y * z * t + x * s;
  r.m[8] = x * z * t + y * s;
  r.m[9] = y * z * t - x * s;
  r.m[10] = z * z * t + c;
  return r;
}

Matrix TranslationMatrix(float x, float y, float z) {
  Matrix t = IdentityMatrix();
  t.m[12] = x;
  t.m[13] = y;
  t.m[14] = z;
  return t;
}

Matrix PerspectiveMatrix(double fovyDegrees, double aspect, double zNear, double zFar) {
  const double radians = fovyDegrees / 2.0 * kPi / 180.0;
  const double deltaZ = zFar - zNear;
  const double sine = std::sin(radians);
  // GLU leaves the matrix unchanged for these.
  if (deltaZ == 0.0 || sine == 0.0 || aspect == 0.0) return IdentityMatrix();
  const double cotangent = std::cos(radians) / sine;
  Matrix p{};
  p.m[0] = static_cast<float>(cotangent / aspect);
  p.m[5] = static_cast<float>(cotangent);
  p.m[10] = static_cast<float>(-(zFar + zNear) / deltaZ);
  p.m[11] = -1.0f;
  p.m[14] = static_cast<float>(-2.0 * zNear * zFar / deltaZ);
  return p;
}

void TransformPoint(const Matrix& matrix, const float in[4], float out[4]) {
  for (int row = 0; row < 4; ++row) {
    out[row] = matrix.m[row] * in[0] + matrix.m[4 + row] * in[1] + matrix.m[8 + row] * in[2] +
               matrix.m[12 + row] * in[3];
  }
}

void NormalMatrix(const Matrix& mv, float out[9]) {
  // Upper-left 3 by 3, a[row][column].
  const float a00 = mv.m[0], a10 = mv.m[1], a20 = mv.m[2];
  const float a01 = mv.m[4], a11 = mv.m[5], a21 = mv.m[6];
  const float a02 = mv.m[8], a12 = mv.m[9], a22 = mv.m[10];
  // Cofactors; the inverse transpose is the cofactor matrix over the determinant.
  const float c00 = a11 * a22 - a12 * a21;
  const float c01 = a12 * a20 - a10 * a22;
  const float c02 = a10 * a21 - a11 * a20;
  const float c10 = a02 * a21 - a01 * a22;
  const float c11 = a00 * a22 - a02 * a20;
  const float c12 = a01 * a20 - a00 * a21;
  const float c20 = a01 * a12 - a02 * a11;
  const float c21 = a02 * a10 - a00 * a12;
  const float c22 = a00 * a11 - a01 * a10;
  const float determinant = a00 * c00 + a01 * c01 + a02 * c02;
  if (determinant == 0.0f) {
    for (int i = 0; i < 9; ++i) out[i] = 0.0f;
    return;
  }
  const float inverse = 1.0f / determinant;
  // Column-major: out[column * 3 + row] = cofactor[row][column] / det.
  out[0] = c00 * inverse;
  out[1] = c10 * inverse;
  out[2] = c20 * inverse;
  out[3] = c01 * inverse;
  out[4] = c11 * inverse;
  out[5] = c21 * inverse;
  out[6] = c02 * inverse;
  out[7] = c12 * inverse;
  out[8] = c22 * inverse;
}

void LightVertex(const float eye[4], const float normal[3], const LightSource* lights,
                 int lightCount, float out[4]) {
  // OpenGL's defaults, which the program never changes.
  constexpr float kMaterialAmbient = 0.2f;
  constexpr float kMaterialDiffuse = 0.8f;
  constexpr float kModelAmbient = 0.2f;
  float colour[3];
  for (int c = 0; c < 3; ++c) colour[c] = kModelAmbient * kMaterialAmbient;
  for (int i = 0; i < lightCount; ++i) {
    const LightSource& light = lights[i];
    if (!light.enabled) continue;
    float toLight[3];
    if (light.position[3] != 0.0f) {
      for (int c = 0; c < 3; ++c) {
        toLight[c] = light.position[c] / light.position[3] - eye[c] / eye[3];
      }
    } else {
      for (int c = 0; c < 3; ++c) toLight[c] = light.position[c];
    }
    const float length =
        std::sqrt(toLight[0] * toLight[0] + toLight[1] * toLight[1] + toLight[2] * toLight[2]);
    if (length > 0.0f) {
      for (float& c : toLight) c /= length;
    }
    const float facing = normal[0] * toLight[0] + normal[1] * toLight[1] + normal[2] * toLight[2];
    for (int c = 0; c < 3; ++c) {
      colour[c] += light.ambient[c] * kMaterialAmbient;
      // The material's specular colour is black, so the specular term adds
      // nothing and is left out.
      if (facing > 0.0f) colour[c] += facing * light.diffuse[c] * kMaterialDiffuse;
    }
  }
  for (int c = 0; c < 3; ++c)
    out[c] = colour[c] < 0.0f ? 0.0f : (colour[c] > 1.0f ? 1.0f : colour[c]);
  out[3] = 1.0f;  // the material's diffuse alpha
}

namespace {

// Signed distance to the near plane in clip space: inside where >= 0.
float NearDistance(const ClipVertex& v) {
  return v.position[2] + v.position[3];
}

ClipVertex Between(const ClipVertex& a, const ClipVertex& b, float t) {
  ClipVertex v;
  for (int i = 0; i < 4; ++i) {
    v.position[i] = a.position[i] + t * (b.position[i] - a.position[i]);
    v.color[i] = a.color[i] + t * (b.color[i] - a.color[i]);
    for (int unit = 0; unit < kTextureUnits; ++unit) {
      v.texCoord[unit][i] = a.texCoord[unit][i] + t * (b.texCoord[unit][i] - a.texCoord[unit][i]);
    }
  }
  return v;
}

// Where the edge from `inside` to `outside` crosses the plane, worked out from
// the inside vertex whichever way the edge runs, so that two triangles sharing
// the edge get the same point.
ClipVertex Crossing(const ClipVertex& from, const ClipVertex& to) {
  const float dFrom = NearDistance(from);
  const float dTo = NearDistance(to);
  if (dFrom >= 0.0f) return Between(from, to, dFrom / (dFrom - dTo));
  return Between(to, from, dTo / (dTo - dFrom));
}

}  // namespace

void ClipTriangleToNearPlane(const ClipVertex& a, const ClipVertex& b, const ClipVertex& c,
                             std::vector<ClipVertex>& out) {
  const ClipVertex* corners[3] = {&a, &b, &c};
  bool inside[3];
  int insideCount = 0;
  for (int i = 0; i < 3; ++i) {
    inside[i] = NearDistance(*corners[i]) >= 0.0f;
    insideCount += inside[i] ? 1 : 0;
  }
  if (insideCount == 3) {
    out.push_back(a), out.push_back(b), out.push_back(c);
    return;
  }
  if (insideCount == 0) return;
  // Walk the edges in order, keeping inside corners and the crossings.
  ClipVertex polygon[4];
  int count = 0;
  for (int i = 0; i < 3; ++i) {
    const ClipVertex& current = *corners[i];
    const ClipVertex& next = *corners[(i + 1) % 3];
    if (inside[i]) polygon[count++] = current;
    if (inside[i] != inside[(i + 1) % 3]) polygon[count++] = Crossing(current, next);
  }
  for (int i = 1; i + 1 < count; ++i) {
    out.push_back(polygon[0]), out.push_back(polygon[i]), out.push_back(polygon[i + 1]);
  }
}

void ClipLineToNearPlane(const ClipVertex& a, const ClipVertex& b, std::vector<ClipVertex>& out) {
  const bool aInside = NearDistance(a) >= 0.0f;
  const bool bInside = NearDistance(b) >= 0.0f;
  if (!aInside && !bInside) return;
  out.push_back(aInside ? a : Crossing(a, b));
  out.push_back(bInside ? b : Crossing(a, b));
}

MatrixStack::MatrixStack(std::size_t depth) : entries_{IdentityMatrix()}, limit_(depth) {}

bool MatrixStack::Push() {
  if (entries_.size() >= limit_) return false;
  entries_.push_back(entries_.back());
  return true;
}

bool MatrixStack::Pop() {
  if (entries_.size() <= 1) return false;
  entries_.pop_back();
  return true;
}

bool PixelTransfer::IsIdentity() const {
  for (int i = 0; i < 4; ++i) {
    if (scale[i] != 1.0f || bias[i] != 0.0f) return false;
  }
  return true;
}

bool UnpackPicture(const unsigned char* source, int width, int height, unsigned format,
                   int alignment, const PixelTransfer& transfer, int components, Picture& out) {
  if (source == nullptr || width < 0 || height < 0) return false;
  if (alignment != 1 && alignment != 2 && alignment != 4 && alignment != 8) return false;
  if (components != 3 && components != 4) return false;
  int sourceComponents = 0;
  switch (format) {
    case kGlRgb:
      sourceComponents = 3;
      break;
    case kGlRgba:
      sourceComponents = 4;
      break;
    case kGlLuminance:
    case kGlAlpha:
      sourceComponents = 1;
      break;
    case kGlLuminanceAlpha:
      sourceComponents = 2;
      break;
    default:
      return false;
  }
  const std::size_t rowBytes = static_cast<std::size_t>(width) * sourceComponents;
  const std::size_t stride = (rowBytes + alignment - 1) / alignment * alignment;

  out.width = width;
  out.height = height;
  out.components = components;
  out.pixels.assign(static_cast<std::size_t>(width) * height * components, 0);
  const bool plain = transfer.IsIdentity();
  unsigned char* target = out.pixels.data();
  for (int y = 0; y < height; ++y) {
    const unsigned char* row = source + stride * y;
    for (int x = 0; x < width; ++x) {
      const unsigned char* texel = row + static_cast<std::size_t>(x) * sourceComponents;
      // As OpenGL widens a source pixel to RGBA before the transfer.
      unsigned char rgba[4];
      switch (format) {
        case kGlRgb:
          rgba[0] = texel[0], rgba[1] = texel[1], rgba[2] = texel[2], rgba[3] = 255;
          break;
        case kGlRgba:
          rgba[0] = texel[0], rgba[1] = texel[1], rgba[2] = texel[2], rgba[3] = texel[3];
          break;
        case kGlLuminance:
          rgba[0] = rgba[1] = rgba[2] = texel[0], rgba[3] = 255;
          break;
        case kGlLuminanceAlpha:
          rgba[0] = rgba[1] = rgba[2] = texel[0], rgba[3] = texel[1];
          break;
        default:  // alpha
          rgba[0] = rgba[1] = rgba[2] = 0, rgba[3] = texel[0];
          break;
      }
      for (int c = 0; c < components; ++c) {
        if (plain) {
          target[c] = rgba[c];
        } else {
          // Widened as Mesa widens a byte, so that halfway cases round alike.
          const float value = static_cast<float>(rgba[c]) * (1.0f / 255.0f);
          target[c] = ColourByte(value * transfer.scale[c] + transfer.bias[c]);
        }
      }
      target += components;
    }
  }
  return true;
}

std::vector<Picture> HalvedLevels(const Picture& level0) {
  std::vector<Picture> levels;
  const Picture* previous = &level0;
  while (previous->width > 1 || previous->height > 1) {
    const int pw = previous->width;
    const int ph = previous->height;
    if (pw < 1 || ph < 1) break;
    Picture next;
    next.width = pw > 1 ? pw / 2 : 1;
    next.height = ph > 1 ? ph / 2 : 1;
    next.components = previous->components;
    const int n = next.components;
    next.pixels.resize(static_cast<std::size_t>(next.width) * next.height * n);
    const unsigned char* src = previous->pixels.data();
    const std::size_t srcRow = static_cast<std::size_t>(pw) * n;
    for (int y = 0; y < next.height; ++y) {
      for (int x = 0; x < next.width; ++x) {
        unsigned char* dst = &next.pixels[(static_cast<std::size_t>(y) * next.width + x) * n];
        if (pw > 1 && ph > 1) {
          const unsigned char* a = src + (2 * y) * srcRow + static_cast<std::size_t>(2 * x) * n;
          const unsigned char* b = a + srcRow;
          for (int c = 0; c < n; ++c) {
            dst[c] = static_cast<unsigned char>((a[c] + a[n + c] + b[c] + b[n + c] + 2) / 4);
          }
        } else {
          // One side is 1: pairs along the other side.
          const std::size_t step = pw > 1 ? static_cast<std::size_t>(n) : srcRow;
          const unsigned char* a =
              pw > 1 ? src + static_cast<std::size_t>(2 * x) * n : src + (2 * y) * srcRow;
          for (int c = 0; c < n; ++c) {
            dst[c] = static_cast<unsigned char>((a[c] + a[step + c] + 1) / 2);
          }
        }
      }
    }
    levels.push_back(std::move(next));
    previous = &levels.back();
  }
  return levels;
}

std::vector<Picture> MipmapChain(const unsigned char* source, int width, int height,
                                 unsigned format, int alignment, const PixelTransfer& transfer,
                                 int components) {
  Picture read;
  if (!UnpackPicture(source, width, height, format, alignment, PixelTransfer{}, 4, read)) return {};
  std::vector<Picture> raw = HalvedLevels(read);
  raw.insert(raw.begin(), std::move(read));
  std::vector<Picture> levels(raw.size());
  for (std::size_t level = 0; level < raw.size(); ++level) {
    UnpackPicture(raw[level].pixels.data(), raw[level].width, raw[level].height, kGlRgba, 1,
                  transfer, components, levels[level]);
  }
  return levels;
}

}  // namespace halden_web
