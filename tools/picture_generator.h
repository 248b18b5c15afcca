// The scene's seven pictures, drawn from scratch: a pink tiled floor and its
// relief, striped wallpaper, two wooden trims for the ledges, and the ceiling
// panel with its lamp unlit and lit. The same bytes come out on every run and
// every machine (fixed seeds, no transcendental library calls).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/picture_math.h"

// File names under Pic/, in the order the program loads them.
extern const char* const kPictureNames[7];
constexpr std::size_t kPictureCount = 7;

// The complete bitmap file for kPictureNames[index].
std::vector<std::uint8_t> MakePictureFile(std::size_t index);

// One point of a colour picture (index 0 to 5; the relief is gray and has
// none) at texture coordinates (s, t) in [0, 1), t = 0 at the bottom row,
// before rounding to bytes.
Color SamplePicture(std::size_t index, double s, double t);
