// Tests of the scripted Win32 layer itself: it draws for real through Mesa,
// misuse and injected faults fail cleanly and acquire nothing, and windows,
// messages, message boxes and the display mode behave as Win32's do.

#include "support/scripted_platform.h"

#include <EGL/egl.h>  // to see which context is bound
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Received {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Received> gReceived;

LRESULT CALLBACK RecordingProcedure(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
  gReceived.push_back(Received{message, wParam, lParam});
  return 0x5a;
}

// The handles of one window with a current context, opened the way the
// program opens its own.
struct Opened {
  HWND window = nullptr;
  HDC deviceContext = nullptr;
  HGLRC renderContext = nullptr;
};

HWND CreateTestWindow(DWORD style, int clientWidth, int clientHeight) {
  WNDCLASSA windowClass{};
  windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
  windowClass.lpfnWndProc = RecordingProcedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "OpenGL";
  if (RegisterClassA(&windowClass) == 0) return nullptr;
  RECT rect{0, 0, clientWidth, clientHeight};
  if (!AdjustWindowRectEx(&rect, style, FALSE, WS_EX_APPWINDOW)) return nullptr;
  return CreateWindowExA(WS_EX_APPWINDOW, "OpenGL", "Scripted", style, 0, 0, rect.right - rect.left,
                         rect.bottom - rect.top, nullptr, nullptr, GetModuleHandleA(nullptr),
                         nullptr);
}

PIXELFORMATDESCRIPTOR ProgramPixelFormat() {
  PIXELFORMATDESCRIPTOR format{};
  format.nSize = sizeof(format);
  format.nVersion = 1;
  format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  format.iPixelType = PFD_TYPE_RGBA;
  format.cColorBits = 16;
  format.cDepthBits = 16;
  format.iLayerType = PFD_MAIN_PLANE;
  return format;
}

Opened OpenWindowWithContext(int width, int height) {
  Opened opened;
  opened.window = CreateTestWindow(WS_OVERLAPPEDWINDOW, width, height);
  if (opened.window == nullptr) return opened;
  opened.deviceContext = GetDC(opened.window);
  PIXELFORMATDESCRIPTOR format = ProgramPixelFormat();
  int index = ChoosePixelFormat(opened.deviceContext, &format);
  if (index == 0 || !SetPixelFormat(opened.deviceContext, index, &format)) return opened;
  opened.renderContext = wglCreateContext(opened.deviceContext);
  if (opened.renderContext != nullptr &&
      !wglMakeCurrent(opened.deviceContext, opened.renderContext)) {
    opened.renderContext = nullptr;
  }
  return opened;
}

// The current context's extensions, as whole tokens.
std::vector<std::string> Extensions() {
  std::vector<std::string> tokens;
  const GLubyte* list = glGetString(GL_EXTENSIONS);
  if (list == nullptr) return tokens;
  std::istringstream words(reinterpret_cast<const char*>(list));
  for (std::string word; words >> word;) tokens.push_back(word);
  return tokens;
}

bool Offers(const std::vector<std::string>& extensions, const std::string& name) {
  for (const std::string& token : extensions) {
    if (token == name) return true;
  }
  return false;
}

bool SameRgb(scripted::Rgb a, scripted::Rgb b) {
  return a.r == b.r && a.g == b.g && a.b == b.b;
}

class ScriptedPlatform : public ::testing::Test {
 protected:
  void SetUp() override {
    scripted::Reset();
    gReceived.clear();
  }
  void TearDown() override { scripted::Reset(); }
};

// ---- Real drawing ----

TEST_F(ScriptedPlatform, ClearedColourIsReadBackInTheSwapHook) {
  Opened opened = OpenWindowWithContext(64, 48);
  ASSERT_NE(opened.renderContext, nullptr);

  std::vector<scripted::Rgb> seen;
  std::vector<int> indices;
  scripted::SetSwapHook([&](int index) {
    indices.push_back(index);
    seen.push_back(scripted::ReadPixel(0, 0));
    seen.push_back(scripted::ReadPixel(63, 47));
  });
  glClearColor(1.0f, 0.5f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  ASSERT_TRUE(SwapBuffers(opened.deviceContext));
  glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  ASSERT_TRUE(SwapBuffers(opened.deviceContext));

  EXPECT_EQ(indices, (std::vector<int>{0, 1}));
  EXPECT_EQ(scripted::SwapCount(), 2);
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_NEAR(seen[0].r, 255, 1);
  EXPECT_NEAR(seen[0].g, 128, 1);
  EXPECT_EQ(seen[0].b, 0);
  EXPECT_TRUE(SameRgb(seen[0], seen[1]));
  EXPECT_TRUE(SameRgb(seen[2], (scripted::Rgb{0, 0, 255})));
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ScriptedPlatform, ContextOffersTheFixedFunctionPipelineAtTheClientSize) {
  Opened opened = OpenWindowWithContext(40, 30);
  ASSERT_NE(opened.renderContext, nullptr);

  GLint viewport[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 40);
  EXPECT_EQ(viewport[3], 30);
  GLint depthBits = 0;
  glGetIntegerv(GL_DEPTH_BITS, &depthBits);
  EXPECT_GE(depthBits, 16);

  // Immediate mode with lighting off: a quad over the left half only.
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glColor3ub(0, 200, 0);
  glBegin(GL_QUADS);
  glVertex2f(-1.0f, -1.0f);
  glVertex2f(0.0f, -1.0f);
  glVertex2f(0.0f, 1.0f);
  glVertex2f(-1.0f, 1.0f);
  glEnd();
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  EXPECT_TRUE(SameRgb(scripted::ReadPixel(5, 15), (scripted::Rgb{0, 200, 0})));
  EXPECT_TRUE(SameRgb(scripted::ReadPixel(35, 15), (scripted::Rgb{0, 0, 0})));
}

TEST_F(ScriptedPlatform, ReadPixelIgnoresPixelTransferLeftSetAndKeepsIt) {
  ASSERT_TRUE(scripted::OpenTestContext(8, 8));
  glClearColor(0.0f, 1.0f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glPixelTransferf(GL_GREEN_SCALE, 0.5f);
  glPixelStorei(GL_PACK_ALIGNMENT, 8);

  EXPECT_TRUE(SameRgb(scripted::ReadPixel(3, 3), (scripted::Rgb{0, 255, 255})));
  GLfloat scale = 0.0f;
  glGetFloatv(GL_GREEN_SCALE, &scale);
  EXPECT_EQ(scale, 0.5f);
  GLint alignment = 0;
  glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
  EXPECT_EQ(alignment, 8);
}

TEST_F(ScriptedPlatform, TestContextIsCurrentAndClosesCleanly) {
  ASSERT_TRUE(scripted::OpenTestContext(32, 16));
  EXPECT_EQ(scripted::ClientWidth(), 32);
  EXPECT_EQ(scripted::ClientHeight(), 16);
  scripted::Live live = scripted::LiveResources();
  EXPECT_EQ(live.windows, 1);
  EXPECT_EQ(live.deviceContexts, 1);
  EXPECT_EQ(live.renderContexts, 1);
  EXPECT_NE(glGetString(GL_VERSION), nullptr);

  scripted::CloseTestContext();
  EXPECT_TRUE(scripted::NothingAcquired()) << scripted::LeakReport();
  EXPECT_TRUE(SameRgb(scripted::ReadPixel(0, 0), (scripted::Rgb{-1, -1, -1})));
  scripted::CloseTestContext();                  // a second close finds nothing to release
  EXPECT_TRUE(scripted::OpenTestContext(8, 8));  // and a reopen works
}

TEST_F(ScriptedPlatform, UnbindingAndDeletingReleaseTheContext) {
  Opened opened = OpenWindowWithContext(16, 16);
  ASSERT_NE(opened.renderContext, nullptr);
  EXPECT_TRUE(wglMakeCurrent(nullptr, nullptr));
  EXPECT_TRUE(SameRgb(scripted::ReadPixel(0, 0), (scripted::Rgb{-1, -1, -1})));
  EXPECT_TRUE(wglMakeCurrent(opened.deviceContext, opened.renderContext));
  // Deleting the current context unbinds it first, as WGL does.
  EXPECT_TRUE(wglDeleteContext(opened.renderContext));
  EXPECT_EQ(scripted::LiveResources().renderContexts, 0);
  EXPECT_TRUE(SameRgb(scripted::ReadPixel(0, 0), (scripted::Rgb{-1, -1, -1})));
}

TEST_F(ScriptedPlatform, MultitextureAndItsEntryPointsComeFromMesa) {
  Opened opened = OpenWindowWithContext(8, 8);
  ASSERT_NE(opened.renderContext, nullptr);
  if (std::getenv("MESA_EXTENSION_OVERRIDE") == nullptr) {
    std::vector<std::string> extensions = Extensions();
    EXPECT_TRUE(Offers(extensions, "GL_ARB_multitexture"));
    EXPECT_TRUE(Offers(extensions, "GL_EXT_texture_env_combine"));
  }
  EXPECT_NE(wglGetProcAddress("glActiveTextureARB"), nullptr);
  EXPECT_EQ(wglGetProcAddress(nullptr), nullptr);
}

TEST_F(ScriptedPlatform, RemovedExtensionsLeaveTheListWholeTokensOnly) {
  ASSERT_TRUE(scripted::OpenTestContext(4, 4));
  std::vector<std::string> offered = Extensions();
  ASSERT_TRUE(Offers(offered, "GL_ARB_texture_env_combine"));

  scripted::RemoveExtensions({"GL_EXT_texture_env_combine"});
  std::vector<std::string> filtered = Extensions();
  EXPECT_FALSE(Offers(filtered, "GL_EXT_texture_env_combine"));
  EXPECT_TRUE(Offers(filtered, "GL_ARB_multitexture"));
  EXPECT_TRUE(Offers(filtered, "GL_ARB_texture_env_combine"));  // a longer name stays
  EXPECT_EQ(filtered.size() + 1, offered.size());
  const char* list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  EXPECT_EQ(std::string(list).back(), ' ');  // spaces as the driver lays them out
  EXPECT_NE(glGetString(GL_VERSION), nullptr);

  // A new context sees the same list; Reset gives the driver's back.
  scripted::CloseTestContext();
  ASSERT_TRUE(scripted::OpenTestContext(4, 4));
  EXPECT_EQ(Extensions(), filtered);
  scripted::Reset();
  ASSERT_TRUE(scripted::OpenTestContext(4, 4));
  EXPECT_EQ(Extensions(), offered);
}

// Switching lighting is logged among the Win32 calls and still reaches the
// driver; no other capability is logged.
TEST_F(ScriptedPlatform, LightingSwitchesAreLoggedAndReachTheDriver) {
  ASSERT_TRUE(scripted::OpenTestContext(4, 4));
  const std::size_t start = scripted::CallLog().size();
  glEnable(GL_LIGHTING);
  EXPECT_EQ(glIsEnabled(GL_LIGHTING), GL_TRUE);
  glEnable(GL_DEPTH_TEST);
  EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST), GL_TRUE);
  glDisable(GL_DEPTH_TEST);
  EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST), GL_FALSE);
  glDisable(GL_LIGHTING);
  EXPECT_EQ(glIsEnabled(GL_LIGHTING), GL_FALSE);
  const std::vector<std::string>& log = scripted::CallLog();
  EXPECT_EQ(std::vector<std::string>(log.begin() + static_cast<std::ptrdiff_t>(start), log.end()),
            (std::vector<std::string>{"glEnable(GL_LIGHTING)", "glDisable(GL_LIGHTING)"}));
}

