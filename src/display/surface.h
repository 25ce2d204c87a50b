#pragma once
// A top-down image of 32-bit pixels 0x00RRGGBB with a table of row addresses.
// The pixel logic here is portable; the pixel memory, the bitmap decoding and
// the blits come from a platform backing (surface_backing.h): plain memory
// natively, a DIB section in a memory device context on Win32.
#include <cstdint>

struct SurfaceBacking;  // platform object that owns the pixel memory
struct DrawTarget;      // what blits go to: an HDC on Win32, a pixel image natively
// Where bitmap resources come from: the program's HINSTANCE on Win32; on the
// memory platforms a table of bitmap files that the front end hands over
// (display/memory_backing.h).
using ResourceSource = void*;

// The intro's background: the canvas clear colour and entry 0 of the font's palette.
constexpr int BackgroundRed = 19, BackgroundGreen = 0, BackgroundBlue = 71;

class Surface {
public:
    Surface(int width, int height);                        // blank, every pixel 0
    Surface(int resourceId, ResourceSource source);        // from a bitmap resource
    ~Surface();                                            // release
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    uint32_t* PixelAt(int x, int y) { return rows[y] + x; }
    // Fill every pixel, or every row from firstRow to the bottom edge, with one
    // colour; each component keeps its low 8 bits.
    void FillAll(int red, int green, int blue);
    void FillFromRow(int red, int green, int blue, int firstRow);
    void CopyRect(Surface* target, int targetX, int targetY, int sourceX, int sourceY,
                  int width, int height);
    void CopyCellDoubled(Surface* target, int cellX, int cellY);
    void Blit(DrawTarget* dc, int x, int y, int sourceX, int sourceY, int width, int height);
    void BlitCell(DrawTarget* dc, int cellX, int cellY);
    // Pixels and row table exist; false after a failed construction (0 x 0).
    bool IsUsable() const;

    int32_t stride = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint32_t** rows = nullptr;
    uint32_t* pixels = nullptr;
    SurfaceBacking* backing = nullptr;

private:
    void BuildRowTable();
};
