// The surface backing on Win32: a 32-bit top-down DIB section selected into its
// own memory device context for the surface's whole life, so the program writes
// pixels straight into it and BitBlt presents them.
#include <new>

#include <windows.h>

#include "display/surface_backing.h"

struct SurfaceBacking {
    HBITMAP bitmap;
    HDC memoryDC;
    // The header is followed by room for one colour entry, as the DIB APIs allow.
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[1];
    } info;
};

namespace {

void FillHeader(SurfaceBacking* backing, int width, int height) {
    BITMAPINFOHEADER& header = backing->info.header;
    header = BITMAPINFOHEADER{};
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = width;
    header.biHeight = -height;  // negative: row 0 is the top row
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
}

BITMAPINFO* Info(SurfaceBacking* backing) {
    return reinterpret_cast<BITMAPINFO*>(&backing->info);
}

// Creates the DIB section from the header; null (and no backing) if it cannot be had.
SurfaceBacking* CreateSection(int width, int height, uint32_t** pixels) {
    *pixels = nullptr;
    auto* backing = new (std::nothrow) SurfaceBacking{};
    if (!backing) return nullptr;
    FillHeader(backing, width, height);
    void* bits = nullptr;
    backing->bitmap = CreateDIBSection(nullptr, Info(backing), DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!backing->bitmap || !bits) {
        if (backing->bitmap) DeleteObject(backing->bitmap);
        delete backing;
        return nullptr;
    }
    *pixels = static_cast<uint32_t*>(bits);
    return backing;
}

void SelectIntoMemoryDC(SurfaceBacking* backing) {
    backing->memoryDC = CreateCompatibleDC(nullptr);
    SelectObject(backing->memoryDC, backing->bitmap);
}

}  // namespace

SurfaceBacking* CreateBlankBacking(int width, int height, uint32_t** pixels) {
    SurfaceBacking* backing = CreateSection(width, height, pixels);
    if (backing) SelectIntoMemoryDC(backing);
    return backing;
}

SurfaceBacking* CreateBitmapBacking(int resourceId, ResourceSource source, int* width,
                                    int* height, uint32_t** pixels) {
    *width = 0;
    *height = 0;
    *pixels = nullptr;
    HANDLE loaded = LoadImageA(static_cast<HINSTANCE>(source), MAKEINTRESOURCEA(resourceId),
                               IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR);
    if (!loaded) return nullptr;
    HBITMAP bitmap = static_cast<HBITMAP>(loaded);
    BITMAP dimensions{};
    GetObjectA(bitmap, sizeof dimensions, &dimensions);
    SurfaceBacking* backing = nullptr;
    if (dimensions.bmWidth > 0 && dimensions.bmHeight > 0)
        backing = CreateSection(dimensions.bmWidth, dimensions.bmHeight, pixels);
    if (backing) {
        HDC screen = GetDC(nullptr);
        GetDIBits(screen, bitmap, 0, static_cast<UINT>(dimensions.bmHeight), *pixels,
                  Info(backing), DIB_RGB_COLORS);
        ReleaseDC(nullptr, screen);
        *width = dimensions.bmWidth;
        *height = dimensions.bmHeight;
    }
    DeleteObject(bitmap);
    if (backing) SelectIntoMemoryDC(backing);
    return backing;
}

void BlitBacking(SurfaceBacking* backing, DrawTarget* dc, int x, int y, int sourceX, int sourceY,
                 int width, int height) {
    if (!backing || !dc) return;
    BitBlt(reinterpret_cast<HDC>(dc), x, y, width, height, backing->memoryDC, sourceX, sourceY,
           SRCCOPY);
}

// Surfaces go only at teardown, but the objects are freed anyway so that a
// surface never outlives its GDI handles.
void ReleaseBacking(SurfaceBacking* backing) {
    if (!backing) return;
    DeleteDC(backing->memoryDC);
    DeleteObject(backing->bitmap);
    delete backing;
}
