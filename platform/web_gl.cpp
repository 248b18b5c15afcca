// The OpenGL 1.1 subset the program draws with, translated onto WebGL 2 in
// the browser, with the results desktop OpenGL gives.
//
// Implements:
// - Immediate mode: glBegin/glEnd of every primitive type (quads, quad strips
//   and polygons split into triangles that end on the vertex desktop OpenGL
//   takes for flat shading), glVertex2f/3f/3fv, glNormal3f/3fv,
//   glTexCoord2f/2fv, glColor3f/4f; the current normal, colour and texture
//   coordinate persist between primitives as in OpenGL.
// - Matrices: glMatrixMode (modelview, projection, texture), glLoadIdentity,
//   glLoadMatrixf, glMultMatrixf, glPushMatrix/glPopMatrix (stack depths 32,
//   2 and 2), glRotatef, glTranslatef, glScalef, gluPerspective.
// - Lighting: eight lights with glLightfv's ambient, diffuse, specular and
//   position (taken into eye space by the modelview matrix when set;
//   positional and directional), the default material and light model
//   (global ambient 0.2, infinite viewer, one-sided), per vertex (Gouraud,
//   or flat by glShadeModel). No attenuation or spots.
// - The vertex stage (transform, lighting, texture matrix and clipping at the
//   near plane) runs on the CPU with desktop OpenGL's arithmetic
//   (web_fixed_function.h); WebGL rasterises, textures and depth-tests.
// - Textures: glGenTextures/glBindTexture/glDeleteTextures with object 0 as a
//   texture of its own, glTexParameteri/f/iv/fv (filters; wrapping with
//   GL_REPEAT, GL_CLAMP_TO_EDGE and GL_CLAMP with its border colour, which
//   WebGL does not have and the fragment shader does), glTexImage2D of 8-bit
//   RGB, RGBA, luminance and luminance-alpha pictures at any unpack
//   alignment, through glPixelTransferf's scales and biases,
//   gluBuild2DMipmaps (GLU's box-filtered halving, each level through the
//   pixel transfer as GLU's own uploads go), GL_MODULATE texturing, and
//   OpenGL's completeness rule (an incomplete texture switches texturing off).
// - State: glEnable/glDisable/glIsEnabled of lighting, lights, 2D texturing,
//   and WebGL's own capabilities; glClear, glClearColor, glClearDepth,
//   glDepthFunc, glDepthMask, glViewport, glShadeModel, glHint (accepted),
//   glPixelStorei (pack and unpack alignment), glGetIntegerv/glGetFloatv of
//   the values above, glGetString (the extension string lists what is
//   implemented here), glGetError, glFlush, glFinish.
// Leaves out: display lists, vertex arrays, materials and the light model's
// settings (the defaults hold), attenuation and spotlights, texture
// environments other than GL_MODULATE, texture borders in the picture
// itself (border 1), 1D and 3D textures, GL_CLAMP's border colour on
// mipmapped filtering (it clamps to the edge there), fog, clip planes,
// stipples, selection and feedback, accumulation buffers, glReadPixels and
// glDrawPixels. What is not implemented does not link, or records
// GL_INVALID_ENUM when it is an unknown value of an implemented call.
#include <GL/gl.h>
#include <GL/glu.h>
#include <webgl/webgl1.h>
#include <webgl/webgl2.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/web_fixed_function.h"
#include "platform/web_gl_context.h"

namespace halden_web {
namespace {

constexpr int kMaxLights = 8;
constexpr std::size_t kModelviewDepth = 32;
constexpr std::size_t kProjectionDepth = 2;
constexpr std::size_t kTextureDepth = 2;
constexpr GLint kMaxTextureSize = 2048;

// Wrapping modes as the fragment shader numbers them.
constexpr int kWrapRepeat = 0;
constexpr int kWrapClampToEdge = 1;
constexpr int kWrapClampToBorder = 2;

// How a fragment is textured.
constexpr int kTexturingOff = 0;
constexpr int kTexturingSampler = 1;  // WebGL filters and wraps
constexpr int kTexturingBorder = 2;   // bilinear with GL_CLAMP's border, in the shader

// Vertices arrive transformed, lit and clipped at the near plane (see
// web_fixed_function.h): WebGL only rasterises, filters and textures.
const char kVertexShader[] = R"(#version 300 es
precision highp float;
in vec4 aPosition;
in vec4 aColor;
in vec4 aTexCoord;
out vec4 vColor;
out vec4 vTexCoord;

void main() {
  gl_Position = aPosition;
  vColor = aColor;
  vTexCoord = aTexCoord;
}
)";

// One program per way of texturing (TEXTURING, defined ahead of this text),
// so that no fragment pays for a branch.
const char kFragmentShader[] = R"(
precision highp float;
precision highp int;
in vec4 vColor;
in vec4 vTexCoord;
uniform sampler2D uTexture;
uniform ivec2 uWrap;  // per axis: 0 repeat, 1 clamp to edge, 2 clamp to border
uniform vec4 uBorderColor;
out vec4 fragColor;

#if TEXTURING == 2
// One axis of a texel's place: wrapped, clamped, or -1 past the border.
int Place(int p, int size, int wrap) {
  if (wrap == 0) return p - size * int(floor(float(p) / float(size)));
  if (wrap == 1) return clamp(p, 0, size - 1);
  return p < 0 || p >= size ? -1 : p;
}

vec4 Texel(int x, int y) {
  return x < 0 || y < 0 ? uBorderColor : texelFetch(uTexture, ivec2(x, y), 0);
}

// One axis of the filter's position, in texels, as OpenGL clamps it.
float Position(float s, int size, int wrap) {
  if (wrap == 2) return clamp(s, 0.0, 1.0) * float(size) - 0.5;
  if (wrap == 1) return clamp(s * float(size), 0.5, float(size) - 0.5) - 0.5;
  return s * float(size) - 0.5;
}

// Bilinear filtering of level 0 as OpenGL defines it, so that GL_CLAMP
// blends the edge texels with the border colour.
vec4 SampleWithBorder(vec2 st) {
  ivec2 size = textureSize(uTexture, 0);
  vec2 u = vec2(Position(st.x, size.x, uWrap.x), Position(st.y, size.y, uWrap.y));
  vec2 base = floor(u);
  vec2 weight = u - base;
  int x0 = Place(int(base.x), size.x, uWrap.x), x1 = Place(int(base.x) + 1, size.x, uWrap.x);
  int y0 = Place(int(base.y), size.y, uWrap.y), y1 = Place(int(base.y) + 1, size.y, uWrap.y);
  return mix(mix(Texel(x0, y0), Texel(x1, y0), weight.x),
             mix(Texel(x0, y1), Texel(x1, y1), weight.x), weight.y);
}
#endif

void main() {
#if TEXTURING == 0
  fragColor = vColor;
#elif TEXTURING == 1
  fragColor = vColor * texture(uTexture, vTexCoord.xy / vTexCoord.w);  // GL_MODULATE
#else
  fragColor = vColor * SampleWithBorder(vTexCoord.xy / vTexCoord.w);
#endif
}
)";

