// The Win32 model on its own: class names that ignore case, handles that die
// for good, the queue's order and filters with WM_QUIT last, the frame of a
// Windows 10 desktop at 96 dpi, and what a window procedure is told about
// showing, hiding, minimising, focus and destruction (once each).
#include "platform/win32_model.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

namespace model = win32_model;

struct Received {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;

  bool operator==(const Received& other) const {
    return window == other.window && message == other.message && wParam == other.wParam &&
           lParam == other.lParam;
  }
};

void PrintTo(const Received& r, std::ostream* out) {
  *out << "{msg 0x" << std::hex << r.message << ", w 0x" << r.wParam << ", l 0x" << r.lParam
       << std::dec << "}";
}

std::vector<Received> gReceived;

LRESULT CALLBACK Recording(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  gReceived.push_back(Received{window, message, wParam, lParam});
  return 0x5a;
}

LRESULT CALLBACK Other(HWND, UINT, WPARAM, LPARAM) {
  return 0x77;
}

WPARAM Pair(unsigned low, unsigned high) {
  return static_cast<WPARAM>(low | (high << 16));
}

Received Activate(HWND window, unsigned state, unsigned minimised) {
  return Received{window, WM_ACTIVATE, Pair(state, minimised), 0};
}

Received Sized(HWND window, WPARAM kind, unsigned width, unsigned height) {
  return Received{window, WM_SIZE, kind, static_cast<LPARAM>(Pair(width, height))};
}

Received Destroyed(HWND window) {
  return Received{window, WM_DESTROY, 0, 0};
}

class Win32Model : public ::testing::Test {
 protected:
  void SetUp() override {
    model::Reset();
    gReceived.clear();
  }
  void TearDown() override { model::Reset(); }

  static ATOM Register(const char* name, WNDPROC procedure = Recording) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.lpszClassName = name;
    return model::RegisterClass(&windowClass);
  }

  // A hidden window of a registered class.
  static HWND NewWindowOf(const char* className, int width = 320, int height = 200) {
    return model::AddWindow(*model::FindWindowClass(className), "t", WS_OVERLAPPEDWINDOW, 0, width,
                            height);
  }
  static HWND NewWindow(int width = 320, int height = 200) {
    if (model::FindWindowClass("Test") == nullptr) Register("Test");
    return NewWindowOf("Test", width, height);
  }

  // Takes every message that passes the filters, up to and with WM_QUIT.
  static std::vector<MSG> Take(HWND window = nullptr, UINT filterMin = 0, UINT filterMax = 0) {
    std::vector<MSG> taken;
    MSG message{};
    while (model::PeekMessage(&message, window, filterMin, filterMax, PM_REMOVE)) {
      taken.push_back(message);
      if (message.message == WM_QUIT) break;
    }
    return taken;
  }
  static std::vector<UINT> TakeAll(HWND window = nullptr, UINT filterMin = 0, UINT filterMax = 0) {
    std::vector<UINT> kinds;
    for (const MSG& message : Take(window, filterMin, filterMax)) kinds.push_back(message.message);
    return kinds;
  }
};

// ---- Classes ----

TEST_F(Win32Model, ClassNamesIgnoreCaseAndAtomsFindTheClass) {
  const ATOM atom = Register("OpenGL");
  ASSERT_NE(atom, 0);
  for (const char* spelling : {"OpenGL", "OPENGL", "opengl", "oPeNgL"}) {
    const model::WindowClass* found = model::FindWindowClass(spelling);
    ASSERT_NE(found, nullptr) << spelling;
    EXPECT_EQ(found->atom, atom) << spelling;
  }
  EXPECT_EQ(model::FindWindowClass(MAKEINTRESOURCEA(atom)), model::FindWindowClass("OpenGL"));
  EXPECT_EQ(model::FindWindowClass("OpenGL2"), nullptr);
  EXPECT_EQ(model::FindWindowClass(MAKEINTRESOURCEA(atom + 1)), nullptr);
  EXPECT_EQ(model::FindWindowClass(nullptr), nullptr);
  EXPECT_NE(Register("Another"), atom);
}

