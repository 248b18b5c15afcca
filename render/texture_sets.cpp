// The texture sets and the table of the files they are built from.
#include "render/texture_sets.h"

TextureSet gFloorSet;
TextureSet gBumpSet;
TextureSet gInvertedBumpSet;
TextureSet gLampDaySet;
TextureSet gLampNightSet;
TextureSet gWallSet;
TextureSet gUpperRightSet;
TextureSet gLowerRightSet;

const TextureFile kTextureFiles[kTextureFileCount] = {
    {"Pic/pinkfloor1.bmp", &gFloorSet, nullptr},
    {"Pic/Ceilinglampday.bmp", &gLampDaySet, nullptr},
    {"Pic/Ceilinglampnight.bmp", &gLampNightSet, nullptr},
    {"Pic/wall.bmp", &gWallSet, nullptr},
    {"Pic/rightwall.bmp", &gUpperRightSet, nullptr},
    {"Pic/rightwall1.bmp", &gLowerRightSet, nullptr},
    {"Pic/pinkfloorbump1.bmp", &gBumpSet, &gInvertedBumpSet},
};

void ResetTextureSets() {
  for (const TextureFile& file : kTextureFiles) {
    *file.set = TextureSet{};
    if (IsBumpPicture(file)) *file.invertedSet = TextureSet{};
  }
}
