// What the browser layer keeps beside the Win32 model (platform/win32_model.h)
// for each window: the canvas in the page that is its client area, and the
// pixel format asked for it, which its WebGL context is made from.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win32_api.h"
#include "platform/win32_model.h"

namespace halden_web {

struct WebWindow {
  unsigned canvasId = 0;       // the page's number for the canvas
  std::string canvasSelector;  // "#halden-window-<id>", for WebGL
  PIXELFORMATDESCRIPTOR format{};
};

// The layer's record of a live window; null for any other handle.
WebWindow* FindWebWindow(HWND window);
// The live window whose canvas has this number; null when none has.
HWND WindowOfCanvas(unsigned canvasId);
// Reads the canvas's drawing-buffer size into the model's client size.
void UpdateClientSize(HWND window);

}  // namespace halden_web
