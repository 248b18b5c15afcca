// Shared pieces of the application shell's tests: a fixture that puts the
// whole program back to its starting state, message boxes in a comparable
// form, call-log queries, and a way to run the program with a script of
// frame steps.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "app/render_window.h"
#include "app/shell_state.h"
#include "render/extension_probe.h"
#include "render/texture_sets.h"
#include "support/program_reset.h"
#include "support/scripted_platform.h"

namespace shell_test {

// The informational box of the multitexture probe, shown at each open when
// the driver offers both extensions.
inline const char kProbeCaption[] = "feature supported!";

struct Box {
  std::string text;
  std::string caption;
  UINT type;
  bool owned;  // shown with an owner window

  bool operator==(const Box& other) const {
    return text == other.text && caption == other.caption && type == other.type &&
           owned == other.owned;
  }
};

inline void PrintTo(const Box& box, std::ostream* out) {
  *out << "{\"" << box.text << "\", \"" << box.caption << "\", 0x" << std::hex << box.type
       << std::dec << (box.owned ? ", owned" : "") << "}";
}

// An unowned box, as every box of the shell is.
inline Box Unowned(const std::string& text, const std::string& caption, UINT type) {
  return Box{text, caption, type, false};
}

inline Box ToBox(const scripted::MessageBoxRecord& record) {
  return Box{record.text, record.caption, record.type, record.owner != nullptr};
}

// Every box shown so far, except the probe's notice, which depends on the
// driver and has its own tests.
inline std::vector<Box> ShellBoxes() {
  std::vector<Box> boxes;
  for (const auto& record : scripted::MessageBoxes()) {
    if (record.caption != kProbeCaption) boxes.push_back(ToBox(record));
  }
  return boxes;
}

inline int CountBoxes(const std::string& caption) {
  const auto& boxes = scripted::MessageBoxes();
  return static_cast<int>(std::count_if(
      boxes.begin(), boxes.end(), [&](const auto& record) { return record.caption == caption; }));
}

inline int CountCalls(const std::string& name, std::size_t from = 0) {
  const auto& log = scripted::CallLog();
  return static_cast<int>(
      std::count(log.begin() + static_cast<std::ptrdiff_t>(from), log.end(), name));
}

// The log from `from` on, without the calls the frame loop makes on every
// pass, so what is left reads as the open and close sequences.
inline std::vector<std::string> CallsSince(std::size_t from) {
  std::vector<std::string> calls;
  const auto& log = scripted::CallLog();
  for (std::size_t i = from; i < log.size(); ++i) {
    const std::string& name = log[i];
    if (name == "PeekMessageA" || name == "TranslateMessage" || name == "DispatchMessageA" ||
        name == "wglGetProcAddress") {
      continue;
    }
    calls.push_back(name);
  }
  return calls;
}

// Puts the platform and the whole program back to a fresh process's state.
class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetProgram(); }
  void TearDown() override { ResetProgram(); }
};

// A run that never sends Esc is stopped here rather than hanging the suite.
constexpr int kSwapLimit = 2000;

// A loop that stops presenting never reaches the swap limit, and the call
// log grows with every pass; such a run ends the whole test program.
constexpr std::chrono::seconds kRunLimit{30};

class Watchdog {
 public:
  Watchdog()
      : thread_([this] {
          std::unique_lock<std::mutex> lock(mutex_);
          if (!done_.wait_for(lock, kRunLimit, [this] { return finished_; })) {
            std::fprintf(stderr, "the program under test is still running after %lld s\n",
                         static_cast<long long>(kRunLimit.count()));
            std::_Exit(1);
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      finished_ = true;
    }
    done_.notify_one();
    thread_.join();
  }

 private:
  std::mutex mutex_;
  std::condition_variable done_;
  bool finished_ = false;
  std::thread thread_;
};

// Runs the program. `script` is called at every present with the index of
// the frame step, before that step's controls are applied; what it posts is
// taken from the queue before the next frame step.
inline int RunProgram(std::function<void(int step)> script) {
  scripted::SetSwapHook([script](int step) {
    script(step);
    if (step == kSwapLimit) scripted::PostKeyDown(VK_ESCAPE);
  });
  char commandLine[] = "";
  int status;
  {
    Watchdog watchdog;
    status = WinMain(nullptr, nullptr, commandLine, 1);
  }
  EXPECT_LT(scripted::SwapCount(), kSwapLimit) << "the script never ended the program";
  scripted::SetSwapHook(nullptr);
  return status;
}

}  // namespace shell_test
