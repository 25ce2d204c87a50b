// The surface backing in the browser: the memory backing of the core (its
// bitmaps are the ones the page's front end hands over), and blits turned
// into RGBA and put on the page's canvas, one rectangle per blit.
#include <emscripten.h>

#include "app/intro_geometry.h"
#include "display/memory_backing.h"
#include "display/rect_clip.h"
#include "web_canvas.h"

DrawTarget pageCanvas;

namespace {
// One blit's pixels as the canvas wants them: bytes red, green, blue, alpha.
uint32_t rgbaStaging[ScreenWidth * ScreenHeight];
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
