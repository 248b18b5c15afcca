// The program's icons: the committed files are what the generator makes; the
// PNG files and the deflate streams under them are read back by independent
// decoders (zlib, stb_image) into exactly the pixels drawn; the Windows icon
// holds every size in the layout Windows reads; and the drawing shows the
// room at every size.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb/stb_image.h>

#include "tools/icon_generator.h"
#include "tools/png_writer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), {});
}

std::string IconPath(const std::string& name) {
  return std::string(HALDEN_SOURCE_DIR) + "/packaging/icons/" + name;
}

std::uint32_t Big32(const Bytes& bytes, std::size_t at) {
  return std::uint32_t{bytes.at(at)} << 24 | std::uint32_t{bytes.at(at + 1)} << 16 |
         std::uint32_t{bytes.at(at + 2)} << 8 | bytes.at(at + 3);
}

std::uint32_t Little(const Bytes& bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i)
    value = value << 8 | bytes.at(at + static_cast<std::size_t>(i));
  return value;
}

// What zlib makes of a zlib stream, checksum included; `expected` bytes of
// room are given, one more than that is an error.
Bytes Inflate(const Bytes& stream, std::size_t expected) {
  Bytes out(expected + 1);
  uLongf size = static_cast<uLongf>(out.size());
  const int status =
      uncompress(out.data(), &size, stream.data(), static_cast<uLong>(stream.size()));
  EXPECT_EQ(status, Z_OK) << "zlib refuses the stream";
  out.resize(status == Z_OK ? size : 0);
  return out;
}

void ExpectSameBytes(const Bytes& actual, const Bytes& expected, const std::string& what) {
  ASSERT_EQ(actual.size(), expected.size()) << what;
  std::size_t first = 0;
  while (first < actual.size() && actual[first] == expected[first]) ++first;
  EXPECT_EQ(first, actual.size()) << what << ": first differing byte";
}

// The pixels stb_image reads from a PNG file, RGBA, top row first.
Bytes DecodePng(const Bytes& file, int size) {
  int width = 0, height = 0, channels = 0;
  stbi_uc* pixels = stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &width,
                                          &height, &channels, 4);
  EXPECT_NE(pixels, nullptr) << stbi_failure_reason();
  if (pixels == nullptr) return {};
  EXPECT_EQ(width, size);
  EXPECT_EQ(height, size);
  EXPECT_EQ(channels, 4);
  Bytes out(pixels, pixels + static_cast<std::size_t>(width) * height * 4);
  stbi_image_free(pixels);
  return out;
}

TEST(IconFiles, CommittedIconsAreWhatTheGeneratorMakes) {
  for (int size : kIconSizes) {
    ExpectSameBytes(ReadFile(IconPath(IconPngName(size))), MakeIconPng(size),
                    IconPngName(size) + " (regenerate with the icons target)");
  }
  ExpectSameBytes(ReadFile(IconPath(kIconFileName)), MakeIconFile(),
                  std::string(kIconFileName) + " (regenerate with the icons target)");
}

// Every chunk's CRC as zlib computes it, the header of an 8-bit RGBA image,
// one IDAT that zlib inflates (Adler-32 checked) to a filter byte and the
// pixels of each row, and the pixels stb_image decodes are the drawing's.
TEST(IconFiles, EachPngIsReadBackAsTheDrawing) {
  for (int size : kIconSizes) {
    SCOPED_TRACE(IconPngName(size));
    const Bytes file = MakeIconPng(size);
    const Bytes signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ASSERT_GE(file.size(), signature.size());
    ASSERT_TRUE(std::equal(signature.begin(), signature.end(), file.begin()));

    std::vector<std::string> types;
    Bytes idat;
    for (std::size_t at = 8; at < file.size();) {
      const std::uint32_t length = Big32(file, at);
      ASSERT_LE(at + 12 + length, file.size());
      const std::string type(file.begin() + static_cast<std::ptrdiff_t>(at + 4),
                             file.begin() + static_cast<std::ptrdiff_t>(at + 8));
      const uLong crc = crc32(0L, file.data() + at + 4, length + 4);
      EXPECT_EQ(Big32(file, at + 8 + length), crc) << type << " CRC";
      if (type == "IHDR") {
        EXPECT_EQ(Big32(file, at + 8), static_cast<std::uint32_t>(size));
        EXPECT_EQ(Big32(file, at + 12), static_cast<std::uint32_t>(size));
        EXPECT_EQ(Bytes(file.begin() + static_cast<std::ptrdiff_t>(at + 16),
                        file.begin() + static_cast<std::ptrdiff_t>(at + 21)),
                  (Bytes{8, 6, 0, 0, 0}));
      }
      if (type == "IDAT")
        idat.assign(file.begin() + static_cast<std::ptrdiff_t>(at + 8),
                    file.begin() + static_cast<std::ptrdiff_t>(at + 8 + length));
      types.push_back(type);
      at += 12 + length;
    }
    EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));

    const std::size_t rowBytes = static_cast<std::size_t>(size) * 4 + 1;
    const Bytes rows = Inflate(idat, rowBytes * static_cast<std::size_t>(size));
    ASSERT_EQ(rows.size(), rowBytes * static_cast<std::size_t>(size));
    for (std::size_t row = 0; row < static_cast<std::size_t>(size); ++row)
      EXPECT_LE(rows[row * rowBytes], 4) << "filter of row " << row;

    EXPECT_EQ(DecodePng(file, size), DrawIcon(size));
  }
}

