// Texture sets: the seven scene pictures turned into OpenGL textures, three
// per picture (nearest, linear, mipmapped), once per rendering context.
#pragma once

#include "image/bitmap_loader.h"
#include "render/app_state.h"

// The border colour of the two bump sets: mid gray, the height of a flat
// surface once the bump picture is halved.
extern const GLfloat kBorderGray[4];

// Loads every picture under Pic/ into its set, in a fixed order. A picture
// that fails to load leaves its set as it was and makes the result false; the
// others are still loaded. Needs a current rendering context.
bool LoadTextureSets();

// Makes three textures of `image` into `set`: nearest, linear, mipmapped.
// The mipmapped texture (index 2) is left bound.
void UploadTextureSet(const RgbImage& image, TextureSet& set);
