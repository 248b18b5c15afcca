// The program's entry: the start-up question and the frame loop with its
// keyboard controls. The window procedure that feeds the key table is in
// window_procedure.cpp.
#include "app/render_window.h"
#include "app/shell_state.h"
#include "platform/win32_api.h"
#include "render/frame.h"

namespace {

const char kFirstTitle[] = "Halden";
const char kReopenedTitle[] = "Tarn's Textures, Lighting & Keyboard Tutorial";
const int kWidth = 640;
const int kHeight = 480;
const int kBits = 16;

// Virtual-key codes of letters are their upper-case ASCII codes.
const int kKeyB = 'B';
const int kKeyD = 'D';
const int kKeyN = 'N';

// Movement is per frame step, so its speed follows the frame rate.
const float kMoveStep = 0.2f;
const float kTurnStep = 2.0f;

// The window could not be opened; its message box has been shown.
const int kOpenFailedStatus = 1;

// Applies the held keys to the application state, in a fixed order. B and F1
// clear their own entry so that each key-down message acts once. Returns
// false when F1's reopen failed; everything is released by then.
bool ApplyControls() {
  if (gKeys[kKeyB]) {
    gKeys[kKeyB] = false;
    gBumpFloor = !gBumpFloor;
  }
  // D is tested first: with D and N both held the lights end the step on.
  if (gKeys[kKeyD] && gLightsOn) {
    gLightsOn = false;
    glDisable(GL_LIGHTING);
  }
  if (gKeys[kKeyN] && !gLightsOn) {
    gLightsOn = true;
    glEnable(GL_LIGHTING);
  }
  if (gKeys[VK_UP]) gCameraZ += kMoveStep;
  if (gKeys[VK_DOWN]) gCameraZ -= kMoveStep;
  if (gKeys[VK_RIGHT]) gCameraYaw += kTurnStep;
  if (gKeys[VK_LEFT]) gCameraYaw -= kTurnStep;
  if (gKeys[VK_F1]) {
    gKeys[VK_F1] = false;
    CloseRenderWindow();
    gFullscreen = !gFullscreen;
    if (!OpenRenderWindow(kReopenedTitle, kWidth, kHeight, kBits, gFullscreen)) return false;
  }
  return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (MessageBoxA(nullptr, "Would You Like To Run In Fullscreen Mode?", "Start FullScreen?",
                  MB_YESNO | MB_ICONQUESTION) == IDNO) {
    gFullscreen = false;
  }
  if (!OpenRenderWindow(kFirstTitle, kWidth, kHeight, kBits, gFullscreen)) {
    return kOpenFailedStatus;
  }

  MSG message;
  // A close request ends with the quit message's code (0); Esc ends with 0
  // rather than whatever key message happened to come last.
  int exitStatus = 0;
  bool done = false;
  while (!done) {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        exitStatus = static_cast<int>(message.wParam);
        done = true;
      } else {
        TranslateMessage(&message);
        DispatchMessageA(&message);
      }
      continue;
    }

    // No frame is drawn while minimised, but the loop keeps presenting and
    // reading the keys, so Esc still works.
    if ((gActive && !DrawFrame()) || gKeys[VK_ESCAPE]) {
      done = true;
      continue;
    }
    SwapBuffers(gDeviceContext);
    if (!ApplyControls()) return kOpenFailedStatus;
  }

  CloseRenderWindow();
  return exitStatus;
}
