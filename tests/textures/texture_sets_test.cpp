// Texture sets on a real OpenGL context: the filters of each member, the
// half-intensity bump sets and the restored pixel transfer, tightly packed
// uploads, a missing picture, and which member the frame draws.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "render/frame.h"
#include "render/render_state.h"
#include "render/texture_loading.h"
#include "render/texture_sets.h"
#include "render/view_state.h"
#include "support/program_reset.h"
#include "support/scripted_platform.h"
#include "tests/textures/picture_directory.h"

namespace {

constexpr int kFixtureSize = 8;  // mipmap levels 8, 4, 2, 1
constexpr int kFixtureLevels = 4;

struct NamedSet {
  std::string label;
  TextureSet* set;
  const TextureFile* file;  // the row it is made from
};

// Every set, in loading order, from the program's table; the bump picture
// makes two.
std::vector<NamedSet> AllSets() {
  std::vector<NamedSet> sets;
  for (const TextureFile& file : kTextureFiles) {
    sets.push_back({file.path, file.set, &file});
    if (IsBumpPicture(file))
      sets.push_back({std::string(file.path) + ", inverted", file.invertedSet, &file});
  }
  return sets;
}

GLint TexParameter(GLuint name, GLenum parameter) {
  glBindTexture(GL_TEXTURE_2D, name);
  GLint value = -1;
  glGetTexParameteriv(GL_TEXTURE_2D, parameter, &value);
  return value;
}

// The RGB texels of one level of a texture.
std::vector<int> Texels(GLuint name, int level) {
  glBindTexture(GL_TEXTURE_2D, name);
  GLint width = 0;
  GLint height = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &height);
  std::vector<unsigned char> bytes(static_cast<std::size_t>(width * height * 3));
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, level, GL_RGB, GL_UNSIGNED_BYTE, bytes.data());
  return std::vector<int>(bytes.begin(), bytes.end());
}

// The distinct byte values of one level (one value for a uniform grey).
std::set<int> TexelValues(GLuint name, int level) {
  const std::vector<int> texels = Texels(name, level);
  return std::set<int>(texels.begin(), texels.end());
}

std::vector<int> Rgb(SolidColor color) {
  return {color.r, color.g, color.b};
}

class TextureSetsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProgram();
    ASSERT_TRUE(scripted::OpenTestContext(640, 480)) << "no OpenGL context";
  }
  void TearDown() override {
    scripted::CloseTestContext();
    ResetProgram();
  }
};

TEST_F(TextureSetsTest, BumpSetsAreHalfIntensityOnEveryLevelAndTheOthersFull) {
  PictureDirectory pictures(kFixtureSize);  // the bump picture is all 200
  ASSERT_TRUE(LoadTextureSets());

  // (255 - 200) x 0.5 = 27.5: either neighbour, as the driver converts.
  const std::set<int> inverted = {27, 28};
  for (int member = 0; member < 3; ++member) {
    const int levels = member == 2 ? kFixtureLevels : 1;
    for (int level = 0; level < levels; ++level) {
      SCOPED_TRACE("member " + std::to_string(member) + ", level " + std::to_string(level));
      EXPECT_EQ(TexelValues(gBumpSet.names[member], level), std::set<int>{100});
      const std::set<int> values = TexelValues(gInvertedBumpSet.names[member], level);
      ASSERT_EQ(values.size(), 1u);
      EXPECT_THAT(inverted, ::testing::Contains(*values.begin()));
    }
  }
  // Pictures loaded before the bump are untouched by its scales.
  EXPECT_EQ(Texels(gLowerRightSet.names[2], 3), Rgb(FixtureColor(gLowerRightSet)));  // 1 by 1
  const std::vector<int> floor = Texels(gFloorSet.names[1], 0);
  EXPECT_EQ(std::vector<int>(floor.begin(), floor.begin() + 3), Rgb(FixtureColor(gFloorSet)));
}

