// Fuzzes the bitmap loader's in-memory entry point: any input must decode or
// fail without a memory error or undefined behaviour, show exactly one
// message when it fails and none when it succeeds, and yield a picture
// within the caps whose buffer holds all its bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "image/bitmap_loader.h"
#include "tests/fuzz/message_box_stub.h"

// Keeps the reads of the picture's bytes from being optimised away.
volatile unsigned char gFuzzSink;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ResetStubMessageBoxes();
  RgbImage* image = DecodeBitmapImage(data, size);
  if (image == nullptr) {
    if (StubMessageBoxCount() != 1) {
      std::abort();
    }
    return 0;
  }
  if (StubMessageBoxCount() != 0 || image->width <= 0 || image->height <= 0 ||
      image->width > kMaxImageSide || image->height > kMaxImageSide) {
    std::abort();
  }
  const std::size_t bytes =
      static_cast<std::size_t>(image->width) * static_cast<std::size_t>(image->height) * 3;
  if (bytes > kMaxImageBytes) {
    std::abort();
  }
  // The first and last bytes must lie in the buffer (ASan checks both).
  gFuzzSink = image->pixels[0];
  gFuzzSink = image->pixels[bytes - 1];
  ReleaseBitmapImage(image);
  return 0;
}
