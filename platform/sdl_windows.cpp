// Windows, window classes, device contexts, the display mode and the cursor,
// on SDL2.
//
// Implements:
// - GetModuleHandleA(NULL); LoadIconA/LoadCursorA of the stock resources
//   (SDL's own icon and arrow are what the user sees).
// - RegisterClassA, AdjustWindowRectEx and the client size CreateWindowExA
//   takes from the outer size are the Win32 model's (platform/win32_model.h),
//   so the client area is the size the program adjusted from; the desktop's
//   real frame is the window manager's. WS_POPUP after a successful
//   CDS_FULLSCREEN change is a fullscreen window in that mode; WS_POPUP otherwise is a
//   borderless window; other styles are decorated (resizable with
//   WS_THICKFRAME). WS_VISIBLE shows the window at once.
// - ShowWindow (SW_HIDE hides, every other command shows), which sends
//   WM_ACTIVATE and WM_SIZE to the window procedure when the window appears;
//   SetForegroundWindow; SetFocus/GetFocus; DestroyWindow, which sends
//   WM_ACTIVATE (when active) and WM_DESTROY first; GetDC/ReleaseDC.
// - ChangeDisplaySettingsA with CDS_FULLSCREEN: succeeds when the display
//   offers exactly the width and height at no fewer bits per pixel (counted
//   as Windows counts them: 8-bit RGB in 32-bit pixels is 32); the mode takes
//   effect when the fullscreen window is shown. NULL restores the desktop.
// - ShowCursor with Win32's display counter (visible while it is >= 0).
// Leaves out: WM_NCCREATE/WM_CREATE and WM_MOVE, child windows, menus, class
// icons and cursors, extra bytes, the screen DC (GetDC(NULL)), the other
// ShowWindow commands, and display-mode changes without CDS_FULLSCREEN.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <map>

#include "platform/sdl_state.h"

namespace halden_sdl {
namespace {

std::map<HWND, SdlWindow> gSdlWindows;

SDL_DisplayMode gFullscreenMode{};

void ApplyCursor() {
  SDL_ShowCursor(win32_model::CursorCounter() >= 0 ? SDL_ENABLE : SDL_DISABLE);
}

DWORD MessageTime() {
  return VideoRunning() ? static_cast<DWORD>(SDL_GetTicks()) : 0;
}

// Colour depth of a mode as Windows reports it: the pixel's storage size,
// not SDL's count of colour bits (which calls XRGB8888 24 bits).
int WindowsBitsPerPixel(Uint32 format) {
  const int colourBits = static_cast<int>(SDL_BITSPERPIXEL(format));
  const int storageBits = 8 * static_cast<int>(SDL_BYTESPERPIXEL(format));
  return colourBits > storageBits ? colourBits : storageBits;
}

// The visual is chosen when SDL creates the window, so the framebuffer the
// program will ask for has to be requested here. The first set is what the
// program needs; the weaker ones let the window exist anyway, so that
// SetPixelFormat can say precisely that the format cannot be had.
struct VisualRequest {
  int colourBits;  // per channel
  int depthBits;
  int doubleBuffer;
};
constexpr VisualRequest kVisualRequests[] = {{5, 16, 1}, {1, 0, 1}, {1, 0, 0}};

void RequestVisual(const VisualRequest& request) {
  SDL_GL_ResetAttributes();
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, request.colourBits);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, request.colourBits);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, request.colourBits);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, request.depthBits);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, request.doubleBuffer);
  // No profile and no flags: SDL then creates a legacy context, which keeps
  // the fixed-function pipeline that the program draws with.
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, 0);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, 0);
}

// DestroyWindow's native step, after WM_DESTROY.
void ReleaseSdlWindow(HWND window) {
  const auto found = gSdlWindows.find(window);
  if (found == gSdlWindows.end()) return;
  SDL_DestroyWindow(found->second.window);
  gSdlWindows.erase(found);
}

}  // namespace

bool VideoRunning() {
  return SDL_WasInit(SDL_INIT_VIDEO) != 0;
}

bool EnsureVideo() {
  if (VideoRunning()) return true;
#ifdef SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE
  // Closing the window is the program's business (WM_CLOSE); SDL_QUIT then
  // only means a signal asked the process to end.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
#endif
  // A message box over the fullscreen window (the viewer shows one at every
  // open) takes the focus; Windows leaves the window as it is, where SDL
  // would minimise it.
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    static bool reported = false;
    if (!reported) std::fprintf(stderr, "SDL video: %s\n", SDL_GetError());
    reported = true;
    return false;
  }
  // Leaving a changed display mode behind at exit is worse than any cost.
  static bool quitRegistered = false;
  if (!quitRegistered) std::atexit(SDL_Quit);
  quitRegistered = true;
  SDL_StopTextInput();  // no WM_CHAR, so no text events either
  win32_model::SetMessageClock(MessageTime);
  ApplyCursor();
  return true;
}

SdlWindow* FindSdlWindow(HWND window) {
  const auto found = gSdlWindows.find(window);
  return found == gSdlWindows.end() ? nullptr : &found->second;
}

HWND HandleOfSdlWindow(Uint32 sdlId) {
  for (const auto& entry : gSdlWindows) {
    if (entry.second.sdlId == sdlId) return entry.first;
  }
  return nullptr;
}

void UpdateClientSize(HWND window) {
  const SdlWindow* native = FindSdlWindow(window);
  if (native == nullptr) return;
  int width = 0;
  int height = 0;
  SDL_GL_GetDrawableSize(native->window, &width, &height);
  win32_model::SetClientSize(window, width, height);
}

}  // namespace halden_sdl

