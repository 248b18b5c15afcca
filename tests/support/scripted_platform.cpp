// The scripted implementation of the Win32 subset in platform/win32_api.h,
// for tests, and its control surface (scripted_platform.h).
//
// Implemented: window classes, windows (any number; the newest live one is
// "the" window that posted messages go to), device contexts, the display
// mode and cursor counter, pixel formats, WGL contexts backed by a real Mesa
// context through EGL (surfaceless platform, one pbuffer of the window's
// client size per context), SwapBuffers with a hook, scripted message boxes,
// a posted-message queue with WM_QUIT, fault injection by call name, a call
// log, counts of everything acquired, and glGetString(GL_EXTENSIONS) with
// extensions taken away on request.
//
// Left out: nothing is ever drawn on a screen; PeekMessageA ignores its
// window filter; ShowWindow sends only WM_ACTIVATE and WM_SIZE (at the first
// show), and DestroyWindow sends nothing; a window's size never changes after
// creation; contexts do not share objects.

#include "tests/support/scripted_platform.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <dlfcn.h>  // RTLD_NEXT, to reach the driver's glGetString

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <sstream>
#include <utility>

namespace {

// Frame that AdjustWindowRectEx adds around the client area, as a 96-dpi
// Windows 10 desktop does: a sizing border on every side and a caption on top.
constexpr LONG kSizingBorder = 8;
constexpr LONG kThinBorder = 1;
constexpr LONG kCaptionHeight = 23;
constexpr DWORD kBorderStyle = 0x00800000L;  // WS_BORDER, part of WS_CAPTION

constexpr int kOnlyPixelFormat = 1;

struct Frame {
  LONG left, top, right, bottom;
};

Frame FrameFor(DWORD style) {
  Frame frame{0, 0, 0, 0};
  LONG border = 0;
  if (style & WS_THICKFRAME) {
    border = kSizingBorder;
  } else if (style & kBorderStyle) {
    border = kThinBorder;
  }
  frame.left = frame.top = frame.right = frame.bottom = border;
  if ((style & WS_CAPTION) == WS_CAPTION) frame.top += kCaptionHeight;
  return frame;
}

struct WindowClass {
  WNDCLASSA fields{};
  std::string name;
  ATOM atom = 0;
};

struct Window {
  std::string title;
  DWORD style = 0;
  DWORD exStyle = 0;
  int clientWidth = 0;
  int clientHeight = 0;
  WNDPROC procedure = nullptr;
  bool visible = false;
  HDC deviceContext = nullptr;  // the window's own DC (CS_OWNDC), made once
  int deviceContextUses = 0;    // GetDC calls not yet matched by ReleaseDC
  int pixelFormat = 0;
  PIXELFORMATDESCRIPTOR pixelFormatDescriptor{};
};

struct RenderContext {
  HWND window = nullptr;  // the window it was created for
  EGLContext context = EGL_NO_CONTEXT;
  EGLSurface surface = EGL_NO_SURFACE;
};

struct Fault {
  int skip = 0;
};

struct State {
  std::vector<std::string> callLog;
  std::map<std::string, Fault> faults;

  std::deque<int> messageBoxAnswers;
  std::vector<scripted::MessageBoxRecord> messageBoxes;
  std::function<void(const scripted::MessageBoxRecord&)> messageBoxHook;

  bool fullscreenModeAvailable = false;
  bool displayModeChanged = false;
  DEVMODEA lastDisplayModeRequest{};
  int cursorCounter = 0;

  std::map<std::string, WindowClass> classes;
  std::string lastClassName;
  std::map<HWND, Window> windows;
  std::vector<HWND> windowOrder;  // creation order of the live windows
  std::map<HDC, HWND> deviceContexts;
  HWND focus = nullptr;
  PIXELFORMATDESCRIPTOR lastPixelFormatRequest{};

  std::map<HGLRC, RenderContext> renderContexts;
  HGLRC current = nullptr;

  std::deque<MSG> posted;
  bool quitPosted = false;
  int quitCode = 0;

  std::function<void(int)> swapHook;
  int swapCount = 0;

