// Writes the loader's fuzzing seeds (the valid test fixtures) into a folder.
// Usage: bitmap_fuzz_seeds FOLDER
#include <cstdio>
#include <string>

#include "tests/image/bitmap_fixtures.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  for (const fixtures::NamedBitmap& seed : fixtures::SeedBitmaps()) {
    const std::string path = std::string(argv[1]) + "/seed_" + seed.name + ".bmp";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr ||
        std::fwrite(seed.bytes.data(), 1, seed.bytes.size(), file) != seed.bytes.size()) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
    std::fclose(file);
  }
  return 0;
}
