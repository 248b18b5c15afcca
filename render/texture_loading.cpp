// Builds the texture sets: loads each picture of the file table and uploads
// it as three textures differing only in filtering; the floor's relief
// becomes two half-intensity sets, the picture and its inverse.
#include "render/texture_loading.h"

#include <cstddef>
#include <type_traits>

static_assert(std::is_same<GLuint, unsigned int>::value, "TextureSet holds GLuint names");

const GLfloat kBorderGray[4] = {0.5f, 0.5f, 0.5f, 1.0f};

namespace {

void SetPixelTransferScale(GLfloat scale) {
  glPixelTransferf(GL_RED_SCALE, scale);
  glPixelTransferf(GL_GREEN_SCALE, scale);
  glPixelTransferf(GL_BLUE_SCALE, scale);
}

// The bump textures clamp to a mid-gray border so that a lookup past the edge
// of a tile reads as flat rather than as the opposite edge. Only these six
// textures get it: the ledge textures repeat 5 by 5 and must keep wrapping.
void ClampToGrayBorder(const TextureSet& set) {
  for (GLuint name : set.names) {
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, kBorderGray);
  }
}

// Uploads the relief at half intensity into `set`, then its inverse into
// `invertedSet`, both on every mipmap level; `image` is inverted in place.
void UploadBumpSets(RgbImage& image, TextureSet& set, TextureSet& invertedSet) {
  SetPixelTransferScale(0.5f);
  UploadTextureSet(image, set);
  ClampToGrayBorder(set);

  const std::size_t byteCount =
      static_cast<std::size_t>(image.width) * 3u * static_cast<std::size_t>(image.height);
  for (std::size_t i = 0; i < byteCount; ++i) {
    image.pixels[i] = static_cast<unsigned char>(255 - image.pixels[i]);
  }
  UploadTextureSet(image, invertedSet);
  ClampToGrayBorder(invertedSet);
  SetPixelTransferScale(1.0f);
}

}  // namespace

void UploadTextureSet(const RgbImage& image, TextureSet& set) {
  static const GLint kMagFilters[3] = {GL_NEAREST, GL_LINEAR, GL_LINEAR};
  static const GLint kMinFilters[3] = {GL_NEAREST, GL_LINEAR, GL_LINEAR_MIPMAP_NEAREST};

  // Rows are tightly packed, whatever their length, so read them with an
  // alignment of 1 and give the caller's alignment back afterwards.
  GLint savedAlignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &savedAlignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);

  glGenTextures(3, set.names);
  for (int i = 0; i < 3; ++i) {
    glBindTexture(GL_TEXTURE_2D, set.names[i]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, kMagFilters[i]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, kMinFilters[i]);
    if (i < 2) {
      glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, image.width, image.height, 0, GL_RGB,
                   GL_UNSIGNED_BYTE, image.pixels);
    } else {
      gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGB8, image.width, image.height, GL_RGB, GL_UNSIGNED_BYTE,
                        image.pixels);
    }
  }

  glPixelStorei(GL_UNPACK_ALIGNMENT, savedAlignment);
}

bool LoadTextureSets() {
  bool loaded = true;
  for (const TextureFile& file : kTextureFiles) {
    RgbImage* image = LoadBitmapImage(file.path);
    if (image == nullptr) {
      loaded = false;
      continue;
    }
    if (IsBumpPicture(file)) {
      UploadBumpSets(*image, *file.set, *file.invertedSet);
    } else {
      UploadTextureSet(*image, *file.set);
    }
    ReleaseBitmapImage(image);
  }
  return loaded;
}
