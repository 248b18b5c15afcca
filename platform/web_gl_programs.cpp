// The WebGL programs of the browser layer's OpenGL 1.1 pipeline: vertices
// arrive transformed, lit and clipped (the vertex stage runs on the CPU), and
// each fragment program textures and combines exactly as the enabled units'
// texture environments say, one program per combination in use, so that no
// fragment pays for a branch.
//
// Implements: per unit, GL_MODULATE, GL_REPLACE, GL_DECAL, GL_BLEND and
// GL_EXT_texture_env_combine's GL_COMBINE_EXT (REPLACE, MODULATE, ADD,
// ADD_SIGNED, INTERPOLATE; texture, constant, primary-colour and previous
// sources with their four operands; RGB and alpha scales), on the texel as
// WebGL filters it, or, for GL_CLAMP with linear filtering, as OpenGL
// filters level 0 with the border colour.
// Leaves out: fog, alpha test and the other per-fragment operations of
// OpenGL 1.1 that WebGL does not do itself.
#include <webgl/webgl1.h>
#include <webgl/webgl2.h>

#include <string>

#include "platform/web_gl_state.h"

namespace halden_web {
namespace {

const char kVertexShader[] = R"(#version 300 es
precision highp float;
in vec4 aPosition;
in vec4 aColor;
in vec4 aTexCoord0;
in vec4 aTexCoord1;
out vec4 vColor;
out vec4 vTexCoord0;
out vec4 vTexCoord1;

void main() {
  gl_Position = aPosition;
  vColor = aColor;
  vTexCoord0 = aTexCoord0;
  vTexCoord1 = aTexCoord1;
}
)";

const char kFragmentHead[] = R"(#version 300 es
precision highp float;
precision highp int;
in vec4 vColor;
in vec4 vTexCoord0;
in vec4 vTexCoord1;
uniform sampler2D uTexture0;
uniform sampler2D uTexture1;
uniform ivec2 uWrap0;  // per axis: 0 repeat, 1 clamp to edge, 2 clamp to border
uniform ivec2 uWrap1;
uniform vec4 uBorderColor0;
uniform vec4 uBorderColor1;
uniform vec4 uEnvColor0;
uniform vec4 uEnvColor1;
out vec4 fragColor;
)";

// Bilinear filtering of level 0 as OpenGL defines it, so that GL_CLAMP blends
// the edge texels with the border colour.
const char kBorderFilter[] = R"(
int Place(int p, int size, int wrap) {
  if (wrap == 0) return p - size * int(floor(float(p) / float(size)));
  if (wrap == 1) return clamp(p, 0, size - 1);
  return p < 0 || p >= size ? -1 : p;
}

vec4 Texel(sampler2D picture, vec4 border, int x, int y) {
  return x < 0 || y < 0 ? border : texelFetch(picture, ivec2(x, y), 0);
}

float Position(float s, int size, int wrap) {
  if (wrap == 2) return clamp(s, 0.0, 1.0) * float(size) - 0.5;
  if (wrap == 1) return clamp(s * float(size), 0.5, float(size) - 0.5) - 0.5;
  return s * float(size) - 0.5;
}

vec4 SampleWithBorder(sampler2D picture, ivec2 wrap, vec4 border, vec2 st) {
  ivec2 size = textureSize(picture, 0);
  vec2 u = vec2(Position(st.x, size.x, wrap.x), Position(st.y, size.y, wrap.y));
  vec2 base = floor(u);
  vec2 weight = u - base;
  int x0 = Place(int(base.x), size.x, wrap.x), x1 = Place(int(base.x) + 1, size.x, wrap.x);
  int y0 = Place(int(base.y), size.y, wrap.y), y1 = Place(int(base.y) + 1, size.y, wrap.y);
  return mix(mix(Texel(picture, border, x0, y0), Texel(picture, border, x1, y0), weight.x),
             mix(Texel(picture, border, x0, y1), Texel(picture, border, x1, y1), weight.x),
             weight.y);
}
)";

std::string SourceValue(GLenum source) {
  switch (source) {
    case GL_TEXTURE:
      return "texel";
    case GL_CONSTANT_EXT:
      return "environment";
    case GL_PRIMARY_COLOR_EXT:
      return "vColor";
    default:
      return "previous";
  }
}

std::string RgbOperand(GLenum source, GLenum operand) {
  const std::string value = SourceValue(source);
  switch (operand) {
    case GL_ONE_MINUS_SRC_COLOR:
      return "(vec3(1.0) - " + value + ".rgb)";
    case GL_SRC_ALPHA:
      return "vec3(" + value + ".a)";
    case GL_ONE_MINUS_SRC_ALPHA:
      return "vec3(1.0 - " + value + ".a)";
    default:
      return value + ".rgb";
  }
}

std::string AlphaOperand(GLenum source, GLenum operand) {
  const std::string value = SourceValue(source);
  return operand == GL_ONE_MINUS_SRC_ALPHA ? "(1.0 - " + value + ".a)" : value + ".a";
}

std::string Combine(GLenum function, const std::string a[3]) {
  switch (function) {
    case GL_REPLACE:
      return a[0];
    case GL_ADD:
      return "(" + a[0] + " + " + a[1] + ")";
    case GL_ADD_SIGNED_EXT:
      return "(" + a[0] + " + " + a[1] + " - 0.5)";
    case GL_INTERPOLATE_EXT:
      return "(" + a[0] + " * " + a[2] + " + " + a[1] + " * (1.0 - " + a[2] + "))";
    default:
      return "(" + a[0] + " * " + a[1] + ")";
  }
}

