// SDL keys to Windows virtual-key codes (see sdl_keys.h for what is covered).
#include "platform/sdl_keys.h"

#include "platform/win32_model.h"  // the virtual-key codes beyond the program's own

namespace halden_sdl {
namespace {

// Keys whose meaning does not depend on the layout, by physical position.
struct PhysicalKey {
  SDL_Scancode scancode;
  UINT code;
  bool extended;
};
constexpr PhysicalKey kPhysicalKeys[] = {
    {SDL_SCANCODE_ESCAPE, VK_ESCAPE, false},
    {SDL_SCANCODE_RETURN, VK_RETURN, false},
    {SDL_SCANCODE_RETURN2, VK_RETURN, false},
    {SDL_SCANCODE_SPACE, VK_SPACE, false},
    {SDL_SCANCODE_TAB, VK_TAB, false},
    {SDL_SCANCODE_BACKSPACE, VK_BACK, false},
    {SDL_SCANCODE_LSHIFT, VK_SHIFT, false},
    {SDL_SCANCODE_RSHIFT, VK_SHIFT, false},
    {SDL_SCANCODE_LCTRL, VK_CONTROL, false},
    {SDL_SCANCODE_RCTRL, VK_CONTROL, true},
    {SDL_SCANCODE_LALT, VK_MENU, false},
    {SDL_SCANCODE_RALT, VK_MENU, true},
    {SDL_SCANCODE_LGUI, VK_LWIN, true},
    {SDL_SCANCODE_RGUI, VK_RWIN, true},
    {SDL_SCANCODE_APPLICATION, VK_APPS, true},
    {SDL_SCANCODE_CAPSLOCK, VK_CAPITAL, false},
    {SDL_SCANCODE_NUMLOCKCLEAR, VK_NUMLOCK, true},
    {SDL_SCANCODE_SCROLLLOCK, VK_SCROLL, false},
    {SDL_SCANCODE_PAUSE, VK_PAUSE, false},
    {SDL_SCANCODE_PRINTSCREEN, VK_SNAPSHOT, true},
    {SDL_SCANCODE_LEFT, VK_LEFT, true},
    {SDL_SCANCODE_UP, VK_UP, true},
    {SDL_SCANCODE_RIGHT, VK_RIGHT, true},
    {SDL_SCANCODE_DOWN, VK_DOWN, true},
    {SDL_SCANCODE_INSERT, VK_INSERT, true},
    {SDL_SCANCODE_DELETE, VK_DELETE, true},
    {SDL_SCANCODE_HOME, VK_HOME, true},
    {SDL_SCANCODE_END, VK_END, true},
    {SDL_SCANCODE_PAGEUP, VK_PRIOR, true},
    {SDL_SCANCODE_PAGEDOWN, VK_NEXT, true},
    {SDL_SCANCODE_KP_ENTER, VK_RETURN, true},
    {SDL_SCANCODE_KP_DIVIDE, VK_DIVIDE, true},
    {SDL_SCANCODE_KP_MULTIPLY, VK_MULTIPLY, false},
    {SDL_SCANCODE_KP_MINUS, VK_SUBTRACT, false},
    {SDL_SCANCODE_KP_PLUS, VK_ADD, false},
};

// The keypad's digit block: with NumLock on it types, with it off it is a
// second set of navigation keys (not extended, unlike the dedicated ones).
struct KeypadKey {
  SDL_Scancode scancode;
  UINT withNumLock;
  UINT withoutNumLock;
};
constexpr KeypadKey kKeypadKeys[] = {
    {SDL_SCANCODE_KP_0, VK_NUMPAD0 + 0, VK_INSERT},  {SDL_SCANCODE_KP_1, VK_NUMPAD0 + 1, VK_END},
    {SDL_SCANCODE_KP_2, VK_NUMPAD0 + 2, VK_DOWN},    {SDL_SCANCODE_KP_3, VK_NUMPAD0 + 3, VK_NEXT},
    {SDL_SCANCODE_KP_4, VK_NUMPAD0 + 4, VK_LEFT},    {SDL_SCANCODE_KP_5, VK_NUMPAD0 + 5, VK_CLEAR},
    {SDL_SCANCODE_KP_6, VK_NUMPAD0 + 6, VK_RIGHT},   {SDL_SCANCODE_KP_7, VK_NUMPAD0 + 7, VK_HOME},
    {SDL_SCANCODE_KP_8, VK_NUMPAD0 + 8, VK_UP},      {SDL_SCANCODE_KP_9, VK_NUMPAD0 + 9, VK_PRIOR},
    {SDL_SCANCODE_KP_PERIOD, VK_DECIMAL, VK_DELETE},
};

// Punctuation, by the character the layout gives (US meanings).
struct CharacterKey {
  SDL_Keycode key;
  UINT code;
};
constexpr CharacterKey kCharacterKeys[] = {
    {SDLK_SEMICOLON, VK_OEM_1},    {SDLK_EQUALS, VK_OEM_PLUS},   {SDLK_COMMA, VK_OEM_COMMA},
    {SDLK_MINUS, VK_OEM_MINUS},    {SDLK_PERIOD, VK_OEM_PERIOD}, {SDLK_SLASH, VK_OEM_2},
    {SDLK_BACKQUOTE, VK_OEM_3},    {SDLK_LEFTBRACKET, VK_OEM_4}, {SDLK_BACKSLASH, VK_OEM_5},
    {SDLK_RIGHTBRACKET, VK_OEM_6}, {SDLK_QUOTE, VK_OEM_7},
};

// The same punctuation by position on a US keyboard, for layouts whose
// characters there have no Windows code of their own.
constexpr PhysicalKey kPunctuationPositions[] = {
    {SDL_SCANCODE_SEMICOLON, VK_OEM_1, false},   {SDL_SCANCODE_EQUALS, VK_OEM_PLUS, false},
    {SDL_SCANCODE_COMMA, VK_OEM_COMMA, false},   {SDL_SCANCODE_MINUS, VK_OEM_MINUS, false},
    {SDL_SCANCODE_PERIOD, VK_OEM_PERIOD, false}, {SDL_SCANCODE_SLASH, VK_OEM_2, false},
    {SDL_SCANCODE_GRAVE, VK_OEM_3, false},       {SDL_SCANCODE_LEFTBRACKET, VK_OEM_4, false},
    {SDL_SCANCODE_BACKSLASH, VK_OEM_5, false},   {SDL_SCANCODE_RIGHTBRACKET, VK_OEM_6, false},
    {SDL_SCANCODE_APOSTROPHE, VK_OEM_7, false},  {SDL_SCANCODE_NONUSBACKSLASH, VK_OEM_102, false},
};

}  // namespace

VirtualKey VirtualKeyFromSdl(const SDL_Keysym& key) {
  const SDL_Scancode scancode = key.scancode;
  for (const PhysicalKey& entry : kPhysicalKeys) {
    if (entry.scancode == scancode) return {entry.code, entry.extended};
  }
  for (const KeypadKey& entry : kKeypadKeys) {
    if (entry.scancode == scancode) {
      return {(key.mod & KMOD_NUM) != 0 ? entry.withNumLock : entry.withoutNumLock, false};
    }
  }
  if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12) {
    return {VK_F1 + static_cast<UINT>(scancode - SDL_SCANCODE_F1), false};
  }
  if (scancode >= SDL_SCANCODE_F13 && scancode <= SDL_SCANCODE_F24) {
    return {VK_F13 + static_cast<UINT>(scancode - SDL_SCANCODE_F13), false};
  }

  // The typing block: the layout's meaning first.
  const SDL_Keycode sym = key.sym;
  if (sym >= SDLK_a && sym <= SDLK_z) return {'A' + static_cast<UINT>(sym - SDLK_a), false};
  if (sym >= SDLK_0 && sym <= SDLK_9) return {'0' + static_cast<UINT>(sym - SDLK_0), false};
  for (const CharacterKey& entry : kCharacterKeys) {
    if (entry.key == sym) return {entry.code, false};
  }

  // Then the position, for characters that have no Windows code.
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) {
    return {'A' + static_cast<UINT>(scancode - SDL_SCANCODE_A), false};
  }
  if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) {
    return {'1' + static_cast<UINT>(scancode - SDL_SCANCODE_1), false};
  }
  if (scancode == SDL_SCANCODE_0) return {'0', false};
  for (const PhysicalKey& entry : kPunctuationPositions) {
    if (entry.scancode == scancode) return {entry.code, entry.extended};
  }
  return {0, false};
}

LPARAM KeyMessageLParam(const VirtualKey& key, bool keyUp, bool repeat) {
  return win32_model::KeyMessageLParam(key.extended, keyUp, repeat);
}

}  // namespace halden_sdl
