// The Win32 model (see win32_model.h): classes, handles, windows and their
// device contexts, the message queue, frames, focus and what each window
// procedure was told.
#include "platform/win32_model.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <deque>
#include <iterator>
#include <map>

namespace win32_model {
namespace {

// Where Windows numbers registered classes; MAKEINTATOM values stay below
// 0x10000, which is where handles start.
constexpr ATOM kFirstAtom = 0xC000;
constexpr std::uintptr_t kFirstHandle = 0x10000;

struct State {
  std::map<std::string, WindowClass> classes;  // by lower-cased name
  ATOM nextAtom = kFirstAtom;
  std::map<std::uintptr_t, Window> windows;  // by handle value: oldest first
  std::map<std::uintptr_t, HWND> deviceContexts;
  HWND focus = nullptr;
  std::deque<MSG> queue;
  bool quitPosted = false;
  int quitCode = 0;
  bool displayModeChanged = false;
  int cursorCounter = 0;
};

State& S() {
  static State state;
  return state;
}

DWORD (*gClock)() = nullptr;

std::uintptr_t ValueOf(const void* handle) {
  return reinterpret_cast<std::uintptr_t>(handle);
}

template <typename Handle>
Handle HandleOf(std::uintptr_t value) {
  return reinterpret_cast<Handle>(value);
}

std::string LowerCase(const char* text) {
  std::string result(text);
  for (char& c : result) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return result;
}

// An atom passed where a class name is expected (MAKEINTATOM).
bool IsAtom(LPCSTR name) {
  return ValueOf(name) <= 0xFFFF;
}

// A stock icon or cursor is named by number (MAKEINTRESOURCE) or by the
// string "#number", which Win32 takes as the same name.
template <typename Handle>
Handle StockHandle(std::map<std::string, Handle>& stock, HINSTANCE instance, LPCSTR name) {
  if (instance != nullptr || name == nullptr) return nullptr;
  const std::string key = IsAtom(name) ? "#" + std::to_string(ValueOf(name)) : std::string(name);
  auto found = stock.find(key);
  if (found == stock.end()) found = stock.emplace(key, NewHandle<Handle>()).first;
  return found->second;
}

WPARAM MakeLong(unsigned low, unsigned high) {
  return static_cast<WPARAM>((low & 0xFFFFu) | ((high & 0xFFFFu) << 16));
}

bool Matches(const MSG& message, HWND window, UINT filterMin, UINT filterMax) {
  if (window == HandleOf<HWND>(~std::uintptr_t{0})) {
    if (message.hwnd != nullptr) return false;
  } else if (window != nullptr && message.hwnd != window) {
    return false;
  }
  if (filterMin == 0 && filterMax == 0) return true;
  return message.message >= filterMin && message.message <= filterMax;
}

void DropQueuedMessages(HWND window) {
  auto& queue = S().queue;
  queue.erase(std::remove_if(queue.begin(), queue.end(),
                             [window](const MSG& message) { return message.hwnd == window; }),
              queue.end());
}

bool ToldActive(HWND window) {
  const Window* record = FindWindow(window);
  return record != nullptr && record->told.activation && record->told.active;
}

}  // namespace

std::uintptr_t NextHandleValue() {
  static std::uintptr_t last = kFirstHandle;
  return ++last;
}

HMODULE GetModuleHandle(LPCSTR moduleName) {
  static const HMODULE program = NewHandle<HMODULE>();
  return moduleName == nullptr ? program : nullptr;
}

HICON LoadIcon(HINSTANCE instance, LPCSTR iconName) {
  static std::map<std::string, HICON> icons;
  return StockHandle(icons, instance, iconName);
}

HCURSOR LoadCursor(HINSTANCE instance, LPCSTR cursorName) {
  static std::map<std::string, HCURSOR> cursors;
  return StockHandle(cursors, instance, cursorName);
}

void Reset() {
  S() = State();
}

// ---- Window classes ----

ATOM RegisterClass(const WNDCLASSA* windowClass) {
  if (windowClass == nullptr || windowClass->lpfnWndProc == nullptr ||
      windowClass->lpszClassName == nullptr || IsAtom(windowClass->lpszClassName) ||
      windowClass->lpszClassName[0] == '\0') {
    return 0;
  }
  State& state = S();
  const std::string key = LowerCase(windowClass->lpszClassName);
  auto found = state.classes.find(key);
  if (found == state.classes.end()) {
    if (state.nextAtom == 0xFFFF) return 0;  // out of atoms, as Windows would be
    found = state.classes.emplace(key, WindowClass{}).first;
    found->second.atom = state.nextAtom++;
  }
  WindowClass& entry = found->second;
  entry.name = windowClass->lpszClassName;
  entry.fields = *windowClass;
  entry.fields.lpszClassName = entry.name.c_str();
  entry.fields.lpszMenuName = nullptr;
  return entry.atom;
}

const WindowClass* FindWindowClass(LPCSTR nameOrAtom) {
  if (nameOrAtom == nullptr) return nullptr;
  const auto& classes = S().classes;
  if (IsAtom(nameOrAtom)) {
    const auto atom = static_cast<ATOM>(ValueOf(nameOrAtom));
    for (const auto& entry : classes) {
      if (entry.second.atom == atom) return &entry.second;
    }
    return nullptr;
  }
  const auto found = classes.find(LowerCase(nameOrAtom));
  return found == classes.end() ? nullptr : &found->second;
}

// ---- Frames ----

Frame WindowFrame(DWORD style, DWORD exStyle, bool menu) {
  LONG side = 0;
  if ((style & WS_THICKFRAME) != 0) {
    side = kSizingFrame;
  } else if ((style & WS_DLGFRAME) != 0 || (exStyle & WS_EX_DLGMODALFRAME) != 0) {
    side = kDialogFrame;
  } else if ((style & WS_BORDER) != 0) {
    side = kThinBorder;
  }
  if ((exStyle & WS_EX_CLIENTEDGE) != 0) side += kClientEdge;
  if ((exStyle & WS_EX_STATICEDGE) != 0) side += kStaticEdge;
  LONG top = side;
  if ((style & WS_CAPTION) == WS_CAPTION) top += kCaptionHeight;
  if (menu) top += kMenuHeight;
  return Frame{side, top, side, side};
}

bool AdjustWindowRectEx(RECT* rect, DWORD style, bool menu, DWORD exStyle) {
  if (rect == nullptr) return false;
  const Frame frame = WindowFrame(style, exStyle, menu);
  rect->left -= frame.left;
  rect->top -= frame.top;
  rect->right += frame.right;
  rect->bottom += frame.bottom;
  return true;
}

Size ClientSizeOfWindow(int width, int height, DWORD style, DWORD exStyle, bool menu) {
  const Frame frame = WindowFrame(style, exStyle, menu);
  return Size{std::max(0, width - static_cast<int>(frame.left + frame.right)),
              std::max(0, height - static_cast<int>(frame.top + frame.bottom))};
}

// ---- Windows ----

HWND AddWindow(const WindowClass& windowClass, LPCSTR title, DWORD style, DWORD exStyle,
               int clientWidth, int clientHeight) {
  const std::uintptr_t value = NextHandleValue();
  Window& record = S().windows[value];
  record.classAtom = windowClass.atom;
  record.procedure = windowClass.fields.lpfnWndProc;
  record.title = title != nullptr ? title : "";
  record.style = style & ~static_cast<DWORD>(WS_VISIBLE);
  record.exStyle = exStyle;
  record.clientWidth = std::max(0, clientWidth);
  record.clientHeight = std::max(0, clientHeight);
  return HandleOf<HWND>(value);
}

Window* FindWindow(HWND window) {
  auto& windows = S().windows;
  const auto found = windows.find(ValueOf(window));
  return found == windows.end() ? nullptr : &found->second;
}

std::vector<HWND> LiveWindows() {
  std::vector<HWND> handles;
  for (const auto& entry : S().windows) handles.push_back(HandleOf<HWND>(entry.first));
  return handles;
}

HWND NewestWindow() {
  const auto& windows = S().windows;
  return windows.empty() ? nullptr : HandleOf<HWND>(windows.rbegin()->first);
}

bool ShowWindow(HWND window, int showCommand) {
  Window* record = FindWindow(window);
  if (record == nullptr) return false;
  const bool wasVisible = record->visible;
  const bool show = showCommand != SW_HIDE;
  if (show == wasVisible) return wasVisible;
  record->visible = show;
  if (show) {
    record->style |= WS_VISIBLE;
    // Win32 activates a window it shows and tells the procedure its size
    // before ShowWindow returns; the procedure may destroy the window first.
    ReportActivation(window, true, Delivery::kSend);
    ReportClientSize(window, Delivery::kSend);
  } else {
    record->style &= ~static_cast<DWORD>(WS_VISIBLE);
    if (ToldActive(window)) ReportActivation(window, false, Delivery::kSend);
  }
  return wasVisible;
}

bool DestroyWindow(HWND window, void (*releaseNative)(HWND)) {
  Window* record = FindWindow(window);
  if (record == nullptr || record->destroying) return false;
  record->destroying = true;
  if (ToldActive(window)) ReportActivation(window, false, Delivery::kSend);
  SendMessage(window, WM_DESTROY, 0, 0);
  if (releaseNative != nullptr) releaseNative(window);

  State& state = S();
  record = FindWindow(window);
  if (record != nullptr) {
    if (record->deviceContext != nullptr)
      state.deviceContexts.erase(ValueOf(record->deviceContext));
    state.windows.erase(ValueOf(window));
  }
  if (state.focus == window) state.focus = nullptr;
  DropQueuedMessages(window);
  return true;
}

// ---- Device contexts ----

HDC GetDC(HWND window) {
  Window* record = FindWindow(window);
  if (record == nullptr) return nullptr;
  if (record->deviceContext == nullptr) {
    const std::uintptr_t value = NextHandleValue();
    record->deviceContext = HandleOf<HDC>(value);
    S().deviceContexts[value] = window;
  }
  ++record->deviceContextUses;
  return record->deviceContext;
}

bool ReleaseDC(HWND window, HDC deviceContext) {
  Window* record = FindWindow(window);
  if (record == nullptr || deviceContext == nullptr || record->deviceContext != deviceContext ||
      record->deviceContextUses == 0) {
    return false;
  }
  --record->deviceContextUses;
  return true;
}

HWND WindowOfDeviceContext(HDC deviceContext) {
  const auto& deviceContexts = S().deviceContexts;
  const auto found = deviceContexts.find(ValueOf(deviceContext));
  if (found == deviceContexts.end() || FindWindow(found->second) == nullptr) return nullptr;
  return found->second;
}

// ---- Messages ----

LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const Window* record = FindWindow(window);
  if (record == nullptr || record->procedure == nullptr) return 0;
  const WNDPROC procedure = record->procedure;  // the record may go while it runs
  return procedure(window, message, wParam, lParam);
}