TEST_F(TextureSetsTest, PixelTransferScalesAreRestoredSoLaterUploadsAreFullIntensity) {
  PictureDirectory pictures(kFixtureSize);
  ASSERT_TRUE(LoadTextureSets());

  for (GLenum scale : {GL_RED_SCALE, GL_GREEN_SCALE, GL_BLUE_SCALE}) {
    GLfloat value = 0.0f;
    glGetFloatv(scale, &value);
    EXPECT_EQ(value, 1.0f) << "scale 0x" << std::hex << scale;
  }

  std::vector<unsigned char> pixels(4 * 4 * 3, 200);
  const RgbImage image{4, 4, pixels.data()};
  TextureSet later{};
  UploadTextureSet(image, later);
  EXPECT_EQ(TexelValues(later.names[1], 0), std::set<int>{200});
  EXPECT_EQ(TexelValues(later.names[2], 2), std::set<int>{200});
}

TEST_F(TextureSetsTest, EachMemberCarriesTheFiltersOfItsIndex) {
  PictureDirectory pictures(kFixtureSize);
  ASSERT_TRUE(LoadTextureSets());

  const GLint magnification[3] = {GL_NEAREST, GL_LINEAR, GL_LINEAR};
  const GLint minification[3] = {GL_NEAREST, GL_LINEAR, GL_LINEAR_MIPMAP_NEAREST};
  std::set<GLuint> names;
  const std::vector<NamedSet> sets = AllSets();
  for (const NamedSet& entry : sets) {
    for (int member = 0; member < 3; ++member) {
      SCOPED_TRACE(entry.label + " member " + std::to_string(member));
      const GLuint name = entry.set->names[member];
      ASSERT_NE(name, 0u);
      names.insert(name);
      EXPECT_EQ(TexParameter(name, GL_TEXTURE_MAG_FILTER), magnification[member]);
      EXPECT_EQ(TexParameter(name, GL_TEXTURE_MIN_FILTER), minification[member]);
    }
  }
  EXPECT_EQ(names.size(), 3 * sets.size()) << "every member is a texture of its own";
}

// The bump sets clamp to the gray border; every other texture keeps
// wrapping, which the lower ledge's 5 by 5 repeat needs.
TEST_F(TextureSetsTest, OnlyTheBumpSetsClampToTheGrayBorder) {
  PictureDirectory pictures(kFixtureSize);
  ASSERT_TRUE(LoadTextureSets());

  for (const NamedSet& entry : AllSets()) {
    const bool bump = IsBumpPicture(*entry.file);
    const GLint wrap = bump ? GL_CLAMP : GL_REPEAT;
    for (int member = 0; member < 3; ++member) {
      SCOPED_TRACE(entry.label + " member " + std::to_string(member));
      const GLuint name = entry.set->names[member];
      EXPECT_EQ(TexParameter(name, GL_TEXTURE_WRAP_S), wrap);
      EXPECT_EQ(TexParameter(name, GL_TEXTURE_WRAP_T), wrap);
      if (bump) {
        GLfloat border[4] = {};
        glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, border);
        EXPECT_THAT(border, ::testing::ElementsAre(0.5f, 0.5f, 0.5f, 1.0f));
      }
    }
  }
}

// Rows of 6 bytes: read with the default alignment of 4, the second row
// would start 2 bytes late.
TEST_F(TextureSetsTest, UploadReadsTightlyPackedRowsAndGivesTheAlignmentBack) {
  std::vector<unsigned char> pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  const RgbImage image{2, 2, pixels.data()};
  glPixelStorei(GL_UNPACK_ALIGNMENT, 8);

  TextureSet set{};
  UploadTextureSet(image, set);

  const std::vector<int> expected(pixels.begin(), pixels.end());
  for (int member = 0; member < 3; ++member) {
    EXPECT_EQ(Texels(set.names[member], 0), expected) << "member " << member;
  }
  GLint alignment = 0;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  EXPECT_EQ(alignment, 8);
}

TEST_F(TextureSetsTest, TheMipmappedMemberIsLeftBound) {
  std::vector<unsigned char> pixels(4 * 4 * 3, 50);
  const RgbImage image{4, 4, pixels.data()};
  TextureSet set{};
  UploadTextureSet(image, set);

  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), set.names[2]);
}

