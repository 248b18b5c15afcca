// Windows, window classes, device contexts, the display mode and the cursor,
// on SDL2.
//
// Implements:
// - GetModuleHandleA(NULL); LoadIconA/LoadCursorA of the stock resources
//   (SDL's own icon and arrow are what the user sees).
// - RegisterClassA: registering a name again replaces the class and returns
//   the same atom, so a program that registers at every open keeps working.
// - AdjustWindowRectEx with the frame of a Windows 10 window at 96 dpi, and
//   CreateWindowExA, which takes that frame off again: the client area is the
//   size the program adjusted from. WS_POPUP after a successful CDS_FULLSCREEN
//   change is a fullscreen window in that mode; WS_POPUP otherwise is a
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

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <map>
#include <string>

#include "platform/sdl_state.h"

namespace halden_sdl {
namespace {

struct WindowClass {
  ATOM atom;
  WNDPROC procedure;
};

std::map<std::string, WindowClass> gClasses;  // by lower-cased name, as Win32 ignores case
ATOM gNextAtom = 0xC000;                      // where Windows numbers registered classes
std::map<Uint64, WindowRecord> gWindows;
std::map<Uint64, Uint64> gDeviceContexts;  // DC id -> window id
Uint64 gLastHandleId = 0x10000;
HWND gFocus = nullptr;

bool gDisplayModeChanged = false;
SDL_DisplayMode gFullscreenMode{};
int gCursorCounter = 0;

std::string LowerCase(const char* text) {
  std::string result(text);
  for (char& c : result) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return result;
}

// An atom passed where a class name is expected (MAKEINTATOM).
bool IsAtom(LPCSTR name) {
  return reinterpret_cast<std::uintptr_t>(name) <= 0xFFFF;
}

const WindowClass* FindClass(LPCSTR name) {
  if (name == nullptr) return nullptr;
  if (IsAtom(name)) {
    const auto atom = static_cast<ATOM>(reinterpret_cast<std::uintptr_t>(name));
    for (const auto& entry : gClasses) {
      if (entry.second.atom == atom) return &entry.second;
    }
    return nullptr;
  }
  const auto found = gClasses.find(LowerCase(name));
  return found == gClasses.end() ? nullptr : &found->second;
}

void ApplyCursor() {
  SDL_ShowCursor(gCursorCounter >= 0 ? SDL_ENABLE : SDL_DISABLE);
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

}  // namespace

Uint64 NextHandleId() {
  return ++gLastHandleId;
}

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
  ApplyCursor();
  return true;
}

WindowRecord* FindWindow(HWND window) {
  const auto found = gWindows.find(IdFromHandle(window));
  return found == gWindows.end() ? nullptr : &found->second;
}

WindowRecord* FindWindowBySdlId(Uint32 sdlId) {
  for (auto& entry : gWindows) {
    if (entry.second.sdlId == sdlId) return &entry.second;
  }
  return nullptr;
}

HWND HandleOfSdlWindow(Uint32 sdlId) {
  for (const auto& entry : gWindows) {
    if (entry.second.sdlId == sdlId) return HandleFromId<HWND>(entry.first);
  }
  return nullptr;
}

HWND AnyWindow() {
  return gWindows.empty() ? nullptr : HandleFromId<HWND>(gWindows.begin()->first);
}

HWND WindowOfDeviceContext(HDC deviceContext) {
  const auto found = gDeviceContexts.find(IdFromHandle(deviceContext));
  if (found == gDeviceContexts.end()) return nullptr;
  return HandleFromId<HWND>(found->second);
}

void SetFocusWindow(HWND window) {
  gFocus = window;
}
HWND FocusWindow() {
  return FindWindow(gFocus) != nullptr ? gFocus : nullptr;
}

}  // namespace halden_sdl

using namespace halden_sdl;

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
  // Only the program itself is a module here.
  return moduleName == nullptr ? HandleFromId<HMODULE>(0x400000) : nullptr;
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR iconName) {
  if (instance != nullptr || iconName == nullptr) return nullptr;  // no resources of our own
  return HandleFromId<HICON>(0x1001);
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR cursorName) {
  if (instance != nullptr || cursorName == nullptr) return nullptr;
  return HandleFromId<HCURSOR>(0x1002);
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass) {
  if (windowClass == nullptr || windowClass->lpfnWndProc == nullptr ||
      windowClass->lpszClassName == nullptr || IsAtom(windowClass->lpszClassName) ||
      windowClass->lpszClassName[0] == '\0') {
    return 0;
  }
  const std::string key = LowerCase(windowClass->lpszClassName);
  auto found = gClasses.find(key);
  if (found != gClasses.end()) {
    found->second.procedure = windowClass->lpfnWndProc;
    return found->second.atom;
  }
  if (gNextAtom == 0xFFFF) return 0;
  const ATOM atom = gNextAtom++;
  gClasses[key] = WindowClass{atom, windowClass->lpfnWndProc};
  return atom;
}

BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
  if (rect == nullptr) return FALSE;
  (void)exStyle;  // the edge styles draw inside this frame on current Windows
  LONG border = 0;
  LONG caption = 0;
  if ((style & WS_THICKFRAME) != 0) {
    border = 8;
  } else if ((style & WS_CAPTION) != 0 || (style & WS_POPUP) == 0) {
    border = 3;  // a fixed dialog frame
  }
  if ((style & WS_CAPTION) == WS_CAPTION) caption = 23;
  if (menu) caption += 20;
  rect->left -= border;
  rect->top -= border + caption;
  rect->right += border;
  rect->bottom += border;
  return TRUE;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, void* param) {
  (void)parent;
  (void)menu;
  (void)instance;
  (void)param;
  const WindowClass* windowClass = FindClass(className);
  if (windowClass == nullptr || !EnsureVideo()) return nullptr;

  // The program passes the outer size; SDL wants the client size.
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int clientWidth = SDL_max(1, width - static_cast<int>(frame.right - frame.left));
  const int clientHeight = SDL_max(1, height - static_cast<int>(frame.bottom - frame.top));

  const bool popup = (style & WS_POPUP) != 0;
  const bool fullscreen = popup && gDisplayModeChanged;
  Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
  int left = x - static_cast<int>(frame.left);
  int top = y - static_cast<int>(frame.top);
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
    sdlWindow = SDL_CreateWindow(windowName != nullptr ? windowName : "", left, top,
                                 fullscreen ? gFullscreenMode.w : clientWidth,
                                 fullscreen ? gFullscreenMode.h : clientHeight, flags);
    if (sdlWindow != nullptr) break;
  }
  RequestVisual(kVisualRequests[0]);
  if (sdlWindow == nullptr) return nullptr;
  if (fullscreen) SDL_SetWindowDisplayMode(sdlWindow, &gFullscreenMode);

  const Uint64 id = NextHandleId();
  WindowRecord& record = gWindows[id];
  record.window = sdlWindow;
  record.sdlId = SDL_GetWindowID(sdlWindow);
  record.procedure = windowClass->procedure;
  record.style = style;
  record.fullscreen = fullscreen;
  const HWND handle = HandleFromId<HWND>(id);
  if ((style & WS_VISIBLE) != 0) ShowWindow(handle, SW_SHOW);
  return handle;
}

BOOL WINAPI ShowWindow(HWND window, int showCommand) {
  WindowRecord* record = FindWindow(window);
  if (record == nullptr) return FALSE;
  const BOOL wasVisible = record->visible ? TRUE : FALSE;
  if (showCommand == SW_HIDE) {
    if (record->visible) {
      SDL_HideWindow(record->window);
      record->visible = false;
      ReportActivation(window, false, Delivery::kSend);
    }
    return wasVisible;
  }
  if (!record->visible) {
    SDL_ShowWindow(record->window);
    record->visible = true;
    // Win32 activates a window it shows and tells the procedure its size
    // before ShowWindow returns.
    ReportActivation(window, true, Delivery::kSend);
    ReportClientSize(window, Delivery::kSend);
  }
  return wasVisible;
}

BOOL WINAPI SetForegroundWindow(HWND window) {
  WindowRecord* record = FindWindow(window);
  if (record == nullptr) return FALSE;
  SDL_RaiseWindow(record->window);
  return TRUE;
}

HWND WINAPI SetFocus(HWND window) {
  const HWND previous = FocusWindow();
  if (window == nullptr) {
    SetFocusWindow(nullptr);
    return previous;
  }
  WindowRecord* record = FindWindow(window);
  if (record == nullptr) return nullptr;
  if (record->visible) SDL_SetWindowInputFocus(record->window);
  SetFocusWindow(window);
  return previous;
}

HWND WINAPI GetFocus(void) {
  return FocusWindow();
}

BOOL WINAPI DestroyWindow(HWND window) {
  WindowRecord* record = FindWindow(window);
  if (record == nullptr || record->destroying) return FALSE;
  record->destroying = true;
  ReportActivation(window, false, Delivery::kSend);
  SendToWindow(window, WM_DESTROY, 0, 0);

  const Uint64 id = IdFromHandle(window);
  for (auto it = gDeviceContexts.begin(); it != gDeviceContexts.end();) {
    it = it->second == id ? gDeviceContexts.erase(it) : std::next(it);
  }
  record = FindWindow(window);  // the procedure may have changed the table
  if (record != nullptr) {
    SDL_DestroyWindow(record->window);
    gWindows.erase(id);
  }
  if (gFocus == window) gFocus = nullptr;
  DropQueuedMessages(window);
  return TRUE;
}

HDC WINAPI GetDC(HWND window) {
  if (FindWindow(window) == nullptr) return nullptr;
  const Uint64 id = NextHandleId();
  gDeviceContexts[id] = IdFromHandle(window);
  return HandleFromId<HDC>(id);
}

int WINAPI ReleaseDC(HWND window, HDC deviceContext) {
  const auto found = gDeviceContexts.find(IdFromHandle(deviceContext));
  if (found == gDeviceContexts.end() || found->second != IdFromHandle(window)) return 0;
  gDeviceContexts.erase(found);
  return 1;
}

LONG WINAPI ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags) {
  if (mode == nullptr) {
    // Back to the desktop: SDL restores it when the window leaves fullscreen.
    gDisplayModeChanged = false;
    for (auto& entry : gWindows) {
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
      gDisplayModeChanged = true;
      for (auto& entry : gWindows) {
        if (entry.second.fullscreen) SDL_SetWindowDisplayMode(entry.second.window, &offered);
      }
      return DISP_CHANGE_SUCCESSFUL;
    }
  }
  return DISP_CHANGE_BADMODE;
}

int WINAPI ShowCursor(BOOL show) {
  gCursorCounter += show ? 1 : -1;
  if (VideoRunning()) ApplyCursor();
  return gCursorCounter;
}
