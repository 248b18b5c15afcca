// The message queue and the window procedures, on SDL2's event queue. The
// queue itself, WM_QUIT and what each procedure was told are the Win32
// model's (platform/win32_model.h); this file turns SDL's events into
// messages.
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

#include "platform/sdl_keys.h"
#include "platform/sdl_state.h"

namespace halden_sdl {
namespace {

using win32_model::Delivery;

void TranslateKey(const SDL_KeyboardEvent& key, bool keyUp) {
  HWND window = HandleOfSdlWindow(key.windowID);
  if (window == nullptr) window = win32_model::GetFocus();
  if (window == nullptr) return;
  const VirtualKey code = VirtualKeyFromSdl(key.keysym);
  if (code.code == 0) return;
  win32_model::PostMessage(window, keyUp ? WM_KEYUP : WM_KEYDOWN, code.code,
                           KeyMessageLParam(code, keyUp, !keyUp && key.repeat != 0));
}

void TranslateWindowEvent(const SDL_WindowEvent& event) {
  const HWND window = HandleOfSdlWindow(event.windowID);
  if (window == nullptr) return;
  switch (event.event) {
    case SDL_WINDOWEVENT_MINIMIZED:
      win32_model::ReportMinimised(window, Delivery::kPost);
      break;
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_RESTORED:
      UpdateClientSize(window);
      win32_model::ReportRestored(window, event.event == SDL_WINDOWEVENT_MAXIMIZED,
                                  Delivery::kPost);
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      UpdateClientSize(window);
      win32_model::ReportClientSize(window, Delivery::kPost);
      break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      win32_model::ReportFocus(window, true, Delivery::kPost);
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      win32_model::ReportFocus(window, false, Delivery::kPost);
      break;
    case SDL_WINDOWEVENT_CLOSE:
      win32_model::PostMessage(window, WM_CLOSE, 0, 0);
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
    case SDL_QUIT:
      // SIGINT or SIGTERM: ask the window to close, so the program ends
      // through its own path and puts the display mode back.
      win32_model::PostCloseRequest();
      break;
    default:
      break;
  }
}

}  // namespace
}  // namespace halden_sdl

using namespace halden_sdl;

BOOL WINAPI PeekMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax,
                         UINT removeMessage) {
  if (message == nullptr) return FALSE;
  if (VideoRunning()) {
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) Translate(event);
  }
  return win32_model::PeekMessage(message, window, filterMin, filterMax, removeMessage) ? TRUE
                                                                                        : FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* message) {
  return win32_model::DispatchMessage(message);
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  (void)lParam;
  const SdlWindow* native = FindSdlWindow(window);
  if (native == nullptr) return 0;
  if (message == WM_CLOSE) {
    DestroyWindow(window);
    return 0;
  }
  if (message == WM_SYSCOMMAND) {
    switch (wParam & 0xFFF0) {
      case SC_CLOSE:
        win32_model::SendMessage(window, WM_CLOSE, 0, 0);
        break;
      case SC_MINIMIZE:
        SDL_MinimizeWindow(native->window);
        break;
      case SC_MAXIMIZE:
        SDL_MaximizeWindow(native->window);
        break;
      case SC_RESTORE:
        SDL_RestoreWindow(native->window);
        break;
      default:
        break;
    }
  }
  return 0;
}
