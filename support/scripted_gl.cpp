// The scripted layer's WGL on EGL: a real Mesa context behind each
// wglCreateContext (surfaceless platform, one pbuffer of the window's client
// size per context), SwapBuffers with the test's hook, glGetString with the
// extensions a test took away, and glEnable/glDisable that log the lighting
// switch.
//
// Left out: contexts do not share objects, and a pbuffer keeps the size its
// window had when the context was made.

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <dlfcn.h>  // RTLD_NEXT, to reach the driver's glGetString

#include <algorithm>
#include <sstream>
#include <utility>

#include "support/scripted_layer.h"

namespace scripted::layer {
namespace {

struct RenderContext {
  HWND window = nullptr;  // the window it was created for
  EGLContext context = EGL_NO_CONTEXT;
  EGLSurface surface = EGL_NO_SURFACE;
};

struct GlState {
  std::map<HGLRC, RenderContext> renderContexts;
  HGLRC current = nullptr;

  std::vector<std::string> removedExtensions;
  std::string extensionsSource;    // the driver's list the filtered one came from
  std::string filteredExtensions;  // what glGetString(GL_EXTENSIONS) hands out
};

GlState& G() {
  static GlState state;
  return state;
}

// The Mesa display, initialised once for the process: terminating and
// initialising it again per test would cost more than every test together.
EGLDisplay Display() {
  static EGLDisplay display = [] {
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay == nullptr) return EGL_NO_DISPLAY;
    EGLDisplay opened =
        getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (opened == EGL_NO_DISPLAY) return EGL_NO_DISPLAY;
    EGLint major = 0;
    EGLint minor = 0;
    if (!eglInitialize(opened, &major, &minor)) return EGL_NO_DISPLAY;
    return opened;
  }();
  return display;
}

void DestroyRenderContext(HGLRC handle) {
  GlState& state = G();
  auto found = state.renderContexts.find(handle);
  if (found == state.renderContexts.end()) return;
  EGLDisplay display = Display();
  if (state.current == handle) {
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    state.current = nullptr;
  }
  eglDestroyContext(display, found->second.context);
  eglDestroySurface(display, found->second.surface);
  state.renderContexts.erase(found);
}

// An RGB(A) 8-bit config for OpenGL pbuffers with at least `depthBits` of depth.
bool ChooseConfig(EGLDisplay display, int depthBits, EGLConfig* chosen) {
  const EGLint attributes[] = {EGL_SURFACE_TYPE,
                               EGL_PBUFFER_BIT,
                               EGL_RENDERABLE_TYPE,
                               EGL_OPENGL_BIT,
                               EGL_RED_SIZE,
                               8,
                               EGL_GREEN_SIZE,
                               8,
                               EGL_BLUE_SIZE,
                               8,
                               EGL_DEPTH_SIZE,
                               std::max(16, depthBits),
                               EGL_NONE};
  EGLint count = 0;
  if (!eglChooseConfig(display, attributes, nullptr, 0, &count) || count <= 0) return false;
  std::vector<EGLConfig> configs(static_cast<std::size_t>(count));
  if (!eglChooseConfig(display, attributes, configs.data(), count, &count)) return false;
  // EGL sorts deeper colour first; take exactly 8 bits per channel when offered.
  for (EGLint i = 0; i < count; ++i) {
    EGLint red = 0, green = 0, blue = 0;
    eglGetConfigAttrib(display, configs[i], EGL_RED_SIZE, &red);
    eglGetConfigAttrib(display, configs[i], EGL_GREEN_SIZE, &green);
    eglGetConfigAttrib(display, configs[i], EGL_BLUE_SIZE, &blue);
    if (red == 8 && green == 8 && blue == 8) {
      *chosen = configs[i];
      return true;
    }
  }
  *chosen = configs[0];
  return true;
}

}  // namespace

int RenderContextCount() {
  return static_cast<int>(G().renderContexts.size());
}

bool RenderContextCurrent() {
  return G().current != nullptr;
}

void DestroyRenderContexts() {
  std::vector<HGLRC> contexts;
  for (const auto& entry : G().renderContexts) contexts.push_back(entry.first);
  for (HGLRC context : contexts) DestroyRenderContext(context);
  if (eglGetCurrentContext() != EGL_NO_CONTEXT) {
    eglMakeCurrent(Display(), EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  }
  G().current = nullptr;
}

void SetRemovedExtensions(std::vector<std::string> names) {
  GlState& state = G();
  state.removedExtensions = std::move(names);
  state.extensionsSource.clear();
  state.filteredExtensions.clear();
}

}  // namespace scripted::layer

using scripted::layer::Enter;
using scripted::layer::G;
using scripted::layer::S;

