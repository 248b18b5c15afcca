// State shared by the browser implementation of the Win32 subset: the
// windows (each a canvas in the page) behind the handles the program holds,
// and the message queue's entry points that the window operations use.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win32_api.h"

namespace halden_web {

struct WindowRecord {
  WNDPROC procedure = nullptr;
  DWORD style = 0;
  std::string canvasSelector;  // "#halden-window-<id>"
  bool visible = false;
  bool minimised = false;   // the page is hidden
  bool destroying = false;  // inside DestroyWindow, so a second call fails
  // What the window procedure was last told, so that no WM_SIZE or
  // WM_ACTIVATE is repeated.
  bool activationSent = false;
  bool sentActive = false;
  bool sentMinimised = false;
  int sentWidth = -1;
  int sentHeight = -1;
  WPARAM sentSizeKind = 0;
  int pixelFormat = 0;  // 0 until SetPixelFormat succeeds
  PIXELFORMATDESCRIPTOR format{};
};

WindowRecord* FindWindow(HWND window);
std::uint32_t WindowId(HWND window);
HWND WindowOfId(std::uint32_t id);
HWND AnyWindow();  // null when there is none
// The window whose device context this is; null for an unknown or released DC.
HWND WindowOfDeviceContext(HDC deviceContext);

// Calls the window procedure at once, as Win32 does for sent messages.
LRESULT SendToWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

enum class Delivery { kSend, kPost };
// Tells the window procedure about a change of activation (WM_ACTIVATE, with
// the minimised state in the high word) or of the client size (WM_SIZE; 0 by
// 0 while minimised), unless it was already told.
void ReportActivation(HWND window, bool active, Delivery delivery);
void ReportClientSize(HWND window, Delivery delivery);

void SetFocusWindow(HWND window);
HWND FocusWindow();

void DropQueuedMessages(HWND window);

template <typename Handle>
Handle HandleFromId(std::uint64_t id) {
  return reinterpret_cast<Handle>(static_cast<std::uintptr_t>(id));
}
template <typename Handle>
std::uint64_t IdFromHandle(Handle handle) {
  return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(handle));
}
std::uint64_t NextHandleId();

}  // namespace halden_web
