// The program's icon: a view down the room (floor, walls, the right-hand
// ledges, the ceiling and its lamp, in the scene pictures' own colours) in a
// rounded dark frame, ray-cast from the room's planes at every size rather
// than scaled from one drawing. Pure computation: the same bytes on every run
// and every machine.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The sizes a desktop asks for, in pixels square.
constexpr std::array<int, 7> kIconSizes = {16, 24, 32, 48, 64, 128, 256};

// The icon at size by size pixels: RGBA, straight (not premultiplied) alpha,
// top row first.
std::vector<std::uint8_t> DrawIcon(int size);

// The files under packaging/icons/: one PNG a size (IconPngName), and one
// Windows icon holding every size (kIconFileName).
constexpr const char* kIconFileName = "halden.ico";
std::string IconPngName(int size);
std::vector<std::uint8_t> MakeIconPng(int size);
std::vector<std::uint8_t> MakeIconFile();

// The Windows icon's entries up to this size are 32-bit bitmaps with an AND
// mask, which every version of Windows reads; larger ones are PNG.
constexpr int kLargestBitmapIcon = 64;
