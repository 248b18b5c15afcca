// The OpenGL 1.1 subset the program draws with, translated onto WebGL 2 in
// the browser, with the results desktop OpenGL gives: immediate mode,
// matrices, lighting, the vertex stage, state and queries. Textures and
// texture units are in web_gl_textures.cpp, the fragment programs in
// web_gl_programs.cpp.
//
// Implements:
// - Immediate mode: glBegin/glEnd of every primitive type (quads, quad strips
//   and polygons split into triangles as desktop OpenGL splits them, with its
//   flat-shading colours), glVertex2f/3f/3fv, glNormal3f/3fv, glColor3f/4f/3fv/4fv;
//   the current normal, colour and texture coordinates persist between
//   primitives as in OpenGL.
// - Matrices: glMatrixMode (modelview, projection, the active unit's
//   texture matrix), glLoadIdentity, glLoadMatrixf, glMultMatrixf,
//   glPushMatrix/glPopMatrix (stack depths 32, 2 and 2), glRotatef,
//   glTranslatef, glScalef, gluPerspective.
// - Lighting: eight lights with glLightfv's ambient, diffuse, specular and
//   position (taken into eye space by the modelview matrix when set;
//   positional and directional), the default material and light model
//   (global ambient 0.2, infinite viewer, one-sided), per vertex (Gouraud,
//   or flat by glShadeModel). No attenuation or spots.
// - The vertex stage (transform, lighting, texture matrices and clipping at
//   the near plane) runs on the CPU with desktop OpenGL's arithmetic
//   (web_fixed_function.h); WebGL rasterises, textures and depth-tests.
// - State: glEnable/glDisable/glIsEnabled of lighting, lights, the active
//   unit's 2D texturing, and WebGL's own capabilities; glClear,
//   glClearColor, glClearDepth, glDepthFunc, glDepthMask, glViewport,
//   glShadeModel, glHint (accepted), glGetIntegerv/glGetFloatv of the values
//   above, glGetString (the extension string lists GL_ARB_multitexture and
//   GL_EXT_texture_env_combine, which the layer implements), glGetError,
//   glFlush, glFinish; wglGetProcAddress's entry points.
// Leaves out: display lists, vertex arrays, materials and the light model's
// settings (the defaults hold), attenuation and spotlights, fog, clip
// planes, stipples, selection and feedback, accumulation buffers and
// glDrawPixels; glReadPixels reads 8-bit RGB and RGBA only, and only before
// the frame is presented (WebGL keeps no drawing buffer after that). What is
// not implemented does not link, or records GL_INVALID_ENUM when it is an
// unknown value of an implemented call.
#include <GL/glu.h>
#include <webgl/webgl1.h>
#include <webgl/webgl2.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/web_gl_state.h"

