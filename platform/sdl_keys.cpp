// SDL keys to Windows virtual-key codes (see sdl_keys.h for what is covered).
#include "platform/sdl_keys.h"

namespace halden_sdl {
namespace {

// Codes the shared header does not name; values as Windows defines them.
constexpr UINT kVkClear = 0x0C;
constexpr UINT kVkSnapshot = 0x2C;
constexpr UINT kVkLeftWindows = 0x5B;
constexpr UINT kVkRightWindows = 0x5C;
constexpr UINT kVkApps = 0x5D;
constexpr UINT kVkMultiply = 0x6A;
constexpr UINT kVkAdd = 0x6B;
constexpr UINT kVkSubtract = 0x6D;
constexpr UINT kVkDecimal = 0x6E;
constexpr UINT kVkDivide = 0x6F;
constexpr UINT kVkNumLock = 0x90;
constexpr UINT kVkScroll = 0x91;
constexpr UINT kVkOemSemicolon = 0xBA;  // VK_OEM_1
constexpr UINT kVkOemPlus = 0xBB;
constexpr UINT kVkOemComma = 0xBC;
constexpr UINT kVkOemMinus = 0xBD;
constexpr UINT kVkOemPeriod = 0xBE;
constexpr UINT kVkOemSlash = 0xBF;      // VK_OEM_2
constexpr UINT kVkOemBackquote = 0xC0;  // VK_OEM_3
constexpr UINT kVkOemOpenBracket = 0xDB;
constexpr UINT kVkOemBackslash = 0xDC;
constexpr UINT kVkOemCloseBracket = 0xDD;
constexpr UINT kVkOemQuote = 0xDE;
constexpr UINT kVkOem102 = 0xE2;  // the extra key beside left Shift on ISO keyboards

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
    {SDL_SCANCODE_LGUI, kVkLeftWindows, true},
    {SDL_SCANCODE_RGUI, kVkRightWindows, true},
    {SDL_SCANCODE_APPLICATION, kVkApps, true},
    {SDL_SCANCODE_CAPSLOCK, VK_CAPITAL, false},
    {SDL_SCANCODE_NUMLOCKCLEAR, kVkNumLock, true},
    {SDL_SCANCODE_SCROLLLOCK, kVkScroll, false},
    {SDL_SCANCODE_PAUSE, VK_PAUSE, false},
    {SDL_SCANCODE_PRINTSCREEN, kVkSnapshot, true},
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
    {SDL_SCANCODE_KP_DIVIDE, kVkDivide, true},
    {SDL_SCANCODE_KP_MULTIPLY, kVkMultiply, false},
    {SDL_SCANCODE_KP_MINUS, kVkSubtract, false},
    {SDL_SCANCODE_KP_PLUS, kVkAdd, false},
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
    {SDL_SCANCODE_KP_4, VK_NUMPAD0 + 4, VK_LEFT},    {SDL_SCANCODE_KP_5, VK_NUMPAD0 + 5, kVkClear},
    {SDL_SCANCODE_KP_6, VK_NUMPAD0 + 6, VK_RIGHT},   {SDL_SCANCODE_KP_7, VK_NUMPAD0 + 7, VK_HOME},
    {SDL_SCANCODE_KP_8, VK_NUMPAD0 + 8, VK_UP},      {SDL_SCANCODE_KP_9, VK_NUMPAD0 + 9, VK_PRIOR},
    {SDL_SCANCODE_KP_PERIOD, kVkDecimal, VK_DELETE},
};

// Punctuation, by the character the layout gives (US meanings).
struct CharacterKey {
  SDL_Keycode key;
  UINT code;
};
constexpr CharacterKey kCharacterKeys[] = {
    {SDLK_SEMICOLON, kVkOemSemicolon}, {SDLK_EQUALS, kVkOemPlus},
    {SDLK_COMMA, kVkOemComma},         {SDLK_MINUS, kVkOemMinus},
    {SDLK_PERIOD, kVkOemPeriod},       {SDLK_SLASH, kVkOemSlash},
    {SDLK_BACKQUOTE, kVkOemBackquote}, {SDLK_LEFTBRACKET, kVkOemOpenBracket},
    {SDLK_BACKSLASH, kVkOemBackslash}, {SDLK_RIGHTBRACKET, kVkOemCloseBracket},
    {SDLK_QUOTE, kVkOemQuote},
};

// The same punctuation by position on a US keyboard, for layouts whose
// characters there have no Windows code of their own.
constexpr PhysicalKey kPunctuationPositions[] = {
    {SDL_SCANCODE_SEMICOLON, kVkOemSemicolon, false},
    {SDL_SCANCODE_EQUALS, kVkOemPlus, false},
    {SDL_SCANCODE_COMMA, kVkOemComma, false},
    {SDL_SCANCODE_MINUS, kVkOemMinus, false},
    {SDL_SCANCODE_PERIOD, kVkOemPeriod, false},
    {SDL_SCANCODE_SLASH, kVkOemSlash, false},
    {SDL_SCANCODE_GRAVE, kVkOemBackquote, false},
    {SDL_SCANCODE_LEFTBRACKET, kVkOemOpenBracket, false},
    {SDL_SCANCODE_BACKSLASH, kVkOemBackslash, false},
    {SDL_SCANCODE_RIGHTBRACKET, kVkOemCloseBracket, false},
    {SDL_SCANCODE_APOSTROPHE, kVkOemQuote, false},
    {SDL_SCANCODE_NONUSBACKSLASH, kVkOem102, false},
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
    return {VK_F1 + 12 + static_cast<UINT>(scancode - SDL_SCANCODE_F13), false};
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
  ULONG_PTR bits = 1;  // repeat count
  if (key.extended) bits |= ULONG_PTR{1} << 24;
  if (keyUp || repeat) bits |= ULONG_PTR{1} << 30;
  if (keyUp) bits |= ULONG_PTR{1} << 31;
  return static_cast<LPARAM>(bits);
}

}  // namespace halden_sdl
