// The bitmap file loader: reads a Windows bitmap (with or without its 14-byte
// file header, 12- or 40-byte bitmap header) and decodes it, in one pass and
// without the platform's bitmap conversion, into a bottom-up RGB picture.
//
// Decoded: uncompressed 1, 4, 8, 16, 24 and 32 bits per pixel, RLE8, RLE4 and
// bit-field masks, stored bottom-up or top-down. Every size and offset taken
// from the file is checked against the file's length and the picture caps
// before it is used, so no input reads or writes outside its buffers.
#include "image/bitmap_loader.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "platform/win32_api.h"  // MessageBoxA, GetFocus

bool gShowLoaderErrors = true;

namespace {

// Compression values of the 40-byte header.
constexpr std::uint32_t kCompressionNone = 0;
constexpr std::uint32_t kCompressionRle8 = 1;
constexpr std::uint32_t kCompressionRle4 = 2;
constexpr std::uint32_t kCompressionBitfields = 3;

constexpr std::uint64_t kFileHeaderSize = 14;

// Uncompressed rows are converted in blocks of about this many source bytes,
// small enough to stay in cache between the read and the conversion.
constexpr std::size_t kRowBlockBytes = 64 * 1024;
// A file is read at least this much at a time, so that the headers and the
// colour table come in with one read.
constexpr std::size_t kMinFileRead = 4096;

enum class Failure { kNone, kOpen, kUnknownFormat, kOutOfMemory, kConversion };

void ShowLoaderError(const char* text) {
  if (gShowLoaderErrors) {
    MessageBoxA(GetFocus(), text, "Error", MB_OK);
  }
}

void ReportFailure(Failure failure, const char* path) {
  switch (failure) {
    case Failure::kNone:
      break;
    case Failure::kOpen: {
      // Built to fit, so a path of any length is shown whole.
      std::string text = "Failed to open DIB file ";
      text += path != nullptr ? path : "";
      text += ".\n";
      ShowLoaderError(text.c_str());
      break;
    }
    case Failure::kUnknownFormat:
      ShowLoaderError("Unknown DIB file format.");
      break;
    case Failure::kOutOfMemory:
      ShowLoaderError("Out of memory.");
      break;
    case Failure::kConversion:
      ShowLoaderError("Image file conversion error.");
      break;
  }
}

std::uint16_t ReadU16(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t ReadU32(const unsigned char* p) {
  return static_cast<std::uint32_t>(ReadU16(p)) |
         (static_cast<std::uint32_t>(ReadU16(p + 2)) << 16);
}

// The input's bytes, either all in memory or read from a file on demand into
// a window that is reused (and grown only when one request needs more).
struct ByteSource {
  const unsigned char* memory = nullptr;
  std::FILE* file = nullptr;
  std::uint64_t size = 0;
  unsigned char* window = nullptr;
  std::size_t windowCapacity = 0;
  std::uint64_t windowStart = 0;
  std::size_t windowLength = 0;
  std::uint64_t filePosition = 0;
  bool outOfMemory = false;  // a request failed because the window could not grow
};

void ReleaseSource(ByteSource& source) {
  delete[] source.window;
  source.window = nullptr;
  source.windowCapacity = 0;
  source.windowLength = 0;
}

// Returns the `length` bytes at `offset`, valid until the next fetch, or null
// when the input does not hold them or they cannot be read.
const unsigned char* FetchBytes(ByteSource& source, std::uint64_t offset, std::uint64_t length) {
  if (offset > source.size || length > source.size - offset) {
    return nullptr;
  }
  if (source.memory != nullptr) {
    return source.memory + offset;
  }
  if (source.window != nullptr && offset >= source.windowStart &&
      offset - source.windowStart <= source.windowLength &&
      length <= source.windowLength - (offset - source.windowStart)) {
    return source.window + (offset - source.windowStart);
  }
  const std::uint64_t want =
      std::min<std::uint64_t>(std::max<std::uint64_t>(length, kMinFileRead), source.size - offset);
  if (want > SIZE_MAX) {
    return nullptr;
  }
  source.windowLength = 0;
  if (want > source.windowCapacity) {
    ReleaseSource(source);
    source.window = new (std::nothrow) unsigned char[static_cast<std::size_t>(want)];
    if (source.window == nullptr) {
      source.outOfMemory = true;
      return nullptr;
    }
    source.windowCapacity = static_cast<std::size_t>(want);
  }
  if (offset != source.filePosition) {
    // Offsets past what std::fseek can address lie beyond any file the
    // loader accepts (the caps bound every valid picture far below that).
    if (offset > static_cast<std::uint64_t>(LONG_MAX) ||
        std::fseek(source.file, static_cast<long>(offset), SEEK_SET) != 0) {
      return nullptr;
    }
    source.filePosition = offset;
  }
  const std::size_t got = std::fread(source.window, 1, static_cast<std::size_t>(want), source.file);
  source.filePosition += got;
  source.windowStart = offset;
  source.windowLength = got;
  return got >= length ? source.window : nullptr;
}

// One colour-table entry, as red, green, blue and a spare byte so that a
// pixel can be stored with one 4-byte write.
struct PaletteEntry {
  unsigned char rgb[4];
};

// A bit-field mask, turned into a shift, a width and a scale to 8 bits.
struct Channel {
  std::uint32_t mask;
  int shift;
  int bits;
  unsigned char scale[128];  // for widths below 8 bits: value -> 0..255
};

bool MakeChannel(std::uint32_t mask, Channel& channel) {
  channel.mask = mask;
  channel.shift = 0;
  channel.bits = 0;
  std::memset(channel.scale, 0, sizeof channel.scale);
  if (mask == 0) {
    return true;  // a channel without bits is always 0
  }
  while (((mask >> channel.shift) & 1u) == 0) {
    ++channel.shift;
  }
  const std::uint32_t field = mask >> channel.shift;
  if ((field & (field + 1u)) != 0) {
    return false;  // the bits of a mask must be contiguous
  }
  for (std::uint32_t rest = field; rest != 0; rest >>= 1) {
    ++channel.bits;
  }
  if (channel.bits < 8) {
    const std::uint32_t top = field;
    for (std::uint32_t value = 0; value <= top; ++value) {
      channel.scale[value] = static_cast<unsigned char>((value * 255u + top / 2) / top);
    }
  }
  return true;
}

unsigned char ChannelValue(std::uint32_t pixel, const Channel& channel) {
  const std::uint32_t value = (pixel & channel.mask) >> channel.shift;
  return channel.bits >= 8 ? static_cast<unsigned char>(value >> (channel.bits - 8))
                           : channel.scale[value];
}

// What the headers say, once checked.
struct Layout {
  std::int32_t width;
  std::int32_t height;  // number of rows, positive
  bool topDown;
  int bitsPerPixel;
  std::uint32_t compression;
  std::uint64_t rowsOffset;
  PaletteEntry palette[256];  // entries past the file's table are black
  Channel channels[3];        // red, green, blue, for 16 and 32 bits per pixel
};

// ---- Row converters: one source row to width RGB pixels ----

// Stores the pixel at `index` of a row; all but the last pixel of the row
// are written 4 bytes wide, the spare byte being overwritten by the next one.
inline void PutEntry(unsigned char* row, std::int32_t x, std::int32_t width,
                     const PaletteEntry& entry) {
  unsigned char* at = row + static_cast<std::size_t>(x) * 3;
  if (x + 1 < width) {
    std::memcpy(at, entry.rgb, 4);
  } else {
    std::memcpy(at, entry.rgb, 3);
  }
}

bool IsLittleEndian() {
  const std::uint32_t one = 1;
  unsigned char first = 0;
  std::memcpy(&first, &one, 1);
  return first == 1;
}

void ConvertRow8(const unsigned char* src, unsigned char* dst, const Layout& layout) {
  const std::int32_t width = layout.width;
  std::int32_t x = 0;
  if (IsLittleEndian()) {
    // Four pixels at a time, as three 32-bit words; an entry read as a word
    // is red | green << 8 | blue << 16.
    for (; x + 4 <= width; x += 4) {
      std::uint32_t p[4];
      for (int i = 0; i < 4; ++i) {
        std::memcpy(&p[i], layout.palette[src[x + i]].rgb, 4);
      }
      const std::uint32_t out[3] = {p[0] | (p[1] << 24), (p[1] >> 8) | (p[2] << 16),
                                    (p[2] >> 16) | (p[3] << 8)};
      std::memcpy(dst + static_cast<std::size_t>(x) * 3, out, 12);
    }
  }
  for (; x < width; ++x) {
    PutEntry(dst, x, width, layout.palette[src[x]]);
  }
}

void ConvertRow4(const unsigned char* src, unsigned char* dst, const Layout& layout) {
  for (std::int32_t x = 0; x < layout.width; ++x) {
    const unsigned char byte = src[x >> 1];
    const unsigned index = (x & 1) != 0 ? byte & 0x0Fu : byte >> 4;
    PutEntry(dst, x, layout.width, layout.palette[index]);
  }
}

void ConvertRow1(const unsigned char* src, unsigned char* dst, const Layout& layout) {
  for (std::int32_t x = 0; x < layout.width; ++x) {
    const unsigned index = (src[x >> 3] >> (7 - (x & 7))) & 1u;
    PutEntry(dst, x, layout.width, layout.palette[index]);
  }
}

void ConvertRow24(const unsigned char* src, unsigned char* dst, const Layout& layout) {
  const std::size_t width = static_cast<std::size_t>(layout.width);
  std::size_t x = 0;
  if (IsLittleEndian()) {
    // Four pixels at a time, as three 32-bit words:
    //   in   b0 g0 r0 b1 | g1 r1 b2 g2 | r2 b3 g3 r3
    //   out  r0 g0 b0 r1 | g1 b1 r2 g2 | b2 r3 g3 b3
    for (; x + 4 <= width; x += 4) {
      std::uint32_t w[3];
      std::memcpy(w, src + x * 3, 12);
      const std::uint32_t out[3] = {
          ((w[0] >> 16) & 0xFFu) | (w[0] & 0xFF00u) | ((w[0] & 0xFFu) << 16) |
              ((w[1] & 0xFF00u) << 16),
          (w[1] & 0xFFu) | ((w[0] >> 16) & 0xFF00u) | ((w[2] & 0xFFu) << 16) | (w[1] & 0xFF000000u),
          ((w[1] >> 16) & 0xFFu) | ((w[2] >> 16) & 0xFF00u) | (w[2] & 0xFF0000u) |
              ((w[2] & 0xFF00u) << 16),
      };
      std::memcpy(dst + x * 3, out, 12);
    }
  }
  for (; x < width; ++x) {
    dst[x * 3] = src[x * 3 + 2];
    dst[x * 3 + 1] = src[x * 3 + 1];
    dst[x * 3 + 2] = src[x * 3];
  }
}

void ConvertRow16(const unsigned char* src, unsigned char* dst, const Layout& layout) {
  for (std::int32_t x = 0; x < layout.width; ++x) {
    const std::uint32_t pixel = ReadU16(src + static_cast<std::size_t>(x) * 2);
    unsigned char* at = dst + static_cast<std::size_t>(x) * 3;
    at[0] = ChannelValue(pixel, layout.channels[0]);
    at[1] = ChannelValue(pixel, layout.channels[1]);
    at[2] = ChannelValue(pixel, layout.channels[2]);
  }
}

void ConvertRow32(const unsigned char* src, unsigned char* dst, const Layout& layout) {
  for (std::int32_t x = 0; x < layout.width; ++x) {
    const std::uint32_t pixel = ReadU32(src + static_cast<std::size_t>(x) * 4);
    unsigned char* at = dst + static_cast<std::size_t>(x) * 3;
    at[0] = ChannelValue(pixel, layout.channels[0]);
    at[1] = ChannelValue(pixel, layout.channels[1]);
    at[2] = ChannelValue(pixel, layout.channels[2]);
  }
}

using RowConverter = void (*)(const unsigned char*, unsigned char*, const Layout&);

RowConverter PickRowConverter(int bitsPerPixel) {
  switch (bitsPerPixel) {
    case 1:
      return ConvertRow1;
    case 4:
      return ConvertRow4;
    case 8:
      return ConvertRow8;
    case 16:
      return ConvertRow16;
    case 24:
      return ConvertRow24;
    default:
      return ConvertRow32;
  }
}

std::uint64_t SourceRowBytes(const Layout& layout) {
  // Rows are padded to a multiple of 4 bytes.
  return (static_cast<std::uint64_t>(layout.width) *
              static_cast<std::uint64_t>(layout.bitsPerPixel) +
          31) /
         32 * 4;
}

Failure DecodeRows(ByteSource& source, const Layout& layout, unsigned char* pixels) {
  const RowConverter convert = PickRowConverter(layout.bitsPerPixel);
  const std::uint64_t srcRow = SourceRowBytes(layout);
  const std::size_t dstRow = static_cast<std::size_t>(layout.width) * 3;
  const std::int32_t blockRows =
      static_cast<std::int32_t>(std::max<std::uint64_t>(1, kRowBlockBytes / srcRow));
  for (std::int32_t first = 0; first < layout.height; first += blockRows) {
    const std::int32_t rows = std::min(blockRows, layout.height - first);
    const unsigned char* src =
        FetchBytes(source, layout.rowsOffset + static_cast<std::uint64_t>(first) * srcRow,
                   static_cast<std::uint64_t>(rows) * srcRow);
    if (src == nullptr) {
      return source.outOfMemory ? Failure::kOutOfMemory : Failure::kConversion;
    }
    for (std::int32_t r = 0; r < rows; ++r) {
      const std::int32_t stored = first + r;  // rows as they lie in the file
      const std::int32_t y = layout.topDown ? layout.height - 1 - stored : stored;
      convert(src + static_cast<std::size_t>(r) * srcRow,
              pixels + static_cast<std::size_t>(y) * dstRow, layout);
    }
  }
  return Failure::kNone;
}

// Run-length decoding. The stream is read pair by pair: a count and a colour
// index (or two 4-bit indices that alternate), or a 0 followed by an escape:
// 0 ends the line, 1 ends the picture, 2 moves by the next two bytes (right,
// up), 3 and more copies that many indices, padded to a 16-bit boundary.
// Pixels the stream skips stay black; pixels it places outside the picture
// are dropped. The stream must end with the end-of-picture escape. With no
// `pixels` the stream is only checked.
bool DecodeRunLengths(const unsigned char* stream, std::size_t length, const Layout& layout,
                      unsigned char* pixels) {
  const bool fourBit = layout.compression == kCompressionRle4;
  const std::uint32_t width = static_cast<std::uint32_t>(layout.width);
  const std::uint32_t height = static_cast<std::uint32_t>(layout.height);
  const std::size_t dstRow = static_cast<std::size_t>(width) * 3;
  std::uint32_t x = 0;  // kept at most width
  std::uint32_t y = 0;  // kept at most height
  std::size_t at = 0;

  auto put = [&](unsigned index) {
    if (x < width) {
      if (y < height && pixels != nullptr) {
        PutEntry(pixels + y * dstRow, static_cast<std::int32_t>(x), layout.width,
                 layout.palette[index]);
      }
      ++x;
    }
  };

  for (;;) {
    if (length - at < 2) {
      return false;
    }
    const unsigned count = stream[at];
    const unsigned value = stream[at + 1];
    at += 2;
    if (count != 0) {
      for (unsigned i = 0; i < count && x < width; ++i) {
        put(fourBit ? ((i & 1u) != 0 ? value & 0x0Fu : value >> 4) : value);
      }
      continue;
    }
    switch (value) {
      case 0:  // end of line
        x = 0;
        y = std::min(y + 1, height);
        break;
      case 1:  // end of picture
        return true;
      case 2:  // delta
        if (length - at < 2) {
          return false;
        }
        x = std::min(x + stream[at], width);
        y = std::min(y + stream[at + 1], height);
        at += 2;
        break;
      default: {  // absolute run of `value` indices
        const std::size_t bytes = fourBit ? (value + 1) / 2 : value;
        const std::size_t padded = (bytes + 1) & ~std::size_t{1};
        if (length - at < padded) {
          return false;
        }
        const unsigned char* run = stream + at;
        for (unsigned i = 0; i < value && x < width; ++i) {
          put(fourBit ? ((i & 1u) != 0 ? run[i >> 1] & 0x0Fu : run[i >> 1] >> 4) : run[i]);
        }
        at += padded;
        break;
      }
    }
  }
}

bool IsPaletteDepth(int bitsPerPixel) {
  return bitsPerPixel <= 8;
}

// Reads and checks the headers, colour table and masks into `layout`.
Failure ReadLayout(ByteSource& source, Layout& layout) {
  const unsigned char* magic = FetchBytes(source, 0, 2);
  const bool hasFileHeader = magic != nullptr && magic[0] == 'B' && magic[1] == 'M';
  const std::uint64_t headerStart = hasFileHeader ? kFileHeaderSize : 0;

  const unsigned char* sizeField = FetchBytes(source, headerStart, 4);
  if (sizeField == nullptr) {
    return Failure::kConversion;
  }
  const std::uint32_t headerSize = ReadU32(sizeField);
  if (headerSize != 12 && headerSize != 40) {
    return Failure::kUnknownFormat;
  }
  // The file header's row offset is fetched with the bitmap header.
  const unsigned char* fileStart = FetchBytes(source, 0, headerStart + headerSize);
  if (fileStart == nullptr) {
    return Failure::kConversion;
  }
  const unsigned char* header = fileStart + headerStart;
  const std::uint64_t storedRowsOffset = hasFileHeader ? ReadU32(fileStart + 10) : 0;

  std::int64_t width = 0;
  std::int64_t height = 0;
  int planes = 0;
  std::uint32_t coloursUsed = 0;
  layout.compression = kCompressionNone;
  if (headerSize == 12) {
    width = ReadU16(header + 4);
    height = ReadU16(header + 6);
    planes = ReadU16(header + 8);
    layout.bitsPerPixel = ReadU16(header + 10);
  } else {
    width = static_cast<std::int32_t>(ReadU32(header + 4));
    height = static_cast<std::int32_t>(ReadU32(header + 8));
    planes = ReadU16(header + 12);
    layout.bitsPerPixel = ReadU16(header + 14);
    layout.compression = ReadU32(header + 16);
    coloursUsed = ReadU32(header + 32);
  }
  const int bits = layout.bitsPerPixel;
  if (width <= 0 || height == 0 || planes != 1) {
    return Failure::kConversion;
  }
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
    return Failure::kConversion;
  }
  layout.topDown = height < 0;
  const std::int64_t rows = height < 0 ? -height : height;
  switch (layout.compression) {
    case kCompressionNone:
      break;
    case kCompressionRle8:
    case kCompressionRle4:
      // Run-length pictures are bottom-up only, 8 or 4 bits as named.
      if (bits != (layout.compression == kCompressionRle8 ? 8 : 4) || layout.topDown) {
        return Failure::kConversion;
      }
      break;
    case kCompressionBitfields:
      if (bits != 16 && bits != 32) {
        return Failure::kConversion;
      }
      break;
    default:  // JPEG, PNG and anything unknown
      return Failure::kConversion;
  }

  if (width > kMaxImageSide || rows > kMaxImageSide ||
      static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(rows) * 3 > kMaxImageBytes) {
    return Failure::kOutOfMemory;
  }
  layout.width = static_cast<std::int32_t>(width);
  layout.height = static_cast<std::int32_t>(rows);

  // Masks follow a 40-byte header in bit-field pictures; the colour table
  // follows them (or the header).
  std::uint64_t tableStart = headerStart + headerSize;
  std::uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};  // 5-5-5
  if (bits == 32) {
    masks[0] = 0xFF0000;
    masks[1] = 0x00FF00;
    masks[2] = 0x0000FF;
  }
  if (layout.compression == kCompressionBitfields) {
    const unsigned char* maskBytes = FetchBytes(source, tableStart, 12);
    if (maskBytes == nullptr) {
      return Failure::kConversion;
    }
    for (int i = 0; i < 3; ++i) {
      masks[i] = ReadU32(maskBytes + 4 * i);
    }
    tableStart += 12;
  }
  for (int i = 0; i < 3; ++i) {
    if (!MakeChannel(masks[i], layout.channels[i])) {
      return Failure::kConversion;
    }
  }

