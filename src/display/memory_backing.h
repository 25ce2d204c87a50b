#pragma once
// The surface backing in plain memory, shared by every platform whose surfaces
// are ordinary pixel arrays (natively and in the browser). Such a platform
// adds only its blit (BlitBacking); bitmaps come from the bytes a front end
// hands over and are decoded by the core's decoder (display/bmp_decoder.h).
#include <cstdint>

#include "display/bmp_decoder.h"
#include "display/surface_backing.h"

struct SurfaceBacking {
    int width;
    int height;
    uint32_t* pixels;  // width x height, top-down 0x00RRGGBB, owned (new[])
};

// On these platforms a ResourceSource points to a table of bitmap files held
// in memory, ended by an entry with id 0; a null source holds none. The bytes
// must outlive every surface made from them.
struct BitmapResource {
    int id;
    const uint8_t* bytes;
    uint32_t size;
};

// The entry `id` of `source`, or null.
const BitmapResource* FindBitmapResource(ResourceSource source, int id);

// Called with a backing's pixel address whenever one is released; lets tests
// see the order in which surfaces go. Null by default.
extern void (*MemoryBackingReleased)(const uint32_t* pixels);
