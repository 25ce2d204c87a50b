#include "bmp_decoder.h"

#include <new>

namespace {
constexpr uint32_t FileHeaderBytes = 14;
constexpr uint32_t InfoHeaderBytes = 40;

uint32_t Read32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}
uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// Palette index of pixel x in a row of `bits`-bit pixels, leftmost in the high bits.
int PixelIndex(const uint8_t* row, int x, int bits) {
    const int perByte = 8 / bits;
    const int shift = (perByte - 1 - x % perByte) * bits;
    return (row[x / perByte] >> shift) & ((1 << bits) - 1);
}
}  // namespace

bool DecodePaletteBmp(const uint8_t* bytes, uint32_t size, int* width, int* height,
                      uint32_t** pixels) {
    if (bytes == nullptr || size < FileHeaderBytes + InfoHeaderBytes) return false;
    if (bytes[0] != 'B' || bytes[1] != 'M') return false;
    const uint32_t dataOffset = Read32(bytes + 10);
    const uint32_t infoBytes = Read32(bytes + 14);
    const int32_t w = static_cast<int32_t>(Read32(bytes + 18));
    const int32_t storedHeight = static_cast<int32_t>(Read32(bytes + 22));
    const int bits = Read16(bytes + 28);
    const uint32_t compression = Read32(bytes + 30);
    uint32_t colours = Read32(bytes + 46);
    if (infoBytes < InfoHeaderBytes || compression != 0) return false;
    if (bits != 1 && bits != 4 && bits != 8) return false;
    const bool topDown = storedHeight < 0;
    // Guard: the most negative height has no positive counterpart.
    if (storedHeight == INT32_MIN) return false;
    const int32_t h = topDown ? -storedHeight : storedHeight;
    if (w <= 0 || h <= 0 || w > MaxBitmapSide || h > MaxBitmapSide) return false;
    if (colours == 0 || colours > (1u << bits)) colours = 1u << bits;

    const uint64_t paletteAt = FileHeaderBytes + static_cast<uint64_t>(infoBytes);
    const uint64_t rowBytes = (static_cast<uint64_t>(w) * bits + 31) / 32 * 4;
    if (paletteAt + 4ull * colours > size || dataOffset + rowBytes * h > size) return false;

    uint32_t palette[256] = {};
    for (uint32_t i = 0; i < colours; ++i) {
        const uint8_t* entry = bytes + paletteAt + 4 * i;  // blue, green, red, reserved
        palette[i] = static_cast<uint32_t>(entry[2]) << 16 | entry[1] << 8 | entry[0];
    }
    auto* out = new (std::nothrow) uint32_t[static_cast<size_t>(w) * h];
    if (out == nullptr) return false;
    for (int32_t y = 0; y < h; ++y) {
        const int32_t storedRow = topDown ? y : h - 1 - y;
        const uint8_t* row = bytes + dataOffset + rowBytes * storedRow;
        for (int32_t x = 0; x < w; ++x) out[static_cast<size_t>(y) * w + x] = palette[PixelIndex(row, x, bits)];
    }
    *width = w;
    *height = h;
    *pixels = out;
    return true;
}
