// The fuzzer's stand-in for the two Win32 calls the loader makes: message
// boxes are counted and answered at once, and nothing has the focus.
#include "tests/fuzz/message_box_stub.h"

#include "platform/win32_api.h"
#include "platform/win32_model.h"  // IDOK

namespace {
int gStubMessageBoxes = 0;
}  // namespace

int StubMessageBoxCount() {
  return gStubMessageBoxes;
}

void ResetStubMessageBoxes() {
  gStubMessageBoxes = 0;
}

HWND WINAPI GetFocus(void) {
  return nullptr;
}

int WINAPI MessageBoxA(HWND, LPCSTR, LPCSTR, UINT) {
  ++gStubMessageBoxes;
  return IDOK;
}
