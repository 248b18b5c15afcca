// Checks of the SDL2 layer that need no display: the virtual-key table, the
// display-mode rule against SDL's dummy video driver (one 1024x768 mode in
// 32-bit pixels), the cursor counter, the quit message, message boxes with
// nowhere to show them, and calls with null, stale or made-up handles.
#include <SDL.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/sdl_keys.h"
#include "platform/win32_api.h"
#include "platform/win32_model.h"  // the constants beyond the program's own

using halden_sdl::VirtualKey;
using halden_sdl::VirtualKeyFromSdl;

namespace {

SDL_Keysym Key(SDL_Scancode scancode, SDL_Keycode sym, Uint16 mod = KMOD_NONE) {
  SDL_Keysym key{};
  key.scancode = scancode;
  key.sym = sym;
  key.mod = mod;
  return key;
}

struct KeyCase {
  const char* name;
  SDL_Keysym key;
  UINT code;
  bool extended;
};

TEST(VirtualKeyTable, GivesWindowsCodes) {
  const KeyCase cases[] = {
      {"letter", Key(SDL_SCANCODE_A, SDLK_a), 'A', false},
      {"letter z", Key(SDL_SCANCODE_Z, SDLK_z), 'Z', false},
      {"letter with Shift held", Key(SDL_SCANCODE_B, SDLK_b, KMOD_LSHIFT), 'B', false},
      {"layout moves letters (AZERTY A on the Q key)", Key(SDL_SCANCODE_Q, SDLK_a), 'A', false},
      {"non-Latin layout falls back to the position", Key(SDL_SCANCODE_D, 0x0432), 'D', false},
      {"digit", Key(SDL_SCANCODE_5, SDLK_5), '5', false},
      {"digit zero", Key(SDL_SCANCODE_0, SDLK_0), '0', false},
      {"AZERTY digit row types symbols", Key(SDL_SCANCODE_2, 0x00E9), '2', false},
      {"Escape", Key(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE), VK_ESCAPE, false},
      {"Return", Key(SDL_SCANCODE_RETURN, SDLK_RETURN), VK_RETURN, false},
      {"keypad Enter", Key(SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER), VK_RETURN, true},
      {"Space", Key(SDL_SCANCODE_SPACE, SDLK_SPACE), VK_SPACE, false},
      {"Tab", Key(SDL_SCANCODE_TAB, SDLK_TAB), VK_TAB, false},
      {"Backspace", Key(SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE), VK_BACK, false},
      {"Up", Key(SDL_SCANCODE_UP, SDLK_UP), VK_UP, true},
      {"Down", Key(SDL_SCANCODE_DOWN, SDLK_DOWN), VK_DOWN, true},
      {"Left", Key(SDL_SCANCODE_LEFT, SDLK_LEFT), VK_LEFT, true},
      {"Right", Key(SDL_SCANCODE_RIGHT, SDLK_RIGHT), VK_RIGHT, true},
      {"F1", Key(SDL_SCANCODE_F1, SDLK_F1), VK_F1, false},
      {"F10", Key(SDL_SCANCODE_F10, SDLK_F10), VK_F10, false},
      {"F12", Key(SDL_SCANCODE_F12, SDLK_F12), VK_F12, false},
      {"F13 follows F12", Key(SDL_SCANCODE_F13, SDLK_F13), 0x7C, false},
      {"left Shift", Key(SDL_SCANCODE_LSHIFT, SDLK_LSHIFT), VK_SHIFT, false},
      {"right Shift", Key(SDL_SCANCODE_RSHIFT, SDLK_RSHIFT), VK_SHIFT, false},
      {"left Ctrl", Key(SDL_SCANCODE_LCTRL, SDLK_LCTRL), VK_CONTROL, false},
      {"right Ctrl", Key(SDL_SCANCODE_RCTRL, SDLK_RCTRL), VK_CONTROL, true},
      {"left Alt", Key(SDL_SCANCODE_LALT, SDLK_LALT), VK_MENU, false},
      {"right Alt", Key(SDL_SCANCODE_RALT, SDLK_RALT), VK_MENU, true},
      {"Page Up", Key(SDL_SCANCODE_PAGEUP, SDLK_PAGEUP), VK_PRIOR, true},
      {"Delete", Key(SDL_SCANCODE_DELETE, SDLK_DELETE), VK_DELETE, true},
      {"Pause", Key(SDL_SCANCODE_PAUSE, SDLK_PAUSE), VK_PAUSE, false},
      {"Caps Lock", Key(SDL_SCANCODE_CAPSLOCK, SDLK_CAPSLOCK), VK_CAPITAL, false},
      {"keypad 7 with NumLock", Key(SDL_SCANCODE_KP_7, SDLK_KP_7, KMOD_NUM), VK_NUMPAD0 + 7, false},
      {"keypad 7 without NumLock is Home", Key(SDL_SCANCODE_KP_7, SDLK_KP_7), VK_HOME, false},
      {"keypad 8 without NumLock is Up, not extended", Key(SDL_SCANCODE_KP_8, SDLK_KP_8), VK_UP,
       false},
      {"keypad point without NumLock is Delete", Key(SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD),
       VK_DELETE, false},
      {"keypad divide", Key(SDL_SCANCODE_KP_DIVIDE, SDLK_KP_DIVIDE), 0x6F, true},
      {"semicolon", Key(SDL_SCANCODE_SEMICOLON, SDLK_SEMICOLON), 0xBA, false},
      {"minus", Key(SDL_SCANCODE_MINUS, SDLK_MINUS), 0xBD, false},
      {"left Windows key", Key(SDL_SCANCODE_LGUI, SDLK_LGUI), 0x5B, true},
      {"media key has no code", Key(SDL_SCANCODE_AUDIOPLAY, SDLK_AUDIOPLAY), 0, false},
  };
  for (const KeyCase& c : cases) {
    const VirtualKey key = VirtualKeyFromSdl(c.key);
    EXPECT_EQ(key.code, c.code) << c.name;
    EXPECT_EQ(key.extended, c.extended) << c.name;
  }
}

TEST(VirtualKeyTable, KeyMessageLParamBits) {
  const VirtualKey up{VK_UP, true};
  const auto bits = [](LPARAM lParam) { return static_cast<ULONG_PTR>(lParam); };
  EXPECT_EQ(bits(halden_sdl::KeyMessageLParam(up, false, false)), 0x01000001u);
  EXPECT_EQ(bits(halden_sdl::KeyMessageLParam(up, false, true)), 0x41000001u);  // auto-repeat
  EXPECT_EQ(bits(halden_sdl::KeyMessageLParam(up, true, false)), 0xC1000001u);  // release
}

// ---- Display modes, on the dummy driver ----

DEVMODEA Mode(DWORD width, DWORD height, DWORD bits) {
  DEVMODEA mode{};
  mode.dmSize = 148;  // the size the program passes (the record before the panning fields)
  mode.dmPelsWidth = width;
  mode.dmPelsHeight = height;
  mode.dmBitsPerPel = bits;
  mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
  return mode;
}

TEST(DisplayMode, FullscreenNeedsExactSizeAndEnoughBits) {
  struct Case {
    const char* name;
    DEVMODEA mode;
    LONG result;
  } cases[] = {
      {"the offered size at 16 bits", Mode(1024, 768, 16), DISP_CHANGE_SUCCESSFUL},
      {"the offered size at 32 bits (32-bit pixels)", Mode(1024, 768, 32), DISP_CHANGE_SUCCESSFUL},
      {"more bits than offered", Mode(1024, 768, 48), DISP_CHANGE_BADMODE},
      {"640x480 is not offered", Mode(640, 480, 16), DISP_CHANGE_BADMODE},
      {"one pixel narrower", Mode(1023, 768, 16), DISP_CHANGE_BADMODE},
      {"one pixel taller", Mode(1024, 769, 16), DISP_CHANGE_BADMODE},
  };
  for (Case& c : cases) {
    EXPECT_EQ(ChangeDisplaySettingsA(&c.mode, CDS_FULLSCREEN), c.result) << c.name;
  }
  EXPECT_EQ(ChangeDisplaySettingsA(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
  EXPECT_EQ(ChangeDisplaySettingsA(nullptr, 0), DISP_CHANGE_SUCCESSFUL) << "restoring twice";
}

TEST(DisplayMode, OnlyFullscreenChangesAreMade) {
  DEVMODEA mode = Mode(1024, 768, 16);
  EXPECT_EQ(ChangeDisplaySettingsA(&mode, 0), DISP_CHANGE_FAILED);
}

// ---- Cursor and queue ----

TEST(Cursor, KeepsWin32DisplayCounter) {
  EXPECT_EQ(ShowCursor(FALSE), -1);
  EXPECT_EQ(ShowCursor(FALSE), -2);
  EXPECT_EQ(ShowCursor(TRUE), -1);
  EXPECT_EQ(ShowCursor(TRUE), 0);
  EXPECT_EQ(ShowCursor(TRUE), 1);
  EXPECT_EQ(ShowCursor(FALSE), 0);
}

TEST(MessageQueue, QuitComesOutOnceWithItsCode) {
  MSG message{};
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  PostQuitMessage(3);
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(message.wParam, 3u);
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
}

// ---- Message boxes with no display ----

// Runs MessageBoxA with stderr sent to a file, and returns what it wrote.
std::string MessageBoxOutput(UINT type, int* answer) {
  const std::string path = testing::TempDir() + "message_box_stderr.txt";
  std::fflush(stderr);
  const int saved = dup(STDERR_FILENO);
  const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (saved < 0 || file < 0) return "";
  dup2(file, STDERR_FILENO);
  close(file);
  *answer = MessageBoxA(nullptr, "Line one\nline two", "Probe Caption", type);
  std::fflush(stderr);
  dup2(saved, STDERR_FILENO);
  close(saved);
  std::ifstream written(path);
  std::stringstream text;
  text << written.rdbuf();
  return text.str();
}

TEST(MessageBoxWithoutDisplay, WritesToStderrAndGivesTheDefaultAnswer) {
  int answer = 0;
  std::string output = MessageBoxOutput(MB_YESNO | MB_ICONQUESTION, &answer);
  EXPECT_EQ(answer, IDYES);
  EXPECT_NE(output.find("Probe Caption"), std::string::npos) << output;
  EXPECT_NE(output.find("Line one\nline two"), std::string::npos) << output;

  output = MessageBoxOutput(MB_OK | MB_ICONEXCLAMATION, &answer);
  EXPECT_EQ(answer, IDOK);
  EXPECT_NE(output.find("Probe Caption"), std::string::npos) << output;
}

// ---- Misuse ----

TEST(Misuse, NullAndMadeUpHandlesFailCleanly) {
  const auto fake = [](std::uintptr_t value) { return value; };
  const HWND window = reinterpret_cast<HWND>(fake(0x1234));
  const HDC deviceContext = reinterpret_cast<HDC>(fake(0x5678));
  const HGLRC renderContext = reinterpret_cast<HGLRC>(fake(0x9abc));
  PIXELFORMATDESCRIPTOR format{};
  format.dwFlags = PFD_SUPPORT_OPENGL | PFD_DRAW_TO_WINDOW | PFD_DOUBLEBUFFER;

  EXPECT_FALSE(DestroyWindow(nullptr));
  EXPECT_FALSE(DestroyWindow(window));
  EXPECT_EQ(ReleaseDC(nullptr, nullptr), 0);
  EXPECT_EQ(ReleaseDC(window, deviceContext), 0);
  EXPECT_FALSE(wglDeleteContext(nullptr));
  EXPECT_FALSE(wglDeleteContext(renderContext));
  EXPECT_FALSE(wglMakeCurrent(deviceContext, renderContext));
  EXPECT_TRUE(wglMakeCurrent(nullptr, nullptr)) << "releasing no context is not an error";
  EXPECT_EQ(wglGetProcAddress("glActiveTextureARB"), nullptr) << "no current context";
  EXPECT_EQ(wglCreateContext(nullptr), nullptr);
  EXPECT_EQ(wglCreateContext(deviceContext), nullptr);
  EXPECT_FALSE(SwapBuffers(nullptr));
  EXPECT_FALSE(SwapBuffers(deviceContext));
  EXPECT_EQ(GetDC(nullptr), nullptr);
  EXPECT_EQ(GetDC(window), nullptr);
  EXPECT_EQ(ChoosePixelFormat(nullptr, &format), 0);
  EXPECT_EQ(ChoosePixelFormat(deviceContext, &format), 0);
  EXPECT_FALSE(SetPixelFormat(deviceContext, 1, &format));
  EXPECT_FALSE(ShowWindow(window, SW_SHOW));
  EXPECT_FALSE(SetForegroundWindow(window));
  EXPECT_EQ(SetFocus(window), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_FALSE(AdjustWindowRectEx(nullptr, WS_OVERLAPPEDWINDOW, FALSE, 0));
  EXPECT_FALSE(PeekMessageA(nullptr, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(DispatchMessageA(nullptr), 0);
  MSG stale{};
  stale.hwnd = window;
  stale.message = WM_CLOSE;
  EXPECT_EQ(DispatchMessageA(&stale), 0);
  EXPECT_EQ(DefWindowProcA(window, WM_CLOSE, 0, 0), 0);
  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "t", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                            nullptr, nullptr),
            nullptr);
}

LRESULT CALLBACK NoProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST(WindowClass, RegisteringAgainSucceedsWithTheSameAtom) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = NoProcedure;
  windowClass.lpszClassName = "OpenGL";
  const ATOM first = RegisterClassA(&windowClass);
  EXPECT_NE(first, 0);
  EXPECT_EQ(RegisterClassA(&windowClass), first);
  windowClass.lpszClassName = "OPENGL";  // class names ignore case
  EXPECT_EQ(RegisterClassA(&windowClass), first);

  WNDCLASSA noName = windowClass;
  noName.lpszClassName = nullptr;
  EXPECT_EQ(RegisterClassA(&noName), 0);
  WNDCLASSA noProcedure = windowClass;
  noProcedure.lpfnWndProc = nullptr;
  EXPECT_EQ(RegisterClassA(&noProcedure), 0);
  EXPECT_EQ(RegisterClassA(nullptr), 0);
}

}  // namespace

int main(int argc, char** argv) {
  // No display at all: SDL's dummy driver for the video calls, and nowhere
  // for a message box to go.
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
