// Tests of the bitmap loader: the pixels of every layout it decodes, its four
// messages, the hostile headers it must refuse, and every prefix of valid
// files.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "image/bitmap_loader.h"
#include "support/program_reset.h"
#include "support/scripted_platform.h"
#include "tests/image/bitmap_fixtures.h"

namespace {

using fixtures::BitmapSpec;
using fixtures::BuildBitmap;
using fixtures::Bytes;
using fixtures::DistinctPalette;
using fixtures::StoreRows;

struct ImageDeleter {
  void operator()(RgbImage* image) const { ReleaseBitmapImage(image); }
};
using ImagePtr = std::unique_ptr<RgbImage, ImageDeleter>;

ImagePtr Decode(const Bytes& bytes) {
  // An exact-size copy, so that a read past the end is caught by ASan.
  auto copy = std::make_unique<unsigned char[]>(bytes.size() + 1);
  std::copy(bytes.begin(), bytes.end(), copy.get());
  return ImagePtr(DecodeBitmapImage(copy.get(), bytes.size()));
}

// Colour i of fixtures::DistinctPalette, as 0xRRGGBB.
std::uint32_t Colour(std::uint32_t i) {
  return (i << 16) | ((255 - i) << 8) | ((i * 7) & 0xFF);
}

std::vector<std::uint32_t> Colours(const std::vector<std::uint32_t>& indices) {
  std::vector<std::uint32_t> out;
  for (std::uint32_t i : indices) {
    out.push_back(Colour(i));
  }
  return out;
}

std::vector<std::uint32_t> Join(std::vector<std::vector<std::uint32_t>> rows) {
  std::vector<std::uint32_t> out;
  for (const auto& row : rows) {
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

// The picture's pixels as 0xRRGGBB, bottom row first.
std::vector<std::uint32_t> PixelsOf(const RgbImage& image) {
  std::vector<std::uint32_t> out;
  const std::size_t count = static_cast<std::size_t>(image.width) * image.height;
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned char* p = image.pixels + i * 3;
    out.push_back((std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2]);
  }
  return out;
}

class BitmapLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetProgram(); }
  void TearDown() override { ResetProgram(); }

  // Decoding `bytes` fails with exactly one message box, whose text is
  // returned; the box is captioned "Error", has only an OK button and no icon.
  static std::string FailureMessage(const Bytes& bytes) {
    ResetProgram();
    ImagePtr image = Decode(bytes);
    EXPECT_EQ(image, nullptr);
    return OnlyMessage();
  }

  static std::string OnlyMessage() {
    const auto& boxes = scripted::MessageBoxes();
    EXPECT_EQ(boxes.size(), 1u);
    if (boxes.size() != 1) {
      return "";
    }
    EXPECT_EQ(boxes[0].caption, "Error");
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK));
    return boxes[0].text;
  }
};

// ---- Pixels ----

struct PixelCase {
  const char* name;
  BitmapSpec spec;
  std::int32_t width;
  std::int32_t height;
  std::vector<std::uint32_t> pixels;  // 0xRRGGBB, bottom row first
};

BitmapSpec Spec(std::int32_t width, std::int32_t height, std::uint16_t bits, Bytes rows) {
  BitmapSpec spec;
  spec.width = width;
  spec.height = height;
  spec.bitsPerPixel = bits;
  spec.rows = std::move(rows);
  return spec;
}

// Gives a palette picture a table of `entries` colours, declared in the
// colours-used field when it is shorter than the depth allows.
BitmapSpec WithPalette(BitmapSpec spec, std::size_t entries) {
  spec.palette = DistinctPalette(entries);
  if (entries < (std::size_t{1} << spec.bitsPerPixel)) {
    spec.coloursUsed = static_cast<std::uint32_t>(entries);
  }
  return spec;
}

