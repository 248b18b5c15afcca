// Each module resets its own state; this is the one place that knows them all.
#include "support/program_reset.h"

#include "app/render_window.h"
#include "app/shell_state.h"
#include "image/bitmap_loader.h"
#include "render/extension_probe.h"
#include "render/texture_sets.h"
#include "render/view_state.h"
#include "support/scripted_platform.h"

void ResetProgram() {
  // The layer first: it destroys what is still live before the handles that
  // named it are forgotten.
  scripted::Reset();
  ResetShellState();
  ResetRenderWindow();
  ResetViewState();
  ResetTextureSets();
  ResetProbeState();
  ResetBitmapLoader();
}
