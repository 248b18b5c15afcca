// Control surface of the scripted platform layer: the same Win32 subset as
// platform/win32_api.h, on the Win32 model (platform/win32_model.h), for
// tests, benchmarks and tools. Message boxes are answered from a script and
// recorded; any named call can be made to fail; window messages are posted
// by the test; every acquire and release is counted; and
// wglCreateContext/wglMakeCurrent create and bind a real Mesa OpenGL context
// through EGL (surfaceless, a pbuffer of the window's client size), so the
// code under test draws for real and the test reads pixels back.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/win32_api.h"
#include "platform/win32_model.h"  // the constants a test needs beyond the program's

namespace scripted {

// Forgets everything: answers, faults, records, posted messages, counters,
// the swap hook and the display mode. Live windows and contexts are
// destroyed; a test that cares about leaks checks NothingAcquired (and prints
// LeakReport) before it resets.
void Reset();

// ---- Message boxes ----
struct MessageBoxRecord {
  HWND owner;
  std::string text;
  std::string caption;
  UINT type;  // buttons | icon, as passed
};
// Answers are used in order. With none queued, a box answers IDOK for MB_OK
// and IDNO for MB_YESNO.
void QueueMessageBoxAnswer(int answer);
const std::vector<MessageBoxRecord>& MessageBoxes();
// Called inside MessageBoxA, before it returns (for checks made at the moment
// a box is shown, such as "the display mode was already restored").
void SetMessageBoxHook(std::function<void(const MessageBoxRecord&)> hook);

// ---- Faults ----
// Makes the named operation ("CreateWindowExA", "wglMakeCurrent",
// "DestroyWindow", ...) fail at its next use after `skip` successful uses.
// It fails the way Win32 reports failure (null, FALSE, 0 or
// DISP_CHANGE_FAILED) and acquires nothing. A name as the call log writes it
// ("ChangeDisplaySettingsA(NULL)", "ShowCursor(TRUE)") counts only those
// uses; the plain function name counts every use. ShowCursor cannot fail in
// Win32: a fault there leaves the counter as it was.
void FailCall(const std::string& function, int skip = 0);

// ---- Display modes and cursor ----
// Whether a CDS_FULLSCREEN change succeeds (default: it does not, as on a
// desktop without a 640 by 480 mode).
void SetFullscreenModeAvailable(bool available);
bool DisplayModeChanged();   // true between a successful change and the restore
int CursorDisplayCounter();  // Win32's ShowCursor counter, 0 at Reset
// The DEVMODEA of the last CDS_FULLSCREEN request (all zero when none).
DEVMODEA LastDisplayModeRequest();

// ---- Windows and messages ----
// Posts a message to the program's window; PeekMessageA hands it out. The
// window is the newest live one when PeekMessageA next runs (none: a message
// without a window), so what a test posts before the program opens its
// window, or while F1 reopens it, reaches the window that is there. A
// WM_ACTIVATE posted here is taken as the desktop's word: the window is
// minimised or not by its high word, and what the layer reports next (at
// DestroyWindow, say) follows on from it.
void PostWindowMessage(UINT message, WPARAM wParam, LPARAM lParam);
// Convenience: a key press (WM_KEYDOWN), release (WM_KEYUP), or both.
void PostKeyDown(int virtualKey);
void PostKeyUp(int virtualKey);
void PostKeyPress(int virtualKey);
// The live window's title, style and client size (empty/0 when none). The
// style holds WS_VISIBLE once the window is shown, as Win32's does.
std::string WindowTitle();
DWORD WindowStyle();
int ClientWidth();
int ClientHeight();
DWORD WindowExStyle();
// The last class registered (its name points into the layer, valid until the
// class is registered again or Reset; all zero when none) and the last
// descriptor given to SetPixelFormat.
WNDCLASSA LastRegisteredClass();
PIXELFORMATDESCRIPTOR LastPixelFormatRequest();

// ---- Calls and counters ----
// Every Win32/WGL call, in order, by name ("MessageBoxA", "DestroyWindow",
// "ChangeDisplaySettingsA(NULL)" for the restore, "ShowCursor(TRUE)" ...),
// and among them the GL calls that switch lighting, "glEnable(GL_LIGHTING)"
// and "glDisable(GL_LIGHTING)" (other capabilities are not logged).
const std::vector<std::string>& CallLog();
// Counts of what is acquired now.
struct Live {
  int windows;
  int deviceContexts;
  int renderContexts;
  bool displayModeChanged;
};
Live LiveResources();
bool NothingAcquired();  // no window, DC, context, or changed display mode
// What is still acquired, in words, for a failing test's message ("" when
// nothing is).
std::string LeakReport();
int SwapCount();

// ---- Frames ----
// Called by SwapBuffers before it presents, with the 0-based index of the
// swap; the current context is still bound, so glReadPixels reads the frame
// just drawn. The hook may post messages to drive the next frame steps.
void SetSwapHook(std::function<void(int swapIndex)> hook);

// For tests of the renderer alone: registers a class, creates a window of
// the given client size and makes a context current on it, through the same
// calls the program uses (so gWindow/gDeviceContext/gRenderContext are NOT
// touched). CloseTestContext releases all of it.
bool OpenTestContext(int width, int height);
void CloseTestContext();

// Reads the current context's back buffer at (x, y) from the bottom left,
// unaffected by the pixel-transfer and pack state the code under test left
// set; {-1, -1, -1} when no context is current.
struct Rgb {
  int r, g, b;
};
Rgb ReadPixel(int x, int y);

// ---- Extensions ----
// Takes the named extensions out of the list glGetString(GL_EXTENSIONS)
// returns, in every context, until the next call or Reset (an empty list
// gives the driver's list back). glGetStringi is not filtered.
void RemoveExtensions(std::vector<std::string> names);

// Mesa reads MESA_EXTENSION_OVERRIDE once per process: a test that takes an
// extension away with it runs as its own CTest entry with that variable set.
// Mesa 22 cannot take away its always-on extensions that way (among them
// GL_ARB_multitexture and GL_EXT_texture_env_combine): naming one drops every
// always-on extension at once. Use RemoveExtensions for those.

}  // namespace scripted
