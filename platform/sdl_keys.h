// Translation of SDL key events into Windows virtual-key codes.
//
// Implements: letters, digits, the numeric keypad, F1 to F24, arrows and the
// editing block, Esc, Return, Space, Tab, Backspace, Shift, Ctrl, Alt, the
// Windows and menu keys, the lock keys and the US punctuation keys.
// Leaves out: the left/right variants (VK_LSHIFT, ...), which Windows only
// reports through GetKeyState, and keys Windows has no code for (media and
// application keys), which give 0.
#pragma once

#include <SDL.h>

#include "platform/win32_api.h"

namespace halden_sdl {

struct VirtualKey {
  UINT code;      // 0 when Windows has no code for the key
  bool extended;  // bit 24 of the key message's lParam
};

// Letters, digits and punctuation follow the key's meaning in the current
// layout (as on Windows, 'A' is wherever the layout puts A); where the layout
// gives something Windows would not code, the physical key decides. Keys
// outside the typing block follow the physical key; the keypad follows
// NumLock, as on Windows (digits with it on, navigation keys with it off).
VirtualKey VirtualKeyFromSdl(const SDL_Keysym& key);

// The lParam of WM_KEYDOWN/WM_KEYUP: repeat count 1, extended bit, previous
// key state (bit 30: set on auto-repeat and on release), transition (bit 31:
// set on release). The scan-code field is left 0.
LPARAM KeyMessageLParam(const VirtualKey& key, bool keyUp, bool repeat);

}  // namespace halden_sdl
