// The message queue and the window procedures, on SDL2's event queue.
//
// Implements:
// - PeekMessageA (PM_REMOVE or PM_NOREMOVE, window and message-range
//   filters). Each call first turns every pending SDL event into window
//   messages, queued in SDL's order:
//     key down/up           -> WM_KEYDOWN/WM_KEYUP with the virtual-key code;
//                              SDL's auto-repeat gives further WM_KEYDOWN with
//                              bit 30 of lParam set, as on Windows
//     minimised             -> WM_ACTIVATE (WA_INACTIVE, high word 1), then
//                              WM_SIZE (SIZE_MINIMIZED, 0 by 0)
//     restored, maximised   -> WM_SIZE with the client size, then
//                              WM_ACTIVATE (WA_ACTIVE, high word 0)
//     resized               -> WM_SIZE (drawable pixels: width low, height high)
//     focus gained/lost     -> WM_ACTIVATE (high word: still minimised)
//     close request, SDL_QUIT (a signal) -> WM_CLOSE
//   WM_QUIT comes out once nothing else is waiting after PostQuitMessage.
// - TranslateMessage (reports key messages as translated, posts nothing),
//   DispatchMessageA, PostQuitMessage.
// - DefWindowProcA: WM_CLOSE destroys the window; WM_SYSCOMMAND closes,
//   minimises, maximises or restores; everything else gives 0.
// Leaves out: WM_CHAR, mouse and paint messages, WM_MOVE, WM_SETFOCUS and
// WM_KILLFOCUS, and WM_SYSKEYDOWN/WM_SYSKEYUP (Alt and F10 arrive as
// WM_KEYDOWN/WM_KEYUP); the scan-code bits of a key message's lParam are 0.
#include <SDL.h>

#include <deque>
#include <iterator>

#include "platform/sdl_keys.h"
#include "platform/sdl_state.h"

namespace halden_sdl {
namespace {

std::deque<MSG> gQueue;
bool gQuitPosted = false;
int gQuitCode = 0;

void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG entry{};
  entry.hwnd = window;
  entry.message = message;
  entry.wParam = wParam;
  entry.lParam = lParam;
  entry.time = VideoRunning() ? static_cast<DWORD>(SDL_GetTicks()) : 0;
  gQueue.push_back(entry);
}

void Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam, Delivery delivery) {
  if (delivery == Delivery::kSend) {
    SendToWindow(window, message, wParam, lParam);
  } else {
    Post(window, message, wParam, lParam);
  }
}

WPARAM MakeWParam(unsigned low, unsigned high) {
  return static_cast<WPARAM>((low & 0xFFFFu) | ((high & 0xFFFFu) << 16));
}

void TranslateKey(const SDL_KeyboardEvent& key, bool keyUp) {
  HWND window = HandleOfSdlWindow(key.windowID);
  if (window == nullptr) window = FocusWindow();
  if (window == nullptr) return;
  const VirtualKey code = VirtualKeyFromSdl(key.keysym);
  if (code.code == 0) return;
  Post(window, keyUp ? WM_KEYUP : WM_KEYDOWN, code.code,
       KeyMessageLParam(code, keyUp, !keyUp && key.repeat != 0));
}

void TranslateWindowEvent(const SDL_WindowEvent& event) {
  const HWND window = HandleOfSdlWindow(event.windowID);
  WindowRecord* record = FindWindow(window);
  if (record == nullptr) return;
  switch (event.event) {
    case SDL_WINDOWEVENT_MINIMIZED:
      record->minimised = true;
      ReportActivation(window, false, Delivery::kPost);
      ReportClientSize(window, Delivery::kPost);
      break;
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_RESTORED:
      record->minimised = false;
      record->maximised = event.event == SDL_WINDOWEVENT_MAXIMIZED;
      ReportClientSize(window, Delivery::kPost);
      ReportActivation(window, true, Delivery::kPost);
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      ReportClientSize(window, Delivery::kPost);
      break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      SetFocusWindow(window);
      ReportActivation(window, true, Delivery::kPost);
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      if (FocusWindow() == window) SetFocusWindow(nullptr);
      ReportActivation(window, false, Delivery::kPost);
      break;
    case SDL_WINDOWEVENT_CLOSE:
      Post(window, WM_CLOSE, 0, 0);
      break;
    default:
      break;
  }
}

void Translate(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN:
      TranslateKey(event.key, false);
      break;
    case SDL_KEYUP:
      TranslateKey(event.key, true);
      break;
    case SDL_WINDOWEVENT:
      TranslateWindowEvent(event.window);
      break;
    case SDL_QUIT: {
      // SIGINT or SIGTERM: ask the window to close, so the program ends
      // through its own path and puts the display mode back.
      HWND window = FocusWindow();
      if (window == nullptr) window = AnyWindow();
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
  const WNDPROC procedure = record->procedure;  // the record may go while it runs
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
    SDL_GL_GetDrawableSize(record->window, &width, &height);
    kind = record->maximised ? SIZE_MAXIMIZED : SIZE_RESTORED;
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

}  // namespace halden_sdl

using namespace halden_sdl;

BOOL WINAPI PeekMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax,
                         UINT removeMessage) {
  if (message == nullptr) return FALSE;
  if (VideoRunning()) {
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) Translate(event);
  }
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
  WindowRecord* record = FindWindow(window);
  if (record == nullptr) return 0;
  if (message == WM_CLOSE) {
    DestroyWindow(window);
    return 0;
  }
  if (message == WM_SYSCOMMAND) {
    switch (wParam & 0xFFF0) {
      case SC_CLOSE:
        SendToWindow(window, WM_CLOSE, 0, 0);
        break;
      case SC_MINIMIZE:
        SDL_MinimizeWindow(record->window);
        break;
      case SC_MAXIMIZE:
        SDL_MaximizeWindow(record->window);
        break;
      case SC_RESTORE:
        SDL_RestoreWindow(record->window);
        break;
      default:
        break;
    }
  }
  return 0;
}
