// Builds the texture sets (render/texture_sets.h) in the current rendering
// context: each picture of the file table loaded and uploaded as three
// textures that differ only in filtering.
#pragma once

#include "image/bitmap_loader.h"
#include "platform/win32_api.h"
#include "render/texture_sets.h"

// The border colour of the two bump sets: mid gray, the height of a flat
// surface once the bump picture is halved.
extern const GLfloat kBorderGray[4];

// Loads every picture of kTextureFiles into its set, in the table's order. A
// picture that fails to load leaves its set as it was and makes the result
// false; the others are still loaded. Needs a current rendering context.
bool LoadTextureSets();

// Makes three textures of `image` into `set`: nearest, linear, mipmapped.
// The mipmapped texture (index 2) is left bound.
void UploadTextureSet(const RgbImage& image, TextureSet& set);
