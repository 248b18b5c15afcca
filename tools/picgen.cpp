// picgen: writes the scene's seven pictures into a directory (Pic/ by
// default), or with --icons the program's icons (packaging/icons/). The
// committed files are exactly what this program writes.
//
//   picgen [DIR]
//   picgen --icons DIR
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/icon_generator.h"
#include "tools/picture_generator.h"

namespace {

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    std::fprintf(stderr, "picgen: cannot write %s\n", path.c_str());
    return false;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (std::fclose(file) != 0 || !written) {
    std::fprintf(stderr, "picgen: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

// The file's name within Pic/, where the table's paths point.
std::string FileName(const char* path) {
  const std::string whole = path;
  return whole.substr(whole.find_last_of('/') + 1);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--icons") == 0) {
    if (argc != 3) {
      std::fprintf(stderr, "usage: picgen --icons DIR\n");
      return 2;
    }
    const std::string directory = argv[2];
    for (int size : kIconSizes) {
      if (!WriteFile(directory + "/" + IconPngName(size), MakeIconPng(size))) return 1;
    }
    return WriteFile(directory + "/" + kIconFileName, MakeIconFile()) ? 0 : 1;
  }
  const std::string directory = argc > 1 ? argv[1] : "Pic";
  for (const TextureFile& file : kTextureFiles) {
    const std::vector<std::uint8_t> bytes = MakePictureFile(file);
    if (bytes.empty()) {
      std::fprintf(stderr, "picgen: no drawing for %s\n", file.path);
      return 1;
    }
    if (!WriteFile(directory + "/" + FileName(file.path), bytes)) return 1;
  }
  return 0;
}
