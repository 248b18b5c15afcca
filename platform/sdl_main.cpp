// The program's entry on systems without Win32: main() hands over to the
// program's WinMain as Windows would.
// Implements: the instance handle and the show command of a normal start.
// Leaves out: the command line (the program takes none; WinMain gets "").
#include "platform/win32_api.h"

int main() {
  char commandLine[] = "";
  return WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOW);
}
