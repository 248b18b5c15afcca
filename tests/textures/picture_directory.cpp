// Scratch picture directories for the texture tests.
#include "tests/textures/picture_directory.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace {

struct FixturePicture {
  const TextureSet* set;
  SolidColor color;
};

const FixturePicture kFixturePictures[] = {
    {&gFloorSet, {220, 120, 140}},     {&gLampDaySet, {200, 200, 60}},
    {&gLampNightSet, {250, 240, 200}}, {&gWallSet, {60, 180, 90}},
    {&gUpperRightSet, {90, 60, 200}},  {&gLowerRightSet, {150, 90, 40}},
    {&gBumpSet, {200, 200, 200}},
};

void Put(std::vector<unsigned char>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

}  // namespace

const TextureFile& TextureFileOf(const TextureSet& set) {
  for (const TextureFile& file : kTextureFiles) {
    if (file.set == &set || file.invertedSet == &set) return file;
  }
  throw std::logic_error("a texture set that no file of kTextureFiles fills");
}

SolidColor FixtureColor(const TextureSet& set) {
  const TextureSet* picture = TextureFileOf(set).set;
  for (const FixturePicture& fixture : kFixturePictures) {
    if (fixture.set == picture) return fixture.color;
  }
  throw std::logic_error(std::string("no fixture colour for ") + TextureFileOf(set).path);
}

void WriteSolidBitmap(const std::string& path, int width, int height, SolidColor color) {
  const auto rowBytes = static_cast<std::uint32_t>((width * 3 + 3) & ~3);
  const std::uint32_t imageSize = rowBytes * static_cast<std::uint32_t>(height);
  std::vector<unsigned char> out = {'B', 'M'};
  Put(out, 54 + imageSize, 4);
  Put(out, 0, 4);
  Put(out, 54, 4);
  Put(out, 40, 4);
  Put(out, static_cast<std::uint32_t>(width), 4);
  Put(out, static_cast<std::uint32_t>(height), 4);
  Put(out, 1, 2);
  Put(out, 24, 2);
  for (int i = 0; i < 6; ++i) Put(out, i == 1 ? imageSize : 0, 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) out.insert(out.end(), {color.b, color.g, color.r});
    for (auto pad = static_cast<std::uint32_t>(width * 3); pad < rowBytes; ++pad) out.push_back(0);
  }
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
  if (!file) throw std::runtime_error("cannot write " + path);
}

PictureDirectory::PictureDirectory(int size) {
  char pattern[] = "/tmp/halden-textures-XXXXXX";
  if (mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
  root_ = pattern;
  previous_ = std::filesystem::current_path().string();
  std::filesystem::current_path(root_);
  for (const TextureFile& file : kTextureFiles) Write(file.path, FixtureColor(*file.set), size);
}

PictureDirectory::~PictureDirectory() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
  std::filesystem::remove_all(root_, ignored);
}

void PictureDirectory::Write(const char* path, SolidColor color, int size) const {
  const std::filesystem::path file = std::filesystem::path(root_) / path;
  std::filesystem::create_directories(file.parent_path());
  WriteSolidBitmap(file.string(), size, size, color);
}

void PictureDirectory::Remove(const char* path) const {
  std::filesystem::remove(std::filesystem::path(root_) / path);
}
