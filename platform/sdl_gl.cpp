// Pixel formats, WGL rendering contexts and presenting, on SDL2's OpenGL.
//
// Implements:
// - ChoosePixelFormat: one format, index 1, for any RGBA OpenGL request: the
//   double-buffered RGBA visual with a depth buffer that every window was
//   created with (SDL fixes the visual at window creation).
// - SetPixelFormat: compares the request with what the window's framebuffer
//   really has (read from a short-lived context) and fails when it falls
//   short in double buffering, colour, alpha, depth, stencil or accumulation
//   bits. Once set, a window's format stays, as on Windows.
// - wglCreateContext (needs the DC's pixel format; the context is a legacy
//   one, so the fixed-function pipeline is there; nothing is made current),
//   wglMakeCurrent (asks for swaps synchronised to the display where the
//   driver allows), wglDeleteContext, wglGetProcAddress (null without a
//   current context, as on Windows).
// - SwapBuffers, paced to about the display's refresh rate: when the swap
//   does not wait for the display (a minimised window, no vertical sync),
//   it sleeps until the next refresh is due instead of letting the frame
//   loop run flat out.
// Leaves out: DescribePixelFormat and other formats, layer planes, context
// sharing, and swapping a DC whose window has no current context (fails).
#include <SDL.h>

#include <map>

#include "platform/sdl_state.h"

namespace halden_sdl {
namespace {

std::map<HGLRC, SDL_GLContext> gContexts;
Uint64 gLastPresent = 0;  // performance-counter time of the last paced swap

// Reads what the window's visual offers through a context made for the
// purpose; whatever was current before is current again afterwards.
bool ReadFramebuffer(SdlWindow& record) {
  if (record.framebuffer.known) return true;
  SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
  SDL_GLContext previousContext = SDL_GL_GetCurrentContext();
  SDL_GLContext probe = SDL_GL_CreateContext(record.window);
  if (probe == nullptr) return false;
  Framebuffer& fb = record.framebuffer;
  int doubleBuffer = 0;
  int accum[4] = {0, 0, 0, 0};
  SDL_GL_GetAttribute(SDL_GL_DOUBLEBUFFER, &doubleBuffer);
  SDL_GL_GetAttribute(SDL_GL_RED_SIZE, &fb.redBits);
  SDL_GL_GetAttribute(SDL_GL_GREEN_SIZE, &fb.greenBits);
  SDL_GL_GetAttribute(SDL_GL_BLUE_SIZE, &fb.blueBits);
  SDL_GL_GetAttribute(SDL_GL_ALPHA_SIZE, &fb.alphaBits);
  SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &fb.depthBits);
  SDL_GL_GetAttribute(SDL_GL_STENCIL_SIZE, &fb.stencilBits);
  SDL_GL_GetAttribute(SDL_GL_ACCUM_RED_SIZE, &accum[0]);
  SDL_GL_GetAttribute(SDL_GL_ACCUM_GREEN_SIZE, &accum[1]);
  SDL_GL_GetAttribute(SDL_GL_ACCUM_BLUE_SIZE, &accum[2]);
  SDL_GL_GetAttribute(SDL_GL_ACCUM_ALPHA_SIZE, &accum[3]);
  fb.doubleBuffered = doubleBuffer != 0;
  fb.accumBits = accum[0] + accum[1] + accum[2] + accum[3];
  fb.known = true;
  SDL_GL_DeleteContext(probe);
  SDL_GL_MakeCurrent(previousContext != nullptr ? previousWindow : nullptr, previousContext);
  return true;
}

// Colour bits as a pixel-format descriptor counts them: 8-bit RGB is stored
// in 32-bit pixels and answers a request for 32.
int ColourBits(const Framebuffer& fb) {
  const int bits = fb.redBits + fb.greenBits + fb.blueBits + fb.alphaBits;
  const bool trueColour = fb.redBits >= 8 && fb.greenBits >= 8 && fb.blueBits >= 8;
  return trueColour && bits < 32 ? 32 : bits;
}

bool Satisfies(const Framebuffer& fb, const PIXELFORMATDESCRIPTOR& request) {
  if ((request.dwFlags & PFD_DOUBLEBUFFER) != 0 && !fb.doubleBuffered) return false;
  return ColourBits(fb) >= request.cColorBits && fb.alphaBits >= request.cAlphaBits &&
         fb.depthBits >= request.cDepthBits && fb.stencilBits >= request.cStencilBits &&
         fb.accumBits >= request.cAccumBits;
}

// The window of a live DC: its SDL side and the model's record (both null
// for a stale or made-up DC).
struct DcWindow {
  SdlWindow* native = nullptr;
  win32_model::Window* record = nullptr;
  explicit operator bool() const { return native != nullptr && record != nullptr; }
};

DcWindow WindowOfDc(HDC deviceContext) {
  const HWND window = win32_model::WindowOfDeviceContext(deviceContext);
  return DcWindow{FindSdlWindow(window), win32_model::FindWindow(window)};
}

// Paces presentation to about the display's refresh rate: when the swap
// does not wait for the display (a minimised window, no vertical sync), it
// sleeps until the next refresh is due instead of letting the frame loop run
// flat out.
void PacePresentation(SDL_Window* window) {
  const Uint64 frequency = SDL_GetPerformanceFrequency();
  int refreshRate = 60;
  SDL_DisplayMode mode{};
  const int display = SDL_GetWindowDisplayIndex(window);
  if (display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 && mode.refresh_rate > 0) {
    refreshRate = mode.refresh_rate;
  }
  // A little under one refresh: a swap that did wait for the display is
  // never held back into the next one.
  const Uint64 period = frequency / static_cast<Uint64>(refreshRate);
  const Uint64 minimumGap = period - period / 16;
  Uint64 now = SDL_GetPerformanceCounter();
  if (gLastPresent != 0 && now - gLastPresent < minimumGap) {
    const Uint64 wait = minimumGap - (now - gLastPresent);
    const auto milliseconds = static_cast<Uint32>((wait * 1000 + frequency / 2) / frequency);
    if (milliseconds > 0) SDL_Delay(milliseconds);
    now = SDL_GetPerformanceCounter();
  }
  gLastPresent = now;
}

}  // namespace
}  // namespace halden_sdl

