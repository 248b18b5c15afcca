// Opens and closes the program's window with its display mode, device
// context, pixel format and rendering context. Every failure is shown to the
// user here, once, and a failed open leaves nothing acquired.
#include "app/render_window.h"

#include <cstring>

#include "app/shell_state.h"
#include "app/window_procedure.h"
#include "render/render_state.h"

namespace {

const char kWindowClassName[] = "OpenGL";

PIXELFORMATDESCRIPTOR gPixelFormat;
bool gPixelFormatFilled = false;

// Win32 refuses to register a class name twice, so the class is registered
// by the first open that succeeds in doing so and kept for the whole run.
bool gWindowClassRegistered = false;

void ShowOpenError(const char* text) {
  MessageBoxA(nullptr, text, "ERROR", MB_OK | MB_ICONEXCLAMATION);
}

void ShowShutdownError(const char* text) {
  MessageBoxA(nullptr, text, "SHUTDOWN ERROR", MB_OK | MB_ICONINFORMATION);
}

// From window creation on, a failed step first releases what the open has
// acquired (restoring the desktop mode before the box can appear on it).
bool FailOpen(const char* text) {
  CloseRenderWindow();
  ShowOpenError(text);
  return false;
}

bool RegisterWindowClass() {
  if (gWindowClassRegistered) return true;
  WNDCLASSA windowClass;
  std::memset(&windowClass, 0, sizeof windowClass);
  windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
  windowClass.lpfnWndProc = HandleWindowMessage;
  windowClass.cbClsExtra = 0;
  windowClass.cbWndExtra = 0;
  windowClass.hInstance = gInstance;
  windowClass.hIcon = LoadIconA(nullptr, IDI_WINLOGO);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = nullptr;
  windowClass.lpszMenuName = nullptr;
  windowClass.lpszClassName = kWindowClassName;
  gWindowClassRegistered = RegisterClassA(&windowClass) != 0;
  return gWindowClassRegistered;
}

// Asks for width x height at `bits` per pixel. Only fields outside the
// record's unions are touched.
bool ChangeToFullscreenMode(int width, int height, int bits) {
  DEVMODEA mode;
  std::memset(&mode, 0, sizeof mode);
  mode.dmSize = static_cast<WORD>(sizeof mode);
  mode.dmPelsWidth = static_cast<DWORD>(width);
  mode.dmPelsHeight = static_cast<DWORD>(height);
  mode.dmBitsPerPel = static_cast<DWORD>(bits);
  mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
  return ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
}

void FillPixelFormatOnce(int bits) {
  if (gPixelFormatFilled) return;
  std::memset(&gPixelFormat, 0, sizeof gPixelFormat);
  gPixelFormat.nSize = static_cast<WORD>(sizeof gPixelFormat);
  gPixelFormat.nVersion = 1;
  gPixelFormat.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  gPixelFormat.iPixelType = PFD_TYPE_RGBA;
  gPixelFormat.cColorBits = static_cast<BYTE>(bits);
  gPixelFormat.cDepthBits = 16;
  gPixelFormat.iLayerType = PFD_MAIN_PLANE;
  gPixelFormatFilled = true;
}

}  // namespace

const PIXELFORMATDESCRIPTOR& kPixelFormat = gPixelFormat;

bool OpenRenderWindow(const char* title, int width, int height, int bits, bool fullscreen) {
  RECT windowRect;
  windowRect.left = 0;
  windowRect.top = 0;
  windowRect.right = width;
  windowRect.bottom = height;
  gFullscreen = fullscreen;

  gInstance = GetModuleHandleA(nullptr);
  if (!RegisterWindowClass()) {
    ShowOpenError("Failed To Register The Window Class.");
    return false;
  }

  if (gFullscreen && !ChangeToFullscreenMode(width, height, bits)) {
    if (MessageBoxA(nullptr,
                    "The Requested Fullscreen Mode Is Not Supported By\n"
                    "Your Video Card. Use Windowed Mode Instead?",
                    "Tarn GL", MB_YESNO | MB_ICONEXCLAMATION) == IDYES) {
      gFullscreen = false;
    } else {
      MessageBoxA(nullptr, "Program Will Now Close.", "ERROR", MB_OK | MB_ICONSTOP);
      return false;
    }
  }

  DWORD exStyle;
  DWORD style;
  if (gFullscreen) {
    exStyle = WS_EX_APPWINDOW;
    style = WS_POPUP;
    ShowCursor(FALSE);
  } else {
    exStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
    style = WS_OVERLAPPEDWINDOW;
  }
  AdjustWindowRectEx(&windowRect, style, FALSE, exStyle);

  gWindow =
      CreateWindowExA(exStyle, kWindowClassName, title, style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                      0, 0, windowRect.right - windowRect.left, windowRect.bottom - windowRect.top,
                      nullptr, nullptr, gInstance, nullptr);
  if (gWindow == nullptr) return FailOpen("Window Creation Error.");

  FillPixelFormatOnce(bits);

  gDeviceContext = GetDC(gWindow);
  if (gDeviceContext == nullptr) return FailOpen("Can't Create A GL Device Context.");

  const int pixelFormat = ChoosePixelFormat(gDeviceContext, &gPixelFormat);
  if (pixelFormat == 0) return FailOpen("Can't Find A Suitable PixelFormat.");
  if (!SetPixelFormat(gDeviceContext, pixelFormat, &gPixelFormat)) {
    return FailOpen("Can't Set The PixelFormat.");
  }

  gRenderContext = wglCreateContext(gDeviceContext);
  if (gRenderContext == nullptr) return FailOpen("Can't Create A GL Rendering Context.");
  if (!wglMakeCurrent(gDeviceContext, gRenderContext)) {
    return FailOpen("Can't Activate The GL Rendering Context.");
  }

  // Their results change nothing: the window works unfocused, too.
  ShowWindow(gWindow, SW_SHOW);
  SetForegroundWindow(gWindow);
  SetFocus(gWindow);

  ResizeViewport(width, height);
  if (!SetupRenderState()) return FailOpen("Initialization Failed.");
  return true;
}

void CloseRenderWindow() {
  // gFullscreen is left as it is: a second close restores the mode again,
  // which is harmless.
  if (gFullscreen) {
    ChangeDisplaySettingsA(nullptr, 0);
    ShowCursor(TRUE);
  }

  if (gRenderContext != nullptr) {
    if (!wglMakeCurrent(nullptr, nullptr)) ShowShutdownError("Release Of DC And RC Failed.");
    if (!wglDeleteContext(gRenderContext)) {
      ShowShutdownError("Release Rendering Context Failed.");
    }
    gRenderContext = nullptr;
  }

  if (gDeviceContext != nullptr) {
    if (!ReleaseDC(gWindow, gDeviceContext)) ShowShutdownError("Release Device Context Failed.");
    gDeviceContext = nullptr;
  }

  if (gWindow != nullptr) {
    if (!DestroyWindow(gWindow)) ShowShutdownError("Could Not Release hWnd.");
    gWindow = nullptr;
  }
}

void ResetRenderWindow() {
  std::memset(&gPixelFormat, 0, sizeof gPixelFormat);
  gPixelFormatFilled = false;
  gWindowClassRegistered = false;
}
