#include "render/app_state.h"

#include <algorithm>
#include <iterator>

bool gKeys[256];
bool gActive = true;
bool gFullscreen = true;
bool gLightsOn = false;
bool gBumpFloor = false;
float gCameraZ = 0.0f;
float gCameraYaw = 0.0f;
int gFilterIndex = 1;

HWND gWindow = nullptr;
HDC gDeviceContext = nullptr;
HGLRC gRenderContext = nullptr;
HINSTANCE gInstance = nullptr;

TextureSet gFloorSet;
TextureSet gBumpSet;
TextureSet gInvertedBumpSet;
TextureSet gLampDaySet;
TextureSet gLampNightSet;
TextureSet gWallSet;
TextureSet gUpperRightSet;
TextureSet gLowerRightSet;

void ResetAppState() {
  std::fill(std::begin(gKeys), std::end(gKeys), false);
  gActive = true;
  gFullscreen = true;
  gLightsOn = false;
  gBumpFloor = false;
  gCameraZ = 0.0f;
  gCameraYaw = 0.0f;
  gFilterIndex = 1;
  gWindow = nullptr;
  gDeviceContext = nullptr;
  gRenderContext = nullptr;
  gInstance = nullptr;
  for (TextureSet* set : {&gFloorSet, &gBumpSet, &gInvertedBumpSet, &gLampDaySet, &gLampNightSet,
                          &gWallSet, &gUpperRightSet, &gLowerRightSet}) {
    *set = TextureSet{};
  }
}
