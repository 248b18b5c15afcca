// The whole program on the scripted platform with real Mesa rendering:
// WinMain's start-up question, the frame loop, the controls, F1's reopen and
// the ways the program ends, driven by keys posted from the swap hook.
#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "tests/app/shell_test_support.h"

namespace {

using shell_test::Box;
using shell_test::CallsSince;
using shell_test::CountBoxes;
using shell_test::CountCalls;
using shell_test::kProbeCaption;
using shell_test::RunProgram;
using shell_test::ShellBoxes;
using shell_test::ShellTest;
using shell_test::Unowned;
using ::testing::ElementsAre;

const char kReopenedTitle[] = "Tarn's Textures, Lighting & Keyboard Tutorial";
const Box kStartQuestion = Unowned("Would You Like To Run In Fullscreen Mode?", "Start FullScreen?",
                                   MB_YESNO | MB_ICONQUESTION);
const Box kFallbackQuestion = Unowned(
    "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode "
    "Instead?",
    "Tarn GL", MB_YESNO | MB_ICONEXCLAMATION);

WPARAM MakeWParam(int low, int high) {
  return static_cast<WPARAM>((static_cast<unsigned>(high) << 16) | static_cast<unsigned>(low));
}

// `steps` additions of `step`, each rounded to single precision as the
// program stores it.
float Accumulate(float step, int steps) {
  float sum = 0.0f;
  for (int i = 0; i < steps; ++i) sum += step;
  return sum;
}

// The calls a frame step's controls made, from the log: what it holds from
// `from`, just after that step's SwapBuffers, up to the loop's next look at
// the queue. The controls' Win32 calls and their lighting switches show here.
std::vector<std::string> ControlsCalls(std::size_t from) {
  const std::vector<std::string>& log = scripted::CallLog();
  const auto begin = log.begin() + static_cast<std::ptrdiff_t>(from);
  return std::vector<std::string>(begin, std::find(begin, log.end(), "PeekMessageA"));
}

using StartUpTest = ShellTest;
using ControlsTest = ShellTest;
using ProgramEndTest = ShellTest;

struct Snapshot {
  std::string title;
  int clientWidth = 0;
  int clientHeight = 0;
  DWORD style = 0;
  bool fullscreen = false;
  bool modeChanged = false;
  int cursorCounter = 0;
};

Snapshot Take() {
  return Snapshot{scripted::WindowTitle(),
                  scripted::ClientWidth(),
                  scripted::ClientHeight(),
                  scripted::WindowStyle() & ~static_cast<DWORD>(WS_VISIBLE),
                  gFullscreen,
                  scripted::DisplayModeChanged(),
                  scripted::CursorDisplayCounter()};
}

TEST_F(StartUpTest, NoOpensAWindowedClientAreaAndLeavesTheDisplayModeAlone) {
  scripted::SetFullscreenModeAvailable(true);
  scripted::QueueMessageBoxAnswer(IDNO);
  Snapshot first;
  const int status = RunProgram([&](int step) {
    first = Take();
    if (step == 0) scripted::PostKeyDown(VK_ESCAPE);
  });

  EXPECT_EQ(status, 0);
  EXPECT_THAT(ShellBoxes(), ElementsAre(kStartQuestion));
  EXPECT_EQ(first.title, "Halden");
  EXPECT_EQ(first.clientWidth, 640);
  EXPECT_EQ(first.clientHeight, 480);
  EXPECT_EQ(first.style,
            static_cast<DWORD>(WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN));
  EXPECT_FALSE(first.fullscreen);
  EXPECT_EQ(CountCalls("ChangeDisplaySettingsA"), 0);
  EXPECT_EQ(CountCalls("ChangeDisplaySettingsA(NULL)"), 0);
  EXPECT_EQ(CountCalls("ShowCursor(FALSE)") + CountCalls("ShowCursor(TRUE)"), 0);
  EXPECT_TRUE(scripted::NothingAcquired()) << scripted::LeakReport();
}

TEST_F(StartUpTest, YesRunsFullscreenAndTheEndRestoresTheDesktop) {
  scripted::SetFullscreenModeAvailable(true);
  scripted::QueueMessageBoxAnswer(IDYES);
  Snapshot first;
  const int status = RunProgram([&](int step) {
    first = Take();
    if (step == 0) scripted::PostKeyDown(VK_ESCAPE);
  });

  EXPECT_EQ(status, 0);
  EXPECT_THAT(ShellBoxes(), ElementsAre(kStartQuestion));
  EXPECT_TRUE(first.fullscreen);
  EXPECT_TRUE(first.modeChanged);
  EXPECT_EQ(first.cursorCounter, -1);
  EXPECT_EQ(first.style, static_cast<DWORD>(WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN));
  EXPECT_EQ(first.clientWidth, 640);
  EXPECT_EQ(first.clientHeight, 480);
  EXPECT_FALSE(scripted::DisplayModeChanged());
  EXPECT_EQ(scripted::CursorDisplayCounter(), 0);
  EXPECT_TRUE(scripted::NothingAcquired()) << scripted::LeakReport();
}

TEST_F(StartUpTest, YesWithoutTheModeAndYesToTheFallbackRunsWindowed) {
  scripted::QueueMessageBoxAnswer(IDYES);  // fullscreen?
  scripted::QueueMessageBoxAnswer(IDYES);  // windowed instead?
  Snapshot first;
  const int status = RunProgram([&](int step) {
    first = Take();
    if (step == 0) scripted::PostKeyDown(VK_ESCAPE);
  });

  EXPECT_EQ(status, 0);
  EXPECT_THAT(ShellBoxes(), ElementsAre(kStartQuestion, kFallbackQuestion));
  EXPECT_FALSE(first.fullscreen);
  EXPECT_EQ(first.cursorCounter, 0);
  EXPECT_EQ(first.style,
            static_cast<DWORD>(WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN));
  EXPECT_EQ(first.clientWidth, 640);
  EXPECT_EQ(first.clientHeight, 480);
  // The close touches neither the display mode nor the cursor.
  EXPECT_EQ(CountCalls("ChangeDisplaySettingsA(NULL)"), 0);
  EXPECT_EQ(CountCalls("ShowCursor(FALSE)") + CountCalls("ShowCursor(TRUE)"), 0);
  EXPECT_TRUE(scripted::NothingAcquired()) << scripted::LeakReport();
}

TEST_F(StartUpTest, AFailedOpenEndsWithStatusOneAndNoLoop) {
  struct Case {
    const char* what;
    int answer;
    const char* failingCall;
    std::vector<Box> boxes;
  };
  const std::vector<Case> cases = {
      {"No to the fallback",
       IDYES,
       nullptr,
       {kStartQuestion, kFallbackQuestion,
        Unowned("Program Will Now Close.", "ERROR", MB_OK | MB_ICONSTOP)}},
      {"window creation fails",
       IDNO,
       "CreateWindowExA",
       {kStartQuestion, Unowned("Window Creation Error.", "ERROR", MB_OK | MB_ICONEXCLAMATION)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetProgram();
    scripted::QueueMessageBoxAnswer(c.answer);
    scripted::QueueMessageBoxAnswer(IDNO);
    if (c.failingCall != nullptr) scripted::FailCall(c.failingCall);
    EXPECT_EQ(RunProgram([](int) { ADD_FAILURE() << "a frame was presented"; }), 1);
    EXPECT_EQ(ShellBoxes(), c.boxes);
    EXPECT_EQ(CountCalls("PeekMessageA"), 0);
    EXPECT_EQ(CountCalls("DestroyWindow"), 0);
    EXPECT_TRUE(scripted::NothingAcquired()) << scripted::LeakReport();
  }
}

TEST_F(ControlsTest, ArrowKeysMoveAndTurnOneStepPerFrame) {
  struct Case {
    const char* what;
    int key;
    int steps;
    const float* variable;
    float step;
    float expected;
  };
  const Case cases[] = {
      {"Up", VK_UP, 10, &gCameraZ, 0.2f, 2.0f},
      {"Down", VK_DOWN, 10, &gCameraZ, -0.2f, -2.0f},
      {"Right", VK_RIGHT, 45, &gCameraYaw, 2.0f, 90.0f},
      {"Left", VK_LEFT, 45, &gCameraYaw, -2.0f, -90.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetProgram();
    EXPECT_EQ(RunProgram([&](int step) {
                if (step == 0) scripted::PostKeyDown(c.key);
                if (step == c.steps) {
                  scripted::PostKeyUp(c.key);
                  scripted::PostKeyDown(VK_ESCAPE);
                }
              }),
              0);
    EXPECT_EQ(*c.variable, Accumulate(c.step, c.steps));
    EXPECT_FLOAT_EQ(*c.variable, c.expected);
  }
}

TEST_F(ControlsTest, BTogglesOncePerKeyDownMessage) {
  std::vector<bool> bump;
  RunProgram([&](int step) {
    bump.push_back(gBumpFloor);
    if (step == 0) scripted::PostKeyDown('B');  // held from here on, never released
    if (step == 5) scripted::PostKeyDown('B');  // the keyboard's auto-repeat
    if (step == 8) scripted::PostKeyDown(VK_ESCAPE);
  });
  EXPECT_EQ(bump, (std::vector<bool>{false, false, true, true, true, true, true, false, false}));
}

TEST_F(ControlsTest, DAndNHeldTogetherEndEveryStepWithTheLightsOn) {
  std::vector<bool> lights;
  std::vector<std::vector<std::string>> switches;  // by each step's controls
  std::size_t controlsStart = 0;
  RunProgram([&](int step) {
    if (step > 0) switches.push_back(ControlsCalls(controlsStart));
    controlsStart = scripted::CallLog().size();
    lights.push_back(gLightsOn);
    if (step == 0) scripted::PostKeyDown('N');
    if (step == 3) scripted::PostKeyDown('D');
    if (step == 6) scripted::PostKeyUp('N');
    if (step == 8) scripted::PostKeyDown(VK_ESCAPE);
  });
  EXPECT_EQ(lights, (std::vector<bool>{false, false, true, true, true, true, true, true, false}));
  // With both held (steps 4 to 6) D switches lighting off and N on again
  // within the step; N alone switches it on once, D alone off once.
  const std::vector<std::string> none;
  const std::vector<std::string> on = {"glEnable(GL_LIGHTING)"};
  const std::vector<std::string> off = {"glDisable(GL_LIGHTING)"};
  const std::vector<std::string> offThenOn = {"glDisable(GL_LIGHTING)", "glEnable(GL_LIGHTING)"};
  EXPECT_EQ(switches, (std::vector<std::vector<std::string>>{none, on, none, none, offThenOn,
                                                             offThenOn, offThenOn, off}));
}

TEST_F(ControlsTest, F1ReopensTenTimesInARowKeepingTheApplicationState) {
  scripted::SetFullscreenModeAvailable(true);
  std::vector<Snapshot> afterReopen;
  int firstStepNotices = -1;
  const int status = RunProgram([&](int step) {
    if (step == 0) {
      firstStepNotices = CountBoxes(kProbeCaption);
      scripted::PostKeyDown(VK_UP);
      scripted::PostKeyDown('N');
      scripted::PostKeyDown('B');
    }
    if (step == 1) scripted::PostKeyUp(VK_UP);
    // A press at step k reopens in step k + 1; step k + 2 draws in the new window.
    if (step >= 3 && step <= 21 && step % 2 == 1) scripted::PostKeyDown(VK_F1);
    if (step >= 5 && step <= 23 && step % 2 == 1) {
      afterReopen.push_back(Take());
      GLint viewport[4] = {};
      glGetIntegerv(GL_VIEWPORT, viewport);
      EXPECT_EQ(viewport[2], 640);
      EXPECT_EQ(viewport[3], 480);
      EXPECT_EQ(gCameraZ, 0.2f);
      EXPECT_TRUE(gLightsOn);
      EXPECT_TRUE(gBumpFloor);
    }
    if (step == 23) scripted::PostKeyDown(VK_ESCAPE);
  });

  EXPECT_EQ(status, 0);
  ASSERT_EQ(afterReopen.size(), 10u);
  for (std::size_t i = 0; i < afterReopen.size(); ++i) {
    SCOPED_TRACE(testing::Message() << "after F1 number " << i + 1);
    const bool fullscreen = i % 2 == 0;  // started windowed
    EXPECT_EQ(afterReopen[i].title, kReopenedTitle);
    EXPECT_EQ(afterReopen[i].fullscreen, fullscreen);
    EXPECT_EQ(afterReopen[i].modeChanged, fullscreen);
    EXPECT_EQ(afterReopen[i].cursorCounter, fullscreen ? -1 : 0);
    EXPECT_EQ(afterReopen[i].clientWidth, 640);
    EXPECT_EQ(afterReopen[i].clientHeight, 480);
  }
  // Each new context is probed again, with its notice when the driver has both extensions.
  EXPECT_EQ(CountBoxes(kProbeCaption), 11 * firstStepNotices);
  EXPECT_THAT(ShellBoxes(), ElementsAre(kStartQuestion));
  EXPECT_EQ(CountCalls("DestroyWindow"), 11);
  EXPECT_EQ(scripted::CursorDisplayCounter(), 0);
  EXPECT_TRUE(scripted::NothingAcquired()) << scripted::LeakReport();
}

TEST_F(ControlsTest, MinimisedWindowPresentsAndTakesKeysWithoutDrawing) {
  const GLfloat kMarker = -1234.0f;
  std::vector<bool> drawn;  // whether the frame of that step was drawn
  RunProgram([&](int step) {
    // A frame loads the camera into the modelview matrix, wiping the marker.
    GLfloat modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    drawn.push_back(modelview[14] != kMarker);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, kMarker);
    if (step == 2) {
      scripted::PostWindowMessage(WM_ACTIVATE, MakeWParam(WA_INACTIVE, 1), 0);
      scripted::PostKeyDown(VK_UP);
    }
    if (step == 5) scripted::PostWindowMessage(WM_ACTIVATE, MakeWParam(WA_ACTIVE, 0), 0);
    if (step == 7) scripted::PostKeyDown(VK_ESCAPE);
  });
  EXPECT_EQ(drawn, (std::vector<bool>{true, true, true, false, false, false, true, true}));
  EXPECT_EQ(gCameraZ, Accumulate(0.2f, 5));  // steps 3 to 7
}

TEST_F(ProgramEndTest, EscWhileMinimisedStillEndsTheProgram) {
  const int status = RunProgram([&](int step) {
    if (step == 1) scripted::PostWindowMessage(WM_ACTIVATE, MakeWParam(WA_INACTIVE, 1), 0);
    if (step == 3) scripted::PostKeyDown(VK_ESCAPE);
  });
  EXPECT_EQ(status, 0);
  EXPECT_FALSE(gActive);
  EXPECT_EQ(scripted::SwapCount(), 4);
  EXPECT_EQ(CountCalls("DestroyWindow"), 1);
  EXPECT_TRUE(scripted::NothingAcquired()) << scripted::LeakReport();
}

TEST_F(ProgramEndTest, EscAndACloseRequestEachEndWithOneCloseAndStatusZero) {
  struct Case {
    const char* what;
    UINT message;
    WPARAM wParam;
  };
  const Case cases[] = {{"Esc", WM_KEYDOWN, VK_ESCAPE}, {"close request", WM_CLOSE, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetProgram();
    const int status = RunProgram([&](int step) {
      if (step == 3) scripted::PostWindowMessage(c.message, c.wParam, 0);
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(scripted::SwapCount(), 4);
    EXPECT_EQ(CountCalls("DestroyWindow"), 1);
    EXPECT_EQ(CountCalls("wglDeleteContext"), 1);
    EXPECT_TRUE(scripted::NothingAcquired()) << scripted::LeakReport();
  }
}

TEST_F(ProgramEndTest, FailedReopenEndsWithStatusOneWithoutASecondClose) {
  scripted::SetFullscreenModeAvailable(true);
  scripted::FailCall("wglCreateContext", 1);  // the start-up open's use succeeds
  const int status = RunProgram([&](int step) {
    if (step == 1) scripted::PostKeyDown(VK_F1);
  });

  EXPECT_EQ(status, 1);
  EXPECT_EQ(scripted::SwapCount(), 3);
  EXPECT_THAT(ShellBoxes(),
              ElementsAre(kStartQuestion, Unowned("Can't Create A GL Rendering Context.", "ERROR",
                                                  MB_OK | MB_ICONEXCLAMATION)));
  // The reopen went fullscreen; its own close restored the desktop, and
  // nothing ran after its message.
  EXPECT_EQ(scripted::CallLog().back(), "MessageBoxA");
  EXPECT_EQ(CountCalls("ChangeDisplaySettingsA(NULL)"), 1);
  EXPECT_EQ(CountCalls("DestroyWindow"), 2);
  EXPECT_EQ(scripted::CursorDisplayCounter(), 0);
  EXPECT_TRUE(scripted::NothingAcquired()) << scripted::LeakReport();
}

}  // namespace
