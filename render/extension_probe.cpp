// The multitexture probe and the whole-token test it matches extension
// names with.
#include "render/extension_probe.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "render/view_state.h"  // gWindow, the owner of the notice

bool gMultitextureSupported = false;
bool gUseMultitexture = true;
GLint gMaxTextureUnits = 1;

PROC gMultiTexCoord1fARB = nullptr;
PROC gMultiTexCoord2fARB = nullptr;
PROC gMultiTexCoord3fARB = nullptr;
PROC gMultiTexCoord4fARB = nullptr;
PROC gActiveTextureARB = nullptr;
PROC gClientActiveTextureARB = nullptr;

bool HasExtensionToken(const char* list, const char* name) {
  const std::size_t nameLength = std::strlen(name);
  if (nameLength == 0) {
    return false;
  }
  // Compare whole tokens only: a name is not found inside a longer token,
  // nor as a prefix of one.
  const char* token = list;
  for (;;) {
    const char* newline = std::strchr(token, '\n');
    const std::size_t length =
        newline != nullptr ? static_cast<std::size_t>(newline - token) : std::strlen(token);
    if (length == nameLength && std::memcmp(token, name, length) == 0) {
      return true;
    }
    if (newline == nullptr) {
      return false;
    }
    token = newline + 1;
  }
}

bool ProbeMultitexture() {
  // The driver's string is read-only and space separated; work on a copy
  // split into lines.
  const GLubyte* extensions = glGetString(GL_EXTENSIONS);
  std::string tokens = extensions != nullptr ? reinterpret_cast<const char*>(extensions) : "";
  std::replace(tokens.begin(), tokens.end(), ' ', '\n');

  if (HasExtensionToken(tokens.c_str(), "GL_ARB_multitexture") &&
      HasExtensionToken(tokens.c_str(), "GL_EXT_texture_env_combine")) {
    glGetIntegerv(GL_MAX_TEXTURE_UNITS_ARB, &gMaxTextureUnits);
    gMultiTexCoord1fARB = wglGetProcAddress("glMultiTexCoord1fARB");
    gMultiTexCoord2fARB = wglGetProcAddress("glMultiTexCoord2fARB");
    gMultiTexCoord3fARB = wglGetProcAddress("glMultiTexCoord3fARB");
    gMultiTexCoord4fARB = wglGetProcAddress("glMultiTexCoord4fARB");
    gActiveTextureARB = wglGetProcAddress("glActiveTextureARB");
    gClientActiveTextureARB = wglGetProcAddress("glClientActiveTextureARB");
    MessageBoxA(gWindow, "The GL_ARB_multitexture extension will be used.", "feature supported!",
                MB_OK | MB_ICONINFORMATION);
    return true;
  }
  gUseMultitexture = false;
  return false;
}

void ResetProbeState() {
  gMultitextureSupported = false;
  gUseMultitexture = true;
  gMaxTextureUnits = 1;
  gMultiTexCoord1fARB = nullptr;
  gMultiTexCoord2fARB = nullptr;
  gMultiTexCoord3fARB = nullptr;
  gMultiTexCoord4fARB = nullptr;
  gActiveTextureARB = nullptr;
  gClientActiveTextureARB = nullptr;
}
