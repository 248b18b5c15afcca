// The scripted layer's control surface (scripted_platform.h): what a test
// scripts, what it reads back, and the test context for renderer tests.

#include <EGL/egl.h>  // to see whether any context is bound

#include <algorithm>
#include <sstream>
#include <utility>

#include "support/scripted_layer.h"

namespace scripted {
namespace {

using layer::S;

LRESULT CALLBACK TestWindowProcedure(HWND, UINT, WPARAM, LPARAM) {
  return 0;
}

const char kTestClassName[] = "ScriptedTestContext";

const win32_model::Window* NewestWindowRecord() {
  return win32_model::FindWindow(win32_model::NewestWindow());
}

}  // namespace

void Reset() {
  layer::DestroyRenderContexts();
  layer::SetRemovedExtensions({});
  S() = layer::Script();
  win32_model::Reset();
}

void QueueMessageBoxAnswer(int answer) {
  S().messageBoxAnswers.push_back(answer);
}

const std::vector<MessageBoxRecord>& MessageBoxes() {
  return S().messageBoxes;
}

void SetMessageBoxHook(std::function<void(const MessageBoxRecord&)> hook) {
  S().messageBoxHook = std::move(hook);
}

void FailCall(const std::string& function, int skip) {
  S().faults[function] = std::max(0, skip);
}

void SetFullscreenModeAvailable(bool available) {
  S().fullscreenModeAvailable = available;
}

bool DisplayModeChanged() {
  return win32_model::DisplayModeChanged();
}

int CursorDisplayCounter() {
  return win32_model::CursorCounter();
}

DEVMODEA LastDisplayModeRequest() {
  return S().lastDisplayModeRequest;
}

void PostWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  MSG posted{};
  posted.message = message;
  posted.wParam = wParam;
  posted.lParam = lParam;
  S().posted.push_back(posted);
}

void PostKeyDown(int virtualKey) {
  PostWindowMessage(WM_KEYDOWN, static_cast<WPARAM>(virtualKey), 1);
}

void PostKeyPress(int virtualKey) {
  PostKeyDown(virtualKey);
  PostKeyUp(virtualKey);
}

void PostKeyUp(int virtualKey) {
  // Win32 sets the previous-state and transition bits (30, 31) on a release.
  PostWindowMessage(WM_KEYUP, static_cast<WPARAM>(virtualKey),
                    static_cast<LPARAM>(static_cast<std::int32_t>(0xC0000001u)));
}

std::string WindowTitle() {
  const win32_model::Window* window = NewestWindowRecord();
  return window != nullptr ? window->title : std::string();
}

DWORD WindowStyle() {
  const win32_model::Window* window = NewestWindowRecord();
  return window != nullptr ? window->style : 0;
}

DWORD WindowExStyle() {
  const win32_model::Window* window = NewestWindowRecord();
  return window != nullptr ? window->exStyle : 0;
}

int ClientWidth() {
  const win32_model::Window* window = NewestWindowRecord();
  return window != nullptr ? window->clientWidth : 0;
}

int ClientHeight() {
  const win32_model::Window* window = NewestWindowRecord();
  return window != nullptr ? window->clientHeight : 0;
}

WNDCLASSA LastRegisteredClass() {
  const std::string& name = S().lastClassName;
  const win32_model::WindowClass* found =
      name.empty() ? nullptr : win32_model::FindWindowClass(name.c_str());
  return found != nullptr ? found->fields : WNDCLASSA{};
}

PIXELFORMATDESCRIPTOR LastPixelFormatRequest() {
  return S().lastPixelFormatRequest;
}

const std::vector<std::string>& CallLog() {
  return S().callLog;
}

Live LiveResources() {
  Live live{0, 0, layer::RenderContextCount(), win32_model::DisplayModeChanged()};
  for (HWND window : win32_model::LiveWindows()) {
    ++live.windows;
    live.deviceContexts += win32_model::FindWindow(window)->deviceContextUses;
  }
  return live;
}

bool NothingAcquired() {
  Live live = LiveResources();
  return live.windows == 0 && live.deviceContexts == 0 && live.renderContexts == 0 &&
         !live.displayModeChanged;
}

