// Between the browser layer's rendering contexts (web_wgl.cpp) and its
// OpenGL 1.1 pipeline on WebGL 2 (web_gl.cpp): each rendering context owns one
// pipeline state, made and released while its WebGL context is current.
#pragma once

namespace halden_web {

struct GlState;

// Builds the pipeline's shaders, buffers and default texture in the current
// WebGL context; null when the context cannot compile them.
GlState* CreateGlState();
// Releases what CreateGlState made and every texture of the context. Its
// WebGL context must be current.
void DestroyGlState(GlState* state);
// The state the OpenGL entry points act on; null makes them do nothing.
void SetCurrentGlState(GlState* state);
GlState* CurrentGlState();

// The address of an extension entry point the layer implements, for
// wglGetProcAddress; null for any other name.
void* ExtensionEntryPoint(const char* name);

}  // namespace halden_web
