#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "app/intro_content.h"
#include "app/intro_driver.h"
#include "app/intro_loop.h"
#include "data/intro_data.h"
#include "display/memory_backing.h"
#include "native_draw_target.h"

namespace {
constexpr uint32_t Background = 0x00130047;

struct FakePlatform {
    uint32_t tick = 0;
    int getDCs = 0;
    int releaseDCs = 0;
    std::vector<std::string> calls;
    std::vector<const uint32_t*> released;
    DrawTarget window{528, 384};
    bool (*onGetDC)() = nullptr;  // runs inside getDC
    bool onGetDCResult = true;
};
FakePlatform* fake = nullptr;

class IntroDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake = &platform;
        ResetIntro();
        introDriver.platform = {
            [] { return fake->tick; },
            [](uint32_t ms) { fake->calls.push_back("sleep " + std::to_string(ms)); },
            [](void* window) -> DrawTarget* {
                ++fake->getDCs;
                fake->calls.push_back(window == &fake->window ? "getDC" : "getDC(wrong window)");
                if (fake->onGetDC != nullptr) fake->onGetDCResult = fake->onGetDC() && fake->onGetDCResult;
                return &fake->window;
            },
            [](void*, DrawTarget* dc) {
                ++fake->releaseDCs;
                fake->calls.push_back(dc == &fake->window ? "releaseDC" : "releaseDC(wrong dc)");
            },
            [] {
                const bool ready = introDriver.typewriter && introDriver.cellGrid && introDriver.font &&
                                   introDriver.screen && introDriver.canvas;
                fake->calls.push_back(ready ? "musicStart" : "musicStart(no display)");
            },
            [] {
                const bool alive = introDriver.typewriter && introDriver.cellGrid && introDriver.font &&
                                   introDriver.screen && introDriver.canvas;
                fake->calls.push_back(alive ? "musicStop" : "musicStop(too late)");
            },
        };
        introDriver.window = &platform.window;
        introDriver.instance = IntroContentResources();
        MemoryBackingReleased = [](const uint32_t* pixels) { fake->released.push_back(pixels); };
    }
    void TearDown() override {
        ShutdownIntro();
        MemoryBackingReleased = nullptr;
        fake = nullptr;
    }
    void StartAndShow() {
        StartIntro();
        FinishFirstShow();
        platform.calls.clear();
    }
    // Steps at 21 ms intervals; returns the blits of the last step.
    size_t StepAt(uint32_t tick) {
        platform.tick = tick;
        const size_t before = platform.window.blits.size();
        StepIntro();
        return platform.window.blits.size() - before;
    }
    int DirtyCells() {
        int count = 0;
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 33; ++x) count += introDriver.cellGrid->Get(x, y) == CellDirty;
        return count;
    }

    FakePlatform platform;
};
}  // namespace

TEST_F(IntroDriverTest, StartUpBuildsDisplayThenStartsMusicThenWaits) {
    StartIntro();
    ASSERT_NE(introDriver.canvas, nullptr);
    EXPECT_EQ(introDriver.canvas->width, 264);
    EXPECT_EQ(introDriver.canvas->height, 192);
    EXPECT_EQ(introDriver.screen->width, 528);
    EXPECT_EQ(introDriver.screen->height, 384);
    EXPECT_EQ(introDriver.font->width, 256);
    EXPECT_EQ(introDriver.font->height, 16);
    EXPECT_EQ(introDriver.cellGrid->width, 33);
    EXPECT_EQ(introDriver.cellGrid->height, 24);
    EXPECT_EQ(introDriver.typewriter->target, introDriver.canvas);
    EXPECT_EQ(introDriver.typewriter->font, introDriver.font);
    EXPECT_EQ(introDriver.typewriter->grid, introDriver.cellGrid);
    EXPECT_EQ(platform.calls, (std::vector<std::string>{"musicStart", "sleep 600"}));
    EXPECT_EQ(DirtyCells(), 0);

    FinishFirstShow();
    EXPECT_EQ(DirtyCells(), 792);
    EXPECT_EQ(*introDriver.canvas->PixelAt(0, 0), Background);
    EXPECT_EQ(*introDriver.canvas->PixelAt(263, 191), Background);
}

