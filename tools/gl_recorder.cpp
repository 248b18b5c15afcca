// Records the immediate-mode calls of the room's emitters (see gl_recorder.h).
// These definitions take the place of libGL's in whatever links this library:
// the geometry test and the room plan.
#include "tools/gl_recorder.h"

#include <iomanip>

namespace recorder {
namespace {

std::vector<Call>& Stream() {
  static std::vector<Call> calls;
  return calls;
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const Call& call) {
  static const char* const kNames[] = {"glBegin", "glEnd", "glNormal3f", "glTexCoord2f",
                                       "glVertex3f"};
  out << kNames[static_cast<int>(call.kind)] << std::setprecision(9);
  switch (call.kind) {
    case Kind::kBegin:
      return out << "(0x" << std::hex << call.mode << std::dec << ")";
    case Kind::kEnd:
      return out << "()";
    case Kind::kTexCoord:
      return out << "(" << call.x << ", " << call.y << ")";
    default:
      return out << "(" << call.x << ", " << call.y << ", " << call.z << ")";
  }
}

const std::vector<Call>& Calls() {
  return Stream();
}
void Clear() {
  Stream().clear();
}

}  // namespace recorder

using recorder::Call;
using recorder::Kind;

void GLAPIENTRY glBegin(GLenum mode) {
  recorder::Stream().push_back({Kind::kBegin, mode, 0, 0, 0});
}
void GLAPIENTRY glEnd() {
  recorder::Stream().push_back({Kind::kEnd, 0, 0, 0, 0});
}
void GLAPIENTRY glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
  recorder::Stream().push_back({Kind::kNormal, 0, x, y, z});
}
void GLAPIENTRY glTexCoord2f(GLfloat s, GLfloat t) {
  recorder::Stream().push_back({Kind::kTexCoord, 0, s, t, 0});
}
void GLAPIENTRY glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
  recorder::Stream().push_back({Kind::kVertex, 0, x, y, z});
}
