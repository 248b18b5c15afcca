// A stand-in for the immediate-mode OpenGL calls the room's emitters make:
// linked instead of libGL, it records each call so that tests can compare
// the exact stream of normals, texture coordinates and vertices, and the room
// plan can draw the vertices the program would send.
#pragma once

#include <GL/gl.h>

#include <ostream>
#include <vector>

namespace recorder {

enum class Kind { kBegin, kEnd, kNormal, kTexCoord, kVertex };

struct Call {
  Kind kind;
  GLenum mode;    // glBegin only
  float x, y, z;  // normal, texture coordinate (x, y) or vertex

  bool operator==(const Call& other) const {
    return kind == other.kind && mode == other.mode && x == other.x && y == other.y && z == other.z;
  }
};

std::ostream& operator<<(std::ostream& out, const Call& call);

// Every call since the last Clear, in order.
const std::vector<Call>& Calls();
void Clear();

}  // namespace recorder
