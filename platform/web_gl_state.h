// The state of the browser layer's OpenGL 1.1 pipeline, shared by its files:
// web_gl.cpp (immediate mode, matrices, lights, state and queries),
// web_gl_textures.cpp (texture objects, uploads, texture environments and
// the texture units) and web_gl_programs.cpp (the WebGL programs that
// texture and combine fragments).
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "platform/web_fixed_function.h"
#include "platform/web_gl_context.h"

namespace halden_web {

constexpr int kMaxLights = 8;
constexpr std::size_t kModelviewDepth = 32;
constexpr std::size_t kProjectionDepth = 2;
constexpr std::size_t kTextureDepth = 2;
constexpr GLint kMaxTextureSize = 2048;

struct TextureObject {
  GLuint webgl = 0;
  GLint minFilter = GL_NEAREST_MIPMAP_LINEAR;
  GLint magFilter = GL_LINEAR;
  GLint wrapS = GL_REPEAT;
  GLint wrapT = GL_REPEAT;
  GLfloat border[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  bool hasAlpha = false;  // the base format of level 0 keeps alpha
  // Sizes of the levels uploaded so far (0 by 0 when absent), for the
  // completeness rule.
  std::vector<std::pair<int, int>> levels;
};

// glTexEnv's state of one unit, with GL_EXT_texture_env_combine's defaults.
struct TextureEnvironment {
  GLenum mode = GL_MODULATE;
  GLfloat color[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  GLenum combineRgb = GL_MODULATE;
  GLenum combineAlpha = GL_MODULATE;
  GLenum sourceRgb[3] = {GL_TEXTURE, GL_PREVIOUS_EXT, GL_CONSTANT_EXT};
  GLenum sourceAlpha[3] = {GL_TEXTURE, GL_PREVIOUS_EXT, GL_CONSTANT_EXT};
  GLenum operandRgb[3] = {GL_SRC_COLOR, GL_SRC_COLOR, GL_SRC_ALPHA};
  GLenum operandAlpha[3] = {GL_SRC_ALPHA, GL_SRC_ALPHA, GL_SRC_ALPHA};
  GLfloat rgbScale = 1.0f;
  GLfloat alphaScale = 1.0f;
};

struct TextureUnit {
  bool enabled = false;  // GL_TEXTURE_2D
  GLuint bound = 0;
  MatrixStack matrix{kTextureDepth};
  GLfloat texCoord[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  TextureEnvironment environment;
};

// One vertex as the program gave it, in object space.
struct Vertex {
  GLfloat position[4];
  GLfloat normal[3];
  GLfloat color[4];
  GLfloat texCoord[kTextureUnits][4];
};

// How one unit's texel is fetched.
enum class Sampling { kOff, kSampler, kBorder };

// A fragment program: the WebGL program and its uniforms.
struct Program {
  GLuint id = 0;
  GLint texture[kTextureUnits] = {-1, -1};
  GLint wrap[kTextureUnits] = {-1, -1};
  GLint borderColor[kTextureUnits] = {-1, -1};
  GLint environmentColor[kTextureUnits] = {-1, -1};
};

struct GlState {
  std::map<std::string, Program> programs;  // by the text of what they do
  GLuint vertexArray = 0;
  GLuint vertexBuffer = 0;
  GLsizeiptr vertexCapacity = 0;  // in vertices
  GLsizeiptr vertexUsed = 0;

  GLenum error = GL_NO_ERROR;

  GLenum matrixMode = GL_MODELVIEW;
  MatrixStack modelview{kModelviewDepth};
  MatrixStack projection{kProjectionDepth};

  bool lighting = false;
  LightSource lights[kMaxLights];
  GLenum shadeModel = GL_SMOOTH;

  std::map<GLuint, TextureObject> textures;  // 0 is the default texture
  GLuint nextTextureName = 1;
  TextureUnit units[kTextureUnits];
  int activeUnit = 0;
  int clientActiveUnit = 0;

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
  std::vector<Vertex> vertices;
  // The vertex stage's output and what is drawn of it.
  std::vector<ClipVertex> processed;
  std::vector<GLuint> indices;
  std::vector<ClipVertex> clipped;
};

// The state the entry points act on (null: no current context).
GlState* Current();
// Records the first error since glGetError last read it.
void RecordError(GLenum error);
// The current state, or null (with GL_INVALID_OPERATION recorded) between
// glBegin and glEnd, where most calls are refused.
GlState* Usable();

// ---- Textures (web_gl_textures.cpp) ----

// The default texture and the state of every unit, in a new context.
void InitialiseTextures(GlState& s);
void ReleaseTextures(GlState& s);
// The texture bound to a unit; never null.
TextureObject& BoundTexture(GlState& s, int unit);
// How the unit's texel is fetched for a fragment: off when the unit is
// disabled or its texture incomplete (OpenGL then skips the unit).
Sampling UnitSampling(GlState& s, int unit);
// Binds every enabled unit's texture to its WebGL unit and sets the
// program's texturing uniforms.
void BindUnits(GlState& s, const Program& program, const Sampling sampling[kTextureUnits]);

// ---- Programs (web_gl_programs.cpp) ----

// The program that textures and combines fragments as the units say; null
// when WebGL cannot build it.
const Program* FragmentProgram(GlState& s, const Sampling sampling[kTextureUnits]);
void ReleasePrograms(GlState& s);

// Attribute places in every program.
enum Attribute : GLuint { kPositionAttribute = 0, kColorAttribute = 1, kTexCoordAttribute = 2 };

}  // namespace halden_web
