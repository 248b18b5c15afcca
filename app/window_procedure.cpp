// The window procedure: keys into the key table, minimising into gActive,
// resizes to the viewport, a close request into the quit message.
#include "app/window_procedure.h"

#include "app/shell_state.h"
#include "render/render_state.h"

LRESULT CALLBACK HandleWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATE:
      // The high word is the minimised flag; losing the focus alone keeps
      // the frames coming.
      gActive = HIWORD(wParam) == 0;
      return 0;

    case WM_SYSCOMMAND:
      // Compared whole: the screen saver and monitor power-saving stay off
      // while the program runs.
      if (wParam == SC_SCREENSAVE || wParam == SC_MONITORPOWER) return 0;
      break;

    case WM_CLOSE:
      // The window is destroyed by the close after the loop, not here.
      PostQuitMessage(0);
      return 0;

    case WM_KEYDOWN:
      if (wParam < sizeof gKeys / sizeof gKeys[0]) gKeys[wParam] = true;
      return 0;

    case WM_KEYUP:
      if (wParam < sizeof gKeys / sizeof gKeys[0]) gKeys[wParam] = false;
      return 0;

    case WM_SIZE:
      ResizeViewport(LOWORD(lParam), HIWORD(lParam));
      return 0;

    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