  const std::uint64_t entrySize = headerSize == 12 ? 3 : 4;
  std::uint64_t entries = CountPaletteEntries(header, headerSize);
  if (coloursUsed != 0) {
    if (IsPaletteDepth(bits) && coloursUsed > (1u << bits)) {
      return Failure::kConversion;
    }
    entries = coloursUsed;  // not cut: a larger table still lies before the rows
  }
  const std::uint64_t tableBytes = entries * entrySize;
  if (tableStart > source.size || tableBytes > source.size - tableStart) {
    return Failure::kConversion;
  }
  std::memset(layout.palette, 0, sizeof layout.palette);
  if (IsPaletteDepth(bits)) {
    // At most 256 entries here; deeper pictures only skip their table.
    const unsigned char* table = FetchBytes(source, tableStart, tableBytes);
    if (table == nullptr) {
      return Failure::kConversion;
    }
    for (std::uint64_t i = 0; i < entries; ++i) {
      const unsigned char* entry = table + i * entrySize;  // blue, green, red
      layout.palette[i].rgb[0] = entry[2];
      layout.palette[i].rgb[1] = entry[1];
      layout.palette[i].rgb[2] = entry[0];
    }
  }
  layout.rowsOffset = hasFileHeader ? storedRowsOffset : tableStart + tableBytes;

