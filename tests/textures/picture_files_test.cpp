// The committed scene pictures: exactly what the generator makes, in the
// formats and sizes the program can use, and showing what the room needs.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "image/bitmap_loader.h"
#include "render/texture_sets.h"
#include "tests/textures/picture_directory.h"
#include "tools/picture_generator.h"

namespace {

// The committed file of one row of the program's table.
std::string PicturePath(const TextureFile& file) {
  return std::string(HALDEN_SOURCE_DIR) + "/" + file.path;
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), {});
}

std::uint32_t Little(const std::vector<std::uint8_t>& bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i)
    value = value << 8 | bytes.at(at + static_cast<std::size_t>(i));
  return value;
}

struct ImageDeleter {
  void operator()(RgbImage* image) const { ReleaseBitmapImage(image); }
};
using Image = std::unique_ptr<RgbImage, ImageDeleter>;

// The committed picture that fills `set`.
Image Load(const TextureSet& set) {
  return Image(LoadBitmapImage(PicturePath(TextureFileOf(set)).c_str()));
}

struct Pixel {
  int r, g, b;
};
Pixel At(const RgbImage& image, int x, int y) {
  const unsigned char* p =
      image.pixels + (static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) +
                      static_cast<std::size_t>(x)) *
                         3;
  return {p[0], p[1], p[2]};
}

TEST(PictureFiles, CommittedPicturesAreWhatTheGeneratorMakes) {
  for (const TextureFile& file : kTextureFiles) {
    SCOPED_TRACE(file.path);
    const std::vector<std::uint8_t> committed = ReadFile(PicturePath(file));
    const std::vector<std::uint8_t> generated = MakePictureFile(file);
    ASSERT_FALSE(generated.empty()) << "the generator has no drawing for this file";
    ASSERT_EQ(committed.size(), generated.size()) << "regenerate with the pictures target";
    std::size_t first = 0;
    while (first < committed.size() && committed[first] == generated[first]) ++first;
    EXPECT_EQ(first, committed.size())
        << "first differing byte; regenerate with the pictures target";
  }
}

// Header size and bits per pixel of each file: the relief uses a gray
// palette, the upper trim the 12-byte header, the rest plain 24-bit.
TEST(PictureFiles, FormatsAndSizesSuitTheUpload) {
  struct Format {
    const TextureSet* set;
    std::uint32_t headerSize;
    std::uint32_t bitsPerPixel;
  };
  const Format formats[] = {
      {&gFloorSet, 40, 24}, {&gLampDaySet, 40, 24},    {&gLampNightSet, 40, 24},
      {&gWallSet, 40, 24},  {&gUpperRightSet, 12, 24}, {&gLowerRightSet, 40, 24},
      {&gBumpSet, 40, 8},
  };
  ASSERT_EQ(std::size(formats), kTextureFileCount);
  for (const Format& format : formats) {
    const TextureFile& file = TextureFileOf(*format.set);
    SCOPED_TRACE(file.path);
    const std::vector<std::uint8_t> bytes = ReadFile(PicturePath(file));
    ASSERT_GE(bytes.size(), 26u);
    EXPECT_EQ(Little(bytes, 0, 2), 0x4D42u);
    const std::uint32_t headerSize = Little(bytes, 14, 4);
    EXPECT_EQ(headerSize, format.headerSize);
    const int field = headerSize == 12 ? 2 : 4;
    const std::uint32_t width = Little(bytes, 18, field);
    const std::uint32_t bits = Little(bytes, 18 + 2 * static_cast<std::size_t>(field) + 2, 2);
    EXPECT_EQ(bits, format.bitsPerPixel);
    EXPECT_EQ(width * bits / 8 % 4, 0u) << "rows need no padding";

    const Image image = Load(*format.set);
    ASSERT_NE(image, nullptr);
    for (std::int32_t size : {image->width, image->height}) {
      EXPECT_GT(size, 0);
      EXPECT_LE(size, 256);
      EXPECT_EQ(size & (size - 1), 0) << "power of two";
    }
  }
}

// The relief and the floor share one tile layout: where the relief is low
// (the joints) the floor shows its pale grout, where high the pink tiles.
TEST(PictureFiles, TheReliefIsGrayAndFollowsTheFloorTiles) {
  const Image floor = Load(gFloorSet);
  const Image relief = Load(gBumpSet);
  ASSERT_NE(floor, nullptr);
  ASSERT_NE(relief, nullptr);
  ASSERT_EQ(floor->width, relief->width);
  ASSERT_EQ(floor->height, relief->height);

  double jointPink = 0.0, tilePink = 0.0, red = 0.0, green = 0.0;
  int joints = 0, tiles = 0;
  for (int y = 0; y < floor->height; ++y) {
    for (int x = 0; x < floor->width; ++x) {
      const Pixel h = At(*relief, x, y);
      ASSERT_TRUE(h.r == h.g && h.g == h.b) << "relief is gray at " << x << ", " << y;
      const Pixel c = At(*floor, x, y);
      red += c.r;
      green += c.g;
      if (h.r < 80) {
        jointPink += c.r - c.g;
        ++joints;
      } else if (h.r > 180) {
        tilePink += c.r - c.g;
        ++tiles;
      }
    }
  }
  ASSERT_GT(joints, 0);
  ASSERT_GT(tiles, joints);
  EXPECT_GT(red, green * 1.2) << "the floor is pink";
  EXPECT_LT(jointPink / joints, 20.0) << "joints of the relief fall on the floor's grout";
  EXPECT_GT(tilePink / tiles, 35.0) << "faces of the relief fall on the floor's tiles";
}

// The lamp is in the middle of the ceiling picture: a gray-white dome by day,
// a bright warm glow by night that also lights the plaster around it.
TEST(PictureFiles, TheLampIsUnlitByDayAndGlowsByNight) {
  const Image day = Load(gLampDaySet);
  const Image night = Load(gLampNightSet);
  ASSERT_NE(day, nullptr);
  ASSERT_NE(night, nullptr);
  const int cx = day->width / 2;
  const int cy = day->height / 2;
  const Pixel dayLamp = At(*day, cx, cy);
  const Pixel nightLamp = At(*night, cx, cy);
  EXPECT_LT(dayLamp.r, 230);
  EXPECT_GT(nightLamp.r, 245);
  EXPECT_GT(nightLamp.r + nightLamp.g + nightLamp.b, dayLamp.r + dayLamp.g + dayLamp.b + 60);
  EXPECT_GT(nightLamp.r, nightLamp.b) << "warm light";

  // The plaster just outside the fixture (0.42 of 5 units deep, so 22 rows)
  // against the same plaster near the corner: lit by the lamp at night only.
  auto warmth = [](Pixel p) { return p.r + p.g - 2 * p.b; };
  const int near = cy + 26;
  EXPECT_GT(warmth(At(*night, cx, near)), warmth(At(*night, 40, 40)) + 60);
  EXPECT_NEAR(warmth(At(*day, cx, near)), warmth(At(*day, 40, 40)), 20);
}

}  // namespace
