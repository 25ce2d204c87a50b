// The surface backing natively: plain zeroed memory, bitmaps decoded from the
// resource table, and blits copied into a PixelSink clipped to its size.
#include <algorithm>
#include <cstring>
#include <new>

#include "display/surface_backing.h"
#include "native_draw_target.h"
#include "native_resources.h"

void (*NativeBackingReleased)(const uint32_t* pixels) = nullptr;

struct SurfaceBacking {
    int width;
    int height;
    uint32_t* pixels;
};

namespace {
SurfaceBacking* Wrap(int width, int height, uint32_t* pixels) {
    auto* backing = new (std::nothrow) SurfaceBacking{width, height, pixels};
    if (backing == nullptr) delete[] pixels;
    return backing;
}
}  // namespace

SurfaceBacking* CreateBlankBacking(int width, int height, uint32_t** pixels) {
    *pixels = nullptr;
    if (width <= 0 || height <= 0 || width > MaxBitmapSide || height > MaxBitmapSide) return nullptr;
    auto* memory = new (std::nothrow) uint32_t[static_cast<size_t>(width) * height]();
    if (memory == nullptr) return nullptr;
    SurfaceBacking* backing = Wrap(width, height, memory);
    if (backing != nullptr) *pixels = memory;
    return backing;
}

SurfaceBacking* CreateBitmapBacking(int resourceId, ModuleInstance instance, int* width,
                                    int* height, uint32_t** pixels) {
    *width = 0;
    *height = 0;
    *pixels = nullptr;
    const NativeResource* resource = FindNativeResource(instance, resourceId);
    if (resource == nullptr) return nullptr;
    int decodedWidth = 0, decodedHeight = 0;
    uint32_t* memory = nullptr;
    if (!DecodeBmp(resource->bytes, resource->size, &decodedWidth, &decodedHeight, &memory))
        return nullptr;
    SurfaceBacking* backing = Wrap(decodedWidth, decodedHeight, memory);
    if (backing == nullptr) return nullptr;
    *width = decodedWidth;
    *height = decodedHeight;
    *pixels = memory;
    return backing;
}

void BlitBacking(SurfaceBacking* backing, DrawTarget* dc, int x, int y, int sourceX,
                 int sourceY, int width, int height) {
    if (backing == nullptr || dc == nullptr) return;
    if (dc->recordBlits) dc->blits.push_back({backing, x, y, sourceX, sourceY, width, height});
    // Clip against both the backing and the sink, on all four edges.
    int64_t sx = sourceX, sy = sourceY, tx = x, ty = y, w = width, h = height;
    if (sx < 0) { w += sx; tx -= sx; sx = 0; }
    if (sy < 0) { h += sy; ty -= sy; sy = 0; }
    if (tx < 0) { w += tx; sx -= tx; tx = 0; }
    if (ty < 0) { h += ty; sy -= ty; ty = 0; }
    w = std::min({w, backing->width - sx, dc->width - tx});
    h = std::min({h, backing->height - sy, dc->height - ty});
    if (w <= 0 || h <= 0) return;
    for (int64_t k = 0; k < h; ++k) {
        std::memcpy(&dc->pixels[static_cast<size_t>((ty + k) * dc->width + tx)],
                    backing->pixels + (sy + k) * backing->width + sx,
                    static_cast<size_t>(w) * sizeof(uint32_t));
    }
}

void ReleaseBacking(SurfaceBacking* backing) {
    if (backing == nullptr) return;
    if (NativeBackingReleased != nullptr) NativeBackingReleased(backing->pixels);
    delete[] backing->pixels;
    delete backing;
}
