// Textures of the browser layer's OpenGL 1.1 pipeline on WebGL 2: texture
// objects, their parameters and uploads, the texture environments, and the
// two texture units of GL_ARB_multitexture.
//
// Implements:
// - glGenTextures/glBindTexture/glDeleteTextures, with object 0 a texture of
//   its own; glTexParameteri/f/iv/fv (filters; wrapping with GL_REPEAT,
//   GL_CLAMP_TO_EDGE and GL_CLAMP with its border colour, which WebGL does
//   not have and the fragment programs do); OpenGL's completeness rule (an
//   incomplete texture switches its unit off).
// - glTexImage2D of 8-bit RGB, RGBA, luminance and luminance-alpha pictures
//   at any unpack alignment, through glPixelTransferf's scales and biases,
//   and gluBuild2DMipmaps (GLU's box-filtered halving, each level through the
//   pixel transfer as GLU's own uploads go), as web_fixed_function.h does
//   them; glPixelStorei's pack and unpack alignment.
// - glTexEnvi/f/iv/fv: GL_MODULATE, GL_REPLACE, GL_DECAL, GL_BLEND with the
//   environment colour, and GL_EXT_texture_env_combine.
// - glActiveTextureARB, glClientActiveTextureARB, glMultiTexCoord1f to
//   4fARB (and their v forms): per unit GL_TEXTURE_2D, binding, texture
//   matrix, texture coordinate and environment.
// Leaves out: texture borders in the picture itself (border 1), 1D and 3D
// textures, alpha and intensity formats, pixel types other than
// GL_UNSIGNED_BYTE, GL_CLAMP's border colour on mipmapped filtering (it
// clamps to the edge there), and glGetTexImage.
#include <GL/glu.h>
#include <webgl/webgl1.h>
#include <webgl/webgl2.h>

#include <cstring>
#include <initializer_list>

#include "platform/web_gl_state.h"

namespace halden_web {
namespace {

constexpr int kWrapRepeat = 0;
constexpr int kWrapClampToEdge = 1;
constexpr int kWrapClampToBorder = 2;

int WrapCode(GLint wrap) {
  if (wrap == GL_CLAMP) return kWrapClampToBorder;
  if (wrap == GL_CLAMP_TO_EDGE) return kWrapClampToEdge;
  return kWrapRepeat;
}

GLint WebglWrap(GLint wrap) {
  return wrap == GL_REPEAT ? GL_REPEAT : GL_CLAMP_TO_EDGE;
}

bool NeedsMipmaps(GLint minFilter) {
  return minFilter != GL_NEAREST && minFilter != GL_LINEAR;
}

// OpenGL 1.1's completeness: level 0 exists, and with a mipmapped filter
// every level down to 1 by 1 exists at half the size of the one before.
bool IsComplete(const TextureObject& t) {
  if (t.levels.empty() || t.levels[0].first < 1 || t.levels[0].second < 1) return false;
  if (!NeedsMipmaps(t.minFilter)) return true;
  int w = t.levels[0].first;
  int h = t.levels[0].second;
  for (std::size_t level = 1; w > 1 || h > 1; ++level) {
    w = w > 1 ? w / 2 : 1;
    h = h > 1 ? h / 2 : 1;
    if (level >= t.levels.size() || t.levels[level] != std::make_pair(w, h)) return false;
  }
  return true;
}

// Binds a texture on WebGL's unit 0 for an upload or a parameter; every draw
// binds the units it uses again.
void BindForChange(const TextureObject& t) {
  emscripten_glActiveTexture(GL_TEXTURE0);
  emscripten_glBindTexture(GL_TEXTURE_2D, t.webgl);
}

TextureObject MakeTextureObject() {
  TextureObject t;
  emscripten_glGenTextures(1, &t.webgl);
  BindForChange(t);
  emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, t.minFilter);
  emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, t.magFilter);
  emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  return t;
}

