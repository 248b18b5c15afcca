// The scene's seven pictures, drawn from scratch: a pink tiled floor and its
// relief, striped wallpaper, two wooden trims for the ledges, and the ceiling
// panel with its lamp unlit and lit. The same bytes come out on every run and
// every machine (fixed seeds, no transcendental library calls).
#pragma once

#include <cstdint>
#include <vector>

#include "render/texture_sets.h"  // the files, kTextureFiles, and the sets they fill
#include "tools/picture_math.h"

// The complete bitmap file for one row of kTextureFiles; empty for a file
// the generator has no drawing for.
std::vector<std::uint8_t> MakePictureFile(const TextureFile& file);

// One point of the colour picture that fills `set` at texture coordinates
// (s, t) in [0, 1), t = 0 at the bottom row, before rounding to bytes. Black
// for the bump sets (the relief is gray) and any set without a drawing.
Color SamplePicture(const TextureSet& set, double s, double t);