bool PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window != nullptr && FindWindow(window) == nullptr) return false;
  MSG entry{};
  entry.hwnd = window;
  entry.message = message;
  entry.wParam = wParam;
  entry.lParam = lParam;
  entry.time = gClock != nullptr ? gClock() : 0;
  S().queue.push_back(entry);
  return true;
}

void Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam, Delivery delivery) {
  if (delivery == Delivery::kSend) {
    SendMessage(window, message, wParam, lParam);
  } else {
    PostMessage(window, message, wParam, lParam);
  }
}

void SetMessageClock(DWORD (*clock)()) {
  gClock = clock;
}

void PostQuitMessage(int exitCode) {
  S().quitPosted = true;
  S().quitCode = exitCode;
}

bool PeekMessage(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeMessage) {
  if (message == nullptr) return false;
  State& state = S();
  const bool remove = (removeMessage & PM_REMOVE) != 0;
  for (auto it = state.queue.begin(); it != state.queue.end(); ++it) {
    if (!Matches(*it, window, filterMin, filterMax)) continue;
    *message = *it;
    if (remove) state.queue.erase(it);
    return true;
  }
  const bool threadMessagesWanted =
      window == nullptr || window == HandleOf<HWND>(~std::uintptr_t{0});
  if (state.quitPosted && threadMessagesWanted) {
    *message = MSG{};
    message->message = WM_QUIT;
    message->wParam = static_cast<WPARAM>(state.quitCode);
    message->time = gClock != nullptr ? gClock() : 0;
    if (remove) state.quitPosted = false;
    return true;
  }
  return false;
}