TEST_F(IntroDriverTest, GateActsOnlyAfterMoreThan20Ms) {
    StartAndShow();
    EXPECT_EQ(StepAt(1000), 792u);  // lastStepTick starts 0: the first call acts
    EXPECT_EQ(StepAt(1020), 0u);
    EXPECT_EQ(platform.getDCs, 1);
    EXPECT_EQ(introDriver.typewriter->pagePos, 0);  // the typewriter did not step either
    EXPECT_EQ(StepAt(1021), 1u);
    EXPECT_EQ(introDriver.typewriter->pagePos, 1);
    EXPECT_EQ(platform.getDCs, 2);
    // A long pause gives one step, not a catch-up: one more character.
    EXPECT_EQ(StepAt(60000), 1u);
    EXPECT_EQ(introDriver.typewriter->pagePos, 2);
}

TEST_F(IntroDriverTest, GateWorksAcrossTickWrap) {
    StartAndShow();
    EXPECT_EQ(StepAt(0xFFFFFFF0u), 792u);
    EXPECT_EQ(StepAt(4), 0u);  // 20 ms later, past the wrap
    EXPECT_EQ(platform.getDCs, 1);
    EXPECT_EQ(StepAt(5), 1u);  // 21 ms later
    EXPECT_EQ(introDriver.lastStepTick, 5u);
}

TEST_F(IntroDriverTest, FirstStepConvertsAllCellsBeforeBlittingWithOneDC) {
    StartAndShow();
    platform.onGetDC = [] {
        // Every cell must be converted already and nothing blitted yet.
        Surface* screen = introDriver.screen;
        return fake->window.blits.empty() && *screen->PixelAt(0, 0) == Background &&
               *screen->PixelAt(0, 1) == 0x00090023u && *screen->PixelAt(527, 382) == Background &&
               *screen->PixelAt(527, 383) == 0x00090023u;
    };
    EXPECT_EQ(StepAt(100), 792u);
    EXPECT_TRUE(platform.onGetDCResult);
    EXPECT_EQ(platform.calls, (std::vector<std::string>{"getDC", "releaseDC"}));
    EXPECT_EQ(DirtyCells(), 0);
    // Row by row, left to right, each a 16x16 block to the same place.
    const BlitRecord& first = platform.window.blits.front();
    const BlitRecord& second = platform.window.blits[1];
    const BlitRecord& last = platform.window.blits.back();
    EXPECT_EQ(first.x, 0);
    EXPECT_EQ(second.x, 16);
    EXPECT_EQ(second.y, 0);
    EXPECT_EQ(last.x, 512);
    EXPECT_EQ(last.y, 368);
    EXPECT_EQ(last.sourceX, 512);
    EXPECT_EQ(last.width, 16);
    EXPECT_EQ(platform.window.pixels, std::vector<uint32_t>(introDriver.screen->pixels,
                                                            introDriver.screen->pixels + 528 * 384));
}

TEST_F(IntroDriverTest, PageStartStepPresentsWholeTextArea) {
    StartAndShow();
    uint32_t tick = 100;
    StepAt(tick);
    int guard = 0;
    while (introDriver.typewriter->wait != 1 && ++guard < 2000) StepAt(tick += 21);
    ASSERT_EQ(introDriver.typewriter->wait, 1);
    const size_t before = platform.window.blits.size();
    EXPECT_EQ(StepAt(tick += 21), 32u * 22u);
    for (size_t i = before; i < platform.window.blits.size(); ++i) {
        const BlitRecord& b = platform.window.blits[i];
        ASSERT_GE(b.x, 16);
        ASSERT_GE(b.y, 32);
    }
    EXPECT_EQ(DirtyCells(), 0);
}

