// A scratch working directory holding a Pic/ folder of small solid-colour
// pictures, one for each file of the program's table (kTextureFiles), for
// tests that load the texture sets.
#pragma once

#include <string>

#include "render/texture_sets.h"

struct SolidColor {
  unsigned char r, g, b;
};

// The colour of the fixture picture that fills `set` (for both bump sets,
// the bump picture's: all 200). The colours are all different, and none is
// pure red or pure blue.
SolidColor FixtureColor(const TextureSet& set);

// The row of kTextureFiles that fills `set` (for the inverted bump set, the
// bump picture's row).
const TextureFile& TextureFileOf(const TextureSet& set);

// Writes a width x height 24-bit bitmap of one colour.
void WriteSolidBitmap(const std::string& path, int width, int height, SolidColor color);

// Makes the directory, writes every file of the table into it and makes it
// the working directory; the destructor goes back and removes it all.
class PictureDirectory {
 public:
  explicit PictureDirectory(int size = 8);
  ~PictureDirectory();
  PictureDirectory(const PictureDirectory&) = delete;
  PictureDirectory& operator=(const PictureDirectory&) = delete;

  // The table's file at `path` (as "Pic/wall.bmp") rewritten as a solid
  // picture, or deleted.
  void Write(const char* path, SolidColor color, int size = 8) const;
  void Remove(const char* path) const;

 private:
  std::string root_;
  std::string previous_;
};
