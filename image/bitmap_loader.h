// Reads Windows bitmap files into tightly packed, bottom-up RGB pictures.
#pragma once

#include <cstddef>
#include <cstdint>

// A picture: width x height pixels of red, green, blue bytes, rows from the
// bottom of the picture up, no padding between rows. The record is made with
// new and its pixels with new[]; the caller releases the pixels, then the
// record.
struct RgbImage {
  std::int32_t width;
  std::int32_t height;
  unsigned char* pixels;
};

// The loader's message boxes are shown while this is true (always, in the
// program).
extern bool gShowLoaderErrors;

// Reads the file at `path`. On failure returns null after telling the user
// once, in a message box captioned "Error".
RgbImage* LoadBitmapImage(const char* path);