  std::vector<std::string> removedExtensions;
  std::string extensionsSource;    // the driver's list the filtered one came from
  std::string filteredExtensions;  // what glGetString(GL_EXTENSIONS) hands out

  HWND testWindow = nullptr;
  HDC testDeviceContext = nullptr;
  HGLRC testRenderContext = nullptr;
};

State& S() {
  static State state;
  return state;
}

// Handles are numbers from one counter that never goes back, not even at
// Reset, so a stale or mistyped handle (an HDC passed as an HWND) is never
// found in a table.
template <typename Handle>
Handle NewHandle() {
  static std::uintptr_t next = 0x10000;
  next += 0x10;
  return reinterpret_cast<Handle>(next);
}

// The Mesa display, initialised once for the process: terminating and
// initialising it again per test would cost more than every test together.
EGLDisplay Display() {
  static EGLDisplay display = [] {
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay == nullptr) return EGL_NO_DISPLAY;
    EGLDisplay opened =
        getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (opened == EGL_NO_DISPLAY) return EGL_NO_DISPLAY;
    EGLint major = 0;
    EGLint minor = 0;
    if (!eglInitialize(opened, &major, &minor)) return EGL_NO_DISPLAY;
    return opened;
  }();
  return display;
}

void Log(const std::string& name) {
  S().callLog.push_back(name);
}

// True when a fault registered under `name` fires now; each fault fires once.
bool FaultFires(const std::string& name) {
  auto& faults = S().faults;
  auto found = faults.find(name);
  if (found == faults.end()) return false;
  if (found->second.skip > 0) {
    --found->second.skip;
    return false;
  }
  faults.erase(found);
  return true;
}

// Logs the call and says whether it is to fail. A variant name ("ShowCursor(TRUE)")
// is logged instead of the plain one and consults the faults of both.
bool Enter(const char* function, const std::string& variant = std::string()) {
  Log(variant.empty() ? function : variant);
  bool fails = FaultFires(function);
  if (!variant.empty() && FaultFires(variant)) fails = true;
  return fails;
}

Window* FindWindow(HWND window) {
  auto found = S().windows.find(window);
  return found == S().windows.end() ? nullptr : &found->second;
}

Window* WindowOfDeviceContext(HDC deviceContext) {
  auto found = S().deviceContexts.find(deviceContext);
  return found == S().deviceContexts.end() ? nullptr : FindWindow(found->second);
}

HWND NewestWindow() {
  return S().windowOrder.empty() ? nullptr : S().windowOrder.back();
}

const Window* NewestWindowRecord() {
  return FindWindow(NewestWindow());
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const Window* record = FindWindow(window);
  if (record == nullptr || record->procedure == nullptr) return 0;
  WNDPROC procedure = record->procedure;  // the procedure may destroy the window
  return procedure(window, message, wParam, lParam);
}

LPARAM MakeSizeParam(int width, int height) {
  return static_cast<LPARAM>((static_cast<std::uint32_t>(height & 0xffff) << 16) |
                             static_cast<std::uint32_t>(width & 0xffff));
}

// Makes a hidden window visible, sending what Win32 sends synchronously at the
// first show: the activation, then the client size.
void Show(HWND window) {
  Window* record = FindWindow(window);
  if (record == nullptr || record->visible) return;
  record->visible = true;
  record->style |= WS_VISIBLE;
  const LPARAM size = MakeSizeParam(record->clientWidth, record->clientHeight);
  // `record` may not survive the first message: the procedure can destroy the window.
  Send(window, WM_ACTIVATE, WA_ACTIVE, 0);
  Send(window, WM_SIZE, SIZE_RESTORED, size);
}

void DestroyRenderContext(HGLRC handle) {
  auto found = S().renderContexts.find(handle);
  if (found == S().renderContexts.end()) return;
  EGLDisplay display = Display();
  if (S().current == handle) {
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    S().current = nullptr;
  }
  eglDestroyContext(display, found->second.context);
  eglDestroySurface(display, found->second.surface);
  S().renderContexts.erase(found);
}