TEST_F(Win32Model, RegisteringAgainReplacesTheClassAndKeepsItsAtom) {
  const ATOM atom = Register("OpenGL");
  const HWND before = NewWindowOf("OpenGL");
  EXPECT_EQ(Register("OPENGL", Other), atom);
  EXPECT_EQ(model::FindWindowClass("opengl")->fields.lpfnWndProc, Other);
  EXPECT_STREQ(model::FindWindowClass("opengl")->fields.lpszClassName, "OPENGL");
  // A window made before keeps the procedure it was made with.
  EXPECT_EQ(model::SendMessage(before, WM_CLOSE, 0, 0), 0x5a);
  EXPECT_EQ(model::SendMessage(NewWindowOf("OpenGL"), WM_CLOSE, 0, 0), 0x77);
}

TEST_F(Win32Model, IncompleteClassesAreRefused) {
  struct Case {
    const char* what;
    WNDPROC procedure;
    LPCSTR name;
  };
  const Case cases[] = {
      {"no procedure", nullptr, "Name"},
      {"no name", Recording, nullptr},
      {"empty name", Recording, ""},
      {"an atom for a name", Recording, MAKEINTRESOURCEA(0xC001)},
  };
  for (const Case& c : cases) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = c.procedure;
    windowClass.lpszClassName = c.name;
    EXPECT_EQ(model::RegisterClass(&windowClass), 0) << c.what;
  }
  EXPECT_EQ(model::RegisterClass(nullptr), 0);
}

// ---- Handles ----

TEST_F(Win32Model, ReleasedAndNeverIssuedHandlesFindNothing) {
  const HWND window = NewWindow();
  const HDC deviceContext = model::GetDC(window);
  ASSERT_NE(deviceContext, nullptr);
  ASSERT_TRUE(model::PostMessage(window, WM_KEYDOWN, VK_UP, 1));
  ASSERT_TRUE(model::DestroyWindow(window));

  const HWND madeUp = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x1234));
  const HWND dcAsWindow = reinterpret_cast<HWND>(deviceContext);
  for (HWND stale : {window, madeUp, dcAsWindow, static_cast<HWND>(nullptr)}) {
    SCOPED_TRACE(reinterpret_cast<std::uintptr_t>(stale));
    EXPECT_EQ(model::FindWindow(stale), nullptr);
    EXPECT_FALSE(model::DestroyWindow(stale));
    EXPECT_FALSE(model::ShowWindow(stale, SW_SHOW));
    EXPECT_EQ(model::GetDC(stale), nullptr);
    EXPECT_FALSE(model::ReleaseDC(stale, deviceContext));
    EXPECT_EQ(model::SetFocus(stale), nullptr);
    EXPECT_EQ(model::SendMessage(stale, WM_CLOSE, 0, 0), 0);
  }
  EXPECT_FALSE(model::PostMessage(window, WM_CLOSE, 0, 0));
  EXPECT_EQ(model::WindowOfDeviceContext(deviceContext), nullptr);
  MSG stale{};
  stale.hwnd = window;
  stale.message = WM_CLOSE;
  EXPECT_EQ(model::DispatchMessage(&stale), 0);
  EXPECT_TRUE(TakeAll().empty()) << "the window's queued key went with it";
  EXPECT_EQ(gReceived, (std::vector<Received>{Destroyed(window)}));
}

