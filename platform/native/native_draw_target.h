#pragma once
// Natively a draw target is an image of 0x00RRGGBB pixels standing for a
// window's client area, plus a record of every blit it took, so tests can
// check what was presented, in which order and how often.
#include <cstddef>
#include <cstdint>
#include <vector>

struct SurfaceBacking;

struct BlitRecord {
    const SurfaceBacking* source;
    int x, y, sourceX, sourceY, width, height;
};

struct DrawTarget {
    DrawTarget(int width, int height)
        : width(width > 0 ? width : 0), height(height > 0 ? height : 0),
          pixels(static_cast<size_t>(this->width) * this->height, 0) {}

    uint32_t Pixel(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }

    int width;
    int height;
    std::vector<uint32_t> pixels;
    bool recordBlits = true;
    std::vector<BlitRecord> blits;
};