  // Uncompressed rows must all be in the file; a run-length stream is checked
  // as it is decoded.
  if (layout.compression == kCompressionRle8 || layout.compression == kCompressionRle4) {
    if (layout.rowsOffset >= source.size) {
      return Failure::kConversion;
    }
  } else {
    const std::uint64_t rowBytes = SourceRowBytes(layout) * static_cast<std::uint64_t>(rows);
    if (layout.rowsOffset > source.size || rowBytes > source.size - layout.rowsOffset) {
      return Failure::kConversion;
    }
  }
  return Failure::kNone;
}

Failure Decode(ByteSource& source, RgbImage*& image) {
  image = nullptr;
  Layout layout;
  const Failure failure = ReadLayout(source, layout);
  if (failure != Failure::kNone) {
    return failure;
  }
  const std::size_t bytes =
      static_cast<std::size_t>(layout.width) * static_cast<std::size_t>(layout.height) * 3;
  const bool runLengths =
      layout.compression == kCompressionRle8 || layout.compression == kCompressionRle4;
  const unsigned char* stream = nullptr;
  std::size_t streamLength = 0;
  if (runLengths) {
    // The whole stream is read and checked before the picture is allocated,
    // so that a broken stream costs no allocation of the picture's size.
    streamLength = static_cast<std::size_t>(source.size - layout.rowsOffset);
    stream = FetchBytes(source, layout.rowsOffset, streamLength);
    if (stream == nullptr) {
      return source.outOfMemory ? Failure::kOutOfMemory : Failure::kConversion;
    }
    if (!DecodeRunLengths(stream, streamLength, layout, nullptr)) {
      return Failure::kConversion;
    }
  }
  // Run-length streams may skip pixels, which stay black; uncompressed rows
  // fill every byte.
  unsigned char* pixels = runLengths ? new (std::nothrow) unsigned char[bytes]()
                                     : new (std::nothrow) unsigned char[bytes];
  if (pixels == nullptr) {
    return Failure::kOutOfMemory;
  }
  Failure result = Failure::kNone;
  if (runLengths) {
    DecodeRunLengths(stream, streamLength, layout, pixels);
  } else {
    result = DecodeRows(source, layout, pixels);
  }
  if (result == Failure::kNone) {
    image = new (std::nothrow) RgbImage{layout.width, layout.height, pixels};
    if (image == nullptr) {
      result = Failure::kOutOfMemory;
    }
  }
  if (result != Failure::kNone) {
    delete[] pixels;
  }
  return result;
}

}  // namespace

