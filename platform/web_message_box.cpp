// Message boxes, as modal dialogs in the page.
//
// Implements: MessageBoxA with MB_OK or MB_YESNO, the caption, the text with
// its line breaks, and the stop (hand), question, exclamation and
// information (asterisk) icons. Return picks the focused button (the first,
// OK or Yes, unless the user moved the focus), Escape picks No, or OK when it
// is the only button. The program waits for the answer while the page goes
// on (Asyncify), and the dialog shows above a fullscreen screen as well.
// Leaves out: the other button sets (they show OK), default-button, help and
// modality flags, and owner windows (every box is modal to the whole page).
#include <emscripten.h>

#include "platform/win32_model.h"  // the button and icon masks beyond the program's own

// clang-format off
EM_ASYNC_JS(int, HaldenAskInPage, (const char* text, const char* caption, unsigned type), {
  return await HaldenPage.messageBox(HaldenPage.ansiString(text), HaldenPage.ansiString(caption),
                                     type);
});
// clang-format on

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  (void)owner;
  if (text == nullptr) text = "";
  if (caption == nullptr) caption = "Error";  // Windows' own default caption
  const bool yesNo = (type & MB_TYPEMASK) == MB_YESNO;
  // Only the two button sets the layer offers; the icon goes through as it is.
  const UINT shown = (yesNo ? MB_YESNO : MB_OK) | (type & MB_ICONMASK);
  const int answer = HaldenAskInPage(text, caption, shown);
  if (yesNo) return answer == IDYES ? IDYES : IDNO;
  return IDOK;
}