std::vector<PixelCase> PixelCases() {
  std::vector<PixelCase> cases;
  auto add = [&](const char* name, BitmapSpec spec, std::int32_t w, std::int32_t h,
                 std::vector<std::uint32_t> pixels) {
    cases.push_back(PixelCase{name, std::move(spec), w, h, std::move(pixels)});
  };

  add("24-bit 2x2 drops the row padding",
      Spec(2, 2, 24, StoreRows(24, {{0x010203, 0x040506}, {0x070809, 0x0A0B0C}})), 2, 2,
      {0x010203, 0x040506, 0x070809, 0x0A0B0C});
  add("24-bit width 3", Spec(3, 2, 24, StoreRows(24, {{0xFF0000, 0x00FF00, 0x0000FF}, {1, 2, 3}})),
      3, 2, {0xFF0000, 0x00FF00, 0x0000FF, 1, 2, 3});
  const std::vector<std::uint32_t> wide24a = {0x010203, 0x040506, 0x070809, 0x0A0B0C, 0x0D0E0F,
                                              0x101112, 0x131415, 0x161718, 0x191A1B};
  const std::vector<std::uint32_t> wide24b = {0xF0E0D0, 0xC0B0A0, 0x908070, 0x605040, 0x302010,
                                              0xFFFEFD, 0xFCFBFA, 0xF9F8F7, 0xF6F5F4};
  add("24-bit width 9", Spec(9, 2, 24, StoreRows(24, {wide24a, wide24b})), 9, 2,
      Join({wide24a, wide24b}));
  add("24-bit top-down comes back bottom-up",
      Spec(2, -3, 24, StoreRows(24, {{1, 2}, {3, 4}, {5, 6}})), 2, 3, {5, 6, 3, 4, 1, 2});
  add("8-bit top-down comes back bottom-up",
      WithPalette(Spec(3, -2, 8, StoreRows(8, {{1, 2, 3}, {4, 5, 6}})), 256), 3, 2,
      Colours({4, 5, 6, 1, 2, 3}));

  const std::vector<std::uint32_t> bits10a = {1, 0, 1, 1, 0, 0, 0, 1, 1, 0};
  const std::vector<std::uint32_t> bits10b = {0, 1, 0, 0, 1, 1, 1, 0, 0, 1};
  add("1-bit, 2 entries, a row across two bytes",
      WithPalette(Spec(10, 2, 1, StoreRows(1, {bits10a, bits10b})), 2), 10, 2,
      Join({Colours(bits10a), Colours(bits10b)}));
  add("4-bit, 16 entries, odd width",
      WithPalette(Spec(5, 2, 4, StoreRows(4, {{0, 1, 2, 3, 15}, {14, 13, 12, 11, 10}})), 16), 5, 2,
      Colours({0, 1, 2, 3, 15, 14, 13, 12, 11, 10}));
  add("8-bit, 256 entries", WithPalette(Spec(5, 1, 8, StoreRows(8, {{0, 1, 128, 254, 255}})), 256),
      5, 1, Colours({0, 1, 128, 254, 255}));

  BitmapSpec used16 = WithPalette(Spec(4, 1, 8, StoreRows(8, {{0, 15, 16, 255}})), 16);
  add("8-bit, colours used 16: indices past the table are black", used16, 4, 1,
      {Colour(0), Colour(15), 0, 0});
  BitmapSpec used16Bare = used16;
  used16Bare.fileHeader = false;
  add("8-bit, colours used 16, no file header: rows follow the 16 entries", used16Bare, 4, 1,
      {Colour(0), Colour(15), 0, 0});
  BitmapSpec used2 = WithPalette(Spec(3, 1, 4, StoreRows(4, {{1, 2, 15}})), 2);
  add("4-bit with 2 entries", used2, 3, 1, {Colour(1), 0, 0});

  BitmapSpec gap = WithPalette(Spec(2, 1, 8, StoreRows(8, {{7, 9}})), 256);
  gap.gap = 6;
  add("file header offset leaves a gap after the table", gap, 2, 1, Colours({7, 9}));

  BitmapSpec core = WithPalette(Spec(3, 2, 8, StoreRows(8, {{1, 2, 3}, {4, 5, 6}})), 256);
  core.headerSize = 12;
  add("12-byte header, 3-byte entries", core, 3, 2, Colours({1, 2, 3, 4, 5, 6}));
  BitmapSpec coreBare = core;
  coreBare.fileHeader = false;
  add("12-byte header without file header: rows at 12 + 3 x 256", coreBare, 3, 2,
      Colours({1, 2, 3, 4, 5, 6}));
  BitmapSpec core1 = WithPalette(Spec(3, 1, 1, StoreRows(1, {{1, 0, 1}})), 2);
  core1.headerSize = 12;
  core1.fileHeader = false;
  add("12-byte header, 1-bit", core1, 3, 1, Colours({1, 0, 1}));
  BitmapSpec core24 = Spec(1, 2, 24, StoreRows(24, {{0xA1B2C3}, {0x010203}}));
  core24.headerSize = 12;
  add("12-byte header, 24-bit", core24, 1, 2, {0xA1B2C3, 0x010203});

  add("16-bit default masks are 5-5-5",
      Spec(4, 1, 16, StoreRows(16, {{0x7C00, 0x03E0, 0x001F, 0x4210}})), 4, 1,
      {0xFF0000, 0x00FF00, 0x0000FF, 0x848484});
  BitmapSpec rgb565 = Spec(4, 1, 16, StoreRows(16, {{0xF800, 0x07E0, 0x001F, 0xFFFF}}));
  rgb565.compression = 3;
  rgb565.masks = {0xF800, 0x07E0, 0x001F};
  add("16-bit bit fields 5-6-5", rgb565, 4, 1, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF});
  add("32-bit default masks ignore the top byte",
      Spec(2, 1, 32, StoreRows(32, {{0xFF102030, 0x00405060}})), 2, 1, {0x102030, 0x405060});
  BitmapSpec bgr32 = Spec(2, 1, 32, StoreRows(32, {{0x00102030, 0xAB405060}}));
  bgr32.compression = 3;
  bgr32.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};
  add("32-bit bit fields, red in the low byte", bgr32, 2, 1, {0x302010, 0x605040});
  BitmapSpec wide32 = Spec(1, 1, 32, StoreRows(32, {{0x3FFC0201}}));
  wide32.compression = 3;
  wide32.masks = {0x3FF00000, 0x000FFC00, 0x000003FF};  // 10 bits a channel
  add("32-bit bit fields wider than 8 bits keep the top bits", wide32, 1, 1, {0xFFC080});
  BitmapSpec bare565 = rgb565;
  bare565.fileHeader = false;
  add("bit fields without file header: rows follow the masks", bare565, 4, 1,
      {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF});

  BitmapSpec rle8 = WithPalette(Spec(6, 4, 8, {}), 8);
  rle8.compression = 1;
  rle8.rows = {3, 1, 0, 3, 2, 3, 4, 0,  // run, absolute run with padding
               0, 0,                    // end of line
               0, 2, 2, 1,              // delta: right 2, up 1
               2, 5, 0, 0,              // run, end of line
               6, 7, 0, 1};             // run, end of picture
  add("RLE8 runs, absolute runs, end of line, delta, end of picture", rle8, 6, 4,
      Join({Colours({1, 1, 1, 2, 3, 4}),
            {0, 0, 0, 0, 0, 0},
            {0, 0, Colour(5), Colour(5), 0, 0},
            Colours({7, 7, 7, 7, 7, 7})}));
  BitmapSpec rle8Bare = rle8;
  rle8Bare.fileHeader = false;
  add("RLE8 without file header", rle8Bare, 6, 4,
      Join({Colours({1, 1, 1, 2, 3, 4}),
            {0, 0, 0, 0, 0, 0},
            {0, 0, Colour(5), Colour(5), 0, 0},
            Colours({7, 7, 7, 7, 7, 7})}));
  BitmapSpec rle8Clip = WithPalette(Spec(2, 2, 8, {}), 8);
  rle8Clip.compression = 1;
  rle8Clip.rows = {5, 1,          // five 1s on a row of two
                   0, 2, 200, 9,  // delta far outside the picture
                   3, 2,          // dropped
                   0, 4, 3,   3, 3, 3, 0, 1};
  add("RLE8 runs and deltas past the picture are dropped", rle8Clip, 2, 2,
      {Colour(1), Colour(1), 0, 0});

  BitmapSpec rle4 = WithPalette(Spec(6, 4, 4, {}), 16);
  rle4.compression = 2;
  rle4.rows = {5, 0x12, 0,    0,           // 1 2 1 2 1, end of line
               0, 3,    0x34, 0x50,        // absolute 3 4 5, padded
               0, 0,    0,    2,    1, 1,  // end of line, delta right 1 up 1
               4, 0x77, 0,    1};          // four 7s, end of picture
  add("RLE4 alternating runs, odd absolute run, delta", rle4, 6, 4,
      Join({{Colour(1), Colour(2), Colour(1), Colour(2), Colour(1), 0},
            {Colour(3), Colour(4), Colour(5), 0, 0, 0},
            {0, 0, 0, 0, 0, 0},
            {0, Colour(7), Colour(7), Colour(7), Colour(7), 0}}));
  return cases;
}

