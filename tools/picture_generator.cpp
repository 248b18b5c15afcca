// Draws the scene's pictures and writes them as Windows bitmap files.
//
// Every picture is a function of the texture coordinates (s, t) in [0, 1),
// t = 0 at the bottom row, sampled 4 by 4 times per pixel. The functions work
// in room units where they can, because the room stretches each picture
// differently: a floor quad is 0.5 wide and 2 deep, a ceiling section 2.2 by
// 5, a wall strip 0.1 high and 2 long. All noise is periodic in s and t so
// that neighbouring copies meet without a seam. Only +, -, *, / and sqrt are
// used on doubles, which IEEE arithmetic rounds the same everywhere.
#include "tools/picture_generator.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/picture_math.h"

namespace {

constexpr int kSize = 256;   // every picture is kSize by kSize
constexpr int kSamples = 4;  // supersamples per pixel along each axis

// ---- Periodic value noise ----

std::uint32_t Hash(std::uint32_t x, std::uint32_t y, std::uint32_t seed) {
  std::uint32_t h = seed * 0x9E3779B9u;
  h ^= x * 0x85EBCA6Bu;
  h = (h << 13) | (h >> 19);
  h ^= y * 0xC2B2AE35u;
  h ^= h >> 16;
  h *= 0x7FEB352Du;
  h ^= h >> 15;
  h *= 0x846CA68Bu;
  h ^= h >> 16;
  return h;
}

// A value in [0, 1) for lattice point (x, y), wrapping at (periodX, periodY).
double Lattice(long x, long y, long periodX, long periodY, std::uint32_t seed) {
  const long wx = ((x % periodX) + periodX) % periodX;
  const long wy = ((y % periodY) + periodY) % periodY;
  return static_cast<double>(
             Hash(static_cast<std::uint32_t>(wx), static_cast<std::uint32_t>(wy), seed) >> 8) /
         16777216.0;
}

// Smoothly interpolated lattice noise over the unit square with cellsX by
// cellsY cells, periodic in s and t.
double ValueNoise(double s, double t, long cellsX, long cellsY, std::uint32_t seed) {
  const double u = s * static_cast<double>(cellsX);
  const double v = t * static_cast<double>(cellsY);
  const double fu = std::floor(u);
  const double fv = std::floor(v);
  const long x0 = static_cast<long>(fu);
  const long y0 = static_cast<long>(fv);
  const double a = SmoothStep(0.0, 1.0, u - fu);
  const double b = SmoothStep(0.0, 1.0, v - fv);
  const double n00 = Lattice(x0, y0, cellsX, cellsY, seed);
  const double n10 = Lattice(x0 + 1, y0, cellsX, cellsY, seed);
  const double n01 = Lattice(x0, y0 + 1, cellsX, cellsY, seed);
  const double n11 = Lattice(x0 + 1, y0 + 1, cellsX, cellsY, seed);
  return (n00 * (1.0 - a) + n10 * a) * (1.0 - b) + (n01 * (1.0 - a) + n11 * a) * b;
}

// Octaves of ValueNoise, each with twice the cells and half the weight; the
// result stays in [0, 1).
double Fbm(double s, double t, long cellsX, long cellsY, int octaves, std::uint32_t seed) {
  double sum = 0.0;
  double weight = 0.5;
  double total = 0.0;
  for (int i = 0; i < octaves; ++i) {
    sum += weight * ValueNoise(s, t, cellsX, cellsY, seed + static_cast<std::uint32_t>(i) * 101u);
    total += weight;
    weight *= 0.5;
    cellsX *= 2;
    cellsY *= 2;
  }
  return sum / total;
}

// ---- Pictures as functions of (s, t) ----

// Floor tiles, shared by the colour picture and its relief. A floor quad is
// 0.5 across (s) and 2 deep (t): 2 by 8 tiles of 0.25 by 0.25 room units.
constexpr double kFloorWidth = 0.5;
constexpr double kFloorDepth = 2.0;
constexpr double kTile = 0.25;
constexpr double kGroutHalf = 0.005;  // half the joint between two tiles
constexpr double kBevel = 0.014;      // rounding of each tile's edge

struct TileSpot {
  int column;
  int row;
  double edgeDistance;  // room units from the nearest tile edge
};

TileSpot FloorTileAt(double s, double t) {
  const double x = s * kFloorWidth;
  const double z = t * kFloorDepth;
  const double column = std::floor(x / kTile);
  const double row = std::floor(z / kTile);
  const double fx = x - column * kTile;
  const double fz = z - row * kTile;
  double edge = fx;
  if (kTile - fx < edge) edge = kTile - fx;
  if (fz < edge) edge = fz;
  if (kTile - fz < edge) edge = kTile - fz;
  return {static_cast<int>(column), static_cast<int>(row), edge};
}

// 0 in the joint, rising over the bevel to 1 on the tile's face.
double TileFace(const TileSpot& spot) {
  return SmoothStep(kGroutHalf, kGroutHalf + kBevel, spot.edgeDistance);
}

// Marble-like veins: thin bright lines where a noise field crosses its middle.
// The noise has 4 times the cells along t, which the floor stretches 4 times.
double FloorVein(double s, double t) {
  const double n = Fbm(s, t, 2, 8, 4, 71u);
  const double line = 1.0 - Clamp01(std::fabs(n - 0.5) * 14.0);
  return line * line;
}

Color FloorColor(double s, double t) {
  const Color rose = {232, 150, 168};
  const Color blush = {248, 212, 220};
  const Color grout = {226, 214, 212};
  const TileSpot spot = FloorTileAt(s, t);
  const bool dark = ((spot.column + spot.row) & 1) != 0;
  Color tile = dark ? rose : blush;
  // Each tile is fired a little differently.
  const double lot = Lattice(spot.column, spot.row, 2, 8, 17u);
  tile = tile * (0.965 + 0.06 * lot);
  const double cloud = Fbm(s, t, 4, 16, 3, 29u);
  tile = tile * (0.96 + 0.08 * cloud);
  tile = Mix(tile, Color{255, 244, 246}, 0.45 * FloorVein(s, t));
  // The rounded edge of each tile catches less light than its face.
  const double face = TileFace(spot);
  const Color edge = Mix(grout * 0.9, tile * 0.86, 0.5);
  return face < 1.0 ? Mix(Mix(grout, edge, Clamp01(face * 3.0)), tile, face) : tile;
}

// Height: joints low, faces high, a faint unevenness on each face.
double FloorRelief(double s, double t) {
  const TileSpot spot = FloorTileAt(s, t);
  const double face = TileFace(spot);
  const double rough = Fbm(s, t, 8, 32, 3, 43u);
  const double top = 206.0 + 20.0 * (rough - 0.5) - 10.0 * FloorVein(s, t);
  return 40.0 + (top - 40.0) * face;
}

// Wallpaper: 8 stripes across (0.25 to 0.275 room units apart on the walls),
// a linen weave whose fibres run up and down, and a faint mottling. The left
// wall squeezes the whole picture into strips 0.1 high, so anything that
// varies with t is kept faint and slow.
Color WallColor(double s, double t) {
  const Color cream = {238, 226, 204};
  const Color band = {226, 208, 184};
  const Color accent = {196, 134, 144};
  const double p = Fract(s * 8.0) * 32.0;  // pixels into the stripe
  Color c = cream;
  if (p >= 20.0) c = band;
  const double d1 = std::fabs(p - 20.75);
  const double d2 = std::fabs(p - 31.25);
  if (d1 < 0.75 || d2 < 0.75) c = accent;
  const double fibre = Fbm(s, t, 128, 2, 2, 5u);
  const double mottle = Fbm(s, t, 4, 2, 3, 11u);
  return c * (0.955 + 0.07 * fibre) * (0.975 + 0.05 * mottle);
}

// Walnut: dark grain lines bending gently, colour varying along the grain.
Color Walnut(double grain, double along, double contrast) {
  const Color light = {150, 98, 64};
  const Color dark = {96, 58, 38};
  const double ring = Fract(grain);
  const double line = SmoothStep(0.55, 0.95, ring) * (1.0 - SmoothStep(0.95, 1.0, ring));
  return Mix(light, dark, 0.15 + contrast * line) * (0.92 + 0.16 * along);
}

// The upper ledge's trim. Every strip 0.1 high carries the whole picture, so
// t is the moulding's profile from bottom to top, and s runs 2 units along
// the room with the wood grain.
Color UpperTrimColor(double s, double t) {
  // Few, faint grain lines across the profile: the strip is only a few
  // pixels high on screen.
  const double wobble = Fbm(s, t, 3, 2, 3, 61u);
  const Color wood = Walnut(t * 3.0 + 1.2 * wobble, Fbm(s, t, 6, 1, 2, 67u), 0.25);
  double shade;
  if (t < 0.07) {
    shade = 0.42;  // shadow under the trim
  } else if (t < 0.18) {
    shade = 1.18;  // lower fillet, facing the light
  } else if (t < 0.52) {
    shade = 0.72 + 0.38 * SmoothStep(0.18, 0.52, t);  // cove
  } else if (t < 0.59) {
    shade = 0.55;  // groove
  } else if (t < 0.86) {
    const double k = (t - 0.725) / 0.135;  // bead, a half round
    shade = 0.7 + 0.55 * std::sqrt(Clamp01(1.0 - k * k));
  } else if (t < 0.93) {
    shade = 1.08;  // upper fillet
  } else {
    shade = 0.8;
  }
  return wood * shade;
}

// The lower ledge's boards. Its front face repeats the picture 5 by 5 on each
// strip 0.1 high, a copy every 0.02 units up and 0.4 units along the room, so
// the picture depends on s alone: two tongue-and-groove boards with a bead,
// grain running up the boards.
Color LowerBoardsColor(double s, double) {
  const double p = Fract(s * 2.0);  // across one board
  const double streak = Fbm(s, 0.0, 24, 1, 3, 83u);
  const Color wood = Walnut(s * 16.0 + 2.0 * Fbm(s, 0.0, 6, 1, 2, 89u), streak, 0.35) * 1.06;
  if (p < 0.03) return wood * 0.35;  // groove between boards
  if (p < 0.10) {
    const double k = (p - 0.065) / 0.035;  // bead beside the groove
    return wood * (0.7 + 0.5 * std::sqrt(Clamp01(1.0 - k * k)));
  }
  if (p < 0.12) return wood * 0.6;
  return wood;
}

// The ceiling: each section 2.2 wide (s) and 5 deep (t) shows one panel with
// a framed recess and a round lamp in its middle, 0.42 units in radius.
constexpr double kCeilingWidth = 2.2;
constexpr double kCeilingDepth = 5.0;
constexpr double kLampRadius = 0.42;
constexpr double kRimWidth = 0.05;

Color CeilingPlaster(double s, double t) {
  const Color plaster = {236, 233, 226};
  const double x = s * kCeilingWidth;
  const double z = t * kCeilingDepth;
  double edge = x;
  if (kCeilingWidth - x < edge) edge = kCeilingWidth - x;
  if (z < edge) edge = z;
  if (kCeilingDepth - z < edge) edge = kCeilingDepth - z;
  double shade = 0.97 + 0.06 * Fbm(s, t, 6, 12, 3, 97u);
  // A frame: a shadowed step into the recess, then a lit lip.
  if (edge >= 0.08 && edge < 0.12) shade *= 0.74;
  if (edge >= 0.12 && edge < 0.14) shade *= 1.04;
  if (edge < 0.08) shade *= 0.93;
  return plaster * shade;
}

double LampDistance(double s, double t) {
  const double dx = s * kCeilingWidth - kCeilingWidth * 0.5;
  const double dz = t * kCeilingDepth - kCeilingDepth * 0.5;
  return std::sqrt(dx * dx + dz * dz);
}

Color LampRim(double r) {
  const Color brass = {188, 152, 92};
  const double k = (r - (kLampRadius - kRimWidth * 0.5)) / (kRimWidth * 0.5);
  return brass * (0.7 + 0.4 * std::sqrt(Clamp01(1.0 - k * k)));
}

Color CeilingDayColor(double s, double t) {
  const double r = LampDistance(s, t);
  if (r >= kLampRadius) {
    // The fixture's soft shadow on the plaster.
    const double near = 1.0 - SmoothStep(kLampRadius, kLampRadius + 0.06, r);
    return CeilingPlaster(s, t) * (1.0 - 0.18 * near);
  }
  if (r >= kLampRadius - kRimWidth) return LampRim(r);
  // Frosted glass dome, unlit: gray-white, darker towards the rim.
  const double k = r / (kLampRadius - kRimWidth);
  const Color glass = {196, 198, 204};
  double shade = 0.78 + 0.2 * (1.0 - k * k);
  if (std::fabs(k - 0.62) < 0.03) shade *= 0.9;  // seam of the dome
  return glass * shade;
}

Color CeilingNightColor(double s, double t) {
  const double r = LampDistance(s, t);
  const Color glow = {255, 200, 110};
  if (r >= kLampRadius) {
    // The plaster is in the dark but for the warm light thrown on it by the
    // lamp, falling off with distance. The room's lights dim the ceiling
    // further, so the lamp stands out by contrast.
    const double d = (r - kLampRadius) / 0.45;
    const double k = 0.62 / (1.0 + d * d);
    return Mix(CeilingPlaster(s, t) * 0.42, glow, k);
  }
  if (r >= kLampRadius - kRimWidth) return Mix(LampRim(r), Color{255, 240, 200}, 0.6);
  const double k = r / (kLampRadius - kRimWidth);
  return Mix(Color{255, 246, 200}, Color{255, 214, 120}, k * k);
}

// ---- Sampling and files ----

using ColorFunction = Color (*)(double, double);
using GrayFunction = double (*)(double, double);

// kSize * kSize pixels, bottom row first, each averaged over its samples.
template <typename Sample, typename Function>
std::vector<Sample> Render(Function function, Sample zero) {
  std::vector<Sample> pixels(static_cast<std::size_t>(kSize * kSize), zero);
  const double step = 1.0 / static_cast<double>(kSize * kSamples);
  const double weight = 1.0 / static_cast<double>(kSamples * kSamples);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      Sample sum = zero;
      for (int j = 0; j < kSamples; ++j) {
        for (int i = 0; i < kSamples; ++i) {
          const double s = (static_cast<double>(x * kSamples + i) + 0.5) * step;
          const double t = (static_cast<double>(y * kSamples + j) + 0.5) * step;
          sum = sum + function(s, t) * weight;
        }
      }
      pixels[static_cast<std::size_t>(y * kSize + x)] = sum;
    }
  }
  return pixels;
}