// ---- Misuse ----

TEST_F(ScriptedPlatform, ReleasingNullOrReleasedHandlesFailsCleanly) {
  Opened opened = OpenWindowWithContext(16, 16);
  ASSERT_NE(opened.renderContext, nullptr);
  EXPECT_TRUE(wglMakeCurrent(nullptr, nullptr));
  EXPECT_TRUE(wglDeleteContext(opened.renderContext));
  EXPECT_EQ(ReleaseDC(opened.window, opened.deviceContext), 1);
  EXPECT_TRUE(DestroyWindow(opened.window));
  ASSERT_TRUE(scripted::NothingAcquired()) << scripted::LeakReport();

  struct Case {
    const char* what;
    BOOL result;
  };
  const Case cases[] = {
      {"wglDeleteContext(NULL)", wglDeleteContext(nullptr)},
      {"wglDeleteContext(deleted)", wglDeleteContext(opened.renderContext)},
      {"wglMakeCurrent(deleted)", wglMakeCurrent(opened.deviceContext, opened.renderContext)},
      {"ReleaseDC(NULL, NULL)", ReleaseDC(nullptr, nullptr)},
      {"ReleaseDC(released)", ReleaseDC(opened.window, opened.deviceContext)},
      {"DestroyWindow(NULL)", DestroyWindow(nullptr)},
      {"DestroyWindow(destroyed)", DestroyWindow(opened.window)},
      {"DestroyWindow(a DC)", DestroyWindow(reinterpret_cast<HWND>(opened.deviceContext))},
      {"SwapBuffers(NULL)", SwapBuffers(nullptr)},
      {"SwapBuffers(released)", SwapBuffers(opened.deviceContext)},
      {"SetPixelFormat(NULL)", SetPixelFormat(nullptr, 1, nullptr)},
      {"ShowWindow(destroyed)", ShowWindow(opened.window, SW_SHOW)},
      {"wglCreateContext(released)", wglCreateContext(opened.deviceContext) != nullptr},
      {"GetDC(destroyed)", GetDC(opened.window) != nullptr},
  };
  for (const Case& c : cases) EXPECT_FALSE(c.result) << c.what;
  EXPECT_TRUE(scripted::NothingAcquired()) << scripted::LeakReport();
  EXPECT_EQ(scripted::SwapCount(), 0);
}

