// The live intro's surface backing: as the web front end's, but the font
// bitmap is the content pack's, decoded when the intro starts.
#include <emscripten.h>

#include "app/intro_content.h"
#include "app/intro_geometry.h"
#include "../web/bmp_decoder.h"
#include "../web/web_canvas.h"
#include "display/memory_backing.h"
#include "display/rect_clip.h"

DrawTarget pageCanvas;

namespace {
uint32_t rgbaStaging[ScreenWidth * ScreenHeight];
}  // namespace

EM_JS(void, PutCanvasRect, (const uint32_t* rgba, int x, int y, int width, int height), {
    const bytes = HEAPU8.subarray(rgba, rgba + width * height * 4);
    let image = Module.cellImage;
    if (width !== 16 || height !== 16) image = new ImageData(width, height);
    else if (!image) image = Module.cellImage = new ImageData(16, 16);
    image.data.set(bytes);
    Module.canvasContext.putImageData(image, x, y);
});

bool DecodeBitmapResource(int resourceId, ResourceSource, int* width, int* height,
                          uint32_t** pixels) {
    const ContentPack& content = IntroContent();
    return resourceId == FontResourceId && content.font != nullptr &&
           DecodePaletteBmp(content.font, content.fontSize, width, height, pixels);
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
            const uint32_t p = row[i];
            *out++ = 0xFF000000u | (p & 0xFFu) << 16 | (p & 0xFF00u) | (p >> 16 & 0xFFu);
        }
    }
    PutCanvasRect(rgbaStaging, static_cast<int>(r.targetX), static_cast<int>(r.targetY),
                  static_cast<int>(r.width), static_cast<int>(r.height));
}
