// Builds small bitmap files byte by byte for the loader's tests, and the
// set of valid files that seeds the loader's fuzzer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace fixtures {

using Bytes = std::vector<unsigned char>;

struct Rgb {
  unsigned char r, g, b;
};

// Everything a file can say; the defaults make a 1 by 1, 24-bit file with a
// 40-byte header behind a file header.
struct BitmapSpec {
  std::uint32_t headerSize = 40;  // 12 writes the small layout; others the 40-byte one
  bool fileHeader = true;
  std::int32_t width = 1;
  std::int32_t height = 1;
  std::uint16_t planes = 1;
  std::uint16_t bitsPerPixel = 24;
  std::uint32_t compression = 0;
  std::uint32_t coloursUsed = 0;
  std::vector<Rgb> palette;                 // written blue, green, red (and 0 for 40 bytes)
  std::vector<std::uint32_t> masks;         // written right after the header when present
  std::size_t gap = 0;                      // filler bytes between the colour table and the rows
  std::optional<std::uint32_t> rowsOffset;  // replaces the true offset in the file header
  Bytes rows;                               // the pixel rows (or run-length stream) as stored
};

Bytes BuildBitmap(const BitmapSpec& spec);

// Stores pixel values as rows of the given depth: palette indices packed
// from the high bits, 16- and 32-bit values little-endian, 24-bit values
// 0xRRGGBB as blue, green, red; each row padded to 4 bytes. Rows are given in
// the order they are stored.
Bytes StoreRows(int bitsPerPixel, const std::vector<std::vector<std::uint32_t>>& rows);

// A palette of `count` distinct colours: entry i is (i, 255 - i, i * 7 mod 256).
std::vector<Rgb> DistinctPalette(std::size_t count);

struct NamedBitmap {
  std::string name;
  Bytes bytes;
};

// Valid files covering every layout the loader decodes.
std::vector<NamedBitmap> SeedBitmaps();

}  // namespace fixtures