struct TextureObject {
  GLuint webgl = 0;
  GLint minFilter = GL_NEAREST_MIPMAP_LINEAR;
  GLint magFilter = GL_LINEAR;
  GLint wrapS = GL_REPEAT;
  GLint wrapT = GL_REPEAT;
  GLfloat border[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  // Sizes of the levels uploaded so far (0 by 0 when absent), for the
  // completeness rule.
  std::vector<std::pair<int, int>> levels;
};

// One vertex as the program gave it, in object space.
struct Vertex {
  GLfloat position[4];
  GLfloat normal[3];
  GLfloat color[4];
  GLfloat texCoord[4];
};

enum Attribute : GLuint { kPosition = 0, kColor = 1, kTexCoord = 2 };

struct Program {
  GLuint id = 0;
  GLint texture = -1, wrap = -1, borderColor = -1;
};

constexpr int kTexturingModes = 3;

}  // namespace

struct GlState {
  Program programs[kTexturingModes];  // by texturing mode
  GLuint vertexArray = 0;
  GLuint vertexBuffer = 0;
  GLsizeiptr vertexCapacity = 0;

  GLenum error = GL_NO_ERROR;

  GLenum matrixMode = GL_MODELVIEW;
  MatrixStack modelview{kModelviewDepth};
  MatrixStack projection{kProjectionDepth};
  MatrixStack texture{kTextureDepth};

  bool lighting = false;
  LightSource lights[kMaxLights];
  bool texture2D = false;
  GLenum shadeModel = GL_SMOOTH;

  std::map<GLuint, TextureObject> textures;  // 0 is the default texture
  GLuint nextTextureName = 1;
  GLuint boundTexture = 0;

  GLint unpackAlignment = 4;
  GLint packAlignment = 4;
  PixelTransfer transfer;

