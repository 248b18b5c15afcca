// Opening and closing the render window on the scripted platform with a real
// Mesa context: what is asked of the platform, what every failure tells the
// user and in which state it leaves the display, and what is released.
#include "app/render_window.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "app/window_procedure.h"
#include "tests/app/shell_test_support.h"

namespace {

using shell_test::Box;
using shell_test::CallsSince;
using shell_test::CountCalls;
using shell_test::ShellBoxes;
using shell_test::ShellTest;
using shell_test::Unowned;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

const char kTitle[] = "Halden";
const UINT kErrorBox = MB_OK | MB_ICONEXCLAMATION;
const UINT kShutdownBox = MB_OK | MB_ICONINFORMATION;
const DWORD kWindowedStyle = WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
const DWORD kFullscreenStyle = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
const char kFallbackQuestion[] =
    "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode "
    "Instead?";

bool Open(bool fullscreen, int bits = 16) {
  return OpenRenderWindow(kTitle, 640, 480, bits, fullscreen);
}

// What the platform looked like at the moment the last "ERROR" box appeared.
struct AtErrorBox {
  bool seen = false;
  bool nothingAcquired = false;
  int cursorCounter = 99;
  bool handlesNull = false;
};

const AtErrorBox& WatchErrorBox() {
  static AtErrorBox at;
  at = AtErrorBox{};
  scripted::SetMessageBoxHook([](const scripted::MessageBoxRecord& record) {
    if (record.caption != "ERROR") return;
    at.seen = true;
    at.nothingAcquired = scripted::NothingAcquired();
    at.cursorCounter = scripted::CursorDisplayCounter();
    at.handlesNull = gWindow == nullptr && gDeviceContext == nullptr && gRenderContext == nullptr;
  });
  return at;
}

// Runs a body in an empty scratch folder, where no picture can be found.
class InEmptyFolder {
 public:
  InEmptyFolder() {
    char pattern[] = "/tmp/halden-app-XXXXXX";
    folder_ = mkdtemp(pattern);
    char* previous = getcwd(nullptr, 0);
    previous_ = previous;
    std::free(previous);
    EXPECT_EQ(chdir(folder_.c_str()), 0);
  }
  ~InEmptyFolder() {
    EXPECT_EQ(chdir(previous_.c_str()), 0);
    rmdir(folder_.c_str());
  }

 private:
  std::string folder_;
  std::string previous_;
};

using OpenRenderWindowTest = ShellTest;
using CloseRenderWindowTest = ShellTest;

TEST_F(OpenRenderWindowTest, WindowedOpenAsksForTheClassFormatAndClientSize) {
  ASSERT_TRUE(Open(false));

  EXPECT_EQ(scripted::WindowTitle(), kTitle);
  EXPECT_EQ(scripted::ClientWidth(), 640);
  EXPECT_EQ(scripted::ClientHeight(), 480);
  EXPECT_EQ(scripted::WindowStyle() & ~static_cast<DWORD>(WS_VISIBLE), kWindowedStyle);
  EXPECT_EQ(scripted::WindowExStyle(), static_cast<DWORD>(WS_EX_APPWINDOW | WS_EX_WINDOWEDGE));
  EXPECT_FALSE(scripted::DisplayModeChanged());
  EXPECT_EQ(scripted::CursorDisplayCounter(), 0);
  EXPECT_FALSE(gFullscreen);
  EXPECT_NE(gInstance, nullptr);

  const WNDCLASSA windowClass = scripted::LastRegisteredClass();
  EXPECT_EQ(windowClass.style, 0x23u);
  EXPECT_EQ(windowClass.lpfnWndProc, &HandleWindowMessage);
  EXPECT_EQ(windowClass.cbClsExtra, 0);
  EXPECT_EQ(windowClass.cbWndExtra, 0);
  EXPECT_EQ(windowClass.hInstance, gInstance);
  // The stock logo icon (IDI_WINLOGO) and arrow cursor (IDC_ARROW), by
  // number; the model gives each stock resource a handle of its own.
  EXPECT_EQ(windowClass.hIcon, win32_model::LoadIcon(nullptr, MAKEINTRESOURCEA(32517)));
  EXPECT_EQ(windowClass.hCursor, win32_model::LoadCursor(nullptr, MAKEINTRESOURCEA(32512)));
  EXPECT_EQ(windowClass.hbrBackground, nullptr);
  ASSERT_NE(windowClass.lpszClassName, nullptr);
  EXPECT_STREQ(windowClass.lpszClassName, "OpenGL");

  // The request as the program's table gives it, every other field 0 (the
  // RGBA pixel type and the main plane among them).
  PIXELFORMATDESCRIPTOR expected;
  std::memset(&expected, 0, sizeof expected);
  expected.nSize = 40;
  expected.nVersion = 1;
  expected.dwFlags = 0x25;
  expected.iPixelType = 0;
  expected.cColorBits = 16;
  expected.cDepthBits = 16;
  expected.iLayerType = 0;
  const PIXELFORMATDESCRIPTOR asked = scripted::LastPixelFormatRequest();
  EXPECT_EQ(std::memcmp(&asked, &expected, sizeof expected), 0);
  EXPECT_EQ(std::memcmp(&kPixelFormat, &expected, sizeof expected), 0);

  // The context is current and sized to the client area.
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 640);
  EXPECT_EQ(viewport[3], 480);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));

  // The probe's notice, if this driver earns one, is not the open's own call.
  std::vector<std::string> calls = CallsSince(0);
  calls.erase(std::remove(calls.begin(), calls.end(), "MessageBoxA"), calls.end());
  EXPECT_THAT(calls,
              ElementsAre("GetModuleHandleA", "LoadIconA", "LoadCursorA", "RegisterClassA",
                          "AdjustWindowRectEx", "CreateWindowExA", "GetDC", "ChoosePixelFormat",
                          "SetPixelFormat", "wglCreateContext", "wglMakeCurrent", "ShowWindow",
                          "SetForegroundWindow", "SetFocus"));
  EXPECT_THAT(ShellBoxes(), IsEmpty());
  CloseRenderWindow();
  EXPECT_TRUE(scripted::NothingAcquired()) << scripted::LeakReport();
}