// The internal formats glTexImage2D takes, as the components kept (RGB or
// RGBA; luminance is kept as grey RGB, which every environment treats
// alike), and whether the base format has alpha.
int StoredComponents(GLint internalFormat, bool* hasAlpha = nullptr) {
  int components = 0;
  switch (internalFormat) {
    case 1:
    case 3:
    case GL_LUMINANCE:
    case GL_LUMINANCE4:
    case GL_LUMINANCE8:
    case GL_LUMINANCE12:
    case GL_LUMINANCE16:
    case GL_RGB:
    case GL_R3_G3_B2:
    case GL_RGB4:
    case GL_RGB5:
    case GL_RGB8:
    case GL_RGB10:
    case GL_RGB12:
    case GL_RGB16:
      components = 3;
      break;
    case 2:
    case 4:
    case GL_LUMINANCE_ALPHA:
    case GL_LUMINANCE4_ALPHA4:
    case GL_LUMINANCE8_ALPHA8:
    case GL_RGBA:
    case GL_RGBA2:
    case GL_RGBA4:
    case GL_RGB5_A1:
    case GL_RGBA8:
    case GL_RGB10_A2:
    case GL_RGBA12:
    case GL_RGBA16:
      components = 4;
      break;
    default:
      break;
  }
  if (hasAlpha != nullptr) *hasAlpha = components == 4;
  return components;
}

bool IsPowerOfTwoOrZero(int side) {
  return (side & (side - 1)) == 0;
}

// The picture, already in the stored components, becomes a level of the
// active unit's texture.
void StoreLevel(GlState& s, GLint level, const Picture& picture, bool hasAlpha) {
  TextureObject& t = BoundTexture(s, s.activeUnit);
  BindForChange(t);
  const bool rgba = picture.components == 4;
  emscripten_glTexImage2D(GL_TEXTURE_2D, level, rgba ? GL_RGBA8 : GL_RGB8, picture.width,
                          picture.height, 0, rgba ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE,
                          picture.pixels.empty() ? nullptr : picture.pixels.data());
  if (t.levels.size() <= static_cast<std::size_t>(level)) t.levels.resize(level + 1, {0, 0});
  t.levels[level] = {picture.width, picture.height};
  if (level == 0) t.hasAlpha = hasAlpha;
}

bool CheckTexImage(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                   GLint border, GLenum type) {
  if (target != GL_TEXTURE_2D || type != GL_UNSIGNED_BYTE ||
      StoredComponents(internalFormat) == 0) {
    RecordError(GL_INVALID_ENUM);
    return false;
  }
  // OpenGL 1.1 sizes: powers of two, within the maximum; no picture border.
  if (level < 0 || level > 11 || width < 0 || height < 0 || width > kMaxTextureSize ||
      height > kMaxTextureSize || border != 0 || !IsPowerOfTwoOrZero(width) ||
      !IsPowerOfTwoOrZero(height)) {
    RecordError(GL_INVALID_VALUE);
    return false;
  }
  return true;
}

void SetTextureParameter(GLenum target, GLenum pname, const GLfloat* values) {
  GlState* s = Usable();
  if (s == nullptr) return;
  if (target != GL_TEXTURE_2D) {
    RecordError(GL_INVALID_ENUM);
    return;
  }
  TextureObject& t = BoundTexture(*s, s->activeUnit);
  const auto value = static_cast<GLint>(values[0]);
  switch (pname) {
    case GL_TEXTURE_MIN_FILTER:
      if (value != GL_NEAREST && value != GL_LINEAR && value != GL_NEAREST_MIPMAP_NEAREST &&
          value != GL_LINEAR_MIPMAP_NEAREST && value != GL_NEAREST_MIPMAP_LINEAR &&
          value != GL_LINEAR_MIPMAP_LINEAR) {
        RecordError(GL_INVALID_ENUM);
        return;
      }
      t.minFilter = value;
      break;
    case GL_TEXTURE_MAG_FILTER:
      if (value != GL_NEAREST && value != GL_LINEAR) {
        RecordError(GL_INVALID_ENUM);
        return;
      }
      t.magFilter = value;
      break;
    case GL_TEXTURE_WRAP_S:
    case GL_TEXTURE_WRAP_T:
      if (value != GL_REPEAT && value != GL_CLAMP && value != GL_CLAMP_TO_EDGE) {
        RecordError(GL_INVALID_ENUM);
        return;
      }
      (pname == GL_TEXTURE_WRAP_S ? t.wrapS : t.wrapT) = value;
      break;
    case GL_TEXTURE_BORDER_COLOR:
      for (int i = 0; i < 4; ++i) {
        t.border[i] = values[i] < 0.0f ? 0.0f : (values[i] > 1.0f ? 1.0f : values[i]);
      }
      return;  // WebGL has no border colour; the fragment programs use it
    case GL_TEXTURE_PRIORITY:
      return;  // a hint about residency
    default:
      RecordError(GL_INVALID_ENUM);
      return;
  }
  BindForChange(t);
  emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, t.minFilter);
  emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, t.magFilter);
  emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, WebglWrap(t.wrapS));
  emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, WebglWrap(t.wrapT));
}

