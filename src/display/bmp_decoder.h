#pragma once
// The one BMP decoder of the memory platforms (natively, in the browser and
// in the tools): uncompressed Windows bitmaps of 1, 4 or 8 bits per pixel
// with a palette, or 24 or 32 bits, rows stored either way up, decoded into
// top-down 0x00RRGGBB pixels. Every size in the header is checked against the
// byte count before anything is allocated.
#include <cstddef>
#include <cstdint>

// No side of a decoded bitmap (or of any memory backing) may exceed this: a
// bound on what a bitmap can make us allocate.
constexpr int MaxBitmapSide = 4096;

// Where the pixels of a checked bitmap are and how they are stored.
struct BmpLayout {
    int32_t width;
    int32_t height;
    int32_t bitsPerPixel;
    bool topDown;
    uint32_t paletteOffset;   // first RGBQUAD, for 1, 4 and 8 bits per pixel
    uint32_t paletteColours;  // entries read from the palette
    uint32_t dataOffset;      // first stored row
    uint32_t rowBytes;        // a stored row with its fill to 4 bytes
};

// Checks the header of `size` bytes without allocating. True with `layout`
// filled when the pixels can be decoded; false with `reason` (cut to
// reasonSize; may be null) saying what is wrong.
bool CheckBmp(const uint8_t* bytes, uint32_t size, BmpLayout* layout, char* reason,
              size_t reasonSize);

// Decodes a bitmap that CheckBmp accepts. On success *pixels is a new[] block
// of width x height pixels; otherwise false, the outputs left alone and
// `reason` (may be null) saying why.
bool DecodeBmp(const uint8_t* bytes, uint32_t size, int* width, int* height, uint32_t** pixels,
               char* reason = nullptr, size_t reasonSize = 0);
