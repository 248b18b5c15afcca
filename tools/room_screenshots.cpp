// room_screenshots: runs the whole program offscreen on the scripted layer
// (a real Mesa context, no display) and saves what it draws as PNG files.
//
//   room_screenshots <output directory> [<directory holding Pic/>] [<view>...]
//
// With no views: the room by day (day.png), by night (night.png) and by day
// with the bump floor (bump.png), from the starting view. The keys are the
// user's own: B swaps the floor, N switches the lights on, Esc ends.
//
// A view is NAME=STEP,STEP,... and saves NAME.png once its steps are done;
// the views run one after the other in one run, each from where the last one
// left the program. A step is a key tapped for one frame step (B, N, D) or a
// key held for COUNT frame steps (Up:COUNT, Down:COUNT, Left:COUNT,
// Right:COUNT); "day=" saves the view as it stands. The browser tests drive
// their page through the same steps, so their pictures can be compared.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include "render/view_state.h"
#include "support/scripted_platform.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kFrameLimit = 100;  // the default script needs a handful

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

// A key script as the swaps it acts at: key down, key up or save.
struct ScriptEvent {
  int swap;
  enum Kind { kDown, kUp, kSave } kind;
  int key;
  std::string name;
};
std::vector<ScriptEvent> gEvents;
std::size_t gNextEvent = 0;

struct NamedKey {
  const char* name;
  int code;
  bool held;  // takes a count of frame steps
};
constexpr NamedKey kScriptKeys[] = {
    {"B", 'B', false},         {"N", 'N', false},       {"D", 'D', false},
    {"Up", VK_UP, true},       {"Down", VK_DOWN, true}, {"Left", VK_LEFT, true},
    {"Right", VK_RIGHT, true},
};

// Turns the views into events. A key posted at swap s is seen by the frame
// step after swap s + 1 and acts at every step until its release is posted:
// held from swap s to swap s + n it acts n times, and the frame presented
// at the swap after the release shows the result.
bool ParseViews(int count, char** views) {
  int swap = 0;
  for (int v = 0; v < count; ++v) {
    const char* equals = std::strchr(views[v], '=');
    if (equals == nullptr || equals == views[v]) {
      std::fprintf(stderr, "room_screenshots: a view is NAME=STEP,...: %s\n", views[v]);
      return false;
    }
    const std::string name(static_cast<const char*>(views[v]), equals);
    std::string steps = equals + 1;
    std::size_t at = 0;
    while (at < steps.size()) {
      std::size_t end = steps.find(',', at);
      if (end == std::string::npos) end = steps.size();
      const std::string step = steps.substr(at, end - at);
      at = end + 1;
      const std::size_t colon = step.find(':');
      const std::string keyName = step.substr(0, colon);
      const NamedKey* key = nullptr;
      for (const NamedKey& candidate : kScriptKeys) {
        if (keyName == candidate.name) key = &candidate;
      }
      const int held = colon == std::string::npos ? 1 : std::atoi(step.c_str() + colon + 1);
      if (key == nullptr || key->held != (colon != std::string::npos) || held < 1) {
        std::fprintf(stderr, "room_screenshots: unknown step \"%s\" in %s\n", step.c_str(),
                     views[v]);
        return false;
      }
      gEvents.push_back({swap, ScriptEvent::kDown, key->code, ""});
      gEvents.push_back({swap + held, ScriptEvent::kUp, key->code, ""});
      swap += held + 1;
    }
    gEvents.push_back({swap, ScriptEvent::kSave, 0, name + ".png"});
    swap += 1;
  }
  return true;
}

void RunViews(int swap) {
  while (gNextEvent < gEvents.size() && gEvents[gNextEvent].swap == swap) {
    const ScriptEvent& event = gEvents[gNextEvent++];
    if (event.kind == ScriptEvent::kDown) scripted::PostKeyDown(event.key);
    if (event.kind == ScriptEvent::kUp) scripted::PostKeyUp(event.key);
    if (event.kind == ScriptEvent::kSave) SaveFrame(event.name.c_str());
  }
  if (gNextEvent == gEvents.size()) scripted::PostKeyDown(VK_ESCAPE);
}

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr,
                 "usage: room_screenshots <output directory> [<directory holding Pic/>] "
                 "[NAME=STEP,...]\n");
    return 2;
  }
  if (argc > 3 && !ParseViews(argc - 3, argv + 3)) return 2;
  gOutputDirectory = argv[1];
  if (gOutputDirectory[0] != '/') {
    char here[4096];
    if (getcwd(here, sizeof here) != nullptr) gOutputDirectory = std::string(here) + "/" + argv[1];
  }
  if (argc >= 3 && chdir(argv[2]) != 0) {
    std::fprintf(stderr, "room_screenshots: cannot enter %s\n", argv[2]);
    return 2;
  }

  // Windowed at 640 by 480: the start-up question is answered No.
  scripted::QueueMessageBoxAnswer(IDNO);
  if (gEvents.empty()) {
    scripted::SetSwapHook(Script);
  } else {
    scripted::SetSwapHook(RunViews);
  }
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
