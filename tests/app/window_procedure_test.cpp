// The window procedure on its own: what each message does to the
// application state, and which messages reach DefWindowProcA.
#include "app/window_procedure.h"

#include "tests/app/shell_test_support.h"

namespace {

using shell_test::CountCalls;
using shell_test::ShellTest;

const HWND kWindow = nullptr;

WPARAM MakeWParam(int low, int high) {
  return static_cast<WPARAM>((static_cast<unsigned>(high) << 16) | static_cast<unsigned>(low));
}

LPARAM MakeSize(int width, int height) {
  return static_cast<LPARAM>((static_cast<unsigned>(height) << 16) | static_cast<unsigned>(width));
}

using WindowProcedureTest = ShellTest;

TEST_F(WindowProcedureTest, ActivationFollowsOnlyTheMinimisedFlag) {
  struct Case {
    const char* what;
    WPARAM wParam;
    bool startsActive;
    bool active;
  };
  const Case cases[] = {
      {"activated", MakeWParam(WA_ACTIVE, 0), false, true},
      {"clicked active", MakeWParam(WA_CLICKACTIVE, 0), false, true},
      {"deactivated, not minimised", MakeWParam(WA_INACTIVE, 0), true, true},
      {"minimised", MakeWParam(WA_INACTIVE, 1), true, false},
      {"minimised but reported active", MakeWParam(WA_ACTIVE, 1), true, false},
      {"any non-zero high word", MakeWParam(WA_INACTIVE, 0x8000), true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    gActive = c.startsActive;
    EXPECT_EQ(HandleWindowMessage(kWindow, WM_ACTIVATE, c.wParam, 0), 0);
    EXPECT_EQ(gActive, c.active);
  }
  EXPECT_EQ(CountCalls("DefWindowProcA"), 0);
}

TEST_F(WindowProcedureTest, SwallowsScreenSaverAndMonitorPowerOnlyWhenTheCommandMatchesWhole) {
  struct Case {
    WPARAM command;
    bool swallowed;
  };
  const Case cases[] = {
      {SC_SCREENSAVE, true},
      {SC_MONITORPOWER, true},
      {SC_SCREENSAVE | 0x2, false},  // low bits are not masked off
      {SC_MONITORPOWER | 0x1, false},
      {SC_MINIMIZE, false},
      {SC_CLOSE, false},
      {SC_RESTORE, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "command 0x" << std::hex << c.command);
    const int before = CountCalls("DefWindowProcA");
    EXPECT_EQ(HandleWindowMessage(kWindow, WM_SYSCOMMAND, c.command, 0), 0);
    EXPECT_EQ(CountCalls("DefWindowProcA") - before, c.swallowed ? 0 : 1);
  }
}

TEST_F(WindowProcedureTest, CloseRequestPostsQuitWithoutDestroyingTheWindow) {
  EXPECT_EQ(HandleWindowMessage(kWindow, WM_CLOSE, 0, 0), 0);
  MSG message{};
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(message.wParam, 0u);
  EXPECT_EQ(CountCalls("DestroyWindow"), 0);
  EXPECT_EQ(CountCalls("DefWindowProcA"), 0);
}

TEST_F(WindowProcedureTest, KeyMessagesSetAndClearTheirEntryOnly) {
  EXPECT_EQ(HandleWindowMessage(kWindow, WM_KEYDOWN, VK_UP, 1), 0);
  EXPECT_EQ(HandleWindowMessage(kWindow, WM_KEYDOWN, 'B', 1), 0);
  EXPECT_EQ(HandleWindowMessage(kWindow, WM_KEYDOWN, 0xFF, 1), 0);
  for (int key = 0; key < 256; ++key) {
    EXPECT_EQ(gKeys[key], key == VK_UP || key == 'B' || key == 0xFF) << "key " << key;
  }
  EXPECT_EQ(HandleWindowMessage(kWindow, WM_KEYUP, VK_UP, 0), 0);
  EXPECT_FALSE(gKeys[VK_UP]);
  EXPECT_TRUE(gKeys['B']);
  EXPECT_EQ(CountCalls("DefWindowProcA"), 0);
}

TEST_F(WindowProcedureTest, KeyCodesOutsideTheTableAreIgnored) {
  const WPARAM outside[] = {256, 0x1FF, 0x10000, ~static_cast<WPARAM>(0)};
  for (WPARAM code : outside) {
    EXPECT_EQ(HandleWindowMessage(kWindow, WM_KEYDOWN, code, 1), 0);
    EXPECT_EQ(HandleWindowMessage(kWindow, WM_KEYUP, code, 0), 0);
  }
  for (int key = 0; key < 256; ++key) EXPECT_FALSE(gKeys[key]) << "key " << key;
}

TEST_F(WindowProcedureTest, ResizeReachesTheViewport) {
  ASSERT_TRUE(scripted::OpenTestContext(640, 480));
  struct Case {
    int width, height;
    GLint viewportWidth, viewportHeight;
  };
  // Zero sizes are what a minimised window reports.
  const Case cases[] = {{320, 200, 320, 200}, {1024, 768, 1024, 768}, {0, 0, 0, 1}};
  for (const Case& c : cases) {
    EXPECT_EQ(HandleWindowMessage(kWindow, WM_SIZE, SIZE_RESTORED, MakeSize(c.width, c.height)), 0);
    GLint viewport[4] = {-1, -1, -1, -1};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], c.viewportWidth);
    EXPECT_EQ(viewport[3], c.viewportHeight);
  }
  scripted::CloseTestContext();
}

TEST_F(WindowProcedureTest, OtherMessagesGoToDefWindowProc) {
  const UINT others[] = {WM_PAINT, WM_SETFOCUS, WM_KILLFOCUS, WM_CHAR, WM_SYSKEYDOWN, WM_DESTROY};
  for (UINT message : others) HandleWindowMessage(kWindow, message, VK_F1, 0);
  EXPECT_EQ(CountCalls("DefWindowProcA"), static_cast<int>(std::size(others)));
  EXPECT_FALSE(gKeys[VK_F1]);  // a system key is not a key-down
}

}  // namespace