void ForgetWindow(HWND window) {
  Window* record = FindWindow(window);
  if (record == nullptr) return;
  if (record->deviceContext != nullptr) S().deviceContexts.erase(record->deviceContext);
  if (S().focus == window) S().focus = nullptr;
  auto& order = S().windowOrder;
  order.erase(std::remove(order.begin(), order.end(), window), order.end());
  S().windows.erase(window);
}

// An RGB(A) 8-bit config for OpenGL pbuffers with at least `depthBits` of depth.
bool ChooseConfig(EGLDisplay display, int depthBits, EGLConfig* chosen) {
  const EGLint attributes[] = {EGL_SURFACE_TYPE,
                               EGL_PBUFFER_BIT,
                               EGL_RENDERABLE_TYPE,
                               EGL_OPENGL_BIT,
                               EGL_RED_SIZE,
                               8,
                               EGL_GREEN_SIZE,
                               8,
                               EGL_BLUE_SIZE,
                               8,
                               EGL_DEPTH_SIZE,
                               std::max(16, depthBits),
                               EGL_NONE};
  EGLint count = 0;
  if (!eglChooseConfig(display, attributes, nullptr, 0, &count) || count <= 0) return false;
  std::vector<EGLConfig> configs(static_cast<std::size_t>(count));
  if (!eglChooseConfig(display, attributes, configs.data(), count, &count)) return false;
  // EGL sorts deeper colour first; take exactly 8 bits per channel when offered.
  for (EGLint i = 0; i < count; ++i) {
    EGLint red = 0, green = 0, blue = 0;
    eglGetConfigAttrib(display, configs[i], EGL_RED_SIZE, &red);
    eglGetConfigAttrib(display, configs[i], EGL_GREEN_SIZE, &green);
    eglGetConfigAttrib(display, configs[i], EGL_BLUE_SIZE, &blue);
    if (red == 8 && green == 8 && blue == 8) {
      *chosen = configs[i];
      return true;
    }
  }
  *chosen = configs[0];
  return true;
}

LRESULT CALLBACK TestWindowProcedure(HWND, UINT, WPARAM, LPARAM) {
  return 0;
}

const char kTestClassName[] = "ScriptedTestContext";

}  // namespace

// ---- The Win32 subset ----

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
  if (Enter("GetModuleHandleA") || moduleName != nullptr) return nullptr;
  static int module;
  return reinterpret_cast<HMODULE>(&module);
}

HICON WINAPI LoadIconA(HINSTANCE, LPCSTR iconName) {
  if (Enter("LoadIconA") || iconName == nullptr) return nullptr;
  static int icon;
  return reinterpret_cast<HICON>(&icon);
}

HCURSOR WINAPI LoadCursorA(HINSTANCE, LPCSTR cursorName) {
  if (Enter("LoadCursorA") || cursorName == nullptr) return nullptr;
  static int cursor;
  return reinterpret_cast<HCURSOR>(&cursor);
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass) {
  if (Enter("RegisterClassA")) return 0;
  if (windowClass == nullptr || windowClass->lpszClassName == nullptr ||
      windowClass->lpfnWndProc == nullptr) {
    return 0;
  }
  // A class registered by an earlier open is registered again, not refused:
  // the newest procedure and fields win.
  std::string name = windowClass->lpszClassName;
  WindowClass& entry = S().classes[name];
  entry.fields = *windowClass;
  entry.name = name;
  entry.fields.lpszClassName = entry.name.c_str();
  entry.fields.lpszMenuName = nullptr;
  S().lastClassName = name;
  if (entry.atom == 0) entry.atom = static_cast<ATOM>(0xC000 + S().classes.size());
  return entry.atom;
}

BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL, DWORD) {
  if (Enter("AdjustWindowRectEx") || rect == nullptr) return FALSE;
  Frame frame = FrameFor(style);
  rect->left -= frame.left;
  rect->top -= frame.top;
  rect->right += frame.right;
  rect->bottom += frame.bottom;
  return TRUE;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int,
                            int, int width, int height, HWND, HMENU, HINSTANCE, void*) {
  if (Enter("CreateWindowExA") || className == nullptr) return nullptr;
  auto found = S().classes.find(className);
  if (found == S().classes.end()) return nullptr;
  Frame frame = FrameFor(style);
  Window record;
  record.title = windowName != nullptr ? windowName : "";
  record.style = style & ~static_cast<DWORD>(WS_VISIBLE);
  record.exStyle = exStyle;
  record.clientWidth = std::max(0, width - static_cast<int>(frame.left + frame.right));
  record.clientHeight = std::max(0, height - static_cast<int>(frame.top + frame.bottom));
  record.procedure = found->second.fields.lpfnWndProc;
  HWND handle = NewHandle<HWND>();
  S().windows[handle] = record;
  S().windowOrder.push_back(handle);
  if (style & WS_VISIBLE) Show(handle);
  return handle;
}

BOOL WINAPI ShowWindow(HWND window, int showCommand) {
  if (Enter("ShowWindow")) return FALSE;
  Window* record = FindWindow(window);
  if (record == nullptr) return FALSE;
  BOOL wasVisible = record->visible ? TRUE : FALSE;
  if (showCommand == SW_HIDE) {
    record->visible = false;
    record->style &= ~static_cast<DWORD>(WS_VISIBLE);
    return wasVisible;
  }
  Show(window);
  return wasVisible;
}

BOOL WINAPI SetForegroundWindow(HWND window) {
  if (Enter("SetForegroundWindow")) return FALSE;
  return FindWindow(window) != nullptr ? TRUE : FALSE;
}

HWND WINAPI SetFocus(HWND window) {
  if (Enter("SetFocus")) return nullptr;
  if (window != nullptr && FindWindow(window) == nullptr) return nullptr;
  HWND previous = S().focus;
  S().focus = window;
  return previous;
}

HWND WINAPI GetFocus() {
  if (Enter("GetFocus")) return nullptr;
  return S().focus;
}

BOOL WINAPI DestroyWindow(HWND window) {
  if (Enter("DestroyWindow")) return FALSE;
  if (FindWindow(window) == nullptr) return FALSE;
  ForgetWindow(window);
  return TRUE;
}

HDC WINAPI GetDC(HWND window) {
  if (Enter("GetDC")) return nullptr;
  Window* record = FindWindow(window);
  if (record == nullptr) return nullptr;
  if (record->deviceContext == nullptr) {
    record->deviceContext = NewHandle<HDC>();
    S().deviceContexts[record->deviceContext] = window;
  }
  ++record->deviceContextUses;
  return record->deviceContext;
}

int WINAPI ReleaseDC(HWND window, HDC deviceContext) {
  if (Enter("ReleaseDC")) return 0;
  Window* record = FindWindow(window);
  if (record == nullptr || deviceContext == nullptr || record->deviceContext != deviceContext ||
      record->deviceContextUses == 0) {
    return 0;
  }
  --record->deviceContextUses;
  return 1;
}

LONG WINAPI ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags) {
  if (mode == nullptr) {
    if (Enter("ChangeDisplaySettingsA", "ChangeDisplaySettingsA(NULL)")) return DISP_CHANGE_FAILED;
    S().displayModeChanged = false;
    return DISP_CHANGE_SUCCESSFUL;
  }
  if (Enter("ChangeDisplaySettingsA")) return DISP_CHANGE_FAILED;
  if ((flags & CDS_FULLSCREEN) == 0) return DISP_CHANGE_FAILED;
  S().lastDisplayModeRequest = *mode;
  if (!S().fullscreenModeAvailable) return DISP_CHANGE_BADMODE;
  S().displayModeChanged = true;
  return DISP_CHANGE_SUCCESSFUL;
}

int WINAPI ShowCursor(BOOL show) {
  if (Enter("ShowCursor", show ? "ShowCursor(TRUE)" : "ShowCursor(FALSE)")) {
    return S().cursorCounter;
  }
  S().cursorCounter += show ? 1 : -1;
  return S().cursorCounter;
}

