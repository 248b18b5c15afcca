// The texture sets of the room and the picture files they are built from:
// one table of the seven files under Pic/, in loading order, each with the
// set it fills. Plain variables, no GL calls, so that the picture generator
// and the tests read the same list as the program. The sets are built by
// LoadTextureSets (render/texture_loading.h) once per rendering context.
#pragma once

#include <cstddef>

// Three texture names of one picture: nearest (0), linear (1) and
// mipmapped (2). Zero names until a context's sets are built. The names are
// GLuint, which is unsigned int wherever there is OpenGL; spelled so, this
// header needs no platform header (windows.h brings macros such as `near`
// into every tool that reads the table).
struct TextureSet {
  unsigned int names[3];
};

extern TextureSet gFloorSet;
extern TextureSet gBumpSet;
extern TextureSet gInvertedBumpSet;  // built, never drawn
extern TextureSet gLampDaySet;
extern TextureSet gLampNightSet;
extern TextureSet gWallSet;
extern TextureSet gUpperRightSet;
extern TextureSet gLowerRightSet;

// One picture file and the set made from it. The bump picture's row is the
// one that names an inverted set: that picture is uploaded at half intensity
// into `set`, then inverted into `invertedSet`.
struct TextureFile {
  const char* path;  // relative to the working directory
  TextureSet* set;
  TextureSet* invertedSet;  // the bump picture only; null for every other row
};

constexpr std::size_t kTextureFileCount = 7;
// In loading order.
extern const TextureFile kTextureFiles[kTextureFileCount];

inline bool IsBumpPicture(const TextureFile& file) {
  return file.invertedSet != nullptr;
}

// Gives every set zero names again, as at process start (tests run the
// program many times in one process).
void ResetTextureSets();