std::string Number(GLfloat value) {
  std::string text = std::to_string(value);
  return text;
}

// The GLSL that turns `previous` into what one unit's environment makes of
// it and of `texel`.
std::string Environment(const TextureEnvironment& e, bool hasAlpha) {
  switch (e.mode) {
    case GL_REPLACE:
      return hasAlpha ? "texel" : "vec4(texel.rgb, previous.a)";
    case GL_DECAL:
      return "vec4(mix(previous.rgb, texel.rgb, texel.a), previous.a)";
    case GL_BLEND:
      return "vec4(mix(previous.rgb, environment.rgb, texel.rgb), previous.a * texel.a)";
    case GL_COMBINE_EXT: {
      std::string rgb[3], alpha[3];
      for (int i = 0; i < 3; ++i) {
        rgb[i] = RgbOperand(e.sourceRgb[i], e.operandRgb[i]);
        alpha[i] = AlphaOperand(e.sourceAlpha[i], e.operandAlpha[i]);
      }
      return "clamp(vec4(" + Combine(e.combineRgb, rgb) + " * " + Number(e.rgbScale) + ", " +
             Combine(e.combineAlpha, alpha) + " * " + Number(e.alphaScale) + "), 0.0, 1.0)";
    }
    default:  // GL_MODULATE; an RGB texel's alpha is 1, so the alpha is kept
      return "previous * texel";
  }
}

// The body of main() for the units as they stand; also the program's key.
std::string FragmentBody(GlState& s, const Sampling sampling[kTextureUnits], bool& border) {
  std::string body = "  vec4 previous = vColor;\n";
  border = false;
  for (int unit = 0; unit < kTextureUnits; ++unit) {
    if (sampling[unit] == Sampling::kOff) continue;
    const std::string n = std::to_string(unit);
    const std::string st = "vTexCoord" + n + ".xy / vTexCoord" + n + ".w";
    body += "  {\n";
    if (sampling[unit] == Sampling::kBorder) {
      border = true;
      body += "    vec4 texel = SampleWithBorder(uTexture" + n + ", uWrap" + n + ", uBorderColor" +
              n + ", " + st + ");\n";
    } else {
      body += "    vec4 texel = texture(uTexture" + n + ", " + st + ");\n";
    }
    body += "    vec4 environment = uEnvColor" + n + ";\n";
    body +=
        "    previous = " + Environment(s.units[unit].environment, BoundTexture(s, unit).hasAlpha) +
        ";\n";
    body += "  }\n";
  }
  body += "  fragColor = previous;\n";
  return body;
}

GLuint CompileShader(GLenum kind, const std::string& source) {
  const GLuint shader = emscripten_glCreateShader(kind);
  const GLchar* sources[] = {source.c_str()};
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

bool BuildProgram(const std::string& fragmentSource, Program& program) {
  const GLuint vertex = CompileShader(GL_VERTEX_SHADER, kVertexShader);
  const GLuint fragment = CompileShader(GL_FRAGMENT_SHADER, fragmentSource);
  if (vertex == 0 || fragment == 0) {
    if (vertex != 0) emscripten_glDeleteShader(vertex);
    if (fragment != 0) emscripten_glDeleteShader(fragment);
    return false;
  }
  const GLuint id = emscripten_glCreateProgram();
  emscripten_glAttachShader(id, vertex);
  emscripten_glAttachShader(id, fragment);
  emscripten_glBindAttribLocation(id, kPositionAttribute, "aPosition");
  emscripten_glBindAttribLocation(id, kColorAttribute, "aColor");
  emscripten_glBindAttribLocation(id, kTexCoordAttribute, "aTexCoord0");
  emscripten_glBindAttribLocation(id, kTexCoordAttribute + 1, "aTexCoord1");
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
  emscripten_glUseProgram(id);
  for (int unit = 0; unit < kTextureUnits; ++unit) {
    const std::string n = std::to_string(unit);
    program.texture[unit] = emscripten_glGetUniformLocation(id, ("uTexture" + n).c_str());
    program.wrap[unit] = emscripten_glGetUniformLocation(id, ("uWrap" + n).c_str());
    program.borderColor[unit] = emscripten_glGetUniformLocation(id, ("uBorderColor" + n).c_str());
    program.environmentColor[unit] = emscripten_glGetUniformLocation(id, ("uEnvColor" + n).c_str());
    emscripten_glUniform1i(program.texture[unit], unit);
  }
  return true;
}

}  // namespace

const Program* FragmentProgram(GlState& s, const Sampling sampling[kTextureUnits]) {
  bool border = false;
  const std::string body = FragmentBody(s, sampling, border);
  const auto found = s.programs.find(body);
  if (found != s.programs.end()) return &found->second;
  const std::string source = std::string(kFragmentHead) + (border ? kBorderFilter : "") +
                             "\nvoid main() {\n" + body + "}\n";
  Program program;
  if (!BuildProgram(source, program)) return nullptr;
  return &s.programs.emplace(body, program).first->second;
}

void ReleasePrograms(GlState& s) {
  for (const auto& entry : s.programs) emscripten_glDeleteProgram(entry.second.id);
  s.programs.clear();
}

}  // namespace halden_web