TEST_F(BitmapLoaderTest, DecodesEveryLayoutWithoutMessages) {
  for (const PixelCase& c : PixelCases()) {
    SCOPED_TRACE(c.name);
    ResetProgram();
    ImagePtr image = Decode(BuildBitmap(c.spec));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, c.width);
    EXPECT_EQ(image->height, c.height);
    EXPECT_EQ(PixelsOf(*image), c.pixels);
    EXPECT_TRUE(scripted::MessageBoxes().empty());
  }
}

// ---- Refusals ----

struct FailureCase {
  const char* name;
  Bytes bytes;
  const char* message;
};

constexpr const char* kUnknown = "Unknown DIB file format.";
constexpr const char* kNoMemory = "Out of memory.";
constexpr const char* kConversion = "Image file conversion error.";

std::vector<FailureCase> FailureCases() {
  const BitmapSpec good = Spec(2, 2, 24, StoreRows(24, {{1, 2}, {3, 4}}));
  const BitmapSpec good8 = WithPalette(Spec(2, 2, 8, StoreRows(8, {{1, 2}, {3, 4}})), 256);
  std::vector<FailureCase> cases;
  auto add = [&](const char* name, const Bytes& bytes, const char* message) {
    cases.push_back(FailureCase{name, bytes, message});
  };
  auto changed = [](BitmapSpec spec, auto change) {
    change(spec);
    return BuildBitmap(spec);
  };

  for (std::uint32_t size : {0u, 16u, 52u, 56u, 64u, 108u, 124u}) {
    add("header size other than 12 or 40",
        changed(good, [&](BitmapSpec& s) { s.headerSize = size; }), kUnknown);
  }
  add("header size 124 without file header",
      changed(good,
              [](BitmapSpec& s) {
                s.headerSize = 124;
                s.fileHeader = false;
              }),
      kUnknown);

  add("empty input", {}, kConversion);
  add("one byte", {'B'}, kConversion);
  add(
      "file header only",
      [&] {
        Bytes bytes = BuildBitmap(good);
        bytes.resize(14);
        return bytes;
      }(),
      kConversion);
  add("width 0", changed(good, [](BitmapSpec& s) { s.width = 0; }), kConversion);
  add("negative width", changed(good, [](BitmapSpec& s) { s.width = -2; }), kConversion);
  add("height 0", changed(good, [](BitmapSpec& s) { s.height = 0; }), kConversion);
  add("2 planes", changed(good, [](BitmapSpec& s) { s.planes = 2; }), kConversion);
  for (int bits : {0, 2, 3, 12, 48, 64}) {
    add("unsupported depth",
        changed(good, [&](BitmapSpec& s) { s.bitsPerPixel = static_cast<std::uint16_t>(bits); }),
        kConversion);
  }
  for (std::uint32_t compression : {4u, 5u, 6u, 11u, 0xFFFFFFFFu}) {
    add("JPEG, PNG or unknown compression",
        changed(good, [&](BitmapSpec& s) { s.compression = compression; }), kConversion);
  }
  add("RLE8 on a 24-bit picture", changed(good, [](BitmapSpec& s) { s.compression = 1; }),
      kConversion);
  add("RLE4 on an 8-bit picture", changed(good8, [](BitmapSpec& s) { s.compression = 2; }),
      kConversion);
  add("top-down RLE8",
      changed(good8,
              [](BitmapSpec& s) {
                s.compression = 1;
                s.height = -2;
                s.rows = {0, 1};
              }),
      kConversion);
  add("bit fields on a 24-bit picture",
      changed(good,
              [](BitmapSpec& s) {
                s.compression = 3;
                s.masks = {0xFF0000, 0xFF00, 0xFF};
              }),
      kConversion);
  add("bit-field mask with a hole",
      changed(good,
              [](BitmapSpec& s) {
                s.bitsPerPixel = 16;
                s.compression = 3;
                s.masks = {0xF00F, 0x07E0, 0x001F};
                s.rows = StoreRows(16, {{1, 2}, {3, 4}});
              }),
      kConversion);
  add(
      "bit-field masks cut off",
      [&] {
        BitmapSpec s = good;
        s.bitsPerPixel = 32;
        s.compression = 3;
        s.fileHeader = false;
        Bytes bytes = BuildBitmap(s);
        bytes.resize(40 + 8);
        return bytes;
      }(),
      kConversion);
  add("colours used beyond 2 to the bits",
      changed(good8,
              [](BitmapSpec& s) {
                s.bitsPerPixel = 4;
                s.coloursUsed = 17;
                s.palette = DistinctPalette(17);
                s.rows = StoreRows(4, {{1, 2}, {3, 4}});
              }),
      kConversion);
  add("colour table longer than the file",
      changed(good8,
              [](BitmapSpec& s) {
                s.fileHeader = false;
                s.palette.resize(100);
                s.rows.clear();
              }),
      kConversion);
  add("24-bit colour table longer than the file",
      changed(good, [](BitmapSpec& s) { s.coloursUsed = 0x40000000; }), kConversion);
  add("row offset past the end of the file",
      changed(good, [](BitmapSpec& s) { s.rowsOffset = 0xFFFFFFF0u; }), kConversion);
  add("row offset just past the rows", changed(good, [](BitmapSpec& s) { s.rowsOffset = 70; }),
      kConversion);
  add(
      "rows cut short",
      [&] {
        Bytes bytes = BuildBitmap(good);
        bytes.pop_back();
        return bytes;
      }(),
      kConversion);
  add("RLE8 without end of picture",
      changed(good8,
              [](BitmapSpec& s) {
                s.compression = 1;
                s.rows = {2, 1, 0, 0, 2, 1, 0, 0};
              }),
      kConversion);
  add("RLE8 absolute run past the end",
      changed(good8,
              [](BitmapSpec& s) {
                s.compression = 1;
                s.rows = {0, 200, 1, 2, 3, 4};
              }),
      kConversion);
  add("RLE4 delta cut off",
      changed(good8,
              [](BitmapSpec& s) {
                s.bitsPerPixel = 4;
                s.palette.resize(16);
                s.compression = 2;
                s.rows = {0, 2, 1};
              }),
      kConversion);
  add("RLE8 stream offset at the end of the file",
      changed(good8,
              [](BitmapSpec& s) {
                s.compression = 1;
                s.rows = {};
              }),
      kConversion);

  // Caps: refused as out of memory before anything is allocated, however
  // short the file.
  add("wider than 16384", changed(good, [](BitmapSpec& s) { s.width = 16385; }), kNoMemory);
  add("taller than 16384", changed(good, [](BitmapSpec& s) { s.height = 16385; }), kNoMemory);
  add("top-down taller than 16384", changed(good, [](BitmapSpec& s) { s.height = -16385; }),
      kNoMemory);
  add("height of -2^31", changed(good, [](BitmapSpec& s) { s.height = INT32_MIN; }), kNoMemory);
  add("largest width and height",
      changed(good,
              [](BitmapSpec& s) {
                s.width = 0x7FFFFFFF;
                s.height = 0x7FFFFFFF;
              }),
      kNoMemory);
  add("more than 2^28 bytes of output",
      changed(good,
              [](BitmapSpec& s) {
                s.width = 16384;
                s.height = 5462;
              }),
      kNoMemory);
  add("just under the byte cap but no rows",
      changed(good,
              [](BitmapSpec& s) {
                s.width = 16384;
                s.height = 5461;
              }),
      kConversion);
  return cases;
}