TEST_F(OpenRenderWindowTest, FullscreenOpenChangesTheModeAndHidesTheCursor) {
  scripted::SetFullscreenModeAvailable(true);
  ASSERT_TRUE(Open(true));

  EXPECT_TRUE(gFullscreen);
  EXPECT_TRUE(scripted::DisplayModeChanged());
  EXPECT_EQ(scripted::CursorDisplayCounter(), -1);
  EXPECT_EQ(scripted::WindowStyle() & ~static_cast<DWORD>(WS_VISIBLE), kFullscreenStyle);
  EXPECT_EQ(scripted::WindowExStyle(), static_cast<DWORD>(WS_EX_APPWINDOW));
  EXPECT_EQ(scripted::ClientWidth(), 640);
  EXPECT_EQ(scripted::ClientHeight(), 480);

  // The whole record is zero but for the size, the mode and the field mask.
  DEVMODEA expected;
  std::memset(&expected, 0, sizeof expected);
  expected.dmSize = sizeof(DEVMODEA);
  expected.dmPelsWidth = 640;
  expected.dmPelsHeight = 480;
  expected.dmBitsPerPel = 16;
  expected.dmFields = 0x1C0000;
  const DEVMODEA asked = scripted::LastDisplayModeRequest();
  EXPECT_EQ(std::memcmp(&asked, &expected, sizeof expected), 0);

  // DestroyWindow sends WM_DESTROY, which the window procedure passes on.
  const std::size_t closeStart = scripted::CallLog().size();
  CloseRenderWindow();
  EXPECT_THAT(CallsSince(closeStart),
              ElementsAre("ChangeDisplaySettingsA(NULL)", "ShowCursor(TRUE)", "wglMakeCurrent",
                          "wglDeleteContext", "ReleaseDC", "DestroyWindow", "DefWindowProcA"));
  EXPECT_EQ(scripted::CursorDisplayCounter(), 0);
  EXPECT_TRUE(scripted::NothingAcquired()) << scripted::LeakReport();
  EXPECT_THAT(ShellBoxes(), IsEmpty());
}

TEST_F(OpenRenderWindowTest, YesToTheFallbackGoesOnWindowedAndTheCloseLeavesTheModeAlone) {
  scripted::QueueMessageBoxAnswer(IDYES);
  ASSERT_TRUE(Open(true));

  EXPECT_THAT(ShellBoxes(),
              ElementsAre(Unowned(kFallbackQuestion, "Tarn GL", MB_YESNO | MB_ICONEXCLAMATION)));
  EXPECT_FALSE(gFullscreen);
  EXPECT_EQ(scripted::CursorDisplayCounter(), 0);
  EXPECT_EQ(scripted::WindowStyle() & ~static_cast<DWORD>(WS_VISIBLE), kWindowedStyle);
  EXPECT_EQ(scripted::ClientWidth(), 640);
  EXPECT_EQ(scripted::ClientHeight(), 480);

  const std::size_t closeStart = scripted::CallLog().size();
  CloseRenderWindow();
  EXPECT_EQ(CountCalls("ChangeDisplaySettingsA(NULL)", closeStart), 0);
  EXPECT_EQ(CountCalls("ShowCursor(TRUE)", closeStart), 0);
  EXPECT_EQ(scripted::CursorDisplayCounter(), 0);
  EXPECT_TRUE(scripted::NothingAcquired()) << scripted::LeakReport();
}

