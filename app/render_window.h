// The one window of the program and everything hanging from it: the window
// class, the fullscreen display mode, the device context, the pixel format
// and the OpenGL rendering context. Opened and closed as a whole.
#pragma once

#include "platform/win32_api.h"

// The pixel format every open asks for: double-buffered RGBA with a 16-bit
// depth buffer. Filled in by the first open of the run that gets as far as
// having a window (colour bits from that open), and reused unchanged later.
extern const PIXELFORMATDESCRIPTOR& kPixelFormat;

// Creates the window (fullscreen when asked and possible) with a current
// rendering context, sizes the viewport and sets up the render state. On
// failure the user has been told why, nothing is left acquired, and the
// result is false.
bool OpenRenderWindow(const char* title, int width, int height, int bits, bool fullscreen);

// Restores the desktop display mode when fullscreen, then releases the
// rendering context, the device context and the window. A failed release is
// reported and the later ones still run; every handle ends null.
void CloseRenderWindow();

// Forgets the pixel format and the window class registration, as at process
// start (tests run the program many times in one process).
void ResetRenderWindow();
