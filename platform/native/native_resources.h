#pragma once
// Natively a ResourceSource is a pointer to a table of resources ended by an
// entry with id 0; a null source means the program's own: the font of the
// content in use (app/intro_content.h) as FontResourceId.
#include <cstdint>

#include "display/memory_backing.h"

struct NativeResource {
    int id;
    const uint8_t* bytes;
    uint32_t size;
};

// The resource `id` of `source` (null = the content's), or null.
const NativeResource* FindNativeResource(const void* source, int id);

// Decodes a BMP held in memory into top-down 0x00RRGGBB pixels. Returns false
// (and leaves the outputs alone) for anything that is not a readable BMP or
// whose sides exceed MaxBitmapSide.
bool DecodeBmp(const uint8_t* bytes, uint32_t size, int* width, int* height,
               uint32_t** pixels);
