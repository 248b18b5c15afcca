// One frame of the room: the camera, the clear, the four lights and the
// texture of each surface, drawn through the room's emitters.
#pragma once

#include "platform/win32_api.h"

// The single-precision 0.001 that stands in for zero in the light tables.
extern const GLfloat kNearZero;

// The four lights share their colours and differ only in position; the
// positions are positional (w = 1) and given in room space.
extern const GLfloat kLightAmbient[4];
extern const GLfloat kLightDiffuse[4];
extern const GLfloat kLightSpecular[4];
extern const GLfloat kLightPositions[4][4];

// Sets the camera from gCameraYaw and gCameraZ, clears, sets or switches off
// the lights by gLightsOn, and draws every surface but the floor. Leaves 2D
// texturing enabled (the ceiling is drawn last).
void DrawRoomShell();

// Draws the whole room into the current context's back buffer, the floor
// last with the floor or the bump picture by gBumpFloor. Always true.
bool DrawFrame();
