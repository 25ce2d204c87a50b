#include "app/intro_driver.h"

#include <new>

#include "data/intro_data.h"

IntroDriver introDriver;

namespace {
constexpr int CanvasWidth = 264, CanvasHeight = 192;
constexpr int ScreenWidth = 528, ScreenHeight = 384;
constexpr int GridColumns = 33, GridRows = 24;
constexpr int GlyphWidth = 8, GlyphHeight = 8;
constexpr uint32_t StartupWaitMs = 600;

// Typewriter first, as it points at the others; the fields are cleared so a
// second teardown finds nothing to delete.
void DeleteDisplayObjects() {
    IntroDriver& d = introDriver;
    delete d.typewriter;
    if (d.cells != nullptr) d.cells->Release();
    delete d.cells;
    delete d.screen;
    delete d.canvas;
    delete d.font;
    d.typewriter = nullptr;
    d.cells = nullptr;
    d.screen = d.canvas = d.font = nullptr;
}
}  // namespace

void ResetIntroDriver() { introDriver = IntroDriver{}; }

// When any display object cannot be had, the intro runs without a picture:
// every display object is dropped, so the frame step and the first-show steps
// find nothing to do. The music starts either way.
void StartIntro() {
    IntroDriver& d = introDriver;
    d.canvas = new (std::nothrow) Surface(CanvasWidth, CanvasHeight);
    d.screen = new (std::nothrow) Surface(ScreenWidth, ScreenHeight);
    d.font = new (std::nothrow) Surface(FontResourceId, d.instance);
    d.cells = new (std::nothrow) CellGrid(GridColumns, GridRows);
    const bool displayReady = d.canvas != nullptr && d.canvas->IsUsable() &&
                              d.screen != nullptr && d.screen->IsUsable() &&
                              d.font != nullptr && d.font->IsUsable() && d.cells != nullptr &&
                              d.cells->cells != nullptr;
    if (displayReady) {
        d.typewriter = new (std::nothrow) Typewriter(d.font, d.canvas, IntroCharset, IntroPages,
                                                     d.cells, GlyphWidth, GlyphHeight);
    }
    if (d.typewriter == nullptr) DeleteDisplayObjects();
    if (d.platform.musicStart != nullptr) d.platform.musicStart();
    if (d.platform.sleep != nullptr) d.platform.sleep(StartupWaitMs);
}

void ShowIntroFirst() {
    IntroDriver& d = introDriver;
    if (d.canvas != nullptr) d.canvas->FillRows(BackgroundRed, BackgroundGreen, BackgroundBlue, 0, 0);
    if (d.cells != nullptr) d.cells->Fill(CellDirty);
}

// Converts every dirty cell before the first blit, then presents them all
// through one device context, so a frame never shows a half-updated screen
// longer than its blits take.
void StepIntro() {
    IntroDriver& d = introDriver;
    if (d.platform.tickCount == nullptr) return;
    const uint32_t now = d.platform.tickCount();
    // Unsigned difference: right across the counter's wrap.
    if (now - d.lastStepTick <= FrameInterval) return;
    d.lastStepTick = now;
    if (d.typewriter != nullptr) d.typewriter->Step();
    if (d.cells == nullptr || d.cells->cells == nullptr) return;

    const int width = d.cells->width;
    const int height = d.cells->height;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (d.cells->Get(x, y) == CellDirty) d.canvas->CopyCellDoubled(d.screen, x, y);
        }
    }
    DrawTarget* dc = d.platform.getDC != nullptr ? d.platform.getDC(d.window) : nullptr;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (d.cells->Get(x, y) != CellDirty) continue;
            d.screen->BlitCell(dc, x, y);
            d.cells->Set(x, y, CellClean);
        }
    }
    if (d.platform.releaseDC != nullptr) d.platform.releaseDC(d.window, dc);
}

// Sound goes first, so its thread has ended before any display object does;
// the typewriter goes before the grid and surfaces it points at.
void ShutdownIntro() {
    if (introDriver.platform.musicStop != nullptr) introDriver.platform.musicStop();
    DeleteDisplayObjects();
}