void PutFileHeader(std::vector<std::uint8_t>& out, std::uint32_t pixelOffset,
                   std::uint32_t fileSize) {
  out.push_back('B');
  out.push_back('M');
  Put32(out, fileSize);
  Put32(out, 0);  // reserved
  Put32(out, pixelOffset);
}

// Rows of 256 pixels are 768 bytes (24-bit) or 256 bytes (8-bit): already a
// multiple of 4, so no row padding is written.
static_assert(kSize % 4 == 0, "bitmap rows must need no padding");

enum class HeaderKind { kInfo40, kCore12 };

std::vector<std::uint8_t> Bitmap24(const std::vector<Color>& pixels, HeaderKind kind) {
  const std::uint32_t headerSize = kind == HeaderKind::kInfo40 ? 40u : 12u;
  const std::uint32_t imageSize = kSize * kSize * 3u;
  const std::uint32_t offset = 14u + headerSize;
  std::vector<std::uint8_t> out;
  out.reserve(offset + imageSize);
  PutFileHeader(out, offset, offset + imageSize);
  Put32(out, headerSize);
  if (kind == HeaderKind::kInfo40) {
    Put32(out, kSize);
    Put32(out, kSize);
    Put16(out, 1);   // planes
    Put16(out, 24);  // bits per pixel
    Put32(out, 0);   // no compression
    Put32(out, imageSize);
    Put32(out, 2835);  // 72 dots per inch
    Put32(out, 2835);
    Put32(out, 0);  // colours used
    Put32(out, 0);  // colours important
  } else {
    Put16(out, kSize);
    Put16(out, kSize);
    Put16(out, 1);
    Put16(out, 24);
  }
  for (const Color& c : pixels) {
    out.push_back(ToByte(c.b));
    out.push_back(ToByte(c.g));
    out.push_back(ToByte(c.r));
  }
  return out;
}

