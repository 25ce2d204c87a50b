#include "native_resources.h"

#include <SDL.h>

#include <cstring>
#include <new>

#include "app/intro_content.h"
#include "data/resource_ids.h"

const NativeResource* FindNativeResource(const void* source, int id) {
    // The program's own resources are its content's: the font is the pack's.
    static NativeResource contentFont;
    if (source == nullptr) {
        const ContentPack& content = IntroContent();
        if (id != INTRO_FONT_RESOURCE_ID || content.font == nullptr) return nullptr;
        contentFont = {id, content.font, content.fontSize};
        return &contentFont;
    }
    for (const auto* table = static_cast<const NativeResource*>(source); table->id != 0; ++table) {
        if (table->id == id) return table;
    }
    return nullptr;
}

// SDL's BMP reader handles every depth and both row orders and rejects
// malformed headers; the result is converted to 32-bit XRGB with the top byte
// cleared, the pixel format of every surface.
bool DecodeBmp(const uint8_t* bytes, uint32_t size, int* width, int* height,
               uint32_t** pixels) {
    if (bytes == nullptr || size == 0 || size > 0x7FFFFFFF) return false;
    SDL_RWops* stream = SDL_RWFromConstMem(bytes, static_cast<int>(size));
    if (stream == nullptr) return false;
    SDL_Surface* loaded = SDL_LoadBMP_RW(stream, 1);
    if (loaded == nullptr) return false;
    bool decoded = false;
    if (loaded->w > 0 && loaded->h > 0 && loaded->w <= MaxBitmapSide && loaded->h <= MaxBitmapSide) {
        SDL_Surface* converted = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB888, 0);
        if (converted != nullptr) {
            const size_t count = static_cast<size_t>(converted->w) * converted->h;
            uint32_t* out = new (std::nothrow) uint32_t[count];
            if (out != nullptr && SDL_LockSurface(converted) == 0) {
                for (int y = 0; y < converted->h; ++y) {
                    const auto* row = reinterpret_cast<const uint32_t*>(
                        static_cast<const uint8_t*>(converted->pixels) + y * converted->pitch);
                    for (int x = 0; x < converted->w; ++x)
                        out[static_cast<size_t>(y) * converted->w + x] = row[x] & 0x00FFFFFFu;
                }
                SDL_UnlockSurface(converted);
                *width = converted->w;
                *height = converted->h;
                *pixels = out;
                decoded = true;
            } else {
                delete[] out;
            }
            SDL_FreeSurface(converted);
        }
    }
    SDL_FreeSurface(loaded);
    return decoded;
}
