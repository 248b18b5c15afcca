// How long the viewer takes to show its first frame, and to close and open
// again on F1, on the scripted platform layer with Mesa's llvmpipe behind
// wglCreateContext. Both include loading and uploading the seven pictures
// under Pic/. Reports medians over many runs, and the peak resident memory of
// the whole process.
//
//   startup_bench --benchmark_repetitions=30
//
// The message boxes (the start-up question, the multitexture notice) are
// answered at once by the scripted layer, so no user time is counted.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "app/render_window.h"
#include "app/shell_state.h"
#include "support/program_reset.h"
#include "support/scripted_platform.h"

namespace {

using Clock = std::chrono::steady_clock;

const char kReopenedTitle[] = "Tarn's Textures, Lighting & Keyboard Tutorial";

// Peak resident set of the process so far, in MiB (Linux reports KiB).
double PeakResidentMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// From the call of WinMain to the first SwapBuffers: the question, the open
// (window, context, probe, seven pictures, render state) and one frame. The
// close after Esc is not counted.
void BM_StartupToFirstFrame(benchmark::State& state) {
  bool failed = false;
  for (auto _ : state) {
    ResetProgram();
    scripted::QueueMessageBoxAnswer(IDNO);  // windowed
    Clock::time_point firstFrame{};
    scripted::SetSwapHook([&](int step) {
      if (step == 0) {
        glFinish();
        firstFrame = Clock::now();
        scripted::PostKeyDown(VK_ESCAPE);
      }
    });
    char commandLine[] = "";
    const Clock::time_point start = Clock::now();
    const int status = WinMain(nullptr, nullptr, commandLine, 1);
    if (status != 0 || firstFrame == Clock::time_point{}) {
      failed = true;
      break;
    }
    state.SetIterationTime(std::chrono::duration<double>(firstFrame - start).count());
  }
  ResetProgram();
  if (failed) state.SkipWithError("the program did not reach its first frame (is Pic/ there?)");
  state.counters["peak_rss_MiB"] = PeakResidentMiB();
}
BENCHMARK(BM_StartupToFirstFrame)
    ->UseManualTime()
    ->Iterations(4)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

// One F1: CloseRenderWindow, the mode flips, OpenRenderWindow builds the
// window, context, probe, textures and render state again. Alternates
// between windowed and fullscreen as F1 does.
void BM_F1Cycle(benchmark::State& state) {
  ResetProgram();
  scripted::SetFullscreenModeAvailable(true);
  if (!OpenRenderWindow("Halden", 640, 480, 16, false)) {
    state.SkipWithError("the first open failed (is Pic/ there?)");
    return;
  }
  for (auto _ : state) {
    CloseRenderWindow();
    gFullscreen = !gFullscreen;
    if (!OpenRenderWindow(kReopenedTitle, 640, 480, 16, gFullscreen)) {
      state.SkipWithError("a reopen failed");
      break;
    }
    glFinish();
  }
  CloseRenderWindow();
  ResetProgram();
  state.counters["peak_rss_MiB"] = PeakResidentMiB();
}
BENCHMARK(BM_F1Cycle)
    ->Iterations(4)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // The program reads its pictures from Pic/ under the working folder.
  if (chdir(HALDEN_SOURCE_DIR) != 0) {
    std::perror("startup_bench: " HALDEN_SOURCE_DIR);
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  std::printf("peak resident memory of the whole run: %.1f MiB\n", PeakResidentMiB());
  benchmark::Shutdown();
  return 0;
}
