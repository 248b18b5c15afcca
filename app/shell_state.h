// The shell's own state: the key table, the window's activity, the requested
// display mode, and the handles the render window holds from open to close.
// Process-wide, one thread.
#pragma once

#include "platform/win32_api.h"
// gWindow, the fourth handle, is written here but read by the renderer's
// probe as the owner of its message box; since the renderer does not include
// the shell, it is declared with the renderer's view state and re-exported
// by this include.
#include "render/view_state.h"

// True while the key with that virtual-key code is held.
extern bool gKeys[256];
// The window is not minimised; frames are drawn only while true.
extern bool gActive;
// The requested display mode.
extern bool gFullscreen;

extern HDC gDeviceContext;
extern HGLRC gRenderContext;
extern HINSTANCE gInstance;

// Puts every variable above back to its starting value (gWindow is the view
// state's: ResetViewState). Tests run the program many times in one process.
void ResetShellState();
