#pragma once
// One signed 32-bit state per 8x8 canvas cell (and per 16x16 screen cell).
// Compatibility: coordinates are clamped to the nearest edge cell, never
// rejected, so a mark off the grid lands on its edge.
#include <cstdint>

constexpr int32_t CellClean = 0;  // the screen shows the cell as the canvas holds it
constexpr int32_t CellDirty = 2;  // the canvas cell changed; present it next frame

class CellGrid {
public:
    // Every cell CellClean. Guard: no storage (a 0 x 0 grid) if it cannot be had.
    CellGrid(int width, int height);
    ~CellGrid();
    CellGrid(const CellGrid&) = delete;
    CellGrid& operator=(const CellGrid&) = delete;

    void Release();  // frees the storage and leaves a 0 x 0 grid
    int IndexOf(int x, int y) const;
    int32_t Get(int x, int y) const;  // Guard: -1 without storage
    void Set(int x, int y, int32_t value);
    void Fill(int32_t value);
    void FillRect(int x, int y, int width, int height, int32_t value);

    int32_t width = 0;
    int32_t height = 0;
    int32_t* states = nullptr;  // width x height, row-major: cell (x, y) at x + width * y
};
