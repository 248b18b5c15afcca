// room_screenshots: runs the whole program offscreen on the scripted layer
// (a real Mesa context, no display) and saves what it draws as PNG files:
// the room by day (day.png), by night (night.png) and by day with the bump
// floor (bump.png), from the starting view.
//
//   room_screenshots <output directory> [<directory holding Pic/>]
//
// The keys are the user's own: B swaps the floor, N switches the lights on,
// Esc ends the program.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include "render/view_state.h"
#include "support/scripted_platform.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kFrameLimit = 100;  // the script needs a handful

std::string gOutputDirectory;
bool gFailed = false;

// Saves the frame just drawn, top row first as PNG wants it.
void SaveFrame(const char* name) {
  std::vector<unsigned char> bottomUp(kWidth * kHeight * 3);
  GLint packAlignment = 4;
  glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
  glPixelStorei(GL_PACK_ALIGNMENT, packAlignment);

  std::vector<unsigned char> topDown(bottomUp.size());
  const std::size_t row = kWidth * 3;
  for (std::size_t y = 0; y < kHeight; ++y) {
    std::copy_n(bottomUp.begin() + static_cast<std::ptrdiff_t>((kHeight - 1 - y) * row), row,
                topDown.begin() + static_cast<std::ptrdiff_t>(y * row));
  }
  const std::string path = gOutputDirectory + "/" + name;
  if (stbi_write_png(path.c_str(), kWidth, kHeight, 3, topDown.data(), kWidth * 3) == 0) {
    std::fprintf(stderr, "room_screenshots: cannot write %s\n", path.c_str());
    gFailed = true;
  } else {
    std::printf("%s\n", path.c_str());
  }
}

// Called after each frame is drawn and before the keys act on the state, so
// the state still says what the frame shows.
void Script(int frame) {
  static bool savedDay = false;
  static bool savedBump = false;
  static bool savedNight = false;
  if (!gLightsOn && !gBumpFloor && !savedDay) {
    SaveFrame("day.png");
    savedDay = true;
    scripted::PostKeyDown('B');
  } else if (!gLightsOn && gBumpFloor && !savedBump) {
    SaveFrame("bump.png");
    savedBump = true;
    scripted::PostKeyDown('B');
    scripted::PostKeyDown('N');
  } else if (gLightsOn && !gBumpFloor && !savedNight) {
    SaveFrame("night.png");
    savedNight = true;
    scripted::PostKeyDown(VK_ESCAPE);
  }
  if (frame == kFrameLimit) {
    std::fprintf(stderr, "room_screenshots: the program did not reach every view\n");
    gFailed = true;
    scripted::PostKeyDown(VK_ESCAPE);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: room_screenshots <output directory> [<directory holding Pic/>]\n");
    return 2;
  }
  gOutputDirectory = argv[1];
  if (gOutputDirectory[0] != '/') {
    char here[4096];
    if (getcwd(here, sizeof here) != nullptr) gOutputDirectory = std::string(here) + "/" + argv[1];
  }
  if (argc == 3 && chdir(argv[2]) != 0) {
    std::fprintf(stderr, "room_screenshots: cannot enter %s\n", argv[2]);
    return 2;
  }

  // Windowed at 640 by 480: the start-up question is answered No.
  scripted::QueueMessageBoxAnswer(IDNO);
  scripted::SetSwapHook(Script);
  char commandLine[] = "";
  const int status = WinMain(nullptr, nullptr, commandLine, 1);
  scripted::SetSwapHook(nullptr);

  for (const auto& box : scripted::MessageBoxes()) {
    if (box.caption != "Start FullScreen?" && box.caption != "feature supported!") {
      std::fprintf(stderr, "room_screenshots: \"%s\" (%s)\n", box.text.c_str(),
                   box.caption.c_str());
    }
  }
  return status == 0 && !gFailed ? 0 : 1;
}
