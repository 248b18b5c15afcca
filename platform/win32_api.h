// The Win32, WGL and OpenGL interface the program is written against.
//
// On Windows this is <windows.h> with the GL and GLU headers, and the real API
// is called. Elsewhere it declares exactly the subset of Win32 the program
// uses, with Win32's own type sizes, constants and values; platform/ supplies
// it on SDL2 for the program and in a browser page (web_*.cpp, with OpenGL
// 1.1 itself on WebGL 2), and support/ supplies a scripted version for tests,
// benchmarks and tools, all over the Win32 model in platform/win32_model.h.
// Where the SDL2 or the browser layer cannot do what Win32 does, the note
// stands next to the declaration.
#pragma once

#if defined(_WIN32)

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// After windows.h, which defines what they declare with.
#include <GL/gl.h>
#include <GL/glu.h>

#else  // not Windows

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstddef>
#include <cstdint>

#define WINAPI
#define CALLBACK
// gl.h may already have defined it (empty, as here).
#ifndef APIENTRY
#define APIENTRY
#endif

// ---- Types (sizes as on Windows: LONG and DWORD are 32 bits everywhere) ----

typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef std::uint32_t DWORD;
typedef std::int32_t LONG;
typedef unsigned int UINT;
typedef WORD ATOM;
typedef char CHAR;
typedef const char* LPCSTR;
typedef char* LPSTR;
typedef std::uintptr_t UINT_PTR;
typedef std::intptr_t LONG_PTR;
typedef std::uintptr_t ULONG_PTR;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;

typedef struct HWND__* HWND;
typedef struct HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;
typedef struct HICON__* HICON;
typedef HICON HCURSOR;
typedef struct HBRUSH__* HBRUSH;
typedef struct HMENU__* HMENU;
typedef struct HDC__* HDC;
typedef struct HGLRC__* HGLRC;

typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);
typedef LONG_PTR(WINAPI* PROC)();

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define LOWORD(l) ((WORD)(((ULONG_PTR)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((ULONG_PTR)(l)) >> 16) & 0xffff))
#define MAKEINTRESOURCEA(i) ((LPSTR)((ULONG_PTR)((WORD)(i))))

typedef struct tagPOINT {
  LONG x;
  LONG y;
} POINT;

typedef struct tagRECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
} RECT, *LPRECT;

typedef struct tagMSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
} MSG, *LPMSG;

typedef struct tagWNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
} WNDCLASSA;

typedef struct tagPIXELFORMATDESCRIPTOR {
  WORD nSize;
  WORD nVersion;
  DWORD dwFlags;
  BYTE iPixelType;
  BYTE cColorBits;
  BYTE cRedBits;
  BYTE cRedShift;
  BYTE cGreenBits;
  BYTE cGreenShift;
  BYTE cBlueBits;
  BYTE cBlueShift;
  BYTE cAlphaBits;
  BYTE cAlphaShift;
  BYTE cAccumBits;
  BYTE cAccumRedBits;
  BYTE cAccumGreenBits;
  BYTE cAccumBlueBits;
  BYTE cAccumAlphaBits;
  BYTE cDepthBits;
  BYTE cStencilBits;
  BYTE cAuxBuffers;
  BYTE iLayerType;
  BYTE bReserved;
  DWORD dwLayerMask;
  DWORD dwVisibleMask;
  DWORD dwDamageMask;
} PIXELFORMATDESCRIPTOR;
static_assert(sizeof(PIXELFORMATDESCRIPTOR) == 40, "PIXELFORMATDESCRIPTOR is 40 bytes");

typedef struct _POINTL {
  LONG x;
  LONG y;
} POINTL;