TEST_F(ScriptedPlatform, DeviceContextIsReleasedOncePerGet) {
  HWND window = CreateTestWindow(WS_POPUP, 8, 8);
  HDC first = GetDC(window);
  HDC second = GetDC(window);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);  // CS_OWNDC: one DC per window
  EXPECT_EQ(scripted::LiveResources().deviceContexts, 2);
  EXPECT_EQ(ReleaseDC(window, first), 1);
  EXPECT_EQ(ReleaseDC(window, first), 1);
  EXPECT_EQ(ReleaseDC(window, first), 0);
  EXPECT_EQ(scripted::LiveResources().deviceContexts, 0);
}

TEST_F(ScriptedPlatform, ContextNeedsAPixelFormatFirst) {
  HWND window = CreateTestWindow(WS_POPUP, 8, 8);
  HDC deviceContext = GetDC(window);
  EXPECT_EQ(wglCreateContext(deviceContext), nullptr);
  EXPECT_EQ(scripted::LiveResources().renderContexts, 0);
}

TEST_F(ScriptedPlatform, ResetDestroysEverythingAndStaleHandlesStayDead) {
  Opened opened = OpenWindowWithContext(16, 16);
  ASSERT_NE(opened.renderContext, nullptr);
  scripted::SetFullscreenModeAvailable(true);
  DEVMODEA mode{};
  ASSERT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
  scripted::QueueMessageBoxAnswer(IDYES);
  PostQuitMessage(3);
  EXPECT_FALSE(scripted::NothingAcquired());
  EXPECT_NE(scripted::LeakReport(), "");

  scripted::Reset();
  EXPECT_TRUE(scripted::NothingAcquired());
  EXPECT_EQ(scripted::LeakReport(), "");
  EXPECT_TRUE(scripted::CallLog().empty());
  EXPECT_FALSE(wglDeleteContext(opened.renderContext));
  EXPECT_FALSE(DestroyWindow(opened.window));
  MSG message{};
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(MessageBoxA(nullptr, "q", "c", MB_YESNO), IDNO);
  EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_BADMODE);
}

