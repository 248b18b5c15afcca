// Pixel formats, WGL rendering contexts and presenting, on WebGL 2.
//
// Implements:
// - ChoosePixelFormat: one format, index 1, for any RGBA OpenGL request.
// - SetPixelFormat: keeps the request, which the context is made from
//   (alpha, depth and stencil buffers as asked), and fails for what WebGL
//   cannot give: colour beyond 8 bits a channel, depth beyond 24 bits,
//   stencil beyond 8, accumulation or auxiliary buffers. Once set, a
//   window's format stays, as on Windows.
// - wglCreateContext: a WebGL 2 context on the DC's canvas, without
//   antialiasing (desktop OpenGL's default), with the layer's OpenGL 1.1
//   pipeline in it (web_gl.cpp); nothing is made current.
// - wglMakeCurrent, wglDeleteContext (the WebGL context and everything in
//   it is released at once, not left to the garbage collector),
//   wglGetProcAddress (null without a current context, as on Windows).
// - SwapBuffers: the frame drawn is shown when the program yields to the
//   browser, so SwapBuffers waits (Asyncify) for the display's next
//   animation frame; the frame loop is paced to the display, and does not
//   run while the page is hidden. A close request from the page ends the
//   wait at once.
// Leaves out: DescribePixelFormat and other formats, layer planes, context
// sharing, single-buffered drawing (the browser always presents whole
// frames), and swapping a DC whose window has no current context (fails).
#include <emscripten.h>
#include <emscripten/html5.h>

#include <map>

#include "platform/web_gl_context.h"
#include "platform/web_state.h"

// clang-format off
EM_ASYNC_JS(void, HaldenWaitForFrame, (), { await HaldenPage.nextFrame(); });

// Gives the context's resources back to the browser now; the canvas goes
// with the window.
EM_JS(void, HaldenLoseContext, (), {
  var context = GLctx;
  var lose = context && context.getExtension('WEBGL_lose_context');
  if (lose) lose.loseContext();
});
// clang-format on

namespace halden_web {
namespace {

struct RenderContext {
  EMSCRIPTEN_WEBGL_CONTEXT_HANDLE webgl = 0;
  GlState* state = nullptr;
  HWND window = nullptr;
};

std::map<HGLRC, RenderContext> gContexts;
HGLRC gCurrentContext = nullptr;

bool Satisfiable(const PIXELFORMATDESCRIPTOR& request) {
  return request.cColorBits <= 32 && request.cRedBits <= 8 && request.cGreenBits <= 8 &&
         request.cBlueBits <= 8 && request.cAlphaBits <= 8 && request.cDepthBits <= 24 &&
         request.cStencilBits <= 8 && request.cAccumBits == 0 && request.cAuxBuffers == 0;
}

// Makes `context` current for WebGL and the pipeline (null: none).
bool Activate(HGLRC context) {
  if (context == nullptr) {
    emscripten_webgl_make_context_current(0);
    SetCurrentGlState(nullptr);
    gCurrentContext = nullptr;
    return true;
  }
  const auto found = gContexts.find(context);
  if (found == gContexts.end()) return false;
  if (emscripten_webgl_make_context_current(found->second.webgl) != EMSCRIPTEN_RESULT_SUCCESS) {
    return false;
  }
  SetCurrentGlState(found->second.state);
  gCurrentContext = context;
  return true;
}

}  // namespace
}  // namespace halden_web

using namespace halden_web;

int WINAPI ChoosePixelFormat(HDC deviceContext, const PIXELFORMATDESCRIPTOR* format) {
  if (win32_model::WindowOfDeviceContext(deviceContext) == nullptr || format == nullptr) return 0;
  if (format->iPixelType != PFD_TYPE_RGBA || (format->dwFlags & PFD_SUPPORT_OPENGL) == 0) return 0;
  return 1;
}

