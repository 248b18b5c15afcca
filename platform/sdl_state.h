// What the SDL2 layer's files share beside the Win32 model
// (platform/win32_model.h): the SDL window behind each window handle and
// SDL's video start-up. Classes, handles, the message queue, focus and what
// each window procedure was told are the model's.
#pragma once

#include <SDL.h>

#include "platform/win32_api.h"
#include "platform/win32_model.h"

namespace halden_sdl {

// What the window's framebuffer really offers, read once from a context.
struct Framebuffer {
  bool known = false;
  bool doubleBuffered = false;
  int redBits = 0, greenBits = 0, blueBits = 0, alphaBits = 0;
  int depthBits = 0, stencilBits = 0, accumBits = 0;
};

// The SDL side of a live window; the model's record has the rest.
struct SdlWindow {
  SDL_Window* window = nullptr;
  Uint32 sdlId = 0;
  bool fullscreen = false;  // shown in the changed display mode
  Framebuffer framebuffer;
};

// Starts SDL's video subsystem on first use; false when there is no display.
bool EnsureVideo();
bool VideoRunning();

// The SDL window of a live window handle; null for anything else.
SdlWindow* FindSdlWindow(HWND window);
// The window handle of an SDL window id; null when it is none of ours.
HWND HandleOfSdlWindow(Uint32 sdlId);

// Reads the window's drawable size into the model's client size (0 by 0
// while minimised is the model's business, not this).
void UpdateClientSize(HWND window);

}  // namespace halden_sdl
