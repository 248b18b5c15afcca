// The room's seven emitters. The tile counts follow from single-precision
// loop counters tested against bounds that are mostly doubles: a counter
// that lands a rounding step above a bound stops the loop one tile early
// (or not), so the float types and the double bounds below are deliberate.
#include "render/room_geometry.h"

#include "platform/win32_api.h"

namespace {

// Every emitter but the ceiling and back wall walks the room's depth in
// steps of 2, from the back wall at -10 to the open end at 10.
constexpr GLfloat kZStart = -10.0f;
constexpr GLfloat kZEnd = 10.0f;
constexpr GLfloat kZStep = 2.0f;

// Vertical strips are 0.1 high (single precision).
constexpr GLfloat kStripHeight = 0.1f;

// The ledges' horizontal faces are 0.05 wide; the step is a double, and the
// counter is rounded back to single precision after each step.
constexpr GLfloat kLedgeStart = 1.1f;
constexpr double kLedgeBound = 1.15;
constexpr double kLedgeStep = 0.05;

// One vertical strip per (z, y) on the plane x = `plane`, y running from
// `yStart` while below `yBound` (a double). The normal is issued once per z
// step. `extent` is how many copies of the texture each strip carries along
// each axis.
void EmitVerticalStrips(GLfloat plane, GLfloat yStart, double yBound, GLfloat normalX,
                        GLfloat extent) {
  for (GLfloat z = kZStart; z < kZEnd; z += kZStep) {
    glNormal3f(normalX, 0.0f, 0.0f);
    const GLfloat zNear = z + kZStep;
    for (GLfloat y = yStart; y < yBound; y += kStripHeight) {
      const GLfloat yTop = y + kStripHeight;
      glTexCoord2f(extent, 0.0f);
      glVertex3f(plane, y, zNear);
      glTexCoord2f(extent, extent);
      glVertex3f(plane, yTop, zNear);
      glTexCoord2f(0.0f, extent);
      glVertex3f(plane, yTop, z);
      glTexCoord2f(0.0f, 0.0f);
      glVertex3f(plane, y, z);
    }
  }
}

// One horizontal strip per (z, x) on the plane y = `height`, spanning z to
// z + `depth` (depth is +2 or -2), x over the ledge's two steps.
void EmitHorizontalStrips(GLfloat height, GLfloat depth) {
  for (GLfloat z = kZStart; z < kZEnd; z += kZStep) {
    glNormal3f(0.0f, 1.0f, 0.0f);
    const GLfloat zOther = z + depth;
    for (GLfloat x = kLedgeStart; x <= kLedgeBound; x = static_cast<GLfloat>(x + kLedgeStep)) {
      const GLfloat xEnd = static_cast<GLfloat>(x + kLedgeStep);
      glTexCoord2f(1.0f, 0.0f);
      glVertex3f(xEnd, height, zOther);
      glTexCoord2f(1.0f, 1.0f);
      glVertex3f(xEnd, height, z);
      glTexCoord2f(0.0f, 1.0f);
      glVertex3f(x, height, z);
      glTexCoord2f(0.0f, 0.0f);
      glVertex3f(x, height, zOther);
    }
  }
}

void EmitVerticalBlock(GLfloat plane, GLfloat yStart, double yBound, GLfloat normalX,
                       GLfloat extent) {
  glBegin(GL_QUADS);
  EmitVerticalStrips(plane, yStart, yBound, normalX, extent);
  glEnd();
}

void EmitHorizontalBlock(GLfloat height, GLfloat depth) {
  glBegin(GL_QUADS);
  EmitHorizontalStrips(height, depth);
  glEnd();
}

}  // namespace

void EmitCeiling() {
  glBegin(GL_QUADS);
  for (GLfloat z = kZStart; z < kZEnd; z += 5.0f) {
    glNormal3f(0.0f, -1.0f, 0.0f);
    const GLfloat zNear = z + 5.0f;
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(1.2f, 1.2f, zNear);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(1.2f, 1.2f, z);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-1.0f, 1.2f, z);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-1.0f, 1.2f, zNear);
  }
  glEnd();
}

void EmitFloor() {
  glBegin(GL_QUADS);
  for (GLfloat z = kZStart; z < kZEnd; z += kZStep) {
    glNormal3f(0.0f, 1.0f, 0.0f);
    const GLfloat zNear = z + kZStep;
    // Bounded by the double 1.2: the fifth column starts at 1.0 and so
    // reaches 1.5, past the right wall.
    for (GLfloat x = -1.0f; x < 1.2; x += 0.5f) {
      const GLfloat xEnd = x + 0.5f;
      glTexCoord2f(1.0f, 0.0f);
      glVertex3f(xEnd, -1.2f, zNear);
      glTexCoord2f(1.0f, 1.0f);
      glVertex3f(xEnd, -1.2f, z);
      glTexCoord2f(0.0f, 1.0f);
      glVertex3f(x, -1.2f, z);
      glTexCoord2f(0.0f, 0.0f);
      glVertex3f(x, -1.2f, zNear);
    }
  }
  glEnd();
}

void EmitBackWall() {
  glBegin(GL_QUADS);
  glNormal3f(0.0f, 0.0f, 1.0f);
  glTexCoord2f(1.0f, 1.0f);
  glVertex3f(1.2f, 1.2f, -10.0f);
  glTexCoord2f(1.0f, 0.0f);
  glVertex3f(1.2f, -1.2f, -10.0f);
  glTexCoord2f(0.0f, 0.0f);
  glVertex3f(-1.0f, -1.2f, -10.0f);
  glTexCoord2f(0.0f, 1.0f);
  glVertex3f(-1.0f, 1.2f, -10.0f);
  glEnd();
}

void EmitLeftWall() {
  // The last strip starts a rounding step above 1.1 and ends just above the
  // ceiling plane.
  EmitVerticalBlock(-1.0f, -1.2f, 1.2, 1.0f, 1.0f);
}

void EmitLowerLedge() {
  // The front face repeats its texture 5 by 5 on every strip.
  EmitVerticalBlock(1.1f, -1.2f, -0.4, -1.0f, 5.0f);
  EmitVerticalBlock(1.2f, -1.2f, -0.4, -1.0f, 1.0f);
  EmitHorizontalBlock(-0.4f, 2.0f);
  EmitHorizontalBlock(-1.2f, 2.0f);
}

void EmitUpperLedge() {
  // The counter reaches the single-precision 1.2, which is above the double
  // 1.2, so the faces are four strips high. The horizontal faces span z - 2
  // to z, from -12 to 8.
  EmitVerticalBlock(1.1f, 0.8f, 1.2, -1.0f, 1.0f);
  EmitVerticalBlock(1.2f, 0.8f, 1.2, -1.0f, 1.0f);
  EmitHorizontalBlock(0.8f, -2.0f);
  EmitHorizontalBlock(1.2f, -2.0f);
}

void EmitRightPanel() {
  // Its normal points out of the room, away from every light.
  EmitVerticalBlock(1.2f, -0.4f, 0.8, 1.0f, 1.0f);
}