TEST_F(IntroDriverTest, TeardownStopsMusicFirstThenReleasesScreenCanvasFont) {
    StartAndShow();
    StepAt(100);
    const uint32_t* screen = introDriver.screen->pixels;
    const uint32_t* canvas = introDriver.canvas->pixels;
    const uint32_t* font = introDriver.font->pixels;
    platform.calls.clear();
    ShutdownIntro();
    EXPECT_EQ(platform.calls, (std::vector<std::string>{"musicStop"}));
    EXPECT_EQ(platform.released, (std::vector<const uint32_t*>{screen, canvas, font}));
    EXPECT_EQ(introDriver.typewriter, nullptr);
    EXPECT_EQ(introDriver.cellGrid, nullptr);
}

TEST_F(IntroDriverTest, WithoutFontTheIntroRunsWithoutDisplay) {
    static const BitmapResource noResources[] = {{0, nullptr, 0}};
    introDriver.instance = const_cast<BitmapResource*>(noResources);
    StartIntro();
    FinishFirstShow();
    EXPECT_EQ(introDriver.typewriter, nullptr);
    EXPECT_EQ(introDriver.canvas, nullptr);
    EXPECT_EQ(platform.calls, (std::vector<std::string>{"musicStart(no display)", "sleep 600"}));
    EXPECT_EQ(StepAt(100), 0u);
    EXPECT_EQ(platform.getDCs, 0);
    EXPECT_EQ(platform.released.size(), 2u);  // canvas and screen, made before the font failed
}

// What a viewer sees once page 0 is typed: the window holds the screen
// exactly; even rows use only the font's four colours (all four, so glyphs
// have body, shading and outline), odd rows are the half-bright copy of the
// row above; and the first character is the font's glyph for it.
TEST_F(IntroDriverTest, FinishedPageIsTheDoubledCanvasInTheFontColours) {
    StartAndShow();
    uint32_t tick = 100;
    const int steps = 1 + static_cast<int>(std::string(IntroContent().pages[0]).find('|')) + 1;
    for (int i = 0; i < steps; ++i, tick += 21) StepAt(tick);

    const std::vector<uint32_t> screen(introDriver.screen->pixels,
                                       introDriver.screen->pixels + 528 * 384);
    ASSERT_EQ(platform.window.pixels, screen);
    const uint32_t fontColours[] = {Background, 0x00F7F7F7, 0x007F7F7F, 0x00000000};
    bool seen[4] = {};
    for (int y = 0; y < 384; y += 2) {
        for (int x = 0; x < 528; ++x) {
            const uint32_t even = platform.window.Pixel(x, y);
            const uint32_t* colour = std::find(std::begin(fontColours), std::end(fontColours), even);
            ASSERT_NE(colour, std::end(fontColours)) << "pixel " << x << "," << y;
            seen[colour - fontColours] = true;
            ASSERT_EQ(platform.window.Pixel(x, y + 1), (even & 0xFEFEFEFEu) >> 1);
        }
    }
    EXPECT_TRUE(seen[0] && seen[1] && seen[2] && seen[3]);

    const char first = IntroContent().pages[0][0];
    const int glyph = static_cast<int>(std::string(IntroCharset).find(first));
    ASSERT_GT(glyph, 0);
    for (int row = 0; row < 8; ++row)
        for (int col = 0; col < 8; ++col)
            EXPECT_EQ(*introDriver.canvas->PixelAt(8 + col, 16 + row),
                      *introDriver.font->PixelAt(glyph % 32 * 8 + col, glyph / 32 * 8 + row));
}