TEST_F(BitmapLoaderTest, RefusesBadFilesWithOneMessage) {
  for (const FailureCase& c : FailureCases()) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FailureMessage(c.bytes), c.message);
  }
}

TEST_F(BitmapLoaderTest, EveryPrefixOfAValidFileIsRefused) {
  for (const fixtures::NamedBitmap& seed : fixtures::SeedBitmaps()) {
    SCOPED_TRACE(seed.name);
    {
      ResetProgram();
      ImagePtr whole = Decode(seed.bytes);
      ASSERT_NE(whole, nullptr);
      EXPECT_TRUE(scripted::MessageBoxes().empty());
    }
    for (std::size_t length = 0; length < seed.bytes.size(); ++length) {
      SCOPED_TRACE(length);
      const Bytes prefix(seed.bytes.begin(), seed.bytes.begin() + length);
      EXPECT_EQ(FailureMessage(prefix), kConversion);
    }
  }
}

TEST_F(BitmapLoaderTest, MessagesFollowTheSwitchAndTheFocus) {
  const Bytes unknown = BuildBitmap([] {
    BitmapSpec s;
    s.headerSize = 108;
    return s;
  }());

  gShowLoaderErrors = false;
  EXPECT_EQ(Decode(unknown), nullptr);
  EXPECT_EQ(LoadBitmapImage("no/such/file.bmp"), nullptr);
  EXPECT_TRUE(scripted::MessageBoxes().empty());
  gShowLoaderErrors = true;

  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.lpszClassName = "LoaderTest";
  ASSERT_NE(RegisterClassA(&windowClass), 0);
  HWND window = CreateWindowExA(0, "LoaderTest", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  SetFocus(window);
  EXPECT_EQ(Decode(unknown), nullptr);
  ASSERT_EQ(scripted::MessageBoxes().size(), 1u);
  EXPECT_EQ(scripted::MessageBoxes()[0].owner, window);
  EXPECT_EQ(scripted::MessageBoxes()[0].text, kUnknown);
  DestroyWindow(window);
}

// ---- CountPaletteEntries ----

TEST(CountPaletteEntries, FollowsColoursUsedThenDepth) {
  struct Case {
    std::uint32_t headerSize;
    std::uint16_t bits;
    std::uint32_t coloursUsed;
    std::uint16_t expected;
  };
  const Case cases[] = {
      {12, 1, 0, 2},   {12, 4, 0, 16},  {12, 8, 0, 256},      {12, 24, 0, 0},   {40, 1, 0, 2},
      {40, 4, 0, 16},  {40, 8, 0, 256}, {40, 16, 0, 0},       {40, 24, 0, 0},   {40, 32, 0, 0},
      {40, 8, 16, 16}, {40, 24, 5, 5},  {40, 8, 0x10010, 16}, {108, 8, 0, 256}, {124, 4, 3, 3},
  };
  for (const Case& c : cases) {
    BitmapSpec spec;
    spec.headerSize = c.headerSize;
    spec.bitsPerPixel = c.bits;
    spec.coloursUsed = c.coloursUsed;
    spec.fileHeader = false;
    const Bytes header = BuildBitmap(spec);
    EXPECT_EQ(CountPaletteEntries(header.data(), header.size()), c.expected)
        << c.headerSize << "-byte header, " << c.bits << " bits, colours used " << c.coloursUsed;
  }
  const unsigned char shortHeader[] = {40, 0, 0, 0, 1, 0, 0, 0};
  EXPECT_EQ(CountPaletteEntries(shortHeader, sizeof shortHeader), 0);
  EXPECT_EQ(CountPaletteEntries(nullptr, 0), 0);
}

// ---- Files ----

class BitmapFileTest : public BitmapLoaderTest {
 protected:
  void SetUp() override {
    BitmapLoaderTest::SetUp();
    // A folder of this run's own: test runs of several builds may overlap.
    std::random_device random;
    do {
      directory_ = std::filesystem::temp_directory_path() /
                   ("halden_loader_test_" + std::to_string(random()));
    } while (!std::filesystem::create_directory(directory_));
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
    BitmapLoaderTest::TearDown();
  }

  std::string Write(const std::string& name, const Bytes& bytes) {
    const std::filesystem::path path = directory_ / name;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return path.string();
  }

  static Bytes Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  std::filesystem::path directory_;
};

// Files larger than one read, so rows come in several blocks.
std::vector<fixtures::NamedBitmap> LargeBitmaps() {
  std::vector<std::vector<std::uint32_t>> rows24(150, std::vector<std::uint32_t>(301));
  std::vector<std::vector<std::uint32_t>> rows8(150, std::vector<std::uint32_t>(1001));
  std::uint32_t state = 12345;
  for (auto* rows : {&rows24, &rows8}) {
    for (auto& row : *rows) {
      for (auto& value : row) {
        state = state * 1103515245u + 12345u;
        value = (state >> 8) & (rows == &rows8 ? 0xFFu : 0xFFFFFFu);
      }
    }
  }
  BitmapSpec big24 = Spec(301, -150, 24, StoreRows(24, rows24));
  BitmapSpec big8 = WithPalette(Spec(1001, 150, 8, StoreRows(8, rows8)), 256);
  big8.fileHeader = false;
  BitmapSpec bigRle = WithPalette(Spec(1000, 150, 8, {}), 256);
  bigRle.compression = 1;
  for (int y = 0; y < 150; ++y) {
    for (int x = 0; x < 1000; x += 250) {
      bigRle.rows.push_back(250);
      bigRle.rows.push_back(static_cast<unsigned char>(x + y));
    }
    bigRle.rows.insert(bigRle.rows.end(), {0, 0});
  }
  bigRle.rows.insert(bigRle.rows.end(), {0, 1});
  return {{"big24.bmp", BuildBitmap(big24)},
          {"big8.bmp", BuildBitmap(big8)},
          {"bigrle.bmp", BuildBitmap(bigRle)}};
}

TEST_F(BitmapFileTest, FilesDecodeAsTheirBytesDoAndStayUnchanged) {
  std::vector<fixtures::NamedBitmap> files = fixtures::SeedBitmaps();
  for (auto& large : LargeBitmaps()) {
    files.push_back(std::move(large));
  }
  for (const fixtures::NamedBitmap& file : files) {
    SCOPED_TRACE(file.name);
    ResetProgram();
    const std::string path = Write(file.name, file.bytes);
    const auto before = std::filesystem::last_write_time(path);
    ImagePtr fromFile(LoadBitmapImage(path.c_str()));
    ImagePtr fromMemory = Decode(file.bytes);
    ASSERT_NE(fromFile, nullptr);
    ASSERT_NE(fromMemory, nullptr);
    EXPECT_EQ(fromFile->width, fromMemory->width);
    EXPECT_EQ(fromFile->height, fromMemory->height);
    EXPECT_EQ(PixelsOf(*fromFile), PixelsOf(*fromMemory));
    EXPECT_TRUE(scripted::MessageBoxes().empty());
    EXPECT_EQ(Read(path), file.bytes);
    EXPECT_EQ(std::filesystem::last_write_time(path), before);
  }
}

TEST_F(BitmapFileTest, OpenFailureNamesThePathWhole) {
  const std::string missing = (directory_ / "missing.bmp").string();
  const std::string longPath =
      (directory_ / std::string(200, 'a') / std::string(200, 'b') / "picture.bmp").string();
  const std::string empty = Write("empty.bmp", {});
  const std::string folder = directory_.string();
  for (const std::string& path : {missing, longPath, empty, folder}) {
    SCOPED_TRACE(path);
    ResetProgram();
    EXPECT_EQ(LoadBitmapImage(path.c_str()), nullptr);
    EXPECT_EQ(OnlyMessage(), "Failed to open DIB file " + path + ".\n");
  }
}

TEST_F(BitmapFileTest, ContentFailuresFromFilesMatchMemory) {
  const Bytes seed = fixtures::SeedBitmaps()[0].bytes;
  for (std::size_t length = 1; length < seed.size(); ++length) {
    SCOPED_TRACE(length);
    ResetProgram();
    const std::string path = Write("cut.bmp", Bytes(seed.begin(), seed.begin() + length));
    EXPECT_EQ(LoadBitmapImage(path.c_str()), nullptr);
    EXPECT_EQ(OnlyMessage(), kConversion);
  }
  for (const FailureCase& c : FailureCases()) {
    if (c.bytes.empty()) {
      continue;  // an empty file is an open failure
    }
    SCOPED_TRACE(c.name);
    ResetProgram();
    const std::string path = Write("bad.bmp", c.bytes);
    EXPECT_EQ(LoadBitmapImage(path.c_str()), nullptr);
    EXPECT_EQ(OnlyMessage(), c.message);
  }
}

}  // namespace
