#include "app/intro_driver.h"

#include <new>

#include "app/intro_content.h"
#include "data/intro_data.h"

IntroDriver introDriver;

namespace {
// Typewriter first, as it points at the others. Guard: the fields are cleared
// so a second teardown finds nothing to delete.
void DeleteDisplayObjects() {
    IntroDriver& driver = introDriver;
    delete driver.typewriter;
    if (driver.cellGrid != nullptr) driver.cellGrid->Release();
    delete driver.cellGrid;
    delete driver.screen;
    delete driver.canvas;
    delete driver.font;
    driver.typewriter = nullptr;
    driver.cellGrid = nullptr;
    driver.screen = driver.canvas = driver.font = nullptr;
}
}  // namespace

// Guard: when any display object cannot be had, the intro runs without a
// picture: every display object is dropped, so the frame step and the
// first-show fill find nothing to do. The music starts either way.
void StartIntro() {
    IntroDriver& driver = introDriver;
    driver.canvas = new (std::nothrow) Surface(CanvasWidth, CanvasHeight);
    driver.screen = new (std::nothrow) Surface(ScreenWidth, ScreenHeight);
    driver.font = new (std::nothrow) Surface(FontResourceId, driver.instance);
    driver.cellGrid = new (std::nothrow) CellGrid(GridColumns, GridRows);
    const bool displayReady =
        driver.canvas != nullptr && driver.canvas->IsUsable() && driver.screen != nullptr &&
        driver.screen->IsUsable() && driver.font != nullptr && driver.font->IsUsable() &&
        driver.cellGrid != nullptr && driver.cellGrid->states != nullptr;
    if (displayReady) {
        driver.typewriter = new (std::nothrow) Typewriter(
            driver.font, driver.canvas, IntroCharset, IntroContent().pages, driver.cellGrid, GlyphWidth,
            GlyphHeight);
    }
    if (driver.typewriter == nullptr) DeleteDisplayObjects();
    if (driver.platform.musicStart != nullptr) driver.platform.musicStart();
    if (driver.platform.wait != nullptr) driver.platform.wait(StartupWaitMs);
}

void FinishFirstShow() {
    IntroDriver& driver = introDriver;
    if (driver.canvas != nullptr)
        driver.canvas->FillAll(BackgroundRed, BackgroundGreen, BackgroundBlue);
    if (driver.cellGrid != nullptr) driver.cellGrid->Fill(CellDirty);
}

void StepIntro() {
    if (introDriver.platform.clock == nullptr) return;  // Guard: no clock, no frames
    StepIntroAt(introDriver.platform.clock());
}

// Converts every dirty cell before the first blit, then presents them all
// through one presentation, so a frame never shows a half-updated screen
// longer than its blits take. Compatibility: cells are marked clean whether
// or not their blit reached the window (no draw target, a failed blit);
// they are not retried.
void StepIntroAt(uint32_t now) {
    IntroDriver& driver = introDriver;
    // Unsigned difference: right across the counter's wrap.
    if (now - driver.lastStepTick <= FrameInterval) return;
    driver.lastStepTick = now;
    if (driver.typewriter != nullptr) driver.typewriter->Step();
    // Guard: no grid storage means no display objects at all.
    if (driver.cellGrid == nullptr || driver.cellGrid->states == nullptr) return;

    const int width = driver.cellGrid->width;
    const int height = driver.cellGrid->height;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (driver.cellGrid->Get(x, y) == CellDirty)
                driver.canvas->CopyCellDoubled(driver.screen, x, y);
        }
    }
    DrawTarget* dc = driver.platform.beginPresent != nullptr
                         ? driver.platform.beginPresent(driver.window)
                         : nullptr;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (driver.cellGrid->Get(x, y) != CellDirty) continue;
            driver.screen->BlitCell(dc, x, y);
            driver.cellGrid->Set(x, y, CellClean);
        }
    }
    if (driver.platform.endPresent != nullptr) driver.platform.endPresent(driver.window, dc);
}

// Sound goes first, so its thread has ended before any display object does;
// the typewriter goes before the grid and surfaces it points at.
void ShutdownIntro() {
    if (introDriver.platform.musicStop != nullptr) introDriver.platform.musicStop();
    DeleteDisplayObjects();
}