namespace halden_web {
namespace {

GlState* gCurrent = nullptr;

// Vertices the stream buffer holds: several frames of the room.
constexpr GLsizeiptr kVertexBufferSize = 16384;

const char kExtensions[] = "GL_ARB_multitexture GL_EXT_texture_env_combine";

MatrixStack& CurrentStack(GlState& s) {
  switch (s.matrixMode) {
    case GL_PROJECTION:
      return s.projection;
    case GL_TEXTURE:
      return s.units[s.activeUnit].matrix;
    default:
      return s.modelview;
  }
}

void MultiplyCurrent(const Matrix& by) {
  GlState* s = Usable();
  if (s == nullptr) return;
  Matrix& top = CurrentStack(*s).Top();
  top = MultiplyMatrices(top, by);
}

// Splits `count` vertices of `primitive` into what WebGL draws: GL_POINTS,
// GL_LINES or GL_TRIANGLES. Each point, line or triangle is its vertex
// indices followed by the index of the vertex whose colour a flat-shaded
// primitive takes in OpenGL (the last of a line, triangle or quad, the first
// of a polygon). Quads and polygons are split into fans from their first
// vertex, as desktop OpenGL (Mesa) splits them, which decides how a smooth
// quad's colours are interpolated.
GLenum Decompose(GLenum primitive, GLuint count, std::vector<GLuint>& out) {
  out.clear();
  auto line = [&out](GLuint a, GLuint b) { out.insert(out.end(), {a, b, b}); };
  auto triangle = [&out](GLuint a, GLuint b, GLuint c, GLuint flat) {
    out.insert(out.end(), {a, b, c, flat});
  };
  switch (primitive) {
    case GL_POINTS:
      for (GLuint i = 0; i < count; ++i) out.insert(out.end(), {i, i});
      return GL_POINTS;
    case GL_LINES:
      for (GLuint i = 0; i + 1 < count; i += 2) line(i, i + 1);
      return GL_LINES;
    case GL_LINE_STRIP:
    case GL_LINE_LOOP:
      for (GLuint i = 0; i + 1 < count; ++i) line(i, i + 1);
      if (primitive == GL_LINE_LOOP && count > 2) line(count - 1, 0);
      return GL_LINES;
    case GL_TRIANGLES:
      for (GLuint i = 0; i + 2 < count; i += 3) triangle(i, i + 1, i + 2, i + 2);
      return GL_TRIANGLES;
    case GL_TRIANGLE_STRIP:
      // Every other triangle is turned back so that all keep one winding.
      for (GLuint i = 0; i + 2 < count; ++i) {
        if (i % 2 == 0) {
          triangle(i, i + 1, i + 2, i + 2);
        } else {
          triangle(i + 1, i, i + 2, i + 2);
        }
      }
      return GL_TRIANGLES;
    case GL_TRIANGLE_FAN:
      for (GLuint i = 1; i + 1 < count; ++i) triangle(0, i, i + 1, i + 1);
      return GL_TRIANGLES;
    case GL_QUADS:
      for (GLuint q = 0; q + 3 < count; q += 4) {
        triangle(q, q + 1, q + 2, q + 3);
        triangle(q, q + 2, q + 3, q + 3);
      }
      return GL_TRIANGLES;
    case GL_QUAD_STRIP:
      // Quad q has the corners q, q+1, q+3, q+2 in order.
      for (GLuint q = 0; q + 3 < count; q += 2) {
        triangle(q, q + 1, q + 3, q + 3);
        triangle(q, q + 3, q + 2, q + 3);
      }
      return GL_TRIANGLES;
    case GL_POLYGON:
      for (GLuint i = 1; i + 1 < count; ++i) triangle(0, i, i + 1, 0);
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
  float normalMatrix[9];
  if (s.lighting) NormalMatrix(modelview, normalMatrix);
  s.processed.resize(s.vertices.size());
  for (std::size_t i = 0; i < s.vertices.size(); ++i) {
    const Vertex& in = s.vertices[i];
    ClipVertex& out = s.processed[i];
    float eye[4];
    TransformPoint(modelview, in.position, eye);
    TransformPoint(projection, eye, out.position);
    for (int unit = 0; unit < kTextureUnits; ++unit) {
      TransformPoint(s.units[unit].matrix.Top(), in.texCoord[unit], out.texCoord[unit]);
    }
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
  for (std::size_t first = 0; first + corners < s.indices.size(); first += corners + 1) {
    ClipVertex v[3];
    for (std::size_t k = 0; k < corners; ++k) v[k] = s.processed[s.indices[first + k]];
    if (s.shadeModel == GL_FLAT) {
      const ClipVertex& provoking = s.processed[s.indices[first + corners]];
      for (std::size_t k = 0; k < corners; ++k) {
        std::memcpy(v[k].color, provoking.color, sizeof v[k].color);
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

  Sampling sampling[kTextureUnits];
  for (int unit = 0; unit < kTextureUnits; ++unit) sampling[unit] = UnitSampling(s, unit);
  const Program* program = FragmentProgram(s, sampling);
  if (program == nullptr) {
    RecordError(GL_OUT_OF_MEMORY);
    return;
  }
  emscripten_glUseProgram(program->id);
  BindUnits(s, *program, sampling);
  emscripten_glBindVertexArray(s.vertexArray);
  // Each primitive goes to the buffer after the last one, so that no upload
  // overwrites vertices a draw still in flight reads; when the buffer is
  // full it is replaced by a fresh one (WebGL drops the old one once drawn).
  const auto count = static_cast<GLsizeiptr>(s.clipped.size());
  emscripten_glBindBuffer(GL_ARRAY_BUFFER, s.vertexBuffer);
  if (s.vertexUsed + count > s.vertexCapacity) {
    s.vertexCapacity = count > kVertexBufferSize ? count : kVertexBufferSize;
    emscripten_glBufferData(GL_ARRAY_BUFFER,
                            s.vertexCapacity * static_cast<GLsizeiptr>(sizeof(ClipVertex)), nullptr,
                            GL_STREAM_DRAW);
    s.vertexUsed = 0;
  }
  emscripten_glBufferSubData(GL_ARRAY_BUFFER,
                             s.vertexUsed * static_cast<GLsizeiptr>(sizeof(ClipVertex)),
                             count * static_cast<GLsizeiptr>(sizeof(ClipVertex)), s.clipped.data());
  emscripten_glDrawArrays(mode, static_cast<GLint>(s.vertexUsed), static_cast<GLsizei>(count));
  s.vertexUsed += count;
  emscripten_glBindVertexArray(0);
}

void AddVertex(GLfloat x, GLfloat y, GLfloat z, GLfloat w) {
  if (gCurrent == nullptr || !gCurrent->inBegin) return;  // ignored outside glBegin/glEnd
  Vertex v;
  v.position[0] = x, v.position[1] = y, v.position[2] = z, v.position[3] = w;
  std::memcpy(v.normal, gCurrent->normal, sizeof v.normal);
  std::memcpy(v.color, gCurrent->color, sizeof v.color);
  for (int unit = 0; unit < kTextureUnits; ++unit) {
    std::memcpy(v.texCoord[unit], gCurrent->units[unit].texCoord, sizeof v.texCoord[unit]);
  }
  gCurrent->vertices.push_back(v);
}

// Capabilities WebGL has under the same names, passed straight through.
bool IsWebglCapability(GLenum cap) {
  switch (cap) {
    case GL_BLEND:
    case GL_CULL_FACE:
    case GL_DEPTH_TEST:
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
  GlState* s = Usable();
  if (s == nullptr) return;
  if (cap >= GL_LIGHT0 && cap < GL_LIGHT0 + kMaxLights) {
    s->lights[cap - GL_LIGHT0].enabled = on;
  } else if (cap == GL_LIGHTING) {
    s->lighting = on;
  } else if (cap == GL_TEXTURE_2D) {
    s->units[s->activeUnit].enabled = on;
  } else if (IsWebglCapability(cap)) {
    on ? emscripten_glEnable(cap) : emscripten_glDisable(cap);
  } else {
    RecordError(GL_INVALID_ENUM);
  }
}

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
    case GL_MAX_TEXTURE_UNITS_ARB:
      out[0] = kTextureUnits;
      return true;
    case GL_ACTIVE_TEXTURE_ARB:
      out[0] = static_cast<GLint>(GL_TEXTURE0_ARB) + s.activeUnit;
      return true;
    case GL_CLIENT_ACTIVE_TEXTURE_ARB:
      out[0] = static_cast<GLint>(GL_TEXTURE0_ARB) + s.clientActiveUnit;
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
      out[0] = static_cast<GLint>(s.units[s.activeUnit].matrix.Depth());
      return true;
    case GL_MATRIX_MODE:
      out[0] = static_cast<GLint>(s.matrixMode);
      return true;
    case GL_TEXTURE_BINDING_2D:
      out[0] = static_cast<GLint>(s.units[s.activeUnit].bound);
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

GlState* Current() {
  return gCurrent;
}

void RecordError(GLenum error) {
  if (gCurrent != nullptr && gCurrent->error == GL_NO_ERROR) gCurrent->error = error;
}

GlState* Usable() {
  if (gCurrent == nullptr) return nullptr;
  if (gCurrent->inBegin) {
    RecordError(GL_INVALID_OPERATION);
    return nullptr;
  }
  return gCurrent;
}

GlState* CreateGlState() {
  auto* s = new GlState;
  // The program the room needs first, built now, so that a WebGL that cannot
  // build it fails the context rather than the first frame.
  const Sampling plain[kTextureUnits] = {Sampling::kSampler, Sampling::kOff};
  InitialiseTextures(*s);
  if (FragmentProgram(*s, plain) == nullptr) {
    ReleaseTextures(*s);
    delete s;
    return nullptr;
  }
  emscripten_glGenVertexArrays(1, &s->vertexArray);
  emscripten_glGenBuffers(1, &s->vertexBuffer);
  emscripten_glBindVertexArray(s->vertexArray);
  emscripten_glBindBuffer(GL_ARRAY_BUFFER, s->vertexBuffer);
  const auto stride = static_cast<GLsizei>(sizeof(ClipVertex));
  struct Layout {
    GLuint attribute;
    std::size_t offset;
  };
  const Layout layout[] = {
      {kPositionAttribute, offsetof(ClipVertex, position)},
      {kColorAttribute, offsetof(ClipVertex, color)},
      {kTexCoordAttribute, offsetof(ClipVertex, texCoord)},
      {kTexCoordAttribute + 1, offsetof(ClipVertex, texCoord) + sizeof(ClipVertex::texCoord[0])}};
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
  emscripten_glGetIntegerv(GL_VIEWPORT, s->viewport);
  return s;
}

void DestroyGlState(GlState* state) {
  if (state == nullptr) return;
  ReleaseTextures(*state);
  ReleasePrograms(*state);
  emscripten_glDeleteBuffers(1, &state->vertexBuffer);
  emscripten_glDeleteVertexArrays(1, &state->vertexArray);
  if (gCurrent == state) gCurrent = nullptr;
  delete state;
}

void SetCurrentGlState(GlState* state) {
  gCurrent = state;
}

GlState* CurrentGlState() {
  return gCurrent;
}

void* ExtensionEntryPoint(const char* name) {
  struct Entry {
    const char* name;
    void* address;
  };
  // The entry points the extension string promises.
  static const Entry kEntries[] = {
      {"glActiveTextureARB", reinterpret_cast<void*>(&glActiveTextureARB)},
      {"glClientActiveTextureARB", reinterpret_cast<void*>(&glClientActiveTextureARB)},
      {"glMultiTexCoord1fARB", reinterpret_cast<void*>(&glMultiTexCoord1fARB)},
      {"glMultiTexCoord2fARB", reinterpret_cast<void*>(&glMultiTexCoord2fARB)},
      {"glMultiTexCoord3fARB", reinterpret_cast<void*>(&glMultiTexCoord3fARB)},
      {"glMultiTexCoord4fARB", reinterpret_cast<void*>(&glMultiTexCoord4fARB)},
      {"glMultiTexCoord2fvARB", reinterpret_cast<void*>(&glMultiTexCoord2fvARB)},
      {"glMultiTexCoord4fvARB", reinterpret_cast<void*>(&glMultiTexCoord4fvARB)},
  };
  for (const Entry& entry : kEntries) {
    if (std::strcmp(entry.name, name) == 0) return entry.address;
  }
  return nullptr;
}

}  // namespace halden_web

using namespace halden_web;

// ---- Immediate mode ----

void glBegin(GLenum mode) {
  GlState* s = Usable();
  if (s == nullptr) return;
  std::vector<GLuint> unused;
  if (Decompose(mode, 0, unused) == GL_NONE) {
    RecordError(GL_INVALID_ENUM);
    return;
  }
  s->inBegin = true;
  s->primitive = mode;
  s->vertices.clear();
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

void glColor4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha) {
  if (gCurrent == nullptr) return;
  GLfloat* c = gCurrent->color;
  c[0] = red, c[1] = green, c[2] = blue, c[3] = alpha;
}
void glColor3f(GLfloat red, GLfloat green, GLfloat blue) {
  glColor4f(red, green, blue, 1.0f);
}
void glColor3fv(const GLfloat* v) {
  glColor4f(v[0], v[1], v[2], 1.0f);
}
void glColor4fv(const GLfloat* v) {
  glColor4f(v[0], v[1], v[2], v[3]);
}

// ---- Matrices ----

void glMatrixMode(GLenum mode) {
  GlState* s = Usable();
  if (s == nullptr) return;
  if (mode != GL_MODELVIEW && mode != GL_PROJECTION && mode != GL_TEXTURE) {
    RecordError(GL_INVALID_ENUM);
    return;
  }
  s->matrixMode = mode;
}

void glLoadIdentity(void) {
  GlState* s = Usable();
  if (s != nullptr) CurrentStack(*s).Top() = IdentityMatrix();
}

void glLoadMatrixf(const GLfloat* m) {
  GlState* s = Usable();
  if (s != nullptr) std::memcpy(CurrentStack(*s).Top().m, m, sizeof(Matrix::m));
}

void glMultMatrixf(const GLfloat* m) {
  Matrix by;
  std::memcpy(by.m, m, sizeof by.m);
  MultiplyCurrent(by);
}

void glPushMatrix(void) {
  GlState* s = Usable();
  if (s != nullptr && !CurrentStack(*s).Push()) RecordError(GL_STACK_OVERFLOW);
}

void glPopMatrix(void) {
  GlState* s = Usable();
  if (s != nullptr && !CurrentStack(*s).Pop()) RecordError(GL_STACK_UNDERFLOW);
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
  GlState* s = Usable();
  if (s == nullptr) return;
  if (light < GL_LIGHT0 || light >= GL_LIGHT0 + kMaxLights) {
    RecordError(GL_INVALID_ENUM);
    return;
  }
  LightSource& l = s->lights[light - GL_LIGHT0];
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
      TransformPoint(s->modelview.Top(), params, l.position);
      break;
    default:
      RecordError(GL_INVALID_ENUM);
      break;
  }
}

// ---- State ----

void glEnable(GLenum cap) {
  SetCapability(cap, true);
}

void glDisable(GLenum cap) {
  SetCapability(cap, false);
}

GLboolean glIsEnabled(GLenum cap) {
  GlState* s = Usable();
  if (s == nullptr) return GL_FALSE;
  if (cap >= GL_LIGHT0 && cap < GL_LIGHT0 + kMaxLights) {
    return s->lights[cap - GL_LIGHT0].enabled ? GL_TRUE : GL_FALSE;
  }
  if (cap == GL_LIGHTING) return s->lighting ? GL_TRUE : GL_FALSE;
  if (cap == GL_TEXTURE_2D) return s->units[s->activeUnit].enabled ? GL_TRUE : GL_FALSE;
  if (IsWebglCapability(cap)) return emscripten_glIsEnabled(cap);
  RecordError(GL_INVALID_ENUM);
  return GL_FALSE;
}

void glShadeModel(GLenum mode) {
  GlState* s = Usable();
  if (s == nullptr) return;
  if (mode != GL_FLAT && mode != GL_SMOOTH) {
    RecordError(GL_INVALID_ENUM);
    return;
  }
  s->shadeModel = mode;
}

void glHint(GLenum target, GLenum mode) {
  if (Usable() == nullptr) return;
  // Hints change nothing here: interpolation is always perspective-correct.
  (void)target;
  if (mode != GL_FASTEST && mode != GL_NICEST && mode != GL_DONT_CARE) {
    RecordError(GL_INVALID_ENUM);
  }
}

void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha) {
  GlState* s = Usable();
  if (s == nullptr) return;
  const GLfloat colour[4] = {red, green, blue, alpha};
  std::memcpy(s->clearColor, colour, sizeof colour);
  emscripten_glClearColor(red, green, blue, alpha);
}

void glClearDepth(GLclampd depth) {
  GlState* s = Usable();
  if (s == nullptr) return;
  s->clearDepth = static_cast<GLfloat>(depth);
  emscripten_glClearDepthf(s->clearDepth);
}

void glClear(GLbitfield mask) {
  if (Usable() == nullptr) return;
  const GLbitfield known = GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT;
  if ((mask & ~(known | GL_ACCUM_BUFFER_BIT)) != 0) {
    RecordError(GL_INVALID_VALUE);
    return;
  }
  emscripten_glClear(mask & known);  // there is no accumulation buffer to clear
}

void glDepthFunc(GLenum func) {
  GlState* s = Usable();
  if (s == nullptr) return;
  if (func < GL_NEVER || func > GL_ALWAYS) {
    RecordError(GL_INVALID_ENUM);
    return;
  }
  s->depthFunc = func;
  emscripten_glDepthFunc(func);
}

void glDepthMask(GLboolean flag) {
  if (Usable() != nullptr) emscripten_glDepthMask(flag);
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
  GlState* s = Usable();
  if (s == nullptr) return;
  if (width < 0 || height < 0) {
    RecordError(GL_INVALID_VALUE);
    return;
  }
  const GLint viewport[4] = {x, y, width, height};
  std::memcpy(s->viewport, viewport, sizeof viewport);
  emscripten_glViewport(x, y, width, height);
}

void glGetIntegerv(GLenum pname, GLint* params) {
  GlState* s = Usable();
  if (s != nullptr && !QueryIntegers(*s, pname, params)) RecordError(GL_INVALID_ENUM);
}

void glGetFloatv(GLenum pname, GLfloat* params) {
  GlState* s = Usable();
  if (s == nullptr) return;
  switch (pname) {
    case GL_MODELVIEW_MATRIX:
      std::memcpy(params, s->modelview.Top().m, sizeof(Matrix::m));
      return;
    case GL_PROJECTION_MATRIX:
      std::memcpy(params, s->projection.Top().m, sizeof(Matrix::m));
      return;
    case GL_TEXTURE_MATRIX:
      std::memcpy(params, s->units[s->activeUnit].matrix.Top().m, sizeof(Matrix::m));
      return;
    case GL_COLOR_CLEAR_VALUE:
      std::memcpy(params, s->clearColor, sizeof s->clearColor);
      return;
    case GL_DEPTH_CLEAR_VALUE:
      params[0] = s->clearDepth;
      return;
    case GL_CURRENT_COLOR:
      std::memcpy(params, s->color, sizeof s->color);
      return;
    case GL_CURRENT_NORMAL:
      std::memcpy(params, s->normal, sizeof s->normal);
      return;
    case GL_CURRENT_TEXTURE_COORDS:
      std::memcpy(params, s->units[s->activeUnit].texCoord, sizeof s->units[0].texCoord);
      return;
    case GL_RED_SCALE:
      params[0] = s->transfer.scale[0];
      return;
    case GL_GREEN_SCALE:
      params[0] = s->transfer.scale[1];
      return;
    case GL_BLUE_SCALE:
      params[0] = s->transfer.scale[2];
      return;
    case GL_ALPHA_SCALE:
      params[0] = s->transfer.scale[3];
      return;
    default:
      break;
  }
  GLint values[4];
  if (QueryIntegers(*s, pname, values)) {
    const int count = pname == GL_VIEWPORT ? 4 : 1;
    for (int i = 0; i < count; ++i) params[i] = static_cast<GLfloat>(values[i]);
    return;
  }
  RecordError(GL_INVALID_ENUM);
}

const GLubyte* glGetString(GLenum name) {
  if (Usable() == nullptr) return nullptr;
  switch (name) {
    case GL_VENDOR:
      return reinterpret_cast<const GLubyte*>("Halden");
    case GL_RENDERER:
      return reinterpret_cast<const GLubyte*>("OpenGL 1.1 on WebGL 2");
    case GL_VERSION:
      return reinterpret_cast<const GLubyte*>("1.1 Halden");
    case GL_EXTENSIONS:
      return reinterpret_cast<const GLubyte*>(kExtensions);
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

void glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type,
                  GLvoid* pixels) {
  GlState* s = Usable();
  if (s == nullptr) return;
  if ((format != GL_RGB && format != GL_RGBA) || type != GL_UNSIGNED_BYTE) {
    RecordError(GL_INVALID_ENUM);
    return;
  }
  if (width < 0 || height < 0) {
    RecordError(GL_INVALID_VALUE);
    return;
  }
  // WebGL reads RGBA rows tightly; they are laid out as the pack alignment says.
  std::vector<unsigned char> rgba(static_cast<std::size_t>(width) * height * 4);
  emscripten_glPixelStorei(GL_PACK_ALIGNMENT, 1);
  emscripten_glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  const int components = format == GL_RGBA ? 4 : 3;
  const std::size_t rowBytes = static_cast<std::size_t>(width) * components;
  const std::size_t stride =
      (rowBytes + s->packAlignment - 1) / s->packAlignment * s->packAlignment;
  auto* out = static_cast<unsigned char*>(pixels);
  for (GLsizei row = 0; row < height; ++row) {
    for (GLsizei column = 0; column < width; ++column) {
      const unsigned char* from = &rgba[(static_cast<std::size_t>(row) * width + column) * 4];
      std::memcpy(out + row * stride + static_cast<std::size_t>(column) * components, from,
                  static_cast<std::size_t>(components));
    }
  }
}

void glFlush(void) {
  if (Usable() != nullptr) emscripten_glFlush();
}

void glFinish(void) {
  if (Usable() != nullptr) emscripten_glFinish();
}
