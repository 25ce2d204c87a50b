#pragma once
// The platform seam under Surface. Each platform folder implements these once:
// the memory platforms (memory_backing.cpp with the core's BMP decoder, and
// their blits into a pixel image or a page's canvas) and platform/win32
// (CreateDIBSection, LoadImageA/GetDIBits, BitBlt).
#include <cstdint>
#include "display/surface.h"

// A zero-filled width x height top-down 32-bit pixel block; *pixels receives its address.
SurfaceBacking* CreateBlankBacking(int width, int height, uint32_t** pixels);

// The bitmap resource `resourceId` of `source`, converted to top-down 0x00RRGGBB.
// Fills *width, *height and *pixels. Returns null (and a 0 x 0 size) when there is
// no such resource or it cannot be decoded.
SurfaceBacking* CreateBitmapBacking(int resourceId, ResourceSource source, int* width,
                                    int* height, uint32_t** pixels);

// Copies the rectangle (sourceX, sourceY, width, height) of the backing to (x, y) of dc.
void BlitBacking(SurfaceBacking* backing, DrawTarget* dc, int x, int y, int sourceX,
                 int sourceY, int width, int height);

void ReleaseBacking(SurfaceBacking* backing);