  GLfloat clearColor[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  GLfloat clearDepth = 1.0f;
  GLenum depthFunc = GL_LESS;
  GLint viewport[4] = {0, 0, 0, 0};

  // Immediate mode.
  bool inBegin = false;
  GLenum primitive = GL_TRIANGLES;
  GLfloat normal[3] = {0.0f, 0.0f, 1.0f};
  GLfloat color[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  GLfloat texCoord[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  std::vector<Vertex> vertices;
  // The vertex stage's output and what is drawn of it.
  std::vector<ClipVertex> processed;
  std::vector<GLuint> indices;
  std::vector<ClipVertex> clipped;

  std::string extensions;
};

namespace {

GlState* gCurrent = nullptr;

void RecordError(GLenum error) {
  if (gCurrent != nullptr && gCurrent->error == GL_NO_ERROR) gCurrent->error = error;
}

// Most calls are refused between glBegin and glEnd.
bool Usable() {
  if (gCurrent == nullptr) return false;
  if (gCurrent->inBegin) {
    RecordError(GL_INVALID_OPERATION);
    return false;
  }
  return true;
}

MatrixStack& CurrentStack(GlState& s) {
  switch (s.matrixMode) {
    case GL_PROJECTION:
      return s.projection;
    case GL_TEXTURE:
      return s.texture;
    default:
      return s.modelview;
  }
}

void MultiplyCurrent(const Matrix& by) {
  if (!Usable()) return;
  Matrix& top = CurrentStack(*gCurrent).Top();
  top = MultiplyMatrices(top, by);
}

GLuint CompileShader(GLenum kind, const char* source) {
  const GLuint shader = emscripten_glCreateShader(kind);
  const GLchar* sources[] = {source};
  emscripten_glShaderSource(shader, 1, sources, nullptr);
  emscripten_glCompileShader(shader);
  GLint compiled = GL_FALSE;
  emscripten_glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
  if (compiled != GL_TRUE) {
    emscripten_glDeleteShader(shader);
    return 0;
  }
  return shader;
}

bool BuildProgram(Program& program, int texturing) {
  const std::string fragmentSource =
      "#version 300 es\n#define TEXTURING " + std::to_string(texturing) + "\n" + kFragmentShader;
  const GLuint vertex = CompileShader(GL_VERTEX_SHADER, kVertexShader);
  const GLuint fragment = CompileShader(GL_FRAGMENT_SHADER, fragmentSource.c_str());
  if (vertex == 0 || fragment == 0) {
    if (vertex != 0) emscripten_glDeleteShader(vertex);
    if (fragment != 0) emscripten_glDeleteShader(fragment);
    return false;
  }
  const GLuint id = emscripten_glCreateProgram();
  emscripten_glAttachShader(id, vertex);
  emscripten_glAttachShader(id, fragment);
  emscripten_glBindAttribLocation(id, kPosition, "aPosition");
  emscripten_glBindAttribLocation(id, kColor, "aColor");
  emscripten_glBindAttribLocation(id, kTexCoord, "aTexCoord");
  emscripten_glLinkProgram(id);
  emscripten_glDeleteShader(vertex);
  emscripten_glDeleteShader(fragment);
  GLint linked = GL_FALSE;
  emscripten_glGetProgramiv(id, GL_LINK_STATUS, &linked);
  if (linked != GL_TRUE) {
    emscripten_glDeleteProgram(id);
    return false;
  }
  program.id = id;
  program.texture = emscripten_glGetUniformLocation(id, "uTexture");
  program.wrap = emscripten_glGetUniformLocation(id, "uWrap");
  program.borderColor = emscripten_glGetUniformLocation(id, "uBorderColor");
  emscripten_glUseProgram(id);
  emscripten_glUniform1i(program.texture, 0);
  return true;
}

TextureObject* BoundTexture(GlState& s) {
  auto found = s.textures.find(s.boundTexture);
  return found == s.textures.end() ? nullptr : &found->second;
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

int WrapCode(GLint wrap) {
  if (wrap == GL_CLAMP) return kWrapClampToBorder;
  if (wrap == GL_CLAMP_TO_EDGE) return kWrapClampToEdge;
  return kWrapRepeat;
}

GLint WebglWrap(GLint wrap) {
  return wrap == GL_REPEAT ? GL_REPEAT : GL_CLAMP_TO_EDGE;
}

// How the bound texture is applied (kTexturingOff when it is not).
int TexturingMode(GlState& s) {
  const TextureObject* t = BoundTexture(s);
  if (!s.texture2D || t == nullptr || !IsComplete(*t)) return kTexturingOff;
  const bool border = t->wrapS == GL_CLAMP || t->wrapT == GL_CLAMP;
  // GL_CLAMP differs from clamping to the edge only where linear filtering
  // reaches past the edge, and the shader filters level 0 only.
  const bool linearOnly = t->minFilter == GL_LINEAR && t->magFilter == GL_LINEAR;
  return border && linearOnly ? kTexturingBorder : kTexturingSampler;
}

void SetBorderUniforms(const Program& p, GlState& s) {
  const TextureObject* t = BoundTexture(s);
  emscripten_glUniform2i(p.wrap, WrapCode(t->wrapS), WrapCode(t->wrapT));
  emscripten_glUniform4fv(p.borderColor, 1, t->border);
}

// Indices of the triangles (or lines, points) that draw `count` vertices of
// `primitive`, and what they are drawn as: GL_TRIANGLES, GL_LINES or
// GL_POINTS. Each triangle ends on the vertex that gives a flat-shaded
// primitive its colour in OpenGL (the last of a triangle or quad, the first of
// a polygon), and quads are split along the diagonal from their second to
// their fourth vertex.
GLenum Decompose(GLenum primitive, GLuint count, std::vector<GLuint>& out) {
  out.clear();
  switch (primitive) {
    case GL_POINTS:
      for (GLuint i = 0; i < count; ++i) out.push_back(i);
      return GL_POINTS;
    case GL_LINES:
      for (GLuint i = 0; i + 1 < count; i += 2) out.push_back(i), out.push_back(i + 1);
      return GL_LINES;
    case GL_LINE_STRIP:
    case GL_LINE_LOOP:
      for (GLuint i = 0; i + 1 < count; ++i) out.push_back(i), out.push_back(i + 1);
      if (primitive == GL_LINE_LOOP && count > 2) out.push_back(count - 1), out.push_back(0);
      return GL_LINES;
    case GL_TRIANGLES:
      for (GLuint i = 0; i + 2 < count; i += 3) {
        out.push_back(i), out.push_back(i + 1), out.push_back(i + 2);
      }
      return GL_TRIANGLES;
    case GL_TRIANGLE_STRIP:
      for (GLuint i = 0; i + 2 < count; ++i) {
        // Every other triangle is turned back so that all keep one winding.
        if (i % 2 == 0) {
          out.push_back(i), out.push_back(i + 1), out.push_back(i + 2);
        } else {
          out.push_back(i + 1), out.push_back(i), out.push_back(i + 2);
        }
      }
      return GL_TRIANGLES;
    case GL_TRIANGLE_FAN:
      for (GLuint i = 1; i + 1 < count; ++i)
        out.push_back(0), out.push_back(i), out.push_back(i + 1);
      return GL_TRIANGLES;
    case GL_QUADS:
      for (GLuint q = 0; q + 3 < count; q += 4) {
        const GLuint quad[6] = {q, q + 1, q + 3, q + 1, q + 2, q + 3};
        out.insert(out.end(), quad, quad + 6);
      }
      return GL_TRIANGLES;
    case GL_QUAD_STRIP:
      for (GLuint q = 0; q + 3 < count; q += 2) {
        // Quad q: q, q+1, q+3, q+2; its flat colour comes from q+3.
        const GLuint quad[6] = {q, q + 1, q + 3, q + 2, q, q + 3};
        out.insert(out.end(), quad, quad + 6);
      }
      return GL_TRIANGLES;
    case GL_POLYGON:
      for (GLuint i = 1; i + 1 < count; ++i)
        out.push_back(i), out.push_back(i + 1), out.push_back(0);
      return GL_TRIANGLES;
    default:
      return GL_NONE;
  }
}

// The vertex stage: eye space, lighting, clip space and texture coordinates
// of every vertex of the primitive.
void ProcessVertices(GlState& s) {
  const Matrix& modelview = s.modelview.Top();
  const Matrix& projection = s.projection.Top();
  const Matrix& textureMatrix = s.texture.Top();
  float normalMatrix[9];
  if (s.lighting) NormalMatrix(modelview, normalMatrix);
  s.processed.resize(s.vertices.size());
  for (std::size_t i = 0; i < s.vertices.size(); ++i) {
    const Vertex& in = s.vertices[i];
    ClipVertex& out = s.processed[i];
    float eye[4];
    TransformPoint(modelview, in.position, eye);
    TransformPoint(projection, eye, out.position);
    TransformPoint(textureMatrix, in.texCoord, out.texCoord);
    if (s.lighting) {
      float normal[3];
      for (int row = 0; row < 3; ++row) {
        normal[row] = normalMatrix[row] * in.normal[0] + normalMatrix[3 + row] * in.normal[1] +
                      normalMatrix[6 + row] * in.normal[2];
      }
      LightVertex(eye, normal, s.lights, kMaxLights, out.color);
    } else {
      for (int c = 0; c < 4; ++c) {
        out.color[c] = in.color[c] < 0.0f ? 0.0f : (in.color[c] > 1.0f ? 1.0f : in.color[c]);
      }
    }
  }
}

void DrawImmediate(GlState& s) {
  const GLenum mode = Decompose(s.primitive, static_cast<GLuint>(s.vertices.size()), s.indices);
  if (mode == GL_NONE || s.indices.empty()) return;
  ProcessVertices(s);

  const std::size_t corners = mode == GL_TRIANGLES ? 3 : (mode == GL_LINES ? 2 : 1);
  s.clipped.clear();
  for (std::size_t first = 0; first + corners <= s.indices.size(); first += corners) {
    ClipVertex v[3];
    for (std::size_t k = 0; k < corners; ++k) v[k] = s.processed[s.indices[first + k]];
    if (s.shadeModel == GL_FLAT) {
      // The whole primitive takes the colour of its last vertex.
      for (std::size_t k = 0; k + 1 < corners; ++k) {
        std::memcpy(v[k].color, v[corners - 1].color, sizeof v[k].color);
      }
    }
    if (corners == 3) {
      ClipTriangleToNearPlane(v[0], v[1], v[2], s.clipped);
    } else if (corners == 2) {
      ClipLineToNearPlane(v[0], v[1], s.clipped);
    } else if (v[0].position[2] + v[0].position[3] >= 0.0f) {
      s.clipped.push_back(v[0]);
    }
  }
  if (s.clipped.empty()) return;

  const int texturing = TexturingMode(s);
  const Program& program = s.programs[texturing];
  emscripten_glUseProgram(program.id);
  if (texturing == kTexturingBorder) SetBorderUniforms(program, s);
  emscripten_glBindVertexArray(s.vertexArray);
  const auto bytes = static_cast<GLsizeiptr>(s.clipped.size() * sizeof(ClipVertex));
  emscripten_glBindBuffer(GL_ARRAY_BUFFER, s.vertexBuffer);
  if (bytes > s.vertexCapacity) {
    s.vertexCapacity = bytes * 2;
    emscripten_glBufferData(GL_ARRAY_BUFFER, s.vertexCapacity, nullptr, GL_STREAM_DRAW);
  }
  emscripten_glBufferSubData(GL_ARRAY_BUFFER, 0, bytes, s.clipped.data());
  emscripten_glDrawArrays(mode, 0, static_cast<GLsizei>(s.clipped.size()));
  emscripten_glBindVertexArray(0);
}

void AddVertex(GLfloat x, GLfloat y, GLfloat z, GLfloat w) {
  if (gCurrent == nullptr) return;
  if (!gCurrent->inBegin) return;  // OpenGL ignores a vertex outside glBegin/glEnd
  Vertex v;
  v.position[0] = x, v.position[1] = y, v.position[2] = z, v.position[3] = w;
  std::memcpy(v.normal, gCurrent->normal, sizeof v.normal);
  std::memcpy(v.color, gCurrent->color, sizeof v.color);
  std::memcpy(v.texCoord, gCurrent->texCoord, sizeof v.texCoord);
  gCurrent->vertices.push_back(v);
}

// The internal formats glTexImage2D takes, as the number of components kept.
int StoredComponents(GLint internalFormat) {
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
      return 3;
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
      return 4;
    default:
      return 0;
  }
}

bool IsPowerOfTwoOrZero(int side) {
  return (side & (side - 1)) == 0;
}

// glTexImage2D after its checks: the picture, already in the stored
// components, goes to the bound texture's level.
void StoreLevel(GlState& s, GLint level, const Picture& picture) {
  TextureObject* t = BoundTexture(s);
  if (t == nullptr) return;
  emscripten_glBindTexture(GL_TEXTURE_2D, t->webgl);
  const bool rgba = picture.components == 4;
  emscripten_glTexImage2D(GL_TEXTURE_2D, level, rgba ? GL_RGBA8 : GL_RGB8, picture.width,
                          picture.height, 0, rgba ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE,
                          picture.pixels.empty() ? nullptr : picture.pixels.data());
  if (t->levels.size() <= static_cast<std::size_t>(level)) t->levels.resize(level + 1, {0, 0});
  t->levels[level] = {picture.width, picture.height};
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
  if (!Usable()) return;
  if (target != GL_TEXTURE_2D) {
    RecordError(GL_INVALID_ENUM);
    return;
  }
  TextureObject* t = BoundTexture(*gCurrent);
  if (t == nullptr) return;
  const auto value = static_cast<GLint>(values[0]);
  switch (pname) {
    case GL_TEXTURE_MIN_FILTER:
      if (value != GL_NEAREST && value != GL_LINEAR && value != GL_NEAREST_MIPMAP_NEAREST &&
          value != GL_LINEAR_MIPMAP_NEAREST && value != GL_NEAREST_MIPMAP_LINEAR &&
          value != GL_LINEAR_MIPMAP_LINEAR) {
        RecordError(GL_INVALID_ENUM);
        return;
      }
      t->minFilter = value;
      break;
    case GL_TEXTURE_MAG_FILTER:
      if (value != GL_NEAREST && value != GL_LINEAR) {
        RecordError(GL_INVALID_ENUM);
        return;
      }
      t->magFilter = value;
      break;
    case GL_TEXTURE_WRAP_S:
    case GL_TEXTURE_WRAP_T:
      if (value != GL_REPEAT && value != GL_CLAMP && value != GL_CLAMP_TO_EDGE) {
        RecordError(GL_INVALID_ENUM);
        return;
      }
      (pname == GL_TEXTURE_WRAP_S ? t->wrapS : t->wrapT) = value;
      break;
    case GL_TEXTURE_BORDER_COLOR:
      for (int i = 0; i < 4; ++i) {
        t->border[i] = values[i] < 0.0f ? 0.0f : (values[i] > 1.0f ? 1.0f : values[i]);
      }
      return;  // WebGL has no border colour; the shader uses it
    case GL_TEXTURE_PRIORITY:
      return;  // a hint about residency
    default:
      RecordError(GL_INVALID_ENUM);
      return;
  }
  emscripten_glBindTexture(GL_TEXTURE_2D, t->webgl);
  emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, t->minFilter);
  emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, t->magFilter);
  emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, WebglWrap(t->wrapS));
  emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, WebglWrap(t->wrapT));
}

