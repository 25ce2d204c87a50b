#include "display/bmp_decoder.h"

#include <cstdarg>
#include <cstdio>
#include <new>

namespace {
constexpr uint32_t FileHeaderBytes = 14;
constexpr uint32_t InfoHeaderBytes = 40;  // BITMAPINFOHEADER; later versions are longer

uint32_t Read32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}
uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

__attribute__((format(printf, 3, 4))) bool Refuse(char* reason, size_t reasonSize,
                                                  const char* format, ...) {
    if (reason != nullptr && reasonSize > 0) {
        va_list arguments;
        va_start(arguments, format);
        std::vsnprintf(reason, reasonSize, format, arguments);
        va_end(arguments);
    }
    return false;
}

bool IsPaletted(int bits) { return bits <= 8; }

// Pixel x of a stored row as 0x00RRGGBB.
uint32_t StoredPixel(const uint8_t* row, int32_t x, int bits, const uint32_t* palette) {
    if (bits == 24 || bits == 32) {
        const uint8_t* p = row + static_cast<size_t>(x) * (bits / 8);  // blue, green, red
        return static_cast<uint32_t>(p[2]) << 16 | p[1] << 8 | p[0];
    }
    // Paletted: the leftmost pixel in the high bits of its byte.
    const int perByte = 8 / bits;
    const int shift = (perByte - 1 - x % perByte) * bits;
    return palette[(row[x / perByte] >> shift) & ((1 << bits) - 1)];
}
}  // namespace

bool CheckBmp(const uint8_t* bytes, uint32_t size, BmpLayout* layout, char* reason,
              size_t reasonSize) {
    if (bytes == nullptr || size < FileHeaderBytes + InfoHeaderBytes)
        return Refuse(reason, reasonSize, "%u bytes, too short for a BMP header (%u)",
                      bytes == nullptr ? 0u : size, FileHeaderBytes + InfoHeaderBytes);
    if (bytes[0] != 'B' || bytes[1] != 'M')
        return Refuse(reason, reasonSize, "not a BMP file (it does not start with \"BM\")");
    const uint32_t infoBytes = Read32(bytes + 14);
    if (infoBytes < InfoHeaderBytes)
        return Refuse(reason, reasonSize, "an info header of %u bytes; only those of %u or more are read",
                      infoBytes, InfoHeaderBytes);
    if (infoBytes > size - FileHeaderBytes)
        return Refuse(reason, reasonSize, "an info header of %u bytes in a file of %u", infoBytes, size);
    const int32_t width = static_cast<int32_t>(Read32(bytes + 18));
    const int32_t storedHeight = static_cast<int32_t>(Read32(bytes + 22));
    const int bits = Read16(bytes + 28);
    const uint32_t compression = Read32(bytes + 30);
    if (compression != 0)
        return Refuse(reason, reasonSize, "compression %u; only uncompressed bitmaps are read",
                      compression);
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
        return Refuse(reason, reasonSize, "%d bits per pixel; only 1, 4, 8, 24 and 32 are read", bits);
    // The most negative height has no positive counterpart; both are out of range.
    const int64_t height = storedHeight < 0 ? -static_cast<int64_t>(storedHeight) : storedHeight;
    if (width <= 0 || height == 0 || width > MaxBitmapSide || height > MaxBitmapSide)
        return Refuse(reason, reasonSize, "%ld x %lld pixels; each side must be from 1 to %d",
                      static_cast<long>(width), static_cast<long long>(height), MaxBitmapSide);

    const uint32_t paletteOffset = FileHeaderBytes + infoBytes;
    uint32_t colours = 0;
    if (IsPaletted(bits)) {
        colours = Read32(bytes + 46);
        if (colours == 0) colours = 1u << bits;
        if (colours > 1u << bits)
            return Refuse(reason, reasonSize, "a palette of %u colours; %d bits per pixel use at most %u",
                          colours, bits, 1u << bits);
    }
    const uint32_t dataOffset = Read32(bytes + 10);
    const uint64_t paletteEnd = static_cast<uint64_t>(paletteOffset) + 4ull * colours;
    if (dataOffset < paletteEnd)
        return Refuse(reason, reasonSize, "pixel data at offset %u, inside the headers and palette (%llu bytes)",
                      dataOffset, static_cast<unsigned long long>(paletteEnd));
    const uint64_t rowBytes = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
    const uint64_t dataEnd = dataOffset + rowBytes * static_cast<uint64_t>(height);
    if (dataEnd > size)
        return Refuse(reason, reasonSize,
                      "%lld rows of %llu bytes from offset %u need %llu bytes, the file has %u",
                      static_cast<long long>(height), static_cast<unsigned long long>(rowBytes),
                      dataOffset, static_cast<unsigned long long>(dataEnd), size);
    *layout = BmpLayout{width, static_cast<int32_t>(height), bits, storedHeight < 0, paletteOffset,
                        colours, dataOffset, static_cast<uint32_t>(rowBytes)};
    return true;
}

bool DecodeBmp(const uint8_t* bytes, uint32_t size, int* width, int* height, uint32_t** pixels,
               char* reason, size_t reasonSize) {
    BmpLayout layout{};
    if (!CheckBmp(bytes, size, &layout, reason, reasonSize)) return false;
    // Entries past the palette's end read as black.
    uint32_t palette[256] = {};
    for (uint32_t i = 0; i < layout.paletteColours; ++i) {
        const uint8_t* entry = bytes + layout.paletteOffset + 4 * i;  // blue, green, red, reserved
        palette[i] = static_cast<uint32_t>(entry[2]) << 16 | entry[1] << 8 | entry[0];
    }
    const size_t count = static_cast<size_t>(layout.width) * static_cast<size_t>(layout.height);
    auto* out = new (std::nothrow) uint32_t[count];
    if (out == nullptr)
        return Refuse(reason, reasonSize, "no memory for %d x %d pixels", layout.width, layout.height);
    for (int32_t y = 0; y < layout.height; ++y) {
        const int32_t storedRow = layout.topDown ? y : layout.height - 1 - y;
        const uint8_t* row = bytes + layout.dataOffset + static_cast<size_t>(layout.rowBytes) * storedRow;
        uint32_t* target = out + static_cast<size_t>(y) * layout.width;
        for (int32_t x = 0; x < layout.width; ++x)
            target[x] = StoredPixel(row, x, layout.bitsPerPixel, palette);
    }
    *width = layout.width;
    *height = layout.height;
    *pixels = out;
    return true;
}
