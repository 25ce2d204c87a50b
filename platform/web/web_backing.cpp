// The surface backing in the browser: plain zeroed memory, the font bitmap
// decoded from the built-in bytes, and blits turned into RGBA and put on the
// page's canvas, one rectangle per blit.
#include <emscripten.h>

#include <new>

#include "bmp_decoder.h"
#include "data/font/font_bitmap.h"
#include "display/rect_clip.h"
#include "display/surface_backing.h"
#include "web_canvas.h"

DrawTarget pageCanvas;

struct SurfaceBacking {
    int width;
    int height;
    uint32_t* pixels;
};

namespace {
constexpr int FontResource = 103;

// One blit's pixels as the canvas wants them: bytes red, green, blue, alpha.
uint32_t rgbaStaging[CanvasWidth * CanvasHeight];

SurfaceBacking* WrapPixels(int width, int height, uint32_t* pixels) {
    auto* backing = new (std::nothrow) SurfaceBacking{width, height, pixels};
    if (backing == nullptr) delete[] pixels;
    return backing;
}
}  // namespace

// A cell blit (16x16, nearly every blit) reuses one ImageData.
EM_JS(void, PutCanvasRect, (const uint32_t* rgba, int x, int y, int width, int height), {
    const bytes = HEAPU8.subarray(rgba, rgba + width * height * 4);
    let image = Module.cellImage;
    if (width !== 16 || height !== 16) image = new ImageData(width, height);
    else if (!image) image = Module.cellImage = new ImageData(16, 16);
    image.data.set(bytes);
    Module.canvasContext.putImageData(image, x, y);
});

SurfaceBacking* CreateBlankBacking(int width, int height, uint32_t** pixels) {
    *pixels = nullptr;
    if (width <= 0 || height <= 0 || width > MaxBitmapSide || height > MaxBitmapSide) return nullptr;
    auto* memory = new (std::nothrow) uint32_t[static_cast<size_t>(width) * height]();
    if (memory == nullptr) return nullptr;
    SurfaceBacking* backing = WrapPixels(width, height, memory);
    if (backing != nullptr) *pixels = memory;
    return backing;
}

// The page carries one resource, the font bitmap; the source is not used.
SurfaceBacking* CreateBitmapBacking(int resourceId, ResourceSource, int* width, int* height,
                                    uint32_t** pixels) {
    *width = 0;
    *height = 0;
    *pixels = nullptr;
    if (resourceId != FontResource) return nullptr;
    int decodedWidth = 0, decodedHeight = 0;
    uint32_t* memory = nullptr;
    if (!DecodePaletteBmp(FontBitmap, FontBitmapSize, &decodedWidth, &decodedHeight, &memory))
        return nullptr;
    SurfaceBacking* backing = WrapPixels(decodedWidth, decodedHeight, memory);
    if (backing == nullptr) return nullptr;
    *width = decodedWidth;
    *height = decodedHeight;
    *pixels = memory;
    return backing;
}

void BlitBacking(SurfaceBacking* backing, DrawTarget* dc, int x, int y, int sourceX,
                 int sourceY, int width, int height) {
    if (backing == nullptr || dc == nullptr) return;
    RectCopy r{sourceX, sourceY, x, y, width, height};
    if (!ClipRectCopy(r, backing->width, backing->height, dc->width, dc->height)) return;
    uint32_t* out = rgbaStaging;
    for (int64_t k = 0; k < r.height; ++k) {
        const uint32_t* row = backing->pixels + (r.sourceY + k) * backing->width + r.sourceX;
        for (int64_t i = 0; i < r.width; ++i) {
            const uint32_t p = row[i];  // 0x00RRGGBB; little-endian RGBA is 0xAABBGGRR
            *out++ = 0xFF000000u | (p & 0xFFu) << 16 | (p & 0xFF00u) | (p >> 16 & 0xFFu);
        }
    }
    PutCanvasRect(rgbaStaging, static_cast<int>(r.targetX), static_cast<int>(r.targetY),
                  static_cast<int>(r.width), static_cast<int>(r.height));
}

void ReleaseBacking(SurfaceBacking* backing) {
    if (backing == nullptr) return;
    delete[] backing->pixels;
    delete backing;
}