using namespace halden_sdl;

int WINAPI ChoosePixelFormat(HDC deviceContext, const PIXELFORMATDESCRIPTOR* format) {
  if (!WindowOfDc(deviceContext) || format == nullptr) return 0;
  if (format->iPixelType != PFD_TYPE_RGBA || (format->dwFlags & PFD_SUPPORT_OPENGL) == 0) return 0;
  return 1;
}

BOOL WINAPI SetPixelFormat(HDC deviceContext, int format, const PIXELFORMATDESCRIPTOR* descriptor) {
  const DcWindow window = WindowOfDc(deviceContext);
  if (!window || format != 1) return FALSE;
  if (window.record->pixelFormat == format) return TRUE;
  if (!ReadFramebuffer(*window.native)) return FALSE;
  if (descriptor != nullptr && !Satisfies(window.native->framebuffer, *descriptor)) return FALSE;
  window.record->pixelFormat = format;
  return TRUE;
}

HGLRC WINAPI wglCreateContext(HDC deviceContext) {
  const DcWindow window = WindowOfDc(deviceContext);
  if (!window || window.record->pixelFormat == 0) return nullptr;
  SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
  SDL_GLContext previousContext = SDL_GL_GetCurrentContext();
  SDL_GLContext context = SDL_GL_CreateContext(window.native->window);
  if (context == nullptr) return nullptr;
  // Win32 creates without binding; the program binds with wglMakeCurrent.
  SDL_GL_MakeCurrent(previousContext != nullptr ? previousWindow : nullptr, previousContext);
  const HGLRC handle = win32_model::NewHandle<HGLRC>();
  gContexts[handle] = context;
  return handle;
}

BOOL WINAPI wglMakeCurrent(HDC deviceContext, HGLRC renderContext) {
  if (renderContext == nullptr) {
    if (VideoRunning()) SDL_GL_MakeCurrent(nullptr, nullptr);
    return TRUE;
  }
  const auto found = gContexts.find(renderContext);
  const DcWindow window = WindowOfDc(deviceContext);
  if (found == gContexts.end() || !window || window.record->pixelFormat == 0) return FALSE;
  if (SDL_GL_MakeCurrent(window.native->window, found->second) != 0) return FALSE;
  SDL_GL_SetSwapInterval(1);  // refused by some drivers; the swap is paced anyway
  return TRUE;
}

BOOL WINAPI wglDeleteContext(HGLRC renderContext) {
  const auto found = gContexts.find(renderContext);
  if (found == gContexts.end()) return FALSE;
  if (SDL_GL_GetCurrentContext() == found->second) SDL_GL_MakeCurrent(nullptr, nullptr);
  SDL_GL_DeleteContext(found->second);
  gContexts.erase(found);
  return TRUE;
}

PROC WINAPI wglGetProcAddress(LPCSTR name) {
  if (name == nullptr || !VideoRunning() || SDL_GL_GetCurrentContext() == nullptr) return nullptr;
  return win32_model::ProcFromAddress(SDL_GL_GetProcAddress(name));
}

BOOL WINAPI SwapBuffers(HDC deviceContext) {
  const DcWindow window = WindowOfDc(deviceContext);
  if (!window) return FALSE;
  SDL_Window* sdlWindow = window.native->window;
  const bool current = SDL_GL_GetCurrentWindow() == sdlWindow &&
                       SDL_GL_GetCurrentContext() != nullptr && window.record->pixelFormat != 0;
  if (current) SDL_GL_SwapWindow(sdlWindow);
  // Paced even when it fails: the frame loop calls it once per pass either way.
  PacePresentation(sdlWindow);
  return current ? TRUE : FALSE;
}
