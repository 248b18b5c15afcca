// The program's entry on systems without Win32: main() hands over to the
// program's WinMain as Windows would. The SDL2 and browser layers share it.
// Implements: the instance handle and the show command of a normal start,
// and WinMain's result as the exit status, given to exit() so that the
// browser's runtime, whose main() has long returned to the page by the time
// WinMain does, learns it too.
// Leaves out: the command line (the program takes none; WinMain gets "").
#include <cstdlib>

#include "platform/win32_api.h"

int main() {
  char commandLine[] = "";
  std::exit(WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOW));
}
