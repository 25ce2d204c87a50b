#include "display/cell_grid.h"

#include <cstddef>
#include <new>

namespace {
// Guard: far more than any window holds; keeps width x height well inside int.
constexpr int MaxCellsPerSide = 4096;
}  // namespace

CellGrid::CellGrid(int width, int height) {
    if (width <= 0 || height <= 0 || width > MaxCellsPerSide || height > MaxCellsPerSide) return;
    states = new (std::nothrow) int32_t[static_cast<size_t>(width) * height];
    if (states == nullptr) return;
    this->width = width;
    this->height = height;
    Fill(CellClean);
}

CellGrid::~CellGrid() { Release(); }

void CellGrid::Release() {
    delete[] states;
    states = nullptr;
    width = 0;
    height = 0;
}

int CellGrid::IndexOf(int x, int y) const {
    if (x < 0) x = 0;
    if (x >= width) x = width - 1;
    if (y < 0) y = 0;
    if (y >= height) y = height - 1;
    return x + width * y;
}

int32_t CellGrid::Get(int x, int y) const {
    if (states == nullptr) return -1;
    return states[IndexOf(x, y)];
}

void CellGrid::Set(int x, int y, int32_t value) {
    if (states == nullptr) return;
    states[IndexOf(x, y)] = value;
}

void CellGrid::Fill(int32_t value) {
    if (states == nullptr) return;
    for (int i = 0; i < width * height; ++i) states[i] = value;
}

// Compatibility: every cell of the rectangle is clamped on its own, so a
// rectangle running past an edge writes the edge cells again. Clamping is
// monotonic, so that reaches exactly the cells between the clamped corners;
// walking those keeps huge rectangles cheap.
void CellGrid::FillRect(int x, int y, int width, int height, int32_t value) {
    if (states == nullptr || width <= 0 || height <= 0) return;
    auto clamp = [](int64_t v, int size) { return static_cast<int>(v < 0 ? 0 : v >= size ? size - 1 : v); };
    const int fromX = clamp(x, this->width), toX = clamp(int64_t{x} + width - 1, this->width);
    const int fromY = clamp(y, this->height), toY = clamp(int64_t{y} + height - 1, this->height);
    for (int cy = fromY; cy <= toY; ++cy)
        for (int cx = fromX; cx <= toX; ++cx) Set(cx, cy, value);
}
