// The message queue and the window procedures, fed by the page's events, on
// the Win32 model's queue.
//
// Implements:
// - PeekMessageA (PM_REMOVE or PM_NOREMOVE, window and message-range
//   filters). Each call first turns every pending page event into window
//   messages, queued in the page's order:
//     keydown/keyup     -> WM_KEYDOWN/WM_KEYUP with the virtual-key code to
//                          the window with the focus; the browser's
//                          auto-repeat gives further WM_KEYDOWN with bit 30
//                          of lParam set, as on Windows
//     page hidden       -> WM_ACTIVATE (WA_INACTIVE, high word 1), then
//                          WM_SIZE (SIZE_MINIMIZED, 0 by 0), as minimising
//     page shown again  -> WM_SIZE with the client size, then WM_ACTIVATE
//                          (WA_ACTIVE, high word 0), as restoring
//     canvas resized    -> WM_SIZE (drawing-buffer pixels)
//     page closing      -> WM_CLOSE
//   WM_QUIT comes out once nothing else is waiting after PostQuitMessage.
// - TranslateMessage (reports key messages as translated, posts nothing),
//   DispatchMessageA (the page keeps the last messages dispatched, for the
//   tests), PostQuitMessage.
// - DefWindowProcA: WM_CLOSE destroys the window; WM_SYSCOMMAND's SC_CLOSE
//   sends WM_CLOSE; everything else gives 0.
// Leaves out: WM_CHAR, mouse and paint messages, WM_MOVE, WM_SETFOCUS and
// WM_KILLFOCUS, WM_SYSKEYDOWN/WM_SYSKEYUP (Alt and F10 arrive as
// WM_KEYDOWN/WM_KEYUP); the scan-code bits of a key message's lParam are 0.
#include <emscripten.h>

#include "platform/web_state.h"

// clang-format off
// Fills event[4] with the next page event; 0 when none is waiting.
EM_JS(int, HaldenTakePageEvent, (int* event), { return HaldenPage.takeEventInto(event); });
EM_JS(double, HaldenNow, (), { return performance.now(); });
EM_JS(void, HaldenNoteMessage, (unsigned message, unsigned wParam, int lParam), {
  HaldenPage.noteMessage(message, wParam, lParam);
});
// clang-format on

namespace halden_web {
namespace {

using win32_model::Delivery;

// The page's event kinds, as web_page.js numbers them.
constexpr int kEventKey = 1;
constexpr int kEventVisibility = 2;
constexpr int kEventResize = 3;
constexpr int kEventClose = 4;

DWORD MessageTime() {
  return static_cast<DWORD>(HaldenNow());
}

HWND TargetWindow() {
  const HWND focus = win32_model::GetFocus();
  return focus != nullptr ? focus : win32_model::NewestWindow();
}

void TranslatePageEvent(const int event[4]) {
  switch (event[0]) {
    case kEventKey: {
      const HWND window = TargetWindow();
      const auto code = static_cast<unsigned>(event[2]);
      if (window == nullptr || code == 0 || code > 0xFF) return;
      const bool keyUp = event[1] != 0;
      const bool extended = (event[3] & 1) != 0;
      const bool repeat = (event[3] & 2) != 0;
      win32_model::PostMessage(window, keyUp ? WM_KEYUP : WM_KEYDOWN, code,
                               win32_model::KeyMessageLParam(extended, keyUp, !keyUp && repeat));
      break;
    }
    case kEventVisibility:
      // The page hides and shows every window at once, as minimising would.
      for (HWND window : win32_model::LiveWindows()) {
        const win32_model::Window* record = win32_model::FindWindow(window);
        if (record == nullptr || !record->visible) continue;
        if (event[1] != 0) {
          win32_model::ReportMinimised(window, Delivery::kPost);
        } else {
          UpdateClientSize(window);
          win32_model::ReportRestored(window, false, Delivery::kPost);
        }
      }
      break;
    case kEventResize: {
      const HWND window = WindowOfCanvas(static_cast<unsigned>(event[1]));
      if (window == nullptr) return;
      UpdateClientSize(window);
      win32_model::ReportClientSize(window, Delivery::kPost);
      break;
    }
    case kEventClose:
      win32_model::PostCloseRequest();
      break;
    default:
      break;
  }
}

}  // namespace
}  // namespace halden_web

using namespace halden_web;

BOOL WINAPI PeekMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax,
                         UINT removeMessage) {
  win32_model::SetMessageClock(MessageTime);  // what MSG::time counts: the page's clock
  int event[4];
  while (HaldenTakePageEvent(event) != 0) TranslatePageEvent(event);
  return win32_model::PeekMessage(message, window, filterMin, filterMax, removeMessage) ? TRUE
                                                                                        : FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* message) {
  if (message != nullptr) {
    HaldenNoteMessage(message->message, static_cast<unsigned>(message->wParam),
                      static_cast<int>(message->lParam));
  }
  return win32_model::DispatchMessage(message);
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  (void)lParam;
  if (FindWebWindow(window) == nullptr) return 0;
  if (message == WM_CLOSE) {
    DestroyWindow(window);
    return 0;
  }
  if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
    win32_model::SendMessage(window, WM_CLOSE, 0, 0);
  }
  return 0;
}