// The display-settings record, laid out as Windows lays it out today
// (156 bytes, with the panning fields).
#define CCHDEVICENAME 32
#define CCHFORMNAME 32
typedef struct _devicemodeA {
  BYTE dmDeviceName[CCHDEVICENAME];
  WORD dmSpecVersion;
  WORD dmDriverVersion;
  WORD dmSize;
  WORD dmDriverExtra;
  DWORD dmFields;
  union {
    struct {
      short dmOrientation;
      short dmPaperSize;
      short dmPaperLength;
      short dmPaperWidth;
      short dmScale;
      short dmCopies;
      short dmDefaultSource;
      short dmPrintQuality;
    } printer;
    struct {
      POINTL dmPosition;
      DWORD dmDisplayOrientation;
      DWORD dmDisplayFixedOutput;
    } display;
  } u;
  short dmColor;
  short dmDuplex;
  short dmYResolution;
  short dmTTOption;
  short dmCollate;
  BYTE dmFormName[CCHFORMNAME];
  WORD dmLogPixels;
  DWORD dmBitsPerPel;
  DWORD dmPelsWidth;
  DWORD dmPelsHeight;
  DWORD dmDisplayFlags;
  DWORD dmDisplayFrequency;
  DWORD dmICMMethod;
  DWORD dmICMIntent;
  DWORD dmMediaType;
  DWORD dmDitherType;
  DWORD dmReserved1;
  DWORD dmReserved2;
  DWORD dmPanningWidth;
  DWORD dmPanningHeight;
} DEVMODEA;
static_assert(sizeof(DEVMODEA) == 156, "DEVMODEA is 156 bytes");

// ---- Constants ----
// Only those the program uses; platform/win32_model.h has the rest that the
// layers and tests need.

// Window messages.
#define WM_SIZE 0x0005
#define WM_ACTIVATE 0x0006
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_SYSCOMMAND 0x0112

// WM_SYSCOMMAND's wParam.
#define SC_SCREENSAVE 0xF140
#define SC_MONITORPOWER 0xF170

#define PM_REMOVE 0x0001

// Message boxes.
#define MB_OK 0x00000000L
#define MB_YESNO 0x00000004L
#define MB_ICONHAND 0x00000010L
#define MB_ICONQUESTION 0x00000020L
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONASTERISK 0x00000040L
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONINFORMATION MB_ICONASTERISK
#define IDYES 6
#define IDNO 7

// Window classes and windows.
#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define CS_OWNDC 0x0020
#define WS_OVERLAPPED 0x00000000L
#define WS_POPUP 0x80000000L
#define WS_CLIPSIBLINGS 0x04000000L
#define WS_CLIPCHILDREN 0x02000000L
#define WS_CAPTION 0x00C00000L
#define WS_SYSMENU 0x00080000L
#define WS_THICKFRAME 0x00040000L
#define WS_MINIMIZEBOX 0x00020000L
#define WS_MAXIMIZEBOX 0x00010000L
#define WS_OVERLAPPEDWINDOW \
  (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)
#define WS_EX_WINDOWEDGE 0x00000100L
#define WS_EX_APPWINDOW 0x00040000L
#define SW_SHOW 5

#define IDI_WINLOGO MAKEINTRESOURCEA(32517)
#define IDC_ARROW MAKEINTRESOURCEA(32512)

// Display settings.
#define CDS_FULLSCREEN 0x00000004
#define DISP_CHANGE_SUCCESSFUL 0
#define DM_BITSPERPEL 0x00040000L
#define DM_PELSWIDTH 0x00080000L
#define DM_PELSHEIGHT 0x00100000L

// Pixel formats.
#define PFD_DOUBLEBUFFER 0x00000001
#define PFD_DRAW_TO_WINDOW 0x00000004
#define PFD_SUPPORT_OPENGL 0x00000020
#define PFD_TYPE_RGBA 0
#define PFD_MAIN_PLANE 0

// Virtual-key codes. Letters and digits are their upper-case ASCII codes.
#define VK_ESCAPE 0x1B
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_F1 0x70

// ---- Operations ----

// Module, icons, cursors. The handles returned only need to be non-null.
// Every layer: GetModuleHandleA knows only NULL (the program); the icon and
// cursor are stock ones only. SDL2 layer: SDL's own are what the user sees.
HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName);
HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR iconName);
HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR cursorName);

