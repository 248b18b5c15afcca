// Builds small bitmap files byte by byte for the loader's tests and fuzzer.
#include "tests/image/bitmap_fixtures.h"

namespace fixtures {
namespace {

void Put16(Bytes& out, std::uint32_t value) {
  out.push_back(static_cast<unsigned char>(value & 0xFF));
  out.push_back(static_cast<unsigned char>((value >> 8) & 0xFF));
}

void Put32(Bytes& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

}  // namespace

Bytes BuildBitmap(const BitmapSpec& spec) {
  Bytes info;
  Put32(info, spec.headerSize);
  if (spec.headerSize == 12) {
    Put16(info, static_cast<std::uint32_t>(spec.width));
    Put16(info, static_cast<std::uint32_t>(spec.height));
    Put16(info, spec.planes);
    Put16(info, spec.bitsPerPixel);
  } else {
    Put32(info, static_cast<std::uint32_t>(spec.width));
    Put32(info, static_cast<std::uint32_t>(spec.height));
    Put16(info, spec.planes);
    Put16(info, spec.bitsPerPixel);
    Put32(info, spec.compression);
    Put32(info, static_cast<std::uint32_t>(spec.rows.size()));
    Put32(info, 2835);  // 72 dpi
    Put32(info, 2835);
    Put32(info, spec.coloursUsed);
    Put32(info, 0);
    // Larger headers (108, 124) carry more fields; zeros will do.
    while (info.size() < spec.headerSize) {
      info.push_back(0);
    }
  }
  for (std::uint32_t mask : spec.masks) {
    Put32(info, mask);
  }
  for (const Rgb& entry : spec.palette) {
    info.push_back(entry.b);
    info.push_back(entry.g);
    info.push_back(entry.r);
    if (spec.headerSize != 12) {
      info.push_back(0);
    }
  }
  info.insert(info.end(), spec.gap, 0xEE);

  Bytes file;
  if (spec.fileHeader) {
    const std::uint32_t offset = static_cast<std::uint32_t>(14 + info.size());
    file.push_back('B');
    file.push_back('M');
    Put32(file, static_cast<std::uint32_t>(offset + spec.rows.size()));
    Put32(file, 0);
    Put32(file, spec.rowsOffset.value_or(offset));
  }
  file.insert(file.end(), info.begin(), info.end());
  file.insert(file.end(), spec.rows.begin(), spec.rows.end());
  return file;
}

Bytes StoreRows(int bitsPerPixel, const std::vector<std::vector<std::uint32_t>>& rows) {
  Bytes out;
  for (const auto& row : rows) {
    const std::size_t start = out.size();
    if (bitsPerPixel < 8) {
      const int perByte = 8 / bitsPerPixel;
      for (std::size_t x = 0; x < row.size(); x += static_cast<std::size_t>(perByte)) {
        unsigned byte = 0;
        for (int i = 0; i < perByte; ++i) {
          const std::size_t at = x + static_cast<std::size_t>(i);
          const unsigned value = at < row.size() ? row[at] : 0;
          byte |= value << (8 - bitsPerPixel * (i + 1));
        }
        out.push_back(static_cast<unsigned char>(byte));
      }
    } else {
      for (std::uint32_t value : row) {
        switch (bitsPerPixel) {
          case 8:
            out.push_back(static_cast<unsigned char>(value));
            break;
          case 16:
            Put16(out, value);
            break;
          case 24:
            out.push_back(static_cast<unsigned char>(value & 0xFF));
            out.push_back(static_cast<unsigned char>((value >> 8) & 0xFF));
            out.push_back(static_cast<unsigned char>((value >> 16) & 0xFF));
            break;
          default:
            Put32(out, value);
            break;
        }
      }
    }
    while ((out.size() - start) % 4 != 0) {
      out.push_back(0xAB);  // padding the loader must skip
    }
  }
  return out;
}

std::vector<Rgb> DistinctPalette(std::size_t count) {
  std::vector<Rgb> palette;
  for (std::size_t i = 0; i < count; ++i) {
    palette.push_back(Rgb{static_cast<unsigned char>(i), static_cast<unsigned char>(255 - i),
                          static_cast<unsigned char>(i * 7)});
  }
  return palette;
}

std::vector<NamedBitmap> SeedBitmaps() {
  std::vector<NamedBitmap> seeds;
  auto add = [&](const std::string& name, const BitmapSpec& spec) {
    seeds.push_back(NamedBitmap{name, BuildBitmap(spec)});
  };

  BitmapSpec rgb24;
  rgb24.width = 3;
  rgb24.height = 2;
  rgb24.rows = StoreRows(24, {{0xFF0000, 0x00FF00, 0x0000FF}, {0x123456, 0xABCDEF, 0x000000}});
  add("rgb24_3x2", rgb24);

  BitmapSpec topDown = rgb24;
  topDown.height = -2;
  add("rgb24_top_down", topDown);

  BitmapSpec core = rgb24;
  core.headerSize = 12;
  core.fileHeader = false;
  add("core_rgb24_no_file_header", core);

  BitmapSpec pal1;
  pal1.width = 10;
  pal1.height = 2;
  pal1.bitsPerPixel = 1;
  pal1.palette = {{0, 0, 0}, {255, 255, 255}};
  pal1.rows = StoreRows(1, {{1, 0, 1, 1, 0, 0, 0, 1, 1, 0}, {0, 1, 0, 0, 1, 1, 1, 0, 0, 1}});
  add("pal1_10x2", pal1);

  BitmapSpec pal4;
  pal4.width = 5;
  pal4.height = 2;
  pal4.bitsPerPixel = 4;
  pal4.palette = DistinctPalette(16);
  pal4.rows = StoreRows(4, {{0, 1, 2, 3, 15}, {14, 13, 12, 11, 10}});
  add("pal4_5x2", pal4);

  BitmapSpec pal8;
  pal8.width = 5;
  pal8.height = 3;
  pal8.bitsPerPixel = 8;
  pal8.palette = DistinctPalette(256);
  pal8.rows = StoreRows(8, {{0, 1, 2, 254, 255}, {9, 8, 7, 6, 5}, {100, 200, 50, 25, 12}});
  add("pal8_5x3", pal8);

  BitmapSpec used16 = pal8;
  used16.fileHeader = false;
  used16.coloursUsed = 16;
  used16.palette = DistinctPalette(16);
  used16.rows = StoreRows(8, {{0, 1, 2, 14, 15}, {9, 8, 7, 6, 5}, {3, 4, 10, 11, 12}});
  add("pal8_used16_no_file_header", used16);

  BitmapSpec corePal = pal8;
  corePal.headerSize = 12;
  corePal.fileHeader = false;
  add("core_pal8_no_file_header", corePal);

  BitmapSpec gap = pal4;
  gap.gap = 10;
  add("pal4_gap_before_rows", gap);

  BitmapSpec rgb16;
  rgb16.width = 3;
  rgb16.height = 1;
  rgb16.bitsPerPixel = 16;
  rgb16.rows = StoreRows(16, {{0x7C00, 0x03E0, 0x001F}});
  add("rgb16_555", rgb16);

  BitmapSpec rgb565 = rgb16;
  rgb565.compression = 3;
  rgb565.masks = {0xF800, 0x07E0, 0x001F};
  rgb565.rows = StoreRows(16, {{0xF800, 0x07E0, 0x001F}});
  add("rgb16_565_bitfields", rgb565);

  BitmapSpec rgb32;
  rgb32.width = 2;
  rgb32.height = 2;
  rgb32.bitsPerPixel = 32;
  rgb32.rows = StoreRows(32, {{0xFF102030, 0x00405060}, {0x00708090, 0x00A0B0C0}});
  add("rgb32_888", rgb32);

  BitmapSpec bgr32 = rgb32;
  bgr32.compression = 3;
  bgr32.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};
  add("rgb32_bitfields", bgr32);