// Inputs that reach the corners of the encoder: nothing at all; one byte;
// long runs (the longest copy, 258, at distance 1); bytes with no repeats
// (literals only); and a block repeated from just beyond the 32 KiB window,
// which must not be copied from there.
TEST(IconFiles, DeflateStreamsInflateToTheirInput) {
  std::uint32_t seed = 12345;
  Bytes noise(70000);
  for (auto& b : noise) {
    seed = seed * 1103515245u + 12345u;
    b = static_cast<std::uint8_t>(seed >> 23);
  }
  Bytes beyondWindow(noise.begin(), noise.begin() + 32769);
  beyondWindow.insert(beyondWindow.end(), noise.begin(), noise.begin() + 1000);
  Bytes steps;
  for (int i = 0; i < 100000; ++i) steps.push_back(static_cast<std::uint8_t>(i / 1000));

  const struct {
    const char* name;
    Bytes data;
  } cases[] = {
      {"empty", {}},
      {"one byte", {42}},
      {"zeros", Bytes(100000, 0)},
      {"runs of a thousand", steps},
      {"noise", noise},
      {"repeat beyond the window", beyondWindow},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes stream = ZlibCompress(c.data);
    EXPECT_EQ(Inflate(stream, c.data.size()), c.data);
  }
  EXPECT_LT(ZlibCompress(Bytes(100000, 0)).size(), 1000u) << "runs are copied, not spelt out";
}

// Frequencies growing like the Fibonacci numbers make the deepest Huffman
// tree there is (one symbol deeper for each): the lengths must still fit the
// limit, give every symbol that occurs a code, and make a complete code
// (Kraft sum exactly 1), as inflaters require.
TEST(IconFiles, HuffmanCodesKeepToTheLengthLimit) {
  std::vector<std::uint32_t> fibonacci(30, 0);
  for (std::size_t i = 0, a = 1, b = 1; i < fibonacci.size(); ++i) {
    fibonacci[i] = static_cast<std::uint32_t>(a);
    const std::size_t next = a + b;
    a = b;
    b = next;
  }
  std::vector<std::uint32_t> sparse(286, 0);
  sparse[3] = 1;
  sparse[200] = 1000000;
  sparse[256] = 1;

  const struct {
    const char* name;
    std::vector<std::uint32_t> frequencies;
    int limit;
  } cases[] = {
      {"fibonacci, 15 bits", fibonacci, 15},
      {"fibonacci, 7 bits", std::vector<std::uint32_t>(fibonacci.begin(), fibonacci.begin() + 19),
       7},
      {"three symbols among many", sparse, 15},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<int> lengths = HuffmanCodeLengths(c.frequencies, c.limit);
    ASSERT_EQ(lengths.size(), c.frequencies.size());
    double kraft = 0.0;
    for (std::size_t i = 0; i < lengths.size(); ++i) {
      EXPECT_EQ(lengths[i] > 0, c.frequencies[i] > 0) << "symbol " << i;
      EXPECT_LE(lengths[i], c.limit) << "symbol " << i;
      if (lengths[i] > 0) kraft += 1.0 / static_cast<double>(1u << lengths[i]);
    }
    EXPECT_EQ(kraft, 1.0);
  }
}