std::uint16_t CountPaletteEntries(const unsigned char* header, std::size_t available) {
  if (header == nullptr || available < 4) {
    return 0;
  }
  unsigned bitsPerPixel = 0;
  if (ReadU32(header) == 12) {
    if (available < 12) {
      return 0;
    }
    bitsPerPixel = ReadU16(header + 10);
  } else {
    if (available < 36) {
      return 0;
    }
    const std::uint32_t coloursUsed = ReadU32(header + 32);
    if (coloursUsed != 0) {
      return static_cast<std::uint16_t>(coloursUsed);
    }
    bitsPerPixel = ReadU16(header + 14);
  }
  switch (bitsPerPixel) {
    case 1:
      return 2;
    case 4:
      return 16;
    case 8:
      return 256;
    default:
      return 0;
  }
}

void ReleaseBitmapImage(RgbImage* image) {
  if (image == nullptr) {
    return;
  }
  delete[] image->pixels;
  delete image;
}

void ResetBitmapLoader() {
  gShowLoaderErrors = true;
}

RgbImage* DecodeBitmapImage(const unsigned char* bytes, std::size_t size) {
  ByteSource source;
  source.memory = bytes != nullptr ? bytes : reinterpret_cast<const unsigned char*>("");
  source.size = bytes != nullptr ? size : 0;
  RgbImage* image = nullptr;
  const Failure failure = Decode(source, image);
  ReportFailure(failure, nullptr);
  return image;
}

