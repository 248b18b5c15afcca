// The Win32 model: what Win32 itself defines, written once for every layer
// that supplies platform/win32_api.h where there is no Win32 (the SDL2 layer
// in platform/, the scripted layer in support/, a browser layer).
//
// It holds:
// - the window-class registry (case-insensitive names, atoms);
// - the handle table: windows and their device contexts, and handles for
//   whatever else a layer issues (rendering contexts), all numbers from one
//   counter that never repeats, so a released or never-issued handle finds
//   nothing and the call fails cleanly;
// - the posted-message queue with PostQuitMessage's WM_QUIT, PeekMessage's
//   filters, and sending (the window procedure called at once) against
//   posting;
// - the frame AdjustWindowRectEx adds, and the client size CreateWindowExA
//   takes from an outer size, as a Windows 10 desktop at 96 dpi computes them;
// - keyboard focus, what each window procedure was last told by WM_ACTIVATE
//   and WM_SIZE (so a repeat is not sent), the display-mode-changed flag and
//   ShowCursor's counter;
// - the constants that the layers and tests need beyond the program's own
//   subset, with the values Windows gives them.
//
// It leaves to the layer everything native: creating and showing the real
// window or canvas, GL contexts and presenting, display modes, message boxes,
// turning native input into messages, and the window's real size. A layer
// keeps its own data per window in a map keyed by the HWND this model issued,
// and drops it in the release step it passes to DestroyWindow.
//
// A layer's Win32 function does its native part around the model's function
// of the same name (namespace win32_model, no A suffix). For example, a layer
// with one canvas as its window:
//
//   ATOM WINAPI RegisterClassA(const WNDCLASSA* c) { return win32_model::RegisterClass(c); }
//   HWND WINAPI CreateWindowExA(exStyle, className, title, style, x, y, width, height, ...) {
//     const win32_model::WindowClass* c = win32_model::FindWindowClass(className);
//     if (c == nullptr) return nullptr;
//     const win32_model::Size client =
//         win32_model::ClientSizeOfWindow(width, height, style, exStyle, menu != nullptr);
//     ... size the canvas to `client` ...
//     HWND window = win32_model::AddWindow(*c, title, style, exStyle, client.width, client.height);
//     if (style & WS_VISIBLE) ShowWindow(window, SW_SHOW);
//     return window;
//   }
//   // Page events, as they arrive:
//   win32_model::PostMessage(window, WM_KEYDOWN, virtualKey, lParam);       // a key
//   win32_model::ReportMinimised(window, win32_model::Delivery::kPost);     // page hidden
//   win32_model::ReportRestored(window, false, win32_model::Delivery::kPost);  // shown again
//   win32_model::SetClientSize(window, w, h);                               // canvas resized
//   win32_model::ReportClientSize(window, win32_model::Delivery::kPost);
//   BOOL WINAPI PeekMessageA(LPMSG m, HWND w, UINT lo, UINT hi, UINT remove) {
//     return win32_model::PeekMessage(m, w, lo, hi, remove) ? TRUE : FALSE;
//   }
//
// Single-threaded, like the program: one thread makes every call.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32_api.h"

#if defined(_WIN32)
#error "On Windows the system is Win32 itself; the model is for the layers that stand in for it."
#endif

// ---- Constants the program does not use (values as Windows defines them) ----

// Window messages.
#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_SETFOCUS 0x0007
#define WM_KILLFOCUS 0x0008
#define WM_PAINT 0x000F
#define WM_SHOWWINDOW 0x0018
#define WM_CHAR 0x0102
#define WM_SYSKEYDOWN 0x0104
#define WM_SYSKEYUP 0x0105

// WM_ACTIVATE's low word.
#define WA_INACTIVE 0
#define WA_ACTIVE 1
#define WA_CLICKACTIVE 2

// WM_SIZE's wParam.
#define SIZE_RESTORED 0
#define SIZE_MINIMIZED 1
#define SIZE_MAXIMIZED 2

// WM_SYSCOMMAND's wParam.
#define SC_MINIMIZE 0xF020
#define SC_MAXIMIZE 0xF030
#define SC_CLOSE 0xF060
#define SC_RESTORE 0xF120

#define PM_NOREMOVE 0x0000

// Message boxes.
#define MB_OKCANCEL 0x00000001L
#define MB_TYPEMASK 0x0000000FL
#define MB_ICONMASK 0x000000F0L
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define IDOK 1
#define IDCANCEL 2