std::vector<std::uint8_t> Bitmap8Gray(const std::vector<double>& pixels) {
  const std::uint32_t imageSize = kSize * kSize;
  const std::uint32_t offset = 14u + 40u + 256u * 4u;
  std::vector<std::uint8_t> out;
  out.reserve(offset + imageSize);
  PutFileHeader(out, offset, offset + imageSize);
  Put32(out, 40);
  Put32(out, kSize);
  Put32(out, kSize);
  Put16(out, 1);
  Put16(out, 8);
  Put32(out, 0);
  Put32(out, imageSize);
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, 256);
  Put32(out, 0);
  for (std::uint32_t i = 0; i < 256; ++i) {
    const auto v = static_cast<std::uint8_t>(i);
    out.insert(out.end(), {v, v, v, 0});
  }
  for (double v : pixels) out.push_back(ToByte(v));
  return out;
}

std::vector<std::uint8_t> ColorPicture(ColorFunction function, HeaderKind kind) {
  return Bitmap24(Render(function, Color{0, 0, 0}), kind);
}

// The drawing of each colour picture, by the set it fills.
struct ColorDrawing {
  const TextureSet* set;
  ColorFunction function;
  HeaderKind header;
};
const ColorDrawing kColorDrawings[] = {
    {&gFloorSet, FloorColor, HeaderKind::kInfo40},
    {&gLampDaySet, CeilingDayColor, HeaderKind::kInfo40},
    {&gLampNightSet, CeilingNightColor, HeaderKind::kInfo40},
    {&gWallSet, WallColor, HeaderKind::kInfo40},
    {&gUpperRightSet, UpperTrimColor, HeaderKind::kCore12},
    {&gLowerRightSet, LowerBoardsColor, HeaderKind::kInfo40},
};

const ColorDrawing* FindColorDrawing(const TextureSet& set) {
  for (const ColorDrawing& drawing : kColorDrawings) {
    if (drawing.set == &set) return &drawing;
  }
  return nullptr;
}

}  // namespace

Color SamplePicture(const TextureSet& set, double s, double t) {
  const ColorDrawing* drawing = FindColorDrawing(set);
  return drawing != nullptr ? drawing->function(s, t) : Color{0.0, 0.0, 0.0};
}

std::vector<std::uint8_t> MakePictureFile(const TextureFile& file) {
  // The bump picture is the floor's relief, as a gray 8-bit file.
  if (IsBumpPicture(file)) {
    return Bitmap8Gray(Render(static_cast<GrayFunction>(FloorRelief), 0.0));
  }
  const ColorDrawing* drawing = FindColorDrawing(*file.set);
  return drawing != nullptr ? ColorPicture(drawing->function, drawing->header)
                            : std::vector<std::uint8_t>();
}