std::string LeakReport() {
  std::ostringstream report;
  for (HWND window : win32_model::LiveWindows()) {
    const win32_model::Window* record = win32_model::FindWindow(window);
    report << "window \"" << record->title << "\"";
    if (record->deviceContextUses > 0) {
      report << " with " << record->deviceContextUses << " device context(s) not released";
    }
    report << "; ";
  }
  const int contexts = layer::RenderContextCount();
  if (contexts > 0) {
    report << contexts << " rendering context(s)";
    if (layer::RenderContextCurrent()) report << " (one current)";
    report << "; ";
  }
  if (win32_model::DisplayModeChanged()) report << "display mode not restored; ";
  std::string text = report.str();
  if (text.size() >= 2) text.resize(text.size() - 2);
  return text;
}

int SwapCount() {
  return S().swapCount;
}

void SetSwapHook(std::function<void(int swapIndex)> hook) {
  S().swapHook = std::move(hook);
}

void RemoveExtensions(std::vector<std::string> names) {
  layer::SetRemovedExtensions(std::move(names));
}

bool OpenTestContext(int width, int height) {
  CloseTestContext();
  layer::Script& script = S();
  WNDCLASSA windowClass{};
  windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
  windowClass.lpfnWndProc = TestWindowProcedure;
  windowClass.lpszClassName = kTestClassName;
  if (RegisterClassA(&windowClass) == 0) return false;
  script.testWindow = CreateWindowExA(WS_EX_APPWINDOW, kTestClassName, "Test context", WS_POPUP, 0,
                                      0, width, height, nullptr, nullptr, nullptr, nullptr);
  if (script.testWindow == nullptr) return false;
  script.testDeviceContext = GetDC(script.testWindow);
  if (script.testDeviceContext == nullptr) {
    CloseTestContext();
    return false;
  }
  PIXELFORMATDESCRIPTOR format{};
  format.nSize = sizeof(format);
  format.nVersion = 1;
  format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  format.iPixelType = PFD_TYPE_RGBA;
  format.cColorBits = 16;
  format.cDepthBits = 16;
  format.iLayerType = PFD_MAIN_PLANE;
  int index = ChoosePixelFormat(script.testDeviceContext, &format);
  if (index == 0 || !SetPixelFormat(script.testDeviceContext, index, &format)) {
    CloseTestContext();
    return false;
  }
  script.testRenderContext = wglCreateContext(script.testDeviceContext);
  if (script.testRenderContext == nullptr ||
      !wglMakeCurrent(script.testDeviceContext, script.testRenderContext)) {
    CloseTestContext();
    return false;
  }
  return true;
}

void CloseTestContext() {
  layer::Script& script = S();
  if (script.testRenderContext != nullptr) {
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(script.testRenderContext);
    script.testRenderContext = nullptr;
  }
  if (script.testDeviceContext != nullptr) {
    ReleaseDC(script.testWindow, script.testDeviceContext);
    script.testDeviceContext = nullptr;
  }
  if (script.testWindow != nullptr) {
    DestroyWindow(script.testWindow);
    script.testWindow = nullptr;
  }
}

Rgb ReadPixel(int x, int y) {
  if (eglGetCurrentContext() == EGL_NO_CONTEXT) return Rgb{-1, -1, -1};
  // Read the stored colour, not one scaled by the pixel transfer the code
  // under test may have left set (the bump picture is uploaded at half scale).
  glPushAttrib(GL_PIXEL_MODE_BIT);
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelTransferf(GL_RED_SCALE, 1.0f);
  glPixelTransferf(GL_GREEN_SCALE, 1.0f);
  glPixelTransferf(GL_BLUE_SCALE, 1.0f);
  glPixelTransferf(GL_ALPHA_SCALE, 1.0f);
  glPixelTransferf(GL_RED_BIAS, 0.0f);
  glPixelTransferf(GL_GREEN_BIAS, 0.0f);
  glPixelTransferf(GL_BLUE_BIAS, 0.0f);
  glPixelTransferf(GL_ALPHA_BIAS, 0.0f);
  glPixelTransferi(GL_MAP_COLOR, GL_FALSE);
  // Mesa's pbuffers are single-buffered with GL_BACK and GL_FRONT naming the
  // one colour buffer, so GL_BACK is always there to read.
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  glPixelStorei(GL_PACK_SKIP_ROWS, 0);
  glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
  glPixelStorei(GL_PACK_SWAP_BYTES, GL_FALSE);
  glPixelStorei(GL_PACK_LSB_FIRST, GL_FALSE);
  unsigned char pixel[3] = {0, 0, 0};
  glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, pixel);
  glPopClientAttrib();
  glPopAttrib();
  return Rgb{pixel[0], pixel[1], pixel[2]};
}

}  // namespace scripted
