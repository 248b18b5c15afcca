// What the shell's controls set and the frame reads: the camera, the lights
// and the floor choice, the member of each texture set that is drawn, and the
// program's window. Plain variables, no GL calls. Process-wide, one thread.
#pragma once

#include "platform/win32_api.h"

// The four lights are used, and the ceiling shows the night lamp.
extern bool gLightsOn;
// The floor shows the bump picture instead of the floor picture.
extern bool gBumpFloor;
// Translation of the room along its z axis, and rotation of the view about
// the y axis in degrees.
extern float gCameraZ;
extern float gCameraYaw;
// The member of each texture set that the frame binds: 1, the linear
// texture, for the whole run.
extern int gFilterIndex;

// The program's window, owner of the multitexture probe's message box. The
// shell opens and closes it with the other handles (app/shell_state.h, which
// includes this header), but it is declared here with what the renderer
// reads, because the renderer must not include the shell.
extern HWND gWindow;

// Puts every variable above back to its starting value (tests run the
// program many times in one process).
void ResetViewState();
