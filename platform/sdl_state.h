// State shared by the SDL2 implementation of the Win32 subset: the live
// windows, device contexts and window classes behind the handles the program
// holds, SDL's video start-up, and the message queue's entry points that the
// window operations use.
//
// Handles are numbers from one counter that never repeats, never pointers, so
// a handle that was released (or never issued) finds nothing and the call
// fails cleanly instead of touching freed memory.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "platform/win32_api.h"

namespace halden_sdl {

// What the window's framebuffer really offers, read once from a context.
struct Framebuffer {
  bool known = false;
  bool doubleBuffered = false;
  int redBits = 0, greenBits = 0, blueBits = 0, alphaBits = 0;
  int depthBits = 0, stencilBits = 0, accumBits = 0;
};

struct WindowRecord {
  SDL_Window* window = nullptr;
  Uint32 sdlId = 0;
  WNDPROC procedure = nullptr;
  DWORD style = 0;
  bool fullscreen = false;  // shown in the changed display mode
  bool visible = false;
  bool minimised = false;
  bool maximised = false;
  bool destroying = false;  // inside DestroyWindow, so a second call fails
  // What the window procedure was last told, so that SDL's own follow-up
  // events do not repeat a WM_SIZE or WM_ACTIVATE already sent.
  bool activationSent = false;
  bool sentActive = false;
  bool sentMinimised = false;
  int sentWidth = -1;
  int sentHeight = -1;
  WPARAM sentSizeKind = 0;
  int pixelFormat = 0;  // 0 until SetPixelFormat succeeds
  Framebuffer framebuffer;
};

// Starts SDL's video subsystem on first use; false when there is no display.
bool EnsureVideo();
bool VideoRunning();

WindowRecord* FindWindow(HWND window);
WindowRecord* FindWindowBySdlId(Uint32 sdlId);
HWND HandleOfSdlWindow(Uint32 sdlId);
HWND AnyWindow();  // null when there is none
// The window whose device context this is; null for an unknown or released DC.
HWND WindowOfDeviceContext(HDC deviceContext);

// Calls the window procedure at once, as Win32 does for sent messages.
// Returns 0 when the window is gone.
LRESULT SendToWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// How a message reaches the window procedure: called at once (as Win32 does
// during window operations) or queued for PeekMessageA (SDL events).
enum class Delivery { kSend, kPost };

// Tells the window procedure about a change of activation (WM_ACTIVATE, with
// the minimised state in the high word) or of the client size (WM_SIZE, in
// drawable pixels; 0 by 0 while minimised), unless it was already told.
void ReportActivation(HWND window, bool active, Delivery delivery);
void ReportClientSize(HWND window, Delivery delivery);

// Keyboard focus as GetFocus reports it.
void SetFocusWindow(HWND window);
HWND FocusWindow();

// Forgets messages queued for a window that no longer exists.
void DropQueuedMessages(HWND window);

// Paces presentation to about the display's refresh rate (see sdl_gl.cpp).
void PacePresentation(SDL_Window* window);

template <typename Handle>
Handle HandleFromId(Uint64 id) {
  return reinterpret_cast<Handle>(static_cast<std::uintptr_t>(id));
}
template <typename Handle>
Uint64 IdFromHandle(Handle handle) {
  return static_cast<Uint64>(reinterpret_cast<std::uintptr_t>(handle));
}
Uint64 NextHandleId();

}  // namespace halden_sdl
