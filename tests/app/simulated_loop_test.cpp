#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "app/intro_geometry.h"
#include "app/intro_loop.h"
#include "app/simulated_loop.h"
#include "native_draw_target.h"

namespace {
DrawTarget window(ClientWidth, ClientHeight);
DrawTarget* Window(void*) { return &window; }
int musicStarts = 0;
void CountMusicStart() { ++musicStarts; }

std::vector<uint32_t> Screen() {
    const Surface& screen = *introDriver.screen;
    return {screen.pixels, screen.pixels + static_cast<size_t>(screen.width) * screen.height};
}

// Past MaxCatchUpMs, where the loop alone would drop the steps it missed.
constexpr uint32_t Steps = 150;
constexpr uint32_t Later = StartupWaitMs + (Steps - 1) * StepPeriodMs;

TEST(SimulatedLoop, TheWaitPassesOnTheClockAndOneLongCallRunsEveryStep) {
    window.recordBlits = false;
    ASSERT_TRUE(BeginSimulatedIntro(Window, CountMusicStart, nullptr));
    EXPECT_EQ(musicStarts, 1);
    EXPECT_EQ(SimulatedTick(), StartupWaitMs);
    const std::vector<uint32_t> shown = Screen();
    for (uint32_t steps = 1; steps <= Steps; ++steps) RunSimulatedSteps(steps);
    EXPECT_EQ(SimulatedTick(), Later);
    const std::vector<uint32_t> stepByStep = Screen();
    EXPECT_NE(stepByStep, shown) << "nothing was typed";
    RunSimulatedLoopUntil(Later - 100);
    EXPECT_EQ(SimulatedTick(), Later) << "the clock went back";
    StopSimulatedIntro();
    EXPECT_TRUE(IntroEnded());

    ASSERT_TRUE(BeginSimulatedIntro(Window, nullptr, nullptr));
    EXPECT_EQ(SimulatedTick(), StartupWaitMs);
    RunSimulatedLoopUntil(Later);
    EXPECT_EQ(Screen(), stepByStep);
    StopSimulatedIntro();
}
}  // namespace