TextureObject MakeTextureObject() {
  TextureObject t;
  emscripten_glGenTextures(1, &t.webgl);
  emscripten_glBindTexture(GL_TEXTURE_2D, t.webgl);
  emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, t.minFilter);
  emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, t.magFilter);
  emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  return t;
}

// Capabilities WebGL has under the same names, passed straight through.
bool IsWebglCapability(GLenum cap) {
  switch (cap) {
    case GL_BLEND:
    case GL_CULL_FACE:
    case GL_DITHER:
    case GL_POLYGON_OFFSET_FILL:
    case GL_SCISSOR_TEST:
    case GL_STENCIL_TEST:
      return true;
    default:
      return false;
  }
}

void SetCapability(GLenum cap, bool on) {
  if (!Usable()) return;
  GlState& s = *gCurrent;
  if (cap >= GL_LIGHT0 && cap < GL_LIGHT0 + kMaxLights) {
    s.lights[cap - GL_LIGHT0].enabled = on;
  } else if (cap == GL_LIGHTING) {
    s.lighting = on;
  } else if (cap == GL_TEXTURE_2D) {
    s.texture2D = on;
  } else if (cap == GL_DEPTH_TEST || IsWebglCapability(cap)) {
    on ? emscripten_glEnable(cap) : emscripten_glDisable(cap);
  } else {
    RecordError(GL_INVALID_ENUM);
  }
}

