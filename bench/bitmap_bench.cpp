// Bitmap loader throughput: decoding a 4096 by 4096 picture from disk, stored
// as 24-bit pixels and as 8-bit palette indices, against stb_image, against
// SDL_LoadBMP followed by conversion to RGB24, and against the floor:
// allocating the output and copying that many bytes.
//
// The two files are written into a fresh temporary folder at start-up and
// removed at the end; every contender reads the same files. The loader's
// runs also report the most heap it held at once (peak_heap), to compare
// with the output's and the file's sizes.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <stb_image.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "image/bitmap_loader.h"

// ---- Heap accounting for operator new, which is all the loader uses ----

namespace {
std::atomic<std::size_t> gLiveHeap{0};
std::atomic<std::size_t> gPeakHeap{0};
constexpr std::size_t kHeapPrefix = 16;  // keeps the block's size, and 16-byte alignment

void* CountedAllocate(std::size_t size) {
  void* block = std::malloc(size + kHeapPrefix);
  if (block == nullptr) {
    return nullptr;
  }
  std::memcpy(block, &size, sizeof size);
  const std::size_t live = gLiveHeap += size;
  std::size_t peak = gPeakHeap.load();
  while (live > peak && !gPeakHeap.compare_exchange_weak(peak, live)) {
  }
  return static_cast<char*>(block) + kHeapPrefix;
}

void CountedRelease(void* pointer) {
  if (pointer == nullptr) {
    return;
  }
  char* block = static_cast<char*>(pointer) - kHeapPrefix;
  std::size_t size = 0;
  std::memcpy(&size, block, sizeof size);
  gLiveHeap -= size;
  std::free(block);
}
}  // namespace

void* operator new(std::size_t size) {
  void* p = CountedAllocate(size);
  if (p == nullptr) {
    throw std::bad_alloc();
  }
  return p;
}
void* operator new[](std::size_t size) {
  return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return CountedAllocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return CountedAllocate(size);
}
void operator delete(void* p) noexcept {
  CountedRelease(p);
}
void operator delete[](void* p) noexcept {
  CountedRelease(p);
}
void operator delete(void* p, std::size_t) noexcept {
  CountedRelease(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  CountedRelease(p);
}

namespace {

constexpr std::int32_t kSide = 4096;
constexpr std::size_t kOutputBytes = std::size_t{kSide} * kSide * 3;

std::string gPath24;
std::string gPath8;
std::uintmax_t gSize24 = 0;
std::uintmax_t gSize8 = 0;

void Put16(std::vector<unsigned char>& out, std::uint32_t value) {
  out.push_back(static_cast<unsigned char>(value & 0xFF));
  out.push_back(static_cast<unsigned char>(value >> 8));
}
void Put32(std::vector<unsigned char>& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

// A bottom-up picture with a 40-byte header; pixels from a cheap generator so
// that no two neighbouring rows are alike.
std::vector<unsigned char> MakeBitmap(int bitsPerPixel) {
  const std::uint32_t tableEntries = bitsPerPixel == 8 ? 256 : 0;
  const std::uint32_t rowBytes = (kSide * static_cast<std::uint32_t>(bitsPerPixel) / 8 + 3) & ~3u;
  const std::uint32_t offset = 14 + 40 + 4 * tableEntries;
  std::vector<unsigned char> file;
  file.reserve(offset + std::size_t{rowBytes} * kSide);
  file.push_back('B');
  file.push_back('M');
  Put32(file, offset + rowBytes * kSide);
  Put32(file, 0);
  Put32(file, offset);
  Put32(file, 40);
  Put32(file, kSide);
  Put32(file, kSide);
  Put16(file, 1);
  Put16(file, static_cast<std::uint32_t>(bitsPerPixel));
  Put32(file, 0);
  Put32(file, rowBytes * kSide);
  Put32(file, 2835);
  Put32(file, 2835);
  Put32(file, tableEntries);
  Put32(file, 0);
  for (std::uint32_t i = 0; i < tableEntries; ++i) {
    file.push_back(static_cast<unsigned char>(i * 3));
    file.push_back(static_cast<unsigned char>(255 - i));
    file.push_back(static_cast<unsigned char>(i * 11));
    file.push_back(0);
  }
  std::uint32_t state = 2463534242u;
  for (std::size_t i = 0, n = std::size_t{rowBytes} * kSide; i < n; ++i) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    file.push_back(static_cast<unsigned char>(state));
  }
  return file;
}

std::uintmax_t WriteFile(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::exit(1);
  }
  std::fclose(file);
  return bytes.size();
}

const std::string& PathFor(const benchmark::State& state) {
  return state.range(0) == 24 ? gPath24 : gPath8;
}

void SetLabels(benchmark::State& state) {
  state.SetLabel(state.range(0) == 24 ? "24-bit" : "8-bit palette");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(kOutputBytes));
}

