// The shell's variables and their starting values.
#include "app/shell_state.h"

#include <algorithm>
#include <iterator>

bool gKeys[256];
bool gActive = true;
bool gFullscreen = true;

HDC gDeviceContext = nullptr;
HGLRC gRenderContext = nullptr;
HINSTANCE gInstance = nullptr;

void ResetShellState() {
  std::fill(std::begin(gKeys), std::end(gKeys), false);
  gActive = true;
  gFullscreen = true;
  gDeviceContext = nullptr;
  gRenderContext = nullptr;
  gInstance = nullptr;
}
