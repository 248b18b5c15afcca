// The room's emitters, linked against a recorder instead of OpenGL: the
// exact call stream of each, the quad and block counts, and the
// single-precision loop rules that decide how many tiles there are.
#include "render/room_geometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "tools/gl_recorder.h"

namespace {

using recorder::Call;
using recorder::Kind;

std::vector<Call> Record(void (*emit)()) {
  recorder::Clear();
  emit();
  return recorder::Calls();
}

// The values a single-precision loop counter takes: it starts at the float
// `start`, each step adds `step` and rounds the sum to float, and the loop
// goes on while the counter (widened) is below `bound` (or at most `bound`).
// `step` and `bound` are given at the precision the room uses them in.
template <typename Step>
std::vector<float> CounterValues(float start, Step step, double bound, bool inclusive = false) {
  std::vector<float> values;
  for (float v = start; inclusive ? v <= bound : v < bound; v = static_cast<float>(v + step)) {
    values.push_back(v);
  }
  return values;
}

const std::vector<float> kZ2 = CounterValues(-10.0f, 2.0f, 10.0f);
const std::vector<float> kZ5 = CounterValues(-10.0f, 5.0f, 10.0f);
const std::vector<float> kXFloor = CounterValues(-1.0f, 0.5f, 1.2);
const std::vector<float> kYLeft = CounterValues(-1.2f, 0.1f, 1.2);
const std::vector<float> kYLow = CounterValues(-1.2f, 0.1f, -0.4);
const std::vector<float> kYHigh = CounterValues(0.8f, 0.1f, 1.2);
const std::vector<float> kYMid = CounterValues(-0.4f, 0.1f, 0.8);
const std::vector<float> kXLedge = CounterValues(1.1f, 0.05, 1.15, /*inclusive=*/true);

// The expected stream, built from the room's tables.
class Stream {
 public:
  void Begin() { calls_.push_back({Kind::kBegin, GL_QUADS, 0, 0, 0}); }
  void End() { calls_.push_back({Kind::kEnd, 0, 0, 0, 0}); }
  void Normal(float x, float y, float z) { calls_.push_back({Kind::kNormal, 0, x, y, z}); }
  void Corner(float s, float t, float x, float y, float z) {
    calls_.push_back({Kind::kTexCoord, 0, s, t, 0});
    calls_.push_back({Kind::kVertex, 0, x, y, z});
  }
  // A strip on the plane x = c, texture extent s.
  void VerticalBlock(float c, const std::vector<float>& ys, float nx, float s) {
    Begin();
    for (float z : kZ2) {
      Normal(nx, 0, 0);
      for (float y : ys) {
        const float top = y + 0.1f;
        Corner(s, 0, c, y, z + 2);
        Corner(s, s, c, top, z + 2);
        Corner(0, s, c, top, z);
        Corner(0, 0, c, y, z);
      }
    }
    End();
  }
  // A strip on the plane y = h spanning z to z + d.
  void HorizontalBlock(float h, float d) {
    Begin();
    for (float z : kZ2) {
      Normal(0, 1, 0);
      for (float x : kXLedge) {
        const float right = static_cast<float>(x + 0.05);
        Corner(1, 0, right, h, z + d);
        Corner(1, 1, right, h, z);
        Corner(0, 1, x, h, z);
        Corner(0, 0, x, h, z + d);
      }
    }
    End();
  }
  const std::vector<Call>& calls() const { return calls_; }

