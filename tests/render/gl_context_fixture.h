// A fixture for renderer tests on real OpenGL: a 640 by 480 Mesa context from
// the scripted layer, made current with the whole program's state at its
// starting values.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "render/extension_probe.h"
#include "render/texture_sets.h"
#include "render/view_state.h"
#include "support/program_reset.h"
#include "support/scripted_platform.h"

class GlContextTest : public ::testing::Test {
 protected:
  static constexpr int kWidth = 640;
  static constexpr int kHeight = 480;

  void SetUp() override {
    ResetProgram();
    ASSERT_TRUE(scripted::OpenTestContext(kWidth, kHeight));
  }
  void TearDown() override {
    scripted::CloseTestContext();
    ResetProgram();
  }
};

// A stand-in for gWindow: the probe only passes it on as the owner of its
// message box.
inline HWND FakeWindow() {
  return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x5eed));
}
