// The room's plan: the committed picture is what the tool draws from the
// emitters now, the tool reads the recorded calls as the quads they are and
// refuses a stream it cannot draw, and the picture names what it must.
#include "tools/room_plan_drawing.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string Draw() {
  std::string svg, error;
  EXPECT_TRUE(MakeRoomPlan(&svg, &error)) << error;
  return svg;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(RoomPlan, CommittedPictureIsWhatTheToolDraws) {
  const std::string path = std::string(HALDEN_SOURCE_DIR) + "/docs/room-plan.svg";
  std::ifstream file(path, std::ios::binary);
  ASSERT_TRUE(file) << "missing " << path << "; draw it with the room-plan target";
  std::ostringstream committed;
  committed << file.rdbuf();

  const std::vector<std::string> want = Lines(Draw());
  const std::vector<std::string> have = Lines(committed.str());
  std::size_t line = 0;
  while (line < want.size() && line < have.size() && want[line] == have[line]) ++line;
  if (line < want.size() || line < have.size()) {
    ADD_FAILURE() << path << " differs from what the tool draws at line " << line + 1
                  << "; redraw it with the room-plan target\n  committed: "
                  << (line < have.size() ? have[line] : "(end of file)")
                  << "\n  drawn now: " << (line < want.size() ? want[line] : "(end of file)");
  }
}

std::vector<recorder::Call> Record(const std::function<void()>& calls) {
  recorder::Clear();
  calls();
  return recorder::Calls();
}

void Corner(float x, float y, float z) {
  glTexCoord2f(0.0f, 1.0f);
  glVertex3f(x, y, z);
}

TEST(RoomPlan, CollectsQuadsByBlockWhateverComesBetweenTheVertices) {
  const std::vector<recorder::Call> calls = Record([] {
    glNormal3f(0.0f, 1.0f, 0.0f);  // a normal may come before the block
    glBegin(GL_QUADS);
    Corner(0, 0, 0);
    Corner(1, 0, 0);
    glNormal3f(0.0f, 0.0f, 1.0f);
    Corner(1, 1, 0);
    Corner(0, 1, 0);
    glVertex3f(2, 0, 0);
    glVertex3f(3, 0, 0);
    glVertex3f(3, 1, 0);
    glVertex3f(2, 1, 0);
    glEnd();
    glBegin(GL_QUADS);
    glVertex3f(0, 0, 5);
    glVertex3f(0, 0, 6);
    glVertex3f(0, 1, 6);
    glVertex3f(0, 1, 5.5f);
    glEnd();
  });
  std::vector<PlanQuad> quads;
  std::string error;
  ASSERT_TRUE(CollectQuads(calls, &quads, &error)) << error;
  ASSERT_EQ(quads.size(), 3u);
  EXPECT_EQ(quads[0].block, 0);
  EXPECT_EQ(quads[1].block, 0);
  EXPECT_EQ(quads[2].block, 1);
  EXPECT_EQ(quads[0].corners[2].y, 1.0);
  EXPECT_EQ(quads[0].corners[3].x, 0.0);
  EXPECT_EQ(quads[1].corners[0].x, 2.0);
  EXPECT_EQ(quads[2].corners[3].z, 5.5);
}

// A block of `mode` with `corners` vertices, closed or not.
std::function<void()> Block(GLenum mode, int corners, bool closed = true) {
  return [=] {
    glBegin(mode);
    for (int i = 0; i < corners; ++i) glVertex3f(0, 0, static_cast<float>(i));
    if (closed) glEnd();
  };
}

TEST(RoomPlan, RefusesAStreamThatIsNotWholeQuadBlocks) {
  struct Case {
    const char* name;
    std::function<void()> calls;
    const char* reason;
  };
  const Case cases[] = {
      {"triangles", Block(GL_TRIANGLES, 3), "not GL_QUADS"},
      {"three corners", Block(GL_QUADS, 3), "ends inside a quad"},
      {"block left open", Block(GL_QUADS, 4, /*closed=*/false), "left open"},
      {"vertex outside a block", [] { glVertex3f(0, 0, 0); }, "outside"},
      {"end without a begin", [] { glEnd(); }, "glEnd outside"},
      {"begin inside a block",
       [] {
         glBegin(GL_QUADS);
         glBegin(GL_QUADS);
       },
       "glBegin inside"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<PlanQuad> quads;
    std::string error;
    EXPECT_FALSE(CollectQuads(Record(c.calls), &quads, &error));
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
  }
}

// The marks and particulars, with the numbers the tool reads off the room.
TEST(RoomPlan, ThePictureNamesTheRoomsPartsAndParticulars) {
  const std::string svg = Draw();
  const char* const phrases[] = {
      ">ceiling<",
      ">floor<",
      ">back wall<",
      ">left wall<",
      ">lower ledge<",
      ">upper ledge<",
      ">right panel<",
      ">light 1<",
      ">lights 0, 2, 3<",
      ">light 3 at (0.001, 0.001, 8)<",
      ">viewer<",
      ">open end<",
      "floor runs to x = 1.5, past the right wall at 1.2",
      "strips span z = \u221212 to 8",
      "top strip ends at y = 1.2000002",
      "right panel, x = 1.2<",
      "lower ledge, x = 1.1 to 1.2",
      "the viewer starts at (0, 0, 0), facing (0, 0, \u22121)",
  };
  for (const char* phrase : phrases) {
    EXPECT_NE(svg.find(phrase), std::string::npos) << phrase;
  }
}

}  // namespace