TEST_F(OpenRenderWindowTest, NoToTheFallbackEndsTheOpenWithoutClosing) {
  scripted::QueueMessageBoxAnswer(IDNO);
  EXPECT_FALSE(Open(true));

  EXPECT_THAT(ShellBoxes(),
              ElementsAre(Unowned(kFallbackQuestion, "Tarn GL", MB_YESNO | MB_ICONEXCLAMATION),
                          Unowned("Program Will Now Close.", "ERROR", MB_OK | MB_ICONSTOP)));
  EXPECT_EQ(CountCalls("CreateWindowExA"), 0);
  EXPECT_EQ(CountCalls("ChangeDisplaySettingsA(NULL)"), 0);
  EXPECT_EQ(CountCalls("ShowCursor(TRUE)"), 0);
  EXPECT_EQ(scripted::CallLog().back(), "MessageBoxA");
  EXPECT_TRUE(scripted::NothingAcquired()) << scripted::LeakReport();
}

TEST_F(OpenRenderWindowTest, FailedClassRegistrationClosesNothing) {
  scripted::SetFullscreenModeAvailable(true);
  scripted::FailCall("RegisterClassA");
  EXPECT_FALSE(Open(true));

  EXPECT_THAT(ShellBoxes(),
              ElementsAre(Unowned("Failed To Register The Window Class.", "ERROR", kErrorBox)));
  // Not even the fullscreen restore: the mode was never changed.
  EXPECT_THAT(CallsSince(0), ElementsAre("GetModuleHandleA", "LoadIconA", "LoadCursorA",
                                         "RegisterClassA", "MessageBoxA"));
  EXPECT_TRUE(scripted::NothingAcquired());

  // The next open registers the class and succeeds.
  EXPECT_TRUE(Open(false));
  CloseRenderWindow();
}

TEST_F(OpenRenderWindowTest, EveryFailingStepClosesFirstThenTellsTheUser) {
  struct Step {
    const char* failingCall;  // null: the pictures are missing, so the render state fails
    const char* message;
  };
  const Step steps[] = {
      {"CreateWindowExA", "Window Creation Error."},
      {"GetDC", "Can't Create A GL Device Context."},
      {"ChoosePixelFormat", "Can't Find A Suitable PixelFormat."},
      {"SetPixelFormat", "Can't Set The PixelFormat."},
      {"wglCreateContext", "Can't Create A GL Rendering Context."},
      {"wglMakeCurrent", "Can't Activate The GL Rendering Context."},
      {nullptr, "Initialization Failed."},
  };
  for (const Step& step : steps) {
    for (bool fullscreen : {false, true}) {
      SCOPED_TRACE(testing::Message()
                   << step.message << (fullscreen ? " fullscreen" : " windowed"));
      ResetProgram();
      scripted::SetFullscreenModeAvailable(true);
      const AtErrorBox& at = WatchErrorBox();
      bool opened;
      if (step.failingCall != nullptr) {
        scripted::FailCall(step.failingCall);
        opened = Open(fullscreen);
      } else {
        InEmptyFolder noPictures;
        opened = Open(fullscreen);
      }
      EXPECT_FALSE(opened);

      const std::vector<Box> boxes = ShellBoxes();
      ASSERT_FALSE(boxes.empty());
      EXPECT_EQ(boxes.back(), Unowned(step.message, "ERROR", kErrorBox));
      if (step.failingCall != nullptr) {
        EXPECT_EQ(boxes.size(), 1u);
      } else {
        // The loader has told the user which picture failed first.
        EXPECT_GE(boxes.size(), 2u);
        EXPECT_EQ(boxes.front().caption, "Error");
      }
      // By the time the box is up, everything has been given back.
      ASSERT_TRUE(at.seen);
      EXPECT_TRUE(at.nothingAcquired);
      EXPECT_TRUE(at.handlesNull);
      EXPECT_EQ(at.cursorCounter, 0);
      EXPECT_EQ(CountCalls("ChangeDisplaySettingsA(NULL)"), fullscreen ? 1 : 0);
      EXPECT_EQ(scripted::CallLog().back(), "MessageBoxA");
      EXPECT_TRUE(scripted::NothingAcquired()) << scripted::LeakReport();
    }
  }
}

