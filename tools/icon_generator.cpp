// Ray-casts the room for the icon and writes it as PNG files and a Windows
// icon.
//
// The room is the program's own (x from -1 to 1.2, y from -1.2 to 1.2, z from
// the back wall at -10 towards the viewer), with each surface's texture laid
// on as the program lays it; the colours come from the picture generator, so
// the icon is the scene by day. The eye stands in the middle of the room,
// where the nearest ceiling lamp is in view. Samples are spread evenly over
// each pixel, more of them at small sizes, where one pixel covers many tiles.
// Only +, -, *, /, sqrt and floor are used on doubles.
#include "tools/icon_generator.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/picture_generator.h"
#include "tools/picture_math.h"
#include "tools/png_writer.h"

namespace {

// A point of the picture generator's picture for `picture`, the set it
// fills, repeating outside [0, 1).
Color Sample(const TextureSet& picture, double s, double t) {
  return SamplePicture(picture, Fract(s), Fract(t));
}

// ---- The room ----

constexpr double kLeft = -1.0;
constexpr double kRight = 1.2;
constexpr double kLedgeFront = 1.1;
constexpr double kFloor = -1.2;
constexpr double kCeiling = 1.2;
constexpr double kBack = -10.0;
constexpr double kOpen = 10.0;
constexpr double kLowerLedgeTop = -0.4;
constexpr double kUpperLedgeBottom = 0.8;

// The eye, and the half-width of the view at unit distance (about 74
// degrees across).
constexpr double kEyeX = 0.1;
constexpr double kEyeY = -0.15;
constexpr double kEyeZ = 0.0;
constexpr double kHalfView = 0.75;

struct Hit {
  double distance;  // along the ray, whose z step is -1
  Color color;
};

// Texture coordinates as the emitters give them: floor tiles 0.5 by 2 with
// t running towards the back, ceiling sections 5 deep, wall strips 0.1 high
// and 2 long carrying a whole picture each (the lower ledge's front face 5 by
// 5 copies), the back wall one picture.
Color FloorColor(double x, double z) {
  return Sample(gFloorSet, (x - kLeft) / 0.5, -(z - kBack) / 2.0);
}
Color CeilingColor(double x, double z) {
  return Sample(gLampNightSet, (x - kLeft) / (kRight - kLeft), -(z - kBack) / 5.0);
}
Color BackWallColor(double x, double y) {
  return Sample(gWallSet, (x - kLeft) / (kRight - kLeft), (y - kFloor) / (kCeiling - kFloor));
}
Color StripColor(const TextureSet& picture, double y, double z, double repeat) {
  return Sample(picture, repeat * (z - kBack) / 2.0, repeat * (y - kFloor) / 0.1);
}

// The surface nearest along the ray (dx, dy, -1) from the eye. The room is
// closed on every side the eye can see, so every ray meets something.
Hit CastRay(double dx, double dy) {
  Hit nearest{1e30, {0.0, 0.0, 0.0}};
  auto consider = [&nearest](double distance, Color color) {
    if (distance > 0.0 && distance < nearest.distance) nearest = {distance, color};
  };
  const auto within = [](double v, double low, double high) { return v >= low && v <= high; };

  // Floor and ceiling, and the ledges' horizontal faces.
  if (dy != 0.0) {
    for (double plane : {kFloor, kCeiling, kLowerLedgeTop, kUpperLedgeBottom}) {
      const double d = (plane - kEyeY) / dy;
      const double x = kEyeX + dx * d;
      const double z = kEyeZ - d;
      if (!within(z, kBack, kOpen)) continue;
      if (plane == kFloor && within(x, kLeft, kRight)) consider(d, FloorColor(x, z));
      if (plane == kCeiling && within(x, kLeft, kRight)) consider(d, CeilingColor(x, z));
      // Strips 0.05 wide across the ledge and 2 deep; t runs towards the
      // back on the lower ledge and towards the viewer on the upper one.
      if (plane == kLowerLedgeTop && within(x, kLedgeFront, kRight))
        consider(d, Sample(gLowerRightSet, (x - kLedgeFront) / 0.05, -(z - kBack) / 2.0));
      if (plane == kUpperLedgeBottom && within(x, kLedgeFront, kRight))
        consider(d, Sample(gUpperRightSet, (x - kLedgeFront) / 0.05, (z - kBack) / 2.0));
    }
  }
  // The left wall, the ledges' fronts and the plain panel between them.
  if (dx != 0.0) {
    for (double plane : {kLeft, kLedgeFront, kRight}) {
      const double d = (plane - kEyeX) / dx;
      const double y = kEyeY + dy * d;
      const double z = kEyeZ - d;
      if (!within(z, kBack, kOpen) || !within(y, kFloor, kCeiling)) continue;
      if (plane == kLeft) consider(d, StripColor(gWallSet, y, z, 1.0));
      const bool ledge = y <= kLowerLedgeTop || y >= kUpperLedgeBottom;
      if (plane == kLedgeFront && ledge) {
        consider(d, y <= kLowerLedgeTop ? StripColor(gLowerRightSet, y, z, 5.0)
                                        : StripColor(gUpperRightSet, y, z, 1.0));
      }
      // Untextured and unlit: the default white.
      if (plane == kRight && !ledge) consider(d, {255.0, 255.0, 255.0});
    }
  }
  // The back wall.
  {
    const double d = kEyeZ - kBack;
    const double x = kEyeX + dx * d;
    const double y = kEyeY + dy * d;
    if (within(x, kLeft, kRight) && within(y, kFloor, kCeiling)) consider(d, BackWallColor(x, y));
  }
  return nearest;
}

// The room seen through the view at (u, v), each from -1 to 1, v up.
// Surfaces beyond the lamp are a little darker, which keeps the depth
// readable at 16 pixels.
Color RoomAt(double u, double v) {
  const Hit hit = CastRay(u * kHalfView, v * kHalfView);
  const double beyond = hit.distance > 3.0 ? hit.distance - 3.0 : 0.0;
  return hit.color * (1.0 - 0.4 * beyond / (beyond + 6.0));
}

// ---- The frame ----

// Distance from (x, y) to the edge of a rounded square centred in the unit
// square, half-width `half` and corner radius `radius`; negative inside.
double RoundedSquare(double x, double y, double half, double radius) {
  const double qx = (x < 0.5 ? 0.5 - x : x - 0.5) - (half - radius);
  const double qy = (y < 0.5 ? 0.5 - y : y - 0.5) - (half - radius);
  const double ox = qx > 0.0 ? qx : 0.0;
  const double oy = qy > 0.0 ? qy : 0.0;
  const double inside = qx > qy ? qx : qy;
  return std::sqrt(ox * ox + oy * oy) + (inside < 0.0 ? inside : 0.0) - radius;
}

constexpr double kOuterHalf = 0.49;
constexpr double kOuterRadius = 0.14;
// The frame is at least one pixel wide at the smallest size.
constexpr double kFrame = 0.0625;
constexpr double kViewHalf = kOuterHalf - kFrame;
constexpr double kViewRadius = kOuterRadius - kFrame * 0.5;
const Color kFrameColor = {58, 46, 44};

// ---- Windows icon ----

// A 32-bit icon bitmap: the header with twice the height (colour and mask),
// BGRA rows bottom up, then the 1-bit AND mask (set where fully transparent),
// rows padded to 4 bytes.
std::vector<std::uint8_t> IconBitmap(int size, const std::vector<std::uint8_t>& rgba) {
  const auto side = static_cast<std::uint32_t>(size);
  const std::uint32_t maskStride = (side + 31) / 32 * 4;
  std::vector<std::uint8_t> out;
  Put32(out, 40);
  Put32(out, side);
  Put32(out, side * 2);
  Put16(out, 1);   // planes
  Put16(out, 32);  // bits per pixel
  Put32(out, 0);   // no compression
  Put32(out, side * side * 4 + maskStride * side);
  for (int i = 0; i < 4; ++i) Put32(out, 0);  // resolution and palette
  for (int y = size - 1; y >= 0; --y) {
    for (int x = 0; x < size; ++x) {
      const std::uint8_t* p = rgba.data() + (static_cast<std::size_t>(y) * side + x) * 4;
      out.insert(out.end(), {p[2], p[1], p[0], p[3]});
    }
  }
  for (int y = size - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(maskStride, 0);
    for (int x = 0; x < size; ++x) {
      if (rgba[(static_cast<std::size_t>(y) * side + x) * 4 + 3] == 0)
        row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80u >> (x % 8));
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

}  // namespace

std::vector<std::uint8_t> DrawIcon(int size) {
  // At least 512 samples across, and 3 by 3 a pixel.
  const int samples = size >= 171 ? 3 : (512 + size - 1) / size;
  const double step = 1.0 / static_cast<double>(size * samples);
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(size) * size * 4);
  for (int py = 0; py < size; ++py) {
    for (int px = 0; px < size; ++px) {
      Color sum = {0.0, 0.0, 0.0};  // premultiplied by coverage
      int covered = 0;
      for (int j = 0; j < samples; ++j) {
        for (int i = 0; i < samples; ++i) {
          const double x = (static_cast<double>(px * samples + i) + 0.5) * step;
          const double y = (static_cast<double>(py * samples + j) + 0.5) * step;
          const double outer = RoundedSquare(x, y, kOuterHalf, kOuterRadius);
          if (outer > 0.0) continue;
          ++covered;
          if (RoundedSquare(x, y, kViewHalf, kViewRadius) > 0.0) {
            sum = sum + kFrameColor;
            continue;
          }
          const double u = (x - 0.5) / kViewHalf;
          const double v = (0.5 - y) / kViewHalf;
          sum = sum + RoomAt(u, v);
        }
      }
      std::uint8_t* out = rgba.data() + (static_cast<std::size_t>(py) * size + px) * 4;
      if (covered == 0) continue;  // transparent black
      const double k = 1.0 / static_cast<double>(covered);
      out[0] = ToByte(sum.r * k);
      out[1] = ToByte(sum.g * k);
      out[2] = ToByte(sum.b * k);
      out[3] =
          ToByte(255.0 * static_cast<double>(covered) / static_cast<double>(samples * samples));
    }
  }
  return rgba;
}

std::string IconPngName(int size) {
  return "halden-" + std::to_string(size) + ".png";
}

std::vector<std::uint8_t> MakeIconPng(int size) {
  return EncodePng(size, size, DrawIcon(size));
}

// ICONDIR, one 16-byte ICONDIRENTRY a size, then the images in that order.
std::vector<std::uint8_t> MakeIconFile() {
  std::vector<std::vector<std::uint8_t>> images;
  for (int size : kIconSizes) {
    images.push_back(size <= kLargestBitmapIcon ? IconBitmap(size, DrawIcon(size))
                                                : MakeIconPng(size));
  }
  std::vector<std::uint8_t> out;
  Put16(out, 0);  // reserved
  Put16(out, 1);  // an icon, not a cursor
  Put16(out, static_cast<std::uint32_t>(images.size()));
  auto offset = static_cast<std::uint32_t>(6 + 16 * images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    const int size = kIconSizes[i];
    out.push_back(static_cast<std::uint8_t>(size >= 256 ? 0 : size));  // 0 means 256
    out.push_back(static_cast<std::uint8_t>(size >= 256 ? 0 : size));
    out.push_back(0);  // no palette
    out.push_back(0);
    Put16(out, 1);   // planes
    Put16(out, 32);  // bits per pixel
    Put32(out, static_cast<std::uint32_t>(images[i].size()));
    Put32(out, offset);
    offset += static_cast<std::uint32_t>(images[i].size());
  }
  for (const std::vector<std::uint8_t>& image : images)
    out.insert(out.end(), image.begin(), image.end());
  return out;
}
