#include "app/message_line.h"

#include <cstring>
#include <new>

#include "app/intro_geometry.h"
#include "data/intro_data.h"
#include "display/surface.h"

namespace {

int GlyphIndex(char c) {
    const char* found = c != '\0' ? std::strchr(IntroCharset, c) : nullptr;
    return found != nullptr ? static_cast<int>(found - IntroCharset) : 0;
}
}  // namespace

void ShowMessageLine(DrawTarget* target, ResourceSource source, const char* text) {
    Surface* font = new (std::nothrow) Surface(FontResourceId, source);
    Surface* small = new (std::nothrow) Surface(CanvasWidth, CanvasHeight);
    Surface* screen = new (std::nothrow) Surface(ScreenWidth, ScreenHeight);
    if (font != nullptr && small != nullptr && screen != nullptr && font->IsUsable() &&
        small->IsUsable() && screen->IsUsable()) {
        small->FillAll(BackgroundRed, BackgroundGreen, BackgroundBlue);
        const int length = static_cast<int>(std::strlen(text));
        const int shown = length < GridColumns ? length : GridColumns;
        const int firstColumn = (GridColumns - shown) / 2;
        // Guard: a font narrower than one glyph has no glyph to copy.
        const int fontColumns = font->width / GlyphWidth;
        for (int i = 0; i < shown && fontColumns > 0; ++i) {
            const int glyph = GlyphIndex(text[i]);
            font->CopyRect(small, (firstColumn + i) * GlyphWidth, GridRows / 2 * GlyphHeight,
                           glyph % fontColumns * GlyphWidth, glyph / fontColumns * GlyphHeight,
                           GlyphWidth, GlyphHeight);
        }
        for (int y = 0; y < GridRows; ++y) {
            for (int x = 0; x < GridColumns; ++x) small->CopyCellDoubled(screen, x, y);
        }
        screen->Blit(target, 0, 0, 0, 0, screen->width, screen->height);
    }
    delete screen;
    delete small;
    delete font;
}
