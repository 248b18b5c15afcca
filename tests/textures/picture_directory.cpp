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

const std::array<SolidColor, 7> kFixtureColors = {{
    {220, 120, 140},  // floor
    {200, 200, 60},   // day lamp
    {250, 240, 200},  // night lamp
    {60, 180, 90},    // wall
    {90, 60, 200},    // upper ledge
    {150, 90, 40},    // lower ledge
    {200, 200, 200},  // bump
}};

const std::array<const char*, 7> kSceneFiles = {
    "pinkfloor1.bmp", "Ceilinglampday.bmp", "Ceilinglampnight.bmp", "wall.bmp",
    "rightwall.bmp",  "rightwall1.bmp",     "pinkfloorbump1.bmp",
};

namespace {

void Put(std::vector<unsigned char>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

}  // namespace

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
  std::filesystem::create_directory(root_ + "/Pic");
  std::filesystem::current_path(root_);
  for (std::size_t i = 0; i < kSceneFiles.size(); ++i)
    Write(kSceneFiles[i], kFixtureColors[i], size);
}

PictureDirectory::~PictureDirectory() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
  std::filesystem::remove_all(root_, ignored);
}

void PictureDirectory::Write(const char* file, SolidColor color, int size) const {
  WriteSolidBitmap(root_ + "/Pic/" + file, size, size, color);
}

void PictureDirectory::Remove(const char* file) const {
  std::filesystem::remove(root_ + "/Pic/" + file);
}
