// The view state's variables and their starting values.
#include "render/view_state.h"

bool gLightsOn = false;
bool gBumpFloor = false;
float gCameraZ = 0.0f;
float gCameraYaw = 0.0f;
int gFilterIndex = 1;

HWND gWindow = nullptr;

void ResetViewState() {
  gLightsOn = false;
  gBumpFloor = false;
  gCameraZ = 0.0f;
  gCameraYaw = 0.0f;
  gFilterIndex = 1;
  gWindow = nullptr;
}