TEST_F(Win32Model, HandlesNeverRepeatNotEvenAcrossReset) {
  const HWND first = NewWindow();
  const HDC firstDc = model::GetDC(first);
  model::Reset();
  const HWND second = NewWindow();
  const HDC secondDc = model::GetDC(second);
  EXPECT_NE(first, second);
  EXPECT_NE(firstDc, secondDc);
  EXPECT_EQ(model::FindWindow(first), nullptr);
  EXPECT_EQ(model::WindowOfDeviceContext(firstDc), nullptr);
  const std::uintptr_t lowest = reinterpret_cast<std::uintptr_t>(first);
  EXPECT_GT(lowest, 0xFFFFu) << "above every atom and resource number";
  EXPECT_NE(model::GetModuleHandle(nullptr), nullptr);
  EXPECT_EQ(model::GetModuleHandle("other.dll"), nullptr);
  EXPECT_EQ(model::LoadIcon(model::GetModuleHandle(nullptr), IDI_WINLOGO), nullptr);
}

// Each stock icon and cursor has a handle of its own, the same at every
// load, so the handle a window class holds tells which resource it is.
TEST_F(Win32Model, StockIconsAndCursorsHaveOneHandleEach) {
  const HICON logo = model::LoadIcon(nullptr, MAKEINTRESOURCEA(32517));
  ASSERT_NE(logo, nullptr);
  EXPECT_EQ(model::LoadIcon(nullptr, IDI_WINLOGO), logo);
  EXPECT_EQ(model::LoadIcon(nullptr, "#32517"), logo) << "the same name, as a string";
  EXPECT_NE(model::LoadIcon(nullptr, IDI_APPLICATION), logo);
  model::Reset();
  EXPECT_EQ(model::LoadIcon(nullptr, IDI_WINLOGO), logo) << "stock handles outlive a reset";

  const HCURSOR arrow = model::LoadCursor(nullptr, MAKEINTRESOURCEA(32512));
  ASSERT_NE(arrow, nullptr);
  EXPECT_EQ(model::LoadCursor(nullptr, IDC_ARROW), arrow);
  EXPECT_NE(arrow, model::LoadIcon(nullptr, MAKEINTRESOURCEA(32512)))
      << "icon 32512 is another resource than cursor 32512";
  EXPECT_EQ(model::LoadCursor(model::GetModuleHandle(nullptr), IDC_ARROW), nullptr);
}

TEST_F(Win32Model, DeviceContextIsTheWindowsOwnAndCounted) {
  const HWND window = NewWindow();
  const HDC first = model::GetDC(window);
  EXPECT_EQ(model::GetDC(window), first);
  EXPECT_EQ(model::WindowOfDeviceContext(first), window);
  EXPECT_EQ(model::FindWindow(window)->deviceContextUses, 2);
  EXPECT_FALSE(model::ReleaseDC(NewWindow(), first)) << "another window's DC";
  EXPECT_TRUE(model::ReleaseDC(window, first));
  EXPECT_TRUE(model::ReleaseDC(window, first));
  EXPECT_FALSE(model::ReleaseDC(window, first)) << "more releases than gets";
  EXPECT_EQ(model::WindowOfDeviceContext(first), window) << "still the window's after release";
}

// ---- Messages ----

