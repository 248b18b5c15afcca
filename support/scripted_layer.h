// What the files of the scripted layer share among themselves: the script
// (answers, faults, the call log, what the test posted and what it asked to
// see), and the GL side's entry points for the control surface. Tests use
// scripted_platform.h, never this.
//   scripted_win32.cpp    the Win32 subset on the model, with the script
//   scripted_gl.cpp       WGL on EGL, SwapBuffers, the extension filter
//   scripted_control.cpp  the control surface
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/win32_model.h"
#include "support/scripted_platform.h"

namespace scripted::layer {

struct Script {
  std::vector<std::string> callLog;
  std::map<std::string, int> faults;  // name -> successful uses still to let through

  std::deque<int> messageBoxAnswers;
  std::vector<MessageBoxRecord> messageBoxes;
  std::function<void(const MessageBoxRecord&)> messageBoxHook;

  bool fullscreenModeAvailable = false;
  DEVMODEA lastDisplayModeRequest{};

  std::string lastClassName;
  PIXELFORMATDESCRIPTOR lastPixelFormatRequest{};
  // The descriptor each window's pixel format was set from (its depth bits
  // choose the EGL config); dropped with the window.
  std::map<HWND, PIXELFORMATDESCRIPTOR> pixelFormats;

  // Posted by the test and not yet in the model's queue: PeekMessageA moves
  // them there, addressed to the window of that moment.
  std::deque<MSG> posted;

  std::function<void(int)> swapHook;
  int swapCount = 0;

  HWND testWindow = nullptr;
  HDC testDeviceContext = nullptr;
  HGLRC testRenderContext = nullptr;
};

Script& S();

// Logs the call and says whether it is to fail. A variant name
// ("ShowCursor(TRUE)") is logged instead of the plain one and consults the
// faults of both; each fault fires once.
bool Enter(const char* function, const std::string& variant = std::string());

// The GL side (scripted_gl.cpp).
int RenderContextCount();
bool RenderContextCurrent();
// Unbinds and destroys every rendering context, for Reset.
void DestroyRenderContexts();
// What glGetString(GL_EXTENSIONS) leaves out from now on (none: the driver's list).
void SetRemovedExtensions(std::vector<std::string> names);

}  // namespace scripted::layer
