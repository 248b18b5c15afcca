// The scripted layer's Win32 subset (platform/win32_api.h) on the Win32 model,
// for tests: every call is logged and can be made to fail (see
// scripted_layer.h); the rest is the model's.
//
// Implemented: window classes, windows (any number; the newest live one is
// "the" window that test-posted messages go to), device contexts, the
// display mode (available or not, as the test says) and cursor counter, pixel
// formats, scripted message boxes, the message queue with WM_QUIT, and
// DefWindowProcA as a recorder.
//
// Left out: nothing is ever drawn on a screen (scripted_gl.cpp draws into
// pbuffers); a window's size never changes after creation, and it is never
// minimised but by a WM_ACTIVATE the test posts; DefWindowProcA does nothing
// but answer 0, so a test sees every message the program passes to it.

#include "support/scripted_layer.h"

namespace scripted::layer {
namespace {

constexpr int kOnlyPixelFormat = 1;

// True when a fault registered under `name` fires now.
bool FaultFires(const std::string& name) {
  auto& faults = S().faults;
  auto found = faults.find(name);
  if (found == faults.end()) return false;
  if (found->second > 0) {
    --found->second;
    return false;
  }
  faults.erase(found);
  return true;
}

// DestroyWindow's own step, after WM_DESTROY.
void ForgetWindow(HWND window) {
  S().pixelFormats.erase(window);
}

// Hands what the test posted to the model's queue, addressed to the window
// that is there now.
void TakePostedMessages() {
  auto& posted = S().posted;
  const HWND window = win32_model::NewestWindow();
  for (const MSG& message : posted) {
    if (message.message == WM_ACTIVATE) win32_model::NoteActivation(window, message.wParam);
    win32_model::PostMessage(window, message.message, message.wParam, message.lParam);
  }
  posted.clear();
}

}  // namespace

Script& S() {
  static Script script;
  return script;
}

bool Enter(const char* function, const std::string& variant) {
  S().callLog.push_back(variant.empty() ? function : variant);
  bool fails = FaultFires(function);
  if (!variant.empty() && FaultFires(variant)) fails = true;
  return fails;
}

}  // namespace scripted::layer

using scripted::layer::Enter;
using scripted::layer::S;

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
  if (Enter("GetModuleHandleA")) return nullptr;
  return win32_model::GetModuleHandle(moduleName);
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR iconName) {
  if (Enter("LoadIconA")) return nullptr;
  return win32_model::LoadIcon(instance, iconName);
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR cursorName) {
  if (Enter("LoadCursorA")) return nullptr;
  return win32_model::LoadCursor(instance, cursorName);
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass) {
  if (Enter("RegisterClassA")) return 0;
  const ATOM atom = win32_model::RegisterClass(windowClass);
  if (atom != 0) S().lastClassName = windowClass->lpszClassName;
  return atom;
}

BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
  if (Enter("AdjustWindowRectEx")) return FALSE;
  return win32_model::AdjustWindowRectEx(rect, style, menu != FALSE, exStyle) ? TRUE : FALSE;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int,
                            int, int width, int height, HWND, HMENU menu, HINSTANCE, void*) {
  if (Enter("CreateWindowExA")) return nullptr;
  const win32_model::WindowClass* windowClass = win32_model::FindWindowClass(className);
  if (windowClass == nullptr) return nullptr;
  const win32_model::Size client =
      win32_model::ClientSizeOfWindow(width, height, style, exStyle, menu != nullptr);
  const HWND window =
      win32_model::AddWindow(*windowClass, windowName, style, exStyle, client.width, client.height);
  if ((style & WS_VISIBLE) != 0) win32_model::ShowWindow(window, SW_SHOW);
  return window;
}

BOOL WINAPI ShowWindow(HWND window, int showCommand) {
  if (Enter("ShowWindow")) return FALSE;
  return win32_model::ShowWindow(window, showCommand) ? TRUE : FALSE;
}

BOOL WINAPI SetForegroundWindow(HWND window) {
  if (Enter("SetForegroundWindow")) return FALSE;
  return win32_model::FindWindow(window) != nullptr ? TRUE : FALSE;
}

HWND WINAPI SetFocus(HWND window) {
  if (Enter("SetFocus")) return nullptr;
  return win32_model::SetFocus(window);
}

HWND WINAPI GetFocus() {
  if (Enter("GetFocus")) return nullptr;
  return win32_model::GetFocus();
}

BOOL WINAPI DestroyWindow(HWND window) {
  if (Enter("DestroyWindow")) return FALSE;
  return win32_model::DestroyWindow(window, scripted::layer::ForgetWindow) ? TRUE : FALSE;
}

