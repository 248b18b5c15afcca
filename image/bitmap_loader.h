// Reads Windows bitmap files into tightly packed, bottom-up RGB pictures.
#pragma once

#include <cstddef>
#include <cstdint>

// A picture: width x height pixels of red, green, blue bytes, rows from the
// bottom of the picture up, no padding between rows. The loader makes the
// record and its pixels; the caller gives both back with ReleaseBitmapImage.
struct RgbImage {
  std::int32_t width;
  std::int32_t height;
  unsigned char* pixels;
};

// Releases a picture the loader made: its pixels, then the record. Null is
// allowed and releases nothing.
void ReleaseBitmapImage(RgbImage* image);

// The loader's message boxes are shown while this is true (always, in the
// program).
extern bool gShowLoaderErrors;

// Puts gShowLoaderErrors back to its starting value (tests run the program
// many times in one process).
void ResetBitmapLoader();

// Reads the file at `path`. On failure returns null after telling the user
// once, in a message box captioned "Error".
RgbImage* LoadBitmapImage(const char* path);

// Largest picture the loader accepts: at most this many pixels per side and
// at most kMaxImageBytes of RGB output. Larger headers get "Out of memory."
// before any allocation is tried.
constexpr std::int32_t kMaxImageSide = 16384;
constexpr std::size_t kMaxImageBytes = std::size_t{1} << 28;

// Decodes the `size` bytes of a bitmap file held in memory, exactly as
// LoadBitmapImage decodes a file's contents, with the same messages (an
// empty or short input is a conversion error, not an open failure).
RgbImage* DecodeBitmapImage(const unsigned char* bytes, std::size_t size);

// Number of colour-table entries the bitmap header at `header` declares: its
// colours-used field when that is non-zero (40-byte and larger headers only;
// cut to 16 bits), otherwise 2, 16 or 256 for 1, 4 or 8 bits per pixel and 0
// for other depths. `available` is how many bytes of the header can be read;
// a header too short for the fields it needs counts 0.
std::uint16_t CountPaletteEntries(const unsigned char* header, std::size_t available);
