// Windows, window classes, device contexts, the display mode and the cursor,
// in a browser page.
//
// Implements:
// - GetModuleHandleA(NULL); LoadIconA/LoadCursorA of the stock resources.
// - RegisterClassA: registering a name again replaces the class and returns
//   the same atom, so a program that registers at every open keeps working.
// - AdjustWindowRectEx with the frame of a Windows 10 window at 96 dpi, and
//   CreateWindowExA, which takes that frame off again: the window is one
//   canvas of the client size, in the page's screen element, and its title is
//   the page's title. WS_THICKFRAME lets the user resize it by its corner;
//   WS_POPUP after a CDS_FULLSCREEN change fills the fullscreen screen,
//   keeping its drawing buffer. WS_VISIBLE shows the window at once.
// - ShowWindow (SW_HIDE hides, every other command shows), which sends
//   WM_ACTIVATE and WM_SIZE when the window appears; SetForegroundWindow;
//   SetFocus (the canvas takes the keyboard focus)/GetFocus; DestroyWindow,
//   which sends WM_ACTIVATE (when active) and WM_DESTROY, then removes the
//   canvas; GetDC/ReleaseDC.
// - ChangeDisplaySettingsA with CDS_FULLSCREEN: the page's screen element
//   goes fullscreen through the Fullscreen API (which needs a user
//   activation: the answer to a message box or a key press just before);
//   where the browser refuses, DISP_CHANGE_BADMODE. NULL leaves fullscreen.
// - ShowCursor with Win32's display counter (hidden over the windows while
//   it is below 0).
// Leaves out: WM_NCCREATE/WM_CREATE and WM_MOVE, window positions (the page
// lays windows out), child windows, menus, class icons and cursors, extra
// bytes, the screen DC (GetDC(NULL)), the other ShowWindow commands, display
// modes other than the one fullscreen screen (the requested size is the
// window's drawing buffer), and changes without CDS_FULLSCREEN. When the
// user leaves fullscreen through the browser, the program is not told.
#include <emscripten.h>

#include <cctype>
#include <iterator>
#include <map>
#include <string>

#include "platform/web_state.h"

// ---- The page ----

// clang-format off
EM_JS(void, HaldenCreateCanvas,
      (unsigned id, const char* title, int width, int height, int popup, int resizable), {
  HaldenPage.createWindow(id, HaldenPage.ansiString(title), width, height, popup, resizable);
});
EM_JS(void, HaldenDestroyCanvas, (unsigned id), { HaldenPage.destroyWindow(id); });
EM_JS(void, HaldenShowCanvas, (unsigned id, int shown), { HaldenPage.showWindow(id, shown); });
EM_JS(void, HaldenFocusCanvas, (unsigned id), { HaldenPage.focusWindow(id); });
EM_JS(void, HaldenSetCursorShown, (int shown), { HaldenPage.setCursorShown(shown); });
EM_ASYNC_JS(int, HaldenEnterFullscreen, (), {
  return (await HaldenPage.enterFullscreen()) ? 1 : 0;
});
EM_JS(void, HaldenLeaveFullscreen, (), { HaldenPage.leaveFullscreen(); });
// clang-format on

