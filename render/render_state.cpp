// Viewport, projection and the per-context render state.
#include "render/render_state.h"

#include "platform/win32_api.h"
#include "render/extension_probe.h"
#include "render/texture_loading.h"

void ResizeViewport(int width, int height) {
  if (height == 0) {
    height = 1;
  }
  glViewport(0, 0, width, height);

  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  // The near plane is the float 0.1 widened to double (0.10000000149...),
  // not the double 0.1.
  const double aspect = static_cast<double>(width) / static_cast<double>(height);
  gluPerspective(45.0, aspect, static_cast<double>(0.1f), 100.0);

  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

bool SetupRenderState() {
  // The probe's answer is kept but decides nothing: the frame draws with one
  // texture unit either way.
  gMultitextureSupported = ProbeMultitexture();

  if (!LoadTextureSets()) {
    return false;
  }

  glEnable(GL_TEXTURE_2D);
  glShadeModel(GL_SMOOTH);
  glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
  glClearDepth(1.0);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  return true;
}
