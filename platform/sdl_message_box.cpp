// Message boxes, on SDL2's message boxes.
//
// Implements: MessageBoxA with MB_OK or MB_YESNO and the hand (error),
// exclamation (warning), asterisk and question (information) icons. Return
// picks the default button (OK or Yes), Escape picks OK or No; a box closed
// from its frame answers as Escape does. The owner, when it is a live window,
// becomes the box's parent. Where no box can be shown (no display), the
// caption and text go to stderr and the default answer comes back at once.
// Leaves out: the other button sets (they show OK), default-button and
// modality flags, and a question-mark icon (SDL has none; information is
// shown instead).
#include <SDL.h>

#include <cstdio>

#include "platform/sdl_state.h"

using namespace halden_sdl;

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  if (text == nullptr) text = "";
  if (caption == nullptr) caption = "Error";  // Windows' own default caption
  const bool yesNo = (type & MB_TYPEMASK) == MB_YESNO;
  const int defaultAnswer = yesNo ? IDYES : IDOK;
  const int escapeAnswer = yesNo ? IDNO : IDOK;

  const SDL_MessageBoxButtonData yesNoButtons[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "Yes"},
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDNO, "No"},
  };
  const SDL_MessageBoxButtonData okButton[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDOK,
       "OK"},
  };

  Uint32 flags = SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
  switch (type & MB_ICONMASK) {
    case MB_ICONHAND:
      flags |= SDL_MESSAGEBOX_ERROR;
      break;
    case MB_ICONEXCLAMATION:
      flags |= SDL_MESSAGEBOX_WARNING;
      break;
    case MB_ICONASTERISK:
    case MB_ICONQUESTION:
      flags |= SDL_MESSAGEBOX_INFORMATION;
      break;
    default:
      break;
  }

  SDL_MessageBoxData box{};
  box.flags = flags;
  const SdlWindow* parent = FindSdlWindow(owner);
  box.window = parent != nullptr ? parent->window : nullptr;
  box.title = caption;
  box.message = text;
  box.numbuttons = yesNo ? 2 : 1;
  box.buttons = yesNo ? yesNoButtons : okButton;

  // Without a display SDL cannot show anything, and a box nobody can see
  // would hang the program: say it on stderr and answer for the user.
  int pressed = -1;
  if (!EnsureVideo() || SDL_ShowMessageBox(&box, &pressed) != 0) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
    return defaultAnswer;
  }
  return pressed == IDYES || pressed == IDNO || pressed == IDOK ? pressed : escapeAnswer;
}
