// A small Win32-style program on the SDL2 layer, driven from outside by the
// end-to-end scripts: it opens a window the way the viewer does, writes every
// message its window procedure receives to stdout (one line each, flushed),
// and checks the layer's handles on the way out.
//
// HALDEN_PROBE_MODE chooses what it does:
//   events      (default) a 320x240 decorated window titled "Halden platform
//               probe", cleared to dark blue with a red fixed-function quad in
//               the middle; ends after WM_CLOSE, then releases everything,
//               releases it all again (every second release must fail), and
//               opens and closes a second window with the class registered
//               again, as the viewer does on F1.
//   fullscreen  asks for 800x600 and 640x480 at 16 bits (the results are
//               printed), then opens a WS_POPUP window of 640x480; otherwise
//               as events.
//   boxes       shows four message boxes one after another and prints each
//               answer: a Yes/No box "Probe question", two OK boxes.
//   idle        like events, but never draws: the loop only peeks and swaps,
//               as the viewer's loop does while minimised.
// Exit status: 0 when every check held, 1 otherwise (the line saying why
// starts with "FAIL").
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/win32_api.h"
#include "platform/win32_model.h"  // the constants beyond the program's own

namespace {

const char kTitle[] = "Halden platform probe";
const char kClassName[] = "ProbeClass";

bool gFailed = false;
int gClientWidth = 0;  // from the last WM_SIZE
int gClientHeight = 0;
// Swaps made while minimised, and for how long, for the idle mode's report.
bool gMinimised = false;
long gMinimisedSwaps = 0;
double gMinimisedSeconds = 0.0;
std::chrono::steady_clock::time_point gMinimisedSince;
const char* gVia = "DispatchMessage";  // what the procedure is being called from

void Say(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Say(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::vprintf(format, arguments);
  va_end(arguments);
  std::printf("\n");
  std::fflush(stdout);
}

void Check(bool condition, const char* what) {
  if (!condition) {
    Say("FAIL %s", what);
    gFailed = true;
  }
}

LRESULT CALLBACK ProbeProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto bits = static_cast<unsigned long>(static_cast<ULONG_PTR>(lParam));
  switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
      Say("%s vk=0x%02lx previous=%lu released=%lu via=%s",
          message == WM_KEYDOWN ? "WM_KEYDOWN" : "WM_KEYUP", static_cast<unsigned long>(wParam),
          (bits >> 30) & 1u, (bits >> 31) & 1u, gVia);
      return 0;
    case WM_ACTIVATE: {
      const bool minimised = HIWORD(wParam) != 0;
      const auto now = std::chrono::steady_clock::now();
      if (minimised && !gMinimised) gMinimisedSince = now;
      if (!minimised && gMinimised) {
        gMinimisedSeconds += std::chrono::duration<double>(now - gMinimisedSince).count();
      }
      gMinimised = minimised;
      Say("WM_ACTIVATE state=%u minimised=%u via=%s", LOWORD(wParam), HIWORD(wParam), gVia);
      return 0;
    }
    case WM_SIZE:
      gClientWidth = LOWORD(lParam);
      gClientHeight = HIWORD(lParam);
      Say("WM_SIZE kind=%lu width=%u height=%u via=%s", static_cast<unsigned long>(wParam),
          LOWORD(lParam), HIWORD(lParam), gVia);
      return 0;
    case WM_CLOSE:
      Say("WM_CLOSE via=%s", gVia);
      PostQuitMessage(0);
      return 0;
    case WM_DESTROY:
      Say("WM_DESTROY via=%s", gVia);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

struct Opened {
  HWND window = nullptr;
  HDC deviceContext = nullptr;
  HGLRC renderContext = nullptr;
};

bool Open(Opened& opened, int width, int height, bool fullscreen) {
  WNDCLASSA windowClass{};
  windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
  windowClass.lpfnWndProc = ProbeProcedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hIcon = LoadIconA(nullptr, IDI_WINLOGO);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kClassName;
  if (RegisterClassA(&windowClass) == 0) {
    Say("FAIL RegisterClassA");
    return false;
  }
  const DWORD style = fullscreen ? WS_POPUP : WS_OVERLAPPEDWINDOW;
  const DWORD exStyle = fullscreen ? WS_EX_APPWINDOW : WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
  RECT rect{0, 0, width, height};
  AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  opened.window =
      CreateWindowExA(exStyle, kClassName, kTitle, style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                      rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                      windowClass.hInstance, nullptr);
  if (opened.window == nullptr) {
    Say("FAIL CreateWindowExA");
    return false;
  }
  opened.deviceContext = GetDC(opened.window);
  PIXELFORMATDESCRIPTOR format{};
  format.nSize = sizeof(format);
  format.nVersion = 1;
  format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  format.iPixelType = PFD_TYPE_RGBA;
  format.cColorBits = 16;
  format.cDepthBits = 16;
  format.iLayerType = PFD_MAIN_PLANE;
  const int index = ChoosePixelFormat(opened.deviceContext, &format);
  // A request the window cannot meet is refused, not pretended.
  PIXELFORMATDESCRIPTOR tooMuch = format;
  tooMuch.cStencilBits = 32;
  Check(!SetPixelFormat(opened.deviceContext, index, &tooMuch), "impossible format refused");
  Check(wglCreateContext(opened.deviceContext) == nullptr, "no context without a pixel format");
  if (index == 0 || !SetPixelFormat(opened.deviceContext, index, &format)) {
    Say("FAIL pixel format");
    return false;
  }
  opened.renderContext = wglCreateContext(opened.deviceContext);
  if (opened.renderContext == nullptr ||
      !wglMakeCurrent(opened.deviceContext, opened.renderContext)) {
    Say("FAIL rendering context");
    return false;
  }
  gVia = "ShowWindow";
  ShowWindow(opened.window, SW_SHOW);
  gVia = "DispatchMessage";
  SetForegroundWindow(opened.window);
  SetFocus(opened.window);
  return true;
}

void DescribeContext() {
  GLint depthBits = 0;
  GLboolean doubleBuffered = GL_FALSE;
  glGetIntegerv(GL_DEPTH_BITS, &depthBits);
  glGetBooleanv(GL_DOUBLEBUFFER, &doubleBuffered);
  const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  Say("GL depth=%d double=%d version=%s", depthBits, doubleBuffered ? 1 : 0,
      version != nullptr ? version : "?");
  Check(depthBits >= 16, "depth buffer of at least 16 bits");
  Check(doubleBuffered == GL_TRUE, "double buffering");
  Check(wglGetProcAddress("glActiveTextureARB") != nullptr, "wglGetProcAddress with a context");
}

void DrawScene() {
  glViewport(0, 0, gClientWidth, gClientHeight);
  glClearColor(0.0f, 0.0f, 0.5f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glColor3f(1.0f, 0.0f, 0.0f);
  glBegin(GL_QUADS);
  glVertex2f(-0.5f, -0.5f);
  glVertex2f(0.5f, -0.5f);
  glVertex2f(0.5f, 0.5f);
  glVertex2f(-0.5f, 0.5f);
  glEnd();
}

// Releases in the viewer's order and reports what each release said.
void Close(Opened& opened, bool expectSuccess) {
  gVia = "Close";
  const BOOL unbound = wglMakeCurrent(nullptr, nullptr);
  const BOOL deleted = wglDeleteContext(opened.renderContext);
  const int released = ReleaseDC(opened.window, opened.deviceContext);
  const BOOL destroyed = DestroyWindow(opened.window);
  Say("CLOSE unbind=%d delete=%d release=%d destroy=%d", unbound, deleted, released, destroyed);
  if (expectSuccess) {
    Check(unbound && deleted && released == 1 && destroyed, "first release of every handle");
  } else {
    Check(!deleted && released == 0 && !destroyed, "second release of every handle fails");
  }
  gVia = "DispatchMessage";
}

int RunWindow(bool fullscreen, bool draw) {
  Opened opened;
  const int width = fullscreen ? 640 : 320;
  const int height = fullscreen ? 480 : 240;
  if (!Open(opened, width, height, fullscreen)) return 1;
  DescribeContext();
  Say("READY");

  MSG message{};
  for (;;) {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) break;
      TranslateMessage(&message);
      DispatchMessageA(&message);
      continue;
    }
    if (draw) DrawScene();
    SwapBuffers(opened.deviceContext);
    if (gMinimised) ++gMinimisedSwaps;
  }
  Say("WM_QUIT code=%lu", static_cast<unsigned long>(message.wParam));
  if (gMinimisedSeconds > 0.0) {
    Say("SWAPS %ld in %.1f s minimised (%.0f per second)", gMinimisedSwaps, gMinimisedSeconds,
        static_cast<double>(gMinimisedSwaps) / gMinimisedSeconds);
  }

  if (fullscreen) Check(ChangeDisplaySettingsA(nullptr, 0) == DISP_CHANGE_SUCCESSFUL, "restore");
  Close(opened, true);
  Close(opened, false);
  Check(!SwapBuffers(opened.deviceContext), "SwapBuffers on a released DC fails");
  Check(!wglMakeCurrent(opened.deviceContext, opened.renderContext),
        "wglMakeCurrent with released handles fails");
  Check(GetDC(opened.window) == nullptr, "GetDC of a destroyed window fails");
  Check(!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) || message.message != WM_QUIT,
        "WM_QUIT comes out once");

