// The window procedure of the program's window. WinMain, the frame loop that
// drives it, is declared by the platform (windows.h, or platform/win32_api.h).
#pragma once

#include "platform/win32_api.h"

// Records key-down and key-up in gKeys, tracks minimising in gActive,
// forwards resizes to ResizeViewport, turns a close request into a quit
// message and keeps the screen saver and monitor power-saving off.
LRESULT CALLBACK HandleWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
