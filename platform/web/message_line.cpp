#include "message_line.h"

#include <cstring>
#include <new>

#include "data/intro_data.h"
#include "display/surface.h"

namespace {
constexpr int Glyph = 8;  // glyph cell side on the canvas
constexpr int CanvasColumns = 33, CanvasRows = 24;
constexpr int FontResource = 103;

int GlyphIndex(char c) {
    const char* found = c != '\0' ? std::strchr(IntroCharset, c) : nullptr;
    return found != nullptr ? static_cast<int>(found - IntroCharset) : 0;
}
}  // namespace

void ShowMessageLine(DrawTarget* canvas, const char* text) {
    Surface* font = new (std::nothrow) Surface(FontResource, nullptr);
    Surface* small = new (std::nothrow) Surface(CanvasColumns * Glyph, CanvasRows * Glyph);
    Surface* screen = new (std::nothrow) Surface(2 * CanvasColumns * Glyph, 2 * CanvasRows * Glyph);
    if (font != nullptr && small != nullptr && screen != nullptr && font->IsUsable() &&
        small->IsUsable() && screen->IsUsable()) {
        small->FillAll(BackgroundRed, BackgroundGreen, BackgroundBlue);
        const int length = static_cast<int>(std::strlen(text));
        const int shown = length < CanvasColumns ? length : CanvasColumns;
        const int firstColumn = (CanvasColumns - shown) / 2;
        const int fontColumns = font->width / Glyph;
        for (int i = 0; i < shown; ++i) {
            const int glyph = GlyphIndex(text[i]);
            font->CopyRect(small, (firstColumn + i) * Glyph, CanvasRows / 2 * Glyph,
                           glyph % fontColumns * Glyph, glyph / fontColumns * Glyph, Glyph, Glyph);
        }
        for (int y = 0; y < CanvasRows; ++y) {
            for (int x = 0; x < CanvasColumns; ++x) small->CopyCellDoubled(screen, x, y);
        }
        screen->Blit(canvas, 0, 0, 0, 0, screen->width, screen->height);
    }
    delete screen;
    delete small;
    delete font;
}
