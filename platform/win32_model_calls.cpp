// The Win32 operations that are the Win32 model's alone in the native layers
// (SDL2 and browser): module and stock resources, window classes, frame
// metrics, focus queries, device contexts, and the queue's translation and
// quit message. Each layer supplies the rest itself. The scripted layer has
// its own versions of these, with its call log and faults, and does not link
// this file.
#include "platform/win32_model.h"

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
  return win32_model::GetModuleHandle(moduleName);
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR iconName) {
  return win32_model::LoadIcon(instance, iconName);
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR cursorName) {
  return win32_model::LoadCursor(instance, cursorName);
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass) {
  return win32_model::RegisterClass(windowClass);
}

BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
  return win32_model::AdjustWindowRectEx(rect, style, menu != FALSE, exStyle) ? TRUE : FALSE;
}

HWND WINAPI GetFocus(void) {
  return win32_model::GetFocus();
}

HDC WINAPI GetDC(HWND window) {
  return win32_model::GetDC(window);
}

int WINAPI ReleaseDC(HWND window, HDC deviceContext) {
  return win32_model::ReleaseDC(window, deviceContext) ? 1 : 0;
}

BOOL WINAPI TranslateMessage(const MSG* message) {
  return win32_model::TranslateMessage(message) ? TRUE : FALSE;
}

void WINAPI PostQuitMessage(int exitCode) {
  win32_model::PostQuitMessage(exitCode);
}
