#include "display/surface.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>

#include "display/rect_clip.h"
#include "display/surface_backing.h"

Surface::Surface(int width, int height) {
    if (width > 0 && height > 0) {
        backing = CreateBlankBacking(width, height, &pixels);
        if (pixels != nullptr) {
            this->width = width;
            this->height = height;
        }
    }
    BuildRowTable();
}

Surface::Surface(int resourceId, ResourceSource source) {
    int bitmapWidth = 0;
    int bitmapHeight = 0;
    backing = CreateBitmapBacking(resourceId, source, &bitmapWidth, &bitmapHeight, &pixels);
    if (pixels != nullptr && bitmapWidth > 0 && bitmapHeight > 0) {
        width = bitmapWidth;
        height = bitmapHeight;
    }
    BuildRowTable();
}

Surface::~Surface() {
    delete[] rows;
    rows = nullptr;
    if (backing != nullptr) ReleaseBacking(backing);
    backing = nullptr;
    pixels = nullptr;
}

// Guard: a surface whose pixels or row table could not be had is left 0 x 0,
// so every operation below finds nothing to touch.
void Surface::BuildRowTable() {
    stride = width * 4;
    if (height > 0) rows = new (std::nothrow) uint32_t*[height];
    if (rows == nullptr || pixels == nullptr) {
        width = height = stride = 0;
        return;
    }
    for (int i = 0; i < height; ++i) rows[i] = pixels + static_cast<size_t>(i) * width;
}

bool Surface::IsUsable() const { return rows != nullptr && width > 0 && height > 0; }

void Surface::FillAll(int red, int green, int blue) { FillFromRow(red, green, blue, 0); }

// Guard: a first row above the top starts at row 0, one at or below the
// bottom fills nothing.
void Surface::FillFromRow(int red, int green, int blue, int firstRow) {
    const uint32_t colour = static_cast<uint32_t>(red & 255) << 16 |
                            static_cast<uint32_t>(green & 255) << 8 |
                            static_cast<uint32_t>(blue & 255);
    for (int y = firstRow < 0 ? 0 : firstRow; y < height; ++y) std::fill_n(rows[y], width, colour);
}

// Only the right and bottom edges matter to the callers, which pass
// non-negative positions. Guard: negative ones are cut off as well, so no
// input can reach outside either surface.
void Surface::CopyRect(Surface* target, int targetX, int targetY, int sourceX, int sourceY,
                       int width, int height) {
    if (target == nullptr || !IsUsable() || !target->IsUsable()) return;
    RectCopy r{sourceX, sourceY, targetX, targetY, width, height};
    if (!ClipRectCopy(r, this->width, this->height, target->width, target->height)) return;
    for (int64_t k = 0; k < r.height; ++k) {
        std::memmove(target->rows[r.targetY + k] + r.targetX, rows[r.sourceY + k] + r.sourceX,
                     static_cast<size_t>(r.width) * sizeof(uint32_t));
    }
}

// Every source pixel becomes a 2x2 block whose lower row is at half brightness:
// halving all four bytes at once with one mask and one shift.
void Surface::CopyCellDoubled(Surface* target, int cellX, int cellY) {
    if (target == nullptr || !IsUsable() || !target->IsUsable()) return;
    // Guard: a cell must lie wholly inside both surfaces; any other is left alone.
    if (cellX < 0 || cellY < 0 || cellX >= width / 8 || cellY >= height / 8) return;
    if (cellX >= target->width / 16 || cellY >= target->height / 16) return;
    for (int k = 0; k < 8; ++k) {
        const uint32_t* source = rows[cellY * 8 + k] + cellX * 8;
        uint32_t* full = target->rows[cellY * 16 + 2 * k] + cellX * 16;
        uint32_t* half = target->rows[cellY * 16 + 2 * k + 1] + cellX * 16;
        for (int i = 0; i < 8; ++i) {
            const uint32_t p = source[i];
            const uint32_t dimmed = (p & 0xFEFEFEFEu) >> 1;
            full[2 * i] = full[2 * i + 1] = p;
            half[2 * i] = half[2 * i + 1] = dimmed;
        }
    }
}

void Surface::Blit(DrawTarget* dc, int x, int y, int sourceX, int sourceY, int width,
                   int height) {
    if (backing == nullptr) return;
    BlitBacking(backing, dc, x, y, sourceX, sourceY, width, height);
}

void Surface::BlitCell(DrawTarget* dc, int cellX, int cellY) {
    Blit(dc, cellX * 16, cellY * 16, cellX * 16, cellY * 16, 16, 16);
}