const char kExtensions[] = "GL_EXT_texture_object";

// Integer-valued queries; false when `pname` is not one of them.
bool QueryIntegers(GlState& s, GLenum pname, GLint* out) {
  switch (pname) {
    case GL_UNPACK_ALIGNMENT:
      out[0] = s.unpackAlignment;
      return true;
    case GL_PACK_ALIGNMENT:
      out[0] = s.packAlignment;
      return true;
    case GL_MAX_TEXTURE_SIZE:
      out[0] = kMaxTextureSize;
      return true;
    case GL_MAX_LIGHTS:
      out[0] = kMaxLights;
      return true;
    case GL_MAX_MODELVIEW_STACK_DEPTH:
      out[0] = static_cast<GLint>(kModelviewDepth);
      return true;
    case GL_MAX_PROJECTION_STACK_DEPTH:
      out[0] = static_cast<GLint>(kProjectionDepth);
      return true;
    case GL_MAX_TEXTURE_STACK_DEPTH:
      out[0] = static_cast<GLint>(kTextureDepth);
      return true;
    case GL_MODELVIEW_STACK_DEPTH:
      out[0] = static_cast<GLint>(s.modelview.Depth());
      return true;
    case GL_PROJECTION_STACK_DEPTH:
      out[0] = static_cast<GLint>(s.projection.Depth());
      return true;
    case GL_TEXTURE_STACK_DEPTH:
      out[0] = static_cast<GLint>(s.texture.Depth());
      return true;
    case GL_MATRIX_MODE:
      out[0] = static_cast<GLint>(s.matrixMode);
      return true;
    case GL_TEXTURE_BINDING_2D:
      out[0] = static_cast<GLint>(s.boundTexture);
      return true;
    case GL_SHADE_MODEL:
      out[0] = static_cast<GLint>(s.shadeModel);
      return true;
    case GL_DEPTH_FUNC:
      out[0] = static_cast<GLint>(s.depthFunc);
      return true;
    case GL_VIEWPORT:
      std::memcpy(out, s.viewport, sizeof s.viewport);
      return true;
    case GL_RED_BITS:
    case GL_GREEN_BITS:
    case GL_BLUE_BITS:
    case GL_ALPHA_BITS:
    case GL_DEPTH_BITS:
    case GL_STENCIL_BITS:
      emscripten_glGetIntegerv(pname, out);
      return true;
    default:
      return false;
  }
}

}  // namespace

GlState* CreateGlState() {
  auto* s = new GlState;
  for (int mode = 0; mode < kTexturingModes; ++mode) {
    if (!BuildProgram(s->programs[mode], mode)) {
      for (int built = 0; built < mode; ++built) emscripten_glDeleteProgram(s->programs[built].id);
      delete s;
      return nullptr;
    }
  }
  emscripten_glGenVertexArrays(1, &s->vertexArray);
  emscripten_glGenBuffers(1, &s->vertexBuffer);
  emscripten_glBindVertexArray(s->vertexArray);
  emscripten_glBindBuffer(GL_ARRAY_BUFFER, s->vertexBuffer);
  const auto stride = static_cast<GLsizei>(sizeof(ClipVertex));
  struct Layout {
    Attribute attribute;
    std::size_t offset;
  };
  const Layout layout[] = {{kPosition, offsetof(ClipVertex, position)},
                           {kColor, offsetof(ClipVertex, color)},
                           {kTexCoord, offsetof(ClipVertex, texCoord)}};
  for (const Layout& entry : layout) {
    emscripten_glEnableVertexAttribArray(entry.attribute);
    emscripten_glVertexAttribPointer(entry.attribute, 4, GL_FLOAT, GL_FALSE, stride,
                                     reinterpret_cast<const void*>(entry.offset));
  }
  emscripten_glBindVertexArray(0);

  // Pictures reach WebGL tightly packed, whatever the program's alignment.
  emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  // Light 0 is white by default, the others black.
  for (int c = 0; c < 3; ++c) s->lights[0].diffuse[c] = s->lights[0].specular[c] = 1.0f;
  s->textures[0] = MakeTextureObject();
  emscripten_glGetIntegerv(GL_VIEWPORT, s->viewport);
  s->extensions = kExtensions;
  return s;
}