// ---- Faults ----

TEST_F(ScriptedPlatform, InjectedFaultsFailOnceAndAcquireNothing) {
  struct Case {
    const char* name;
    scripted::Live liveAfterFault;  // what the partial open holds when the call fails
  };
  const Case cases[] = {
      {"RegisterClassA", {0, 0, 0, false}},    {"AdjustWindowRectEx", {0, 0, 0, false}},
      {"CreateWindowExA", {0, 0, 0, false}},   {"GetDC", {1, 0, 0, false}},
      {"ChoosePixelFormat", {1, 1, 0, false}}, {"SetPixelFormat", {1, 1, 0, false}},
      {"wglCreateContext", {1, 1, 0, false}},  {"wglMakeCurrent", {1, 1, 1, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    scripted::Reset();
    scripted::FailCall(c.name);
    Opened opened = OpenWindowWithContext(16, 16);
    EXPECT_EQ(opened.renderContext, nullptr);
    scripted::Live live = scripted::LiveResources();
    EXPECT_EQ(live.windows, c.liveAfterFault.windows);
    EXPECT_EQ(live.deviceContexts, c.liveAfterFault.deviceContexts);
    EXPECT_EQ(live.renderContexts, c.liveAfterFault.renderContexts);
    EXPECT_EQ(eglGetCurrentContext(), EGL_NO_CONTEXT);

    // The fault is spent: the same open now succeeds.
    scripted::Reset();
    EXPECT_NE(OpenWindowWithContext(16, 16).renderContext, nullptr);
  }
}

TEST_F(ScriptedPlatform, FaultsOnReleaseKeepTheResource) {
  Opened opened = OpenWindowWithContext(16, 16);
  ASSERT_NE(opened.renderContext, nullptr);
  scripted::FailCall("wglMakeCurrent");
  scripted::FailCall("wglDeleteContext");
  scripted::FailCall("ReleaseDC");
  scripted::FailCall("DestroyWindow");
  EXPECT_FALSE(wglMakeCurrent(nullptr, nullptr));
  EXPECT_FALSE(wglDeleteContext(opened.renderContext));
  EXPECT_EQ(ReleaseDC(opened.window, opened.deviceContext), 0);
  EXPECT_FALSE(DestroyWindow(opened.window));
  scripted::Live live = scripted::LiveResources();
  EXPECT_EQ(live.windows, 1);
  EXPECT_EQ(live.deviceContexts, 1);
  EXPECT_EQ(live.renderContexts, 1);
  EXPECT_TRUE(SameRgb(scripted::ReadPixel(0, 0), scripted::ReadPixel(0, 0)));
  EXPECT_NE(eglGetCurrentContext(), EGL_NO_CONTEXT);  // still bound
}

TEST_F(ScriptedPlatform, FaultSkipsTheGivenNumberOfUses) {
  scripted::FailCall("MessageBoxA", 2);
  EXPECT_EQ(MessageBoxA(nullptr, "1", "c", MB_OK), IDOK);
  EXPECT_EQ(MessageBoxA(nullptr, "2", "c", MB_OK), IDOK);
  EXPECT_EQ(MessageBoxA(nullptr, "3", "c", MB_OK), 0);
  EXPECT_EQ(MessageBoxA(nullptr, "4", "c", MB_OK), IDOK);
  ASSERT_EQ(scripted::MessageBoxes().size(), 3u);  // the failed box was never shown
  EXPECT_EQ(scripted::MessageBoxes()[2].text, "4");
}

TEST_F(ScriptedPlatform, FaultOnTheRestoreNameLeavesTheChangeAlone) {
  scripted::SetFullscreenModeAvailable(true);
  DEVMODEA mode{};
  scripted::FailCall("ChangeDisplaySettingsA(NULL)");
  EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
  EXPECT_EQ(ChangeDisplaySettingsA(nullptr, 0), DISP_CHANGE_FAILED);
  EXPECT_TRUE(scripted::DisplayModeChanged());
  EXPECT_EQ(ChangeDisplaySettingsA(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
  EXPECT_FALSE(scripted::DisplayModeChanged());

  scripted::FailCall("ChangeDisplaySettingsA");
  EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_FAILED);
  EXPECT_FALSE(scripted::DisplayModeChanged());
}

// ---- Display mode and cursor ----

TEST_F(ScriptedPlatform, FullscreenChangeSucceedsOnlyWhenTheModeIsAvailable) {
  DEVMODEA mode{};
  mode.dmSize = 148;
  mode.dmPelsWidth = 640;
  mode.dmPelsHeight = 480;
  mode.dmBitsPerPel = 16;
  mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
  EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_BADMODE);
  EXPECT_TRUE(scripted::NothingAcquired());

  scripted::SetFullscreenModeAvailable(true);
  EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
  EXPECT_TRUE(scripted::DisplayModeChanged());
  EXPECT_TRUE(scripted::LiveResources().displayModeChanged);
  EXPECT_EQ(scripted::LastDisplayModeRequest().dmPelsHeight, 480u);
  EXPECT_EQ(ChangeDisplaySettingsA(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
  EXPECT_TRUE(scripted::NothingAcquired());
  EXPECT_EQ(scripted::CallLog(),
            (std::vector<std::string>{"ChangeDisplaySettingsA", "ChangeDisplaySettingsA",
                                      "ChangeDisplaySettingsA(NULL)"}));
}

TEST_F(ScriptedPlatform, ShowCursorKeepsWin32sCounter) {
  EXPECT_EQ(ShowCursor(FALSE), -1);
  EXPECT_EQ(ShowCursor(FALSE), -2);
  EXPECT_EQ(ShowCursor(TRUE), -1);
  EXPECT_EQ(scripted::CursorDisplayCounter(), -1);
  EXPECT_EQ(scripted::CallLog(), (std::vector<std::string>{"ShowCursor(FALSE)", "ShowCursor(FALSE)",
                                                           "ShowCursor(TRUE)"}));
}

// ---- Windows ----

TEST_F(ScriptedPlatform, ClientAreaIsTheRequestedSizeForBothStyles) {
  for (DWORD style : {static_cast<DWORD>(WS_OVERLAPPEDWINDOW), static_cast<DWORD>(WS_POPUP)}) {
    scripted::Reset();
    HWND window = CreateTestWindow(style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 640, 480);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(scripted::ClientWidth(), 640);
    EXPECT_EQ(scripted::ClientHeight(), 480);
    EXPECT_EQ(scripted::WindowTitle(), "Scripted");
    EXPECT_EQ(scripted::WindowStyle(), style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
  }
  RECT overlapped{0, 0, 640, 480};
  AdjustWindowRectEx(&overlapped, WS_OVERLAPPEDWINDOW, FALSE, 0);
  EXPECT_GT(overlapped.right - overlapped.left, 640);
  RECT popup{0, 0, 640, 480};
  AdjustWindowRectEx(&popup, WS_POPUP, FALSE, 0);
  EXPECT_EQ(popup.right - popup.left, 640);
}

TEST_F(ScriptedPlatform, ClassRegisteredAgainIsAccepted) {
  ASSERT_NE(CreateTestWindow(WS_POPUP, 8, 8), nullptr);
  EXPECT_NE(CreateTestWindow(WS_POPUP, 8, 8), nullptr);
  EXPECT_EQ(scripted::LastRegisteredClass().style, static_cast<UINT>(0x23));
  EXPECT_EQ(CreateWindowExA(0, "NeverRegistered", "x", WS_POPUP, 0, 0, 8, 8, nullptr, nullptr,
                            nullptr, nullptr),
            nullptr);
}

TEST_F(ScriptedPlatform, ShowingSendsActivateThenSizeOnce) {
  HWND window = CreateTestWindow(WS_OVERLAPPEDWINDOW, 640, 480);
  EXPECT_TRUE(gReceived.empty());
  EXPECT_FALSE(ShowWindow(window, SW_SHOW));
  ASSERT_EQ(gReceived.size(), 2u);
  EXPECT_EQ(gReceived[0].message, static_cast<UINT>(WM_ACTIVATE));
  EXPECT_EQ(LOWORD(gReceived[0].wParam), WA_ACTIVE);
  EXPECT_EQ(HIWORD(gReceived[0].wParam), 0);
  EXPECT_EQ(gReceived[1].message, static_cast<UINT>(WM_SIZE));
  EXPECT_EQ(LOWORD(gReceived[1].lParam), 640);
  EXPECT_EQ(HIWORD(gReceived[1].lParam), 480);
  EXPECT_TRUE(ShowWindow(window, SW_SHOW));  // already visible: nothing new
  EXPECT_EQ(gReceived.size(), 2u);
}

LRESULT CALLBACK DestroyingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  RecordingProcedure(window, message, wParam, lParam);
  if (message == WM_ACTIVATE) DestroyWindow(window);
  return 0;
}

TEST_F(ScriptedPlatform, CreatedVisibleIsShownAtOnceAndMayDieWhileShown) {
  HWND window = CreateTestWindow(WS_POPUP | WS_VISIBLE, 20, 10);
  ASSERT_NE(window, nullptr);
  ASSERT_EQ(gReceived.size(), 2u);
  EXPECT_EQ(gReceived[1].lParam, static_cast<LPARAM>((10 << 16) | 20));
  EXPECT_EQ(scripted::WindowStyle() & WS_VISIBLE, static_cast<DWORD>(WS_VISIBLE));

  // A procedure that destroys its window while being shown ends the show
  // there: the destruction tells the window it is no longer active, then
  // destroys it, and no WM_SIZE follows.
  gReceived.clear();
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DestroyingProcedure;
  windowClass.lpszClassName = "Doomed";
  ASSERT_NE(RegisterClassA(&windowClass), 0);
  HWND doomed =
      CreateWindowExA(0, "Doomed", "d", WS_POPUP, 0, 0, 8, 8, nullptr, nullptr, nullptr, nullptr);
  EXPECT_FALSE(ShowWindow(doomed, SW_SHOW));
  ASSERT_EQ(gReceived.size(), 3u);
  EXPECT_EQ(gReceived[0].message, static_cast<UINT>(WM_ACTIVATE));
  EXPECT_EQ(LOWORD(gReceived[0].wParam), WA_ACTIVE);
  EXPECT_EQ(gReceived[1].message, static_cast<UINT>(WM_ACTIVATE));
  EXPECT_EQ(LOWORD(gReceived[1].wParam), WA_INACTIVE);
  EXPECT_EQ(gReceived[2].message, static_cast<UINT>(WM_DESTROY));
  EXPECT_EQ(scripted::LiveResources().windows, 1);
}

TEST_F(ScriptedPlatform, FocusFollowsSetFocusAndDiesWithTheWindow) {
  HWND window = CreateTestWindow(WS_POPUP, 8, 8);
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(SetFocus(window), nullptr);
  EXPECT_EQ(GetFocus(), window);
  EXPECT_TRUE(SetForegroundWindow(window));
  EXPECT_TRUE(DestroyWindow(window));
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_FALSE(SetForegroundWindow(window));
  EXPECT_EQ(scripted::WindowTitle(), "");
}

// ---- Messages ----

TEST_F(ScriptedPlatform, PostedMessagesComeOutInOrderThenQuit) {
  HWND window = CreateTestWindow(WS_POPUP, 8, 8);
  scripted::PostKeyDown(VK_UP);
  PostQuitMessage(4);  // posted in between, but WM_QUIT waits for the rest
  scripted::PostKeyUp(VK_UP);
  scripted::PostWindowMessage(WM_CLOSE, 0, 0);

  std::vector<MSG> taken;
  MSG message{};
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    taken.push_back(message);
    if (message.message == WM_QUIT) break;
    TranslateMessage(&message);
    EXPECT_EQ(DispatchMessageA(&message), 0x5a);
  }
  ASSERT_EQ(taken.size(), 4u);
  EXPECT_EQ(taken[0].message, static_cast<UINT>(WM_KEYDOWN));
  EXPECT_EQ(taken[0].wParam, static_cast<WPARAM>(VK_UP));
  EXPECT_EQ(taken[0].hwnd, window);
  EXPECT_EQ(taken[1].message, static_cast<UINT>(WM_KEYUP));
  EXPECT_EQ(taken[2].message, static_cast<UINT>(WM_CLOSE));
  EXPECT_EQ(taken[3].message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(taken[3].wParam, 4u);
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  ASSERT_EQ(gReceived.size(), 3u);
  EXPECT_EQ(gReceived[2].message, static_cast<UINT>(WM_CLOSE));
}

TEST_F(ScriptedPlatform, PeekWithoutRemoveLeavesTheMessage) {
  scripted::PostKeyDown('B');
  MSG message{};
  EXPECT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.wParam, static_cast<WPARAM>('B'));
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(ScriptedPlatform, DefWindowProcAnswersZeroAndIsLogged) {
  EXPECT_EQ(DefWindowProcA(nullptr, WM_SYSCOMMAND, SC_CLOSE, 0), 0);
  EXPECT_EQ(scripted::CallLog(), (std::vector<std::string>{"DefWindowProcA"}));
}

// ---- Message boxes ----

TEST_F(ScriptedPlatform, MessageBoxesAreAnsweredFromTheScriptThenByDefault) {
  scripted::QueueMessageBoxAnswer(IDYES);
  std::vector<bool> modeChangedWhenShown;
  scripted::SetMessageBoxHook([&](const scripted::MessageBoxRecord& shown) {
    EXPECT_EQ(scripted::MessageBoxes().back().text, shown.text);
    modeChangedWhenShown.push_back(scripted::DisplayModeChanged());
  });
  HWND owner = reinterpret_cast<HWND>(0x40);
  EXPECT_EQ(MessageBoxA(nullptr, "Fullscreen?", "Start", MB_YESNO | MB_ICONQUESTION), IDYES);
  EXPECT_EQ(MessageBoxA(nullptr, "Again?", "Start", MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(MessageBoxA(owner, "Done.", "ERROR", MB_OK | MB_ICONEXCLAMATION), IDOK);

  const auto& boxes = scripted::MessageBoxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].owner, nullptr);
  EXPECT_EQ(boxes[0].caption, "Start");
  EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(boxes[2].owner, owner);
  EXPECT_EQ(boxes[2].text, "Done.");
  EXPECT_EQ(boxes[2].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
  EXPECT_EQ(modeChangedWhenShown.size(), 3u);
}

}  // namespace