// The floor: an output-sized allocation filled by one copy.
void BM_Floor(benchmark::State& state) {
  std::vector<unsigned char> source(kOutputBytes, 0x5A);
  for (auto _ : state) {
    auto* out = static_cast<unsigned char*>(std::malloc(kOutputBytes));
    std::memcpy(out, source.data(), kOutputBytes);
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
    std::free(out);
  }
  SetLabels(state);
}

void BM_LoadBitmapImage(benchmark::State& state) {
  const std::string& path = PathFor(state);
  std::size_t peak = 0;
  for (auto _ : state) {
    const std::size_t before = gLiveHeap.load();
    gPeakHeap = before;
    RgbImage* image = LoadBitmapImage(path.c_str());
    if (image == nullptr) {
      state.SkipWithError("LoadBitmapImage failed");
      break;
    }
    peak = std::max(peak, gPeakHeap.load() - before);
    benchmark::DoNotOptimize(image->pixels);
    ReleaseBitmapImage(image);
  }
  SetLabels(state);
  const double file = static_cast<double>(state.range(0) == 24 ? gSize24 : gSize8);
  state.counters["peak_heap_MB"] = static_cast<double>(peak) / 1e6;
  state.counters["output+file_MB"] = (static_cast<double>(kOutputBytes) + file) / 1e6;
}

void BM_StbImage(benchmark::State& state) {
  const std::string& path = PathFor(state);
  for (auto _ : state) {
    int width = 0;
    int height = 0;
    int channels = 0;
    unsigned char* pixels = stbi_load(path.c_str(), &width, &height, &channels, 3);
    if (pixels == nullptr) {
      state.SkipWithError("stbi_load failed");
      break;
    }
    benchmark::DoNotOptimize(pixels);
    stbi_image_free(pixels);
  }
  SetLabels(state);
}

void BM_SdlLoadBmpToRgb24(benchmark::State& state) {
  const std::string& path = PathFor(state);
  for (auto _ : state) {
    SDL_Surface* loaded = SDL_LoadBMP(path.c_str());
    SDL_Surface* rgb =
        loaded != nullptr ? SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB24, 0) : nullptr;
    if (rgb == nullptr) {
      state.SkipWithError(SDL_GetError());
      SDL_FreeSurface(loaded);
      break;
    }
    benchmark::DoNotOptimize(rgb->pixels);
    SDL_FreeSurface(rgb);
    SDL_FreeSurface(loaded);
  }
  SetLabels(state);
}

// The machine is shared, so besides the mean and median each run reports the
// fastest repetition, which other work disturbs least.
double Fastest(const std::vector<double>& times) {
  return *std::min_element(times.begin(), times.end());
}

BENCHMARK(BM_Floor)->Arg(24)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Fastest);
BENCHMARK(BM_LoadBitmapImage)
    ->Arg(24)
    ->Arg(8)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Fastest);
BENCHMARK(BM_StbImage)
    ->Arg(24)
    ->Arg(8)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Fastest);
BENCHMARK(BM_SdlLoadBmpToRgb24)
    ->Arg(24)
    ->Arg(8)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Fastest);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  // A folder of our own, so that concurrent runs do not share files.
  std::random_device random;
  std::filesystem::path folder;
  do {
    folder = std::filesystem::temp_directory_path() /
             ("halden_bitmap_bench_" + std::to_string(random()));
  } while (!std::filesystem::create_directory(folder));
  gPath24 = (folder / "rgb24.bmp").string();
  gPath8 = (folder / "palette8.bmp").string();
  gSize24 = WriteFile(gPath24, MakeBitmap(24));
  gSize8 = WriteFile(gPath8, MakeBitmap(8));

  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(folder);
  return 0;
}
