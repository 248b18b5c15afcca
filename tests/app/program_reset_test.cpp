// ResetProgram on a program that has run: every process-wide variable is back
// at the starting value the program's tables give it, so that one test's run
// leaves nothing behind for the next.
#include "support/program_reset.h"

#include "app/render_window.h"
#include "app/shell_state.h"
#include "image/bitmap_loader.h"
#include "render/extension_probe.h"
#include "render/texture_sets.h"
#include "render/view_state.h"
#include "tests/app/shell_test_support.h"

namespace {

using ProgramResetTest = shell_test::ShellTest;

TEST_F(ProgramResetTest, EveryVariableIsBackAtItsStartingValue) {
  // A run: an open with every picture and the probe, then the controls' state.
  scripted::SetFullscreenModeAvailable(true);
  ASSERT_TRUE(OpenRenderWindow("Halden", 640, 480, 16, false));
  ASSERT_NE(gWallSet.names[1], 0u);
  gKeys['N'] = gKeys[VK_F1] = true;
  gActive = false;
  gLightsOn = gBumpFloor = true;
  gCameraZ = 1.4f;
  gCameraYaw = -30.0f;
  gFilterIndex = 2;
  gUseMultitexture = false;
  gMaxTextureUnits = 8;
  gShowLoaderErrors = false;

  ResetProgram();

  EXPECT_TRUE(scripted::NothingAcquired()) << scripted::LeakReport();
  for (int key = 0; key < 256; ++key) EXPECT_FALSE(gKeys[key]) << "key " << key;
  EXPECT_TRUE(gActive);
  EXPECT_TRUE(gFullscreen);
  EXPECT_FALSE(gLightsOn);
  EXPECT_FALSE(gBumpFloor);
  EXPECT_EQ(gCameraZ, 0.0f);
  EXPECT_EQ(gCameraYaw, 0.0f);
  EXPECT_EQ(gFilterIndex, 1);
  EXPECT_EQ(gWindow, nullptr);
  EXPECT_EQ(gDeviceContext, nullptr);
  EXPECT_EQ(gRenderContext, nullptr);
  EXPECT_EQ(gInstance, nullptr);
  for (const TextureFile& file : kTextureFiles) {
    SCOPED_TRACE(file.path);
    for (const TextureSet* set : {file.set, file.invertedSet}) {
      if (set == nullptr) continue;
      for (GLuint name : set->names) EXPECT_EQ(name, 0u);
    }
  }
  EXPECT_FALSE(gMultitextureSupported);
  EXPECT_TRUE(gUseMultitexture);
  EXPECT_EQ(gMaxTextureUnits, 1);
  EXPECT_EQ(gActiveTextureARB, nullptr);
  EXPECT_TRUE(gShowLoaderErrors);
  EXPECT_EQ(kPixelFormat.nSize, 0) << "the next open fills the pixel format in again";

  // The class registration was forgotten with the layer's classes: the next
  // open registers it again and succeeds.
  ASSERT_TRUE(OpenRenderWindow("Halden", 640, 480, 16, false));
  EXPECT_EQ(shell_test::CountCalls("RegisterClassA"), 1);
  CloseRenderWindow();
}

}  // namespace