// A caller that comes late and at a coarse rate sees exactly the picture of a
// loop that polls every millisecond; a freeze is not caught up afterwards.
TEST_F(IntroDriverTest, LoopCatchesUpToThePollingTimelineButNotAcrossAFreeze) {
    const IntroPlatform hooks = introDriver.platform;
    platform.tick = 1000;
    SetIntroActive(true, 1000);
    ASSERT_TRUE(BeginIntro());
    // The polling loop runs once the start-up has waited its 600 ms.
    for (uint32_t t = 1600; t <= 3000; ++t) StepAt(t);
    const std::vector<uint32_t> polled(introDriver.screen->pixels, introDriver.screen->pixels + 528 * 384);
    const uint32_t polledLastStep = introDriver.lastStepTick;
    const int polledSteps = platform.getDCs;
    ShutdownIntro();

    ResetIntro();
    introDriver.platform = hooks;
    introDriver.window = &platform.window;
    introDriver.instance = IntroContentResources();
    platform.getDCs = 0;
    platform.tick = 1000;
    SetIntroActive(true, 1000);
    ASSERT_TRUE(BeginIntro());
    EXPECT_EQ(MillisecondsUntilNextStep(1000), 600u) << "the start-up's wait";
    for (uint32_t t = 1017; t < 2500; t += 47) AdvanceIntro(t);  // an animation frame
    AdvanceIntro(3000);                                           // after a 500 ms stall
    EXPECT_EQ(platform.getDCs, polledSteps);
    EXPECT_EQ(introDriver.lastStepTick, polledLastStep);
    EXPECT_TRUE(std::equal(polled.begin(), polled.end(), introDriver.screen->pixels));

    SetIntroActive(false, 3000);
    AdvanceIntro(5000);
    EXPECT_EQ(MillisecondsUntilNextStep(5000), NoStepPending);
    SetIntroActive(true, 5000);
    AdvanceIntro(5000 + 3 * 21);
    EXPECT_EQ(platform.getDCs, polledSteps + 4) << "one step at once, then one every 21 ms";
    EXPECT_EQ(MillisecondsUntilNextStep(5070), 14u);
    EndIntro();
    EndIntro();
    EXPECT_EQ(MillisecondsUntilNextStep(5100), NoStepPending);
}

// The front ends ask the loop for the phases and never set the driver's flags:
// the first show starts up once however often the window is shown, activity
// gates the steps, and the reset returns driver and loop to the process start.
TEST_F(IntroDriverTest, LoopOwnsThePhasesAndItsResetReturnsBothToProcessStart) {
    const IntroPlatform hooks = introDriver.platform;
    EXPECT_FALSE(IntroStarted() || IntroActive() || IntroEnded());
    platform.tick = 1000;
    SetIntroActive(true, 1000);  // a window active before its first show
    EXPECT_TRUE(IntroActive());
    EXPECT_EQ(MillisecondsUntilNextStep(1000), NoStepPending) << "nothing steps before the show";
    ASSERT_TRUE(BeginIntro());
    ASSERT_TRUE(BeginIntro());
    EXPECT_EQ(platform.calls, (std::vector<std::string>{"musicStart", "sleep 600"}));
    EXPECT_EQ(introDriver.startedUp, 1);
    SetIntroActive(false, 1000);
    EXPECT_EQ(introDriver.appActive, 0);
    AdvanceIntro(2000);
    EXPECT_EQ(platform.getDCs, 0) << "an inactive window does not step";
    EndIntro();
    EXPECT_TRUE(IntroEnded());

    ResetIntro();
    EXPECT_FALSE(IntroStarted() || IntroActive() || IntroEnded());
    EXPECT_EQ(introDriver.platform.clock, nullptr);
    EXPECT_EQ(introDriver.screen, nullptr);
    // A second run after the reset steps again: the loop's end went with it.
    introDriver.platform = hooks;
    introDriver.window = &platform.window;
    introDriver.instance = IntroContentResources();
    platform.tick = 3000;
    SetIntroActive(true, 3000);
    ASSERT_TRUE(BeginIntro());
    AdvanceIntro(3600);
    EXPECT_EQ(platform.getDCs, 1);
}
