// The message queue and the window procedures, fed by the page's events.
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
//   DispatchMessageA, PostQuitMessage.
// - DefWindowProcA: WM_CLOSE destroys the window; WM_SYSCOMMAND's SC_CLOSE
//   sends WM_CLOSE; everything else gives 0.
// Leaves out: WM_CHAR, mouse and paint messages, WM_MOVE, WM_SETFOCUS and
// WM_KILLFOCUS, WM_SYSKEYDOWN/WM_SYSKEYUP (Alt and F10 arrive as
// WM_KEYDOWN/WM_KEYUP); the scan-code bits of a key message's lParam are 0.
#include <emscripten.h>

#include <deque>
#include <iterator>

#include "platform/web_state.h"

// clang-format off
// Fills event[4] with the next page event; 0 when none is waiting.
EM_JS(int, HaldenTakePageEvent, (int* event), { return HaldenPage.takeEventInto(event); });
EM_JS(int, HaldenCanvasWidth, (unsigned id), { return HaldenPage.clientSize(id)[0]; });
EM_JS(int, HaldenCanvasHeight, (unsigned id), { return HaldenPage.clientSize(id)[1]; });
EM_JS(double, HaldenNow, (), { return performance.now(); });
EM_JS(void, HaldenNoteMessage, (unsigned message, unsigned wParam, int lParam, int sent), {
  HaldenPage.noteMessage(message, wParam, lParam, sent);
});
// clang-format on

namespace halden_web {
namespace {

// The page's event kinds, as web_page.js numbers them.
constexpr int kEventKey = 1;
constexpr int kEventVisibility = 2;
constexpr int kEventResize = 3;
constexpr int kEventClose = 4;

std::deque<MSG> gQueue;
bool gQuitPosted = false;
int gQuitCode = 0;

void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  HaldenNoteMessage(message, static_cast<unsigned>(wParam), static_cast<int>(lParam), 0);
  MSG entry{};
  entry.hwnd = window;
  entry.message = message;
  entry.wParam = wParam;
  entry.lParam = lParam;
  entry.time = static_cast<DWORD>(HaldenNow());
  gQueue.push_back(entry);
}

void Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam, Delivery delivery) {
  if (delivery == Delivery::kSend) {
    HaldenNoteMessage(message, static_cast<unsigned>(wParam), static_cast<int>(lParam), 1);
    SendToWindow(window, message, wParam, lParam);
  } else {
    Post(window, message, wParam, lParam);
  }
}

WPARAM MakeWParam(unsigned low, unsigned high) {
  return static_cast<WPARAM>((low & 0xFFFFu) | ((high & 0xFFFFu) << 16));
}

// The lParam of WM_KEYDOWN/WM_KEYUP: repeat count 1, extended bit, previous
// key state (bit 30: set on auto-repeat and on release), transition (bit 31:
// set on release).
LPARAM KeyMessageLParam(bool extended, bool keyUp, bool repeat) {
  ULONG_PTR bits = 1;
  if (extended) bits |= ULONG_PTR{1} << 24;
  if (keyUp || repeat) bits |= ULONG_PTR{1} << 30;
  if (keyUp) bits |= ULONG_PTR{1} << 31;
  return static_cast<LPARAM>(bits);
}

HWND TargetWindow() {
  const HWND focus = FocusWindow();
  return focus != nullptr ? focus : AnyWindow();
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
      Post(window, keyUp ? WM_KEYUP : WM_KEYDOWN, code,
           KeyMessageLParam(extended, keyUp, !keyUp && repeat));
      break;
    }
    case kEventVisibility: {
      // The page hides and shows the program's one window as a whole.
      const bool hidden = event[1] != 0;
      const HWND window = AnyWindow();
      WindowRecord* record = FindWindow(window);
      if (record == nullptr || !record->visible) break;
      record->minimised = hidden;
      if (hidden) {
        ReportActivation(window, false, Delivery::kPost);
        ReportClientSize(window, Delivery::kPost);
      } else {
        ReportClientSize(window, Delivery::kPost);
        ReportActivation(window, true, Delivery::kPost);
      }
      break;
    }
    case kEventResize: {
      const HWND window = WindowOfId(static_cast<std::uint32_t>(event[1]));
      if (window != nullptr) ReportClientSize(window, Delivery::kPost);
      break;
    }
    case kEventClose: {
      const HWND window = TargetWindow();
      if (window != nullptr) {
        Post(window, WM_CLOSE, 0, 0);
      } else {
        PostQuitMessage(0);
      }
      break;
    }
    default:
      break;
  }
}