BOOL WINAPI SetPixelFormat(HDC deviceContext, int format, const PIXELFORMATDESCRIPTOR* descriptor) {
  const HWND window = win32_model::WindowOfDeviceContext(deviceContext);
  win32_model::Window* record = win32_model::FindWindow(window);
  WebWindow* web = FindWebWindow(window);
  if (record == nullptr || web == nullptr || format != 1) return FALSE;
  if (record->pixelFormat == format) return TRUE;
  if (descriptor != nullptr && !Satisfiable(*descriptor)) return FALSE;
  record->pixelFormat = format;
  if (descriptor != nullptr) web->format = *descriptor;
  return TRUE;
}

HGLRC WINAPI wglCreateContext(HDC deviceContext) {
  const HWND window = win32_model::WindowOfDeviceContext(deviceContext);
  const win32_model::Window* record = win32_model::FindWindow(window);
  const WebWindow* web = FindWebWindow(window);
  if (record == nullptr || web == nullptr || record->pixelFormat == 0) return nullptr;

  EmscriptenWebGLContextAttributes attributes;
  emscripten_webgl_init_context_attributes(&attributes);
  attributes.majorVersion = 2;
  attributes.minorVersion = 0;
  attributes.alpha = web->format.cAlphaBits > 0 ? EM_TRUE : EM_FALSE;
  attributes.depth = web->format.cDepthBits > 0 ? EM_TRUE : EM_FALSE;
  attributes.stencil = web->format.cStencilBits > 0 ? EM_TRUE : EM_FALSE;
  attributes.antialias = EM_FALSE;
  attributes.premultipliedAlpha = EM_FALSE;
  attributes.preserveDrawingBuffer = EM_FALSE;
  const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE webgl =
      emscripten_webgl_create_context(web->canvasSelector.c_str(), &attributes);
  if (webgl <= 0) return nullptr;

  // The pipeline is built inside the new context; whatever was current
  // before is current again afterwards, as wglCreateContext binds nothing.
  const HGLRC previous = gCurrentContext;
  emscripten_webgl_make_context_current(webgl);
  GlState* state = CreateGlState();
  if (state == nullptr) {
    HaldenLoseContext();
    emscripten_webgl_destroy_context(webgl);
    Activate(previous);
    return nullptr;
  }
  const HGLRC handle = win32_model::NewHandle<HGLRC>();
  gContexts[handle] = RenderContext{webgl, state, window};
  if (!Activate(previous)) Activate(nullptr);
  return handle;
}

BOOL WINAPI wglMakeCurrent(HDC deviceContext, HGLRC renderContext) {
  if (renderContext == nullptr) {
    Activate(nullptr);
    return TRUE;
  }
  const auto found = gContexts.find(renderContext);
  const HWND window = win32_model::WindowOfDeviceContext(deviceContext);
  const win32_model::Window* record = win32_model::FindWindow(window);
  // A WebGL context draws only on the canvas it was made for.
  if (found == gContexts.end() || record == nullptr || record->pixelFormat == 0 ||
      found->second.window != window) {
    return FALSE;
  }
  return Activate(renderContext) ? TRUE : FALSE;
}

BOOL WINAPI wglDeleteContext(HGLRC renderContext) {
  const auto found = gContexts.find(renderContext);
  if (found == gContexts.end()) return FALSE;
  const HGLRC previous = gCurrentContext == renderContext ? nullptr : gCurrentContext;
  Activate(renderContext);
  DestroyGlState(found->second.state);
  HaldenLoseContext();
  emscripten_webgl_destroy_context(found->second.webgl);
  gContexts.erase(found);
  Activate(nullptr);
  Activate(previous);
  return TRUE;
}

PROC WINAPI wglGetProcAddress(LPCSTR name) {
  if (name == nullptr || gCurrentContext == nullptr) return nullptr;
  return win32_model::ProcFromAddress(ExtensionEntryPoint(name));
}

BOOL WINAPI SwapBuffers(HDC deviceContext) {
  const HWND window = win32_model::WindowOfDeviceContext(deviceContext);
  const auto found = gContexts.find(gCurrentContext);
  const bool current =
      window != nullptr && found != gContexts.end() && found->second.window == window;
  // Waited for even when it fails: the frame loop calls it once per pass,
  // and the page only goes on while the program waits.
  HaldenWaitForFrame();
  return current ? TRUE : FALSE;
}