// The icon directory: one 32-bit entry a size, the images one after the
// other; bitmaps up to 64 pixels (header of twice the height, BGRA rows
// bottom up, an AND mask set exactly where the icon is transparent), PNG
// above.
TEST(IconFiles, TheWindowsIconHoldsEverySize) {
  const Bytes file = MakeIconFile();
  ASSERT_GE(file.size(), 6u);
  EXPECT_EQ(Little(file, 0, 2), 0u);
  EXPECT_EQ(Little(file, 2, 2), 1u);
  ASSERT_EQ(Little(file, 4, 2), kIconSizes.size());

  std::size_t expectedOffset = 6 + 16 * kIconSizes.size();
  for (std::size_t i = 0; i < kIconSizes.size(); ++i) {
    const int size = kIconSizes[i];
    SCOPED_TRACE(size);
    const std::size_t entry = 6 + 16 * i;
    EXPECT_EQ(file.at(entry), size == 256 ? 0 : size);
    EXPECT_EQ(file.at(entry + 1), size == 256 ? 0 : size);
    EXPECT_EQ(Little(file, entry + 4, 2), 1u);   // planes
    EXPECT_EQ(Little(file, entry + 6, 2), 32u);  // bits per pixel
    const std::size_t length = Little(file, entry + 8, 4);
    const std::size_t offset = Little(file, entry + 12, 4);
    ASSERT_EQ(offset, expectedOffset);
    ASSERT_LE(offset + length, file.size());
    expectedOffset += length;
    const Bytes image(file.begin() + static_cast<std::ptrdiff_t>(offset),
                      file.begin() + static_cast<std::ptrdiff_t>(offset + length));
    const Bytes drawn = DrawIcon(size);

    if (size > kLargestBitmapIcon) {
      EXPECT_EQ(DecodePng(image, size), drawn);
      continue;
    }
    const auto side = static_cast<std::size_t>(size);
    const std::size_t maskStride = (side + 31) / 32 * 4;
    ASSERT_EQ(length, 40 + side * side * 4 + maskStride * side);
    EXPECT_EQ(Little(image, 0, 4), 40u);
    EXPECT_EQ(Little(image, 4, 4), side);
    EXPECT_EQ(Little(image, 8, 4), 2 * side);
    EXPECT_EQ(Little(image, 14, 2), 32u);
    EXPECT_EQ(Little(image, 16, 4), 0u);
    int wrongPixels = 0, wrongMaskBits = 0;
    for (std::size_t y = 0; y < side; ++y) {
      for (std::size_t x = 0; x < side; ++x) {
        const std::size_t row = side - 1 - y;  // bottom up
        const std::uint8_t* bgra = image.data() + 40 + (row * side + x) * 4;
        const std::uint8_t* rgba = drawn.data() + (y * side + x) * 4;
        if (bgra[0] != rgba[2] || bgra[1] != rgba[1] || bgra[2] != rgba[0] || bgra[3] != rgba[3])
          ++wrongPixels;
        const std::uint8_t mask = image[40 + side * side * 4 + row * maskStride + x / 8];
        const bool transparent = ((mask >> (7 - x % 8)) & 1) != 0;
        if (transparent != (rgba[3] == 0)) ++wrongMaskBits;
      }
    }
    EXPECT_EQ(wrongPixels, 0);
    EXPECT_EQ(wrongMaskBits, 0);
  }
  EXPECT_EQ(expectedOffset, file.size());
}

struct Pixel {
  int r, g, b, a;
};

Pixel At(const Bytes& rgba, int size, double x, double y) {
  const int px = static_cast<int>(x * size);
  const int py = static_cast<int>(y * size);
  const std::uint8_t* p = rgba.data() + (static_cast<std::size_t>(py) * size + px) * 4;
  return {p[0], p[1], p[2], p[3]};
}

// Places in the drawing as fractions of its side, from the top left: at
// every size, the corners are see-through, a dark frame goes round the view,
// the floor is pink, the left wall cream, and the lamp glows warm in the
// ceiling above the middle.
TEST(IconFiles, EverySizeShowsTheRoomInItsFrame) {
  for (int size : kIconSizes) {
    SCOPED_TRACE(size);
    const Bytes icon = DrawIcon(size);
    for (double x : {0.0, 0.999})
      for (double y : {0.0, 0.999}) EXPECT_LT(At(icon, size, x, y).a, 32) << "corner";

    // The frame is little more than a pixel wide at the small sizes.
    const Pixel frame = At(icon, size, 0.5, 0.04);
    EXPECT_GT(frame.a, 150);
    EXPECT_LT(frame.r + frame.g + frame.b, 240) << "the frame is dark";

    const Pixel floor = At(icon, size, 0.5, 0.86);
    EXPECT_EQ(floor.a, 255);
    EXPECT_GT(floor.r, floor.g + 25) << "the floor is pink";

    const Pixel wall = At(icon, size, 0.17, 0.5);
    EXPECT_GT(wall.r, 150);
    EXPECT_GT(wall.r, wall.b + 10) << "the wallpaper is cream";
    EXPECT_LT(wall.r - wall.g, 30);

    // The brightest warm pixel of the upper half is the lamp, near the middle.
    int lampX = -1, lampY = -1, warmest = -1;
    for (int y = 0; y < size / 2; ++y) {
      for (int x = 0; x < size; ++x) {
        const Pixel p = At(icon, size, (x + 0.5) / size, (y + 0.5) / size);
        const int warmth = p.r + p.g - 2 * p.b;
        if (p.r > 200 && warmth > warmest) {
          warmest = warmth;
          lampX = x;
          lampY = y;
        }
      }
    }
    EXPECT_GT(warmest, 120) << "no warm lamp in the ceiling";
    EXPECT_NEAR((lampX + 0.5) / size, 0.5, 0.1);
    EXPECT_GT((lampY + 0.5) / size, 0.1);
    EXPECT_LT((lampY + 0.5) / size, 0.35);
  }
}

}  // namespace
