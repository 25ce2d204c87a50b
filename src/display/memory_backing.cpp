#include "display/memory_backing.h"

#include <cstddef>
#include <new>

void (*MemoryBackingReleased)(const uint32_t* pixels) = nullptr;

namespace {
SurfaceBacking* WrapPixels(int width, int height, uint32_t* pixels) {
    auto* backing = new (std::nothrow) SurfaceBacking{width, height, pixels};
    if (backing == nullptr) delete[] pixels;
    return backing;
}
}  // namespace

const BitmapResource* FindBitmapResource(ResourceSource source, int id) {
    if (source == nullptr || id == 0) return nullptr;
    for (const auto* entry = static_cast<const BitmapResource*>(source); entry->id != 0; ++entry) {
        if (entry->id == id) return entry;
    }
    return nullptr;
}

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
    const BitmapResource* resource = FindBitmapResource(source, resourceId);
    int decodedWidth = 0, decodedHeight = 0;
    uint32_t* memory = nullptr;
    if (resource == nullptr ||
        !DecodeBmp(resource->bytes, resource->size, &decodedWidth, &decodedHeight, &memory))
        return nullptr;
    SurfaceBacking* backing = WrapPixels(decodedWidth, decodedHeight, memory);
    if (backing == nullptr) return nullptr;
    *width = decodedWidth;
    *height = decodedHeight;
    *pixels = memory;
    return backing;
}

void ReleaseBacking(SurfaceBacking* backing) {
    if (backing == nullptr) return;
    if (MemoryBackingReleased != nullptr) MemoryBackingReleased(backing->pixels);
    delete[] backing->pixels;
    delete backing;
}
