// Windows, window classes, device contexts, the display mode and the cursor,
// in a browser page.
//
// Implements:
// - GetModuleHandleA(NULL); LoadIconA/LoadCursorA of the stock resources.
// - RegisterClassA, AdjustWindowRectEx and the handles, as the Win32 model
//   keeps them (registering a name again replaces the class).
// - CreateWindowExA, which takes the model's frame off again: the window is one
//   canvas of the client size, in the page's screen element, and its title is
//   the page's title. WS_THICKFRAME gives it a sizing grip at its corner;
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
EM_JS(int, HaldenCanvasWidth, (unsigned id), { return HaldenPage.clientSize(id)[0]; });
EM_JS(int, HaldenCanvasHeight, (unsigned id), { return HaldenPage.clientSize(id)[1]; });
EM_ASYNC_JS(int, HaldenEnterFullscreen, (), {
  return (await HaldenPage.enterFullscreen()) ? 1 : 0;
});
EM_JS(void, HaldenLeaveFullscreen, (), { HaldenPage.leaveFullscreen(); });
// clang-format on

namespace halden_web {
namespace {

std::map<HWND, WebWindow> gWebWindows;
unsigned gLastCanvasId = 0;

// The largest drawing buffer a window or a fullscreen mode may ask for.
constexpr int kLargestSide = 8192;

void ApplyCursor() {
  HaldenSetCursorShown(win32_model::CursorCounter() >= 0 ? 1 : 0);
}

void ReleaseCanvas(HWND window) {
  const auto found = gWebWindows.find(window);
  if (found == gWebWindows.end()) return;
  HaldenDestroyCanvas(found->second.canvasId);
  gWebWindows.erase(found);
}

}  // namespace

WebWindow* FindWebWindow(HWND window) {
  const auto found = gWebWindows.find(window);
  return found == gWebWindows.end() ? nullptr : &found->second;
}

HWND WindowOfCanvas(unsigned canvasId) {
  for (const auto& entry : gWebWindows) {
    if (entry.second.canvasId == canvasId) return entry.first;
  }
  return nullptr;
}

void UpdateClientSize(HWND window) {
  const WebWindow* web = FindWebWindow(window);
  if (web == nullptr) return;
  win32_model::SetClientSize(window, HaldenCanvasWidth(web->canvasId),
                             HaldenCanvasHeight(web->canvasId));
}

}  // namespace halden_web

using namespace halden_web;

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, void* param) {
  (void)x, (void)y, (void)parent, (void)instance, (void)param;
  const win32_model::WindowClass* windowClass = win32_model::FindWindowClass(className);
  if (windowClass == nullptr) return nullptr;
  // The program passes the outer size; the canvas is the client area.
  const win32_model::Size client =
      win32_model::ClientSizeOfWindow(width, height, style, exStyle, menu != nullptr);
  if (client.width < 1 || client.height < 1 || client.width > kLargestSide ||
      client.height > kLargestSide) {
    return nullptr;
  }

  const unsigned canvasId = ++gLastCanvasId;
  const bool popup = (style & WS_POPUP) != 0;
  HaldenCreateCanvas(canvasId, windowName != nullptr ? windowName : "", client.width, client.height,
                     popup && win32_model::DisplayModeChanged() ? 1 : 0,
                     (style & WS_THICKFRAME) != 0 ? 1 : 0);
  ApplyCursor();
  const HWND handle =
      win32_model::AddWindow(*windowClass, windowName, style, exStyle, client.width, client.height);
  WebWindow& web = gWebWindows[handle];
  web.canvasId = canvasId;
  web.canvasSelector = "#halden-window-" + std::to_string(canvasId);
  if ((style & WS_VISIBLE) != 0) ShowWindow(handle, SW_SHOW);
  return handle;
}

BOOL WINAPI ShowWindow(HWND window, int showCommand) {
  const WebWindow* web = FindWebWindow(window);
  const win32_model::Window* record = win32_model::FindWindow(window);
  if (web == nullptr || record == nullptr) return FALSE;
  const bool show = showCommand != SW_HIDE;
  if (show != record->visible) {
    HaldenShowCanvas(web->canvasId, show ? 1 : 0);
    UpdateClientSize(window);
  }
  return win32_model::ShowWindow(window, showCommand) ? TRUE : FALSE;
}

BOOL WINAPI SetForegroundWindow(HWND window) {
  return FindWebWindow(window) != nullptr ? TRUE : FALSE;
}

HWND WINAPI SetFocus(HWND window) {
  const WebWindow* web = FindWebWindow(window);
  const win32_model::Window* record = win32_model::FindWindow(window);
  if (web != nullptr && record != nullptr && record->visible) HaldenFocusCanvas(web->canvasId);
  return win32_model::SetFocus(window);
}

BOOL WINAPI DestroyWindow(HWND window) {
  return win32_model::DestroyWindow(window, ReleaseCanvas) ? TRUE : FALSE;
}

LONG WINAPI ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags) {
  if (mode == nullptr) {
    win32_model::SetDisplayModeChanged(false);
    HaldenLeaveFullscreen();
    return DISP_CHANGE_SUCCESSFUL;
  }
  if (flags != CDS_FULLSCREEN) return DISP_CHANGE_FAILED;
  // Any size the screen can be scaled from, at a depth a display offers.
  const auto largest = static_cast<DWORD>(kLargestSide);
  if ((mode->dmFields & DM_PELSWIDTH) != 0 &&
      (mode->dmPelsWidth < 1 || mode->dmPelsWidth > largest)) {
    return DISP_CHANGE_BADMODE;
  }
  if ((mode->dmFields & DM_PELSHEIGHT) != 0 &&
      (mode->dmPelsHeight < 1 || mode->dmPelsHeight > largest)) {
    return DISP_CHANGE_BADMODE;
  }
  if ((mode->dmFields & DM_BITSPERPEL) != 0) {
    const DWORD bits = mode->dmBitsPerPel;
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return DISP_CHANGE_BADMODE;
  }
  if (HaldenEnterFullscreen() == 0) return DISP_CHANGE_BADMODE;
  win32_model::SetDisplayModeChanged(true);
  return DISP_CHANGE_SUCCESSFUL;
}

int WINAPI ShowCursor(BOOL show) {
  const int counter = win32_model::ShowCursor(show != FALSE);
  ApplyCursor();
  return counter;
}