// One picture missing at a time: its set stays unnamed, every other picture
// is still uploaded (the bump at half intensity), and the loader's message
// is the only one shown.
class MissingPictureTest : public TextureSetsTest,
                           public ::testing::WithParamInterface<std::size_t> {};

TEST_P(MissingPictureTest, TheOthersAreStillLoadedAndTheResultIsFalse) {
  const TextureFile& missing = kTextureFiles[GetParam()];
  PictureDirectory pictures(kFixtureSize);
  pictures.Remove(missing.path);

  EXPECT_FALSE(LoadTextureSets());

  for (const NamedSet& entry : AllSets()) {
    SCOPED_TRACE(entry.label);
    for (GLuint name : entry.set->names) {
      if (entry.file == &missing) {
        EXPECT_EQ(name, 0u);
      } else {
        EXPECT_EQ(glIsTexture(name), GL_TRUE);
      }
    }
  }
  if (!IsBumpPicture(missing)) {
    EXPECT_EQ(TexelValues(gBumpSet.names[1], 0), std::set<int>{100});
  }
  GLfloat scale = 0.0f;
  glGetFloatv(GL_GREEN_SCALE, &scale);
  EXPECT_EQ(scale, 1.0f);

  ASSERT_EQ(scripted::MessageBoxes().size(), 1u);
  EXPECT_EQ(scripted::MessageBoxes()[0].text,
            std::string("Failed to open DIB file ") + missing.path + ".\n");
  EXPECT_EQ(scripted::MessageBoxes()[0].caption, "Error");
}

INSTANTIATE_TEST_SUITE_P(EachFile, MissingPictureTest,
                         ::testing::Range<std::size_t>(0, kTextureFileCount),
                         [](const ::testing::TestParamInfo<std::size_t>& param) {
                           const std::string path = kTextureFiles[param.param].path;
                           const std::size_t start = path.find_last_of('/') + 1;
                           return path.substr(start, path.find('.', start) - start);
                         });

// Paints every member but the linear one of each set in colours the
// fixture pictures do not use, so the frame shows which member it binds.
void PaintOtherMembers() {
  const unsigned char red[3] = {255, 0, 0};
  const unsigned char blue[3] = {0, 0, 255};
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  for (const NamedSet& entry : AllSets()) {
    glBindTexture(GL_TEXTURE_2D, entry.set->names[0]);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, red);
    glBindTexture(GL_TEXTURE_2D, entry.set->names[2]);
    gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGB8, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, blue);
  }
}

void ExpectPixelNear(int x, int y, const std::vector<int>& expected, const char* surface) {
  const scripted::Rgb pixel = scripted::ReadPixel(x, y);
  const std::vector<int> actual = {pixel.r, pixel.g, pixel.b};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_NEAR(actual[i], expected[i], 8)
        << surface << " at (" << x << ", " << y << "): " << actual[0] << ", " << actual[1] << ", "
        << actual[2];
  }
}

TEST_F(TextureSetsTest, TheFrameDrawsTheLinearMemberOfEachSet) {
  PictureDirectory pictures(kFixtureSize);
  ASSERT_TRUE(SetupRenderState());
  ResizeViewport(640, 480);
  PaintOtherMembers();

  DrawFrame();
  ExpectPixelNear(320, 10, Rgb(FixtureColor(gFloorSet)), "floor");
  ExpectPixelNear(320, 475, Rgb(FixtureColor(gLampDaySet)), "ceiling by day");
  ExpectPixelNear(320, 240, Rgb(FixtureColor(gWallSet)), "back wall");
  ExpectPixelNear(4, 240, Rgb(FixtureColor(gWallSet)), "left wall");
  ExpectPixelNear(636, 40, Rgb(FixtureColor(gLowerRightSet)), "lower ledge");

  // Away from the edges of the floor quads, where the bump texture blends
  // into its gray border.
  gBumpFloor = true;
  DrawFrame();
  ExpectPixelNear(368, 10, {100, 100, 100}, "bump floor");
}

}  // namespace