 private:
  std::vector<Call> calls_;
};

std::vector<Call> ExpectedCeiling() {
  Stream e;
  e.Begin();
  for (float z : kZ5) {
    e.Normal(0, -1, 0);
    e.Corner(1, 0, 1.2f, 1.2f, z + 5);
    e.Corner(1, 1, 1.2f, 1.2f, z);
    e.Corner(0, 1, -1, 1.2f, z);
    e.Corner(0, 0, -1, 1.2f, z + 5);
  }
  e.End();
  return e.calls();
}

std::vector<Call> ExpectedFloor() {
  Stream e;
  e.Begin();
  for (float z : kZ2) {
    e.Normal(0, 1, 0);
    for (float x : kXFloor) {
      e.Corner(1, 0, x + 0.5f, -1.2f, z + 2);
      e.Corner(1, 1, x + 0.5f, -1.2f, z);
      e.Corner(0, 1, x, -1.2f, z);
      e.Corner(0, 0, x, -1.2f, z + 2);
    }
  }
  e.End();
  return e.calls();
}

std::vector<Call> ExpectedBackWall() {
  Stream e;
  e.Begin();
  e.Normal(0, 0, 1);
  e.Corner(1, 1, 1.2f, 1.2f, -10);
  e.Corner(1, 0, 1.2f, -1.2f, -10);
  e.Corner(0, 0, -1, -1.2f, -10);
  e.Corner(0, 1, -1, 1.2f, -10);
  e.End();
  return e.calls();
}

std::vector<Call> ExpectedLeftWall() {
  Stream e;
  e.VerticalBlock(-1, kYLeft, 1, 1);
  return e.calls();
}

std::vector<Call> ExpectedLowerLedge() {
  Stream e;
  e.VerticalBlock(1.1f, kYLow, -1, 5);
  e.VerticalBlock(1.2f, kYLow, -1, 1);
  e.HorizontalBlock(-0.4f, 2);
  e.HorizontalBlock(-1.2f, 2);
  return e.calls();
}

std::vector<Call> ExpectedUpperLedge() {
  Stream e;
  e.VerticalBlock(1.1f, kYHigh, -1, 1);
  e.VerticalBlock(1.2f, kYHigh, -1, 1);
  e.HorizontalBlock(0.8f, -2);
  e.HorizontalBlock(1.2f, -2);
  return e.calls();
}

std::vector<Call> ExpectedRightPanel() {
  Stream e;
  e.VerticalBlock(1.2f, kYMid, 1, 1);
  return e.calls();
}

struct EmitterCase {
  const char* name;
  void (*emit)();
  std::vector<Call> (*expected)();
  int quads;
  int blocks;
};

const EmitterCase kEmitters[] = {
    {"EmitCeiling", EmitCeiling, ExpectedCeiling, 4, 1},
    {"EmitFloor", EmitFloor, ExpectedFloor, 50, 1},
    {"EmitBackWall", EmitBackWall, ExpectedBackWall, 1, 1},
    {"EmitLeftWall", EmitLeftWall, ExpectedLeftWall, 240, 1},
    {"EmitLowerLedge", EmitLowerLedge, ExpectedLowerLedge, 200, 4},
    {"EmitUpperLedge", EmitUpperLedge, ExpectedUpperLedge, 120, 4},
    {"EmitRightPanel", EmitRightPanel, ExpectedRightPanel, 120, 1},
};

int Count(const std::vector<Call>& calls, Kind kind) {
  return static_cast<int>(
      std::count_if(calls.begin(), calls.end(), [kind](const Call& c) { return c.kind == kind; }));
}

// The vertices of one block (between a glBegin and its glEnd), by block.
std::vector<std::vector<Call>> VerticesByBlock(const std::vector<Call>& calls) {
  std::vector<std::vector<Call>> blocks;
  for (const Call& c : calls) {
    if (c.kind == Kind::kBegin) blocks.emplace_back();
    if (c.kind == Kind::kVertex) blocks.back().push_back(c);
  }
  return blocks;
}

TEST(RoomGeometry, EachEmitterSendsItsTableExactly) {
  for (const EmitterCase& c : kEmitters) {
    SCOPED_TRACE(c.name);
    const std::vector<Call> actual = Record(c.emit);
    const std::vector<Call> expected = c.expected();
    const std::size_t common = std::min(actual.size(), expected.size());
    const std::size_t mismatch =
        std::mismatch(actual.begin(), actual.begin() + static_cast<std::ptrdiff_t>(common),
                      expected.begin())
            .first -
        actual.begin();
    ASSERT_EQ(mismatch, common) << "first difference at call " << mismatch << ": got "
                                << actual[mismatch] << ", expected " << expected[mismatch];
    EXPECT_EQ(actual.size(), expected.size());
  }
}

TEST(RoomGeometry, QuadsAndBlocksPerEmitter) {
  int total = 0;
  for (const EmitterCase& c : kEmitters) {
    SCOPED_TRACE(c.name);
    const std::vector<Call> calls = Record(c.emit);
    EXPECT_EQ(Count(calls, Kind::kVertex), 4 * c.quads);
    EXPECT_EQ(Count(calls, Kind::kTexCoord), 4 * c.quads);
    EXPECT_EQ(Count(calls, Kind::kBegin), c.blocks);
    EXPECT_EQ(Count(calls, Kind::kEnd), c.blocks);
    // Blocks open and close in turn, all of quads, nothing outside them.
    bool open = false;
    for (const Call& call : calls) {
      if (call.kind == Kind::kBegin) {
        EXPECT_FALSE(open);
        EXPECT_EQ(call.mode, static_cast<GLenum>(GL_QUADS));
        open = true;
      } else if (call.kind == Kind::kEnd) {
        EXPECT_TRUE(open);
        open = false;
      } else {
        EXPECT_TRUE(open) << call << " outside glBegin/glEnd";
      }
    }
    total += c.quads;
  }
  EXPECT_EQ(total, 735);
}

// Hand-worked values of the single-precision counters, so the expected
// streams above do not rest on the test's own loop alone.
TEST(RoomGeometry, SinglePrecisionCountersFixTheTileCounts) {
  EXPECT_EQ(kZ2.size(), 10u);
  EXPECT_EQ(kZ5.size(), 4u);
  EXPECT_EQ(kYLeft.size(), 24u);
  EXPECT_EQ(kYLow.size(), 8u);
  EXPECT_EQ(kYMid.size(), 12u);
  // The counter reaches the float 1.2 (1.2000000477), above the double 1.2.
  EXPECT_EQ(kYHigh, (std::vector<float>{0.8f, 0x1.cccccep-1f, 1.0f, 1.1f}));
  // The third value, about 1.2, is past 1.15.
  EXPECT_EQ(kXLedge, (std::vector<float>{1.1f, 0x1.266666p+0f}));
  EXPECT_EQ(kXFloor, (std::vector<float>{-1.0f, -0.5f, 0.0f, 0.5f, 1.0f}));

  // The left wall's last strip runs from about 1.1000001 to 1.2000002, just
  // above the ceiling plane.
  const std::vector<std::vector<Call>> left = VerticesByBlock(Record(EmitLeftWall));
  const Call& lastTop = left[0][left[0].size() - 3];
  const Call& lastBottom = left[0].back();
  EXPECT_FLOAT_EQ(lastBottom.y, 1.1000001f);
  EXPECT_EQ(lastBottom.y, 0x1.19999cp+0f);
  EXPECT_EQ(lastTop.y, 0x1.333336p+0f);  // 1.20000017
  EXPECT_GT(lastTop.y, 1.2f);

  // The floor's last column spans 1.0 to 1.5.
  const std::vector<Call> floor = VerticesByBlock(Record(EmitFloor))[0];
  EXPECT_EQ(floor[floor.size() - 2].x, 1.0f);
  EXPECT_EQ(floor[floor.size() - 4].x, 1.5f);

  // Each ledge's horizontal faces are two strips wide per z step.
  const std::vector<std::vector<Call>> lower = VerticesByBlock(Record(EmitLowerLedge));
  EXPECT_EQ(lower[2].size(), 10u * 2u * 4u);
  EXPECT_EQ(lower[3].size(), 10u * 2u * 4u);
}

struct Box {
  float min[3];
  float max[3];
};

Box BoundsOf(const std::vector<Call>& vertices) {
  Box box{{1e9f, 1e9f, 1e9f}, {-1e9f, -1e9f, -1e9f}};
  for (const Call& v : vertices) {
    const float p[3] = {v.x, v.y, v.z};
    for (int i = 0; i < 3; ++i) {
      box.min[i] = std::min(box.min[i], p[i]);
      box.max[i] = std::max(box.max[i], p[i]);
    }
  }
  return box;
}

// Where each block lies in the room, with the normal it carries: the shape
// of the room without the tile-by-tile detail.
TEST(RoomGeometry, BlocksLieWhereTheRoomPutsThem) {
  struct BlockCase {
    const char* name;
    void (*emit)();
    int block;
    Box box;
    float normal[3];
  };
  const float top = 0x1.333336p+0f;  // the left wall's last strip overshoots 1.2
  const BlockCase cases[] = {
      {"ceiling", EmitCeiling, 0, {{-1, 1.2f, -10}, {1.2f, 1.2f, 10}}, {0, -1, 0}},
      {"floor", EmitFloor, 0, {{-1, -1.2f, -10}, {1.5f, -1.2f, 10}}, {0, 1, 0}},
      {"back wall", EmitBackWall, 0, {{-1, -1.2f, -10}, {1.2f, 1.2f, -10}}, {0, 0, 1}},
      {"left wall", EmitLeftWall, 0, {{-1, -1.2f, -10}, {-1, top, 10}}, {1, 0, 0}},
      {"lower ledge front", EmitLowerLedge, 0, {{1.1f, -1.2f, -10}, {1.1f, -0.4f, 10}}, {-1, 0, 0}},
      {"lower ledge back", EmitLowerLedge, 1, {{1.2f, -1.2f, -10}, {1.2f, -0.4f, 10}}, {-1, 0, 0}},
      {"lower ledge top", EmitLowerLedge, 2, {{1.1f, -0.4f, -10}, {1.2f, -0.4f, 10}}, {0, 1, 0}},
      {"lower ledge bottom", EmitLowerLedge, 3, {{1.1f, -1.2f, -10}, {1.2f, -1.2f, 10}}, {0, 1, 0}},
      {"upper ledge front", EmitUpperLedge, 0, {{1.1f, 0.8f, -10}, {1.1f, 1.2f, 10}}, {-1, 0, 0}},
      {"upper ledge back", EmitUpperLedge, 1, {{1.2f, 0.8f, -10}, {1.2f, 1.2f, 10}}, {-1, 0, 0}},
      {"upper ledge bottom", EmitUpperLedge, 2, {{1.1f, 0.8f, -12}, {1.2f, 0.8f, 8}}, {0, 1, 0}},
      {"upper ledge top", EmitUpperLedge, 3, {{1.1f, 1.2f, -12}, {1.2f, 1.2f, 8}}, {0, 1, 0}},
      {"right panel", EmitRightPanel, 0, {{1.2f, -0.4f, -10}, {1.2f, 0.8f, 10}}, {1, 0, 0}},
  };
  for (const BlockCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<Call> calls = Record(c.emit);
    const Box box = BoundsOf(VerticesByBlock(calls)[c.block]);
    for (int i = 0; i < 3; ++i) {
      // Within a rounding step: strip tops land a few ulps off the planes.
      EXPECT_NEAR(box.min[i], c.box.min[i], 1e-6) << "axis " << i;
      EXPECT_NEAR(box.max[i], c.box.max[i], 1e-6) << "axis " << i;
    }
    int seen = -1;
    for (const Call& call : calls) {
      if (call.kind == Kind::kBegin) ++seen;
      if (call.kind == Kind::kNormal && seen == c.block) {
        EXPECT_EQ(call.x, c.normal[0]);
        EXPECT_EQ(call.y, c.normal[1]);
        EXPECT_EQ(call.z, c.normal[2]);
      }
    }
  }
}

}  // namespace