HDC WINAPI GetDC(HWND window) {
  if (Enter("GetDC")) return nullptr;
  return win32_model::GetDC(window);
}

int WINAPI ReleaseDC(HWND window, HDC deviceContext) {
  if (Enter("ReleaseDC")) return 0;
  return win32_model::ReleaseDC(window, deviceContext) ? 1 : 0;
}

LONG WINAPI ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags) {
  if (mode == nullptr) {
    if (Enter("ChangeDisplaySettingsA", "ChangeDisplaySettingsA(NULL)")) return DISP_CHANGE_FAILED;
    win32_model::SetDisplayModeChanged(false);
    return DISP_CHANGE_SUCCESSFUL;
  }
  if (Enter("ChangeDisplaySettingsA")) return DISP_CHANGE_FAILED;
  if ((flags & CDS_FULLSCREEN) == 0) return DISP_CHANGE_FAILED;
  S().lastDisplayModeRequest = *mode;
  if (!S().fullscreenModeAvailable) return DISP_CHANGE_BADMODE;
  win32_model::SetDisplayModeChanged(true);
  return DISP_CHANGE_SUCCESSFUL;
}

int WINAPI ShowCursor(BOOL show) {
  // ShowCursor cannot fail in Win32: a fault leaves the counter as it was.
  if (Enter("ShowCursor", show ? "ShowCursor(TRUE)" : "ShowCursor(FALSE)")) {
    return win32_model::CursorCounter();
  }
  return win32_model::ShowCursor(show != FALSE);
}

int WINAPI ChoosePixelFormat(HDC deviceContext, const PIXELFORMATDESCRIPTOR* format) {
  if (Enter("ChoosePixelFormat")) return 0;
  if (win32_model::WindowOfDeviceContext(deviceContext) == nullptr || format == nullptr) return 0;
  if ((format->dwFlags & PFD_SUPPORT_OPENGL) == 0 || format->iPixelType != PFD_TYPE_RGBA) return 0;
  return scripted::layer::kOnlyPixelFormat;
}

BOOL WINAPI SetPixelFormat(HDC deviceContext, int format, const PIXELFORMATDESCRIPTOR* descriptor) {
  if (Enter("SetPixelFormat")) return FALSE;
  const HWND window = win32_model::WindowOfDeviceContext(deviceContext);
  win32_model::Window* record = win32_model::FindWindow(window);
  if (record == nullptr || format != scripted::layer::kOnlyPixelFormat) return FALSE;
  // A window's pixel format is set once; setting the same one again is harmless.
  if (record->pixelFormat != 0 && record->pixelFormat != format) return FALSE;
  record->pixelFormat = format;
  if (descriptor != nullptr) {
    S().pixelFormats[window] = *descriptor;
    S().lastPixelFormatRequest = *descriptor;
  }
  return TRUE;
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  if (Enter("MessageBoxA")) return 0;
  scripted::MessageBoxRecord record{owner, text != nullptr ? text : "",
                                    caption != nullptr ? caption : "Error", type};
  S().messageBoxes.push_back(record);
  if (S().messageBoxHook) {
    auto hook = S().messageBoxHook;
    hook(record);
  }
  if (!S().messageBoxAnswers.empty()) {
    int answer = S().messageBoxAnswers.front();
    S().messageBoxAnswers.pop_front();
    return answer;
  }
  switch (type & MB_TYPEMASK) {
    case MB_YESNO:
      return IDNO;
    case MB_OKCANCEL:
      return IDCANCEL;
    default:
      return IDOK;
  }
}

BOOL WINAPI PeekMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax,
                         UINT removeMessage) {
  if (Enter("PeekMessageA") || message == nullptr) return FALSE;
  scripted::layer::TakePostedMessages();
  return win32_model::PeekMessage(message, window, filterMin, filterMax, removeMessage) ? TRUE
                                                                                        : FALSE;
}

BOOL WINAPI TranslateMessage(const MSG* message) {
  if (Enter("TranslateMessage")) return FALSE;
  return win32_model::TranslateMessage(message) ? TRUE : FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* message) {
  if (Enter("DispatchMessageA")) return 0;
  return win32_model::DispatchMessage(message);
}

void WINAPI PostQuitMessage(int exitCode) {
  if (Enter("PostQuitMessage")) return;
  win32_model::PostQuitMessage(exitCode);
}

LRESULT WINAPI DefWindowProcA(HWND, UINT, WPARAM, LPARAM) {
  Enter("DefWindowProcA");
  return 0;
}