HGLRC WINAPI wglCreateContext(HDC deviceContext) {
  if (Enter("wglCreateContext")) return nullptr;
  const HWND window = win32_model::WindowOfDeviceContext(deviceContext);
  const win32_model::Window* record = win32_model::FindWindow(window);
  if (record == nullptr || record->pixelFormat == 0) return nullptr;
  const auto format = S().pixelFormats.find(window);
  const int depthBits = format != S().pixelFormats.end() ? format->second.cDepthBits : 0;

  EGLDisplay display = scripted::layer::Display();
  if (display == EGL_NO_DISPLAY || !eglBindAPI(EGL_OPENGL_API)) return nullptr;
  EGLConfig config = nullptr;
  if (!scripted::layer::ChooseConfig(display, depthBits, &config)) return nullptr;
  const EGLint surfaceAttributes[] = {EGL_WIDTH, std::max(1, record->clientWidth), EGL_HEIGHT,
                                      std::max(1, record->clientHeight), EGL_NONE};
  EGLSurface surface = eglCreatePbufferSurface(display, config, surfaceAttributes);
  if (surface == EGL_NO_SURFACE) return nullptr;
  // No version or profile asked for: Mesa gives a compatibility context, which
  // keeps glBegin/glEnd, fixed-function lighting and pixel transfer.
  EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
  if (context == EGL_NO_CONTEXT) {
    eglDestroySurface(display, surface);
    return nullptr;
  }
  const HGLRC handle = win32_model::NewHandle<HGLRC>();
  G().renderContexts[handle] = scripted::layer::RenderContext{window, context, surface};
  return handle;
}

BOOL WINAPI wglMakeCurrent(HDC deviceContext, HGLRC renderContext) {
  if (Enter("wglMakeCurrent")) return FALSE;
  EGLDisplay display = scripted::layer::Display();
  auto& state = G();
  if (renderContext == nullptr) {
    if (state.current != nullptr) {
      eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
      state.current = nullptr;
    }
    return TRUE;
  }
  auto found = state.renderContexts.find(renderContext);
  if (found == state.renderContexts.end() ||
      win32_model::WindowOfDeviceContext(deviceContext) == nullptr) {
    return FALSE;
  }
  if (!eglMakeCurrent(display, found->second.surface, found->second.surface,
                      found->second.context)) {
    return FALSE;
  }
  state.current = renderContext;
  return TRUE;
}

BOOL WINAPI wglDeleteContext(HGLRC renderContext) {
  if (Enter("wglDeleteContext")) return FALSE;
  if (G().renderContexts.count(renderContext) == 0) return FALSE;
  scripted::layer::DestroyRenderContext(renderContext);
  return TRUE;
}

PROC WINAPI wglGetProcAddress(LPCSTR name) {
  if (Enter("wglGetProcAddress") || name == nullptr) return nullptr;
  return reinterpret_cast<PROC>(eglGetProcAddress(name));
}

BOOL WINAPI SwapBuffers(HDC deviceContext) {
  if (Enter("SwapBuffers")) return FALSE;
  if (win32_model::WindowOfDeviceContext(deviceContext) == nullptr) return FALSE;
  const int index = S().swapCount++;
  // The hook runs before the present, with the frame's context still bound.
  if (S().swapHook) {
    auto hook = S().swapHook;  // the hook may replace itself
    hook(index);
  }
  EGLSurface surface = eglGetCurrentSurface(EGL_DRAW);
  if (surface != EGL_NO_SURFACE) eglSwapBuffers(scripted::layer::Display(), surface);
  return TRUE;
}

namespace scripted::layer {
namespace {

// The driver's own entry point, for the GL functions this layer stands in for.
template <typename Function>
Function DriverFunction(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace
}  // namespace scripted::layer

// Defined here, this glGetString takes the place of the driver's for the whole
// executable (GLU's calls included), so a test can take extensions away that
// Mesa will not remove; everything else is passed through.
extern "C" const GLubyte* GLAPIENTRY glGetString(GLenum name) {
  using GetString = const GLubyte* (*)(GLenum);
  static const auto driverGetString = scripted::layer::DriverFunction<GetString>("glGetString");
  if (driverGetString == nullptr) return nullptr;
  const GLubyte* list = driverGetString(name);
  auto& state = G();
  if (name != GL_EXTENSIONS || list == nullptr || state.removedExtensions.empty()) return list;
  const char* source = reinterpret_cast<const char*>(list);
  if (state.filteredExtensions.empty() || state.extensionsSource != source) {
    state.extensionsSource = source;
    std::string filtered;
    std::istringstream tokens(state.extensionsSource);
    for (std::string token; tokens >> token;) {
      const auto& removed = state.removedExtensions;
      if (std::find(removed.begin(), removed.end(), token) != removed.end()) continue;
      filtered += token;
      filtered += ' ';  // Mesa ends its list with a space too
    }
    state.filteredExtensions = filtered;
  }
  return reinterpret_cast<const GLubyte*>(state.filteredExtensions.c_str());
}

// Likewise glEnable and glDisable: every capability goes on to the driver, and
// switching lighting is written in the call log, where a test sees it among
// the Win32 calls of the same frame step.
extern "C" void GLAPIENTRY glEnable(GLenum capability) {
  using Enable = void (*)(GLenum);
  static const auto driverEnable = scripted::layer::DriverFunction<Enable>("glEnable");
  if (capability == GL_LIGHTING) S().callLog.push_back("glEnable(GL_LIGHTING)");
  if (driverEnable != nullptr) driverEnable(capability);
}

extern "C" void GLAPIENTRY glDisable(GLenum capability) {
  using Disable = void (*)(GLenum);
  static const auto driverDisable = scripted::layer::DriverFunction<Disable>("glDisable");
  if (capability == GL_LIGHTING) S().callLog.push_back("glDisable(GL_LIGHTING)");
  if (driverDisable != nullptr) driverDisable(capability);
}