  BitmapSpec rle8;
  rle8.width = 6;
  rle8.height = 4;
  rle8.bitsPerPixel = 8;
  rle8.compression = 1;
  rle8.palette = DistinctPalette(8);
  rle8.coloursUsed = 8;
  rle8.rows = {
      3, 1, 0, 3, 2, 3, 4, 0,  // run of three 1s, absolute 2 3 4 (padded)
      0, 0,                    // end of line
      0, 2, 2, 1,              // delta: right 2, up 1 (row 1 stays black)
      2, 5, 0, 0,              // two 5s on row 2, end of line
      6, 7, 0, 1,              // row 3 filled with 7s, end of picture
  };
  add("rle8_6x4", rle8);

  BitmapSpec rle4 = rle8;
  rle4.bitsPerPixel = 4;
  rle4.compression = 2;
  rle4.palette = DistinctPalette(16);
  rle4.coloursUsed = 0;
  rle4.rows = {
      5, 0x12, 0,    0,           // 1 2 1 2 1, end of line
      0, 3,    0x34, 0x50, 0, 0,  // absolute 3 4 5 (padded), end of line
      0, 2,    1,    1,           // delta: right 1, up 1
      4, 0x77, 0,    1,           // four 7s, end of picture
  };
  add("rle4_6x4", rle4);

  return seeds;
}

}  // namespace fixtures