void PostCloseRequest() {
  HWND window = GetFocus();
  if (window == nullptr) window = NewestWindow();
  if (window != nullptr) {
    PostMessage(window, WM_CLOSE, 0, 0);
  } else {
    PostQuitMessage(0);
  }
}

LPARAM KeyMessageLParam(bool extended, bool keyUp, bool repeat) {
  ULONG_PTR bits = 1;  // repeat count
  if (extended) bits |= ULONG_PTR{1} << 24;
  if (keyUp || repeat) bits |= ULONG_PTR{1} << 30;
  if (keyUp) bits |= ULONG_PTR{1} << 31;
  return static_cast<LPARAM>(bits);
}

bool TranslateMessage(const MSG* message) {
  if (message == nullptr) return false;
  const UINT kind = message->message;
  return kind == WM_KEYDOWN || kind == WM_KEYUP || kind == WM_SYSKEYDOWN || kind == WM_SYSKEYUP;
}

LRESULT DispatchMessage(const MSG* message) {
  if (message == nullptr) return 0;
  return SendMessage(message->hwnd, message->message, message->wParam, message->lParam);
}

// ---- Reports ----

void ReportActivation(HWND window, bool active, Delivery delivery) {
  Window* record = FindWindow(window);
  if (record == nullptr) return;
  Told& told = record->told;
  if (told.activation && told.active == active && told.minimised == record->minimised) return;
  told.activation = true;
  told.active = active;
  told.minimised = record->minimised;
  Deliver(window, WM_ACTIVATE,
          MakeLong(active ? WA_ACTIVE : WA_INACTIVE, record->minimised ? 1 : 0), 0, delivery);
}