RgbImage* LoadBitmapImage(const char* path) {
  std::FILE* file = path != nullptr ? std::fopen(path, "rb") : nullptr;
  long size = -1;
  if (file != nullptr) {
    // Reads go straight into the loader's own buffer.
    std::setvbuf(file, nullptr, _IONBF, 0);
    if (std::fseek(file, 0, SEEK_END) == 0) {
      size = std::ftell(file);
    }
  }
  // An empty file cannot be mapped on Windows, and so counts as unreadable.
  if (file == nullptr || size <= 0 || std::fseek(file, 0, SEEK_SET) != 0) {
    if (file != nullptr) {
      std::fclose(file);
    }
    ReportFailure(Failure::kOpen, path != nullptr ? path : "");
    return nullptr;
  }
  ByteSource source;
  source.file = file;
  source.size = static_cast<std::uint64_t>(size);
  RgbImage* image = nullptr;
  Failure failure = Decode(source, image);
  // A read error on the first bytes means the file itself cannot be read
  // (a directory, for one), not that its contents are wrong.
  if (failure != Failure::kNone && std::ferror(file) != 0 && source.filePosition == 0) {
    failure = Failure::kOpen;
  }
  ReleaseSource(source);
  std::fclose(file);
  ReportFailure(failure, path);
  return image;
}