int WINAPI ChoosePixelFormat(HDC deviceContext, const PIXELFORMATDESCRIPTOR* format) {
  if (Enter("ChoosePixelFormat")) return 0;
  if (WindowOfDeviceContext(deviceContext) == nullptr || format == nullptr) return 0;
  if ((format->dwFlags & PFD_SUPPORT_OPENGL) == 0 || format->iPixelType != PFD_TYPE_RGBA) return 0;
  return kOnlyPixelFormat;
}

BOOL WINAPI SetPixelFormat(HDC deviceContext, int format, const PIXELFORMATDESCRIPTOR* descriptor) {
  if (Enter("SetPixelFormat")) return FALSE;
  Window* record = WindowOfDeviceContext(deviceContext);
  if (record == nullptr || format != kOnlyPixelFormat) return FALSE;
  // A window's pixel format is set once; setting the same one again is harmless.
  if (record->pixelFormat != 0 && record->pixelFormat != format) return FALSE;
  record->pixelFormat = format;
  if (descriptor != nullptr) {
    record->pixelFormatDescriptor = *descriptor;
    S().lastPixelFormatRequest = *descriptor;
  }
  return TRUE;
}

HGLRC WINAPI wglCreateContext(HDC deviceContext) {
  if (Enter("wglCreateContext")) return nullptr;
  auto owner = S().deviceContexts.find(deviceContext);
  if (owner == S().deviceContexts.end()) return nullptr;
  Window* record = FindWindow(owner->second);
  if (record == nullptr || record->pixelFormat == 0) return nullptr;

  EGLDisplay display = Display();
  if (display == EGL_NO_DISPLAY || !eglBindAPI(EGL_OPENGL_API)) return nullptr;
  EGLConfig config = nullptr;
  if (!ChooseConfig(display, record->pixelFormatDescriptor.cDepthBits, &config)) return nullptr;
  const EGLint surfaceAttributes[] = {EGL_WIDTH, std::max(1, record->clientWidth), EGL_HEIGHT,
                                      std::max(1, record->clientHeight), EGL_NONE};
  EGLSurface surface = eglCreatePbufferSurface(display, config, surfaceAttributes);
  if (surface == EGL_NO_SURFACE) return nullptr;
  // No version or profile asked for: Mesa gives a compatibility context, which
  // keeps glBegin/glEnd, fixed-function lighting and pixel transfer.
  EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
  if (context == EGL_NO_CONTEXT) {
    eglDestroySurface(display, surface);
    return nullptr;
  }
  HGLRC handle = NewHandle<HGLRC>();
  S().renderContexts[handle] = RenderContext{owner->second, context, surface};
  return handle;
}

BOOL WINAPI wglMakeCurrent(HDC deviceContext, HGLRC renderContext) {
  if (Enter("wglMakeCurrent")) return FALSE;
  EGLDisplay display = Display();
  if (renderContext == nullptr) {
    if (S().current != nullptr) {
      eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
      S().current = nullptr;
    }
    return TRUE;
  }
  auto found = S().renderContexts.find(renderContext);
  if (found == S().renderContexts.end() || WindowOfDeviceContext(deviceContext) == nullptr) {
    return FALSE;
  }
  if (!eglMakeCurrent(display, found->second.surface, found->second.surface,
                      found->second.context)) {
    return FALSE;
  }
  S().current = renderContext;
  return TRUE;
}

BOOL WINAPI wglDeleteContext(HGLRC renderContext) {
  if (Enter("wglDeleteContext")) return FALSE;
  if (S().renderContexts.count(renderContext) == 0) return FALSE;
  DestroyRenderContext(renderContext);
  return TRUE;
}

PROC WINAPI wglGetProcAddress(LPCSTR name) {
  if (Enter("wglGetProcAddress") || name == nullptr) return nullptr;
  return reinterpret_cast<PROC>(eglGetProcAddress(name));
}

