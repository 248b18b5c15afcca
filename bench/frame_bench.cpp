// The cost of one frame of the room (DrawFrame, then glFinish) on Mesa's
// llvmpipe at 640 by 480, against the cheapest frame that still fills the
// screen: a clear and one full-screen textured quad, in the same context and
// the same run. Prints the ratio of the two; the room should cost at most 1.6
// times the single quad.
//
//   frame_bench --benchmark_repetitions=10 --benchmark_enable_random_interleaving=true
//
// llvmpipe rasterizes on worker threads, so the times are real times and
// follow the load of the machine; LP_NUM_THREADS=0 moves all of the work onto
// the calling thread, where the CPU time column then measures it steadily.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "render/frame.h"
#include "render/render_state.h"
#include "render/texture_sets.h"
#include "render/view_state.h"
#include "support/scripted_platform.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

// The state a new context gets from the program: the probe (its notice is
// answered at once by the scripted layer), the seven pictures under Pic/ and
// the render state.
bool PrepareContext() {
  if (chdir(HALDEN_SOURCE_DIR) != 0) {
    std::perror("frame_bench: " HALDEN_SOURCE_DIR);
    return false;
  }
  if (!scripted::OpenTestContext(kWidth, kHeight)) return false;
  ResizeViewport(kWidth, kHeight);
  return SetupRenderState();
}

void BM_RoomFrame(benchmark::State& state) {
  gLightsOn = state.range(0) != 0;
  gCameraYaw = 0.0f;
  gCameraZ = 0.0f;
  for (auto _ : state) {
    DrawFrame();
    glFinish();
  }
  gLightsOn = false;
}
BENCHMARK(BM_RoomFrame)
    ->ArgName("lights")
    ->Arg(0)
    ->Arg(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// One quad at z = -1 reaches past every edge of the 45-degree view.
void BM_OneQuadFrame(benchmark::State& state) {
  glDisable(GL_LIGHTING);
  glLoadIdentity();
  for (auto _ : state) {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, gFloorSet.names[gFilterIndex]);
    glBegin(GL_QUADS);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(1.0f, -1.0f, -1.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(1.0f, 1.0f, -1.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-1.0f, 1.0f, -1.0f);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-1.0f, -1.0f, -1.0f);
    glEnd();
    glDisable(GL_TEXTURE_2D);
    glFinish();
  }
}
BENCHMARK(BM_OneQuadFrame)->UseRealTime()->Unit(benchmark::kMillisecond);

// Keeps the real time per frame of every run (the mean, when repeated) so
// that the ratio can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && run.repetitions > 1) continue;
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "mean") continue;
      std::string name = run.run_name.function_name;
      if (!run.run_name.args.empty()) name += "/" + run.run_name.args;
      seconds_[name] = run.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void PrintRatios() const {
    const auto quad = seconds_.find("BM_OneQuadFrame");
    if (quad == seconds_.end()) return;
    for (const char* room : {"BM_RoomFrame/lights:0", "BM_RoomFrame/lights:1"}) {
      const auto found = seconds_.find(room);
      if (found == seconds_.end()) continue;
      std::printf("%s / BM_OneQuadFrame = %.2f (target <= 1.6)\n", room,
                  found->second / quad->second);
    }
  }

 private:
  std::map<std::string, double> seconds_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!PrepareContext()) {
    std::fprintf(stderr,
                 "frame_bench: no OpenGL context (Mesa EGL surfaceless), or the pictures "
                 "under Pic/ did not load\n");
    return 1;
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  scripted::CloseTestContext();
  benchmark::Shutdown();
  return 0;
}