  // A second open in the same run, with the class registered again.
  Opened again;
  Check(Open(again, 200, 150, false), "second open");
  Check(wglGetProcAddress("glActiveTextureARB") != nullptr, "second context works");
  Close(again, true);
  return gFailed ? 1 : 0;
}

int RunBoxes() {
  // Each box's answer is printed before the next one opens, so the script
  // can wait for it.
  const int first = MessageBoxA(nullptr, "Would the probe like Yes?", "Probe question",
                                MB_YESNO | MB_ICONQUESTION);
  Say("ANSWER 1 %d", first);
  const int second = MessageBoxA(nullptr, "Would the probe like No?", "Probe question two",
                                 MB_YESNO | MB_ICONEXCLAMATION);
  Say("ANSWER 2 %d", second);
  const int third = MessageBoxA(nullptr, "Press Return.", "Probe notice", MB_OK | MB_ICONERROR);
  Say("ANSWER 3 %d", third);
  const int fourth = MessageBoxA(nullptr, "Press Escape.", "Probe notice two", MB_OK);
  Say("ANSWER 4 %d", fourth);
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine,
                   int showCommand) {
  (void)previousInstance;
  Check(instance != nullptr, "WinMain gets the module handle");
  Check(commandLine != nullptr && commandLine[0] == '\0', "WinMain gets an empty command line");
  Check(showCommand == SW_SHOW, "WinMain gets SW_SHOW");
  const char* modeVariable = std::getenv("HALDEN_PROBE_MODE");
  const std::string mode = modeVariable != nullptr ? modeVariable : "events";
  if (mode == "boxes") return RunBoxes();
  if (mode == "idle") return RunWindow(false, false);
  if (mode == "fullscreen") {
    DEVMODEA request{};
    request.dmSize = 148;
    request.dmBitsPerPel = 16;
    request.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    request.dmPelsWidth = 800;
    request.dmPelsHeight = 600;
    Say("CDS 800x600 %ld", static_cast<long>(ChangeDisplaySettingsA(&request, CDS_FULLSCREEN)));
    request.dmPelsWidth = 640;
    request.dmPelsHeight = 480;
    const LONG result = ChangeDisplaySettingsA(&request, CDS_FULLSCREEN);
    Say("CDS 640x480 %ld", static_cast<long>(result));
    if (result != DISP_CHANGE_SUCCESSFUL) return 1;
    return RunWindow(true, true);
  }
  return RunWindow(false, true);
}