void DestroyGlState(GlState* state) {
  if (state == nullptr) return;
  for (auto& entry : state->textures) emscripten_glDeleteTextures(1, &entry.second.webgl);
  emscripten_glDeleteBuffers(1, &state->vertexBuffer);
  emscripten_glDeleteVertexArrays(1, &state->vertexArray);
  for (const Program& program : state->programs) emscripten_glDeleteProgram(program.id);
  if (gCurrent == state) gCurrent = nullptr;
  delete state;
}

void SetCurrentGlState(GlState* state) {
  gCurrent = state;
}

GlState* CurrentGlState() {
  return gCurrent;
}

}  // namespace halden_web

using namespace halden_web;

// ---- Immediate mode ----

void glBegin(GLenum mode) {
  if (!Usable()) return;
  std::vector<GLuint> unused;
  if (Decompose(mode, 0, unused) == GL_NONE) {
    RecordError(GL_INVALID_ENUM);
    return;
  }
  gCurrent->inBegin = true;
  gCurrent->primitive = mode;
  gCurrent->vertices.clear();
}

void glEnd(void) {
  if (gCurrent == nullptr) return;
  if (!gCurrent->inBegin) {
    RecordError(GL_INVALID_OPERATION);
    return;
  }
  gCurrent->inBegin = false;
  DrawImmediate(*gCurrent);
  gCurrent->vertices.clear();
}

void glVertex2f(GLfloat x, GLfloat y) {
  AddVertex(x, y, 0.0f, 1.0f);
}
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
  AddVertex(x, y, z, 1.0f);
}
void glVertex3fv(const GLfloat* v) {
  AddVertex(v[0], v[1], v[2], 1.0f);
}

void glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
  if (gCurrent == nullptr) return;
  gCurrent->normal[0] = x, gCurrent->normal[1] = y, gCurrent->normal[2] = z;
}
void glNormal3fv(const GLfloat* v) {
  glNormal3f(v[0], v[1], v[2]);
}

void glTexCoord2f(GLfloat s, GLfloat t) {
  if (gCurrent == nullptr) return;
  GLfloat* c = gCurrent->texCoord;
  c[0] = s, c[1] = t, c[2] = 0.0f, c[3] = 1.0f;
}
void glTexCoord2fv(const GLfloat* v) {
  glTexCoord2f(v[0], v[1]);
}

void glColor4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha) {
  if (gCurrent == nullptr) return;
  GLfloat* c = gCurrent->color;
  c[0] = red, c[1] = green, c[2] = blue, c[3] = alpha;
}
void glColor3f(GLfloat red, GLfloat green, GLfloat blue) {
  glColor4f(red, green, blue, 1.0f);
}

// ---- Matrices ----

void glMatrixMode(GLenum mode) {
  if (!Usable()) return;
  if (mode != GL_MODELVIEW && mode != GL_PROJECTION && mode != GL_TEXTURE) {
    RecordError(GL_INVALID_ENUM);
    return;
  }
  gCurrent->matrixMode = mode;
}

void glLoadIdentity(void) {
  if (!Usable()) return;
  CurrentStack(*gCurrent).Top() = IdentityMatrix();
}

void glLoadMatrixf(const GLfloat* m) {
  if (!Usable()) return;
  std::memcpy(CurrentStack(*gCurrent).Top().m, m, sizeof(Matrix::m));
}

void glMultMatrixf(const GLfloat* m) {
  Matrix by;
  std::memcpy(by.m, m, sizeof by.m);
  MultiplyCurrent(by);
}

void glPushMatrix(void) {
  if (!Usable()) return;
  if (!CurrentStack(*gCurrent).Push()) RecordError(GL_STACK_OVERFLOW);
}

void glPopMatrix(void) {
  if (!Usable()) return;
  if (!CurrentStack(*gCurrent).Pop()) RecordError(GL_STACK_UNDERFLOW);
}

void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
  MultiplyCurrent(RotationMatrix(angle, x, y, z));
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
  MultiplyCurrent(TranslationMatrix(x, y, z));
}

void glScalef(GLfloat x, GLfloat y, GLfloat z) {
  Matrix scale = IdentityMatrix();
  scale.m[0] = x, scale.m[5] = y, scale.m[10] = z;
  MultiplyCurrent(scale);
}

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
  MultiplyCurrent(PerspectiveMatrix(fovy, aspect, zNear, zFar));
}

// ---- Lighting ----

void glLightfv(GLenum light, GLenum pname, const GLfloat* params) {
  if (!Usable()) return;
  if (light < GL_LIGHT0 || light >= GL_LIGHT0 + kMaxLights) {
    RecordError(GL_INVALID_ENUM);
    return;
  }
  LightSource& l = gCurrent->lights[light - GL_LIGHT0];
  switch (pname) {
    case GL_AMBIENT:
      std::memcpy(l.ambient, params, sizeof l.ambient);
      break;
    case GL_DIFFUSE:
      std::memcpy(l.diffuse, params, sizeof l.diffuse);
      break;
    case GL_SPECULAR:
      std::memcpy(l.specular, params, sizeof l.specular);
      break;
    case GL_POSITION:
      // Kept in eye space, as the modelview matrix stands now.
      TransformPoint(gCurrent->modelview.Top(), params, l.position);
      break;
    default:
      RecordError(GL_INVALID_ENUM);
      break;
  }
}