// Window styles. WS_CAPTION is WS_BORDER | WS_DLGFRAME.
#define WS_VISIBLE 0x10000000L
#define WS_BORDER 0x00800000L
#define WS_DLGFRAME 0x00400000L
#define WS_EX_DLGMODALFRAME 0x00000001L
#define WS_EX_CLIENTEDGE 0x00000200L
#define WS_EX_STATICEDGE 0x00020000L
#define SW_HIDE 0

#define IDI_APPLICATION MAKEINTRESOURCEA(32512)

// Display settings.
#define DISP_CHANGE_RESTART 1
#define DISP_CHANGE_FAILED (-1)
#define DISP_CHANGE_BADMODE (-2)

// Virtual-key codes. Letters and digits are their upper-case ASCII codes.
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_CLEAR 0x0C
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_PAUSE 0x13
#define VK_CAPITAL 0x14
#define VK_SPACE 0x20
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_SNAPSHOT 0x2C
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define VK_LWIN 0x5B
#define VK_RWIN 0x5C
#define VK_APPS 0x5D
#define VK_NUMPAD0 0x60
#define VK_MULTIPLY 0x6A
#define VK_ADD 0x6B
#define VK_SUBTRACT 0x6D
#define VK_DECIMAL 0x6E
#define VK_DIVIDE 0x6F
#define VK_F2 0x71
#define VK_F3 0x72
#define VK_F4 0x73
#define VK_F5 0x74
#define VK_F6 0x75
#define VK_F7 0x76
#define VK_F8 0x77
#define VK_F9 0x78
#define VK_F10 0x79
#define VK_F11 0x7A
#define VK_F12 0x7B
#define VK_F13 0x7C
#define VK_NUMLOCK 0x90
#define VK_SCROLL 0x91
#define VK_OEM_1 0xBA  // ;: on a US keyboard
#define VK_OEM_PLUS 0xBB
#define VK_OEM_COMMA 0xBC
#define VK_OEM_MINUS 0xBD
#define VK_OEM_PERIOD 0xBE
#define VK_OEM_2 0xBF    // /?
#define VK_OEM_3 0xC0    // `~
#define VK_OEM_4 0xDB    // [{
#define VK_OEM_5 0xDC    // \|
#define VK_OEM_6 0xDD    // ]}
#define VK_OEM_7 0xDE    // '"
#define VK_OEM_102 0xE2  // the extra key beside left Shift on ISO keyboards