TEST_F(Win32Model, QuitComesOutAfterEverythingElseOnceWithTheLatestCode) {
  const HWND window = NewWindow();
  model::PostMessage(window, WM_KEYDOWN, VK_UP, 1);
  model::PostQuitMessage(4);
  model::PostMessage(nullptr, WM_NULL, 0, 0);
  model::PostQuitMessage(5);
  model::PostMessage(window, WM_CLOSE, 0, 0);

  MSG message{};
  ASSERT_TRUE(model::PeekMessage(&message, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_KEYDOWN)) << "peeking leaves the message";
  const std::vector<MSG> taken = Take();
  ASSERT_EQ(taken.size(), 4u);
  EXPECT_EQ(taken[0].message, static_cast<UINT>(WM_KEYDOWN));
  EXPECT_EQ(taken[0].hwnd, window);
  EXPECT_EQ(taken[1].message, static_cast<UINT>(WM_NULL));
  EXPECT_EQ(taken[1].hwnd, nullptr);
  EXPECT_EQ(taken[2].message, static_cast<UINT>(WM_CLOSE));
  EXPECT_EQ(taken[3].message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(taken[3].wParam, 5u);
  model::PostQuitMessage(6);
  ASSERT_TRUE(model::PeekMessage(&message, nullptr, 0, 0, PM_NOREMOVE));
  ASSERT_TRUE(model::PeekMessage(&message, nullptr, WM_KEYDOWN, WM_KEYUP, PM_REMOVE))
      << "WM_QUIT passes every range";
  EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(message.hwnd, nullptr);
  EXPECT_EQ(message.wParam, 6u);
  EXPECT_FALSE(model::PeekMessage(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_FALSE(model::PeekMessage(nullptr, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(Win32Model, ACloseRequestGoesToTheFocusElseTheNewestWindowElseQuits) {
  model::PostCloseRequest();
  const std::vector<MSG> none = Take();
  ASSERT_EQ(none.size(), 1u);
  EXPECT_EQ(none[0].message, static_cast<UINT>(WM_QUIT)) << "no window: the program quits";
  EXPECT_EQ(none[0].wParam, 0u);

  const HWND older = NewWindow();
  const HWND newer = NewWindow();
  model::PostCloseRequest();
  model::SetFocus(older);
  model::PostCloseRequest();
  const std::vector<MSG> taken = Take();
  ASSERT_EQ(taken.size(), 2u);
  EXPECT_EQ(taken[0].message, static_cast<UINT>(WM_CLOSE));
  EXPECT_EQ(taken[0].hwnd, newer) << "without a focus, the newest window";
  EXPECT_EQ(taken[1].message, static_cast<UINT>(WM_CLOSE));
  EXPECT_EQ(taken[1].hwnd, older) << "the window with the focus";
}

TEST_F(Win32Model, KeyMessagesCarryWindowsLParamBits) {
  struct Case {
    const char* what;
    bool extended, keyUp, repeat;
    std::uint32_t lParam;
  };
  const Case cases[] = {
      {"press", false, false, false, 0x00000001u},
      {"auto-repeat", false, false, true, 0x40000001u},
      {"release", false, true, false, 0xC0000001u},
      {"extended press (an arrow)", true, false, false, 0x01000001u},
      {"extended release", true, true, false, 0xC1000001u},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(static_cast<std::uint32_t>(model::KeyMessageLParam(c.extended, c.keyUp, c.repeat)),
              c.lParam)
        << c.what;
  }
}

TEST_F(Win32Model, PeekFiltersByWindowAndRange) {
  const HWND first = NewWindow();
  const HWND second = NewWindow();
  const HWND threadOnly = reinterpret_cast<HWND>(~std::uintptr_t{0});
  model::PostMessage(first, WM_KEYDOWN, 'A', 0);
  model::PostMessage(second, WM_KEYUP, 'B', 0);
  model::PostMessage(nullptr, WM_CLOSE, 0, 0);
  model::PostMessage(first, WM_SIZE, 0, 0);
  model::PostQuitMessage(0);

  struct Case {
    const char* what;
    HWND window;
    UINT filterMin, filterMax;
    std::vector<UINT> taken;  // in order, each removed
  };
  // Each case takes what it passes, so the rows run in order.
  const Case cases[] = {
      {"second window only: no thread messages, no WM_QUIT", second, 0, 0, {WM_KEYUP}},
      {"first window, keys only", first, WM_KEYDOWN, WM_KEYUP, {WM_KEYDOWN}},
      {"thread messages only, then WM_QUIT", threadOnly, 0, 0, {WM_CLOSE, WM_QUIT}},
      {"what is left", nullptr, 0, 0, {WM_SIZE}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TakeAll(c.window, c.filterMin, c.filterMax), c.taken) << c.what;
  }
}

TEST_F(Win32Model, SendingCallsTheProcedureAtOncePostingWaitsForDispatch) {
  const HWND window = NewWindow();
  model::Deliver(window, WM_CLOSE, 1, 2, model::Delivery::kSend);
  EXPECT_EQ(gReceived, (std::vector<Received>{{window, WM_CLOSE, 1, 2}}));
  model::Deliver(window, WM_KEYDOWN, 3, 4, model::Delivery::kPost);
  EXPECT_EQ(gReceived.size(), 1u);

  MSG message{};
  ASSERT_TRUE(model::PeekMessage(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_TRUE(model::TranslateMessage(&message));  // a key message, though no WM_CHAR is made
  EXPECT_EQ(model::DispatchMessage(&message), 0x5a);
  EXPECT_EQ(gReceived.back(), (Received{window, WM_KEYDOWN, 3, 4}));
  message.message = WM_CLOSE;
  EXPECT_FALSE(model::TranslateMessage(&message));
  message.hwnd = nullptr;
  EXPECT_EQ(model::DispatchMessage(&message), 0) << "a thread message goes to no procedure";
}

// ---- Frames ----

TEST_F(Win32Model, FrameIsThatOfAWindows10DesktopAt96Dpi) {
  const DWORD kFixedCaption = WS_CAPTION | WS_SYSMENU;
  struct Case {
    const char* what;
    DWORD style;
    DWORD exStyle;
    bool menu;
    RECT adjusted;  // of {0, 0, 640, 480}
  };
  const Case cases[] = {
      {"overlapped window", WS_OVERLAPPEDWINDOW, 0, false, {-8, -31, 648, 488}},
      {"overlapped window, edge and app styles",
       WS_OVERLAPPEDWINDOW,
       WS_EX_APPWINDOW | WS_EX_WINDOWEDGE,
       false,
       {-8, -31, 648, 488}},
      {"overlapped window with a menu", WS_OVERLAPPEDWINDOW, 0, true, {-8, -51, 648, 488}},
      {"popup", WS_POPUP, WS_EX_APPWINDOW, false, {0, 0, 640, 480}},
      {"popup, clipping styles",
       WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
       0,
       false,
       {0, 0, 640, 480}},
      {"caption without sizing frame", kFixedCaption, 0, false, {-3, -26, 643, 483}},
      {"caption without sizing frame, with a menu", kFixedCaption, 0, true, {-3, -46, 643, 483}},
      {"dialog frame alone: no caption", WS_POPUP | WS_DLGFRAME, 0, false, {-3, -3, 643, 483}},
      {"thin border alone", WS_POPUP | WS_BORDER, 0, false, {-1, -1, 641, 481}},
      {"sizing frame without caption", WS_POPUP | WS_THICKFRAME, 0, false, {-8, -8, 648, 488}},
      {"modal dialog frame", WS_POPUP, WS_EX_DLGMODALFRAME, false, {-3, -3, 643, 483}},
      {"client edge inside a sizing frame",
       WS_OVERLAPPEDWINDOW,
       WS_EX_CLIENTEDGE,
       false,
       {-10, -33, 650, 490}},
      {"static edge on a popup", WS_POPUP, WS_EX_STATICEDGE, false, {-1, -1, 641, 481}},
      {"a menu on a popup", WS_POPUP, 0, true, {0, -20, 640, 480}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RECT rect{0, 0, 640, 480};
    ASSERT_TRUE(model::AdjustWindowRectEx(&rect, c.style, c.menu, c.exStyle));
    EXPECT_EQ(rect.left, c.adjusted.left);
    EXPECT_EQ(rect.top, c.adjusted.top);
    EXPECT_EQ(rect.right, c.adjusted.right);
    EXPECT_EQ(rect.bottom, c.adjusted.bottom);
    // CreateWindowExA takes the same frame off again.
    const model::Size client = model::ClientSizeOfWindow(
        rect.right - rect.left, rect.bottom - rect.top, c.style, c.exStyle, c.menu);
    EXPECT_EQ(client.width, 640);
    EXPECT_EQ(client.height, 480);
  }
  EXPECT_FALSE(model::AdjustWindowRectEx(nullptr, WS_OVERLAPPEDWINDOW, false, 0));
  const model::Size tiny = model::ClientSizeOfWindow(10, 20, WS_OVERLAPPEDWINDOW, 0, false);
  EXPECT_EQ(tiny.width, 0) << "an outer size inside the frame leaves no client area";
  EXPECT_EQ(tiny.height, 0);
}

// ---- What the procedure is told ----

TEST_F(Win32Model, ShowingActivatesThenSizesOnceAndHidingDeactivates) {
  const HWND window = NewWindow(320, 200);
  EXPECT_FALSE(model::ShowWindow(window, SW_SHOW));
  EXPECT_TRUE(model::ShowWindow(window, SW_SHOW));
  EXPECT_NE(model::FindWindow(window)->style & WS_VISIBLE, 0u);
  EXPECT_TRUE(model::ShowWindow(window, SW_HIDE));
  EXPECT_FALSE(model::ShowWindow(window, SW_HIDE));
  EXPECT_EQ(model::FindWindow(window)->style & WS_VISIBLE, 0u);
  EXPECT_FALSE(model::ShowWindow(window, SW_SHOW));  // the size has not changed since
  EXPECT_EQ(gReceived, (std::vector<Received>{
                           Activate(window, WA_ACTIVE, 0), Sized(window, SIZE_RESTORED, 320, 200),
                           Activate(window, WA_INACTIVE, 0), Activate(window, WA_ACTIVE, 0)}));
}

TEST_F(Win32Model, MinimisingAndRestoringAreToldOnceEach) {
  const HWND window = NewWindow(320, 200);
  model::ShowWindow(window, SW_SHOW);
  gReceived.clear();

  model::ReportMinimised(window, model::Delivery::kSend);
  model::ReportMinimised(window, model::Delivery::kSend);
  model::ReportFocus(window, false, model::Delivery::kSend);  // already told: inactive
  model::SetClientSize(window, 640, 400);
  model::ReportRestored(window, true, model::Delivery::kSend);
  model::ReportRestored(window, true, model::Delivery::kSend);
  model::ReportClientSize(window, model::Delivery::kSend);
  EXPECT_EQ(gReceived,
            (std::vector<Received>{
                Activate(window, WA_INACTIVE, 1), Sized(window, SIZE_MINIMIZED, 0, 0),
                Sized(window, SIZE_MAXIMIZED, 640, 400), Activate(window, WA_ACTIVE, 0)}));
}

TEST_F(Win32Model, PostedReportsArriveThroughTheQueue) {
  const HWND window = NewWindow(320, 200);
  model::ShowWindow(window, SW_SHOW);
  gReceived.clear();
  model::ReportMinimised(window, model::Delivery::kPost);
  EXPECT_TRUE(gReceived.empty());
  EXPECT_EQ(TakeAll(window), (std::vector<UINT>{WM_ACTIVATE, WM_SIZE}));
}

TEST_F(Win32Model, DestroyingTellsAnActiveWindowFirstThenForgetsItsFocusAndQueue) {
  const HWND shown = NewWindow();
  const HWND hidden = NewWindow();
  model::ShowWindow(shown, SW_SHOW);
  EXPECT_EQ(model::SetFocus(shown), nullptr);
  EXPECT_EQ(model::SetFocus(hidden), shown);
  EXPECT_EQ(model::SetFocus(shown), hidden);
  model::PostMessage(shown, WM_KEYDOWN, VK_UP, 1);
  gReceived.clear();

  static HWND released = nullptr;
  released = nullptr;
  EXPECT_TRUE(model::DestroyWindow(shown, [](HWND window) {
    // The native window goes after WM_DESTROY, while the handle still works.
    EXPECT_NE(model::FindWindow(window), nullptr);
    released = window;
  }));
  EXPECT_EQ(released, shown);
  EXPECT_EQ(model::GetFocus(), nullptr);
  EXPECT_TRUE(model::DestroyWindow(hidden));
  EXPECT_EQ(gReceived, (std::vector<Received>{Activate(shown, WA_INACTIVE, 0), Destroyed(shown),
                                              Destroyed(hidden)}));
  EXPECT_TRUE(TakeAll().empty());
}

TEST_F(Win32Model, ANotedActivationIsWhatLaterReportsFollowOn) {
  const HWND window = NewWindow();
  model::ShowWindow(window, SW_SHOW);
  // Minimised by the desktop, in a message the layer posted itself.
  model::NoteActivation(window, Pair(WA_INACTIVE, 1));
  EXPECT_TRUE(model::FindWindow(window)->minimised);
  gReceived.clear();
  model::DestroyWindow(window);
  EXPECT_EQ(gReceived, (std::vector<Received>{Destroyed(window)})) << "no second deactivation";
}

LRESULT CALLBACK DestroysOnActivation(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Recording(window, message, wParam, lParam);
  if (message == WM_ACTIVATE && LOWORD(wParam) == WA_ACTIVE) {
    EXPECT_TRUE(model::DestroyWindow(window));
    EXPECT_FALSE(model::DestroyWindow(window)) << "destroyed already";
  }
  if (message == WM_DESTROY) {
    EXPECT_FALSE(model::DestroyWindow(window)) << "a destroy inside its own WM_DESTROY";
  }
  return 0;
}

TEST_F(Win32Model, AProcedureThatDestroysItsWindowWhileShownEndsTheShow) {
  Register("Doomed", DestroysOnActivation);
  const HWND window = model::AddWindow(*model::FindWindowClass("Doomed"), "d", WS_POPUP, 0, 8, 8);
  EXPECT_FALSE(model::ShowWindow(window, SW_SHOW));
  EXPECT_EQ(model::FindWindow(window), nullptr);
  EXPECT_EQ(gReceived,
            (std::vector<Received>{Activate(window, WA_ACTIVE, 0), Activate(window, WA_INACTIVE, 0),
                                   Destroyed(window)}));
}

TEST_F(Win32Model, FocusFollowsOutsideChangesOnlyForItsOwnWindow) {
  const HWND first = NewWindow();
  const HWND second = NewWindow();
  model::ReportFocus(first, true, model::Delivery::kSend);
  EXPECT_EQ(model::GetFocus(), first);
  model::ReportFocus(second, false, model::Delivery::kSend);
  EXPECT_EQ(model::GetFocus(), first) << "another window losing the focus leaves it";
  model::ReportFocus(first, false, model::Delivery::kSend);
  EXPECT_EQ(model::GetFocus(), nullptr);
  EXPECT_EQ(model::SetFocus(first), nullptr);
  EXPECT_EQ(model::SetFocus(nullptr), first);
  EXPECT_EQ(gReceived,
            (std::vector<Received>{Activate(first, WA_ACTIVE, 0), Activate(second, WA_INACTIVE, 0),
                                   Activate(first, WA_INACTIVE, 0)}));
}

TEST_F(Win32Model, ResetForgetsEverythingButTheCounter) {
  Register("Test");
  const HWND window = NewWindow();
  model::SetFocus(window);
  model::PostQuitMessage(1);
  model::SetDisplayModeChanged(true);
  EXPECT_EQ(model::ShowCursor(false), -1);
  model::Reset();
  EXPECT_EQ(model::FindWindowClass("Test"), nullptr);
  EXPECT_TRUE(model::LiveWindows().empty());
  EXPECT_EQ(model::NewestWindow(), nullptr);
  EXPECT_EQ(model::GetFocus(), nullptr);
  EXPECT_TRUE(TakeAll().empty());
  EXPECT_FALSE(model::DisplayModeChanged());
  EXPECT_EQ(model::CursorCounter(), 0);
  EXPECT_TRUE(gReceived.empty()) << "nothing is sent";
}

}  // namespace
