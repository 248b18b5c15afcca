// A fixture for renderer tests on real OpenGL: a 640 by 480 Mesa context from
// the scripted layer, made current with the application and probe state at
// their starting values.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "render/app_state.h"
#include "render/extension_probe.h"
#include "support/scripted_platform.h"

class GlContextTest : public ::testing::Test {
 protected:
  static constexpr int kWidth = 640;
  static constexpr int kHeight = 480;

  void SetUp() override {
    ResetEverything();
    ASSERT_TRUE(scripted::OpenTestContext(kWidth, kHeight));
  }
  void TearDown() override {
    scripted::CloseTestContext();
    ResetEverything();
  }

 private:
  static void ResetEverything() {
    scripted::Reset();
    ResetAppState();
    ResetProbeState();
  }
};

// A stand-in for gWindow: the probe only passes it on as the owner of its
// message box.
inline HWND FakeWindow() {
  return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x5eed));
}