bool OneOf(GLenum value, std::initializer_list<GLenum> allowed) {
  for (GLenum a : allowed) {
    if (a == value) return true;
  }
  return false;
}

void SetEnvironment(GLenum target, GLenum pname, const GLfloat* values) {
  GlState* s = Usable();
  if (s == nullptr) return;
  if (target != GL_TEXTURE_ENV) {
    RecordError(GL_INVALID_ENUM);
    return;
  }
  TextureEnvironment& e = s->units[s->activeUnit].environment;
  const auto value = static_cast<GLenum>(values[0]);
  const bool source =
      OneOf(value, {GL_TEXTURE, GL_CONSTANT_EXT, GL_PRIMARY_COLOR_EXT, GL_PREVIOUS_EXT});
  const bool rgbOperand =
      OneOf(value, {GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA});
  const bool alphaOperand = OneOf(value, {GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA});
  const bool function =
      OneOf(value, {GL_REPLACE, GL_MODULATE, GL_ADD, GL_ADD_SIGNED_EXT, GL_INTERPOLATE_EXT});
  // One of the three arguments of a combine function, named by `pname`.
  auto setArgument = [pname, value](GLenum* arguments, GLenum first, bool allowed) {
    if (allowed) arguments[pname - first] = value;
    return allowed;
  };
  bool valid = true;
  switch (pname) {
    case GL_TEXTURE_ENV_MODE:
      valid = OneOf(value, {GL_MODULATE, GL_REPLACE, GL_DECAL, GL_BLEND, GL_COMBINE_EXT});
      if (valid) e.mode = value;
      break;
    case GL_TEXTURE_ENV_COLOR:
      for (int i = 0; i < 4; ++i) {
        e.color[i] = values[i] < 0.0f ? 0.0f : (values[i] > 1.0f ? 1.0f : values[i]);
      }
      break;
    case GL_COMBINE_RGB_EXT:
    case GL_COMBINE_ALPHA_EXT:
      valid = function;
      if (valid) (pname == GL_COMBINE_RGB_EXT ? e.combineRgb : e.combineAlpha) = value;
      break;
    case GL_SOURCE0_RGB_EXT:
    case GL_SOURCE1_RGB_EXT:
    case GL_SOURCE2_RGB_EXT:
      valid = setArgument(e.sourceRgb, GL_SOURCE0_RGB_EXT, source);
      break;
    case GL_SOURCE0_ALPHA_EXT:
    case GL_SOURCE1_ALPHA_EXT:
    case GL_SOURCE2_ALPHA_EXT:
      valid = setArgument(e.sourceAlpha, GL_SOURCE0_ALPHA_EXT, source);
      break;
    case GL_OPERAND0_RGB_EXT:
    case GL_OPERAND1_RGB_EXT:
    case GL_OPERAND2_RGB_EXT:
      valid = setArgument(e.operandRgb, GL_OPERAND0_RGB_EXT, rgbOperand);
      break;
    case GL_OPERAND0_ALPHA_EXT:
    case GL_OPERAND1_ALPHA_EXT:
    case GL_OPERAND2_ALPHA_EXT:
      valid = setArgument(e.operandAlpha, GL_OPERAND0_ALPHA_EXT, alphaOperand);
      break;
    case GL_RGB_SCALE_EXT:
    case GL_ALPHA_SCALE:
      if (values[0] != 1.0f && values[0] != 2.0f && values[0] != 4.0f) {
        RecordError(GL_INVALID_VALUE);
        return;
      }
      (pname == GL_RGB_SCALE_EXT ? e.rgbScale : e.alphaScale) = values[0];
      break;
    default:
      valid = false;
      break;
  }
  if (!valid) RecordError(GL_INVALID_ENUM);
}