using namespace halden_sdl;

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, void* param) {
  (void)parent;
  (void)instance;
  (void)param;
  const win32_model::WindowClass* windowClass = win32_model::FindWindowClass(className);
  if (windowClass == nullptr || !EnsureVideo()) return nullptr;

  // The program passes the outer size; SDL wants the client size.
  const bool hasMenu = menu != nullptr;
  const win32_model::Frame frame = win32_model::WindowFrame(style, exStyle, hasMenu);
  const win32_model::Size client =
      win32_model::ClientSizeOfWindow(width, height, style, exStyle, hasMenu);

  const bool popup = (style & WS_POPUP) != 0;
  const bool fullscreen = popup && win32_model::DisplayModeChanged();
  Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
  int left = x + static_cast<int>(frame.left);
  int top = y + static_cast<int>(frame.top);
  if (fullscreen) {
    flags |= SDL_WINDOW_FULLSCREEN;
    left = static_cast<int>(SDL_WINDOWPOS_UNDEFINED);
    top = static_cast<int>(SDL_WINDOWPOS_UNDEFINED);
  } else if (popup) {
    flags |= SDL_WINDOW_BORDERLESS;
  } else if ((style & WS_THICKFRAME) != 0) {
    flags |= SDL_WINDOW_RESIZABLE;
  }

  SDL_Window* sdlWindow = nullptr;
  for (const VisualRequest& request : kVisualRequests) {
    RequestVisual(request);
    // SDL makes no window of no size.
    sdlWindow = SDL_CreateWindow(windowName != nullptr ? windowName : "", left, top,
                                 fullscreen ? gFullscreenMode.w : SDL_max(1, client.width),
                                 fullscreen ? gFullscreenMode.h : SDL_max(1, client.height), flags);
    if (sdlWindow != nullptr) break;
  }
  RequestVisual(kVisualRequests[0]);
  if (sdlWindow == nullptr) return nullptr;
  if (fullscreen) SDL_SetWindowDisplayMode(sdlWindow, &gFullscreenMode);

  const HWND handle =
      win32_model::AddWindow(*windowClass, windowName, style, exStyle, client.width, client.height);
  SdlWindow& native = gSdlWindows[handle];
  native.window = sdlWindow;
  native.sdlId = SDL_GetWindowID(sdlWindow);
  native.fullscreen = fullscreen;
  if ((style & WS_VISIBLE) != 0) ShowWindow(handle, SW_SHOW);
  return handle;
}

BOOL WINAPI ShowWindow(HWND window, int showCommand) {
  const SdlWindow* native = FindSdlWindow(window);
  const win32_model::Window* record = win32_model::FindWindow(window);
  if (native == nullptr || record == nullptr) return FALSE;
  const bool show = showCommand != SW_HIDE;
  if (show != record->visible) {
    if (show) {
      SDL_ShowWindow(native->window);
    } else {
      SDL_HideWindow(native->window);
    }
    UpdateClientSize(window);
  }
  return win32_model::ShowWindow(window, showCommand) ? TRUE : FALSE;
}

BOOL WINAPI SetForegroundWindow(HWND window) {
  const SdlWindow* native = FindSdlWindow(window);
  if (native == nullptr) return FALSE;
  SDL_RaiseWindow(native->window);
  return TRUE;
}

HWND WINAPI SetFocus(HWND window) {
  const SdlWindow* native = FindSdlWindow(window);
  const win32_model::Window* record = win32_model::FindWindow(window);
  if (native != nullptr && record != nullptr && record->visible) {
    SDL_SetWindowInputFocus(native->window);
  }
  return win32_model::SetFocus(window);
}

BOOL WINAPI DestroyWindow(HWND window) {
  return win32_model::DestroyWindow(window, ReleaseSdlWindow) ? TRUE : FALSE;
}

LONG WINAPI ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags) {
  if (mode == nullptr) {
    // Back to the desktop: SDL restores it when the window leaves fullscreen.
    win32_model::SetDisplayModeChanged(false);
    for (auto& entry : gSdlWindows) {
      if (entry.second.fullscreen) {
        SDL_SetWindowFullscreen(entry.second.window, 0);
        entry.second.fullscreen = false;
      }
    }
    return DISP_CHANGE_SUCCESSFUL;
  }
  if (flags != CDS_FULLSCREEN || !EnsureVideo()) return DISP_CHANGE_FAILED;

  SDL_DisplayMode desktop{};
  if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) return DISP_CHANGE_FAILED;
  const int width =
      (mode->dmFields & DM_PELSWIDTH) != 0 ? static_cast<int>(mode->dmPelsWidth) : desktop.w;
  const int height =
      (mode->dmFields & DM_PELSHEIGHT) != 0 ? static_cast<int>(mode->dmPelsHeight) : desktop.h;
  const int bits = (mode->dmFields & DM_BITSPERPEL) != 0 ? static_cast<int>(mode->dmBitsPerPel) : 0;

  const int count = SDL_GetNumDisplayModes(0);
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode offered{};
    if (SDL_GetDisplayMode(0, i, &offered) != 0) continue;
    if (offered.w == width && offered.h == height && WindowsBitsPerPixel(offered.format) >= bits) {
      gFullscreenMode = offered;
      win32_model::SetDisplayModeChanged(true);
      for (auto& entry : gSdlWindows) {
        if (entry.second.fullscreen) SDL_SetWindowDisplayMode(entry.second.window, &offered);
      }
      return DISP_CHANGE_SUCCESSFUL;
    }
  }
  return DISP_CHANGE_BADMODE;
}

int WINAPI ShowCursor(BOOL show) {
  const int counter = win32_model::ShowCursor(show != FALSE);
  if (VideoRunning()) ApplyCursor();
  return counter;
}