void ReportClientSize(HWND window, Delivery delivery) {
  Window* record = FindWindow(window);
  if (record == nullptr) return;
  int width = 0;
  int height = 0;
  WPARAM kind = SIZE_MINIMIZED;
  if (!record->minimised) {
    width = record->clientWidth;
    height = record->clientHeight;
    kind = record->maximised ? SIZE_MAXIMIZED : SIZE_RESTORED;
  }
  Told& told = record->told;
  if (told.width == width && told.height == height && told.sizeKind == kind) return;
  told.width = width;
  told.height = height;
  told.sizeKind = kind;
  Deliver(
      window, WM_SIZE, kind,
      static_cast<LPARAM>(MakeLong(static_cast<unsigned>(width), static_cast<unsigned>(height))),
      delivery);
}

void ReportMinimised(HWND window, Delivery delivery) {
  Window* record = FindWindow(window);
  if (record == nullptr) return;
  record->minimised = true;
  ReportActivation(window, false, delivery);
  ReportClientSize(window, delivery);
}

void ReportRestored(HWND window, bool maximised, Delivery delivery) {
  Window* record = FindWindow(window);
  if (record == nullptr) return;
  record->minimised = false;
  record->maximised = maximised;
  ReportClientSize(window, delivery);
  ReportActivation(window, true, delivery);
}

void ReportFocus(HWND window, bool gained, Delivery delivery) {
  if (FindWindow(window) == nullptr) return;
  State& state = S();
  if (gained) {
    state.focus = window;
  } else if (state.focus == window) {
    state.focus = nullptr;
  }
  ReportActivation(window, gained, delivery);
}

void SetClientSize(HWND window, int width, int height) {
  Window* record = FindWindow(window);
  if (record == nullptr) return;
  record->clientWidth = std::max(0, width);
  record->clientHeight = std::max(0, height);
}

void NoteActivation(HWND window, WPARAM wParam) {
  Window* record = FindWindow(window);
  if (record == nullptr) return;
  record->minimised = HIWORD(wParam) != 0;
  record->told.activation = true;
  record->told.active = LOWORD(wParam) != WA_INACTIVE;
  record->told.minimised = record->minimised;
}

HWND SetFocus(HWND window) {
  State& state = S();
  if (window != nullptr && FindWindow(window) == nullptr) return nullptr;
  const HWND previous = GetFocus();
  state.focus = window;
  return previous;
}

HWND GetFocus() {
  const HWND focus = S().focus;
  return FindWindow(focus) != nullptr ? focus : nullptr;
}

// ---- Display mode and cursor ----

bool DisplayModeChanged() {
  return S().displayModeChanged;
}

void SetDisplayModeChanged(bool changed) {
  S().displayModeChanged = changed;
}

int ShowCursor(bool show) {
  S().cursorCounter += show ? 1 : -1;
  return S().cursorCounter;
}

int CursorCounter() {
  return S().cursorCounter;
}

// ---- Entry points ----

PROC ProcFromAddress(void* address) {
  PROC procedure = nullptr;
  static_assert(sizeof(procedure) == sizeof(address), "function and data pointers differ");
  std::memcpy(&procedure, &address, sizeof(procedure));
  return procedure;
}

}  // namespace win32_model