typedef void (*VectorSetter)(GLenum target, GLenum pname, const GLfloat* values);

// A one-value parameter as the vector setter takes it; the colour has no
// one-value form.
void SetScalar(VectorSetter set, GLenum colour, GLenum target, GLenum pname, GLfloat value) {
  if (pname == colour) {
    RecordError(GL_INVALID_ENUM);
    return;
  }
  const GLfloat values[4] = {value, 0.0f, 0.0f, 0.0f};
  set(target, pname, values);
}

// Integer parameters as floats: a colour maps the whole range of GLint onto
// 0 to 1.
void SetIntegers(VectorSetter set, GLenum colour, GLenum target, GLenum pname,
                 const GLint* params) {
  GLfloat values[4] = {static_cast<GLfloat>(params[0]), 0.0f, 0.0f, 0.0f};
  if (pname == colour) {
    for (int i = 0; i < 4; ++i) {
      values[i] = static_cast<GLfloat>((2.0 * params[i] + 1.0) / 4294967295.0);
    }
  }
  set(target, pname, values);
}

// The unit a GL_TEXTUREi_ARB names, or -1 (with the error recorded).
int UnitOf(GLenum texture) {
  if (texture < GL_TEXTURE0_ARB || texture >= GL_TEXTURE0_ARB + kTextureUnits) {
    RecordError(GL_INVALID_ENUM);
    return -1;
  }
  return static_cast<int>(texture - GL_TEXTURE0_ARB);
}

void SetTexCoord(int unit, GLfloat s, GLfloat t, GLfloat r, GLfloat q) {
  GlState* state = Current();
  if (state == nullptr || unit < 0) return;
  GLfloat* c = state->units[unit].texCoord;
  c[0] = s, c[1] = t, c[2] = r, c[3] = q;
}

}  // namespace

void InitialiseTextures(GlState& s) {
  s.textures[0] = MakeTextureObject();
}

void ReleaseTextures(GlState& s) {
  for (auto& entry : s.textures) emscripten_glDeleteTextures(1, &entry.second.webgl);
  s.textures.clear();
}

TextureObject& BoundTexture(GlState& s, int unit) {
  auto found = s.textures.find(s.units[unit].bound);
  // A deleted binding falls back to the default texture.
  return found != s.textures.end() ? found->second : s.textures[0];
}

Sampling UnitSampling(GlState& s, int unit) {
  if (!s.units[unit].enabled) return Sampling::kOff;
  const TextureObject& t = BoundTexture(s, unit);
  if (!IsComplete(t)) return Sampling::kOff;
  // GL_CLAMP differs from clamping to the edge only where linear filtering
  // reaches past the edge, and the border filter works on level 0 only.
  const bool border = t.wrapS == GL_CLAMP || t.wrapT == GL_CLAMP;
  const bool linearOnly = t.minFilter == GL_LINEAR && t.magFilter == GL_LINEAR;
  return border && linearOnly ? Sampling::kBorder : Sampling::kSampler;
}

void BindUnits(GlState& s, const Program& program, const Sampling sampling[kTextureUnits]) {
  for (int unit = 0; unit < kTextureUnits; ++unit) {
    if (sampling[unit] == Sampling::kOff) continue;
    const TextureObject& t = BoundTexture(s, unit);
    emscripten_glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
    emscripten_glBindTexture(GL_TEXTURE_2D, t.webgl);
    emscripten_glUniform4fv(program.environmentColor[unit], 1, s.units[unit].environment.color);
    if (sampling[unit] == Sampling::kBorder) {
      emscripten_glUniform2i(program.wrap[unit], WrapCode(t.wrapS), WrapCode(t.wrapT));
      emscripten_glUniform4fv(program.borderColor[unit], 1, t.border);
    }
  }
  emscripten_glActiveTexture(GL_TEXTURE0);
}

}  // namespace halden_web

using namespace halden_web;

// ---- Texture objects ----