bool Matches(const MSG& message, HWND window, UINT filterMin, UINT filterMax) {
  if (window != nullptr && message.hwnd != window) return false;
  if (filterMin == 0 && filterMax == 0) return true;
  return message.message >= filterMin && message.message <= filterMax;
}

}  // namespace

LRESULT SendToWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const WindowRecord* record = FindWindow(window);
  if (record == nullptr || record->procedure == nullptr) return 0;
  const WNDPROC procedure = record->procedure;
  return procedure(window, message, wParam, lParam);
}

void ReportActivation(HWND window, bool active, Delivery delivery) {
  WindowRecord* record = FindWindow(window);
  if (record == nullptr) return;
  if (record->activationSent && record->sentActive == active &&
      record->sentMinimised == record->minimised) {
    return;
  }
  record->activationSent = true;
  record->sentActive = active;
  record->sentMinimised = record->minimised;
  Deliver(window, WM_ACTIVATE, MakeWParam(active ? WA_ACTIVE : WA_INACTIVE, record->minimised), 0,
          delivery);
}

void ReportClientSize(HWND window, Delivery delivery) {
  WindowRecord* record = FindWindow(window);
  if (record == nullptr) return;
  int width = 0;
  int height = 0;
  WPARAM kind = SIZE_MINIMIZED;
  if (!record->minimised) {
    width = HaldenCanvasWidth(WindowId(window));
    height = HaldenCanvasHeight(WindowId(window));
    kind = SIZE_RESTORED;
  }
  if (record->sentWidth == width && record->sentHeight == height && record->sentSizeKind == kind) {
    return;
  }
  record->sentWidth = width;
  record->sentHeight = height;
  record->sentSizeKind = kind;
  Deliver(
      window, WM_SIZE, kind,
      static_cast<LPARAM>(MakeWParam(static_cast<unsigned>(width), static_cast<unsigned>(height))),
      delivery);
}

void DropQueuedMessages(HWND window) {
  for (auto it = gQueue.begin(); it != gQueue.end();) {
    it = it->hwnd == window ? gQueue.erase(it) : std::next(it);
  }
}

}  // namespace halden_web

using namespace halden_web;

BOOL WINAPI PeekMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax,
                         UINT removeMessage) {
  if (message == nullptr) return FALSE;
  int event[4];
  while (HaldenTakePageEvent(event) != 0) TranslatePageEvent(event);
  for (auto it = gQueue.begin(); it != gQueue.end(); ++it) {
    if (!Matches(*it, window, filterMin, filterMax)) continue;
    *message = *it;
    if ((removeMessage & PM_REMOVE) != 0) gQueue.erase(it);
    return TRUE;
  }
  if (gQuitPosted) {
    *message = MSG{};
    message->message = WM_QUIT;
    message->wParam = static_cast<WPARAM>(gQuitCode);
    if ((removeMessage & PM_REMOVE) != 0) gQuitPosted = false;
    return TRUE;
  }
  return FALSE;
}

BOOL WINAPI TranslateMessage(const MSG* message) {
  if (message == nullptr) return FALSE;
  const UINT kind = message->message;
  return kind == WM_KEYDOWN || kind == WM_KEYUP || kind == WM_SYSKEYDOWN || kind == WM_SYSKEYUP;
}

LRESULT WINAPI DispatchMessageA(const MSG* message) {
  if (message == nullptr) return 0;
  return SendToWindow(message->hwnd, message->message, message->wParam, message->lParam);
}

void WINAPI PostQuitMessage(int exitCode) {
  gQuitPosted = true;
  gQuitCode = exitCode;
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  (void)lParam;
  if (FindWindow(window) == nullptr) return 0;
  if (message == WM_CLOSE) {
    DestroyWindow(window);
    return 0;
  }
  if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
    SendToWindow(window, WM_CLOSE, 0, 0);
  }
  return 0;
}