TEST_F(OpenRenderWindowTest, PixelFormatIsFilledInOnceByTheFirstOpenThatHasAWindow) {
  // An open that fails before it has a window leaves the format untouched.
  scripted::FailCall("CreateWindowExA");
  EXPECT_FALSE(Open(false, 24));
  EXPECT_EQ(kPixelFormat.nSize, 0);

  ASSERT_TRUE(Open(false, 32));
  EXPECT_EQ(kPixelFormat.nSize, 40);
  EXPECT_EQ(kPixelFormat.cColorBits, 32);
  CloseRenderWindow();

  // Later opens reuse it, whatever bits they are given.
  ASSERT_TRUE(Open(false, 16));
  EXPECT_EQ(kPixelFormat.cColorBits, 32);
  EXPECT_EQ(scripted::LastPixelFormatRequest().cColorBits, 32);
  CloseRenderWindow();
  EXPECT_TRUE(scripted::NothingAcquired()) << scripted::LeakReport();
}

TEST_F(CloseRenderWindowTest, EachFailedReleaseIsReportedAndTheLaterOnesStillRun) {
  struct Release {
    const char* call;
    const char* message;
  };
  const Release releases[] = {
      {"wglMakeCurrent", "Release Of DC And RC Failed."},
      {"wglDeleteContext", "Release Rendering Context Failed."},
      {"ReleaseDC", "Release Device Context Failed."},
      {"DestroyWindow", "Could Not Release hWnd."},
  };
  for (const Release& release : releases) {
    SCOPED_TRACE(release.call);
    ResetProgram();
    ASSERT_TRUE(Open(false));
    const std::size_t closeStart = scripted::CallLog().size();
    scripted::FailCall(release.call);
    CloseRenderWindow();

    EXPECT_THAT(ShellBoxes(),
                ElementsAre(Unowned(release.message, "SHUTDOWN ERROR", kShutdownBox)));
    // All four releases were attempted, in order, with the box right after the
    // failed one; a window that is destroyed is sent WM_DESTROY, which the
    // window procedure passes on.
    std::vector<std::string> expected = {"wglMakeCurrent", "wglDeleteContext", "ReleaseDC",
                                         "DestroyWindow"};
    if (std::string(release.call) != "DestroyWindow") expected.push_back("DefWindowProcA");
    for (std::size_t i = 0; i < expected.size(); ++i) {
      if (expected[i] == release.call) {
        expected.insert(expected.begin() + static_cast<std::ptrdiff_t>(i) + 1, "MessageBoxA");
        break;
      }
    }
    EXPECT_EQ(CallsSince(closeStart), expected);
    EXPECT_EQ(gRenderContext, nullptr);
    EXPECT_EQ(gDeviceContext, nullptr);
    EXPECT_EQ(gWindow, nullptr);
  }
}

TEST_F(CloseRenderWindowTest, AllReleasesFailingGiveFourMessagesInOrder) {
  ASSERT_TRUE(Open(false));
  for (const char* call : {"wglMakeCurrent", "wglDeleteContext", "ReleaseDC", "DestroyWindow"}) {
    scripted::FailCall(call);
  }
  CloseRenderWindow();
  EXPECT_THAT(
      ShellBoxes(),
      ElementsAre(Unowned("Release Of DC And RC Failed.", "SHUTDOWN ERROR", kShutdownBox),
                  Unowned("Release Rendering Context Failed.", "SHUTDOWN ERROR", kShutdownBox),
                  Unowned("Release Device Context Failed.", "SHUTDOWN ERROR", kShutdownBox),
                  Unowned("Could Not Release hWnd.", "SHUTDOWN ERROR", kShutdownBox)));
  EXPECT_EQ(gRenderContext, nullptr);
  EXPECT_EQ(gDeviceContext, nullptr);
  EXPECT_EQ(gWindow, nullptr);
}

TEST_F(CloseRenderWindowTest, SecondCloseReleasesNothingButRestoresTheModeAgain) {
  for (bool fullscreen : {false, true}) {
    SCOPED_TRACE(fullscreen ? "fullscreen" : "windowed");
    ResetProgram();
    scripted::SetFullscreenModeAvailable(true);
    ASSERT_TRUE(Open(fullscreen));
    CloseRenderWindow();
    EXPECT_TRUE(scripted::NothingAcquired()) << scripted::LeakReport();

    const std::size_t secondStart = scripted::CallLog().size();
    CloseRenderWindow();
    if (fullscreen) {
      EXPECT_THAT(CallsSince(secondStart),
                  ElementsAre("ChangeDisplaySettingsA(NULL)", "ShowCursor(TRUE)"));
      EXPECT_EQ(scripted::CursorDisplayCounter(), 1);
    } else {
      EXPECT_THAT(CallsSince(secondStart), IsEmpty());
    }
    EXPECT_THAT(ShellBoxes(), IsEmpty());
  }
}

}  // namespace