void glGenTextures(GLsizei n, GLuint* textures) {
  GlState* s = Usable();
  if (s == nullptr) return;
  if (n < 0) {
    RecordError(GL_INVALID_VALUE);
    return;
  }
  for (GLsizei i = 0; i < n; ++i) {
    // Names are handed out once; the object comes with the first bind.
    while (s->textures.count(s->nextTextureName) != 0) ++s->nextTextureName;
    textures[i] = s->nextTextureName++;
  }
}

void glBindTexture(GLenum target, GLuint texture) {
  GlState* s = Usable();
  if (s == nullptr) return;
  if (target != GL_TEXTURE_2D) {
    RecordError(GL_INVALID_ENUM);
    return;
  }
  if (s->textures.count(texture) == 0) s->textures.emplace(texture, MakeTextureObject());
  s->units[s->activeUnit].bound = texture;
}

void glDeleteTextures(GLsizei n, const GLuint* textures) {
  GlState* s = Usable();
  if (s == nullptr) return;
  if (n < 0) {
    RecordError(GL_INVALID_VALUE);
    return;
  }
  for (GLsizei i = 0; i < n; ++i) {
    if (textures[i] == 0) continue;  // the default texture stays
    auto found = s->textures.find(textures[i]);
    if (found == s->textures.end()) continue;
    emscripten_glDeleteTextures(1, &found->second.webgl);
    s->textures.erase(found);
    for (TextureUnit& unit : s->units) {
      if (unit.bound == textures[i]) unit.bound = 0;
    }
  }
}

void glTexParameterf(GLenum target, GLenum pname, GLfloat param) {
  SetScalar(SetTextureParameter, GL_TEXTURE_BORDER_COLOR, target, pname, param);
}

void glTexParameteri(GLenum target, GLenum pname, GLint param) {
  SetScalar(SetTextureParameter, GL_TEXTURE_BORDER_COLOR, target, pname,
            static_cast<GLfloat>(param));
}

void glTexParameterfv(GLenum target, GLenum pname, const GLfloat* params) {
  SetTextureParameter(target, pname, params);
}

void glTexParameteriv(GLenum target, GLenum pname, const GLint* params) {
  SetIntegers(SetTextureParameter, GL_TEXTURE_BORDER_COLOR, target, pname, params);
}

// ---- Uploads ----

void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                  GLint border, GLenum format, GLenum type, const GLvoid* pixels) {
  GlState* s = Usable();
  if (s == nullptr) return;
  if (!CheckTexImage(target, level, internalFormat, width, height, border, type)) return;
  bool hasAlpha = false;
  const int components = StoredComponents(internalFormat, &hasAlpha);
  Picture picture;
  if (pixels == nullptr) {
    picture.width = width;
    picture.height = height;
    picture.components = components;
  } else if (!UnpackPicture(static_cast<const unsigned char*>(pixels), width, height, format,
                            s->unpackAlignment, s->transfer, components, picture)) {
    RecordError(GL_INVALID_ENUM);
    return;
  }
  StoreLevel(*s, level, picture, hasAlpha);
}

GLint gluBuild2DMipmaps(GLenum target, GLint internalFormat, GLsizei width, GLsizei height,
                        GLenum format, GLenum type, const void* data) {
  GlState* s = Usable();
  if (s == nullptr) return GLU_INVALID_OPERATION;
  if (width < 1 || height < 1) return GLU_INVALID_VALUE;
  bool hasAlpha = false;
  const int components = StoredComponents(internalFormat, &hasAlpha);
  if (target != GL_TEXTURE_2D || type != GL_UNSIGNED_BYTE || components == 0 || data == nullptr) {
    return GLU_INVALID_ENUM;
  }
  if (width > kMaxTextureSize || height > kMaxTextureSize) return GLU_INVALID_VALUE;
  const std::vector<Picture> levels =
      MipmapChain(static_cast<const unsigned char*>(data), width, height, format,
                  s->unpackAlignment, s->transfer, components);
  if (levels.empty()) return GLU_INVALID_ENUM;
  for (std::size_t level = 0; level < levels.size(); ++level) {
    StoreLevel(*s, static_cast<GLint>(level), levels[level], hasAlpha);
  }
  return 0;
}