// Window classes and windows. Only one window exists at a time.
// Every layer (the Win32 model): registering a class name again replaces the
// class (Windows refuses it while the class exists). AdjustWindowRectEx uses
// a fixed frame (Windows 10 at 96 dpi) and CreateWindowExA takes it off
// again, so the client area is what was adjusted from. No WM_CREATE is sent.
// ShowWindow knows SW_HIDE and showing. Every window has its own device
// context, as with CS_OWNDC, and ReleaseDC fails once every GetDC has been
// matched. GetDC(NULL), the screen's DC, is not available.
// SDL2 layer: the desktop's real frame is the window manager's. WS_POPUP is
// fullscreen only after a CDS_FULLSCREEN change (else borderless).
// Browser layer: a window is a canvas of the client size in the page, its
// title the page's; windows are placed by the page, not at (x, y);
// WS_THICKFRAME gives the canvas a sizing grip.
ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass);
BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle);
HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, void* param);
BOOL WINAPI ShowWindow(HWND window, int showCommand);
BOOL WINAPI SetForegroundWindow(HWND window);
HWND WINAPI SetFocus(HWND window);
HWND WINAPI GetFocus(void);
BOOL WINAPI DestroyWindow(HWND window);
HDC WINAPI GetDC(HWND window);
int WINAPI ReleaseDC(HWND window, HDC deviceContext);

// Display mode and cursor. Only CDS_FULLSCREEN changes and the NULL restore
// are supported.
// Browser layer: CDS_FULLSCREEN puts the page's screen element in the
// browser's fullscreen (the window's drawing buffer keeps its size and is
// scaled to the screen), which needs a user activation just before (a key or
// a message-box answer); a refusal is DISP_CHANGE_BADMODE.
// SDL2 layer: the mode is checked at once but takes effect when the WS_POPUP
// window is shown (SDL ties display modes to fullscreen windows).
LONG WINAPI ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags);
int WINAPI ShowCursor(BOOL show);

// Pixel formats, WGL and presenting.
// Browser layer: contexts are WebGL 2 (none without it); SwapBuffers waits
// for the display's next animation frame, yielding to the browser.
// SDL2 layer: the visual is fixed when the window is created (double-buffered
// RGBA with a depth buffer), so there is one format, index 1; SetPixelFormat
// fails when the request asks for more than that visual has. SwapBuffers
// needs the DC's window to have the current context, and paces itself to
// about the display's refresh rate when the swap does not wait for it.
int WINAPI ChoosePixelFormat(HDC deviceContext, const PIXELFORMATDESCRIPTOR* format);
BOOL WINAPI SetPixelFormat(HDC deviceContext, int format, const PIXELFORMATDESCRIPTOR* descriptor);
HGLRC WINAPI wglCreateContext(HDC deviceContext);
BOOL WINAPI wglMakeCurrent(HDC deviceContext, HGLRC renderContext);
BOOL WINAPI wglDeleteContext(HGLRC renderContext);
PROC WINAPI wglGetProcAddress(LPCSTR name);
BOOL WINAPI SwapBuffers(HDC deviceContext);

// Message boxes: MB_OK or MB_YESNO with an optional icon.
// Browser layer: a modal dialog in the page; the program waits for the
// answer while the page goes on.
// SDL2 layer: no question-mark icon (information instead). With no display
// the caption and text go to stderr and the default button's answer
// (IDOK, IDYES) comes back at once.
int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// The message queue and the window procedure.
// Every layer: TranslateMessage makes no WM_CHAR.
// Browser layer: keys as the SDL2 layer's, from the page's key events; the
// page hidden and shown again arrives as a minimise and restore, closing the
// page as WM_CLOSE (handled before the page goes).
// SDL2 layer: Alt and F10 arrive as WM_KEYDOWN/WM_KEYUP (not WM_SYSKEYDOWN);
// a key message's lParam has no scan code.
// WM_SIZE and WM_ACTIVATE from the desktop are queued like posted messages
// (Windows sends them), and SIGINT/SIGTERM arrive as WM_CLOSE.
BOOL WINAPI PeekMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax,
                         UINT removeMessage);
BOOL WINAPI TranslateMessage(const MSG* message);
LRESULT WINAPI DispatchMessageA(const MSG* message);
void WINAPI PostQuitMessage(int exitCode);
LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The program's entry, called by the platform's main().
// SDL2 layer: the command line is always "".
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine,
                   int showCommand);

#endif  // not Windows

#ifndef GL_MAX_TEXTURE_UNITS_ARB
#define GL_MAX_TEXTURE_UNITS_ARB 0x84E2
#endif