namespace win32_model {

// ---- Handles ----

// The next number from the one counter every handle comes from. It starts
// above every atom and MAKEINTRESOURCE value and never goes back, not even at
// Reset, so a stale handle (or one of another kind, an HDC passed as an HWND)
// is never found in a table.
std::uintptr_t NextHandleValue();

template <typename Handle>
Handle NewHandle() {
  return reinterpret_cast<Handle>(NextHandleValue());
}

// GetModuleHandleA: the program's own module for NULL, nothing for any other
// name. LoadIconA/LoadCursorA: a stock handle when the instance is NULL and a
// resource is named (the program has no resources of its own, so a non-NULL
// instance finds nothing): one handle for each icon and for each cursor
// name, made at its first load and never changed, so a handle tells which
// stock resource it is.
HMODULE GetModuleHandle(LPCSTR moduleName);
HICON LoadIcon(HINSTANCE instance, LPCSTR iconName);
HCURSOR LoadCursor(HINSTANCE instance, LPCSTR cursorName);

// Forgets every class, window, device context, message, the focus, the
// display-mode flag and the cursor counter, as a new process would start;
// nothing is sent to any window procedure. The handle counter goes on.
// For the scripted layer between tests; the native resources are the layer's
// to release first.
void Reset();

// ---- Window classes ----

struct WindowClass {
  ATOM atom = 0;
  std::string name;  // as last registered
  // As registered, but lpszClassName points at `name` and lpszMenuName is
  // NULL (menus are not kept).
  WNDCLASSA fields{};
};

// RegisterClassA. Names ignore case, as Win32's do. Needs a window procedure
// and a non-empty name (not an atom); otherwise 0.
// Registering a name that is already registered replaces the class's fields
// and returns the atom it had (Windows refuses it while the class exists):
// the program registers once per run, but test fixtures and tools register
// at every open they make, and a later open must keep working. Windows made
// from the class before keep the procedure they were made with.
ATOM RegisterClass(const WNDCLASSA* windowClass);

// The class named by `nameOrAtom` (a name in any case, or MAKEINTATOM of an
// atom RegisterClass returned); null when there is none. Valid until the
// next RegisterClass or Reset.
const WindowClass* FindWindowClass(LPCSTR nameOrAtom);

// ---- Window frames: a Windows 10 desktop at 96 dpi ----

constexpr LONG kSizingFrame = 8;     // WS_THICKFRAME: the sizing border with its padding
constexpr LONG kDialogFrame = 3;     // WS_DLGFRAME (so WS_CAPTION) or WS_EX_DLGMODALFRAME
constexpr LONG kThinBorder = 1;      // WS_BORDER alone
constexpr LONG kCaptionHeight = 23;  // WS_CAPTION, on top
constexpr LONG kMenuHeight = 20;     // a menu bar, on top
constexpr LONG kClientEdge = 2;      // WS_EX_CLIENTEDGE, inside the frame
constexpr LONG kStaticEdge = 1;      // WS_EX_STATICEDGE, inside the frame

// How far the window reaches beyond its client area on each side (all >= 0).
// The frame is the first of sizing frame, dialog frame or thin border that
// the styles ask for; caption and menu add to the top; the edge styles add
// inside. WS_POPUP and WS_OVERLAPPED with none of these bits have no frame.
// Tool-window captions and child windows are not modelled.
struct Frame {
  LONG left, top, right, bottom;
};
Frame WindowFrame(DWORD style, DWORD exStyle, bool menu);

// AdjustWindowRectEx: grows a client rectangle by the frame. False for NULL.
bool AdjustWindowRectEx(RECT* rect, DWORD style, bool menu, DWORD exStyle);

// The reverse, as CreateWindowExA does it: the client size of a window of
// the given outer size, never below 0 by 0.
struct Size {
  int width, height;
};
Size ClientSizeOfWindow(int width, int height, DWORD style, DWORD exStyle, bool menu);

// ---- Windows ----

// What the window procedure was last told; kept by the model.
struct Told {
  bool activation = false;  // a WM_ACTIVATE was sent or posted at all
  bool active = false;
  bool minimised = false;  // its high word
  int width = -1;          // the last WM_SIZE
  int height = -1;
  WPARAM sizeKind = 0;
};

struct Window {
  ATOM classAtom = 0;
  WNDPROC procedure = nullptr;
  std::string title;
  DWORD style = 0;  // as created; WS_VISIBLE while shown, as Win32 keeps it
  DWORD exStyle = 0;
  int clientWidth = 0;  // what WM_SIZE reports; the layer keeps it current
  int clientHeight = 0;
  bool visible = false;
  bool minimised = false;
  bool maximised = false;
  int pixelFormat = 0;          // 0 until SetPixelFormat succeeds; then it stays
  HDC deviceContext = nullptr;  // its own DC (CS_OWNDC), made at the first GetDC
  int deviceContextUses = 0;    // GetDC calls not yet matched by ReleaseDC
  bool destroying = false;      // inside DestroyWindow, so a second call fails
  Told told;
};

// Enters a new, hidden window of the class with the given client size (the
// style without WS_VISIBLE; ShowWindow adds it). Sends nothing (no WM_CREATE).
// The layer makes its native window first and calls this once that worked.
HWND AddWindow(const WindowClass& windowClass, LPCSTR title, DWORD style, DWORD exStyle,
               int clientWidth, int clientHeight);

// The live window behind a handle; null for NULL, released or foreign handles.
Window* FindWindow(HWND window);
// Every live window, oldest first.
std::vector<HWND> LiveWindows();
// The most recently created live window; null when there is none.
HWND NewestWindow();

// ShowWindow: SW_HIDE hides, every other command shows. A window that
// appears is activated and told its size (WM_ACTIVATE, then WM_SIZE, both
// sent); one that disappears is told it is inactive. Either stops early if
// the procedure destroys the window. Returns whether it was visible before;
// false for an unknown window. The layer shows or hides its native window
// (and updates the client size) before calling this.
bool ShowWindow(HWND window, int showCommand);

// DestroyWindow: tells an active window it is inactive, sends WM_DESTROY,
// calls `releaseNative` (the layer destroys its native window and forgets its
// own data), then forgets the window's device context, focus and queued
// messages, and the handle dies. False for an unknown window or one already
// being destroyed (by its own procedure, say).
bool DestroyWindow(HWND window, void (*releaseNative)(HWND) = nullptr);

// ---- Device contexts ----

// GetDC: the window's own DC, the same handle at every call (as with
// CS_OWNDC), counted; null for an unknown window.
HDC GetDC(HWND window);
// ReleaseDC: true when `deviceContext` is the window's DC and a GetDC is
// outstanding. Unlike Win32 (which lets a private DC be released any number
// of times), a release with none outstanding fails, so an uneven release
// shows.
bool ReleaseDC(HWND window, HDC deviceContext);
// The live window a DC belongs to; null for an unknown or stale DC. A DC
// stays valid after ReleaseDC until its window is destroyed.
HWND WindowOfDeviceContext(HDC deviceContext);

// ---- Messages ----

// How a message reaches the window procedure: called at once (what Win32
// does during window operations) or queued for PeekMessage (input and
// changes from outside, which Win32 posts or has the caller collect).
enum class Delivery { kSend, kPost };

// Calls the window's procedure at once; 0 when the window is gone.
LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Queues a message for PeekMessage. NULL is a message for the thread (no
// window, as PostThreadMessage makes); false, and nothing queued, for a
// window that does not exist.
bool PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam, Delivery delivery);

// The time stamp of each queued message (MSG::time), in milliseconds; 0
// until a layer sets a clock.
void SetMessageClock(DWORD (*clock)());

// PostQuitMessage: PeekMessage hands out WM_QUIT with the code (the latest,
// if called again) once no other message passes its filters.
void PostQuitMessage(int exitCode);

// PeekMessageA over the queue, oldest first: `window` NULL takes any
// message, (HWND)-1 only thread messages, another handle only that window's;
// `filterMin`..`filterMax` is an inclusive range of message numbers, 0..0 for
// all. PM_REMOVE takes the message out. WM_QUIT passes every range but is a
// thread message (no window), so a window filter does not see it. False for
// a NULL `message` or when nothing passes. The layer turns its pending
// native events into messages before calling this.
bool PeekMessage(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeMessage);

// A request from outside the program that it end (a signal, the page being
// closed): WM_CLOSE is posted to the window with the focus, else to the
// newest window, so that the program ends through its own path; with no
// window, WM_QUIT (code 0).
void PostCloseRequest();

// The lParam of WM_KEYDOWN/WM_KEYUP as Win32 lays it out: repeat count 1,
// the extended-key bit (24), the previous key state (bit 30: set on
// auto-repeat and on release) and the transition (bit 31: set on release).
// The scan-code field is left 0.
LPARAM KeyMessageLParam(bool extended, bool keyUp, bool repeat);

// TranslateMessage: no WM_CHAR is made; true for the key messages, as Win32
// answers for them whether or not it made one.
bool TranslateMessage(const MSG* message);
// DispatchMessageA: sends the message to its window's procedure; 0 for a
// thread message, a gone window or NULL.
LRESULT DispatchMessage(const MSG* message);

// ---- Activation, size and focus reports ----
// Each tells the window procedure about a change unless it was told already
// (so a layer may report whatever its native side says, as often as it says
// it), and does nothing for an unknown window.

// WM_ACTIVATE: WA_ACTIVE or WA_INACTIVE, the minimised state in the high word.
void ReportActivation(HWND window, bool active, Delivery delivery);
// WM_SIZE: SIZE_MINIMIZED with 0 by 0 while minimised, else SIZE_MAXIMIZED or
// SIZE_RESTORED with the client size.
void ReportClientSize(HWND window, Delivery delivery);
// The window was minimised: WM_ACTIVATE (inactive, minimised), then WM_SIZE
// (SIZE_MINIMIZED).
void ReportMinimised(HWND window, Delivery delivery);
// The window came back, restored or maximised, at its client size: WM_SIZE,
// then WM_ACTIVATE (active).
void ReportRestored(HWND window, bool maximised, Delivery delivery);
// The window gained or lost the keyboard focus from outside (the user
// clicked elsewhere): the focus follows and WM_ACTIVATE reports it.
void ReportFocus(HWND window, bool gained, Delivery delivery);

// Records the client size the layer's native window has now, for the next
// ReportClientSize.
void SetClientSize(HWND window, int width, int height);
// Records a WM_ACTIVATE the layer posts itself (a test's, say) with
// PostMessage: the window's minimised state follows its high word, and the
// model's later reports carry on from it.
void NoteActivation(HWND window, WPARAM wParam);

// SetFocus: the previous focus (NULL when there was none), or NULL with
// nothing changed when `window` is neither NULL nor a live window. Sends
// nothing (no WM_SETFOCUS/WM_KILLFOCUS).
HWND SetFocus(HWND window);
// GetFocus: the focus window while it lives, else NULL.
HWND GetFocus();

// ---- Display mode and cursor ----

// True between a successful CDS_FULLSCREEN change and the restore; the layer
// decides whether a change succeeds and sets it.
bool DisplayModeChanged();
void SetDisplayModeChanged(bool changed);

// ShowCursor's display counter: the cursor shows while it is >= 0. Returns
// the new count; the layer applies it.
int ShowCursor(bool show);
int CursorCounter();

// ---- Entry points ----

// wglGetProcAddress's answer for an entry point the layer found as a data
// address (SDL_GL_GetProcAddress, a table of its own): the same address as a
// PROC; null stays null.
PROC ProcFromAddress(void* address);

}  // namespace win32_model