// ---- Textures ----

void glGenTextures(GLsizei n, GLuint* textures) {
  if (!Usable()) return;
  if (n < 0) {
    RecordError(GL_INVALID_VALUE);
    return;
  }
  for (GLsizei i = 0; i < n; ++i) {
    // Names are handed out once; the object comes with the first bind.
    while (gCurrent->textures.count(gCurrent->nextTextureName) != 0) ++gCurrent->nextTextureName;
    textures[i] = gCurrent->nextTextureName++;
  }
}

void glBindTexture(GLenum target, GLuint texture) {
  if (!Usable()) return;
  if (target != GL_TEXTURE_2D) {
    RecordError(GL_INVALID_ENUM);
    return;
  }
  GlState& s = *gCurrent;
  auto found = s.textures.find(texture);
  if (found == s.textures.end()) found = s.textures.emplace(texture, MakeTextureObject()).first;
  s.boundTexture = texture;
  emscripten_glBindTexture(GL_TEXTURE_2D, found->second.webgl);
}

void glDeleteTextures(GLsizei n, const GLuint* textures) {
  if (!Usable()) return;
  if (n < 0) {
    RecordError(GL_INVALID_VALUE);
    return;
  }
  GlState& s = *gCurrent;
  for (GLsizei i = 0; i < n; ++i) {
    if (textures[i] == 0) continue;  // the default texture stays
    auto found = s.textures.find(textures[i]);
    if (found == s.textures.end()) continue;
    emscripten_glDeleteTextures(1, &found->second.webgl);
    s.textures.erase(found);
    if (s.boundTexture == textures[i]) s.boundTexture = 0;
  }
  emscripten_glBindTexture(GL_TEXTURE_2D, BoundTexture(s)->webgl);
}

void glTexParameterf(GLenum target, GLenum pname, GLfloat param) {
  const GLfloat values[4] = {param, 0.0f, 0.0f, 0.0f};
  if (pname == GL_TEXTURE_BORDER_COLOR) {
    RecordError(GL_INVALID_ENUM);
    return;
  }
  SetTextureParameter(target, pname, values);
}

void glTexParameteri(GLenum target, GLenum pname, GLint param) {
  glTexParameterf(target, pname, static_cast<GLfloat>(param));
}

void glTexParameterfv(GLenum target, GLenum pname, const GLfloat* params) {
  SetTextureParameter(target, pname, params);
}

void glTexParameteriv(GLenum target, GLenum pname, const GLint* params) {
  GLfloat values[4] = {static_cast<GLfloat>(params[0]), 0.0f, 0.0f, 0.0f};
  if (pname == GL_TEXTURE_BORDER_COLOR) {
    // Integer colours map the full range of GLint onto 0 to 1.
    for (int i = 0; i < 4; ++i) {
      values[i] = static_cast<GLfloat>((2.0 * params[i] + 1.0) / 4294967295.0);
    }
  }
  SetTextureParameter(target, pname, values);
}

void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                  GLint border, GLenum format, GLenum type, const GLvoid* pixels) {
  if (!Usable()) return;
  if (!CheckTexImage(target, level, internalFormat, width, height, border, type)) return;
  Picture picture;
  const int components = StoredComponents(internalFormat);
  if (pixels == nullptr) {
    picture.width = width;
    picture.height = height;
    picture.components = components;
  } else if (!UnpackPicture(static_cast<const unsigned char*>(pixels), width, height, format,
                            gCurrent->unpackAlignment, gCurrent->transfer, components, picture)) {
    RecordError(GL_INVALID_ENUM);
    return;
  }
  StoreLevel(*gCurrent, level, picture);
}

GLint gluBuild2DMipmaps(GLenum target, GLint internalFormat, GLsizei width, GLsizei height,
                        GLenum format, GLenum type, const void* data) {
  if (!Usable()) return GLU_INVALID_OPERATION;
  if (width < 1 || height < 1) return GLU_INVALID_VALUE;
  const int components = StoredComponents(internalFormat);
  if (target != GL_TEXTURE_2D || type != GL_UNSIGNED_BYTE || components == 0 || data == nullptr) {
    return GLU_INVALID_ENUM;
  }
  if (width > kMaxTextureSize || height > kMaxTextureSize) return GLU_INVALID_VALUE;
  const std::vector<Picture> levels =
      MipmapChain(static_cast<const unsigned char*>(data), width, height, format,
                  gCurrent->unpackAlignment, gCurrent->transfer, components);
  if (levels.empty()) return GLU_INVALID_ENUM;
  for (std::size_t level = 0; level < levels.size(); ++level) {
    StoreLevel(*gCurrent, static_cast<GLint>(level), levels[level]);
  }
  return 0;
}

void glPixelStorei(GLenum pname, GLint param) {
  if (!Usable()) return;
  if (pname != GL_UNPACK_ALIGNMENT && pname != GL_PACK_ALIGNMENT) {
    RecordError(GL_INVALID_ENUM);
    return;
  }
  if (param != 1 && param != 2 && param != 4 && param != 8) {
    RecordError(GL_INVALID_VALUE);
    return;
  }
  (pname == GL_UNPACK_ALIGNMENT ? gCurrent->unpackAlignment : gCurrent->packAlignment) = param;
}

