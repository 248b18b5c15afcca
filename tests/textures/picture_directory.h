// A scratch working directory holding a Pic/ folder of small solid-colour
// pictures, one per scene file, for tests that load the texture sets.
#pragma once

#include <array>
#include <string>

struct SolidColor {
  unsigned char r, g, b;
};

// Colours of the fixture pictures, by loading order: floor, day lamp, night
// lamp, wall, upper ledge, lower ledge, bump. All different, and none pure
// red or pure blue.
extern const std::array<SolidColor, 7> kFixtureColors;
extern const std::array<const char*, 7> kSceneFiles;

// Writes a width x height 24-bit bitmap of one colour.
void WriteSolidBitmap(const std::string& path, int width, int height, SolidColor color);

// Makes the directory, fills Pic/ and makes it the working directory; the
// destructor goes back and removes it all.
class PictureDirectory {
 public:
  explicit PictureDirectory(int size = 8);
  ~PictureDirectory();
  PictureDirectory(const PictureDirectory&) = delete;
  PictureDirectory& operator=(const PictureDirectory&) = delete;

  // Pic/<file> rewritten as a solid picture, or deleted.
  void Write(const char* file, SolidColor color, int size = 8) const;
  void Remove(const char* file) const;

 private:
  std::string root_;
  std::string previous_;
};