void glPixelStorei(GLenum pname, GLint param) {
  GlState* s = Usable();
  if (s == nullptr) return;
  if (pname != GL_UNPACK_ALIGNMENT && pname != GL_PACK_ALIGNMENT) {
    RecordError(GL_INVALID_ENUM);
    return;
  }
  if (param != 1 && param != 2 && param != 4 && param != 8) {
    RecordError(GL_INVALID_VALUE);
    return;
  }
  (pname == GL_UNPACK_ALIGNMENT ? s->unpackAlignment : s->packAlignment) = param;
}

void glPixelTransferf(GLenum pname, GLfloat param) {
  GlState* s = Usable();
  if (s == nullptr) return;
  PixelTransfer& t = s->transfer;
  switch (pname) {
    case GL_RED_SCALE:
      t.scale[0] = param;
      break;
    case GL_GREEN_SCALE:
      t.scale[1] = param;
      break;
    case GL_BLUE_SCALE:
      t.scale[2] = param;
      break;
    case GL_ALPHA_SCALE:
      t.scale[3] = param;
      break;
    case GL_RED_BIAS:
      t.bias[0] = param;
      break;
    case GL_GREEN_BIAS:
      t.bias[1] = param;
      break;
    case GL_BLUE_BIAS:
      t.bias[2] = param;
      break;
    case GL_ALPHA_BIAS:
      t.bias[3] = param;
      break;
    default:
      RecordError(GL_INVALID_ENUM);
      break;
  }
}

void glPixelTransferi(GLenum pname, GLint param) {
  glPixelTransferf(pname, static_cast<GLfloat>(param));
}

// ---- Texture environments ----

void glTexEnvf(GLenum target, GLenum pname, GLfloat param) {
  SetScalar(SetEnvironment, GL_TEXTURE_ENV_COLOR, target, pname, param);
}

void glTexEnvi(GLenum target, GLenum pname, GLint param) {
  SetScalar(SetEnvironment, GL_TEXTURE_ENV_COLOR, target, pname, static_cast<GLfloat>(param));
}

void glTexEnvfv(GLenum target, GLenum pname, const GLfloat* params) {
  SetEnvironment(target, pname, params);
}

void glTexEnviv(GLenum target, GLenum pname, const GLint* params) {
  SetIntegers(SetEnvironment, GL_TEXTURE_ENV_COLOR, target, pname, params);
}

// ---- Texture units (GL_ARB_multitexture) ----

void glActiveTextureARB(GLenum texture) {
  GlState* s = Usable();
  if (s == nullptr) return;
  const int unit = UnitOf(texture);
  if (unit >= 0) s->activeUnit = unit;
}

void glClientActiveTextureARB(GLenum texture) {
  GlState* s = Usable();
  if (s == nullptr) return;
  const int unit = UnitOf(texture);
  if (unit >= 0) s->clientActiveUnit = unit;
}

void glMultiTexCoord1fARB(GLenum target, GLfloat s) {
  SetTexCoord(UnitOf(target), s, 0.0f, 0.0f, 1.0f);
}
void glMultiTexCoord2fARB(GLenum target, GLfloat s, GLfloat t) {
  SetTexCoord(UnitOf(target), s, t, 0.0f, 1.0f);
}
void glMultiTexCoord3fARB(GLenum target, GLfloat s, GLfloat t, GLfloat r) {
  SetTexCoord(UnitOf(target), s, t, r, 1.0f);
}
void glMultiTexCoord4fARB(GLenum target, GLfloat s, GLfloat t, GLfloat r, GLfloat q) {
  SetTexCoord(UnitOf(target), s, t, r, q);
}
void glMultiTexCoord2fvARB(GLenum target, const GLfloat* v) {
  SetTexCoord(UnitOf(target), v[0], v[1], 0.0f, 1.0f);
}
void glMultiTexCoord4fvARB(GLenum target, const GLfloat* v) {
  SetTexCoord(UnitOf(target), v[0], v[1], v[2], v[3]);
}

void glTexCoord2f(GLfloat s, GLfloat t) {
  SetTexCoord(0, s, t, 0.0f, 1.0f);
}
void glTexCoord2fv(const GLfloat* v) {
  SetTexCoord(0, v[0], v[1], 0.0f, 1.0f);
}
