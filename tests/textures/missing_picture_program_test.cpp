// The whole program on the scripted layer with one scene picture missing:
// the start-up fails with the loader's message and then the shell's, after
// loading everything it could, and leaves nothing acquired.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/texture_sets.h"
#include "support/program_reset.h"
#include "support/scripted_platform.h"
#include "tests/textures/picture_directory.h"

namespace {

class MissingPictureProgramTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetProgram(); }
  void TearDown() override { ResetProgram(); }
};

TEST_F(MissingPictureProgramTest, TheStartUpFailsAfterLoadingTheRest) {
  PictureDirectory pictures;
  pictures.Remove("Pic/wall.bmp");

  char commandLine[] = "";
  const int status = WinMain(nullptr, nullptr, commandLine, 1);

  EXPECT_NE(status, 0);
  EXPECT_EQ(scripted::SwapCount(), 0);
  EXPECT_TRUE(scripted::NothingAcquired()) << scripted::LeakReport();

  // The start-up question (answered No), then the probe's notice when the
  // driver offers both extensions, then the loader's message, owned by the
  // window with the focus, then the shell's.
  std::vector<std::string> boxes;
  for (const auto& box : scripted::MessageBoxes()) {
    boxes.push_back(box.caption + ": " + box.text + (box.owner != nullptr ? " (owned)" : ""));
  }
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.front(), "Start FullScreen?: Would You Like To Run In Fullscreen Mode?");
  boxes.erase(boxes.begin());
  if (!boxes.empty() && boxes.front().rfind("feature supported!: ", 0) == 0) {
    boxes.erase(boxes.begin());
  }
  EXPECT_THAT(boxes,
              ::testing::ElementsAre("Error: Failed to open DIB file Pic/wall.bmp.\n (owned)",
                                     "ERROR: Initialization Failed."));

  // Every other picture was uploaded before the open gave up.
  for (const TextureFile& file : kTextureFiles) {
    SCOPED_TRACE(file.path);
    const bool loaded = file.set != &gWallSet;
    for (const TextureSet* set : {file.set, file.invertedSet}) {
      if (set == nullptr) continue;
      for (GLuint name : set->names) EXPECT_EQ(name != 0u, loaded);
    }
  }
}

}  // namespace
