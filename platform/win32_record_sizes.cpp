// The Win32 records the program fills in itself, checked against the layout
// Windows reads them in: a header or a packing that laid them out otherwise
// would fail the build here rather than a call at run time (a wrong nSize or
// dmSize, a field Windows reads from the wrong place). Built into the Windows
// program only; elsewhere win32_api.h declares these records itself.
#include <cstddef>

#include "platform/win32_api.h"

namespace {

constexpr bool k64Bit = sizeof(void*) == 8;
static_assert(sizeof(void*) == 4 || k64Bit, "a 32- or 64-bit Windows program");

// The pixel format request: 40 bytes in both word sizes.
static_assert(sizeof(PIXELFORMATDESCRIPTOR) == 40, "PIXELFORMATDESCRIPTOR is 40 bytes");
static_assert(offsetof(PIXELFORMATDESCRIPTOR, dwFlags) == 4, "PFD dwFlags at 4");
static_assert(offsetof(PIXELFORMATDESCRIPTOR, cColorBits) == 9, "PFD cColorBits at 9");
static_assert(offsetof(PIXELFORMATDESCRIPTOR, cDepthBits) == 23, "PFD cDepthBits at 23");
static_assert(offsetof(PIXELFORMATDESCRIPTOR, iLayerType) == 26, "PFD iLayerType at 26");
static_assert(offsetof(PIXELFORMATDESCRIPTOR, dwDamageMask) == 36, "PFD dwDamageMask at 36");

// The display mode: 156 bytes with today's headers (the panning fields
// included), the same in both word sizes.
static_assert(sizeof(DEVMODEA) == 156, "DEVMODEA is 156 bytes");
static_assert(offsetof(DEVMODEA, dmSize) == 36, "DEVMODEA dmSize at 36");
static_assert(offsetof(DEVMODEA, dmFields) == 40, "DEVMODEA dmFields at 40");
static_assert(offsetof(DEVMODEA, dmBitsPerPel) == 104, "DEVMODEA dmBitsPerPel at 104");
static_assert(offsetof(DEVMODEA, dmPelsWidth) == 108, "DEVMODEA dmPelsWidth at 108");
static_assert(offsetof(DEVMODEA, dmPelsHeight) == 112, "DEVMODEA dmPelsHeight at 112");

// The window class: four 32-bit fields and six pointers, padded after the
// style on 64-bit.
static_assert(sizeof(WNDCLASSA) == (k64Bit ? 72 : 40), "WNDCLASSA is 40 bytes, 72 on 64-bit");
static_assert(offsetof(WNDCLASSA, lpfnWndProc) == (k64Bit ? 8 : 4), "WNDCLASSA lpfnWndProc");
static_assert(offsetof(WNDCLASSA, hInstance) == (k64Bit ? 24 : 16), "WNDCLASSA hInstance");
static_assert(offsetof(WNDCLASSA, lpszClassName) == (k64Bit ? 64 : 36), "WNDCLASSA class name");

// The window rectangle, grown by AdjustWindowRectEx.
static_assert(sizeof(RECT) == 16, "RECT is 16 bytes");

}  // namespace
