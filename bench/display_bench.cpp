// Display throughput: the doubled cell copy and whole frame steps (figures
// only, nothing asserted).
#include <benchmark/benchmark.h>

#include "app/intro_content.h"
#include "app/intro_driver.h"
#include "app/intro_loop.h"
#include "data/builtin_pack.h"
#include "display/surface.h"
#include "native_draw_target.h"

static void CopyCellDoubled(benchmark::State& state) {
    Surface canvas(264, 192), screen(528, 384);
    canvas.FillAll(19, 0, 71);
    for (auto _ : state) {
        canvas.CopyCellDoubled(&screen, 5, 7);
        benchmark::DoNotOptimize(screen.pixels);
    }
}
BENCHMARK(CopyCellDoubled);

namespace {
uint32_t benchTick = 0;
DrawTarget* benchWindow = nullptr;
}  // namespace

// Frame steps on a simulated clock: "full" presents all 792 cells each step
// (the first frame after start-up), "typing" one character per step.
static void FrameStep(benchmark::State& state) {
    const bool full = state.range(0) != 0;
    DrawTarget window(528, 365);
    window.recordBlits = false;
    benchWindow = &window;
    ResetIntro();
    introDriver.platform = {[] { return benchTick; }, [](uint32_t) {},
                            [](void*) { return benchWindow; }, [](void*, DrawTarget*) {},
                            nullptr, nullptr};
    UseContentPack(BuiltInPack, BuiltInPackSize, FontInPack, nullptr, 0);
    introDriver.instance = IntroContentResources();
    StartIntro();
    FinishFirstShow();
    for (auto _ : state) {
        if (full) introDriver.cellGrid->Fill(CellDirty);
        benchTick += 21;
        StepIntro();
    }
    ShutdownIntro();
    state.SetLabel(full ? "all 792 cells" : "typing");
}
BENCHMARK(FrameStep)->Arg(1)->Arg(0);
