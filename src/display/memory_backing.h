#pragma once
// The surface backing in plain memory, shared by every platform whose surfaces
// are ordinary pixel arrays (natively and in the browser). Such a platform
// adds only its blit (BlitBacking) and the decoding of its bitmap resources.
#include <cstdint>

#include "display/surface_backing.h"

struct SurfaceBacking {
    int width;
    int height;
    uint32_t* pixels;  // width x height, top-down 0x00RRGGBB, owned (new[])
};

// No side of a backing may exceed this: a bound on what a bitmap can make us
// allocate.
constexpr int MaxBitmapSide = 4096;

// Implemented by the platform: the bitmap resource `resourceId` of `source`
// decoded into top-down 0x00RRGGBB pixels allocated with new[]. False, with the
// outputs left alone, when there is no such resource, it cannot be decoded, or
// a side exceeds MaxBitmapSide.
bool DecodeBitmapResource(int resourceId, ResourceSource source, int* width, int* height,
                          uint32_t** pixels);

// Called with a backing's pixel address whenever one is released; lets tests
// see the order in which surfaces go. Null by default.
extern void (*MemoryBackingReleased)(const uint32_t* pixels);
