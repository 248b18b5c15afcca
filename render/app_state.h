// The application state shared by the shell and the renderer: the key table,
// the view and light flags the controls change, the window and context
// handles, and the texture sets of the room. Process-wide, one thread.
#pragma once

#include "platform/win32_api.h"

// Three texture names of one picture: nearest (0), linear (1) and
// mipmapped (2). Zero names until a context's sets are built.
struct TextureSet {
  GLuint names[3];
};

extern bool gKeys[256];
extern bool gActive;
extern bool gFullscreen;
extern bool gLightsOn;
extern bool gBumpFloor;
extern float gCameraZ;
extern float gCameraYaw;
extern int gFilterIndex;

extern HWND gWindow;
extern HDC gDeviceContext;
extern HGLRC gRenderContext;
extern HINSTANCE gInstance;

extern TextureSet gFloorSet;
extern TextureSet gBumpSet;
extern TextureSet gInvertedBumpSet;
extern TextureSet gLampDaySet;
extern TextureSet gLampNightSet;
extern TextureSet gWallSet;
extern TextureSet gUpperRightSet;
extern TextureSet gLowerRightSet;

// Puts every variable above back to its starting value (tests run the
// program many times in one process).
void ResetAppState();
