// picgen: writes the scene's seven pictures into a directory (Pic/ by
// default). The committed pictures are exactly what this program writes.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/picture_generator.h"

int main(int argc, char** argv) {
  const std::string directory = argc > 1 ? argv[1] : "Pic";
  for (std::size_t i = 0; i < kPictureCount; ++i) {
    const std::string path = directory + "/" + kPictureNames[i];
    const std::vector<std::uint8_t> bytes = MakePictureFile(i);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
      std::fprintf(stderr, "picgen: cannot write %s\n", path.c_str());
      return 1;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !written) {
      std::fprintf(stderr, "picgen: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