BOOL WINAPI SwapBuffers(HDC deviceContext) {
  if (Enter("SwapBuffers")) return FALSE;
  if (WindowOfDeviceContext(deviceContext) == nullptr) return FALSE;
  int index = S().swapCount++;
  // The hook runs before the present, with the frame's context still bound.
  if (S().swapHook) {
    auto hook = S().swapHook;  // the hook may replace itself
    hook(index);
  }
  EGLSurface surface = eglGetCurrentSurface(EGL_DRAW);
  if (surface != EGL_NO_SURFACE) eglSwapBuffers(Display(), surface);
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

BOOL WINAPI PeekMessageA(LPMSG message, HWND, UINT filterMin, UINT filterMax, UINT removeMessage) {
  if (Enter("PeekMessageA") || message == nullptr) return FALSE;
  auto wanted = [&](UINT id) {
    return (filterMin == 0 && filterMax == 0) || (id >= filterMin && id <= filterMax);
  };
  auto& posted = S().posted;
  for (auto it = posted.begin(); it != posted.end(); ++it) {
    if (!wanted(it->message)) continue;
    *message = *it;
    message->hwnd = NewestWindow();
    if (removeMessage & PM_REMOVE) posted.erase(it);
    return TRUE;
  }
  if (S().quitPosted && wanted(WM_QUIT)) {
    *message = MSG{};
    message->message = WM_QUIT;
    message->wParam = static_cast<WPARAM>(S().quitCode);
    if (removeMessage & PM_REMOVE) S().quitPosted = false;
    return TRUE;
  }
  return FALSE;
}

BOOL WINAPI TranslateMessage(const MSG* message) {
  if (Enter("TranslateMessage") || message == nullptr) return FALSE;
  // Win32 answers whether it posted a WM_CHAR; nobody here reads characters.
  return FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* message) {
  if (Enter("DispatchMessageA") || message == nullptr) return 0;
  return Send(message->hwnd, message->message, message->wParam, message->lParam);
}

void WINAPI PostQuitMessage(int exitCode) {
  if (Enter("PostQuitMessage")) return;
  S().quitPosted = true;
  S().quitCode = exitCode;
}

LRESULT WINAPI DefWindowProcA(HWND, UINT, WPARAM, LPARAM) {
  Enter("DefWindowProcA");
  return 0;
}

// ---- Extensions ----

// Defined here, this glGetString takes the place of the driver's for the whole
// test executable (GLU's calls included), so a test can take extensions away
// that Mesa will not remove; everything else is passed through.
extern "C" const GLubyte* GLAPIENTRY glGetString(GLenum name) {
  using GetString = const GLubyte* (*)(GLenum);
  static const auto driverGetString = reinterpret_cast<GetString>(dlsym(RTLD_NEXT, "glGetString"));
  if (driverGetString == nullptr) return nullptr;
  const GLubyte* list = driverGetString(name);
  State& state = S();
  if (name != GL_EXTENSIONS || list == nullptr || state.removedExtensions.empty()) return list;
  const char* source = reinterpret_cast<const char*>(list);
  if (state.filteredExtensions.empty() || state.extensionsSource != source) {
    state.extensionsSource = source;
    std::string filtered;
    std::istringstream tokens(state.extensionsSource);
    for (std::string token; tokens >> token;) {
      const auto& removed = state.removedExtensions;
      if (std::find(removed.begin(), removed.end(), token) != removed.end()) continue;
      filtered += token;
      filtered += ' ';  // Mesa ends its list with a space too
    }
    state.filteredExtensions = filtered;
  }
  return reinterpret_cast<const GLubyte*>(state.filteredExtensions.c_str());
}

// ---- The control surface ----

namespace scripted {

void Reset() {
  State& state = S();
  std::vector<HGLRC> contexts;
  for (const auto& entry : state.renderContexts) contexts.push_back(entry.first);
  for (HGLRC context : contexts) DestroyRenderContext(context);
  if (eglGetCurrentContext() != EGL_NO_CONTEXT) {
    eglMakeCurrent(Display(), EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  }
  state = State();
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
  S().faults[function] = Fault{std::max(0, skip)};
}

void SetFullscreenModeAvailable(bool available) {
  S().fullscreenModeAvailable = available;
}

bool DisplayModeChanged() {
  return S().displayModeChanged;
}

int CursorDisplayCounter() {
  return S().cursorCounter;
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
  const Window* window = NewestWindowRecord();
  return window != nullptr ? window->title : std::string();
}

DWORD WindowStyle() {
  const Window* window = NewestWindowRecord();
  return window != nullptr ? window->style : 0;
}

DWORD WindowExStyle() {
  const Window* window = NewestWindowRecord();
  return window != nullptr ? window->exStyle : 0;
}

int ClientWidth() {
  const Window* window = NewestWindowRecord();
  return window != nullptr ? window->clientWidth : 0;
}

int ClientHeight() {
  const Window* window = NewestWindowRecord();
  return window != nullptr ? window->clientHeight : 0;
}

WNDCLASSA LastRegisteredClass() {
  auto found = S().classes.find(S().lastClassName);
  if (found == S().classes.end()) return WNDCLASSA{};
  return found->second.fields;
}

PIXELFORMATDESCRIPTOR LastPixelFormatRequest() {
  return S().lastPixelFormatRequest;
}

const std::vector<std::string>& CallLog() {
  return S().callLog;
}

Live LiveResources() {
  Live live{0, 0, 0, S().displayModeChanged};
  live.windows = static_cast<int>(S().windows.size());
  for (const auto& entry : S().windows) live.deviceContexts += entry.second.deviceContextUses;
  live.renderContexts = static_cast<int>(S().renderContexts.size());
  return live;
}

bool NothingAcquired() {
  Live live = LiveResources();
  return live.windows == 0 && live.deviceContexts == 0 && live.renderContexts == 0 &&
         !live.displayModeChanged;
}

std::string LeakReport() {
  std::ostringstream report;
  for (HWND window : S().windowOrder) {
    const Window* record = FindWindow(window);
    report << "window \"" << record->title << "\"";
    if (record->deviceContextUses > 0) {
      report << " with " << record->deviceContextUses << " device context(s) not released";
    }
    report << "; ";
  }
  if (!S().renderContexts.empty()) {
    report << S().renderContexts.size() << " rendering context(s)";
    if (S().current != nullptr) report << " (one current)";
    report << "; ";
  }
  if (S().displayModeChanged) report << "display mode not restored; ";
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
  State& state = S();
  state.removedExtensions = std::move(names);
  state.extensionsSource.clear();
  state.filteredExtensions.clear();
}

bool OpenTestContext(int width, int height) {
  CloseTestContext();
  State& state = S();
  WNDCLASSA windowClass{};
  windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
  windowClass.lpfnWndProc = TestWindowProcedure;
  windowClass.lpszClassName = kTestClassName;
  if (RegisterClassA(&windowClass) == 0) return false;
  state.testWindow = CreateWindowExA(WS_EX_APPWINDOW, kTestClassName, "Test context", WS_POPUP, 0,
                                     0, width, height, nullptr, nullptr, nullptr, nullptr);
  if (state.testWindow == nullptr) return false;
  state.testDeviceContext = GetDC(state.testWindow);
  if (state.testDeviceContext == nullptr) {
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
  int index = ChoosePixelFormat(state.testDeviceContext, &format);
  if (index == 0 || !SetPixelFormat(state.testDeviceContext, index, &format)) {
    CloseTestContext();
    return false;
  }
  state.testRenderContext = wglCreateContext(state.testDeviceContext);
  if (state.testRenderContext == nullptr ||
      !wglMakeCurrent(state.testDeviceContext, state.testRenderContext)) {
    CloseTestContext();
    return false;
  }
  return true;
}

void CloseTestContext() {
  State& state = S();
  if (state.testRenderContext != nullptr) {
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(state.testRenderContext);
    state.testRenderContext = nullptr;
  }
  if (state.testDeviceContext != nullptr) {
    ReleaseDC(state.testWindow, state.testDeviceContext);
    state.testDeviceContext = nullptr;
  }
  if (state.testWindow != nullptr) {
    DestroyWindow(state.testWindow);
    state.testWindow = nullptr;
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
