// The surface backing natively: plain zeroed memory, bitmaps decoded from the
// resource table, and blits copied into a DrawTarget's pixels, clipped to its size.
#include <cstring>
#include <new>

#include "display/rect_clip.h"
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
SurfaceBacking* WrapPixels(int width, int height, uint32_t* pixels) {
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
    SurfaceBacking* backing = WrapPixels(width, height, memory);
    if (backing != nullptr) *pixels = memory;
    return backing;
}

SurfaceBacking* CreateBitmapBacking(int resourceId, ResourceSource source, int* width,
                                    int* height, uint32_t** pixels) {
    *width = 0;
    *height = 0;
    *pixels = nullptr;
    const NativeResource* resource = FindNativeResource(source, resourceId);
    if (resource == nullptr) return nullptr;
    int decodedWidth = 0, decodedHeight = 0;
    uint32_t* memory = nullptr;
    if (!DecodeBmp(resource->bytes, resource->size, &decodedWidth, &decodedHeight, &memory))
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
    if (dc->recordBlits) dc->blits.push_back({backing, x, y, sourceX, sourceY, width, height});
    RectCopy r{sourceX, sourceY, x, y, width, height};
    if (!ClipRectCopy(r, backing->width, backing->height, dc->width, dc->height)) return;
    for (int64_t k = 0; k < r.height; ++k) {
        std::memcpy(&dc->pixels[static_cast<size_t>((r.targetY + k) * dc->width + r.targetX)],
                    backing->pixels + (r.sourceY + k) * backing->width + r.sourceX,
                    static_cast<size_t>(r.width) * sizeof(uint32_t));
    }
}

void ReleaseBacking(SurfaceBacking* backing) {
    if (backing == nullptr) return;
    if (NativeBackingReleased != nullptr) NativeBackingReleased(backing->pixels);
    delete[] backing->pixels;
    delete backing;
}