void glPixelTransferf(GLenum pname, GLfloat param) {
  if (!Usable()) return;
  PixelTransfer& t = gCurrent->transfer;
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

// ---- State ----

void glEnable(GLenum cap) {
  SetCapability(cap, true);
}

void glDisable(GLenum cap) {
  SetCapability(cap, false);
}

GLboolean glIsEnabled(GLenum cap) {
  if (!Usable()) return GL_FALSE;
  const GlState& s = *gCurrent;
  if (cap >= GL_LIGHT0 && cap < GL_LIGHT0 + kMaxLights) {
    return s.lights[cap - GL_LIGHT0].enabled ? GL_TRUE : GL_FALSE;
  }
  if (cap == GL_LIGHTING) return s.lighting ? GL_TRUE : GL_FALSE;
  if (cap == GL_TEXTURE_2D) return s.texture2D ? GL_TRUE : GL_FALSE;
  if (cap == GL_DEPTH_TEST || IsWebglCapability(cap)) return emscripten_glIsEnabled(cap);
  RecordError(GL_INVALID_ENUM);
  return GL_FALSE;
}

void glShadeModel(GLenum mode) {
  if (!Usable()) return;
  if (mode != GL_FLAT && mode != GL_SMOOTH) {
    RecordError(GL_INVALID_ENUM);
    return;
  }
  gCurrent->shadeModel = mode;
}

void glHint(GLenum target, GLenum mode) {
  if (!Usable()) return;
  // Hints change nothing here: interpolation is always perspective-correct.
  (void)target;
  if (mode != GL_FASTEST && mode != GL_NICEST && mode != GL_DONT_CARE) {
    RecordError(GL_INVALID_ENUM);
  }
}

void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha) {
  if (!Usable()) return;
  const GLfloat colour[4] = {red, green, blue, alpha};
  std::memcpy(gCurrent->clearColor, colour, sizeof colour);
  emscripten_glClearColor(red, green, blue, alpha);
}

void glClearDepth(GLclampd depth) {
  if (!Usable()) return;
  gCurrent->clearDepth = static_cast<GLfloat>(depth);
  emscripten_glClearDepthf(gCurrent->clearDepth);
}

void glClear(GLbitfield mask) {
  if (!Usable()) return;
  const GLbitfield known = GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT;
  if ((mask & ~(known | GL_ACCUM_BUFFER_BIT)) != 0) {
    RecordError(GL_INVALID_VALUE);
    return;
  }
  emscripten_glClear(mask & known);  // there is no accumulation buffer to clear
}

void glDepthFunc(GLenum func) {
  if (!Usable()) return;
  if (func < GL_NEVER || func > GL_ALWAYS) {
    RecordError(GL_INVALID_ENUM);
    return;
  }
  gCurrent->depthFunc = func;
  emscripten_glDepthFunc(func);
}

void glDepthMask(GLboolean flag) {
  if (!Usable()) return;
  emscripten_glDepthMask(flag);
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
  if (!Usable()) return;
  if (width < 0 || height < 0) {
    RecordError(GL_INVALID_VALUE);
    return;
  }
  const GLint viewport[4] = {x, y, width, height};
  std::memcpy(gCurrent->viewport, viewport, sizeof viewport);
  emscripten_glViewport(x, y, width, height);
}

void glGetIntegerv(GLenum pname, GLint* params) {
  if (!Usable()) return;
  if (!QueryIntegers(*gCurrent, pname, params)) RecordError(GL_INVALID_ENUM);
}

void glGetFloatv(GLenum pname, GLfloat* params) {
  if (!Usable()) return;
  const GlState& s = *gCurrent;
  switch (pname) {
    case GL_MODELVIEW_MATRIX:
      std::memcpy(params, s.modelview.Top().m, sizeof(Matrix::m));
      return;
    case GL_PROJECTION_MATRIX:
      std::memcpy(params, s.projection.Top().m, sizeof(Matrix::m));
      return;
    case GL_TEXTURE_MATRIX:
      std::memcpy(params, s.texture.Top().m, sizeof(Matrix::m));
      return;
    case GL_COLOR_CLEAR_VALUE:
      std::memcpy(params, s.clearColor, sizeof s.clearColor);
      return;
    case GL_DEPTH_CLEAR_VALUE:
      params[0] = s.clearDepth;
      return;
    case GL_CURRENT_COLOR:
      std::memcpy(params, s.color, sizeof s.color);
      return;
    case GL_CURRENT_NORMAL:
      std::memcpy(params, s.normal, sizeof s.normal);
      return;
    case GL_RED_SCALE:
    case GL_GREEN_SCALE:
    case GL_BLUE_SCALE:
    case GL_ALPHA_SCALE:
      params[0] = s.transfer.scale[pname == GL_RED_SCALE     ? 0
                                   : pname == GL_GREEN_SCALE ? 1
                                   : pname == GL_BLUE_SCALE  ? 2
                                                             : 3];
      return;
    default:
      break;
  }
  GLint values[4];
  if (QueryIntegers(*gCurrent, pname, values)) {
    const int count = pname == GL_VIEWPORT ? 4 : 1;
    for (int i = 0; i < count; ++i) params[i] = static_cast<GLfloat>(values[i]);
    return;
  }
  RecordError(GL_INVALID_ENUM);
}

const GLubyte* glGetString(GLenum name) {
  if (!Usable()) return nullptr;
  switch (name) {
    case GL_VENDOR:
      return reinterpret_cast<const GLubyte*>("Halden");
    case GL_RENDERER:
      return reinterpret_cast<const GLubyte*>("OpenGL 1.1 on WebGL 2");
    case GL_VERSION:
      return reinterpret_cast<const GLubyte*>("1.1 Halden");
    case GL_EXTENSIONS:
      return reinterpret_cast<const GLubyte*>(gCurrent->extensions.c_str());
    default:
      RecordError(GL_INVALID_ENUM);
      return nullptr;
  }
}

GLenum glGetError(void) {
  if (gCurrent == nullptr) return GL_NO_ERROR;
  if (gCurrent->error != GL_NO_ERROR) {
    const GLenum error = gCurrent->error;
    gCurrent->error = GL_NO_ERROR;
    return error;
  }
  return emscripten_glGetError();
}

void glFlush(void) {
  if (Usable()) emscripten_glFlush();
}

void glFinish(void) {
  if (Usable()) emscripten_glFinish();
}