namespace halden_web {
namespace {

struct WindowClass {
  ATOM atom;
  WNDPROC procedure;
};

std::map<std::string, WindowClass> gClasses;  // by lower-cased name, as Win32 ignores case
ATOM gNextAtom = 0xC000;                      // where Windows numbers registered classes
std::map<std::uint64_t, WindowRecord> gWindows;
std::map<std::uint64_t, std::uint64_t> gDeviceContexts;  // DC id -> window id
std::uint64_t gLastHandleId = 0x10000;
HWND gFocus = nullptr;

bool gDisplayModeChanged = false;
int gCursorCounter = 0;

// The largest drawing buffer a fullscreen mode may ask for.
constexpr DWORD kLargestMode = 8192;

std::string LowerCase(const char* text) {
  std::string result(text);
  for (char& c : result) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return result;
}

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

}  // namespace

std::uint64_t NextHandleId() {
  return ++gLastHandleId;
}

WindowRecord* FindWindow(HWND window) {
  const auto found = gWindows.find(IdFromHandle(window));
  return found == gWindows.end() ? nullptr : &found->second;
}

std::uint32_t WindowId(HWND window) {
  return static_cast<std::uint32_t>(IdFromHandle(window));
}

HWND WindowOfId(std::uint32_t id) {
  return FindWindow(HandleFromId<HWND>(id)) != nullptr ? HandleFromId<HWND>(id) : nullptr;
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

}  // namespace halden_web

using namespace halden_web;

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
  return moduleName == nullptr ? HandleFromId<HMODULE>(0x400000) : nullptr;
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR iconName) {
  if (instance != nullptr || iconName == nullptr) return nullptr;
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
  (void)exStyle;
  LONG border = 0;
  LONG caption = 0;
  if ((style & WS_THICKFRAME) != 0) {
    border = 8;
  } else if ((style & WS_CAPTION) != 0 || (style & WS_POPUP) == 0) {
    border = 3;
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
  (void)x, (void)y, (void)parent, (void)menu, (void)instance, (void)param;
  const WindowClass* windowClass = FindClass(className);
  if (windowClass == nullptr) return nullptr;

  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int clientWidth = width - static_cast<int>(frame.right - frame.left);
  const int clientHeight = height - static_cast<int>(frame.bottom - frame.top);
  if (clientWidth < 1 || clientHeight < 1 || clientWidth > 16384 || clientHeight > 16384) {
    return nullptr;
  }

  const std::uint64_t id = NextHandleId();
  WindowRecord& record = gWindows[id];
  record.procedure = windowClass->procedure;
  record.style = style;
  const bool popup = (style & WS_POPUP) != 0;
  HaldenCreateCanvas(static_cast<unsigned>(id), windowName != nullptr ? windowName : "",
                     clientWidth, clientHeight, popup && gDisplayModeChanged ? 1 : 0,
                     (style & WS_THICKFRAME) != 0 ? 1 : 0);
  record.canvasSelector = "#halden-window-" + std::to_string(id);
  HaldenSetCursorShown(gCursorCounter >= 0 ? 1 : 0);
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
      HaldenShowCanvas(WindowId(window), 0);
      record->visible = false;
      ReportActivation(window, false, Delivery::kSend);
    }
    return wasVisible;
  }
  if (!record->visible) {
    HaldenShowCanvas(WindowId(window), 1);
    record->visible = true;
    ReportActivation(window, true, Delivery::kSend);
    ReportClientSize(window, Delivery::kSend);
  }
  return wasVisible;
}

BOOL WINAPI SetForegroundWindow(HWND window) {
  return FindWindow(window) != nullptr ? TRUE : FALSE;
}

HWND WINAPI SetFocus(HWND window) {
  const HWND previous = FocusWindow();
  if (window == nullptr) {
    SetFocusWindow(nullptr);
    return previous;
  }
  WindowRecord* record = FindWindow(window);
  if (record == nullptr) return nullptr;
  if (record->visible) HaldenFocusCanvas(WindowId(window));
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

  const std::uint64_t id = IdFromHandle(window);
  for (auto it = gDeviceContexts.begin(); it != gDeviceContexts.end();) {
    it = it->second == id ? gDeviceContexts.erase(it) : std::next(it);
  }
  if (FindWindow(window) != nullptr) {
    HaldenDestroyCanvas(WindowId(window));
    gWindows.erase(id);
  }
  if (gFocus == window) gFocus = nullptr;
  DropQueuedMessages(window);
  return TRUE;
}

HDC WINAPI GetDC(HWND window) {
  if (FindWindow(window) == nullptr) return nullptr;
  const std::uint64_t id = NextHandleId();
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
    gDisplayModeChanged = false;
    HaldenLeaveFullscreen();
    return DISP_CHANGE_SUCCESSFUL;
  }
  if (flags != CDS_FULLSCREEN) return DISP_CHANGE_FAILED;
  // Any size the screen can be scaled from, at a depth a display offers.
  if ((mode->dmFields & DM_PELSWIDTH) != 0 &&
      (mode->dmPelsWidth < 1 || mode->dmPelsWidth > kLargestMode)) {
    return DISP_CHANGE_BADMODE;
  }
  if ((mode->dmFields & DM_PELSHEIGHT) != 0 &&
      (mode->dmPelsHeight < 1 || mode->dmPelsHeight > kLargestMode)) {
    return DISP_CHANGE_BADMODE;
  }
  if ((mode->dmFields & DM_BITSPERPEL) != 0) {
    const DWORD bits = mode->dmBitsPerPel;
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return DISP_CHANGE_BADMODE;
  }
  if (HaldenEnterFullscreen() == 0) return DISP_CHANGE_BADMODE;
  gDisplayModeChanged = true;
  return DISP_CHANGE_SUCCESSFUL;
}

int WINAPI ShowCursor(BOOL show) {
  gCursorCounter += show ? 1 : -1;
  HaldenSetCursorShown(gCursorCounter >= 0 ? 1 : 0);
  return gCursorCounter;
}
